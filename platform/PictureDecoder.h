// Opening picture files: the fast readers of the common formats, Qt's readers for the rest.
#pragma once

#include <string>

#include "shell/Host.h"

namespace zorva::platform {

// Decodes the picture file at `path` into the decoded BmpImage layout,
// judged by content rather than name: a plain 24-bit BMP is read straight
// into the block (core::ReadPlainBmp), a JPEG by libjpeg-turbo
// (DecodeJpeg), an 8-bit PNG by libpng (DecodePng); every other file, and
// any file one of them refuses, goes to Qt's readers (DecodeWithQt), which
// decide. The pictures are byte for byte those of DecodeWithQt.
shell::DecodeResult DecodePicture(const std::string& path);

}  // namespace zorva::platform
