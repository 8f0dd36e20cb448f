// What the map view works with that the program owns: the two record lists,
// the ids of the registered messages it handles and posts, the services
// that speak to the user, and whom to tell of a save.
#pragma once

#include "store/RecordList.h"
#include "store/SharedRecordList.h"
#include "view/widget/MessageBoxes.h"
#include "view/widget/Sounds.h"

#include <QEvent>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace marlow {

struct ViewContext {
    SharedRecordList& scanList;
    RecordList& surveyStore;
    // MARL_DRAW, posted to the view by the link; MARL_STATUS_UPDATE, posted
    // by the view to its frame.
    QEvent::Type drawMessage;
    QEvent::Type statusMessage;
    MessageBoxes& boxes;
    Sounds& sounds;
    // Where committed work is journalled until it is saved; none when empty.
    std::filesystem::path journalFolder;
    // Told after each save that succeeds: the site file's path and the
    // number of survey points it now holds. None when empty.
    std::function<void(const std::string& path, std::size_t points)> siteSaved = {};
};

} // namespace marlow
