// Local means and the adaptive threshold: uniform areas, a dark pixel, the plate form's levels and region, and the
// running sums against direct ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effects/AdaptiveThreshold.h"
#include "effects/Tone.h"
#include "tests/effects/EffectsTestSupport.h"

namespace zorva::effects {
namespace {

struct Records {
    explicit Records(uint32_t w, uint32_t h, uint32_t fill = 0) : words(size_t(w) * h, fill), width(w), height(h) {}
    core::Plane<uint32_t> plane() { return core::PackedPlane(words.data(), width, height); }
    uint32_t at(uint32_t x, uint32_t r) const { return words[size_t(r) * width + x]; }
    std::vector<uint32_t> words;
    uint32_t width, height;
};

Records MeansOf(core::BmpView image) {
    Records records(image.width(), image.height());
    EXPECT_TRUE(ComputeLocalMeans(image, records.plane()));
    return records;
}

Records ThresholdOf(Records& means, const PlateThreshold& t, uint32_t fill = 7) {
    Records result(means.width, means.height, fill);
    AdaptiveThreshold(means.plane(), t, result.plane());
    return result;
}

// A uniform 100 reads 100, 99, 99 and a uniform 255 reads 255, 253, 254 at
// every pixel, border included; every level from 0 to 30 keeps a uniform
// picture white, and level -10 on 9x9 turns 100 and 250 black but not 255.
TEST(AdaptiveThreshold, UniformPictures) {
    const std::pair<uint32_t, uint32_t> expected[] = {{100, 0x63636464}, {250, 0}, {255, 0xFEFDFFFF}};
    for (const auto& [grey, record] : expected) {
        const core::BmpImage image = test::MakeSolid(20, 18, grey * 0x010101);
        Records means = MeansOf(image.view());
        for (uint32_t word : means.words)
            ASSERT_TRUE(record == 0 || word == record) << grey << ": " << std::hex << word;
        for (int level = 0; level <= 30; level += 5)
            for (WindowChoice w : {WindowChoice::Square9, WindowChoice::Wide17, WindowChoice::Square17}) {
                Records white(20, 18);
                AdaptiveThreshold(means.plane(), w, level, white.plane());
                for (uint32_t v : white.words) ASSERT_EQ(v, 1u) << grey << " level " << level;
            }
        Records strict(20, 18);
        AdaptiveThreshold(means.plane(), WindowChoice::Square9, -10, strict.plane());
        for (uint32_t v : strict.words) ASSERT_EQ(v, grey == 255 ? 1u : 0u) << grey;
    }
}

// A single black pixel on 200: M = (80 * 200) / 81 = 197, T = 189 at level
// 8, so it is black and its neighbours (200 >= 197 - 8) white; rendered, 1
// is white and 0 black. The one-pass preview shows what the result plane
// rendered shows, for every window and level on any picture.
TEST(AdaptiveThreshold, SingleDarkPixelAndThePreview) {
    core::BmpImage image =
        test::MakeImage(21, 19, [](uint32_t x, uint32_t r) { return x == 10 && r == 9 ? 0 : 0xC8C8C8; });
    Records means = MeansOf(image.view());
    EXPECT_EQ(RecordMean(means.at(10, 9), WindowChoice::Square9), 197u);
    Records result(21, 19);
    AdaptiveThreshold(means.plane(), WindowChoice::Square9, 8, result.plane());
    RenderBinaryPlane(result.plane(), image.view());
    for (uint32_t r = 0; r < 19; ++r)
        for (uint32_t x = 0; x < 21; ++x)
            EXPECT_EQ(test::Rgb(image.view(), x, r), x == 10 && r == 9 ? 0u : 0xFFFFFFu) << x << "," << r;

    const core::BmpImage picture = test::RandomPicture(37, 23, 3);
    Records records = MeansOf(picture.view());
    for (WindowChoice w : {WindowChoice::Square9, WindowChoice::Wide17, WindowChoice::Square17})
        for (int level = -10; level <= 30; level += 8) {
            core::BmpImage twoSteps = test::CopyOf(picture.view()), onePass = test::CopyOf(picture.view());
            Records plane(37, 23);
            AdaptiveThreshold(records.plane(), w, level, plane.plane());
            RenderBinaryPlane(plane.plane(), twoSteps.view());
            RenderAdaptiveThreshold(records.plane(), w, level, onePass.view());
            ASSERT_EQ(test::BytesOf(twoSteps.view()), test::BytesOf(onePass.view())) << level;
        }
}

// The running sums give the direct means where a window fits, and the
// nearest such pixel's means elsewhere (a 17 x 17 picture has one 17x17
// mean, its centre's, everywhere); pictures below 17 write nothing.
TEST(AdaptiveThreshold, MeansEqualDirectSums) {
    for (const auto& [w, h] : {std::pair{17u, 17u}, {18u, 29u}, {41u, 17u}, {33u, 25u}}) {
        const core::BmpImage image = test::RandomPicture(w, h, w * h);
        const core::BmpView v = image.view();
        std::vector<uint32_t> luma(size_t(w) * h);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* p = v.pixel(x, r);
                luma[size_t(r) * w + x] = Luma(p[2], p[1], p[0]);
            }
        const auto rowSum = [&](int x, int r, int half) {
            uint32_t s = 0;
            for (int d = -half; d <= half; ++d) s += luma[size_t(r) * w + size_t(x + d)];
            return s;
        };
        for (Kernels kernels : {Kernels::Plain, Kernels::Fastest}) {
            Records means(w, h);
            ASSERT_TRUE(ComputeLocalMeans(v, means.plane(), kernels));
            for (int r = 0; r < int(h); ++r)
                for (int x = 0; x < int(w); ++x) {
                    const int x9 = std::clamp(x, 4, int(w) - 5), r9 = std::clamp(r, 4, int(h) - 5);
                    const int x17 = std::clamp(x, 8, int(w) - 9), r17 = std::clamp(r, 8, int(h) - 9);
                    uint32_t s9 = 0, s17x9 = 0, s17 = 0;
                    for (int d = -4; d <= 4; ++d) s9 += rowSum(x9, r9 + d, 4), s17x9 += rowSum(x17, r9 + d, 8) >> 1;
                    for (int d = -8; d <= 8; ++d) s17 += rowSum(x17, r17 + d, 8) >> 1;
                    const uint32_t expected =
                        luma[size_t(r) * w + size_t(x)] | (s9 / 81) << 8 | (s17x9 / 77) << 16 | (s17 / 145) << 24;
                    ASSERT_EQ(means.at(uint32_t(x), uint32_t(r)), expected) << w << "x" << h << ": " << x << "," << r;
                }
        }
    }
    Records untouched(16, 40, 0xDEADBEEF);
    EXPECT_FALSE(ComputeLocalMeans(test::RandomPicture(16, 40, 1).view(), untouched.plane()));
    for (uint32_t word : untouched.words) ASSERT_EQ(word, 0xDEADBEEFu);
}

// The plate form: the derived levels of each variant, the bias raising the
// threshold, and a region widened by one pixel and clipped, the rest of the
// result left as it was.
TEST(AdaptiveThreshold, PlateForm) {
    EXPECT_EQ(PlateLevel(0, 0), 8);
    EXPECT_EQ(PlateLevel(0, 1), 5);     // (15 / 4) / 2 + 4
    EXPECT_EQ(PlateLevel(200, 1), 12);  // m = 55: (70 / 4) / 2 + 4
    EXPECT_EQ(PlateLevel(200, 2), 17);
    EXPECT_EQ(PlateLevel(127, 2), 35);  // m = 127
    EXPECT_EQ(PlateLevel(128, 2), 35);  // m = 127 from the upper end
    EXPECT_EQ(PlateLevel(90, 3), 0);

    // A uniform 100: means 100 (9x9), so Y = 100 >= 100 - L + k holds while
    // L >= k.
    Records means = MeansOf(test::MakeSolid(20, 20, 0x646464).view());
    PlateThreshold t;
    t.window = WindowChoice::Square9;
    t.variant = 2;  // m = 100 is below 128: L = 28
    t.bias = 28;
    for (uint32_t v : ThresholdOf(means, t).words) EXPECT_EQ(v, 1u);
    t.bias = 29;
    for (uint32_t v : ThresholdOf(means, t).words) EXPECT_EQ(v, 0u);
    t.level = 3;
    t.bias = 4;
    t.region = PixelBox{-5, 2, 4, 30};  // widened to columns 0..5 and rows 1..19
    const Records boxed = ThresholdOf(means, t);
    for (uint32_t r = 0; r < 20; ++r)
        for (uint32_t x = 0; x < 20; ++x) EXPECT_EQ(boxed.at(x, r), x <= 5 && r >= 1 ? 0u : 7u) << x << "," << r;
}

}  // namespace
}  // namespace zorva::effects
