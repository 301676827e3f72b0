// The neighbourhood filters of both builds in plain C++: box blurs, sharpening, Sobel edges and the pencil sketches.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/simd/KernelTable.h"

namespace zorva::simd::loops {

// ==== box blur ====

// ceil(65536 / count): (sum * Reciprocal(count)) >> 16 equals sum / count
// rounded down for every sum of up to `count` bytes (checked below), and
// the multiply keeps to the high half of a 16-bit product, which vector
// units do in one instruction.
constexpr uint32_t Reciprocal(uint32_t count) {
    return (65536 + count - 1) / count;
}

constexpr uint32_t DivideBy(uint32_t sum, uint32_t count) {
    return (sum * Reciprocal(count)) >> 16;
}

constexpr bool ReciprocalsExact(uint32_t largestCount) {
    for (uint32_t count = 1; count <= largestCount; ++count)
        for (uint32_t sum = 0; sum <= 255 * count; ++sum)
            if (DivideBy(sum, count) != sum / count) return false;
    return true;
}
static_assert(ReciprocalsExact(9), "sums of up to nine bytes divide exactly");

// Work rows of one blur of a picture `n` bytes wide.
struct BlurRows {
    explicit BlurRows(size_t n, uint32_t radius) : sums(n), triples(n), quotients(n), kept(n * radius) {}
    std::vector<uint16_t> sums;      // the column sums of the vertical window
    std::vector<uint16_t> triples;   // radius 4: sums of three neighbours along the row
    std::vector<uint8_t> quotients;  // the vertical pass's result for the current row
    std::vector<uint8_t> kept;       // the last `radius` rows as they were before the blur wrote them
};

ZORVA_KERNEL void AddRow(uint16_t* __restrict sums, const uint8_t* __restrict row, size_t n) {
    for (size_t i = 0; i < n; ++i) sums[i] = uint16_t(sums[i] + row[i]);
}

ZORVA_KERNEL void SubtractRow(uint16_t* __restrict sums, const uint8_t* __restrict row, size_t n) {
    for (size_t i = 0; i < n; ++i) sums[i] = uint16_t(sums[i] - row[i]);
}

ZORVA_KERNEL void DivideRow(const uint16_t* __restrict sums, uint8_t* __restrict out, size_t n, uint32_t count) {
    const uint32_t reciprocal = Reciprocal(count);
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t((sums[i] * reciprocal) >> 16);
}

// The horizontal pass of one row: `in` holds the vertical pass's bytes,
// `out` receives the blurred row. Neighbouring pixels of a channel lie 3
// bytes apart, so the columns whose window fits are one loop over bytes.
template <uint32_t R>
ZORVA_KERNEL void HorizontalRow(const uint8_t* __restrict in, uint8_t* __restrict out, uint32_t width,
                                uint16_t* __restrict triples) {
    const auto clipped = [in, out, width](uint32_t x) {
        const uint32_t lo = x >= R ? x - R : 0, hi = std::min(width - 1, x + R);
        for (uint32_t c = 0; c < 3; ++c) {
            uint32_t sum = 0;
            for (uint32_t j = lo; j <= hi; ++j) sum += in[3 * j + c];
            out[3 * x + c] = uint8_t(DivideBy(sum, hi - lo + 1));
        }
    };
    const uint32_t left = std::min(R, width);
    for (uint32_t x = 0; x < left; ++x) clipped(x);
    if (width > 2 * R) {
        constexpr uint32_t reciprocal = Reciprocal(2 * R + 1);
        const size_t end = size_t(3) * (width - R);
        if constexpr (R == 4) {
            // Nine neighbours as three sums of three: fewer additions.
            for (size_t i = 3; i + 3 < size_t(3) * width; ++i) triples[i] = uint16_t(in[i - 3] + in[i] + in[i + 3]);
            for (size_t i = 3 * R; i < end; ++i)
                out[i] = uint8_t((uint16_t(triples[i - 9] + triples[i] + triples[i + 9]) * reciprocal) >> 16);
        } else {
            for (size_t i = 3 * R; i < end; ++i) {
                uint16_t sum = 0;
                for (uint32_t k = 0; k <= 2 * R; ++k) sum = uint16_t(sum + in[i + 3 * k - 3 * R]);
                out[i] = uint8_t((sum * reciprocal) >> 16);
            }
        }
    }
    for (uint32_t x = std::max(left, width > R ? width - R : 0); x < width; ++x) clipped(x);
}

template <uint32_t R>
ZORVA_KERNEL void BoxBlurImage(core::MutableBmpView image, BlurRows& rows) {
    const uint32_t width = image.width(), height = image.height();
    const size_t n = size_t(3) * width;
    uint16_t* sums = rows.sums.data();
    std::fill_n(sums, n, uint16_t(0));
    for (uint32_t j = 0; j <= std::min(height - 1, R); ++j) AddRow(sums, image.row(j), n);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t lo = y >= R ? y - R : 0, hi = std::min(height - 1, y + R);
        DivideRow(sums, rows.quotients.data(), n, hi - lo + 1);
        // Slide the window to row y + 1: row y - R leaves (kept in slot
        // y mod R since the blur wrote over it), row y + R + 1 enters.
        uint8_t* slot = rows.kept.data() + (y % R) * n;
        if (y >= R) SubtractRow(sums, slot, n);
        if (y + R + 1 < height) AddRow(sums, image.row(y + R + 1), n);
        std::memcpy(slot, image.row(y), n);
        HorizontalRow<R>(rows.quotients.data(), image.row(y), width, rows.triples.data());
    }
}

// The blur of `radius` 1..4, with its work rows.
ZORVA_KERNEL void BoxBlurAnyRadius(core::MutableBmpView image, uint32_t radius) {
    BlurRows rows(size_t(3) * image.width(), radius);
    switch (radius) {
        case 1:
            BoxBlurImage<1>(image, rows);
            break;
        case 2:
            BoxBlurImage<2>(image, rows);
            break;
        case 3:
            BoxBlurImage<3>(image, rows);
            break;
        case 4:
            BoxBlurImage<4>(image, rows);
            break;
        default:
            break;
    }
}

// ==== sharpening ====

constexpr uint32_t kSharpenRadius = 4;  // the 9x9 window reaches four pixels each way

struct SharpenRows {
    explicit SharpenRows(size_t n) : sums(n), column(n), kept(n * kSharpenRadius) {}
    std::vector<uint16_t> sums;   // column sums of the rows in the vertical window
    std::vector<uint8_t> column;  // the vertical average of the current row
    std::vector<uint8_t> kept;    // the last four rows as they were before sharpening wrote them
};

ZORVA_KERNEL void ColumnAverage(const uint16_t* __restrict sums, uint8_t* __restrict out, size_t n) {
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t(uint16_t(sums[i] - (sums[i] >> 3)) >> 3);
}

// The row average: nine column values 3 bytes apart where the window fits
// in the row, the column value alone nearer the ends.
ZORVA_KERNEL void RowAverage(const uint8_t* __restrict column, uint8_t* __restrict out, uint32_t width) {
    const size_t n = size_t(3) * width;
    const size_t begin = 3 * kSharpenRadius, end = n - 3 * kSharpenRadius;
    std::memcpy(out, column, begin);
    for (size_t i = begin; i < end; ++i) {
        uint16_t sum = 0;
        for (uint32_t k = 0; k <= 2 * kSharpenRadius; ++k) sum = uint16_t(sum + column[i + 3 * k - 3 * kSharpenRadius]);
        out[i] = uint8_t(uint16_t(sum - (sum >> 3)) >> 3);
    }
    std::memcpy(out + end, column + end, 3 * kSharpenRadius);
}

ZORVA_KERNEL void SharpenRow(uint8_t* __restrict row, const uint8_t* __restrict average, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const int16_t v = int16_t(5 * row[i] - 4 * average[i]);
        row[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

ZORVA_KERNEL void SharpenImage(core::MutableBmpView image, core::MutableBmpView average) {
    SharpenRows rows(size_t(3) * image.width());
    const uint32_t width = image.width(), height = image.height();
    const size_t n = size_t(3) * width;
    uint16_t* sums = rows.sums.data();
    uint8_t* column = rows.column.data();
    std::fill_n(sums, n, uint16_t(0));
    for (uint32_t j = 0; j <= kSharpenRadius; ++j) AddRow(sums, image.row(j), n);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t lo = y >= kSharpenRadius ? y - kSharpenRadius : 0, hi = std::min(height - 1, y + kSharpenRadius);
        const uint32_t count = hi - lo + 1;
        if (count == 2 * kSharpenRadius + 1) {
            ColumnAverage(sums, column, n);
        } else {
            // Near the top and the bottom: the rows inside, as nine.
            for (size_t i = 0; i < n; ++i) column[i] = uint8_t(NineAverage(sums[i] * 9u / count));
        }
        uint8_t* slot = rows.kept.data() + (y % kSharpenRadius) * n;
        if (y >= kSharpenRadius) SubtractRow(sums, slot, n);
        if (y + kSharpenRadius + 1 < height) AddRow(sums, image.row(y + kSharpenRadius + 1), n);
        std::memcpy(slot, image.row(y), n);
        RowAverage(column, average.row(y), width);
        SharpenRow(image.row(y), average.row(y), n);
    }
}

// ==== Sobel and the pencil sketches ====

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

// The sketch loop of a build: SketchPixels' arguments.
using SketchLoop = void (*)(const uint8_t*, uint8_t*, uint32_t, uint32_t);

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

template <SketchLoop SketchOf>
ZORVA_KERNEL void PencilHardImage(core::BmpView copy, core::MutableBmpView image) {
    const uint32_t width = copy.width();
    std::vector<uint8_t> buffer(size_t(3) * width);
    uint8_t* __restrict terms = buffer.data();
    const size_t end = size_t(3) * (width - 1);
    for (uint32_t y = 1; y + 1 < copy.height(); ++y) {
        const uint8_t *low = copy.row(y - 1), *mid = copy.row(y), *high = copy.row(y + 1);
        for (size_t i = 3; i < end; ++i) terms[i] = SketchTerm(Gradient(low, mid, high, i));
        SketchOf(terms, image.row(y), 1, width - 2);
    }
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
inline void SoftTermsClamped(const uint8_t* low, const uint8_t* mid, const uint8_t* high, uint8_t* terms,
                             uint32_t width, uint32_t first, uint32_t last) {
    for (uint32_t x = first; x <= last; ++x)
        for (uint32_t c = 0; c < 3; ++c) {
            const auto at = [&](const uint8_t* row, int dx) { return int(row[3 * std::min(width - 1, x + dx) + c]); };
            const int gy = (at(low, -4) + 2 * at(low, -1) + at(low, 2)) - (at(high, 2) + 2 * at(high, 5) + at(high, 8));
            const int gx = (at(low, -4) + 2 * at(mid, -1) + at(high, 2)) - (at(low, 2) + 2 * at(mid, 5) + at(high, 8));
            terms[3 * x + c] = SketchTerm(uint16_t(FoldGradient(gx) + FoldGradient(gy)));
        }
}

template <SketchLoop SketchOf>
ZORVA_KERNEL void PencilSoftImage(core::BmpView copy, core::MutableBmpView image) {
    const uint32_t width = copy.width();
    std::vector<uint8_t> buffer(size_t(3) * width);
    uint8_t* __restrict terms = buffer.data();
    const uint32_t last = width - 3;                      // the rightmost output column
    const uint32_t inside = width >= 13 ? width - 9 : 3;  // the last column whose samples all lie inside
    const uint32_t clampedFrom = std::max(inside + 1, 4u);
    for (uint32_t y = 3; y + 4 <= copy.height(); ++y) {
        const uint8_t *low = copy.row(y - 3), *mid = copy.row(y), *high = copy.row(y + 3);
        if (inside >= 4) SoftTerms(low, mid, high, terms, 12, size_t(3) * (inside + 1));
        SoftTermsClamped(low, mid, high, terms, width, clampedFrom, last);
        SketchOf(terms, image.row(y), 4, last);
    }
}

}  // namespace zorva::simd::loops
