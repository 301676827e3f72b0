// Nearest-pixel, area-averaging and bilinear resampling of a picture into 32-bit pixels.
#include "effects/Resample.h"

#include <algorithm>
#include <functional>
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
                    const std::function<Tap(int)>& rowTap, uint32_t* out, int outStride) {
    std::vector<uint32_t> offsets(size_t(part.width));
    for (int i = 0; i < part.width; ++i) offsets[size_t(i)] = 3 * uint32_t(columns[size_t(i)].first);
    for (int y = 0; y < part.height; ++y) {
        const uint8_t* row = image.row(uint32_t(rowTap(part.y + y).first));
        uint32_t* o = out + size_t(y) * size_t(outStride);
        for (int i = 0; i < part.width; ++i) {
            const uint8_t* p = row + offsets[size_t(i)];
            o[i] = Opaque(p[0], p[1], p[2]);
        }
    }
}

// ---- averaging and blending: down the columns, then along the row ----
// Each destination row first sums (box) or blends (bilinear) its source rows
// into one row of per-column totals, a contiguous loop the compiler
// vectorises; then each destination pixel sums or blends the totals of its
// columns and divides by the product of both weights.
void SmoothStretch(core::BmpView image, Filter fx, Filter fy, const std::vector<Tap>& columns, const core::Rect& part,
                   const std::function<Tap(int)>& rowTap, uint32_t* out, int outStride) {
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
        const Tap rows = rowTap(part.y + y);
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
        // Rounded to nearest: the quotient's fraction is a multiple of
        // 1 / (wx * wy) < 2^-36 apart from a half, far above the error of the
        // double products, so the small bias keeps halves and whole numbers
        // exact.
        const double inverseY = 1.0 / TapWeight(fy, rows);
        auto channel = [](uint64_t sum, double inverse) {
            return std::min<uint32_t>(255, uint32_t(double(sum) * inverse + (0.5 + 0x1p-40)));
        };
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
            o[i] = Opaque(channel(b, inverse), channel(g, inverse), channel(r, inverse));
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

void Resample(core::BmpView image, const Stretch& stretch, core::Rect area, uint32_t* out, int outStride) {
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
    const std::function<Tap(int)> rowTap = [&](int y) {
        return MakeTap(fy, dest.bottom() - 1 - y, stretch.sourceY, stretch.sourceHeight, dest.height, height);
    };
    if (fx == Filter::Nearest && fy == Filter::Nearest)
        NearestStretch(image, columns, part, rowTap, out, outStride);
    else
        SmoothStretch(image, fx, fy, columns, part, rowTap, out, outStride);
}

}  // namespace zorva::effects
