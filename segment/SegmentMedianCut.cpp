// Growing, resolving, linking, folding and numbering of 4-connected palette-index regions, and the plate window.
#include "segment/SegmentMedianCut.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "core/simd/Kernels.h"
#include "segment/SegmentCommon.h"

namespace zorva::segment {

namespace {

// Bit 7 of a record's index byte marks a freshly numbered segment whose first
// pixel the map rewrite has not met yet (indices stay below 32).
constexpr uint32_t kMark = 0x80;

// The labelled rectangle of one cycle: columns x0..x1-1, rows y0..y1-1.
struct Area {
    uint32_t x0, y0, x1, y1;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

// One growing cycle's state over the map and the record table.
class Cycle {
public:
    Cycle(uint32_t* map, uint32_t width, std::span<IndexedSegmentRecord> table)
        : m_map(map),
          m_width(width),
          m_rec(table.data()),
          m_limit(uint32_t(std::min<size_t>(table.size(), size_t(kMaxIndexedLabel) + 1))) {}

    uint32_t last() const { return m_next - 1; }

    // ---- grow ----
    // The median-cut routine: pixel by pixel, below is the root value of the
    // pixel underneath, and links are kept.
    bool grow(const Area& area, const PaletteDistance& distance);

    // The plate window, run by run (no links). A run of equal indices takes
    // the label stored under its first pixel when that pixel has its index,
    // else a new label, and joins every other run of its index it touches
    // underneath. Labels are created where growing pixel by pixel creates
    // them, in the same order, and the unions give the same components and
    // roots, so everything that follows is the same; but the table is met
    // once per run and the runs are found from bit masks of where the index
    // changes, which on a noisy binarised photo is most of the time saved.
    // Only a run's first pixel stores its value; the others keep their bare
    // index until rewriteRuns.
    bool growRuns(const Area& area, std::vector<uint64_t>& scratch);

    // ---- resolve ----
    // Labels in increasing order; a parent is always smaller than its child,
    // so each label's parent already holds its root's value. Every record
    // ends with its root's value and every root with its segment's count.
    void resolve() {
        for (uint32_t l = 1; l <= last(); ++l) {
            uint32_t p = m_rec[l].value >> 8;
            while (p != l) {
                m_rec[p].count += m_rec[l].count;
                m_rec[l].value = m_rec[p].value;
                if (m_rec[p].value >> 8 == p) break;
                p = m_rec[p].value >> 8;
            }
        }
    }

    // ---- update links ----
    // A link becomes the current value of the record it names, so that links
    // follow merges and folds to the survivor.
    void updateLinks() {
        for (uint32_t l = 1; l <= last(); ++l) {
            const uint32_t named = m_rec[l].link >> 8;
            m_rec[l].link = named <= last() ? m_rec[named].value : 0;
        }
    }

    // True when at least one segment was folded.
    bool fold(const SegmentMedianCutParams& params, const PaletteDistance& distance);

    // ---- number ----
    // Roots get 1, 2, ... in label order, marked; a non-root takes the new
    // value of its parent, which is smaller and so numbered already.
    void number() {
        uint32_t k = 0;
        for (uint32_t l = 1; l <= last(); ++l) {
            const uint32_t p = m_rec[l].value >> 8;
            if (p == l)
                m_rec[l].value = (++k << 8) | (m_rec[l].value & 0x7F) | kMark;
            else
                m_rec[l].value = m_rec[p].value & ~kMark;
        }
    }

    // ---- rewrite the map ----
    // Every pixel takes its record's new value; the first pixel that meets a
    // marked record stores its position there. Labels the cycle did not give
    // (stale values outside the labelled area) count as label 0.
    void rewrite(const Area& rows) {
        for (uint32_t y = rows.y0; y < rows.y1; ++y) {
            uint32_t* line = m_map + size_t(y) * m_width;
            for (uint32_t x = rows.x0; x < rows.x1; ++x) {
                uint32_t l = ValueLabel(line[x]);
                if (l > last()) l = 0;
                IndexedSegmentRecord& r = m_rec[l];
                if (r.value & kMark) {
                    r.value &= ~kMark;
                    r.firstPixel = detail::Point(x, y);
                }
                line[x] = r.value;
            }
        }
    }

    // The labelled rows after growRuns, a run at a time: every pixel of a
    // run takes the new value of the label its first pixel stores.
    void rewriteRuns(const Area& rows, std::vector<uint64_t>& scratch, std::vector<uint32_t>& starts) {
        const uint32_t n = rows.x1 - rows.x0;
        const size_t words = (n + 63) / 64;
        starts.resize(size_t(n) + 1);
        for (uint32_t y = rows.y0; y < rows.y1; ++y) {
            uint32_t* line = m_map + size_t(y) * m_width + rows.x0;
            simd::RunStarts(line, n, scratch.data());
            size_t runs = 0;
            for (size_t w = 0; w < words; ++w)
                for (uint64_t bits = scratch[w]; bits; bits &= bits - 1)
                    starts[runs++] = uint32_t(w * 64 + uint32_t(std::countr_zero(bits)));
            starts[runs] = n;
            for (size_t i = 0; i < runs; ++i) {
                IndexedSegmentRecord& r = m_rec[ValueLabel(line[starts[i]])];
                if (r.value & kMark) {
                    r.value &= ~kMark;
                    r.firstPixel = detail::Point(rows.x0 + starts[i], y);
                }
                std::fill(line + starts[i], line + starts[i + 1], r.value);
            }
        }
    }

    // ---- compact ----
    // The root numbered k is the first record, in label order, whose value
    // carries k (its children have larger labels); it moves to position k.
    uint32_t compact() {
        uint32_t k = 1;
        for (uint32_t l = 1; l <= last(); ++l)
            if (m_rec[l].value >> 8 == k) {
                if (l != k) m_rec[k] = m_rec[l];
                ++k;
            }
        const uint32_t total = k - 1;
        for (uint32_t i = 1; i <= total; ++i) {
            // A count beyond the 24-bit field is held at its largest value.
            const uint32_t pixels = std::min<uint32_t>(m_rec[i].count, kMaxIndexedLabel);
            m_rec[i].value = pixels << 8 | (m_rec[i].value & 0xFF);
            m_rec[i].count = 0;
        }
        return total;
    }

    IndexedSegmentRecord& record(uint32_t l) { return m_rec[l]; }

private:
    // Root with path halving; parents stay smaller than their children.
    uint32_t root(uint32_t l) {
        for (;;) {
            const uint32_t up = m_rec[l].value >> 8;
            if (up == l) return l;
            const uint32_t upUp = m_rec[up].value >> 8;
            m_rec[l].value = upUp << 8 | (m_rec[l].value & 0xFF);
            l = up;
        }
    }
    bool create(uint32_t* at, uint32_t index, uint32_t link) {
        if (m_next >= m_limit) return false;
        const uint32_t l = m_next++;
        m_rec[l] = IndexedSegmentRecord{l << 8 | index, 1, 0, link};
        *at = m_rec[l].value;
        return true;
    }
    void join(uint32_t* at, uint32_t value) {
        *at = value;
        ++m_rec[value >> 8].count;
    }
    // The larger root hangs under the smaller (a root's value is its own).
    void unite(uint32_t a, uint32_t b, uint32_t index) {
        a = root(a);
        b = root(b);
        if (a == b) return;
        if (a > b) std::swap(a, b);
        m_rec[b].value = a << 8 | index;
    }
    // The larger root hangs under the smaller; the survivor keeps its link.
    void merge(uint32_t* at, uint32_t below, uint32_t left, uint32_t index) {
        uint32_t a = root(below >> 8);
        uint32_t b = root(left >> 8);
        if (a > b) std::swap(a, b);
        m_rec[b].value = a << 8 | index;
        join(at, m_rec[a].value);
    }

    uint32_t* m_map;
    uint32_t m_width;
    IndexedSegmentRecord* m_rec;
    uint32_t m_limit;
    uint32_t m_next = 1;
};

bool Cycle::grow(const Area& area, const PaletteDistance& d) {
    m_next = 1;
    m_rec[0] = IndexedSegmentRecord{0, 0, 0, 0};
    if (area.empty()) return true;

    // First row: only the left neighbour.
    uint32_t* line = m_map + size_t(area.y0) * m_width;
    if (!create(line + area.x0, ValueIndex(line[area.x0]), 0)) return false;
    for (uint32_t x = area.x0 + 1; x < area.x1; ++x) {
        const uint32_t index = ValueIndex(line[x]);
        if (index == ValueIndex(line[x - 1]))
            join(line + x, line[x - 1]);
        else if (!create(line + x, index, 0))
            return false;
    }

    for (uint32_t y = area.y0 + 1; y < area.y1; ++y) {
        line = m_map + size_t(y) * m_width;
        const uint32_t* under = line - m_width;
        // First column: only the stored value underneath.
        {
            const uint32_t index = ValueIndex(line[area.x0]);
            if (index == (under[area.x0] & 0xFF))
                join(line + area.x0, under[area.x0]);
            else if (!create(line + area.x0, index, 0))
                return false;
        }
        for (uint32_t x = area.x0 + 1; x < area.x1; ++x) {
            uint32_t* at = line + x;
            const uint32_t index = *at & 0xFF;
            const uint32_t left = line[x - 1];
            const uint32_t below = m_rec[root(ValueLabel(under[x]))].value;
            const uint32_t leftIndex = left & 0xFF;
            const uint32_t belowIndex = below & 0xFF;
            if (index == belowIndex) {
                if (index == leftIndex && left != below)
                    merge(at, below, left, index);
                else
                    join(at, below);
            } else if (index == leftIndex) {
                join(at, left);
                // Left and below meet here: each remembers the other if it is
                // more similar than its current link (an absent link reads as
                // index 0).
                const uint32_t between = d(leftIndex, belowIndex);
                IndexedSegmentRecord& l = m_rec[left >> 8];
                if (d(leftIndex, l.link & 0xFF) > between) l.link = below;
                IndexedSegmentRecord& b = m_rec[below >> 8];
                if (d(belowIndex, b.link & 0xFF) > between) b.link = left;
            } else {
                // A new segment links to the nearer of left and below (left on
                // a tie); each of them takes the new one as its link if it has
                // none or its link is farther than the new segment's colour.
                const uint32_t fresh = m_next << 8 | index;
                const uint32_t link = d(index, leftIndex) <= d(index, belowIndex) ? left : below;
                if (!create(at, index, link)) return false;
                IndexedSegmentRecord& l = m_rec[left >> 8];
                if (l.link == 0 || d(leftIndex, l.link & 0xFF) > d(leftIndex, index)) l.link = fresh;
                IndexedSegmentRecord& b = m_rec[below >> 8];
                if (b.link == 0 || d(belowIndex, b.link & 0xFF) > d(belowIndex, index)) b.link = fresh;
            }
        }
    }
    return true;
}

bool Cycle::growRuns(const Area& area, std::vector<uint64_t>& scratch) {
    m_next = 1;
    m_rec[0] = IndexedSegmentRecord{0, 0, 0, 0};
    if (area.empty()) return true;
    const uint32_t n = area.x1 - area.x0;
    const size_t words = (n + 63) / 64;
    scratch.assign(2 * words, 0);
    uint64_t* starts = scratch.data();  // runs of this row
    uint64_t* under = starts + words;   // runs of the row below
    for (uint32_t y = area.y0; y < area.y1; ++y) {
        uint32_t* line = m_map + size_t(y) * m_width + area.x0;
        const bool first = y == area.y0;
        const uint32_t* below = first ? line : line - m_width;  // not read on the first row
        simd::RunStarts(line, n, starts);
        // Walk the places where a run starts in this row or in the row below;
        // between two of them the run and the run underneath stay the same.
        uint32_t runStart = 0, value = 0, index = 0, belowValue = 0;
        for (size_t w = 0; w < words; ++w) {
            for (uint64_t events = first ? starts[w] : starts[w] | under[w]; events; events &= events - 1) {
                const uint32_t bit = uint32_t(std::countr_zero(events));
                const uint32_t p = uint32_t(w * 64) + bit;
                if (!first && (under[w] >> bit & 1)) belowValue = below[p];
                if (starts[w] >> bit & 1) {
                    m_rec[value >> 8].count += p - runStart;
                    runStart = p;
                    index = line[p] & 0xFF;
                    if (!first && (belowValue & 0xFF) == index) {
                        value = belowValue;
                    } else {
                        if (m_next >= m_limit) return false;
                        const uint32_t l = m_next++;
                        value = l << 8 | index;
                        m_rec[l] = IndexedSegmentRecord{value, 0, 0, 0};
                    }
                    line[p] = value;
                } else if ((belowValue & 0xFF) == index && belowValue != value) {
                    unite(value >> 8, belowValue >> 8, index);
                }
            }
        }
        m_rec[value >> 8].count += n - runStart;
        std::swap(starts, under);
    }
    return true;
}

// ---- fold small segments ----
// Five passes in label order with a link update between passes. A small root
// S folds into its link T unless T is small too and T's own link U is a
// small root at least as similar to T as S is (then T should go to U first).
bool Cycle::fold(const SegmentMedianCutParams& params, const PaletteDistance& distance) {
    const auto threshold = [&](uint32_t index) -> uint32_t {
        if (params.quantiseFirst) return params.minSegmentPoints;
        return index == 0 ? 15 : 1;
    };
    bool folded = false;
    for (int pass = 0; pass < 5; ++pass) {
        if (pass > 0) updateLinks();
        for (uint32_t s = 1; s <= last(); ++s) {
            IndexedSegmentRecord& sr = m_rec[s];
            if (sr.value >> 8 != s) continue;
            const uint32_t sIndex = sr.value & 0xFF;
            if (sr.count > threshold(sIndex)) continue;
            const uint32_t t = sr.link;
            const uint32_t tl = t >> 8;
            if (t == 0 || tl == s || tl > last() || m_rec[tl].value != t) continue;
            IndexedSegmentRecord& tr = m_rec[tl];
            const uint32_t tIndex = t & 0xFF;
            if (tr.count <= threshold(tIndex)) {
                // An absent link names record 0, which reads as a root of
                // value 0 and count 0.
                const uint32_t u = tr.link;
                const uint32_t ul = u >> 8;
                const bool uRoot = ul != tl && ul <= last() && m_rec[ul].value == u;
                if (uRoot) {
                    if (m_rec[ul].count > threshold(u & 0xFF)) continue;
                    if (distance(tIndex, u & 0xFF) < distance(tIndex, sIndex)) continue;
                }
            }
            // The lower label survives with the colour of the larger part
            // (T's on a tie); a surviving S takes T's link.
            const uint32_t survivor = std::min(s, tl);
            const uint32_t other = std::max(s, tl);
            const uint32_t index = sr.count > tr.count ? sIndex : tIndex;
            const uint32_t total = sr.count + tr.count;
            const uint32_t tLink = tr.link;
            m_rec[survivor].value = survivor << 8 | index;
            m_rec[survivor].count = total;
            if (survivor == s) m_rec[s].link = tLink;
            m_rec[other].value = m_rec[survivor].value;
            folded = true;
        }
    }
    return folded;
}

}  // namespace

PaletteDistance PaletteDistance::From(const PaletteTable& palette) {
    PaletteDistance table;
    for (uint32_t a = 0; a < kSegmentColours; ++a)
        for (uint32_t b = 0; b < kSegmentColours; ++b)
            table.entries[a << 5 | b] = uint16_t(detail::SixTermDistance(palette.colours[a], palette.colours[b]));
    return table;
}

size_t IndexedSegmentCapacity(uint32_t width, uint32_t height) {
    const size_t labels = width > 1 && height > 1 ? size_t(width - 1) * (height - 1) : 0;
    return std::min<size_t>(labels, kMaxIndexedLabel) + 1;
}

namespace {

// Whether the cycles stop once one has folded nothing.
enum class Cycles : uint8_t { UntilSettled, AllFour };

SegmentStatus Segment(core::MutableBmpView image, const SegmentMedianCutParams& params, uint32_t* histogram,
                      uint32_t* map, std::span<IndexedSegmentRecord> table, PaletteTable& palette,
                      uint32_t& segmentCount, Cycles cycles) {
    const uint32_t width = image.width();
    const uint32_t height = image.height();
    segmentCount = 0;
    if (table.empty()) return SegmentStatus::TooManyLabels;
    if (params.quantiseFirst)
        MedianCutPalette(image, std::clamp<uint32_t>(params.colours, 1, kSegmentColours), PaletteOutput::Index,
                         histogram, map, palette);
    const PaletteDistance distance = PaletteDistance::From(palette);
    if (height == 1) return SegmentStatus::Done;

    // The last column and the top row are never labelled.
    const Area labelled{0, 0, width - 1, height - 1};
    const Area rewritten{0, 0, width - 1, height};
    Cycle cycle(map, width, table);
    for (int c = 0; c < 4; ++c) {
        if (!cycle.grow(labelled, distance)) return SegmentStatus::TooManyLabels;
        cycle.resolve();
        cycle.updateLinks();
        const bool folded = cycle.fold(params, distance);
        cycle.number();
        cycle.rewrite(rewritten);
        // A cycle reads nothing but the indices of the labelled area and
        // rebuilds every record it reads, the map and the table up to its
        // last label included. One that folded nothing left every index as
        // it found it, so each further cycle would only repeat it, write for
        // write: stop here (on a photo the third cycle usually folds nothing).
        if (!folded && cycles == Cycles::UntilSettled) break;
    }
    segmentCount = cycle.compact();

    // ---- paint ----
    // Rows 0..H-2 take the colour of their index; the top row keeps its
    // colours and the last column shows its quantised colour.
    for (uint32_t y = 0; y + 1 < height; ++y) {
        uint8_t* p = image.row(y);
        const uint32_t* line = map + size_t(y) * width;
        for (uint32_t x = 0; x < width; ++x, p += 3) core::StorePixel(p, palette.colours[line[x] & 0xFF]);
    }
    return SegmentStatus::Done;
}

}  // namespace

SegmentStatus SegmentMedianCut(core::MutableBmpView image, const SegmentMedianCutParams& params, uint32_t* histogram,
                               uint32_t* map, std::span<IndexedSegmentRecord> table, PaletteTable& palette,
                               uint32_t& segmentCount) {
    return Segment(image, params, histogram, map, table, palette, segmentCount, Cycles::UntilSettled);
}

namespace detail {

SegmentStatus SegmentMedianCutAllCycles(core::MutableBmpView image, const SegmentMedianCutParams& params,
                                        uint32_t* histogram, uint32_t* map, std::span<IndexedSegmentRecord> table,
                                        PaletteTable& palette, uint32_t& segmentCount) {
    return Segment(image, params, histogram, map, table, palette, segmentCount, Cycles::AllFour);
}

}  // namespace detail

size_t SegmentWindowCapacity(uint32_t width, uint32_t height, SegmentWindowRect window) {
    const uint32_t x1 = std::min<uint32_t>(window.x1, width);
    const uint32_t y1 = std::min<uint32_t>(window.y1, height);
    const size_t w = x1 > window.x0 + 1u ? x1 - window.x0 - 1u : 0;
    const size_t h = y1 > window.y0 + 1u ? y1 - window.y0 - 1u : 0;
    return std::min<size_t>(w * h, kMaxIndexedLabel) + 1;
}

SegmentStatus SegmentWindow(uint32_t width, uint32_t height, SegmentWindowRect window, uint32_t* map,
                            std::span<IndexedSegmentRecord> table, uint32_t& segmentCount) {
    segmentCount = 0;
    if (table.empty()) return SegmentStatus::TooManyLabels;
    const uint32_t upper = (width * height >> 9) + 250;
    const uint32_t x1 = std::min<uint32_t>(window.x1, width);
    const uint32_t y1 = std::min<uint32_t>(window.y1, height);
    // Columns x0..x1-2 and rows y0..y1-2 are grown; the rewrite adds row y1-1.
    const Area labelled{window.x0, window.y0, x1 > 0 ? x1 - 1 : 0, y1 > 0 ? y1 - 1 : 0};
    const Area rewritten{window.x0, window.y0, labelled.x1, y1};

    Cycle cycle(map, width, table);
    std::vector<uint64_t> scratch;
    if (!cycle.growRuns(labelled, scratch)) return SegmentStatus::TooManyLabels;
    cycle.resolve();

    // ---- filter ----
    // Dark specks under 15 pixels and anything larger than a character can be
    // become "no segment, light" (value 1), as does label 0.
    for (uint32_t l = 1; l <= cycle.last(); ++l) {
        IndexedSegmentRecord& r = cycle.record(l);
        if (r.value >> 8 != l) continue;
        const uint32_t lower = (r.value & 0xFF) == 0 ? 15 : 1;
        if (r.count < lower || r.count > upper) r.value = 1;
    }
    cycle.record(0).value = 1;

    cycle.number();
    if (!labelled.empty()) {
        std::vector<uint32_t> starts;
        cycle.rewriteRuns(labelled, scratch, starts);
    }
    // The window's top row is not labelled: its bare indices read as label 0.
    if (rewritten.y1 > rewritten.y0)
        cycle.rewrite(Area{rewritten.x0, std::max(rewritten.y0, rewritten.y1 - 1), rewritten.x1, rewritten.y1});
    segmentCount = cycle.compact();
    return SegmentStatus::Done;
}

}  // namespace zorva::segment
