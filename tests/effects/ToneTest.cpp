// The tone transfer, grey, negative, threshold and colour enhancement on pictures worked out by hand.
#include <gtest/gtest.h>

#include "effects/Tone.h"
#include "tests/effects/EffectsTestSupport.h"

namespace zorva::effects {
namespace {

using Settings = std::array<uint8_t, 4>;

// A picture of one row holding every byte value 0..255 in each channel
// (pixel x is (x, x, x)).
core::BmpImage AllBytes() {
    return test::MakeImage(256, 1, [](uint32_t x, uint32_t) { return x * 0x010101; });
}

// ---- tone transfer ----

// Worked cases: 50 everywhere is the identity; brightness 100 shared and
// 100 on red lifts red by 200 (55 and up reach 255) while 0 on green and
// blue leaves them; contrast 0 shared and 0 on a channel squeezes to 100..155.
TEST(Tone, NeutralBrightAndFlatSettings) {
    const core::BmpImage source = AllBytes();
    core::BmpImage out = test::CopyOf(source.view());

    ApplyTone(source.view(), out.view(), MakeToneTransfer({50, 50, 50, 50}, {50, 50, 50, 50}), White::Opaque);
    EXPECT_TRUE(test::SamePixels(source.view(), out.view()));

    ApplyTone(source.view(), out.view(), MakeToneTransfer({100, 100, 0, 0}, {50, 50, 50, 50}), White::Opaque);
    for (uint32_t v = 0; v < 256; ++v) {
        const uint8_t* p = out.view().pixel(v, 0);
        EXPECT_EQ(p[2], v >= 55 ? 255u : v + 200) << v;  // red: offset 2 * 200 - 200
        EXPECT_EQ(p[1], v) << v;                         // green: 2 * (100 + 0) - 200 = 0
        EXPECT_EQ(p[0], v) << v;
    }

    ApplyTone(source.view(), out.view(), MakeToneTransfer({50, 50, 50, 50}, {0, 0, 0, 0}), White::Opaque);
    EXPECT_EQ(test::Rgb(out.view(), 255, 0), 0x9B9B9Bu);  // 128 + ((127 * 14) >> 6) = 155
    EXPECT_EQ(test::Rgb(out.view(), 0, 0), 0x646464u);    // 127 - ((127 * 14) >> 6) = 100
    EXPECT_EQ(test::Rgb(out.view(), 128, 0), 0x808080u);  // the middle stays
    EXPECT_EQ(test::Rgb(out.view(), 127, 0), 0x7F7F7Fu);
}

// Strongest contrast (gain 214) caps at both ends; a gamma curve leaves 0
// and 255 and raises the middle above 50, lowers it below.
TEST(Tone, ContrastCapsAndGammaBendsTheMiddle) {
    EXPECT_EQ(ToneByte(255, {0, 214}), 255);
    EXPECT_EQ(ToneByte(129, {0, 214}), 131);  // 128 + ((1 * 214) >> 6)
    EXPECT_EQ(ToneByte(0, {0, 214}), 0);
    EXPECT_EQ(ToneByte(126, {0, 214}), 124);  // 127 - ((1 * 214) >> 6)
    const core::BmpImage source = AllBytes();
    core::BmpImage out = test::CopyOf(source.view());
    ApplyTone(source.view(), out.view(), MakeToneTransfer({50, 50, 50, 50}, {50, 50, 50, 50}, 100), White::Opaque);
    EXPECT_EQ(test::Rgb(out.view(), 0, 0), 0u);
    EXPECT_EQ(test::Rgb(out.view(), 255, 0), 0xFFFFFFu);
    EXPECT_EQ(test::Rgb(out.view(), 64, 0), 0x808080u);  // 255 * (64 / 255) ^ 0.5 = 127.75
    ApplyTone(source.view(), out.view(), MakeToneTransfer({50, 50, 50, 50}, {50, 50, 50, 50}, 0), White::Opaque);
    EXPECT_EQ(test::Rgb(out.view(), 128, 0), 0x404040u);  // 255 * (128 / 255) ^ 2 = 64.25
}

// In a floating selection pure white is never changed, and a result that
// comes out pure white is kept visible as blue 254.
TEST(Tone, FloatingSelectionKeepsItsTransparency) {
    const core::BmpImage source = test::MakeImage(3, 1, [](uint32_t x, uint32_t) {
        return x == 0 ? 0xFFFFFF : x == 1 ? 0xC8C8C8 : 0x102030;
    });
    core::BmpImage out = test::CopyOf(source.view());
    const ToneTransfer darker = MakeToneTransfer({0, 50, 50, 50}, {50, 50, 50, 50});
    ApplyTone(source.view(), out.view(), darker, White::Transparent);
    EXPECT_EQ(test::Rgb(out.view(), 0, 0), 0xFFFFFFu);  // white would have become 155
    EXPECT_EQ(test::Rgb(out.view(), 1, 0), 0x646464u);
    const ToneTransfer brighter = MakeToneTransfer({100, 50, 50, 50}, {50, 50, 50, 50});
    ApplyTone(source.view(), out.view(), brighter, White::Transparent);
    EXPECT_EQ(test::Rgb(out.view(), 1, 0), 0xFFFFFEu);  // 200 + 100, stored with blue 254
    EXPECT_EQ(test::Rgb(out.view(), 2, 0), 0x748494u);  // each channel + 100
}

// ---- grey, negative, threshold ----

TEST(Tone, GreyNegativeAndThreshold) {
    core::BmpImage image = test::MakeImage(4, 1, [](uint32_t x, uint32_t) {
        const uint32_t colours[] = {0xFFFFFF, 0xFFFFFE, 0x102030, 0x000000};
        return colours[x];
    });
    const core::BmpImage original = test::CopyOf(image.view());
    Greyscale(image.view());
    EXPECT_EQ(test::Rgb(image.view(), 0, 0), 0xFFFFFFu);  // white stays white
    EXPECT_EQ(test::Rgb(image.view(), 1, 0), 0xFEFEFEu);  // a lifted white stays visible
    EXPECT_EQ(test::Rgb(image.view(), 2, 0), 0x1D1D1Du);  // (77 * 16 + 150 * 32 + 29 * 48) >> 8 = 29

    // Negative twice is the identity; in a floating selection white stays
    // and black becomes a visible white.
    image = test::CopyOf(original.view());
    Negative(image.view(), White::Opaque);
    EXPECT_EQ(test::Rgb(image.view(), 2, 0), 0xEFDFCFu);
    Negative(image.view(), White::Opaque);
    EXPECT_TRUE(test::SamePixels(original.view(), image.view()));
    Negative(image.view(), White::Transparent);
    EXPECT_EQ(test::Rgb(image.view(), 0, 0), 0xFFFFFFu);
    EXPECT_EQ(test::Rgb(image.view(), 1, 0), 0x000001u);
    EXPECT_EQ(test::Rgb(image.view(), 3, 0), 0xFFFFFEu);

    // Level 255: everything black. Level 0: luminance 1 and up white, black
    // stays black. Luminance equal to the level is black.
    const core::BmpImage levels = test::MakeImage(4, 1, [](uint32_t x, uint32_t) {
        const uint32_t colours[] = {0xFFFFFF, 0x000000, 0x000009, 0x1C1C1C};  // Y 255, 0, 1, 28
        return colours[x];
    });
    Threshold(levels.view(), image.view(), 255);
    for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(test::Rgb(image.view(), x, 0), 0u);
    Threshold(levels.view(), image.view(), 0);
    EXPECT_EQ(test::Rgb(image.view(), 1, 0), 0u);
    EXPECT_EQ(test::Rgb(image.view(), 2, 0), 0xFFFFFFu);
    Threshold(levels.view(), image.view(), 28);
    EXPECT_EQ(test::Rgb(image.view(), 3, 0), 0u);
    EXPECT_EQ(test::Rgb(image.view(), 0, 0), 0xFFFFFFu);
}

// ---- colour enhancement ----

// One colour of each of the six orderings at its sextant's middle step
// (mid 128 between 0 and 255: q 128, f 19), the grey and tie cases, and a
// hue of 240 folding to 0.
TEST(Tone, EnhancementOfEveryOrdering) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0xFF0000, 0xFE0000},  // pure red: hue 0
        {0x808080, 0x7F7F00},  // grey: hue 40, yellow at its value
        {0xFFFFFF, 0xFEFE00},  // white too
        {0xC8C864, 0xC7C700},  // R = G > B: hue 40
        {0xFF8000, 0xFE7900},  // A: 19, ramp 122
        {0x80FF00, 0x79FE00},  // B: 80 - 19
        {0x00FF80, 0x00FE79},  // C: 80 + 19
        {0x0080FF, 0x0079FE},  // D: 160 - 19
        {0x8000FF, 0x7900FE},  // E: 160 + 19
        {0xFF0080, 0xFE0079},  // F: 240 - 19
        {0xC80A0B, 0xC70000},  // F with f 0: hue 240 becomes red
        {0x00C8C8, 0x00C7C7},  // G = B > R: hue 120, cyan
    };
    core::BmpImage image = test::MakeImage(std::size(cases), 1, [&](uint32_t x, uint32_t) { return cases[x].first; });
    EnhanceColour(image.view());
    for (uint32_t x = 0; x < std::size(cases); ++x)
        EXPECT_EQ(test::Rgb(image.view(), x, 0), cases[x].second) << std::hex << cases[x].first;
    const HueDecomposition d = Decompose(0xFF, 0x80, 0);
    EXPECT_EQ(d.value, 255);
    EXPECT_EQ(d.chroma, 255);
    EXPECT_EQ(d.hue, 19);
}

// The fastest build enhances without a hue (largest channel, smallest,
// middle from the ramp); it gives the hue-table definition's bytes for every
// one of the 2^24 colours.
TEST(Enhance, FastestBuildMatchesHueDefinitionForEveryColour) {
    if (simd::FastestBuild() == simd::Build::Plain) GTEST_SKIP() << "only the plain build runs on this processor";
    const core::BmpImage all = test::MakeImage(4096, 4096, [](uint32_t x, uint32_t r) { return r << 12 | x; });
    core::BmpImage plain = test::CopyOf(all.view()), fastest = test::CopyOf(all.view());
    EnhanceColour(plain.view(), Kernels::Plain);
    EnhanceColour(fastest.view(), Kernels::Fastest);
    ASSERT_TRUE(test::SameBytes(plain.data(), plain.view().fileSize(), fastest.data(), fastest.view().fileSize()));
}

}  // namespace
}  // namespace zorva::effects
