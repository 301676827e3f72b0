// The AVX2 build of every loop, for x86-64 processors that have AVX2: hand-written where the vectoriser falls short,
// elsewhere the plain loops compiled for AVX2.
#include <immintrin.h>

#include <cassert>
#include <cstdint>

#include "core/simd/FilterLoops.h"
#include "core/simd/KernelTable.h"
#include "core/simd/MeanLoops.h"
#include "core/simd/PixelLoops.h"
#include "core/simd/PixelsAvx2.h"
#include "core/simd/ScanLoops.h"

namespace zorva::simd {

namespace {

// ---- tone, grey, negative, threshold, luminance ----

// loops::ToneBytes 32 bytes at a time. The parameters repeat every 3 bytes, so
// every 96 bytes: three vectors of each, built once. (a * gain) >> 6 is the
// high half of (a << 8) * (gain << 2).
ZORVA_AVX2 void ToneAvx2(core::BmpView source, core::MutableBmpView target,
                         const std::array<ChannelTone, 3>& channels) {
    const loops::ToneRowParameters p = loops::RowParameters(channels, source.width());
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
        loops::ToneBytes(in + vectorBytes, out + vectorBytes, p.gain.data() + vectorBytes, p.up.data() + vectorBytes,
                         p.down.data() + vectorBytes, n - vectorBytes);
    }
}

ZORVA_AVX2 void GreyAvx2(core::MutableBmpView image) {
    const uint32_t width = image.width(), whole = width / 32 * 32;
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        for (uint32_t x = 0; x < whole; x += 32) avx2::StoreGrey(p + 3 * x, avx2::LumaAt(p + 3 * x));
        loops::GreyRow(p + 3 * whole, width - whole);
    }
}

ZORVA_AVX2 void NegateAvx2(core::MutableBmpView image) {
    loops::NegativeImage(image);
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
        loops::ThresholdRow(s + 3 * whole, t + 3 * whole, width - whole, level);
    }
}

ZORVA_AVX2 void LumaRowAvx2(const uint8_t* __restrict p, uint8_t* __restrict y, uint32_t width) {
    const uint32_t whole = width / 32 * 32;
    for (uint32_t x = 0; x < whole; x += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(y + x), avx2::LumaAt(p + 3 * x));
    loops::LumaRow(p + 3 * whole, y + whole, width - whole);
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

ZORVA_AVX2 uint32_t EnhanceLeadingPixelsAvx2(uint8_t* row, uint32_t width) {
    const uint32_t whole = width / 32 * 32;
    for (uint32_t x = 0; x < whole; x += 32) avx2::Store(row + 3 * x, enhance::Enhance(avx2::Load(row + 3 * x)));
    return whole;
}

// ---- neighbourhood filters ----

ZORVA_AVX2 void BoxBlurAvx2(core::MutableBmpView image, uint32_t radius) {
    loops::BoxBlurAnyRadius(image, radius);
}

ZORVA_AVX2 void SharpenAvx2(core::MutableBmpView image, core::MutableBmpView average) {
    loops::SharpenImage(image, average);
}

ZORVA_AVX2 void SobelAvx2(core::BmpView copy, core::MutableBmpView image) {
    loops::SobelImage(copy, image);
}

// loops::SketchPixels 32 pixels at a time: saturating byte sums.
ZORVA_AVX2 void SketchPixelsAvx2(const uint8_t* __restrict terms, uint8_t* __restrict out, uint32_t first,
                                 uint32_t last) {
    uint32_t x = first;
    for (; x + 31 <= last; x += 32) {
        const avx2::Planar t = avx2::Load(terms + 3 * x);
        const __m256i s = _mm256_adds_epu8(_mm256_adds_epu8(t.blue, t.green), t.red);
        avx2::StoreGrey(out + 3 * x, _mm256_xor_si256(s, _mm256_set1_epi8(-1)));
    }
    if (x <= last) loops::SketchPixels(terms, out, x, last);
}

ZORVA_AVX2 void PencilHardAvx2(core::BmpView copy, core::MutableBmpView image) {
    loops::PencilHardImage<SketchPixelsAvx2>(copy, image);
}

ZORVA_AVX2 void PencilSoftAvx2(core::BmpView copy, core::MutableBmpView image) {
    loops::PencilSoftImage<SketchPixelsAvx2>(copy, image);
}

// ---- local means and the adaptive threshold ----

ZORVA_AVX2 void LocalMeansAvx2(core::BmpView image, core::Plane<uint32_t> records) {
    loops::LocalMeans<LumaRowAvx2>(image, records);
}

ZORVA_AVX2 void ThresholdByMeansAvx2(core::Plane<const uint32_t> records, uint32_t window, const MeanLevel& level,
                                     Area area, core::Plane<uint32_t> result) {
    loops::ThresholdArea(records, window, level, area, result);
}

ZORVA_AVX2 void RenderThresholdByMeansAvx2(core::Plane<const uint32_t> records, uint32_t window, int drop,
                                           core::MutableBmpView image) {
    loops::RenderThreshold(records, window, drop, image);
}

ZORVA_AVX2 void RenderBinaryAvx2(core::Plane<const uint32_t> plane, core::MutableBmpView image) {
    loops::Render(plane, image);
}

// ---- segmentation and shape matching ----

// Sixteen indices are compared at a time (SSE2 lanes are wide enough: the
// rows are short) and each word is stored once.
ZORVA_AVX2 void RunStartsAvx2(const uint32_t* line, uint32_t n, uint64_t* mask) {
    const __m128i low = _mm_set1_epi32(0xFF), zero = _mm_setzero_si128();
    // All ones in the lanes of line[i..i+3] whose index equals the one before.
    const auto same = [&](uint32_t i) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i - 1));
        return _mm_cmpeq_epi32(_mm_and_si128(_mm_xor_si128(here, before), low), zero);
    };
    for (uint32_t base = 0; base < n; base += 64) {
        uint64_t bits = 0;
        for (uint32_t g = 0; g < 64 && base + g < n; g += 16) {
            const uint32_t i = base + g;
            if (i > 0 && i + 16 <= n) {
                const __m128i sameFirst = _mm_packs_epi32(same(i), same(i + 4));
                const __m128i sameSecond = _mm_packs_epi32(same(i + 8), same(i + 12));
                const uint32_t equal = uint32_t(_mm_movemask_epi8(_mm_packs_epi16(sameFirst, sameSecond)));
                bits |= uint64_t(~equal & 0xFFFF) << g;
            } else {
                for (uint32_t k = i; k < std::min(i + 16, n); ++k)
                    bits |= uint64_t(k == 0 || ((line[k] ^ line[k - 1]) & 0xFF) != 0) << (k - base);
            }
        }
        mask[base / 64] = bits;
    }
}

ZORVA_AVX2 uint32_t ProfileDistanceAvx2(const int16_t* profile, const uint8_t* record, uint32_t samples) {
    assert(reinterpret_cast<uintptr_t>(profile) % 16 == 0 && reinterpret_cast<uintptr_t>(record) % 16 == 0);
    const __m128i* p = reinterpret_cast<const __m128i*>(profile);
    const __m128i* r = reinterpret_cast<const __m128i*>(record);
    // Eight samples at a time: 16-bit wrap-around differences, pairs of
    // squares summed into 32-bit lanes by the multiply-add (2^31, the one
    // sum it cannot hold as a signed value, is right as an unsigned one),
    // each shifted right by 4. A lane adds 16 such values: at most 2^31.
    __m128i sums = _mm_setzero_si128();
    for (uint32_t k = 0; k < samples / 8; ++k) {
        const __m128i d = _mm_sub_epi16(_mm_load_si128(p + k), _mm_load_si128(r + k));
        sums = _mm_add_epi32(sums, _mm_srli_epi32(_mm_madd_epi16(d, d), 4));
    }
    alignas(16) uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
    return loops::Saturate(uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3]);
}

}  // namespace

const KernelTable kAvx2Kernels = {
    ToneAvx2,
    GreyAvx2,
    NegateAvx2,
    ThresholdAvx2,
    LumaRowAvx2,
    EnhanceLeadingPixelsAvx2,
    BoxBlurAvx2,
    SharpenAvx2,
    SobelAvx2,
    PencilHardAvx2,
    PencilSoftAvx2,
    LocalMeansAvx2,
    ThresholdByMeansAvx2,
    RenderThresholdByMeansAvx2,
    RenderBinaryAvx2,
    RunStartsAvx2,
    ProfileDistanceAvx2,
};

}  // namespace zorva::simd
