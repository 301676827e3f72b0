// Helpers private to the segment family: the six-term colour distance and packed corner points.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace zorva::segment::detail {

// |dB| + |dG| + |dR| + |dB - dG| + |dG - dR| + |dR - dB| with dX = b's channel
// minus a's; colours as 0x00RRGGBB. Median cut merges boxes by it and the
// median-cut segmentation folds segments by it (through PaletteDistance), so
// both use exactly this one definition.
inline uint32_t SixTermDistance(uint32_t a, uint32_t b) {
    const int dB = int(b & 0xFF) - int(a & 0xFF);
    const int dG = int((b >> 8) & 0xFF) - int((a >> 8) & 0xFF);
    const int dR = int((b >> 16) & 0xFF) - int((a >> 16) & 0xFF);
    return uint32_t(std::abs(dB) + std::abs(dG) + std::abs(dR) + std::abs(dB - dG) + std::abs(dG - dR) +
                    std::abs(dR - dB));
}

// A corner point: x in the low 16 bits, y (stored rows, growing upward) in the high 16 bits.
inline constexpr uint32_t Point(uint32_t x, uint32_t y) {
    return (y << 16) | (x & 0xFFFF);
}
inline constexpr uint32_t PointX(uint32_t p) {
    return p & 0xFFFF;
}
inline constexpr uint32_t PointY(uint32_t p) {
    return p >> 16;
}

// Rounded integer square root of v: the integer nearest to sqrt(v).
inline uint64_t RoundedSqrt(uint64_t v) {
    // The floating root is exact to within one for the values met here
    // (below 2^34); the two corrections make the floor exact, then round:
    // r + 1 is nearer when v >= (r + 0.5)^2, i.e. v > r^2 + r.
    uint64_t r = uint64_t(std::sqrt(double(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    return v > r * r + r ? r + 1 : r;
}

}  // namespace zorva::segment::detail
