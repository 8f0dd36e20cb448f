// What the map view works with that the program owns: the two record lists,
// the ids of the registered messages it handles and posts, and the services
// that speak to the user.
#pragma once

#include "store/RecordList.h"
#include "store/SharedRecordList.h"
#include "view/widget/MessageBoxes.h"
#include "view/widget/Sounds.h"

#include <QEvent>
#include <filesystem>

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
};

} // namespace marlow
