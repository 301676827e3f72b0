// The command table: every id present once, menu texts, marks and the menu trees.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "shell/commands/CommandTable.h"

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

TEST(CommandTable, MenuTextsAndShortcutLabels) {
    const std::map<uint16_t, std::string_view> texts = {
        {40000, "&Создать"},
        {40006, "&Печать\tCtrl+P"},
        {40010, "&Отмена\tCtrl+Z"},
        {40052, "&Повтор\tCtrl+Y"},
        {40008, "Вы&резать\tCtrl+X"},
        {40009, "&Удалить\tDelete"},
        {40021, "&8-связная сегментация"},
        {40080, "&4-связная медианного среза"},
        {40050, "Векторный файл .svg"},
        {261, " 4пкс"},
        {40087, " < "},
        {40086, " > "},
    };
    for (const auto& [id, text] : texts) {
        ASSERT_NE(FindCommand(id), nullptr) << id;
        EXPECT_EQ(FindCommand(id)->text, text) << id;
    }
}

TEST(CommandTable, MarksOfEffectRows) {
    const auto marks = [](CommandId id) { return FindCommand(ToInt(id))->marks; };
    EXPECT_EQ(marks(CommandId::BlurLight) & (mark::Snapshot | mark::ReleaseButton | mark::ToolOff),
              mark::Snapshot | mark::ReleaseButton);
    EXPECT_EQ(marks(CommandId::Sobel) & (mark::Snapshot | mark::ReleaseButton | mark::ToolOff),
              mark::Snapshot | mark::ReleaseButton | mark::ToolOff);
    // The dialog commands take their snapshot when the dialog opens.
    EXPECT_EQ(marks(CommandId::Palette) & mark::Snapshot, 0);
    EXPECT_EQ(marks(CommandId::Greyscale) & mark::Snapshot, 0);
    EXPECT_TRUE(marks(CommandId::SvgExport) & mark::NeedsSegments);
    EXPECT_TRUE(marks(CommandId::SegmentSelect) & mark::NeedsSegments);
    for (CommandId never :
         {CommandId::New, CommandId::Open, CommandId::CopyMode, CommandId::Russian, CommandId::English,
          CommandId::AboutBox, CommandId::HelpTools, CommandId::NextPhoto, CommandId::PreviousPhoto})
        EXPECT_EQ(marks(never) & (mark::NeedsDocument | mark::NeedsSegments), 0) << ToInt(never);
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
