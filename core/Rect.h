// A rectangle of pixels: top-left corner, width and height, y downward.
#pragma once

namespace zorva::core {

// Target pixels (a client area, a printed page), y downward.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }    // one past the last column
    int bottom() const { return y + height; }  // one past the last row
    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(int px, int py) const { return px >= x && px < right() && py >= y && py < bottom(); }
    Rect intersected(const Rect& o) const;
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect Rect::intersected(const Rect& o) const {
    const int l = x > o.x ? x : o.x;
    const int t = y > o.y ? y : o.y;
    const int r = right() < o.right() ? right() : o.right();
    const int b = bottom() < o.bottom() ? bottom() : o.bottom();
    if (r <= l || b <= t) return Rect{};
    return Rect{l, t, r - l, b - t};
}

}  // namespace zorva::core
