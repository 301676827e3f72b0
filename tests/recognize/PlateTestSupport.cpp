// Plate runs over plain vectors, and the shipped bases read from the sources.
#include "tests/recognize/PlateTestSupport.h"

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

recognize::PlateResult PlateRunner::run(core::MutableBmpView image, const recognize::SymbolBases& bases) {
    const uint32_t w = image.width(), h = image.height();
    means.assign(size_t(w) * h, 0);
    map.assign(size_t(w) * h, 0);
    table.assign(segment::SegmentWindowCapacity(w, h, {0, 0, uint16_t(w), uint16_t(h)}), {});
    recognize::PlateBuffers buffers;
    buffers.means = core::PackedPlane(means.data(), w, h);
    buffers.map = map.data();
    buffers.table = table;
    buffers.vectorsFor = [this](uint32_t) -> segment::WordBuffer& { return vectors; };
    return recognize::RecognisePlate(image, buffers, bases);
}

}  // namespace zorva::test
