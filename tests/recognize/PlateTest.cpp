// Plate location on constructed segment tables, separators, holes, the look-alike checks, voting and the schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "recognize/Plate.h"
#include "recognize/PlateReadings.h"
#include "tests/recognize/PlateTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::recognize {
namespace {

using segment::IndexedSegmentRecord;

// ---- constructed tables ----

// A segment as tracing leaves its record.
struct Shape {
    int x, y, w, h;
    uint32_t pixels = 60;
    uint32_t index = 0;  // 0 dark, 1 light
    uint32_t enclosing = 0;
};

// Records 1..K ordered by first row, then column, as the segmentation
// numbers them; record 0 carries nothing.
std::vector<IndexedSegmentRecord> TableOf(std::vector<Shape> shapes) {
    std::stable_sort(shapes.begin(), shapes.end(),
                     [](const Shape& a, const Shape& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    std::vector<IndexedSegmentRecord> table(1);
    for (const Shape& s : shapes)
        table.push_back({s.pixels << 8 | s.index, uint32_t(s.w) | uint32_t(s.h) << 16,
                         uint32_t(s.y) << 16 | uint32_t(s.x), s.enclosing << 8});
    return table;
}

// The segment number of the shape at (x, y).
uint32_t At(const std::vector<IndexedSegmentRecord>& table, int x, int y) {
    for (uint32_t n = 1; n < table.size(); ++n)
        if (segment::OutlineLeft(table[n]) == x && segment::FirstRow(table[n]) == y) return n;
    return 0;
}

// A plate worked out by hand: letters 10 x 12, digits 9 x 16 on row 20, gaps
// of 3; region digits 8 x 11 on row 24 from column 88 (the window runs from
// column 82 to 116 and rows 20 to 32, heights 10 to 14); the ground and two
// specks above make K = 11 with the two region digits.
std::vector<Shape> Plate(std::vector<Shape> region = {{88, 24, 8, 11}, {98, 24, 8, 11}}) {
    std::vector<Shape> s = {{0, 0, 200, 60, 5000, 1}, {10, 20, 10, 12},     {23, 20, 9, 16},
                            {35, 20, 9, 16},          {47, 20, 9, 16},      {59, 20, 10, 12},
                            {72, 20, 10, 12},         {30, 50, 2, 2, 4, 1}, {60, 55, 3, 3, 9, 1}};
    s.insert(s.end(), region.begin(), region.end());
    return s;
}

struct Located {
    LocateStatus status;
    PlateFind find;
    std::vector<IndexedSegmentRecord> table;
    // The columns of the segments in slots 0..8 (-1 for an empty slot).
    std::vector<int> columns() const {
        std::vector<int> x;
        for (uint32_t i = 0; i < 9; ++i)
            x.push_back(find.plateSlots.segment[i] ? int(segment::OutlineLeft(table[find.plateSlots.segment[i]])) : -1);
        return x;
    }
};

Located Locate(const std::vector<Shape>& shapes, bool geometry = false) {
    Located l;
    l.table = TableOf(shapes);
    l.status = LocatePlate(l.table, uint32_t(l.table.size() - 1), geometry, l.find);
    return l;
}

const std::vector<int> kMainColumns = {10, 23, 35, 47, 59, 72};
std::vector<int> Columns(std::vector<int> region) {
    std::vector<int> x = kMainColumns;
    region.resize(3, -1);
    x.insert(x.end(), region.begin(), region.end());
    return x;
}

// ---- location ----

// The plate by hand: six characters in reading order and the two region
// digits; fewer than ten segments are never a plate.
TEST(PlateLocation, FindsTheHandMadePlate) {
    const Located l = Locate(Plate());
    ASSERT_EQ(l.status, LocateStatus::Found);
    EXPECT_EQ(l.columns(), Columns({88, 98}));
    EXPECT_FALSE(l.find.regionPlaced);
    // Only two digits: the second one's cell stands for the third too.
    EXPECT_EQ(l.find.regionCells[2].x, 98);

    std::vector<Shape> few = Plate();
    few.erase(few.begin() + 7, few.begin() + 9);  // the specks: K = 9
    EXPECT_EQ(Locate(few).status, LocateStatus::NotFound);
}

// The character filter's width limit is h + (h + 1) / 2 + 2 (20 for a letter
// 12 high); the baseline tolerance is (h + 3) / 4 + (h + 7) / 8 = 5 for
// the anchor's 12 rows; letters as high as the digits fail the layout.
TEST(PlateLocation, FilterBaselineAndLayoutLimits) {
    // The first letter is not held to the others' widths, only to the filter.
    std::vector<Shape> wide = Plate();
    wide[1] = {0, 20, 20, 12};
    EXPECT_EQ(Locate(wide).status, LocateStatus::Found);
    wide[1] = {0, 20, 21, 12};
    EXPECT_EQ(Locate(wide).status, LocateStatus::NotFound);

    std::vector<Shape> raised = Plate();
    raised[3].y = 24;  // the second digit 4 rows up: kept
    EXPECT_EQ(Locate(raised).status, LocateStatus::Found);
    raised[3].y = 25;  // 5 rows up: dropped, and the row no longer reads
    EXPECT_EQ(Locate(raised).status, LocateStatus::NotFound);

    std::vector<Shape> tall = Plate();
    tall[5].h = 16;  // the fifth character as high as a digit
    EXPECT_EQ(Locate(tall).status, LocateStatus::NotFound);
}

// A character-shaped stranger left of the plate on its baseline joins the
// row; the layout check fails with it first, and it is dropped.
TEST(PlateLocation, DropsAStrangerBeforeThePlate) {
    std::vector<Shape> s = Plate();
    s.push_back({2, 21, 3, 12});
    const Located l = Locate(s);
    ASSERT_EQ(l.status, LocateStatus::Found);
    EXPECT_EQ(l.columns(), Columns({88, 98}));
}

// Three or more region candidates.
TEST(PlateLocation, RegionDigitRules) {
    // Three in a row: all three.
    EXPECT_EQ(Locate(Plate({{88, 24, 8, 11}, {98, 24, 8, 11}, {108, 24, 8, 11}})).columns(), Columns({88, 98, 108}));
    // A piece right after the last letter: the next candidate starts within
    // its own width of the letter (82 + 8 >= 88), so the piece goes.
    EXPECT_EQ(Locate(Plate({{84, 24, 3, 11}, {88, 24, 8, 11}, {98, 24, 8, 11}})).columns(), Columns({88, 98}));
    // The third starts beyond r1 + 1.5 of its width (98 + 8 + 5 < 114): two.
    EXPECT_EQ(Locate(Plate({{88, 24, 8, 11}, {98, 24, 8, 11}, {114, 24, 2, 11}})).columns(), Columns({88, 98}));
    // The third 3 rows higher at its top than the second: not aligned, two.
    EXPECT_EQ(Locate(Plate({{88, 24, 8, 11}, {98, 24, 8, 11}, {108, 24, 8, 14}})).columns(), Columns({88, 98}));
    // A first candidate with fewer than a quarter of the others' pixels goes.
    std::vector<Shape> speck = {{88, 24, 8, 11}, {98, 24, 8, 11}, {108, 24, 8, 11}};
    speck[0].pixels = 26;  // 4 * (26 + 3) = 116 <= 120
    EXPECT_EQ(Locate(Plate(speck)).columns(), Columns({98, 108}));
    speck[0].pixels = 28;  // 124 > 120: stays
    EXPECT_EQ(Locate(Plate(speck)).columns(), Columns({88, 98, 108}));
}

// A plate sloping down to the right, a row per character: with y1 = 25
// and y5 = 21 the window starts at row 21 - 2 = 19, where the region digits
// continue the slope.
TEST(PlateLocation, RegionWindowFollowsTheSlope) {
    const std::vector<Shape> s = {{0, 0, 200, 60, 5000, 1}, {10, 26, 10, 12}, {23, 25, 9, 16},  {35, 24, 9, 16},
                                  {47, 23, 9, 16},          {59, 22, 10, 12}, {72, 21, 10, 12}, {30, 50, 2, 2, 4, 1},
                                  {60, 55, 3, 3, 9, 1},     {88, 20, 8, 11},  {98, 19, 8, 11}};
    const Located l = Locate(s);
    ASSERT_EQ(l.status, LocateStatus::Found);
    EXPECT_EQ(l.columns(), Columns({88, 98}));
}

// Fewer than two region digits: RegionMissing, or, when replaying, three
// cells placed by geometry: 12 x 11 from column 83, 10 apart, on row
// 20 + 0 + 5 - 1 = 24; the region slots stay empty.
TEST(PlateLocation, RegionMissingOrPlaced) {
    const std::vector<Shape> one = Plate({{88, 24, 8, 11}, {150, 20, 4, 4, 30, 1}});
    EXPECT_EQ(Locate(one).status, LocateStatus::RegionMissing);
    const Located placed = Locate(one, true);
    ASSERT_EQ(placed.status, LocateStatus::Found);
    EXPECT_TRUE(placed.find.regionPlaced);
    EXPECT_EQ(placed.columns(), Columns({}));
    for (int i = 0; i < 3; ++i) {
        const CellBox& c = placed.find.regionCells[size_t(i)];
        EXPECT_EQ(c.x, 83 + 10 * i);
        EXPECT_EQ(c.y, 24);
        EXPECT_EQ(c.w, 12);
        EXPECT_EQ(c.h, 11);
    }
}

// ---- region, separators, holes ----

std::array<SegmentBox, kMainCharacters> Mains(const Located& l) {
    std::array<SegmentBox, kMainCharacters> m;
    for (size_t i = 0; i < kMainCharacters; ++i) m[i] = BoxOf(l.table[l.find.plateSlots.segment[i]]);
    return m;
}

// Region: left 10 - 5; right 92 + (92 - 5) / 2 + 5; bottom 20 - 7; top
// 20 + 24 + 5. Frames: the first letter (10..19, rows 20..31) gets lines on
// column 9 and 20 and rows 18 and 33; a digit pushed into the next one has
// its overlap cut, and neither shows a line between them.
TEST(PlateSeparators, RegionAndFramesByHand) {
    const Located l = Locate(Plate());
    const auto m = Mains(l);
    const PlateRegion r = PlateRegionOf(m);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right, 140);
    EXPECT_EQ(r.bottom, 13);
    EXPECT_EQ(r.top, 49);

    std::vector<uint32_t> means(160 * 60, 0x40404040);
    const core::Plane<uint32_t> plane = core::PackedPlane(means.data(), 160, 60);
    DrawSeparators(plane, m, l.find.regionCells);
    const auto lit = [&](int x, int y) { return (plane.at(uint32_t(x), uint32_t(y)) & 0xFF) == 0xFF; };
    for (int y = 18; y <= 32; ++y) EXPECT_TRUE(lit(9, y) && lit(20, y)) << y;
    for (int x = 9; x <= 20; ++x) EXPECT_TRUE(lit(x, 18) && lit(x, 33)) << x;
    EXPECT_FALSE(lit(15, 25));
    EXPECT_EQ(plane.at(9, 18) >> 8, 0x404040u);  // only the luminance byte

    std::vector<Shape> touching = Plate();
    touching[2].w = 13;  // the first digit reaches column 35, the second's first
    const Located t = Locate(touching);
    std::fill(means.begin(), means.end(), 0);
    DrawSeparators(plane, Mains(t), t.find.regionCells);
    // Cut by 23 + 13 - 35 + 1 = 2: its lines end at column 34, and the next
    // cell starts two columns later, at 37, without a left line.
    EXPECT_TRUE(lit(34, 18));
    EXPECT_FALSE(lit(34, 25));
    EXPECT_FALSE(lit(35, 25));
    EXPECT_TRUE(lit(36 + 8, 25));  // the second digit's right line
}

// An 8-like character of 200 pixels, 16 rows from row 20: a lower and an
// upper hole (class 3); a large one (4); holes under 1/64 of it, and specks
// off the centre column, do not count.
TEST(PlateHoles, ClassesByHand) {
    const auto classOf = [](std::vector<Shape> holes) {
        std::vector<Shape> s = {{0, 0, 100, 60, 3000, 1}, {10, 20, 10, 16, 200}};
        for (Shape& h : holes) h.index = 1, h.enclosing = 2;
        s.insert(s.end(), holes.begin(), holes.end());
        const std::vector<IndexedSegmentRecord> table = TableOf(s);
        PlateSlots characters;
        characters.segment[3] = At(table, 10, 20);
        ClassifyHoles(table, uint32_t(table.size() - 1), characters);
        return int(characters.holeClass[3]);
    };
    EXPECT_EQ(classOf({{13, 22, 4, 4, 12}, {13, 29, 4, 4, 12}}), kHoleLower | kHoleUpper);
    EXPECT_EQ(classOf({{13, 23, 4, 10, 30}}), kHoleLarge);
    EXPECT_EQ(classOf({{13, 23, 4, 3, 3}}), 0);  // 3 < (200 + 63) / 64
    EXPECT_EQ(classOf({{11, 29, 1, 2, 4}}), 0);  // 4 pixels ending at column 12, left of 15 - 1
    EXPECT_EQ(classOf({{15, 29, 1, 2, 4}}), kHoleUpper);
}

// ---- look-alikes ----

// A map of label 5 where `art` shows "#", top line first.
struct Drawn {
    std::vector<uint32_t> map;
    uint32_t width = 0;
    SegmentBox box;
};
Drawn Draw(const std::vector<std::string>& art) {
    Drawn d;
    d.width = uint32_t(art[0].size()) + 2;
    const uint32_t height = uint32_t(art.size()) + 2;
    d.map.assign(size_t(d.width) * height, 1);
    for (size_t row = 0; row < art.size(); ++row)
        for (size_t x = 0; x < art[row].size(); ++x)
            if (art[row][x] == '#') d.map[(height - 2 - row) * d.width + x + 1] = 5 << 8;
    d.box = {1, 1, int(art[0].size()), int(art.size()), 0, 0, 0};
    return d;
}

TEST(PlateLookAlikes, OneOrSevenFromTheLeftColumn) {
    const auto check = [](const std::vector<std::string>& art) {
        const Drawn d = Draw(art);
        return OneOrSeven(d.map.data(), d.width, 5, d.box);
    };
    // A 1 with its flag reaching down to the middle: ink from row 8 of 12, h - r = 4 >= 3.
    EXPECT_EQ(check({"  ##", " ###", "####", "# ##", "  ##", "  ##", "  ##", "  ##", "  ##", "  ##", "  ##", "  ##"}),
              '1');
    // A 7: the bar's left end only, in the top two rows (h - r = 2 < 3).
    EXPECT_EQ(check({"####", "####", "  ##", "  ##", "  ##", " ## ", " ## ", " ## ", " ## ", " ## ", " ## ", " ## "}),
              '7');
    // A 7 whose stem ends in the left column: ink within the lowest four rows.
    EXPECT_EQ(check({"####", "####", "  ##", "  ##", "  ##", "  ##", " ## ", " ## ", " ## ", "##  ", "##  ", "##  "}),
              '7');
}

TEST(PlateLookAlikes, KayAitchOrExFromTheIndentations) {
    const auto check = [](const std::vector<std::string>& art) {
        const Drawn d = Draw(art);
        return KayAitchOrEx(d.map.data(), d.width, 5, d.box);
    };
    const std::vector<std::string> h = {"##    ##", "##    ##", "##    ##", "##    ##", "##    ##", "########",
                                        "########", "##    ##", "##    ##", "##    ##", "##    ##", "##    ##"};
    const std::vector<std::string> k = {"##    ##", "##   ## ", "##  ##  ", "## ##   ", "####    ", "###     ",
                                        "####    ", "## ##   ", "##  ##  ", "##   ## ", "##    ##", "##    ##"};
    const std::vector<std::string> x = {"##    ##", "##    ##", " ##  ## ", " ##  ## ", "  ####  ", "   ##   ",
                                        "  ####  ", " ##  ## ", " ##  ## ", "##    ##", "##    ##", "##    ##"};
    EXPECT_EQ(check(h), 'H');
    EXPECT_EQ(check(k), 'K');
    EXPECT_EQ(check(x), 'X');
}

// ---- readings ----

// Three passes; the second has the smallest sum over positions 0..8 and is
// the best. Each position takes the symbol of its smallest distance down to
// the first row without it; a position empty in the first row ends the vote.
TEST(PlateReadingsTest, BestPassAndVoteByHand) {
    PlateReadings r;
    EXPECT_FALSE(r.bestPass());
    *r.add() = {{{'A', 50}, {'1', 10}, {'2', 10}, {}, {'B', 1}}};
    *r.add() = {{{'P', 20}, {'7', 30}, {'2', 5}, {'3', 1}, {'B', 1}}};
    *r.add() = {{{'A', 40}, {'1', 5}, {}, {'8', 0}, {'B', 99}, {'C', 100}}};
    EXPECT_EQ(r.bestPass(), 1u);  // sums 71, 57, 244
    std::string text(kPlateNotRead);
    r.vote(text);
    // Position 2 stops at the third row's gap; position 3 is empty in the
    // first row, so the vote ends there.
    EXPECT_EQ(text, "P12*****  ");
}

// ---- the schedule ----

// A picture without a plate: seven detection attempts over the whole
// picture in the fixed order, no replay, no plate, eight "*". A picture
// below 17 x 17: no attempt at all.
TEST(PlateSchedule, SevenDetectionAttemptsWithoutAPlate) {
    core::BmpImage image =
        test::MakeImage(64, 48, [](uint32_t x, uint32_t r) { return (x / 8 + r / 8) % 2 ? 0xFFFFFFu : 0u; });
    test::PlateRunner runner;
    const PlateResult result = runner.run(image.view());
    EXPECT_EQ(result.text, "********  ");
    EXPECT_FALSE(result.found);
    ASSERT_EQ(result.passes.size(), 7u);
    const int windows[7] = {2, 2, 2, 2, 1, 3, 3};
    const int levels[7] = {-1, -1, -1, -1, 2, 5, 0};
    for (size_t i = 0; i < 7; ++i) {
        const PlatePass& p = result.passes[i];
        EXPECT_EQ(int(p.attempt.window), windows[i]);
        EXPECT_EQ(p.attempt.level.value_or(-1), levels[i]);
        EXPECT_EQ(p.attempt.variant, i < 4 ? int(i) : 0);
        EXPECT_EQ(p.k, 0u);
    }
    EXPECT_TRUE(result.segmented);

    core::BmpImage small = test::MakeSolid(16, 40, 0x808080);
    const PlateResult none = runner.run(small.view());
    EXPECT_TRUE(none.passes.empty());
    EXPECT_FALSE(none.segmented);
    EXPECT_EQ(none.text, "********  ");
}

// A generated photo: detection passes until one finds the plate, then
// refinement passes k = 1, 2, ... as long as each finds it, one reading row
// per pass that found it, and the best row's pass run once more, its map
// the one whose characters are painted; the picture itself is only read.
TEST(PlateSchedule, RefinesAndRepeatsTheBestPass) {
    core::BmpImage image = test::ReadJpeg(test::SourceDir() + "/tests/samples/plates/E154KO41.jpg");
    ASSERT_TRUE(image);
    test::PlateRunner runner;
    const PlateResult result = runner.run(image.view());
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.text, "E154KO41  ");
    size_t i = 0;
    while (result.passes[i].status != LocateStatus::Found) EXPECT_EQ(result.passes[i++].k, 0u);
    const size_t first = i;
    uint32_t k = 0;
    while (++i < result.passes.size() - 1) EXPECT_EQ(result.passes[i].k, ++k);
    // Every refinement but possibly the last found the plate; each found pass has its row.
    const size_t found = size_t(std::count_if(result.passes.begin() + long(first), result.passes.end(),
                                              [](const PlatePass& p) { return p.status == LocateStatus::Found; }));
    EXPECT_EQ(result.readings.rows(), found);
    // The final pass is that of the row with the smallest sum before it.
    uint64_t best = UINT64_MAX;
    uint32_t bestRow = 0;
    for (uint32_t r = 0; r + 1 < result.readings.rows(); ++r) {
        uint64_t sum = 0;
        for (uint32_t p = 0; p < 9; ++p) sum += result.readings.row(r)[p].distance;
        if (sum < best) best = sum, bestRow = r;
    }
    EXPECT_EQ(result.passes.back().k, bestRow);
    EXPECT_TRUE(result.painted);
    EXPECT_GT(runner.characterPixels(result, image.view().width(), image.view().height()), 100u);
    // The six characters lie inside the region placed round them.
    for (const SegmentBox& c : result.characters) {
        EXPECT_GE(c.x, int(result.region.left));
        EXPECT_LE(c.x + c.w, int(result.region.right));
    }
    EXPECT_TRUE(test::SamePixels(image.view(),
                                 test::ReadJpeg(test::SourceDir() + "/tests/samples/plates/E154KO41.jpg").view()));
}

// The same photo with its region digits painted over: every detection
// attempt lacks them, the first is replayed with the region placed by
// geometry, and the result is the six characters, two "*" and two spaces.
TEST(PlateSchedule, ReplaysTheAttemptWithoutRegionDigits) {
    const std::string path = test::SourceDir() + "/tests/samples/plates/E154KO41.jpg";
    core::BmpImage image = test::ReadJpeg(path);
    test::PlateRunner runner;
    const PlateResult first = runner.run(image.view());
    ASSERT_EQ(first.text, "E154KO41  ");
    image = test::ReadJpeg(path);
    for (uint32_t slot = kMainCharacters; slot < kMainCharacters + 2; ++slot) {
        const SegmentBox b = BoxOf(runner.table[first.plateSlots.segment[slot]]);
        for (int r = b.y - 2; r <= b.y + b.h + 1; ++r)
            for (int x = b.x - 2; x <= b.x + b.w + 1; ++x) image.view().set(uint32_t(x), uint32_t(r), 0xF0F0F0);
    }
    const PlateResult result = runner.run(image.view());
    EXPECT_EQ(result.text, "E154KO**  ");
    ASSERT_GE(result.passes.size(), 8u);
    EXPECT_EQ(result.passes[0].status, LocateStatus::RegionMissing);
    for (size_t i = 0; i < 7; ++i) EXPECT_FALSE(result.passes[i].replay);
    EXPECT_TRUE(result.passes[7].replay);
    EXPECT_EQ(result.passes[7].k, 0u);
    EXPECT_EQ(result.passes[7].status, LocateStatus::Found);
    EXPECT_EQ(int(result.passes[7].attempt.window), int(result.passes[0].attempt.window));
}

}  // namespace
}  // namespace zorva::recognize
