// Resampling's 16-bit route against its 32-bit one: the same pixels for every kind of stretch and part.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "effects/Resample.h"
#include "tests/effects/EffectsTestSupport.h"

namespace zorva::effects {
namespace {

// Renders `area` of `stretch` through `route` into a target filled with a
// colour no pixel is rendered as (the alpha byte is never 0x12).
std::vector<uint32_t> Render(core::BmpView image, const Stretch& stretch, core::Rect area, ResampleRoute route) {
    std::vector<uint32_t> target(size_t(area.width) * size_t(area.height), 0x12345678);
    Resample(image, stretch, area, target.data(), area.width, route);
    return target;
}

void ExpectSameRoutes(core::BmpView image, const Stretch& stretch, core::Rect area, const char* what) {
    const std::vector<uint32_t> wide = Render(image, stretch, area, ResampleRoute::Wide);
    const std::vector<uint32_t> fastest = Render(image, stretch, area, ResampleRoute::Fastest);
    for (size_t i = 0; i < wide.size(); ++i)
        ASSERT_EQ(fastest[i], wide[i]) << what << ": pixel " << i % size_t(area.width) << "," << i / size_t(area.width)
                                       << " of " << area.width << "x" << area.height << "; source " << stretch.sourceX
                                       << "," << stretch.sourceY << " " << stretch.sourceWidth << "x"
                                       << stretch.sourceHeight << " onto " << stretch.dest.width << "x"
                                       << stretch.dest.height;
}

TEST(Resample, SixteenBitTotalsGiveTheWidePixels) {
    // The largest totals: all-white pictures reduced by boxes of 257 rows
    // (the most 16 bits hold: 257 * 255 = 65535) and 258 (one more row: the
    // 32-bit route), four columns wide (the masked sum) and five (the loop).
    const core::BmpImage white = test::MakeSolid(9, 258 * 3, 0xFFFFFF);
    for (const int rows : {257, 258})
        for (const int columns : {4, 5}) {
            const Stretch s{true, 0, 0, columns * 2, rows * 3, core::Rect{0, 0, 2, 3}};
            ExpectSameRoutes(white.view(), s, core::Rect{0, 0, 2, 3}, "white");
        }

    // Random pictures (saturated and white runs among noise, odd widths, so
    // rows are padded) under random smooth stretches: reductions by boxes
    // of every width up to and past the masked four, enlargements by
    // blends, a box along one axis and a blend along the other, source
    // rectangles reaching past the picture's edges, and parts of the
    // destination cut anywhere.
    std::mt19937 random(21);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 400; ++round) {
        const auto width = uint32_t(pick(1, 97)), height = uint32_t(pick(1, 97));
        const core::BmpImage image = test::RandomPicture(width, height, uint32_t(round));
        Stretch s;
        s.smooth = true;
        s.sourceX = pick(-8, int(width) - 1);
        s.sourceY = pick(-8, int(height) - 1);
        s.sourceWidth = pick(1, int(width) + 8);
        s.sourceHeight = pick(1, int(height) + 8);
        s.dest = core::Rect{pick(-5, 5), pick(-5, 5), pick(1, 160), pick(1, 160)};
        const core::Rect area{pick(-10, 20), pick(-10, 20), pick(1, 170), pick(1, 170)};
        ExpectSameRoutes(image.view(), s, area, "random");
    }
}

}  // namespace
}  // namespace zorva::effects
