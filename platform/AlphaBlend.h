// Flattening transparency against white, the one rule of every decoder route.
#pragma once

#include <cstdint>

namespace zorva::platform {

// Blends one non-premultiplied ARGB pixel (0xAARRGGBB) over white, rounding
// to nearest; an opaque pixel comes back as it is.
inline uint32_t OverWhite(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 255) return argb;
    const uint32_t inv = 255 - a;
    const auto mix = [&](uint32_t c) { return (c * a + 255 * inv + 127) / 255; };
    return 0xFF000000u | mix((argb >> 16) & 255) << 16 | mix((argb >> 8) & 255) << 8 | mix(argb & 255);
}

}  // namespace zorva::platform
