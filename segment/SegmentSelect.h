// Segment selection: pick the segment under the pointer (shown in negative) and remove it (painted white).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/BmpImage.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"

namespace zorva::segment {

// What the status bar and the drawing colour learn about a picked segment.
struct SegmentPick {
    uint32_t label = 0;   // the segment's label (its number)
    uint32_t colour = 0;  // 0x00RRGGBB
    uint32_t area = 0;    // pixels
};

// Label-image form (8-connected segmentation). `map` has the image's shape;
// `records` the table of the last scan (SegmentCount entries). When (x, y)
// lies in the picture on a labelled pixel, inverts every pixel of that label
// and returns it with its mean colour and count; otherwise changes nothing.
std::optional<SegmentPick> PickEightSegment(core::MutableBmpView image, core::BmpView map,
                                            std::span<const SegmentRecord> records, uint32_t x, uint32_t y);

// Indexed form (median-cut segmentation): `map` is width x height values,
// `table` the finished records 0..K. The colour is the palette colour of the
// pixel's index, the area the record's count.
std::optional<SegmentPick> PickIndexedSegment(core::MutableBmpView image, const uint32_t* map,
                                              std::span<const IndexedSegmentRecord> table, const PaletteTable& palette,
                                              uint32_t x, uint32_t y);

// Paints every pixel whose map label is `label` white; maps and tables are
// only read. Label 0 (nothing picked) changes nothing.
void RemoveEightSegment(core::MutableBmpView image, core::BmpView map, uint32_t label);
void RemoveIndexedSegment(core::MutableBmpView image, const uint32_t* map, uint32_t label);

}  // namespace zorva::segment
