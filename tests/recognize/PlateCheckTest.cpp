// The plate check on readings made up digit by digit and on drawn characters: the region rule, the region list it
// ships, and the second opinion of the pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "recognize/PlateCheck.h"
#include "tests/support/TestSupport.h"

namespace zorva::recognize {
namespace {

// A found plate read as `text`, each region digit read with distance 100 and
// every other digit compared at the distances `others` gives (slot, digit).
PlateResult Reading(const std::string& text, uint32_t (*others)(uint32_t slot, char digit)) {
    PlateResult result;
    result.found = true;
    result.text = text;
    for (uint32_t slot = 6; slot < 9; ++slot)
        for (char d = '0'; d <= '9'; ++d) result.nearest[slot][*PlateSymbolIndex(d)] = others(slot, d);
    for (uint32_t slot = 6; slot < 9 && text[slot] != ' '; ++slot)
        if (text[slot] != '*') result.nearest[slot][*PlateSymbolIndex(text[slot])] = 100;
    return result;
}

TEST(PlateCheck, RegionsAreCodesInUse) {
    const RegionCodes regions = RegionCodes::Parse("# codes\n77 97 199 Москва\n 750 Область\n12345 1 x7 Не коды\n");
    EXPECT_EQ(regions.codes(), (std::vector<std::string>{"199", "750", "77", "97"}));
    PlateCheckInput input;
    input.regions = &regions;

    // A code in use stands, whatever its runners-up.
    const auto flat = [](uint32_t, char) { return 150u; };
    EXPECT_EQ(CheckPlate(Reading("A123BC77  ", flat), input).stage, PlateStage::Part);
    EXPECT_EQ(CheckPlate(Reading("A123BC199 ", flat), input).text, "A123BC199 ");

    // "755" is no code: of the three-digit codes the one whose digits lie
    // nearest wins, here 750 (its 0 a close runner-up) over 199.
    const auto zeroClose = [](uint32_t slot, char d) { return slot == 8 && d == '0' ? 110u : 400u; };
    const CheckedPlate corrected = CheckPlate(Reading("A123BC755 ", zeroClose), input);
    EXPECT_EQ(corrected.text, "A123BC750 ");
    EXPECT_EQ(corrected.stage, PlateStage::Checked);
    // Codes as near as each other: the one keeping more of the digits read.
    const RegionCodes pair = RegionCodes::Parse("19 79");
    PlateCheckInput pairInput;
    pairInput.regions = &pair;
    const auto oneOrSeven = [](uint32_t slot, char d) {
        return (slot == 6 && (d == '1' || d == '7')) || (slot == 7 && (d == '8' || d == '9')) ? 100u : 400u;
    };
    EXPECT_EQ(CheckPlate(Reading("A123BC78  ", oneOrSeven), pairInput).text, "A123BC79  ");
    EXPECT_EQ(CheckPlate(Reading("A123BC18  ", oneOrSeven), pairInput).text, "A123BC19  ");
    // Two digits are weighed only against two-digit codes.
    EXPECT_EQ(CheckPlate(Reading("A123BC79  ", flat), input).text, "A123BC77  ");

    // A code whose digits were never compared cannot be chosen; with none
    // left the region is not reported at all.
    const auto never = [](uint32_t, char) { return kNotCompared; };
    EXPECT_EQ(CheckPlate(Reading("A123BC79  ", never), input).text, "A123BC**  ");
    // A region not read whole, and no plate, pass as they are.
    EXPECT_EQ(CheckPlate(Reading("A123BC7*  ", flat), input).text, "A123BC7*  ");
    PlateResult none;
    EXPECT_EQ(CheckPlate(none, input).text, std::string(kPlateNotRead));

    // The shipped list: every two-digit code but 00, and three-digit codes
    // only from 1 and 7, and 977.
    const RegionCodes& shipped = RegionCodes::InUse();
    EXPECT_FALSE(shipped.contains("00"));
    for (const std::string& code : shipped.codes()) {
        ASSERT_TRUE(code.size() == 2 || code.size() == 3) << code;
        if (code.size() == 3) {
            EXPECT_TRUE(code[0] == '1' || code[0] == '7' || code == "977") << code;
        }
    }
    EXPECT_EQ(std::count_if(shipped.codes().begin(), shipped.codes().end(),
                            [](const std::string& c) { return c.size() == 2; }),
              99);
}

// A segment map to draw characters in, bottom row first, with the table of
// its segments' boxes.
struct Drawing {
    static constexpr uint32_t kWidth = 320, kHeight = 80;
    std::vector<uint32_t> map = std::vector<uint32_t>(kWidth * kHeight, 0);
    std::vector<segment::IndexedSegmentRecord> table = std::vector<segment::IndexedSegmentRecord>(8);

    // Gives segment `label` (ink, palette index 0) the pixels `inside`
    // picks among columns x0..x1 and rows y0..y1, and records its box.
    void draw(uint32_t label, int x0, int x1, int y0, int y1, const std::function<bool(int, int)>& inside) {
        int left = x1, right = x0, low = y1, high = y0;
        uint32_t pixels = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (inside(x, y)) {
                    map[size_t(y) * kWidth + size_t(x)] = label << 8;
                    left = std::min(left, x), right = std::max(right, x);
                    low = std::min(low, y), high = std::max(high, y);
                    ++pixels;
                }
        table[label] = {pixels << 8, uint32_t(high - low + 1) << 16 | uint32_t(right - left + 1),
                        uint32_t(low) << 16 | uint32_t(left), 0};
    }
    GlyphFeatures glyph(uint32_t label) const { return *GlyphOf(map.data(), kWidth, label, BoxOf(table[label])); }
};

// Shapes in a character cell of columns x..x+23 and rows 8..39.
bool KStem(int x, int dx, int) {
    return dx - x < 6;
}
bool KArms(int x, int dx, int dy) {
    const int centre = x + 8 + std::abs(dy - 23) * 15 / 16;
    return dx >= centre - 2 && dx <= centre + 2 && dx >= x + 7;
}
bool C(int x, int dx, int dy) {
    const int ox = dx - x - 12, oy = dy - 23;
    return ox * ox * 16 * 16 + oy * oy * 12 * 12 <= 12 * 12 * 16 * 16 &&
           ox * ox * 10 * 10 + oy * oy * 6 * 6 >= 6 * 6 * 10 * 10 && !(ox > 4 && std::abs(oy) < 7);
}
bool Seven(int x, int dx, int dy) {
    return dy >= 34 || std::abs((dx - x) - (dy - 8) * 20 / 26) <= 2;
}
bool One(int x, int dx, int dy) {
    return (dx >= x + 12 && dx <= x + 17) ||
           (dy >= 30 && dy < 34 && dx >= x + 4 && dx <= x + 17 && std::abs((dx - x - 4) - (dy - 30) * 3) <= 3);
}
bool K(int x, int dx, int dy) {
    return KStem(x, dx, dy) || KArms(x, dx, dy);
}
// Two crossed strokes: a mark of a character's size like no character.
bool Smudge(int x, int dx, int dy) {
    return std::abs((dx - x - 12) * 4 - (dy - 24) * 3) <= 12 || std::abs((dx - x - 12) * 4 + (dy - 24) * 3) <= 12;
}

// `shape` as a letter of the plate typeface draws it: three quarters as
// high as a digit (rows 8..31), squeezed from rows 8..39.
bool AsLetter(bool (*shape)(int, int, int), int x, int dx, int dy) {
    return dy <= 31 && shape(x, dx, 8 + (dy - 8) * 4 / 3);
}

// The glyphs of `shapes`, each character drawn whole in a cell of its own.
GlyphTemplates Typeface(std::initializer_list<std::pair<char, bool (*)(int, int, int)>> shapes) {
    Drawing typeface;
    GlyphTemplates glyphs;
    uint32_t label = 0;
    for (const std::pair<char, bool (*)(int, int, int)>& glyph : shapes) {
        const int x = int(label++) * 30;
        const auto shape = glyph.second;
        typeface.draw(label, x, x + 23, 8, 39, [&](int dx, int dy) { return shape(x, dx, dy); });
        glyphs.add(glyph.first, typeface.glyph(label));
    }
    return glyphs;
}

// A found plate read as `text` whose six main characters are drawn in
// `plate` by `shape(slot, x, dx, dy)`, one cell every 30 columns, each read
// with distance 100 and no runner-up.
PlateResult SixInARow(Drawing& plate, const std::string& text,
                      const std::function<bool(uint32_t, int, int, int)>& shape) {
    PlateResult result;
    result.found = result.painted = result.segmented = true;
    result.segments = kMainCharacters;
    result.text = text;
    for (uint32_t slot = 0; slot < kMainCharacters; ++slot) {
        const int x = int(slot) * 30;
        plate.draw(slot + 1, x, x + 23, 8, 39, [&](int dx, int dy) { return shape(slot, x, dx, dy); });
        result.plateSlots.segment[slot] = slot + 1;
        result.nearest[slot][*PlateSymbolIndex(text[slot])] = 100;
    }
    return result;
}

// The second opinion on drawn characters: a K whose stem the threshold
// parted from its arms, read C, is a K once the piece joins it; the region's
// first digit, a 7 the shapes could not tell from a 1, is a 7 by its
// pixels, unless the 7 was clearly further. Pieces are looked for only among
// the segments of the last segmentation.
TEST(PlateCheck, PixelsDecideCloseCalls) {
    const GlyphTemplates glyphs = Typeface({{'K', K}, {'C', C}, {'7', Seven}, {'1', One}});
    const auto cell = [](bool (*shape)(int, int, int), int x) {
        return [shape, x](int dx, int dy) { return shape(x, dx, dy); };
    };

    // The plate: the K's arms (slot 0) and its stem apart, then the region
    // "77" in slots 6 and 7.
    Drawing plate;
    plate.draw(1, 8, 31, 8, 39, cell(KArms, 8));
    plate.draw(2, 8, 31, 8, 39, cell(KStem, 8));
    plate.draw(3, 100, 123, 8, 39, cell(Seven, 100));
    plate.draw(4, 130, 153, 8, 39, cell(Seven, 130));
    PlateResult result;
    result.found = result.painted = result.segmented = true;
    result.segments = 4;
    result.text = "C123AB17  ";
    result.plateSlots.segment[0] = 1;
    result.plateSlots.segment[6] = 3;
    result.plateSlots.segment[7] = 4;
    const auto at = [&result](uint32_t slot, char symbol, uint32_t distance) {
        result.nearest[slot][*PlateSymbolIndex(symbol)] = distance;
    };
    at(0, 'C', 100), at(0, 'K', 300);
    at(6, '1', 100), at(6, '7', 100);
    at(7, '7', 100), at(7, '1', 250);
    const RegionCodes regions = RegionCodes::Parse("17 77");
    // One character is no plate: the check is not to call it none.
    PlateCheckInput input{plate.map.data(), Drawing::kWidth, plate.table, &glyphs, &regions, -1};

    CheckedPlate checked = CheckPlate(result, input);
    EXPECT_EQ(checked.text, "K123AB77  ");
    EXPECT_EQ(checked.stage, PlateStage::Checked);

    // A 7 clearly further than the 1 read is no close call: it stays a 1
    // where 77 is no code, and the pixels take the whole code 77 where it is
    // one, but not from a region read whose pixels resemble it as much (71
    // against 17).
    at(6, '7', 140);
    const RegionCodes turnedAbout = RegionCodes::Parse("17 71");
    input.regions = &turnedAbout;
    EXPECT_EQ(CheckPlate(result, input).text.substr(6), "17  ");
    input.regions = &regions;
    EXPECT_EQ(CheckPlate(result, input).text.substr(6), "77  ");
    at(6, '7', 100);
    // The stem as a record the last segmentation did not make.
    result.segments = 1;
    EXPECT_EQ(CheckPlate(result, input).text.substr(0, 1), "C");
    // Nor does another slot's character join it.
    result.segments = 4;
    result.plateSlots.segment[1] = 2;
    EXPECT_EQ(CheckPlate(result, input).text.substr(0, 1), "C");

    // A third digit right of the two read completes the region, when it is
    // close enough and makes a code.
    const RegionCodes more = RegionCodes::Parse("17 77 777");
    input.regions = &more;
    result.segments = 5;
    plate.draw(5, 160, 183, 8, 39, cell(Seven, 160));
    EXPECT_EQ(CheckPlate(result, input).text.substr(6), "777 ");
    input.regions = &regions;
    EXPECT_EQ(CheckPlate(result, input).text.substr(6), "77  ");
    input.regions = &more;
    result.segments = 4;
    EXPECT_EQ(CheckPlate(result, input).text.substr(6), "77  ");
    result.segments = 5;
    std::fill(plate.map.begin(), plate.map.end(), 0u);
    plate.table[2] = {};
    plate.draw(1, 8, 31, 8, 39, cell(KArms, 8));
    plate.draw(3, 100, 123, 8, 39, cell(Seven, 100));
    plate.draw(4, 130, 153, 8, 39, cell(Seven, 130));
    plate.draw(5, 179, 199, 8, 39, cell(Seven, 176));
    EXPECT_EQ(CheckPlate(result, input).text.substr(6), "77  ");
    // Nor is a smudge of a digit's size a digit, whatever code it would make.
    const RegionCodes any = RegionCodes::Parse("77 770 771 772 773 774 775 776 777 778 779");
    input.regions = &any;
    plate.draw(5, 160, 183, 8, 39, [](int dx, int dy) { return Smudge(160, dx, dy); });
    EXPECT_EQ(CheckPlate(result, input).text.substr(6), "77  ");
}

// A row the reading took for a plate is one only when its characters are
// like the typeface's and its letters stand lower than its digits: the same
// row of crossed smudges is no plate, but stands when the likeness asked is
// lowered; a row whose letters are as high as its digits (digits under a
// barcode, a sign) is no plate however like the typeface, unless that
// limit is raised too.
TEST(PlateCheck, RowsUnlikeTheTypefaceAreNoPlate) {
    const GlyphTemplates glyphs = Typeface({{'K', K}, {'1', One}});
    const RegionCodes regions = RegionCodes::Parse("77");
    // The text kept, then with no likeness asked, then with no limit either.
    const auto row = [&](bool smudges, bool tallLetters) {
        Drawing plate;
        const PlateResult result = SixInARow(plate, "K111KK77  ", [=](uint32_t slot, int x, int dx, int dy) {
            bool (*const shape)(int, int, int) = smudges ? Smudge : slot == 0 || slot > 3 ? K : One;
            const bool letter = slot == 0 || slot > 3;
            return letter && !tallLetters ? AsLetter(shape, x, dx, dy) : shape(x, dx, dy);
        });
        PlateCheckInput input{plate.map.data(), Drawing::kWidth, plate.table, &glyphs, &regions};
        std::vector<std::string> texts{CheckPlate(result, input).text};
        input.leastLikeness = -1;
        texts.push_back(CheckPlate(result, input).text);
        input.mostLetterShare = 2;
        texts.push_back(CheckPlate(result, input).text);
        return texts;
    };
    const std::string plate = "K111KK77  ", none(kPlateNotRead);
    EXPECT_EQ(row(false, false), (std::vector{plate, plate, plate}));
    EXPECT_EQ(row(true, false), (std::vector{none, plate, plate}));
    EXPECT_EQ(row(false, true), (std::vector{none, none, plate}));
}

// `shape` drawn about (cx, cy), turned so that its rows rise by `slope`
// per column, or, when `sheared`, seen from the side: its columns stay
// upright and only its rows rise.
std::function<bool(int, int)> Leaning(bool (*shape)(int, int, int), double cx, double cy, double slope, bool sheared) {
    return [=](int dx, int dy) {
        const double length = std::hypot(1.0, slope), x = dx + 0.5 - cx, y = dy + 0.5 - cy;
        const double u = sheared ? x : (x + y * slope) / length, v = sheared ? y - x * slope : (y - x * slope) / length;
        const int ux = int(std::floor(u + 12)), vy = int(std::floor(v + 24));
        return ux >= 0 && ux < 24 && vy >= 8 && vy < 40 && shape(0, ux, vy);
    };
}

// On a plate turned by half a row per column, a 7 read 1 is a 7 by
// its pixels looked at along the plate; on a plate seen from the side (its
// characters upright, their row rising) the 7s still read 7.
TEST(PlateCheck, LeaningPlates) {
    const GlyphTemplates glyphs = Typeface({{'7', Seven}, {'1', One}});
    const RegionCodes regions = RegionCodes::Parse("77");

    for (const bool sheared : {false, true}) {
        Drawing plate;
        PlateResult result;
        result.found = result.painted = result.segmented = true;
        result.segments = 3;
        result.text = "A717BC77  ";
        for (uint32_t slot = 1; slot <= 3; ++slot) {
            const double cx = 40 + 30 * (slot - 1), cy = 24 + 0.5 * (cx - 40);
            plate.draw(slot, int(cx) - 20, int(cx) + 20, int(cy) - 22, int(cy) + 22,
                       Leaning(Seven, cx, cy, 0.5, sheared));
            result.plateSlots.segment[slot] = slot;
            result.nearest[slot][*PlateSymbolIndex('7')] = slot == 2 ? 150 : 100;
            result.nearest[slot][*PlateSymbolIndex('1')] = slot == 2 ? 100 : 400;
        }
        PlateCheckInput input{plate.map.data(), Drawing::kWidth, plate.table, &glyphs, &regions};
        EXPECT_EQ(CheckPlate(result, input).text, "A777BC77  ") << (sheared ? "sheared" : "turned");

        // The grid laid the way the plate leans finds the 7 whole.
        const auto likeness = [&](const GlyphFrame& frame) {
            return *glyphs.likeness(*GlyphOf(plate.map.data(), Drawing::kWidth,
                                             std::span(&result.plateSlots.segment[1], 1), BoxOf(plate.table[1]), frame),
                                    '7');
        };
        const float turned = likeness(GlyphFrame::Turned(0.5)), side = likeness(GlyphFrame::Sheared(0.5));
        EXPECT_GT(sheared ? side : turned, 0.9f);
        EXPECT_GT(sheared ? side - turned : turned - side, 0.1f);
    }
}

// Where the passes lost what the photo shows, the check looks at the photo
// itself. A region the reading placed by geometry (its frames cut the
// digits in every pass) is read there: the digits right of the last letter,
// as high as the letters, make the code they are likest. A character whose
// segment is unlike its reading (a K whose stem the passes lost, read C) is
// read again from its cell; a character read clearly stands whatever its
// cell shows. Without the photo, or with smudges where the region is,
// nothing changes.
TEST(PlateCheck, ThePhotoIsLookedAtWhereThePassesFailed) {
    const GlyphTemplates glyphs = Typeface({{'K', K}, {'1', One}, {'7', Seven}, {'C', C}});
    const RegionCodes regions = RegionCodes::Parse("11 17 71 77");

    // The passes' map: K111KK, the first K without its stem, read C.
    Drawing plate;
    const PlateResult result = SixInARow(plate, "C111KK**  ", [](uint32_t slot, int x, int dx, int dy) {
        return slot == 0 ? AsLetter(KArms, x, dx, dy) : slot > 3 ? AsLetter(K, x, dx, dy) : One(x, dx, dy);
    });
    // The photo: light, the six characters whole (the fifth drawn a C), and
    // two marks as high as the letters right of the last one.
    const auto photo = [&](bool (*first)(int, int, int), bool (*second)(int, int, int)) {
        return test::MakeImage(Drawing::kWidth, Drawing::kHeight, [&](uint32_t x, uint32_t r) {
            const int dx = int(x), dy = int(r), slot = dx / 30, cell = slot * 30;
            bool ink = false;
            if (dy >= 8 && dy <= 39 && slot < 6 && dx - cell < 24)
                ink = slot == 0 || slot == 5 ? AsLetter(K, cell, dx, dy)
                      : slot == 4            ? AsLetter(C, cell, dx, dy)
                                             : One(cell, dx, dy);
            else if (dy >= 8 && dy <= 39 && dx >= 190 && dx <= 213)
                ink = AsLetter(first, 190, dx, dy);
            else if (dy >= 8 && dy <= 39 && dx >= 218 && dx <= 241)
                ink = AsLetter(second, 218, dx, dy);
            return ink ? 0x303030u : 0xD0D0D0u;
        });
    };
    const core::BmpImage sevenOne = photo(Seven, One);
    PlateCheckInput input{plate.map.data(), Drawing::kWidth, plate.table, &glyphs, &regions};
    input.photo = sevenOne.view();
    const CheckedPlate read = CheckPlate(result, input);
    EXPECT_EQ(read.text, "K111KK71  ");
    EXPECT_EQ(read.stage, PlateStage::Checked);

    input.photo = {};
    EXPECT_EQ(CheckPlate(result, input).text, "C111KK**  ");
    const core::BmpImage smudges = photo(Smudge, Smudge);
    input.photo = smudges.view();
    EXPECT_EQ(CheckPlate(result, input).text, "K111KK**  ");
}

// The standard plate drawn at half a pixel a millimetre, its top left corner
// at column 20, row 72 (rows counted from the bottom).
int PlateColumn(double mm) {
    return 20 + int(std::lround(mm / 2));
}
int PlateRow(double mm) {
    return 72 - int(std::lround(mm / 2));
}

// `shape`'s ink between cell columns `from` and `to` (rows 8..39) stretched
// over columns x0..x1 and rows y0..y1: a character drawn to its box.
bool Stretched(bool (*shape)(int, int, int), int from, int to, int x0, int x1, int y0, int y1, int x, int y) {
    if (x < x0 || x > x1 || y < y0 || y > y1) return false;
    return shape(0, from + (x - x0) * (to - from + 1) / (x1 - x0 + 1), 8 + (y - y0) * 32 / (y1 - y0 + 1));
}

// A plate read as "K171KK77" whose region the passes read short and
// blurred: its first digit, joined to the line before the region box, was
// no segment of its own, and the two segments read 7 are unlike a 7. The
// photo shows the region where the standard plate has it, and there it is
// 177; a region drawn as the two digits 77 stays 77, as does one whose two
// segments are clear 7s, and without the photo nothing changes. Nor need the
// passes have found any of the region's digits: where the photo shows them,
// apart or run together by a smear across their tops, they are read.
TEST(PlateCheck, TheRegionIsReadWhereThePlateHasIt) {
    const GlyphTemplates glyphs = Typeface({{'K', K}, {'1', One}, {'7', Seven}});
    const RegionCodes regions = RegionCodes::Parse("11 17 71 77 111 117 171 177 711 717 771 777");

    // Each shape with the columns of its cell its ink spans: a "1" takes the
    // middle of its cell, the others all of it.
    const auto ink = [](char c) -> std::tuple<bool (*)(int, int, int), int, int> {
        if (c == 'K') return {K, 0, 23};
        if (c == '1') return {One, 4, 17};
        return {Seven, 0, 23};
    };
    // Main characters: from the left edge (mm), width, and top below the
    // plate's top; all stand 94 mm below it.
    const std::string main = "K171KK";
    constexpr std::array<int, 6> left{23, 83, 139, 195, 252, 311}, width{50, 46, 46, 46, 50, 50},
        top{36, 18, 18, 18, 36, 36};
    // Whether (x, y) is ink of main character i, or of digit k of a region of
    // `digits` drawn as the standard draws it.
    const auto mainInk = [&](uint32_t i, int x, int y) {
        const auto [shape, from, to] = ink(main[i]);
        return Stretched(shape, from, to, PlateColumn(left[i]), PlateColumn(left[i] + width[i]) - 1, PlateRow(94),
                         PlateRow(top[i]) - 1, x, y);
    };
    const auto regionInk = [&](const std::string& digits, size_t k, int x, int y) {
        const double w = digits.size() == 2 ? 40 : 34, gap = digits.size() == 2 ? 6 : 4;
        const double start = 381 + (130 - w * double(digits.size()) - gap * double(digits.size() - 1)) / 2;
        double x0 = start + double(k) * (w + gap), x1 = x0 + w;
        if (digits[k] == '1') x0 += w * 0.2, x1 -= w * 0.2;
        const auto [shape, from, to] = ink(digits[k]);
        return Stretched(shape, from, to, PlateColumn(x0), PlateColumn(x1) - 1, PlateRow(72), PlateRow(10) - 1, x, y);
    };

    // The passes' map: the six main characters and the last two digits of
    // the region "177", read 77.
    Drawing plate;
    plate.table.resize(16);
    PlateResult result;
    result.found = result.painted = result.segmented = true;
    result.segments = 8;
    result.text = "K171KK77  ";
    for (uint32_t i = 0; i < 6; ++i) {
        plate.draw(i + 1, 0, int(Drawing::kWidth) - 1, 0, int(Drawing::kHeight) - 1,
                   [&](int x, int y) { return mainInk(i, x, y); });
        result.plateSlots.segment[i] = i + 1;
        result.nearest[i][*PlateSymbolIndex(main[i])] = 100;
    }
    // The region's segments: its last two digits as the passes left them,
    // blurred into crossed strokes, or clear.
    const auto regionSegments = [&](bool clear) {
        for (uint32_t& pixel : plate.map)
            if (pixel >> 8 > 6) pixel = 0;
        for (uint32_t k = 1; k < 3; ++k)
            plate.draw(6 + k, 0, int(Drawing::kWidth) - 1, 0, int(Drawing::kHeight) - 1, [&](int x, int y) {
                if (clear) return regionInk("177", k, x, y);
                const double w = 34, start = 391 + double(k) * 38;
                return Stretched(Smudge, 0, 23, PlateColumn(start), PlateColumn(start + w) - 1, PlateRow(72),
                                 PlateRow(10) - 1, x, y);
            });
    };
    regionSegments(false);
    for (uint32_t k = 1; k < 3; ++k) {
        result.plateSlots.segment[5 + k] = 6 + k;
        result.nearest[5 + k][*PlateSymbolIndex('7')] = 100;
    }
    // The photo: light, the plate's characters dark, the line before the
    // region box, and the region drawn as `digits`.
    const auto photo = [&](const std::string& digits, bool joined = false) {
        return test::MakeImage(Drawing::kWidth, Drawing::kHeight, [&](uint32_t ux, uint32_t uy) {
            const int x = int(ux), y = int(uy);
            bool dark = x == PlateColumn(377) && y >= PlateRow(110) && y <= PlateRow(2);
            dark = dark || (joined && x >= PlateColumn(377) && x <= PlateColumn(505) && y == PlateRow(14));
            for (uint32_t i = 0; i < 6 && !dark; ++i) dark = mainInk(i, x, y);
            for (size_t k = 0; k < digits.size() && !dark; ++k) dark = regionInk(digits, k, x, y);
            return dark ? 0x282828u : 0xE0E0E0u;
        });
    };
    PlateCheckInput input{plate.map.data(), Drawing::kWidth, plate.table, &glyphs, &regions};
    EXPECT_EQ(CheckPlate(result, input).text, "K171KK77  ");
    const core::BmpImage whole = photo("177");
    input.photo = whole.view();
    const CheckedPlate read = CheckPlate(result, input);
    EXPECT_EQ(read.text, "K171KK177 ");
    EXPECT_EQ(read.stage, PlateStage::Checked);
    const core::BmpImage two = photo("77");
    input.photo = two.view();
    EXPECT_EQ(CheckPlate(result, input).text, "K171KK77  ");
    regionSegments(true);
    input.photo = whole.view();
    EXPECT_EQ(CheckPlate(result, input).text, "K171KK77  ");

    PlateResult unread = result;
    unread.text = "K171KK    ";
    unread.segments = 6;
    unread.plateSlots.segment[6] = unread.plateSlots.segment[7] = 0;
    input.photo = whole.view();
    EXPECT_EQ(CheckPlate(unread, input).text, "K171KK177 ");
    const core::BmpImage joined = photo("177", true);
    input.photo = joined.view();
    EXPECT_EQ(CheckPlate(unread, input).text, "K171KK177 ");
}

}  // namespace
}  // namespace zorva::recognize
