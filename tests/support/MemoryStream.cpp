// The in-memory line: two fixed ring buffers under one lock, so that moving
// bytes never allocates.
#include "MemoryStream.h"

#include <array>
#include <condition_variable>
#include <mutex>

namespace marlow {
namespace {

constexpr std::size_t QueueSize = 4096;
constexpr auto WriteWait = std::chrono::milliseconds(1000);

struct Ring {
    std::array<std::uint8_t, QueueSize> bytes{};
    std::size_t head = 0;
    std::size_t count = 0;

    bool full() const { return count == QueueSize; }
    void push(std::uint8_t byte) {
        bytes[(head + count) % QueueSize] = byte;
        ++count;
    }
    std::uint8_t pop() {
        const std::uint8_t byte = bytes[head];
        head = (head + 1) % QueueSize;
        --count;
        return byte;
    }
};

} // namespace

struct MemoryStream::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::array<Ring, 2> written; // indexed by the writing side
    std::array<bool, 2> open{true, true};

    bool connected() const { return open[0] && open[1]; }
};

MemoryStream::Pair MemoryStream::makePair() {
    auto shared = std::make_shared<Shared>();
    return {std::unique_ptr<MemoryStream>(new MemoryStream(shared, 0)),
            std::unique_ptr<MemoryStream>(new MemoryStream(shared, 1))};
}

MemoryStream::MemoryStream(std::shared_ptr<Shared> shared, int side)
    : m_shared(std::move(shared)), m_side(side) {}

MemoryStream::~MemoryStream() {
    hangUp();
}

void MemoryStream::hangUp() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->open[m_side] = false;
    }
    m_shared->changed.notify_all();
}

std::size_t MemoryStream::write(const std::uint8_t* bytes, std::size_t length) {
    Shared& shared = *m_shared;
    Ring& out = shared.written[m_side];
    const auto deadline = std::chrono::steady_clock::now() + WriteWait;
    std::size_t done = 0;
    {
        std::unique_lock lock(shared.mutex);
        while (done < length && shared.connected()) {
            if (out.full()) {
                shared.changed.notify_all();
                if (shared.changed.wait_until(lock, deadline) == std::cv_status::timeout)
                    break;
                continue;
            }
            out.push(bytes[done++]);
        }
    }
    shared.changed.notify_all();
    return done;
}

ReadResult MemoryStream::readByte(std::chrono::milliseconds timeout) {
    Shared& shared = *m_shared;
    Ring& in = shared.written[1 - m_side];
    std::unique_lock lock(shared.mutex);
    shared.changed.wait_for(lock, timeout, [&] { return in.count > 0 || !shared.connected(); });
    if (in.count > 0) {
        const std::uint8_t byte = in.pop();
        lock.unlock();
        shared.changed.notify_all();
        return {ReadStatus::Byte, byte};
    }
    return {shared.connected() ? ReadStatus::TimedOut : ReadStatus::Failed, 0};
}

void MemoryStream::purge() {
    {
        std::lock_guard lock(m_shared->mutex);
        for (Ring& ring : m_shared->written)
            ring = Ring{};
    }
    m_shared->changed.notify_all();
}

} // namespace marlow
