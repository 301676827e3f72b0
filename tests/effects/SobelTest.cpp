// Sobel and the pencil sketches: uniform areas, a line, a step, the frame they keep, and the right-edge samples.
#include <gtest/gtest.h>

#include "effects/Sobel.h"
#include "tests/effects/EffectsTestSupport.h"

namespace zorva::effects {
namespace {

using FilterFn = void (*)(core::MutableBmpView, core::MutableBmpView, Kernels);

core::BmpImage Filtered(core::BmpView picture, FilterFn filter) {
    core::BmpImage image = test::CopyOf(picture);
    core::BmpImage scratch = test::ScratchFor(picture);
    filter(image.view(), scratch.view(), Kernels::Fastest);
    return image;
}

// Whether (x, r) lies in the output area of a filter: `margin` columns
// left, `right` columns right, `low` rows below and `high` rows above stay.
bool Inside(uint32_t x, uint32_t r, core::BmpView image, uint32_t margin, uint32_t right, uint32_t low, uint32_t high) {
    return x >= margin && x + right < image.width() && r >= low && r + high < image.height();
}

// A uniform picture: black under Sobel and white under both pencils in
// their output areas, the frame around them as it was.
TEST(Sobel, UniformPictures) {
    const core::BmpImage uniform = test::MakeSolid(15, 11, 0x4080C0);
    const struct {
        FilterFn filter;
        uint32_t inside;
        uint32_t left, right, low, high;
    } filters[] = {
        {Sobel, 0x000000, 1, 1, 1, 1},
        {PencilHard, 0xFFFFFF, 1, 1, 1, 1},
        {PencilSoft, 0xFFFFFF, 4, 2, 3, 3},
    };
    for (const auto& f : filters) {
        const core::BmpImage out = Filtered(uniform.view(), f.filter);
        for (uint32_t r = 0; r < 11; ++r)
            for (uint32_t x = 0; x < 15; ++x)
                EXPECT_EQ(test::Rgb(out.view(), x, r),
                          Inside(x, r, out.view(), f.left, f.right, f.low, f.high) ? f.inside : 0x4080C0u)
                    << x << "," << r;
    }
}

// A one-pixel white line on black: 255 on both sides, 0 on the line (the
// sides cancel in Gx), the border rows and columns as they were.
TEST(Sobel, VerticalLine) {
    const core::BmpImage line = test::MakeImage(7, 5, [](uint32_t x, uint32_t) { return x == 3 ? 0xFFFFFF : 0; });
    const core::BmpImage out = Filtered(line.view(), Sobel);
    for (uint32_t r = 0; r < 5; ++r)
        for (uint32_t x = 0; x < 7; ++x) {
            const bool border = r == 0 || r == 4 || x == 0 || x == 6;
            const uint32_t expected = border ? test::Rgb(line.view(), x, r) : (x == 2 || x == 4) ? 0xFFFFFF : 0;
            EXPECT_EQ(test::Rgb(out.view(), x, r), expected) << x << "," << r;
        }
}

// Negative gradients fold to -v - 1: a step from 1 (lower rows) to 0 gives
// 4 on the two rows at the step, the step from 0 to 1 gives 3; under
// "Карандаш Т" the same steps give 255 - 3 * (4 >> 2) and 255 - 3 * (3 >> 2).
TEST(Sobel, FoldedNegativeGradients) {
    EXPECT_EQ(FoldGradient(-1), 0);
    EXPECT_EQ(FoldGradient(-2), 1);
    for (const bool lowerIsOne : {true, false}) {
        const core::BmpImage step =
            test::MakeImage(5, 6, [&](uint32_t, uint32_t r) { return (r < 3) == lowerIsOne ? 0x010101 : 0; });
        const core::BmpImage sobel = Filtered(step.view(), Sobel);
        const core::BmpImage pencil = Filtered(step.view(), PencilHard);
        for (uint32_t r = 1; r < 5; ++r) {
            const bool atStep = r == 2 || r == 3;
            EXPECT_EQ(test::Rgb(sobel.view(), 2, r), atStep ? (lowerIsOne ? 0x040404u : 0x030303u) : 0u) << r;
            EXPECT_EQ(test::Rgb(pencil.view(), 2, r), atStep && lowerIsOne ? 0xFCFCFCu : 0xFFFFFFu) << r;
        }
    }
}

// "Карандаш М" reads up to eight columns right of a pixel: beyond the edge
// it sees the last column repeated, so the picture gives what the same
// picture with that column copied outward gives. Pictures below a filter's
// minimum size stay as they were.
TEST(Sobel, SoftPencilRepeatsTheLastColumnAndSmallPicturesStay) {
    for (uint32_t w = 7; w <= 16; ++w) {
        const core::BmpImage picture = test::RandomPicture(w, 9, w);
        const core::BmpImage wider = test::MakeImage(
            w + 8, 9, [&](uint32_t x, uint32_t r) { return test::Rgb(picture.view(), std::min(x, w - 1), r); });
        const core::BmpImage out = Filtered(picture.view(), PencilSoft);
        const core::BmpImage wideOut = Filtered(wider.view(), PencilSoft);
        for (uint32_t r = 3; r < 6; ++r)
            for (uint32_t x = 4; x <= w - 3; ++x)
                EXPECT_EQ(test::Rgb(out.view(), x, r), test::Rgb(wideOut.view(), x, r)) << w << ": " << x << "," << r;
    }
    const std::pair<FilterFn, uint32_t> minimums[] = {
        {Sobel, kSobelMinimumSize}, {PencilHard, kPencilHardMinimumSize}, {PencilSoft, kPencilSoftMinimumSize}};
    for (const auto& [filter, minimum] : minimums)
        for (uint32_t w = 1; w < minimum; ++w) {
            const core::BmpImage narrow = test::RandomPicture(w, 12, w), low = test::RandomPicture(12, w, w);
            EXPECT_EQ(test::BytesOf(narrow.view()), test::BytesOf(Filtered(narrow.view(), filter).view()));
            EXPECT_EQ(test::BytesOf(low.view()), test::BytesOf(Filtered(low.view(), filter).view()));
        }
}

}  // namespace
}  // namespace zorva::effects
