// Per-pixel tone and colour operations: the tone transfer, grey, negative, threshold and colour enhancement.
#pragma once

#include <array>
#include <cstdint>

#include "core/BmpImage.h"
#include "core/Luma.h"
#include "core/simd/Kernels.h"

namespace zorva::effects {

using core::Luma;
using simd::Kernels;

// How the pure white pixels of a picture are taken.
enum class White : uint8_t {
    Opaque,       // a picture like any other
    Transparent,  // a floating selection: pure white is see-through and must stay so, and no visible pixel may
                  // become pure white (it is stored as blue 254 instead)
};

// ---- tone transfer ----

// The transfer of one colour channel: the brightness offset (-200..200)
// added last, and the contrast gain, a fixed-point factor with 64 meaning
// 1.0 (14..214), applied around the middle of the range.
struct ToneChannel {
    int offset = 0;
    int gain = 64;
};

// The transfers of the blue, green and red bytes (storage order), and the
// colour gamma 0..100 (50 leaves the result as it is).
struct ToneTransfer {
    std::array<ToneChannel, 3> channels{};
    int gamma = 50;
};

// The tone dialog's settings as a transfer. Index 0 of `brightness` and
// `contrast` is the adjustment shared by all channels, 1..3 that of red,
// green and blue, which adds to the shared one; every value is 0..100 and
// 50 is neutral. `gamma` 0..100 raises (above 50) or lowers (below 50) the
// middle tones of the result: the curve 255 * (v / 255) ^ (1 / 2^((gamma - 50) / 50)).
ToneTransfer MakeToneTransfer(const std::array<uint8_t, 4>& brightness, const std::array<uint8_t, 4>& contrast,
                              int gamma = 50);

// One byte through a channel's brightness and contrast. Bytes from 128 up
// stretch from 128, bytes below from 127, then the offset shifts the result;
// all clamped to 0..255. The identity at gain 64 and offset 0.
constexpr uint8_t ToneByte(uint8_t v, ToneChannel channel) {
    int u;
    if (v >= 128) {
        u = 128 + (((v - 128) * channel.gain) >> 6);
        if (u > 255) u = 255;
    } else {
        const int drop = ((127 - v) * channel.gain) >> 6;
        u = 127 - (drop < 127 ? drop : 127);
    }
    u += channel.offset;
    return uint8_t(u < 0 ? 0 : u > 255 ? 255 : u);
}

// Writes every pixel of `source` through `transfer` into the same place of
// `target` (another picture block of the same size). With
// White::Transparent a pure white source pixel stays pure white, and a
// result that comes out pure white is stored with blue 254.
void ApplyTone(core::BmpView source, core::MutableBmpView target, const ToneTransfer& transfer, White white,
               Kernels kernels = Kernels::Fastest);

// ---- grey, negative, threshold ----

// Every pixel becomes (Y, Y, Y). Pure white stays pure white and no other
// pixel becomes pure white, so a floating selection keeps exactly its
// transparent pixels.
void Greyscale(core::MutableBmpView image, Kernels kernels = Kernels::Fastest);

// Every byte v becomes 255 - v. With White::Transparent pure white pixels
// stay, and pure black ones become visible white (blue 254).
void Negative(core::MutableBmpView image, White white, Kernels kernels = Kernels::Fastest);

// Every pixel of `target` becomes white where the luminance of the same
// pixel of `source` (another picture block of the same size) is above `level`, black
// where it is at or below it.
void Threshold(core::BmpView source, core::MutableBmpView target, uint8_t level, Kernels kernels = Kernels::Fastest);

// ---- colour enhancement ----

// 240 hues, 40 per sextant: 0 red, 40 yellow, 80 green, 120 cyan, 160
// blue, 200 magenta. Each entry is the fully saturated colour 0xRRGGBB.
inline constexpr uint32_t kHueCount = 240;
uint32_t HueColour(uint32_t hue);

// Value, chroma and hue of one pixel: the largest channel, largest minus
// smallest, and the hue 0..239 (a grey pixel has hue 40).
struct HueDecomposition {
    uint8_t value = 0;
    uint8_t chroma = 0;
    uint8_t hue = 0;
};
HueDecomposition Decompose(uint8_t red, uint8_t green, uint8_t blue);

// Replaces every pixel by the fully saturated colour of its hue at its own
// value: each channel of HueColour(hue) times value, shifted right by 8
// (grey and white become yellow of their brightness).
void EnhanceColour(core::MutableBmpView image, Kernels kernels = Kernels::Fastest);

}  // namespace zorva::effects
