// Pen stamps with the previous stamp's memory, journal records per changed pixel, and the fixed-point line.
#include "edit/Drawing.h"

#include <algorithm>
#include <cstdlib>

#include "core/UndoRing.h"

namespace zorva::edit {

namespace {

bool CoveredBefore(const Pen& pen, uint32_t offset) {
    for (uint32_t i = 0; i < pen.lastCount; ++i)
        if (pen.lastStamp[i] == offset) return true;
    return false;
}

void Change(const Canvas& canvas, uint32_t x, uint32_t r) {
    uint8_t* p = canvas.image.pixel(x, r);
    const auto offset = uint32_t(p - canvas.image.data());
    // An outline is always taken away again by walking its records back: a
    // pixel that could not be recorded is left unmarked in the picture (the
    // mask still gets it), never marked for good.
    const bool outline = canvas.ink == Ink::Outline || canvas.ink == Ink::FinalOutline;
    if (canvas.journal && !core::UndoRing::Record(*canvas.journal, offset, core::LoadPixel(p), outline)) {
        if (canvas.ink == Ink::FinalOutline) core::StorePixel(canvas.mask.pixel(x, r), 0);
        return;
    }
    switch (canvas.ink) {
        case Ink::Colour:
            core::StorePixel(p, canvas.colour);
            break;
        case Ink::White:
            core::StorePixel(p, 0xFFFFFF);
            break;
        case Ink::FinalOutline:
            core::StorePixel(canvas.mask.pixel(x, r), 0);
            [[fallthrough]];
        case Ink::Outline:
            p[0] ^= 0x80;
            p[1] ^= 0x80;
            p[2] ^= 0x80;
            break;
    }
}

}  // namespace

void Stamp(Pen& pen, const Canvas& canvas, Point at) {
    const int size = std::clamp(pen.size, 1, Pen::kMaxSize);
    const int left = at.x - (size >> 1);
    const int bottom = at.y - (size >> 1);
    const int width = canvas.image.width();
    const int height = canvas.image.height();
    std::array<uint32_t, Pen::kMaxSize * Pen::kMaxSize> covered;
    uint32_t count = 0;
    for (int r = std::max(bottom, 0); r < std::min(bottom + size, height); ++r)
        for (int x = std::max(left, 0); x < std::min(left + size, width); ++x) {
            const auto offset = uint32_t(canvas.image.pixel(uint32_t(x), uint32_t(r)) - canvas.image.data());
            covered[count++] = offset;
            if (!CoveredBefore(pen, offset)) Change(canvas, uint32_t(x), uint32_t(r));
        }
    pen.lastStamp = covered;
    pen.lastCount = count;
}

void LineTo(Pen& pen, const Canvas& canvas, Point to) {
    Point p0 = pen.previous;
    Point p1 = to;
    pen.previous = to;
    // Left of or below the picture: both ends there draw nothing; one end
    // there is moved to the edge.
    if (p0.x < 0 && p1.x < 0) return;
    if (p0.y < 0 && p1.y < 0) return;
    p0.x = std::max(p0.x, 0);
    p1.x = std::max(p1.x, 0);
    p0.y = std::max(p0.y, 0);
    p1.y = std::max(p1.y, 0);

    const int dx = std::abs(p0.x - p1.x);
    const int dy = std::abs(p0.y - p1.y);
    const int sx = p0.x > p1.x ? 1 : p0.x < p1.x ? -1 : 0;
    const int sy = p0.y > p1.y ? 1 : p0.y < p1.y ? -1 : 0;
    // k counts down from the far end to P1: the first stamp is at P0.
    if (dx == dy) {
        for (int k = dx; k >= 0; --k) Stamp(pen, canvas, {p1.x + sx * k, p1.y + sy * k});
    } else if (dy > dx) {
        // The slope in 16.16 fixed point; each step rounds to the nearest column.
        const int64_t s = (int64_t(dx) << 16) / dy;
        for (int k = dy; k >= 0; --k) Stamp(pen, canvas, {p1.x + sx * int((k * s + 32768) >> 16), p1.y + sy * k});
    } else {
        const int64_t s = (int64_t(dy) << 16) / dx;
        for (int k = dx; k >= 0; --k) Stamp(pen, canvas, {p1.x + sx * k, p1.y + sy * int((k * s + 32768) >> 16)});
    }
    pen.previous = to;
}

void RectangleEdges(Pen& pen, const Canvas& canvas, Point a, Point b) {
    const Point corners[] = {{b.x, a.y}, b, {a.x, b.y}};
    pen.previous = a;
    Stamp(pen, canvas, a);
    for (const Point& c : corners) LineTo(pen, canvas, c);
    // Back to `a` without its last stamp, which would change the first
    // stamp's pixels a second time.
    const Point last = pen.previous;
    const int dx = std::abs(last.x - a.x), dy = std::abs(last.y - a.y);
    if (dx > 1 || dy > 1) {
        // The line from the last corner to the point just before `a`.
        const Point before{a.x + (last.x > a.x) - (last.x < a.x), a.y + (last.y > a.y) - (last.y < a.y)};
        LineTo(pen, canvas, before);
    }
    pen.previous = a;
}

}  // namespace zorva::edit
