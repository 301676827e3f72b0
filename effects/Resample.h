// Stretching a part of a picture onto a target of 32-bit pixels: nearest pixel, area averaging or bilinear blending;
// turning a picture by any angle.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "core/Rect.h"

namespace zorva::effects {

// How a picture maps onto a target: the source rectangle (columns from
// sourceX, stored rows counted from the bottom from sourceY; either may
// reach beyond the picture) is stretched onto `dest`, its bottom row on the
// bottom edge of `dest`, higher rows going upward.
struct Stretch {
    bool smooth = false;  // averaging (or blending when enlarged) instead of nearest pixel
    int sourceX = 0;
    int sourceY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    core::Rect dest;
};

// The part of stretch.dest that pixels of a `width` x `height` picture
// cover: a picture smaller than the target leaves the rest to the background.
core::Rect CoveredArea(const Stretch& stretch, int width, int height);

// Resample's summing of smooth stretches: Fastest in 16 bits wherever the
// totals fit, Wide always in 32 (the tests' reference). Both give the same
// pixels.
enum class ResampleRoute { Fastest, Wide };

// Renders the part `area` of the stretch's destination into `out`: pixels
// 0xFFRRGGBB, rows top-down, `outStride` pixels apart, out[0] being the
// top-left pixel of `area`. Only pixels inside CoveredArea are written; the
// rest of `out` is left for the caller's background.
//
// Nearest pixel when the stretch is not smooth. Smooth stretches average:
// every destination pixel is the mean of the source pixels it covers when
// the picture is reduced, and a bilinear blend of its four nearest source
// pixels when it is enlarged.
void Resample(core::BmpView image, const Stretch& stretch, core::Rect area, uint32_t* out, int outStride,
              ResampleRoute route = ResampleRoute::Fastest);

// Writes `source` turned by `degrees` (counter-clockwise as the picture is
// seen) about its centre into `dest`, a picture of the same size: each
// pixel blended from the four source pixels around where it came from, and
// pixels that came from outside the source `fill` grey. The corners turned
// out of the frame are lost. `dest` must not overlap source.
void TurnAboutCentre(core::BmpView source, core::MutableBmpView dest, double degrees, uint8_t fill);

}  // namespace zorva::effects
