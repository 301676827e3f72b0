// Outline walking, run splitting, Ramer-Douglas-Peucker-style simplification and border sharing into VectorData.
#include "segment/Trace.h"

#include <algorithm>
#include <cstring>

#include "segment/SegmentCommon.h"

namespace zorva::segment {

using detail::Point;
using detail::PointX;
using detail::PointY;

namespace {

using namespace detail;

// A run's error grows with its size: level 1..7 as the farthest point lies
// below 5, 10, 20, 40, 80, 160 or farther from the start, capped by the setting.
uint32_t RunErrorFor(uint64_t farthest, uint32_t setting) {
    static constexpr uint64_t kBounds[6] = {25, 100, 400, 1600, 6400, 25600};
    uint32_t level = 7;
    for (uint32_t i = 0; i < 6; ++i)
        if (farthest < kBounds[i]) {
            level = i + 1;
            break;
        }
    return std::min(level, setting);
}

constexpr uint32_t kNoPixel = 0xFFFFFFFF;

// ---- shared borders ----
// The runs each segment stored towards segments with larger labels, kept per
// segment in walk order: segment k, meeting a run towards an earlier segment
// j, looks in j's runs for the earliest one towards k that ends where k's run
// begins. Neighbours lie close together in label order, so the runs looked
// at were stored recently and are still in cache (a hash table over all runs
// cost a memory miss per lookup). A segment with many runs has them sorted
// by key once it is finished (stably, so the earliest of equals stays first).
class SharedRuns {
public:
    struct Run {
        uint64_t key;    // neighbour label << 32 | last point
        uint32_t begin;  // word position of its first point in VectorData
        uint32_t count;  // number of points
    };

    // Room for owners 1..segments, none with runs.
    explicit SharedRuns(uint32_t segments) : m_start(size_t(segments) + 1, 0), m_end(size_t(segments) + 1, 0) {}

    // Starts the runs of `owner` (1..segments); owners come in increasing label order.
    void begin(uint32_t owner) {
        m_start[owner] = uint32_t(m_runs.size());
        m_owner = owner;
    }
    void add(uint32_t neighbourLabel, uint32_t lastPoint, uint32_t begin, uint32_t count) {
        m_runs.push_back(Run{Key(neighbourLabel, lastPoint), begin, count});
    }
    // Ends the runs of the current owner.
    void end() {
        m_end[m_owner] = uint32_t(m_runs.size());
        const auto first = m_runs.begin() + m_start[m_owner];
        if (m_runs.end() - first > kLinear)
            std::stable_sort(first, m_runs.end(), [](const Run& a, const Run& b) { return a.key < b.key; });
    }
    // The earliest stored run of `owner` towards `neighbourLabel` ending at
    // `lastPoint`, or null.
    const Run* match(uint32_t owner, uint32_t neighbourLabel, uint32_t lastPoint) const {
        if (owner >= m_end.size()) return nullptr;
        const uint64_t key = Key(neighbourLabel, lastPoint);
        const Run* first = m_runs.data() + m_start[owner];
        const Run* last = m_runs.data() + m_end[owner];
        if (last - first > kLinear) {
            const Run* at = std::lower_bound(first, last, key, [](const Run& r, uint64_t k) { return r.key < k; });
            return at != last && at->key == key ? at : nullptr;
        }
        for (const Run* r = first; r != last; ++r)
            if (r->key == key) return r;
        return nullptr;
    }

private:
    static constexpr std::ptrdiff_t kLinear = 16;  // runs searched in walk order without sorting
    static uint64_t Key(uint32_t label, uint32_t point) { return uint64_t(label) << 32 | point; }

    std::vector<Run> m_runs;
    std::vector<uint32_t> m_start;
    std::vector<uint32_t> m_end;
    uint32_t m_owner = 0;
};

// ---- the indexed outline walk ----
struct RawRun {
    uint32_t neighbour;
    uint32_t begin;  // position of its first point in the raw point list
};

struct Outline {
    std::vector<uint32_t> points;
    std::vector<RawRun> runs;
    uint32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
};

class IndexedWalker {
public:
    IndexedWalker(const uint32_t* map, uint32_t width, uint32_t height, std::span<const IndexedSegmentRecord> table,
                  uint32_t segments)
        : m_map(map), m_width(int(width)), m_height(int(height)), m_table(table), m_segments(segments) {}

    void walk(uint32_t x, uint32_t y, uint32_t pixels, Outline& o);
    // The segment being walked and the first pixels of all segments: a
    // neighbour not walked yet is split at its first pixel, a walked one at
    // its record's position (the bounding-box origin).
    void setCurrent(uint32_t segment, const std::vector<uint32_t>* firsts) {
        m_current = segment;
        m_firsts = firsts;
    }

private:
    uint32_t valueAt(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
        return m_map[size_t(y) * size_t(m_width) + size_t(x)];
    }
    void startRun(uint32_t neighbour, Outline& o) {
        o.runs.push_back(RawRun{neighbour, uint32_t(o.points.size())});
        o.points.push_back(m_lastPoint);
        m_lastCode = 0;
        // Where the neighbour's own outline starts (or, once traced, its
        // bounding-box origin): a run that reaches it is split there so that
        // both sides of a border are cut at the same corners.
        const uint32_t label = neighbour >> 8;
        m_hasFetched = label != 0 && label <= m_segments && label < m_table.size();
        if (m_hasFetched) m_fetched = label > m_current && m_firsts ? (*m_firsts)[label] : m_table[label].firstPixel;
    }
    void record(uint32_t point, uint32_t code, Outline& o) {
        if (code == m_lastCode)
            o.points.back() = point;
        else
            o.points.push_back(point);
        m_lastCode = code;
        m_lastPoint = point;
    }

    const uint32_t* m_map;
    int m_width, m_height;
    std::span<const IndexedSegmentRecord> m_table;
    uint32_t m_segments;
    uint32_t m_lastPoint = 0;
    uint32_t m_lastCode = 0;
    bool m_hasFetched = false;
    uint32_t m_fetched = 0;
    uint32_t m_current = 0;
    const std::vector<uint32_t>* m_firsts = nullptr;
};

void IndexedWalker::walk(uint32_t x, uint32_t y, uint32_t pixels, Outline& o) {
    o.points.clear();
    o.runs.clear();
    const uint32_t self = valueAt(int(x), int(y));
    const auto in = [&](int px, int py) { return valueAt(px, py) == self; };
    const int fx = int(x), fy = int(y);
    int px = fx, py = fy, cx = fx, cy = fy;
    o.minX = o.maxX = x;
    o.minY = o.maxY = y;
    m_lastPoint = Point(x, y);
    m_lastCode = 0;
    // A closed outline walks each pixel edge at most once, so it has at most
    // count upward moves and 4 x count moves; the limits end a walk that
    // would not close (a map whose first pixel does not start its segment).
    const uint64_t upLimit = uint64_t(pixels) + 19;
    const uint64_t moveLimit = 4 * uint64_t(pixels) + 4;
    uint64_t ups = 0, moves = 0;
    Move move = kUp;
    bool started = false;
    uint32_t current = 0;
    for (;;) {
        const uint32_t outer = valueAt(px + kOuterDx[move], py + kOuterDy[move]);
        if (!started || outer != current) {
            startRun(outer, o);
            current = outer;
            started = true;
        }
        const bool closing = move == kLeft && px == fx && py == fy;
        cx += kCornerDx[move];
        cy += kCornerDy[move];
        record(Point(uint32_t(cx), uint32_t(cy)), kCode[move], o);
        o.minX = std::min(o.minX, uint32_t(cx));
        o.maxX = std::max(o.maxX, uint32_t(cx));
        o.minY = std::min(o.minY, uint32_t(cy));
        o.maxY = std::max(o.maxY, uint32_t(cy));
        ++moves;
        if (move == kUp) ++ups;
        if (closing || ups >= upLimit || moves >= moveLimit) break;
        bool diagonal = false;
        const Move previous = move;
        move = NextMove(move, px, py, in, diagonal);
        if (previous == kDown && diagonal && m_hasFetched && Point(uint32_t(cx), uint32_t(cy)) == m_fetched)
            startRun(current, o);
    }
}

}  // namespace

namespace {

// ---- header and records ----
// Magic, W, H, K and the first 32 palette entries.
void WriteHeader(uint32_t width, uint32_t height, uint32_t k, const PaletteTable& palette, WordBuffer& out) {
    out.clear();
    out.push(kVectorMagic);
    out.push(width);
    out.push(height);
    out.push(k);
    for (uint32_t i = 0; i < kVectorPaletteEntries; ++i) out.push(palette.colours[i]);
}

// Tracing overwrites the x of a record's first pixel with the outline's
// minimum x but keeps its row, the segment's lowest. The first pixel is the
// segment's leftmost pixel in that row, found from that x onward, so a
// second tracing (a repeated export) starts exactly where the first did.
std::vector<uint32_t> FirstPixels(const uint32_t* map, uint32_t width, uint32_t height,
                                  std::span<const IndexedSegmentRecord> table, uint32_t k) {
    std::vector<uint32_t> firsts(size_t(k) + 1, kNoPixel);
    for (uint32_t s = 1; s <= k; ++s) {
        const uint32_t y = PointY(table[s].firstPixel);
        uint32_t x = PointX(table[s].firstPixel);
        if (y >= height) continue;
        const uint32_t* line = map + size_t(y) * width;
        while (x < width && ValueLabel(line[x]) != s) ++x;
        if (x < width) firsts[s] = Point(x, y);
    }
    return firsts;
}

// The records as segmentation left them (count word cleared, first pixel),
// then room for the K block offsets; returns where the offsets start.
size_t WriteRecords(std::span<const IndexedSegmentRecord> table, uint32_t k, const std::vector<uint32_t>& firsts,
                    WordBuffer& out) {
    for (uint32_t s = 1; s <= k; ++s) {
        out.push(table[s].value);
        out.push(0);
        out.push(firsts[s] == kNoPixel ? table[s].firstPixel : firsts[s]);
        out.push(table[s].link);
    }
    const size_t offsets = out.size();
    for (uint32_t s = 1; s <= k; ++s) out.push(0);
    return offsets;
}

// ---- runs ----
// Segment s's run list and its runs: a border with a segment traced before
// is stored once, as that segment's run towards s reversed; every other run
// simplified (or raw when `vectorFlags` is 0), and kept for the segments
// after s to share.
void WriteRuns(uint32_t s, uint32_t k, const Outline& outline, uint16_t vectorFlags, SharedRuns& shared,
               SplitStack& stack, WordBuffer& out) {
    shared.begin(s);
    const size_t runCount = outline.runs.size();
    for (const RawRun& run : outline.runs) out.push(run.neighbour);
    for (size_t r = 0; r < runCount; ++r) {
        const RawRun& run = outline.runs[r];
        const uint32_t end = r + 1 < runCount ? outline.runs[r + 1].begin : uint32_t(outline.points.size());
        const std::span<const uint32_t> points(outline.points.data() + run.begin, end - run.begin);
        out.push(kRunMarker);
        out.push(run.neighbour);
        const uint32_t neighbourLabel = run.neighbour >> 8;
        const uint32_t begin = uint32_t(out.size());
        if (neighbourLabel >= 1 && neighbourLabel < s) {
            if (const SharedRuns::Run* match = shared.match(neighbourLabel, s, points.front())) {
                for (uint32_t i = match->count; i-- > 0;) out.push(out[match->begin + i]);
                continue;
            }
        }
        if (vectorFlags == 0 || points.size() < 2) {
            for (uint32_t p : points) out.push(p);
        } else if (points.size() <= 3) {
            for (uint32_t p : points) out.push(p);
        } else {
            uint64_t farthest = 0;
            const uint32_t f = Farthest(points, farthest);
            out.push(points.front());
            SplitHalves<true>(points, f, RunErrorFor(farthest, vectorFlags & 0xFF), stack,
                              [&](uint32_t p) { out.push(p); });
        }
        if (neighbourLabel > s && neighbourLabel <= k)
            shared.add(neighbourLabel, out[out.size() - 1], begin, uint32_t(out.size() - begin));
    }
    shared.end();
}

// ---- table update ----
// The outline's bounding box, and the last run's neighbour with the run
// count in its low byte.
void UpdateRecord(IndexedSegmentRecord& rec, const Outline& outline) {
    const size_t runCount = outline.runs.size();
    rec.count = (outline.maxX - outline.minX) | (outline.maxY - outline.minY) << 16;
    rec.firstPixel = (rec.firstPixel & 0xFFFF0000u) | outline.minX;
    const uint32_t lastRun = runCount ? outline.runs.back().neighbour : 0;
    rec.link = (lastRun & ~0xFFu) | uint32_t(runCount & 0xFF);
}

}  // namespace

void TraceSegments(const uint32_t* map, uint32_t width, uint32_t height, std::span<IndexedSegmentRecord> table,
                   uint32_t segments, const PaletteTable& palette, uint16_t vectorFlags, WordBuffer& out) {
    const size_t tableSegments = table.empty() ? 0 : std::min<size_t>(table.size() - 1, kMaxIndexedLabel);
    const uint32_t k = uint32_t(std::min<size_t>(segments, tableSegments));
    WriteHeader(width, height, k, palette, out);
    if (k == 0) return;
    const std::vector<uint32_t> firsts = FirstPixels(map, width, height, table, k);
    const size_t offsets = WriteRecords(table, k, firsts, out);

    // ---- segments ----
    IndexedWalker walker(map, width, height, table, k);
    Outline outline;
    SharedRuns shared(k);
    SplitStack stack;
    for (uint32_t s = 1; s <= k; ++s) {
        IndexedSegmentRecord& rec = table[s];
        out[offsets + s - 1] = uint32_t(out.size() * 4);
        out.push(kBlockMarker);
        out.push(palette.colours[rec.value & 0xFF]);
        if (firsts[s] == kNoPixel) continue;  // a record that names no pixel of its own has no outline
        walker.setCurrent(s, &firsts);
        walker.walk(PointX(firsts[s]), PointY(firsts[s]), SegmentPixels(rec), outline);
        WriteRuns(s, k, outline, vectorFlags, shared, stack, out);
        UpdateRecord(rec, outline);
    }
    out.push(kBlockMarker);
}

uint32_t RunError(std::span<const uint32_t> run, uint32_t setting) {
    if (run.empty()) return std::min(1u, setting);
    uint64_t farthest = 0;
    Farthest(run, farthest);
    return RunErrorFor(farthest, setting);
}

void SimplifyRun(std::span<const uint32_t> run, uint16_t vectorFlags, std::vector<uint32_t>& out) {
    out.clear();
    if (vectorFlags == 0 || run.size() <= 3) {
        out.assign(run.begin(), run.end());
        return;
    }
    uint64_t farthest = 0;
    const uint32_t f = Farthest(run, farthest);
    SplitStack stack;
    out.push_back(run.front());
    SplitHalves<true>(run, f, RunErrorFor(farthest, vectorFlags & 0xFF), stack, [&](uint32_t p) { out.push_back(p); });
}

}  // namespace zorva::segment
