// One raster scan of 8-connected region growing with union of roots, then resolve, relabel and paint.
#include "segment/SegmentEight.h"

#include <algorithm>
#include <cstring>

namespace zorva::segment {

namespace {

using core::LoadPixel;
using core::StorePixel;

// The scan's working set: the image, the map and the record table.
class Scan {
public:
    Scan(core::BmpView image, core::BmpView map, std::span<SegmentRecord> records, uint32_t tolerance)
        : m_image(image), m_map(map), m_records(records), m_tolerance(tolerance),
          m_limit(uint32_t(std::min<size_t>(records.size(), size_t(kMaxEightLabel) + 1))) {}

    bool run(uint32_t& segmentCount);

private:
    // A neighbour matches when it is labelled and each channel of the pixel
    // lies within the tolerance of its record's reference colour (the
    // record of that very label, not of its root).
    bool matches(uint32_t label, uint32_t bgr) const {
        if (label == kUnlabelled) return false;
        const SegmentRecord& r = m_records[label];
        return Within(bgr & 0xFF, r.colour[0]) && Within((bgr >> 8) & 0xFF, r.colour[1]) &&
               Within((bgr >> 16) & 0xFF, r.colour[2]);
    }
    bool Within(uint32_t a, uint32_t b) const { return (a > b ? a - b : b - a) <= m_tolerance; }

    void join(uint32_t label, uint8_t* mapPixel, uint32_t bgr) {
        StorePixel(mapPixel, label);
        SegmentRecord& r = m_records[label];
        ++r.count;
        AddSum(r.sumB, bgr & 0xFF, 0, r.reserved);
        AddSum(r.sumG, (bgr >> 8) & 0xFF, 8, r.reserved);
        AddSum(r.sumR, (bgr >> 16) & 0xFF, 16, r.reserved);
    }
    static void AddSum(uint32_t& sum, uint32_t value, int carryShift, uint32_t& carries) {
        const uint32_t before = sum;
        sum += value;
        if (sum < before) carries += 1u << carryShift;
    }

    // A fresh label with the pixel as its first pixel and reference colour.
    bool create(uint32_t x, uint32_t y, uint8_t* mapPixel, uint32_t bgr) {
        if (m_next >= m_limit) return false;
        const uint32_t label = m_next++;
        SegmentRecord& r = m_records[label];
        r = SegmentRecord{};
        r.parent = label;
        r.firstX = uint16_t(x);
        r.firstY = uint16_t(y);
        r.colour[0] = uint8_t(bgr);
        r.colour[1] = uint8_t(bgr >> 8);
        r.colour[2] = uint8_t(bgr >> 16);
        join(label, mapPixel, bgr);
        return true;
    }

    // Union-find root with path halving: parents only ever point to smaller
    // labels, and halving keeps that, so the resolve pass below is unchanged.
    uint32_t root(uint32_t label) {
        while (m_records[label].parent != label) {
            const uint32_t up = m_records[label].parent;
            m_records[label].parent = m_records[up].parent;
            label = up;
        }
        return label;
    }

    // The larger root hangs under the smaller one and takes its reference
    // colour; the pixel joins the smaller root.
    void merge(uint32_t a, uint32_t b, uint8_t* mapPixel, uint32_t bgr) {
        uint32_t ra = root(a);
        uint32_t rb = root(b);
        if (ra > rb) std::swap(ra, rb);
        m_records[rb].parent = ra;
        std::memcpy(m_records[rb].colour, m_records[ra].colour, 3);
        join(ra, mapPixel, bgr);
    }

    core::BmpView m_image;
    core::BmpView m_map;
    std::span<SegmentRecord> m_records;
    uint32_t m_tolerance;
    uint32_t m_limit;
    uint32_t m_next = 1;
};

bool Scan::run(uint32_t& segmentCount) {
    const uint32_t width = m_image.width();
    const uint32_t height = m_image.height();

    // ---- clear the map ----
    std::memcpy(m_map.data(), m_image.data(), core::kHeaderSize);
    std::memset(m_map.pixels(), 0xFF, size_t(m_map.stride()) * height);
    m_records[0] = SegmentRecord{};

    // ---- grow ----
    for (uint32_t y = 1; y < height && width > 1; ++y) {
        const uint8_t* img = m_image.row(y);
        uint8_t* cur = m_map.row(y);
        const uint8_t* low = m_map.row(y - 1);
        for (uint32_t x = 1; x < width; ++x) {
            const uint32_t bgr = LoadPixel(img + 3 * x);
            uint8_t* at = cur + 3 * x;
            if (y == 1) {
                // The first labelled row looks only to the left.
                const uint32_t left = x > 1 ? LoadPixel(at - 3) : kUnlabelled;
                if (matches(left, bgr))
                    join(left, at, bgr);
                else if (!create(x, y, at, bgr))
                    return false;
                continue;
            }
            if (x == 1) {
                // Column 0 is never labelled: only the pixel below can match.
                const uint32_t lower = LoadPixel(low + 3);
                if (matches(lower, bgr))
                    join(lower, at, bgr);
                else if (!create(x, y, at, bgr))
                    return false;
                continue;
            }
            const uint32_t left = LoadPixel(at - 3);
            const uint32_t lowerRight = x + 1 < width ? LoadPixel(low + 3 * (x + 1)) : kUnlabelled;
            if (matches(left, bgr)) {
                if (lowerRight != left && matches(lowerRight, bgr))
                    merge(left, lowerRight, at, bgr);
                else
                    join(left, at, bgr);
                continue;
            }
            const uint32_t lowerLeft = LoadPixel(low + 3 * (x - 1));
            if (matches(lowerLeft, bgr)) {
                if (lowerRight != lowerLeft && matches(lowerRight, bgr))
                    merge(lowerLeft, lowerRight, at, bgr);
                else
                    join(lowerLeft, at, bgr);
                continue;
            }
            const uint32_t lower = LoadPixel(low + 3 * x);
            if (matches(lower, bgr)) {
                join(lower, at, bgr);
            } else if (matches(lowerRight, bgr)) {
                join(lowerRight, at, bgr);
            } else if (!create(x, y, at, bgr)) {
                return false;
            }
        }
    }
    const uint32_t last = m_next - 1;

    // ---- resolve ----
    // Labels in increasing order: a parent is always smaller than its child,
    // so it is resolved already and points at its root. Each label adds its
    // count and sums into every record on its way up and ends pointing at
    // the root.
    for (uint32_t label = 1; label <= last; ++label) {
        SegmentRecord& r = m_records[label];
        uint32_t up = r.parent;
        while (up != label) {
            SegmentRecord& a = m_records[up];
            a.count += r.count;
            AddSum(a.sumB, r.sumB, 0, a.reserved);
            AddSum(a.sumG, r.sumG, 8, a.reserved);
            AddSum(a.sumR, r.sumR, 16, a.reserved);
            a.reserved += r.reserved;  // carries of the label's own sums
            r.parent = up;
            if (a.parent == up) break;
            up = a.parent;
        }
    }
    for (uint32_t label = 1; label <= last; ++label) {
        SegmentRecord& r = m_records[label];
        if (r.parent != label) continue;
        const uint64_t sums[3] = {uint64_t(r.reserved & 0xFF) << 32 | r.sumB,
                                  uint64_t((r.reserved >> 8) & 0xFF) << 32 | r.sumG,
                                  uint64_t((r.reserved >> 16) & 0xFF) << 32 | r.sumR};
        for (int c = 0; c < 3; ++c) r.colour[c] = uint8_t(sums[c] / r.count);
    }
    segmentCount = last + 1;

    // ---- relabel and paint ----
    for (uint32_t y = 1; y < height; ++y) {
        uint8_t* img = m_image.row(y);
        uint8_t* cur = m_map.row(y);
        for (uint32_t x = 1; x < width; ++x) {
            const uint32_t label = LoadPixel(cur + 3 * x);
            if (label == kUnlabelled || label == 0) continue;
            const SegmentRecord& r = m_records[m_records[label].parent];
            StorePixel(cur + 3 * x, m_records[label].parent);
            std::memcpy(img + 3 * x, r.colour, 3);
        }
    }
    return true;
}

}  // namespace

size_t SegmentEightCapacity(uint32_t width, uint32_t height) {
    const size_t labels = width > 1 && height > 1 ? size_t(width - 1) * (height - 1) : 0;
    return std::min<size_t>(labels, kMaxEightLabel) + 1;
}

SegmentStatus SegmentEightScan(core::BmpView image, core::BmpView map, std::span<SegmentRecord> records,
                               uint16_t tolerance, uint32_t& segmentCount) {
    if (records.empty()) return SegmentStatus::TooManyLabels;
    Scan scan(image, map, records, tolerance);
    return scan.run(segmentCount) ? SegmentStatus::Done : SegmentStatus::TooManyLabels;
}

SegmentEightResult SegmentEight(core::BmpView image, core::BmpView map, std::span<SegmentRecord> records,
                                uint32_t tolerance, uint32_t repetitions) {
    SegmentEightResult result;
    uint16_t scanTolerance = 0;
    for (uint32_t k = 0; k < repetitions; ++k) {
        scanTolerance = uint16_t(scanTolerance + tolerance);
        result.status = SegmentEightScan(image, map, records, scanTolerance, result.segmentCount);
        if (result.status != SegmentStatus::Done) break;
        ++result.scans;
    }
    return result;
}

}  // namespace zorva::segment
