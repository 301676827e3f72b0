// Key handler, mouse routing, context-menu choice, enable rule and check marks of the window.
#include "shell/input/Input.h"

#include "shell/Editor.h"
#include "shell/commands/CommandTable.h"
#include "shell/view/Palette.h"
#include "shell/view/View.h"

namespace zorva::shell {

// ---- keys ----

namespace {

// The command bound to `key` pressed with `modifier`, from the command table.
std::optional<CommandId> Bound(Modifier modifier, int key) {
    for (const CommandInfo& c : Commands())
        for (const KeyBinding& k : c.keys)
            if (k.key == key && k.modifier == modifier) return c.id;
    return std::nullopt;
}

}  // namespace

std::optional<CommandId> KeyDown(uint8_t& modifierState, int virtualKey) {
    if (modifierState == 1) return Bound(Modifier::Control, virtualKey);
    if (virtualKey == vk::Control) {
        modifierState = 1;
        return std::nullopt;
    }
    if (virtualKey == vk::Shift) {
        modifierState = 2;
        return std::nullopt;
    }
    if (modifierState == 2) {
        if (const std::optional<CommandId> id = Bound(Modifier::Shift, virtualKey)) {
            modifierState = 0;
            return id;
        }
    }
    return Bound(Modifier::None, virtualKey);
}

void KeyUp(uint8_t& modifierState, int virtualKey) {
    if (virtualKey == vk::Control || virtualKey == vk::Shift) modifierState = 0;
}

void HandleKeyDown(Editor& editor, int virtualKey) {
    if (const std::optional<CommandId> id = KeyDown(editor.state().modifierState, virtualKey)) editor.dispatch(*id);
}

void HandleKeyUp(Editor& editor, int virtualKey) {
    KeyUp(editor.state().modifierState, virtualKey);
}

void ResetModifiers(Editor& editor) {
    editor.state().modifierState = 0;
}

void ReconcileModifiers(Editor& editor, bool controlHeld, bool shiftHeld) {
    uint8_t& state = editor.state().modifierState;
    if ((state == 1 && !controlHeld) || (state == 2 && !shiftHeld)) state = 0;
}

// ---- mouse ----

PointerShape MouseMove(Editor& editor, int x, int y, bool leftButtonOnly, PointerTools& tools) {
    EditorState& state = editor.state();
    const bool actionUnderWay = (state.toolMode & tool::ActionUnderWay) != 0;
    if (x < kPaletteWidth) {
        if (actionUnderWay) return PointerShape::Unchanged;
        HoverPalette(editor, y);
        return PointerShape::Arrow;
    }
    LeavePalette(editor);
    MovePointer(editor, x, y, leftButtonOnly);
    if (editor.hasDocument() && actionUnderWay) tools.drag(editor);
    return PointerShape::Cross;
}

void LeftButtonDown(Editor& editor, int x, PointerTools& tools) {
    if (x < kPaletteWidth) {
        if (const int k = editor.state().palette.hovered; k != 0) ChooseTool(editor, k, tools);
        return;
    }
    if (editor.hasDocument()) tools.press(editor);
}

void LeftButtonUp(Editor& editor, PointerTools& tools) {
    if (editor.hasDocument()) tools.release(editor);
}

std::optional<int> RightButtonDown(Editor& editor, PointerTools& tools) {
    if (editor.hasDocument()) {
        if (tools.commitRectangle(editor)) {
            editor.host().repaint(true);
            return std::nullopt;
        }
        const uint16_t mode = editor.state().toolMode;
        if (mode & tool::SegmentSelection) {
            tools.removeSegment(editor);
            editor.host().repaint(true);
            return std::nullopt;
        }
        if ((mode & tool::Polygon) && (mode & tool::ActionUnderWay)) {
            tools.closePolygon(editor);
            return std::nullopt;
        }
    }
    return ContextSubmenu(editor.state(), editor.hasDocument());
}

int ContextSubmenu(const EditorState& state, bool hasDocument) {
    if (state.toolMode == tool::SelectionOutlined || state.toolMode == tool::SelectionFloating) return 0;
    return hasDocument ? 2 : 1;
}

void RunContextCommand(Editor& editor, CommandId id) {
    editor.dispatch(id);
    editor.host().repaint(true);
}

}  // namespace zorva::shell
