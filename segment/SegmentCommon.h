// Helpers private to the segment family: the six-term colour distance, packed corner points, the outline step and the
// splitting simplification.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <utility>
#include <vector>

namespace zorva::segment::detail {

// |dB| + |dG| + |dR| + |dB - dG| + |dG - dR| + |dR - dB| with dX = b's channel
// minus a's; colours as 0x00RRGGBB. Median cut merges boxes by it and the
// median-cut segmentation folds segments by it (through PaletteDistance), so
// both use exactly this one definition.
inline uint32_t SixTermDistance(uint32_t a, uint32_t b) {
    const int dB = int(b & 0xFF) - int(a & 0xFF);
    const int dG = int((b >> 8) & 0xFF) - int((a >> 8) & 0xFF);
    const int dR = int((b >> 16) & 0xFF) - int((a >> 16) & 0xFF);
    return uint32_t(std::abs(dB) + std::abs(dG) + std::abs(dR) + std::abs(dB - dG) + std::abs(dG - dR) +
                    std::abs(dR - dB));
}

// A corner point: x in the low 16 bits, y (stored rows, growing upward) in the high 16 bits.
inline constexpr uint32_t Point(uint32_t x, uint32_t y) {
    return (y << 16) | (x & 0xFFFF);
}
inline constexpr uint32_t PointX(uint32_t p) {
    return p & 0xFFFF;
}
inline constexpr uint32_t PointY(uint32_t p) {
    return p >> 16;
}

// Rounded integer square root of v: the integer nearest to sqrt(v).
inline uint64_t RoundedSqrt(uint64_t v) {
    // The floating root is exact to within one for the values met here
    // (below 2^34); the two corrections make the floor exact, then round:
    // r + 1 is nearer when v >= (r + 0.5)^2, i.e. v > r^2 + r.
    uint64_t r = uint64_t(std::sqrt(double(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    return v > r * r + r ? r + 1 : r;
}

// ---- walking ----
// The four moves along pixel edges, keeping the segment on the right.
enum Move { kUp, kRight, kDown, kLeft };
// Outer pixel of the edge walked, relative to the current pixel P.
inline constexpr int kOuterDx[4] = {-1, 0, 1, 0};
inline constexpr int kOuterDy[4] = {0, 1, 0, -1};
// Corner change of each move.
inline constexpr int kCornerDx[4] = {0, 1, 0, -1};
inline constexpr int kCornerDy[4] = {1, 0, -1, 0};
// Move codes: a point whose move has the code of the previous move replaces
// the previous point, so only the corners where the outline turns remain.
inline constexpr uint32_t kCode[4] = {2, 1, 2, 1};

// After a move: tries the diagonal pixel first, then the straight one, else
// turns on the spot. Updates P; `diagonal` tells whether the diagonal was taken.
template <typename InSegment>
Move NextMove(Move move, int& px, int& py, const InSegment& in, bool& diagonal) {
    diagonal = false;
    switch (move) {
        case kUp:
            if (in(px - 1, py + 1)) {
                --px;
                ++py;
                diagonal = true;
                return kLeft;
            }
            if (in(px, py + 1)) {
                ++py;
                return kUp;
            }
            return kRight;
        case kRight:
            if (in(px + 1, py + 1)) {
                ++px;
                ++py;
                diagonal = true;
                return kUp;
            }
            if (in(px + 1, py)) {
                ++px;
                return kRight;
            }
            return kDown;
        case kDown:
            if (in(px + 1, py - 1)) {
                ++px;
                --py;
                diagonal = true;
                return kRight;
            }
            if (in(px, py - 1)) {
                --py;
                return kDown;
            }
            return kLeft;
        case kLeft:
            if (in(px - 1, py - 1)) {
                --px;
                --py;
                diagonal = true;
                return kDown;
            }
            if (in(px - 1, py)) {
                --px;
                return kLeft;
            }
            return kUp;
    }
    return kUp;
}

// ---- simplification ----
// Split(A, B): the point strictly between with the largest non-zero |cross|
// (the first of equals) is kept, and both halves split again, when its
// deviation 2|cross| / length exceeds the error; otherwise only B is kept.
// An explicit stack keeps long runs off the call stack.
struct SplitStack {
    std::vector<std::pair<uint32_t, uint32_t>> pending;
};

template <bool kEuclidean, typename Out>
void Split(std::span<const uint32_t> p, uint32_t a0, uint32_t b0, uint64_t error, SplitStack& stack, Out&& out) {
    stack.pending.clear();
    stack.pending.emplace_back(a0, b0);
    while (!stack.pending.empty()) {
        const auto [a, b] = stack.pending.back();
        stack.pending.pop_back();
        const int64_t ax = PointX(p[a]), ay = PointY(p[a]);
        const int64_t dx = int64_t(PointX(p[b])) - ax, dy = int64_t(PointY(p[b])) - ay;
        uint64_t best = 0;
        uint32_t c = 0;
        for (uint32_t i = a + 1; i < b; ++i) {
            const int64_t cross = (int64_t(PointY(p[i])) - ay) * dx - (int64_t(PointX(p[i])) - ax) * dy;
            const uint64_t magnitude = uint64_t(cross < 0 ? -cross : cross);
            if (magnitude > best) {
                best = magnitude;
                c = i;
            }
        }
        if (best == 0) {
            out(p[b]);
            continue;
        }
        // A non-zero cross product means A and B differ, so the length is at least 1.
        const uint64_t length = kEuclidean ? detail::RoundedSqrt(uint64_t(dx * dx + dy * dy))
                                           : uint64_t((dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy));
        if (2 * best / length > error) {
            stack.pending.emplace_back(c, b);
            stack.pending.emplace_back(a, c);
        } else {
            out(p[b]);
        }
    }
}

inline uint64_t SquaredDistance(uint32_t a, uint32_t b) {
    const int64_t dx = int64_t(PointX(a)) - PointX(b), dy = int64_t(PointY(a)) - PointY(b);
    return uint64_t(dx * dx + dy * dy);
}

// The point farthest from p[0] by squared distance, the first of equals.
inline uint32_t Farthest(std::span<const uint32_t> p, uint64_t& distance) {
    uint32_t f = 0;
    distance = 0;
    for (uint32_t i = 1; i < p.size(); ++i) {
        const uint64_t d = SquaredDistance(p[i], p[0]);
        if (d > distance) {
            distance = d;
            f = i;
        }
    }
    return f;
}

// Splits p[0..f] and then p[f..last], f being the farthest point from p[0].
template <bool kEuclidean, typename Out>
void SplitHalves(std::span<const uint32_t> p, uint32_t f, uint64_t error, SplitStack& stack, Out&& out) {
    const uint32_t last = uint32_t(p.size() - 1);
    if (f == 0) {
        // Every point equals the first: keep the rest as they are.
        for (uint32_t i = 1; i <= last; ++i) out(p[i]);
        return;
    }
    Split<kEuclidean>(p, 0, f, error, stack, out);
    if (f != last) Split<kEuclidean>(p, f, last, error, stack, out);
}

}  // namespace zorva::segment::detail
