// Creating a symbol base, comparing a photo with a base, and the dominant-colour report: commands and report texts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "recognize/Comparison.h"
#include "recognize/ObjectColours.h"

namespace zorva::shell {

class Editor;

// What a comparison shows for a segment whose base names no record (an
// empty base): no symbol, and the distance the search starts from.
inline constexpr std::string_view kNoSymbol = "*";
inline constexpr uint32_t kNoDistance = 0x7FFFFFFF;

// The file beside the picture: `picture` with the extension of its file name
// replaced by `suffix` (".zdb", "_SB.txt", ".txt"); a name without an
// extension gets the suffix appended.
std::string BesideThePicture(std::string_view picture, std::string_view suffix);

// The comparison report in UTF-8, two lines per segment: CR LF, "сегмент",
// the segment number in four digits (more when it needs them), four spaces,
// thirty "#", CR LF; then the symbol of base k's best record (kNoSymbol
// without one), two spaces, "Погреш=" and the distance, " Длина=" and the
// outline length, each as eight upper-case hexadecimal digits, a space, CR LF.
std::string ComparisonReport(std::span<const recognize::SegmentComparison> found, int k);

// The colour report: one line of 32 bytes per entry, the colour RRGGBB, four
// double quotes, H, S and V as two hexadecimal digits each, four double
// quotes, the pixel count in eight, two double quotes, CR LF.
std::string ColourReport(const recognize::DominantColourList& colours);

// 40088 "Создание базы" (the dispatcher takes the snapshot and repaints):
// segments the document as silhouettes (2 colours, segments of up to 5
// pixels folded), traces it with VectorFlags 0x8001 and writes its SVG, then
// writes one SymbolRecord per segment 2..K to the picture's ".zdb" file and
// the segment count to field 4. A file that cannot be written is told.
void MakeBaseCommand(Editor& editor);

// 40089..40091 "с базой1".."с базой3": takes its own snapshot, segments and
// traces as base creation does (VectorFlags 0x4001, SVG written), writes
// the "_SB.txt" report of every segment's nearest record of base k, then
// the time to field 11 and the segment count to field 4, and repaints.
void CompareWithBaseCommand(Editor& editor, int k);

// 40075 "Объекта" (the dispatcher takes the snapshot and repaints):
// posterises the document, draws the strip of its dominant colours and
// writes the ".txt" colour report; no status output.
void ObjectColoursCommand(Editor& editor);

}  // namespace zorva::shell
