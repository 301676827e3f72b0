// The paint routine's pixels: nearest pixel, area averages and bilinear blends, bottom alignment, partial areas.
#include <gtest/gtest.h>

#include <vector>

#include "shell/view/View.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

// Renders the covered part of `plan` into a target of `targetWidth` x
// `targetHeight` pixels filled with `background`.
std::vector<uint32_t> Render(const core::BmpImage& picture, const PaintPlan& plan, int targetWidth, int targetHeight,
                             uint32_t background = 0x12345678) {
    std::vector<uint32_t> target(size_t(targetWidth) * size_t(targetHeight), background);
    RenderPicture(picture.view(), plan, Rect{0, 0, targetWidth, targetHeight}, target.data(), targetWidth);
    return target;
}

uint32_t Opaque(uint32_t rgb) {
    return 0xFF000000u | rgb;
}

PaintPlan Plan(int sx, int sy, int sw, int sh, Rect dest, bool smooth) {
    return PaintPlan{true, smooth, sx, sy, sw, sh, dest};
}

TEST(Render, NearestPixelAt200PercentIsUprightAndBottomAligned) {
    // 3 x 2 picture; stored row 0 is the bottom row.
    const core::BmpImage picture =
        test::MakeImage(3, 2, [](uint32_t x, uint32_t r) { return 0x10 * (x + 1) + 0x100000 * r; });
    const std::vector<uint32_t> t = Render(picture, Plan(0, 0, 3, 2, Rect{0, 0, 6, 4}, false), 6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const uint32_t r = y < 2 ? 1 : 0;  // the top two screen rows show the top stored row
            EXPECT_EQ(t[size_t(y * 6 + x)], Opaque(0x10 * (uint32_t(x / 2) + 1) + 0x100000 * r)) << x << "," << y;
        }
}

TEST(Render, APictureSmallerThanTheViewLeavesTheRestToTheBackground) {
    const core::BmpImage picture = test::MakeSolid(2, 2, 0x00FF00);
    // A 4 x 4 view at 100%: the picture takes the bottom-left 2 x 2.
    const std::vector<uint32_t> t = Render(picture, Plan(0, 0, 4, 4, Rect{0, 0, 4, 4}, false), 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(t[size_t(y * 4 + x)], (x < 2 && y >= 2) ? Opaque(0x00FF00) : 0x12345678u) << x << "," << y;
}

TEST(Render, ScrolledSourceRectanglesShowTheirPart) {
    // 5 x 4 picture whose pixels name their place; a 2 x 2 window from column 2, stored row 1.
    const core::BmpImage picture = test::MakeImage(5, 4, [](uint32_t x, uint32_t r) { return x + 256 * r; });
    const std::vector<uint32_t> t = Render(picture, Plan(2, 1, 2, 2, Rect{0, 0, 2, 2}, false), 2, 2);
    EXPECT_EQ(t[0], Opaque(2 + 256 * 2));  // top-left: column 2, stored row 2
    EXPECT_EQ(t[1], Opaque(3 + 256 * 2));
    EXPECT_EQ(t[2], Opaque(2 + 256 * 1));  // bottom-left: stored row 1
    EXPECT_EQ(t[3], Opaque(3 + 256 * 1));
}

TEST(Render, At50PercentEachScreenPixelIsTheMeanOfTwoByTwo) {
    // Blue channel 10, 20 / 30, 41 in the left block: 101 / 4 rounds to 25.
    const uint8_t blues[2][4] = {{10, 20, 200, 200}, {30, 41, 100, 102}};  // [stored row][x]
    const core::BmpImage picture = test::MakeImage(4, 2, [&](uint32_t x, uint32_t r) { return blues[r][x]; });
    const std::vector<uint32_t> t = Render(picture, Plan(0, 0, 4, 2, Rect{0, 0, 2, 1}, true), 2, 1);
    EXPECT_EQ(t[0], Opaque(25));
    EXPECT_EQ(t[1], Opaque(151));  // 602 / 4 = 150.5 rounds up
}

TEST(Render, At25PercentABlockPictureAveragesBackToItsBlocks) {
    // Route against route: 4 x 4 blocks at 25% equal the block colours at 100%.
    const auto block = [](uint32_t x, uint32_t r) { return (x * 37 + r * 91) * 0x010203u & 0xFFFFFF; };
    const core::BmpImage small = test::MakeImage(5, 3, block);
    const core::BmpImage large = test::MakeImage(20, 12, [&](uint32_t x, uint32_t r) { return block(x / 4, r / 4); });
    const std::vector<uint32_t> reduced = Render(large, Plan(0, 0, 20, 12, Rect{0, 0, 5, 3}, true), 5, 3);
    const std::vector<uint32_t> direct = Render(small, Plan(0, 0, 5, 3, Rect{0, 0, 5, 3}, false), 5, 3);
    EXPECT_EQ(reduced, direct);
}

TEST(Render, APreviewAtScaleOneReproducesThePicture) {
    // The bilinear weights fall on pixel centres: route against the nearest pixel.
    const core::BmpImage picture =
        test::MakeImage(7, 5, [](uint32_t x, uint32_t r) { return x * 0x2A0F03u + r * 0x051C33u; });
    const PaintPlan preview = Plan(0, 0, 7, 5, Rect{3, 2, 7, 5}, true);
    const PaintPlan nearest = Plan(0, 0, 7, 5, Rect{3, 2, 7, 5}, false);
    EXPECT_EQ(Render(picture, preview, 12, 9), Render(picture, nearest, 12, 9));
}

TEST(Render, EnlargedAndReducedFlatPicturesStayFlat) {
    // Edge pixels must not blend with anything outside the picture.
    const core::BmpImage tiny = test::MakeSolid(3, 2, 0xC08040);
    const std::vector<uint32_t> up = Render(tiny, Plan(0, 0, 3, 2, Rect{1, 1, 31, 17}, true), 33, 19);
    const core::BmpImage big = test::MakeSolid(301, 199, 0xC08040);
    const std::vector<uint32_t> down = Render(big, Plan(0, 0, 301, 199, Rect{1, 1, 31, 17}, true), 33, 19);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 33; ++x) {
            const bool inside = x >= 1 && x < 32 && y >= 1 && y < 18;
            const uint32_t expected = inside ? Opaque(0xC08040) : 0x12345678u;
            EXPECT_EQ(up[size_t(y * 33 + x)], expected) << x << "," << y;
            EXPECT_EQ(down[size_t(y * 33 + x)], expected) << x << "," << y;
        }
}

TEST(Render, EnlargingBlendsNeighboursHalfWay) {
    // Two pixels, blue 0 and 200, stretched to four: the centres of the
    // inner screen pixels sit a quarter of the way between them.
    const core::BmpImage picture = test::MakeImage(2, 1, [](uint32_t x, uint32_t) { return x * 200; });
    const std::vector<uint32_t> t = Render(picture, Plan(0, 0, 2, 1, Rect{0, 0, 4, 1}, true), 4, 1);
    EXPECT_EQ(t[0], Opaque(0));
    EXPECT_EQ(t[1], Opaque(50));
    EXPECT_EQ(t[2], Opaque(150));
    EXPECT_EQ(t[3], Opaque(200));
}

TEST(Render, PartsRenderedApartEqualTheWhole) {
    // The window paints only what needs it and the printer paints in bands.
    const core::BmpImage picture =
        test::MakeImage(53, 41, [](uint32_t x, uint32_t r) { return x * 0x030507u ^ r * 0x0B0D11u; });
    for (const bool smooth : {false, true}) {
        const PaintPlan plan = Plan(3, 2, 37, 29, Rect{5, 4, 83, 61}, smooth);
        const std::vector<uint32_t> whole = Render(picture, plan, 95, 70);
        std::vector<uint32_t> parts(whole.size(), 0x12345678);
        for (int band = 0; band < 70; band += 9)
            for (int column = 0; column < 95; column += 40) {
                const Rect area{column, band, std::min(40, 95 - column), std::min(9, 70 - band)};
                RenderPicture(picture.view(), plan, area, parts.data() + band * 95 + column, 95);
            }
        EXPECT_EQ(parts, whole) << smooth;
    }
}

TEST(Render, At1600PercentTheLastOfSixPixelsReachesTheEdge) {
    const core::BmpImage picture = test::MakeImage(10, 1, [](uint32_t x, uint32_t) { return x; });
    // A 100-pixel view shows (100 + 9) / 16 = 6 pixels, each about 16.7 wide.
    const std::vector<uint32_t> t =
        Render(picture, Plan(0, 0, SourceLength(8, 100), 1, Rect{0, 0, 100, 1}, false), 100, 1);
    EXPECT_EQ(t[0], Opaque(0));
    EXPECT_EQ(t[16], Opaque(0));
    EXPECT_EQ(t[17], Opaque(1));
    EXPECT_EQ(t[99], Opaque(5));
}

}  // namespace
}  // namespace zorva::shell
