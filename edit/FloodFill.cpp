// Run labelling with union of roots for the fill tool and for closing selection outlines.
#include "edit/FloodFill.h"

#include <cstring>

namespace zorva::edit {

namespace {

uint32_t Root(std::vector<uint32_t>& parent, uint32_t a) {
    while (parent[a] != a) {
        parent[a] = parent[parent[a]];  // path halving
        a = parent[a];
    }
    return a;
}

// Unites the sets of a and b under the smaller root.
void Unite(std::vector<uint32_t>& parent, uint32_t a, uint32_t b) {
    a = Root(parent, a);
    b = Root(parent, b);
    if (a < b)
        parent[b] = a;
    else if (b < a)
        parent[a] = b;
}

// Four pixels of one colour, 12 bytes, for comparing and painting runs four
// pixels at a time.
struct Quad {
    uint8_t bytes[12];
    explicit Quad(uint32_t bgr) {
        for (int i = 0; i < 4; ++i) core::StorePixel(bytes + 3 * i, bgr);
    }
};

// ---- first pass ----
// The runs of `key` in every row, each united with the runs of the row
// below that it touches (sharing a column); with `border`, every run that
// reaches the edge of the picture is united with node 0, the outside.
void Label(core::BmpView image, uint32_t key, bool border, FillScratch& s) {
    const uint32_t width = image.width(), height = image.height();
    const Quad quad(key);
    s.runs.clear();
    s.rowStart.assign(size_t(height) + 1, 0);
    s.parent.assign(1, 0);
    uint32_t count = 0;  // runs so far; run i is node i + 1
    for (uint32_t r = 0; r < height; ++r) {
        s.rowStart[r] = count;
        const uint8_t* row = image.row(r);
        const uint32_t below = r > 0 ? s.rowStart[r - 1] : count;
        uint32_t b = below;
        for (uint32_t x = 0; x < width;) {
            if (core::LoadPixel(row + 3 * x) != key) {
                ++x;
                continue;
            }
            const uint32_t start = x;
            while (x + 4 <= width && std::memcmp(row + 3 * x, quad.bytes, 12) == 0) x += 4;
            while (x < width && core::LoadPixel(row + 3 * x) == key) ++x;
            s.runs.push_back(start);
            s.runs.push_back(x);
            const uint32_t node = ++count;
            s.parent.push_back(node);
            if (border && (r == 0 || r + 1 == height || start == 0 || x == width)) Unite(s.parent, node, 0);
            // Runs of the row below that share a column with [start, x).
            while (b < s.rowStart[r] && s.runs[2 * b + 1] <= start) ++b;
            for (uint32_t c = b; c < s.rowStart[r] && s.runs[2 * c] < x; ++c) Unite(s.parent, node, c + 1);
        }
    }
    s.rowStart[height] = count;
}

// ---- second pass ----
// Paints every run whose root is `target`.
void PaintRegion(core::MutableBmpView image, uint32_t target, uint32_t colour, FillScratch& s) {
    const Quad quad(colour);
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* row = image.row(r);
        for (uint32_t i = s.rowStart[r]; i < s.rowStart[r + 1]; ++i) {
            if (Root(s.parent, i + 1) != target) continue;
            uint32_t x = s.runs[2 * i];
            const uint32_t end = s.runs[2 * i + 1];
            for (; x + 4 <= end; x += 4) std::memcpy(row + 3 * x, quad.bytes, 12);
            for (; x < end; ++x) core::StorePixel(row + 3 * x, colour);
        }
    }
}

}  // namespace

bool FloodFill(core::MutableBmpView image, Point seed, uint32_t colour, FillScratch& scratch) {
    if (seed.x < 0 || seed.y < 0 || seed.x >= image.width() || seed.y >= image.height()) return false;
    const uint32_t key = image.at(uint32_t(seed.x), uint32_t(seed.y));
    if (key == colour) return true;  // the region already has the colour
    Label(image, key, false, scratch);
    // The run of the seed.
    const auto r = uint32_t(seed.y);
    for (uint32_t i = scratch.rowStart[r]; i < scratch.rowStart[r + 1]; ++i)
        if (scratch.runs[2 * i] <= uint32_t(seed.x) && uint32_t(seed.x) < scratch.runs[2 * i + 1]) {
            PaintRegion(image, Root(scratch.parent, i + 1), colour, scratch);
            break;
        }
    return true;
}

void MarkOutside(core::MutableBmpView mask, FillScratch& scratch) {
    Label(mask, 0xFFFFFF, true, scratch);
    PaintRegion(mask, 0, kOutsideKey, scratch);
}

}  // namespace zorva::edit
