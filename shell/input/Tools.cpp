// The drawing and selection tools under the pointer: strokes, rubber bands, the editable rectangle, polygons, fills.
#include "shell/input/Tools.h"

#include <algorithm>
#include <cstdlib>

#include "edit/FloodFill.h"
#include "shell/Editor.h"
#include "shell/commands/SegmentCommands.h"
#include "shell/commands/Selection.h"
#include "shell/view/Palette.h"

namespace zorva::shell {

namespace {

using edit::Ink;
using edit::Point;

bool Has(uint16_t mode, uint16_t bits) {
    return (mode & bits) == bits;
}

StrokeState& Stroke(Editor& editor) {
    return editor.state().stroke;
}

// The stroke is over: the button is up and no action is under way.
void EndStroke(Editor& editor) {
    Stroke(editor).buttonHeld = false;
    editor.state().toolMode &= uint16_t(~tool::ActionUnderWay);
}

// A rubber band: what the current action drew since its start goes, and the
// pen forgets its last stamp (those pixels are no longer drawn).
void RubberBand(Editor& editor) {
    editor.undoRing().rollBack(editor.document(), editor.arena());
    Stroke(editor).pen.forget();
}

void Line(Editor& editor, Ink ink, Point from, Point to) {
    StrokeState& s = Stroke(editor);
    s.pen.previous = from;
    edit::LineTo(s.pen, editor.canvas(ink), to);
}

// ---- pencil, brush, eraser ----
bool IsPen(uint16_t mode) {
    return mode & (tool::Pencil | tool::Brush | tool::Eraser);
}

void PenPress(Editor& editor) {
    EditorState& state = editor.state();
    const uint16_t mode = state.toolMode;
    state.penSize = mode & tool::Eraser ? state.eraserSize : mode & tool::Brush ? 8 : state.lineWidth;
    editor.beginStroke();
    Stroke(editor).pen.size = state.penSize;
    edit::Stamp(Stroke(editor).pen, editor.canvas(mode & tool::Eraser ? Ink::White : Ink::Colour),
                Stroke(editor).start);
}

void PenDrag(Editor& editor) {
    edit::LineTo(Stroke(editor).pen, editor.canvas(editor.state().toolMode & tool::Eraser ? Ink::White : Ink::Colour),
                 editor.pointerPoint());
}

// ---- line ----
void LinePress(Editor& editor) {
    editor.state().penSize = editor.state().lineWidth;
    editor.beginStroke();
    Stroke(editor).pen.size = editor.state().penSize;
    edit::Stamp(Stroke(editor).pen, editor.canvas(Ink::Colour), Stroke(editor).start);
}

void LineDrag(Editor& editor) {
    RubberBand(editor);
    Line(editor, Ink::Colour, Stroke(editor).start, editor.pointerPoint());
}

// ---- rectangle ----
// The grip a press at `p` takes on the rectangle with corners a and b, with
// tolerance d: a corner, one edge (of two opposite edges within reach, the
// one with the larger coordinate), the whole rectangle from inside, or
// nothing from farther outside.
RectangleGrip Grip(Point a, Point b, Point p, int d, int& corner) {
    const int x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
    const int y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    if (p.x < x0 - d || p.x > x1 + d || p.y < y0 - d || p.y > y1 + d) return RectangleGrip::None;
    const bool nearLeft = std::abs(p.x - x0) <= d, nearRight = std::abs(p.x - x1) <= d;
    const bool nearBottom = std::abs(p.y - y0) <= d, nearTop = std::abs(p.y - y1) <= d;
    if ((nearLeft || nearRight) && (nearBottom || nearTop)) {
        // Corners 0..3: (x0, y0), (x1, y0), (x1, y1), (x0, y1).
        const bool right = nearRight, top = nearTop;
        corner = right ? (top ? 2 : 1) : (top ? 3 : 0);
        return RectangleGrip::Corner;
    }
    if (nearRight) return RectangleGrip::RightEdge;
    if (nearLeft) return RectangleGrip::LeftEdge;
    if (nearTop) return RectangleGrip::TopEdge;
    if (nearBottom) return RectangleGrip::BottomEdge;
    return RectangleGrip::Whole;
}

void DrawRectangle(Editor& editor, Ink ink) {
    StrokeState& s = Stroke(editor);
    edit::RectangleEdges(s.pen, editor.canvas(ink), s.start, s.corner);
}

void RectanglePress(Editor& editor) {
    EditorState& state = editor.state();
    StrokeState& s = state.stroke;
    if (!s.rectangleEditable) {
        state.penSize = state.lineWidth;
        editor.beginStroke();
        s.pen.size = state.penSize;
        edit::Stamp(s.pen, editor.canvas(Ink::Colour), s.start);
        return;
    }
    // The tolerance grows at the small zooms and with the line's width.
    const int d = std::max(0, 5 - int(state.zoomIndex)) + ((state.lineWidth + 1) >> 1);
    s.grip = Grip(s.start, s.corner, editor.pointerPoint(), d, s.gripCorner);
    if (s.grip == RectangleGrip::None) {
        CommitRectangle(editor);  // the next press starts a new rectangle
        return;
    }
    // Normalised corners, so that the grip's corner numbers hold.
    const Point a = s.start, b = s.corner;
    s.start = {std::min(a.x, b.x), std::min(a.y, b.y)};
    s.corner = {std::max(a.x, b.x), std::max(a.y, b.y)};
    s.buttonHeld = true;
    state.toolMode |= tool::ActionUnderWay;
}

void RectangleDrag(Editor& editor) {
    StrokeState& s = Stroke(editor);
    const Point p = editor.pointerPoint();
    if (!s.rectangleEditable) {
        RubberBand(editor);
        s.corner = p;
        DrawRectangle(editor, Ink::Colour);
        return;
    }
    const PointerState& pointer = editor.state().pointer;
    const int dx = int(pointer.column()) - int(pointer.previousColumn());
    const int dy = int(pointer.pointerY) - int(pointer.previousY);
    Point& lo = s.start;
    Point& hi = s.corner;
    switch (s.grip) {
        case RectangleGrip::Corner:
            (s.gripCorner == 0 || s.gripCorner == 3 ? lo.x : hi.x) = p.x;
            (s.gripCorner <= 1 ? lo.y : hi.y) = p.y;
            break;
        case RectangleGrip::LeftEdge:
            lo.x = p.x;
            break;
        case RectangleGrip::RightEdge:
            hi.x = p.x;
            break;
        case RectangleGrip::BottomEdge:
            lo.y = p.y;
            break;
        case RectangleGrip::TopEdge:
            hi.y = p.y;
            break;
        case RectangleGrip::Whole:
            lo.x += dx;
            lo.y += dy;
            hi.x += dx;
            hi.y += dy;
            break;
        case RectangleGrip::None:
            return;
    }
    // While an edit is dragged the rectangle shows in the drawing colour.
    RubberBand(editor);
    DrawRectangle(editor, Ink::Colour);
}

void RectangleRelease(Editor& editor) {
    StrokeState& s = Stroke(editor);
    if (!s.rectangleEditable) s.corner = editor.pointerPoint();
    RubberBand(editor);
    DrawRectangle(editor, Ink::Outline);
    s.rectangleEditable = true;
    s.grip = RectangleGrip::None;
}

// ---- polygon ----
void PolygonPress(Editor& editor) {
    EditorState& state = editor.state();
    StrokeState& s = state.stroke;
    const Point p = editor.pointerPoint();
    if (!(state.toolMode & tool::ActionUnderWay)) {
        state.penSize = state.lineWidth;
        editor.beginStroke();
        s.pen.size = state.penSize;
        s.firstVertex = s.lastVertex = p;
    }
    s.buttonHeld = true;
    Line(editor, Ink::Colour, s.lastVertex, p);
}

void PolygonDrag(Editor& editor) {
    RubberBand(editor);
    Line(editor, Ink::Colour, Stroke(editor).lastVertex, editor.pointerPoint());
}

// The edge to the release point is drawn for good; later rubber bands keep it.
void PolygonRelease(Editor& editor, Ink ink) {
    StrokeState& s = Stroke(editor);
    RubberBand(editor);
    const Point p = editor.pointerPoint();
    Line(editor, ink, s.lastVertex, p);
    s.lastVertex = p;
    editor.undoRing().keepActionSoFar(editor.arena());
    s.buttonHeld = false;
}

// ---- selection tools ----
// The outline of a selection is closed: the mask's outside is marked and the
// selection is outlined.
void CloseSelection(Editor& editor) {
    edit::MarkOutside(editor.arena().writeMask(), editor.fillScratch());
    Stroke(editor).buttonHeld = false;
    editor.state().toolMode = tool::SelectionOutlined;
}

void SelectionToolPress(Editor& editor) {
    EditorState& state = editor.state();
    StrokeState& s = state.stroke;
    const uint16_t mode = state.toolMode;
    const Point p = editor.pointerPoint();
    if (Has(mode, tool::PolygonSelection) && (mode & tool::ActionUnderWay)) {
        s.buttonHeld = true;  // another vertex
        return;
    }
    state.penSize = 1;
    editor.beginStroke();
    s.pen.size = 1;
    s.firstVertex = s.lastVertex = p;
    if (Has(mode, tool::FreehandSelection)) edit::Stamp(s.pen, editor.canvas(Ink::FinalOutline), p);
}

void SelectionToolDrag(Editor& editor) {
    const uint16_t mode = editor.state().toolMode;
    StrokeState& s = Stroke(editor);
    const Point p = editor.pointerPoint();
    if (Has(mode, tool::RectangleSelection)) {
        RubberBand(editor);
        s.corner = p;
        DrawRectangle(editor, Ink::Outline);
    } else if (Has(mode, tool::PolygonSelection)) {
        RubberBand(editor);
        Line(editor, Ink::Outline, s.lastVertex, p);
    } else {
        edit::LineTo(s.pen, editor.canvas(Ink::FinalOutline), p);
    }
}

void SelectionToolRelease(Editor& editor) {
    const uint16_t mode = editor.state().toolMode;
    StrokeState& s = Stroke(editor);
    if (Has(mode, tool::RectangleSelection)) {
        RubberBand(editor);
        s.corner = editor.pointerPoint();
        DrawRectangle(editor, Ink::FinalOutline);
        CloseSelection(editor);
    } else if (Has(mode, tool::PolygonSelection)) {
        PolygonRelease(editor, Ink::FinalOutline);
    } else {
        // The freehand outline closes with a straight line back to its start.
        edit::LineTo(s.pen, editor.canvas(Ink::FinalOutline), editor.pointerPoint());
        edit::LineTo(s.pen, editor.canvas(Ink::FinalOutline), s.start);
        CloseSelection(editor);
    }
}

bool IsSelectionState(uint16_t mode) {
    return mode == tool::SelectionOutlined || mode == tool::SelectionFloating || mode == tool::SelectionPasted;
}

bool IsSelectionTool(uint16_t mode) {
    return (mode & tool::SelectionBit) && (mode & (tool::Pencil | tool::Rectangle | tool::Polygon));
}

}  // namespace

bool CommitRectangle(Editor& editor) {
    StrokeState& s = Stroke(editor);
    if (!s.rectangleEditable) return false;
    RubberBand(editor);
    DrawRectangle(editor, Ink::Colour);
    s.rectangleEditable = false;
    s.grip = RectangleGrip::None;
    EndStroke(editor);
    editor.host().repaint(true);
    return true;
}

void EditorTools::press(Editor& editor) {
    EditorState& state = editor.state();
    const uint16_t mode = state.toolMode;
    if (IsSelectionState(mode)) {
        SelectionPress(editor);
    } else if (mode & tool::SegmentSelection) {
        SegmentPickAt(editor, state.pointer.column(), state.pointer.pointerY);
        return;
    } else if (IsSelectionTool(mode)) {
        SelectionToolPress(editor);
    } else if (mode & tool::ColourPicker) {
        const Point p = editor.pointerPoint();
        const uint32_t bgr = editor.document().at(uint32_t(p.x), uint32_t(p.y));
        state.drawBlue = uint8_t(bgr);
        state.drawGreen = uint8_t(bgr >> 8);
        state.drawRed = uint8_t(bgr >> 16);
        editor.setStatus(status::Colour, ColourFieldRgb(state.drawRed, state.drawGreen, state.drawBlue));
        return;
    } else if (mode & tool::Fill) {
        editor.beginStroke();
        const uint32_t colour = uint32_t(state.drawRed) << 16 | uint32_t(state.drawGreen) << 8 | state.drawBlue;
        edit::FloodFill(editor.document(), editor.pointerPoint(), colour, editor.fillScratch());
    } else if (mode & tool::Rectangle) {
        RectanglePress(editor);
    } else if (mode & tool::Polygon) {
        PolygonPress(editor);
    } else if (mode & tool::Line) {
        LinePress(editor);
    } else if (IsPen(mode)) {
        PenPress(editor);
    } else {
        return;  // no tool (text, curve), or none chosen
    }
    editor.host().repaint(true);
}

void EditorTools::drag(Editor& editor) {
    EditorState& state = editor.state();
    const uint16_t mode = state.toolMode;
    StrokeState& s = state.stroke;
    // Drag steps run while the left button alone is held; the first event
    // that finds it no longer held ends the drag as a release would.
    if (!state.pointer.leftButtonAlone()) {
        if (s.buttonHeld) release(editor);
        return;
    }
    if (!s.buttonHeld) return;
    if (mode == tool::SelectionFloating) {
        SelectionDrag(editor);
        return;
    }
    if (IsSelectionTool(mode))
        SelectionToolDrag(editor);
    else if (mode & tool::Rectangle)
        RectangleDrag(editor);
    else if (mode & tool::Polygon)
        PolygonDrag(editor);
    else if (mode & tool::Line)
        LineDrag(editor);
    else if (IsPen(mode))
        PenDrag(editor);
    else
        return;  // the fill acts on the press alone
    // A rectangle being dragged is painted once it is redrawn whole.
    editor.host().repaint(false);
}

void EditorTools::release(Editor& editor) {
    EditorState& state = editor.state();
    const uint16_t mode = state.toolMode;
    StrokeState& s = state.stroke;
    if (!s.buttonHeld) return;
    if (mode == tool::SelectionFloating) {
        SelectionRelease(editor);
        s.buttonHeld = false;
        return;
    }
    if (IsSelectionTool(mode)) {
        SelectionToolRelease(editor);
    } else if (mode & tool::Rectangle) {
        RectangleRelease(editor);
        EndStroke(editor);
    } else if (mode & tool::Polygon) {
        PolygonRelease(editor, Ink::Colour);  // the polygon stays open until the right button
    } else if (mode & tool::Line) {
        LineDrag(editor);
        EndStroke(editor);
    } else {
        EndStroke(editor);
    }
    editor.host().repaint(true);
}

bool EditorTools::commitRectangle(Editor& editor) {
    return CommitRectangle(editor);
}

void EditorTools::removeSegment(Editor& editor) {
    SegmentRemove(editor);
}

void EditorTools::closePolygon(Editor& editor) {
    EditorState& state = editor.state();
    StrokeState& s = state.stroke;
    const bool selection = IsSelectionTool(state.toolMode);
    Line(editor, selection ? Ink::FinalOutline : Ink::Colour, s.lastVertex, s.firstVertex);
    if (selection)
        CloseSelection(editor);
    else
        EndStroke(editor);
    editor.host().repaint(true);
}

}  // namespace zorva::shell
