// The barcode commands: read an EAN symbol on the document and show it in the status bar and on the picture.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/BmpImage.h"
#include "core/WorkArena.h"
#include "recognize/Barcode.h"
#include "recognize/BarcodeChain.h"

namespace zorva::shell {

class Editor;

inline constexpr std::string_view kBarcodeLabel = "Штрих-код";
inline constexpr std::string_view kBarcodeNotFound = "********  ";
// The outline drawn around a code a library read, 0x00RRGGBB: pure green,
// clear against paper, ink and the yellow marks of the exact reader.
inline constexpr uint32_t kOutlineColour = 0x00FF00;

// Field 10 for a symbol: EAN-13 as its 13 digits and "+" (check digit
// agrees) or "-" (it does not, or the leading digit cannot be derived: "°"
// stands for it); EAN-8 as its 8 digits and six spaces.
std::string BarcodeText(const recognize::BarcodeReading& reading);
// Field 10 after a search: the symbol read, or eight asterisks and two spaces.
std::string BarcodeText(const recognize::BarcodeResult& result);
std::string BarcodeText(const recognize::ChainResult& result);

// How zorva-cli names the reader of a code: "part" (the program's own exact
// reader, the name scripts know it by), "zxing", "zbar", and
// "-" when nothing was read.
std::string_view BarcodeReaderName(recognize::BarcodeReader reader);

// Which readers a search runs: the chain (the menu command), or the exact
// reader alone (scripts: exactness tests and speed comparisons).
enum class BarcodeMethod { Chain, Strict };

// Reads `image` with the arena's BackgroundCopy region as the exact reader's
// work plane and PixelPlane as the libraries' grey plane (the arena carved
// for `image`), then shows on the picture what was read: the exact reader's
// yellow marks when no library read the code, the code's outline in
// kOutlineColour when one did.
recognize::ChainResult ReadAndMark(core::MutableBmpView image, core::WorkArena& arena,
                                   BarcodeMethod method = BarcodeMethod::Chain);

// Draws the closed polygon `outline` (a dot for one point, a segment for
// two) with a square pen `thickness` pixels wide (1 to 8) in `rgb`, clipped
// to the picture.
void DrawOutline(core::MutableBmpView image, std::span<const recognize::OutlinePoint> outline, uint32_t rgb,
                 int thickness);
// The outline's width on a width x height picture: 2 pixels, up to 8 on
// large photos so that it still shows when the whole photo is fitted to the
// window.
int OutlineThickness(uint32_t width, uint32_t height);

// The barcode commands' operations (the dispatcher takes the snapshot
// before and repaints after): write "Штрих-код" to field 9, read the
// document (the chain, or the exact reader alone), mark the picture, write
// the result to field 10 and "T(ms)=N" to field 11, and keep the reader's
// name in EditorState::lastReading. Do nothing without a document.
void RunBarcodeCommand(Editor& editor);
void RunStrictBarcodeCommand(Editor& editor);

}  // namespace zorva::shell
