// Outlined, floating and pasted selections: lifting, moving, dropping, the clipboard commands and the effects' access.
#include "shell/commands/Selection.h"

#include <algorithm>
#include <cstring>

#include "edit/FloodFill.h"
#include "edit/Selection.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/commands/DocumentCommands.h"
#include "shell/input/Tools.h"

namespace zorva::shell {

namespace {

core::WorkArena& Arena(Editor& editor) {
    return editor.arena();
}

// The floating pixels and the picture under them are the selection's own:
// it holds the leases of the writes that put them there.
void Claim(Editor& editor) {
    SelectionState& s = editor.state().selection;
    s.floating = Arena(editor).lease(core::Region::FloatImage);
    s.background = Arena(editor).lease(core::Region::BackgroundCopy);
}

bool Intact(const Editor& editor) {
    const SelectionState& s = editor.state().selection;
    return editor.arena().holds(s.floating) && editor.arena().holds(s.background);
}

// Copies the document (its file size) into BackgroundCopy.
void TakeBackground(Editor& editor) {
    const core::MutableBmpView doc = editor.document();
    std::memcpy(Arena(editor).writeBackground().data(), doc.data(), doc.fileSize());
}

void Composite(Editor& editor, bool outline) {
    const SelectionState& s = editor.state().selection;
    const core::WorkArena& arena = editor.arena();
    edit::Composite(editor.document(), arena.background(), arena.floatImage(), s.position, outline);
}

// The selection is gone: ToolMode back to the tool it began with, and the
// journal's records of it given up.
void Finish(Editor& editor, uint16_t mode) {
    EditorState& state = editor.state();
    state.toolMode = mode;
    state.selection.dragging = false;
    editor.undoRing().rewindToAction(editor.arena());
    editor.host().repaint(true);
}

// Drops a floating or pasted selection into the picture. When someone else
// wrote its regions meanwhile, the picture keeps the last composite and
// loses only its outline.
void LayDown(Editor& editor) {
    const SelectionState& s = editor.state().selection;
    if (Intact(editor))
        Composite(editor, false);
    else
        edit::XorRectangle(editor.document(), s.position, {s.position.x + s.size.x - 1, s.position.y + s.size.y - 1});
}

void Drop(Editor& editor) {
    EditorState& state = editor.state();
    LayDown(editor);
    Finish(editor, state.toolMode == tool::SelectionPasted ? tool::None : state.savedTool);
}

// Takes the outline of an outlined selection (or one still being drawn) out
// of the picture: the journal undo of the action.
void RemoveOutline(Editor& editor) {
    editor.undoRing().undo(editor.document(), editor.arena(), true);
}

// ---- lifting ----
// The outline goes, the selected pixels move into FloatImage cut to their
// box, the picture without them into BackgroundCopy; with `pressed`, the
// shape's outline shows again until the first move. False (and the
// selection ended) when no pixel of it lies in the picture.
bool Lift(Editor& editor, bool pressed) {
    EditorState& state = editor.state();
    RemoveOutline(editor);
    const core::MutableBmpView doc = editor.document();
    const core::MutableBmpView floating = Arena(editor).writeFloatImage(doc.fileSize());
    const edit::Box box = edit::LiftSelected(doc, editor.arena().mask(), floating, state.copyMode);
    if (box.empty()) {
        Finish(editor, state.savedTool);
        return false;
    }
    edit::CutToBox(floating, box);
    state.selection.position = {box.x0, box.y0};
    state.selection.size = {box.width(), box.height()};
    TakeBackground(editor);
    Claim(editor);
    if (pressed) editor.undoRing().replayAction(doc, editor.arena());
    state.toolMode = tool::SelectionFloating;
    return true;
}

// The tolerance of a grab: more image pixels at the small zooms, where one
// screen pixel covers several.
int GrabTolerance(const EditorState& state) {
    return std::max(0, 5 - int(state.zoomIndex)) + 1;
}

void StartDragging(Editor& editor) {
    SelectionState& s = editor.state().selection;
    s.dragging = true;
    s.reference = editor.pointerPoint();
    editor.state().stroke.buttonHeld = true;
}

// The mask of an outlined selection: its box, and pixels selected or not.
edit::Box SelectedBox(core::BmpView mask) {
    edit::Box box{mask.width(), mask.height(), -1, -1};
    for (uint32_t r = 0; r < mask.height(); ++r) {
        const uint8_t* m = mask.row(r);
        for (uint32_t x = 0; x < mask.width(); ++x, m += 3)
            if (core::LoadPixel(m) != edit::kOutsideKey) {
                box.x0 = std::min(box.x0, int(x));
                box.x1 = std::max(box.x1, int(x));
                box.y0 = std::min(box.y0, int(r));
                box.y1 = std::max(box.y1, int(r));
            }
    }
    return box;
}

// The commands of an outlined selection begin alike: an editable rectangle
// is committed, and nothing happens without an outlined selection.
bool OutlinedSelectionReady(Editor& editor) {
    CommitRectangle(editor);
    return editor.state().toolMode == tool::SelectionOutlined;
}

// Lifts the selected pixels (the picture keeping them when `keep`), cut to
// their box, and puts them on the clipboard.
void PublishSelected(Editor& editor, bool keep) {
    const core::MutableBmpView doc = editor.document();
    const core::MutableBmpView floating = Arena(editor).writeFloatImage(doc.fileSize());
    const edit::Box box = edit::LiftSelected(doc, editor.arena().mask(), floating, keep);
    if (box.empty()) return;
    edit::CutToBox(floating, box);
    editor.host().setClipboardPicture(floating);
}

}  // namespace

SelectionKind CurrentSelection(const Editor& editor) {
    switch (editor.state().toolMode) {
        case tool::SelectionOutlined:
            return SelectionKind::Outlined;
        case tool::SelectionFloating:
        case tool::SelectionPasted:
            return SelectionKind::Floating;
        default:
            return SelectionKind::None;
    }
}

void LiftSelection(Editor& editor) {
    if (editor.state().toolMode == tool::SelectionOutlined) Lift(editor, false);
}

core::MutableBmpView FloatingPixels(Editor& editor, size_t bytes) {
    const core::MutableBmpView floating =
        Arena(editor).writeFloatImage(std::max<size_t>(bytes, editor.arena().floatImage().fileSize()));
    Claim(editor);  // the selection's own pixels, changed on its behalf
    return floating;
}

void Recomposite(Editor& editor) {
    if (CurrentSelection(editor) != SelectionKind::Floating) return;
    if (!Intact(editor)) {
        Drop(editor);
        return;
    }
    // The floating pixels may have changed size (a quarter turn).
    editor.state().selection.size = {editor.arena().floatImage().width(), editor.arena().floatImage().height()};
    Composite(editor, true);
}

void RestoreUnderSelection(Editor& editor) {
    if (CurrentSelection(editor) != SelectionKind::Floating || !Intact(editor)) return;
    const core::MutableBmpView doc = editor.document();
    std::memcpy(doc.data(), editor.arena().background().data(), doc.fileSize());
}

void RetakeUnderSelection(Editor& editor) {
    if (CurrentSelection(editor) != SelectionKind::Floating) return;
    TakeBackground(editor);
    Claim(editor);
}

void EndSelection(Editor& editor) {
    EditorState& state = editor.state();
    const uint16_t mode = state.toolMode;
    if (mode == tool::SelectionOutlined) {
        RemoveOutline(editor);
        Finish(editor, state.savedTool);
    } else if (mode == tool::SelectionFloating || mode == tool::SelectionPasted) {
        Drop(editor);
    } else if ((mode & tool::SelectionBit) && (mode & tool::ActionUnderWay)) {
        // An outline still being drawn.
        RemoveOutline(editor);
        state.stroke.buttonHeld = false;
        Finish(editor, state.savedTool);
    }
}

void LayDownForUndo(Editor& editor) {
    if (CurrentSelection(editor) != SelectionKind::Floating) return;
    LayDown(editor);
    editor.state().selection.dragging = false;
}

// ---- the pointer in a selection state ----

void SelectionPress(Editor& editor) {
    EditorState& state = editor.state();
    SelectionState& s = state.selection;
    const edit::Point p = editor.pointerPoint();
    switch (state.toolMode) {
        case tool::SelectionOutlined: {
            const bool outside = p.x < editor.arena().mask().width() && p.y < editor.arena().mask().height() &&
                                 editor.arena().mask().at(uint32_t(p.x), uint32_t(p.y)) == edit::kOutsideKey;
            if (!Lift(editor, true)) return;
            if (outside) {
                // A press outside cancels: the picture as before the shape began.
                UndoCommand(editor);
                return;
            }
            StartDragging(editor);
            return;
        }
        case tool::SelectionFloating: {
            const int d = GrabTolerance(state);
            const bool near = p.x >= s.position.x - d && p.x <= s.position.x + s.size.x - 1 + d &&
                              p.y >= s.position.y - d && p.y <= s.position.y + s.size.y - 1 + d;
            if (near)
                StartDragging(editor);
            else
                Drop(editor);
            return;
        }
        case tool::SelectionPasted: {
            const bool inside = p.x >= s.position.x && p.x < s.position.x + s.size.x && p.y >= s.position.y &&
                                p.y < s.position.y + s.size.y;
            if (inside) {
                state.toolMode = tool::SelectionFloating;
                StartDragging(editor);
            } else {
                Drop(editor);
            }
            return;
        }
        default:
            return;
    }
}

void SelectionDrag(Editor& editor) {
    SelectionState& s = editor.state().selection;
    if (!s.dragging) return;
    const edit::Point p = editor.pointerPoint();
    s.position.x += p.x - s.reference.x;
    s.position.y += p.y - s.reference.y;
    s.reference = p;
    Recomposite(editor);
    editor.host().repaint(false);
}

void SelectionRelease(Editor& editor) {
    editor.state().selection.dragging = false;
}

// ---- commands ----

void CopyCommand(Editor& editor) {
    if (!OutlinedSelectionReady(editor)) return;
    RemoveOutline(editor);
    PublishSelected(editor, true);
    Finish(editor, editor.state().savedTool);
}

void CutCommand(Editor& editor) {
    if (!OutlinedSelectionReady(editor)) return;
    RemoveOutline(editor);
    PublishSelected(editor, editor.state().copyMode);
    edit::WhiteOut(editor.document(), editor.arena().mask(), true);
    Finish(editor, editor.state().savedTool);
}

void DeleteCommand(Editor& editor) {
    if (!OutlinedSelectionReady(editor)) return;
    RemoveOutline(editor);
    edit::WhiteOut(editor.document(), editor.arena().mask(), true);
    Finish(editor, editor.state().savedTool);
}

void CutOutCommand(Editor& editor) {
    if (!OutlinedSelectionReady(editor)) return;
    RemoveOutline(editor);
    edit::WhiteOut(editor.document(), editor.arena().mask(), false);
    Finish(editor, editor.state().savedTool);
}

void CropCommand(Editor& editor) {
    if (!OutlinedSelectionReady(editor)) return;
    RemoveOutline(editor);
    const edit::Box box = SelectedBox(editor.arena().mask());
    edit::WhiteOut(editor.document(), editor.arena().mask(), false);
    if (!box.empty()) edit::CutToBox(editor.document(), box);
    // The view of the smaller picture starts at its top-left.
    ViewLayout& layout = editor.state().layout;
    layout.horizontal.position = 0;
    layout.vertical.position = -1;
    editor.relayout();
    Finish(editor, editor.state().savedTool);
}

void SelectAllCommand(Editor& editor) {
    EditorState& state = editor.state();
    const core::MutableBmpView doc = editor.document();
    core::CopyForFloating(Arena(editor).writeFloatImage(doc.fileSize()), doc);
    if (!state.copyMode) core::FillWhite(doc, doc.fileSize());
    TakeBackground(editor);
    Claim(editor);
    state.selection.position = state.selection.reference = {0, 0};
    state.selection.size = {doc.width(), doc.height()};
    Composite(editor, true);
    state.savedTool = tool::None;
    state.toolMode = tool::SelectionFloating;
}

void PasteCommand(Editor& editor) {
    std::optional<core::BmpImage> picture = editor.host().clipboardPicture();
    if (!picture) return;  // nothing on the clipboard is a picture
    const core::BmpView pasted = picture->view();
    if (pasted.fileSize() > editor.arena().roomFrom(core::Region::FloatImage)) {
        editor.message(text::kTooLarge);
        return;
    }
    // The paste is a step of its own: undo takes it back alone.
    editor.takeSnapshot();
    EditorState& state = editor.state();
    std::memcpy(Arena(editor).writeFloat(pasted.fileSize()).data(), pasted.data(), pasted.fileSize());
    TakeBackground(editor);
    Claim(editor);
    state.selection.position = state.selection.reference = {0, 0};
    state.selection.size = {pasted.width(), pasted.height()};
    state.toolMode = tool::SelectionPasted;
    Composite(editor, true);
    editor.host().repaint(true);
}

}  // namespace zorva::shell
