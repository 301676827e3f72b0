// The mouse reaches segment selection through the window's routing: left picks, right removes.
#include "shell/input/Tools.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

class ToolsTest : public ShellFixture {
protected:
    // A 40 x 30 picture: a black square (columns 10..19, rows 10..19) on white.
    void InstallSquare() {
        editor.install(test::MakeImage(40, 30,
                                       [](uint32_t x, uint32_t r) {
                                           return x >= 10 && x < 20 && r >= 10 && r < 20 ? 0x000000u : 0xFFFFFFu;
                                       }),
                       InstallKind::Open);
        host.scripts["SEGMENT2"] = {{DialogStep::Trackbar, kTrackbar1, 2},
                                    {DialogStep::Trackbar, kTrackbar2, 0},
                                    {DialogStep::Click, kOkId, 0}};
        editor.dispatch(CommandId::SegmentMedianCut);
        editor.dispatch(CommandId::SegmentSelect);
    }
    // Moves the pointer to image pixel (x, r) at 100% and presses there.
    void ClickAt(uint32_t x, uint32_t r, bool right = false) {
        state().pointer.pointerX = uint16_t(x);
        state().pointer.pointerY = uint16_t(r);
        if (right)
            RightButtonDown(editor, tools);
        else
            LeftButtonDown(editor, 100, tools);
    }
    EditorTools tools;
};

TEST_F(ToolsTest, LeftPicksAndRightRemovesTheSegmentUnderThePointer) {
    InstallSquare();
    ASSERT_EQ(state().toolMode, tool::SegmentSelection);
    ClickAt(15, 15);
    EXPECT_EQ(test::Rgb(editor.document(), 15, 15), 0xFFFFFFu);  // shown in negative
    EXPECT_EQ(state().statusText[8], "100");                     // its area
    EXPECT_EQ(state().statusText[6], "000000");
    // The right button removes the picked segment: white, and no context menu.
    ClickAt(0, 0, true);
    EXPECT_EQ(test::Rgb(editor.document(), 12, 12), 0xFFFFFFu);
    EXPECT_EQ(RightButtonDown(editor, tools), std::nullopt);
}

TEST_F(ToolsTest, OtherToolsDoNotPick) {
    InstallSquare();
    state().toolMode = tool::Pencil;
    ClickAt(15, 15);
    EXPECT_EQ(test::Rgb(editor.document(), 15, 15), 0x000000u);
    EXPECT_EQ(state().statusText[8], "");
}

}  // namespace
}  // namespace zorva::shell
