// Sobel edges and the two pencil sketches: 16-bit gradients per byte over rows of the copy, in a plain and an AVX2
// build.
#include "effects/Sobel.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "effects/PixelsAvx2.h"

namespace zorva::effects {

namespace {

// FoldGradient on a 16-bit lane: the arithmetic shift gives 0 for a
// non-negative value and all ones for a negative one, whose complement it
// then takes.
ZORVA_KERNEL int16_t Fold16(int16_t v) {
    return int16_t(v ^ (v >> 15));
}

// The folded |Gx| + |Gy| of byte i of the middle row: `low` is the stored
// row below (y - 1), `high` the one above (y + 1); neighbours of a channel
// lie 3 bytes apart.
ZORVA_KERNEL uint16_t Gradient(const uint8_t* __restrict low, const uint8_t* __restrict mid,
                               const uint8_t* __restrict high, size_t i) {
    const int16_t gx =
        int16_t((low[i - 3] + 2 * mid[i - 3] + high[i - 3]) - (low[i + 3] + 2 * mid[i + 3] + high[i + 3]));
    const int16_t gy = int16_t((low[i - 3] + 2 * low[i] + low[i + 3]) - (high[i - 3] + 2 * high[i] + high[i + 3]));
    return uint16_t(Fold16(gx) + Fold16(gy));
}

// A channel's term of a sketch pixel, (|Gx| + |Gy|) >> 2, held at most 255:
// the grey takes min(255, sum of the terms), which is unchanged when a term
// of 255 or more stands for its true value.
ZORVA_KERNEL uint8_t SketchTerm(uint16_t gradient) {
    const uint16_t term = gradient >> 2;
    return uint8_t(term < 255 ? term : 255);
}

// The grey 255 - min(255, s) of sketch pixels `first`..`last` from their
// channels' terms.
ZORVA_KERNEL void SketchPixels(const uint8_t* __restrict terms, uint8_t* __restrict out, uint32_t first,
                               uint32_t last) {
    for (uint32_t x = first; x <= last; ++x) {
        const uint16_t s = uint16_t(terms[3 * x] + terms[3 * x + 1] + terms[3 * x + 2]);
        const uint8_t grey = uint8_t(255 - (s < 255 ? s : 255));
        out[3 * x] = grey;
        out[3 * x + 1] = grey;
        out[3 * x + 2] = grey;
    }
}

// The same 32 pixels at a time: saturating byte sums.
ZORVA_AVX2 void SketchPixelsAvx2(const uint8_t* __restrict terms, uint8_t* __restrict out, uint32_t first,
                                 uint32_t last) {
    uint32_t x = first;
    for (; x + 31 <= last; x += 32) {
        const avx2::Planar t = avx2::Load(terms + 3 * x);
        const __m256i s = _mm256_adds_epu8(_mm256_adds_epu8(t.blue, t.green), t.red);
        avx2::StoreGrey(out + 3 * x, _mm256_xor_si256(s, _mm256_set1_epi8(-1)));
    }
    if (x <= last) SketchPixels(terms, out, x, last);
}

template <bool Avx2>
ZORVA_KERNEL void Sketch(const uint8_t* terms, uint8_t* out, uint32_t first, uint32_t last) {
    if constexpr (Avx2)
        SketchPixelsAvx2(terms, out, first, last);
    else
        SketchPixels(terms, out, first, last);
}

// ---- Sobel and "Карандаш Т" ----

ZORVA_KERNEL void SobelImage(core::BmpView copy, core::MutableBmpView image) {
    const size_t end = size_t(3) * (copy.width() - 1);
    for (uint32_t y = 1; y + 1 < copy.height(); ++y) {
        const uint8_t *low = copy.row(y - 1), *mid = copy.row(y), *high = copy.row(y + 1);
        uint8_t* out = image.row(y);
        for (size_t i = 3; i < end; ++i) {
            const uint16_t g = Gradient(low, mid, high, i);
            out[i] = uint8_t(g < 255 ? g : 255);
        }
    }
}
void SobelPlain(core::BmpView copy, core::MutableBmpView image) {
    SobelImage(copy, image);
}
ZORVA_AVX2 void SobelAvx2(core::BmpView copy, core::MutableBmpView image) {
    SobelImage(copy, image);
}

template <bool Avx2>
ZORVA_KERNEL void PencilHardImage(core::BmpView copy, core::MutableBmpView image, uint8_t* __restrict terms) {
    const uint32_t width = copy.width();
    const size_t end = size_t(3) * (width - 1);
    for (uint32_t y = 1; y + 1 < copy.height(); ++y) {
        const uint8_t *low = copy.row(y - 1), *mid = copy.row(y), *high = copy.row(y + 1);
        for (size_t i = 3; i < end; ++i) terms[i] = SketchTerm(Gradient(low, mid, high, i));
        Sketch<Avx2>(terms, image.row(y), 1, width - 2);
    }
}
void PencilHardPlain(core::BmpView copy, core::MutableBmpView image, uint8_t* terms) {
    PencilHardImage<false>(copy, image, terms);
}
ZORVA_AVX2 void PencilHardAvx2(core::BmpView copy, core::MutableBmpView image, uint8_t* terms) {
    PencilHardImage<true>(copy, image, terms);
}

// ---- "Карандаш М" ----

// Byte offsets of the sheared samples from byte i of the output pixel:
// columns x - 4, x - 1, x + 2, x + 5 and x + 8.
constexpr int kAt4 = -12, kAt1 = -3, kAt2 = 6, kAt5 = 15, kAt8 = 24;

// The terms of the pixels whose samples all lie inside the row (x + 8 <=
// width - 1); `low`, `mid`, `high` are the stored rows y - 3, y and y + 3.
ZORVA_KERNEL void SoftTerms(const uint8_t* __restrict low, const uint8_t* __restrict mid,
                            const uint8_t* __restrict high, uint8_t* __restrict terms, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
        const int16_t gy = int16_t((low[i + kAt4] + 2 * low[i + kAt1] + low[i + kAt2]) -
                                   (high[i + kAt2] + 2 * high[i + kAt5] + high[i + kAt8]));
        const int16_t gx = int16_t((low[i + kAt4] + 2 * mid[i + kAt1] + high[i + kAt2]) -
                                   (low[i + kAt2] + 2 * mid[i + kAt5] + high[i + kAt8]));
        terms[i] = SketchTerm(uint16_t(Fold16(gx) + Fold16(gy)));
    }
}

// The same for the rightmost pixels, whose samples beyond the right edge
// repeat the last column.
void SoftTermsClamped(const uint8_t* low, const uint8_t* mid, const uint8_t* high, uint8_t* terms, uint32_t width,
                      uint32_t first, uint32_t last) {
    for (uint32_t x = first; x <= last; ++x)
        for (uint32_t c = 0; c < 3; ++c) {
            const auto at = [&](const uint8_t* row, int dx) { return int(row[3 * std::min(width - 1, x + dx) + c]); };
            const int gy = (at(low, -4) + 2 * at(low, -1) + at(low, 2)) - (at(high, 2) + 2 * at(high, 5) + at(high, 8));
            const int gx = (at(low, -4) + 2 * at(mid, -1) + at(high, 2)) - (at(low, 2) + 2 * at(mid, 5) + at(high, 8));
            terms[3 * x + c] = SketchTerm(uint16_t(FoldGradient(gx) + FoldGradient(gy)));
        }
}

template <bool Avx2>
ZORVA_KERNEL void PencilSoftImage(core::BmpView copy, core::MutableBmpView image, uint8_t* __restrict terms) {
    const uint32_t width = copy.width();
    const uint32_t last = width - 3;                      // the rightmost output column
    const uint32_t inside = width >= 13 ? width - 9 : 3;  // the last column whose samples all lie inside
    const uint32_t clampedFrom = std::max(inside + 1, 4u);
    for (uint32_t y = 3; y + 4 <= copy.height(); ++y) {
        const uint8_t *low = copy.row(y - 3), *mid = copy.row(y), *high = copy.row(y + 3);
        if (inside >= 4) SoftTerms(low, mid, high, terms, 12, size_t(3) * (inside + 1));
        SoftTermsClamped(low, mid, high, terms, width, clampedFrom, last);
        Sketch<Avx2>(terms, image.row(y), 4, last);
    }
}
void PencilSoftPlain(core::BmpView copy, core::MutableBmpView image, uint8_t* terms) {
    PencilSoftImage<false>(copy, image, terms);
}
ZORVA_AVX2 void PencilSoftAvx2(core::BmpView copy, core::MutableBmpView image, uint8_t* terms) {
    PencilSoftImage<true>(copy, image, terms);
}

core::BmpView CopyInto(core::MutableBmpView scratch, core::BmpView image) {
    std::memcpy(scratch.data(), image.data(), image.fileSize());
    return scratch;
}

}  // namespace

void Sobel(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels) {
    if (image.width() < kSobelMinimumSize || image.height() < kSobelMinimumSize) return;
    const core::BmpView copy = CopyInto(scratch, image);
    if (UseAvx2(kernels))
        SobelAvx2(copy, image);
    else
        SobelPlain(copy, image);
}

void PencilHard(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels) {
    if (image.width() < kPencilHardMinimumSize || image.height() < kPencilHardMinimumSize) return;
    const core::BmpView copy = CopyInto(scratch, image);
    std::vector<uint8_t> terms(size_t(3) * image.width());
    if (UseAvx2(kernels))
        PencilHardAvx2(copy, image, terms.data());
    else
        PencilHardPlain(copy, image, terms.data());
}

void PencilSoft(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels) {
    if (image.width() < kPencilSoftMinimumSize || image.height() < kPencilSoftMinimumSize) return;
    const core::BmpView copy = CopyInto(scratch, image);
    std::vector<uint8_t> terms(size_t(3) * image.width());
    if (UseAvx2(kernels))
        PencilSoftAvx2(copy, image, terms.data());
    else
        PencilSoftPlain(copy, image, terms.data());
}

}  // namespace zorva::effects
