// Turning profiles: outline points to edge directions, cumulative turning resampled by arc length, distances.
#include "recognize/TurningProfile.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "core/simd/Kernels.h"
#include "recognize/LabelTables.h"
#include "segment/VectorData.h"

namespace zorva::recognize {

namespace {

// atan2 in radians times this gives the direction with a full turn of about
// 65536 units (65536 / 2 pi = 10430.4, taken as 10431).
constexpr double kDirectionScale = 10431.0;
// A jump of a quarter turn (1024 of 4096 units) between two samples is a corner.
constexpr int32_t kCornerRise = 1024;
constexpr int32_t kCornerFall = -1025;

// ---- edges ----

// Collects the edges of the block's outline: for each pair of consecutive
// distinct points the rounded length and the cumulative turning. Returns the
// outline length L, or nothing without the block marker.
std::optional<uint64_t> CollectEdges(std::span<const uint32_t> block, std::vector<ProfileEdge>& edges) {
    edges.clear();
    if (block.size() < 2 || block[0] != segment::kBlockMarker) return std::nullopt;
    // Skip the colour and the run list (neighbour values up to the first run).
    size_t i = 2;
    while (i < block.size() && block[i] != segment::kRunMarker) ++i;
    bool started = false;
    uint32_t kept = 0;
    uint16_t previousDirection = 0;  // the first edge turns from direction 0
    uint16_t cumulative = 0;
    uint64_t total = 0;
    while (i < block.size()) {
        const uint32_t word = block[i];
        if (word == segment::kRunMarker) {
            i += 2;  // the marker and the run's neighbour value
            continue;
        }
        if (word == segment::kBlockMarker) break;
        ++i;
        // The corner shared by consecutive runs, or a repeated point, is one point.
        if (started && word == kept) continue;
        if (!started) {
            started = true;
            kept = word;
            continue;
        }
        const int64_t dx = int64_t(word & 0xFFFF) - int64_t(kept & 0xFFFF);
        const int64_t dy = int64_t(word >> 16) - int64_t(kept >> 16);
        kept = word;
        // Directions are 16-bit values: a full turn wraps round.
        const uint16_t direction = uint16_t(std::lrint(std::atan2(double(dy), double(dx)) * kDirectionScale));
        const uint32_t length = uint32_t(std::lrint(std::sqrt(double(dx * dx + dy * dy))));
        // The turn from the previous edge, as a 16-bit wrap-around
        // difference, in 1/4096 turn (an arithmetic shift by 4).
        const int16_t turn = int16_t(int16_t(uint16_t(direction - previousDirection)) >> 4);
        previousDirection = direction;
        cumulative = uint16_t(cumulative + uint16_t(turn));
        edges.push_back({length, int16_t(cumulative)});
        total += length;
    }
    return total;
}

void ClearBit(uint8_t* mask, int32_t bit) {
    if (bit >= 0 && bit < int32_t(kProfileSamples)) mask[bit / 8] = uint8_t(mask[bit / 8] & ~(1u << (bit % 8)));
}
void SetBit(uint8_t* mask, int32_t bit) {
    if (bit >= 0 && bit < int32_t(kProfileSamples)) mask[bit / 8] = uint8_t(mask[bit / 8] | 1u << (bit % 8));
}

}  // namespace

std::optional<OutlineProfile> BuildProfile(std::span<const uint32_t> block, ProfileMarks* marks,
                                           std::vector<ProfileEdge>& edges) {
    const std::optional<uint64_t> total = CollectEdges(block, edges);
    if (!total || *total == 0) return std::nullopt;
    const int64_t length = int64_t(*total);
    OutlineProfile out;
    out.length = uint32_t(std::min<uint64_t>(*total, UINT32_MAX));
    if (marks) {
        std::memset(marks->corners, 0xFF, sizeof marks->corners);
        std::memset(marks->reverses, 0, sizeof marks->reverses);
        marks->cornerClears = marks->reverseSets = 0;
    }

    // ---- resample by arc length ----
    // e counts 128 x (arc length walked) - L x (samples emitted): each edge
    // emits while a sample's place still falls on it, and the last sample it
    // emitted is withdrawn again when less than half of it lies on the edge.
    // After the last edge exactly 128 samples stand.
    int64_t e = 0;
    uint32_t emitted = 0;
    int16_t previous = 0;  // the last value emitted, withdrawn or not
    for (const ProfileEdge& edge : edges) {
        e += int64_t(kProfileSamples) * edge.length;
        do {
            const int16_t v = edge.turning;
            // Sample 128 can only be a tentative one the rule withdraws again.
            if (emitted < kProfileSamples) out.profile.samples[emitted] = v;
            if (marks) {
                const int32_t i = int32_t(emitted);
                const int32_t rise = int32_t(v) - int32_t(previous);
                if ((rise >= kCornerRise || rise <= kCornerFall) && i >= 1) {
                    for (int32_t bit = i - 1; bit <= i + 2; ++bit) ClearBit(marks->corners, bit);
                    marks->cornerClears += 4;
                }
                if (v < previous) {
                    SetBit(marks->reverses, i);
                    ++marks->reverseSets;
                }
            }
            previous = v;
            ++emitted;
            e -= length;
        } while (e >= 0);
        e += length;
        if (e <= length / 2)
            --emitted;  // withdrawn: its marks stay
        else
            e -= length;
    }
    assert(emitted == kProfileSamples);
    return out;
}

std::optional<OutlineProfile> BuildProfile(std::span<const uint32_t> block, ProfileMarks* marks) {
    std::vector<ProfileEdge> edges;
    return BuildProfile(block, marks, edges);
}

// ---- distance ----

uint32_t ProfileDistancePlain(const int16_t* profile, const uint8_t* record) {
    return simd::ProfileDistance(profile, record, kProfileSamples, simd::Kernels::Plain);
}

uint32_t ProfileDistance(const int16_t* profile, const uint8_t* record) {
    return simd::ProfileDistance(profile, record, kProfileSamples);
}

// ---- best match ----

std::optional<Match> BestMatch(const TurningProfile& profile, const SymbolBase& base, const LabelTable& labels,
                               std::optional<char> expectedClass, const MatchVisitor& seen) {
    std::optional<Match> best;
    for (uint32_t i = base.count; i-- > 0;) {
        const std::optional<Label> label = labels[i];
        // A record the table does not name has no symbol to report.
        if (!label) continue;
        const bool qualifies = !expectedClass || label->classCode == '8' || label->classCode == *expectedClass;
        if (!qualifies && !seen) continue;
        const uint32_t distance = ProfileDistance(profile.samples, base.record(i));
        if (seen) seen(Match{i, distance});
        if (!qualifies) continue;
        if (!best || distance < best->distance) best = Match{i, distance};
    }
    return best;
}

}  // namespace zorva::recognize
