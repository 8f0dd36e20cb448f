// A record list shared between threads: the analyzer link's reader thread
// fills it while the user-interface thread draws and commits it. Every use
// goes through withLock, so no walk meets a half-linked node or a record
// whose sum and count disagree. Its records are indexed by MAC text.
#pragma once

#include "RecordList.h"

#include <mutex>

namespace marlow {

class SharedRecordList {
public:
    // A scan list: every report looks its transmitter up by MAC.
    SharedRecordList() { m_list.indexByMac(); }

    template <typename Use> decltype(auto) withLock(Use&& use) {
        std::lock_guard lock(m_mutex);
        return use(m_list);
    }
    template <typename Use> decltype(auto) withLock(Use&& use) const {
        std::lock_guard lock(m_mutex);
        return use(static_cast<const RecordList&>(m_list));
    }

private:
    mutable std::mutex m_mutex;
    RecordList m_list;
};

} // namespace marlow
