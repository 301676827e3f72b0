// The tone transfer, grey, negative, threshold and colour enhancement over 24-bit rows, each in a plain and an AVX2
// build.
#include "effects/Tone.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace zorva::effects {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

bool IsWhite(const uint8_t* p) {
    return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF;
}

// ---- tone transfer ----

// Per-byte parameters of one row: the channel's gain and its offset split
// into a part to add and a part to subtract (one of them 0), so that the
// loop over the row's bytes needs no knowledge of which channel a byte is.
struct ToneRowParameters {
    std::vector<uint8_t> gain, up, down;
};

ToneRowParameters RowParameters(const ToneTransfer& transfer, uint32_t width) {
    ToneRowParameters p;
    const size_t n = size_t(3) * width;
    p.gain.resize(n);
    p.up.resize(n);
    p.down.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const ToneChannel& c = transfer.channels[i % 3];
        p.gain[i] = uint8_t(c.gain);
        p.up[i] = uint8_t(std::max(c.offset, 0));
        p.down[i] = uint8_t(std::max(-c.offset, 0));
    }
    return p;
}

// ToneByte over a row of bytes, branch-free. For v >= 128, a = v - 128 and
// the result is 128 + m; for v < 128, a = 127 - v and the result is 127 - m;
// with s = 0xFF for the lower half both are bit operations: a = (v ^ s) &
// 0x7F and u = m ^ 0x80 ^ s (m <= 127).
ZORVA_KERNEL void ToneBytes(const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t* __restrict gain,
                            const uint8_t* __restrict up, const uint8_t* __restrict down, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t v = in[i];
        const uint8_t s = v < 128 ? 0xFF : 0;
        const uint16_t a = (v ^ s) & 0x7F;
        const uint16_t stretched = uint16_t(a * gain[i]) >> 6;
        const uint8_t m = uint8_t(stretched < 127 ? stretched : 127);
        const uint16_t u = uint8_t(m ^ 0x80 ^ s);
        const uint16_t raised = u + up[i];
        const uint16_t capped = raised < 255 ? raised : 255;
        out[i] = uint8_t(capped > down[i] ? capped - down[i] : 0);
    }
}

ZORVA_KERNEL void ToneImage(core::BmpView source, core::MutableBmpView target, const ToneRowParameters& p) {
    const size_t n = size_t(3) * source.width();
    for (uint32_t r = 0; r < source.height(); ++r)
        ToneBytes(source.row(r), target.row(r), p.gain.data(), p.up.data(), p.down.data(), n);
}

void ToneImagePlain(core::BmpView source, core::MutableBmpView target, const ToneRowParameters& p) {
    ToneImage(source, target, p);
}
ZORVA_AVX2 void ToneImageAvx2(core::BmpView source, core::MutableBmpView target, const ToneRowParameters& p) {
    ToneImage(source, target, p);
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

// ---- grey, negative, threshold ----

ZORVA_KERNEL void GreyRow(uint8_t* __restrict p, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t y = uint8_t(Luma(p[3 * x + 2], p[3 * x + 1], p[3 * x]));
        p[3 * x] = y;
        p[3 * x + 1] = y;
        p[3 * x + 2] = y;
    }
}

ZORVA_KERNEL void GreyImage(core::MutableBmpView image) {
    for (uint32_t r = 0; r < image.height(); ++r) GreyRow(image.row(r), image.width());
}
void GreyPlain(core::MutableBmpView image) {
    GreyImage(image);
}
ZORVA_AVX2 void GreyAvx2(core::MutableBmpView image) {
    GreyImage(image);
}

ZORVA_KERNEL void NegativeImage(core::MutableBmpView image) {
    const size_t n = size_t(3) * image.width();
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        for (size_t i = 0; i < n; ++i) p[i] = uint8_t(~p[i]);
    }
}
void NegativePlain(core::MutableBmpView image) {
    NegativeImage(image);
}
ZORVA_AVX2 void NegativeAvx2(core::MutableBmpView image) {
    NegativeImage(image);
}

ZORVA_KERNEL void ThresholdRow(const uint8_t* __restrict s, uint8_t* __restrict t, uint32_t width, uint8_t level) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t v = Luma(s[3 * x + 2], s[3 * x + 1], s[3 * x]) > level ? 0xFF : 0;
        t[3 * x] = v;
        t[3 * x + 1] = v;
        t[3 * x + 2] = v;
    }
}

ZORVA_KERNEL void ThresholdImage(core::BmpView source, core::MutableBmpView target, uint8_t level) {
    for (uint32_t r = 0; r < source.height(); ++r) ThresholdRow(source.row(r), target.row(r), source.width(), level);
}
void ThresholdPlain(core::BmpView source, core::MutableBmpView target, uint8_t level) {
    ThresholdImage(source, target, level);
}
ZORVA_AVX2 void ThresholdAvx2(core::BmpView source, core::MutableBmpView target, uint8_t level) {
    ThresholdImage(source, target, level);
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

ZORVA_KERNEL void DecomposeRow(const uint8_t* __restrict p, uint8_t* __restrict q, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, p += 3, q += 3) {
        const HueDecomposition d = Decompose(p[2], p[1], p[0]);
        q[0] = d.value;
        q[1] = d.chroma;
        q[2] = d.hue;
    }
}

ZORVA_KERNEL void RecomposeRow(const uint8_t* __restrict q, uint8_t* __restrict p, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, p += 3, q += 3) {
        const uint32_t colour = kHueTable[q[2] < kHueCount ? q[2] : 0];
        const uint32_t v = q[0];
        p[0] = uint8_t(((colour & 0xFF) * v) >> 8);
        p[1] = uint8_t((((colour >> 8) & 0xFF) * v) >> 8);
        p[2] = uint8_t(((colour >> 16) * v) >> 8);
    }
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
        const ToneRowParameters p = RowParameters(transfer, width);
        if (UseAvx2(kernels))
            ToneImageAvx2(source, target, p);
        else
            ToneImagePlain(source, target, p);
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
    if (UseAvx2(kernels))
        GreyAvx2(image);
    else
        GreyPlain(image);
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
    if (UseAvx2(kernels))
        NegativeAvx2(image);
    else
        NegativePlain(image);
}

void Threshold(core::BmpView source, core::MutableBmpView target, uint8_t level, Kernels kernels) {
    if (UseAvx2(kernels))
        ThresholdAvx2(source, target, level);
    else
        ThresholdPlain(source, target, level);
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

void EnhanceColour(core::MutableBmpView image, core::MutableBmpView scratch, Kernels) {
    std::memcpy(scratch.data(), image.data(), core::kHeaderSize);
    const uint32_t width = image.width();
    for (uint32_t r = 0; r < image.height(); ++r) DecomposeRow(image.row(r), scratch.row(r), width);
    for (uint32_t r = 0; r < image.height(); ++r) RecomposeRow(scratch.row(r), image.row(r), width);
}

}  // namespace zorva::effects
