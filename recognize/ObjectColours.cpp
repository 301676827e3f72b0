// Posterisation, the 512-bin colour histogram, dominant saturated colours with their hue, and the colour strip.
#include "recognize/ObjectColours.h"

#include <algorithm>

namespace zorva::recognize {

namespace {

// A channel's level 0..7: 16 added for rounding to the nearest step of 32,
// capped at 224 so that 240..255 stay at level 7.
inline uint32_t Level(uint8_t c) {
    return std::min<uint32_t>(c + 16u, 224u) / 32u;
}

// Colours whose saturation is at most this are too grey to name an object.
constexpr uint32_t kGreyLimit = 32;
// Grey colours passed over before the choice gives up.
constexpr uint32_t kGreySkips = 64;
// The strip is the bottom row and the 128 above it.
constexpr uint32_t kStripRows = 129;

}  // namespace

uint8_t Hue240(uint8_t red, uint8_t green, uint8_t blue) {
    const int r = red, g = green, b = blue;
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const int saturation = high - low;
    if (saturation == 0) return 0;
    // Two largest components equal: the boundary between their two sixths.
    if (r == high && g == high) return 40;
    if (g == high && b == high) return 120;
    if (b == high && r == high) return 200;
    int hue = 0;
    auto offset = [&](int middle) { return 39 * (256 * (middle - low) / saturation) / 256; };
    if (r == high)
        hue = b == low ? offset(g) : 240 - offset(b);  // red to yellow rises, magenta to red falls
    else if (g == high)
        hue = b == low ? 80 - offset(r) : 80 + offset(b);  // yellow to green falls, green to cyan rises
    else
        hue = r == low ? 160 - offset(g) : 160 + offset(r);  // cyan to blue falls, blue to magenta rises
    return uint8_t(hue == 240 ? 0 : hue);
}

ColourHistogram Posterise(core::MutableBmpView image) {
    ColourHistogram bins{};
    const uint32_t width = image.width();
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        for (uint32_t x = 0; x < width; ++x, p += 3) {
            const uint32_t blue = Level(p[0]), green = Level(p[1]), red = Level(p[2]);
            ++bins[blue + 8 * green + 64 * red];
            // The histogram counts the levels, not the posterised values:
            // 32 x level + 31 would read as the level above.
            p[0] = uint8_t(32 * blue + 31);
            p[1] = uint8_t(32 * green + 31);
            p[2] = uint8_t(32 * red + 31);
        }
    }
    return bins;
}

DominantColourList DominantColours(ColourHistogram bins) {
    // ---- choose ----
    DominantColourList chosen{};
    uint32_t entries = 0;
    uint32_t skipped = 0;
    while (entries < kDominantColours) {
        // The first maximum scanning down from bin 511: ties go to the higher bin.
        uint32_t best = 511;
        for (uint32_t bin = 511; bin-- > 0;)
            if (bins[bin] > bins[best]) best = bin;
        const uint32_t count = bins[best];
        if (count == 0) break;
        bins[best] = 0;
        const uint8_t red = uint8_t(32 * (best >> 6)), green = uint8_t(32 * ((best >> 3) & 7)),
                      blue = uint8_t(32 * (best & 7));
        const uint8_t value = std::max({red, green, blue});
        const uint8_t saturation = uint8_t(value - std::min({red, green, blue}));
        if (saturation <= kGreyLimit) {
            if (++skipped >= kGreySkips) break;
            continue;
        }
        chosen[entries++] = {uint32_t(red) << 16 | uint32_t(green) << 8 | blue, Hue240(red, green, blue), saturation,
                             value, count};
    }
    return chosen;
}

void PaintColourStrip(core::MutableBmpView image, const DominantColourList& colours) {
    uint64_t total = 0;
    for (const DominantColour& c : colours) total += c.count;
    uint32_t shift = 1;
    while ((total >> shift) > image.width()) ++shift;
    const uint32_t rows = std::min<uint32_t>(kStripRows, image.height());
    uint32_t x = 0;
    for (const DominantColour& c : colours) {
        // The bands together are at most total / 2^s wide: within the row.
        const uint32_t width = std::min<uint32_t>(c.count >> shift, image.width() - x);
        for (uint32_t r = 0; r < rows; ++r)
            for (uint32_t i = 0; i < width; ++i) image.set(x + i, r, c.rgb);
        x += width;
    }
}

DominantColourList RecogniseObjectColours(core::MutableBmpView image) {
    const DominantColourList colours = DominantColours(Posterise(image));
    PaintColourStrip(image, colours);
    return colours;
}

}  // namespace zorva::recognize
