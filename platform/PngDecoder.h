// Decoding PNG files with libpng straight into the program's BMP layout.
#pragma once

#include <cstdint>
#include <span>

#include "core/BmpImage.h"

namespace zorva::platform {

// Decodes an 8-bit PNG file held in `file` (truecolour, grey, palette, with
// or without alpha; interlaced or not) into a decoded block, rows bottom-up
// in blue, green, red, transparency blended over white. The same library
// with the same settings as Qt's PNG reader reads it, and every colour
// comes out as that reader's picture flattened by the Qt route
// (PictureFromQImage). Empty for everything else (16-bit samples, 1-bit,
// grey below 8 bits, any error in the data, a picture the work arena cannot
// hold): the caller hands the file to Qt's reader, which decides.
core::BmpImage DecodePng(std::span<const uint8_t> file);

}  // namespace zorva::platform
