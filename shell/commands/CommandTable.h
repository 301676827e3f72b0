// The command table: one row per CommandId with everything about the command, and the menus built from the rows.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "shell/commands/CommandId.h"

namespace zorva::shell {

class Editor;
struct DialogCommand;

namespace mark {
inline constexpr uint8_t Snapshot = 0x1;        // S: an undo snapshot is taken before the operation
inline constexpr uint8_t ReleaseButton = 0x2;   // B: the chosen palette button shows released afterwards
inline constexpr uint8_t ToolOff = 0x4;         // M0: ToolMode := 0 afterwards
inline constexpr uint8_t NeedsDocument = 0x10;  // greyed while no document is open
inline constexpr uint8_t NeedsSegments = 0x20;  // enabled only while a segmentation is present
// The command keeps a selection on the picture, or acts on it itself; before
// every other command a selection is ended, so that no outline is ever
// worked into the picture.
inline constexpr uint8_t OnSelection = 0x40;
// The command changes a setting or the view, never the picture: a rectangle
// of the rectangle tool stays editable through it.
inline constexpr uint8_t SettingOnly = 0x80;
}  // namespace mark

// A shortcut key: a virtual-key code (vk:: of shell/input/Input.h) pressed
// while ModifierState says Control, Shift or neither is held.
enum class Modifier : uint8_t { None, Control, Shift };
struct KeyBinding {
    Modifier modifier = Modifier::None;
    int key = 0;  // 0: no binding
};

using Operation = void (*)(Editor&);

// One command: its menu item, its keys, its marks, what it does and how
// zorva-cli names it. This row is the one place a command is stated.
struct CommandInfo {
    CommandId id;
    std::string_view text;                  // menu text exactly as shown, "&" marks the access key, "\t" the label;
                                            // empty for a row scripts alone reach, in no menu
    std::array<KeyBinding, 2> keys;         // the shortcut keys that run it
    uint8_t marks = 0;                      // mark:: bits
    Operation run = nullptr;                // the operation, or null
    const DialogCommand* dialog = nullptr;  // or the dialog it opens, with its operation on OK
    // The OP of `zorva-cli apply`: its whole text ("blur:1", "undo"), or
    // for a dialog command the name its arguments follow ("palette" of
    // "palette:8"). Empty for commands scripts have no use for.
    std::string_view op;
    // The symbol bases the command reads, BaseBit(k) for base k: a run that
    // would read one that is not loaded fails (zorva-cli ends in status 1).
    uint8_t bases = 0;
};

constexpr uint8_t BaseBit(int k) {
    return uint8_t(1u << (k - 1));
}
// The plate reader's bases: digits (1) and plate letters (2).
inline constexpr uint8_t kDigitsAndLetters = BaseBit(1) | BaseBit(2);

std::span<const CommandInfo> Commands();
// The row of `id`, or null for an id no row matches.
const CommandInfo* FindCommand(uint16_t id);

// A node of the main menu "ZORVA" or of the context menu: a command item, a
// submenu (id 0 and children) or a separator.
struct MenuNode {
    std::string_view text;
    uint16_t id = 0;
    std::span<const MenuNode> children;
    bool separator = false;
};

// The top-level items of the main menu, in order.
std::span<const MenuNode> MainMenu();
// The three submenus of context menu 600: 0 with a selection, 1 without a
// document, 2 otherwise.
const MenuNode& ContextMenu(int submenu);

// How a shortcut reads in a menu: "Ctrl+O", "Shift+Insert", "Delete".
std::string KeyLabel(KeyBinding key);
// An item's text as the menus show it: the node's text, and after a tab the
// label of its row's first shortcut where the text names none, so every key
// that works is seen ("&Открыть\tCtrl+O"; "&Печать\tCtrl+P" stays as it is).
std::string MenuText(const MenuNode& node);

// Items that carry a check mark at start-up.
std::span<const CommandId> StartupChecks();

// ---- menu rules ----
// Asked each time a menu is about to open, and by the dispatcher and the
// command line before running a command.

struct EditorState;
// Whether item `id` is enabled (ids no row matches: enabled): document
// items need a document; the segment items need a segmentation whose map
// is still there.
bool IsEnabled(const Editor& editor, CommandId id);
// Items that carry a check mark: the view, line-width, eraser and grid
// groups, copy mode and "Русский" (which keeps its mark; "English" never
// takes it).
bool IsCheckable(CommandId id);
// Whether item `id` shows its check mark now. "Русский" always does.
bool IsChecked(const EditorState& state, CommandId id);

}  // namespace zorva::shell
