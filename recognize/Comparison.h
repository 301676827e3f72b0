// Symbol-base creation and comparison with a base, over the VectorData of a traced segmentation.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "recognize/LabelTables.h"
#include "recognize/SymbolBase.h"
#include "recognize/TurningProfile.h"
#include "segment/VectorData.h"

namespace zorva::recognize {

// Segment 1 of a silhouette or photo segmentation is the background.
inline constexpr uint32_t kFirstShapeSegment = 2;

// The SymbolRecord of one outline: profile, marks, segment number n - 1 and
// the two counts, then zeros. Fields too narrow for a value hold their
// largest value (a count of 255 means 255 or more; segment numbers above
// 65536 are written as 65535).
SymbolRecord MakeSymbolRecord(const OutlineProfile& outline, const ProfileMarks& marks, uint32_t segment);

// The bytes of a new base file: one record for each segment 2..K of `data`
// that has an outline of non-zero length, in segment order.
std::vector<uint8_t> MakeBaseRecords(const segment::VectorView& data);

// What the comparison found for one segment.
struct SegmentComparison {
    uint32_t segment = 0;
    uint32_t length = 0;         // L of its outline
    std::optional<Match> match;  // nothing when the base names no record
};

// For each segment 2..K of `data` with an outline: its profile's best match
// in `base` without class filter.
std::vector<SegmentComparison> CompareWithBase(const segment::VectorView& data, const SymbolBase& base,
                                               const LabelTable& labels);

}  // namespace zorva::recognize
