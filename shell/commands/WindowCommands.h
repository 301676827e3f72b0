// Commands of the window itself: zoom, colour and printing.
#pragma once

#include "shell/dialogs/DialogCommand.h"

namespace zorva::shell {

class Editor;

// The zoom dialog "CONTROLS3": before it opens, the source view with its
// check mark, a new layout and a repaint. Its radios ZoomRadio(1..8) ("25%"
// .. "1600%") set ZoomIndex at once, lay the view out again and repaint,
// leaving the dialog open; "OK" (kZoomOkId) and the close box end it with a
// repaint. There is no Cancel.
extern const DialogCommand kZoomCommand;
// CONTROLS3's radios, one per zoom step from "25%" (ZoomIndex 1) to "1600%"
// (ZoomIndex 8), and its OK.
constexpr int ZoomRadio(int zoomIndex) {
    return 250 + zoomIndex - 1;
}
inline constexpr int kZoomOkId = 258;
// 40004 "&Масштаб" and the zoom tool.
void OpenZoomDialog(Editor& editor);

// 40015 "Цвет": the colour dialog's choice becomes DrawColour, shown in
// field 6 blue first. Cancel keeps the colour the user had.
void ChooseColourCommand(Editor& editor);

// 40006 "Печать": the document on one page through the screen's paint
// routine, the page in place of the client area.
void PrintCommand(Editor& editor);

}  // namespace zorva::shell
