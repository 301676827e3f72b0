// The zbar pass of the barcode chain: scanner settings, the scan, and the decode points turned into an outline.
#include "recognize/BarcodeZbar.h"

#include <zbar.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

namespace zorva::recognize {

namespace {

using namespace zbar;  // zbar.h puts its C interface there when compiled as C++

struct ScannerDeleter {
    void operator()(zbar_image_scanner_t* s) const { zbar_image_scanner_destroy(s); }
};
struct ImageDeleter {
    void operator()(zbar_image_t* i) const { zbar_image_destroy(i); }
};

// Pixels between zbar's scan lines, across and down. zbar scans every row
// and every column (18 ns a pixel here, 460 ms on a 12-megapixel photo):
// on pictures above a megapixel every other line keeps hundreds of lines
// across any code large enough to read and halves the time. A megapixel and
// less, every line: small pictures hold small codes.
constexpr int64_t kEveryLineUpToPixels = 1000000;
int ScanDensity(const GreyPlane& plane) {
    return int64_t(plane.width) * plane.height > kEveryLineUpToPixels ? 2 : 1;
}

// Twice the signed area of the triangle o, a, b: positive when a to b turns left.
long long Cross(const OutlinePoint& o, const OutlinePoint& a, const OutlinePoint& b) {
    return (long long)(a.x - o.x) * (b.row - o.row) - (long long)(a.row - o.row) * (b.x - o.x);
}

}  // namespace

std::vector<OutlinePoint> ConvexHull(std::vector<OutlinePoint> points) {
    std::sort(points.begin(), points.end(),
              [](const OutlinePoint& a, const OutlinePoint& b) { return a.row != b.row ? a.row < b.row : a.x < b.x; });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) return points;
    // ---- lower and upper chains ----
    std::vector<OutlinePoint> hull(2 * points.size());
    size_t k = 0;
    for (const OutlinePoint& p : points) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0) --k;
        hull[k++] = p;
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);  // the last point is the first again
    return hull;
}

std::optional<LibraryReading> ReadBarcodeZbar(const GreyPlane& plane) {
    if (plane.empty()) return std::nullopt;
    const std::unique_ptr<zbar_image_scanner_t, ScannerDeleter> scanner(zbar_image_scanner_create());
    const std::unique_ptr<zbar_image_t, ImageDeleter> image(zbar_image_create());
    if (!scanner || !image) return std::nullopt;
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_EAN13, ZBAR_CFG_ENABLE, 1);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_EAN8, ZBAR_CFG_ENABLE, 1);
    const int density = ScanDensity(plane);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_X_DENSITY, density);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_Y_DENSITY, density);
    zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image.get(), unsigned(plane.width), unsigned(plane.height));
    // zbar reads the plane where it lies; no cleanup handler, the caller owns it.
    zbar_image_set_data(image.get(), plane.pixels, size_t(plane.width) * size_t(plane.height), nullptr);
    if (zbar_scan_image(scanner.get(), image.get()) <= 0) return std::nullopt;
    // zbar reports every text any scan line decoded, and a blurred code can
    // give a wrong text that passes the check digit on a line or two. The
    // text decoded on the most lines (zbar's quality) is the code; the first
    // of equals is taken.
    const zbar_symbol_t* best = nullptr;
    for (const zbar_symbol_t* s = zbar_image_first_symbol(image.get()); s; s = zbar_symbol_next(s)) {
        const zbar_symbol_type_t type = zbar_symbol_get_type(s);
        if (type != ZBAR_EAN13 && type != ZBAR_EAN8) continue;
        if (!EanCheckPasses(std::string_view(zbar_symbol_get_data(s), zbar_symbol_get_data_length(s)))) continue;
        if (!best || zbar_symbol_get_quality(s) > zbar_symbol_get_quality(best)) best = s;
    }
    if (!best) return std::nullopt;
    std::vector<OutlinePoint> points;
    for (unsigned i = 0; i < zbar_symbol_get_loc_size(best); ++i)
        points.push_back(plane.toPicture(zbar_symbol_get_loc_x(best, i), zbar_symbol_get_loc_y(best, i)));
    return CheckedReading(std::string_view(zbar_symbol_get_data(best), zbar_symbol_get_data_length(best)),
                          ConvexHull(std::move(points)));
}

}  // namespace zorva::recognize
