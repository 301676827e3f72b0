// Clipped box blurs with running column sums and a ring of the rows they overwrite: one pass over the picture per
// blur.
#include "effects/Blur.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zorva::effects {

namespace {

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

template <uint32_t R>
void BoxBlurPlain(core::MutableBmpView image, BlurRows& rows) {
    BoxBlurImage<R>(image, rows);
}
template <uint32_t R>
ZORVA_AVX2 void BoxBlurAvx2(core::MutableBmpView image, BlurRows& rows) {
    BoxBlurImage<R>(image, rows);
}

template <uint32_t R>
void BoxBlurRadius(core::MutableBmpView image, Kernels kernels) {
    BlurRows rows(size_t(3) * image.width(), R);
    if (UseAvx2(kernels))
        BoxBlurAvx2<R>(image, rows);
    else
        BoxBlurPlain<R>(image, rows);
}

}  // namespace

uint32_t BlurMinimumSize(BlurLevel level) {
    switch (level) {
        case BlurLevel::Light:
            return 2;
        case BlurLevel::Medium:
        case BlurLevel::Strong:
            return 5;
        case BlurLevel::VeryStrong:
            return 9;
    }
    return 0;
}

void BoxBlur(core::MutableBmpView image, uint32_t radius, Kernels kernels) {
    if (image.width() == 0 || image.height() == 0) return;
    switch (radius) {
        case 1:
            BoxBlurRadius<1>(image, kernels);
            break;
        case 2:
            BoxBlurRadius<2>(image, kernels);
            break;
        case 3:
            BoxBlurRadius<3>(image, kernels);
            break;
        case 4:
            BoxBlurRadius<4>(image, kernels);
            break;
        default:
            break;
    }
}

void Blur(core::MutableBmpView image, BlurLevel level, Kernels kernels) {
    const uint32_t minimum = BlurMinimumSize(level);
    if (image.width() < minimum || image.height() < minimum) return;
    switch (level) {
        case BlurLevel::Light:
            BoxBlur(image, 1, kernels);
            break;
        case BlurLevel::Medium:
            BoxBlur(image, 2, kernels);
            break;
        case BlurLevel::Strong:
            for (int pass = 0; pass < 3; ++pass) BoxBlur(image, 2, kernels);
            break;
        case BlurLevel::VeryStrong:
            for (int pass = 0; pass < 3; ++pass) BoxBlur(image, 4, kernels);
            break;
    }
}

}  // namespace zorva::effects
