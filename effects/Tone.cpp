// The tone transfer, grey, negative, threshold and colour enhancement over 24-bit rows, each in a plain and an AVX2
// build.
#include "effects/Tone.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "effects/PixelsAvx2.h"

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

// ToneBytes 32 bytes at a time. The parameters repeat every 3 bytes, so
// every 96 bytes: three vectors of each, built once. (a * gain) >> 6 is the
// high half of (a << 8) * (gain << 2).
ZORVA_AVX2 void ToneImageAvx2(core::BmpView source, core::MutableBmpView target, const ToneRowParameters& p) {
    const size_t n = size_t(3) * source.width();
    const __m256i zero = _mm256_setzero_si256(), minusOne = _mm256_set1_epi8(-1);
    const __m256i low7 = _mm256_set1_epi8(0x7F), top = _mm256_set1_epi8(int8_t(0x80));
    __m256i gainLo[3], gainHi[3], up[3], down[3];
    const size_t patterned = std::min<size_t>(n, 96);
    if (patterned == 96)
        for (int k = 0; k < 3; ++k) {
            const __m256i gain = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.gain.data() + 32 * k));
            gainLo[k] = _mm256_slli_epi16(_mm256_unpacklo_epi8(gain, zero), 2);
            gainHi[k] = _mm256_slli_epi16(_mm256_unpackhi_epi8(gain, zero), 2);
            up[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.up.data() + 32 * k));
            down[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.down.data() + 32 * k));
        }
    const size_t vectorBytes = n / 96 * 96;
    for (uint32_t r = 0; r < source.height(); ++r) {
        const uint8_t* in = source.row(r);
        uint8_t* out = target.row(r);
        for (size_t i = 0; i < vectorBytes; i += 96)
            for (int k = 0; k < 3; ++k) {
                const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 32 * k));
                const __m256i lower = _mm256_cmpgt_epi8(v, minusOne);  // v < 128 as unsigned
                const __m256i a = _mm256_and_si256(_mm256_xor_si256(v, lower), low7);
                const __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, a), gainLo[k]);
                const __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, a), gainHi[k]);
                const __m256i m = _mm256_min_epu8(_mm256_packus_epi16(lo, hi), low7);
                const __m256i u = _mm256_xor_si256(m, _mm256_xor_si256(top, lower));
                const __m256i result = _mm256_subs_epu8(_mm256_adds_epu8(u, up[k]), down[k]);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 32 * k), result);
            }
        ToneBytes(in + vectorBytes, out + vectorBytes, p.gain.data() + vectorBytes, p.up.data() + vectorBytes,
                  p.down.data() + vectorBytes, n - vectorBytes);
    }
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
    const uint32_t width = image.width(), whole = width / 32 * 32;
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        for (uint32_t x = 0; x < whole; x += 32) avx2::StoreGrey(p + 3 * x, avx2::LumaAt(p + 3 * x));
        GreyRow(p + 3 * whole, width - whole);
    }
}

ZORVA_KERNEL void NegativeImage(core::MutableBmpView image) {
    // Rows without padding (a width divisible by 4) are one run of bytes.
    const size_t n = size_t(3) * image.width();
    const bool padded = image.stride() != n;
    const size_t run = padded ? n : n * image.height();
    for (uint32_t r = 0; r < (padded ? image.height() : 1u); ++r) {
        uint8_t* __restrict p = image.row(r);
        for (size_t i = 0; i < run; ++i) p[i] = uint8_t(~p[i]);
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
    // Unsigned "above" as a signed comparison with the top bits flipped.
    const __m256i flip = _mm256_set1_epi8(int8_t(0x80)), flippedLevel = _mm256_set1_epi8(int8_t(level ^ 0x80));
    const uint32_t width = source.width(), whole = width / 32 * 32;
    for (uint32_t r = 0; r < source.height(); ++r) {
        const uint8_t* s = source.row(r);
        uint8_t* t = target.row(r);
        for (uint32_t x = 0; x < whole; x += 32) {
            const __m256i y = avx2::LumaAt(s + 3 * x);
            avx2::StoreGrey(t + 3 * x, _mm256_cmpgt_epi8(_mm256_xor_si256(y, flip), flippedLevel));
        }
        ThresholdRow(s + 3 * whole, t + 3 * whole, width - whole, level);
    }
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

// The definition pixel by pixel: decompose, look the hue up, scale by value.
void EnhancePlain(core::MutableBmpView image) {
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        for (uint32_t x = 0; x < image.width(); ++x, p += 3) {
            const HueDecomposition d = Decompose(p[2], p[1], p[0]);
            const uint32_t colour = kHueTable[d.hue], v = d.value;
            p[0] = uint8_t(((colour & 0xFF) * v) >> 8);
            p[1] = uint8_t((((colour >> 8) & 0xFF) * v) >> 8);
            p[2] = uint8_t(((colour >> 16) * v) >> 8);
        }
    }
}

// ---- colour enhancement, 32 pixels at a time ----
//
// The hue table's colour of a pixel has the pixel's largest channel at 255,
// its smallest at 0 and its middle one at kRamp[f] (kRamp[40] = 255 when the
// middle equals the largest), in every one of the six orderings; which
// channel counts as largest or smallest follows the orderings' tie rules
// (grey is red-green-blue: yellow). So the result needs no hue: the largest
// channel becomes (255 V) >> 8 = V - 1 (0 for 0), the smallest 0, the middle
// (kRamp[f] V) >> 8.

namespace enhance {

// a >= b for unsigned bytes.
ZORVA_AVX2 inline __m256i AtLeast(__m256i a, __m256i b) {
    return _mm256_cmpeq_epi8(_mm256_max_epu8(a, b), a);
}

// 16 bytes widened, in order, to 16-bit lanes.
ZORVA_AVX2 inline __m256i Widen(__m128i bytes) {
    return _mm256_cvtepu8_epi16(bytes);
}

// 16-bit lanes of two vectors narrowed, in order, to the bytes of one.
ZORVA_AVX2 inline __m256i Narrow(__m256i lo, __m256i hi) {
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
}

// floor(256 d / c) of 16 lanes (d < c, or c = 0: any result). The float
// quotient of the exact integers is correctly rounded, and a quotient that
// is not a whole number lies at least 1/255 below the next one, far beyond
// the rounding, so truncating it is exact.
ZORVA_AVX2 inline __m256 Floats(__m128i eight16) {
    return _mm256_cvtepi32_ps(_mm256_cvtepu16_epi32(eight16));
}

ZORVA_AVX2 inline __m256i Quotient(__m256i d16, __m256i c16) {
    const __m256 scale = _mm256_set1_ps(256.0f);
    const __m128i dLo = _mm256_castsi256_si128(d16), dHi = _mm256_extracti128_si256(d16, 1);
    const __m128i cLo = _mm256_castsi256_si128(c16), cHi = _mm256_extracti128_si256(c16, 1);
    const __m256i lo = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_mul_ps(Floats(dLo), scale), Floats(cLo)));
    const __m256i hi = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_mul_ps(Floats(dHi), scale), Floats(cHi)));
    // Quotients of c = 0 come out as 0x80000000; packing saturates them.
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(lo, hi), 0xD8);
}

// kRamp[f] for bytes f in 0..40: three 16-entry tables.
ZORVA_AVX2 inline __m256i Ramp(__m256i f) {
    alignas(16) static constexpr uint8_t kParts[3][16] = {
        {0, 6, 13, 19, 26, 32, 38, 45, 51, 58, 64, 70, 76, 83, 90, 96},
        {102, 109, 115, 122, 128, 134, 141, 147, 154, 160, 166, 173, 179, 186, 192, 198},
        {205, 211, 218, 224, 230, 237, 243, 249, 255, 0, 0, 0, 0, 0, 0, 0},
    };
    const __m256i part0 = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kParts[0])));
    const __m256i part1 = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kParts[1])));
    const __m256i part2 = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kParts[2])));
    const __m256i low = _mm256_shuffle_epi8(part0, f);
    const __m256i middle = _mm256_shuffle_epi8(part1, _mm256_sub_epi8(f, _mm256_set1_epi8(16)));
    const __m256i high = _mm256_shuffle_epi8(part2, _mm256_sub_epi8(f, _mm256_set1_epi8(32)));
    const __m256i above15 = _mm256_cmpgt_epi8(f, _mm256_set1_epi8(15));
    const __m256i above31 = _mm256_cmpgt_epi8(f, _mm256_set1_epi8(31));
    return _mm256_blendv_epi8(_mm256_blendv_epi8(low, middle, above15), high, above31);
}

// A channel: the largest value where it is the largest, 0 where it is the
// smallest, else the middle value.
ZORVA_AVX2 inline __m256i Channel(__m256i middle, __m256i largest, __m256i isMax, __m256i isMin) {
    return _mm256_blendv_epi8(_mm256_blendv_epi8(middle, _mm256_setzero_si256(), isMin), largest, isMax);
}

ZORVA_AVX2 inline avx2::Planar Enhance(const avx2::Planar& px) {
    const __m256i r = px.red, g = px.green, b = px.blue;
    const __m256i rg = AtLeast(r, g), gb = AtLeast(g, b), rb = AtLeast(r, b);
    // The orderings: red largest in A and F, green in B and C, blue in D
    // and E; blue smallest in A and B, red in C and D, green in E and F.
    const __m256i maxRed = _mm256_and_si256(rg, _mm256_or_si256(gb, rb));
    const __m256i maxGreen = _mm256_andnot_si256(rg, _mm256_or_si256(rb, gb));
    const __m256i minRed = _mm256_andnot_si256(_mm256_or_si256(rg, rb), _mm256_set1_epi8(-1));
    const __m256i minGreen = _mm256_andnot_si256(gb, rg);
    const __m256i minBlue = _mm256_or_si256(_mm256_and_si256(rg, gb), _mm256_andnot_si256(rg, rb));

    const __m256i high = _mm256_max_epu8(_mm256_max_epu8(r, g), b);
    const __m256i low = _mm256_min_epu8(_mm256_min_epu8(r, g), b);
    const __m256i mid = _mm256_max_epu8(_mm256_min_epu8(r, g), _mm256_min_epu8(_mm256_max_epu8(r, g), b));
    const __m256i d = _mm256_sub_epi8(mid, low), c = _mm256_sub_epi8(high, low);

    // f = (q * 39) >> 8, or 40 where the middle equals the largest.
    const __m256i thirtyNine = _mm256_set1_epi16(39);
    const __m256i qLo = Quotient(Widen(_mm256_castsi256_si128(d)), Widen(_mm256_castsi256_si128(c)));
    const __m256i qHi = Quotient(Widen(_mm256_extracti128_si256(d, 1)), Widen(_mm256_extracti128_si256(c, 1)));
    const __m256i f = Narrow(_mm256_srli_epi16(_mm256_mullo_epi16(qLo, thirtyNine), 8),
                             _mm256_srli_epi16(_mm256_mullo_epi16(qHi, thirtyNine), 8));
    const __m256i flat = _mm256_cmpeq_epi8(mid, high);
    const __m256i ramp = Ramp(_mm256_blendv_epi8(f, _mm256_set1_epi8(40), flat));

    const __m256i middleLo = _mm256_srli_epi16(
        _mm256_mullo_epi16(Widen(_mm256_castsi256_si128(ramp)), Widen(_mm256_castsi256_si128(high))), 8);
    const __m256i middleHi = _mm256_srli_epi16(
        _mm256_mullo_epi16(Widen(_mm256_extracti128_si256(ramp, 1)), Widen(_mm256_extracti128_si256(high, 1))), 8);
    const __m256i middle = Narrow(middleLo, middleHi);
    const __m256i largest = _mm256_subs_epu8(high, _mm256_set1_epi8(1));
    const __m256i maxBlue = _mm256_andnot_si256(_mm256_or_si256(maxRed, maxGreen), _mm256_set1_epi8(-1));
    return {Channel(middle, largest, maxBlue, minBlue), Channel(middle, largest, maxGreen, minGreen),
            Channel(middle, largest, maxRed, minRed)};
}

}  // namespace enhance

ZORVA_AVX2 void EnhanceAvx2(core::MutableBmpView image) {
    const uint32_t width = image.width(), whole = width / 32 * 32;
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        for (uint32_t x = 0; x < whole; x += 32) avx2::Store(p + 3 * x, enhance::Enhance(avx2::Load(p + 3 * x)));
        for (uint32_t x = whole; x < width; ++x) {
            uint8_t* q = p + 3 * x;
            const HueDecomposition d = Decompose(q[2], q[1], q[0]);
            const uint32_t colour = kHueTable[d.hue], v = d.value;
            q[0] = uint8_t(((colour & 0xFF) * v) >> 8);
            q[1] = uint8_t((((colour >> 8) & 0xFF) * v) >> 8);
            q[2] = uint8_t(((colour >> 16) * v) >> 8);
        }
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

void EnhanceColour(core::MutableBmpView image, Kernels kernels) {
    if (UseAvx2(kernels))
        EnhanceAvx2(image);
    else
        EnhancePlain(image);
}

}  // namespace zorva::effects
