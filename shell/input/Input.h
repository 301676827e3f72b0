// The window's input rules, toolkit-free: key handler, mouse routing, context menu, enable rule and check marks.
#pragma once

#include <cstdint>
#include <optional>

#include "shell/EditorState.h"
#include "shell/commands/CommandId.h"
#include "shell/input/Keys.h"

namespace zorva::shell {

class Editor;

// ---- keys ----

// Key down: updates ModifierState (0 none, 1 Control, 2 Shift) and names the
// command the key runs, if any, as the command table binds it. With Control
// held only Control bindings count and every other key (Shift, Delete, R,
// L, ...) does nothing. Otherwise Control and Shift set the state; a key with
// a Shift binding while Shift is held clears the state and runs it (Insert
// pastes); a key with a plain binding runs it (Delete).
std::optional<CommandId> KeyDown(uint8_t& modifierState, int virtualKey);
// Key up: releasing Control or Shift clears ModifierState.
void KeyUp(uint8_t& modifierState, int virtualKey);

// The key handler of the window: KeyDown and KeyUp on the editor's state, the
// command run through the dispatcher (so it acts only when its menu item
// would).
void HandleKeyDown(Editor& editor, int virtualKey);
void HandleKeyUp(Editor& editor, int virtualKey);

// The window lost or regained the keyboard (a dialog, a popup menu, another
// window): the release of a held modifier went elsewhere, so forget it.
void ResetModifiers(Editor& editor);
// Every key event tells which modifiers are really held: a Control or Shift
// released where the window did not see it (behind a popup menu) is
// forgotten at the next key, so a plain C never copies.
void ReconcileModifiers(Editor& editor, bool controlHeld, bool shiftHeld);

// ---- mouse ----

// The pointer actions of the selection, drawing and segment tools, supplied
// by the layer that implements them. The router decides which one runs and
// when; every default does nothing.
class PointerTools {
public:
    virtual ~PointerTools() = default;
    // Left button down on the image area, at PointerX, PointerY.
    virtual void press(Editor&) {}
    // The pointer moved over the image area while an action is under way.
    virtual void drag(Editor&) {}
    // Left button up.
    virtual void release(Editor&) {}
    // Commits a rectangle of the rectangle tool that is still editable;
    // true when there was one.
    virtual bool commitRectangle(Editor&) { return false; }
    // Segment selection: removes the segment under the pointer.
    virtual void removeSegment(Editor&) {}
    // Closes the polygon being drawn with its closing edge.
    virtual void closePolygon(Editor&) {}
};

enum class PointerShape { Unchanged, Arrow, Cross };

// A mouse move at client (x, y). Over the palette strip (x < 25): the tool
// label, pointer state untouched, the arrow unless an action is under way.
// Over the image area: the cross-hair, the label goes, the pointer is mapped
// (status fields 1 and 2) and, during an action, the tool's drag step runs.
// `leftButtonOnly`: the message reported exactly the left button held.
PointerShape MouseMove(Editor& editor, int x, int y, bool leftButtonOnly, PointerTools& tools);

// Left button down: over the strip chooses the hovered tool, over the image
// area runs the current tool's press at the last mapped position.
void LeftButtonDown(Editor& editor, int x, PointerTools& tools);
// Left button up: the current tool's release.
void LeftButtonUp(Editor& editor, PointerTools& tools);

// Right button down, in this order: an editable rectangle is committed (and
// repainted); in segment selection the segment under the pointer goes (and
// repainted); a polygon in progress is closed; otherwise the context menu.
// Returns the submenu to pop up, or nothing when a tool took the press.
std::optional<int> RightButtonDown(Editor& editor, PointerTools& tools);

// The submenu of context menu 600: 0 while a selection exists (ToolMode 0x420
// or 0x402), 1 without a document, 2 otherwise.
int ContextSubmenu(const EditorState& state, bool hasDocument);

// A context-menu item arrives as an ordinary command; the view is repainted
// afterwards.
void RunContextCommand(Editor& editor, CommandId id);

}  // namespace zorva::shell
