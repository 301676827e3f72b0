// The tool palette: hover indices and labels, tool choice and its after-steps; the status-bar fields.
#include <gtest/gtest.h>

#include "shell/input/Input.h"
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

TEST(Palette, ToolTableLabelsAndValues) {
    const std::pair<std::string_view, uint16_t> expected[kToolCount] = {
        {"Выделение", 0x401},    {"Выделение", 0x600}, {"Выделение", 0x500},  {"Стирание", 0x8},     {"Заливка", 0x20},
        {"Выбор цвета", 0x4000}, {"Масштаб", 0},       {"Карандаш", 0x1},     {"Кисть", 0x10},       {"Текст", 0},
        {"Прямая", 0x80},        {"Кривая", 0},        {"Прямоугол.", 0x100}, {"Многоугол.", 0x200},
    };
    ASSERT_EQ(Tools().size(), size_t(kToolCount));
    for (int k = 1; k <= kToolCount; ++k) {
        EXPECT_EQ(Tool(k).label, expected[k - 1].first) << k;
        EXPECT_EQ(Tool(k).toolMode, expected[k - 1].second) << k;
        EXPECT_EQ(int(Tool(k).kind), k);
    }
    EXPECT_EQ(ToolLabelRect(1), (Rect{30, 10, 70, 15}));
    EXPECT_EQ(ToolLabelRect(14), (Rect{30, 335, 70, 15}));
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

}  // namespace
}  // namespace zorva::shell
