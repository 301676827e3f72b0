// One raster scan of 8-connected region growing with union of roots, then resolve, relabel and paint.
#include "segment/SegmentEight.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zorva::segment {

namespace {

using core::LoadPixel;
using core::StorePixel;

// ---- blocks of equal pixels ----
// Flat areas (and a black-and-white picture is nothing else) are handled a
// block of kBlock pixels at a time: a block whose pixels all carry one colour
// (or one label) is recognised by comparing it with a block-long pattern of
// that value, and written by copying a pattern. Fixed-size memcmp and memcpy
// compile to a few vector loads, compares and stores on every target.
constexpr uint32_t kBlock = 16;

// kBlock 3-byte pixels of one value.
struct PixelPattern {
    uint8_t bytes[3 * kBlock + 1];
    uint32_t value = 0xFFFFFFFF;  // none yet
    void set(uint32_t v) {
        if (v == value) return;
        value = v;
        for (uint32_t i = 0; i < kBlock; ++i) StorePixel(bytes + 3 * i, v);
    }
    bool same(const uint8_t* at) const { return std::memcmp(at, bytes, 3 * kBlock) == 0; }
    void put(uint8_t* at) const { std::memcpy(at, bytes, 3 * kBlock); }
};

// kBlock label words of one value.
struct WordPattern {
    uint32_t words[kBlock];
    uint32_t value = 0;
    explicit WordPattern(uint32_t v) { set(v); }
    void set(uint32_t v) {
        value = v;
        for (uint32_t& w : words) w = v;
    }
    bool same(const uint32_t* at) const { return std::memcmp(at, words, sizeof words) == 0; }
    void put(uint32_t* at) const { std::memcpy(at, words, sizeof words); }
};

// The scan's working set: the image, the map and the record table.
class Scan {
public:
    Scan(core::MutableBmpView image, core::MutableBmpView map, std::span<SegmentRecord> records, uint32_t tolerance,
         bool blocks)
        : m_image(image),
          m_map(map),
          m_rec(records.data()),
          m_tolerance(tolerance),
          m_blocks(blocks),
          m_limit(uint32_t(std::min<size_t>(records.size(), size_t(kMaxEightLabel) + 1))) {}

    bool run(uint32_t& segmentCount);

private:
    // The reference colour of a label's record as 0x00RRGGBB: bytes 12..14,
    // and byte 15 is always 0.
    uint32_t reference(uint32_t label) const {
        uint32_t colour;
        std::memcpy(&colour, m_rec[label].colour, 4);
        return colour;
    }
    // Each channel of `bgr` lies within the tolerance of `ref`: |a - b| <= t
    // is a - b + t in 0..2t, one unsigned comparison, and the three are
    // combined without branches.
    bool near(uint32_t bgr, uint32_t ref) const {
        const int t = int(m_tolerance);
        const uint32_t span = 2 * m_tolerance;
        return (uint32_t(int(bgr & 0xFF) - int(ref & 0xFF) + t) <= span) &
               (uint32_t(int((bgr >> 8) & 0xFF) - int((ref >> 8) & 0xFF) + t) <= span) &
               (uint32_t(int((bgr >> 16) & 0xFF) - int((ref >> 16) & 0xFF) + t) <= span);
    }
    // A neighbour matches when it is labelled and each channel of the pixel
    // lies within the tolerance of its record's reference colour (the
    // record of that very label, not of its root).
    bool matches(uint32_t label, uint32_t bgr) const { return label != kUnlabelled && near(bgr, reference(label)); }

    // A pixel joins a label: the label goes into the map, and the pixel
    // counts towards the label's record. Consecutive joins of one label are
    // gathered and added to the record in one go (flush): nothing reads a
    // record's count or sums before resolve, and adding a run's total, which
    // stays below 2^32, wraps a 32-bit sum exactly as often as adding the
    // pixels one by one.
    void join(uint32_t label, uint8_t* mapPixel, uint32_t bgr) {
        StorePixel(mapPixel, label);
        if (label != m_pending) {
            flush();
            m_pending = label;
        }
        ++m_pendingCount;
        m_pendingB += bgr & 0xFF;
        m_pendingG += (bgr >> 8) & 0xFF;
        m_pendingR += (bgr >> 16) & 0xFF;
    }
    // kBlock pixels of colour `bgr` join `label`, whose pattern `labels` is.
    void joinBlock(const PixelPattern& labels, uint8_t* mapPixels, uint32_t bgr) {
        labels.put(mapPixels);
        if (labels.value != m_pending) {
            flush();
            m_pending = labels.value;
        }
        m_pendingCount += kBlock;
        m_pendingB += kBlock * (bgr & 0xFF);
        m_pendingG += kBlock * ((bgr >> 8) & 0xFF);
        m_pendingR += kBlock * ((bgr >> 16) & 0xFF);
    }
    void flush() {
        if (m_pendingCount == 0) return;
        SegmentRecord& r = m_rec[m_pending];
        r.count += m_pendingCount;
        AddSum(r.sumB, m_pendingB, 0, r.reserved);
        AddSum(r.sumG, m_pendingG, 8, r.reserved);
        AddSum(r.sumR, m_pendingR, 16, r.reserved);
        m_pendingCount = m_pendingB = m_pendingG = m_pendingR = 0;
    }
    static void AddSum(uint32_t& sum, uint32_t value, int carryShift, uint32_t& carries) {
        const uint32_t before = sum;
        sum += value;
        if (sum < before) carries += 1u << carryShift;
    }

    // A fresh label with the pixel as its first pixel and reference colour;
    // 0 when the table or the label space is full.
    uint32_t create(uint32_t x, uint32_t y, uint8_t* mapPixel, uint32_t bgr) {
        if (m_next >= m_limit) return 0;
        const uint32_t label = m_next++;
        SegmentRecord& r = m_rec[label];
        r = SegmentRecord{};
        r.parent = label;
        r.firstX = uint16_t(x);
        r.firstY = uint16_t(y);
        r.colour[0] = uint8_t(bgr);
        r.colour[1] = uint8_t(bgr >> 8);
        r.colour[2] = uint8_t(bgr >> 16);
        join(label, mapPixel, bgr);
        return label;
    }

    // Union-find root with path halving: parents only ever point to smaller
    // labels, and halving keeps that, so the resolve pass below is unchanged.
    uint32_t root(uint32_t label) {
        while (m_rec[label].parent != label) {
            const uint32_t up = m_rec[label].parent;
            m_rec[label].parent = m_rec[up].parent;
            label = up;
        }
        return label;
    }

    // The larger root hangs under the smaller one and takes its reference
    // colour; the pixel joins the smaller root, which is returned.
    uint32_t merge(uint32_t a, uint32_t b, uint8_t* mapPixel, uint32_t bgr) {
        uint32_t ra = root(a);
        uint32_t rb = root(b);
        if (ra > rb) std::swap(ra, rb);
        m_rec[rb].parent = ra;
        std::memcpy(m_rec[rb].colour, m_rec[ra].colour, 3);
        join(ra, mapPixel, bgr);
        return ra;
    }

    // A root's mean colour from its count and its 40-bit sums. Most segments
    // of a noisy picture are single pixels, and nearly all sums fit 32 bits,
    // so the two short ways give the same quotients faster.
    static void MeanColour(SegmentRecord& r) {
        if (r.count == 1 && (r.reserved & 0xFFFFFF) == 0) {
            r.colour[0] = uint8_t(r.sumB);
            r.colour[1] = uint8_t(r.sumG);
            r.colour[2] = uint8_t(r.sumR);
        } else if ((r.reserved & 0xFFFFFF) == 0) {
            r.colour[0] = uint8_t(r.sumB / r.count);
            r.colour[1] = uint8_t(r.sumG / r.count);
            r.colour[2] = uint8_t(r.sumR / r.count);
        } else {
            const uint64_t sums[3] = {uint64_t(r.reserved & 0xFF) << 32 | r.sumB,
                                      uint64_t((r.reserved >> 8) & 0xFF) << 32 | r.sumG,
                                      uint64_t((r.reserved >> 16) & 0xFF) << 32 | r.sumR};
            for (int c = 0; c < 3; ++c) r.colour[c] = uint8_t(sums[c] / r.count);
        }
    }

    // One row of the scan: its pixels and map bytes, the labels of the row
    // below and of this row, and the label and colour of the last pixel.
    struct Row {
        uint32_t y = 0;
        const uint8_t* img = nullptr;
        uint8_t* map = nullptr;
        const uint32_t* below = nullptr;
        uint32_t* current = nullptr;
        uint32_t left = 0;
        uint32_t previous = 0;
    };
    bool grow();
    bool firstColumn(Row& row);
    bool growFirstRow(Row& row, uint32_t width);
    bool growRow(Row& row, uint32_t width);
    void resolve(uint32_t last);
    void relabelAndPaint();

    core::MutableBmpView m_image;
    core::MutableBmpView m_map;
    SegmentRecord* m_rec;
    uint32_t m_tolerance;
    bool m_blocks;  // whether blocks of equal pixels are taken whole
    uint32_t m_limit;
    uint32_t m_next = 1;
    // The joins gathered for one label, not yet in its record.
    uint32_t m_pending = 0;
    uint32_t m_pendingCount = 0;
    uint32_t m_pendingB = 0, m_pendingG = 0, m_pendingR = 0;
    // Where a failed scan stopped: the column of the pixel that found no label.
    uint32_t m_stopX = 1;
    // The colour of the block being tested, and the map bytes of the label it joins.
    PixelPattern m_colours;
    PixelPattern m_labels;
};

// ---- grow ----
// The labels of the row below and of the current row are kept as 32-bit
// words beside the map, so each neighbour is one load; both rows carry the
// unlabelled value in column 0 and past the last column (the lower-right
// neighbour of the last column). A neighbour whose label equals one that
// already failed the test fails it again (same record, same colour) and is
// not tested twice. A pixel of the same colour as the one before it, which
// joined or created its label without a merge, matches that label again
// (only merges change reference colours), so flat areas skip the test.
bool Scan::grow() {
    const uint32_t width = m_image.width();
    const uint32_t height = m_image.height();
    const size_t stride = m_image.stride();
    uint8_t* map = m_map.pixels();
    if (width < 2 || height < 2) {
        std::memset(map, 0xFF, stride * height);
        return true;
    }
    // The map is not cleared beforehand: the scan writes every labelled
    // pixel, and each row's column 0 and padding are marked unlabelled as the
    // row is reached. A failed scan marks the rest, from the pixel that
    // found no label onward, as a cleared map would have left it.
    std::memset(map, 0xFF, stride);
    std::vector<uint32_t> rows(2 * (size_t(width) + 1), kUnlabelled);
    uint32_t* below = rows.data();  // stored row 0 is unlabelled
    uint32_t* current = below + width + 1;
    const uint8_t* img = m_image.pixels();
    for (uint32_t y = 1; y < height; ++y) {
        img += stride;
        map += stride;
        std::memset(map, 0xFF, 3);
        std::memset(map + 3 * size_t(width), 0xFF, stride - 3 * size_t(width));
        Row row{y, img, map, below, current};
        m_stopX = 1;
        const bool ok = firstColumn(row) && (y == 1 ? growFirstRow(row, width) : growRow(row, width));
        if (!ok) {
            flush();
            uint8_t* stop = map + 3 * size_t(m_stopX);
            std::memset(stop, 0xFF, size_t(m_map.pixels() + stride * height - stop));
            return false;
        }
        // A row's joins stay below 2^32 in every sum (at most 65,535 pixels of 255).
        flush();
        std::swap(below, current);
    }
    flush();
    return true;
}

// Column 0 is never labelled: column 1 looks only at the pixel below (in the
// first labelled row there is none, so it creates a label).
bool Scan::firstColumn(Row& row) {
    row.previous = LoadPixel(row.img + 3);
    const uint32_t lower = row.below[1];
    if (matches(lower, row.previous)) {
        join(lower, row.map + 3, row.previous);
        row.left = lower;
    } else if ((row.left = create(1, row.y, row.map + 3, row.previous)) == 0) {
        return false;
    }
    row.current[1] = row.left;
    return true;
}

// The first labelled row looks only to the left. A block of pixels of the
// previous pixel's colour all join `left`, as they would one by one.
bool Scan::growFirstRow(Row& row, uint32_t width) {
    const uint32_t blockEnd = m_blocks ? width : 0;
    for (uint32_t x = 2; x < width;) {
        const uint32_t bgr = LoadPixel(row.img + 3 * x);
        uint8_t* at = row.map + 3 * x;
        if (bgr == row.previous && x + kBlock <= blockEnd && LoadPixel(row.img + 3 * (x + kBlock - 1)) == bgr) {
            m_colours.set(bgr);
            if (m_colours.same(row.img + 3 * x)) {
                m_labels.set(row.left);
                joinBlock(m_labels, at, bgr);
                std::fill_n(row.current + x, kBlock, row.left);
                x += kBlock;
                continue;
            }
        }
        if (bgr == row.previous || near(bgr, reference(row.left))) {
            join(row.left, at, bgr);
        } else if ((row.left = create(x, row.y, at, bgr)) == 0) {
            m_stopX = x;
            return false;
        }
        row.current[x] = row.left;
        row.previous = bgr;
        ++x;
    }
    return true;
}

// Left, lower-left, lower, lower-right, in that order; only the lower-right
// neighbour of the last column can be unlabelled.
//
// A block of pixels of the previous pixel's colour, after a pixel that
// joined `left` without a merge, over lower-right neighbours that all carry
// `left` itself, joins `left` whole: one by one, each of its pixels would
// match `left` by its colour and find no other label to merge with.
bool Scan::growRow(Row& row, uint32_t width) {
    const uint32_t blockEnd = m_blocks ? width : 0;
    // Whether the last pixel matched `left` without a merge: a pixel of the
    // same colour matches it too.
    bool plain = true;
    uint32_t left = row.left;
    WordPattern lefts(left);
    for (uint32_t x = 2; x < width;) {
        const uint32_t bgr = LoadPixel(row.img + 3 * x);
        uint8_t* at = row.map + 3 * x;
        const uint32_t lowerRight = row.below[x + 1];
        if (plain && bgr == row.previous && lowerRight == left && x + kBlock <= blockEnd &&
            row.below[x + kBlock] == left && LoadPixel(row.img + 3 * (x + kBlock - 1)) == bgr) {
            m_colours.set(bgr);
            if (lefts.value != left) lefts.set(left);
            if (m_colours.same(row.img + 3 * x) && lefts.same(row.below + x + 1)) {
                m_labels.set(left);
                joinBlock(m_labels, at, bgr);
                lefts.put(row.current + x);
                x += kBlock;
                continue;
            }
        }
        uint32_t label;
        if ((plain && bgr == row.previous) || near(bgr, reference(left))) {
            if (lowerRight != left && matches(lowerRight, bgr)) {
                label = merge(left, lowerRight, at, bgr);
                plain = false;
            } else {
                join(left, at, bgr);
                label = left;
                plain = true;
            }
        } else {
            plain = true;
            const uint32_t lowerLeft = row.below[x - 1];
            const uint32_t lower = row.below[x];
            if (lowerLeft != left && near(bgr, reference(lowerLeft))) {
                if (lowerRight != lowerLeft && lowerRight != left && matches(lowerRight, bgr)) {
                    label = merge(lowerLeft, lowerRight, at, bgr);
                    plain = false;
                } else {
                    join(lowerLeft, at, bgr);
                    label = lowerLeft;
                }
            } else if (lower != left && lower != lowerLeft && near(bgr, reference(lower))) {
                join(lower, at, bgr);
                label = lower;
            } else if (lowerRight != left && lowerRight != lowerLeft && lowerRight != lower &&
                       matches(lowerRight, bgr)) {
                join(lowerRight, at, bgr);
                label = lowerRight;
            } else if ((label = create(x, row.y, at, bgr)) == 0) {
                m_stopX = x;
                return false;
            }
        }
        row.current[x] = label;
        left = label;
        row.previous = bgr;
        ++x;
    }
    return true;
}

// ---- resolve ----
// Labels in increasing order: a parent is always smaller than its child, so
// it is resolved already and points at its root. Each label adds its count
// and sums into every record on its way up and ends pointing at the root.
void Scan::resolve(uint32_t last) {
    for (uint32_t label = 1; label <= last; ++label) {
        SegmentRecord& r = m_rec[label];
        uint32_t up = r.parent;
        while (up != label) {
            SegmentRecord& a = m_rec[up];
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
}

// ---- mean colours, relabel and paint ----
// One pass over the map. A root's colour is final once resolve is done; it
// is computed at the root's own first pixel, which is the first pixel in
// scan order that belongs to its segment (labels are given in scan order and
// every child label is larger than its root), so it is ready before any
// pixel of the segment is painted. Runs of one label reuse the last lookup.
void Scan::relabelAndPaint() {
    const uint32_t width = m_image.width();
    const uint32_t blockEnd = m_blocks ? width : 0;
    const uint32_t height = m_image.height();
    const size_t stride = m_image.stride();
    uint8_t* img = m_image.pixels();
    uint8_t* map = m_map.pixels();
    uint32_t lastLabel = 0;
    uint32_t lastRoot = 0;
    uint32_t lastColour = 0;
    // A block of pixels all carrying the last label is relabelled and
    // painted whole (none of them is its root's first pixel: that one
    // follows a pixel of another label).
    PixelPattern labels, roots, colours;
    for (uint32_t y = 1; y < height; ++y) {
        img += stride;
        map += stride;
        for (uint32_t x = 1; x < width;) {
            uint8_t* at = map + 3 * x;
            const uint32_t label = LoadPixel(at);
            if (label == lastLabel && lastLabel != 0 && x + kBlock <= blockEnd &&
                LoadPixel(at + 3 * (kBlock - 1)) == lastLabel) {
                labels.set(lastLabel);
                if (labels.same(at)) {
                    if (lastRoot != lastLabel) {
                        roots.set(lastRoot);
                        roots.put(at);
                    }
                    colours.set(lastColour);
                    colours.put(img + 3 * x);
                    x += kBlock;
                    continue;
                }
            }
            ++x;
            if (label == kUnlabelled || label == 0) continue;
            if (label != lastLabel) {
                SegmentRecord& r = m_rec[label];
                lastLabel = label;
                lastRoot = r.parent;
                if (lastRoot == label && r.firstX == x - 1 && r.firstY == y) MeanColour(r);
                lastColour = reference(lastRoot);
            }
            StorePixel(at, lastRoot);
            StorePixel(img + 3 * (x - 1), lastColour);
        }
    }
}

bool Scan::run(uint32_t& segmentCount) {
    std::memcpy(m_map.data(), m_image.data(), core::kHeaderSize);
    m_rec[0] = SegmentRecord{};

    if (!grow()) return false;
    const uint32_t last = m_next - 1;
    resolve(last);
    segmentCount = last + 1;
    relabelAndPaint();
    return true;
}

}  // namespace

size_t SegmentEightCapacity(uint32_t width, uint32_t height) {
    const size_t labels = width > 1 && height > 1 ? size_t(width - 1) * (height - 1) : 0;
    return std::min<size_t>(labels, kMaxEightLabel) + 1;
}

SegmentStatus SegmentEightScan(core::MutableBmpView image, core::MutableBmpView map, std::span<SegmentRecord> records,
                               uint16_t tolerance, uint32_t& segmentCount) {
    if (records.empty()) return SegmentStatus::TooManyLabels;
    Scan scan(image, map, records, tolerance, true);
    return scan.run(segmentCount) ? SegmentStatus::Done : SegmentStatus::TooManyLabels;
}

namespace detail {

SegmentStatus SegmentEightScanPixelwise(core::MutableBmpView image, core::MutableBmpView map,
                                        std::span<SegmentRecord> records, uint16_t tolerance, uint32_t& segmentCount) {
    if (records.empty()) return SegmentStatus::TooManyLabels;
    Scan scan(image, map, records, tolerance, false);
    return scan.run(segmentCount) ? SegmentStatus::Done : SegmentStatus::TooManyLabels;
}

}  // namespace detail

SegmentEightResult SegmentEight(core::MutableBmpView image, core::MutableBmpView map, std::span<SegmentRecord> records,
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
