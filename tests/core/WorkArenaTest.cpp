// Region carving and the size limits of the work arena.
#include <gtest/gtest.h>

#include "core/WorkArena.h"

namespace zorva::core {
namespace {

TEST(WorkArena, CarvesRegionsInOrderFromTheDocumentHeader) {
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage doc = BmpImage::Decoded(640, 480);
    arena.journalWrite = 800;
    arena.carve(doc.view());
    const size_t p = 4 * 640 * 480;
    EXPECT_EQ(arena.pixelJournal, arena.base());
    EXPECT_EQ(arena.pixelPlane, arena.base() + 0x800000);
    EXPECT_EQ(arena.backgroundCopy, arena.pixelPlane + p);
    EXPECT_EQ(arena.maskImage, arena.backgroundCopy + p);
    EXPECT_EQ(arena.imageBlockSize, (54u + 1920u * 480u + 7u) & ~7u);
    EXPECT_EQ(arena.floatImage, arena.maskImage + arena.imageBlockSize);
    EXPECT_EQ(arena.journalWrite, 0u);
}

TEST(WorkArena, TinyPicturesStillGetOneMebibytePlanes) {
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage doc = BmpImage::Decoded(1, 1);
    arena.carve(doc.view());
    EXPECT_EQ(arena.planeSize, 0x100000u);
    EXPECT_EQ(arena.maskImage - arena.backgroundCopy, 0x100000);
    EXPECT_EQ(arena.imageBlockSize, 64u);  // file size 58 rounded up to 8
}

TEST(WorkArena, NewDocumentBlockSizeRoundsUp) {
    WorkArena arena;
    ASSERT_TRUE(arena.reserve());
    BmpImage doc = BmpImage::New();
    arena.carve(doc.view());
    EXPECT_EQ(arena.imageBlockSize, 2080856u);
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
