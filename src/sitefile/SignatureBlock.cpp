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

SignatureResult readSignature(const std::string& path, std::uint32_t signatureOffset) {
    SignatureResult result;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        result.error = cannotOpenError(errno);
        return result;
    }
    std::vector<std::uint8_t> block(SignatureBlockSize);
    const ssize_t n = readAt(fd.get(), block.data(), block.size(), signatureOffset);
    if (n < 0) {
        result.error = cannotOpenError(errno);
        return result;
    }
    if (static_cast<std::size_t>(n) < block.size()) {
        result.error = damagedError("the signature block is cut short.");
        return result;
    }
    const std::uint8_t* in = block.data();
    for (int y = SignatureHeight - 1; y >= 0; --y) {
        for (int x = 0; x < SignatureWidth; ++x, in += 4)
            result.pixels[static_cast<std::size_t>(y * SignatureWidth + x)] = readU32(in);
    }
    return result;
}

} // namespace marlow
