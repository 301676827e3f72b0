// The label-image walk of 8-connected segmentation and its simplification, one outline at a time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/BmpImage.h"

namespace zorva::segment {

// The label-image walk of 8-connected segmentation: the outline of the
// segment whose root `label` has its first pixel at (x, y), as corner points
// (x low, y high 16 bits), ending at that pixel's bottom-right corner (the
// polygon closes implicitly). `unitMoves` counts the edges walked. The walk
// stops after `pixels` + 19 upward moves or 4 x `pixels` + 4 moves at most.
void WalkLabelOutline(core::BmpView map, uint32_t label, uint32_t x, uint32_t y, uint32_t pixels,
                      std::vector<uint32_t>& corners, uint32_t& unitMoves);

// Its simplification: error `setting` (0 keeps every corner; 4 means
// (unitMoves + 1) / 128 + 1), deviation measured against |dx| + |dy|.
void SimplifyLabelOutline(std::span<const uint32_t> corners, uint32_t unitMoves, uint32_t setting,
                          std::vector<uint32_t>& out);

}  // namespace zorva::segment
