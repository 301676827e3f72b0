// Lifting, cutting to the box and compositing of floating selections.
#include "edit/Selection.h"

#include <algorithm>
#include <cstring>

#include "edit/FloodFill.h"

namespace zorva::edit {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kVisibleWhite = 0xFFFFFE;  // blue 254, green 255, red 255

void XorPixel(core::MutableBmpView image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
    uint8_t* p = image.pixel(uint32_t(x), uint32_t(y));
    p[0] ^= 0x80;
    p[1] ^= 0x80;
    p[2] ^= 0x80;
}

}  // namespace

Box LiftSelected(core::MutableBmpView image, core::BmpView mask, core::MutableBmpView floating, bool keep) {
    std::memcpy(floating.data(), image.data(), core::kHeaderSize);
    Box box{image.width(), image.height(), -1, -1};
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        uint8_t* f = floating.row(r);
        const uint8_t* m = mask.row(r);
        for (uint32_t x = 0; x < image.width(); ++x, p += 3, f += 3, m += 3) {
            if (core::LoadPixel(m) == kOutsideKey) {
                core::StorePixel(f, kWhite);
                continue;
            }
            const uint32_t bgr = core::LoadPixel(p);
            core::StorePixel(f, bgr == kWhite ? kVisibleWhite : bgr);
            if (!keep) core::StorePixel(p, kWhite);
            box.x0 = std::min(box.x0, int(x));
            box.x1 = std::max(box.x1, int(x));
            box.y0 = std::min(box.y0, int(r));
            box.y1 = std::max(box.y1, int(r));
        }
    }
    return box;
}

void CutToBox(core::MutableBmpView floating, const Box& box) {
    if (box.empty()) return;
    const uint32_t oldStride = floating.stride();
    const auto width = uint32_t(box.width()), height = uint32_t(box.height());
    const uint32_t stride = core::StrideFor(width);
    uint8_t* pixels = floating.pixels();
    // Rows move down and left only: each destination lies at or before its source.
    for (uint32_t r = 0; r < height; ++r) {
        uint8_t* to = pixels + size_t(r) * stride;
        std::memmove(to, pixels + size_t(r + uint32_t(box.y0)) * oldStride + 3 * size_t(box.x0), 3 * size_t(width));
        std::memset(to + 3 * size_t(width), 0, stride - 3 * width);
    }
    // The header keeps its other fields (resolution) and takes the new size.
    core::Store32(floating.data() + core::kOffWidth, width);
    core::Store32(floating.data() + core::kOffHeight, height);
    core::Store32(floating.data() + core::kOffImageSize, stride * height);
    core::Store32(floating.data() + core::kOffFileSize, core::kHeaderSize + stride * height);
}

void WhiteOut(core::MutableBmpView image, core::BmpView mask, bool selected) {
    for (uint32_t r = 0; r < image.height(); ++r) {
        uint8_t* p = image.row(r);
        const uint8_t* m = mask.row(r);
        for (uint32_t x = 0; x < image.width(); ++x, p += 3, m += 3) {
            const bool isSelected = core::LoadPixel(m) != kOutsideKey;
            if (isSelected == selected)
                core::StorePixel(p, kWhite);
            else if (core::LoadPixel(p) == kWhite)
                core::StorePixel(p, kVisibleWhite);
        }
    }
}

void Composite(core::MutableBmpView image, core::BmpView background, core::BmpView floating, Point at, bool outline) {
    std::memcpy(image.pixels(), background.pixels(), size_t(image.stride()) * image.height());
    const int width = image.width(), height = image.height();
    const int fw = floating.width(), fh = floating.height();
    // The rows and columns of the floating picture that land inside.
    const int r0 = std::max(0, -at.y), r1 = std::min(fh, height - at.y);
    const int c0 = std::max(0, -at.x), c1 = std::min(fw, width - at.x);
    for (int r = r0; r < r1; ++r) {
        const uint8_t* f = floating.pixel(uint32_t(c0), uint32_t(r));
        uint8_t* p = image.pixel(uint32_t(at.x + c0), uint32_t(at.y + r));
        for (int c = c0; c < c1; ++c, f += 3, p += 3) {
            const uint32_t bgr = core::LoadPixel(f);
            if (bgr != kWhite) core::StorePixel(p, bgr);
        }
    }
    if (outline) XorRectangle(image, at, {at.x + fw - 1, at.y + fh - 1});
}

void XorRectangle(core::MutableBmpView image, Point a, Point b) {
    const int x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
    const int y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    const int left = std::max(x0, 0), right = std::min(x1, int(image.width()) - 1);
    for (int x = left; x <= right; ++x) {
        XorPixel(image, x, y0);
        if (y1 != y0) XorPixel(image, x, y1);
    }
    const int bottom = std::max(y0 + 1, 0), top = std::min(y1 - 1, int(image.height()) - 1);
    for (int y = bottom; y <= top; ++y) {
        XorPixel(image, x0, y);
        if (x1 != x0) XorPixel(image, x1, y);
    }
}

}  // namespace zorva::edit
