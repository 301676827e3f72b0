// Reading a plain 24-bit BMP file straight into the document block, the layout it already has.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"

namespace zorva::core {

// Decodes the file open as `fd` (`fileSize` bytes) when it is an uncompressed
// 24-bit BMP with a Windows info header (40, 108 or 124 bytes), one plane,
// rows bottom-up or top-down, every row present, and a size the work arena
// holds (CheckFit). Its rows are read straight into a decoded block (file
// size + 16 bytes per row; padding and spare bytes zero), giving the bytes
// any full decoder gives for such a file. Empty for every other file or a
// failed read: the caller hands the file to a full decoder, which decides.
BmpImage ReadPlainBmp(int fd, uint64_t fileSize);

}  // namespace zorva::core
