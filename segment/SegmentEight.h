// 8-connected segmentation: raster region growing with label merging, repeated with a growing tolerance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/BmpImage.h"

namespace zorva::segment {

// The label-image SegmentMap holds a 24-bit label at the byte position of
// every pixel; this value marks a pixel that belongs to no segment.
inline constexpr uint32_t kUnlabelled = 0xFFFFFF;
inline constexpr uint32_t kMaxEightLabel = 0xFFFFFE;

// One record per label, indexed by the label; record 0 carries no segment.
struct SegmentRecord {
    uint32_t parent;  // merge-forest parent; after the run the root label
    uint32_t count;   // pixels of this label; after the run a root's count is the segment's
    uint16_t firstX;  // the pixel that created the label (stored row from the bottom)
    uint16_t firstY;
    uint8_t colour[3];  // blue, green, red: reference colour while scanning, a root's mean afterwards
    uint8_t zero;
    uint32_t sumB;  // channel sums of the record's pixels (low 32 bits)
    uint32_t sumG;
    uint32_t sumR;
    // Carries out of the three sums, one byte each (blue low): a segment of
    // more than 16.8 million pixels overflows a 32-bit sum of 8-bit values.
    uint32_t reserved;
};
static_assert(sizeof(SegmentRecord) == 32);

// Records a scan of a width x height picture can need: one per label (at most
// one per pixel of columns 1..W-1 and rows 1..H-1, and never more than the
// 24-bit label space) plus record 0.
size_t SegmentEightCapacity(uint32_t width, uint32_t height);

enum class SegmentStatus {
    Done,
    TooManyLabels,  // the table or the label space ran out; the image is as the previous scan left it
};

struct SegmentEightResult {
    SegmentStatus status = SegmentStatus::Done;
    uint32_t segmentCount = 0;  // one more than the highest label of the last scan
    uint32_t scans = 0;         // scans completed (and painted)
};

// One scan at `tolerance`: fills `map` (a block of the image's file size; its
// header becomes a copy of the image's) with labels, builds the records,
// resolves, relabels every pixel with its root and paints each labelled pixel
// with its segment's mean colour. Stored row 0 and column 0 stay unlabelled.
// `records` needs SegmentEightCapacity(width, height) entries to never fail.
SegmentStatus SegmentEightScan(core::MutableBmpView image, core::MutableBmpView map, std::span<SegmentRecord> records,
                               uint16_t tolerance, uint32_t& segmentCount);

namespace detail {
// The same scan taking every pixel on its own, never a block of equal pixels
// at once: the plain route the scan's block route is checked against.
SegmentStatus SegmentEightScanPixelwise(core::MutableBmpView image, core::MutableBmpView map,
                                        std::span<SegmentRecord> records, uint16_t tolerance, uint32_t& segmentCount);
}  // namespace detail

// `repetitions` scans, scan k (from 1) at k x `tolerance`, each on the image
// the previous one painted. Stops at the first scan that fails.
SegmentEightResult SegmentEight(core::MutableBmpView image, core::MutableBmpView map, std::span<SegmentRecord> records,
                                uint32_t tolerance, uint32_t repetitions);

// Mean colour of a root after a run, as 0x00RRGGBB.
inline uint32_t RecordColour(const SegmentRecord& r) {
    return uint32_t(r.colour[2]) << 16 | uint32_t(r.colour[1]) << 8 | r.colour[0];
}

}  // namespace zorva::segment
