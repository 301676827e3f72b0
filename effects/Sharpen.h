// "резкость": sharpening against a separable 9x9 average.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "effects/Kernels.h"

namespace zorva::effects {

// The smallest width and height sharpening works on; smaller pictures are
// left unchanged.
inline constexpr uint32_t kSharpenMinimumSize = 9;

// The average of nine values from their sum S: (S - S / 8) / 8 with both
// divisions rounded down, about S / 9.14; it runs a little low, so nine
// equal values v give slightly less than v (128 gives 126).
constexpr uint32_t NineAverage(uint32_t sum) {
    return (sum - (sum >> 3)) >> 3;
}

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
