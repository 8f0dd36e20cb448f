// Fault injection over another byte stream. Incoming stalls behave like a
// silent line: reads time out until the stall is over, then the held bytes
// come. Outgoing stalls hold the writing thread inside write().
#include "FaultyStream.h"

#include <algorithm>
#include <array>

namespace marlow {

using Clock = std::chrono::steady_clock;

FaultyStream::FaultyStream(std::unique_ptr<ByteStream> inner, std::vector<Fault> faults)
    : m_inner(std::move(inner)), m_faults(std::move(faults)) {}

const Fault* FaultyStream::faultAt(FaultDirection direction, std::size_t index) const {
    const auto found = std::find_if(m_faults.begin(), m_faults.end(), [&](const Fault& fault) {
        return fault.direction == direction && fault.index == index;
    });
    return found == m_faults.end() ? nullptr : &*found;
}

bool FaultyStream::holdUntil(Clock::time_point until, Clock::time_point giveUpAt) {
    std::unique_lock lock(m_mutex);
    m_released.wait_until(lock, std::min(until, giveUpAt), [&] { return m_releasedAll; });
    return m_releasedAll || Clock::now() >= until;
}

void FaultyStream::release() {
    {
        std::lock_guard lock(m_mutex);
        m_releasedAll = true;
    }
    m_released.notify_all();
}

ReadResult FaultyStream::readByte(std::chrono::milliseconds timeout) {
    ++m_readCalls;
    const auto giveUpAt = Clock::now() + timeout;
    for (;;) {
        const Fault* stall = faultAt(FaultDirection::Incoming, m_inIndex);
        if (stall && stall->kind == FaultKind::Stall) {
            if (!m_inStallStarted) {
                m_inStallStarted = true;
                m_inStallEnd = Clock::now() + stall->stall;
                ++m_stallsBegun;
            }
            if (!holdUntil(m_inStallEnd, giveUpAt))
                return {ReadStatus::TimedOut, 0};
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(giveUpAt - Clock::now());
        ReadResult result = m_inner->readByte(std::max(left, std::chrono::milliseconds(0)));
        if (result.status != ReadStatus::Byte)
            return result;
        const Fault* fault = faultAt(FaultDirection::Incoming, m_inIndex);
        ++m_inIndex;
        m_inStallStarted = false;
        if (fault && fault->kind == FaultKind::Drop) {
            if (Clock::now() >= giveUpAt)
                return {ReadStatus::TimedOut, 0};
            continue;
        }
        if (fault && fault->kind == FaultKind::Corrupt)
            result.byte ^= fault->mask;
        return result;
    }
}

std::size_t FaultyStream::writeClean(const std::uint8_t* bytes, std::size_t length) {
    return length == 0 ? 0 : m_inner->write(bytes, length);
}

std::size_t FaultyStream::write(const std::uint8_t* bytes, std::size_t length) {
    std::array<std::uint8_t, 128> chunk{};
    std::size_t pending = 0;
    std::size_t moved = 0;
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t byte = bytes[i];
        const Fault* fault = faultAt(FaultDirection::Outgoing, m_outIndex++);
        if (fault && fault->kind == FaultKind::Stall) {
            moved += writeClean(chunk.data(), pending);
            pending = 0;
            ++m_stallsBegun;
            const auto until = Clock::now() + fault->stall;
            holdUntil(until, until);
        } else if (fault && fault->kind == FaultKind::Drop) {
            ++moved;
            continue;
        } else if (fault && fault->kind == FaultKind::Corrupt) {
            byte ^= fault->mask;
        }
        chunk[pending++] = byte;
        if (pending == chunk.size()) {
            moved += writeClean(chunk.data(), pending);
            pending = 0;
        }
    }
    return moved + writeClean(chunk.data(), pending);
}

void FaultyStream::purge() {
    m_inner->purge();
}

} // namespace marlow
