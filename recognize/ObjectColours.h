// Object recognition by colour: posterise to 512 colours, pick the dominant saturated ones, draw their strip.
#pragma once

#include <array>
#include <cstdint>

#include "core/BmpImage.h"

namespace zorva::recognize {

// Entries of a colour report.
inline constexpr uint32_t kDominantColours = 32;

// One dominant colour: components 0..224 in steps of 32, value V (largest
// component), saturation S (largest minus smallest), hue H (0..239) and
// the number of pixels of that colour. All zero for an entry not chosen.
struct DominantColour {
    uint32_t rgb = 0;  // 0x00RRGGBB
    uint8_t hue = 0;
    uint8_t saturation = 0;
    uint8_t value = 0;
    uint32_t count = 0;
};
using DominantColourList = std::array<DominantColour, kDominantColours>;

// The HSV hue of a colour on a circle of 240 units (red 0, yellow 40, green
// 80, cyan 120, blue 160, magenta 200): within the sixth given by the
// largest and smallest component, an offset of 39 x (256 d / S) / 256 (d the
// middle less the smallest component, S the saturation) counted up where
// the hue rises and down from the sixth's end where it falls; two equal
// largest components give the boundary (40, 120, 200); 0 for a grey.
uint8_t Hue240(uint8_t red, uint8_t green, uint8_t blue);

// Pixels per colour of a posterised picture, bin = blue level + 8 x green
// level + 64 x red level.
using ColourHistogram = std::array<uint32_t, 512>;

// Posterises every pixel in place, each channel to one of 8 levels:
// level = min(c + 16, 224) / 32, the channel becoming 32 x level + 31; and
// counts the pixels per level triple.
ColourHistogram Posterise(core::MutableBmpView image);

// The dominant colours: the most frequent of the 512 first (on equal counts
// the higher bin), each colour's components 32 x level, skipping colours
// whose saturation is 32 or less (the choice ends after 64 such), until 32
// are chosen or no counted colour is left.
DominantColourList DominantColours(ColourHistogram bins);

// Paints the colour strip: from the left end of the bottom row, one band per
// entry, count / 2^s pixels wide (s >= 1 the fewest halvings that bring the
// chosen pixels' total within the picture's width), 129 rows high (clipped
// to the picture), in the entry's colour.
void PaintColourStrip(core::MutableBmpView image, const DominantColourList& colours);

// The whole job on the document: posterise, choose, paint the strip.
DominantColourList RecogniseObjectColours(core::MutableBmpView image);

}  // namespace zorva::recognize
