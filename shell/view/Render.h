// The paint routine's pixel work: a paint plan turned into 32-bit screen or page pixels.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "shell/view/WindowState.h"

namespace zorva::shell {

// Renders the part `area` of the plan's destination into `out`: pixels
// 0xFFRRGGBB, rows top-down, `outStride` pixels apart, out[0] being the
// top-left pixel of `area`. Only pixels inside CoveredRect(plan) are written;
// the rest of `out` is left for the caller's background.
//
// Nearest pixel when the plan is not smooth. Smooth plans average: every
// destination pixel is the mean of the source pixels it covers when the
// picture is reduced (the screen's 25% and 50% and most previews), and a
// bilinear blend of its four nearest source pixels when it is enlarged (a
// small picture in the preview or on a page).
void RenderPicture(core::BmpView document, const PaintPlan& plan, Rect area, uint32_t* out, int outStride);

}  // namespace zorva::shell
