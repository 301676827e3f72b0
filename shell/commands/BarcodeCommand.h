// The barcode command (40074): read an EAN symbol on the document and show it in the status bar.
#pragma once

#include <string>
#include <string_view>

#include "core/BmpImage.h"
#include "core/WorkArena.h"
#include "recognize/Barcode.h"

namespace zorva::shell {

class Editor;

inline constexpr std::string_view kBarcodeLabel = "Штрих-код";
inline constexpr std::string_view kBarcodeNotFound = "********  ";

// Field 10 for a symbol: EAN-13 as its 13 digits and "+" (check digit
// agrees) or "-" (it does not, or the leading digit cannot be derived: "°"
// stands for it); EAN-8 as its 8 digits and six spaces.
std::string BarcodeText(const recognize::BarcodeReading& reading);
// Field 10 after a search: the symbol read, or eight asterisks and two spaces.
std::string BarcodeText(const recognize::BarcodeResult& result);

// The barcode command's operation (the dispatcher takes the snapshot before
// and repaints after): writes "Штрих-код" to field 9, reads the document with
// BackgroundCopy as the work plane, paints the reader's marks yellow, writes
// the result to field 10 and "T(ms)=N" to field 11. Does nothing without a
// document.
void RunBarcodeCommand(Editor& editor);

// Reads `image` with the arena's BackgroundCopy region as the work plane
// (the arena carved for `image`) and paints the marks into it, as the
// command does.
recognize::BarcodeResult ReadAndMark(core::MutableBmpView image, core::WorkArena& arena);

}  // namespace zorva::shell
