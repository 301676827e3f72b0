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

namespace {

// Whether the map's pixel (x, y) belongs to one of `segments`.
bool IsInk(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments, int x, int y) {
    const uint32_t label = segment::ValueLabel(map[size_t(y) * width + size_t(x)]);
    return std::find(segments.begin(), segments.end(), label) != segments.end();
}

// The grid whose every cell is the share of its kSamples x kSamples points
// at which `inkAt(i, j)` finds ink: point i of kGlyphColumns * kSamples
// from the left, j of kGlyphRows * kSamples from the bottom. Normalised;
// nothing for an even grid.
template <typename InkAt>
std::optional<GlyphFeatures> SampledGrid(const InkAt& inkAt) {
    GlyphFeatures grid{};
    for (uint32_t row = 0; row < kGlyphRows; ++row)
        for (uint32_t column = 0; column < kGlyphColumns; ++column) {
            int ink = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    ink += inkAt(int64_t(column * kSamples + sx), int64_t(row * kSamples + sy));
            grid[row * kGlyphColumns + column] = float(ink) / (kSamples * kSamples);
        }
    if (!NormaliseGlyph(grid)) return std::nullopt;
    return grid;
}

}  // namespace

std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& b) {
    return GlyphOf(map, width, std::span<const uint32_t>(&segment, 1), b);
}

std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments,
                                     const SegmentBox& b) {
    if (b.w <= 0 || b.h <= 0) return std::nullopt;
    return SampledGrid([&](int64_t i, int64_t j) {
        // The sample's place in the box, at the centre of its share of the
        // cell.
        const int x = b.x + int((i * 2 + 1) * b.w / (2 * int64_t(kGlyphColumns * kSamples)));
        const int y = b.y + int((j * 2 + 1) * b.h / (2 * int64_t(kGlyphRows * kSamples)));
        return IsInk(map, width, segments, x, y);
    });
}

GlyphFrame GlyphFrame::Turned(double slope) {
    const double length = std::hypot(1.0, slope);
    return {1 / length, slope / length, -slope / length, 1 / length};
}

GlyphFrame GlyphFrame::Sheared(double slope) {
    return {1, 0, -slope, 1};
}

std::optional<FrameExtent> ExtentOf(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments,
                                    const SegmentBox& b, const GlyphFrame& f) {
    double u0 = HUGE_VAL, u1 = -HUGE_VAL, v0 = HUGE_VAL, v1 = -HUGE_VAL;
    for (int y = 0; y < b.h; ++y)
        for (int x = 0; x < b.w; ++x)
            if (IsInk(map, width, segments, b.x + x, b.y + y)) {
                const double u = f.uu * (x + 0.5) + f.uv * (y + 0.5), v = f.vu * (x + 0.5) + f.vv * (y + 0.5);
                u0 = std::min(u0, u), u1 = std::max(u1, u), v0 = std::min(v0, v), v1 = std::max(v1, v);
            }
    if (u0 > u1) return std::nullopt;
    // A pixel's centre is half a pixel inside the character's edge.
    return FrameExtent{u0 - 0.5, u1 + 0.5, v0 - 0.5, v1 + 0.5};
}

std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments,
                                     const SegmentBox& b, const GlyphFrame& f) {
    if (f.uu == 1 && f.uv == 0 && f.vu == 0 && f.vv == 1) return GlyphOf(map, width, segments, b);
    const double det = f.uu * f.vv - f.uv * f.vu;
    if (b.w <= 0 || b.h <= 0 || std::abs(det) < 1e-9) return std::nullopt;
    const auto ink = [&](int x, int y) {
        return x >= b.x && y >= b.y && x < b.x + b.w && y < b.y + b.h && IsInk(map, width, segments, x, y);
    };
    const std::optional<FrameExtent> extent = ExtentOf(map, width, segments, b, f);
    if (!extent) return std::nullopt;
    const FrameExtent e = *extent;
    return SampledGrid([&](int64_t i, int64_t j) {
        const double u = e.u0 + (double(i) + 0.5) * (e.u1 - e.u0) / (kGlyphColumns * kSamples);
        const double v = e.v0 + (double(j) + 0.5) * (e.v1 - e.v0) / (kGlyphRows * kSamples);
        const double x = (f.vv * u - f.uv * v) / det, y = (f.uu * v - f.vu * u) / det;
        return ink(b.x + int(std::floor(x)), b.y + int(std::floor(y)));
    });
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
        if (n == kGlyphCells && NormaliseGlyph(glyph)) glyphs.add(symbol, glyph);
    });
    return glyphs;
}

const GlyphTemplates& GlyphTemplates::InUse() {
    static const GlyphTemplates shipped = Parse(kShippedGlyphs);
    return shipped;
}

std::string GlyphTemplates::text(std::string_view comment) const {
    std::string out = "# " + std::string(comment) + "\n";
    for (size_t s = 0; s < kPlateSymbols.size(); ++s)
        for (const GlyphFeatures& glyph : m_glyphs[s]) {
            out += kPlateSymbols[s];
            for (float v : glyph) {
                char number[16];
                std::snprintf(number, sizeof number, " %.4f", double(v));
                out += number;
            }
            out += '\n';
        }
    return out;
}

bool GlyphTemplates::has(char symbol) const {
    const std::optional<uint32_t> n = PlateSymbolIndex(symbol);
    return n && !m_glyphs[*n].empty();
}

std::optional<float> GlyphTemplates::likeness(const GlyphFeatures& grid, char symbol) const {
    const std::optional<uint32_t> n = PlateSymbolIndex(symbol);
    if (!n || m_glyphs[*n].empty()) return std::nullopt;
    float best = -1;
    for (const GlyphFeatures& glyph : m_glyphs[*n]) best = std::max(best, GlyphCorrelation(grid, glyph));
    return best;
}

void GlyphTemplates::add(char symbol, const GlyphFeatures& glyph) {
    if (const std::optional<uint32_t> n = PlateSymbolIndex(symbol)) m_glyphs[*n].push_back(glyph);
}

}  // namespace zorva::recognize
