// Contour tracing: outline walks, runs, simplification, shared borders, VectorData layout and table updates.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "segment/LabelOutline.h"
#include "segment/SegmentCommon.h"
#include "segment/Trace.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

using detail::Point;
using Points = std::vector<uint32_t>;

// A finished indexed segmentation drawn by hand: label(x, r) per pixel, the
// index of label l is l % 2, records as SegmentMedianCut leaves them.
struct HandMap {
    uint32_t w = 0, h = 0, k = 0;
    std::vector<uint32_t> map;
    std::vector<IndexedSegmentRecord> table;
    PaletteTable palette;
    WordBuffer out;

    HandMap(uint32_t width, uint32_t height, const std::function<uint32_t(uint32_t, uint32_t)>& label)
        : w(width), h(height), map(size_t(width) * height) {
        std::vector<uint32_t> count, first;
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t l = label(x, r);
                map[r * w + x] = l << 8 | (l % 2);
                if (l >= count.size()) {
                    count.resize(l + 1, 0);
                    first.resize(l + 1, 0xFFFFFFFF);
                }
                ++count[l];
                if (first[l] == 0xFFFFFFFF) first[l] = r << 16 | x;
            }
        k = uint32_t(count.size() - 1);
        table.resize(k + 1);
        for (uint32_t l = 1; l <= k; ++l) table[l] = IndexedSegmentRecord{count[l] << 8 | (l % 2), 0, first[l], 0};
        palette.colours[0] = 0x102030;
        palette.colours[1] = 0xF0E0D0;
        palette.size = 2;
    }
    VectorView trace(uint16_t flags) {
        out.reset(nullptr, 0);
        TraceSegments(map.data(), w, h, table, k, palette, flags, out);
        return VectorView(out.words());
    }
    // The same labels as a label-image map, for the 8-connected walk.
    core::BmpImage labelImage() const {
        core::BmpImage image = core::BmpImage::Decoded(w, h);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x) core::StorePixel(image.view().pixel(x, r), map[r * w + x] >> 8);
        return image;
    }
};

std::vector<RunView> Runs(const VectorView& data, uint32_t k) {
    BlockView block;
    EXPECT_TRUE(ReadBlock(data.block(k), block));
    return block.runs;
}

Points Reversed(std::span<const uint32_t> p) {
    return Points(p.rbegin(), p.rend());
}
Points Of(std::span<const uint32_t> p) {
    return Points(p.begin(), p.end());
}

// ---- walks ----

// A single pixel at (5, 7): corners (5,7) (5,8) (6,8) (6,7) and back to
// (5,7); the label-image walk stops before the closing move.
TEST(TraceTest, SinglePixelWalk) {
    HandMap hm(12, 10, [](uint32_t x, uint32_t r) { return x == 5 && r == 7 ? 2u : 1u; });
    for (uint16_t flags : {0, 5}) {
        const VectorView data = hm.trace(flags);
        EXPECT_EQ(test::OutlinePoints(data, 2),
                  (Points{Point(5, 7), Point(5, 8), Point(6, 8), Point(6, 7), Point(5, 7)}));
    }
    core::BmpImage labels = hm.labelImage();
    Points corners;
    uint32_t moves = 0;
    WalkLabelOutline(labels.view(), 2, 5, 7, 1, corners, moves);
    EXPECT_EQ(corners, (Points{Point(5, 7), Point(5, 8), Point(6, 8), Point(6, 7)}));
    EXPECT_EQ(moves, 3u);
}

// A 3 x 2 rectangle: only its four corners and the closing point.
TEST(TraceTest, RectangleKeepsOnlyItsCorners) {
    HandMap hm(10, 8, [](uint32_t x, uint32_t r) { return x >= 3 && x <= 5 && r >= 2 && r <= 3 ? 2u : 1u; });
    const VectorView data = hm.trace(0);
    EXPECT_EQ(test::OutlinePoints(data, 2), (Points{Point(3, 2), Point(3, 4), Point(6, 4), Point(6, 2), Point(3, 2)}));
}

// A diagonal chain of single pixels is one outline, walked through the
// diagonal steps, in both walks.
TEST(TraceTest, DiagonalChainIsOneOutline) {
    HandMap hm(8, 8, [](uint32_t x, uint32_t r) { return x == r && x >= 2 && x <= 4 ? 2u : 1u; });
    const Points expected{Point(2, 2), Point(2, 3), Point(3, 3), Point(3, 4), Point(4, 4), Point(4, 5), Point(5, 5),
                          Point(5, 4), Point(4, 4), Point(4, 3), Point(3, 3), Point(3, 2), Point(2, 2)};
    EXPECT_EQ(test::OutlinePoints(hm.trace(0), 2), expected);
    core::BmpImage labels = hm.labelImage();
    Points corners;
    uint32_t moves = 0;
    WalkLabelOutline(labels.view(), 2, 2, 2, 3, corners, moves);
    EXPECT_EQ(corners, Points(expected.begin(), expected.end() - 1));
}

// Route against route: around a blob in a one-label surround (a single run)
// the indexed walk with VectorFlags 0 stores every corner, which are exactly
// the label-image walk's corners plus the closing point.
TEST(TraceTest, UnsimplifiedWalkMatchesTheLabelImageWalk) {
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        test::Random random(seed);
        std::vector<bool> blob(30 * 20, false);
        for (uint32_t r = 3; r < 17; ++r)
            for (uint32_t x = 3; x < 27; ++x) blob[r * 30 + x] = random.below(100) < 75;
        HandMap hm(30, 20, [&](uint32_t x, uint32_t r) { return blob[r * 30 + x] ? 2u : 1u; });
        const uint32_t first = hm.table[2].firstPixel;  // tracing replaces its x by the outline's minimum
        const VectorView data = hm.trace(0);
        ASSERT_EQ(Runs(data, 2).size(), 1u);
        core::BmpImage labels = hm.labelImage();
        Points corners;
        uint32_t moves = 0;
        WalkLabelOutline(labels.view(), 2, first & 0xFFFF, first >> 16, 1000, corners, moves);
        ASSERT_GE(corners.size(), 2u);
        // The closing point follows; when the label walk's last move was
        // Left too, the indexed walk merges it into the closing point.
        const size_t n = corners.size();
        if (detail::PointY(corners[n - 2]) == detail::PointY(corners[n - 1]) &&
            detail::PointY(corners[n - 1]) == detail::PointY(first))
            corners.back() = corners.front();
        else
            corners.push_back(corners.front());
        EXPECT_EQ(Of(Runs(data, 2)[0].points), corners) << "seed " << seed;
    }
}

// ---- runs and shared borders ----

// Two segments side by side: the border is stored once by segment 1 and
// reused reversed by segment 2, vertex for vertex, straight or stepped.
TEST(TraceTest, SharedBorderHasIdenticalVertices) {
    const std::function<uint32_t(uint32_t, uint32_t)> shapes[2] = {
        [](uint32_t x, uint32_t) { return x < 5 ? 1u : 2u; },
        [](uint32_t x, uint32_t r) { return x < 3 + (r * 7 % 5) ? 1u : 2u; },
    };
    for (const auto& shape : shapes) {
        HandMap hm(10, 12, shape);
        const VectorView data = hm.trace(5);
        int shared = 0;
        for (const RunView& run : Runs(data, 2)) {
            if (run.neighbour >> 8 != 1) continue;
            for (const RunView& other : Runs(data, 1))
                if (other.neighbour >> 8 == 2 && other.points.back() == run.points.front()) {
                    EXPECT_EQ(Of(run.points), Reversed(other.points));
                    ++shared;
                }
        }
        EXPECT_EQ(shared, 1);
    }
}

// Segment B (label 2, first pixel (5,3)) fills the top-right corner. Segment
// A walks down B's left side and then, by a Down move and a diagonal step,
// reaches B's first pixel corner: a new run with the same neighbour starts
// there, so both of B's borders with A are A's runs reversed.
TEST(TraceTest, RunSplitsAtTheNeighboursFirstPixel) {
    HandMap hm(10, 8, [](uint32_t x, uint32_t r) { return x >= 5 && r >= 3 ? 2u : 1u; });
    const VectorView data = hm.trace(5);
    const uint32_t a = 1 << 8 | 1, b = 2 << 8 | 0;
    const std::vector<RunView> runsA = Runs(data, 1);
    ASSERT_EQ(runsA.size(), 4u);
    EXPECT_EQ(runsA[0].neighbour, 0u);
    EXPECT_EQ(Of(runsA[1].points), (Points{Point(5, 8), Point(5, 3)}));
    EXPECT_EQ(Of(runsA[2].points), (Points{Point(5, 3), Point(10, 3)}));
    EXPECT_EQ(runsA[1].neighbour, b);
    EXPECT_EQ(runsA[2].neighbour, b);
    const std::vector<RunView> runsB = Runs(data, 2);
    ASSERT_EQ(runsB.size(), 3u);
    EXPECT_EQ(runsB[0].neighbour, a);
    EXPECT_EQ(Of(runsB[0].points), Reversed(runsA[1].points));
    EXPECT_EQ(Of(runsB[2].points), Reversed(runsA[2].points));
    EXPECT_EQ(test::OutlinePoints(data, 2),
              (Points{Point(5, 3), Point(5, 8), Point(10, 8), Point(10, 3), Point(5, 3)}));
}

// ---- simplification ----

// The error level grows with the farthest point's squared distance (below
// 25, 100, 400, 1600, 6400, 25600: levels 1..6, else 7), capped by the setting.
TEST(TraceTest, RunErrorFollowsTheRunsSize) {
    const auto run = [](uint32_t dx, uint32_t dy) { return Points{Point(10, 10), Point(10 + dx, 10 + dy)}; };
    EXPECT_EQ(RunError(run(3, 3), 10), 1u);    // 18
    EXPECT_EQ(RunError(run(5, 0), 10), 2u);    // 25
    EXPECT_EQ(RunError(run(7, 7), 10), 2u);    // 98
    EXPECT_EQ(RunError(run(10, 0), 10), 3u);   // 100
    EXPECT_EQ(RunError(run(159, 0), 10), 6u);  // 25281
    EXPECT_EQ(RunError(run(160, 0), 10), 7u);  // 25600
    EXPECT_EQ(RunError(run(160, 0), 5), 5u);   // the setting itself when below 7
    EXPECT_EQ(RunError(run(3, 3), 0), 0u);
}

// Worked by hand on (0,0) (1,0) (2,1) (3,0) (10,0): F = (10,0) at 100, level 3.
// Setting 10 (E = 3): (2,1) deviates 2*10/10 = 2, dropped. Setting 1 (E = 1):
// kept, and then (1,0) deviates 2*1/2 = 1 and (3,0) 2*7/8 = 1, both dropped.
TEST(TraceTest, SimplifyRunSplitsByDeviation) {
    const Points run{Point(0, 0), Point(1, 0), Point(2, 1), Point(3, 0), Point(10, 0)};
    Points out;
    SimplifyRun(run, 10, out);
    EXPECT_EQ(out, (Points{Point(0, 0), Point(10, 0)}));
    SimplifyRun(run, 1, out);
    EXPECT_EQ(out, (Points{Point(0, 0), Point(2, 1), Point(10, 0)}));
    SimplifyRun(run, 0, out);
    EXPECT_EQ(out, run);
    // Two or three points are kept as they are.
    SimplifyRun(Points(run.begin(), run.begin() + 3), 10, out);
    EXPECT_EQ(out, Points(run.begin(), run.begin() + 3));
}

// A 3 x 3 square's run reaches only 18 from its start: E = 1 even with
// setting 10, so every corner stays; a long thin rectangle's middle bump of
// one pixel goes with setting 5.
TEST(TraceTest, SimplificationLevelsInTracing) {
    HandMap square(10, 10, [](uint32_t x, uint32_t r) { return x >= 2 && x <= 4 && r >= 2 && r <= 4 ? 2u : 1u; });
    EXPECT_EQ(test::OutlinePoints(square.trace(10), 2).size(), 5u);
    HandMap bar(200, 10, [](uint32_t x, uint32_t r) {
        return (r >= 2 && r <= 4 && x >= 2 && x < 198) || (r == 5 && x >= 100 && x < 103) ? 2u : 1u;
    });
    const size_t raw = test::OutlinePoints(bar.trace(0), 2).size();
    const size_t kept = test::OutlinePoints(bar.trace(5), 2).size();
    EXPECT_EQ(raw, 9u);
    EXPECT_LT(kept, raw);
}

// ---- VectorData and the table ----

// Header, record copies, block offsets, block markers, colours and the end marker.
TEST(TraceTest, VectorDataLayout) {
    HandMap hm(9, 7, [](uint32_t x, uint32_t r) { return x < 4 ? 1u : (r < 3 ? 2u : 3u); });
    const std::vector<IndexedSegmentRecord> before = hm.table;
    const VectorView data = hm.trace(1);
    const std::span<const uint32_t> w = data.words();
    ASSERT_TRUE(data.valid());
    EXPECT_EQ(std::memcmp(w.data(), ".zvc", 4), 0);
    EXPECT_EQ(data.width(), 9u);
    EXPECT_EQ(data.height(), 7u);
    EXPECT_EQ(data.segments(), 3u);
    EXPECT_EQ(w[4], 0x102030u);
    EXPECT_EQ(w[5], 0xF0E0D0u);
    EXPECT_EQ(w[6], 0u);
    for (uint32_t k = 1; k <= 3; ++k) {
        const IndexedSegmentRecord copy = data.record(k);
        EXPECT_EQ(copy.value, before[k].value);
        EXPECT_EQ(copy.firstPixel, before[k].firstPixel);
        EXPECT_EQ(copy.count, 0u);
        EXPECT_EQ(w[data.blockOffset(k) / 4], kBlockMarker);
        EXPECT_EQ(w[data.blockOffset(k) / 4 + 1], hm.palette.colours[k % 2]);
    }
    EXPECT_EQ(data.blockOffset(1), 4u * (36 + 5 * 3));
    EXPECT_EQ(w.back(), kBlockMarker);
}

// No segments: the header alone.
TEST(TraceTest, NoSegmentsWritesTheHeaderOnly) {
    std::vector<uint32_t> map(4, 0);
    std::vector<IndexedSegmentRecord> table(1);
    PaletteTable palette;
    WordBuffer out;
    TraceSegments(map.data(), 2, 2, table, 0, palette, 5, out);
    EXPECT_EQ(out.size(), kVectorHeaderWords);
}

// The table learns each outline's bounding box (width, height, minimum x;
// the row stays) and the last run's neighbour with the run count in its low
// byte. Tracing again from that table gives the same blocks.
TEST(TraceTest, TableUpdatesAndRepeatedTracing) {
    // An L: first pixel (4,2); the outline reaches x = 2 one row up.
    HandMap hm(10, 8, [](uint32_t x, uint32_t r) {
        return (r == 2 && (x == 4 || x == 5)) || (r == 3 && x >= 2 && x <= 4) ? 2u : 1u;
    });
    const VectorView first = hm.trace(3);
    const std::vector<uint32_t> words(first.words().begin(), first.words().end());
    const IndexedSegmentRecord& r = hm.table[2];
    EXPECT_EQ(OutlineWidth(r), 4);
    EXPECT_EQ(OutlineHeight(r), 2);
    EXPECT_EQ(OutlineLeft(r), 2);
    EXPECT_EQ(FirstRow(r), 2);
    EXPECT_EQ(r.link, (1u << 8) | 1u);  // one run, neighbour label 1
    const VectorView second = hm.trace(3);
    const size_t blocks = 36 + 5 * hm.k;
    ASSERT_EQ(second.words().size(), words.size());
    EXPECT_TRUE(std::equal(words.begin() + blocks, words.end(), second.words().begin() + blocks));
}

// VectorData that outgrows its region moves to a block of its own; the
// region is never written past its end and the data is the same.
TEST(TraceTest, VectorDataOutgrowingItsRegionMovesOut) {
    const auto pattern = [](uint32_t x, uint32_t r) { return 1 + (x + r) % 2 + 2 * ((x / 2 + r) % 2); };
    HandMap unbounded(41, 31, pattern);
    const VectorView reference = unbounded.trace(0);
    const std::vector<uint32_t> expected(reference.words().begin(), reference.words().end());
    HandMap hm(41, 31, pattern);
    std::vector<uint32_t> region(200 + 16, 0xA5A5A5A5);
    WordBuffer out;
    out.reset(region.data(), 200);
    TraceSegments(hm.map.data(), hm.w, hm.h, hm.table, hm.k, hm.palette, 0, out);
    EXPECT_TRUE(out.spilled());
    EXPECT_EQ(Of(out.words()), expected);
    for (size_t i = 200; i < region.size(); ++i) EXPECT_EQ(region[i], 0xA5A5A5A5u);
}

// The label-image outline simplification: setting 0 keeps every corner,
// 4 takes (unit moves + 1) / 128 + 1, others are the error itself; the
// deviation divides by |dx| + |dy|.
TEST(TraceTest, LabelOutlineSimplification) {
    const Points corners{Point(0, 0), Point(0, 10), Point(3, 10), Point(3, 11), Point(20, 11), Point(20, 0)};
    Points out;
    SimplifyLabelOutline(corners, 62, 0, out);
    EXPECT_EQ(out, corners);
    // Setting 4 on a 62-move outline: error 1. (3,10) and (3,11) on the top
    // edge between (0,10) and (20,11) deviate 2*|cross| / 21 = 1: dropped.
    SimplifyLabelOutline(corners, 62, 4, out);
    EXPECT_EQ(out, (Points{Point(0, 0), Point(0, 10), Point(20, 11), Point(20, 0)}));
    // Setting 4 on a 1000-move outline: error 8, the same here.
    SimplifyLabelOutline(corners, 1000, 4, out);
    EXPECT_EQ(out, (Points{Point(0, 0), Point(0, 10), Point(20, 11), Point(20, 0)}));
}

}  // namespace
}  // namespace zorva::segment
