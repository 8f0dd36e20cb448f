// The floor-plan picture of a site: an 8-bit bitmap with a 256-entry colour
// table, rows kept as they lie in the file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace marlow {

// An allocator whose resize leaves new bytes unset: the reader fills every
// byte of a floor plan straight from the file, and zeroing a large plan
// first would cost about as much as reading it.
template <typename T> class UninitializedAllocator : public std::allocator<T> {
public:
    template <typename U> struct rebind { using other = UninitializedAllocator<U>; };
    UninitializedAllocator() = default;
    template <typename U> UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
    template <typename U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <typename U, typename... Args> void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

struct SiteBitmap {
    std::int32_t width = 0;
    std::int32_t height = 0; // always positive; see topDown
    // Rows stored from the top row down (a negative height in the file)
    // rather than from the bottom up.
    bool topDown = false;
    // 256 entries of blue, green, red, reserved, as stored.
    std::array<std::uint8_t, 1024> colorTable = {};
    // height rows of rowStride() bytes
    std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>> pixels;

    // Bytes per stored row: one per pixel, padded to a multiple of four.
    std::uint32_t rowStride() const { return (static_cast<std::uint32_t>(width) + 3u) & ~3u; }

    // Row y counted from the top of the picture.
    const std::uint8_t* row(std::int32_t y) const {
        const std::int32_t stored = topDown ? y : height - 1 - y;
        return pixels.data() + static_cast<std::size_t>(stored) * rowStride();
    }

    // The colour of entry i as 0x00RRGGBB.
    std::uint32_t rgb(std::uint8_t i) const {
        const std::uint8_t* e = &colorTable[static_cast<std::size_t>(i) * 4];
        return (static_cast<std::uint32_t>(e[2]) << 16) | (static_cast<std::uint32_t>(e[1]) << 8) |
               e[0];
    }
};

} // namespace marlow
