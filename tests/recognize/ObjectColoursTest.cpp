// Object recognition by colour: hue by hand, the choice of dominant colours and the strip.
#include <gtest/gtest.h>

#include "recognize/ObjectColours.h"
#include "tests/support/TestSupport.h"

namespace zorva::recognize {
namespace {

// The six corners of the circle and a colour inside a rising and a falling
// sixth: d = 96, S = 224 give 256 x 96 / 224 = 109 and 39 x 109 / 256 = 16.
TEST(Hue240, ByHand) {
    EXPECT_EQ(Hue240(224, 0, 0), 0);
    EXPECT_EQ(Hue240(224, 224, 0), 40);
    EXPECT_EQ(Hue240(0, 224, 0), 80);
    EXPECT_EQ(Hue240(0, 224, 224), 120);
    EXPECT_EQ(Hue240(0, 0, 224), 160);
    EXPECT_EQ(Hue240(224, 0, 224), 200);
    EXPECT_EQ(Hue240(224, 96, 0), 16);   // red towards yellow
    EXPECT_EQ(Hue240(96, 224, 0), 64);   // from yellow down towards green
    EXPECT_EQ(Hue240(0, 96, 224), 144);  // from cyan towards blue, counted down from 160
    EXPECT_EQ(Hue240(224, 0, 96), 224);  // magenta towards red, counted down from 240
    EXPECT_EQ(Hue240(96, 96, 96), 0);    // grey
}

// A pure grey picture has no saturated colour: every entry is zero and
// nothing is painted beyond the posterisation (128 + 16 = 144, level 4,
// 4 x 32 + 31 = 159).
TEST(ObjectColours, GreyPictureChoosesNothing) {
    core::BmpImage grey = test::MakeSolid(9, 5, 0x808080);
    const DominantColourList colours = RecogniseObjectColours(grey.view());
    for (const DominantColour& c : colours) EXPECT_EQ(c.count, 0u);
    for (uint32_t r = 0; r < 5; ++r)
        for (uint32_t x = 0; x < 9; ++x) ASSERT_EQ(test::Rgb(grey.view(), x, r), 0x9F9F9Fu);
}

// 30 columns of red and 10 of green, 3 rows: red (level 7, 0, 0) comes first
// as E00000 (H 0, S and V 224), then green 00E000 (H 80). T = 120, halved
// twice to 30 <= 40: bands of 90 / 4 = 22 and 30 / 4 = 7 columns over all 3
// rows; the rest keeps its posterised colours (0 -> 31, 255 -> 255).
TEST(ObjectColours, DominantColoursAndTheirStrip) {
    core::BmpImage picture =
        test::MakeImage(40, 3, [](uint32_t x, uint32_t) { return x < 30 ? 0xFF0000u : 0x00FF00u; });
    const DominantColourList colours = RecogniseObjectColours(picture.view());
    EXPECT_EQ(colours[0].rgb, 0xE00000u);
    EXPECT_EQ(colours[0].hue, 0);
    EXPECT_EQ(colours[0].saturation, 0xE0);
    EXPECT_EQ(colours[0].value, 0xE0);
    EXPECT_EQ(colours[0].count, 90u);
    EXPECT_EQ(colours[1].rgb, 0x00E000u);
    EXPECT_EQ(colours[1].hue, 80);
    EXPECT_EQ(colours[1].count, 30u);
    EXPECT_EQ(colours[2].count, 0u);
    for (uint32_t r = 0; r < 3; ++r)
        for (uint32_t x = 0; x < 40; ++x) {
            const uint32_t expected = x < 22 ? 0xE00000u : x < 29 ? 0x00E000u : x < 30 ? 0xFF1F1Fu : 0x1FFF1Fu;
            ASSERT_EQ(test::Rgb(picture.view(), x, r), expected) << x << "," << r;
        }
}

// Equal counts go to the higher bin (red, bin 448, before blue, bin 7);
// the strip is 129 rows high at most.
TEST(ObjectColours, TiesGoToTheHigherBinAndTheStripIs129RowsHigh) {
    core::BmpImage picture =
        test::MakeImage(4, 200, [](uint32_t x, uint32_t) { return x < 2 ? 0x0000FFu : 0xFF0000u; });
    const DominantColourList colours = RecogniseObjectColours(picture.view());
    EXPECT_EQ(colours[0].rgb, 0xE00000u);
    EXPECT_EQ(colours[1].rgb, 0x0000E0u);
    // T = 800, s = 8: bands of 400 >> 8 = 1 column each.
    EXPECT_EQ(test::Rgb(picture.view(), 0, 128), 0xE00000u);
    EXPECT_EQ(test::Rgb(picture.view(), 1, 128), 0x0000E0u);
    EXPECT_EQ(test::Rgb(picture.view(), 0, 129), 0x1F1FFFu);
    EXPECT_EQ(test::Rgb(picture.view(), 2, 0), 0xFF1F1Fu);
}

}  // namespace
}  // namespace zorva::recognize
