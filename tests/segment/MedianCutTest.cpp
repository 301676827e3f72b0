// Median-cut quantisation: cutting and tie rules, box colours, merging, palette order and both outputs.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "segment/MedianCut.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

using test::MakeImage;
using test::MakeSolid;
using test::Rgb;

struct Quantised {
    std::vector<uint32_t> histogram = std::vector<uint32_t>(kHistogramCells);
    std::vector<uint32_t> plane;
    PaletteTable palette;
    MedianCutStats stats;
};

Quantised Quantise(core::MutableBmpView image, uint32_t colours, PaletteOutput output) {
    Quantised q;
    q.plane.assign(size_t(image.width()) * image.height(), 0xDEADBEEF);
    q.stats = MedianCutPalette(image, colours, output, q.histogram.data(), q.plane.data(), q.palette);
    return q;
}

std::vector<uint32_t> Entries(const PaletteTable& p) {
    return {p.colours.begin(), p.colours.begin() + p.size};
}

// A picture from a list of colours, one pixel each, in one row.
core::BmpImage Strip(const std::vector<uint32_t>& colours) {
    return MakeImage(uint32_t(colours.size()), 1, [&](uint32_t x, uint32_t) { return colours[x]; });
}

// Many colours spread over the cube: far more than 257 occupied cells.
core::BmpImage Rainbow() {
    return MakeImage(256, 256, [](uint32_t x, uint32_t r) { return x << 16 | r << 8 | ((x * 7 + r * 13) & 0xFF); });
}

// One colour: no cut, one entry, the colour with its two low bits cleared;
// recolouring writes it everywhere and leaves the row padding alone.
TEST(MedianCutTest, OneColourGivesOneEntryWithLowBitsCleared) {
    core::BmpImage image = MakeSolid(7, 5, 0xFF8107);
    for (uint32_t r = 0; r < 5; ++r) std::memset(image.view().row(r) + 21, 0xAB, 3);
    Quantised q = Quantise(image.view(), 32, PaletteOutput::Recolour);
    EXPECT_EQ(Entries(q.palette), std::vector<uint32_t>{0xFC8004});
    EXPECT_EQ(q.stats.boxes, 1u);
    EXPECT_EQ(q.stats.merges, 0u);
    for (uint32_t r = 0; r < 5; ++r) {
        for (uint32_t x = 0; x < 7; ++x) EXPECT_EQ(Rgb(image.view(), x, r), 0xFC8004u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(image.view().row(r)[21 + i], 0xAB);
    }
}

// Two colours give two entries for any N >= 2, each the input with its two
// low bits cleared; the one with less blue comes first (first cut on blue).
TEST(MedianCutTest, TwoColoursGiveTwoEntriesForAnyN) {
    for (uint32_t n : {2u, 3u, 32u, 256u}) {
        core::BmpImage image =
            MakeImage(9, 4, [](uint32_t x, uint32_t r) { return (x + r) % 3 ? 0xFF0703 : 0x0A0BFF; });
        Quantised q = Quantise(image.view(), n, PaletteOutput::Index);
        EXPECT_EQ(Entries(q.palette), (std::vector<uint32_t>{0xFC0400, 0x0808FC})) << "N=" << n;
        for (uint32_t r = 0; r < 4; ++r)
            for (uint32_t x = 0; x < 9; ++x) EXPECT_EQ(q.plane[r * 9 + x], (x + r) % 3 ? 0u : 1u);
    }
}

// The whole cube ties on all three axes and is cut along blue: the colour
// with low blue but high red lands in box 0 (a cut on red would swap them).
TEST(MedianCutTest, FirstCutOfTheWholeCubeIsAlongBlue) {
    core::BmpImage image = Strip({0xFFFF00, 0x0000FF, 0xFFFF00, 0x0000FF});
    Quantised q = Quantise(image.view(), 8, PaletteOutput::Index);
    EXPECT_EQ(Entries(q.palette), (std::vector<uint32_t>{0xFCFC00, 0x0000FC}));
}

// Box 0 (extent 1 x 7 pixels) and box 1 (extent 1 x 6 pixels) both score 3
// after halving; the earlier box is cut first, which fixes the palette order
// box0-low, box1-low, box0-high, box1-high.
TEST(MedianCutTest, ProductsThatTieAfterHalvingCutTheEarlierBox) {
    core::BmpImage image = Strip({0x000000, 0x000000, 0x000000, 0x000000, 0x040000, 0x040000, 0x040000, 0x0000FC,
                                  0x0000FC, 0x0000FC, 0x0004FC, 0x0004FC, 0x0004FC});
    Quantised q = Quantise(image.view(), 32, PaletteOutput::Index);
    EXPECT_EQ(q.stats.boxes, 4u);
    EXPECT_EQ(Entries(q.palette), (std::vector<uint32_t>{0x000000, 0x0000FC, 0x040000, 0x0004FC}));
}

// Boxes A (10 px, blue 0), C (10 px, blue 248), B (1 px, blue 124) with N = 2:
// B is the smallest group and lies equally far from A and C; it joins A, the
// lower box index, which becomes (124 * 1 + 0 * 10) / 11 = 11.
TEST(MedianCutTest, MergeJoinsTheNearestWithTheLowestIndexOnTies) {
    std::vector<uint32_t> colours(10, 0x000000);
    colours.insert(colours.end(), 10, 0x0000F8);
    colours.push_back(0x00007C);
    core::BmpImage image = Strip(colours);
    Quantised q = Quantise(image.view(), 2, PaletteOutput::Index);
    EXPECT_EQ(q.stats.boxes, 3u);
    EXPECT_EQ(q.stats.merges, 1u);
    EXPECT_EQ(Entries(q.palette), (std::vector<uint32_t>{0x00000B, 0x0000F8}));
    EXPECT_EQ(q.plane[20], 0u);  // the blue-124 pixel went with black
}

// A (2 px) and B (2 px) tie as the smallest groups: the lower box (A) is
// taken and joins its nearest, B, at (0 * 2 + 124 * 2) / 4 = 62. On the way
// a cut with an empty upper side does not count and only shrinks the box.
TEST(MedianCutTest, SmallestGroupTieTakesTheLowestIndex) {
    std::vector<uint32_t> colours{0x000000, 0x000000, 0x00007C, 0x00007C};
    colours.insert(colours.end(), 10, 0x0000F8);
    core::BmpImage image = Strip(colours);
    Quantised q = Quantise(image.view(), 2, PaletteOutput::Index);
    EXPECT_EQ(q.stats.boxes, 3u);
    EXPECT_EQ(Entries(q.palette), (std::vector<uint32_t>{0x0000F8, 0x00003E}));
}

// Many colours and N = 32: 257 boxes, 225 merges, 32 entries; every pixel's
// index is below 32 and the recoloured picture holds palette colours only.
TEST(MedianCutTest, ManyColoursGive257BoxesAnd225Merges) {
    core::BmpImage image = Rainbow();
    Quantised q = Quantise(image.view(), 32, PaletteOutput::Recolour);
    EXPECT_EQ(q.stats.boxes, 257u);
    EXPECT_EQ(q.stats.merges, 225u);
    ASSERT_EQ(q.palette.size, 32u);
    const std::set<uint32_t> palette(q.palette.colours.begin(), q.palette.colours.begin() + 32);
    for (uint32_t r = 0; r < 256; ++r)
        for (uint32_t x = 0; x < 256; ++x) ASSERT_TRUE(palette.count(Rgb(image.view(), x, r)));
}

// Button "256": one merge takes 257 boxes to 256 entries; indices fit a byte.
TEST(MedianCutTest, TwoHundredFiftySixColoursKeepIndicesInOneByte) {
    core::BmpImage image = Rainbow();
    Quantised q = Quantise(image.view(), 256, PaletteOutput::Index);
    EXPECT_EQ(q.stats.merges, 1u);
    EXPECT_EQ(q.palette.size, 256u);
    EXPECT_EQ(*std::max_element(q.plane.begin(), q.plane.end()), 255u);
}

// Index mode leaves the picture alone; its indices name exactly the colours
// that recolour mode paints (route against route), and the histogram ends as
// the lookup table (index << 24 | colour).
TEST(MedianCutTest, IndexModeAgreesWithRecolourMode) {
    core::BmpImage indexed = test::PhotoLike(61, 47, 3);
    core::BmpImage painted = test::PhotoLike(61, 47, 3);
    const core::BmpImage original = test::PhotoLike(61, 47, 3);
    Quantised qi = Quantise(indexed.view(), 12, PaletteOutput::Index);
    Quantised qp = Quantise(painted.view(), 12, PaletteOutput::Recolour);
    EXPECT_TRUE(test::SamePixels(original.view(), indexed.view()));
    ASSERT_EQ(Entries(qi.palette), Entries(qp.palette));
    for (uint32_t r = 0; r < 47; ++r)
        for (uint32_t x = 0; x < 61; ++x) {
            const uint32_t index = qi.plane[r * 61 + x];
            ASSERT_LT(index, qi.palette.size);
            EXPECT_EQ(qi.palette.colours[index], Rgb(painted.view(), x, r));
            const uint32_t cell = HistogramCell(core::LoadPixel(original.view().pixel(x, r)));
            EXPECT_EQ(qi.histogram[cell], index << 24 | qi.palette.colours[index]);
        }
}

}  // namespace
}  // namespace zorva::segment
