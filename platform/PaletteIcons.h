// The pictures of the 14 palette buttons, released and pressed, and the program's icon, drawn with QPainter.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zorva::platform {

// The 25 x 25 button of palette tool k (1..14), raised when released and
// sunken when pressed, at `pixelRatio` device pixels per pixel.
QPixmap ToolButtonPicture(int k, bool pressed, qreal pixelRatio = 1.0);

// The side of the illustration pictures of the dialogs.
inline constexpr int kIllustrationSize = 64;

// Illustration `number` of a dialog's picture box, kIllustrationSize square;
// an empty picture for 0 and for numbers without a picture.
QPixmap IllustrationPicture(int number, qreal pixelRatio = 1.0);

// The window's icon: a framed photo under a magnifying lens.
QIcon ProgramIcon();

}  // namespace zorva::platform
