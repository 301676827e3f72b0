// SVG export: the header and its patched fields, scales, coordinates, both writers, the file beside the picture.
#include <gtest/gtest.h>

#include <regex>

#include "segment/SegmentCommon.h"
#include "segment/Svg.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

using detail::Point;

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The 314-byte header of a 100 x 50 picture, byte for byte.
TEST(SvgTest, HeaderFor100x50) {
    const std::string header = SvgHeader(100, 50, "0.80");
    EXPECT_EQ(header.size(), kSvgHeaderSize);
    EXPECT_EQ(header,
              "<?xml version=\"1.0\"?>\r"
              "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN \"\r"
              "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\r"
              "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">\r\n"
              "<g transform=\"scale(0.80)\" >\r\n"
              "<polygon fill=\"#808080\" points=\"0001,0001 0001,0049 0099,0049 0099,0001 \"/>\r\n");
}

// Scales: by picture size for the indexed writer (m = max(W, H + H/2)),
// by zoom for the 8-connected writer.
TEST(SvgTest, Scales) {
    EXPECT_EQ(IndexedSvgScale(640, 480), "1.00");   // m = 720
    EXPECT_EQ(IndexedSvgScale(1024, 768), "0.50");  // m = 1152
    EXPECT_EQ(IndexedSvgScale(199, 10), "4.00");
    EXPECT_EQ(IndexedSvgScale(100, 134), "2.00");  // m = 201
    EXPECT_EQ(IndexedSvgScale(3199, 10), "0.25");
    EXPECT_EQ(IndexedSvgScale(10, 2134), "0.12");  // m = 3201
    const char* zoom[9] = {"1.00", "0.25", "0.50", "1.00", "2.00", "4.00", "6.00", "8.00", "8.00"};
    for (uint32_t z = 1; z <= 8; ++z) EXPECT_EQ(ZoomSvgScale(z), zoom[z]);
}

// Four digits with leading zeros below 10,000; as many as needed above.
TEST(SvgTest, CoordinatesKeepFourDigitsAndGrowBeyond) {
    std::string s;
    for (uint32_t v : {0u, 7u, 9999u, 10000u, 65535u}) {
        AppendCoordinate(s, v);
        s += ' ';
    }
    EXPECT_EQ(s, "0000 0007 9999 10000 65535 ");
    EXPECT_NE(SvgHeader(12000, 50, "0.12").find("11999,0049 11999,0001 "), std::string::npos);
}

// A corner (12, 3) in a picture 50 high is "0012,0047 "; colours are #RRGGBB
// in upper case.
TEST(SvgTest, PolygonLine) {
    std::string s;
    AppendSvgPolygon(s, 0xFF0A00, std::vector<uint32_t>{Point(12, 3), Point(10000, 50)}, 50);
    EXPECT_EQ(s, "<polygon fill=\"#FF0A00\" points=\" 0012,0047 10000,0000 \" />\r\n");
}

// The indexed writer: every segment's run points in order, a point equal to
// the one written before it left out, also across polygons.
TEST(SvgTest, IndexedWriterSkipsRepeatedPoints) {
    std::vector<uint32_t> words = {kVectorMagic, 4, 4, 2};
    words.resize(kVectorHeaderWords, 0);
    words[4] = 0x112233;
    words[5] = 0xAABBCC;
    for (int i = 0; i < 8; ++i) words.push_back(0);  // two records
    const size_t offsets = words.size();
    words.push_back(0);
    words.push_back(0);
    words[offsets] = uint32_t(words.size() * 4);
    for (uint32_t w : {kBlockMarker, 0x112233u, 0u, 0x201u, kRunMarker, 0u, Point(0, 0), Point(0, 2), kRunMarker,
                       0x201u, Point(0, 2), Point(2, 2)})
        words.push_back(w);
    words[offsets + 1] = uint32_t(words.size() * 4);
    for (uint32_t w : {kBlockMarker, 0xAABBCCu, 0x100u, kRunMarker, 0x100u, Point(2, 2), Point(3, 1)})
        words.push_back(w);
    words.push_back(kBlockMarker);
    const std::string svg = IndexedSvg(VectorView(words));
    const std::string body = svg.substr(kSvgHeaderSize, svg.size() - kSvgHeaderSize - kSvgFooter.size());
    EXPECT_EQ(body,
              "<polygon fill=\"#112233\" points=\" 0000,0004 0000,0002 0002,0002 \" />\r\n"
              "<polygon fill=\"#AABBCC\" points=\" 0003,0003 \" />\r\n");
    EXPECT_EQ(svg.substr(svg.size() - 11), " </g></svg>");
    // No segments: no file.
    std::vector<uint32_t> empty(words.begin(), words.begin() + kVectorHeaderWords);
    empty[3] = 0;
    EXPECT_EQ(IndexedSvg(VectorView(empty)), "");
}

// SEG_MIN 5: a segment of 5 pixels is left out, one of 6 is written, in its
// mean colour; the export changes nothing and repeats byte for byte.
TEST(SvgTest, EightWriterFiltersByPixelCount) {
    core::BmpImage image = test::MakeImage(12, 8, [](uint32_t x, uint32_t r) {
        if (r == 2 && x >= 2 && x <= 6) return 0x00FF00u;  // 5 pixels
        if (r == 5 && x >= 2 && x <= 7) return 0xFF0A00u;  // 6 pixels
        return 0x0000FFu;
    });
    test::EightRun run = test::RunEight(image.view(), 2, 1);
    const std::vector<segment::SegmentRecord> before = run.records;
    const std::string svg = EightSvg(run.map.view(), run.table(), 5, "1.00");
    EXPECT_EQ(Count(svg, "#00FF00"), 0);
    EXPECT_EQ(Count(svg, "#FF0A00"), 1);
    EXPECT_EQ(Count(svg, "#0000FF"), 1);
    // Corners (2,5) (2,6) (8,6) (8,5) (3,5), the walk ending at the first
    // pixel's bottom-right corner; with error 5, (2,6) deviates 2*6/7 = 1 and
    // (8,5) 2*5/6 = 1: both go.
    EXPECT_NE(svg.find("<polygon fill=\"#FF0A00\" points=\" 0002,0003 0008,0002 0003,0003 \" />\r\n"),
              std::string::npos);
    EXPECT_EQ(svg, EightSvg(run.map.view(), run.table(), 5, "1.00"));
    EXPECT_EQ(std::memcmp(before.data(), run.records.data(), before.size() * sizeof(SegmentRecord)), 0);
}

// Tracing and writing again after an export gives the same file.
TEST(SvgTest, RepeatedIndexedExportIsIdentical) {
    core::BmpImage image = test::PhotoLike(120, 90, 9, 20);
    test::IndexedRun run = test::RunIndexed(image.view(), 4, 5);
    WordBuffer out;
    TraceSegments(run.map.data(), 120, 90, run.table, run.segments, run.palette, 5, out);
    const std::string first = IndexedSvg(VectorView(out.words()));
    TraceSegments(run.map.data(), 120, 90, run.table, run.segments, run.palette, 5, out);
    EXPECT_EQ(IndexedSvg(VectorView(out.words())), first);
    EXPECT_EQ(Count(first, "<polygon"), int(run.segments) + 1);
}

// The file goes beside the picture, its extension replaced by "svg".
TEST(SvgTest, FileBesideThePicture) {
    EXPECT_EQ(SvgPathFor("/photos/photo.jpg"), "/photos/photo.svg");
    EXPECT_EQ(SvgPathFor("/photos/a.b/photo"), "/photos/a.b/photo.svg");
    EXPECT_EQ(SvgPathFor("photo."), "photo.svg");
    EXPECT_EQ(SvgPathFor("/x/pic.tar.bmp"), "/x/pic.tar.svg");
    test::TempDir dir;
    // Created anew or overwritten, never appended to.
    const std::string first = SvgHeader(30, 20, "4.00") + std::string(kSvgFooter);
    const std::string second = SvgHeader(20, 20, "4.00") + std::string(kSvgFooter);
    ASSERT_TRUE(test::WriteText(dir.file("a.svg"), first));
    ASSERT_TRUE(test::WriteText(dir.file("a.svg"), second));
    const std::vector<uint8_t> bytes = test::ReadBytes(dir.file("a.svg"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), second);
    EXPECT_TRUE(test::ValidSvg(dir.file("a.svg"), 80, 80));
}

}  // namespace
}  // namespace zorva::segment
