// The labelling flood fill: 4-connected regions of one colour found in two passes over runs, with no stack.
#pragma once

#include <cstdint>
#include <vector>

#include "core/BmpImage.h"
#include "edit/Drawing.h"

namespace zorva::edit {

// A selection mask's outside: blue 255, green 255, red 0 (0x00RRGGBB).
inline constexpr uint32_t kOutsideKey = 0x00FFFF;

// Working memory of the fill, kept between fills so that they allocate
// nothing once it has grown to the picture's size.
struct FillScratch {
    std::vector<uint32_t> runs;      // start and end (exclusive) column of each run, in scan order
    std::vector<uint32_t> rowStart;  // the first run of each row, and one past the last run
    std::vector<uint32_t> parent;    // union-find over runs; node 0 stands for the outside
};

// The flood-fill tool: every pixel of the 4-connected region of the pixel at
// `seed` (pixels of exactly its colour; diagonal contact joins nothing)
// takes `colour` (0x00RRGGBB). False when `seed` lies outside the picture.
// The first pass finds the runs of that colour row by row and unites the
// runs that touch the run below; the second paints the runs of the seed's
// region.
bool FloodFill(core::MutableBmpView image, Point seed, uint32_t colour, FillScratch& scratch);

// Closes a selection: every white pixel of `mask` that reaches the border of
// the picture through white pixels (4-connected) becomes kOutsideKey; the
// outline (black) and what it encloses stay.
void MarkOutside(core::MutableBmpView mask, FillScratch& scratch);

}  // namespace zorva::edit
