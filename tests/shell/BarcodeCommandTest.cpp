// The barcode commands: status fields 9 to 11, the marks or outline, the snapshot before and the repaint after.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "shell/Editor.h"
#include "shell/commands/BarcodeCommand.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

// EAN-13 5901234123457 as modules (guards included), '1' dark.
constexpr const char* kModules =
    "10100010110100111011001100100110111101001110101010110011011011001000010101110010011101000100101";

// A 420 x 160 white picture with the symbol's bars at 3 pixels per module,
// first bar at column 40, rows 16 .. 135.
core::BmpImage CodePicture() {
    return test::MakeImage(420, 160, [](uint32_t x, uint32_t r) -> uint32_t {
        if (r < 16 || r >= 136 || x < 40 || x >= 40 + 95 * 3) return 0xFFFFFF;
        return kModules[(x - 40) / 3] == '1' ? 0x000000 : 0xFFFFFF;
    });
}

// The same symbol on its side in a 160 x 420 picture: bars across the rows,
// the first bar at stored rows 40..42 from the bottom, columns 16 .. 135.
core::BmpImage SidewaysCodePicture() {
    return test::MakeImage(160, 420, [](uint32_t x, uint32_t r) -> uint32_t {
        if (x < 16 || x >= 136 || r < 40 || r >= 40 + 95 * 3) return 0xFFFFFF;
        return kModules[(r - 40) / 3] == '1' ? 0x000000 : 0xFFFFFF;
    });
}

// Pixels of `colour` in the document.
int Count(core::BmpView image, uint32_t colour) {
    int n = 0;
    for (uint32_t r = 0; r < image.height(); ++r)
        for (uint32_t x = 0; x < image.width(); ++x) n += test::Rgb(image, x, r) == colour;
    return n;
}

class BarcodeCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.reserveArena());
        host.clockStep = 7;
    }
    void Install(core::BmpImage image) {
        editor.install(std::move(image), InstallKind::Open);
        host.statusLog.clear();
        host.repaints = 0;
    }

    test::TempDir dir;
    test::FakeHost host;
    Editor editor{host, dir.path()};
};

TEST_F(BarcodeCommandTest, WritesLabelResultAndTimeThenRepaints) {
    Install(CodePicture());
    editor.dispatch(CommandId::Barcode);
    // Label first, the clock read after it, the result, then the elapsed time.
    const std::vector<std::pair<int, std::string>> expected = {
        {9, "Штрих-код"}, {10, "5901234123457+"}, {11, "T(ms)=7"}};
    EXPECT_EQ(host.statusLog, expected);
    EXPECT_EQ(host.repaints, 1);
}

TEST_F(BarcodeCommandTest, NothingFoundShowsEightAsterisks) {
    Install(test::MakeSolid(300, 200, 0x808080));
    editor.dispatch(CommandId::Barcode);
    ASSERT_EQ(host.statusLog.size(), 3u);
    EXPECT_EQ(host.statusLog[1], (std::pair<int, std::string>{10, "********  "}));
    EXPECT_EQ(editor.state().statusText[10], "********  ");
}

// The yellow dot after the middle guard is the only change, and undo takes it back.
TEST_F(BarcodeCommandTest, UndoRemovesTheMiddleGuardMarker) {
    Install(CodePicture());
    const core::BmpImage original = CodePicture();
    editor.dispatch(CommandId::Barcode);
    EXPECT_EQ(test::Rgb(editor.document(), 40 + 50 * 3, 16 + 32), 0xFFFF00u);
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SamePixels(original.view(), editor.document()));
}

TEST_F(BarcodeCommandTest, WithoutADocumentNothingHappens) {
    RunBarcodeCommand(editor);
    RunStrictBarcodeCommand(editor);
    editor.dispatch(CommandId::Barcode);
    editor.dispatch(CommandId::BarcodeStrict);
    EXPECT_TRUE(host.statusLog.empty());
    EXPECT_EQ(host.repaints, 0);
}

// A code on its side: the menu command reads it through a library, shows
// the same fields as for the exact reader, outlines the code in green on the
// picture (no yellow marks), and undo takes the outline back.
TEST_F(BarcodeCommandTest, ACodeOnItsSideIsReadAndOutlined) {
    Install(SidewaysCodePicture());
    const core::BmpImage original = SidewaysCodePicture();
    editor.dispatch(CommandId::Barcode);
    const std::vector<std::pair<int, std::string>> expected = {
        {9, "Штрих-код"}, {10, "5901234123457+"}, {11, "T(ms)=7"}};
    EXPECT_EQ(host.statusLog, expected);
    EXPECT_EQ(editor.state().lastReading.by, "zxing");
    EXPECT_EQ(host.repaints, 1);
    // The outline: green, along the whole code (zxing-cpp places a linear
    // code as the line it read it on), near the bars; nothing else changed.
    const core::BmpView doc = editor.document();
    EXPECT_EQ(Count(doc, recognize::barcode::kMarkColour), 0);
    std::set<uint32_t> greenRows;
    for (uint32_t r = 0; r < doc.height(); ++r)
        for (uint32_t x = 0; x < doc.width(); ++x) {
            const uint32_t now = test::Rgb(doc, x, r);
            if (now == kOutlineColour) {
                EXPECT_TRUE(x >= 4 && x <= 147 && r >= 28 && r <= 336) << x << "," << r;
                greenRows.insert(r);
            } else {
                ASSERT_EQ(now, test::Rgb(original.view(), x, r)) << x << "," << r;
            }
        }
    for (uint32_t r = 43; r < 40 + 95 * 3 - 3; ++r) EXPECT_TRUE(greenRows.count(r)) << r;
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SamePixels(original.view(), editor.document()));
}

// The strict command is the exact reader alone: on the sideways code it
// reads nothing and leaves the picture as it was; on the upright code it
// gives the chain's fields and the same picture, yellow mark and all.
TEST_F(BarcodeCommandTest, TheStrictCommandRunsTheExactReaderAlone) {
    Install(SidewaysCodePicture());
    editor.dispatch(CommandId::BarcodeStrict);
    EXPECT_EQ(editor.state().statusText[10], "********  ");
    EXPECT_EQ(editor.state().lastReading.by, "-");
    EXPECT_TRUE(test::SamePixels(SidewaysCodePicture().view(), editor.document()));

    Install(CodePicture());
    editor.dispatch(CommandId::Barcode);
    const std::vector<std::pair<int, std::string>> chainLog = host.statusLog;
    const core::BmpView read = editor.document();
    const core::BmpImage chainPicture =
        test::MakeImage(read.width(), read.height(), [&](uint32_t x, uint32_t r) { return test::Rgb(read, x, r); });
    editor.dispatch(CommandId::Undo);
    host.statusLog.clear();
    editor.dispatch(CommandId::BarcodeStrict);
    EXPECT_EQ(host.statusLog, chainLog);
    EXPECT_EQ(editor.state().lastReading.by, "part");
    EXPECT_TRUE(test::SamePixels(chainPicture.view(), editor.document()));
}

// The outline as drawn: a square on the picture's edges three pixels wide,
// closed and clipped, paints everything but the middle pixel of a 6 x 6
// picture; one point is a dot as wide as the pen; no point, nothing.
TEST(BarcodeOutlineDrawing, ClosedClippedAndDots) {
    core::BmpImage square = test::MakeSolid(6, 6, 0xFFFFFF);
    DrawOutline(square.view(), std::vector<recognize::OutlinePoint>{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, 0x00FF00, 3);
    EXPECT_EQ(Count(square.view(), 0x00FF00), 35);
    EXPECT_EQ(test::Rgb(square.view(), 2, 2), 0xFFFFFFu);
    core::BmpImage dot = test::MakeSolid(5, 5, 0xFFFFFF);
    DrawOutline(dot.view(), std::vector<recognize::OutlinePoint>{{2, 2}}, 0x00FF00, 2);
    DrawOutline(dot.view(), {}, 0x00FF00, 2);
    EXPECT_EQ(Count(dot.view(), 0x00FF00), 4);
}

// The field-10 forms: "+" and "-" by the check digit, "°" for a leading
// digit the parities do not name, six spaces after EAN-8.
TEST(BarcodeText, FieldTenForms) {
    using recognize::BarcodeFormat;
    using recognize::BarcodeReading;
    EXPECT_EQ(BarcodeText(BarcodeReading{BarcodeFormat::Ean13, "5901234123457", true}), "5901234123457+");
    EXPECT_EQ(BarcodeText(BarcodeReading{BarcodeFormat::Ean13, "5901234123458", false}), "5901234123458-");
    EXPECT_EQ(BarcodeText(BarcodeReading{BarcodeFormat::Ean13, "?901234123457", false}), "°901234123457-");
    EXPECT_EQ(BarcodeText(BarcodeReading{BarcodeFormat::Ean8, "96385074", true}), "96385074      ");
    EXPECT_EQ(BarcodeText(recognize::BarcodeResult{}), "********  ");
}

}  // namespace
}  // namespace zorva::shell
