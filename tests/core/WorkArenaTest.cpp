// Region carving and the size limits of the work arena.
#include <gtest/gtest.h>

#include "core/WorkArena.h"

namespace zorva::core {
namespace {

// The address of a read view's first byte, for layout checks.
const uint8_t* At(BmpView v) {
    return v.data();
}
const uint8_t* At(Plane<const uint32_t> p) {
    return reinterpret_cast<const uint8_t*>(p.data);
}

TEST(WorkArena, CarvesRegionsInOrderFromTheDocumentHeader) {
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage doc = BmpImage::Decoded(640, 480);
    arena.journalWrite = 800;
    arena.carve(doc.view());
    const size_t p = 4 * 640 * 480;
    EXPECT_EQ(At(arena.pixelPlane()), arena.journal() + 0x800000);
    EXPECT_EQ(At(arena.background()), At(arena.pixelPlane()) + p);
    EXPECT_EQ(At(arena.mask()), At(arena.background()) + p);
    EXPECT_EQ(arena.imageBlockSize(), (54u + 1920u * 480u + 7u) & ~7u);
    EXPECT_EQ(At(arena.floatImage()), At(arena.mask()) + arena.imageBlockSize());
    EXPECT_EQ(arena.journalWrite, 0u);
    // The typed views: the document's width x height words, packed.
    const Plane<uint32_t> plane = arena.writePixelPlane();
    EXPECT_EQ(plane.width, 640u);
    EXPECT_EQ(plane.height, 480u);
    EXPECT_EQ(plane.stride, 640u);
}

TEST(WorkArena, TinyPicturesStillGetOneMebibytePlanes) {
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage doc = BmpImage::Decoded(1, 1);
    arena.carve(doc.view());
    EXPECT_EQ(arena.planeSize(), 0x100000u);
    EXPECT_EQ(At(arena.mask()) - At(arena.background()), 0x100000);
    EXPECT_EQ(arena.imageBlockSize(), 64u);  // file size 58 rounded up to 8
}

// A lease lasts until someone writes the bytes it covers, in whichever
// region they lie; reading never breaks one, and a new install breaks all.
TEST(WorkArena, WritesBreakTheLeasesOfTheBytesTheyCover) {
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage doc = BmpImage::Decoded(64, 48);
    arena.carve(doc.view());
    const uint32_t block = arena.imageBlockSize();

    arena.writePixelPlane();
    const Lease means = arena.lease(Region::PixelPlane);
    arena.writeBackground();
    const Lease background = arena.lease(Region::BackgroundCopy);
    EXPECT_TRUE(arena.holds(means));
    arena.pixelPlane();
    arena.background();
    EXPECT_TRUE(arena.holds(means) && arena.holds(background));
    arena.writePixelWords(16);
    EXPECT_FALSE(arena.holds(means));
    EXPECT_TRUE(arena.holds(background));

    // The 8-connected layout: map, MaskImage, FloatImage, table in a row.
    const SegmentPlacement eight = arena.placeLabelMap(1000);
    ASSERT_NE(eight.table, nullptr);
    EXPECT_EQ(At(arena.mask()), eight.map + block);
    EXPECT_EQ(At(arena.floatImage()), eight.map + 2 * block);
    EXPECT_EQ(eight.table, eight.map + 3 * block);
    const Lease map = arena.lease(Region::BackgroundCopy);
    const Lease table = arena.lease(Region::SegmentTables);
    EXPECT_FALSE(arena.holds(background));
    arena.writeMask();  // a snapshot's white fill stays in MaskImage
    arena.writeFloat(block);
    EXPECT_TRUE(arena.holds(map) && arena.holds(table));
    arena.writeFloat(block + 1);  // a floating selection larger than the document reaches the table
    EXPECT_TRUE(arena.holds(map));
    EXPECT_FALSE(arena.holds(table));
    arena.writeBackgroundBytes(100);  // a barcode's work plane
    EXPECT_FALSE(arena.holds(map));

    // The indexed layout: map, table, then MaskImage (two blocks) and FloatImage.
    const SegmentPlacement indexed = arena.placeIndexedMap(4 * 64 * 48, 4000);
    ASSERT_EQ(indexed.table, indexed.map + 4 * 64 * 48);
    arena.settleIndexedTable(160);
    EXPECT_EQ(At(arena.mask()), indexed.table + 160);
    EXPECT_EQ(At(arena.floatImage()), indexed.table + 160 + 2 * block);
    EXPECT_EQ(arena.writeMaskWords().size(), 2 * block / 4);
    const Lease indexedMap = arena.lease(Region::BackgroundCopy);
    arena.carve(doc.view());
    EXPECT_FALSE(arena.holds(indexedMap));
    EXPECT_FALSE(arena.holds(Lease{}));
}

TEST(WorkArena, NewDocumentBlockSizeRoundsUp) {
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage doc = BmpImage::New();
    arena.carve(doc.view());
    EXPECT_EQ(arena.imageBlockSize(), 2080856u);
}

TEST(WorkArena, RefusesPicturesBeyondTheLayoutAndThe16BitLimits) {
    EXPECT_EQ(CheckFit(1, 1), ImageFit::Fits);
    EXPECT_EQ(CheckFit(4000, 3000), ImageFit::Fits);  // 12 MP
    EXPECT_EQ(CheckFit(kMaxWidth, 100), ImageFit::Fits);
    EXPECT_EQ(CheckFit(kMaxWidth + 1, 100), ImageFit::TooLarge);  // stride would leave 16 bits
    EXPECT_EQ(CheckFit(100, 65535), ImageFit::Fits);
    EXPECT_EQ(CheckFit(100, 65536), ImageFit::TooLarge);
    EXPECT_EQ(CheckFit(0, 10), ImageFit::TooLarge);
    // The layout needs 8 MiB + 2 * 4 * W * H + 2 * block: just over 37.7 million
    // pixels fill the 512 MiB.
    EXPECT_EQ(CheckFit(6000, 6200), ImageFit::Fits);      // 37.2 MP
    EXPECT_EQ(CheckFit(6200, 6200), ImageFit::TooLarge);  // 38.4 MP
    EXPECT_EQ(CheckFit(21844, 21844), ImageFit::TooLarge);
    for (uint32_t w : {4000u, 6000u, 6139u}) {
        const uint32_t h = 6150;
        EXPECT_EQ(CheckFit(w, h) == ImageFit::Fits, LayoutFor(w, h).required() <= kArenaSize) << w;
    }
}

}  // namespace
}  // namespace zorva::core
