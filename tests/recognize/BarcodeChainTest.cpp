// The barcode chain: the check-digit rule, the grey plane, the outline hull, the order of the readers, and random
// codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "recognize/BarcodeChain.h"
#include "recognize/BarcodeZbar.h"
#include "recognize/BarcodeZxing.h"
#include "tests/recognize/BarcodePictures.h"

namespace zorva::recognize {
namespace {

using test::EanDrawing;
using test::ExactImage;

ChainResult Chain(const ExactImage& image) {
    std::vector<uint8_t> plane = test::WorkPlaneFor(image);
    std::vector<uint8_t> grey(GreyPlaneBytes(image.width(), image.height()));
    return ReadBarcodeChain(image.view(), plane, grey);
}

// `digits` at module `m`, bars 120 rows, with room on both sides for the
// exact reader's reading budget.
ExactImage Upright(const std::string& digits, int m) {
    EanDrawing how;
    how.module = m;
    how.left = (digits.size() == 13 ? 12 : 50) * m + 20;
    return test::EanPicture(digits, how, how.left + 125 * m + 24, how.bottom + how.barHeight + 16);
}

// A random code of `length` digits whose check digit agrees.
std::string RandomCode(std::mt19937& random, size_t length) {
    std::string code;
    for (size_t i = 0; i + 1 < length; ++i) code += char('0' + random() % 10);
    for (char check = '0'; check <= '9'; ++check)
        if (EanCheckPasses(code + check)) return code + check;
    return {};
}

// ---- the check-digit rule ----

// Worked by hand: 5901234123457 weighs 5+27+0+3+2+9+4+3+2+9+4+15+7 = 90, and
// 96385074 weighs 27+6+9+8+15+0+21+4 = 90; any other last digit fails, and
// so does any text that is not 8 or 13 digits.
TEST(BarcodeCheckDigit, EanRuleOnEightAndThirteenDigits) {
    EXPECT_TRUE(EanCheckPasses("5901234123457"));
    EXPECT_TRUE(EanCheckPasses("96385074"));
    EXPECT_FALSE(EanCheckPasses("5901234123454"));
    EXPECT_FALSE(EanCheckPasses("96385075"));
    for (const char* text : {"", "590123412345", "59012341234570", "590123412345a", "9638507 ", "0000000"})
        EXPECT_FALSE(EanCheckPasses(text)) << '"' << text << '"';
    // A library's text becomes a reading only when it passes.
    EXPECT_EQ(CheckedReading("96385074", {})->code.format, BarcodeFormat::Ean8);
    EXPECT_EQ(CheckedReading("5901234123457", {})->code.format, BarcodeFormat::Ean13);
    EXPECT_TRUE(CheckedReading("5901234123457", {})->code.checkPassed);
    EXPECT_FALSE(CheckedReading("5901234123458", {}).has_value());
}

// The rule agrees with the exact reader's completion of a forward EAN-13
// reading on random digits, and a check digit catches every change of one digit.
TEST(BarcodeCheckDigit, AgreesWithTheExactReadersCompletion) {
    std::mt19937 random(14);
    for (int n = 0; n < 500; ++n) {
        std::array<uint8_t, 13> digits{};
        std::string text;
        for (uint8_t& d : digits) {
            d = uint8_t(random() % 10);
            text += char('0' + d);
        }
        const barcode::Completion done = barcode::CompleteReading(digits, 0, digits[0], false, false);
        EXPECT_EQ(EanCheckPasses(text), done.success) << text;
    }
    for (size_t length : {size_t(8), size_t(13)}) {
        const std::string code = RandomCode(random, length);
        for (size_t i = 0; i < length; ++i)
            for (char d = '0'; d <= '9'; ++d) {
                std::string changed = code;
                changed[i] = d;
                EXPECT_EQ(EanCheckPasses(changed), d == code[i]) << changed;
            }
    }
}

// ---- the grey plane ----

// Top row red, green, blue; bottom row white, black, grey 128. Y = (77 R +
// 150 G + 29 B) >> 8 gives 76, 149, 28 and 255, 0, 128, top row first; the
// plane's corners map back to the picture's.
TEST(BarcodeGreyPlane, LuminanceTopRowFirst) {
    ExactImage image(3, 2);
    image.set(0, 1, 0xFF0000);
    image.set(1, 1, 0x00FF00);
    image.set(2, 1, 0x0000FF);
    image.set(1, 0, 0x000000);
    image.set(2, 0, 0x808080);
    std::vector<uint8_t> grey(6, 7);
    const GreyPlane plane = MakeGreyPlane(image.view(), grey);
    ASSERT_FALSE(plane.empty());
    EXPECT_EQ(plane.width, 3);
    EXPECT_EQ(plane.height, 2);
    EXPECT_EQ(grey, (std::vector<uint8_t>{76, 149, 28, 255, 0, 128}));
    EXPECT_EQ(plane.toPicture(0, 0), (OutlinePoint{0, 1}));
    EXPECT_EQ(plane.toPicture(2, 1), (OutlinePoint{2, 0}));
    // Corners a library reports just outside are held on the picture.
    EXPECT_EQ(plane.toPicture(-3, 9), (OutlinePoint{0, 0}));
    EXPECT_EQ(plane.toPicture(5, -1), (OutlinePoint{2, 1}));
    // A buffer one byte short, or no picture: no plane, nothing written.
    std::vector<uint8_t> shortBuffer(5, 7);
    EXPECT_TRUE(MakeGreyPlane(image.view(), shortBuffer).empty());
    EXPECT_EQ(shortBuffer, std::vector<uint8_t>(5, 7));
    EXPECT_TRUE(MakeGreyPlane(core::BmpView(), grey).empty());
}

// Every row of a wide picture with an odd width (padded rows) matches the
// formula pixel by pixel, whichever copy of the row loop the machine runs.
TEST(BarcodeGreyPlane, EveryPixelOfAPaddedPicture) {
    std::mt19937 random(3);
    ExactImage image(517, 9);
    for (uint32_t r = 0; r < 9; ++r)
        for (uint32_t x = 0; x < 517; ++x) image.set(x, r, random() & 0xFFFFFF);
    std::vector<uint8_t> grey(GreyPlaneBytes(517, 9));
    ASSERT_FALSE(MakeGreyPlane(image.view(), grey).empty());
    for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 517; ++x) {
            const uint32_t rgb = image.rgb(x, 8 - y);
            const int expected = (77 * int(rgb >> 16) + 150 * int((rgb >> 8) & 255) + 29 * int(rgb & 255)) >> 8;
            ASSERT_EQ(grey[size_t(y) * 517 + x], expected) << x << "," << y;
        }
}

// ---- the outline ----

TEST(BarcodeOutline, ConvexHullKeepsTheCornersCounterClockwise) {
    // A 10 x 4 box's corners, its edge midpoints, inner points and repeats.
    const std::vector<OutlinePoint> box = {{5, 0},  {10, 4}, {3, 2}, {0, 4}, {10, 0}, {0, 0},
                                           {10, 2}, {5, 4},  {0, 0}, {7, 1}, {0, 2}};
    EXPECT_EQ(ConvexHull(box), (std::vector<OutlinePoint>{{0, 0}, {10, 0}, {10, 4}, {0, 4}}));
    // Points on one line keep their two ends; one point stays itself.
    EXPECT_EQ(ConvexHull({{4, 4}, {0, 0}, {2, 2}, {4, 4}}), (std::vector<OutlinePoint>{{0, 0}, {4, 4}}));
    EXPECT_EQ(ConvexHull({{3, 1}}), (std::vector<OutlinePoint>{{3, 1}}));
    EXPECT_TRUE(ConvexHull({}).empty());
}

// ---- the order of the readers ----

// An upright code is the exact reader's: its marks, no outline, and the
// libraries never asked.
TEST(BarcodeChain, TheExactReaderReadsFirst) {
    const ChainResult result = Chain(Upright("5901234123457", 3));
    EXPECT_EQ(result.reader, BarcodeReader::Exact);
    EXPECT_EQ(result.code.digits, "5901234123457");
    EXPECT_TRUE(result.code.checkPassed);
    EXPECT_FALSE(result.exact.marks.empty());
    EXPECT_TRUE(result.outline.empty());
}

// Bars lying across the rows: the exact reader cannot, zxing-cpp reads the
// code and outlines it on the picture, around the bars and not far beyond.
TEST(BarcodeChain, ACodeOnItsSideIsReadByALibraryAndOutlined) {
    const ExactImage image = test::TurnedQuarter(Upright("4006381333931", 3));
    const ChainResult result = Chain(image);
    EXPECT_EQ(result.reader, BarcodeReader::Zxing);
    EXPECT_EQ(result.code.digits, "4006381333931");
    EXPECT_EQ(result.code.format, BarcodeFormat::Ean13);
    // The bars: after the turn, columns 16..135 and rows up from the top.
    int lowRow = INT32_MAX, highRow = 0, lowX = INT32_MAX, highX = 0;
    for (uint32_t r = 0; r < image.height(); ++r)
        for (uint32_t x = 0; x < image.width(); ++x)
            if (image.rgb(x, r) == 0) {
                lowRow = std::min(lowRow, int(r)), highRow = std::max(highRow, int(r));
                lowX = std::min(lowX, int(x)), highX = std::max(highX, int(x));
            }
    ASSERT_GE(result.outline.size(), 2u);
    int outlineLow = INT32_MAX, outlineHigh = 0;
    for (const OutlinePoint& p : result.outline) {
        EXPECT_GE(p.row, lowRow - 12) << p.x << "," << p.row;
        EXPECT_LE(p.row, highRow + 12) << p.x << "," << p.row;
        EXPECT_GE(p.x, lowX - 12) << p.x << "," << p.row;
        EXPECT_LE(p.x, highX + 12) << p.x << "," << p.row;
        outlineLow = std::min(outlineLow, p.row);
        outlineHigh = std::max(outlineHigh, p.row);
    }
    // Along the code it spans the symbol end to end, within a few modules.
    EXPECT_LE(outlineLow, lowRow + 9);
    EXPECT_GE(outlineHigh, highRow - 9);
}

// Light falling from full on the right to a tenth on the left: the exact
// reader's contrast rule and zxing-cpp's thresholds lose the code, zbar's
// edge detector reads it.
TEST(BarcodeChain, ZbarReadsWhatTheOthersLose) {
    ExactImage image = Upright("5901234123457", 4);
    for (uint32_t r = 0; r < image.height(); ++r)
        for (uint32_t x = 0; x < image.width(); ++x) {
            const uint32_t light = 26 + 230 * x / image.width();  // 26..255 of 256
            const uint32_t v = (image.rgb(x, r) & 255) * light / 256;
            image.set(x, r, v * 0x010101);
        }
    const ChainResult result = Chain(image);
    EXPECT_EQ(result.reader, BarcodeReader::Zbar);
    EXPECT_EQ(result.code.digits, "5901234123457");
    EXPECT_GE(result.outline.size(), 2u);
}

// A code whose printed check digit is wrong is read by nobody: the exact
// reader rejects the EAN-13, the chain refuses the EAN-8 the exact reader
// takes without a test, and the libraries refuse both, upright or turned.
TEST(BarcodeChain, AWrongCheckDigitIsNeverRead) {
    for (const char* wrong : {"5901234123454", "96385075"}) {
        for (bool turned : {false, true}) {
            const ExactImage upright = Upright(wrong, 3);
            const ChainResult result = Chain(turned ? test::TurnedQuarter(upright) : upright);
            EXPECT_FALSE(result.found()) << wrong << (turned ? " turned" : "");
            EXPECT_EQ(result.reader, BarcodeReader::None);
            EXPECT_TRUE(result.outline.empty());
        }
    }
    // The exact reader's own view of the upright EAN-8: read, untested.
    const ChainResult ean8 = Chain(Upright("96385075", 3));
    EXPECT_TRUE(ean8.exact.found());
    EXPECT_EQ(ean8.exact.code.digits, "96385075");
}

// Pictures too small for any reader, a missing grey buffer, no picture.
TEST(BarcodeChain, TinyPicturesAndMissingBuffersReadNothing) {
    for (const auto& [w, h] :
         std::vector<std::pair<uint32_t, uint32_t>>{{1, 1}, {1, 90}, {90, 1}, {16, 51}, {3, 300}}) {
        const ExactImage image(w, h, 0x000000);
        EXPECT_FALSE(Chain(image).found()) << w << "x" << h;
    }
    const ExactImage image = test::TurnedQuarter(Upright("4006381333931", 3));
    std::vector<uint8_t> plane = test::WorkPlaneFor(image);
    EXPECT_FALSE(ReadBarcodeChain(image.view(), plane, {}).found());
    EXPECT_FALSE(ReadBarcodeChain(core::BmpView(), plane, {}).found());
}

// ---- random codes ----

// Random EAN-13 and EAN-8 at modules of 1 to 14 pixels, in any of the four
// quarter turns, on grey paper with grey ink: every one is read exactly, by
// the exact reader where its design allows, and never misread. The two
// libraries alone read the same digits whenever they read anything.
TEST(BarcodeChain, RandomCodesInEveryQuarterTurnAreReadExactly) {
    std::mt19937 random(2024);
    for (int n = 0; n < 24; ++n) {
        const std::string code = RandomCode(random, random() % 3 ? 13 : 8);
        const int m = 2 + int(random() % 13);
        EanDrawing how;
        how.module = m;
        how.left = 20 + int(random() % 40) + (code.size() == 13 ? 12 : 50) * m;
        how.barHeight = 60 * m + int(random() % 60);
        how.ink = 0x202020 + 0x010101 * uint32_t(random() % 40);
        how.paper = 0xC0C0C0 + 0x010101 * uint32_t(random() % 60);
        ExactImage image =
            test::EanPicture(code, how, how.left + 125 * m + 24, how.bottom + how.barHeight + 16 + int(random() % 50));
        const int turns = int(random() % 4);
        if (turns & 1) image = test::TurnedQuarter(image);
        if (turns & 2) image = test::Turned180(image);
        const ChainResult result = Chain(image);
        const std::string what = code + " m" + std::to_string(m) + " turns " + std::to_string(turns);
        EXPECT_EQ(result.code.digits, code) << what;
        // Upright or upside down, modules within the exact reader's 10 pixels: its own read.
        if ((turns & 1) == 0 && m <= 10) {
            EXPECT_EQ(result.reader, BarcodeReader::Exact) << what;
        }
        std::vector<uint8_t> grey(GreyPlaneBytes(image.width(), image.height()));
        const GreyPlane plane = MakeGreyPlane(image.view(), grey);
        for (const std::optional<LibraryReading>& alone : {ReadBarcodeZxing(plane), ReadBarcodeZbar(plane)})
            if (alone) {
                EXPECT_EQ(alone->code.digits, code) << what;
            }
    }
}

}  // namespace
}  // namespace zorva::recognize
