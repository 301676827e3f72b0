// The tone transfer, grey, negative, threshold and colour enhancement over 24-bit rows; their loops are the
// processor layer's.
#include "effects/Tone.h"

#include <algorithm>
#include <cmath>

namespace zorva::effects {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

bool IsWhite(const uint8_t* p) {
    return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF;
}

// The colour gamma as a table: 255 * (v / 255) ^ (1 / 2^((gamma - 50) / 50)),
// rounded; gamma 100 doubles the exponent's divisor (brighter middle tones),
// 0 halves it.
std::array<uint8_t, 256> GammaTable(int gamma) {
    std::array<uint8_t, 256> table{};
    const double exponent = std::exp2(-(gamma - 50) / 50.0);
    for (int v = 0; v < 256; ++v) table[size_t(v)] = uint8_t(std::lround(255.0 * std::pow(v / 255.0, exponent)));
    return table;
}

// ---- colour enhancement ----

// The 41-step ramp of one sextant, 0 to 255.
constexpr uint8_t kRamp[41] = {0,   6,   13,  19,  26,  32,  38,  45,  51,  58,  64,  70,  76,  83,
                               90,  96,  102, 109, 115, 122, 128, 134, 141, 147, 154, 160, 166, 173,
                               179, 186, 192, 198, 205, 211, 218, 224, 230, 237, 243, 249, 255};

constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return red << 16 | green << 8 | blue;
}

constexpr std::array<uint32_t, kHueCount> MakeHueTable() {
    std::array<uint32_t, kHueCount> table{};
    for (uint32_t h = 0; h < kHueCount; ++h) {
        const uint32_t f = h % 40, rise = kRamp[f], fall = kRamp[40 - f];
        switch (h / 40) {
            case 0:
                table[h] = Rgb(255, rise, 0);
                break;
            case 1:
                table[h] = Rgb(fall, 255, 0);
                break;
            case 2:
                table[h] = Rgb(0, 255, rise);
                break;
            case 3:
                table[h] = Rgb(0, fall, 255);
                break;
            case 4:
                table[h] = Rgb(rise, 0, 255);
                break;
            default:
                table[h] = Rgb(255, 0, fall);
                break;
        }
    }
    return table;
}
constexpr std::array<uint32_t, kHueCount> kHueTable = MakeHueTable();

// The definition for one pixel: decompose, look the hue up, scale by value.
void EnhancePixel(uint8_t* p) {
    const HueDecomposition d = Decompose(p[2], p[1], p[0]);
    const uint32_t colour = kHueTable[d.hue], v = d.value;
    p[0] = uint8_t(((colour & 0xFF) * v) >> 8);
    p[1] = uint8_t((((colour >> 8) & 0xFF) * v) >> 8);
    p[2] = uint8_t(((colour >> 16) * v) >> 8);
}

}  // namespace

// ---- tone transfer ----

ToneTransfer MakeToneTransfer(const std::array<uint8_t, 4>& brightness, const std::array<uint8_t, 4>& contrast,
                              int gamma) {
    ToneTransfer transfer;
    transfer.gamma = std::clamp(gamma, 0, 100);
    // Storage order: byte 0 is blue (channel 3), byte 2 red (channel 1).
    for (size_t k = 1; k <= 3; ++k) {
        ToneChannel& c = transfer.channels[3 - k];
        c.offset = 2 * (brightness[0] + brightness[k]) - 200;
        const int t = std::clamp(contrast[0] + contrast[k] - 50, 0, 100);
        // Below the middle the gain falls from 63 to 14 (a squeeze); above
        // it rises by 3 per step from 64 to 214 (a stretch).
        c.gain = t < 50 ? t + 14 : 64 + 3 * (t - 50);
    }
    return transfer;
}

void ApplyTone(core::BmpView source, core::MutableBmpView target, const ToneTransfer& transfer, White white,
               Kernels kernels) {
    const uint32_t width = source.width(), height = source.height();
    if (transfer.gamma != 50) {
        // With a gamma curve every channel is one table; the preview of a
        // curve is rare enough for a plain loop.
        const std::array<uint8_t, 256> gamma = GammaTable(transfer.gamma);
        std::array<std::array<uint8_t, 256>, 3> table{};
        for (size_t c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v) table[c][size_t(v)] = gamma[ToneByte(uint8_t(v), transfer.channels[c])];
        for (uint32_t r = 0; r < height; ++r) {
            const uint8_t* s = source.row(r);
            uint8_t* t = target.row(r);
            for (size_t i = 0; i < size_t(3) * width; ++i) t[i] = table[i % 3][s[i]];
        }
    } else {
        // Storage order, offsets split into a part to add and a part to subtract.
        std::array<simd::ChannelTone, 3> channels;
        for (size_t c = 0; c < 3; ++c) {
            const ToneChannel& t = transfer.channels[c];
            channels[c] = {uint8_t(t.gain), uint8_t(std::max(t.offset, 0)), uint8_t(std::max(-t.offset, 0))};
        }
        simd::ToneRows(source, target, channels, kernels);
    }
    if (white == White::Opaque) return;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* s = source.row(r);
        uint8_t* t = target.row(r);
        for (uint32_t x = 0; x < width; ++x, s += 3, t += 3) {
            if (IsWhite(s))
                core::StorePixel(t, kWhite);
            else if (IsWhite(t))
                t[0] = 0xFE;
        }
    }
}

// ---- grey, negative, threshold ----

void Greyscale(core::MutableBmpView image, Kernels kernels) {
    simd::GreyRows(image, kernels);
}

void Negative(core::MutableBmpView image, White white, Kernels kernels) {
    if (white == White::Transparent) {
        for (uint32_t r = 0; r < image.height(); ++r) {
            uint8_t* p = image.row(r);
            for (uint32_t x = 0; x < image.width(); ++x, p += 3) {
                if (IsWhite(p)) continue;
                p[0] = uint8_t(~p[0]);
                p[1] = uint8_t(~p[1]);
                p[2] = uint8_t(~p[2]);
                // Black would turn transparent and vanish from the selection.
                if (IsWhite(p)) p[0] = 0xFE;
            }
        }
        return;
    }
    simd::NegateRows(image, kernels);
}

void Threshold(core::BmpView source, core::MutableBmpView target, uint8_t level, Kernels kernels) {
    simd::ThresholdRows(source, target, level, kernels);
}

// ---- colour enhancement ----

uint32_t HueColour(uint32_t hue) {
    return kHueTable[hue % kHueCount];
}

HueDecomposition Decompose(uint8_t red, uint8_t green, uint8_t blue) {
    // Six orderings of the channels, ties settled as the comparisons fall:
    // the hue counts up from `base` (or down, `rising` false) by the position
    // of the middle channel between the smallest and the largest, and is
    // `flat` when the middle channel equals the largest.
    uint8_t max, mid, min;
    int base, flat;
    bool rising;
    if (red >= green) {
        if (green >= blue)
            max = red, mid = green, min = blue, base = 0, rising = true, flat = 40;  // red to yellow
        else if (red < blue)
            max = blue, mid = red, min = green, base = 160, rising = true, flat = 200;  // blue to magenta
        else
            max = red, mid = blue, min = green, base = 240, rising = false, flat = 200;  // magenta to red
    } else if (red >= blue) {
        max = green, mid = red, min = blue, base = 80, rising = false, flat = 40;  // yellow to green
    } else if (green >= blue) {
        max = green, mid = blue, min = red, base = 80, rising = true, flat = 120;  // green to cyan
    } else {
        max = blue, mid = green, min = red, base = 160, rising = false, flat = 120;  // cyan to blue
    }
    HueDecomposition d;
    d.value = max;
    d.chroma = uint8_t(max - min);
    if (mid == max) {
        d.hue = uint8_t(flat);
    } else {
        // Position of the middle channel in 1/256 steps (0..255), scaled to
        // the 0..38 steps of a sextant.
        const uint32_t q = (uint32_t(mid - min) << 8) / d.chroma;
        const int f = int((q * 39) >> 8);
        const int hue = rising ? base + f : base - f;
        d.hue = uint8_t(hue == 240 ? 0 : hue);
    }
    return d;
}

void EnhanceColour(core::MutableBmpView image, Kernels kernels) {
    const uint32_t width = image.width();
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        // The layer's build does what it can of the row without a hue; the
        // definition does the rest (all of it in the plain build).
        for (uint32_t x = simd::EnhanceLeadingPixels(p, width, kernels); x < width; ++x) EnhancePixel(p + 3 * x);
    }
}

}  // namespace zorva::effects
