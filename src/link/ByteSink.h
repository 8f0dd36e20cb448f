// Where the link's outgoing bytes go: the serial port's single-slot outbox
// on the device, a buffer in tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marlow {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Queues the bytes for writing and returns 1; never blocks.
    virtual int send(const std::uint8_t* bytes, std::size_t length) = 0;
};

} // namespace marlow
