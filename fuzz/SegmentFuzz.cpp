// libFuzzer target: small pictures of arbitrary colour patterns through both segmentations, tracing and the SVG
// writers.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/BmpImage.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"
#include "segment/Svg.h"
#include "segment/Trace.h"

using namespace zorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    // Width, height, colours, minimum, tolerance and error from the first
    // bytes; each pixel one of the colours, chosen by the rest of the bytes
    // (repeated), so that few bytes still make pictures with segments of
    // every size and shape.
    const uint32_t width = 1 + data[0] % 48;
    const uint32_t height = 1 + data[1] % 48;
    const uint32_t colours = 2 + data[2] % 31;
    const uint32_t minimum = data[3] % 51;
    const uint32_t tolerance = 1 + data[4] % 25;
    const uint32_t error = data[5] % 11;
    const uint8_t* body = data + 6;
    const size_t bodySize = size - 6;
    segment::PaletteTable palette;
    for (uint32_t i = 0; i < colours; ++i) palette.colours[i] = (i * 0x9E3779B9u ^ data[2] * 0x01000193u) & 0xFFFFFF;
    palette.size = colours;
    core::BmpImage image = core::BmpImage::Decoded(width, height);
    const core::MutableBmpView view = image.view();
    std::vector<uint32_t> map(size_t(width) * height);
    for (uint32_t r = 0, k = 0; r < height; ++r)
        for (uint32_t x = 0; x < width; ++x, ++k) {
            const uint32_t index = bodySize ? body[k % bodySize] % colours : 0;
            map[size_t(r) * width + x] = index;
            view.set(x, r, palette.colours[index]);
        }
    core::BmpImage copy = core::BmpImage::Decoded(width, height);
    std::memcpy(copy.data(), image.data(), view.fileSize());

    // Median-cut segmentation over the index plane the picture was painted
    // from (as the plate reader hands it over; median cut itself works in
    // fixed tables and is left to the tests, which keep it exact), tracing
    // with and without simplification, the SVG.
    std::vector<segment::IndexedSegmentRecord> table(segment::IndexedSegmentCapacity(width, height));
    segment::SegmentMedianCutParams params;
    params.colours = colours;
    params.minSegmentPoints = minimum;
    params.quantiseFirst = false;
    uint32_t k = 0;
    if (segment::SegmentMedianCut(view, params, nullptr, map.data(), table, palette, k) ==
        segment::SegmentStatus::Done) {
        segment::WordBuffer vectors;
        for (uint16_t flags : {uint16_t(0), uint16_t(error)}) {
            segment::TraceSegments(map.data(), width, height, std::span(table).first(size_t(k) + 1), k, palette, flags,
                                   vectors);
            const std::string svg = segment::IndexedSvg(segment::VectorView(vectors.words()));
            if (k > 0 && svg.size() < segment::kSvgHeaderSize) __builtin_trap();
        }
    }

    // 8-connected segmentation and its writer.
    core::BmpImage labels = core::BmpImage::Decoded(width, height);
    std::vector<segment::SegmentRecord> records(segment::SegmentEightCapacity(width, height));
    const segment::SegmentEightResult eight = segment::SegmentEight(copy.view(), labels.view(), records, tolerance, 2);
    if (eight.status == segment::SegmentStatus::Done) {
        const std::string svg = segment::EightSvg(labels.view(), std::span(records).first(eight.segmentCount), error,
                                                  segment::ZoomSvgScale(3));
        if (svg.size() < segment::kSvgHeaderSize) __builtin_trap();
    }
    return 0;
}
