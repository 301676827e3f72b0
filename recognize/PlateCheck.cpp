// The plate check: the region read must be a region code; the closest code replaces one that is not.
#include "recognize/PlateCheck.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "recognize/DataLines.h"

namespace zorva::recognize {

namespace {

// data/plate-regions.txt as the build copied it in.
constexpr std::string_view kShippedRegions =
#include "recognize/PlateRegionsData.inc"
    ;

bool AllDigits(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The slots of the region digits.
constexpr uint32_t kFirstRegionSlot = kMainCharacters;

// The sum of the region code's digit distances at slots 6.., or nothing when
// one of its digits was never compared there.
std::optional<uint64_t> CodeDistance(const PlateResult& result, std::string_view code) {
    uint64_t sum = 0;
    for (size_t i = 0; i < code.size(); ++i) {
        const uint32_t d = result.nearest[kFirstRegionSlot + i][*PlateSymbolIndex(code[i])];
        if (d == kNotCompared) return std::nullopt;
        sum += d;
    }
    return sum;
}

// The close call at slot `i` the character's pixels favour over the
// reading `read`; nothing when the reading stands.
std::optional<char> SecondOpinion(const PlateResult& result, const PlateCheckInput& input, uint32_t i, char read) {
    const std::optional<uint32_t> r = PlateSymbolIndex(read);
    const uint32_t s = result.plateSlots.segment[i];
    if (!r || s == 0 || s >= input.table.size()) return std::nullopt;
    const SymbolDistances& nearest = result.nearest[i];
    const uint32_t readDistance = nearest[*r];
    const GlyphFeatures* readGlyph = input.glyphs->of(read);
    if (readDistance == kNotCompared || !readGlyph) return std::nullopt;
    std::optional<GlyphFeatures> glyph;
    float readCorrelation = 0, bestCorrelation = 0;
    std::optional<char> best;
    for (uint32_t c = 0; c < kPlateSymbols.size(); ++c) {
        if (c == *r || nearest[c] == kNotCompared || double(nearest[c]) > kCloseCall * readDistance) continue;
        const GlyphFeatures* candidate = input.glyphs->of(kPlateSymbols[c]);
        if (!candidate) continue;
        if (!glyph) {
            glyph = GlyphOf(input.map, input.width, s, BoxOf(input.table[s]));
            if (!glyph) return std::nullopt;
            readCorrelation = GlyphCorrelation(*glyph, *readGlyph);
            bestCorrelation = readCorrelation;
        }
        const float correlation = GlyphCorrelation(*glyph, *candidate);
        if (correlation > bestCorrelation && correlation >= readCorrelation + kGlyphMargin) {
            bestCorrelation = correlation;
            best = kPlateSymbols[c];
        }
    }
    return best;
}

}  // namespace

RegionCodes RegionCodes::Parse(std::string_view text) {
    RegionCodes regions;
    ForEachDataLine(text, [&regions](std::string_view line) {
        while (!line.empty()) {
            const size_t start = line.find_first_not_of(" \t");
            if (start == std::string_view::npos) break;
            line.remove_prefix(start);
            const std::string_view word = line.substr(0, line.find_first_of(" \t"));
            line.remove_prefix(word.size());
            if (AllDigits(word) && (word.size() == 2 || word.size() == 3)) regions.m_codes.emplace_back(word);
        }
    });
    std::sort(regions.m_codes.begin(), regions.m_codes.end());
    regions.m_codes.erase(std::unique(regions.m_codes.begin(), regions.m_codes.end()), regions.m_codes.end());
    return regions;
}

const RegionCodes& RegionCodes::InUse() {
    static const RegionCodes shipped = Parse(kShippedRegions);
    return shipped;
}

bool RegionCodes::contains(std::string_view code) const {
    return std::binary_search(m_codes.begin(), m_codes.end(), code);
}

CheckedPlate CheckPlate(const PlateResult& result, const PlateCheckInput& input) {
    CheckedPlate checked{result.text, PlateStage::Part};
    if (!result.found || checked.text.size() < kFirstRegionSlot + kRegionSlots) return checked;
    // The pixels are those of the last pass, which a painted result read.
    if (result.painted && input.map)
        for (uint32_t i = 0; i < kMainCharacters; ++i)
            if (const std::optional<char> other = SecondOpinion(result, input, i, checked.text[i])) {
                checked.text[i] = *other;
                checked.stage = PlateStage::Checked;
            }

    const RegionCodes& regions = *input.regions;
    std::string_view read = std::string_view(checked.text).substr(kFirstRegionSlot, kRegionSlots);
    read = read.substr(0, read.find(' '));
    // Nothing to weigh where the region was not read at all, or not whole.
    if (read.empty() || !AllDigits(read)) return checked;
    if (regions.contains(read)) return checked;

    std::optional<std::string_view> best;
    uint64_t bestDistance = std::numeric_limits<uint64_t>::max();
    for (const std::string& code : regions.codes()) {
        if (code.size() != read.size()) continue;
        const std::optional<uint64_t> d = CodeDistance(result, code);
        if (d && *d < bestDistance) {
            best = code;
            bestDistance = *d;
        }
    }
    const std::string replacement = best ? std::string(*best) : std::string(read.size(), '*');
    checked.text.replace(kFirstRegionSlot, read.size(), replacement);
    checked.stage = PlateStage::Checked;
    return checked;
}

}  // namespace zorva::recognize
