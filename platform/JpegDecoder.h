// Decoding JPEG files with libjpeg-turbo straight into the program's BMP layout.
#pragma once

#include <cstdint>
#include <span>

#include "core/BmpImage.h"

namespace zorva::platform {

// Decodes a grey or YCbCr/RGB JPEG file held in `file` into a decoded block,
// rows bottom-up in blue, green, red, with the same library, IDCT (the
// accurate integer one), upsampling (fancy) and handling of a file cut short
// (the missing blocks grey) as Qt's JPEG reader, so the bytes are those of
// the Qt route. Empty for anything else (CMYK, a broken header, a picture
// the work arena cannot hold, a fatal error in the data): the caller hands
// the file to Qt's reader, which decides.
core::BmpImage DecodeJpeg(std::span<const uint8_t> file);

}  // namespace zorva::platform
