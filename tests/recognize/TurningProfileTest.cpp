// Turning profiles, their marks, the two distance routes and the best-match rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "recognize/LabelTables.h"
#include "recognize/TurningProfile.h"
#include "segment/VectorData.h"
#include "tests/segment/SegmentTestSupport.h"

namespace zorva::recognize {
namespace {

constexpr uint32_t Point(uint32_t x, uint32_t y) {
    return y << 16 | x;
}

// A segment block with one run through `points`, as tracing stores it.
std::vector<uint32_t> Block(const std::vector<uint32_t>& points) {
    std::vector<uint32_t> block{segment::kBlockMarker, 0x000000, 0x100, segment::kRunMarker, 0x100};
    block.insert(block.end(), points.begin(), points.end());
    return block;
}

// A record whose profile is `profile` (the rest zero), in an aligned base.
SymbolBase BaseOf(const std::vector<TurningProfile>& profiles) {
    SymbolBase base;
    base.records.assign(profiles.size() * kSymbolRecordSize, 0);
    for (size_t i = 0; i < profiles.size(); ++i)
        std::memcpy(base.records.data() + i * kSymbolRecordSize, profiles[i].samples, sizeof(TurningProfile));
    base.count = uint32_t(profiles.size());
    return base;
}

TurningProfile Filled(int16_t value) {
    TurningProfile p;
    for (int16_t& s : p.samples) s = value;
    return p;
}

// ---- profiles ----

// A 4 x 4 square walked up, right, down, left: directions 16385, 0, -16385
// and 32770 (atan2 x 10431), turns 1024, -1025, -1025, -1024 after the
// arithmetic shift; each side of length 4 gets 32 of the 128 samples. The
// quarter-turn test cuts at +1024 and -1025, so the last corner, a turn of
// -1024, is no corner; every fall sets its reverse bit.
TEST(TurningProfile, SquareByHand) {
    ProfileMarks marks;
    const auto square =
        BuildProfile(Block({Point(2, 3), Point(2, 7), Point(6, 7), Point(6, 7), Point(6, 3), Point(2, 3)}), &marks);
    ASSERT_TRUE(square);  // the repeated corner (6, 7) counts once
    EXPECT_EQ(square->length, 16u);
    const int16_t sides[4] = {1024, -1, -1026, -2050};
    for (uint32_t j = 0; j < kProfileSamples; ++j) EXPECT_EQ(square->profile.samples[j], sides[j / 32]) << j;
    uint8_t corners[16], reverses[16] = {};
    std::memset(corners, 0xFF, sizeof corners);
    corners[3] = corners[7] = 0x7F;                   // bits 31 and 63
    corners[4] = corners[8] = 0xF8;                   // bits 32..34 and 64..66
    reverses[4] = reverses[8] = reverses[12] = 0x01;  // bits 32, 64, 96
    EXPECT_EQ(std::memcmp(marks.corners, corners, 16), 0);
    EXPECT_EQ(std::memcmp(marks.reverses, reverses, 16), 0);
    EXPECT_EQ(marks.cornerClears, 8u);
    EXPECT_EQ(marks.reverseSets, 3u);
}

// Sample j carries the cumulative turning of the edge on which arc length
// (j + 1/2) L / 128 falls, a place exactly at an edge's end going to the
// next edge. A staircase of up and right moves of random lengths gives every
// edge its own cumulative value (up: 1024 - m, right: -1 - m), so each
// sample names its edge. Lengths run from 1 to far more than 128 samples'
// worth, and L = 256 makes places fall exactly on edge ends.
TEST(TurningProfile, ResamplingFollowsArcLength) {
    test::Random random(12);
    for (int round = 0; round < 300; ++round) {
        const uint32_t edges = 1 + random.below(round % 3 == 0 ? 200 : 12);
        std::vector<uint32_t> lengths(edges);
        uint32_t total = 0;
        for (uint32_t& l : lengths) total += l = 1 + random.below(round % 2 ? 4 : 300);
        if (round < 20) {  // L = 256: sample j's place is j + 1, an integer
            lengths.assign(1, 256 - (edges - 1));
            lengths.resize(edges, 1);
            total = 256;
        }
        std::vector<uint32_t> points{Point(0, 0)};
        std::vector<int16_t> expectedTurning;
        uint32_t x = 0, y = 0;
        for (uint32_t i = 0; i < edges; ++i) {
            (i % 2 == 0 ? y : x) += lengths[i];
            points.push_back(Point(x, y));
            expectedTurning.push_back(int16_t(i % 2 == 0 ? 1024 - int(i / 2) : -1 - int(i / 2)));
        }
        const auto profile = BuildProfile(Block(points));
        ASSERT_TRUE(profile);
        ASSERT_EQ(profile->length, total);
        uint64_t end = 0;
        uint32_t edge = 0;
        for (uint32_t j = 0; j < kProfileSamples; ++j) {
            // The first edge whose end lies strictly beyond the place.
            while (edge < edges && uint64_t(2 * j + 1) * total >= 256 * (end + lengths[edge])) end += lengths[edge++];
            ASSERT_EQ(profile->profile.samples[j], expectedTurning[edge]) << "round " << round << " sample " << j;
        }
    }
}

// No block marker, or an outline whose points are all equal: no profile.
TEST(TurningProfile, NoOutlineNoProfile) {
    EXPECT_FALSE(BuildProfile(std::vector<uint32_t>{0x12345678, 0, segment::kRunMarker, 0, Point(1, 1)}));
    EXPECT_FALSE(BuildProfile(Block({Point(4, 4), Point(4, 4), Point(4, 4)})));
    EXPECT_FALSE(BuildProfile(std::vector<uint32_t>{}));
}

// ---- distance ----

// Identical outlines are at distance 0; a rectangle turned a quarter turn is
// not, for the first edge's absolute direction is part of every sample.
TEST(ProfileDistance, IdenticalAndRotatedOutlines) {
    const auto wide = BuildProfile(Block({Point(0, 0), Point(0, 3), Point(8, 3), Point(8, 0), Point(0, 0)}));
    const auto moved = BuildProfile(Block({Point(5, 9), Point(5, 12), Point(13, 12), Point(13, 9), Point(5, 9)}));
    const auto tall = BuildProfile(Block({Point(0, 0), Point(0, 8), Point(3, 8), Point(3, 0), Point(0, 0)}));
    ASSERT_TRUE(wide && moved && tall);
    const SymbolBase base = BaseOf({wide->profile});
    EXPECT_EQ(ProfileDistance(moved->profile.samples, base.record(0)), 0u);
    EXPECT_GT(ProfileDistance(tall->profile.samples, base.record(0)), 100000u);
}

// The packed and the plain sums agree on random profiles, on profiles that
// differ by the largest 16-bit amounts, and by hand: a difference of 4 in
// every sample gives (16 + 16) >> 4 = 2 per pair, 128 in all; a difference of
// -32768 everywhere gives 2^27 per pair, 2^33 in all, which is no small
// number but the largest distance.
TEST(ProfileDistance, PackedAndPlainAgree) {
    const SymbolBase fours = BaseOf({Filled(4), Filled(0)});
    EXPECT_EQ(ProfileDistance(Filled(0).samples, fours.record(0)), 128u);
    EXPECT_EQ(ProfileDistancePlain(Filled(0).samples, fours.record(0)), 128u);
    EXPECT_EQ(ProfileDistance(Filled(-32768).samples, fours.record(1)), 0xFFFFFFFFu);
    EXPECT_EQ(ProfileDistancePlain(Filled(-32768).samples, fours.record(1)), 0xFFFFFFFFu);

    test::Random random(7);
    std::vector<TurningProfile> profiles(64);
    for (size_t i = 0; i < profiles.size(); ++i)
        for (int16_t& s : profiles[i].samples) {
            const uint32_t kind = uint32_t(i % 4);
            s = kind == 0   ? int16_t(random.below(65536))
                : kind == 1 ? int16_t(int(random.below(9000)) - 4500)
                : kind == 2 ? int16_t(random.below(2) ? 32767 : -32768)
                            : int16_t(int(random.below(200)) - 100);
        }
    const SymbolBase base = BaseOf(profiles);
    for (const TurningProfile& p : profiles)
        for (uint32_t r = 0; r < base.count; ++r)
            ASSERT_EQ(ProfileDistance(p.samples, base.record(r)), ProfileDistancePlain(p.samples, base.record(r)));
}

// ---- best match ----

// Records are visited from the last: on equal distances the highest index
// wins. The class filter passes records of class '8' and of the expected
// class. Records the label table does not name are never reported, and a
// base without records has no match.
TEST(BestMatch, TiesClassesAndUnnamedRecords) {
    const LabelTable labels("0a1b0c8d");
    const SymbolBase base = BaseOf({Filled(10), Filled(10), Filled(14), Filled(30), Filled(10), Filled(10)});
    const TurningProfile probe = Filled(10);
    ASSERT_TRUE(BestMatch(probe, base, labels));
    EXPECT_EQ(BestMatch(probe, base, labels)->record, 1u);  // records 4 and 5 lie beyond the table
    EXPECT_EQ(BestMatch(probe, base, labels)->distance, 0u);
    EXPECT_EQ(BestMatch(probe, base, labels, '0')->record, 0u);
    EXPECT_EQ(BestMatch(probe, base, labels, '3')->record, 3u);  // only class '8' is left
    EXPECT_EQ(BestMatch(probe, base, labels, '3')->distance, 64u * ((400 + 400) >> 4));
    EXPECT_FALSE(BestMatch(probe, SymbolBase{}, labels));
    EXPECT_FALSE(BestMatch(probe, base, LabelTable("")));
}

// The label of a record: its class code and symbol; base 3's Cyrillic
// symbols are whole characters; nothing beyond a table.
TEST(LabelTables, RecordsNameTheirSymbols) {
    EXPECT_EQ(BaseLabels(1).size(), 39u);
    EXPECT_EQ(BaseLabels(2).size(), 42u);
    EXPECT_EQ(BaseLabels(3).size(), 72u);
    EXPECT_EQ(RecordLabel(1, 7)->symbol, "8");
    EXPECT_EQ(RecordLabel(1, 7)->classCode, '3');
    EXPECT_EQ(RecordLabel(2, 41)->symbol, "A");
    EXPECT_EQ(RecordLabel(2, 41)->classCode, '2');
    EXPECT_EQ(RecordLabel(3, 53)->symbol, "б");
    EXPECT_EQ(RecordLabel(3, 59)->symbol, "Ъ");
    EXPECT_EQ(RecordLabel(3, 71)->symbol, "Ю");
    EXPECT_FALSE(RecordLabel(1, 39));
    EXPECT_FALSE(RecordLabel(4, 0));
}

}  // namespace
}  // namespace zorva::recognize
