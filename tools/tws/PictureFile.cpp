// PNG files written through the tool's whole-or-nothing output.
#include "PictureFile.h"

#include "Output.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

namespace marlow::tws {

Result<void> writePng(const std::string& path, const QImage& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        return fail(Error{"cannot make the picture: " + writer.errorString().toStdString()});
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    if (const Result<void> written =
            writeOutputFile(path, {bytes, static_cast<std::size_t>(png.size())});
        !written)
        return fail(Error{"cannot write the picture: " + written.error().message,
                          written.error().systemError});
    return {};
}

} // namespace marlow::tws
