// The barcode command: status fields 9 to 11, the snapshot before and the repaint after.
#include <gtest/gtest.h>

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
    editor.dispatch(CommandId::Barcode);
    EXPECT_TRUE(host.statusLog.empty());
    EXPECT_EQ(host.repaints, 0);
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
