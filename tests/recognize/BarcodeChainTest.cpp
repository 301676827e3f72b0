// The barcode chain: check digits, the grey plane, the outline hull, the readers' order, random codes.
#include <gtest/gtest.h>

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
// reading on random digits.
TEST(BarcodeCheckDigit, AgreesWithTheExactReadersCompletion) {
    std::mt19937 random(14);
    for (int n = 0; n < 500; ++n) {
        std::array<uint8_t, 13> digits{};
        std::string text;
        for (uint8_t& d : digits) text += char('0' + (d = uint8_t(random() % 10)));
        EXPECT_EQ(EanCheckPasses(text), barcode::CompleteReading(digits, 0, digits[0], false, false).success) << text;
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

    // A wide picture with padded rows, whichever copy of the row loop the
    // machine runs: every byte by the formula.
    std::mt19937 random(3);
    ExactImage wide(517, 3);
    for (uint32_t i = 0; i < 517 * 3; ++i) wide.set(i % 517, i / 517, random() & 0xFFFFFF);
    std::vector<uint8_t> wideGrey(GreyPlaneBytes(517, 3));
    ASSERT_FALSE(MakeGreyPlane(wide.view(), wideGrey).empty());
    for (uint32_t i = 0; i < 517 * 3; ++i) {
        const uint32_t rgb = wide.rgb(i % 517, 2 - i / 517);
        ASSERT_EQ(wideGrey[i], (77 * (rgb >> 16) + 150 * ((rgb >> 8) & 255) + 29 * (rgb & 255)) >> 8) << i;
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

// Each reader in turn: an upright code is the exact reader's (its marks, no
// outline); bars lying across the rows are zxing-cpp's, outlined; light
// falling from full on the right to a tenth on the left defeats the exact
// reader's contrast rule and zxing-cpp's thresholds, and zbar's edge
// detector reads it.
TEST(BarcodeChain, EachReaderInTurn) {
    const ChainResult upright = Chain(Upright("5901234123457", 3));
    EXPECT_EQ(upright.reader, BarcodeReader::Exact);
    EXPECT_EQ(upright.code.digits, "5901234123457");
    EXPECT_FALSE(upright.exact.marks.empty());
    EXPECT_TRUE(upright.outline.empty());

    const ChainResult lying = Chain(test::TurnedQuarter(Upright("4006381333931", 3)));
    EXPECT_EQ(lying.reader, BarcodeReader::Zxing);
    EXPECT_EQ(lying.code.digits, "4006381333931");
    EXPECT_EQ(lying.outline.size(), 4u);

    ExactImage dim = Upright("5901234123457", 4);
    for (uint32_t r = 0; r < dim.height(); ++r)
        for (uint32_t x = 0; x < dim.width(); ++x)
            dim.set(x, r, (dim.rgb(x, r) & 255) * (26 + 230 * x / dim.width()) / 256 * 0x010101);
    const ChainResult zbar = Chain(dim);
    EXPECT_EQ(zbar.reader, BarcodeReader::Zbar);
    EXPECT_EQ(zbar.code.digits, "5901234123457");
    EXPECT_GE(zbar.outline.size(), 3u);
}

// A code whose printed check digit is wrong is read by nobody: the exact
// reader rejects the EAN-13 and takes the EAN-8 untested, the chain refuses
// both, and so do the libraries, upright or lying.
TEST(BarcodeChain, AWrongCheckDigitIsNeverRead) {
    for (const char* wrong : {"5901234123454", "96385075"}) {
        EXPECT_FALSE(Chain(Upright(wrong, 3)).found()) << wrong;
        EXPECT_FALSE(Chain(test::TurnedQuarter(Upright(wrong, 3))).found()) << wrong << " lying";
    }
    EXPECT_EQ(Chain(Upright("96385075", 3)).exact.code.digits, "96385075");
}

// A picture too small for any reader, a grey buffer too short, no picture.
TEST(BarcodeChain, TinyPicturesAndMissingBuffersReadNothing) {
    EXPECT_FALSE(Chain(ExactImage(16, 51, 0x000000)).found());
    const ExactImage image = test::TurnedQuarter(Upright("4006381333931", 3));
    std::vector<uint8_t> plane = test::WorkPlaneFor(image), grey(GreyPlaneBytes(image.width(), image.height()) - 1);
    EXPECT_FALSE(ReadBarcodeChain(image.view(), plane, grey).found());
    EXPECT_FALSE(ReadBarcodeChain(core::BmpView(), plane, grey).found());
}

// ---- random codes ----

// Random EAN-13 and EAN-8 at modules of 2 to 14 pixels, in any of the four
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
