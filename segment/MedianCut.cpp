// Median cut: histogram, 256 cuts with tightening, box colours, merges down to N colours, lookup and output.
#include "segment/MedianCut.h"

#include <algorithm>
#include <cstring>

#include "segment/SegmentCommon.h"

namespace zorva::segment {

namespace {

uint32_t CellOf(uint32_t b, uint32_t g, uint32_t r) {
    return r * 4096 + g * 64 + b;
}

// Calls f(b, g, r, cellCount) for every cell inside the box's bounds.
template <typename F>
void ForEachCell(const ColourBox& box, const uint32_t* histogram, F&& f) {
    for (uint32_t r = box.low[2]; r <= box.high[2]; ++r)
        for (uint32_t g = box.low[1]; g <= box.high[1]; ++g) {
            const uint32_t* row = histogram + CellOf(0, g, r);
            for (uint32_t b = box.low[0]; b <= box.high[0]; ++b) f(b, g, r, row[b]);
        }
}

void RecomputeExtents(ColourBox& box) {
    for (int a = 0; a < 3; ++a) box.extent[a] = uint8_t(box.high[a] - box.low[a]);
}

// Moves every bound past the planes that hold no pixel of the box. Raising a
// low bound or lowering a high bound only drops empty cells, so the result is
// the bounding box of the occupied cells whatever order the planes are taken in.
void Tighten(ColourBox& box, const uint32_t* histogram) {
    uint8_t lo[3] = {63, 63, 63};
    uint8_t hi[3] = {0, 0, 0};
    bool any = false;
    ForEachCell(box, histogram, [&](uint32_t b, uint32_t g, uint32_t r, uint32_t count) {
        if (count == 0) return;
        any = true;
        const uint32_t at[3] = {b, g, r};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min<uint8_t>(lo[a], uint8_t(at[a]));
            hi[a] = std::max<uint8_t>(hi[a], uint8_t(at[a]));
        }
    });
    if (any)
        for (int a = 0; a < 3; ++a) {
            box.low[a] = lo[a];
            box.high[a] = hi[a];
        }
    RecomputeExtents(box);
}

uint32_t ColourOf(const uint8_t c[3]) {
    return uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
}

// ---- histogram ----
void CountCells(core::BmpView image, uint32_t* histogram) {
    std::memset(histogram, 0, kHistogramBytes);
    for (uint32_t r = 0; r < image.height(); ++r) {
        const uint8_t* p = image.row(r);
        for (uint32_t x = 0; x < image.width(); ++x, p += 3) ++histogram[HistogramCell(core::LoadPixel(p))];
    }
}

// ---- cut ----
// Splits boxes at their median planes until 256 cuts are made or no box has
// both an extent and pixels; returns the number of boxes.
uint32_t CutBoxes(ColourBox* boxes, uint32_t pixels, const uint32_t* histogram) {
    std::memset(boxes, 0, sizeof(ColourBox) * kMaxColourBoxes);
    boxes[0] = ColourBox{{0, 0, 0}, {63, 63, 63}, {63, 63, 63}, {0, 0, 0}, pixels};
    uint32_t m = 1;
    uint32_t cuts = 0;
    while (cuts < kMedianCuts) {
        // The greatest halved extent x count wins; ties keep the earlier box,
        // and within a box blue before green before red.
        uint32_t best = 0;
        uint32_t chosen = 0;
        int axis = 0;
        for (uint32_t i = 0; i < m; ++i)
            for (int a = 0; a < 3; ++a) {
                const uint32_t score = uint32_t(boxes[i].extent[a] * boxes[i].count) / 2;
                if (score > best) {
                    best = score;
                    chosen = i;
                    axis = a;
                }
            }
        if (best == 0) break;

        ColourBox& box = boxes[chosen];
        uint32_t plane[64] = {};
        ForEachCell(box, histogram, [&](uint32_t b, uint32_t g, uint32_t r, uint32_t count) {
            const uint32_t at[3] = {b, g, r};
            plane[at[axis]] += count;
        });
        // The median plane: the first level where the running total reaches
        // half the box, at most high - 1 so that both parts have a level.
        const uint32_t half = (box.count + 1) / 2;
        uint32_t level = box.high[axis] - 1u;
        uint32_t below = 0;
        for (uint32_t l = box.low[axis]; l + 1 <= box.high[axis]; ++l) {
            below += plane[l];
            if (below >= half) {
                level = l;
                break;
            }
        }
        const uint32_t above = box.count - below;
        if (below != 0 && above != 0) {
            ColourBox upper = box;
            upper.low[axis] = uint8_t(level + 1);
            upper.count = above;
            box.high[axis] = uint8_t(level);
            box.count = below;
            boxes[m++] = upper;
            ++cuts;
            Tighten(box, histogram);
            Tighten(boxes[m - 1], histogram);
        } else {
            // One side is empty: the cut does not count, the box just shrinks
            // to the occupied side.
            if (below == 0)
                box.low[axis] = uint8_t(level + 1);
            else
                box.high[axis] = uint8_t(level);
            Tighten(box, histogram);
        }
    }
    return m;
}

// ---- box colours ----
// Count-weighted mean of the 6-bit levels, truncated, back to 8 bits.
void ColourBoxes(ColourBox* boxes, uint32_t m, const uint32_t* histogram) {
    for (uint32_t i = 0; i < m; ++i) {
        ColourBox& box = boxes[i];
        if (box.count == 0) continue;
        uint64_t sum[3] = {0, 0, 0};
        ForEachCell(box, histogram, [&](uint32_t b, uint32_t g, uint32_t r, uint32_t count) {
            sum[0] += uint64_t(b) * count;
            sum[1] += uint64_t(g) * count;
            sum[2] += uint64_t(r) * count;
        });
        for (int a = 0; a < 3; ++a) box.colour[a] = uint8_t(sum[a] / box.count * 4);
    }
}

// ---- merge boxes down to n groups ----
// Every box starts as its own group's representative. Each merge takes the
// smallest group (lowest index on ties) into the representative nearest in
// colour (lowest index on ties); the pair takes the count-weighted mean.
struct Groups {
    bool representative[kMaxColourBoxes];
    uint32_t group[kMaxColourBoxes];
    uint32_t count[kMaxColourBoxes];
};

uint32_t MergeBoxes(ColourBox* boxes, uint32_t m, uint32_t n, Groups& groups) {
    for (uint32_t i = 0; i < m; ++i) {
        groups.representative[i] = true;
        groups.group[i] = i;
        groups.count[i] = boxes[i].count;
    }
    if (m <= n) return 0;
    const uint32_t merges = m - n;
    for (uint32_t k = 0; k < merges; ++k) {
        uint32_t taken = m;
        for (uint32_t i = 0; i < m; ++i)
            if (groups.representative[i] && (taken == m || groups.count[i] < groups.count[taken])) taken = i;
        groups.representative[taken] = false;
        const uint32_t takenColour = ColourOf(boxes[taken].colour);
        uint32_t nearest = m;
        uint32_t nearestDistance = 0;
        for (uint32_t i = 0; i < m; ++i) {
            if (!groups.representative[i]) continue;
            const uint32_t d = detail::SixTermDistance(ColourOf(boxes[i].colour), takenColour);
            if (nearest == m || d < nearestDistance) {
                nearest = i;
                nearestDistance = d;
            }
        }
        const uint64_t kA = groups.count[taken];
        const uint64_t kB = groups.count[nearest];
        uint8_t mixed[3];
        for (int a = 0; a < 3; ++a) {
            const uint64_t total = kA + kB;
            mixed[a] = total == 0 ? boxes[nearest].colour[a]
                                  : uint8_t((boxes[taken].colour[a] * kA + boxes[nearest].colour[a] * kB) / total);
        }
        groups.count[nearest] = uint32_t(kA + kB);
        for (uint32_t i = 0; i < m; ++i)
            if (groups.group[i] == taken || groups.group[i] == nearest) {
                groups.group[i] = nearest;
                std::memcpy(boxes[i].colour, mixed, 3);
            }
    }
    return merges;
}

// ---- palette and lookup fill ----
// Representatives take palette indices in box order; every cell of every box
// becomes (index << 24) | colour of its group.
void BuildPalette(const ColourBox* boxes, uint32_t m, const Groups& groups, PaletteTable& palette,
                  uint32_t* histogram) {
    palette = PaletteTable{};
    uint32_t paletteIndex[kMaxColourBoxes];
    for (uint32_t i = 0; i < m; ++i)
        if (groups.representative[i]) {
            paletteIndex[i] = palette.size;
            palette.colours[palette.size++] = ColourOf(boxes[i].colour);
        }
    for (uint32_t i = 0; i < m; ++i) {
        const uint32_t index = paletteIndex[groups.group[i]];
        const uint32_t value = index << 24 | palette.colours[index];
        const ColourBox& box = boxes[i];
        for (uint32_t r = box.low[2]; r <= box.high[2]; ++r)
            for (uint32_t g = box.low[1]; g <= box.high[1]; ++g) {
                uint32_t* row = histogram + CellOf(0, g, r);
                for (uint32_t b = box.low[0]; b <= box.high[0]; ++b) row[b] = value;
            }
    }
}

// ---- output ----
void MapPixels(core::MutableBmpView image, PaletteOutput output, const uint32_t* histogram, uint32_t* indexPlane) {
    const uint32_t width = image.width();
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        if (output == PaletteOutput::Recolour) {
            for (uint32_t x = 0; x < width; ++x, p += 3)
                core::StorePixel(p, histogram[HistogramCell(core::LoadPixel(p))] & 0xFFFFFF);
        } else {
            uint32_t* plane = indexPlane + size_t(r) * width;
            for (uint32_t x = 0; x < width; ++x, p += 3) plane[x] = histogram[HistogramCell(core::LoadPixel(p))] >> 24;
        }
    }
}

}  // namespace

MedianCutStats MedianCutPalette(core::MutableBmpView image, uint32_t colours, PaletteOutput output, uint32_t* histogram,
                                uint32_t* indexPlane, PaletteTable& palette) {
    const uint32_t n = std::clamp<uint32_t>(colours, 1, kMaxPaletteSize);
    MedianCutStats stats;
    CountCells(image, histogram);
    ColourBox boxes[kMaxColourBoxes];
    const uint32_t m = CutBoxes(boxes, uint32_t(image.width()) * image.height(), histogram);
    stats.boxes = m;
    ColourBoxes(boxes, m, histogram);
    Groups groups;
    stats.merges = MergeBoxes(boxes, m, n, groups);
    BuildPalette(boxes, m, groups, palette, histogram);
    MapPixels(image, output, histogram, indexPlane);
    return stats;
}

}  // namespace zorva::segment
