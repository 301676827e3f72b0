// Character grids: sampled from the segment map, normalised, compared by correlation with the shipped glyphs.
#include "recognize/PlateGlyphs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "recognize/DataLines.h"
#include "segment/SegmentMedianCut.h"

namespace zorva::recognize {

namespace {

// data/plate-glyphs.txt as the build copied it in.
constexpr std::string_view kShippedGlyphs =
#include "recognize/PlateGlyphsData.inc"
    ;

// Sample points per cell along each axis.
constexpr int kSamples = 3;

}  // namespace

bool NormaliseGlyph(GlyphFeatures& features) {
    double mean = 0;
    for (float v : features) mean += v;
    mean /= double(kGlyphCells);
    double length = 0;
    for (float& v : features) {
        v = float(v - mean);
        length += double(v) * v;
    }
    if (length <= 1e-12) return false;
    const float scale = float(1 / std::sqrt(length));
    for (float& v : features) v *= scale;
    return true;
}

std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& b) {
    return GlyphOf(map, width, std::span<const uint32_t>(&segment, 1), b);
}

std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments,
                                     const SegmentBox& b) {
    if (b.w <= 0 || b.h <= 0) return std::nullopt;
    GlyphFeatures grid{};
    for (uint32_t row = 0; row < kGlyphRows; ++row)
        for (uint32_t column = 0; column < kGlyphColumns; ++column) {
            int ink = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    // The sample's place in the box, at the centre of its
                    // share of the cell.
                    const int x = b.x + int((int64_t(column * kSamples + sx) * 2 + 1) * b.w /
                                            (2 * int64_t(kGlyphColumns * kSamples)));
                    const int y =
                        b.y + int((int64_t(row * kSamples + sy) * 2 + 1) * b.h / (2 * int64_t(kGlyphRows * kSamples)));
                    const uint32_t label = segment::ValueLabel(map[size_t(y) * width + size_t(x)]);
                    ink += std::find(segments.begin(), segments.end(), label) != segments.end();
                }
            grid[row * kGlyphColumns + column] = float(ink) / (kSamples * kSamples);
        }
    if (!NormaliseGlyph(grid)) return std::nullopt;
    return grid;
}

float GlyphCorrelation(const GlyphFeatures& a, const GlyphFeatures& b) {
    float sum = 0;
    for (uint32_t i = 0; i < kGlyphCells; ++i) sum += a[i] * b[i];
    return sum;
}

GlyphTemplates GlyphTemplates::Parse(std::string_view text) {
    GlyphTemplates glyphs;
    ForEachDataLine(text, [&glyphs](std::string_view line) {
        const char symbol = line[0];
        GlyphFeatures glyph{};
        uint32_t n = 0;
        const char* p = line.data() + 1;
        const char* const last = line.data() + line.size();
        while (n < kGlyphCells) {
            while (p < last && *p == ' ') ++p;
            if (p == last) break;
            const auto [next, ec] = std::from_chars(p, last, glyph[n]);
            if (ec != std::errc()) break;
            p = next;
            ++n;
        }
        if (n == kGlyphCells && NormaliseGlyph(glyph)) glyphs.set(symbol, glyph);
    });
    return glyphs;
}

const GlyphTemplates& GlyphTemplates::InUse() {
    static const GlyphTemplates shipped = Parse(kShippedGlyphs);
    return shipped;
}

std::string GlyphTemplates::text(std::string_view comment) const {
    std::string out = "# " + std::string(comment) + "\n";
    for (size_t s = 0; s < kPlateSymbols.size(); ++s) {
        if (!m_glyphs[s]) continue;
        out += kPlateSymbols[s];
        for (float v : *m_glyphs[s]) {
            char number[16];
            std::snprintf(number, sizeof number, " %.4f", double(v));
            out += number;
        }
        out += '\n';
    }
    return out;
}

const GlyphFeatures* GlyphTemplates::of(char symbol) const {
    const std::optional<uint32_t> n = PlateSymbolIndex(symbol);
    if (!n || !m_glyphs[*n]) return nullptr;
    return &*m_glyphs[*n];
}

void GlyphTemplates::set(char symbol, const GlyphFeatures& glyph) {
    if (const std::optional<uint32_t> n = PlateSymbolIndex(symbol)) m_glyphs[*n] = glyph;
}

}  // namespace zorva::recognize
