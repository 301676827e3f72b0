// Plain state of the window kept in EditorState: view layout, scroll bars, pointer, palette and paint plans.
#pragma once

#include <cstdint>

#include "core/Rect.h"

namespace zorva::shell {

// A rectangle in target pixels (client area or printed page).
using core::Rect;

// One scroll bar: a separate 15-pixel control while present. Its range is
// 0..maximum with no page size.
struct ScrollBarState {
    bool present = false;
    int maximum = 0;
    // Survives layouts and documents; the next layout clamps it. The vertical
    // bar may hold -1, which the next layout turns into the maximum (the
    // bottom of the picture).
    int position = 0;
    Rect bounds;  // where the control sits while present
};

// The image area as the last layout left it (client width CW, CH the client
// height less the status bar; vb, hb 15 or 0 for the bars).
struct ViewLayout {
    ScrollBarState horizontal;
    ScrollBarState vertical;
    int viewWidth = 0;   // VW = CW - 25 - vb
    int viewHeight = 0;  // VH = CH - hb
    Rect repaint;        // x 25 .. CW - vb, y 0 .. VH
};

// The pointer in image coordinates, as every tool reads it.
struct PointerState {
    // PointerX: the column, with bit 15 (kNotLeftAlone) set unless the last
    // mouse message reported exactly the left button held. PointerY: the
    // stored row, counted from the bottom of the picture.
    uint16_t pointerX = 0;
    uint16_t pointerY = 0;
    uint16_t previousX = 0;
    uint16_t previousY = 0;

    static constexpr uint16_t kNotLeftAlone = 0x8000;
    static constexpr uint16_t kColumnBits = 0x7FFF;
    static constexpr uint16_t Column(uint16_t packedX) { return packedX & kColumnBits; }
    uint16_t column() const { return Column(pointerX); }
    uint16_t previousColumn() const { return Column(previousX); }
    bool leftButtonAlone() const { return !(pointerX & kNotLeftAlone); }
};

// The tool palette: which button the pointer is over and which tool is chosen.
struct PaletteState {
    int hovered = 0;             // 1..14, 0 = none (no label shown)
    int chosen = 0;              // 1..14, 0 before the first choice
    bool chosenPressed = false;  // the chosen button shows its pressed picture
};

// How the picture maps onto a paint target. The source rectangle (columns,
// and stored rows counted from the bottom) is stretched onto `dest`: its
// bottom row lands on the bottom edge of `dest`, higher rows go upward. Both
// rectangles may reach beyond the picture; only the covered part is drawn.
struct PaintPlan {
    bool draw = false;    // false: nothing to draw (no document, no room)
    bool smooth = false;  // averaging (25%, 50%, preview) instead of nearest pixel
    int sourceX = 0;
    int sourceY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    Rect dest;
};

}  // namespace zorva::shell
