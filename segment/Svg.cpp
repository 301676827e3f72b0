// The two SVG writers, built as bytes in memory, and the file beside the picture.
#include "segment/Svg.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "segment/LabelOutline.h"
#include "segment/SegmentCommon.h"

namespace zorva::segment {

std::string_view IndexedSvgScale(uint32_t width, uint32_t height) {
    const uint32_t m = std::max(width, height + height / 2);
    if (m < 200) return "4.00";
    if (m < 400) return "2.00";
    if (m < 800) return "1.00";
    if (m < 1600) return "0.50";
    if (m < 3200) return "0.25";
    return "0.12";
}

std::string_view ZoomSvgScale(uint32_t zoomIndex) {
    switch (zoomIndex) {
        case 1:
            return "0.25";
        case 2:
            return "0.50";
        case 3:
            return "1.00";
        case 4:
            return "2.00";
        case 5:
            return "4.00";
        case 6:
            return "6.00";
        default:
            return zoomIndex >= 7 ? "8.00" : "1.00";
    }
}

namespace {

// Writes `value` as at least four decimal digits with leading zeros at `at`;
// returns the end. Written by hand: a file holds millions of coordinates and
// a formatted print per coordinate was most of the export's time.
char* PutCoordinate(char* at, uint32_t value) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < 4) digits[n++] = '0';
    while (n > 0) *at++ = digits[--n];
    return at;
}

// The digits PutCoordinate writes for values up to `value`.
size_t CoordinateDigits(uint32_t value) {
    size_t n = 1;
    while (value >= 10) {
        value /= 10;
        ++n;
    }
    return std::max<size_t>(n, 4);
}

// A polygon line without its points: <polygon fill="#RRGGBB" points=" and " />, CR LF.
constexpr size_t kSvgPolygonFrame = 16 + 6 + 11 + 6;

}  // namespace

void AppendCoordinate(std::string& out, uint32_t value) {
    char text[10];
    out.append(text, size_t(PutCoordinate(text, value) - text));
}

std::string SvgHeader(uint32_t width, uint32_t height, std::string_view scale) {
    std::string h;
    h.reserve(kSvgHeaderSize + 8);
    h += "<?xml version=\"1.0\"?>\r";
    h += "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN \"\r";
    h += "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\r";
    h += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">\r\n";
    h += "<g transform=\"scale(";
    h += scale;
    h += ")\" >\r\n";
    // The background: 0001,0001 0001,(H-1) (W-1),(H-1) (W-1),0001.
    const uint32_t right = width > 0 ? width - 1 : 0;
    const uint32_t top = height > 0 ? height - 1 : 0;
    h += "<polygon fill=\"#808080\" points=\"0001,0001 0001,";
    AppendCoordinate(h, top);
    h += ' ';
    AppendCoordinate(h, right);
    h += ',';
    AppendCoordinate(h, top);
    h += ' ';
    AppendCoordinate(h, right);
    h += ",0001 \"/>\r\n";
    return h;
}

void AppendSvgPolygon(std::string& out, uint32_t colour, std::span<const uint32_t> points, uint32_t height) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "<polygon fill=\"#";
    for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(colour >> shift) & 0xF];
    out += "\" points=\" ";
    for (uint32_t p : points) {
        char text[24];
        char* end = PutCoordinate(text, detail::PointX(p));
        *end++ = ',';
        // Flip y: the file's y axis points down. Corners lie in 0..H.
        const uint32_t y = detail::PointY(p);
        end = PutCoordinate(end, y <= height ? height - y : 0);
        *end++ = ' ';
        out.append(text, size_t(end - text));
    }
    out += "\" />\r\n";
}

std::string IndexedSvg(const VectorView& data) {
    if (!data.valid() || data.segments() == 0) return {};
    const uint32_t height = data.height();
    std::string svg = SvgHeader(data.width(), height, IndexedSvgScale(data.width(), height));
    // Room for the whole file up front: grown by doubling, a file of tens of
    // megabytes was copied over and over into fresh memory, which cost more
    // than writing it. Every point takes at most two coordinates of the
    // picture's digits, a comma and a space, and VectorData holds fewer
    // points than words; the room not used is never touched.
    svg.reserve(svg.size() + kSvgFooter.size() + size_t(data.segments()) * kSvgPolygonFrame +
                data.words().size() * (2 * CoordinateDigits(std::max(data.width(), height)) + 2));
    std::vector<uint32_t> points;
    BlockView block;
    bool havePrevious = false;
    uint32_t previous = 0;
    for (uint32_t k = 1; k <= data.segments(); ++k) {
        points.clear();
        if (ReadBlock(data.block(k), block)) {
            for (const RunView& run : block.runs)
                for (uint32_t p : run.points) {
                    // The corner shared by consecutive runs is written once;
                    // the comparison carries over from one polygon to the next.
                    if (havePrevious && p == previous) continue;
                    points.push_back(p);
                    previous = p;
                    havePrevious = true;
                }
        }
        AppendSvgPolygon(svg, block.colour, points, height);
    }
    svg += kSvgFooter;
    return svg;
}

std::string EightSvg(core::BmpView map, std::span<const SegmentRecord> records, uint32_t value,
                     std::string_view scale) {
    const uint32_t height = map.height();
    std::string svg = SvgHeader(map.width(), height, scale);
    std::vector<uint32_t> corners;
    std::vector<uint32_t> kept;
    for (uint32_t label = 1; label < records.size(); ++label) {
        const SegmentRecord& r = records[label];
        if (r.parent != label || r.count <= value) continue;
        uint32_t unitMoves = 0;
        WalkLabelOutline(map, label, r.firstX, r.firstY, r.count, corners, unitMoves);
        SimplifyLabelOutline(corners, unitMoves, value, kept);
        AppendSvgPolygon(svg, RecordColour(r), kept, height);
    }
    svg += kSvgFooter;
    return svg;
}

std::string SvgPathFor(std::string_view imagePath) {
    const size_t slash = imagePath.find_last_of('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = imagePath.find_last_of('.');
    std::string path(imagePath);
    if (dot == std::string_view::npos || dot < nameStart) return path + ".svg";
    path.resize(dot + 1);
    return path + "svg";
}

}  // namespace zorva::segment
