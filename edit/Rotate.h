// Quarter turns, the half turn and the left-right mirror of a picture.
#pragma once

#include "core/BmpImage.h"

namespace zorva::edit {

enum class Turn { Right, Left, Half, Mirror };

// The file size of `source` turned: a quarter turn exchanges width and height.
uint32_t TurnedFileSize(core::BmpView source, Turn turn);

// Writes `source` turned into `dest` (header and pixels; dest needs
// TurnedFileSize bytes and must not overlap source). In stored coordinates
// (x from the left, y from the bottom row), for a W x H source, (x, y) goes
// to (y, W - 1 - x) turning right (clockwise), (H - 1 - y, x) turning left,
// (W - 1 - x, H - 1 - y) for the half turn and (W - 1 - x, y) for the mirror.
void TurnPicture(core::BmpView source, core::MutableBmpView dest, Turn turn);

}  // namespace zorva::edit
