// "Повернуть": quarter turns, the half turn and the mirror of the picture or of the floating selection.
#pragma once

#include "edit/Rotate.h"

namespace zorva::shell {

class Editor;
struct DialogCommand;

// The dialog CONTROLS1 and the turn it chooses, run on "OK".
extern const DialogCommand kRotateCommand;
// CONTROLS1's turn buttons, the angle's arrows and its echo, its own OK and Отмена.
inline constexpr int kButtonLeft = 311;
inline constexpr int kButtonRight = 312;
inline constexpr int kButtonHalf = 313;
inline constexpr int kButtonMirror = 314;
inline constexpr int kButtonAngle = 315;
inline constexpr int kAngleUpDown = 304;
inline constexpr int kAngleEdit = 334;
inline constexpr int kRotateOkId = 316;
inline constexpr int kRotateCancelId = 317;

// Turns the floating selection (lifting an outlined one first) about its
// bottom-left corner, or else the whole picture.
void TurnSelectionOrPicture(Editor& editor, edit::Turn turn);

}  // namespace zorva::shell
