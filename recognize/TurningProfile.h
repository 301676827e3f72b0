// Turning profiles of segment outlines: built from VectorData, compared by their squared differences.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "recognize/SymbolBase.h"

namespace zorva::recognize {

// Samples of a profile: the outline's cumulative turning at 128 points
// equally spaced along its length.
inline constexpr uint32_t kProfileSamples = 128;
// One full turn in profile units (the turning is kept to 1/4096 of a turn).
inline constexpr int32_t kFullTurn = 4096;

// The cumulative turning along an outline, in 1/4096 of a full turn, 16-bit
// and wrapping. Aligned so that the distance loads it eight samples at a time.
struct alignas(16) TurningProfile {
    int16_t samples[kProfileSamples];
};

// The marks base creation stores beside a profile. Bit i is bit (i mod 8)
// of byte i / 8.
struct ProfileMarks {
    uint8_t corners[16];        // starts all ones; four bits cleared around each sharp turn
    uint8_t reverses[16];       // set where the profile falls from one sample to the next
    uint32_t cornerClears = 0;  // bit-clearing operations made, repeats counted
    uint32_t reverseSets = 0;   // bits set, repeats counted
};

// A profile with the outline length L (the sum of the rounded edge lengths).
struct OutlineProfile {
    TurningProfile profile;
    uint32_t length = 0;
};

// One edge of an outline as the resampling needs it: its rounded length and
// the cumulative turning after it.
struct ProfileEdge {
    uint32_t length;
    int16_t turning;
};

// The profile of one segment block of VectorData (segment::VectorView::block):
// the points of its runs in order, a point equal to the one kept before it
// dropped; each edge's direction atan2(dy, dx) x 10431 and length rounded;
// the turning from edge to edge in 1/4096 turn (the first edge against
// direction 0) summed up and resampled by arc length to 128 samples with
// integer error accumulation. Nothing for a block without the block marker
// or an outline of zero length. `marks`, when given, receives the corner and
// reverse-turn marks of base creation. `scratch` keeps the edges between
// calls so that a caller profiling many segments allocates once.
std::optional<OutlineProfile> BuildProfile(std::span<const uint32_t> block, ProfileMarks* marks,
                                           std::vector<ProfileEdge>& scratch);
std::optional<OutlineProfile> BuildProfile(std::span<const uint32_t> block, ProfileMarks* marks = nullptr);

// The distance between a profile and a record's profile: for each pair of
// samples the squared 16-bit differences added (as the packed multiply-add
// forms them), shifted right by 4, summed. 0 for identical profiles. The sum
// is kept exact past 32 bits and given as 0xFFFFFFFF from there on, never
// wrapped round to a small distance. Both pointers 16-byte aligned.
uint32_t ProfileDistance(const int16_t* profile, const uint8_t* record);
// The same sum one sample pair at a time, byte by byte from the record: the
// reference the packed version is checked against, and the path of
// processors without it.
uint32_t ProfileDistancePlain(const int16_t* profile, const uint8_t* record);

// The labels a base's records stand for (LabelTables.h gives the three).
class LabelTable;

// The nearest record of a base.
struct Match {
    uint32_t record = 0;
    uint32_t distance = 0;
};

// Visits the records of `base` from the last to the first, skipping records
// the label table does not name and, when `expectedClass` is given, records
// whose class code is neither '8' nor that class; keeps a record whose
// distance is smaller than the best so far (the first visited is kept
// whatever its distance), so ties go to the highest record index. Nothing
// when no record qualifies (an empty base). `seen`, when given, is told
// every qualifying record with its distance, for a caller that weighs the
// runners-up too.
using MatchVisitor = std::function<void(const Match&)>;
std::optional<Match> BestMatch(const TurningProfile& profile, const SymbolBase& base, const LabelTable& labels,
                               std::optional<char> expectedClass = std::nullopt, const MatchVisitor& seen = {});

}  // namespace zorva::recognize
