// The gradient filters: Sobel edges and the two pencil sketches "Карандаш Т" and "Карандаш М".
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "core/simd/Kernels.h"

namespace zorva::effects {

using simd::Kernels;

// The smallest width and height each filter works on; smaller pictures are
// left unchanged.
inline constexpr uint32_t kSobelMinimumSize = 3;
inline constexpr uint32_t kPencilHardMinimumSize = 3;
inline constexpr uint32_t kPencilSoftMinimumSize = 7;

// A gradient folded to a magnitude (-1 folds to 0), as the gradient loops
// of the processor layer take it.
using simd::FoldGradient;

// Each of the filters first copies `image` into `scratch` (a block of the
// picture's size, header included), reads the copy and writes `image`.

// Sobel edges per channel: min(255, |Gx| + |Gy|) with folded 3x3 Sobel
// gradients, for every pixel but those of the outermost rows and columns,
// which keep their values.
void Sobel(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels = Kernels::Fastest);

// "Карандаш Т": the Sobel gradients of the three channels, each channel's
// |Gx| + |Gy| shifted right by 2 and summed to s; the pixel becomes the grey
// 255 - min(255, s). The outermost rows and columns keep their values.
void PencilHard(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels = Kernels::Fastest);

// "Карандаш М": as "Карандаш Т" with sheared, widely spaced samples (three
// pixels apart, each sample row three columns further right than the one
// below it), for the pixels 4 <= x <= width - 3 and 3 <= y <= height - 4;
// the frame around them keeps its colours. Samples beyond the right edge
// repeat the last column.
void PencilSoft(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels = Kernels::Fastest);

}  // namespace zorva::effects
