// PNG files written through the tool's whole-or-nothing output.
#include "PictureFile.h"

#include "Output.h"
#include "SiteImages.h"

namespace marlow::tws {

Result<void> writePng(const std::string& path, const QImage& picture) {
    const Result<QByteArray> encoded = encodePng(picture);
    if (!encoded)
        return fail(encoded.error());
    const QByteArray& png = *encoded;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    if (const Result<void> written =
            writeOutputFile(path, {bytes, static_cast<std::size_t>(png.size())});
        !written)
        return fail(Error{"cannot write the picture: " + written.error().message,
                          written.error().systemError});
    return {};
}

} // namespace marlow::tws
