// Contour tracing of the indexed segment map: outline walks along pixel edges, runs by neighbour, simplification by
// splitting.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "segment/MedianCut.h"
#include "segment/SegmentMedianCut.h"
#include "segment/VectorData.h"

namespace zorva::segment {

// Traces every segment 1..K of a finished indexed SegmentMap into `out` as
// VectorData: header (magic, W, H, K, first 32 palette entries), copies of
// records 1..K, K block offsets, the blocks, the end marker. Each outline is
// walked from the segment's first pixel keeping the segment on the right,
// diagonal steps first; cut into runs by the neighbour on the other side;
// each run simplified with error min(level, low byte of `vectorFlags`) (raw
// when `vectorFlags` is 0), or, when the neighbour was traced before and has
// the matching run, stored as that run reversed. Afterwards table[k] holds
// the outline's bounding box and last-run data (see IndexedSegmentRecord).
// `table` needs K + 1 entries.
void TraceSegments(const uint32_t* map, uint32_t width, uint32_t height, std::span<IndexedSegmentRecord> table,
                   uint32_t segments, const PaletteTable& palette, uint16_t vectorFlags, WordBuffer& out);

// The error a run p0..pn-1 is simplified with: min(level, setting), the
// level 1..7 as the farthest point lies below 5, 10, 20, 40, 80, 160 or
// farther from p0.
uint32_t RunError(std::span<const uint32_t> run, uint32_t setting);

// Simplifies one run as TraceSegments stores it: p0, then for n > 3 the
// points kept by splitting p0..F and F..pn-1 (F the farthest from p0) where a
// point deviates by more than RunError (2 |cross| / rounded Euclidean length);
// every point when `vectorFlags` is 0.
void SimplifyRun(std::span<const uint32_t> run, uint16_t vectorFlags, std::vector<uint32_t>& out);

}  // namespace zorva::segment
