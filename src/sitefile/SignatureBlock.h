// The signature block: 100 rows of 200 four-byte pixels, stored from the
// bottom row up; 0x00FFFFFF is paper, 0x00000000 is ink.
#pragma once

#include "SiteError.h"
#include "SiteFormat.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace marlow {

// Where a save takes the signature from: column x 0..199, row y 0..99 from
// the top, SignatureWhite or SignatureInk.
class SignatureSource {
public:
    virtual ~SignatureSource() = default;
    virtual std::uint32_t readSignaturePixel(int x, int y) const = 0;
};

// A signature source with no ink at all.
class BlankSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int, int) const override { return SignatureWhite; }
};

std::vector<std::uint8_t> encodeSignatureBlock(const SignatureSource& signature);

// The stored signature, rows from the top, as read from a site file.
using SignaturePixels =
    std::array<std::uint32_t, std::size_t{SignatureWidth} * std::size_t{SignatureHeight}>;

SiteResult<SignaturePixels> readSignature(const std::string& path, std::uint32_t signatureOffset);

} // namespace marlow
