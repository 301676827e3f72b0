// The colour-palette, segmentation, SVG export and segment-selection commands, and their zorva-cli OPs.
#pragma once

#include <cstdint>
#include <string_view>

#include "shell/dialogs/DialogCommand.h"

namespace zorva::shell {

class Editor;

// 40077 "цветовая палитра": dialog PALITRA, then median cut recolouring the
// picture; field 11 shows the time.
extern const DialogCommand kPaletteCommand;
// PALITRA's "256" and SEGMENT2's scale buttons "x10" and "x1".
inline constexpr int kButton256 = 205;
inline constexpr int kButtonX10 = 205;
inline constexpr int kButtonX1 = 206;
// 40021 "8-связная сегментация": dialog SEGMENT1, then SegmentEight; SegmentMode 1.
extern const DialogCommand kSegmentEightCommand;
// 40080 "4-связная медианного среза": dialog SEGMENT2, then SegmentMedianCut;
// SegmentMode 3; field 4 shows the segment count.
extern const DialogCommand kSegmentMedianCutCommand;
// 40050 "Векторный файл .svg": dialog SEG_MIN (8-connected map) or POGRESH
// (indexed map), then the SVG file beside the picture.
extern const DialogCommand kSvgExportCommand;
// How a median-cut segmentation of the document ended.
enum class MedianCutOutcome { Done, NoMemory, TooManySegments };

// Segments the document with SegmentMedianCut as the SEGMENT2 dialog's OK
// and recognition do: `colours` colours, segments of at most
// `minimumPoints` pixels folded, QuantiseFirst 1, SegmentMode 3; places the
// map and table in the arena and records the run in the state. `segments`
// receives K when Done; on failure no segmentation is present.
MedianCutOutcome SegmentDocumentMedianCut(Editor& editor, int colours, int minimumPoints, uint32_t& segments);

// Whether tracing writes the SVG file beside the picture: the caller says
// so (the export always; recognition as its own parameters want), never a
// flag another command left behind.
enum class SvgFile { Write, None };
enum class TraceResult { NoSegmentation, Traced, Written, NotWritten };

// Traces the current indexed segmentation into VectorData with the state's
// VectorFlags and, when asked, writes the SVG file beside the picture.
// NoSegmentation when no intact indexed segmentation of this picture is
// present. (Recognition runs its action named by the high byte of
// VectorFlags after it.)
TraceResult TraceCurrentSegmentation(Editor& editor, SvgFile svg);

// Writes `svg` as the picture's SVG file (its path with the extension
// "svg"); false when it could not be written or the picture has no file.
bool WriteSvgBesideThePicture(Editor& editor, std::string_view svg);

// 40046 "Выбор сегмента": actual-size view, ToolMode segment selection, nothing picked.
void EnterSegmentSelection(Editor& editor);
// Left button in segment selection at image position (x, y) (bit 15 of x is
// a flag and ignored): inverts the segment, fields 4, 6, 8, DrawColour.
void SegmentPickAt(Editor& editor, uint32_t x, uint32_t y);
// Right button in segment selection: paints the last picked segment white.
void SegmentRemove(Editor& editor);

}  // namespace zorva::shell
