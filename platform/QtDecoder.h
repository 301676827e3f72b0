// Decoding picture files with Qt's image readers into the program's BMP layout.
#pragma once

#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "shell/Host.h"

namespace zorva::platform {

// Reads any format Qt has a reader for (BMP with RLE, JPEG, PNG, GIF, TIFF,
// ICO), judged by content rather than name; flattens transparency against
// white; refuses pictures too large for the work arena before decoding them.
shell::DecodeResult DecodeWithQt(const std::string& path);

// The picture as a PNG, JPEG (quality 92), TIFF or WebP file through Qt's
// image writers; nothing for the BMP (the editor writes it itself) or a
// format this Qt has no writer for (WebP without its plug-in).
std::optional<std::vector<uint8_t>> EncodeWithQt(core::BmpView picture, core::SaveFormat format);

// A Qt image in the program's layout, transparency flattened against white;
// empty when it cannot be converted. The caller has checked its size.
core::BmpImage PictureFromQImage(QImage image);

}  // namespace zorva::platform
