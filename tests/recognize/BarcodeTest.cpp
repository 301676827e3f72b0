// The barcode reader: its tables, digit decoding, completion, and whole searches over drawn pictures.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "recognize/Barcode.h"
#include "tests/recognize/BarcodePictures.h"

namespace zorva::recognize {
namespace {

using barcode::DigitCode;
using test::EanDrawing;
using test::EanPicture;
using test::ExactImage;
using test::kNotFound;
using test::Shown;

BarcodeResult Read(const ExactImage& image) {
    std::vector<uint8_t> plane = test::WorkPlaneFor(image);
    return ReadBarcode(image.view(), plane);
}

// A white picture with `digits` drawn at module `m`, with room on both sides
// for the reading budget of 110 modules after either start guard.
ExactImage Upright(const std::string& digits, int m, int barHeight = 120) {
    EanDrawing how;
    how.module = m;
    how.left = (digits.size() == 13 ? 12 : 50) * m + 20;
    how.barHeight = barHeight;
    return EanPicture(digits, how, how.left + 125 * m + 24, how.bottom + barHeight + 16);
}

// ---- tables ----

// Every L and G digit of the published character sets, read as element
// widths the way the reader indexes them, finds its digit and parity; the
// 44 other entries hold no digit.
TEST(BarcodeTables, DigitTableHoldsExactlyTheLAndGSets) {
    std::array<int, 64> expected;
    expected.fill(barcode::kNoDigit);
    for (int digit = 0; digit < 10; ++digit) {
        for (char set : {'L', 'G'}) {
            const std::vector<int> runs = test::RunWidths(test::DigitModules(set, digit));
            ASSERT_EQ(runs.size(), 4u);
            const int index = (runs[3] - 1) + 4 * (runs[2] - 1) + 16 * (runs[1] - 1);
            expected[size_t(index)] = digit + (set == 'G' ? barcode::kEvenParity : 0);
        }
    }
    for (int i = 0; i < 64; ++i) EXPECT_EQ(barcode::kDigitTable[size_t(i)], expected[size_t(i)]) << "index " << i;
}

// The parity patterns of positions 2..6 for each first digit give that
// digit back; the 22 other patterns give none.
TEST(BarcodeTables, LeadingDigitTableMatchesTheFirstDigitSets) {
    std::array<int, 32> expected;
    expected.fill(barcode::kNoDigit);
    for (int first = 0; first < 10; ++first) {
        const std::string sets = test::FirstDigitSets(first);
        ASSERT_EQ(sets[0], 'L');  // position 1 is always odd
        int pattern = 0;
        for (int bit = 0; bit < 5; ++bit)
            if (sets[size_t(bit) + 1] == 'G') pattern |= 1 << bit;
        expected[size_t(pattern)] = first;
    }
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(barcode::kLeadingDigitTable[size_t(i)], expected[size_t(i)]) << "pattern " << i;
}

// The skew correction starts at 1 (128/128), never shrinks, and ends just
// under 2 at a skew of 31 rows in 32.
TEST(BarcodeTables, SkewTableRisesFromOneToAlmostTwo) {
    EXPECT_EQ(barcode::kSkewTable[0], 128);
    EXPECT_EQ(barcode::kSkewTable[1], 128);
    EXPECT_EQ(barcode::kSkewTable[31], 255);
    for (size_t s = 1; s < 32; ++s) EXPECT_LE(barcode::kSkewTable[s - 1], barcode::kSkewTable[s]) << s;
}

// ---- module width ----

TEST(BarcodeModules, ModuleWidthCorrectsForSkewAndRefusesWideModules) {
    // 12 guard elements of 3 pixels: 48 sixteenths.
    EXPECT_EQ(barcode::ModuleWidth(36, 0), 48);
    // Skew 16 in 32 rows: 48 * 128 / 154.
    EXPECT_EQ(barcode::ModuleWidth(36, 16), 39);
    EXPECT_EQ(barcode::ModuleWidth(36, -16), 39);
    // Skews beyond 31 use the last entry.
    EXPECT_EQ(barcode::ModuleWidth(36, 31), 24);
    EXPECT_EQ(barcode::ModuleWidth(36, -200), 24);
    // The guard sum stays below 128: modules up to 10 pixels.
    EXPECT_EQ(barcode::ModuleWidth(120, 0), 160);
    EXPECT_EQ(barcode::ModuleWidth(127, 0), 169);
    EXPECT_EQ(barcode::ModuleWidth(128, 0), 0);
}

TEST(BarcodeModules, ModulesInRoundsAndOverflowsAtADoubledByte) {
    EXPECT_EQ(barcode::ModulesIn(21, 48), 7);  // exactly 7 modules of 3 pixels
    EXPECT_EQ(barcode::ModulesIn(20, 48), 7);  // 6.67 rounds up
    EXPECT_EQ(barcode::ModulesIn(19, 48), 6);  // 6.33 rounds down
    EXPECT_EQ(barcode::ModulesIn(383, 48), 128);
    EXPECT_EQ(barcode::ModulesIn(384, 48), -1);  // 32 * 384 / 48 = 256 no longer fits
}

// ---- digits from element widths ----

// Every digit of the L, G and R sets at module widths 1 to 10 decodes to its
// value; L and R (the same widths) are odd, G even.
TEST(BarcodeDigits, EveryDigitDecodesAtEveryModuleWidth) {
    for (int m = 1; m <= 10; ++m) {
        for (char set : {'L', 'G', 'R'}) {
            for (int digit = 0; digit < 10; ++digit) {
                const std::vector<int> runs = test::RunWidths(test::DigitModules(set, digit));
                const std::array<int, 4> e = {runs[0] * m, runs[1] * m, runs[2] * m, runs[3] * m};
                const DigitCode code = barcode::DecodeDigit(e, 16 * m, 2);
                ASSERT_EQ(code.kind, DigitCode::Digit) << set << digit << " m=" << m;
                EXPECT_EQ(code.value, digit) << set << digit << " m=" << m;
                EXPECT_EQ(code.even, set == 'G') << set << digit << " m=" << m;
            }
        }
    }
}

// Ink spread or thinning of one pixel per edge at a 4-pixel module (bars one
// pixel wider, spaces one narrower, or the reverse) still decodes.
TEST(BarcodeDigits, OnePixelOfInkSpreadIsTolerated) {
    for (int spread : {1, -1}) {
        for (int digit = 0; digit < 10; ++digit) {
            const std::vector<int> runs = test::RunWidths(test::DigitModules('L', digit));  // space, bar, space, bar
            const std::array<int, 4> e = {4 * runs[0] - spread, 4 * runs[1] + spread, 4 * runs[2] - spread,
                                          4 * runs[3] + spread};
            const DigitCode code = barcode::DecodeDigit(e, 64, 0);
            ASSERT_EQ(code.kind, DigitCode::Digit) << digit << " spread " << spread;
            EXPECT_EQ(code.value, digit);
        }
    }
}

TEST(BarcodeDigits, GroupsThatAreNoDigitAreRefused) {
    // Four modules after exactly four digits: the start of an EAN-8 middle guard.
    EXPECT_EQ(barcode::DecodeDigit({4, 4, 4, 4}, 64, 4).kind, DigitCode::MiddleGuardStart);
    // Four modules anywhere else, five or nine modules: no digit.
    EXPECT_EQ(barcode::DecodeDigit({4, 4, 4, 4}, 64, 3).kind, DigitCode::Invalid);
    EXPECT_EQ(barcode::DecodeDigit({4, 4, 4, 8}, 64, 2).kind, DigitCode::Invalid);
    EXPECT_EQ(barcode::DecodeDigit({12, 8, 8, 8}, 64, 2).kind, DigitCode::Invalid);
    // Seven modules but one element of five: k above 3.
    EXPECT_EQ(barcode::DecodeDigit({1, 1, 1, 25}, 64, 2).kind, DigitCode::Invalid);
    // Seven modules whose rounded elements make 8: no digit.
    EXPECT_EQ(barcode::DecodeDigit({12, 12, 2, 2}, 64, 2).kind, DigitCode::Invalid);
    // A group past the doubled-byte range.
    EXPECT_EQ(barcode::DecodeDigit({100, 100, 100, 100}, 64, 2).kind, DigitCode::Invalid);
}

// ---- completion ----

struct Reading {
    std::array<uint8_t, 13> digits{};
    uint16_t parity = 0;
};

// The digits and parities a forward reading of `code` collects.
Reading Forward(const std::string& code) {
    Reading r;
    const std::string sets = test::FirstDigitSets(code[0] - '0');
    for (int p = 1; p <= 12; ++p) {
        r.digits[size_t(p)] = uint8_t(code[size_t(p)] - '0');
        if (p <= 6 && sets[size_t(p) - 1] == 'G') r.parity |= uint16_t(1u << p);
    }
    return r;
}

// The same symbol read from its far end: digits in reverse order, the right
// half seen as G (even), the left half with its parities inverted.
Reading Backward(const std::string& code) {
    const Reading f = Forward(code);
    Reading r;
    for (int p = 1; p <= 12; ++p) {
        const int actual = 13 - p;
        r.digits[size_t(p)] = f.digits[size_t(actual)];
        const bool even = actual >= 7 ? true : !(f.parity & (1u << actual));
        if (even) r.parity |= uint16_t(1u << p);
    }
    return r;
}

TEST(BarcodeCompletion, ForwardEan13ShowsPlusOnlyWithAValidCheckDigit) {
    Reading good = Forward("5901234123457");
    barcode::Completion done = barcode::CompleteReading(good.digits, good.parity, 5, false, false);
    EXPECT_TRUE(done.success);
    EXPECT_EQ(Shown(done.reading), "5901234123457+");

    Reading bad = Forward("5901234123458");
    done = barcode::CompleteReading(bad.digits, bad.parity, 5, false, false);
    EXPECT_FALSE(done.success);
    EXPECT_EQ(Shown(done.reading), "5901234123458-");
}

TEST(BarcodeCompletion, MissingLeadingDigitShowsTheDegreeSignAndMinus) {
    Reading r = Forward("5901234123457");
    const barcode::Completion done = barcode::CompleteReading(r.digits, r.parity, barcode::kNoDigit, false, false);
    EXPECT_FALSE(done.success);
    EXPECT_EQ(Shown(done.reading), "°901234123457-");
}

// A code read from its far end comes out in normal order with the leading
// digit recovered from the inverted parities, for every first digit.
TEST(BarcodeCompletion, BackwardsReadingIsTurnedRound) {
    for (const std::string code :
         {"0123456789012", "1234567890128", "4006381333931", "5901234123457", "9780201379624", "7123456789015",
          "8123456789014", "3123456789019", "6123456789016", "2023456789013"}) {
        const Reading r = Backward(code);
        EXPECT_TRUE(r.parity & 2) << "the first digit read is even";
        const barcode::Completion done = barcode::CompleteReading(r.digits, r.parity, barcode::kNoDigit, true, false);
        EXPECT_TRUE(done.success) << code;
        EXPECT_EQ(Shown(done.reading), code + "+");
    }
}

TEST(BarcodeCompletion, Ean8ShowsEightDigitsAndSixSpacesEitherWay) {
    std::array<uint8_t, 13> digits{};
    const std::string code = "96385074";
    for (int i = 0; i < 4; ++i) {
        digits[size_t(i) + 1] = uint8_t(code[size_t(i)] - '0');
        digits[size_t(i) + 9] = uint8_t(code[size_t(i) + 4] - '0');
    }
    barcode::Completion done = barcode::CompleteReading(digits, 0, barcode::kNoDigit, false, true);
    EXPECT_TRUE(done.success);
    EXPECT_EQ(Shown(done.reading), "96385074      ");

    // Read from the far end: positions 1..4 hold the right half reversed.
    std::array<uint8_t, 13> reversed{};
    for (int i = 0; i < 4; ++i) {
        reversed[size_t(i) + 1] = uint8_t(code[size_t(7 - i)] - '0');
        reversed[size_t(i) + 9] = uint8_t(code[size_t(3 - i)] - '0');
    }
    done = barcode::CompleteReading(reversed, 0x1E, barcode::kNoDigit, true, true);
    EXPECT_TRUE(done.success);
    EXPECT_EQ(Shown(done.reading), "96385074      ");
}

// ---- whole searches on drawn pictures ----

TEST(BarcodeSearch, UprightEan13DecodesAtModuleWidthsOneToTen) {
    for (int m = 1; m <= 10; ++m) {
        const BarcodeResult result = Read(Upright("5901234123457", m));
        EXPECT_TRUE(result.found()) << "m=" << m;
        EXPECT_EQ(Shown(result), "5901234123457+") << "m=" << m;
        EXPECT_EQ(result.direction, 1) << "m=" << m;
    }
}

TEST(BarcodeSearch, ModulesWiderThanTenPixelsAreNeverAccepted) {
    for (int m : {11, 12, 14}) {
        const BarcodeResult result = Read(Upright("5901234123457", m));
        EXPECT_FALSE(result.found()) << "m=" << m;
        EXPECT_EQ(Shown(result), kNotFound) << "m=" << m;
    }
}

// The search starts on the lowest base row (a multiple of 8) that crosses the bars.
TEST(BarcodeSearch, FoundOnTheLowestBaseRowCrossingTheBars) {
    for (const auto& [bottom, base] : std::vector<std::pair<int, int>>{{16, 16}, {21, 24}, {24, 24}, {25, 32}}) {
        EanDrawing how;
        how.bottom = bottom;
        const BarcodeResult result = Read(EanPicture("4006381333931", how, 420, 200));
        EXPECT_EQ(Shown(result), "4006381333931+") << "bars from row " << bottom;
        EXPECT_EQ(result.baseRow, base) << "bars from row " << bottom;
    }
}

// The bar-edge check follows the guard bar over rows base + 8 .. base + 51:
// bars of 52 rows from a base row decode, 51 rows do not.
TEST(BarcodeSearch, BarsMustCoverFiftyTwoRowsFromTheBaseRow) {
    EanDrawing how;
    how.bottom = 24;
    how.barHeight = 52;
    EXPECT_EQ(Shown(Read(EanPicture("4006381333931", how, 420, 120))), "4006381333931+");
    how.barHeight = 51;
    EXPECT_EQ(Shown(Read(EanPicture("4006381333931", how, 420, 120))), kNotFound);
}

// Pictures lower than 52 rows or narrower than 17 pixels yield nothing;
// 52 rows of bars filling the picture still decode.
TEST(BarcodeSearch, PictureSizeLimits) {
    EanDrawing how;
    how.bottom = 0;
    how.barHeight = 52;
    EXPECT_EQ(Shown(Read(EanPicture("4006381333931", how, 420, 52))), "4006381333931+");
    how.barHeight = 51;
    EXPECT_EQ(Shown(Read(EanPicture("4006381333931", how, 420, 51))), kNotFound);
    // Narrow pictures: the code cannot fit, the reader must not look outside.
    for (uint32_t w : {1u, 2u, 15u, 16u}) {
        ExactImage image(w, 200, 0);
        for (uint32_t r = 0; r < 200; ++r)
            for (uint32_t x = 0; x < w; x += 2) image.set(x, r, 0xFFFFFF);
        EXPECT_EQ(Shown(Read(image)), kNotFound) << w;
    }
}

// After the start guard the reading may take (110 M' + 40) / 16 pixels, or
// what remains of the row: a symbol close to the right edge still reads, one
// that the edge cuts does not. Module 3, first bar at column 40: the symbol's
// 95 modules end at column 324, and pixels up to W - 9 are read.
TEST(BarcodeSearch, ReadingStopsAtTheRowsEnd) {
    EanDrawing how;
    how.left = 40;
    EXPECT_EQ(Shown(Read(EanPicture("5901234123457", how, 390, 160))), "5901234123457+");
    EXPECT_EQ(Shown(Read(EanPicture("5901234123457", how, 336, 160))), "5901234123457+");
    EXPECT_EQ(Shown(Read(EanPicture("5901234123457", how, 310, 160))), kNotFound);
}

TEST(BarcodeSearch, TurnedAndMirroredCodesReadInNormalOrder) {
    for (int m : {1, 2, 3, 7}) {
        const ExactImage upright = Upright("9780201379624", m);
        EXPECT_EQ(Shown(Read(test::Turned180(upright))), "9780201379624+") << "m=" << m;
        EXPECT_EQ(Shown(Read(test::Mirrored(upright))), "9780201379624+") << "m=" << m;
    }
}

TEST(BarcodeSearch, Ean8ShowsItsDigitsAndSixSpaces) {
    for (int m : {1, 3, 6, 10}) {
        const ExactImage upright = Upright("96385074", m);
        EXPECT_EQ(Shown(Read(upright)), "96385074      ") << "m=" << m;
        EXPECT_EQ(Shown(Read(test::Turned180(upright))), "96385074      ") << "m=" << m;
        EXPECT_EQ(Shown(Read(test::Mirrored(upright))), "96385074      ") << "m=" << m;
    }
}

// EAN-8 has no check-digit test: a wrong check digit is shown as printed.
TEST(BarcodeSearch, Ean8CheckDigitIsNotTested) {
    EXPECT_EQ(Shown(Read(Upright("96385075", 3))), "96385075      ");
}

// A wrong check digit is shown with "-" while searching, then replaced by the asterisks.
TEST(BarcodeSearch, WrongCheckDigitIsNeverReported) {
    for (const ExactImage& image : {Upright("5901234123458", 3), test::Turned180(Upright("5901234123458", 3))}) {
        const BarcodeResult result = Read(image);
        EXPECT_FALSE(result.found());
        EXPECT_EQ(Shown(result), kNotFound);
        EXPECT_EQ(Shown(*result.rejected), "5901234123458-");
    }
}

// Bars leaning either way by up to 24 columns in 32 rows: the reading
// follows the skew measured on the start guard.
TEST(BarcodeSearch, SkewedBarsAreFollowed) {
    for (int shear : {-24, -16, -8, -3, 3, 8, 16, 24}) {
        EanDrawing how;
        how.module = 3;
        how.left = 60 + (shear < 0 ? 100 : 0);
        how.barHeight = 200;
        const BarcodeResult result = Read(EanPicture("0123456789012", how, 560, 260));
        EXPECT_EQ(Shown(result), "0123456789012+") << "shear " << shear;
    }
}

// The first pixel after an accepted middle guard is marked: module 50 of
// the symbol on the first reading line, 32 rows above the base row. The
// reader only reads the picture.
TEST(BarcodeSearch, AcceptedMiddleGuardIsMarked) {
    EanDrawing how;
    how.left = 40;
    ExactImage image = EanPicture("5901234123457", how, 420, 160);
    const ExactImage before = image;
    const BarcodeResult result = Read(image);
    ASSERT_TRUE(result.found());
    EXPECT_EQ(result.baseRow, 16);
    ASSERT_EQ(result.marks.size(), 1u);
    EXPECT_EQ(result.marks[0].x, 40 + 50 * 3);
    EXPECT_EQ(result.marks[0].row, 16 + 32);
    EXPECT_EQ(before.bytes(), image.bytes());
}

// The work plane must hold the picture's whole file size.
TEST(BarcodeSearch, ShortWorkPlaneIsRefused) {
    const ExactImage image = Upright("5901234123457", 2);
    std::vector<uint8_t> plane(core::FileSizeFor(image.width(), image.height()) - 1);
    EXPECT_EQ(Shown(ReadBarcode(image.view(), plane)), kNotFound);
    EXPECT_EQ(Shown(ReadBarcode(core::MutableBmpView(), plane)), kNotFound);
    plane.push_back(0);
    EXPECT_EQ(Shown(ReadBarcode(image.view(), plane)), "5901234123457+");
}

// Codes cut by the picture's edges: every walk stays inside (the sanitizer
// build checks the exact-size blocks) and nothing false is reported.
TEST(BarcodeSearch, CodesCutByThePictureEdgesAreSafe) {
    for (const auto& [left, bottom] : std::vector<std::pair<int, int>>{
             {-30, 10}, {-3, 10}, {0, 0}, {2, 30}, {300, 30}, {40, 100}, {40, 130}, {40, -60}}) {
        EanDrawing how;
        how.left = left;
        how.bottom = bottom;
        const BarcodeResult result = Read(EanPicture("5901234123457", how, 420, 160));
        EXPECT_TRUE(Shown(result) == kNotFound || Shown(result) == "5901234123457+") << left << "," << bottom;
    }
}

// A found text is one of the two success forms; anything else is the asterisks.
void ExpectWellFormed(const BarcodeResult& result) {
    if (!result.found()) {
        EXPECT_EQ(Shown(result), kNotFound);
        return;
    }
    ASSERT_EQ(Shown(result).size(), 14u);
    if (Shown(result).back() == '+') {
        int sum = 0;
        for (int i = 0; i < 13; ++i) sum += (i & 1 ? 3 : 1) * (Shown(result)[size_t(i)] - '0');
        EXPECT_EQ(sum % 10, 0) << Shown(result);
    } else {
        EXPECT_EQ(Shown(result).substr(8), "      ") << Shown(result);
    }
}

// Random noise of many shapes: tiny, one row, one column, long and thin, large.
TEST(BarcodeSearch, NoisePicturesOfManySizesYieldNothing) {
    std::mt19937 random(20240611);
    const std::vector<std::pair<uint32_t, uint32_t>> sizes = {{1, 1},     {1, 300},   {300, 1},   {16, 51},  {17, 51},
                                                              {16, 52},   {17, 52},   {18, 53},   {17, 200}, {200, 52},
                                                              {3000, 60}, {60, 3000}, {641, 479}, {1001, 97}};
    for (const auto& [w, h] : sizes) {
        ExactImage image(w, h);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x) image.set(x, r, random() & 0xFFFFFF);
        const BarcodeResult result = Read(image);
        EXPECT_EQ(Shown(result), kNotFound) << w << "x" << h;
    }
}

// Random vertical bars look like guards everywhere and drive every reading
// path; whatever comes out must be well formed.
TEST(BarcodeSearch, RandomBarsDriveEveryPathSafely) {
    std::mt19937 random(7);
    for (int picture = 0; picture < 40; ++picture) {
        const uint32_t w = 17 + random() % 700, h = 52 + random() % 200;
        ExactImage image(w, h);
        const int maxRun = 1 + int(random() % 8);
        const int lean = int(random() % 9) - 4;  // columns per 32 rows
        std::vector<uint32_t> columns(w + 200);
        bool dark = false;
        for (size_t x = 0; x < columns.size();) {
            const int run = 1 + int(random() % uint32_t(maxRun));
            for (int k = 0; k < run && x < columns.size(); ++k, ++x) columns[x] = dark ? 0x101010 : 0xF0F0F0;
            dark = !dark;
        }
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x) image.set(x, r, columns[x + 100 + size_t(int(r) * lean / 32)]);
        ExpectWellFormed(Read(image));
    }
}

}  // namespace
}  // namespace zorva::recognize
