// Nearest-pixel, area-averaging and bilinear resampling of a picture into 32-bit pixels, and turning by any angle.
#include "effects/Resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace zorva::effects {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

enum class Filter { Nearest, Box, Bilinear };

// What one destination column (or row) reads along its axis. Nearest: the
// sample `first`. Box: the samples first..last-1, equally weighted. Bilinear:
// `first` weighted 256 - `weight` and `last` weighted `weight`.
struct Tap {
    int first = 0;
    int last = 0;
    int weight = 0;
};

// The tap of destination offset d (0 = the left edge, or the bottom edge for
// rows) when `sourceLength` samples from `start` span `destLength` pixels;
// `limit` is the picture's size along the axis.
Tap MakeTap(Filter filter, int64_t d, int64_t start, int64_t sourceLength, int64_t destLength, int limit) {
    Tap tap;
    switch (filter) {
        case Filter::Nearest:
            tap.first = int(std::clamp<int64_t>(start + FloorDiv(d * sourceLength, destLength), 0, limit - 1));
            tap.last = tap.first + 1;
            break;
        case Filter::Box: {
            int64_t a = start + FloorDiv(d * sourceLength, destLength);
            int64_t b = start + FloorDiv((d + 1) * sourceLength, destLength);
            a = std::clamp<int64_t>(a, 0, limit - 1);
            b = std::clamp<int64_t>(b, a + 1, limit);
            tap.first = int(a);
            tap.last = int(b);
            break;
        }
        case Filter::Bilinear: {
            // Pixel centres: destination d + 1/2 sits at source (d + 1/2) * s / n,
            // measured in 1/256 of a source pixel from the centre of `start`.
            const int64_t fixed = FloorDiv(((2 * d + 1) * sourceLength - destLength) * 256, 2 * destLength);
            const int64_t whole = FloorDiv(fixed, 256);
            tap.weight = int(fixed - whole * 256);
            tap.first = int(std::clamp<int64_t>(start + whole, 0, limit - 1));
            tap.last = int(std::clamp<int64_t>(start + whole + 1, 0, limit - 1));
            break;
        }
    }
    return tap;
}

Filter AxisFilter(bool smooth, int sourceLength, int destLength) {
    if (!smooth) return Filter::Nearest;
    return sourceLength > destLength ? Filter::Box : Filter::Bilinear;
}

uint32_t TapWeight(Filter filter, const Tap& tap) {
    return filter == Filter::Box ? uint32_t(tap.last - tap.first) : 256;
}

inline uint32_t Opaque(uint32_t b, uint32_t g, uint32_t r) {
    return 0xFF000000u | r << 16 | g << 8 | b;
}

// ceil(a / b) for b > 0 and any a.
int64_t CeilDiv(int64_t a, int64_t b) {
    return -FloorDiv(-a, b);
}

// ---- nearest pixel ----
void NearestStretch(core::BmpView image, const std::vector<Tap>& columns, const core::Rect& part,
                    const std::vector<Tap>& rowTaps, uint32_t* out, int outStride) {
    std::vector<uint32_t> offsets(size_t(part.width));
    for (int i = 0; i < part.width; ++i) offsets[size_t(i)] = 3 * uint32_t(columns[size_t(i)].first);
    for (int y = 0; y < part.height; ++y) {
        const uint8_t* row = image.row(uint32_t(rowTaps[size_t(y)].first));
        uint32_t* o = out + size_t(y) * size_t(outStride);
        for (int i = 0; i < part.width; ++i) {
            const uint8_t* p = row + offsets[size_t(i)];
            o[i] = Opaque(p[0], p[1], p[2]);
        }
    }
}

// A channel's total over the weights' product: rounded to nearest, as the
// quotient's fraction is a multiple of 1 / (wx * wy) < 2^-36 apart from a
// half, far above the error of the double products, so the small bias keeps
// halves and whole numbers exact.
inline uint32_t Channel(uint64_t sum, double inverse) {
    return std::min<uint32_t>(255, uint32_t(double(sum) * inverse + (0.5 + 0x1p-40)));
}

// ---- averaging and blending: down the columns, then along the row (32-bit totals) ----
// Each destination row first sums (box) or blends (bilinear) its source rows
// into one row of per-column totals, a contiguous loop the compiler
// vectorises; then each destination pixel sums or blends the totals of its
// columns and divides by the product of both weights.
void SmoothStretchWide(core::BmpView image, Filter fx, Filter fy, const std::vector<Tap>& columns,
                       const core::Rect& part, const std::vector<Tap>& rowTaps, uint32_t* out, int outStride) {
    const int width = image.width();
    const size_t n = size_t(part.width);
    int firstColumn = width, endColumn = 0;
    std::vector<double> inverseX(n);
    for (size_t i = 0; i < n; ++i) {
        firstColumn = std::min(firstColumn, columns[i].first);
        // Box taps end before `last`; bilinear ones read `last` itself.
        endColumn = std::max(endColumn, fx == Filter::Box ? columns[i].last : columns[i].last + 1);
        inverseX[i] = 1.0 / TapWeight(fx, columns[i]);
    }
    const size_t spanBytes = 3 * size_t(endColumn - firstColumn);
    std::vector<uint32_t> totals(spanBytes);
    // Column c's blue total sits at totals[3 * (c - firstColumn)].
    auto total = [&](int column) { return totals.data() + 3 * size_t(column - firstColumn); };
    auto rowBytes = [&](int r) { return image.row(uint32_t(r)) + 3 * size_t(firstColumn); };

    for (int y = 0; y < part.height; ++y) {
        const Tap rows = rowTaps[size_t(y)];
        uint32_t* t = totals.data();
        if (fy == Filter::Box) {
            const uint8_t* first = rowBytes(rows.first);
            for (size_t k = 0; k < spanBytes; ++k) t[k] = first[k];
            for (int r = rows.first + 1; r < rows.last; ++r) {
                const uint8_t* p = rowBytes(r);
                for (size_t k = 0; k < spanBytes; ++k) t[k] += p[k];
            }
        } else {
            const uint8_t* p0 = rowBytes(rows.first);
            const uint8_t* p1 = rowBytes(rows.last);
            const uint32_t w1 = uint32_t(rows.weight), w0 = 256 - w1;
            for (size_t k = 0; k < spanBytes; ++k) t[k] = p0[k] * w0 + p1[k] * w1;
        }
        const double inverseY = 1.0 / TapWeight(fy, rows);
        uint32_t* o = out + size_t(y) * size_t(outStride);
        for (size_t i = 0; i < n; ++i) {
            const Tap& c = columns[i];
            uint64_t b = 0, g = 0, r = 0;
            if (fx == Filter::Box) {
                for (const uint32_t *p = total(c.first), *end = total(c.last); p < end; p += 3) {
                    b += p[0];
                    g += p[1];
                    r += p[2];
                }
            } else {  // bilinear (a nearest column filter never meets a smooth row filter)
                const uint32_t* p0 = total(c.first);
                const uint32_t* p1 = total(c.last);
                const uint64_t w1 = uint64_t(c.weight), w0 = 256 - w1;
                b = p0[0] * w0 + p1[0] * w1;
                g = p0[1] * w0 + p1[1] * w1;
                r = p0[2] * w0 + p1[2] * w1;
            }
            const double inverse = inverseX[i] * inverseY;
            o[i] = Opaque(Channel(b, inverse), Channel(g, inverse), Channel(r, inverse));
        }
    }
}

// ---- the same with 16-bit totals ----
// When every total fits 16 bits (box rows of at most kNarrowBoxRows, or a
// blend: at most 255 * 256), the row pass writes half the bytes and each
// vector add takes twice the lanes, and the column sums fit 32 bits (at most
// 65535 per total and 65536 columns). Up to four source rows are added in
// one pass, so the totals are written once per four rows. The sums and the
// division are those of the wide route, bit for bit.
constexpr int kNarrowBoxRows = 257;  // 257 * 255 = 65535

// t[k] = the sum of byte k of rows[0 .. count - 1] (count 1..4), added to
// t[k] when `Add`.
template <bool Add>
void SumRows(uint16_t* t, const uint8_t* const* rows, int count, size_t n) {
    const uint8_t* p0 = rows[0];
    const uint8_t* p1 = rows[count > 1 ? 1 : 0];
    const uint8_t* p2 = rows[count > 2 ? 2 : 0];
    const uint8_t* p3 = rows[count > 3 ? 3 : 0];
    auto start = [t](size_t k) { return Add ? t[k] : 0; };
    switch (count) {
        case 1:
            for (size_t k = 0; k < n; ++k) t[k] = uint16_t(start(k) + p0[k]);
            break;
        case 2:
            for (size_t k = 0; k < n; ++k) t[k] = uint16_t(start(k) + p0[k] + p1[k]);
            break;
        case 3:
            for (size_t k = 0; k < n; ++k) t[k] = uint16_t(start(k) + p0[k] + p1[k] + p2[k]);
            break;
        default:
            for (size_t k = 0; k < n; ++k) t[k] = uint16_t(start(k) + p0[k] + p1[k] + p2[k] + p3[k]);
            break;
    }
}

void SmoothStretchNarrow(core::BmpView image, Filter fx, Filter fy, const std::vector<Tap>& columns,
                         const core::Rect& part, const std::vector<Tap>& rowTaps, uint32_t* out, int outStride) {
    const int width = image.width();
    const size_t n = size_t(part.width);
    int firstColumn = width, endColumn = 0, widestBox = 0;
    std::vector<double> inverseX(n);
    for (size_t i = 0; i < n; ++i) {
        firstColumn = std::min(firstColumn, columns[i].first);
        endColumn = std::max(endColumn, fx == Filter::Box ? columns[i].last : columns[i].last + 1);
        widestBox = std::max(widestBox, columns[i].last - columns[i].first);
        inverseX[i] = 1.0 / TapWeight(fx, columns[i]);
    }
    const size_t spanBytes = 3 * size_t(endColumn - firstColumn);
    // Reductions to a quarter or less (a photo's preview) sum a fixed four
    // columns, those past the tap masked out: a loop whose length changed
    // from pixel to pixel cost a mispredicted branch every few pixels. The
    // totals end in four zero columns, which the last pixels may read.
    constexpr int kMaskedColumns = 4;
    const bool masked = fx == Filter::Box && widestBox <= kMaskedColumns;
    std::vector<uint16_t> totals(spanBytes + 3 * kMaskedColumns);
    auto total = [&](int column) { return totals.data() + 3 * size_t(column - firstColumn); };
    auto rowBytes = [&](int r) { return image.row(uint32_t(r)) + 3 * size_t(firstColumn); };

    for (int y = 0; y < part.height; ++y) {
        const Tap rows = rowTaps[size_t(y)];
        uint16_t* t = totals.data();
        if (fy == Filter::Box) {
            for (int r = rows.first; r < rows.last; r += 4) {
                const uint8_t* group[4] = {};
                const int count = std::min(4, rows.last - r);
                for (int k = 0; k < count; ++k) group[k] = rowBytes(r + k);
                if (r == rows.first)
                    SumRows<false>(t, group, count, spanBytes);
                else
                    SumRows<true>(t, group, count, spanBytes);
            }
        } else {
            const uint8_t* p0 = rowBytes(rows.first);
            const uint8_t* p1 = rowBytes(rows.last);
            const uint16_t w1 = uint16_t(rows.weight), w0 = uint16_t(256 - w1);
            for (size_t k = 0; k < spanBytes; ++k) t[k] = uint16_t(p0[k] * w0 + p1[k] * w1);
        }
        const double inverseY = 1.0 / TapWeight(fy, rows);
        uint32_t* o = out + size_t(y) * size_t(outStride);
        for (size_t i = 0; i < n; ++i) {
            const Tap& c = columns[i];
            uint32_t b = 0, g = 0, r = 0;
            if (masked) {
                const uint16_t* p = total(c.first);
                const int count = c.last - c.first;
                for (int k = 0; k < kMaskedColumns; ++k) {
                    const uint32_t keep = k < count ? 0xFFFF : 0;
                    b += p[3 * k] & keep;
                    g += p[3 * k + 1] & keep;
                    r += p[3 * k + 2] & keep;
                }
            } else if (fx == Filter::Box) {
                for (const uint16_t *p = total(c.first), *end = total(c.last); p < end; p += 3) {
                    b += p[0];
                    g += p[1];
                    r += p[2];
                }
            } else {
                const uint16_t* p0 = total(c.first);
                const uint16_t* p1 = total(c.last);
                const uint32_t w1 = uint32_t(c.weight), w0 = 256 - w1;
                b = p0[0] * w0 + p1[0] * w1;
                g = p0[1] * w0 + p1[1] * w1;
                r = p0[2] * w0 + p1[2] * w1;
            }
            const double inverse = inverseX[i] * inverseY;
            o[i] = Opaque(Channel(b, inverse), Channel(g, inverse), Channel(r, inverse));
        }
    }
}

}  // namespace

core::Rect CoveredArea(const Stretch& stretch, int width, int height) {
    const core::Rect& d = stretch.dest;
    if (stretch.sourceWidth <= 0 || stretch.sourceHeight <= 0 || d.empty() || width <= 0 || height <= 0)
        return core::Rect{};
    // Destination column c shows source column sourceX + floor(c * sw / dw);
    // destination row b, counted up from the bottom edge, shows stored row
    // sourceY + floor(b * sh / dh). Keep the c and b that land in the picture.
    const int64_t sw = stretch.sourceWidth, dw = d.width;
    const int64_t sh = stretch.sourceHeight, dh = d.height;
    const int64_t c0 = stretch.sourceX < 0 ? CeilDiv(-int64_t(stretch.sourceX) * dw, sw) : 0;
    const int64_t c1 = std::min<int64_t>(dw, CeilDiv((int64_t(width) - stretch.sourceX) * dw, sw));
    const int64_t b0 = stretch.sourceY < 0 ? CeilDiv(-int64_t(stretch.sourceY) * dh, sh) : 0;
    const int64_t b1 = std::min<int64_t>(dh, CeilDiv((int64_t(height) - stretch.sourceY) * dh, sh));
    if (c1 <= c0 || b1 <= b0) return core::Rect{};
    return core::Rect{d.x + int(c0), d.bottom() - int(b1), int(c1 - c0), int(b1 - b0)};
}

void Resample(core::BmpView image, const Stretch& stretch, core::Rect area, uint32_t* out, int outStride,
              ResampleRoute route) {
    if (!image.valid() || out == nullptr) return;
    const int width = image.width();
    const int height = image.height();
    const core::Rect part = area.intersected(CoveredArea(stretch, width, height));
    if (part.empty()) return;
    out += size_t(part.y - area.y) * size_t(outStride) + size_t(part.x - area.x);

    const core::Rect& dest = stretch.dest;
    const Filter fx = AxisFilter(stretch.smooth, stretch.sourceWidth, dest.width);
    const Filter fy = AxisFilter(stretch.smooth, stretch.sourceHeight, dest.height);
    std::vector<Tap> columns(size_t(part.width));
    for (int i = 0; i < part.width; ++i)
        columns[size_t(i)] = MakeTap(fx, part.x + i - dest.x, stretch.sourceX, stretch.sourceWidth, dest.width, width);
    // Destination row y counts up from the bottom edge: b = bottom - 1 - y.
    std::vector<Tap> rowTaps(size_t(part.height));
    int tallestBox = 0;
    for (int y = 0; y < part.height; ++y) {
        const Tap tap =
            MakeTap(fy, dest.bottom() - 1 - (part.y + y), stretch.sourceY, stretch.sourceHeight, dest.height, height);
        rowTaps[size_t(y)] = tap;
        if (fy == Filter::Box) tallestBox = std::max(tallestBox, tap.last - tap.first);
    }
    if (fx == Filter::Nearest && fy == Filter::Nearest)
        NearestStretch(image, columns, part, rowTaps, out, outStride);
    else if (route == ResampleRoute::Fastest && tallestBox <= kNarrowBoxRows)
        SmoothStretchNarrow(image, fx, fy, columns, part, rowTaps, out, outStride);
    else
        SmoothStretchWide(image, fx, fy, columns, part, rowTaps, out, outStride);
}

void TurnAboutCentre(core::BmpView source, core::MutableBmpView dest, double degrees, uint8_t fill) {
    const int w = source.width(), h = source.height();
    const double angle = degrees * std::numbers::pi / 180;
    const double c = std::cos(angle), s = std::sin(angle);
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    // Source positions in 1/65536 of a pixel, stepped along each row: the
    // destination pixel (x, y) comes from the source turned back by the angle.
    const auto fixed = [](double v) { return int64_t(std::llround(v * 65536)); };
    const int64_t stepX = fixed(c), stepY = fixed(-s);
    const int64_t lastX = int64_t(w - 1) << 16, lastY = int64_t(h - 1) << 16;
    for (int y = 0; y < h; ++y) {
        int64_t sx = fixed(cx - cx * c + (y - cy) * s);
        int64_t sy = fixed(cy + cx * s + (y - cy) * c);
        uint8_t* d = dest.row(uint32_t(y));
        for (int x = 0; x < w; ++x, d += 3, sx += stepX, sy += stepY) {
            if (sx < 0 || sy < 0 || sx > lastX || sy > lastY) {
                d[0] = d[1] = d[2] = fill;
                continue;
            }
            const uint32_t x0 = uint32_t(sx >> 16), y0 = uint32_t(sy >> 16);
            const uint32_t fx = uint32_t(sx & 0xFFFF) >> 8, fy = uint32_t(sy & 0xFFFF) >> 8;
            // On the last column or row the pixel beyond weighs nothing.
            const uint32_t x1 = std::min(x0 + 1, uint32_t(w - 1)), y1 = std::min(y0 + 1, uint32_t(h - 1));
            const uint8_t* a = source.pixel(x0, y0);
            const uint8_t* b = source.pixel(x1, y0);
            const uint8_t* p = source.pixel(x0, y1);
            const uint8_t* q = source.pixel(x1, y1);
            for (int k = 0; k < 3; ++k) {
                const uint32_t lower = a[k] * (256 - fx) + b[k] * fx;
                const uint32_t upper = p[k] * (256 - fx) + q[k] * fx;
                d[k] = uint8_t((lower * (256 - fy) + upper * fy + (1u << 15)) >> 16);
            }
        }
    }
}

}  // namespace zorva::effects
