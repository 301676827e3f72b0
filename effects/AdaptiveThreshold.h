// The adaptive threshold: local luminance means once per picture, then any number of comparisons with them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/BmpImage.h"
#include "core/Plane.h"
#include "core/simd/Kernels.h"

namespace zorva::effects {

using simd::Kernels;

// The smallest width and height the local means are computed for.
inline constexpr uint32_t kLocalMeansMinimumSize = 17;

// Which local mean a pixel is compared with; the value is the byte of the
// record that holds it.
enum class WindowChoice : uint8_t {
    Square9 = 1,   // "9x9"
    Wide17 = 2,    // "17x9": 17 wide, 9 high
    Square17 = 3,  // "17x17"
};

// One LocalMeanRecord per pixel: byte 0 the pixel's luminance, bytes 1..3
// the mean luminance of the window of WindowChoice 1..3 centred on it.
constexpr uint32_t RecordLuma(uint32_t record) {
    return record & 0xFF;
}
constexpr uint32_t RecordMean(uint32_t record, WindowChoice window) {
    return (record >> (8 * uint32_t(window))) & 0xFF;
}

// Writes the LocalMeanRecord of every pixel of `image` into `records`
// (width x height words, bottom row first). The means are integer means
// over the window: the 9x9 sum divided by 81; the 17-wide sums are halved
// per row before they are added up (so that they fit 12 bits) and divided
// by 77 (17x9) and 145 (17x17), which makes a uniform area of 255 read 253
// and 254. A pixel whose window reaches beyond the picture takes the mean
// of the nearest pixel whose window fits. Returns false, writing nothing,
// for a picture narrower or lower than kLocalMeansMinimumSize.
bool ComputeLocalMeans(core::BmpView image, core::Plane<uint32_t> records, Kernels kernels = Kernels::Fastest);

// The two colours of a result plane: index 0 black, index 1 white.
inline constexpr std::array<uint32_t, 2> kBinaryColours = {0x000000, 0xFFFFFF};

// The dialog's form: for every pixel, with M its mean for `window`, the
// threshold T = M - level clamped to 0..255; the result is 1 (white) where
// the luminance is at least T, else 0 (black). `result` is a plane of the
// records' size.
void AdaptiveThreshold(core::Plane<const uint32_t> records, WindowChoice window, int level,
                       core::Plane<uint32_t> result, Kernels kernels = Kernels::Fastest);

// A rectangle of pixels in stored coordinates, bounds included.
struct PixelBox {
    int left = 0;
    int bottom = 0;
    int right = 0;
    int top = 0;
};

// The plate recognition's form of one binarisation.
struct PlateThreshold {
    WindowChoice window = WindowChoice::Wide17;
    // The level: given explicitly, or derived per pixel from its mean M by
    // `variant` (PlateLevel).
    std::optional<int> level;
    int variant = 0;  // 0..3
    int bias = 0;     // k, added to the threshold (the refinement pass index)
    // Only this box, widened by one pixel on each side and clipped to the
    // picture, is processed (the rest of `result` is left as it was); the
    // whole picture when empty.
    std::optional<PixelBox> region;
};

// The automatic level of `variant` for a pixel with mean `mean`: with m the
// distance from the nearer end (m = M below 128, else 255 - M), variant 0
// gives 8, variant 1 ((m + 15) / 4) / 2 + 4, variant 2 (m + 15) / 4 and
// variant 3 gives 0 (divisions rounding down).
int PlateLevel(int mean, int variant);

// For every processed pixel: T = clamp(M - L + bias, 0, 255); the result
// is 1 where the luminance is at least T, else 0.
void AdaptiveThreshold(core::Plane<const uint32_t> records, const PlateThreshold& threshold,
                       core::Plane<uint32_t> result, Kernels kernels = Kernels::Fastest);

// The dialog's preview in one pass: writes into `image` (of the records'
// size) what RenderBinaryPlane shows of AdaptiveThreshold's result for
// `window` and `level`, without a result plane.
void RenderAdaptiveThreshold(core::Plane<const uint32_t> records, WindowChoice window, int level,
                             core::MutableBmpView image, Kernels kernels = Kernels::Fastest);

// Writes a result plane into `image` (of the plane's size): 1 becomes
// white, 0 black.
void RenderBinaryPlane(core::Plane<const uint32_t> plane, core::MutableBmpView image,
                       Kernels kernels = Kernels::Fastest);

}  // namespace zorva::effects
