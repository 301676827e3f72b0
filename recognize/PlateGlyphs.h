// A character's pixels as a small grid, and the plate typeface's glyphs learnt on generated plates.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "recognize/Plate.h"

namespace zorva::recognize {

// The grid a character's box is sampled into, whatever its size: a glyph
// stretched to the box, as the plate's characters fill their cells.
inline constexpr uint32_t kGlyphColumns = 8;
inline constexpr uint32_t kGlyphRows = 12;
inline constexpr uint32_t kGlyphCells = kGlyphColumns * kGlyphRows;

// Cell by cell from the bottom row, left to right: the share of the cell
// covered by the character, less the mean over the grid, the whole scaled
// to length 1, so that the dot product of two is their correlation.
using GlyphFeatures = std::array<float, kGlyphCells>;

// The grid of segment `segment` of the indexed `map` (width words per row,
// bottom row first) over its box `b`: each cell sampled at 3 x 3 points.
// Nothing for a box without pixels or a character that fills its box
// evenly (no shape to compare).
std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& b);
// The same for a character in pieces: the pixels of any of `segments`.
std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments,
                                     const SegmentBox& b);
// How a plate's characters lie in the picture: the grid is laid along `u`
// and `v`, the picture's columns and rows mapped linearly (u = uu x + uv y,
// v = vu x + vv y). Upright is u = x, v = y.
struct GlyphFrame {
    double uu = 1, uv = 0, vu = 0, vv = 1;
    // A plate whose rows rise by `slope` per column, turned as a whole (its
    // characters lean with it)...
    static GlyphFrame Turned(double slope);
    // ...or seen from the side (its characters stand upright, only their
    // rows rise).
    static GlyphFrame Sheared(double slope);
};
// The extent along u and v of the pixels of `segments` in box `b`, from the
// box's corner to the pixels' outer edges; nothing for a box without them.
struct FrameExtent {
    double u0, u1, v0, v1;
};
std::optional<FrameExtent> ExtentOf(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments,
                                    const SegmentBox& b, const GlyphFrame& frame);
// The same for a character lying in `frame`: the grid is stretched to the
// character's extent along u and v (ExtentOf).
std::optional<GlyphFeatures> GlyphOf(const uint32_t* map, uint32_t width, std::span<const uint32_t> segments,
                                     const SegmentBox& b, const GlyphFrame& frame);

// Scales `features` to zero mean and length 1; false when they are all equal.
bool NormaliseGlyph(GlyphFeatures& features);

// The glyphs of each plate symbol of the main characters, one or more (the
// mean grids of the kinds of face and look a symbol takes); a symbol
// without one is not compared.
class GlyphTemplates {
public:
    // Lines "SYMBOL v1 ... v96" (a grid as GlyphOf gives it), a symbol on
    // as many lines as it has glyphs; "#" comments.
    static GlyphTemplates Parse(std::string_view text);
    // The glyphs the program ships (data/plate-glyphs.txt, built in).
    static const GlyphTemplates& InUse();
    // The text Parse reads, with a comment line first.
    std::string text(std::string_view comment) const;

    bool has(char symbol) const;
    // How like `symbol` the grid is: its best correlation with the symbol's
    // glyphs; nothing for a symbol without glyphs.
    std::optional<float> likeness(const GlyphFeatures& grid, char symbol) const;
    void add(char symbol, const GlyphFeatures& glyph);

private:
    std::array<std::vector<GlyphFeatures>, kPlateSymbols.size()> m_glyphs;
};

// The correlation of two normalised grids, -1 to 1.
float GlyphCorrelation(const GlyphFeatures& a, const GlyphFeatures& b);

}  // namespace zorva::recognize
