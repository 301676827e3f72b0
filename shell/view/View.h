// The two views of the document: zoom lengths, layout of the image area and scroll bars, paint plans, pointer mapping.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "effects/Resample.h"
#include "shell/EditorState.h"
#include "shell/view/WindowState.h"

namespace zorva::shell {

class Editor;

inline constexpr int kPaletteWidth = 25;     // the tool strip at the left edge of the client area
inline constexpr int kStatusBarHeight = 20;  // the status bar at the bottom
inline constexpr int kScrollBarSize = 15;    // thickness of each scroll-bar control
inline constexpr int kPreviewMargin = 50;    // the preview fits into (CW - 50) x CH
inline constexpr int kZoomLevels = 8;
inline constexpr int kDefaultZoom = 3;  // 100%

// The zoom of ZoomIndex 1..8 in percent: 25, 50, 100, 200, 400, 600, 800, 1600.
int ZoomPercent(int zoomIndex);

// src(n): how many image pixels n screen pixels cover at `zoomIndex`. Above
// 100% the division rounds up by (zoom - 1) / zoom, except at 1600%, where
// n + 9 (not n + 15) is divided by 16: a 100-pixel view shows 6 pixels there.
int SourceLength(int zoomIndex, int n);

// ---- layout ----

// Lays out the image area of a client area `clientWidth` wide and
// `clientHeight` high (status bar excluded) for a `width` x `height` picture:
// decides the bars, their bounds, ranges and clamped positions, the view size
// and the repaint rectangle. Positions come from `previous` (the vertical -1
// becomes the maximum); a position is only clamped while its bar is present.
ViewLayout ComputeLayout(int clientWidth, int clientHeight, int zoomIndex, int width, int height,
                         const ViewLayout& previous);

// ---- painting ----

// Where the whole `width` x `height` picture goes in the preview of an area
// `areaWidth` x `areaHeight`: the largest equal scale that fits it into
// (areaWidth - 50) x areaHeight, upward as well as downward, its centre
// ((W + 1) / 2, (H + 1) / 2) on the area's centre. Empty when nothing fits.
Rect PreviewRect(int width, int height, int areaWidth, int areaHeight);

// The source-image view at the layout's zoom and scroll positions: the
// picture part src(VW) x src(VH) from the scroll positions onto the view
// rectangle at x = 25, y = 0, bottom-aligned.
PaintPlan SourceViewPlan(const ViewLayout& layout, int zoomIndex);

// The paint step of either view for a target `areaWidth` x `areaHeight`
// (client width and client height less the status bar, or a printed page).
// Painting the preview also ends any tool (ToolMode := 0) and removes the
// scroll bars; the source view keeps the layout's bars and sizes, whatever
// the target.
PaintPlan PlanPaint(EditorState& state, core::BmpView document, int areaWidth, int areaHeight);

// The part of plan.dest that picture pixels cover: a picture smaller than
// the view leaves the rest of the view to the background.
Rect CoveredRect(const PaintPlan& plan, int width, int height);

// Renders the part `area` of the plan's destination into `out`: pixels
// 0xFFRRGGBB, rows top-down, `outStride` pixels apart, out[0] being the
// top-left pixel of `area`. Only pixels inside CoveredRect(plan) are
// written. Nearest pixel, or averaging (blending when enlarged) for smooth
// plans: effects::Resample, summing by `route`.
void RenderPicture(core::BmpView document, const PaintPlan& plan, Rect area, uint32_t* out, int outStride,
                   effects::ResampleRoute route = effects::ResampleRoute::Fastest);

// ---- scrolling ----

enum class ScrollAxis { Horizontal, Vertical };
enum class ScrollAction { LineBack, LineForward, ThumbTrack, Other };

// A scroll-bar message: a line step moves one pixel within 0..maximum, thumb
// tracking takes the 16-bit thumb position, page steps and the rest do
// nothing. True when the position changed; the caller updates the bar and
// repaints the view without erasing.
bool Scroll(ViewLayout& layout, ScrollAxis axis, ScrollAction action, int thumbPosition = 0);
// The mouse wheel: moves a present bar by `imagePixels` (negative: back,
// toward the top or the left), within 0..maximum. True when it moved.
bool ScrollBy(ViewLayout& layout, ScrollAxis axis, int imagePixels);

// Ctrl+wheel or a touchpad's pinch over client point (x, y): the source view
// `steps` zoom levels up (or down, negative), within 25%..1600%, and the
// bars moved so that the picture pixel shown under (x, y) stays under it as
// far as they reach. From the preview the levels count from the one nearest
// the preview's scale. Repaints; false when nothing changed.
bool ZoomAt(Editor& editor, int x, int y, int steps);

// ---- pointer ----

// The image position under client point (x, y) of the image area (x >= 25):
// the column less one (never below 0) and the stored row at the current zoom
// and scroll positions, snapped to `GridStep`, kept inside the picture.
struct ImagePoint {
    int x = 0;
    int y = 0;
};
ImagePoint MapToImage(const EditorState& state, core::BmpView document, int x, int y);
// An image position (column, stored row; neither negative) snapped to
// `GridStep` and kept inside the picture, as every pointer position is.
ImagePoint SnapToPicture(const EditorState& state, core::BmpView document, ImagePoint p);

// A mouse message over the image area: maps the point, shifts PointerX and
// PointerY into their previous values, stores the new ones (bit 15 of
// PointerX set unless `leftButtonOnly`) and shows them in status fields 1
// and 2. Nothing without a document.
void MovePointer(Editor& editor, int x, int y, bool leftButtonOnly);
// The same for an image position already mapped (and snapped).
void PlacePointer(Editor& editor, ImagePoint p, bool leftButtonOnly);

}  // namespace zorva::shell
