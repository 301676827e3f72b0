// The plate check: the region read must be a region code; the closest code replaces one that is not.
#include "recognize/PlateCheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "recognize/DataLines.h"

namespace zorva::recognize {

namespace {

// data/plate-regions.txt as the build copied it in.
constexpr std::string_view kShippedRegions =
#include "recognize/PlateRegionsData.inc"
    ;

bool AllDigits(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The slots of the region digits.
constexpr uint32_t kFirstRegionSlot = kMainCharacters;

// The sum of the region code's digit distances at slots 6.., or nothing when
// one of its digits was never compared there.
std::optional<uint64_t> CodeDistance(const PlateResult& result, std::string_view code) {
    uint64_t sum = 0;
    for (size_t i = 0; i < code.size(); ++i) {
        const uint32_t d = result.nearest[kFirstRegionSlot + i][*PlateSymbolIndex(code[i])];
        if (d == kNotCompared) return std::nullopt;
        sum += d;
    }
    return sum;
}

// How the plate rises per column: the least-squares line through the
// centres of its main characters' boxes (0 with fewer than three).
double PlateSlope(std::span<const segment::IndexedSegmentRecord> table, const PlateSlots& slots) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (uint32_t i = 0; i < kMainCharacters; ++i) {
        const uint32_t s = slots.segment[i];
        if (s == 0 || s >= table.size()) continue;
        const SegmentBox b = BoxOf(table[s]);
        const double x = b.x + b.w / 2.0, y = b.y + b.h / 2.0;
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double spread = n * sxx - sx * sx;
    if (n < 3 || spread <= 0) return 0;
    return (n * sxy - sx * sy) / spread;
}

// How the plate's characters lie: upright, or, on a plate whose rows rise
// by at least kUprightSlope per column, whichever of upright, turned and
// seen from the side makes its main characters' pixels resemble the glyphs
// of their readings most.
GlyphFrame FrameOf(const PlateResult& result, const PlateCheckInput& input, std::string_view text) {
    const double slope = PlateSlope(input.table, result.plateSlots);
    if (std::abs(slope) < kUprightSlope) return {};
    const std::array<GlyphFrame, 3> frames{GlyphFrame(), GlyphFrame::Turned(slope), GlyphFrame::Sheared(slope)};
    GlyphFrame best;
    float bestLikeness = -HUGE_VALF;
    for (const GlyphFrame& frame : frames) {
        float likeness = 0;
        for (uint32_t i = 0; i < kMainCharacters; ++i) {
            const uint32_t s = result.plateSlots.segment[i];
            const GlyphFeatures* read = input.glyphs->of(text[i]);
            if (s == 0 || s >= input.table.size() || !read) continue;
            if (const std::optional<GlyphFeatures> glyph =
                    GlyphOf(input.map, input.width, std::span<const uint32_t>(&s, 1), BoxOf(input.table[s]), frame))
                likeness += GlyphCorrelation(*glyph, *read);
        }
        if (likeness > bestLikeness) {
            bestLikeness = likeness;
            best = frame;
        }
    }
    return best;
}

// The records of the last segmentation: those past them in the table are
// left over from earlier runs.
std::span<const segment::IndexedSegmentRecord> Segmented(const PlateResult& result, const PlateCheckInput& input) {
    return input.table.first(std::min<size_t>(input.table.size(), size_t(result.segments) + 1));
}

// The third digit of a region read as two, when a segment of ink right of
// them has their height and rows, within a digit's width of the second
// digit, and its pixels are like a digit's glyph (kThirdDigitLikeness) that
// makes a region code with the two.
std::optional<char> ThirdRegionDigit(const PlateResult& result, const PlateCheckInput& input, const GlyphFrame& frame,
                                     std::string_view text) {
    const uint32_t first = result.plateSlots.segment[kFirstRegionSlot];
    const uint32_t second = result.plateSlots.segment[kFirstRegionSlot + 1];
    const std::span<const segment::IndexedSegmentRecord> table = Segmented(result, input);
    if (text.substr(kFirstRegionSlot).find_first_not_of("0123456789") != 2 || first == 0 || second == 0 ||
        first >= table.size() || second >= table.size() || result.plateSlots.segment[kFirstRegionSlot + 2] != 0)
        return std::nullopt;
    const SegmentBox a = BoxOf(table[first]), b = BoxOf(table[second]);
    const int h = (a.h + b.h) / 2, w = (a.w + b.w) / 2;
    std::optional<uint32_t> found;
    int foundX = std::numeric_limits<int>::max();
    for (uint32_t p = 1; p < table.size(); ++p) {
        if (std::find(result.plateSlots.segment.begin(), result.plateSlots.segment.end(), p) !=
            result.plateSlots.segment.end())
            continue;
        const SegmentBox q = BoxOf(table[p]);
        const int overlap = std::min(q.y + q.h, b.y + b.h) - std::max(q.y, b.y);
        if (q.index != b.index || q.h * 5 < h * 4 || q.h * 4 > h * 5 || overlap * 10 < std::min(q.h, b.h) * 7) continue;
        if (q.x < b.x + b.w || q.x > b.x + b.w + w || q.w * 10 < w * 3 || q.w * 2 > w * 3 || q.x >= foundX) continue;
        found = p;
        foundX = q.x;
    }
    if (!found) return std::nullopt;
    const std::optional<GlyphFeatures> glyph =
        GlyphOf(input.map, input.width, std::span<const uint32_t>(&*found, 1), BoxOf(table[*found]), frame);
    if (!glyph) return std::nullopt;
    std::optional<char> best;
    float bestLikeness = kThirdDigitLikeness;
    for (char d = '0'; d <= '9'; ++d) {
        const GlyphFeatures* digit = input.glyphs->of(d);
        if (!digit) continue;
        const std::string code{text[kFirstRegionSlot], text[kFirstRegionSlot + 1], d};
        const float likeness = GlyphCorrelation(*glyph, *digit);
        if (likeness >= bestLikeness && input.regions->contains(code)) {
            bestLikeness = likeness;
            best = d;
        }
    }
    return best;
}

// How many digits `code` shares with `read` at the same places.
size_t Agreement(std::string_view code, std::string_view read) {
    size_t same = 0;
    for (size_t i = 0; i < code.size() && i < read.size(); ++i) same += code[i] == read[i];
    return same;
}

// The close call at slot `i` the character's pixels favour over the
// reading `read`; nothing when the reading stands. The character is
// compared as its slot's segment alone and with the pieces the threshold
// broke off it, whichever resembles its best candidate more: a piece that
// belongs to it completes the shape, dirt or a bolt beside it spoils it.
std::optional<char> SecondOpinion(const PlateResult& result, const PlateCheckInput& input, uint32_t i, char read,
                                  double closeCall, const GlyphFrame& frame) {
    const std::optional<uint32_t> r = PlateSymbolIndex(read);
    const uint32_t s = result.plateSlots.segment[i];
    if (!r || s == 0 || s >= input.table.size()) return std::nullopt;
    const SymbolDistances& nearest = result.nearest[i];
    const uint32_t readDistance = nearest[*r];
    const GlyphFeatures* readGlyph = input.glyphs->of(read);
    if (readDistance == kNotCompared || !readGlyph) return std::nullopt;
    std::vector<std::pair<char, const GlyphFeatures*>> calls;
    for (uint32_t c = 0; c < kPlateSymbols.size(); ++c) {
        if (c == *r || nearest[c] == kNotCompared || double(nearest[c]) > closeCall * readDistance) continue;
        if (const GlyphFeatures* candidate = input.glyphs->of(kPlateSymbols[c]))
            calls.emplace_back(kPlateSymbols[c], candidate);
    }
    if (calls.empty()) return std::nullopt;

    // The best correlation of `glyph` over the reading and its close calls.
    const auto bestOf = [&](const GlyphFeatures& glyph) {
        float best = GlyphCorrelation(glyph, *readGlyph);
        for (const auto& [symbol, candidate] : calls) best = std::max(best, GlyphCorrelation(glyph, *candidate));
        return best;
    };
    std::optional<GlyphFeatures> glyph =
        GlyphOf(input.map, input.width, std::span<const uint32_t>(&s, 1), BoxOf(input.table[s]), frame);
    const CharacterPieces whole = PiecesOf(Segmented(result, input), result.plateSlots, i);
    if (whole.segments.size() > 1)
        if (const std::optional<GlyphFeatures> joined =
                GlyphOf(input.map, input.width, whole.segments, whole.box, frame))
            if (!glyph || bestOf(*joined) > bestOf(*glyph)) glyph = joined;
    if (!glyph) return std::nullopt;
    const float readCorrelation = GlyphCorrelation(*glyph, *readGlyph);
    float bestCorrelation = readCorrelation;
    std::optional<char> best;
    for (const auto& [symbol, candidate] : calls) {
        const float correlation = GlyphCorrelation(*glyph, *candidate);
        if (correlation > bestCorrelation && correlation >= readCorrelation + kGlyphMargin) {
            bestCorrelation = correlation;
            best = symbol;
        }
    }
    return best;
}

}  // namespace

// A main character's segment and the pieces of ink a threshold broke off
// it (a letter's stem parted from its arms at a thin joint), with the box
// of them all. A piece is a segment of the character's colour in no slot,
// at least half the character's height and inside its rows (an eighth of
// the height either way), touching or overlapping its columns (within an
// eighth of the height) and clear of the neighbouring slots; the character
// with its pieces is no wider than high, as no plate character is.
CharacterPieces PiecesOf(std::span<const segment::IndexedSegmentRecord> table, const PlateSlots& slots, uint32_t slot) {
    CharacterPieces pieces;
    const uint32_t s = slots.segment[slot];
    if (s == 0 || s >= table.size()) return pieces;
    const SegmentBox b = BoxOf(table[s]);
    pieces.segments.push_back(s);
    pieces.box = b;
    const int slack = b.h / 8;
    // The columns between the neighbouring slots' characters.
    int left = std::numeric_limits<int>::min(), right = std::numeric_limits<int>::max();
    if (slot > 0 && slots.segment[slot - 1] != 0 && slots.segment[slot - 1] < table.size()) {
        const SegmentBox n = BoxOf(table[slots.segment[slot - 1]]);
        left = n.x + n.w;
    }
    if (slot + 1 < kPlateSlots && slots.segment[slot + 1] != 0 && slots.segment[slot + 1] < table.size())
        right = BoxOf(table[slots.segment[slot + 1]]).x;
    int x0 = b.x, x1 = b.x + b.w, y0 = b.y, y1 = b.y + b.h;
    for (uint32_t p = 1; p < table.size(); ++p) {
        if (std::find(slots.segment.begin(), slots.segment.end(), p) != slots.segment.end()) continue;
        const SegmentBox q = BoxOf(table[p]);
        if (q.index != b.index || q.h * 2 < b.h || q.y < b.y - slack || q.y + q.h > b.y + b.h + slack) continue;
        if (q.x > b.x + b.w + slack || q.x + q.w < b.x - slack || q.x < left || q.x + q.w > right) continue;
        const int nx0 = std::min(x0, q.x), nx1 = std::max(x1, q.x + q.w);
        const int ny0 = std::min(y0, q.y), ny1 = std::max(y1, q.y + q.h);
        if (nx1 - nx0 > ny1 - ny0) continue;
        x0 = nx0, x1 = nx1, y0 = ny0, y1 = ny1;
        pieces.segments.push_back(p);
    }
    pieces.box.x = x0, pieces.box.y = y0, pieces.box.w = x1 - x0, pieces.box.h = y1 - y0;
    return pieces;
}

RegionCodes RegionCodes::Parse(std::string_view text) {
    RegionCodes regions;
    ForEachDataLine(text, [&regions](std::string_view line) {
        while (!line.empty()) {
            const size_t start = line.find_first_not_of(" \t");
            if (start == std::string_view::npos) break;
            line.remove_prefix(start);
            const std::string_view word = line.substr(0, line.find_first_of(" \t"));
            line.remove_prefix(word.size());
            if (AllDigits(word) && (word.size() == 2 || word.size() == 3)) regions.m_codes.emplace_back(word);
        }
    });
    std::sort(regions.m_codes.begin(), regions.m_codes.end());
    regions.m_codes.erase(std::unique(regions.m_codes.begin(), regions.m_codes.end()), regions.m_codes.end());
    return regions;
}

const RegionCodes& RegionCodes::InUse() {
    static const RegionCodes shipped = Parse(kShippedRegions);
    return shipped;
}

bool RegionCodes::contains(std::string_view code) const {
    return std::binary_search(m_codes.begin(), m_codes.end(), code);
}

CheckedPlate CheckPlate(const PlateResult& result, const PlateCheckInput& input) {
    CheckedPlate checked{result.text, PlateStage::Part};
    if (!result.found || checked.text.size() < kFirstRegionSlot + kRegionSlots) return checked;
    // The pixels are those of the last pass, which a painted result read.
    const GlyphFrame frame = result.painted && input.map ? FrameOf(result, input, checked.text) : GlyphFrame();
    if (result.painted && input.map)
        for (uint32_t i = 0; i < kFirstRegionSlot + kRegionSlots; ++i)
            if (const std::optional<char> other = SecondOpinion(
                    result, input, i, checked.text[i], i < kMainCharacters ? kCloseCall : kRegionCloseCall, frame)) {
                checked.text[i] = *other;
                checked.stage = PlateStage::Checked;
            }

    const RegionCodes& regions = *input.regions;
    if (result.painted && input.map)
        if (const std::optional<char> third = ThirdRegionDigit(result, input, frame, checked.text)) {
            checked.text[kFirstRegionSlot + 2] = *third;
            checked.stage = PlateStage::Checked;
        }
    std::string_view read = std::string_view(checked.text).substr(kFirstRegionSlot, kRegionSlots);
    read = read.substr(0, read.find(' '));
    // Nothing to weigh where the region was not read at all, or not whole.
    if (read.empty() || !AllDigits(read)) return checked;
    if (regions.contains(read)) return checked;

    std::optional<std::string_view> best;
    uint64_t bestDistance = std::numeric_limits<uint64_t>::max();
    for (const std::string& code : regions.codes()) {
        if (code.size() != read.size()) continue;
        const std::optional<uint64_t> d = CodeDistance(result, code);
        if (d && (*d < bestDistance || (*d == bestDistance && Agreement(code, read) > Agreement(*best, read)))) {
            best = code;
            bestDistance = *d;
        }
    }
    const std::string replacement = best ? std::string(*best) : std::string(read.size(), '*');
    checked.text.replace(kFirstRegionSlot, read.size(), replacement);
    checked.stage = PlateStage::Checked;
    return checked;
}

}  // namespace zorva::recognize
