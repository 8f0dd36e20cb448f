// Message names and their ids. Usable during static initialisation: the
// table is made on first use.
#include "shell/RegisteredMessages.h"

#include <map>
#include <mutex>
#include <string>

namespace marlow {

QEvent::Type registerMessage(std::string_view name) {
    static std::mutex lock;
    static std::map<std::string, QEvent::Type, std::less<>> ids;
    const std::lock_guard guard(lock);
    if (const auto found = ids.find(name); found != ids.end())
        return found->second;
    const auto id = static_cast<QEvent::Type>(QEvent::registerEventType());
    ids.emplace(std::string(name), id);
    return id;
}

} // namespace marlow
