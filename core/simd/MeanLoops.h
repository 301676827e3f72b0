// The local means of both builds in plain C++: running sums over a ring of rows, and the threshold against them.
#pragma once

#include <algorithm>
#include <vector>

#include "core/simd/KernelTable.h"

namespace zorva::simd::loops {

// ---- exact division of the window sums ----

// x / d as (x * ceil(2^22 / d)) >> 22, exact for every sum the windows can
// reach (checked below) and within 32 bits.
constexpr uint32_t kDivShift = 22;
constexpr uint32_t Multiplier(uint32_t d) {
    return ((1u << kDivShift) + d - 1) / d;
}
constexpr bool DivisionExact(uint32_t d, uint32_t largest) {
    for (uint32_t x = 0; x <= largest; ++x)
        if ((x * Multiplier(d)) >> kDivShift != x / d) return false;
    return true;
}
// The largest sums: nine rows of nine bytes; nine and seventeen rows of a
// halved 17-byte sum.
constexpr uint32_t kMaxHalf17 = (17 * 255) >> 1;
constexpr uint32_t kMaxSum9 = 81 * 255, kMaxSum17x9 = 9 * kMaxHalf17, kMaxSum17 = 17 * kMaxHalf17;
constexpr uint32_t kDiv9 = kMeanDivisor9, kDiv17x9 = kMeanDivisor17x9, kDiv17 = kMeanDivisor17;
static_assert(DivisionExact(kDiv9, kMaxSum9) && DivisionExact(kDiv17x9, kMaxSum17x9) &&
              DivisionExact(kDiv17, kMaxSum17));
static_assert(uint64_t(kMaxSum17) * Multiplier(kDiv17) < (uint64_t(1) << 32));

// ---- horizontal pass ----

// The rows the vertical pass needs: 17 for the tallest window and one more
// for the row that enters while the oldest one leaves.
constexpr uint32_t kRingRows = 18;

struct MeanRows {
    explicit MeanRows(uint32_t width)
        : luma(size_t(kRingRows) * width),
          sum9(size_t(kRingRows) * width),
          triples(width),
          half17(size_t(kRingRows) * width),
          acc9(width),
          acc17x9(width),
          acc17(width) {}
    std::vector<uint8_t> luma;      // Y per pixel of each ring row
    std::vector<uint16_t> sum9;     // the sum of Y over 9 columns around each pixel
    std::vector<uint16_t> triples;  // the sum of Y over 3 columns, of the row being summed
    std::vector<uint16_t> half17;   // the sum of Y over 17 columns, halved
    std::vector<uint16_t> acc9;     // sum9 over the 9 rows of the 9-high window
    std::vector<uint16_t> acc17x9;  // half17 over the same 9 rows
    std::vector<uint16_t> acc17;    // half17 over the 17 rows of the 17-high window
};

// The row sums where the window fits in the row, each repeated outward to
// the ends of the row (the nearest defined value). Nine columns are three
// sums of three.
ZORVA_KERNEL void RowSums(const uint8_t* __restrict y, uint16_t* __restrict triples, uint16_t* __restrict sum9,
                          uint16_t* __restrict half17, uint32_t width) {
    for (uint32_t x = 1; x + 1 < width; ++x) triples[x] = uint16_t(y[x - 1] + y[x] + y[x + 1]);
    for (uint32_t x = 4; x + 4 < width; ++x) sum9[x] = uint16_t(triples[x - 3] + triples[x] + triples[x + 3]);
    // Columns x - 8 .. x + 8: the nine ending at x and the nine starting at
    // x, which share x.
    for (uint32_t x = 8; x + 8 < width; ++x) half17[x] = uint16_t(uint16_t(sum9[x - 4] + sum9[x + 4] - y[x]) >> 1);
    for (uint32_t x = 0; x < 4; ++x) sum9[x] = sum9[4], sum9[width - 1 - x] = sum9[width - 5];
    for (uint32_t x = 0; x < 8; ++x) half17[x] = half17[8], half17[width - 1 - x] = half17[width - 9];
}

// The multipliers fit 16 bits, so each quotient is the high half of a
// 16-bit product shifted right by the remaining 6.
static_assert(Multiplier(kDiv9) < 65536 && Multiplier(kDiv17x9) < 65536 && Multiplier(kDiv17) < 65536);
ZORVA_KERNEL uint8_t Quotient(uint16_t sum, uint32_t multiplier) {
    return uint8_t(uint16_t((sum * multiplier) >> 16) >> (kDivShift - 16));
}

// The window sums slid one row where the window moves (Slide9: the two
// 9-high windows, Slide17: the 17-high one; `enter` and `leave` are the row
// sums of the rows coming in and going out), then the records of one row,
// written byte by byte (byte 0 of a record first: the layout is
// little-endian).
struct WindowRows {
    const uint16_t *enter9, *leave9, *enterHalf, *leaveHalf, *enter17, *leave17;
};

template <bool Slide9, bool Slide17>
ZORVA_KERNEL void SlideAndRecord(const uint8_t* __restrict y, uint16_t* __restrict acc9, uint16_t* __restrict acc17x9,
                                 uint16_t* __restrict acc17, WindowRows rows, uint32_t* __restrict records,
                                 uint32_t width) {
    constexpr uint32_t m9 = Multiplier(kDiv9), m17x9 = Multiplier(kDiv17x9), m17 = Multiplier(kDiv17);
    const uint16_t* __restrict enter9 = rows.enter9, * __restrict leave9 = rows.leave9;
    const uint16_t* __restrict enterHalf = rows.enterHalf, * __restrict leaveHalf = rows.leaveHalf;
    const uint16_t* __restrict enter17 = rows.enter17, * __restrict leave17 = rows.leave17;
    auto* out = reinterpret_cast<uint8_t*>(records);
    for (uint32_t x = 0; x < width; ++x) {
        uint16_t a9 = acc9[x], a17x9 = acc17x9[x], a17 = acc17[x];
        if constexpr (Slide9) {
            a9 = uint16_t(a9 + enter9[x] - leave9[x]);
            a17x9 = uint16_t(a17x9 + enterHalf[x] - leaveHalf[x]);
            acc9[x] = a9;
            acc17x9[x] = a17x9;
        }
        if constexpr (Slide17) {
            a17 = uint16_t(a17 + enter17[x] - leave17[x]);
            acc17[x] = a17;
        }
        out[4 * x] = y[x];
        out[4 * x + 1] = Quotient(a9, m9);
        out[4 * x + 2] = Quotient(a17x9, m17x9);
        out[4 * x + 3] = Quotient(a17, m17);
    }
}

ZORVA_KERNEL size_t Slot(uint32_t row, uint32_t width) {
    return size_t(row % kRingRows) * width;
}

// Fills the ring with the luminance and row sums of rows `computed` to
// `last`; returns the number of rows filled so far.
template <void (*LumaRowOf)(const uint8_t*, uint8_t*, uint32_t)>
ZORVA_KERNEL uint32_t FillRing(core::BmpView image, MeanRows& rows, uint32_t computed, uint32_t last) {
    const uint32_t width = image.width();
    for (; computed <= last; ++computed) {
        const size_t s = Slot(computed, width);
        LumaRowOf(image.row(computed), rows.luma.data() + s, width);
        RowSums(rows.luma.data() + s, rows.triples.data(), rows.sum9.data() + s, rows.half17.data() + s, width);
    }
    return computed;
}

// The records of `image`, with `LumaRowOf` the build's luminance row.
template <void (*LumaRowOf)(const uint8_t*, uint8_t*, uint32_t)>
ZORVA_KERNEL void LocalMeans(core::BmpView image, core::Plane<uint32_t> records) {
    MeanRows rows(image.width());
    const uint32_t width = image.width(), height = image.height();
    // The windows start centred on rows 4 and 8, the lowest rows where they fit.
    uint32_t computed = FillRing<LumaRowOf>(image, rows, 0, 16);
    std::fill(rows.acc9.begin(), rows.acc9.end(), uint16_t(0));
    std::fill(rows.acc17x9.begin(), rows.acc17x9.end(), uint16_t(0));
    std::fill(rows.acc17.begin(), rows.acc17.end(), uint16_t(0));
    for (uint32_t j = 0; j < 17; ++j) {
        const size_t s = Slot(j, width);
        if (j < 9) {
            for (uint32_t x = 0; x < width; ++x) rows.acc9[x] = uint16_t(rows.acc9[x] + rows.sum9[s + x]);
            for (uint32_t x = 0; x < width; ++x) rows.acc17x9[x] = uint16_t(rows.acc17x9[x] + rows.half17[s + x]);
        }
        for (uint32_t x = 0; x < width; ++x) rows.acc17[x] = uint16_t(rows.acc17[x] + rows.half17[s + x]);
    }
    // Rows whose window does not fit take the nearest row's means: the
    // window centres follow y between those bounds, one row at a time.
    uint32_t centre9 = 4, centre17 = 8;
    for (uint32_t y = 0; y < height; ++y) {
        const bool slide9 = centre9 < std::clamp(y, 4u, height - 5);
        const bool slide17 = centre17 < std::clamp(y, 8u, height - 9);
        WindowRows w{};
        if (slide9) {
            if (computed <= centre9 + 5) computed = FillRing<LumaRowOf>(image, rows, computed, centre9 + 5);
            const size_t enter = Slot(centre9 + 5, width), leave = Slot(centre9 - 4, width);
            w.enter9 = rows.sum9.data() + enter, w.leave9 = rows.sum9.data() + leave;
            w.enterHalf = rows.half17.data() + enter, w.leaveHalf = rows.half17.data() + leave;
            ++centre9;
        }
        if (slide17) {
            if (computed <= centre17 + 9) computed = FillRing<LumaRowOf>(image, rows, computed, centre17 + 9);
            w.enter17 = rows.half17.data() + Slot(centre17 + 9, width);
            w.leave17 = rows.half17.data() + Slot(centre17 - 8, width);
            ++centre17;
        }
        const uint8_t* luma = rows.luma.data() + Slot(y, width);
        uint16_t *acc9 = rows.acc9.data(), *acc17x9 = rows.acc17x9.data(), *acc17 = rows.acc17.data();
        if (slide9 && slide17)
            SlideAndRecord<true, true>(luma, acc9, acc17x9, acc17, w, records.row(y), width);
        else if (slide9)
            SlideAndRecord<true, false>(luma, acc9, acc17x9, acc17, w, records.row(y), width);
        else if (slide17)
            SlideAndRecord<false, true>(luma, acc9, acc17x9, acc17, w, records.row(y), width);
        else
            SlideAndRecord<false, false>(luma, acc9, acc17x9, acc17, w, records.row(y), width);
    }
}

// ---- threshold ----

// T = clamp(M - drop, 0, 255), the result Y >= T; `drop` is the level less
// the bias.
ZORVA_KERNEL void MeanThresholdRow(const uint32_t* __restrict records, uint32_t* __restrict out, uint32_t count,
                                   uint32_t shift, int drop) {
    for (uint32_t x = 0; x < count; ++x) {
        const int mean = int((records[x] >> shift) & 0xFF);
        const int t = std::clamp(mean - drop, 0, 255);
        out[x] = int(records[x] & 0xFF) >= t ? 1 : 0;
    }
}

// The same with the level derived from each pixel's mean.
template <int Variant>
ZORVA_KERNEL void DerivedThresholdRow(const uint32_t* __restrict records, uint32_t* __restrict out, uint32_t count,
                                      uint32_t shift, int bias) {
    for (uint32_t x = 0; x < count; ++x) {
        const int mean = int((records[x] >> shift) & 0xFF);
        const int t = std::clamp(mean - DerivedLevel<Variant>(mean) + bias, 0, 255);
        out[x] = int(records[x] & 0xFF) >= t ? 1 : 0;
    }
}

ZORVA_KERNEL void ThresholdArea(core::Plane<const uint32_t> records, uint32_t window, const MeanLevel& p, Area a,
                                core::Plane<uint32_t> result) {
    const uint32_t shift = 8 * window, count = a.right - a.left + 1;
    for (uint32_t r = a.bottom; r <= a.top; ++r) {
        const uint32_t* in = records.row(r) + a.left;
        uint32_t* out = result.row(r) + a.left;
        if (p.drop)
            MeanThresholdRow(in, out, count, shift, *p.drop);
        else if (p.variant == 0)
            DerivedThresholdRow<0>(in, out, count, shift, p.bias);
        else if (p.variant == 1)
            DerivedThresholdRow<1>(in, out, count, shift, p.bias);
        else if (p.variant == 2)
            DerivedThresholdRow<2>(in, out, count, shift, p.bias);
        else
            DerivedThresholdRow<3>(in, out, count, shift, p.bias);
    }
}

}  // namespace zorva::simd::loops
