// Selections on the picture: lifting, moving, dropping, the clipboard commands, and what effects and rotation need of
// them.
#pragma once

#include "core/BmpImage.h"

namespace zorva::shell {

class Editor;

// The selection on the picture, as the effects see it. A pasted image that
// has not been grabbed yet counts as floating: it can be adjusted, turned,
// negated or made grey like any floating selection.
enum class SelectionKind {
    None,
    Outlined,  // its shape is known, its pixels still belong to the picture
    Floating,  // its pixels float in FloatImage over BackgroundCopy
};

SelectionKind CurrentSelection(const Editor& editor);

// Lifts an outlined selection: outline removed, pixels lifted into
// FloatImage (cut to their bounding box), the picture without them in
// BackgroundCopy; it floats from then on. Nothing for another kind.
void LiftSelection(Editor& editor);

// The floating pixels: FloatImage as a picture of the selection's bounding
// box, pure white transparent. Valid while a selection floats. `bytes`:
// how much of it will be written when that is more than its file size now
// (a quarter turn that pads its rows anew).
core::MutableBmpView FloatingPixels(Editor& editor, size_t bytes = 0);

// Composites the floating selection again at its place over BackgroundCopy,
// with its bounding-rectangle outline (after its pixels changed).
void Recomposite(Editor& editor);

// The picture under the floating selection back in the document, and the
// document taken anew as the picture under it (a blur of the floating
// pixels restores, blurs, then retakes).
void RestoreUnderSelection(Editor& editor);
void RetakeUnderSelection(Editor& editor);

// Ends the selection the way a press outside it would: a floating one is
// dropped into the picture (composited without its outline), an outlined
// one or one still being outlined loses its outline; no outline is ever
// left in the picture. Nothing without a selection.
void EndSelection(Editor& editor);

// Before undo: a floating selection is laid into the picture without its
// outline, so that the picture undo keeps for redo never shows one. The
// state is left for undo to reset.
void LayDownForUndo(Editor& editor);

// ---- the pointer in a selection state ----
// A left press while a selection is outlined (lifts it, or cancels it when
// the press is outside it), floats (grabs it within the tolerance, drops it
// otherwise) or waits pasted (grabs it inside, drops it otherwise).
void SelectionPress(Editor& editor);
// The pointer moved with the button held: a grabbed selection follows it.
void SelectionDrag(Editor& editor);
void SelectionRelease(Editor& editor);

// ---- commands ----
// 40007 "Копировать", 40008 "Вырезать", 40009 "Удалить", 40018 "Выкроить",
// 40013 "Обрезать": act on an outlined selection only, and end it.
void CopyCommand(Editor& editor);
void CutCommand(Editor& editor);
void DeleteCommand(Editor& editor);
void CutOutCommand(Editor& editor);
void CropCommand(Editor& editor);
// 40011 "Выделить все": the whole picture floats at (0, 0).
void SelectAllCommand(Editor& editor);
// 40025 "Вставить": the clipboard's picture waits in the bottom-left corner.
void PasteCommand(Editor& editor);

}  // namespace zorva::shell
