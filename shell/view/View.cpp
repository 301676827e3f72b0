// Zoom lengths, the layout of the image area and its scroll bars, paint plans and the pointer mapping.
#include "shell/view/View.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "effects/Resample.h"
#include "shell/Editor.h"

namespace zorva::shell {

int ZoomPercent(int zoomIndex) {
    static constexpr int kPercent[kZoomLevels] = {25, 50, 100, 200, 400, 600, 800, 1600};
    if (zoomIndex < 1 || zoomIndex > kZoomLevels) return 100;
    return kPercent[zoomIndex - 1];
}

int SourceLength(int zoomIndex, int n) {
    switch (zoomIndex) {
        case 1:
            return 4 * n;
        case 2:
            return 2 * n;
        case 4:
            return (n + 1) / 2;
        case 5:
            return (n + 3) / 4;
        case 6:
            return (n + 5) / 6;
        case 7:
            return (n + 7) / 8;
        case 8:
            return (n + 9) / 16;  // the table's own rounding, kept: 100 screen pixels show 6 image pixels
        default:
            return n;  // 3: 100%
    }
}

// ---- layout ----

ViewLayout ComputeLayout(int clientWidth, int clientHeight, int zoomIndex, int width, int height,
                         const ViewLayout& previous) {
    ViewLayout layout;
    ScrollBarState& hbar = layout.horizontal;
    ScrollBarState& vbar = layout.vertical;
    hbar.position = previous.horizontal.position;
    vbar.position = previous.vertical.position;
    const int cw = clientWidth;
    const int ch = clientHeight;

    // Whether the picture is wider than the view decides the first guess at
    // the horizontal bar; the vertical bar is judged against the height that
    // guess leaves; then the horizontal bar is judged again against the width
    // the vertical bar leaves, so a vertical bar can bring in a horizontal one.
    const int hb0 = SourceLength(zoomIndex, cw - kPaletteWidth) < width ? kScrollBarSize : 0;
    const int vb = SourceLength(zoomIndex, ch - hb0) < height ? kScrollBarSize : 0;
    int hb = 0;
    if (SourceLength(zoomIndex, cw - kPaletteWidth - vb) < width) {
        hb = kScrollBarSize;
        hbar.present = true;
        hbar.bounds = Rect{kPaletteWidth, ch - kScrollBarSize, cw - kPaletteWidth - vb, kScrollBarSize};
    }
    layout.viewHeight = ch - hb;
    layout.viewWidth = cw - kPaletteWidth - vb;
    if (vb != 0) {
        vbar.present = true;
        vbar.bounds = Rect{cw - kScrollBarSize, 0, kScrollBarSize, layout.viewHeight};
    }

    if (hbar.present) {
        hbar.maximum = width - SourceLength(zoomIndex, layout.viewWidth);
        if (hbar.position > hbar.maximum) hbar.position = hbar.maximum;
    }
    if (vbar.present) {
        vbar.maximum = height - SourceLength(zoomIndex, layout.viewHeight);
        if (vbar.position == -1 || vbar.position > vbar.maximum) vbar.position = vbar.maximum;
    }
    layout.repaint = Rect{kPaletteWidth, 0, layout.viewWidth, layout.viewHeight};
    return layout;
}

// ---- painting ----

namespace {

// a * num / den rounded to nearest, for non-negative a and positive num, den.
int ScaleRound(int64_t a, int64_t num, int64_t den) {
    return int((2 * a * num + den) / (2 * den));
}

}  // namespace

Rect PreviewRect(int width, int height, int areaWidth, int areaHeight) {
    const int fitWidth = areaWidth - kPreviewMargin;
    const int fitHeight = areaHeight;
    if (width <= 0 || height <= 0 || fitWidth <= 0 || fitHeight <= 0) return Rect{};
    // The isotropic scale num / den: whichever side meets its limit first.
    int64_t num = fitWidth;
    int64_t den = width;
    if (int64_t(fitWidth) * height > int64_t(fitHeight) * width) {
        num = fitHeight;
        den = height;
    }
    const int centreX = (areaWidth + 1) / 2;
    const int centreY = (areaHeight + 1) / 2;
    Rect r;
    r.x = centreX - ScaleRound((width + 1) / 2, num, den);
    r.y = centreY - ScaleRound((height + 1) / 2, num, den);
    r.width = ScaleRound(width, num, den);
    r.height = ScaleRound(height, num, den);
    if (r.empty()) return Rect{};
    return r;
}

PaintPlan SourceViewPlan(const ViewLayout& layout, int zoomIndex) {
    PaintPlan plan;
    plan.smooth = zoomIndex == 1 || zoomIndex == 2;
    plan.sourceX = layout.horizontal.present ? layout.horizontal.position : 0;
    // Position 0 is the top of the picture; rows count from the bottom.
    plan.sourceY = layout.vertical.present ? layout.vertical.maximum - layout.vertical.position : 0;
    plan.sourceWidth = SourceLength(zoomIndex, layout.viewWidth);
    plan.sourceHeight = SourceLength(zoomIndex, layout.viewHeight);
    plan.dest = Rect{kPaletteWidth, 0, layout.viewWidth, layout.viewHeight};
    plan.draw = plan.sourceWidth > 0 && plan.sourceHeight > 0 && !plan.dest.empty();
    return plan;
}

PaintPlan PlanPaint(EditorState& state, core::BmpView document, int areaWidth, int areaHeight) {
    if (!document.valid()) return PaintPlan{};
    if (state.viewMode != CommandId::Preview) return SourceViewPlan(state.layout, state.zoomIndex);

    // No tool works in the preview, and it has no scroll bars.
    state.toolMode = tool::None;
    state.layout.horizontal.present = false;
    state.layout.vertical.present = false;
    PaintPlan plan;
    plan.smooth = true;
    plan.sourceWidth = document.width();
    plan.sourceHeight = document.height();
    plan.dest = PreviewRect(document.width(), document.height(), areaWidth, areaHeight);
    plan.draw = !plan.dest.empty();
    return plan;
}

namespace {

effects::Stretch StretchOf(const PaintPlan& plan) {
    return {plan.smooth, plan.sourceX, plan.sourceY, plan.sourceWidth, plan.sourceHeight, plan.dest};
}

}  // namespace

Rect CoveredRect(const PaintPlan& plan, int width, int height) {
    if (!plan.draw) return Rect{};
    return effects::CoveredArea(StretchOf(plan), width, height);
}

void RenderPicture(core::BmpView document, const PaintPlan& plan, Rect area, uint32_t* out, int outStride,
                   effects::ResampleRoute route) {
    if (!plan.draw) return;
    effects::Resample(document, StretchOf(plan), area, out, outStride, route);
}

// ---- scrolling ----

bool Scroll(ViewLayout& layout, ScrollAxis axis, ScrollAction action, int thumbPosition) {
    ScrollBarState& bar = axis == ScrollAxis::Horizontal ? layout.horizontal : layout.vertical;
    const int before = bar.position;
    switch (action) {
        case ScrollAction::LineBack:
            if (bar.position > 0) --bar.position;
            break;
        case ScrollAction::LineForward:
            if (bar.position < bar.maximum) ++bar.position;
            break;
        case ScrollAction::ThumbTrack:
            bar.position = thumbPosition & 0xFFFF;
            break;
        case ScrollAction::Other:
            break;
    }
    return bar.position != before;
}

bool ScrollBy(ViewLayout& layout, ScrollAxis axis, int imagePixels) {
    ScrollBarState& bar = axis == ScrollAxis::Horizontal ? layout.horizontal : layout.vertical;
    if (!bar.present) return false;
    const int before = bar.position;
    bar.position = std::clamp(bar.position + imagePixels, 0, bar.maximum);
    return bar.position != before;
}

namespace {

int64_t FloorDivide(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

bool ZoomAt(Editor& editor, int x, int y, int steps) {
    if (!editor.hasDocument()) return false;
    EditorState& state = editor.state();
    const core::BmpView document = editor.document();
    const int width = document.width();
    const int height = document.height();
    // The pixel shown under (x, y): the renderer's nearest-pixel rule, the
    // source offset floor(d * sourceLength / destLength) from the plan's
    // left (columns) and bottom (rows) edges.
    PaintPlan plan;
    int base = state.zoomIndex;
    if (state.viewMode == CommandId::Preview) {
        plan.sourceWidth = width;
        plan.sourceHeight = height;
        plan.dest = PreviewRect(width, height, state.clientWidth, state.clientHeight);
        if (plan.dest.empty()) return false;
        // The level nearest the preview's scale (in ratio: levels are steps of 2 and 1.5).
        const double scale = double(plan.dest.width) / width;
        double best = 1e9;
        for (int level = 1; level <= kZoomLevels; ++level) {
            const double ratio = std::abs(std::log(ZoomPercent(level) / 100.0 / scale));
            if (ratio < best) best = ratio, base = level;
        }
    } else {
        plan = SourceViewPlan(state.layout, state.zoomIndex);
        if (!plan.draw) return false;
    }
    const int column = plan.sourceX + int(FloorDivide(int64_t(x - plan.dest.x) * plan.sourceWidth, plan.dest.width));
    const int fromBottom = plan.dest.bottom() - 1 - y;
    const int row = plan.sourceY + int(FloorDivide(int64_t(fromBottom) * plan.sourceHeight, plan.dest.height));

    const int zoom = std::clamp(base + steps, 1, kZoomLevels);
    if (zoom == state.zoomIndex && state.viewMode == CommandId::SourceView) return false;
    state.zoomIndex = uint8_t(zoom);
    state.viewMode = CommandId::SourceView;
    editor.relayout();
    ViewLayout& layout = state.layout;
    // The new start whose offset d lands on the same pixel: start + floor(d * s') = pixel.
    const int d = x - kPaletteWidth;
    ScrollBarState& h = layout.horizontal;
    if (h.present) {
        const int64_t start = column - FloorDivide(int64_t(d) * SourceLength(zoom, layout.viewWidth), layout.viewWidth);
        h.position = int(std::clamp<int64_t>(start, 0, h.maximum));
    }
    ScrollBarState& v = layout.vertical;
    if (v.present) {
        const int64_t dy = layout.viewHeight - 1 - y;
        const int64_t start = row - FloorDivide(dy * SourceLength(zoom, layout.viewHeight), layout.viewHeight);
        // Position 0 shows the top: the bottom row shown is maximum - position.
        v.position = int(std::clamp<int64_t>(v.maximum - start, 0, v.maximum));
    }
    editor.host().repaint(true);
    return true;
}

// ---- pointer ----

ImagePoint MapToImage(const EditorState& state, core::BmpView document, int x, int y) {
    const ViewLayout& layout = state.layout;
    const int zoom = state.zoomIndex;
    int ix = SourceLength(zoom, x - kPaletteWidth) + (layout.horizontal.present ? layout.horizontal.position : 0) - 1;
    if (ix < 0) ix = 0;
    int iy = SourceLength(zoom, layout.viewHeight - y) +
             (layout.vertical.present ? layout.vertical.maximum - layout.vertical.position : 0);
    // Below the view (possible in the preview, which has no bars) the row
    // would go negative; the bottom row is the nearest one in the picture.
    if (iy < 0) iy = 0;
    return SnapToPicture(state, document, {ix, iy});
}

ImagePoint SnapToPicture(const EditorState& state, core::BmpView document, ImagePoint p) {
    int ix = p.x;
    int iy = p.y;
    if (const int s = state.gridStep; s != 0) {
        ix = (PointerState::Column(uint16_t(ix)) + s / 2) / s * s;
        iy = (PointerState::Column(uint16_t(iy)) + s / 2) / s * s;
    }
    if (!document.valid()) return ImagePoint{ix, iy};
    // Keep the point inside the picture. A column is past the right edge when
    // its three bytes would reach the row's padding or beyond.
    const int w = document.width();
    const int h = document.height();
    if (3 * (ix + 1) >= int(document.stride())) ix = w - 1;
    // Rows: every row above the top one becomes the top row, however narrow
    // the picture (a comparison of byte offsets with the file size would let
    // a few rows through on pictures narrower than 18 pixels).
    if (iy >= h) iy = h - 1;
    return ImagePoint{ix, iy};
}

void MovePointer(Editor& editor, int x, int y, bool leftButtonOnly) {
    if (!editor.hasDocument()) return;
    PlacePointer(editor, MapToImage(editor.state(), editor.document(), x, y), leftButtonOnly);
}

void PlacePointer(Editor& editor, ImagePoint p, bool leftButtonOnly) {
    PointerState& pointer = editor.state().pointer;
    pointer.previousX = pointer.pointerX;
    pointer.previousY = pointer.pointerY;
    pointer.pointerX = uint16_t(p.x | (leftButtonOnly ? 0 : PointerState::kNotLeftAlone));
    pointer.pointerY = uint16_t(p.y);
    editor.setStatus(status::PointerX, std::to_string(p.x));
    editor.setStatus(status::PointerY, std::to_string(p.y));
}

}  // namespace zorva::shell
