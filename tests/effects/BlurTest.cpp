// The blurs: hand-worked small pictures, sizes below the minimum, and the one-pass blur against the definition.
#include <gtest/gtest.h>

#include <algorithm>

#include "effects/Blur.h"
#include "tests/effects/EffectsTestSupport.h"

namespace zorva::effects {
namespace {

// The clipped box blur exactly as defined: a vertical pass into a copy,
// then a horizontal pass into another, each output summing its clipped
// window of the pass's input.
core::BmpImage ReferenceBoxBlur(core::BmpView image, uint32_t radius) {
    const int r = int(radius), w = image.width(), h = image.height();
    core::BmpImage vertical = test::CopyOf(image), out = test::CopyOf(image);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < 3 * w; ++i) {
            const int lo = std::max(0, y - r), hi = std::min(h - 1, y + r);
            int sum = 0;
            for (int j = lo; j <= hi; ++j) sum += image.row(uint32_t(j))[i];
            vertical.view().row(uint32_t(y))[i] = uint8_t(sum / (hi - lo + 1));
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const int lo = std::max(0, x - r), hi = std::min(w - 1, x + r);
                int sum = 0;
                for (int j = lo; j <= hi; ++j) sum += vertical.view().row(uint32_t(y))[3 * j + c];
                out.view().row(uint32_t(y))[3 * x + c] = uint8_t(sum / (hi - lo + 1));
            }
    return out;
}

// The one-pass blur (running sums, a ring of overwritten rows) gives the
// definition's bytes for every radius on every small shape, and long rows,
// in both builds; the padding is never touched.
TEST(Blur, OnePassEqualsTheDefinition) {
    uint32_t seed = 1;
    for (uint32_t radius = 1; radius <= 4; ++radius)
        for (uint32_t w = 1; w <= 12; ++w)
            for (uint32_t h : {1u, 2u, 3u, 5u, 9u, 10u, 13u}) {
                const core::BmpImage picture = test::RandomPicture(w == 12 ? 71 : w, h, ++seed);
                const core::BmpImage expected = ReferenceBoxBlur(picture.view(), radius);
                for (Kernels kernels : {Kernels::Plain, Kernels::Fastest}) {
                    core::BmpImage blurred = test::CopyOf(picture.view());
                    BoxBlur(blurred.view(), radius, kernels);
                    ASSERT_EQ(test::BytesOf(expected.view()), test::BytesOf(blurred.view()))
                        << "radius " << radius << ", " << w << " x " << h;
                }
            }
}

// The Part's pictures: a 2 x 2 of rows (0, 0) and (255, 255) becomes four
// 127s; a 5 x 5 whose every row is 0, 0, 0, 0, 255 becomes rows 0, 0, 51,
// 63, 85 (divisors 3, 4, 5, 4, 3).
TEST(Blur, SmallPicturesWorkedByHand) {
    core::BmpImage square = test::MakeImage(2, 2, [](uint32_t, uint32_t r) { return r == 0 ? 0 : 0xFFFFFF; });
    Blur(square.view(), BlurLevel::Light);
    for (uint32_t p = 0; p < 4; ++p) EXPECT_EQ(test::Rgb(square.view(), p % 2, p / 2), 0x7F7F7Fu);

    core::BmpImage rows = test::MakeImage(5, 5, [](uint32_t x, uint32_t) { return x == 4 ? 0xFFFFFF : 0; });
    Blur(rows.view(), BlurLevel::Medium);
    const uint32_t expected[] = {0, 0, 51, 63, 85};
    for (uint32_t r = 0; r < 5; ++r)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(test::Rgb(rows.view(), x, r), expected[x] * 0x010101) << x;
}

// Every level leaves a uniform picture of any size as it is, and a picture
// below its minimum size untouched; strong is medium three times.
TEST(Blur, UniformSmallAndStrong) {
    for (BlurLevel level : {BlurLevel::Light, BlurLevel::Medium, BlurLevel::Strong, BlurLevel::VeryStrong})
        for (uint32_t size = 1; size <= 40; size += 3) {
            const core::BmpImage uniform = test::MakeSolid(size, 41 - size, 0x3C7AFF);
            core::BmpImage blurred = test::CopyOf(uniform.view());
            Blur(blurred.view(), level);
            EXPECT_EQ(test::BytesOf(uniform.view()), test::BytesOf(blurred.view())) << size;

            const uint32_t below = BlurMinimumSize(level) - 1;
            const core::BmpImage small = test::RandomPicture(below, 20, size);
            core::BmpImage same = test::CopyOf(small.view());
            Blur(same.view(), level);
            EXPECT_EQ(test::BytesOf(small.view()), test::BytesOf(same.view())) << below;
        }
    const core::BmpImage picture = test::RandomPicture(23, 17, 5);
    core::BmpImage strong = test::CopyOf(picture.view()), medium = test::CopyOf(picture.view());
    Blur(strong.view(), BlurLevel::Strong);
    for (int i = 0; i < 3; ++i) Blur(medium.view(), BlurLevel::Medium);
    EXPECT_EQ(test::BytesOf(strong.view()), test::BytesOf(medium.view()));
}

}  // namespace
}  // namespace zorva::effects
