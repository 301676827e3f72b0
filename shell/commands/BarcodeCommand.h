// The barcode command (40074): read an EAN symbol on the document and show it in the status bar.
#pragma once

#include <string>

#include "core/BmpImage.h"
#include "core/WorkArena.h"

namespace zorva::shell {

class Editor;

// The barcode command's operation (the dispatcher takes the snapshot before
// and repaints after): writes "Штрих-код" to field 9, reads the document with
// BackgroundCopy as the work plane, writes the result to field 10 and
// "T(ms)=N" to field 11. Does nothing without a document.
void RunBarcodeCommand(Editor& editor);

// The field-10 text for `image`, using the arena's BackgroundCopy region as
// the work plane; the arena must have been carved for `image`. Paints the
// middle-guard markers into `image` like the command does.
std::string ReadBarcodeText(core::MutableBmpView image, core::WorkArena& arena);

}  // namespace zorva::shell
