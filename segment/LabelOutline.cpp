// The label-image walk: the same edge moves over 24-bit labels, no runs, and its own simplification.
#include "segment/LabelOutline.h"

#include "segment/SegmentCommon.h"

namespace zorva::segment {

using namespace detail;

void WalkLabelOutline(core::BmpView map, uint32_t label, uint32_t x, uint32_t y, uint32_t pixels,
                      std::vector<uint32_t>& corners, uint32_t& unitMoves) {
    corners.clear();
    unitMoves = 0;
    const int width = map.width(), height = map.height();
    const auto in = [&](int px, int py) {
        return px >= 0 && py >= 0 && px < width && py < height &&
               core::LoadPixel(map.pixel(uint32_t(px), uint32_t(py))) == label;
    };
    if (!in(int(x), int(y))) return;
    const int fx = int(x), fy = int(y);
    int px = fx, py = fy, cx = fx, cy = fy;
    corners.push_back(Point(x, y));
    uint32_t lastCode = 0;
    const uint64_t upLimit = uint64_t(pixels) + 19;
    const uint64_t moveLimit = 4 * uint64_t(pixels) + 4;
    uint64_t ups = 0;
    Move move = kUp;
    for (;;) {
        // The Left move along the first pixel's bottom edge is not made: the
        // polygon closes implicitly from its bottom-right corner.
        if (move == kLeft && px == fx && py == fy) break;
        cx += kCornerDx[move];
        cy += kCornerDy[move];
        const uint32_t point = Point(uint32_t(cx), uint32_t(cy));
        if (kCode[move] == lastCode)
            corners.back() = point;
        else
            corners.push_back(point);
        lastCode = kCode[move];
        ++unitMoves;
        if (move == kUp) ++ups;
        if (ups >= upLimit || unitMoves >= moveLimit) break;
        bool diagonal = false;
        move = NextMove(move, px, py, in, diagonal);
    }
}

void SimplifyLabelOutline(std::span<const uint32_t> corners, uint32_t unitMoves, uint32_t setting,
                          std::vector<uint32_t>& out) {
    out.clear();
    if (corners.empty()) return;
    if (setting == 0 || corners.size() < 2) {
        out.assign(corners.begin(), corners.end());
        return;
    }
    // Setting 4 scales the error with the outline's length.
    const uint64_t error = setting == 4 ? (uint64_t(unitMoves) + 1) / 128 + 1 : setting;
    SplitStack stack;
    uint64_t farthest = 0;
    const uint32_t f = Farthest(corners, farthest);
    out.push_back(corners.front());
    SplitHalves<false>(corners, f, error, stack, [&](uint32_t p) { out.push_back(p); });
}

}  // namespace zorva::segment
