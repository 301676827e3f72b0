// New bases from silhouettes and the nearest base record of every outline of a picture.
#include "recognize/Comparison.h"

#include <algorithm>
#include <cstring>

namespace zorva::recognize {

SymbolRecord MakeSymbolRecord(const OutlineProfile& outline, const ProfileMarks& marks, uint32_t segment) {
    SymbolRecord record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.profile, outline.profile.samples, sizeof record.profile);
    std::memcpy(record.cornerMask, marks.corners, sizeof record.cornerMask);
    std::memcpy(record.reverseMask, marks.reverses, sizeof record.reverseMask);
    record.segment = uint16_t(std::min<uint32_t>(segment - 1, 0xFFFF));
    record.cornerCount = uint8_t(std::min<uint32_t>(marks.cornerClears, 0xFF));
    record.reverseCount = uint8_t(std::min<uint32_t>(marks.reverseSets, 0xFF));
    return record;
}

std::vector<uint8_t> MakeBaseRecords(const segment::VectorView& data) {
    std::vector<uint8_t> bytes;
    if (!data.valid()) return bytes;
    std::vector<ProfileEdge> edges;
    for (uint32_t n = kFirstShapeSegment; n <= data.segments(); ++n) {
        ProfileMarks marks;
        const std::optional<OutlineProfile> outline = BuildProfile(data.block(n), &marks, edges);
        if (!outline) continue;
        const SymbolRecord record = MakeSymbolRecord(*outline, marks, n);
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&record);
        bytes.insert(bytes.end(), raw, raw + sizeof record);
    }
    return bytes;
}

std::vector<SegmentComparison> CompareWithBase(const segment::VectorView& data, const SymbolBase& base,
                                               const LabelTable& labels) {
    std::vector<SegmentComparison> found;
    if (!data.valid()) return found;
    std::vector<ProfileEdge> edges;
    for (uint32_t n = kFirstShapeSegment; n <= data.segments(); ++n) {
        const std::optional<OutlineProfile> outline = BuildProfile(data.block(n), nullptr, edges);
        if (!outline) continue;
        found.push_back({n, outline->length, BestMatch(outline->profile, base, labels)});
    }
    return found;
}

}  // namespace zorva::recognize
