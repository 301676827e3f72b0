// Decoding PNG files straight into the program's BMP layout (libdeflate for the common files, libpng for the rest).
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
//
// A plain (non-interlaced) file is inflated in one piece and its rows
// unfiltered here, when every chunk from the image data on is whole and
// right; any other file, and any doubt, goes row by row through libpng,
// whose reading decides. Both routes give the same picture; the route can be
// chosen for tests that check exactly that.
enum class PngRoute {
    Fastest,          // the whole stream where it can, else libpng row by row
    RowByRow,         // libpng only
    WholeStreamOnly,  // the whole-stream route or nothing (for tests)
};
core::BmpImage DecodePng(std::span<const uint8_t> file, PngRoute route = PngRoute::Fastest);

}  // namespace zorva::platform
