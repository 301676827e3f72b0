// The selection as the effects see it. Until the selection tools arrive no selection is ever on the picture.
#include "shell/commands/Selection.h"

#include "shell/Editor.h"

namespace zorva::shell {

SelectionKind CurrentSelection(const Editor&) {
    return SelectionKind::None;
}

void LiftSelection(Editor&) {}

core::MutableBmpView FloatingPixels(Editor& editor) {
    return editor.document();
}

void Recomposite(Editor&) {}

void RestoreUnderSelection(Editor&) {}

void RetakeUnderSelection(Editor&) {}

void EndSelection(Editor&) {}

}  // namespace zorva::shell
