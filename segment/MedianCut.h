// Median-cut colour quantisation over a 64x64x64 histogram, with merging of boxes down to the requested palette.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/BmpImage.h"

namespace zorva::segment {

// 64 levels per channel (the top six bits of red, green and blue).
inline constexpr uint32_t kHistogramCells = 64 * 64 * 64;
inline constexpr size_t kHistogramBytes = kHistogramCells * sizeof(uint32_t);  // 1 MiB
// 256 counted cuts starting from one box give at most 257 boxes.
inline constexpr uint32_t kMedianCuts = 256;
inline constexpr uint32_t kMaxColourBoxes = kMedianCuts + 1;
inline constexpr uint32_t kMaxPaletteSize = 256;

// Cell of a pixel: red is the slowest axis, blue the fastest.
inline constexpr uint32_t HistogramCell(uint32_t bgr) {
    return ((bgr >> 18) & 0x3F) << 12 | ((bgr >> 10) & 0x3F) << 6 | ((bgr >> 2) & 0x3F);
}

// Up to 256 colours 0x00RRGGBB (blue in the low byte), filled from index 0
// upward; entries from `size` on are zero.
struct PaletteTable {
    std::array<uint32_t, kMaxPaletteSize> colours{};
    uint32_t size = 0;
};

// One box of the colour cube: bounds, extents and colour per axis in the order
// blue, green, red (6-bit levels, bounds inclusive; the colour 8-bit), and the
// number of pixels inside.
struct ColourBox {
    uint8_t low[3];
    uint8_t high[3];
    uint8_t extent[3];
    uint8_t colour[3];
    uint32_t count;
};
static_assert(sizeof(ColourBox) == 16);

// What median cut does with the palette it built.
enum class PaletteOutput {
    Recolour,  // every pixel of the image takes its palette colour
    Index,     // the image is untouched; each pixel's palette index goes to the index plane
};

// What a run built, for callers that report it and for tests.
struct MedianCutStats {
    uint32_t boxes = 0;   // boxes after cutting (at most 257)
    uint32_t merges = 0;  // box merges made to reach the palette size
};

// Quantises `image` (at least one pixel) to at most `colours` colours
// (1..256; the dialogs give 2..32 or 256).
// `histogram`: kHistogramCells words of scratch (the start of PixelPlane);
// on return each occupied cell holds (palette index << 24) | 0x00RRGGBB.
// `indexPlane`: width x height words, bottom row first, no padding; written
// (palette index per pixel) only in PaletteOutput::Index, else may be null.
// `palette` receives min(boxes, colours) entries in box order.
MedianCutStats MedianCutPalette(core::MutableBmpView image, uint32_t colours, PaletteOutput output, uint32_t* histogram,
                                uint32_t* indexPlane, PaletteTable& palette);

}  // namespace zorva::segment
