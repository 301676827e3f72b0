// The tool palette: hover indices and labels, each button's tool at work, tool choice and its after-steps; the
// status-bar fields.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <set>

#include "shell/commands/WindowCommands.h"
#include "shell/input/Gesture.h"
#include "shell/input/Input.h"
#include "shell/input/Tools.h"
#include "shell/view/Palette.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

// Records the tool hooks the palette calls, and the ToolMode each one saw.
struct RecordingTools : PointerTools {
    bool commitRectangle(Editor& editor) override {
        commitsSeen.push_back(editor.state().toolMode);
        return editableRectangle;
    }
    bool editableRectangle = false;
    std::vector<uint16_t> commitsSeen;
};

TEST(Palette, HoverIndicesAtTheButtonEdges) {
    EXPECT_EQ(HoverIndex(0), 1);
    EXPECT_EQ(HoverIndex(24), 1);
    EXPECT_EQ(HoverIndex(25), 2);
    EXPECT_EQ(HoverIndex(349), 14);
    EXPECT_EQ(HoverIndex(350), 0);
    EXPECT_EQ(HoverIndex(-1), 0);
}

TEST(StatusBar, FieldEdgesAndColourOrders) {
    const int edges[status::kFieldCount] = {100, 150, 200, 250, 300, 350, 405, 460, 515, 585, 680, 850};
    for (int f = 0; f < status::kFieldCount; ++f) EXPECT_EQ(StatusFieldEdges()[size_t(f)], edges[f]) << f;
    // Pure red: blue first after the colour dialog, red first after the picker.
    EXPECT_EQ(ColourFieldBgr(255, 0, 0), "0000FF");
    EXPECT_EQ(ColourFieldRgb(255, 0, 0), "FF0000");
    EXPECT_EQ(ColourFieldBgr(0x12, 0xAB, 0x0C), "0CAB12");
}

class PaletteTest : public ShellFixture {
protected:
    RecordingTools tools;
};

TEST_F(PaletteTest, NoLabelsBeforeTheFirstDocument) {
    EXPECT_FALSE(HoverPalette(editor, 30));
    EXPECT_EQ(state().palette.hovered, 0);
    LeftButtonDown(editor, 10, tools);
    EXPECT_EQ(state().palette.chosen, 0);
    EXPECT_EQ(state().toolMode, tool::NoDocument);
}

TEST_F(PaletteTest, HoverShowsOneLabelAndRepaintsOnlyOnChange) {
    Install(50, 50);
    const int before = host.repaints;
    EXPECT_TRUE(HoverPalette(editor, 30));
    EXPECT_EQ(state().palette.hovered, 2);
    EXPECT_FALSE(HoverPalette(editor, 49));  // the same button
    EXPECT_EQ(host.repaints - before, 1);
    EXPECT_TRUE(HoverPalette(editor, 350));  // below the buttons: none
    EXPECT_EQ(state().palette.hovered, 0);
    HoverPalette(editor, 0);
    EXPECT_TRUE(LeavePalette(editor));
    EXPECT_EQ(state().palette.hovered, 0);
    EXPECT_FALSE(LeavePalette(editor));
    // Not while an action is under way.
    state().toolMode = tool::Pencil | tool::ActionUnderWay;
    EXPECT_FALSE(HoverPalette(editor, 100));
    EXPECT_EQ(state().palette.hovered, 0);
}

TEST_F(PaletteTest, ChoosingADrawingToolSwitchesToTheSourceView) {
    Install(500, 500);
    state().drawRed = 0xFF;
    state().drawBlue = 0x01;
    ASSERT_EQ(state().viewMode, CommandId::Preview);
    ChooseTool(editor, 8, tools);
    EXPECT_EQ(state().toolMode, tool::Pencil);
    EXPECT_EQ(state().viewMode, CommandId::SourceView);
    EXPECT_EQ(state().statusText[6], "0100FF");
    EXPECT_EQ(state().palette.chosen, 8);
    EXPECT_TRUE(state().palette.chosenPressed);
    EXPECT_TRUE(state().layout.vertical.present);  // laid out for the source view
    ShowChosenReleased(editor);
    EXPECT_FALSE(state().palette.chosenPressed);
    EXPECT_EQ(state().toolMode, tool::Pencil);  // still chosen
}

TEST_F(PaletteTest, TextAndCurveChooseNoToolAndLeaveTheView) {
    Install(50, 50);
    for (int k : {10, 12}) {
        ChooseTool(editor, k, tools);
        EXPECT_EQ(state().toolMode, tool::None) << k;
        EXPECT_EQ(state().viewMode, CommandId::Preview) << k;
        EXPECT_EQ(state().palette.chosen, k);
    }
    EXPECT_TRUE(host.dialogsRun.empty());
    EXPECT_EQ(state().statusText[6], "");
}

TEST_F(PaletteTest, TheZoomToolOpensTheZoomDialogInTheSourceView) {
    Install(50, 50);
    host.scripts["CONTROLS3"] = {{DialogStep::Click, ZoomRadio(1)}, {DialogStep::Click, kZoomOkId}};
    ChooseTool(editor, 7, tools);
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"CONTROLS3"});
    EXPECT_EQ(state().viewMode, CommandId::SourceView);
    EXPECT_EQ(state().zoomIndex, 1);
    EXPECT_EQ(state().toolMode, tool::None);
}

TEST_F(PaletteTest, AnEditableRectangleIsCommittedBeforeTheToolChanges) {
    Install(50, 50);
    ChooseTool(editor, 13, tools);
    ChooseTool(editor, 9, tools);
    // The commit saw the rectangle tool still in force.
    ASSERT_EQ(tools.commitsSeen.size(), 2u);
    EXPECT_EQ(tools.commitsSeen[1], tool::Rectangle);
    EXPECT_EQ(state().toolMode, tool::Brush);
}

TEST_F(PaletteTest, AClickOnTheStripChoosesTheHoveredButton) {
    Install(50, 50);
    MouseMove(editor, 10, 60, false, tools);  // button 3
    LeftButtonDown(editor, 10, tools);
    EXPECT_EQ(state().toolMode, tool::RectangleSelection);
    // Below the buttons nothing is hovered and a click chooses nothing.
    MouseMove(editor, 10, 360, false, tools);
    LeftButtonDown(editor, 10, tools);
    EXPECT_EQ(state().palette.chosen, 3);
}

// What a drag across the picture did: the pixels that changed and the
// colours they took.
struct Outcome {
    size_t changed = 0;
    std::set<uint32_t> colours;
};

// Each button of the strip, clicked as a user clicks it, chooses the tool
// that then acts on a grey picture under a drag from (5, 5) to (30, 20): the
// pens draw in the drawing colour (the pencil and the line one pixel per
// column, the brush wider), the eraser in white, the fill floods, the
// rectangle draws its outline, the picker takes the colour, the selection
// tools select, the zoom opens its dialog; text and curve do nothing yet.
TEST_F(PaletteTest, EachButtonChoosesTheToolThatThenActsOnThePicture) {
    constexpr uint32_t kGrey = 0x808080, kRed = 0xFF0000, kWhite = 0xFFFFFF;
    std::string why;
    const std::optional<Gesture> drag = ParseGesture("drag:5,5,30,20", why);
    ASSERT_TRUE(drag) << why;
    EditorTools editorTools;
    for (int k = 1; k <= kToolCount; ++k) {
        editor.install(test::MakeSolid(40, 30, kGrey), InstallKind::Open);
        state().drawRed = 0xFF;
        state().drawGreen = state().drawBlue = 0;
        host.dialogsRun.clear();
        host.scripts["CONTROLS3"] = {{DialogStep::Click, kZoomOkId}};
        MouseMove(editor, 10, kToolButtonSize * (k - 1) + 12, false, editorTools);
        LeftButtonDown(editor, 10, editorTools);
        ASSERT_EQ(state().palette.chosen, k);
        PerformGesture(editor, *drag, editorTools);
        const ToolKind kind = ToolKind(k);
        if (kind == ToolKind::Rectangle) {
            EXPECT_TRUE(CommitRectangle(editor));
        }
        Outcome out;
        const core::BmpView d = editor.document();
        for (uint32_t r = 0; r < d.height(); ++r)
            for (uint32_t x = 0; x < d.width(); ++x)
                if (d.at(x, r) != kGrey) {
                    ++out.changed;
                    out.colours.insert(d.at(x, r));
                }
        const std::set<uint32_t> red{kRed};
        const uint16_t mode = state().toolMode;
        switch (kind) {
            case ToolKind::Pencil:
            case ToolKind::Line:
                EXPECT_EQ(out.changed, 26u) << k;  // 26 columns, one pixel each
                EXPECT_EQ(out.colours, red) << k;
                break;
            case ToolKind::Polygon:
                EXPECT_EQ(out.changed, 26u) << k;  // the first edge, the polygon still open
                EXPECT_EQ(out.colours, red) << k;
                EXPECT_TRUE(mode & tool::ActionUnderWay) << k;
                break;
            case ToolKind::Brush:
                EXPECT_GT(out.changed, 4 * 26u) << k;
                EXPECT_EQ(out.colours, red) << k;
                break;
            case ToolKind::Eraser:
                EXPECT_GT(out.changed, 4 * 26u) << k;
                EXPECT_EQ(out.colours, std::set<uint32_t>{kWhite}) << k;
                break;
            case ToolKind::Rectangle:
                EXPECT_EQ(out.changed, 2 * 26u + 2 * 14u) << k;  // the edges of 26 x 16
                EXPECT_EQ(out.colours, red) << k;
                break;
            case ToolKind::Fill:
                EXPECT_EQ(out.changed, 40u * 30u) << k;
                EXPECT_EQ(out.colours, red) << k;
                break;
            case ToolKind::ColourPicker:
                EXPECT_EQ(out.changed, 0u) << k;
                EXPECT_EQ((std::array{state().drawRed, state().drawGreen, state().drawBlue}),
                          (std::array<uint8_t, 3>{0x80, 0x80, 0x80}))
                    << k;
                break;
            case ToolKind::FreehandSelection:
            case ToolKind::RectangleSelection:
                EXPECT_EQ(mode, tool::SelectionOutlined) << k;
                break;
            case ToolKind::PolygonSelection:
                EXPECT_EQ(mode, tool::PolygonSelection | tool::ActionUnderWay) << k;
                break;
            case ToolKind::Zoom:
                EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"CONTROLS3"}) << k;
                [[fallthrough]];
            case ToolKind::Text:
            case ToolKind::Curve:
                EXPECT_EQ(out.changed, 0u) << k;
                EXPECT_EQ(mode, tool::None) << k;
                break;
        }
        // Whatever is under way ends before the next tool is chosen.
        RightButtonDown(editor, editorTools);
    }
}

}  // namespace
}  // namespace zorva::shell
