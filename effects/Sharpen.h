// "резкость": sharpening against a separable 9x9 average.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "core/simd/Kernels.h"

namespace zorva::effects {

using simd::Kernels;

// The smallest width and height sharpening works on; smaller pictures are
// left unchanged.
inline constexpr uint32_t kSharpenMinimumSize = 9;

// The average of nine values from their sum, (S - S / 8) / 8, as the
// sharpening loops of the processor layer take it.
using simd::NineAverage;

// Sharpens `image` in place. `average` (a block of the picture's size)
// receives the picture's header and the 9x9 average: NineAverage of each
// column's nine rows y - 4 .. y + 4, then NineAverage of nine such values
// along the row for 4 <= x <= width - 5 (nearer the left and right edges
// the column value alone). In the four rows nearest the top and the bottom
// the column value is that of the rows inside the picture, their sum taken
// as if of nine rows. Every byte v then becomes v + 4 * (v - a), clamped to
// 0..255, with a the average at its place: a flat area of 128 becomes 144.
void Sharpen(core::MutableBmpView image, core::MutableBmpView average, Kernels kernels = Kernels::Fastest);

}  // namespace zorva::effects
