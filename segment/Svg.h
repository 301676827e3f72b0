// SVG export of a segmentation: filled polygons in four-digit corner coordinates with the y axis flipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/BmpImage.h"
#include "segment/SegmentEight.h"
#include "segment/VectorData.h"

namespace zorva::segment {

// The fixed header is 314 bytes while every patched number has four digits.
inline constexpr size_t kSvgHeaderSize = 314;
inline constexpr std::string_view kSvgFooter = " </g></svg>";

// Scale of the indexed writer by picture size: with m = max(W, H + H / 2),
// "4.00" below 200, "2.00" below 400, "1.00" below 800, "0.50" below 1600,
// "0.25" below 3200, else "0.12".
std::string_view IndexedSvgScale(uint32_t width, uint32_t height);
// Scale of the 8-connected writer by the view's ZoomIndex 1..8 (25 % .. 1600 %).
std::string_view ZoomSvgScale(uint32_t zoomIndex);

// A coordinate: four digits with leading zeros; 10,000 and more take the
// digits they need, so the file stays valid.
void AppendCoordinate(std::string& out, uint32_t value);

// The header: XML declaration, SVG 1.1 doctype, root element, the scaling
// group and a grey background polygon over the picture; CR / CR LF line ends.
std::string SvgHeader(uint32_t width, uint32_t height, std::string_view scale);

// One polygon line: fill colour (0x00RRGGBB as #RRGGBB), then each corner as
// x, "," and height - y, each followed by a space; CR LF.
void AppendSvgPolygon(std::string& out, uint32_t colour, std::span<const uint32_t> points, uint32_t height);

// The whole file after median-cut segmentation and TraceSegments, from
// VectorData: every segment 1..K with its palette colour, the points of its
// runs in order, a point equal to the one written just before it (also
// across polygons) left out. Empty when the data holds no segment.
std::string IndexedSvg(const VectorView& data);

// The whole file after 8-connected segmentation: every root of
// records[1..] with more than `value` pixels, walked on the label-image map
// and simplified with `value` as error, in its mean colour. Only reads.
std::string EightSvg(core::BmpView map, std::span<const SegmentRecord> records, uint32_t value, std::string_view scale);

// The picture's path with the extension of its file name replaced by "svg"
// (a name without one gets ".svg").
std::string SvgPathFor(std::string_view imagePath);

}  // namespace zorva::segment
