// The tool palette (14 buttons, hover labels, tool choice) and the 12-field status bar.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "shell/EditorState.h"
#include "shell/view/WindowState.h"

namespace zorva::shell {

class Editor;
class PointerTools;

inline constexpr int kToolCount = 14;
inline constexpr int kToolButtonSize = 25;                           // each button is 25 x 25, stacked from y = 0
inline constexpr int kPaletteHeight = kToolCount * kToolButtonSize;  // 350: below it nothing is hovered

// The tools, in palette order (index 1 at the top).
enum class ToolKind {
    FreehandSelection = 1,
    PolygonSelection,
    RectangleSelection,
    Eraser,
    Fill,
    ColourPicker,
    Zoom,
    Pencil,
    Brush,
    Text,
    Line,
    Curve,
    Rectangle,
    Polygon,
};

struct ToolInfo {
    ToolKind kind;
    std::string_view label;  // the hover label
    uint16_t toolMode;       // ToolMode set when the tool is chosen (0: the tool draws nothing)
    std::string_view name;   // its name in scripts ("tool:pencil")
};

// The 14 tools, index k - 1 for palette index k.
std::span<const ToolInfo> Tools();
// The tool of palette index k (1..14).
const ToolInfo& Tool(int k);

// The button under client y of the strip: y div 25 + 1 below 350, else 0.
int HoverIndex(int y);

// Where the label of tool k shows: x = 30, y = 10 + 25 * (k - 1), 70 x 15.
Rect ToolLabelRect(int k);

// The pointer over the palette strip (x < 25) at client y. Hovering needs a
// document (ToolMode bit 15 clear) and no action under way (ToolMode bit
// 0x2). Shows the label of the button under y, or none below the buttons,
// and repaints when that changes. True when the label changed.
bool HoverPalette(Editor& editor, int y);

// The pointer left the strip: the label goes. True when one was shown.
bool LeavePalette(Editor& editor);

// Chooses tool k (1..14): the button shows pressed, an editable rectangle is
// committed by `tools`, ToolMode takes the tool's value; the zoom tool opens
// the zoom dialog. Then, when the new ToolMode is not 0: the source view with
// its check mark, a new layout, status field 6 from DrawColour and a repaint.
void ChooseTool(Editor& editor, int k, PointerTools& tools);

// The commands marked B: the chosen button shows its released picture; the
// tool stays chosen.
void ShowChosenReleased(Editor& editor);

// ---- status bar ----

// The right edges of fields 0..11 in pixels.
std::span<const int, status::kFieldCount> StatusFieldEdges();

// Field 6 after the colour dialog and a tool choice: two upper-case hexadecimal
// digits each for blue, green and red ("0000FF" for pure red).
std::string ColourFieldBgr(uint8_t red, uint8_t green, uint8_t blue);
// Field 6 after the colour picker and segment selection: red, green, blue.
std::string ColourFieldRgb(uint8_t red, uint8_t green, uint8_t blue);

}  // namespace zorva::shell
