// Learns the plate typeface's glyphs from folders of generated plate photos named after their plates: every
// character of a plate the reader found and painted is sampled into a grid, each symbol's grids are
// grouped into at most K kinds (faces and looks; 1: one mean of all), and the mean grid of each kind is
// written as the text the plate check builds in (data/plate-glyphs.txt).
//   zorva_plate_glyphs [--kinds K] FOLDER... BASES_FOLDER OUTPUT
#include "recognize/PlateGlyphs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/ImageFiles.h"
#include "platform/PictureDecoder.h"
#include "recognize/LabelTables.h"
#include "recognize/Plate.h"
#include "segment/SegmentMedianCut.h"

namespace fs = std::filesystem;
using namespace zorva;

namespace {

// A kind with fewer samples is left out: its mean would be one plate's look.
constexpr size_t kLeastSamples = 8;

// The normalised mean of `samples[i]` for the i in `members`.
std::optional<recognize::GlyphFeatures> MeanOf(const std::vector<recognize::GlyphFeatures>& samples,
                                               const std::vector<size_t>& members) {
    recognize::GlyphFeatures mean{};
    for (const size_t i : members)
        for (uint32_t c = 0; c < recognize::kGlyphCells; ++c) mean[c] += samples[i][c];
    if (members.empty() || !recognize::NormaliseGlyph(mean)) return std::nullopt;
    return mean;
}

// The samples of one symbol grouped into at most `k` kinds: the first glyph
// is the mean of all, each next one starts from the samples least like the
// glyphs so far; then, ten times over, every sample goes to the glyph it
// correlates with best and each glyph becomes its samples' mean.
std::vector<recognize::GlyphFeatures> Kinds(const std::vector<recognize::GlyphFeatures>& samples, size_t k) {
    std::vector<size_t> all(samples.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    std::vector<recognize::GlyphFeatures> glyphs;
    if (const std::optional<recognize::GlyphFeatures> mean = MeanOf(samples, all)) glyphs.push_back(*mean);
    const auto nearest = [&](const recognize::GlyphFeatures& sample, float& likeness) {
        size_t best = 0;
        likeness = -2;
        for (size_t g = 0; g < glyphs.size(); ++g)
            if (const float c = recognize::GlyphCorrelation(sample, glyphs[g]); c > likeness) likeness = c, best = g;
        return best;
    };
    while (!glyphs.empty() && glyphs.size() < k) {
        // The next kind starts as the mean of the half of the samples least
        // like the glyphs so far.
        std::vector<std::pair<float, size_t>> unlike;
        for (size_t i = 0; i < samples.size(); ++i) {
            float likeness = 0;
            nearest(samples[i], likeness);
            unlike.emplace_back(likeness, i);
        }
        std::sort(unlike.begin(), unlike.end());
        std::vector<size_t> half;
        for (size_t i = 0; i < unlike.size() / 2; ++i) half.push_back(unlike[i].second);
        const std::optional<recognize::GlyphFeatures> start = MeanOf(samples, half);
        if (!start || half.size() < kLeastSamples) break;
        glyphs.push_back(*start);
        for (int round = 0; round < 10; ++round) {
            std::vector<std::vector<size_t>> members(glyphs.size());
            for (size_t i = 0; i < samples.size(); ++i) {
                float likeness = 0;
                members[nearest(samples[i], likeness)].push_back(i);
            }
            std::vector<recognize::GlyphFeatures> next;
            for (const std::vector<size_t>& kind : members)
                if (kind.size() >= kLeastSamples)
                    if (const std::optional<recognize::GlyphFeatures> mean = MeanOf(samples, kind))
                        next.push_back(*mean);
            if (next.size() < glyphs.size()) return next.empty() ? glyphs : next;
            glyphs = std::move(next);
        }
    }
    return glyphs;
}

}  // namespace

int main(int argc, char** argv) {
    size_t kinds = 1;
    if (argc > 2 && std::string(argv[1]) == "--kinds") {
        kinds = size_t(std::max(1, std::atoi(argv[2])));
        argv += 2;
        argc -= 2;
    }
    if (argc < 4) {
        std::fprintf(stderr, "usage: zorva_plate_glyphs [--kinds K] FOLDER... BASES_FOLDER OUTPUT\n");
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

    std::vector<std::vector<recognize::GlyphFeatures>> samples(recognize::kPlateSymbols.size());
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
            samples[*recognize::PlateSymbolIndex(name[i])].push_back(*glyph);
        }
    }
    recognize::GlyphTemplates glyphs;
    std::string counted;
    for (size_t n = 0; n < samples.size(); ++n) {
        const std::vector<recognize::GlyphFeatures> learnt = Kinds(samples[n], kinds);
        char count[32];
        if (learnt.size() > 1)
            std::snprintf(count, sizeof count, "%c:%zu/%zu ", recognize::kPlateSymbols[n], samples[n].size(),
                          learnt.size());
        else
            std::snprintf(count, sizeof count, "%c:%zu ", recognize::kPlateSymbols[n], samples[n].size());
        counted += count;
        for (const recognize::GlyphFeatures& glyph : learnt) glyphs.add(recognize::kPlateSymbols[n], glyph);
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
