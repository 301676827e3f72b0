// Little-endian field access for the BMP-shaped blocks the whole program works on.
#pragma once

#include <cstdint>
#include <cstring>

namespace zorva::core {

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;  // x86-64 and every Qt 6 target we build for are little-endian
}

inline void Store32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline void Store16(uint8_t* p, uint16_t v) {
    std::memcpy(p, &v, 2);
}

// A pixel is the low 24 bits of the word at its address: blue, green, red.
inline uint32_t LoadPixel(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

// Writes exactly the three bytes of a pixel, never the byte after it.
inline void StorePixel(uint8_t* p, uint32_t bgr) {
    p[0] = uint8_t(bgr);
    p[1] = uint8_t(bgr >> 8);
    p[2] = uint8_t(bgr >> 16);
}

}  // namespace zorva::core
