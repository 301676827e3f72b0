// 8-connected segmentation: labelling, merging, resolve, paint and the tolerance schedule.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "segment/SegmentEight.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

using test::LabelAt;
using test::MakeImage;
using test::MakeSolid;
using test::Rgb;
using test::RunEight;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

// Records (labels 1..) whose root is `root`.
int RecordsUnder(const test::EightRun& run, uint32_t root) {
    int n = 0;
    for (uint32_t l = 1; l < run.result.segmentCount; ++l) n += run.records[l].parent == root;
    return n;
}

// One colour: a single segment over everything but stored row 0 and column
// 0, which stay unlabelled; the colour does not change.
TEST(SegmentEightTest, OneColourImageIsOneSegment) {
    core::BmpImage image = MakeSolid(6, 5, 0x336699);
    test::EightRun run = RunEight(image.view(), 2, 5);
    EXPECT_EQ(run.result.segmentCount, 2u);
    EXPECT_EQ(run.result.scans, 5u);
    for (uint32_t r = 0; r < 5; ++r)
        for (uint32_t x = 0; x < 6; ++x) {
            EXPECT_EQ(LabelAt(run.map.view(), x, r), x == 0 || r == 0 ? kUnlabelled : 1u) << x << "," << r;
            EXPECT_EQ(Rgb(image.view(), x, r), 0x336699u);
        }
    EXPECT_EQ(run.records[1].count, 20u);
    EXPECT_EQ(RecordColour(run.records[1]), 0x336699u);
}

// Diagonal lines stay one segment: rising ones through the lower-left
// neighbour, falling ones through the lower-right neighbour (column 1 looks
// only at the pixel below, so the falling line stays clear of it).
TEST(SegmentEightTest, DiagonalLinesStayOneSegment) {
    for (bool rising : {true, false}) {
        core::BmpImage image = MakeImage(11, 10, [&](uint32_t x, uint32_t r) {
            return (rising ? x == r : x + r == 10 && x >= 2) ? kBlack : kWhite;
        });
        test::EightRun run = RunEight(image.view(), 2, 1);
        const uint32_t label = LabelAt(run.map.view(), rising ? 1 : 9, 1);
        for (uint32_t x = 2; x <= 9; ++x) EXPECT_EQ(LabelAt(run.map.view(), x, rising ? x : 10 - x), label) << x;
        EXPECT_EQ(run.records[label].count, rising ? 9u : 8u);
    }
}

// An upright U (arms rising from a bottom bar) grows under one label; an
// arch (arms standing on the bottom, bar on top) starts with two labels that
// merge at the bar into the smaller one.
TEST(SegmentEightTest, UprightUHasOneLabelArchIsMerged) {
    core::BmpImage u = MakeImage(7, 7, [](uint32_t x, uint32_t r) {
        return (r == 1 && x >= 1 && x <= 5) || ((x == 1 || x == 5) && r >= 1 && r <= 5) ? kBlack : kWhite;
    });
    core::BmpImage arch = MakeImage(7, 7, [](uint32_t x, uint32_t r) {
        return (r == 5 && x >= 1 && x <= 5) || ((x == 1 || x == 5) && r >= 1 && r <= 5) ? kBlack : kWhite;
    });
    test::EightRun ru = RunEight(u.view(), 2, 1);
    test::EightRun ra = RunEight(arch.view(), 2, 1);
    const uint32_t uLabel = LabelAt(ru.map.view(), 1, 1);
    const uint32_t left = LabelAt(ra.map.view(), 1, 1);
    const uint32_t right = LabelAt(ra.map.view(), 5, 1);
    EXPECT_EQ(RecordsUnder(ru, uLabel), 1);
    EXPECT_EQ(left, right);                 // both arms end with one label...
    EXPECT_EQ(RecordsUnder(ra, left), 2);   // ...made of two merged labels
    EXPECT_EQ(ra.records[left].firstX, 1);  // the smaller, created at the left foot
    EXPECT_EQ(ra.records[left].count, 13u);
}

// With tolerance 2 and 5 repetitions the scans use 2, 4, 6, 8 and 10, each
// on the picture the previous one painted (route against route).
TEST(SegmentEightTest, ScansUseMultiplesOfTheTolerance) {
    core::BmpImage a = test::PhotoLike(40, 30, 7, 9);
    core::BmpImage b = test::PhotoLike(40, 30, 7, 9);
    test::EightRun run = RunEight(a.view(), 2, 5);
    core::BmpImage map = test::LabelMapBlock(b.view());
    std::vector<SegmentRecord> records(SegmentEightCapacity(40, 30));
    uint32_t count = 0;
    for (uint16_t t : {2, 4, 6, 8, 10})
        ASSERT_EQ(SegmentEightScan(b.view(), map.view(), records, t, count), SegmentStatus::Done);
    EXPECT_TRUE(test::SamePixels(b.view(), a.view()));
    EXPECT_EQ(count, run.result.segmentCount);
    // A fixed tolerance of 2 smooths less: the schedule matters.
    core::BmpImage c = test::PhotoLike(40, 30, 7, 9);
    for (int i = 0; i < 5; ++i) SegmentEightScan(c.view(), map.view(), records, 2, count);
    EXPECT_FALSE(test::SamePixels(c.view(), a.view()));
}

// A gradient stepping by 1 drifts off each label's reference colour (its
// first pixel's): with tolerance 2 every third pixel opens a new label.
TEST(SegmentEightTest, GradientDriftsOffTheReferenceColour) {
    core::BmpImage image = MakeImage(11, 2, [](uint32_t x, uint32_t) { return x * 0x010101; });
    test::EightRun run = RunEight(image.view(), 2, 1);
    const uint32_t expected[11] = {kUnlabelled, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4};
    for (uint32_t x = 0; x < 11; ++x) EXPECT_EQ(LabelAt(run.map.view(), x, 1), expected[x]) << x;
    EXPECT_EQ(run.result.segmentCount, 5u);
    EXPECT_EQ(Rgb(image.view(), 5, 1), 0x050505u);  // mean of 4, 5, 6
}

// A picture one pixel high (or wide) gets no labels and keeps its pixels.
TEST(SegmentEightTest, OnePixelHighOrWideImageIsUnchanged) {
    for (auto [w, h] : {std::pair{5u, 1u}, std::pair{1u, 5u}}) {
        core::BmpImage image = test::PhotoLike(w, h, 1);
        const core::BmpImage original = test::PhotoLike(w, h, 1);
        test::EightRun run = RunEight(image.view(), 2, 3);
        EXPECT_EQ(run.result.segmentCount, 1u);
        EXPECT_TRUE(test::SamePixels(original.view(), image.view()));
    }
}

// A segment's colour is the truncated mean of its pixels, on every channel.
TEST(SegmentEightTest, MeanColourIsTheTruncatedAverage) {
    const uint32_t blue[2][3] = {{100, 101, 102}, {100, 101, 103}};
    core::BmpImage image = MakeImage(
        4, 3, [&](uint32_t x, uint32_t r) { return x && r ? 0x400000 | 0x8000 | blue[r - 1][x - 1] : 0x000000; });
    test::EightRun run = RunEight(image.view(), 3, 1);
    EXPECT_EQ(Rgb(image.view(), 3, 2), 0x408065u);  // (607 / 6 = 101) blue
    EXPECT_EQ(Rgb(image.view(), 0, 2), 0u);         // column 0 keeps its colour
}

// A table that runs out stops the run before painting: the picture keeps
// what the previous scans made, and the status says why.
TEST(SegmentEightTest, ExhaustedTableFailsWithoutPainting) {
    core::BmpImage image = test::PhotoLike(20, 10, 4, 40);
    const core::BmpImage original = test::PhotoLike(20, 10, 4, 40);
    core::BmpImage map = test::LabelMapBlock(image.view());
    std::vector<SegmentRecord> records(3);
    SegmentEightResult result = SegmentEight(image.view(), map.view(), records, 1, 2);
    EXPECT_EQ(result.status, SegmentStatus::TooManyLabels);
    EXPECT_EQ(result.scans, 0u);
    EXPECT_TRUE(test::SamePixels(original.view(), image.view()));
}

// Flat areas are labelled and painted a block of pixels at a time; on random
// pictures of few colours in runs of every length (and near colours, and
// tables too small), the labels, the records, the painted picture and the
// map of a failed scan are those of the scan that takes each pixel alone.
TEST(SegmentEightTest, BlocksOfEqualPixelsChangeNothing) {
    test::Random random(17);
    for (int i = 0; i < 150; ++i) {
        const uint32_t w = 1 + random.below(80), h = 1 + random.below(30);
        uint32_t colours[4];
        for (uint32_t& c : colours) c = i % 2 ? 0x808080 + random.below(4) * 0x010101 : random.next() & 0xFFFFFF;
        // Rows of long runs over rows of short ones: labels of one colour
        // that meet only above, inside a block, must still merge there.
        const uint32_t count = 1 + random.below(4);
        uint32_t colour = 0, left = 0, runs = 1;
        const core::BmpImage source = MakeImage(w, h, [&](uint32_t x, uint32_t) {
            if (x == 0) {
                runs = random.below(2) ? 3 : 1 + random.below(60);
                left = 0;
            }
            if (left == 0) {
                colour = colours[random.below(count)];
                left = 1 + random.below(runs);
            }
            --left;
            return colour;
        });
        const size_t full = SegmentEightCapacity(w, h);
        const uint16_t tolerance = uint16_t(random.below(3));
        const size_t size = i % 3 ? full : 1 + random.below(uint32_t(full));
        core::BmpImage a = MakeImage(w, h, [&](uint32_t x, uint32_t r) { return Rgb(source.view(), x, r); });
        core::BmpImage b = MakeImage(w, h, [&](uint32_t x, uint32_t r) { return Rgb(source.view(), x, r); });
        core::BmpImage mapA = test::LabelMapBlock(a.view()), mapB = test::LabelMapBlock(b.view());
        std::vector<SegmentRecord> recordsA(size), recordsB(size);
        uint32_t countA = 0, countB = 0;
        for (int scan = 0; scan < 2; ++scan) {
            const SegmentStatus sa = SegmentEightScan(a.view(), mapA.view(), recordsA, tolerance, countA);
            const SegmentStatus sb =
                detail::SegmentEightScanPixelwise(b.view(), mapB.view(), recordsB, tolerance, countB);
            ASSERT_EQ(sa, sb) << i;
            ASSERT_EQ(countA, countB) << i;
            ASSERT_EQ(std::memcmp(a.data(), b.data(), a.view().fileSize()), 0) << i;
            ASSERT_EQ(std::memcmp(mapA.data(), mapB.data(), mapA.view().fileSize()), 0) << i;
            ASSERT_EQ(std::memcmp(recordsA.data(), recordsB.data(), size * sizeof(SegmentRecord)), 0) << i;
        }
    }
}

// The table needs one record per pixel of columns 1.. and rows 1.., plus record 0.
TEST(SegmentEightTest, CapacityCoversEveryLabelledPixel) {
    EXPECT_EQ(SegmentEightCapacity(1, 5), 1u);
    EXPECT_EQ(SegmentEightCapacity(5, 1), 1u);
    EXPECT_EQ(SegmentEightCapacity(4, 3), 7u);
    EXPECT_EQ(SegmentEightCapacity(21844, 65535), size_t(kMaxEightLabel) + 1);
}

}  // namespace
}  // namespace zorva::segment
