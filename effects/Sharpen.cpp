// Sharpening in one pass: running column sums over a ring of the rows already written, the row average, and the
// sharpened row.
#include "effects/Sharpen.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zorva::effects {

namespace {

constexpr uint32_t kRadius = 4;  // the 9x9 window reaches four pixels each way

struct SharpenRows {
    explicit SharpenRows(size_t n) : sums(n), column(n), kept(n * kRadius) {}
    std::vector<uint16_t> sums;   // column sums of the rows in the vertical window
    std::vector<uint8_t> column;  // the vertical average of the current row
    std::vector<uint8_t> kept;    // the last four rows as they were before sharpening wrote them
};

ZORVA_KERNEL void AddRow(uint16_t* __restrict sums, const uint8_t* __restrict row, size_t n) {
    for (size_t i = 0; i < n; ++i) sums[i] = uint16_t(sums[i] + row[i]);
}

ZORVA_KERNEL void SubtractRow(uint16_t* __restrict sums, const uint8_t* __restrict row, size_t n) {
    for (size_t i = 0; i < n; ++i) sums[i] = uint16_t(sums[i] - row[i]);
}

ZORVA_KERNEL void ColumnAverage(const uint16_t* __restrict sums, uint8_t* __restrict out, size_t n) {
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t(uint16_t(sums[i] - (sums[i] >> 3)) >> 3);
}

// The row average: nine column values 3 bytes apart where the window fits
// in the row, the column value alone nearer the ends.
ZORVA_KERNEL void RowAverage(const uint8_t* __restrict column, uint8_t* __restrict out, uint32_t width) {
    const size_t n = size_t(3) * width;
    const size_t begin = 3 * kRadius, end = n - 3 * kRadius;
    std::memcpy(out, column, begin);
    for (size_t i = begin; i < end; ++i) {
        uint16_t sum = 0;
        for (uint32_t k = 0; k <= 2 * kRadius; ++k) sum = uint16_t(sum + column[i + 3 * k - 3 * kRadius]);
        out[i] = uint8_t(uint16_t(sum - (sum >> 3)) >> 3);
    }
    std::memcpy(out + end, column + end, 3 * kRadius);
}

ZORVA_KERNEL void SharpenRow(uint8_t* __restrict row, const uint8_t* __restrict average, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const int16_t v = int16_t(5 * row[i] - 4 * average[i]);
        row[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

ZORVA_KERNEL void SharpenImage(core::MutableBmpView image, core::MutableBmpView average, SharpenRows& rows) {
    const uint32_t width = image.width(), height = image.height();
    const size_t n = size_t(3) * width;
    uint16_t* sums = rows.sums.data();
    uint8_t* column = rows.column.data();
    std::fill_n(sums, n, uint16_t(0));
    for (uint32_t j = 0; j <= kRadius; ++j) AddRow(sums, image.row(j), n);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t lo = y >= kRadius ? y - kRadius : 0, hi = std::min(height - 1, y + kRadius);
        const uint32_t count = hi - lo + 1;
        if (count == 2 * kRadius + 1) {
            ColumnAverage(sums, column, n);
        } else {
            // Near the top and the bottom: the rows inside, as nine.
            for (size_t i = 0; i < n; ++i) column[i] = uint8_t(NineAverage(sums[i] * 9u / count));
        }
        uint8_t* slot = rows.kept.data() + (y % kRadius) * n;
        if (y >= kRadius) SubtractRow(sums, slot, n);
        if (y + kRadius + 1 < height) AddRow(sums, image.row(y + kRadius + 1), n);
        std::memcpy(slot, image.row(y), n);
        RowAverage(column, average.row(y), width);
        SharpenRow(image.row(y), average.row(y), n);
    }
}

void SharpenPlain(core::MutableBmpView image, core::MutableBmpView average, SharpenRows& rows) {
    SharpenImage(image, average, rows);
}
ZORVA_AVX2 void SharpenAvx2(core::MutableBmpView image, core::MutableBmpView average, SharpenRows& rows) {
    SharpenImage(image, average, rows);
}

}  // namespace

void Sharpen(core::MutableBmpView image, core::MutableBmpView average, Kernels kernels) {
    if (image.width() < kSharpenMinimumSize || image.height() < kSharpenMinimumSize) return;
    std::memcpy(average.data(), image.data(), core::kHeaderSize);
    SharpenRows rows(size_t(3) * image.width());
    if (UseAvx2(kernels))
        SharpenAvx2(image, average, rows);
    else
        SharpenPlain(image, average, rows);
}

}  // namespace zorva::effects
