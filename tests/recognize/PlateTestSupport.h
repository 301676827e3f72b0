// A plate recognition with buffers of its own and the shipped symbol bases, for the plate tests.
#pragma once

#include <cstdint>
#include <vector>

#include "core/BmpImage.h"
#include "recognize/Plate.h"
#include "recognize/SymbolBase.h"
#include "segment/SegmentMedianCut.h"
#include "segment/VectorData.h"

namespace zorva::test {

// The bases of data/bases, as the program loads them from its folder.
const recognize::SymbolBases& ShippedBases();

// Runs RecognisePlate on `image` in buffers sized for it; the map, table
// and VectorData of the last pass stay for the test to look at.
struct PlateRunner {
    recognize::PlateResult run(core::MutableBmpView image, const recognize::SymbolBases& bases = ShippedBases());

    std::vector<uint32_t> means;
    std::vector<uint32_t> map;
    std::vector<segment::IndexedSegmentRecord> table;
    segment::WordBuffer vectors;
};

}  // namespace zorva::test
