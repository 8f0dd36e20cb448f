// The inputs of the site-file fuzzers: a site file, written to a file of
// its own in a private folder for the reader and the writers, which take
// paths.
//
// Every site file with survey data holds an 80,000-byte signature block
// before it, whose bytes only the signature reader looks at. So that the
// seeds stay small and mutations land on the bytes that steer the reader,
// an input may leave the block out: its first byte says how the rest is
// taken. With the low bit clear the rest is the file as it is; with it set,
// a blank signature block goes in at the signature offset of the rest's
// header (where the rest holds a header and reaches that offset).
#pragma once

#include "TempDir.h"
#include "sitefile/ByteOrder.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace marlow::fuzz {

constexpr std::uint8_t VerbatimInput = 0;
constexpr std::uint8_t BlankSignatureLeftOut = 1;

// A finding: what the site-file code guarantees did not hold.
inline void require(bool holds) {
    if (!holds)
        std::abort();
}

inline const std::vector<std::uint8_t>& blankSignatureBlock() {
    static const std::vector<std::uint8_t> block = encodeSignatureBlock(BlankSignature());
    return block;
}

// The signature offset of a file that holds a whole header.
inline std::uint64_t signatureOffsetOf(const std::vector<std::uint8_t>& file) {
    return file.size() < SiteHeaderSize ? UINT64_MAX : readU32(&file[header::SignatureOffset]);
}

// The site file an input stands for.
inline std::vector<std::uint8_t> siteFileOf(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return {};
    std::vector<std::uint8_t> file(data + 1, data + size);
    const std::uint64_t at = signatureOffsetOf(file);
    if ((data[0] & BlankSignatureLeftOut) != 0 && at <= file.size()) {
        const std::vector<std::uint8_t>& block = blankSignatureBlock();
        file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
    }
    return file;
}

// The shortest input that stands for the file: without its signature block
// when the block is whole and blank.
inline std::vector<std::uint8_t> inputOf(const std::vector<std::uint8_t>& file) {
    const std::vector<std::uint8_t>& block = blankSignatureBlock();
    const std::uint64_t at = signatureOffsetOf(file);
    const bool blank = at <= file.size() && file.size() - at >= block.size() &&
                       std::equal(block.begin(), block.end(), file.begin() + std::ptrdiff_t(at));
    std::vector<std::uint8_t> input = {blank ? BlankSignatureLeftOut : VerbatimInput};
    input.insert(input.end(), file.begin(), file.end());
    if (blank)
        input.erase(input.begin() + 1 + std::ptrdiff_t(at),
                    input.begin() + 1 + std::ptrdiff_t(at + block.size()));
    return input;
}

// The file at the path of this process's private folder, which goes with the
// process. The folder is in memory where the system has a shared-memory
// file system, so that writing the file and the flushes of a save cost
// next to nothing: that more than doubles the inputs run a second.
inline std::string writeSiteFile(const std::vector<std::uint8_t>& file) {
    static const test::TempDir folder(std::filesystem::is_directory("/dev/shm")
                                          ? std::filesystem::path("/dev/shm")
                                          : std::filesystem::temp_directory_path());
    const std::string path = folder.file("site.tws");
    test::writeBytes(path, file);
    return path;
}

} // namespace marlow::fuzz
