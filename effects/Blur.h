// The blurs of the "Размыть" menu: clipped box blurs of radius 1, 2 and 4, the strong ones repeated.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "core/simd/Kernels.h"

namespace zorva::effects {

using simd::Kernels;

enum class BlurLevel : uint8_t {
    Light,       // radius 1 once
    Medium,      // radius 2 once
    Strong,      // radius 2 three times
    VeryStrong,  // radius 4 three times
};

// The smallest width and height a level works on: 2, 5, 5 and 9.
uint32_t BlurMinimumSize(BlurLevel level);

// Blurs `image` in place. A picture narrower or lower than the level's
// minimum size is left unchanged. Every channel is blurred on its own,
// pure white like any other colour.
void Blur(core::MutableBmpView image, BlurLevel level, Kernels kernels = Kernels::Fastest);

// One clipped box blur of radius `radius` (1..4), in place: a vertical pass
// over every column, then a horizontal pass over every row of its result.
// Along a line of n values each output is the sum of the inputs from
// max(0, i - r) to min(n - 1, i + r) divided by their number, rounded
// down; each pass reads only values from before the pass.
void BoxBlur(core::MutableBmpView image, uint32_t radius, Kernels kernels = Kernels::Fastest);

}  // namespace zorva::effects
