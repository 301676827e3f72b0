// Resampling's 16-bit route against its 32-bit one: the same pixels for every kind of stretch and part; turning by
// any angle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
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

// Quarter turns land on whole pixels, so the interpolated turn must move
// every pixel exactly as a quarter turn does: counter-clockwise as seen
// (rows count upwards), about the centre, and a wide picture's columns
// beyond the square round the centre come from outside and take the fill.
// There and back by an odd angle gives the middle of a smooth picture back.
TEST(TurnAboutCentre, QuarterTurnsExactAndAnyAngleThereAndBack) {
    const uint32_t n = 31;
    const core::BmpImage square = test::RandomPicture(n, n, 5);
    core::BmpImage turned = test::CopyOf(square.view());
    for (const int quarters : {0, 1, 2, 3}) {
        TurnAboutCentre(square.view(), turned.view(), 90.0 * quarters, 0x40);
        for (uint32_t y = 0; y < n; ++y)
            for (uint32_t x = 0; x < n; ++x) {
                // Where (x, y) of the source goes after `quarters` turns to the left.
                uint32_t tx = x, ty = y;
                for (int q = 0; q < quarters; ++q) std::tie(tx, ty) = std::pair(n - 1 - ty, tx);
                ASSERT_EQ(turned.view().at(tx, ty), square.view().at(x, y)) << quarters << " at " << x << "," << y;
            }
    }

    const core::BmpImage wide = test::RandomPicture(40, 20, 6);
    core::BmpImage upright = test::CopyOf(wide.view());
    TurnAboutCentre(wide.view(), upright.view(), 90, 0x40);
    EXPECT_EQ(upright.view().at(0, 10), 0x404040u);
    EXPECT_EQ(upright.view().at(39, 3), 0x404040u);
    EXPECT_EQ(upright.view().at(20, 10), wide.view().at(20, 9));

    const core::BmpImage smooth = test::MakeImage(120, 90, [](uint32_t x, uint32_t y) {
        const auto wave = [](double v) { return uint32_t(128 + 100 * std::sin(v)); };
        return wave(x / 9.0) << 16 | wave(y / 7.0) << 8 | wave((x + y) / 11.0);
    });
    core::BmpImage there = test::CopyOf(smooth.view()), back = test::CopyOf(smooth.view());
    TurnAboutCentre(smooth.view(), there.view(), 23, 0);
    TurnAboutCentre(there.view(), back.view(), -23, 0);
    double difference = 0;
    int pixels = 0;
    for (uint32_t y = 25; y < 65; ++y)
        for (uint32_t x = 35; x < 85; ++x, ++pixels)
            for (const int shift : {0, 8, 16}) {
                const int was = int(smooth.view().at(x, y) >> shift & 0xFF);
                difference += std::abs(int(back.view().at(x, y) >> shift & 0xFF) - was);
            }
    EXPECT_LT(difference / (3 * pixels), 1.5);
}

}  // namespace
}  // namespace zorva::effects
