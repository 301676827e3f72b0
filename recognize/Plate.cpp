// Number plates: the attempt schedule, plate location on traced segment tables, separators, holes and reading.
#include "recognize/Plate.h"

#include <algorithm>
#include <cstdlib>

#include "recognize/LabelTables.h"
#include "recognize/TurningProfile.h"
#include "segment/Trace.h"

namespace zorva::recognize {

namespace {

using segment::IndexedSegmentRecord;

// Division rounding down, also for negative dividends (an arithmetic shift
// for the powers of two the layout rules halve and quarter by).
constexpr int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Segments a plate location needs at the least: a plate and some more.
constexpr uint32_t kMinSegments = 10;
// Members collected per anchor: the plate's nine characters and as many
// neighbours of similar height.
constexpr size_t kMaxMembers = 20;
// The character filter: dark, at least 7 rows high, not much wider than
// high, and not thinner than a quarter of its height (a "1").
constexpr int kMinCharacterHeight = 7;

bool IsCharacter(const SegmentBox& b) {
    return b.index == 0 && b.h >= kMinCharacterHeight && b.w <= b.h + (b.h + 1) / 2 + 2 && b.w >= b.h / 4;
}

// ---- layout check ----
// Letter, three digits, two letters: the letters lower than the digits,
// widths near the mean of the letters and the middle digit, each next
// character close enough, and the four gaps from the first digit on even.
bool LayoutFits(const std::array<SegmentBox, kMainCharacters>& m) {
    const int letterHeight = std::max({m[0].h, m[4].h, m[5].h});
    const int digitHeight = std::min({m[1].h, m[2].h, m[3].h});
    if (letterHeight >= digitHeight) return false;
    const int a = (m[0].w + m[2].w + m[4].w + m[5].w) / 4;
    const int lo = (a + 1) / 2;
    const int hi = a + lo;
    for (size_t i = 1; i < kMainCharacters; ++i)
        if (m[i].w < lo || m[i].w > hi) return false;
    for (size_t i = 0; i + 1 < kMainCharacters; ++i) {
        if (m[i + 1].x > m[i].x + lo + hi) return false;
        if (m[i + 1].x > m[i].x + 2 * m[i].w) return false;
    }
    int smallest = 0, largest = 0;
    for (size_t i = 1; i + 1 < kMainCharacters; ++i) {
        const int gap = m[i + 1].x - m[i].x - m[i].w;
        if (i == 1 || gap < smallest) smallest = gap;
        if (i == 1 || gap > largest) largest = gap;
    }
    return largest - smallest <= lo + lo / 2;
}

// ---- region digits ----
// Candidates right of the last letter, about as high as the last two
// letters, ordered by x; then the rules that drop a stray first candidate
// and decide whether a third digit belongs to the region.
std::vector<uint32_t> RegionDigits(std::span<const IndexedSegmentRecord> table, uint32_t k,
                                   const std::vector<uint8_t>& rejected,
                                   const std::array<SegmentBox, kMainCharacters>& m) {
    const SegmentBox &m1 = m[1], &m4 = m[4], &m5 = m[5];
    const int left = m5.x + m5.w;
    const int right = left + 3 * (left - m4.x) / 2;
    // The region continues the baseline's slope from the first digit to the
    // last letter for half that distance again.
    const int bottom = m5.y - FloorDiv(m1.y - m5.y, 2);
    const int top = bottom + m5.h;
    const int heights = m4.h + m5.h;
    const int tolerance = (heights + 23) / 8;
    std::vector<uint32_t> found;
    for (uint32_t n = 2; n <= k; ++n) {
        const SegmentBox b = BoxOf(table[n]);
        // The table is ordered by first row: nothing beyond the window's top follows.
        if (b.y > top) break;
        if (b.y < bottom || rejected[n]) continue;
        if (b.x < left || b.x > right) continue;
        if (std::abs(heights - 2 * b.h) > tolerance) continue;
        found.push_back(n);
    }
    std::stable_sort(found.begin(), found.end(),
                     [&](uint32_t a, uint32_t b) { return BoxOf(table[a]).x < BoxOf(table[b]).x; });
    if (found.size() < 3) return found;

    size_t n = found.size();
    const SegmentBox r0 = BoxOf(table[found[0]]), r1 = BoxOf(table[found[1]]), r2 = BoxOf(table[found[2]]);
    bool dropFirst = false;
    if (left + r1.w >= r1.x) {
        // r1 starts within its own width of the last letter: r0 is no digit.
        dropFirst = true;
    } else {
        const bool thirdFar = r1.x + r1.w + (r1.w + 3) / 2 < r2.x;
        const bool misaligned = std::abs(FloorDiv(m5.y - m1.y, 4) + r1.y + r1.h - r2.y - r2.h) >= (r1.h + 3) / 4;
        if (thirdFar || misaligned) n = 2;
        dropFirst = 4 * (uint64_t(r0.pixels) + 3) <= uint64_t(r1.pixels) + r2.pixels;
    }
    if (dropFirst) {
        found.erase(found.begin());
        --n;
    }
    found.resize(std::min<size_t>(n < 3 ? 2 : 3, found.size()));
    return found;
}

// Three cells after the last letter, placed from its box when the region
// digits were not found: each w5 + 2 wide and h5 - 1 high, w5 apart.
std::array<CellBox, kRegionSlots> PlacedRegionCells(const std::array<SegmentBox, kMainCharacters>& m) {
    const SegmentBox &m0 = m[0], &m5 = m[5];
    const int y = m5.y + (m5.y - m0.y) / 6 + (m5.h - 1) / 2 - 1;  // the sixth truncates towards zero
    std::array<CellBox, kRegionSlots> cells;
    for (int i = 0; i < int(kRegionSlots); ++i) cells[size_t(i)] = {m5.x + m5.w + 1 + i * m5.w, y, m5.w + 2, m5.h - 1};
    return cells;
}

CellBox CellOf(const SegmentBox& b) {
    return {b.x, b.y, b.w, b.h};
}

}  // namespace

SegmentBox BoxOf(const IndexedSegmentRecord& r) {
    return {int(segment::OutlineLeft(r)),
            int(segment::FirstRow(r)),
            int(segment::OutlineWidth(r)),
            int(segment::OutlineHeight(r)),
            segment::SegmentPixels(r),
            segment::SegmentIndex(r),
            r.link >> 8};
}

namespace {

// ---- plate location, stage by stage ----

// The anchor and the unrejected segments after it in the table whose height
// is within h - 2c .. 2h - c (c = h / 4), up to kMaxMembers; the table is
// ordered by first row, and the scan ends three heights (less 3c) above the
// anchor. Ordered by column, ties in table order.
std::vector<uint32_t> GatherRow(const std::vector<SegmentBox>& box, const std::vector<uint8_t>& rejected, uint32_t k,
                                uint32_t anchor) {
    const SegmentBox& a = box[anchor];
    const int c = a.h / 4;
    const int lowest = a.h - 2 * c, highest = 2 * a.h - c;
    const int stopRow = a.y + 3 * a.h - 3 * c;
    std::vector<uint32_t> members(1, anchor);
    for (uint32_t n = anchor + 1; n < k && members.size() < kMaxMembers; ++n) {
        if (box[n].y >= stopRow) break;
        if (rejected[n]) continue;
        if (box[n].h >= lowest && box[n].h <= highest) members.push_back(n);
    }
    std::stable_sort(members.begin(), members.end(), [&](uint32_t p, uint32_t q) { return box[p].x < box[q].x; });
    return members;
}

// The members that keep to the anchor's baseline: walking away from the
// anchor on each side, a member whose first row is t or more from the last
// one kept is dropped.
std::vector<uint32_t> OnTheBaseline(const std::vector<SegmentBox>& box, const std::vector<uint32_t>& members,
                                    uint32_t anchor) {
    const SegmentBox& a = box[anchor];
    const int t = (a.h + 3) / 4 + (a.h + 7) / 8;
    const auto at = std::find(members.begin(), members.end(), anchor) - members.begin();
    std::vector<uint8_t> keep(members.size(), 1);
    const auto walk = [&](std::ptrdiff_t step) {
        int reference = a.y;
        for (std::ptrdiff_t i = at + step; i >= 0 && i < std::ptrdiff_t(members.size()); i += step) {
            if (std::abs(box[members[size_t(i)]].y - reference) >= t)
                keep[size_t(i)] = 0;
            else
                reference = box[members[size_t(i)]].y;
        }
    };
    walk(-1);
    walk(+1);
    std::vector<uint32_t> row;
    for (size_t i = 0; i < members.size(); ++i)
        if (keep[i]) row.push_back(members[i]);
    return row;
}

// The first of six consecutive members that pass the layout check: a
// failing first member that is not the anchor is dropped while seven or
// more remain. Nothing when no six pass.
std::optional<size_t> FirstOfTheSix(const std::vector<SegmentBox>& box, const std::vector<uint32_t>& row,
                                    uint32_t anchor, std::array<SegmentBox, kMainCharacters>& m) {
    for (size_t first = 0;; ++first) {
        for (size_t i = 0; i < kMainCharacters; ++i) m[i] = box[row[first + i]];
        if (LayoutFits(m)) return first;
        if (row.size() - first < 7 || row[first] == anchor) return std::nullopt;
    }
}

}  // namespace

LocateStatus LocatePlate(std::span<const IndexedSegmentRecord> table, uint32_t segments, bool placeRegionByGeometry,
                         PlateFind& found) {
    const uint32_t k = table.empty() ? 0 : std::min<uint32_t>(segments, uint32_t(table.size() - 1));
    if (k < kMinSegments) return LocateStatus::NotFound;

    // ---- character filter ----
    // Segment K is never examined and never rejected.
    std::vector<uint8_t> rejected(size_t(k) + 1, 0);
    std::vector<SegmentBox> box(size_t(k) + 1);
    for (uint32_t n = 1; n <= k; ++n) box[n] = BoxOf(table[n]);
    for (uint32_t n = 1; n < k; ++n) rejected[n] = !IsCharacter(box[n]);

    for (uint32_t anchor = 1; anchor < k; ++anchor) {
        if (rejected[anchor]) continue;
        const std::vector<uint32_t> members = GatherRow(box, rejected, k, anchor);
        if (members.size() < kMainCharacters) continue;
        const std::vector<uint32_t> row = OnTheBaseline(box, members, anchor);
        if (row.size() < kMainCharacters) continue;
        std::array<SegmentBox, kMainCharacters> m;
        const std::optional<size_t> first = FirstOfTheSix(box, row, anchor, m);
        if (!first) continue;

        PlateFind plate;
        for (size_t i = 0; i < kMainCharacters; ++i) plate.plateSlots.segment[i] = row[*first + i];

        // ---- region digits ----
        const std::vector<uint32_t> digits = RegionDigits(table, k, rejected, m);
        if (digits.size() >= 2) {
            for (size_t i = 0; i < digits.size(); ++i) {
                plate.plateSlots.segment[kMainCharacters + i] = digits[i];
                plate.regionCells[i] = CellOf(box[digits[i]]);
            }
            if (digits.size() == 2) plate.regionCells[2] = plate.regionCells[1];
        } else if (placeRegionByGeometry) {
            plate.regionCells = PlacedRegionCells(m);
            plate.regionPlaced = true;
        } else {
            return LocateStatus::RegionMissing;
        }
        found = plate;
        return LocateStatus::Found;
    }
    return LocateStatus::NotFound;
}

PlateRegion PlateRegionOf(const std::array<SegmentBox, kMainCharacters>& m) {
    const SegmentBox &m0 = m[0], &m5 = m[5];
    const auto field = [](int v) { return uint16_t(std::clamp(v, 0, 0xFFFF)); };
    const int left = std::max(m0.x - 5, 0);
    const int end = m5.x + 2 * m5.w;
    return {field(left), field(std::max(std::min(m0.y, m5.y) - 7, 0)), field(end + (end - left) / 2 + 5),
            field(std::max(m0.y, m5.y) + 2 * m5.h + 5)};
}

// ---- separator frames ----

namespace {

class FramePainter {
public:
    FramePainter(core::Plane<uint32_t> means, int joinWidth) : m_means(means), m_joinWidth(joinWidth) {}

    // Frames cell `a`, which `next` (its left column and width) follows:
    // the right line is left out when the next cell is close enough to read
    // as one with it, or overlaps it; an overlap is cut from this cell and
    // carried over to the next one's left.
    void cell(CellBox a, int nextX, int nextWidth, bool resetCarry) {
        if (resetCarry) m_carry = 0;
        bool right = true;
        if (nextX + nextWidth - a.x <= m_joinWidth) right = false;
        a.x += m_carry;
        a.w -= m_carry;
        m_carry = 0;
        if (a.x + a.w >= nextX) {
            right = false;
            const int overlap = a.x + a.w - nextX + 1;
            a.w -= overlap;
            m_carry = overlap;
        }
        horizontal(a.y - 2, a.x - 1, a.x + a.w);
        horizontal(a.y + a.h + 1, a.x - 1, a.x + a.w);
        if (m_left) vertical(a.x - 1, a.y - 2, a.y + a.h);
        if (right) vertical(a.x + a.w, a.y - 2, a.y + a.h);
        m_left = right;
    }

private:
    void set(int x, int y) {
        if (x < 0 || y < 0 || x >= int(m_means.width) || y >= int(m_means.height)) return;
        uint32_t& r = m_means.at(uint32_t(x), uint32_t(y));
        r |= 0xFF;  // byte 0: the luminance
    }
    void horizontal(int y, int x0, int x1) {
        for (int x = x0; x <= x1; ++x) set(x, y);
    }
    void vertical(int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y) set(x, y);
    }

    core::Plane<uint32_t> m_means;
    int m_joinWidth;
    int m_carry = 0;
    bool m_left = true;
};

}  // namespace

void DrawSeparators(core::Plane<uint32_t> means, const std::array<SegmentBox, kMainCharacters>& m,
                    const std::array<CellBox, kRegionSlots>& region) {
    int maxWidth = 0, widths = 0;
    for (size_t i = 1; i < kMainCharacters; ++i) {
        maxWidth = std::max(maxWidth, m[i].w);
        widths += m[i].w;
    }
    // Cells closer than this from left edge to the next one's right edge
    // stay joined: a quarter more than the widest character.
    const int join = (maxWidth + 1) + (maxWidth + 1) / 4;
    const int meanWidth = widths / 5;
    const int letterHeight = std::max({m[0].h, m[4].h, m[5].h});
    const int digitHeight = std::max({m[1].h, m[2].h, m[3].h});
    std::array<CellBox, kMainCharacters> cells;
    for (size_t i = 0; i < kMainCharacters; ++i)
        cells[i] = {m[i].x, m[i].y, m[i].w, (i >= 1 && i <= 3) ? digitHeight : letterHeight};
    if (cells[0].w > maxWidth) {
        cells[0].x += cells[0].w - maxWidth;
        cells[0].w = maxWidth;
    }

    FramePainter paint(means, join);
    for (size_t i = 0; i + 1 < kMainCharacters; ++i) paint.cell(cells[i], m[i + 1].x, m[i + 1].w, i == 0);
    paint.cell(cells[5], region[0].x, region[0].w, true);
    // The gap between the last letter and the region, framed on its own
    // when it is four columns or more.
    const int lastEnd = m[5].x + m[5].w;
    constexpr int kOpenWidth = 255;  // a following cell too wide to be joined with
    if (region[0].x >= lastEnd + 4)
        paint.cell({lastEnd + 2, region[0].y, region[0].x - lastEnd - 4, region[0].h}, region[0].x, kOpenWidth, true);
    paint.cell(region[0], region[1].x, std::min(region[1].w, meanWidth), false);
    paint.cell(region[1], region[2].x, std::min(region[2].w, meanWidth), true);
    CellBox last = region[2];
    if (last.w > meanWidth) last.w = region[0].w;
    paint.cell(last, last.x + last.w + 2, kOpenWidth, true);
}

void ClassifyHoles(std::span<const IndexedSegmentRecord> table, uint32_t segments, PlateSlots& plateSlots) {
    const uint32_t k = table.empty() ? 0 : std::min<uint32_t>(segments, uint32_t(table.size() - 1));
    for (uint8_t& c : plateSlots.holeClass) c = 0;
    for (uint32_t s = 1; s <= k; ++s) {
        const SegmentBox hole = BoxOf(table[s]);
        if (hole.index != 1 || hole.enclosing == 0 || hole.enclosing > k) continue;
        for (uint32_t i = 0; i < kPlateSlots; ++i) {
            if (plateSlots.segment[i] != hole.enclosing) continue;
            const SegmentBox ch = BoxOf(table[hole.enclosing]);
            // At least 1/64 of the character's pixels, rounded up.
            if (hole.pixels < (ch.pixels + 63) / 64) break;
            // A hole of a few pixels counts only across the centre column.
            const int centre = ch.x + ch.w / 2;
            if (hole.pixels <= 4 && !(hole.x <= centre + 1 && hole.x + hole.w >= centre - 1)) break;
            if (2 * hole.h + 1 >= ch.h)
                plateSlots.holeClass[i] |= kHoleLarge;
            else if (hole.y > ch.y + (ch.h + 3) / 4)
                plateSlots.holeClass[i] |= kHoleUpper;
            else
                plateSlots.holeClass[i] |= kHoleLower;
            break;
        }
    }
}

// ---- look-alikes ----

namespace {

bool Ink(const uint32_t* map, uint32_t width, uint32_t segment, int x, int y) {
    return segment::ValueLabel(map[size_t(y) * width + size_t(x)]) == segment;
}

// Distance from one side of the box to the segment's first pixel in row
// `y`; nothing when the row holds none of it.
std::optional<int> Indent(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& b, int y,
                          bool fromRight) {
    for (int d = 0; d < b.w; ++d)
        if (Ink(map, width, segment, fromRight ? b.x + b.w - 1 - d : b.x + d, y)) return d;
    return std::nullopt;
}

// The indentation score of one side: how much deeper the side is cut in at
// mid height than at its top and bottom rows, with a bonus for very narrow
// characters and a malus for wide ones.
int SideScore(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& b, bool fromRight) {
    const int n = (b.h + 7) / 8 + 1;
    // The smallest indentation over `count` rows from `first`; a row without
    // the segment ends the measurement.
    const auto smallest = [&](int first, int count) {
        int least = b.w;
        for (int r = first; r < first + count; ++r) {
            const std::optional<int> d = Indent(map, width, segment, b, b.y + r, fromRight);
            if (!d) break;
            least = std::min(least, *d);
        }
        return least;
    };
    const int ends = std::max(smallest(0, n), smallest(b.h - n, n));
    int middle = 0;
    for (int r = (b.h + 1) / 2 - 2; r < (b.h + 1) / 2 + 3; ++r) {
        const std::optional<int> d = Indent(map, width, segment, b, b.y + r, fromRight);
        if (!d) break;
        middle = std::max(middle, *d);
    }
    int score = 0;
    if (middle < 2)
        score = 0;
    else if (b.w <= 8 && ends < 2)
        score = 2;
    else
        score = std::max(middle - (ends + 1) / 2, 0);
    if (b.w <= 5) ++score;
    if (b.w >= 12) --score;
    if (b.w >= 20) --score;
    return std::max(score, 0);
}

}  // namespace

std::optional<char> OneOrSeven(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& b) {
    for (int r = 0; r < b.h; ++r) {
        if (!Ink(map, width, segment, b.x, b.y + r)) continue;
        if (r <= 3) return '7';
        return b.h - r >= (b.h + 3) / 4 ? '1' : '7';
    }
    return std::nullopt;
}

char KayAitchOrEx(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& b) {
    if (SideScore(map, width, segment, b, false) >= 2) return 'X';
    if (SideScore(map, width, segment, b, true) >= 2) return 'K';
    return 'H';
}

segment::PaletteTable PlatePalette() {
    segment::PaletteTable palette;
    palette.colours[0] = effects::kBinaryColours[0];
    palette.colours[1] = effects::kBinaryColours[1];
    palette.size = 2;
    return palette;
}

std::optional<uint32_t> PlateSymbolIndex(char symbol) {
    const size_t n = kPlateSymbols.find(symbol);
    if (symbol == 0 || n == std::string_view::npos) return std::nullopt;
    return uint32_t(n);
}

bool IsPlateText(std::string_view text) {
    if (text.size() != kMainCharacters + 2 && text.size() != kMainCharacters + 3) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::optional<uint32_t> n = PlateSymbolIndex(text[i]);
        const bool digit = text[i] >= '0' && text[i] <= '9';
        const bool letter = n && !digit;
        if (i == 0 || i == 4 || i == 5 ? !letter : !digit) return false;
    }
    return true;
}

// ---- the command ----

namespace {

// Base 2 reads the letters (slots 0, 4, 5), base 1 the digits.
int BaseOfSlot(uint32_t slot) {
    return slot == 0 || slot == 4 || slot == 5 ? 2 : 1;
}

class PlateRun {
public:
    PlateRun(core::BmpView image, const PlateBuffers& buffers, const SymbolBases& bases, PlateResult& result)
        : m_buffers(buffers),
          m_bases(bases),
          m_result(result),
          m_width(image.width()),
          m_height(image.height()),
          m_palette(PlatePalette()) {}

    // The attempt kept when its six characters passed without region digits.
    std::optional<PlateAttempt> remembered;
    // Replaying the remembered attempt: from then on, region cells are
    // placed by geometry whenever fewer than two region digits are found.
    bool replaying = false;

    // ---- one attempt ----
    // Binarise (the whole picture at k = 0, else the PlateRegion with the
    // threshold raised by k), segment, trace, locate. A detection pass that
    // finds the plate sets the PlateRegion and draws the separators.
    bool attempt(const PlateAttempt& p, uint32_t k) {
        m_result.lastAttempt = p;
        effects::PlateThreshold threshold;
        threshold.window = p.window;
        threshold.level = p.level;
        threshold.variant = p.variant;
        threshold.bias = int(k);
        segment::SegmentWindowRect window{0, 0, uint16_t(m_width), uint16_t(m_height)};
        if (k > 0) {
            const PlateRegion& r = m_result.region;
            threshold.region = effects::PixelBox{r.left, r.bottom, r.right, r.top};
            window = {r.left, r.bottom, r.right, r.top};
        }
        const core::Plane<uint32_t> plane = core::PackedPlane(m_buffers.map, m_width, m_height);
        effects::AdaptiveThreshold(m_buffers.means, threshold, plane);

        uint32_t segments = 0;
        const bool segmented = segment::SegmentWindow(m_width, m_height, window, m_buffers.map, m_buffers.table,
                                                      segments) == segment::SegmentStatus::Done;
        m_result.segmented = segmented;
        m_result.segments = segments;
        m_vectors.reset(m_buffers.vectorWords.data(), m_buffers.vectorWords.size());
        segment::TraceSegments(m_buffers.map, m_width, m_height, m_buffers.table, segments, m_palette,
                               kPlateVectorFlags, m_vectors);

        PlatePass pass{p, k, replaying, segments, LocateStatus::NotFound};
        if (segmented) pass.status = LocatePlate(m_buffers.table, segments, replaying, m_find);
        m_result.passes.push_back(pass);
        if (pass.status == LocateStatus::RegionMissing && !remembered) remembered = p;
        if (pass.status != LocateStatus::Found) return false;

        for (size_t i = 0; i < kMainCharacters; ++i) m_mains[i] = BoxOf(m_buffers.table[m_find.plateSlots.segment[i]]);
        // Only the first detection places the region and the separators:
        // a best pass that repeats detection (k = 0) reads within them, and
        // must not move the region the other passes read or draw a second
        // set of frames over the first.
        if (k == 0 && !m_regionPlaced) {
            m_result.region = PlateRegionOf(m_mains);
            m_result.characters = m_mains;
            m_result.regionCells = m_find.regionCells;
            DrawSeparators(m_buffers.means, m_mains, m_find.regionCells);
            m_regionPlaced = true;
        }
        ClassifyHoles(m_buffers.table, segments, m_find.plateSlots);
        m_result.plateSlots = m_find.plateSlots;
        return true;
    }

    // ---- character reading ----
    // Resets the result field and reads every filled slot up to the first
    // empty one into a new row of PlateReadings.
    void read() {
        m_result.text = std::string(kPlateNotRead);
        PlateReadingRow* row = m_result.readings.add();
        const segment::VectorView vectors(m_vectors.words());
        std::vector<ProfileEdge> scratch;
        for (uint32_t i = 0; i < kPlateSlots; ++i) {
            const uint32_t s = m_find.plateSlots.segment[i];
            if (s == 0) break;
            const std::optional<OutlineProfile> outline = BuildProfile(vectors.block(s), nullptr, scratch);
            if (!outline) continue;
            const int k = BaseOfSlot(i);
            const LabelTable& labels = BaseLabels(k);
            SymbolDistances& nearest = m_result.nearest[i];
            const auto weigh = [&nearest](char symbol, uint32_t distance) {
                if (const std::optional<uint32_t> n = PlateSymbolIndex(symbol))
                    nearest[*n] = std::min(nearest[*n], distance);
            };
            const std::optional<Match> match =
                BestMatch(outline->profile, m_bases[size_t(k - 1)], labels, char('0' + m_find.plateSlots.holeClass[i]),
                          [&](const Match& seen) {
                              if (const std::optional<Label> l = labels[seen.record]; l && !l->symbol.empty())
                                  weigh(l->symbol[0], seen.distance);
                          });
            if (!match) continue;
            const std::optional<Label> label = RecordLabel(k, match->record);
            if (!label || label->symbol.empty()) continue;
            char symbol = label->symbol[0];
            const SegmentBox b = BoxOf(m_buffers.table[s]);
            if (symbol == '1' || symbol == '7') {
                if (const std::optional<char> checked = OneOrSeven(m_buffers.map, m_width, s, b)) symbol = *checked;
            } else if (symbol == 'K' || symbol == 'H' || symbol == 'X') {
                symbol = KayAitchOrEx(m_buffers.map, m_width, s, b);
            }
            m_result.text[i] = symbol;
            weigh(symbol, match->distance);
            if (row) (*row)[i] = {symbol, match->distance};
        }
    }

private:
    const PlateBuffers& m_buffers;
    const SymbolBases& m_bases;
    PlateResult& m_result;
    uint32_t m_width;
    uint32_t m_height;
    segment::PaletteTable m_palette;
    PlateFind m_find;
    std::array<SegmentBox, kMainCharacters> m_mains{};
    segment::WordBuffer m_vectors;
    bool m_regionPlaced = false;
};

// The detection attempts in order: window 17x9 with the four derived
// levels, then 9x9 at level 2, 17x17 at level 5 and at level 0.
const std::array<PlateAttempt, kPlateDetectionAttempts> kDetection = {{
    {effects::WindowChoice::Wide17, std::nullopt, 0},
    {effects::WindowChoice::Wide17, std::nullopt, 1},
    {effects::WindowChoice::Wide17, std::nullopt, 2},
    {effects::WindowChoice::Wide17, std::nullopt, 3},
    {effects::WindowChoice::Square9, 2, 0},
    {effects::WindowChoice::Square17, 5, 0},
    {effects::WindowChoice::Square17, 0, 0},
}};
// Refinement passes raise the threshold by 1 to 18.
constexpr uint32_t kRefinementPasses = 18;

}  // namespace

PlateResult RecognisePlate(core::BmpView image, const PlateBuffers& buffers, const SymbolBases& bases,
                           size_t detectionAttempts) {
    PlateResult result;
    if (!effects::ComputeLocalMeans(image, buffers.means)) return result;
    PlateRun run(image, buffers, bases, result);

    // ---- detection ----
    std::optional<PlateAttempt> found;
    for (const PlateAttempt& p : std::span(kDetection).first(std::min(detectionAttempts, kDetection.size())))
        if (run.attempt(p, 0)) {
            found = p;
            break;
        }
    if (!found && run.remembered) {
        run.replaying = true;
        // The replay repeats a pass that found six characters, so it finds
        // them again.
        if (run.attempt(*run.remembered, 0)) found = run.remembered;
    }
    if (!found) return result;
    result.found = true;
    run.read();

    // ---- refinement ----
    // Each pass that finds the plate again adds a row; the first that does
    // not ends the refinement, so row k is pass k.
    for (uint32_t k = 1; k <= kRefinementPasses; ++k) {
        if (!run.attempt(*found, k)) break;
        run.read();
    }

    // ---- best pass ----
    // The row with the smallest distances is read once more; its map is the
    // one to paint. Should the repeated pass not find the plate (a detection
    // pass now sees the separators), nothing is to be painted: the map would
    // not belong to the slots.
    if (const std::optional<uint32_t> best = result.readings.bestPass())
        if (run.attempt(*found, *best)) {
            run.read();
            result.painted = true;
        }
    result.readings.vote(result.text);
    return result;
}

}  // namespace zorva::recognize
