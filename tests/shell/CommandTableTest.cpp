// The command table: every id present once, the shortcuts the menus show, what the marks promise, the menu trees.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string_view>

#include "shell/commands/CommandTable.h"
#include "shell/input/Input.h"
#include "shell/input/Tools.h"
#include "shell/view/Palette.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

void Collect(std::span<const MenuNode> nodes, std::multiset<uint16_t>& ids) {
    for (const MenuNode& n : nodes) {
        if (n.id) ids.insert(n.id);
        Collect(n.children, ids);
    }
}

// Rows with a menu text are in the main menu once; the rows scripts alone
// reach (no text, an OP) are in no menu.
TEST(CommandTable, EveryIdHasOneRowAndAppearsOnceInTheMainMenu) {
    std::set<uint16_t> rows, scriptOnly;
    for (const CommandInfo& c : Commands()) {
        EXPECT_TRUE(rows.insert(ToInt(c.id)).second) << ToInt(c.id);
        if (c.text.empty()) {
            EXPECT_FALSE(c.op.empty()) << ToInt(c.id);
            scriptOnly.insert(ToInt(c.id));
        }
    }
    // 40000..40091 minus the gaps the program never used, and 260..265;
    // the strict barcode and plate reads for scripts.
    EXPECT_EQ(rows.size(), 77u);
    EXPECT_EQ(scriptOnly, (std::set<uint16_t>{41074, 41081}));
    for (uint16_t id = 260; id <= 265; ++id) EXPECT_TRUE(rows.count(id)) << id;
    std::multiset<uint16_t> inMenu, inContext;
    Collect(MainMenu(), inMenu);
    for (int submenu = 0; submenu < 3; ++submenu) Collect(ContextMenu(submenu).children, inContext);
    for (uint16_t id : rows) EXPECT_EQ(inMenu.count(id), scriptOnly.count(id) ? 0u : 1u) << id;
    for (uint16_t id : scriptOnly) EXPECT_EQ(inContext.count(id), 0u) << id;
    EXPECT_EQ(inMenu.size(), rows.size() - scriptOnly.size());
    EXPECT_EQ(FindCommand(40003), nullptr);
    EXPECT_EQ(FindCommand(12345), nullptr);
}

// Reads a shortcut label as a user would and presses its keys: "Ctrl+P"
// is Control, then P. The key the label names, or nothing when the label
// names no key.
std::optional<CommandId> PressLabel(std::string_view label) {
    uint8_t state = 0;
    for (const auto& [prefix, key] : {std::pair{std::string_view("Ctrl+"), vk::Control}, {"Shift+", vk::Shift}})
        if (label.starts_with(prefix)) {
            KeyDown(state, key);
            label.remove_prefix(prefix.size());
        }
    int key = 0;
    if (label == "Insert")
        key = vk::Insert;
    else if (label == "Delete")
        key = vk::Delete;
    else if (label.size() == 1)
        key = label[0];
    if (key == 0) return std::nullopt;
    return KeyDown(state, key);
}

void CheckLabels(std::span<const MenuNode> nodes, int& labelled) {
    for (const MenuNode& n : nodes) {
        CheckLabels(n.children, labelled);
        if (n.id == 0) continue;
        const std::string text = MenuText(n);
        const size_t tab = text.find('\t');
        const CommandInfo* row = FindCommand(n.id);
        ASSERT_NE(row, nullptr) << text;
        // An item shows a label exactly when a key runs it...
        EXPECT_EQ(tab != std::string::npos, row->keys[0].key != 0) << text;
        if (tab == std::string::npos) continue;
        // ...and the label names a key the key handler answers with this item.
        ++labelled;
        const std::optional<CommandId> ran = PressLabel(std::string_view(text).substr(tab + 1));
        EXPECT_EQ(ran ? ToInt(*ran) : 0, n.id) << text;
    }
}

// Every shortcut a menu shows is one the key handler runs that item for,
// and every item a key runs shows its shortcut.
TEST(CommandTable, TheShortcutEveryMenuItemShowsRunsIt) {
    int labelled = 0;
    CheckLabels(MainMenu(), labelled);
    for (int submenu = 0; submenu < 3; ++submenu) CheckLabels(ContextMenu(submenu).children, labelled);
    EXPECT_GE(labelled, 12);
}

class CommandRowsTest : public ShellFixture {
protected:
    // A picture of many colours, as a photo has: every effect changes it.
    void InstallPhoto() {
        editor.install(test::MakeImage(41, 29,
                                       [](uint32_t x, uint32_t r) {
                                           const uint32_t v = x * 2654435761u ^ r * 40503u;
                                           return (v >> 7) & 0xFFFFFF;
                                       }),
                       InstallKind::Open);
    }
    std::vector<uint8_t> Bytes() const {
        const core::BmpView d = editor.document();
        return {d.data(), d.data() + d.fileSize()};
    }
};

void CollectIds(std::span<const MenuNode> nodes, std::vector<CommandId>& ids) {
    for (const MenuNode& n : nodes) {
        if (n.id) ids.push_back(CommandId(n.id));
        CollectIds(n.children, ids);
    }
}

// Every item of "&Эффекты", run on a photo with the pencil chosen, changes
// the photo and one "Отмена" gives it back byte for byte; afterwards the
// pencil's button shows released and the pencil stays chosen or goes
// exactly as the row's marks say.
TEST_F(CommandRowsTest, EveryEffectIsOneUndoStepAndLeavesTheToolAsItsMarksSay) {
    std::vector<CommandId> effects;
    for (const MenuNode& top : MainMenu())
        if (top.text == "&Эффекты") CollectIds(top.children, effects);
    ASSERT_GE(effects.size(), 10u);
    EditorTools tools;
    for (const CommandId id : effects) {
        InstallPhoto();
        ChooseTool(editor, int(ToolKind::Pencil), tools);
        ASSERT_TRUE(state().palette.chosenPressed);
        host.scripts["PALITRA"] = {{DialogStep::Trackbar, kTrackbar1, 4}, {DialogStep::Click, kOkId}};
        host.scripts["POROG"] = {{DialogStep::Click, kOkId}};
        host.scripts["GRAVUR"] = {{DialogStep::Click, kOkId}};
        const std::vector<uint8_t> before = Bytes();
        editor.dispatch(id);
        EXPECT_FALSE(test::SameBytes(before, Bytes())) << ToInt(id);
        const uint8_t marks = FindCommand(ToInt(id))->marks;
        EXPECT_EQ(state().toolMode, marks & mark::ToolOff ? tool::None : tool::Pencil) << ToInt(id);
        EXPECT_EQ(state().palette.chosenPressed, !(marks & mark::ReleaseButton)) << ToInt(id);
        editor.dispatch(CommandId::Undo);
        EXPECT_TRUE(test::SameBytes(before, Bytes())) << ToInt(id);
    }
}

TEST(CommandTable, ContextMenus) {
    std::multiset<uint16_t> selection, empty, document;
    Collect(ContextMenu(0).children, selection);
    Collect(ContextMenu(1).children, empty);
    Collect(ContextMenu(2).children, document);
    EXPECT_EQ(empty, (std::multiset<uint16_t>{40000, 40001}));
    EXPECT_EQ(ContextMenu(1).children[0].text, "&Создать файл");
    EXPECT_TRUE(selection.count(40008) && selection.count(40013) && selection.count(40034));
    EXPECT_FALSE(selection.count(40025));
    EXPECT_TRUE(document.count(40025) && document.count(40011) && document.count(40031));
    EXPECT_FALSE(document.count(40008));
}

}  // namespace
}  // namespace zorva::shell
