// Decoding picture files with Qt's image readers into the program's BMP layout.
#pragma once

#include <QImage>
#include <string>

#include "shell/Host.h"

namespace zorva::platform {

// Reads any format Qt has a reader for (BMP with RLE, JPEG, PNG, GIF, TIFF,
// ICO), judged by content rather than name; flattens transparency against
// white; refuses pictures too large for the work arena before decoding them.
shell::DecodeResult DecodeWithQt(const std::string& path);

// A Qt image in the program's layout, transparency flattened against white;
// empty when it cannot be converted. The caller has checked its size.
core::BmpImage PictureFromQImage(QImage image);

}  // namespace zorva::platform
