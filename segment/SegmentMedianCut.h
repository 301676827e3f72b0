// Median-cut 4-connected segmentation: palette indices grown into regions, small regions folded, four cycles.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/BmpImage.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"

namespace zorva::segment {

// The indexed SegmentMap holds one 32-bit value per pixel, bottom row first,
// no padding: the palette index in bits 0..7, the segment label in bits 8..31
// (0 = no segment). A record's "value" has the same form.
inline constexpr uint32_t kMaxIndexedLabel = 0xFFFFFF;
// Segmentation palettes have at most 32 colours (the PaletteDistance table).
inline constexpr uint32_t kSegmentColours = 32;

// A SegmentMap word: the segment's label above its palette index byte.
inline constexpr uint32_t ValueLabel(uint32_t value) {
    return value >> 8;
}
inline constexpr uint32_t ValueIndex(uint32_t value) {
    return value & 0xFF;
}

// 16 bytes per label; record 0 carries no segment. The meaning of the fields
// changes from the growing cycles to the finished table to the traced table.
struct IndexedSegmentRecord {
    // During a cycle (parent label << 8) | index, a root being its own parent;
    // finished: (pixel count << 8) | index.
    uint32_t value;
    // During a cycle the pixel count; finished: 0; traced: outline bounding-box
    // width in the low 16 bits, height in the high 16 bits.
    uint32_t count;
    // (y << 16) | x of the segment's first pixel in scan order (y from the
    // bottom); traced: the low 16 bits become the bounding box's minimum x.
    uint32_t firstPixel;
    // During a cycle the value of the most similar neighbouring segment met
    // (0 for none); traced: the last run's neighbour value with the run count
    // modulo 256 in the low byte.
    uint32_t link;
};
static_assert(sizeof(IndexedSegmentRecord) == 16);

// Field views of a finished (and traced) record.
inline uint32_t SegmentPixels(const IndexedSegmentRecord& r) {
    return r.value >> 8;
}
inline uint32_t SegmentIndex(const IndexedSegmentRecord& r) {
    return r.value & 0xFF;
}
inline uint16_t OutlineWidth(const IndexedSegmentRecord& r) {
    return uint16_t(r.count);
}
inline uint16_t OutlineHeight(const IndexedSegmentRecord& r) {
    return uint16_t(r.count >> 16);
}
inline uint16_t OutlineLeft(const IndexedSegmentRecord& r) {
    return uint16_t(r.firstPixel);
}
inline uint16_t FirstRow(const IndexedSegmentRecord& r) {
    return uint16_t(r.firstPixel >> 16);
}

// The six-term colour distance between the first 32 palette entries,
// entry (a << 5) | b, as a table so that growing and folding compare colours
// by one lookup.
struct PaletteDistance {
    std::array<uint16_t, kSegmentColours * kSegmentColours> entries{};

    static PaletteDistance From(const PaletteTable& palette);
    uint16_t operator()(uint32_t a, uint32_t b) const { return entries[(a & 31) << 5 | (b & 31)]; }
};

struct SegmentMedianCutParams {
    uint32_t colours = 2;           // the requested palette size N, 1..32
    uint32_t minSegmentPoints = 5;  // segments of at most this many pixels are folded
    // True: median cut builds the index plane first. False: the caller filled
    // the map with bare indices and the palette; small means at most 15 pixels
    // for index 0 and at most 1 pixel for the others.
    bool quantiseFirst = true;
};

// Records one growing cycle over a width x height map can need: one per
// labelled pixel (columns 0..W-2, rows 0..H-2), capped by the 24-bit label
// field, plus record 0.
size_t IndexedSegmentCapacity(uint32_t width, uint32_t height);

// Segments `image` into 4-connected regions of equal palette index: optional
// median cut into `map` (index mode, `histogram` as its scratch), then four
// cycles of grow, resolve, link update, five folding passes, numbering and
// map rewrite; finally moves the K segment records to 1..K as
// (count << 8) | index and paints rows 0..H-2 with the palette colours.
// `map`: width x height words. `table`: IndexedSegmentCapacity entries never
// fail. `palette`: written by median cut, else read. `segmentCount` = K.
// On TooManyLabels nothing of the image has been changed.
SegmentStatus SegmentMedianCut(core::MutableBmpView image, const SegmentMedianCutParams& params, uint32_t* histogram,
                               uint32_t* map, std::span<IndexedSegmentRecord> table, PaletteTable& palette,
                               uint32_t& segmentCount);

namespace detail {
// The same segmentation running all four cycles, even after one that folded
// nothing: the plain route that stopping early is checked against.
SegmentStatus SegmentMedianCutAllCycles(core::MutableBmpView image, const SegmentMedianCutParams& params,
                                        uint32_t* histogram, uint32_t* map, std::span<IndexedSegmentRecord> table,
                                        PaletteTable& palette, uint32_t& segmentCount);
}  // namespace detail

// The window of a plate pass: left column, bottom row, right and top bounds
// (exclusive; clipped to the picture).
struct SegmentWindowRect {
    uint16_t x0 = 0;
    uint16_t y0 = 0;
    uint16_t x1 = 0;
    uint16_t y1 = 0;
};

// Records SegmentWindow can need for `window` (clipped to the picture).
size_t SegmentWindowCapacity(uint32_t width, uint32_t height, SegmentWindowRect window);

// The plate-recognition variant over a map of bare indices 0 and 1 that the
// caller filled: one growing pass without links inside the window (rows
// y0..y1-2, columns x0..x1-2), resolve, then every segment of index 0 below
// 15 pixels and every segment above (W x H >> 9) + 250 pixels becomes
// "no segment, index 1"; numbering and map rewrite over rows y0..y1-1 and
// columns x0..x1-2; records moved down to 1..K. Nothing is painted.
SegmentStatus SegmentWindow(uint32_t width, uint32_t height, SegmentWindowRect window, uint32_t* map,
                            std::span<IndexedSegmentRecord> table, uint32_t& segmentCount);

}  // namespace zorva::segment
