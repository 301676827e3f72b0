// PNG rows unfiltered: plain loops for every filter and pixel size, and SSE2 loops for the filters whose every
// pixel waits for the one on its left (Sub, Average, Paeth) on 3- and 4-byte pixels.
#include "core/simd/PngUnfilter.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <cstdlib>
#include <cstring>

namespace zorva::simd {

namespace {

// The Paeth predictor of one byte.
inline uint8_t Paeth(int a, int b, int c) {
    const int p = b - c;
    const int q = a - c;
    const int pa = std::abs(p);
    const int pb = std::abs(q);
    const int pc = std::abs(p + q);
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The samples of one 3- or 4-byte pixel as the low four 16-bit lanes of an
// SSE2 register: the Sub, Average and Paeth filters, whose every pixel waits
// for the one on its left, go a whole pixel per step. Other processors take
// the plain loops below.
#ifdef __SSE2__
inline __m128i LoadLanes(const uint8_t* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(word)), _mm_setzero_si128());
}

// Stores the low four lanes (each 0..255) as four bytes.
inline void StoreLanes(uint8_t* p, __m128i v) {
    const uint32_t word = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
    std::memcpy(p, &word, 4);
}

inline __m128i AbsLanes(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// `mask` ? x : y, lane by lane.
inline __m128i Choose(__m128i mask, __m128i x, __m128i y) {
    return _mm_or_si128(_mm_and_si128(mask, x), _mm_andnot_si128(mask, y));
}

// Unfilters one row of 3- or 4-byte pixels whose filter is 1, 3 or 4, as
// UnfilterRow does, reading up to 1 byte and writing up to 1 byte past the
// row's end (the buffers allow it).
template <int Bpp>
void UnfilterPixels(uint8_t type, const uint8_t* __restrict in, uint8_t* __restrict out,
                    const uint8_t* __restrict prior, size_t size) {
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    if (type == 1) {
        for (size_t i = 0; i < size; i += Bpp) {
            a = _mm_and_si128(_mm_add_epi16(LoadLanes(in + i), a), low);
            StoreLanes(out + i, a);
        }
    } else if (type == 3) {
        for (size_t i = 0; i < size; i += Bpp) {
            const __m128i average = _mm_srli_epi16(_mm_add_epi16(a, LoadLanes(prior + i)), 1);
            a = _mm_and_si128(_mm_add_epi16(LoadLanes(in + i), average), low);
            StoreLanes(out + i, a);
        }
    } else {
        __m128i c = _mm_setzero_si128();
        for (size_t i = 0; i < size; i += Bpp) {
            const __m128i b = LoadLanes(prior + i);
            const __m128i p = _mm_sub_epi16(b, c);
            const __m128i q = _mm_sub_epi16(a, c);
            const __m128i pa = AbsLanes(p);
            const __m128i pb = AbsLanes(q);
            const __m128i pc = AbsLanes(_mm_add_epi16(p, q));
            // a when it is nearest (ties go to a, then to b), else b or c
            const __m128i notA = _mm_or_si128(_mm_cmplt_epi16(pb, pa), _mm_cmplt_epi16(pc, pa));
            const __m128i predicted = Choose(notA, Choose(_mm_cmplt_epi16(pc, pb), c, b), a);
            a = _mm_and_si128(_mm_add_epi16(LoadLanes(in + i), predicted), low);
            c = b;
            StoreLanes(out + i, a);
        }
    }
}

// The Paeth filter of two rows at once, a wavefront: the low four lanes work
// on the upper row at pixel x while the high four work on the lower row at
// pixel x - 1, whose left, above and above-left pixels are then all known.
// Each step waits for the one before it as the one-row loop does, and makes
// two pixels. `inUpper`, `inLower` are the filtered rows (both Paeth),
// `outUpper`, `outLower` receive them unfiltered, `prior` is the row above
// the upper one; `width` pixels of `Bpp` bytes. Reads and writes up to 4 bytes
// past a row's end, as UnfilterPixels.
template <int Bpp>
void UnfilterPaethPair(const uint8_t* __restrict inUpper, const uint8_t* __restrict inLower,
                       uint8_t* __restrict outUpper, uint8_t* __restrict outLower, const uint8_t* __restrict prior,
                       size_t width) {
    const __m128i low = _mm_set1_epi16(0xFF);
    const __m128i upperOnly = _mm_set_epi32(0, 0, -1, -1);
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    __m128i b = LoadLanes(prior);  // the lower row's half: the pixel left of its first, none
    for (size_t x = 0; x <= width; ++x) {
        const __m128i p = _mm_sub_epi16(b, c);
        const __m128i q = _mm_sub_epi16(a, c);
        const __m128i pa = AbsLanes(p);
        const __m128i pb = AbsLanes(q);
        const __m128i pc = AbsLanes(_mm_add_epi16(p, q));
        const __m128i notA = _mm_or_si128(_mm_cmplt_epi16(pb, pa), _mm_cmplt_epi16(pc, pa));
        const __m128i predicted = Choose(notA, Choose(_mm_cmplt_epi16(pc, pb), c, b), a);
        const __m128i filtered =
            _mm_unpacklo_epi64(LoadLanes(inUpper + x * Bpp), LoadLanes(inLower + (x == 0 ? 0 : x - 1) * Bpp));
        a = _mm_and_si128(_mm_add_epi16(filtered, predicted), low);
        const __m128i bytes = _mm_packus_epi16(a, a);
        if (x < width) {
            const uint32_t word = uint32_t(_mm_cvtsi128_si32(bytes));
            std::memcpy(outUpper + x * Bpp, &word, 4);
        }
        if (x == 0) {
            a = _mm_and_si128(a, upperOnly);  // the lower row has no pixel left of its first
        } else {
            const uint32_t word = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4)));
            std::memcpy(outLower + (x - 1) * Bpp, &word, 4);
        }
        // Above the next step's pixels: the prior row at x + 1, and the upper
        // row's pixel just made; above-left: this step's above.
        c = b;
        b = _mm_unpacklo_epi64(LoadLanes(prior + (x + 1) * Bpp), a);
    }
}
#endif

// Undoes the filter `type` (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth) of one
// row of `size` bytes from `in` into `out`; `prior` is the row above,
// unfiltered, or zeros for the first row. A pixel of `Bpp` bytes.
template <int Bpp>
void UnfilterRow(uint8_t type, const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t* __restrict prior,
                 size_t size) {
    switch (type) {
        case 0:
            std::memcpy(out, in, size);
            break;
        case 1:
            for (size_t i = 0; i < Bpp; ++i) out[i] = in[i];
            for (size_t i = Bpp; i < size; ++i) out[i] = uint8_t(in[i] + out[i - Bpp]);
            break;
        case 2:
            for (size_t i = 0; i < size; ++i) out[i] = uint8_t(in[i] + prior[i]);
            break;
        case 3:
            for (size_t i = 0; i < Bpp; ++i) out[i] = uint8_t(in[i] + (prior[i] >> 1));
            for (size_t i = Bpp; i < size; ++i) out[i] = uint8_t(in[i] + ((out[i - Bpp] + prior[i]) >> 1));
            break;
        case 4:
            for (size_t i = 0; i < Bpp; ++i) out[i] = uint8_t(in[i] + prior[i]);
            for (size_t i = Bpp; i < size; ++i) out[i] = uint8_t(in[i] + Paeth(out[i - Bpp], prior[i], prior[i - Bpp]));
            break;
        default:
            break;
    }
}

}  // namespace

void UnfilterPngRow(int bpp, uint8_t type, const uint8_t* in, uint8_t* out, const uint8_t* prior, size_t size) {
#ifdef __SSE2__
    if (bpp >= 3 && (type == 1 || type == 3 || type == 4))
        return bpp == 3 ? UnfilterPixels<3>(type, in, out, prior, size) : UnfilterPixels<4>(type, in, out, prior, size);
#endif
    switch (bpp) {
        case 1:
            return UnfilterRow<1>(type, in, out, prior, size);
        case 2:
            return UnfilterRow<2>(type, in, out, prior, size);
        case 3:
            return UnfilterRow<3>(type, in, out, prior, size);
        default:
            return UnfilterRow<4>(type, in, out, prior, size);
    }
}

bool UnfilterPngPaethPair(int bpp, const uint8_t* inUpper, const uint8_t* inLower, uint8_t* outUpper, uint8_t* outLower,
                          const uint8_t* prior, size_t width) {
#ifdef __SSE2__
    if (bpp == 3) {
        UnfilterPaethPair<3>(inUpper, inLower, outUpper, outLower, prior, width);
        return true;
    }
    if (bpp == 4) {
        UnfilterPaethPair<4>(inUpper, inLower, outUpper, outLower, prior, width);
        return true;
    }
#else
    (void)bpp, (void)inUpper, (void)inLower, (void)outUpper, (void)outLower, (void)prior, (void)width;
#endif
    return false;
}

}  // namespace zorva::simd
