// AVX2 helpers for 24-bit rows, for the AVX2 kernel file only: 32 pixels split into blue, green and red lanes,
// luminance, and the way back.
#pragma once

#include <immintrin.h>

#include <array>
#include <cstdint>

#include "core/Luma.h"

// A function built for AVX2; only reached through the AVX2 table, which the
// processor check picks only where the processor has AVX2.
#define ZORVA_AVX2 __attribute__((target("avx2")))

namespace zorva::simd::avx2 {

// 32 pixels of a row, one byte per pixel in each vector. Lane 0 of each
// vector holds pixels 0..15, lane 1 pixels 16..31.
struct Planar {
    __m256i blue, green, red;
};

// ---- shuffle masks ----
// The bytes of 16 pixels (48 bytes) come in three 16-byte chunks: byte k of
// chunk c is byte 16 c + k of the 48, pixel (16 c + k) / 3, channel
// (16 c + k) mod 3. A mask entry -1 gives a zero byte.
using ShuffleMask = std::array<int8_t, 16>;

// Picks channel `channel` of the pixels whose bytes lie in chunk `chunk`.
constexpr ShuffleMask GatherMask(int chunk, int channel) {
    ShuffleMask m{};
    for (int px = 0; px < 16; ++px) {
        const int at = 3 * px + channel;
        m[size_t(px)] = at / 16 == chunk ? int8_t(at % 16) : int8_t(-1);
    }
    return m;
}

// Places channel `channel` of 16 pixels at their bytes of chunk `chunk`.
constexpr ShuffleMask ScatterMask(int chunk, int channel) {
    ShuffleMask m{};
    for (int k = 0; k < 16; ++k) {
        const int at = 16 * chunk + k;
        m[size_t(k)] = at % 3 == channel ? int8_t(at / 3) : int8_t(-1);
    }
    return m;
}

// Places one byte per pixel at all three of its bytes of chunk `chunk`.
constexpr ShuffleMask GreyMask(int chunk) {
    ShuffleMask m{};
    for (int k = 0; k < 16; ++k) m[size_t(k)] = int8_t((16 * chunk + k) / 3);
    return m;
}

// Of the 8 pixels from `first` (0 or 8), the bytes of chunk `chunk` as
// 16-bit pairs: channel `low` in the low byte and channel `high` in the high
// one (-1: zero).
constexpr ShuffleMask PairMask(int chunk, int first, int low, int high) {
    ShuffleMask m{};
    for (int k = 0; k < 16; ++k) {
        const int channel = k % 2 == 0 ? low : high;
        const int at = 3 * (first + k / 2) + channel;
        m[size_t(k)] = channel >= 0 && at / 16 == chunk ? int8_t(at % 16) : int8_t(-1);
    }
    return m;
}

alignas(16) inline constexpr ShuffleMask kGather[3][3] = {
    {GatherMask(0, 0), GatherMask(1, 0), GatherMask(2, 0)},
    {GatherMask(0, 1), GatherMask(1, 1), GatherMask(2, 1)},
    {GatherMask(0, 2), GatherMask(1, 2), GatherMask(2, 2)},
};
alignas(16) inline constexpr ShuffleMask kScatter[3][3] = {
    {ScatterMask(0, 0), ScatterMask(0, 1), ScatterMask(0, 2)},
    {ScatterMask(1, 0), ScatterMask(1, 1), ScatterMask(1, 2)},
    {ScatterMask(2, 0), ScatterMask(2, 1), ScatterMask(2, 2)},
};
alignas(16) inline constexpr ShuffleMask kGrey[3] = {GreyMask(0), GreyMask(1), GreyMask(2)};
// Blue-red pairs and green-zero pairs of pixels 0..7 (from chunks 0 and 1)
// and 8..15 (from chunks 1 and 2).
alignas(16) inline constexpr ShuffleMask kBlueRed[2][2] = {
    {PairMask(0, 0, 0, 2), PairMask(1, 0, 0, 2)},
    {PairMask(1, 8, 0, 2), PairMask(2, 8, 0, 2)},
};
alignas(16) inline constexpr ShuffleMask kGreen[2][2] = {
    {PairMask(0, 0, 1, -1), PairMask(1, 0, 1, -1)},
    {PairMask(1, 8, 1, -1), PairMask(2, 8, 1, -1)},
};

// A mask in both lanes.
ZORVA_AVX2 inline __m256i Mask(const ShuffleMask& m) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(m.data())));
}

// ---- loading and storing 32 pixels ----

// Chunks 0, 1, 2 of pixels 0..15 in lane 0 and of pixels 16..31 in lane 1.
ZORVA_AVX2 inline void LoadChunks(const uint8_t* p, __m256i& c0, __m256i& c1, __m256i& c2) {
    c0 = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(p + 48), reinterpret_cast<const __m128i*>(p));
    c1 = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(p + 64), reinterpret_cast<const __m128i*>(p + 16));
    c2 = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(p + 80), reinterpret_cast<const __m128i*>(p + 32));
}

ZORVA_AVX2 inline void StoreChunks(uint8_t* p, __m256i c0, __m256i c1, __m256i c2) {
    _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(p + 48), reinterpret_cast<__m128i*>(p), c0);
    _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(p + 64), reinterpret_cast<__m128i*>(p + 16), c1);
    _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(p + 80), reinterpret_cast<__m128i*>(p + 32), c2);
}

ZORVA_AVX2 inline __m256i Gather(__m256i c0, __m256i c1, __m256i c2, int channel) {
    const ShuffleMask(&m)[3] = kGather[channel];
    return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(c0, Mask(m[0])), _mm256_shuffle_epi8(c1, Mask(m[1]))),
                           _mm256_shuffle_epi8(c2, Mask(m[2])));
}

// The 32 pixels at `p` (96 bytes).
ZORVA_AVX2 inline Planar Load(const uint8_t* p) {
    __m256i c0, c1, c2;
    LoadChunks(p, c0, c1, c2);
    return {Gather(c0, c1, c2, 0), Gather(c0, c1, c2, 1), Gather(c0, c1, c2, 2)};
}

ZORVA_AVX2 inline __m256i Scatter(const Planar& v, int chunk) {
    const ShuffleMask(&m)[3] = kScatter[chunk];
    return _mm256_or_si256(
        _mm256_or_si256(_mm256_shuffle_epi8(v.blue, Mask(m[0])), _mm256_shuffle_epi8(v.green, Mask(m[1]))),
        _mm256_shuffle_epi8(v.red, Mask(m[2])));
}

ZORVA_AVX2 inline void Store(uint8_t* p, const Planar& v) {
    StoreChunks(p, Scatter(v, 0), Scatter(v, 1), Scatter(v, 2));
}

// 32 grey pixels: the same byte in all three channels.
ZORVA_AVX2 inline void StoreGrey(uint8_t* p, __m256i grey) {
    StoreChunks(p, _mm256_shuffle_epi8(grey, Mask(kGrey[0])), _mm256_shuffle_epi8(grey, Mask(kGrey[1])),
                _mm256_shuffle_epi8(grey, Mask(kGrey[2])));
}

// core::Luma of the 32 pixels at `p`: 29 B + 77 R as one multiply-add of
// byte pairs (at most 27,030, no saturation), 150 G in 16 bits; their sum
// stays below 65,536. The pairs are shuffled straight out of
// the interleaved bytes, eight shuffles where splitting the channels first
// takes thirteen. Pairs: two chunks' shuffles of one half of the pixels.
ZORVA_AVX2 inline __m256i Pairs(__m256i first, __m256i second, const ShuffleMask (&m)[2]) {
    return _mm256_or_si256(_mm256_shuffle_epi8(first, Mask(m[0])), _mm256_shuffle_epi8(second, Mask(m[1])));
}

ZORVA_AVX2 inline __m256i LumaAt(const uint8_t* p) {
    __m256i c0, c1, c2;
    LoadChunks(p, c0, c1, c2);
    const __m256i weights = _mm256_set1_epi16(int16_t(core::kLumaRed << 8 | core::kLumaBlue));
    const __m256i g150 = _mm256_set1_epi16(int16_t(core::kLumaGreen));
    const __m256i lo = _mm256_add_epi16(_mm256_maddubs_epi16(Pairs(c0, c1, kBlueRed[0]), weights),
                                        _mm256_mullo_epi16(Pairs(c0, c1, kGreen[0]), g150));
    const __m256i hi = _mm256_add_epi16(_mm256_maddubs_epi16(Pairs(c1, c2, kBlueRed[1]), weights),
                                        _mm256_mullo_epi16(Pairs(c1, c2, kGreen[1]), g150));
    return _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8));
}

}  // namespace zorva::simd::avx2
