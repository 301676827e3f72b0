// Placement in the work arena, and the worst cases: a checkerboard of single pixels and a large noisy photo.
#include <gtest/gtest.h>

#include "segment/SegmentSelect.h"
#include "segment/SegmentStore.h"
#include "segment/Svg.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

struct Workbench {
    core::WorkArena arena;
    core::BmpImage document;
    SegmentStore store;

    Workbench(core::BmpImage image, size_t arenaSize = core::kArenaSize) : document(std::move(image)) {
        EXPECT_TRUE(arena.reserve(arenaSize));
        arena.carve(document.view());
    }
    bool inArena(const void* p) const {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        return b >= arena.journal() && b < arena.journal() + arena.size();
    }
};

// The label-image map sits at BackgroundCopy with MaskImage and FloatImage
// right behind it and the table after them; the indexed table follows its
// map, and after the run MaskImage starts right after record K. A write of
// the map's bytes by anyone else ends the segmentation.
TEST(SegmentStoreTest, PlacesMapsAndTablesInTheArena) {
    Workbench bench(test::PhotoLike(64, 48, 1));
    const uint32_t block = bench.arena.imageBlockSize();
    const uint8_t* background = bench.arena.background().data();
    ASSERT_TRUE(bench.store.placeEight(bench.arena, bench.document.view()));
    EXPECT_EQ(bench.store.labelMap().data(), background);
    EXPECT_EQ(bench.arena.mask().data(), background + block);
    EXPECT_EQ(bench.arena.floatImage().data(), background + 2 * block);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(bench.store.eightTable().data()), background + 3 * block);
    EXPECT_EQ(bench.store.eightTable().size(), SegmentEightCapacity(64, 48));

    ASSERT_TRUE(bench.store.placeIndexed(bench.arena, 64, 48));
    uint8_t* table = reinterpret_cast<uint8_t*>(bench.store.indexedTable().data());
    EXPECT_EQ(table, background + 4 * 64 * 48);
    bench.store.settleIndexed(bench.arena, 7);
    EXPECT_EQ(bench.arena.mask().data(), table + 8 * sizeof(IndexedSegmentRecord));
    EXPECT_EQ(bench.arena.floatImage().data(), bench.arena.mask().data() + 2 * block);
    EXPECT_TRUE(bench.store.matches(bench.arena, bench.document.view()));
    bench.arena.writeMask();
    EXPECT_TRUE(bench.store.matches(bench.arena, bench.document.view()));
    bench.arena.writeBackgroundBytes(bench.document.view().fileSize());
    EXPECT_FALSE(bench.store.matches(bench.arena, bench.document.view()));
    ASSERT_TRUE(bench.store.placeIndexed(bench.arena, 64, 48));
    bench.store.reset();
    EXPECT_FALSE(bench.store.matches(bench.arena, bench.document.view()));
}

// When the arena cannot hold the worst-case table, the table gets a block of
// its own instead of running past the arena's end.
TEST(SegmentStoreTest, TableTooLargeForTheArenaGetsItsOwnBlock) {
    // 600 x 400 needs 8 MiB + 2 x 1 MiB + 2 x 0.72 MB for its regions; a
    // 12 MiB arena holds them but neither worst-case table (7.6 MB for the
    // 8-connected records, 3.8 MB plus room behind for the indexed ones).
    Workbench bench(test::PhotoLike(600, 400, 2, 60), size_t(12) << 20);
    ASSERT_TRUE(bench.store.placeEight(bench.arena, bench.document.view()));
    EXPECT_FALSE(bench.store.tableInArena());
    EXPECT_FALSE(bench.inArena(bench.store.eightTable().data()));
    SegmentEightResult result =
        SegmentEight(bench.document.view(), bench.store.labelMap(), bench.store.eightTable(), 1, 2);
    EXPECT_EQ(result.status, SegmentStatus::Done);
    ASSERT_TRUE(bench.store.placeIndexed(bench.arena, 600, 400));
    EXPECT_FALSE(bench.store.tableInArena());
}

// The worst case: a checkerboard of single pixels (odd width, row padding)
// is one segment per pixel for the median-cut segmentation with no folding;
// tables, VectorData and the SVG text all grow as needed, nothing overruns
// (this runs under AddressSanitizer too), and the SVG is valid.
TEST(SegmentStoreTest, CheckerboardOfSinglePixels) {
    const uint32_t w = 301, h = 203;
    Workbench bench(test::TwoColour(w, h, 0xFFFFFF, 0x000000, [](uint32_t x, uint32_t r) { return (x + r) & 1; }));
    SegmentStore& store = bench.store;
    std::vector<uint32_t> histogram(kHistogramCells);

    ASSERT_TRUE(store.placeIndexed(bench.arena, w, h));
    uint32_t k = 0;
    SegmentMedianCutParams params;
    params.minSegmentPoints = 0;
    ASSERT_EQ(SegmentMedianCut(bench.document.view(), params, bench.arena.writePixelWords(kHistogramCells).data(),
                               store.indexedMap(), store.indexedTable(), store.palette, k),
              SegmentStatus::Done);
    EXPECT_EQ(k, (w - 1) * (h - 1));
    store.settleIndexed(bench.arena, k);
    for (uint16_t flags : {0, 5}) {
        store.prepareVectors(bench.arena);
        TraceSegments(store.indexedMap(), w, h, store.indexedRecords(), k, store.palette, flags, store.vectors);
        EXPECT_TRUE(store.vectors.spilled());
        const VectorView data = store.vectorData(bench.arena);
        ASSERT_TRUE(data.valid());
        EXPECT_EQ(test::OutlinePoints(data, k / 2).size(), 5u);
        const std::string svg = IndexedSvg(data);
        test::TempDir dir;
        ASSERT_TRUE(test::WriteText(dir.file("board.svg"), svg));
        EXPECT_TRUE(test::ValidSvg(dir.file("board.svg"), w, h));
    }
    // With folding, lone pixels fold into their neighbours.
    core::BmpImage again =
        test::TwoColour(w, h, 0xFFFFFF, 0x000000, [](uint32_t x, uint32_t r) { return (x + r) & 1; });
    params.minSegmentPoints = 5;
    ASSERT_EQ(SegmentMedianCut(again.view(), params, histogram.data(), store.indexedMap(), store.indexedTable(),
                               store.palette, k),
              SegmentStatus::Done);
    EXPECT_LT(k, (w - 1) * (h - 1) / 10);

    // 8-connected: diagonal neighbours join, two segments; the SVG walks them.
    core::BmpImage board =
        test::TwoColour(w, h, 0xFFFFFF, 0x000000, [](uint32_t x, uint32_t r) { return (x + r) & 1; });
    ASSERT_TRUE(store.placeEight(bench.arena, board.view()));
    SegmentEightResult result = SegmentEight(board.view(), store.labelMap(), store.eightTable(), 0, 1);
    ASSERT_EQ(result.status, SegmentStatus::Done);
    store.segmentCount = result.segmentCount;
    const std::string svg = EightSvg(store.labelMap(), store.eightRecords(), 0, "1.00");
    test::TempDir dir;
    ASSERT_TRUE(test::WriteText(dir.file("board8.svg"), svg));
    EXPECT_TRUE(test::ValidSvg(dir.file("board8.svg"), w, h));
}

// A large noisy photo through every step: colour palette, 8-connected with
// five repetitions, median-cut with 32 colours, tracing, both writers,
// selection; counts in the table agree with the map.
TEST(SegmentStoreTest, LargeNoisyPhoto) {
    const uint32_t w = 1601, h = 1203;
    Workbench bench(test::PhotoLike(w, h, 3, 40));
    SegmentStore& store = bench.store;
    uint32_t* histogram = bench.arena.writePixelWords(kHistogramCells).data();

    ASSERT_TRUE(store.placeEight(bench.arena, bench.document.view()));
    const SegmentEightResult eight = SegmentEight(bench.document.view(), store.labelMap(), store.eightTable(), 2, 5);
    ASSERT_EQ(eight.status, SegmentStatus::Done);
    store.segmentCount = eight.segmentCount;
    const std::string svg8 = EightSvg(store.labelMap(), store.eightRecords(), 5, "0.25");
    EXPECT_GT(svg8.size(), kSvgHeaderSize);
    test::TempDir dir8;
    ASSERT_TRUE(test::WriteText(dir8.file("photo8.svg"), svg8));
    EXPECT_TRUE(test::ValidSvg(dir8.file("photo8.svg"), w / 4, h / 4));

    core::BmpImage photo = test::PhotoLike(w, h, 3, 40);
    ASSERT_TRUE(store.placeIndexed(bench.arena, w, h));
    uint32_t k = 0;
    SegmentMedianCutParams params;
    params.colours = 32;
    ASSERT_EQ(
        SegmentMedianCut(photo.view(), params, histogram, store.indexedMap(), store.indexedTable(), store.palette, k),
        SegmentStatus::Done);
    store.settleIndexed(bench.arena, k);
    uint64_t total = 0;
    for (uint32_t s = 1; s <= k; ++s) total += SegmentPixels(store.indexedTable()[s]);
    EXPECT_EQ(total, uint64_t(w - 1) * (h - 1));
    store.prepareVectors(bench.arena);
    TraceSegments(store.indexedMap(), w, h, store.indexedRecords(), k, store.palette, 5, store.vectors);
    const std::string svg = IndexedSvg(store.vectorData(bench.arena));
    test::TempDir dir;
    ASSERT_TRUE(test::WriteText(dir.file("photo.svg"), svg));
    EXPECT_TRUE(test::ValidSvg(dir.file("photo.svg"), w / 4, h / 4));  // scale 0.25
    const std::optional<SegmentPick> pick =
        PickIndexedSegment(photo.view(), store.indexedMap(), store.indexedRecords(), store.palette, 800, 600);
    ASSERT_TRUE(pick);
    EXPECT_LE(pick->label, k);
}

}  // namespace
}  // namespace zorva::segment
