// "Повернуть": quarter turns, the half turn and the mirror of the picture or of the floating selection.
#pragma once

#include "edit/Rotate.h"

namespace zorva::shell {

class Editor;
struct DialogCommand;

// The dialog CONTROLS1 and the turn it chooses, run on "OK".
extern const DialogCommand kRotateCommand;

// Turns the floating selection (lifting an outlined one first) about its
// bottom-left corner, or else the whole picture.
void TurnSelectionOrPicture(Editor& editor, edit::Turn turn);

}  // namespace zorva::shell
