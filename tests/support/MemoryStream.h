// Two connected in-memory line ends: what one end writes, the other reads.
// Stands in for a serial line in tests, where there is no device. Each
// direction queues up to 4096 bytes, like the port's input queue.
#pragma once

#include "link/serial/ByteStream.h"

#include <memory>

namespace marlow {

class MemoryStream final : public ByteStream {
public:
    struct Pair {
        std::unique_ptr<MemoryStream> first;
        std::unique_ptr<MemoryStream> second;
    };
    static Pair makePair();

    // Destroying an end hangs it up.
    ~MemoryStream() override;
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // From now on the other end reads what is still queued, then fails, and
    // writes on either end move nothing.
    void hangUp();

    std::size_t write(const std::uint8_t* bytes, std::size_t length) override;
    ReadResult readByte(std::chrono::milliseconds timeout) override;
    void purge() override;

private:
    struct Shared;
    MemoryStream(std::shared_ptr<Shared> shared, int side);

    std::shared_ptr<Shared> m_shared;
    int m_side;
};

} // namespace marlow
