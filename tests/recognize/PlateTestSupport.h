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

// Runs RecognisePlate on `image` in buffers sized for it; the means, map
// and table of the last pass stay for the test to look at.
struct PlateRunner {
    recognize::PlateResult run(core::BmpView image, const recognize::SymbolBases& bases = ShippedBases());
    // Buffers for a `width` x `height` picture in the runner's vectors.
    recognize::PlateBuffers buffers(uint32_t width, uint32_t height);
    // How many pixels of the plate region the last pass's map gives to the
    // characters read.
    uint32_t characterPixels(const recognize::PlateResult& result, uint32_t width, uint32_t height) const;

    std::vector<uint32_t> means;
    std::vector<uint32_t> map;
    std::vector<segment::IndexedSegmentRecord> table;
};

}  // namespace zorva::test
