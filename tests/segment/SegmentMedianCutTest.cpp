// Median-cut 4-connected segmentation: growing, folding rules and order, numbering, the table, and SegmentWindow.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <random>
#include <string>

#include "segment/SegmentMedianCut.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

using test::MakeImage;
using test::Rgb;
using test::RunIndexed;

constexpr uint32_t kWhite = 0xFCFCFC;
constexpr uint32_t kGrey = 0xA0A0A0;
constexpr uint32_t kBlack = 0x000000;

// 4-connected components of equal colour over columns 0..W-2 and rows 0..H-2,
// numbered in scan order of their first pixel: an independent flood fill.
std::vector<uint32_t> Components(core::BmpView image, uint32_t& count) {
    const uint32_t w = image.width() - 1, h = image.height() - 1;
    std::vector<uint32_t> label(size_t(w) * h, 0);
    count = 0;
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t x = 0; x < w; ++x) {
            if (label[r * w + x]) continue;
            label[r * w + x] = ++count;
            std::deque<std::pair<uint32_t, uint32_t>> queue{{x, r}};
            while (!queue.empty()) {
                auto [cx, cr] = queue.front();
                queue.pop_front();
                const std::pair<int, int> steps[4] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                for (auto [dx, dy] : steps) {
                    const int nx = int(cx) + dx, nr = int(cr) + dy;
                    if (nx < 0 || nr < 0 || nx >= int(w) || nr >= int(h) || label[nr * w + nx]) continue;
                    if (Rgb(image, nx, nr) != Rgb(image, cx, cr)) continue;
                    label[nr * w + nx] = count;
                    queue.emplace_back(nx, nr);
                }
            }
        }
    return label;
}

// Checks the finished table against the map: labels 1..K consecutive, each
// record's count and first pixel as the map says, bytes 4..7 cleared, the
// last column unlabelled and the top row 0.
void ExpectConsistent(const test::IndexedRun& run, uint32_t w, uint32_t h) {
    std::vector<uint32_t> counts(run.segments + 1, 0);
    std::vector<uint32_t> first(run.segments + 1, 0xFFFFFFFF);
    for (uint32_t r = 0; r + 1 < h; ++r)
        for (uint32_t x = 0; x + 1 < w; ++x) {
            const uint32_t v = run.at(w, x, r);
            const uint32_t l = v >> 8;
            ASSERT_GE(l, 1u);
            ASSERT_LE(l, run.segments);
            ASSERT_EQ(v & 0xFF, run.table[l].value & 0xFF) << "pixel index differs from its segment's";
            ++counts[l];
            if (first[l] == 0xFFFFFFFF) first[l] = r << 16 | x;
        }
    for (uint32_t k = 1; k <= run.segments; ++k) {
        EXPECT_EQ(SegmentPixels(run.table[k]), counts[k]) << k;
        EXPECT_EQ(run.table[k].firstPixel, first[k]) << k;
        EXPECT_EQ(run.table[k].count, 0u);
    }
    for (uint32_t r = 0; r < h; ++r) EXPECT_EQ(run.at(w, w - 1, r) >> 8, 0u);
    for (uint32_t x = 0; x + 1 < w; ++x) EXPECT_EQ(run.at(w, x, h - 1), 0u);
}

// Two colours and MinSegmentPoints 0: exactly the 4-connected components of
// the labelled area, numbered in the order of their first pixels.
TEST(SegmentMedianCutTest, TwoColoursWithoutFoldingAreTheComponents) {
    test::Random random(11);
    std::vector<bool> dark(40 * 30);
    for (size_t i = 0; i < dark.size(); ++i) dark[i] = random.below(100) < 45;
    core::BmpImage image =
        test::TwoColour(40, 30, kWhite, kBlack, [&](uint32_t x, uint32_t r) { return dark[r * 40 + x]; });
    uint32_t count = 0;
    const std::vector<uint32_t> components = Components(image.view(), count);
    test::IndexedRun run = RunIndexed(image.view(), 2, 0);
    ASSERT_EQ(run.segments, count);
    for (uint32_t r = 0; r < 29; ++r)
        for (uint32_t x = 0; x < 39; ++x) ASSERT_EQ(run.at(40, x, r) >> 8, components[r * 39 + x]) << x << "," << r;
    ExpectConsistent(run, 40, 30);
}

// A lone pixel inside a region is folded into it in the first cycle and
// painted with the region's colour.
TEST(SegmentMedianCutTest, IsolatedPixelFoldsIntoItsRegion) {
    core::BmpImage image = MakeImage(10, 10, [](uint32_t x, uint32_t r) { return x == 4 && r == 4 ? kBlack : kWhite; });
    test::IndexedRun run = RunIndexed(image.view(), 2, 5);
    EXPECT_EQ(run.segments, 1u);
    EXPECT_EQ(Rgb(image.view(), 4, 4), kWhite);
    EXPECT_EQ(SegmentPixels(run.table[1]), 81u);
}

// S (3 black pixels) links to T (3 grey pixels above it), whose link is the
// large white U. In the first pass S waits: T is small and U large. T folds
// into U; after the link update S follows it. With MinSegmentPoints 4 all
// ends in one segment (folding S into T first would leave S+T at 6 pixels);
// with 2 nothing is small.
TEST(SegmentMedianCutTest, SmallSegmentWaitsForItsSmallLinkToFold) {
    const auto picture = [] {
        return MakeImage(12, 8, [](uint32_t x, uint32_t r) {
            if (x >= 2 && x <= 4 && r == 2) return kBlack;
            if (x >= 2 && x <= 4 && r == 3) return kGrey;
            return kWhite;
        });
    };
    core::BmpImage image = picture();
    test::IndexedRun run = RunIndexed(image.view(), 3, 4);
    EXPECT_EQ(run.segments, 1u);
    EXPECT_EQ(Rgb(image.view(), 3, 2), kWhite);
    EXPECT_EQ(Rgb(image.view(), 3, 3), kWhite);

    core::BmpImage control = picture();
    EXPECT_EQ(RunIndexed(control.view(), 3, 2).segments, 3u);
}

// A fold gives the survivor the colour of the larger part: the small grey
// pair at the bottom-left (label 1) folds into the white region that links
// to it and turns white, although it keeps the lower label.
TEST(SegmentMedianCutTest, FoldTakesTheColourOfTheLargerPart) {
    core::BmpImage image = MakeImage(8, 6, [](uint32_t x, uint32_t r) {
        if (r == 0 && x < 2) return 0xC0C0C0u;
        if (r == 5 && x == 0) return kBlack;  // index 0 black, in the unlabelled top row
        return kWhite;
    });
    test::IndexedRun run = RunIndexed(image.view(), 3, 5);
    EXPECT_EQ(run.segments, 1u);
    EXPECT_EQ(Rgb(image.view(), 0, 0), kWhite);
    EXPECT_EQ(run.palette.colours[run.table[1].value & 0xFF], kWhite);
    EXPECT_EQ(run.table[1].firstPixel, 0u);
}

// A segment of exactly MinSegmentPoints pixels is small and folds; one more
// pixel and it stays.
TEST(SegmentMedianCutTest, ExactlyMinSegmentPointsIsSmall) {
    core::BmpImage image = MakeImage(12, 8, [](uint32_t x, uint32_t r) {
        if (r == 2 && x >= 1 && x <= 5) return kBlack;  // 5 pixels
        if (r == 5 && x >= 1 && x <= 6) return kBlack;  // 6 pixels
        return kWhite;
    });
    test::IndexedRun run = RunIndexed(image.view(), 2, 5);
    EXPECT_EQ(run.segments, 2u);
    EXPECT_EQ(Rgb(image.view(), 3, 2), kWhite);
    EXPECT_EQ(Rgb(image.view(), 3, 5), kBlack);
    ExpectConsistent(run, 12, 8);
}

// A labelled area holding one segment has no link and is never folded.
TEST(SegmentMedianCutTest, SingleSegmentIsNeverFolded) {
    core::BmpImage image = test::MakeSolid(6, 6, 0x123456);
    test::IndexedRun run = RunIndexed(image.view(), 2, 50);
    EXPECT_EQ(run.segments, 1u);
    EXPECT_EQ(SegmentPixels(run.table[1]), 25u);
}

// After a run on a noisy picture: numbers consecutive from 1, counts and
// first pixels as the map says, and every segment 4-connected.
TEST(SegmentMedianCutTest, NumbersAreConsecutiveAndCountsMatchTheMap) {
    core::BmpImage image = test::PhotoLike(53, 41, 5, 30);
    test::IndexedRun run = RunIndexed(image.view(), 6, 3);
    ASSERT_EQ(run.status, SegmentStatus::Done);
    ASSERT_GT(run.segments, 1u);
    ExpectConsistent(run, 53, 41);
    // Segments are connected: a flood fill over equal labels meets each label once.
    core::BmpImage labels = MakeImage(
        53, 41, [&](uint32_t x, uint32_t r) { return x + 1 < 53 && r + 1 < 41 ? run.at(53, x, r) >> 8 : 0xFFFFFF; });
    uint32_t count = 0;
    Components(labels.view(), count);
    EXPECT_EQ(count, run.segments);
    // The painted picture is the palette colour of every map index (rows 0..H-2).
    for (uint32_t r = 0; r + 1 < 41; ++r)
        for (uint32_t x = 0; x < 53; ++x)
            ASSERT_EQ(Rgb(image.view(), x, r), run.palette.colours[run.at(53, x, r) & 0xFF]);
}

// A picture one pixel high: no segments, no change.
TEST(SegmentMedianCutTest, OnePixelHighImageIsUnchanged) {
    core::BmpImage image = test::PhotoLike(9, 1, 2);
    const core::BmpImage original = test::PhotoLike(9, 1, 2);
    test::IndexedRun run = RunIndexed(image.view(), 2, 5);
    EXPECT_EQ(run.segments, 0u);
    EXPECT_TRUE(test::SamePixels(original.view(), image.view()));
}

// A table too small for the labels fails before anything is painted.
TEST(SegmentMedianCutTest, ExhaustedTableFailsWithoutPainting) {
    core::BmpImage image = test::TwoColour(9, 9, kWhite, kBlack, [](uint32_t x, uint32_t r) { return (x + r) & 1; });
    const core::BmpImage original =
        test::TwoColour(9, 9, kWhite, kBlack, [](uint32_t x, uint32_t r) { return (x + r) & 1; });
    std::vector<uint32_t> histogram(kHistogramCells), map(81);
    std::vector<IndexedSegmentRecord> table(10);
    PaletteTable palette;
    uint32_t k = 0;
    EXPECT_EQ(SegmentMedianCut(image.view(), {}, histogram.data(), map.data(), table, palette, k),
              SegmentStatus::TooManyLabels);
    EXPECT_TRUE(test::SamePixels(original.view(), image.view()));
}

// Stopping after the first cycle that folds nothing leaves the picture, the
// map, the whole table (records past the last label included), the palette
// and the count byte for byte as running all four cycles: random pictures of
// a few colours in flat blocks or in pixel noise, photo-like pictures, real
// photos, minimum sizes 0..12, the caller's own index plane, and tables too
// small for some cycle.
TEST(SegmentMedianCutTest, StoppingAtASettledCycleMatchesAllFourCycles) {
    struct Picture {
        core::BmpImage image;
        std::string name;
    };
    std::vector<Picture> pictures;
    test::Random random(2024);
    for (int i = 0; i < 36; ++i) {
        const uint32_t w = 2 + random.below(90), h = 2 + random.below(70);
        const uint32_t count = 2 + random.below(i % 2 ? 5 : 20);
        std::vector<uint32_t> colours(count);
        for (uint32_t& c : colours) c = random.next() & 0xFFFFFF;
        switch (i % 3) {
            case 0: {
                // Flat blocks: one colour per cell of a coarse grid, speckled.
                const uint32_t cell = 3 + random.below(20);
                std::vector<uint32_t> grid(size_t(w / cell + 1) * (h / cell + 1));
                for (uint32_t& g : grid) g = colours[random.below(count)];
                pictures.push_back({MakeImage(w, h,
                                              [&](uint32_t x, uint32_t r) {
                                                  if (random.below(40) == 0) return colours[random.below(count)];
                                                  return grid[(r / cell) * (w / cell + 1) + x / cell];
                                              }),
                                    "blocks " + std::to_string(i)});
                break;
            }
            case 1:
                // Pixel noise over a few colours.
                pictures.push_back({MakeImage(w, h, [&](uint32_t, uint32_t) { return colours[random.below(count)]; }),
                                    "noise " + std::to_string(i)});
                break;
            default:
                pictures.push_back({test::PhotoLike(w, h, i, 2 + random.below(20)), "photo-like " + std::to_string(i)});
        }
    }
    pictures.push_back({test::ReadJpeg(test::SourceDir() + "/data/sample.jpg"), "sample.jpg"});
    for (const char* name : {"ean13-2023456789013-m3-noise.png", "ean13-1234567890128-m2-jpeg60.png"}) {
        const test::Raster raster = test::ReadPng(test::SourceDir() + "/tests/samples/barcode/photo/" + name);
        pictures.push_back({MakeImage(raster.width, raster.height,
                                      [&](uint32_t x, uint32_t r) {
                                          return raster.pixels[size_t(raster.height - 1 - r) * raster.width + x];
                                      }),
                            name});
    }

    int finished = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const core::BmpImage& source = pictures[i].image;
        ASSERT_GT(source.view().width(), 0u) << pictures[i].name;
        const uint32_t w = source.view().width(), h = source.view().height();
        SegmentMedianCutParams params;
        params.colours = 2 + random.below(31);
        params.minSegmentPoints = random.below(13);
        params.quantiseFirst = i % 5 != 4;
        const size_t full = IndexedSegmentCapacity(w, h);
        const size_t size = i % 4 == 3 ? 1 + random.below(uint32_t(full)) : full;
        core::BmpImage a = MakeImage(w, h, [&](uint32_t x, uint32_t r) { return Rgb(source.view(), x, r); });
        core::BmpImage b = MakeImage(w, h, [&](uint32_t x, uint32_t r) { return Rgb(source.view(), x, r); });
        std::vector<uint32_t> histogramA(kHistogramCells), histogramB(kHistogramCells);
        std::vector<uint32_t> mapA(size_t(w) * h), mapB(size_t(w) * h);
        PaletteTable paletteA, paletteB;
        if (!params.quantiseFirst) {
            // The caller's plane: index 0 where the picture is dark, 1 elsewhere.
            for (uint32_t r = 0; r < h; ++r)
                for (uint32_t x = 0; x < w; ++x) mapA[size_t(r) * w + x] = (Rgb(source.view(), x, r) & 0x80) ? 1 : 0;
            mapB = mapA;
            paletteA.size = paletteB.size = 2;
            paletteA.colours[1] = paletteB.colours[1] = 0xFFFFFF;
        }
        // Tables start with the same leftovers, so untouched records compare too.
        std::vector<IndexedSegmentRecord> tableA(size), tableB(size);
        for (size_t k = 0; k < size; ++k)
            tableA[k] = tableB[k] = IndexedSegmentRecord{random.next(), random.next(), random.next(), random.next()};
        uint32_t countA = 0, countB = 0;
        const SegmentStatus sa =
            SegmentMedianCut(a.view(), params, histogramA.data(), mapA.data(), tableA, paletteA, countA);
        const SegmentStatus sb = detail::SegmentMedianCutAllCycles(b.view(), params, histogramB.data(), mapB.data(),
                                                                   tableB, paletteB, countB);
        const std::string name = pictures[i].name;
        ASSERT_EQ(sa, sb) << name;
        ASSERT_EQ(countA, countB) << name;
        ASSERT_TRUE(test::SamePixels(b.view(), a.view())) << name;
        ASSERT_TRUE(mapA == mapB) << name;
        ASSERT_EQ(std::memcmp(tableA.data(), tableB.data(), size * sizeof(IndexedSegmentRecord)), 0) << name;
        ASSERT_EQ(paletteA.size, paletteB.size) << name;
        ASSERT_TRUE(paletteA.colours == paletteB.colours) << name;
        finished += sa == SegmentStatus::Done;
    }
    EXPECT_GT(finished, 20);
}

// PaletteDistance holds the six-term distance between the first 32 colours.
TEST(SegmentMedianCutTest, PaletteDistanceIsTheSixTermDistance) {
    PaletteTable palette;
    palette.colours[0] = 0x102030;
    palette.colours[1] = 0x0A2840;
    palette.size = 2;
    const PaletteDistance d = PaletteDistance::From(palette);
    // dB = 16, dG = 8, dR = -6: 16 + 8 + 6 + 8 + 14 + 22 = 74.
    EXPECT_EQ(d(0, 1), 74);
    EXPECT_EQ(d(1, 0), 74);
    EXPECT_EQ(d(1, 1), 0);
    EXPECT_EQ(d.entries[(0 << 5) | 1], 74);
}

// ---- SegmentWindow ----

// A 0/1 plane (0 dark) with `dark(x, r)`.
std::vector<uint32_t> Plane(uint32_t w, uint32_t h, const std::function<bool(uint32_t, uint32_t)>& dark) {
    std::vector<uint32_t> plane(size_t(w) * h);
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t x = 0; x < w; ++x) plane[r * w + x] = dark(x, r) ? 0 : 1;
    return plane;
}

// Whole picture: a dark blob of 20 pixels stays; a dark speck of 14 and the
// light background (above W*H/512 + 250 pixels) become "no segment, light".
TEST(SegmentWindowTest, FiltersSpecksAndGiantsOverTheWholePicture) {
    const uint32_t w = 40, h = 30;
    std::vector<uint32_t> plane = Plane(w, h, [](uint32_t x, uint32_t r) {
        return (x >= 5 && x < 10 && r >= 5 && r < 9) ||   // 20 pixels
               (x >= 20 && x < 27 && r >= 10 && r < 12);  // 14 pixels
    });
    std::vector<IndexedSegmentRecord> table(SegmentWindowCapacity(w, h, {0, 0, w, h}));
    uint32_t k = 0;
    ASSERT_EQ(SegmentWindow(w, h, {0, 0, w, h}, plane.data(), table, k), SegmentStatus::Done);
    ASSERT_EQ(k, 1u);
    EXPECT_EQ(table[1].value, 20u << 8);
    EXPECT_EQ(table[1].firstPixel, 5u << 16 | 5);
    EXPECT_EQ(plane[6 * w + 7], 1u << 8);
    EXPECT_EQ(plane[10 * w + 22], 1u);      // the speck
    EXPECT_EQ(plane[0], 1u);                // the background
    EXPECT_EQ(plane[(h - 1) * w + 3], 1u);  // the unlabelled top row reads as record 0
}

// A window: only its rows and columns change; first pixels are in picture
// coordinates; a dark segment of exactly 15 pixels is kept.
TEST(SegmentWindowTest, WorksInsideTheWindowOnly) {
    const uint32_t w = 60, h = 40;
    const auto dark = [](uint32_t x, uint32_t r) { return x >= 22 && x < 27 && r >= 12 && r < 15; };  // 15 pixels
    std::vector<uint32_t> plane = Plane(w, h, dark);
    const std::vector<uint32_t> before = plane;
    const SegmentWindowRect window{20, 10, 35, 25};
    std::vector<IndexedSegmentRecord> table(SegmentWindowCapacity(w, h, window));
    uint32_t k = 0;
    ASSERT_EQ(SegmentWindow(w, h, window, plane.data(), table, k), SegmentStatus::Done);
    // Background inside the window is 14 x 15 - 15 = 195 pixels, under the 254 bound: kept.
    ASSERT_EQ(k, 2u);
    EXPECT_EQ(table[1].firstPixel, 10u << 16 | 20);
    EXPECT_EQ(table[2].firstPixel, 12u << 16 | 22);
    EXPECT_EQ(table[2].value, 15u << 8);
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t x = 0; x < w; ++x) {
            const bool inside = x >= 20 && x <= 33 && r >= 10 && r <= 24;
            if (!inside) {
                EXPECT_EQ(plane[r * w + x], before[r * w + x]) << x << "," << r;
            }
        }
    EXPECT_EQ(plane[13 * w + 23], 2u << 8);
    EXPECT_EQ(plane[24 * w + 25], 1u);  // the window's top row: label 0, light
}

// Window bounds are clipped to the picture; an empty window labels nothing.
TEST(SegmentWindowTest, ClipsTheWindowToThePicture) {
    EXPECT_EQ(SegmentWindowCapacity(10, 10, {5, 5, 100, 100}), 17u);
    EXPECT_EQ(SegmentWindowCapacity(10, 10, {5, 5, 6, 6}), 1u);
    std::vector<uint32_t> plane(100, 1);
    std::vector<IndexedSegmentRecord> table(1);
    uint32_t k = 7;
    EXPECT_EQ(SegmentWindow(10, 10, {5, 5, 6, 6}, plane.data(), table, k), SegmentStatus::Done);
    EXPECT_EQ(k, 0u);
}

// What SegmentWindow must give, found by a flood fill: the 4-connected
// components of equal index in the labelled part of the window, numbered by
// their first pixel, the filter applied, the window's unlabelled top row
// reading "no segment"; its last column and everything outside untouched.
struct WindowResult {
    std::vector<uint32_t> plane;
    std::vector<IndexedSegmentRecord> table;
};
WindowResult ReferenceWindow(std::vector<uint32_t> plane, uint32_t w, uint32_t h, SegmentWindowRect window) {
    const uint32_t x0 = window.x0, y0 = window.y0;
    const uint32_t x1 = std::min<uint32_t>(window.x1, w), y1 = std::min<uint32_t>(window.y1, h);
    const uint32_t upper = (w * h >> 9) + 250;
    WindowResult out{plane, {IndexedSegmentRecord{1, 0, 0, 0}}};
    std::vector<uint32_t> component(plane.size(), 0);
    for (uint32_t r = y0; r + 1 < y1; ++r)
        for (uint32_t x = x0; x + 1 < x1; ++x) {
            if (component[r * w + x]) continue;
            const uint32_t index = plane[r * w + x] & 0xFF;
            std::vector<std::pair<uint32_t, uint32_t>> members{{x, r}}, stack{{x, r}};
            component[r * w + x] = 1;
            while (!stack.empty()) {
                const auto [cx, cr] = stack.back();
                stack.pop_back();
                const std::pair<int, int> steps[4] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                for (auto [dx, dy] : steps) {
                    const int nx = int(cx) + dx, nr = int(cr) + dy;
                    if (nx < int(x0) || nr < int(y0) || nx + 1 >= int(x1) || nr + 1 >= int(y1)) continue;
                    if (component[nr * w + nx] || (plane[nr * w + nx] & 0xFF) != index) continue;
                    component[nr * w + nx] = 1;
                    members.emplace_back(nx, nr);
                    stack.emplace_back(nx, nr);
                }
            }
            const uint32_t count = uint32_t(members.size());
            const bool kept = count >= (index == 0 ? 15u : 1u) && count <= upper;
            const uint32_t k = uint32_t(out.table.size());
            if (kept) out.table.push_back(IndexedSegmentRecord{count << 8 | index, 0, r << 16 | x, 0});
            for (auto [mx, mr] : members) out.plane[mr * w + mx] = kept ? k << 8 | index : 1;
        }
    for (uint32_t r = y0; r < y1; ++r)
        for (uint32_t x = x0; x + 1 < x1; ++x)
            if (r + 1 == y1) out.plane[r * w + x] = 1;
    return out;
}

// Random planes from speckle to large blobs, random windows (some reaching
// past the picture), stale labels outside the window: the same plane and
// table as the flood fill.
TEST(SegmentWindowTest, AgreesWithAFloodFillOnRandomPlanes) {
    std::mt19937 rng(20261209);
    for (int round = 0; round < 400; ++round) {
        const uint32_t w = 2 + rng() % 70, h = 2 + rng() % 70;
        // Blobs of a random size: each cell of a coarse grid dark or light,
        // then a share of single pixels flipped.
        const uint32_t cell = 1 + rng() % 6, flips = rng() % 40;
        std::vector<uint32_t> coarse((w / cell + 1) * (h / cell + 1));
        for (uint32_t& c : coarse) c = rng() % 2;
        std::vector<uint32_t> plane(size_t(w) * h);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x) {
                uint32_t v = coarse[(r / cell) * (w / cell + 1) + x / cell];
                if (rng() % 100 < flips) v ^= 1;
                plane[r * w + x] = v;
            }
        SegmentWindowRect window{0, 0, uint16_t(w), uint16_t(h)};
        if (round % 2) {
            window.x0 = uint16_t(rng() % w);
            window.y0 = uint16_t(rng() % h);
            window.x1 = uint16_t(window.x0 + rng() % (w + 5));
            window.y1 = uint16_t(window.y0 + rng() % (h + 5));
            // Outside the window the plane holds what an earlier pass left.
            for (uint32_t r = 0; r < h; ++r)
                for (uint32_t x = 0; x < w; ++x)
                    if (x < window.x0 || r < window.y0 || x >= window.x1 || r >= window.y1)
                        plane[r * w + x] = (rng() % 50) << 8 | plane[r * w + x];
        }
        const WindowResult expected = ReferenceWindow(plane, w, h, window);
        std::vector<IndexedSegmentRecord> table(SegmentWindowCapacity(w, h, window));
        uint32_t k = 0;
        ASSERT_EQ(SegmentWindow(w, h, window, plane.data(), table, k), SegmentStatus::Done);
        ASSERT_EQ(k + 1, expected.table.size()) << "round " << round;
        for (uint32_t n = 0; n <= k; ++n) {
            EXPECT_EQ(table[n].value, expected.table[n].value) << "round " << round << " record " << n;
            EXPECT_EQ(table[n].count, expected.table[n].count) << "round " << round << " record " << n;
            EXPECT_EQ(table[n].firstPixel, expected.table[n].firstPixel) << "round " << round << " record " << n;
            EXPECT_EQ(table[n].link, expected.table[n].link) << "round " << round << " record " << n;
        }
        ASSERT_EQ(plane, expected.plane) << "round " << round;
    }
}

}  // namespace
}  // namespace zorva::segment
