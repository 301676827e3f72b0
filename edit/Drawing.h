// Square pen stamps, the fixed-point line and rectangle edges, with every changed pixel recorded in the pixel journal.
#pragma once

#include <array>
#include <cstdint>

#include "core/BmpImage.h"
#include "core/WorkArena.h"

namespace zorva::edit {

// A position in the picture: column from the left, stored row from the
// bottom. Shapes moved past the left or bottom edge give negative values.
struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// What a stamp does to the pixels it covers.
enum class Ink : uint8_t {
    Colour,        // the drawing colour
    White,         // the eraser: pure white
    Outline,       // each byte XOR 0x80: rubber bands of selections, the editable rectangle
    FinalOutline,  // the same on the picture, and black in the selection mask
};

// Where a stamp draws and how.
struct Canvas {
    core::MutableBmpView image;
    core::MutableBmpView mask;           // the selection mask, for Ink::FinalOutline
    core::WorkArena* journal = nullptr;  // every changed pixel is recorded there first
    Ink ink = Ink::Colour;
    uint32_t colour = 0;  // 0x00RRGGBB, for Ink::Colour
};

// The pen of one stroke: its size, the previous point of the line being
// drawn, and the pixels the last stamp covered (up to an 8 x 8 stamp).
struct Pen {
    static constexpr int kMaxSize = 8;
    int size = 1;
    Point previous;
    std::array<uint32_t, kMaxSize * kMaxSize> lastStamp{};  // byte offsets in the picture
    uint32_t lastCount = 0;

    // Forgets the last stamp: a new stroke, or a preview that was rolled back.
    void forget() { lastCount = 0; }
};

// Stamps a `pen.size` square at `at`: columns and rows at - size/2 ..
// at - size/2 + size - 1. Pixels outside the picture are skipped, and so are
// pixels the last stamp covered, so two overlapping stamps in a row never
// change a pixel twice (an XOR outline would cancel itself). Each changed
// pixel is recorded in the journal (its offset and old bytes) first.
void Stamp(Pen& pen, const Canvas& canvas, Point at);

// The line from pen.previous to `to`, one stamp per step along the longer
// axis with the shorter one in 16.16 fixed point rounded to nearest; the
// first stamp at the previous point, the last at `to`, which becomes the
// previous point. An endpoint left of or below the picture is moved to its
// edge on that axis; when both are, nothing is drawn on that axis.
void LineTo(Pen& pen, const Canvas& canvas, Point to);

// The four edges of the rectangle with opposite corners `a` and `b`, as one
// closed path from `a`; its last stamp, back at `a`, is left out when the
// first one covered it already, so an XOR outline keeps its corner.
void RectangleEdges(Pen& pen, const Canvas& canvas, Point a, Point b);

}  // namespace zorva::edit
