// Luminance: the one weighting of red, green and blue behind every grey picture, grey plane and threshold.
#pragma once

#include <cstdint>

namespace zorva::core {

// 8-bit fixed-point weights (about 0.30, 0.59 and 0.11). They add up to 256,
// so white gives 255 and black 0, and the weighted sum of three bytes stays
// below 65,536 (16-bit lanes hold it).
inline constexpr uint32_t kLumaRed = 77;
inline constexpr uint32_t kLumaGreen = 150;
inline constexpr uint32_t kLumaBlue = 29;
static_assert(kLumaRed + kLumaGreen + kLumaBlue == 256);

// Y = (77 R + 150 G + 29 B) >> 8.
constexpr uint32_t Luma(uint32_t red, uint32_t green, uint32_t blue) {
    return (kLumaRed * red + kLumaGreen * green + kLumaBlue * blue) >> 8;
}

}  // namespace zorva::core
