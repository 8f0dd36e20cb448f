// The signature block's encoding, and reading it back from a file.
#include "SignatureBlock.h"

#include "ByteOrder.h"
#include "FileIo.h"

#include <cerrno>
#include <fcntl.h>

namespace marlow {

std::vector<std::uint8_t> encodeSignatureBlock(const SignatureSource& signature) {
    std::vector<std::uint8_t> block(SignatureBlockSize);
    std::uint8_t* out = block.data();
    for (int y = SignatureHeight - 1; y >= 0; --y) {
        for (int x = 0; x < SignatureWidth; ++x, out += 4)
            writeU32(out, signature.readSignaturePixel(x, y));
    }
    return block;
}

SiteResult<SignaturePixels> readSignature(const std::string& path, std::uint32_t signatureOffset) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return fail(cannotOpenError(errno));
    std::vector<std::uint8_t> block(SignatureBlockSize);
    const Result<std::size_t> n = readAt(fd.get(), block.data(), block.size(), signatureOffset);
    if (!n)
        return fail(cannotOpenError(n.error().systemError));
    if (*n < block.size())
        return fail(damagedError("the signature block is cut short."));
    SignaturePixels pixels = {};
    const std::uint8_t* in = block.data();
    for (int y = SignatureHeight - 1; y >= 0; --y) {
        for (int x = 0; x < SignatureWidth; ++x, in += 4)
            pixels[static_cast<std::size_t>(y) * SignatureWidth + static_cast<std::size_t>(x)] =
                readU32(in);
    }
    return pixels;
}

} // namespace marlow
