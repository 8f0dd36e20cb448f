// Writing a picture the tool made as a PNG file, whole or not at all.
#pragma once

#include "base/Result.h"

#include <QImage>
#include <string>

namespace marlow::tws {

// Encodes the picture in memory first, so that the file gets the whole
// picture or nothing; fails with "cannot make the picture: ..." or "cannot
// write the picture: ..." and the reason.
Result<void> writePng(const std::string& path, const QImage& picture);

} // namespace marlow::tws
