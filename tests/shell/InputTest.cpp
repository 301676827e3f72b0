// Key handler, mouse routing, right-button order, context-menu choice, enable rule and check marks.
#include <gtest/gtest.h>

#include <set>

#include "shell/commands/CommandTable.h"
#include "shell/input/Input.h"
#include "shell/view/Palette.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

// ---- keys ----

std::optional<CommandId> Press(uint8_t& state, int key) {
    return KeyDown(state, key);
}

// Every key of every row, pressed as a user would (the modifier first),
// runs that row's command; no key is bound twice.
TEST(Keys, EveryRowsKeysRunItsCommand) {
    std::set<std::pair<Modifier, int>> seen;
    int bindings = 0;
    for (const CommandInfo& c : Commands())
        for (const KeyBinding& k : c.keys) {
            if (k.key == 0) continue;
            ++bindings;
            EXPECT_TRUE(seen.insert({k.modifier, k.key}).second) << ToInt(c.id);
            uint8_t state = 0;
            if (k.modifier == Modifier::Control) Press(state, vk::Control);
            if (k.modifier == Modifier::Shift) Press(state, vk::Shift);
            EXPECT_EQ(Press(state, k.key), c.id) << ToInt(c.id) << " key " << k.key;
            // Control stays held for the next shortcut; Shift+key clears it.
            EXPECT_EQ(state, k.modifier == Modifier::Control ? 1 : 0) << ToInt(c.id);
        }
    EXPECT_GE(bindings, 12);
}

TEST(Keys, WithControlEveryOtherKeyDoesNothing) {
    // R and L are consumed; Delete, Shift and plain letters do nothing either.
    for (int key : {vk::R, vk::L, vk::Delete, vk::Shift, 0x42, 0x31}) {
        uint8_t state = 1;
        EXPECT_EQ(Press(state, key), std::nullopt) << key;
        EXPECT_EQ(state, 1) << key;  // Shift while Control is held keeps 1
    }
}

TEST(Keys, ShiftInsertPastesAndClearsTheState) {
    uint8_t state = 0;
    Press(state, vk::Shift);
    EXPECT_EQ(state, 2);
    EXPECT_EQ(Press(state, vk::Insert), CommandId::Paste);
    EXPECT_EQ(state, 0);
    // Insert alone does nothing; a second Insert after the paste neither.
    EXPECT_EQ(Press(state, vk::Insert), std::nullopt);
}

TEST(Keys, DeleteNeedsNoModifierAndLettersAloneDoNothing) {
    uint8_t state = 0;
    EXPECT_EQ(Press(state, vk::Delete), CommandId::Delete);
    state = 2;
    EXPECT_EQ(Press(state, vk::Delete), CommandId::Delete);  // Shift+Delete deletes too
    state = 0;
    EXPECT_EQ(Press(state, vk::C), std::nullopt);
    EXPECT_EQ(Press(state, vk::Z), std::nullopt);
}

TEST(Keys, ReleasingAModifierClearsTheState) {
    uint8_t state = 0;
    Press(state, vk::Shift);
    Press(state, vk::Control);  // Control after Shift takes over
    EXPECT_EQ(state, 1);
    KeyUp(state, vk::C);
    EXPECT_EQ(state, 1);
    KeyUp(state, vk::Shift);
    EXPECT_EQ(state, 0);
    Press(state, vk::Control);
    KeyUp(state, vk::Control);
    EXPECT_EQ(state, 0);
}

class InputTest : public ShellFixture {};

TEST_F(InputTest, ShortcutsActOnlyAsTheirMenuItemsWould) {
    host.pageSize = std::pair{800, 600};
    HandleKeyDown(editor, vk::Control);
    HandleKeyDown(editor, vk::P);
    EXPECT_TRUE(host.printJobs.empty());  // no document: greyed, so nothing
    Install(20, 20);
    HandleKeyDown(editor, vk::P);
    EXPECT_EQ(host.printJobs.size(), 1u);
    HandleKeyUp(editor, vk::Control);
    HandleKeyDown(editor, vk::P);  // P alone
    EXPECT_EQ(host.printJobs.size(), 1u);
    HandleKeyDown(editor, vk::Control);
    ResetModifiers(editor);  // the window lost the keyboard meanwhile
    EXPECT_EQ(state().modifierState, 0);
}

// ---- mouse ----

struct RecordingTools : PointerTools {
    void press(Editor&) override { calls.push_back("press"); }
    void drag(Editor&) override { calls.push_back("drag"); }
    void release(Editor&) override { calls.push_back("release"); }
    bool commitRectangle(Editor&) override {
        calls.push_back("commit");
        return editable;
    }
    void removeSegment(Editor&) override { calls.push_back("segment"); }
    void closePolygon(Editor&) override { calls.push_back("polygon"); }
    bool editable = false;
    std::vector<std::string> calls;
};

TEST_F(InputTest, MovesOverTheStripShowLabelsAndOverTheImageMapThePointer) {
    RecordingTools tools;
    Install(100, 100);
    EXPECT_EQ(MouseMove(editor, 24, 30, false, tools), PointerShape::Arrow);
    EXPECT_EQ(state().palette.hovered, 2);
    EXPECT_EQ(MouseMove(editor, 35, 100, false, tools), PointerShape::Cross);
    EXPECT_EQ(state().palette.hovered, 0);  // the label goes
    EXPECT_EQ(state().statusText[1], "9");
    EXPECT_TRUE(tools.calls.empty());  // no action under way: no drag
    state().toolMode = tool::Pencil | tool::ActionUnderWay;
    EXPECT_EQ(MouseMove(editor, 36, 100, true, tools), PointerShape::Cross);
    EXPECT_EQ(tools.calls, std::vector<std::string>{"drag"});
    // During an action the strip neither labels nor changes the pointer.
    EXPECT_EQ(MouseMove(editor, 10, 30, true, tools), PointerShape::Unchanged);
    EXPECT_EQ(state().palette.hovered, 0);
    EXPECT_EQ(state().statusText[1], "10");
}

TEST_F(InputTest, ButtonsOverTheImageRunTheToolsPressAndRelease) {
    RecordingTools tools;
    LeftButtonDown(editor, 50, tools);  // no document: nothing
    Install(100, 100);
    LeftButtonDown(editor, 50, tools);
    LeftButtonUp(editor, tools);
    EXPECT_EQ(tools.calls, (std::vector<std::string>{"press", "release"}));
}

TEST_F(InputTest, RightButtonOrder) {
    RecordingTools tools;
    // No document: the menu of New and Open.
    EXPECT_EQ(RightButtonDown(editor, tools), 1);
    EXPECT_TRUE(tools.calls.empty());
    Install(100, 100);
    // 1. An editable rectangle is committed, nothing more.
    tools.editable = true;
    state().toolMode = tool::SegmentSelection;
    int before = host.repaints;
    EXPECT_EQ(RightButtonDown(editor, tools), std::nullopt);
    EXPECT_EQ(tools.calls, std::vector<std::string>{"commit"});
    EXPECT_EQ(host.repaints, before + 1);
    // 2. Segment selection removes the segment under the pointer.
    tools.editable = false;
    tools.calls.clear();
    before = host.repaints;
    EXPECT_EQ(RightButtonDown(editor, tools), std::nullopt);
    EXPECT_EQ(tools.calls, (std::vector<std::string>{"commit", "segment"}));
    EXPECT_EQ(host.repaints, before + 1);
    // 3. A polygon in progress is closed.
    tools.calls.clear();
    state().toolMode = tool::Polygon | tool::ActionUnderWay;
    EXPECT_EQ(RightButtonDown(editor, tools), std::nullopt);
    EXPECT_EQ(tools.calls, (std::vector<std::string>{"commit", "polygon"}));
    // 4. A polygon tool with nothing drawn yet gets the menu.
    state().toolMode = tool::Polygon;
    EXPECT_EQ(RightButtonDown(editor, tools), 2);
}

TEST(ContextMenu, SubmenuChoice) {
    EditorState state;
    EXPECT_EQ(ContextSubmenu(state, false), 1);
    for (uint16_t mode : {tool::SelectionOutlined, tool::SelectionFloating}) {
        state.toolMode = mode;
        EXPECT_EQ(ContextSubmenu(state, true), 0) << mode;
    }
    for (uint16_t mode : {tool::None, tool::FreehandSelection, uint16_t(0x403), tool::Pencil, uint16_t(0x408)}) {
        state.toolMode = mode;
        EXPECT_EQ(ContextSubmenu(state, true), 2) << mode;
    }
}

TEST_F(InputTest, AContextItemRunsAsACommandAndRepaints) {
    Install(10, 10);
    const int before = host.repaints;
    RunContextCommand(editor, CommandId::AboutBox);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.repaints, before + 1);
}

// ---- menu rules ----

// The items the enable rule greys without a document, as the rule lists them.
const std::set<uint16_t>& DocumentItems() {
    static const std::set<uint16_t> items = [] {
        std::set<uint16_t> s = {40012, 40051, 40006, 40008, 40018, 40007, 40009, 40010, 40052, 40030, 40025,
                                40011, 40013, 40015, 40016, 40026, 40017, 40002, 40004, 40005, 40021, 40080,
                                40074, 40081, 40084, 40082, 40075, 40088, 40089, 40090, 40091, 40077, 40079,
                                40073, 40038, 40036, 40037, 40083, 41074, 41081};  // the strict barcode and
                                                                                   // plate reads
        for (uint16_t id = 40042; id <= 40045; ++id) s.insert(id);
        for (uint16_t id = 40047; id <= 40049; ++id) s.insert(id);
        for (uint16_t id = 40031; id <= 40035; ++id) s.insert(id);
        for (uint16_t id = 260; id <= 265; ++id) s.insert(id);
        return s;
    }();
    return items;
}

TEST_F(InputTest, WithoutADocumentTheDocumentItemsAreGreyed) {
    for (const CommandInfo& c : Commands()) {
        const uint16_t id = ToInt(c.id);
        const bool segments = id == 40046 || id == 40050;
        EXPECT_EQ(IsEnabled(editor, c.id), !DocumentItems().count(id) && !segments) << id;
    }
}

// The segment items wait for a segmentation, and go grey again once its map
// is gone (a barcode read uses the same region as its work plane).
TEST_F(InputTest, WithADocumentOnlyTheSegmentItemsWaitForSegments) {
    Install(40, 30);
    const auto segmentItemsEnabled = [&] {
        return IsEnabled(editor, CommandId::SvgExport) && IsEnabled(editor, CommandId::SegmentSelect);
    };
    for (const CommandInfo& c : Commands()) {
        const bool segmentItem = c.id == CommandId::SvgExport || c.id == CommandId::SegmentSelect;
        EXPECT_EQ(IsEnabled(editor, c.id), !segmentItem) << ToInt(c.id);
    }
    host.scripts["SEGMENT2"] = {{DialogStep::Click, kOkId}};
    editor.dispatch(CommandId::SegmentMedianCut);
    EXPECT_TRUE(segmentItemsEnabled());
    editor.dispatch(CommandId::Barcode);
    EXPECT_FALSE(segmentItemsEnabled());
    // Never greyed, whatever the state.
    for (uint16_t id : {40000, 40001, 40053, 40028, 40029, 40024, 40060, 40067, 40085, 40086, 40087})
        EXPECT_TRUE(IsEnabled(editor, CommandId(id))) << id;
}

TEST(CheckMarks, StartUpMarksAndGroups) {
    EditorState state;
    std::set<uint16_t> checked;
    for (const CommandInfo& c : Commands())
        if (IsChecked(state, c.id)) {
            EXPECT_TRUE(IsCheckable(c.id)) << ToInt(c.id);
            checked.insert(ToInt(c.id));
        }
    EXPECT_EQ(checked, (std::set<uint16_t>{40005, 40042, 40049, 260, 40028}));
    std::set<uint16_t> startup;
    for (CommandId id : StartupChecks()) startup.insert(ToInt(id));
    EXPECT_EQ(checked, startup);
    EXPECT_FALSE(IsCheckable(CommandId::English));
    EXPECT_FALSE(IsCheckable(CommandId::Zoom));
}

TEST_F(InputTest, ChoosingAnItemMovesItsGroupsMark) {
    Install(10, 10);
    editor.dispatch(CommandId::Line3);
    editor.dispatch(CommandId::EraserSmall);
    editor.dispatch(CommandId::Grid32);
    editor.dispatch(CommandId::SourceView);
    editor.dispatch(CommandId::CopyMode);
    editor.dispatch(CommandId::English);
    std::set<uint16_t> checked;
    for (const CommandInfo& c : Commands())
        if (IsChecked(state(), c.id)) checked.insert(ToInt(c.id));
    EXPECT_EQ(checked, (std::set<uint16_t>{40002, 40044, 40047, 264, 40053, 40028}));
    editor.dispatch(CommandId::CopyMode);
    EXPECT_FALSE(IsChecked(state(), CommandId::CopyMode));
}

}  // namespace
}  // namespace zorva::shell
