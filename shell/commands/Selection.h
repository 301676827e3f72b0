// What effects and rotation need of a selection on the picture: which kind is there, its floating pixels, compositing.
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
// box, pure white transparent. Valid while a selection floats.
core::MutableBmpView FloatingPixels(Editor& editor);

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
// one loses its outline; no outline is ever left in the picture.
void EndSelection(Editor& editor);

}  // namespace zorva::shell
