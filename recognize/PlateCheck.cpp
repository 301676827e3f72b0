// The plate check: close calls by the pixels, rows unlike the typeface, regions in use, the photo where passes fail.
#include "recognize/PlateCheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "core/Luma.h"
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

// The box of slot `i`'s segment; nothing for an empty slot or one whose
// segment the table does not hold.
std::optional<SegmentBox> SlotBox(std::span<const segment::IndexedSegmentRecord> table, const PlateSlots& slots,
                                  uint32_t i) {
    const uint32_t s = slots.segment[i];
    if (s == 0 || s >= table.size()) return std::nullopt;
    return BoxOf(table[s]);
}

bool InSlot(const PlateSlots& slots, uint32_t segment) {
    return std::find(slots.segment.begin(), slots.segment.end(), segment) != slots.segment.end();
}

// How the plate rises per column: the least-squares line through the
// bottoms of its main characters (letters are lower than digits, and stand
// on the same line), at their middle columns; 0 with fewer than three.
double PlateSlope(std::span<const segment::IndexedSegmentRecord> table, const PlateSlots& slots) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (uint32_t i = 0; i < kMainCharacters; ++i) {
        const std::optional<SegmentBox> b = SlotBox(table, slots, i);
        if (!b) continue;
        const double x = b->x + b->w / 2.0, y = double(b->y);
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
    // Only characters every frame can sample count, so that the frames are
    // weighed on the same characters.
    std::array<float, frames.size()> likeness{};
    for (uint32_t i = 0; i < kMainCharacters; ++i) {
        const std::optional<SegmentBox> b = SlotBox(input.table, result.plateSlots, i);
        if (!b || !input.glyphs->has(text[i])) continue;
        std::array<float, frames.size()> character{};
        bool sampled = true;
        for (size_t f = 0; f < frames.size() && sampled; ++f) {
            const std::optional<GlyphFeatures> glyph =
                GlyphOf(input.map, input.width, std::span(&result.plateSlots.segment[i], 1), *b, frames[f]);
            sampled = glyph.has_value();
            if (glyph) character[f] = *input.glyphs->likeness(*glyph, text[i]);
        }
        if (sampled)
            for (size_t f = 0; f < frames.size(); ++f) likeness[f] += character[f];
    }
    // No lead is asked of a leaning frame over upright: asking one lost
    // characters on the harder training corpus (0.1: one, 0.3: two).
    size_t best = 0;
    for (size_t f = 1; f < frames.size(); ++f)
        if (likeness[f] > likeness[best]) best = f;
    return frames[best];
}

// How like the glyph of `symbol` main character `i`'s pixels are, alone or
// with the pieces broken off it (whichever is likelier, as the second
// opinion saw it); 0 for a character not sampled or a symbol without a glyph.
float CharacterLikeness(const PlateResult& result, const PlateCheckInput& input, const GlyphFrame& frame, uint32_t i,
                        char symbol) {
    const std::optional<SegmentBox> b = SlotBox(input.table, result.plateSlots, i);
    if (!b || !input.glyphs->has(symbol)) return 0;
    float best = 0;
    if (const std::optional<GlyphFeatures> glyph =
            GlyphOf(input.map, input.width, std::span(&result.plateSlots.segment[i], 1), *b, frame))
        best = *input.glyphs->likeness(*glyph, symbol);
    if (const CharacterPieces whole = PiecesOf(input.table, result.plateSlots, i); whole.segments.size() > 1)
        if (const std::optional<GlyphFeatures> joined =
                GlyphOf(input.map, input.width, whole.segments, whole.box, frame))
            best = std::max(best, *input.glyphs->likeness(*joined, symbol));
    return best;
}

// Each main character's likeness to the glyph of `text`'s character at its
// slot (CharacterLikeness); nothing for a slot without a character.
std::array<std::optional<float>, kMainCharacters> MainLikenesses(const PlateResult& result,
                                                                 const PlateCheckInput& input, const GlyphFrame& frame,
                                                                 std::string_view text) {
    std::array<std::optional<float>, kMainCharacters> likeness;
    for (uint32_t i = 0; i < kMainCharacters; ++i)
        if (SlotBox(input.table, result.plateSlots, i))
            likeness[i] = CharacterLikeness(result, input, frame, i, text[i]);
    return likeness;
}

// Their mean over the slots that hold a character (all six wherever the
// plate was found).
std::optional<float> MeanLikeness(const std::array<std::optional<float>, kMainCharacters>& likeness) {
    float sum = 0;
    uint32_t characters = 0;
    for (const std::optional<float>& l : likeness)
        if (l) sum += *l, ++characters;
    if (characters == 0) return std::nullopt;
    return sum / float(characters);
}

// How high the row's letters stand against its digits, in sum; nothing
// without all six. Heights are taken across the row: on a turned plate a
// box's height grows with its width, letters being the wider, so each box
// is turned back by the row's slope first.
std::optional<double> LetterShare(const PlateResult& result, const PlateCheckInput& input) {
    std::array<SegmentBox, kMainCharacters> mains;
    for (uint32_t i = 0; i < kMainCharacters; ++i) {
        const std::optional<SegmentBox> b = SlotBox(input.table, result.plateSlots, i);
        if (!b) return std::nullopt;
        mains[i] = *b;
    }
    const double angle = std::atan(std::abs(PlateSlope(input.table, result.plateSlots)));
    const double c = std::cos(angle), s = std::sin(angle), c2 = std::cos(2 * angle);
    // The box w x h of a rectangle turned by the angle holds one of height
    // (h cos - w sin) / cos 2a; near 45 degrees that says nothing.
    const auto height = [&](const SegmentBox& b) {
        return c2 < 0.3 ? double(b.h) : std::max(1.0, (b.h * c - b.w * s) / c2);
    };
    const double digits = height(mains[1]) + height(mains[2]) + height(mains[3]);
    return (height(mains[0]) + height(mains[4]) + height(mains[5])) / digits;
}

// The records of the last segmentation: those past them in the table are
// left over from earlier runs.
std::span<const segment::IndexedSegmentRecord> Segmented(const PlateResult& result, const PlateCheckInput& input) {
    return input.table.first(std::min<size_t>(input.table.size(), size_t(result.segments) + 1));
}

// The third digit of a region read as two, when a segment of ink right of
// them has their height and rows, within a digit's width of the second
// digit, and its pixels are like a digit's glyph (kThirdDigitLikeness) that
// makes a region code with the two. It is taken even where the two digits
// are a code of their own: most two-digit codes are also the start of a
// three-digit one, so a region read short is a code as often as not.
std::optional<char> ThirdRegionDigit(const PlateResult& result, const PlateCheckInput& input, const GlyphFrame& frame,
                                     std::string_view text) {
    const std::span<const segment::IndexedSegmentRecord> table = input.table;
    const std::optional<SegmentBox> firstBox = SlotBox(table, result.plateSlots, kFirstRegionSlot);
    const std::optional<SegmentBox> secondBox = SlotBox(table, result.plateSlots, kFirstRegionSlot + 1);
    if (text.substr(kFirstRegionSlot).find_first_not_of("0123456789") != 2 || !firstBox || !secondBox ||
        result.plateSlots.segment[kFirstRegionSlot + 2] != 0)
        return std::nullopt;
    const SegmentBox a = *firstBox, b = *secondBox;
    const int h = (a.h + b.h) / 2, w = (a.w + b.w) / 2;
    std::optional<uint32_t> found;
    int foundX = std::numeric_limits<int>::max();
    for (uint32_t p = 1; p < table.size(); ++p) {
        if (InSlot(result.plateSlots, p)) continue;
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
        if (!input.glyphs->has(d)) continue;
        const std::string code{text[kFirstRegionSlot], text[kFirstRegionSlot + 1], d};
        const float likeness = *input.glyphs->likeness(*glyph, d);
        if (likeness >= bestLikeness && input.regions->contains(code)) {
            bestLikeness = likeness;
            best = d;
        }
    }
    return best;
}

// The region field of a plate text, without the spaces after it.
std::string RegionOf(std::string_view text) {
    const std::string_view region = text.substr(std::min(text.size(), size_t(kFirstRegionSlot)), kRegionSlots);
    return std::string(region.substr(0, region.find(' ')));
}

// How like each digit's glyph each of a region's digits is (nothing for a
// digit without a glyph).
using DigitLikeness = std::array<std::array<std::optional<float>, 10>, kRegionSlots>;

void LikenessOfDigit(const GlyphFeatures& glyph, const GlyphTemplates& glyphs,
                     std::array<std::optional<float>, 10>& out) {
    for (char d = '0'; d <= '9'; ++d) out[size_t(d - '0')] = glyphs.likeness(glyph, d);
}

// The likeness of `code`'s digits to the region's, summed; nothing where
// one of them has no glyph.
std::optional<float> CodeLikeness(const DigitLikeness& like, std::string_view code) {
    float sum = 0;
    for (size_t i = 0; i < code.size(); ++i) {
        if (i >= kRegionSlots || code[i] < '0' || code[i] > '9') return std::nullopt;
        const std::optional<float> l = like[i][size_t(code[i] - '0')];
        if (!l) return std::nullopt;
        sum += *l;
    }
    return sum;
}

// Of the codes of `length` digits other than `besides`, the one the digits
// are likest (of equal ones the last), when its summed likeness is at least
// `least`.
std::optional<std::string> LikestCode(const DigitLikeness& like, const RegionCodes& regions, size_t length, float least,
                                      std::string_view besides = {}) {
    std::optional<std::string> best;
    for (const std::string& code : regions.codes()) {
        if (code.size() != length || code == besides) continue;
        if (const std::optional<float> sum = CodeLikeness(like, code); sum && *sum >= least) {
            least = *sum;
            best = code;
        }
    }
    return best;
}

// A band of the photo in luminance: columns left..right-1 and rows
// bottom..top-1 (rows counted from the bottom, as the map's), `width` x
// `height` pixels from the band's own bottom left.
struct LumaBand {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> luma;

    LumaBand(core::BmpView photo, int left, int bottom, int right, int top)
        : width(uint32_t(right - left)), height(uint32_t(top - bottom)) {
        luma.resize(size_t(width) * height);
        for (uint32_t r = 0; r < height; ++r) {
            const uint8_t* p = photo.pixel(uint32_t(left), uint32_t(bottom) + r);
            for (uint32_t c = 0; c < width; ++c, p += 3)
                luma[size_t(r) * width + c] = uint8_t(core::Luma(p[2], p[1], p[0]));
        }
    }

    // Otsu's level: the luminance that best splits the band into two classes.
    int level() const {
        std::array<double, 256> histogram{};
        for (const uint8_t l : luma) ++histogram[l];
        double sumAll = 0;
        for (size_t v = 0; v < histogram.size(); ++v) sumAll += double(v) * histogram[v];
        const double total = double(luma.size());
        double below = 0, sumBelow = 0, bestSpread = -1;
        int best = 0;
        for (size_t v = 0; v < histogram.size(); ++v) {
            below += histogram[v];
            sumBelow += double(v) * histogram[v];
            const double above = total - below;
            if (below == 0 || above == 0) continue;
            const double gap = sumBelow / below - (sumAll - sumBelow) / above;
            if (const double spread = below * above * gap * gap; spread > bestSpread) {
                bestSpread = spread;
                best = int(v);
            }
        }
        return best;
    }

    // The marks at most `level`, 8-connected, labelled in `map` as an indexed
    // map holds its segments (label << 8); their boxes by label (0 unused).
    std::vector<SegmentBox> darkMarks(int level, std::vector<uint32_t>& map) const {
        map.assign(luma.size(), 0);
        std::vector<SegmentBox> marks(1);
        std::vector<uint32_t> stack;
        for (uint32_t start = 0; start < map.size(); ++start) {
            if (luma[start] > level || map[start] != 0) continue;
            const uint32_t label = uint32_t(marks.size());
            int left = int(start % width), bottom = int(start / width), right = left, top = bottom;
            uint32_t pixels = 0;
            map[start] = label << 8;
            stack.assign(1, start);
            while (!stack.empty()) {
                const uint32_t at = stack.back();
                stack.pop_back();
                const int cx = int(at % width), cy = int(at / width);
                ++pixels;
                left = std::min(left, cx), right = std::max(right, cx);
                bottom = std::min(bottom, cy), top = std::max(top, cy);
                for (int ny = std::max(cy - 1, 0); ny <= std::min(cy + 1, int(height) - 1); ++ny)
                    for (int nx = std::max(cx - 1, 0); nx <= std::min(cx + 1, int(width) - 1); ++nx) {
                        const uint32_t n = uint32_t(ny) * width + uint32_t(nx);
                        if (luma[n] > level || map[n] != 0) continue;
                        map[n] = label << 8;
                        stack.push_back(n);
                    }
            }
            marks.push_back({left, bottom, right - left + 1, top - bottom + 1, pixels, 0, 0});
        }
        return marks;
    }
};

// A main character looked at again in the photo (`input.photo`, as the
// reading read it), where its segment is unlike the glyph of its reading:
// a threshold of the passes may have cut it (half an M read as T) or joined
// it to the rim. The cell between its neighbours, as high as the others of
// its kind (letters or digits), is thresholded afresh at its own (Otsu)
// level, and its dark marks that reach over a third of that height and
// clear of the cell's top and bottom are the character. Of the symbols of
// its kind, the one whose glyph they resemble most replaces the reading when
// it leads the reading's glyph by kPhotoLead and is kPhotoLikeness like.
std::optional<char> CharacterFromPhoto(const PlateResult& result, const PlateCheckInput& input, const GlyphFrame& frame,
                                       uint32_t slot, char read) {
    const core::BmpView photo = input.photo;
    if (!photo.valid() || photo.width() != input.width) return std::nullopt;
    const auto isLetter = [](uint32_t i) { return i == 0 || i == 4 || i == 5; };
    std::array<std::optional<SegmentBox>, kMainCharacters> boxes;
    for (uint32_t i = 0; i < kMainCharacters; ++i) boxes[i] = SlotBox(input.table, result.plateSlots, i);
    if (!boxes[slot]) return std::nullopt;
    const SegmentBox b = *boxes[slot];
    // The median height and width of the others of its kind.
    std::vector<int> heights, widths;
    for (uint32_t i = 0; i < kMainCharacters; ++i)
        if (i != slot && isLetter(i) == isLetter(slot) && boxes[i]) {
            heights.push_back(boxes[i]->h);
            widths.push_back(boxes[i]->w);
        }
    if (heights.empty()) return std::nullopt;
    std::nth_element(heights.begin(), heights.begin() + ptrdiff_t(heights.size() / 2), heights.end());
    std::nth_element(widths.begin(), widths.begin() + ptrdiff_t(widths.size() / 2), widths.end());
    const int h = heights[heights.size() / 2], w = widths[widths.size() / 2];
    // Between the neighbours (the first and last characters have room for
    // a character of their kind beyond their segment), an eighth of the
    // height above and below.
    const std::optional<SegmentBox> before = slot > 0 ? boxes[slot - 1] : std::nullopt;
    const std::optional<SegmentBox> after = slot + 1 < kMainCharacters ? boxes[slot + 1] : std::nullopt;
    const int left = before ? before->x + before->w + 1 : std::max(0, b.x + b.w - w - h / 4);
    const int right = after ? after->x - 1 : std::min<int>(photo.width(), b.x + w + h / 4);
    const int bottom = std::max(0, std::min(b.y, b.y + b.h - h) - h / 8);
    const int top = std::min<int>(photo.height(), std::max(b.y + b.h, b.y + h) + h / 8);
    if (right - left < w / 2 || top - bottom < h) return std::nullopt;
    const LumaBand band(photo, left, bottom, right, top);
    std::vector<uint32_t> map;
    const std::vector<SegmentBox> marks = band.darkMarks(band.level(), map);
    std::vector<uint32_t> parts;
    int x0 = std::numeric_limits<int>::max(), y0 = x0, x1 = 0, y1 = 0;
    for (uint32_t n = 1; n < marks.size(); ++n) {
        const SegmentBox& m = marks[n];
        if (m.h * 3 < h || m.y == 0 || m.y + m.h >= int(band.height)) continue;
        parts.push_back(n);
        x0 = std::min(x0, m.x), y0 = std::min(y0, m.y);
        x1 = std::max(x1, m.x + m.w), y1 = std::max(y1, m.y + m.h);
    }
    if (parts.empty()) return std::nullopt;
    const std::optional<GlyphFeatures> glyph =
        GlyphOf(map.data(), band.width, parts, SegmentBox{x0, y0, x1 - x0, y1 - y0, 0, 0, 0}, frame);
    if (!glyph) return std::nullopt;
    const GlyphTemplates& glyphs = *input.glyphs;
    const std::optional<float> own = glyphs.likeness(*glyph, read);
    if (!own) return std::nullopt;
    std::optional<char> best;
    float least = std::max(*own + kPhotoLead, kPhotoLikeness);
    for (const char symbol : kPlateSymbols) {
        const bool digit = symbol >= '0' && symbol <= '9';
        if (digit == isLetter(slot) || symbol == read) continue;
        if (const std::optional<float> l = glyphs.likeness(*glyph, symbol); l && *l >= least) {
            least = *l;
            best = symbol;
        }
    }
    return best;
}

// The region's digits read from the photo itself (`input.photo`, as the
// reading read it) where the reading found none and placed the region's
// cells by geometry: there the separator frames drawn round the placed
// cells cut through the digits in every pass that follows. The band right
// of the last letter, along the plate, is thresholded afresh at its own
// level; its dark marks of a letter's height (the region's digits are as
// high), side by side on the plate's rows, are read as the region code of
// three or else two digits they are likest, each kPlacedDigitLikeness like
// on average.
std::optional<std::string> RegionFromPhoto(const PlateResult& result, const PlateCheckInput& input,
                                           const GlyphFrame& frame) {
    const core::BmpView photo = input.photo;
    const PlateSlots& slots = result.plateSlots;
    if (!photo.valid() || photo.width() != input.width) return std::nullopt;
    for (uint32_t i = kFirstRegionSlot; i < kPlateSlots; ++i)
        if (slots.segment[i] != 0) return std::nullopt;
    const std::optional<SegmentBox> l4 = SlotBox(input.table, slots, 4), l5 = SlotBox(input.table, slots, 5);
    if (!l4 || !l5) return std::nullopt;
    const int h = (l4->h + l5->h) / 2, w = (l4->w + l5->w) / 2;
    const double slope = PlateSlope(input.table, slots);
    // Five letter widths and a height right of the last letter (the region
    // box with room to spare), from a height below the letter's bottom to
    // two above it, the rows following the plate's rise.
    const int left = l5->x + l5->w + 1;
    const int right = std::min<int>(photo.width(), left + 5 * w + h);
    const int rise = int(std::lround(slope * (right - left)));
    const int bottom = std::max(0, l5->y - h + std::min(0, rise));
    const int top = std::min<int>(photo.height(), l5->y + 2 * h + std::max(0, rise));
    if (right - left < 2 * w || top - bottom < h) return std::nullopt;
    const LumaBand band(photo, left, bottom, right, top);
    std::vector<uint32_t> map;
    const std::vector<SegmentBox> marks = band.darkMarks(band.level(), map);

    // Marks of a digit's size clear of the band's edges, left to right.
    std::vector<uint32_t> digits;
    for (uint32_t n = 1; n < marks.size(); ++n) {
        const SegmentBox& m = marks[n];
        if (m.h * 10 < h * 7 || m.h * 10 > h * 13 || m.w * 10 < h * 2 || m.w > h) continue;
        if (m.x == 0 || m.y == 0 || m.x + m.w >= int(band.width) || m.y + m.h >= int(band.height)) continue;
        digits.push_back(n);
    }
    std::sort(digits.begin(), digits.end(), [&](uint32_t a, uint32_t b) { return marks[a].x < marks[b].x; });
    // The leftmost two or three side by side: each within half a height of
    // the last, as high and on its line along the plate.
    std::vector<uint32_t> run;
    for (size_t first = 0; first < digits.size() && run.size() < 2; ++first) {
        run.assign(1, digits[first]);
        for (size_t i = first + 1; i < digits.size() && run.size() < kRegionSlots; ++i) {
            const SegmentBox &last = marks[run.back()], &m = marks[digits[i]];
            if (m.x < last.x + last.w) continue;
            if (m.x > last.x + last.w + h / 2) break;
            const double expected = last.y + slope * (m.x - last.x);
            if (std::abs(m.y - expected) * 4 > h || std::abs(m.h - last.h) * 4 > h) continue;
            run.push_back(digits[i]);
        }
    }
    if (run.size() < 2) return std::nullopt;

    DigitLikeness like{};
    for (size_t i = 0; i < run.size(); ++i) {
        const std::optional<GlyphFeatures> glyph =
            GlyphOf(map.data(), band.width, std::span(&run[i], 1), marks[run[i]], frame);
        if (!glyph) return std::nullopt;
        LikenessOfDigit(*glyph, *input.glyphs, like[i]);
    }
    // Three digits may be two and a mark beside them.
    for (size_t n = run.size(); n >= 2; --n)
        if (std::optional<std::string> code = LikestCode(like, *input.regions, n, kPlacedDigitLikeness * float(n)))
            return code;
    return std::nullopt;
}

// Where the standard plate (520 x 112 mm) has its characters, in mm from
// its left and top edges: each main character's middle along the plate,
// the tops of letters and of digits, and the line all six stand on. The
// region's two or three digits stand between 10 and 72 mm below the top,
// centred on the region box: two 40 mm wide, 46 apart, or three 34 wide, 38
// apart; a "1" fills the middle 0.6 of its cell.
constexpr std::array<double, kMainCharacters> kMainMiddle{48, 106, 162, 218, 277, 336};
constexpr double kLetterTop = 36, kDigitTop = 18, kMainBottom = 94;
constexpr double kRegionTop = 10, kRegionBottom = 72, kRegionMiddle = 446;
constexpr double kOneShare = 0.6;

// The search for the region about where the layout puts it: shifted up to
// kRegionShift mm along the plate and kRegionRise across it, in steps of
// kRegionStep, kRegionScales times the standard's size; then finer, by half
// a step and a twentieth of the size, about the best places of the codes
// within kRegionNear of the best. Fitted on the five training corpora (530
// plates, 433 read exactly without the search, 458 with it, looking then at
// every region): shifts of 6, 9, 12, 15 and 18 mm read 451, 456, 458, 458
// and 457; steps of 2 and 4 mm 460 and 459 (3 is the cheapest of the three
// within a plate or two); a rise of 3 or 9 mm reads the same.
constexpr double kRegionShift = 12, kRegionRise = 6, kRegionStep = 3;
constexpr std::array<double, 3> kRegionScales{0.9, 1.0, 1.1};
constexpr float kRegionNear = 0.1f;
// A main character placed this many mm from where the others put it is left
// out of the layout (fitted: none left out reads 450, 3 to 12 mm 455 or 456,
// 20 mm 451).
constexpr double kMisplacedCharacter = 6;

// Solves least squares from the normal equations summed in `m` (N unknowns,
// the right-hand side last); nothing for a singular system.
template <size_t N>
std::optional<std::array<double, N>> SolveNormal(std::array<std::array<double, N + 1>, N> m) {
    for (size_t c = 0; c < N; ++c) {
        size_t pivot = c;
        for (size_t r = c + 1; r < N; ++r)
            if (std::abs(m[r][c]) > std::abs(m[pivot][c])) pivot = r;
        if (std::abs(m[pivot][c]) < 1e-12) return std::nullopt;
        std::swap(m[c], m[pivot]);
        for (size_t r = 0; r < N; ++r) {
            if (r == c) continue;
            const double k = m[r][c] / m[c][c];
            for (size_t j = c; j <= N; ++j) m[r][j] -= k * m[c][j];
        }
    }
    std::array<double, N> x{};
    for (size_t c = 0; c < N; ++c) x[c] = m[c][N] / m[c][c];
    return x;
}

// Adds the equation row . x = value to the normal equations `m`.
template <size_t N>
void AddEquation(std::array<std::array<double, N + 1>, N>& m, const std::array<double, N>& row, double value) {
    for (size_t i = 0; i < N; ++i) {
        for (size_t j = 0; j < N; ++j) m[i][j] += row[i] * row[j];
        m[i][N] += row[i] * value;
    }
}

// How a plate lies in the frame its characters are sampled in: the
// projection that takes the point U mm along the standard plate and V mm
// below its top to the frame's (u, v), v rising up the picture. A
// projection rather than an affine map, because a plate seen at an angle
// grows towards its near end, and the region lies beyond the characters
// the map is fitted on.
struct PlateLayout {
    // u = (h0 U + h1 V + h2) / (h6 U + h7 V + 1) and v likewise with h3..h5,
    // for U and V in hundreds of mm and u, v from `middle` in `spread`s.
    std::array<double, 8> h{};
    double middleU = 0, middleV = 0, spread = 1;

    std::pair<double, double> at(double U, double V) const {
        U /= 100, V /= 100;
        const double w = h[6] * U + h[7] * V + 1;
        return {middleU + spread * (h[0] * U + h[1] * V + h[2]) / w,
                middleV + spread * (h[3] * U + h[4] * V + h[5]) / w};
    }
};

// The layout that puts the main characters' pixels where the standard puts
// the characters, by least squares on the projection's linear form: each
// character's middle along the plate, at its top and at its bottom. A
// character that the layout of the other five places over
// kMisplacedCharacter mm away (a letter joined to the rim, a digit cut
// short) is left out, the worst such one. Nothing without all six, or for a
// fit no plate could give.
std::optional<PlateLayout> LayoutOf(const PlateResult& result, const PlateCheckInput& input, const GlyphFrame& f) {
    struct Point {
        double U, V, u, v;
    };
    std::array<Point, 2 * kMainCharacters> points;
    for (uint32_t i = 0; i < kMainCharacters; ++i) {
        const std::optional<SegmentBox> b = SlotBox(input.table, result.plateSlots, i);
        if (!b) return std::nullopt;
        const std::optional<FrameExtent> e =
            ExtentOf(input.map, input.width, std::span(&result.plateSlots.segment[i], 1), *b, f);
        if (!e) return std::nullopt;
        // From the box's corner to the frame's origin.
        const double u = f.uu * b->x + f.uv * b->y + (e->u0 + e->u1) / 2, v = f.vu * b->x + f.vv * b->y;
        const bool letter = i == 0 || i == 4 || i == 5;
        points[2 * i] = {kMainMiddle[i], letter ? kLetterTop : kDigitTop, u, v + e->v1};
        points[2 * i + 1] = {kMainMiddle[i], kMainBottom, u, v + e->v0};
    }
    PlateLayout layout;
    for (const Point& p : points) {
        layout.middleU += p.u / double(points.size());
        layout.middleV += p.v / double(points.size());
    }
    double spread = 0;
    for (const Point& p : points)
        spread = std::max({spread, std::abs(p.u - layout.middleU), std::abs(p.v - layout.middleV)});
    if (spread <= 0) return std::nullopt;
    layout.spread = spread;
    // The projection fitted without character `left` (none: on all six).
    const auto fit = [&](std::optional<uint32_t> left) -> std::optional<PlateLayout> {
        std::array<std::array<double, 9>, 8> m{};
        for (uint32_t i = 0; i < points.size(); ++i) {
            if (left && i / 2 == *left) continue;
            const Point& p = points[i];
            const double U = p.U / 100, V = p.V / 100;
            const double u = (p.u - layout.middleU) / spread, v = (p.v - layout.middleV) / spread;
            AddEquation<8>(m, {U, V, 1, 0, 0, 0, -U * u, -V * u}, u);
            AddEquation<8>(m, {0, 0, 0, U, V, 1, -U * v, -V * v}, v);
        }
        const std::optional<std::array<double, 8>> h = SolveNormal<8>(m);
        if (!h) return std::nullopt;
        PlateLayout fitted = layout;
        fitted.h = *h;
        return fitted;
    };
    std::optional<uint32_t> misplaced;
    double worst = kMisplacedCharacter;
    for (uint32_t i = 0; i < kMainCharacters; ++i) {
        const std::optional<PlateLayout> others = fit(i);
        if (!others) continue;
        const auto [u0, v0] = others->at(points[2 * i].U, points[2 * i].V);
        const auto [u1, v1] = others->at(points[2 * i].U + 1, points[2 * i].V);
        const auto [u2, v2] = others->at(points[2 * i + 1].U, points[2 * i + 1].V);
        const double perMm = std::hypot(u1 - u0, v1 - v0);
        const double off = std::max(std::hypot(u0 - points[2 * i].u, v0 - points[2 * i].v),
                                    std::hypot(u2 - points[2 * i + 1].u, v2 - points[2 * i + 1].v)) /
                           perMm;
        if (off > worst) worst = off, misplaced = i;
    }
    const std::optional<PlateLayout> fitted = fit(misplaced);
    if (!fitted) return std::nullopt;
    // The projection finite over the plate and a margin round it (its
    // divisor, linear, keeps its sign between the corners)...
    for (const double U : {-20.0, 540.0})
        for (const double V : {-20.0, 130.0})
            if (!(fitted->h[6] * U / 100 + fitted->h[7] * V / 100 + 1 > 0.1)) return std::nullopt;
    // ...the plate the same way up along and down it, of like scales both
    // ways, from end to end.
    for (const double U : {0.0, 260.0, 520.0}) {
        const auto [u0, v0] = fitted->at(U, 0);
        const auto [u1, v1] = fitted->at(U + 1, 0);
        const auto [u2, v2] = fitted->at(U, 1);
        const double along = std::hypot(u1 - u0, v1 - v0), down = v0 - v2;
        if (!std::isfinite(along) || !std::isfinite(down)) return std::nullopt;
        if (!(u1 > u0 && down > 0) || down > 2 * along || down * 2 < along) return std::nullopt;
    }
    return fitted;
}

// The photo's luminance at (x, y), columns from the left and rows from the
// bottom, between the pixels' centres; white outside the picture.
double LumaAt(core::BmpView photo, double x, double y) {
    x -= 0.5, y -= 0.5;
    // Written so that a place that is no number is outside too.
    if (!(x >= 0 && y >= 0 && x < photo.width() - 1 && y < photo.height() - 1)) return 255;
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const auto luma = [&](int px, int py) {
        const uint8_t* p = photo.pixel(uint32_t(px), uint32_t(py));
        return double(core::Luma(p[2], p[1], p[0]));
    };
    const double ax = x - fx, ay = y - fy;
    return (luma(ix, iy) * (1 - ax) + luma(ix + 1, iy) * ax) * (1 - ay) +
           (luma(ix, iy + 1) * (1 - ax) + luma(ix + 1, iy + 1) * ax) * ay;
}

// The photo's darkness (255 less its luminance) over the region box, sampled
// once a millimetre of the standard plate where the layout puts it, and
// summed from the band's corner, so that the darkness over any box of
// millimetres costs four looks.
class RegionBand {
public:
    // Every place the search puts a region digit, at its largest and furthest.
    static constexpr double kReach = kRegionShift + kRegionStep / 2, kGrowth = 1.15;
    static constexpr int kLeft = int(kRegionMiddle - (38 + 17) * kGrowth - kReach) - 1;
    static constexpr int kRight = int(kRegionMiddle + (38 + 17) * kGrowth + kReach) + 2;
    static constexpr int kTop = int((kRegionTop + kRegionBottom) / 2 - 31 * kGrowth - kRegionRise) - 3;
    static constexpr int kBottom = int((kRegionTop + kRegionBottom) / 2 + 31 * kGrowth + kRegionRise) + 3;
    static constexpr int kWidth = kRight - kLeft, kHeight = kBottom - kTop;

    RegionBand(core::BmpView photo, const GlyphFrame& f, const PlateLayout& layout) {
        const double det = f.uu * f.vv - f.uv * f.vu;
        m_sum.assign(size_t(kWidth + 1) * (kHeight + 1), 0);
        for (int j = 0; j < kHeight; ++j) {
            double row = 0;
            for (int i = 0; i < kWidth; ++i) {
                const auto [u, v] = layout.at(kLeft + i + 0.5, kTop + j + 0.5);
                row += 255 - LumaAt(photo, (f.vv * u - f.uv * v) / det, (f.uu * v - f.vu * u) / det);
                m_sum[index(i + 1, j + 1)] = m_sum[index(i + 1, j)] + row;
            }
        }
    }

    // The grid of the box [U0, U1] x [V0, V1] (V0 its top): each cell the
    // darkness over its share of the box.
    std::optional<GlyphFeatures> grid(double U0, double U1, double V0, double V1) const {
        // The sums at the cells' corners, rows from the bottom as glyphs have them.
        std::array<std::array<double, kGlyphColumns + 1>, kGlyphRows + 1> corner;
        for (uint32_t r = 0; r <= kGlyphRows; ++r)
            for (uint32_t c = 0; c <= kGlyphColumns; ++c)
                corner[r][c] = sum(U0 + (U1 - U0) * c / kGlyphColumns, V1 - (V1 - V0) * r / kGlyphRows);
        GlyphFeatures grid{};
        for (uint32_t r = 0; r < kGlyphRows; ++r)
            for (uint32_t c = 0; c < kGlyphColumns; ++c)
                grid[r * kGlyphColumns + c] =
                    float(corner[r][c + 1] - corner[r][c] - corner[r + 1][c + 1] + corner[r + 1][c]);
        if (!NormaliseGlyph(grid)) return std::nullopt;
        return grid;
    }

private:
    std::vector<double> m_sum;

    static size_t index(int i, int j) { return size_t(j) * (kWidth + 1) + size_t(i); }

    // The darkness from the band's corner to (U, V), between the samples.
    double sum(double U, double V) const {
        const double x = std::clamp(U - kLeft, 0.0, double(kWidth)), y = std::clamp(V - kTop, 0.0, double(kHeight));
        const int i = std::min(int(x), kWidth - 1), j = std::min(int(y), kHeight - 1);
        const double ax = x - i, ay = y - j;
        return (m_sum[index(i, j)] * (1 - ax) + m_sum[index(i + 1, j)] * ax) * (1 - ay) +
               (m_sum[index(i, j + 1)] * (1 - ax) + m_sum[index(i + 1, j + 1)] * ax) * ay;
    }
};

// Where the search puts a region's digits: `du` mm along the plate and `dv`
// down it from where the layout puts them, spaced and sized `scale` times
// the standard's.
struct RegionPlacement {
    double du = 0, dv = 0, scale = 1;
};

// The grid of digit `k` of a region of `n` at placement `p`: its cell, or
// for a "1" the middle of its cell.
std::optional<GlyphFeatures> RegionDigitGrid(const RegionBand& band, size_t n, size_t k, const RegionPlacement& p,
                                             bool one) {
    const double width = n == 2 ? 40 : 34, pitch = n == 2 ? 46 : 38;
    const double middle = kRegionMiddle + (double(k) - double(n - 1) / 2) * pitch * p.scale + p.du;
    const double centre = (kRegionTop + kRegionBottom) / 2 + p.dv;
    const double halfWidth = width * p.scale * (one ? kOneShare : 1) / 2;
    const double halfHeight = (kRegionBottom - kRegionTop) * p.scale / 2;
    return band.grid(middle - halfWidth, middle + halfWidth, centre - halfHeight, centre + halfHeight);
}

// How like `code` the region is at placement `p`: its digits' likeness on
// average; nothing where a digit has no glyph.
std::optional<float> CodeAt(const RegionBand& band, const GlyphTemplates& glyphs, std::string_view code,
                            const RegionPlacement& p) {
    float sum = 0;
    for (size_t k = 0; k < code.size(); ++k) {
        const std::optional<GlyphFeatures> grid = RegionDigitGrid(band, code.size(), k, p, code[k] == '1');
        const std::optional<float> l = grid ? glyphs.likeness(*grid, code[k]) : std::nullopt;
        if (!l) return std::nullopt;
        sum += *l;
    }
    return sum / float(code.size());
}

// How like each code of `regions` the region is, by index: at the best
// placement of the whole region about where the layout puts it (the fit of
// the main characters carries over to the region only so far). Coarse for
// every code at once, then finer about the best placements of `own` and of
// the codes near the best (-1: no glyph for one of its digits).
std::vector<float> LayoutLikeness(const RegionBand& band, const GlyphTemplates& glyphs, const RegionCodes& regions,
                                  std::string_view own) {
    const std::vector<std::string>& codes = regions.codes();
    std::vector<float> score(codes.size(), -1);
    std::vector<RegionPlacement> best(codes.size());
    for (size_t n = 2; n <= kRegionSlots; ++n)
        for (double du = -kRegionShift; du <= kRegionShift; du += kRegionStep)
            for (double dv = -kRegionRise; dv <= kRegionRise; dv += kRegionStep)
                for (const double scale : kRegionScales) {
                    const RegionPlacement p{du, dv, scale};
                    DigitLikeness like{};
                    for (size_t k = 0; k < n; ++k)
                        for (const bool one : {false, true})
                            if (const std::optional<GlyphFeatures> grid = RegionDigitGrid(band, n, k, p, one))
                                for (char d = '0'; d <= '9'; ++d)
                                    if ((d == '1') == one) like[k][size_t(d - '0')] = glyphs.likeness(*grid, d);
                    for (size_t c = 0; c < codes.size(); ++c)
                        if (codes[c].size() == n)
                            if (const std::optional<float> sum = CodeLikeness(like, codes[c]);
                                sum && *sum / float(n) > score[c]) {
                                score[c] = *sum / float(n);
                                best[c] = p;
                            }
                }
    const float top = codes.empty() ? 0 : *std::max_element(score.begin(), score.end());
    for (size_t c = 0; c < codes.size(); ++c) {
        if (score[c] < 0 || (score[c] < top - kRegionNear && codes[c] != own)) continue;
        const RegionPlacement coarse = best[c];
        for (double du = -kRegionStep / 2; du <= kRegionStep / 2; du += kRegionStep / 2)
            for (double dv = -kRegionStep / 2; dv <= kRegionStep / 2; dv += kRegionStep / 2)
                for (const double scale : {-0.05, 0.0, 0.05})
                    if (const std::optional<float> l =
                            CodeAt(band, glyphs, codes[c], {coarse.du + du, coarse.dv + dv, coarse.scale + scale}))
                        score[c] = std::max(score[c], *l);
    }
    return score;
}

// The region code the photo shows where the standard plate has its region,
// over `region` as the check has it so far: the segments of the passes may
// join a digit to the line before the region box, break one, or take the
// line for a "1"; the photo's darkness where the main characters' layout
// puts the region has none of that. Of all codes, two or three digits, the
// one likest there on average replaces `region` when it is kLayoutLikeness
// like and leads `region`'s own likeness by kLayoutLead, both there and at
// the region's own segments (`atSegments`, the mean of SegmentLikeness):
// where the plate's region sits otherwise than the standard's, the look
// finds the region read unlike itself, but its segments still show it (a
// region that is no code has no likeness to lead). The check asks this
// only of a region not read clearly.
std::optional<std::string> RegionFromLayout(const PlateResult& result, const PlateCheckInput& input,
                                            const GlyphFrame& frame, std::string_view region,
                                            std::optional<float> atSegments) {
    const core::BmpView photo = input.photo;
    if (!photo.valid() || photo.width() != input.width) return std::nullopt;
    const std::optional<PlateLayout> layout = LayoutOf(result, input, frame);
    if (!layout) return std::nullopt;
    const std::vector<std::string>& codes = input.regions->codes();
    const std::vector<float> score =
        LayoutLikeness(RegionBand(photo, frame, *layout), *input.glyphs, *input.regions, region);
    const auto own = std::lower_bound(codes.begin(), codes.end(), region);
    float least = kLayoutLikeness;
    if (own != codes.end() && *own == region) {
        least = std::max(least, score[size_t(own - codes.begin())] + kLayoutLead);
        if (atSegments) least = std::max(least, *atSegments + kLayoutLead);
    }
    std::optional<std::string> best;
    for (size_t c = 0; c < codes.size(); ++c)
        if (score[c] >= least && codes[c] != region) {
            least = score[c];
            best = codes[c];
        }
    return best;
}

// How many digits `code` shares with `read` at the same places.
size_t Agreement(std::string_view code, std::string_view read) {
    size_t same = 0;
    for (size_t i = 0; i < code.size() && i < read.size(); ++i) same += code[i] == read[i];
    return same;
}

// How like each digit's glyph each digit of `region` is, where every one
// of them is a segment of the last pass and no segment stands beyond them;
// nothing otherwise.
std::optional<DigitLikeness> SegmentLikeness(const PlateResult& result, const PlateCheckInput& input,
                                             const GlyphFrame& frame, std::string_view region) {
    DigitLikeness like{};
    for (size_t i = 0; i < kRegionSlots; ++i) {
        const uint32_t slot = kFirstRegionSlot + uint32_t(i);
        const std::optional<SegmentBox> box = SlotBox(input.table, result.plateSlots, slot);
        if (box.has_value() != (i < region.size())) return std::nullopt;
        if (!box) continue;
        const std::optional<GlyphFeatures> glyph =
            GlyphOf(input.map, input.width, std::span(&result.plateSlots.segment[slot], 1), *box, frame);
        if (!glyph) return std::nullopt;
        LikenessOfDigit(*glyph, *input.glyphs, like[i]);
    }
    return like;
}

// The region code the digits' pixels favour over `region` as the check has
// it so far, where every digit of it is a segment of the last pass: the
// code of the same length whose digits' glyphs correlate best with the
// pixels in sum, when that sum leads the region's own by kRegionGlyphLead
// (a region that is no code, or has a digit without a glyph, has none).
// The shape distances pick a region digit by digit; the pixels weigh the
// whole code at once, so that a digit the turning profile misread is
// outvoted only by a code that exists.
std::optional<std::string> RegionByPixels(const PlateResult& result, const PlateCheckInput& input,
                                          const GlyphFrame& frame, std::string_view region) {
    const std::optional<DigitLikeness> like = SegmentLikeness(result, input, frame, region);
    if (!like) return std::nullopt;
    const std::optional<float> own = input.regions->contains(region) ? CodeLikeness(*like, region) : std::nullopt;
    return LikestCode(*like, *input.regions, region.size(),
                      own ? *own + kRegionGlyphLead : -std::numeric_limits<float>::infinity(), region);
}

// How like the glyphs of their reading the digits of `region` are on
// average, where each is a segment of the last pass (SegmentLikeness).
std::optional<float> RegionSegmentLikeness(const PlateResult& result, const PlateCheckInput& input,
                                           const GlyphFrame& frame, std::string_view region) {
    if (region.empty()) return std::nullopt;
    const std::optional<DigitLikeness> like = SegmentLikeness(result, input, frame, region);
    const std::optional<float> sum = like ? CodeLikeness(*like, region) : std::nullopt;
    if (!sum) return std::nullopt;
    return *sum / float(region.size());
}

// The close call at slot `i` the character's pixels favour over the
// reading `read`; nothing when the reading stands. The character is
// compared as its slot's segment alone and with the pieces the threshold
// broke off it, whichever resembles its best candidate more: a piece that
// belongs to it completes the shape, while dirt or a bolt beside it mostly
// spoils it. Mostly: a stray piece that happens to make the pixels look
// like a close call gives that call a second chance, and the glyph margin
// is what keeps such a chance from replacing the reading on a small lead.
std::optional<char> SecondOpinion(const PlateResult& result, const PlateCheckInput& input, uint32_t i, char read,
                                  double closeCall, const GlyphFrame& frame) {
    const std::optional<uint32_t> r = PlateSymbolIndex(read);
    const uint32_t s = result.plateSlots.segment[i];
    const std::optional<SegmentBox> box = SlotBox(input.table, result.plateSlots, i);
    if (!r || !box) return std::nullopt;
    const SymbolDistances& nearest = result.nearest[i];
    const uint32_t readDistance = nearest[*r];
    const GlyphTemplates& glyphs = *input.glyphs;
    if (readDistance == kNotCompared || !glyphs.has(read)) return std::nullopt;
    std::vector<char> calls;
    for (uint32_t c = 0; c < kPlateSymbols.size(); ++c) {
        if (c == *r || nearest[c] == kNotCompared || double(nearest[c]) > closeCall * readDistance) continue;
        if (glyphs.has(kPlateSymbols[c])) calls.push_back(kPlateSymbols[c]);
    }
    if (calls.empty()) return std::nullopt;

    // The best correlation of `glyph` over the reading and its close calls.
    const auto bestOf = [&](const GlyphFeatures& glyph) {
        float best = *glyphs.likeness(glyph, read);
        for (const char symbol : calls) best = std::max(best, *glyphs.likeness(glyph, symbol));
        return best;
    };
    std::optional<GlyphFeatures> glyph = GlyphOf(input.map, input.width, std::span(&s, 1), *box, frame);
    // Only a main character is looked at in pieces: right of the region's
    // digits a piece may be a third digit (ThirdRegionDigit's to find).
    const CharacterPieces whole = i < kMainCharacters ? PiecesOf(input.table, result.plateSlots, i) : CharacterPieces{};
    if (whole.segments.size() > 1)
        if (const std::optional<GlyphFeatures> joined =
                GlyphOf(input.map, input.width, whole.segments, whole.box, frame))
            if (!glyph || bestOf(*joined) > bestOf(*glyph)) glyph = joined;
    if (!glyph) return std::nullopt;
    const float readCorrelation = *glyphs.likeness(*glyph, read);
    float bestCorrelation = readCorrelation;
    std::optional<char> best;
    for (const char symbol : calls) {
        const float correlation = *glyphs.likeness(*glyph, symbol);
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
    const std::optional<SegmentBox> own = SlotBox(table, slots, slot);
    if (!own) return pieces;
    const SegmentBox b = *own;
    pieces.segments.push_back(slots.segment[slot]);
    pieces.box = b;
    const int slack = b.h / 8;
    // The columns between the neighbouring slots' characters.
    int left = std::numeric_limits<int>::min(), right = std::numeric_limits<int>::max();
    if (const std::optional<SegmentBox> n = slot > 0 ? SlotBox(table, slots, slot - 1) : std::nullopt)
        left = n->x + n->w;
    if (const std::optional<SegmentBox> n = slot + 1 < kPlateSlots ? SlotBox(table, slots, slot + 1) : std::nullopt)
        right = n->x;
    int x0 = b.x, x1 = b.x + b.w, y0 = b.y, y1 = b.y + b.h;
    for (uint32_t p = 1; p < table.size(); ++p) {
        if (InSlot(slots, p)) continue;
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

CheckedPlate CheckPlate(const PlateResult& result, const PlateCheckInput& given) {
    CheckedPlate checked{result.text, PlateStage::Part};
    if (!result.found || checked.text.size() < kFirstRegionSlot + kRegionSlots) return checked;
    // The pixels are those of the last pass, which a painted result read;
    // records past its segmentation's are left over from earlier runs.
    PlateCheckInput input = given;
    input.table = Segmented(result, given);
    // The second opinions need the last pass's pixels.
    const bool pixels = result.painted && input.map;
    const GlyphFrame frame = pixels ? FrameOf(result, input, checked.text) : GlyphFrame();
    if (pixels)
        for (uint32_t i = 0; i < kFirstRegionSlot + kRegionSlots; ++i)
            if (const std::optional<char> other = SecondOpinion(
                    result, input, i, checked.text[i], i < kMainCharacters ? kCloseCall : kRegionCloseCall, frame)) {
                checked.text[i] = *other;
                checked.stage = PlateStage::Checked;
            }
    std::array<std::optional<float>, kMainCharacters> likeness;
    if (pixels) {
        likeness = MainLikenesses(result, input, frame, checked.text);
        checked.likeness = MeanLikeness(likeness);
        // A row of ink the reading took for a plate, its characters unlike
        // the typeface's, or its letters as high as its digits: a sign, a
        // barcode's digits, a blank plate's dirt.
        const std::optional<double> share = LetterShare(result, input);
        if ((checked.likeness && *checked.likeness < input.leastLikeness) ||
            (share && *share >= input.mostLetterShare)) {
            checked.text = std::string(kPlateNotRead);
            checked.stage = PlateStage::Checked;
            return checked;
        }
    }

    if (pixels)
        for (uint32_t i = 0; i < kMainCharacters; ++i)
            if (likeness[i] && *likeness[i] < kDoubtfulLikeness)
                if (const std::optional<char> other = CharacterFromPhoto(result, input, frame, i, checked.text[i])) {
                    checked.text[i] = *other;
                    checked.stage = PlateStage::Checked;
                }
    const RegionCodes& regions = *input.regions;
    if (pixels)
        if (const std::optional<char> third = ThirdRegionDigit(result, input, frame, checked.text)) {
            checked.text[kFirstRegionSlot + 2] = *third;
            checked.stage = PlateStage::Checked;
        }
    if (pixels)
        if (std::optional<std::string> placed = RegionFromPhoto(result, input, frame)) {
            placed->resize(kRegionSlots, ' ');
            checked.text.replace(kFirstRegionSlot, kRegionSlots, *placed);
            checked.stage = PlateStage::Checked;
        }
    const std::string read = RegionOf(checked.text);
    if (!read.empty() && AllDigits(read) && !regions.contains(read)) {
        std::optional<std::string_view> best;
        uint64_t bestDistance = std::numeric_limits<uint64_t>::max();
        for (const std::string& code : regions.codes()) {
            if (code.size() != read.size()) continue;
            const std::optional<uint64_t> d = CodeDistance(result, code);
            if (d &&
                (*d < bestDistance || (best && *d == bestDistance && Agreement(code, read) > Agreement(*best, read)))) {
                best = code;
                bestDistance = *d;
            }
        }
        const std::string replacement = best ? std::string(*best) : std::string(read.size(), '*');
        checked.text.replace(kFirstRegionSlot, read.size(), replacement);
        checked.stage = PlateStage::Checked;
    }
    // A region not read at all has no digits to weigh, but the photo may
    // still show it where the plate has it.
    if (pixels && !read.empty())
        if (const std::optional<std::string> code = RegionByPixels(result, input, frame, RegionOf(checked.text))) {
            checked.text.replace(kFirstRegionSlot, code->size(), *code);
            checked.stage = PlateStage::Checked;
        }
    // A region read clearly (its segments as like their glyphs as a main
    // character must be not to be doubted) is not looked for again.
    const std::optional<float> segments =
        pixels ? RegionSegmentLikeness(result, input, frame, RegionOf(checked.text)) : std::nullopt;
    if (pixels && !(segments && *segments >= kDoubtfulLikeness))
        if (std::optional<std::string> code =
                RegionFromLayout(result, input, frame, RegionOf(checked.text), segments)) {
            code->resize(kRegionSlots, ' ');
            checked.text.replace(kFirstRegionSlot, kRegionSlots, *code);
            checked.stage = PlateStage::Checked;
        }
    return checked;
}

}  // namespace zorva::recognize
