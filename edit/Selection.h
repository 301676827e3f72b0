// A selection's pixels: lifting them out of the picture by their mask, cutting them to their box, compositing them
// back.
#pragma once

#include <cstdint>

#include "core/BmpImage.h"
#include "edit/Drawing.h"

namespace zorva::edit {

// The smallest rectangle holding the selected pixels (columns x0..x1,
// stored rows y0..y1, inclusive); empty when nothing is selected.
struct Box {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    bool empty() const { return x1 < x0 || y1 < y0; }
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
};

// Lifts the pixels of `image` whose `mask` value is not the outside key into
// `floating`, a picture of the same size (pure white stored as blue 254 so
// it stays visible; unselected pixels pure white, the transparent colour).
// Unless `keep`, the lifted pixels turn pure white in `image`. Returns their
// box. `floating` needs the picture's file size.
Box LiftSelected(core::MutableBmpView image, core::BmpView mask, core::MutableBmpView floating, bool keep);

// Cuts a picture (a floating selection, or the document when it is cropped)
// down to `box`: its header takes the box's size, its rows are repacked with
// the padding of the new width.
void CutToBox(core::MutableBmpView floating, const Box& box);

// Paints the pixels whose mask value `selected` says (selected or not) pure
// white, and turns every other pure white pixel into blue 254: what delete,
// cut, cut out and crop leave behind.
void WhiteOut(core::MutableBmpView image, core::BmpView mask, bool selected);

// The picture with a floating selection on it: `background` copied over
// `image`, then `floating` drawn with its bottom-left pixel at (x, y),
// skipping pure white and everything outside the picture on all four sides;
// with `outline`, its bounding rectangle as a one-pixel XOR outline.
void Composite(core::MutableBmpView image, core::BmpView background, core::BmpView floating, Point at, bool outline);

// Inverts the top bit of each byte along the one-pixel outline of the
// rectangle from `a` to `b` (inclusive), clipped to the picture; doing it
// twice changes nothing.
void XorRectangle(core::MutableBmpView image, Point a, Point b);

}  // namespace zorva::edit
