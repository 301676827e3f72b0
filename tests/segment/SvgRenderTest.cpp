// Every written SVG parses as XML and renders; rendered back, it covers the painted segmentation.
#include <gtest/gtest.h>

#include <cstdio>

#include "segment/Svg.h"
#include "segment/Trace.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

// Writes `svg`, checks it with xmllint and renders it at W x H user units
// (the content is placed unscaled when the scale is 1.00).
test::Raster WriteCheckAndRender(const test::TempDir& dir, const std::string& name, const std::string& svg,
                                 uint32_t width, uint32_t height) {
    const std::string path = dir.file(name + ".svg");
    EXPECT_TRUE(test::WriteText(path, svg));
    EXPECT_TRUE(test::ValidSvg(path, width, height));
    return test::ReadPng(path + ".png");
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int(a >> s & 0xFF) - int(b >> s & 0xFF)) > tolerance) return false;
    return true;
}

// Share of pixels in columns x0..x1-1 and stored rows r0..r1-1 whose rendered
// colour differs from the painted picture by more than anti-aliasing can.
double Disagreement(const test::Raster& raster, core::BmpView painted, uint32_t x0, uint32_t x1, uint32_t r0,
                    uint32_t r1) {
    size_t differ = 0, total = 0;
    for (uint32_t r = r0; r < r1; ++r)
        for (uint32_t x = x0; x < x1; ++x) {
            const uint32_t rendered = raster.pixels[size_t(painted.height() - 1 - r) * raster.width + x];
            differ += !Near(rendered, test::Rgb(painted, x, r), 24);
            ++total;
        }
    return total ? double(differ) / double(total) : 1.0;
}

// A median-cut segmentation's SVG (indexed writer) rendered back covers the
// painted picture: exactly but for anti-aliasing with every corner kept, and
// with a small disagreement along outlines once simplified.
TEST(SvgRenderTest, MedianCutSvgCoversThePaintedSegmentation) {
    test::TempDir dir;
    const uint32_t w = 500, h = 300;  // scale "1.00"
    for (uint32_t colours : {2u, 8u}) {
        core::BmpImage image = test::PhotoLike(w, h, 21, 12);
        test::IndexedRun run = test::RunIndexed(image.view(), colours, 5);
        ASSERT_EQ(run.status, SegmentStatus::Done);
        for (uint16_t flags : {0, 1, 5}) {
            std::vector<IndexedSegmentRecord> table = run.table;
            WordBuffer out;
            TraceSegments(run.map.data(), w, h, table, run.segments, run.palette, flags, out);
            const std::string svg = IndexedSvg(VectorView(out.words()));
            ASSERT_EQ(IndexedSvgScale(w, h), "1.00");
            const std::string name = "mc" + std::to_string(colours) + "_" + std::to_string(flags);
            const test::Raster raster = WriteCheckAndRender(dir, name, svg, w, h);
            ASSERT_EQ(raster.width, w);
            ASSERT_EQ(raster.height, h);
            const double d = Disagreement(raster, image.view(), 0, w - 1, 0, h - 1);
            std::printf("median cut %u colours, VectorFlags %u: %u segments, %zu SVG bytes, %.3f%% of pixels differ\n",
                        colours, flags, run.segments, svg.size(), 100 * d);
            RecordProperty(name, std::to_string(d));
            EXPECT_LE(d, flags == 0 ? 0.002 : 0.05) << name;
        }
    }
}

// The 8-connected writer with SEG_MIN 0 (every segment, every corner)
// rendered back covers its painted segmentation too.
TEST(SvgRenderTest, EightConnectedSvgCoversThePaintedSegmentation) {
    test::TempDir dir;
    const uint32_t w = 400, h = 240;
    core::BmpImage image = test::PhotoLike(w, h, 22, 4);
    test::EightRun run = test::RunEight(image.view(), 3, 3);
    ASSERT_EQ(run.result.status, SegmentStatus::Done);
    const std::string svg = EightSvg(run.map.view(), run.table(), 0, ZoomSvgScale(3));
    const test::Raster raster = WriteCheckAndRender(dir, "eight", svg, w, h);
    ASSERT_EQ(raster.width, w);
    const double d = Disagreement(raster, image.view(), 1, w, 1, h);
    std::printf("8-connected, SEG_MIN 0: %u labels, %zu SVG bytes, %.3f%% of pixels differ\n", run.result.segmentCount,
                svg.size(), 100 * d);
    EXPECT_LE(d, 0.01);
}

// Pictures wider than 9,999 pixels keep a valid file: wider coordinates.
TEST(SvgRenderTest, WideCoordinatesStayValid) {
    test::TempDir dir;
    core::BmpImage image = test::TwoColour(10050, 6, 0xFFFFFF, 0x000000,
                                           [](uint32_t x, uint32_t r) { return x > 9990 && r > 1 && r < 4; });
    test::IndexedRun run = test::RunIndexed(image.view(), 2, 0);
    WordBuffer out;
    TraceSegments(run.map.data(), 10050, 6, run.table, run.segments, run.palette, 1, out);
    const std::string svg = IndexedSvg(VectorView(out.words()));
    EXPECT_NE(svg.find("10049,0005"), std::string::npos);
    EXPECT_NE(svg.find("9991,0004"), std::string::npos);
    WriteCheckAndRender(dir, "wide", svg, 10050, 6);
}

}  // namespace
}  // namespace zorva::segment
