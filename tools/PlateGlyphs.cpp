// Learns the plate typeface's glyphs from folders of generated plate photos named after their plates: every
// character of a plate the reader found and painted is sampled into a grid, and each symbol's mean grid is
// written as the text the plate check builds in (data/plate-glyphs.txt).
//   zorva_plate_glyphs FOLDER... BASES_FOLDER OUTPUT
#include "recognize/PlateGlyphs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ImageFiles.h"
#include "platform/PictureDecoder.h"
#include "recognize/LabelTables.h"
#include "recognize/Plate.h"
#include "segment/SegmentMedianCut.h"

namespace fs = std::filesystem;
using namespace zorva;

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: zorva_plate_glyphs FOLDER... BASES_FOLDER OUTPUT\n");
        return 2;
    }
    recognize::SymbolBases bases;
    for (int k = 1; k <= recognize::kSymbolBases; ++k) {
        const uint32_t capacity = recognize::kBaseCapacity[size_t(k - 1)];
        const std::optional<std::vector<uint8_t>> bytes =
            core::ReadWholeFile((fs::path(argv[argc - 2]) / recognize::BaseFileName(k)).string(),
                                size_t(capacity) * recognize::kSymbolRecordSize);
        if (!bytes) {
            std::fprintf(stderr, "%s: no symbol base %d\n", argv[argc - 2], k);
            return 1;
        }
        bases[size_t(k - 1)] = recognize::ParseBase(*bytes, capacity);
    }
    std::vector<fs::path> photos;
    for (int folder = 1; folder < argc - 2; ++folder)
        for (const fs::directory_entry& e : fs::directory_iterator(argv[folder]))
            if (e.path().extension() == ".jpg" && recognize::IsPlateText(e.path().stem().string()))
                photos.push_back(e.path());
    std::sort(photos.begin(), photos.end());

    std::vector<recognize::GlyphFeatures> sums(recognize::kPlateSymbols.size(), recognize::GlyphFeatures{});
    std::vector<int> counts(recognize::kPlateSymbols.size(), 0);
    int painted = 0;
    for (const fs::path& photo : photos) {
        shell::DecodeResult decoded = platform::DecodePicture(photo.string());
        if (decoded.status != shell::DecodeStatus::Ok) continue;
        const core::BmpView image = decoded.image.view();
        const uint32_t w = image.width(), h = image.height();
        std::vector<uint32_t> means(size_t(w) * h), map(size_t(w) * h);
        std::vector<segment::IndexedSegmentRecord> table(
            segment::SegmentWindowCapacity(w, h, {0, 0, uint16_t(w), uint16_t(h)}));
        recognize::PlateBuffers buffers;
        buffers.means = core::PackedPlane(means.data(), w, h);
        buffers.map = map.data();
        buffers.table = table;
        const recognize::PlateResult result = recognize::RecognisePlate(image, buffers, bases);
        if (!result.painted) continue;
        ++painted;
        const std::string name = photo.stem().string();
        // The main characters: the region's digits are smaller and drawn
        // with another stroke, and the region has a check of its own.
        for (size_t i = 0; i < recognize::kMainCharacters; ++i) {
            const uint32_t s = result.plateSlots.segment[i];
            if (s == 0) continue;
            const std::optional<recognize::GlyphFeatures> glyph =
                recognize::GlyphOf(map.data(), w, s, recognize::BoxOf(table[s]));
            if (!glyph) continue;
            const size_t n = *recognize::PlateSymbolIndex(name[i]);
            for (uint32_t c = 0; c < recognize::kGlyphCells; ++c) sums[n][c] += (*glyph)[c];
            ++counts[n];
        }
    }
    recognize::GlyphTemplates glyphs;
    std::string counted;
    for (size_t n = 0; n < sums.size(); ++n) {
        counted += recognize::kPlateSymbols[n];
        counted += ':' + std::to_string(counts[n]) + ' ';
        if (counts[n] == 0) continue;
        recognize::GlyphFeatures mean = sums[n];
        if (recognize::NormaliseGlyph(mean)) glyphs.set(recognize::kPlateSymbols[n], mean);
    }
    std::fprintf(stderr, "%d of %zu photos painted; samples %s\n", painted, photos.size(), counted.c_str());
    const std::string text = glyphs.text("Mean glyphs of " + std::to_string(painted) +
                                         " generated plates (tools/PlateGlyphs.cpp); samples " + counted);
    if (!core::WriteWholeFile(argv[argc - 1], text)) {
        std::fprintf(stderr, "%s: not written\n", argv[argc - 1]);
        return 1;
    }
    return 0;
}
