// The command table as data: menu text, shortcut, snapshot and after-steps of every CommandId.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "shell/commands/CommandId.h"

namespace zorva::shell {

namespace mark {
inline constexpr uint8_t Snapshot = 0x1;        // S: an undo snapshot is taken before the operation
inline constexpr uint8_t ReleaseButton = 0x2;   // B: the chosen palette button shows released afterwards
inline constexpr uint8_t ToolOff = 0x4;         // M0: ToolMode := 0 afterwards
inline constexpr uint8_t Context = 0x8;         // the item also appears in the context menus
inline constexpr uint8_t NeedsDocument = 0x10;  // greyed while no document is open
inline constexpr uint8_t NeedsSegments = 0x20;  // enabled only while SegmentsReady is set
}  // namespace mark

struct CommandInfo {
    CommandId id;
    std::string_view text;  // menu text exactly as shown, "&" marks the access key, "\t" the shortcut
    std::string_view keys;  // the shortcut keys that run it ("Ctrl+C, Ctrl+Insert"), empty for none
    uint8_t marks;
};

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

// Items that carry a check mark at start-up.
std::span<const CommandId> StartupChecks();

}  // namespace zorva::shell
