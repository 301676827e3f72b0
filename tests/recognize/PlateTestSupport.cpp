// Plate runs over plain vectors, and the shipped bases read from the sources.
#include "tests/recognize/PlateTestSupport.h"

#include <algorithm>

#include "tests/support/TestSupport.h"

namespace zorva::test {

const recognize::SymbolBases& ShippedBases() {
    static const recognize::SymbolBases bases = [] {
        recognize::SymbolBases loaded;
        for (int k = 1; k <= recognize::kSymbolBases; ++k) {
            const std::vector<uint8_t> bytes = ReadBytes(SourceDir() + "/data/bases/" + recognize::BaseFileName(k));
            loaded[size_t(k - 1)] = recognize::ParseBase(bytes, recognize::kBaseCapacity[size_t(k - 1)]);
        }
        return loaded;
    }();
    return bases;
}

recognize::PlateBuffers PlateRunner::buffers(uint32_t width, uint32_t height) {
    means.assign(size_t(width) * height, 0);
    map.assign(size_t(width) * height, 0);
    table.assign(segment::SegmentWindowCapacity(width, height, {0, 0, uint16_t(width), uint16_t(height)}), {});
    recognize::PlateBuffers buffers;
    buffers.means = core::PackedPlane(means.data(), width, height);
    buffers.map = map.data();
    buffers.table = table;
    // No room given for VectorData: every pass traces into a block of its own.
    return buffers;
}

recognize::PlateResult PlateRunner::run(core::BmpView image, const recognize::SymbolBases& bases) {
    return recognize::RecognisePlate(image, buffers(image.width(), image.height()), bases);
}

uint32_t PlateRunner::characterPixels(const recognize::PlateResult& result, uint32_t width, uint32_t height) const {
    const recognize::PlateRegion& r = result.region;
    uint32_t count = 0;
    for (uint32_t y = r.bottom; y <= std::min<uint32_t>(r.top, height - 1); ++y)
        for (uint32_t x = r.left; x <= std::min<uint32_t>(r.right, width - 1); ++x) {
            const uint32_t label = segment::ValueLabel(map[size_t(y) * width + x]);
            if (label != 0 && std::find(result.plateSlots.segment.begin(), result.plateSlots.segment.end(), label) !=
                                  result.plateSlots.segment.end())
                ++count;
        }
    return count;
}

}  // namespace zorva::test
