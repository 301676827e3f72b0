// The colour-palette, segmentation, SVG export and segment-selection commands through the dispatcher and zorva-cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/ImageFiles.h"
#include "core/WorkArena.h"
#include "segment/SegmentEight.h"
#include "shell/Editor.h"
#include "shell/cli/Cli.h"
#include "shell/commands/SegmentCommands.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

using Log = std::vector<std::pair<int, std::string>>;

// ---- pictures ----

// Left half `left`, right half `right` (columns 0..w/2-1 and w/2..w-1).
core::BmpImage Halves(uint32_t width, uint32_t height, uint32_t left, uint32_t right) {
    return test::MakeImage(width, height, [=](uint32_t x, uint32_t) { return x < width / 2 ? left : right; });
}

// `count` colours that fall into different 6-bit cells, in vertical stripes one pixel wide.
core::BmpImage ManyColours(uint32_t count) {
    return test::MakeImage(count, 3,
                           [](uint32_t x, uint32_t) { return (6 * x) << 16 | (255 - 6 * x) << 8 | (37 * x % 256); });
}

// A noisy picture whose segmentations have many segments of every size.
core::BmpImage Noisy(uint32_t width, uint32_t height) {
    return test::MakeImage(width, height, [](uint32_t x, uint32_t r) {
        uint32_t h = (x * 73856093u) ^ (r * 19349663u);
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        const uint32_t base = (x / 7 + r / 5) % 3 == 0 ? 0x4080C0 : 0xC08040;
        return (base + (h & 0x0F0F0F)) & 0xFFFFFF;
    });
}

std::set<uint32_t> Colours(core::BmpView image) {
    std::set<uint32_t> colours;
    for (uint32_t r = 0; r < image.height(); ++r)
        for (uint32_t x = 0; x < image.width(); ++x) colours.insert(test::Rgb(image, x, r));
    return colours;
}

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The fixed header of both writers for a W x H picture at `scale`.
std::string SvgHeaderFor(const std::string& scale, const std::string& height1, const std::string& width1) {
    return "<?xml version=\"1.0\"?>\r"
           "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN \"\r"
           "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\r"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">\r\n"
           "<g transform=\"scale(" +
           scale + ")\" >\r\n<polygon fill=\"#808080\" points=\"0001,0001 0001," + height1 + " " + width1 + "," +
           height1 + " " + width1 + ",0001 \"/>\r\n";
}

// ---- dialog answers ----

DialogStep Trackbar(int id, int value) {
    return {DialogStep::Trackbar, id, value};
}
DialogStep Click(int id) {
    return {DialogStep::Click, id, 0};
}
const DialogStep kOk = Click(kOkId);
const DialogStep kCancel = Click(kCancelId);
const DialogStep kCloseBox = {DialogStep::CloseBox, 0, 0};

class SegmentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.reserveArena());
        editor.state().clientWidth = 200;
        editor.state().clientHeight = 150;
        host.clockStep = 7;
    }
    // Makes `image` the document as if opened from `name` in the test folder.
    void Install(core::BmpImage image, const std::string& name = "photo.jpg") {
        editor.state().currentFilePath = dir.file(name);
        editor.install(std::move(image), InstallKind::Open);
        Forget();
    }
    // Forgets what the host recorded so far.
    void Forget() {
        host.statusLog.clear();
        host.repaints = 0;
        host.dialogsRun.clear();
    }
    std::vector<uint8_t> Bytes() const {
        const core::MutableBmpView d = editor.document();
        return std::vector<uint8_t>(d.data(), d.data() + d.fileSize());
    }
    void Run(CommandId id, const std::string& dialog, DialogScript script) {
        host.scripts[dialog] = std::move(script);
        editor.dispatch(id);
    }
    void Palette(DialogScript script) { Run(CommandId::Palette, "PALITRA", std::move(script)); }
    void Segment8(int tolerance, int repetitions) {
        Run(CommandId::Segment8, "SEGMENT1", {Trackbar(kTrackbar1, tolerance), Trackbar(kTrackbar2, repetitions), kOk});
    }
    void SegmentMedian(int colours, int minimum, bool x10 = false) {
        DialogScript script{Trackbar(kTrackbar1, colours), Trackbar(kTrackbar2, minimum)};
        if (x10) script.push_back(Click(kButtonX10));
        script.push_back(kOk);
        Run(CommandId::SegmentMedianCut, "SEGMENT2", script);
    }
    // Answers whichever SVG dialog the export opens with `value` and OK.
    void Svg(int value) {
        host.scripts["SEG_MIN"] = {Trackbar(kTrackbar1, value), kOk};
        host.scripts["POGRESH"] = {Trackbar(kTrackbar1, value), kOk};
        editor.dispatch(CommandId::SvgExport);
    }
    SegmentState& seg() { return editor.state().segment; }
    uint32_t DrawColour() const {
        const EditorState& s = editor.state();
        return uint32_t(s.drawRed) << 16 | uint32_t(s.drawGreen) << 8 | s.drawBlue;
    }

    test::TempDir dir;
    test::FakeHost host;
    Editor editor{host, dir.path()};
};

// ---- colour palette (40077) ----

// Three colours in three cells survive a 3-colour palette, each with its two
// low bits cleared; a 2-colour palette merges two of them. The timing is the
// one status field written.
TEST_F(SegmentCommandsTest, PaletteRecoloursToTheRequestedNumberOfColours) {
    const auto three = [] {
        return test::MakeImage(9, 4, [](uint32_t x, uint32_t) {
            return x < 3 ? 0xFF0000 : x < 6 ? 0xC01008 : 0x0000FF;
        });
    };
    Install(three());
    Palette({Trackbar(kTrackbar1, 3), kOk});
    EXPECT_EQ(Colours(editor.document()), (std::set<uint32_t>{0xFC0000, 0xC01008, 0x0000FC}));
    EXPECT_EQ(host.statusLog, (Log{{11, "T(ms)=7"}}));
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"PALITRA"});
    EXPECT_EQ(int(seg().segmentMode), 0);
    EXPECT_GE(host.repaints, 1);

    Install(three());
    Palette({Trackbar(kTrackbar1, 2), kOk});
    EXPECT_EQ(Colours(editor.document()).size(), 2u);
    EXPECT_EQ(test::Rgb(editor.document(), 8, 0), 0x0000FCu);  // blue, the largest difference, stays apart
}

// "256" runs the palette at once with 256 colours: 40 colours all stay (only
// their low bits go), where the trackbar's largest value, 32, merges 8.
TEST_F(SegmentCommandsTest, Palette256KeepsEveryCell) {
    Install(ManyColours(40));
    Palette({Click(kButton256)});
    std::set<uint32_t> expected;
    for (uint32_t c : Colours(ManyColours(40).view())) expected.insert(c & 0xFCFCFC);
    EXPECT_EQ(Colours(editor.document()), expected);
    EXPECT_EQ(host.statusLog, (Log{{11, "T(ms)=7"}}));

    Install(ManyColours(40));
    Palette({Trackbar(kTrackbar1, 32), kOk});
    EXPECT_EQ(Colours(editor.document()).size(), 32u);
}

// "Отмена" and the close box leave the picture, the status bar and the mode
// alone; the picture is repainted and the command still releases the tool.
TEST_F(SegmentCommandsTest, PaletteCancelAndCloseBoxChangeNothing) {
    for (const DialogScript& script : {DialogScript{Trackbar(kTrackbar1, 2), kCancel}, DialogScript{kCloseBox}}) {
        Install(ManyColours(40));
        seg().segmentMode = SegmentMode::MedianCut;
        editor.state().toolMode = tool::Pencil;
        const std::vector<uint8_t> before = Bytes();
        Palette(script);
        EXPECT_TRUE(test::SameBytes(before, Bytes()));
        EXPECT_TRUE(host.statusLog.empty());
        EXPECT_EQ(int(seg().segmentMode), 3);
        EXPECT_GE(host.repaints, 1);
        EXPECT_EQ(editor.state().toolMode, tool::None);
    }
}

// The snapshot taken when PALITRA opened brings the picture back.
TEST_F(SegmentCommandsTest, UndoAfterPaletteRestoresThePicture) {
    Install(ManyColours(40));
    const std::vector<uint8_t> before = Bytes();
    Palette({Trackbar(kTrackbar1, 2), kOk});
    ASSERT_FALSE(test::SameBytes(before, Bytes()));
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SameBytes(before, Bytes()));
}

// ---- 8-connected segmentation (40021) ----

// Two flat halves: labels 1 (left, from column 1) and 2 (right); the picture
// keeps its colours; only the timing is shown; mode 1 and SegmentsReady.
TEST_F(SegmentCommandsTest, SegmentEightOnTwoHalves) {
    Install(Halves(8, 6, 0x123456, 0xABCDEF));
    const std::vector<uint8_t> before = Bytes();
    Segment8(2, 5);
    EXPECT_EQ(host.statusLog, (Log{{11, "T(ms)=7"}}));
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"SEGMENT1"});
    EXPECT_EQ(int(seg().segmentMode), 1);
    EXPECT_TRUE(editor.segmentationPresent());
    EXPECT_EQ(seg().segmentCount, 3u);
    EXPECT_TRUE(test::SameBytes(before, Bytes()));
}

// The dialog's tolerance and repetitions are the ones the scans use: the
// command paints exactly what the segment layer paints with them, and the
// default answers give another picture.
TEST_F(SegmentCommandsTest, SegmentEightUsesTheDialogValues) {
    const auto gradient = [] {
        return test::MakeImage(30, 6, [](uint32_t x, uint32_t r) { return (3 * x + r % 2) * 0x010101u; });
    };
    core::BmpImage expected = gradient();
    core::BmpImage map = core::BmpImage::Decoded(30, 6);
    std::vector<segment::SegmentRecord> records(segment::SegmentEightCapacity(30, 6));
    const segment::SegmentEightResult direct = segment::SegmentEight(expected.view(), map.view(), records, 3, 2);

    Install(gradient());
    Segment8(3, 2);
    EXPECT_TRUE(test::SamePixels(expected.view(), editor.document()));
    EXPECT_EQ(seg().segmentCount, direct.segmentCount);

    Install(gradient());
    Segment8(2, 5);
    EXPECT_FALSE(test::SamePixels(expected.view(), editor.document()));
}

// Cancel: nothing segmented, nothing shown, the picture as it was.
TEST_F(SegmentCommandsTest, SegmentEightCancelChangesNothing) {
    Install(Noisy(20, 12));
    const std::vector<uint8_t> before = Bytes();
    Run(CommandId::Segment8, "SEGMENT1", {Trackbar(kTrackbar1, 9), kCancel});
    EXPECT_TRUE(test::SameBytes(before, Bytes()));
    EXPECT_TRUE(host.statusLog.empty());
    EXPECT_FALSE(editor.segmentationPresent());
}

// The snapshot taken when SEGMENT1 opened brings the picture back.
TEST_F(SegmentCommandsTest, UndoAfterSegmentEightRestoresThePicture) {
    Install(Noisy(20, 12));
    const std::vector<uint8_t> before = Bytes();
    Segment8(4, 3);
    ASSERT_FALSE(test::SameBytes(before, Bytes()));
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SameBytes(before, Bytes()));
}

// ---- median-cut segmentation (40080) ----

// Two halves give two segments; field 11 first, then the count in field 4.
TEST_F(SegmentCommandsTest, SegmentMedianCutShowsTimeThenCount) {
    Install(Halves(8, 6, 0x000000, 0xFFFFFF));
    SegmentMedian(2, 0);
    EXPECT_EQ(host.statusLog, (Log{{11, "T(ms)=7"}, {4, "2"}}));
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"SEGMENT2"});
    EXPECT_EQ(int(seg().segmentMode), 3);
    EXPECT_EQ(seg().segmentTotal, 2u);
    EXPECT_TRUE(editor.segmentationPresent());
    // Rows 0..H-2 take the palette colours; the top row keeps its own.
    EXPECT_EQ(test::Rgb(editor.document(), 7, 0), 0xFCFCFCu);
    EXPECT_EQ(test::Rgb(editor.document(), 7, 5), 0xFFFFFFu);
}

// A 3 x 3 dark square (9 pixels) on white: kept with a minimum of 1, folded
// with 1 x10 = 10, kept again with 0 x10 = 0.
TEST_F(SegmentCommandsTest, SegmentMedianCutMinimumAndScale) {
    const auto square = [] {
        return test::MakeImage(
            12, 10, [](uint32_t x, uint32_t r) { return x >= 4 && x <= 6 && r >= 3 && r <= 5 ? 0x202020 : 0xFFFFFF; });
    };
    Install(square());
    SegmentMedian(2, 1);
    EXPECT_EQ(host.statusLog.back(), (std::pair<int, std::string>{4, "2"}));
    EXPECT_EQ(test::Rgb(editor.document(), 5, 4), 0x202020u);

    Install(square());
    SegmentMedian(2, 1, true);
    EXPECT_EQ(host.statusLog.back(), (std::pair<int, std::string>{4, "1"}));
    EXPECT_EQ(test::Rgb(editor.document(), 5, 4), 0xFCFCFCu);

    Install(square());
    SegmentMedian(2, 0, true);
    EXPECT_EQ(host.statusLog.back(), (std::pair<int, std::string>{4, "2"}));
}

// Bands red | dark red | blue (the blue band twice as wide): three colours
// give three segments; with two, the reds share one index and one segment.
TEST_F(SegmentCommandsTest, SegmentMedianCutUsesTheColourCount) {
    const auto bands = [] {
        return test::MakeImage(13, 8, [](uint32_t x, uint32_t) {
            return x < 3 ? 0xFF0000 : x < 6 ? 0xC00000 : 0x0000FF;
        });
    };
    Install(bands());
    SegmentMedian(3, 0);
    EXPECT_EQ(host.statusLog.back(), (std::pair<int, std::string>{4, "3"}));
    Install(bands());
    SegmentMedian(2, 0);
    EXPECT_EQ(host.statusLog.back(), (std::pair<int, std::string>{4, "2"}));
}

// The snapshot taken when SEGMENT2 opened brings the picture back.
TEST_F(SegmentCommandsTest, UndoAfterSegmentMedianCutRestoresThePicture) {
    Install(Noisy(20, 12));
    const std::vector<uint8_t> before = Bytes();
    SegmentMedian(4, 3);
    ASSERT_FALSE(test::SameBytes(before, Bytes()));
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SameBytes(before, Bytes()));
}

// ---- the enable rule ----

// Before any segmentation "Векторный файл .svg" and "Выбор сегмента" do
// nothing: no dialog, no file, no mode change. A segmentation enables them;
// opening another picture disables them again, and so does a cancelled one.
TEST_F(SegmentCommandsTest, SvgAndSelectionNeedASegmentation) {
    Install(Halves(8, 6, 0x000000, 0xFFFFFF));
    const auto refused = [&] {
        Forget();
        const uint16_t tool = editor.state().toolMode;
        const CommandId view = editor.state().viewMode;
        Svg(5);
        editor.dispatch(CommandId::SegmentSelect);
        EXPECT_TRUE(host.dialogsRun.empty());
        EXPECT_TRUE(host.statusLog.empty());
        EXPECT_EQ(editor.state().toolMode, tool);
        EXPECT_EQ(editor.state().viewMode, view);
        EXPECT_FALSE(std::filesystem::exists(dir.file("photo.svg")));
    };
    refused();
    Run(CommandId::Segment8, "SEGMENT1", {kCancel});
    refused();

    Segment8(2, 5);
    Forget();
    editor.dispatch(CommandId::SegmentSelect);
    EXPECT_EQ(editor.state().toolMode, tool::SegmentSelection);
    EXPECT_EQ(editor.state().viewMode, CommandId::SourceView);

    Install(Halves(8, 6, 0x000000, 0xFFFFFF));
    refused();
}

// ---- SVG export (40050) ----

// After median-cut segmentation: dialog POGRESH, the file beside the picture
// with the size-chosen scale, black then white polygon, the shared border
// corner (4,0) written once between them; worked out by hand.
TEST_F(SegmentCommandsTest, SvgAfterMedianCutWritesTheIndexedFile) {
    Install(Halves(8, 6, 0x000000, 0xFFFFFF));
    SegmentMedian(2, 0);
    Forget();
    Svg(5);
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"POGRESH"});
    EXPECT_EQ(host.statusLog, (Log{{11, "T(ms)=7"}}));
    const std::string expected = SvgHeaderFor("4.00", "0005", "0007") +
                                 "<polygon fill=\"#000000\" points=\" 0000,0006 0000,0001 0004,0001 0004,0006 "
                                 "0000,0006 \" />\r\n"
                                 "<polygon fill=\"#FCFCFC\" points=\" 0004,0006 0004,0001 0007,0001 0007,0006 "
                                 "0004,0006 \" />\r\n"
                                 " </g></svg>";
    EXPECT_EQ(ReadText(dir.file("photo.svg")), expected);
    EXPECT_EQ(editor.undoRing().index(), 1);  // only SEGMENT2's snapshot
}

// After 8-connected segmentation: dialog SEG_MIN, the scale of the view's
// zoom, the mean colour; 0 keeps every corner of the 5 x 4 segment (ending
// at the first pixel's bottom-right corner), 5 simplifies it to three.
TEST_F(SegmentCommandsTest, SvgAfterSegmentEightWritesTheLabelFile) {
    Install(test::MakeSolid(6, 5, 0x102030));
    Segment8(2, 5);
    editor.state().zoomIndex = 4;  // 200 %
    Forget();
    Svg(0);
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"SEG_MIN"});
    EXPECT_EQ(host.statusLog, (Log{{11, "T(ms)=7"}}));
    const std::string header = SvgHeaderFor("2.00", "0004", "0005");
    EXPECT_EQ(ReadText(dir.file("photo.svg")),
              header +
                  "<polygon fill=\"#102030\" points=\" 0001,0004 0001,0000 0006,0000 0006,0004 0002,0004 \" />\r\n"
                  " </g></svg>");
    Svg(5);
    EXPECT_EQ(ReadText(dir.file("photo.svg")),
              header + "<polygon fill=\"#102030\" points=\" 0001,0004 0006,0000 0002,0004 \" />\r\n </g></svg>");
}

// SEG_MIN discards segments of at most the value's pixels: the 20-pixel
// segment goes at 20 and stays at 19.
TEST_F(SegmentCommandsTest, SegMinDiscardsSmallSegments) {
    Install(test::MakeSolid(6, 5, 0x102030));
    Segment8(2, 5);
    Svg(20);
    const std::string header = SvgHeaderFor("1.00", "0004", "0005");
    EXPECT_EQ(ReadText(dir.file("photo.svg")), header + " </g></svg>");
    Svg(19);
    EXPECT_EQ(ReadText(dir.file("photo.svg")),
              header + "<polygon fill=\"#102030\" points=\" 0001,0004 0006,0000 0002,0004 \" />\r\n </g></svg>");
}

// The file is named like the picture with "svg" for its extension; a name
// without one gets ".svg", also when a folder name has a dot.
TEST_F(SegmentCommandsTest, SvgFileIsNamedLikeThePicture) {
    std::filesystem::create_directory(dir.file("dir.d"));
    for (const auto& [picture, svg] :
         std::vector<std::pair<std::string, std::string>>{{"photo.jpg", "photo.svg"},
                                                          {"noext", "noext.svg"},
                                                          {"dir.d/shot", "dir.d/shot.svg"},
                                                          {"two.dots.png", "two.dots.svg"}}) {
        Install(Halves(8, 6, 0x000000, 0xFFFFFF), picture);
        SegmentMedian(2, 0);
        Svg(5);
        EXPECT_TRUE(std::filesystem::exists(dir.file(svg))) << picture;
    }
    // The extension is replaced, never kept in front of the new one.
    EXPECT_FALSE(std::filesystem::exists(dir.file("photo.jpg.svg")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("two.dots.png.svg")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("dir.svg")));
}

// The same export twice writes the same bytes, on both paths, also after an
// export with another value in between.
TEST_F(SegmentCommandsTest, RepeatedExportIsByteIdentical) {
    Install(Noisy(64, 48));
    SegmentMedian(6, 3);
    Svg(5);
    const std::vector<uint8_t> first = test::ReadBytes(dir.file("photo.svg"));
    Svg(0);
    ASSERT_FALSE(test::SameBytes(first, test::ReadBytes(dir.file("photo.svg"))));
    Svg(5);
    EXPECT_TRUE(test::SameBytes(first, test::ReadBytes(dir.file("photo.svg"))));

    Install(Noisy(64, 48));
    Segment8(6, 2);
    Svg(3);
    const std::vector<uint8_t> eight = test::ReadBytes(dir.file("photo.svg"));
    Svg(0);
    Svg(3);
    EXPECT_TRUE(test::SameBytes(eight, test::ReadBytes(dir.file("photo.svg"))));
}

// A one-row picture has no segments: the indexed path writes no file but
// still shows its time.
TEST_F(SegmentCommandsTest, NoSegmentsNoIndexedFile) {
    Install(Halves(8, 1, 0x000000, 0xFFFFFF));
    SegmentMedian(2, 0);
    EXPECT_EQ(host.statusLog.back(), (std::pair<int, std::string>{4, "0"}));
    Forget();
    Svg(5);
    EXPECT_EQ(host.statusLog, (Log{{11, "T(ms)=7"}}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("photo.svg")));
}

// Cancelling the SVG dialog writes nothing and shows nothing.
TEST_F(SegmentCommandsTest, SvgCancelWritesNothing) {
    Install(Halves(8, 6, 0x000000, 0xFFFFFF));
    SegmentMedian(2, 0);
    Forget();
    host.scripts["POGRESH"] = {Trackbar(kTrackbar1, 3), kCancel};
    editor.dispatch(CommandId::SvgExport);
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"POGRESH"});
    EXPECT_TRUE(host.statusLog.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("photo.svg")));
}

// ---- segment selection (40046, left and right button) ----

// Entering the mode: actual-size view, ToolMode 0x2000, the palette button
// released, nothing picked (a right click then does nothing).
TEST_F(SegmentCommandsTest, EnteringSelectionMode) {
    Install(Halves(8, 6, 0x123456, 0xABCDEF));
    Segment8(2, 5);
    SegmentPickAt(editor, 5, 3);
    editor.state().palette.chosenPressed = true;
    Forget();
    editor.dispatch(CommandId::SegmentSelect);
    EXPECT_EQ(editor.state().viewMode, CommandId::SourceView);
    EXPECT_EQ(editor.state().toolMode, tool::SegmentSelection);
    EXPECT_FALSE(editor.state().palette.chosenPressed);
    EXPECT_GE(host.repaints, 1);
    const std::vector<uint8_t> before = Bytes();
    SegmentRemove(editor);
    EXPECT_TRUE(test::SameBytes(before, Bytes()));
}

// Label-image map: picking the right half shows its colour, area and number
// (fields 6, 8, 4), makes it the drawing colour and inverts exactly its
// pixels; the same pick again inverts them back.
TEST_F(SegmentCommandsTest, PickAfterSegmentEight) {
    Install(Halves(8, 6, 0x123456, 0xABCDEF));
    Segment8(2, 5);
    editor.dispatch(CommandId::SegmentSelect);
    const std::vector<uint8_t> segmented = Bytes();
    Forget();
    SegmentPickAt(editor, 5, 3);
    EXPECT_EQ(host.statusLog, (Log{{6, "ABCDEF"}, {8, "20"}, {4, "2"}}));
    EXPECT_EQ(DrawColour(), 0xABCDEFu);
    const core::MutableBmpView d = editor.document();
    for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t x = 0; x < 8; ++x) {
            const bool picked = x >= 4 && r >= 1;  // stored row 0 is unlabelled
            EXPECT_EQ(test::Rgb(d, x, r), picked ? 0x543210u : x < 4 ? 0x123456u : 0xABCDEFu) << x << "," << r;
        }
    SegmentPickAt(editor, 5, 3);
    EXPECT_TRUE(test::SameBytes(segmented, Bytes()));
}

// Picking another segment leaves the first one inverted.
TEST_F(SegmentCommandsTest, PickingAnotherSegmentKeepsTheFirstInverted) {
    Install(Halves(8, 6, 0x123456, 0xABCDEF));
    Segment8(2, 5);
    SegmentPickAt(editor, 5, 3);
    SegmentPickAt(editor, 2, 2);
    EXPECT_EQ(test::Rgb(editor.document(), 5, 3), 0x543210u);
    EXPECT_EQ(test::Rgb(editor.document(), 2, 2), 0xEDCBA9u);
    EXPECT_EQ(host.statusLog.back(), (std::pair<int, std::string>{4, "1"}));
    EXPECT_EQ(DrawColour(), 0x123456u);
}

// Pick, remove, pick again: the segment turns white, then black; the other
// half and the unlabelled row stay as they were.
TEST_F(SegmentCommandsTest, RemovePaintsThePickedSegmentWhite) {
    Install(Halves(8, 6, 0x123456, 0xABCDEF));
    Segment8(2, 5);
    SegmentPickAt(editor, 6, 4);
    SegmentRemove(editor);
    EXPECT_EQ(test::Rgb(editor.document(), 6, 4), 0xFFFFFFu);
    EXPECT_EQ(test::Rgb(editor.document(), 7, 5), 0xFFFFFFu);
    EXPECT_EQ(test::Rgb(editor.document(), 6, 0), 0xABCDEFu);
    EXPECT_EQ(test::Rgb(editor.document(), 2, 4), 0x123456u);
    Forget();
    SegmentPickAt(editor, 6, 4);
    EXPECT_EQ(test::Rgb(editor.document(), 6, 4), 0x000000u);
    EXPECT_EQ(host.statusLog, (Log{{6, "ABCDEF"}, {8, "20"}, {4, "2"}}));
}

// Clicks on unlabelled pixels (stored row 0, column 0), outside the picture,
// or before any segmentation change nothing and show nothing; bit 15 of x
// is a flag and does not move the click.
TEST_F(SegmentCommandsTest, PicksThatDoNothingAndTheFlagBit) {
    Install(Halves(8, 6, 0x123456, 0xABCDEF));
    const std::vector<uint8_t> plain = Bytes();
    SegmentPickAt(editor, 5, 3);
    EXPECT_TRUE(test::SameBytes(plain, Bytes()));
    Segment8(2, 5);
    Forget();
    for (const auto& [x, y] : std::vector<std::pair<uint32_t, uint32_t>>{{5, 0}, {0, 3}, {8, 3}, {5, 6}, {0x7FFF, 3}}) {
        SegmentPickAt(editor, x, y);
        EXPECT_TRUE(host.statusLog.empty()) << x << "," << y;
        EXPECT_TRUE(test::SameBytes(plain, Bytes())) << x << "," << y;
    }
    SegmentPickAt(editor, 0x8000 | 5, 3);
    EXPECT_EQ(host.statusLog, (Log{{6, "ABCDEF"}, {8, "20"}, {4, "2"}}));
    EXPECT_EQ(test::Rgb(editor.document(), 5, 3), 0x543210u);
}

// Indexed map: the colour is the palette colour in upper-case hexadecimal,
// the area the segment's count; the top row and the last column carry no
// segment. Remove paints the segment white and nothing else. An SVG export
// in between (its tracing rewrites parts of the segment table) changes none
// of it.
TEST_F(SegmentCommandsTest, PickAndRemoveAfterMedianCut) {
    Install(Halves(8, 6, 0x123456, 0xABCDEF));
    SegmentMedian(2, 0);
    Svg(5);
    const std::vector<uint8_t> segmented = Bytes();
    Forget();
    SegmentPickAt(editor, 7, 2);  // last column
    SegmentPickAt(editor, 5, 5);  // top row
    EXPECT_TRUE(host.statusLog.empty());
    EXPECT_TRUE(test::SameBytes(segmented, Bytes()));

    SegmentPickAt(editor, 5, 2);
    EXPECT_EQ(host.statusLog, (Log{{6, "A8CCEC"}, {8, "15"}, {4, "2"}}));
    EXPECT_EQ(DrawColour(), 0xA8CCECu);
    EXPECT_EQ(test::Rgb(editor.document(), 4, 0), 0x573313u);
    EXPECT_EQ(test::Rgb(editor.document(), 7, 0), 0xA8CCECu);  // last column: quantised, not picked
    SegmentRemove(editor);
    const core::MutableBmpView d = editor.document();
    for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t x = 0; x < 8; ++x) {
            const bool picked = x >= 4 && x <= 6 && r <= 4;
            const uint32_t expected = picked   ? 0xFFFFFFu
                                      : r == 5 ? (x < 4 ? 0x123456u : 0xABCDEFu)
                                      : x < 4  ? 0x103454u
                                               : 0xA8CCECu;
            EXPECT_EQ(test::Rgb(d, x, r), expected) << x << "," << r;
        }
}

// ---- zorva-cli ----

DecodeResult DecodeBmp(const std::string& path) {
    DecodeResult result;
    result.image = test::ReadBmp24(path);
    if (result.image) result.status = DecodeStatus::Ok;
    return result;
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class SegmentCliTest : public ::testing::Test {
protected:
    CliRun Cli(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = RunCli(args, DecodeBmp, dir.path(), out, err);
        return {status, out.str(), err.str()};
    }
    std::string Picture(const core::BmpImage& image, const std::string& name = "in.bmp") {
        const std::string path = dir.file(name);
        core::WriteImageFile(path, image.view());
        return path;
    }
    test::TempDir dir;
};

// The OPs print every status field written, FIELD<TAB>TEXT, in order.
TEST_F(SegmentCliTest, OpsPrintTheirStatusFields) {
    const std::string in = Picture(Halves(8, 6, 0x000000, 0xFFFFFF));
    const CliRun palette = Cli({"apply", in, "palette:2"});
    EXPECT_EQ(palette.status, 0);
    EXPECT_TRUE(std::regex_match(palette.out, std::regex("11\tT\\(ms\\)=[0-9]+\n"))) << palette.out;

    const CliRun segment = Cli({"apply", in, "segment:2,0", "segment8:2,5", "svg:5"});
    EXPECT_EQ(segment.status, 0) << segment.err;
    EXPECT_TRUE(std::regex_match(
        segment.out, std::regex("11\tT\\(ms\\)=[0-9]+\n4\t2\n11\tT\\(ms\\)=[0-9]+\n11\tT\\(ms\\)=[0-9]+\n")))
        << segment.out;
    EXPECT_TRUE(std::filesystem::exists(dir.file("in.svg")));
}

// "palette:256" is the "256" button: 40 colours all stay; "palette:N" is the
// trackbar and OK, never the "256" button; -o saves the result.
TEST_F(SegmentCliTest, Palette256AndOutput) {
    const std::string in = Picture(ManyColours(40));
    ASSERT_EQ(Cli({"apply", in, "-o", dir.file("out.bmp"), "palette:256"}).status, 0);
    const core::BmpImage out = test::ReadBmp24(dir.file("out.bmp"));
    ASSERT_TRUE(out);
    std::set<uint32_t> expected;
    for (uint32_t c : Colours(ManyColours(40).view())) expected.insert(c & 0xFCFCFC);
    EXPECT_EQ(Colours(out.view()), expected);
    ASSERT_EQ(Cli({"apply", in, "-o", dir.file("out8.bmp"), "palette:8"}).status, 0);
    EXPECT_EQ(Colours(test::ReadBmp24(dir.file("out8.bmp")).view()).size(), 8u);
}

// The OPs answer the dialogs exactly as a user would: the CLI's picture and
// SVG file equal those of the same answers given through the dispatcher.
TEST_F(SegmentCliTest, OpsMatchTheDialogRoute) {
    const core::BmpImage picture = Noisy(40, 30);
    const std::string in = Picture(picture);
    for (const std::vector<std::string>& ops :
         {std::vector<std::string>{"segment:5,2,x10", "svg:3"}, std::vector<std::string>{"segment8:3,4", "svg:7"}}) {
        std::vector<std::string> args{"apply", in, "-o", dir.file("out.bmp")};
        args.insert(args.end(), ops.begin(), ops.end());
        ASSERT_EQ(Cli(args).status, 0);

        test::TempDir undo;
        test::FakeHost host;
        Editor editor(host, undo.path());
        ASSERT_TRUE(editor.reserveArena());
        editor.state().currentFilePath = dir.file("route.bmp");
        editor.install(test::ReadBmp24(in), InstallKind::Open);
        if (ops[0][7] == '8') {
            host.scripts["SEGMENT1"] = {Trackbar(kTrackbar1, 3), Trackbar(kTrackbar2, 4), kOk};
            editor.dispatch(CommandId::Segment8);
            host.scripts["SEG_MIN"] = {Trackbar(kTrackbar1, 7), kOk};
        } else {
            host.scripts["SEGMENT2"] = {Trackbar(kTrackbar1, 5), Trackbar(kTrackbar2, 2), Click(kButtonX10), kOk};
            editor.dispatch(CommandId::SegmentMedianCut);
            host.scripts["POGRESH"] = {Trackbar(kTrackbar1, 3), kOk};
        }
        editor.dispatch(CommandId::SvgExport);
        EXPECT_TRUE(test::SamePixels(editor.document(), test::ReadBmp24(dir.file("out.bmp")).view())) << ops[0];
        EXPECT_TRUE(test::SameBytes(test::ReadBytes(dir.file("route.svg")), test::ReadBytes(dir.file("in.svg"))))
            << ops[0];
    }
}

// Malformed arguments are usage errors: exit 2, the usage text naming the
// four OPs, nothing run and nothing written.
TEST_F(SegmentCliTest, MalformedArgumentsAreUsageErrors) {
    const std::string in = Picture(Halves(8, 6, 0x000000, 0xFFFFFF));
    for (const char* op :
         {"palette",      "palette:",       "palette:1",     "palette:33",     "palette:255",     "palette:2,3",
          "palette:x",    "palette: 8",     "segment8",      "segment8:2",     "segment8:0,5",    "segment8:26,1",
          "segment8:2,0", "segment8:2,5,1", "segment8:2,,5", "segment",        "segment:2",       "segment:1,5",
          "segment:33,5", "segment:2,51",   "segment:2,-1",  "segment:2,5,x5", "segment:2,5,X10", "segment:2,5,x10,1",
          "svg",          "svg:",           "svg:51",        "svg:-1",         "svg:5,5",         "svg:5x"}) {
        const CliRun run = Cli({"apply", in, "-o", dir.file("o.bmp"), "segment:2,0", op});
        EXPECT_EQ(run.status, 2) << op;
        EXPECT_TRUE(run.out.empty()) << op;
        // One line naming the OP and what is wrong with it.
        EXPECT_EQ(run.err.rfind(std::string(op) + ": ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("in.svg")));
}

}  // namespace
}  // namespace zorva::shell
