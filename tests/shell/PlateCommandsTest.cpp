// The plate commands through the dispatcher, the folder report byte for byte, and zorva-cli's plate verbs.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "core/ImageFiles.h"
#include "effects/Resample.h"
#include "recognize/PlateTurns.h"
#include "shell/Editor.h"
#include "shell/cli/Cli.h"
#include "shell/commands/PlateCommands.h"
#include "shell/commands/SegmentCommands.h"
#include "tests/recognize/PlateTestSupport.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

namespace fs = std::filesystem;

std::string Photo(const std::string& name) {
    return test::SourceDir() + "/tests/samples/plates/" + name;
}

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The report's fixed lines in Windows-1251.
const std::string kHeader =
    " \xCD\xEE\xEC\xE5\xF0       \xD4\xE0\xE9\xEB       \xCD\xE5\xF1\xEE\xE2\xEF\xE0\xE4\xE5\xED\xE8\xE5\r\n";
std::string Totals(const std::array<const char*, 7>& counts) {
    const std::array<std::string, 7> labels = {
        "  \xC2\xF1\xE5\xE3\xEE \xF4\xEE\xF2\xEE:",        // "  Всего фото:"
        "  \xD0\xE0\xF1\xEF\xEE\xE7\xED\xE0\xED\xEE:",     // "  Распознано:"
        "  \xCD\xE5\xF2 \xED\xEE\xEC\xE5\xF0\xE0:",        // "  Нет номера:"
        "\xCD\xEE\xEC\xE5\xF0 \xED\xE5 \xF2\xE0\xEC:",     // "Номер не там:"
        "1\xED\xE5\xF1\xF0\xE0\xE2\xED\xE5\xED\xE8\xE5:",  // "1несравнение:"
        "2\xED\xE5\xF1\xF0\xE0\xE2\xED\xE5\xED\xE8\xFF:",  // "2несравнения:"
        "3\xED\xE5\xF1\xF0\xE0\xE2\xED\xE5\xED\xE8\xFF:",  // "3несравнения:"
    };
    std::string text;
    for (size_t i = 0; i < 7; ++i) text += labels[i] + " " + counts[i] + "   \r\n";
    return text;
}

// ---- the report ----

// The marks of the report's own examples, each line 31 bytes: an eight-
// character plate with the "*" of column 8 (one mismatch), a nine-character
// hit, no plate, a "K" read as "H"; then four and more mismatches, a name
// cut to 13 characters, a Cyrillic name and one the code page lacks.
TEST(PlateReportTest, LinesMarksAndTotalsByteForByte) {
    PlateReport report;
    report.add("A123BC77* ", "A123BC77.jpg");
    report.add("A123BC777 ", "A123BC777.jpg");
    report.add("********  ", "A123BC77.jpg");
    report.add("H123BC777 ", "K123BC777.jpg");
    report.add("B999XX99  ", "A123BC777.jpg");
    report.add("A123BC77  ", "A123BC77-second-photo.jpg");
    report.add("A123BC77  ", "Номер.jpeg");
    report.add("A123BC77  ", "车.JPG");
    report.add("A123BH77  ", "A123BC79.jpg");
    report.add("E154KO41  ", "E154KO41\r\nx\t.jpg");  // a line break in a name stays within its line
    const std::string expected = kHeader +
                                 "A123BC77* A123BC77.jpg      1\r\n"
                                 "A123BC777 A123BC777.jpg    ++\r\n"
                                 "********  A123BC77.jpg     --\r\n"
                                 "H123BC777 K123BC777.jpg    $1\r\n"
                                 "B999XX99  A123BC777.jpg    #9\r\n"
                                 "A123BC77  A123BC77-seco     1\r\n"  // "-" against the space of column 8
                                 "A123BC77  \xCD\xEE\xEC\xE5\xF0.jpeg       #6\r\n"
                                 "A123BC77  ?.JPG             2\r\n"
                                 "A123BH77  A123BC79.jpg      2\r\n"
                                 "E154KO41  E154KO41??x?.     1\r\n" +
                                 Totals({"0010", "0001", "0001", "0002", "0004", "0002", "0000"});
    EXPECT_EQ(report.text(), expected);
    EXPECT_EQ(expected.find("\r\n") + 2, 38u);
    EXPECT_EQ(report.totals().photos, 10u);
}

// Counters past four digits take the digits they need.
TEST(PlateReportTest, CountsBeyondFourDigitsWiden) {
    PlateReport report;
    for (int i = 0; i < 10000; ++i) report.add("********  ", "x.jpg");
    const std::string text = report.text();
    const std::string totals = text.substr(text.size() - 5 * 23 - 2 * 24);
    EXPECT_EQ(totals.substr(0, 24), "  \xC2\xF1\xE5\xE3\xEE \xF4\xEE\xF2\xEE: 10000   \r\n");
    EXPECT_EQ(totals.substr(24 + 23, 24), "  \xCD\xE5\xF2 \xED\xEE\xEC\xE5\xF0\xE0: 10000   \r\n");
}

// ---- the commands ----

class PlateCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.reserveArena());
        editor.loadSymbolBases(test::SourceDir() + "/data/bases");
        host.clockStep = 5;
    }
    void Open(const std::string& path) {
        editor.state().currentFilePath = path;
        ASSERT_TRUE(editor.loadDocument(path, InstallKind::Open));
        host.statusLog.clear();
        host.messages.clear();
    }
    // A character the run painted red can be picked as a segment of the
    // segmentation it left.
    void PickARedCharacter() {
        const core::MutableBmpView doc = editor.document();
        uint32_t x = 0, r = 0;
        while (r < doc.height() && doc.at(x, r) != recognize::kPlateInk)
            if (++x == doc.width()) x = 0, ++r;
        ASSERT_LT(r, doc.height());
        editor.dispatch(CommandId::SegmentSelect);
        SegmentPickAt(editor, x, r);
        EXPECT_NE(editor.segments().selected, 0u);
    }
    test::TempDir dir;
    test::FakeHost host;
    Editor editor{host, dir.path()};
};

// The command reads what the recognition reads on its own buffers, on every
// photo of the corpus: the arena's places for map, table and VectorData
// change nothing. What the picture shows is the run's data: the grey
// luminance with the separators wherever no character was read, the
// characters of the final map in kPlateInk inside the region.
TEST_F(PlateCommandsTest, SameResultAsTheDirectRouteOnEveryCorpusPhoto) {
    test::PlateRunner runner;
    for (const fs::directory_entry& e : fs::directory_iterator(test::SourceDir() + "/tests/samples/plates")) {
        if (e.path().extension() != ".jpg") continue;
        Open(e.path().string());
        const core::BmpImage photo = test::ReadJpeg(e.path().string());
        const recognize::PlateResult direct = runner.run(photo.view());
        // The command's check reads the store's map and table, and the photo
        // as read, as the direct route's check reads the runner's.
        recognize::PlateCheckInput input{runner.map.data(), photo.view().width(), runner.table};
        input.photo = photo.view();
        recognize::CheckedPlate checked = recognize::CheckPlate(direct, input);
        // Where the check finds no plate, the photo is read turned.
        if (checked.text == recognize::kPlateNotRead) {
            core::BmpImage turned = test::ReadJpeg(e.path().string());
            const std::optional<recognize::TurnedPlate> read = recognize::ReadTurnedPlate(
                photo.view(), turned.view(), runner.buffers(photo.view().width(), photo.view().height()),
                test::ShippedBases());
            if (read) checked = read->read;
        }
        if (!recognize::IsPlateText(e.path().stem().string())) {
            EXPECT_EQ(checked.text, "********  ") << e.path();
        }
        editor.dispatch(CommandId::PlateHere);
        EXPECT_EQ(editor.state().statusText[status::Result], checked.text) << e.path();
        EXPECT_EQ(editor.state().lastReading.by, PlateStageName(checked.stage)) << e.path();
        Open(e.path().string());
        editor.dispatch(CommandId::PlateStrict);
        EXPECT_EQ(editor.state().statusText[status::Result], direct.text) << e.path();
        EXPECT_EQ(editor.state().lastReading.by, "part") << e.path();
        const core::BmpView shown = editor.document();
        if (!direct.found) {
            EXPECT_TRUE(test::SamePixels(photo.view(), shown)) << e.path();
            continue;
        }
        const uint32_t w = shown.width();
        uint32_t red = 0;
        for (uint32_t y = 0; y < shown.height(); ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t grey = effects::RecordLuma(runner.means[size_t(y) * w + x]);
                const uint32_t c = shown.at(x, y);
                if (c == recognize::kPlateInk)
                    ++red;
                else
                    ASSERT_EQ(c, grey * 0x010101u) << e.path() << " at " << x << "," << y;
            }
        EXPECT_EQ(red, direct.painted ? runner.characterPixels(direct, w, shown.height()) : 0u) << e.path();
    }
}

// Field 9 first, then time, segment count and result; ToolMode 0, the palette
// button released; undo brings the photo back. The last pass's segmentation
// stays: a red character can be picked as a segment, and the SVG export
// writes its file beside the photo.
TEST_F(PlateCommandsTest, StatusFieldsUndoAndTheSegmentationLeft) {
    fs::copy_file(Photo("E154KO41.jpg"), dir.file("E154KO41.jpg"));
    Open(dir.file("E154KO41.jpg"));
    const core::BmpImage before = test::ReadJpeg(dir.file("E154KO41.jpg"));
    editor.state().toolMode = 0x10;
    editor.state().palette.chosenPressed = true;
    editor.dispatch(CommandId::PlateHere);
    ASSERT_EQ(host.statusLog.size(), 4u);
    EXPECT_EQ(host.statusLog[0], std::make_pair(int(status::ResultLabel), std::string("Авто номер")));
    EXPECT_EQ(host.statusLog[1], std::make_pair(int(status::Elapsed), std::string("T(ms)=5")));
    EXPECT_EQ(host.statusLog[2],
              std::make_pair(int(status::Segment), std::to_string(editor.state().segment.segmentTotal)));
    EXPECT_EQ(host.statusLog[3], std::make_pair(int(status::Result), std::string("E154KO41  ")));
    EXPECT_EQ(editor.state().toolMode, 0);
    EXPECT_FALSE(editor.state().palette.chosenPressed);
    EXPECT_EQ(editor.state().segment.vectorFlags, 1);

    PickARedCharacter();

    host.scripts["POGRESH"] = {{DialogStep::Trackbar, kTrackbar1, 2}, {DialogStep::Click, kOkId, 0}};
    editor.dispatch(CommandId::SvgExport);
    EXPECT_EQ(host.dialogsRun.back(), "POGRESH");
    EXPECT_NE(ReadText(dir.file("E154KO41.svg")).find("<svg"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());

    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SamePixels(before.view(), editor.document()));
}

// A plate turned further than the reading looks for: the reading alone finds
// none, the check reads it on the photo turned back, whole and as the
// upright photo reads. The picture shows that run (the turned photo in grey,
// its characters red, picked as segments); undo brings the photo back. A
// picture without a plate at any turn stays as it was, and the segmentation
// left is its own reading's.
TEST_F(PlateCommandsTest, APlateTurnedTooFarIsReadTurnedBack) {
    const core::BmpImage upright = test::ReadJpeg(Photo("E154KO41.jpg"));
    core::BmpImage leaning = test::ReadJpeg(Photo("E154KO41.jpg"));
    effects::TurnAboutCentre(upright.view(), leaning.view(), 17, 0x80);
    ASSERT_TRUE(core::WriteImageFile(dir.file("leaning.bmp"), leaning.view()));
    Open(dir.file("leaning.bmp"));
    editor.dispatch(CommandId::PlateStrict);
    EXPECT_EQ(editor.state().statusText[status::Result], "********  ");
    Open(dir.file("leaning.bmp"));
    editor.dispatch(CommandId::PlateHere);
    EXPECT_EQ(editor.state().statusText[status::Result], "E154KO41  ");
    EXPECT_EQ(editor.state().lastReading.by, "checked");
    PickARedCharacter();
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SamePixels(leaning.view(), editor.document()));

    // The segmentation a reading leaves: its map and the records it used.
    const auto segmentation = [this] {
        const segment::SegmentStore& store = editor.segments();
        const uint32_t* map = store.indexedMap();
        const size_t words = size_t(editor.document().width()) * editor.document().height();
        std::vector<uint32_t> kept(map, map + words);
        for (const segment::IndexedSegmentRecord& r : store.indexedRecords())
            kept.insert(kept.end(), {r.value, r.count, r.firstPixel, r.link});
        return kept;
    };
    Open(Photo("nothing-1.jpg"));
    editor.dispatch(CommandId::PlateStrict);
    const std::string strictSegments = editor.state().statusText[status::Segment];
    const std::vector<uint32_t> strictSegmentation = segmentation();
    Open(Photo("nothing-1.jpg"));
    editor.dispatch(CommandId::PlateHere);
    EXPECT_EQ(editor.state().statusText[status::Result], "********  ");
    EXPECT_EQ(editor.state().statusText[status::Segment], strictSegments);
    EXPECT_EQ(editor.state().segment.segmentTotal, std::stoul(strictSegments));
    EXPECT_TRUE(segmentation() == strictSegmentation);
    EXPECT_TRUE(test::SamePixels(test::ReadJpeg(Photo("nothing-1.jpg")).view(), editor.document()));
}

// The folder of the current file: ".jpg" and ".jpeg" in any case, in folder
// order; a file that cannot be loaded is told and gets a line without a
// plate, never the previous photo's reading; other files and folders are
// left alone. The last photo stays, with its undo step; the report lands.
class PlateFolderTest : public PlateCommandsTest {
protected:
    void SetUp() override {
        PlateCommandsTest::SetUp();
        fs::copy_file(Photo("E154KO41.jpg"), photos.file("E154KO41.jpg"));
        fs::copy_file(Photo("Y809EE03.jpg"), photos.file("Y809EE03.JPEG"));
        fs::copy_file(Photo("nothing-1.jpg"), photos.file("A-nothing.jpg"));
        test::WriteText(photos.file("broken.jpg"), "not a picture");
        core::WriteImageFile(photos.file("start.png"), test::MakeSolid(40, 30, 0x808080).view());
        fs::create_directory(photos.file("album.jpg"));
        Open(photos.file("start.png"));
    }
    test::TempDir photos;
};

TEST_F(PlateFolderTest, ReadsEveryPhotoAndWritesTheReport) {
    editor.dispatch(CommandId::PlatesFolder);
    EXPECT_EQ(ReadText(photos.file("1avto_num.txt")),
              kHeader +
                  "********  A-nothing.jpg    --\r\n"
                  "********  broken.jpg       --\r\n"
                  "E154KO41  E154KO41.jpg     ++\r\n"
                  "Y809EE03  Y809EE03.JPEG    ++\r\n" +
                  Totals({"0004", "0002", "0002", "0000", "0000", "0000", "0000"}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Не может загрузить файл");
    EXPECT_EQ(editor.state().currentFilePath, photos.file("Y809EE03.JPEG"));
    const core::BmpImage last = test::ReadJpeg(photos.file("Y809EE03.JPEG"));
    EXPECT_FALSE(test::SamePixels(last.view(), editor.document()));  // grey, the characters red
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SamePixels(last.view(), editor.document()));
}

// Progress comes before and after every photo; the host's "stop" ends the
// run once the current photo is done, and an old report stays as it was.
// An unsaved change is asked about before the first photo replaces it.
TEST_F(PlateFolderTest, ProgressAndCancel) {
    using P = test::FakeHost::Progress;
    test::WriteText(photos.file("1avto_num.txt"), "old report");
    editor.dispatch(CommandId::Negative);  // an unsaved change
    host.changeAnswers = {SaveChoice::Cancel};
    editor.dispatch(CommandId::PlatesFolder);
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_TRUE(host.progress.empty());
    EXPECT_EQ(editor.state().currentFilePath, photos.file("start.png"));

    host.stopAfter = 3;  // Отмена while the second photo is read
    editor.dispatch(CommandId::PlatesFolder);
    EXPECT_EQ(host.questions.size(), 2u);  // Нет this time
    EXPECT_EQ(host.progress, (std::vector<P>{{1, 4, false}, {1, 4, true}, {2, 4, false}}));
    EXPECT_EQ(ReadText(photos.file("1avto_num.txt")), "old report");
    EXPECT_EQ(editor.state().currentFilePath, photos.file("A-nothing.jpg"));  // the last photo loaded stays

    host.progress.clear();
    host.stopAfter.reset();
    editor.dispatch(CommandId::PlatesFolder);
    ASSERT_EQ(host.progress.size(), 8u);
    EXPECT_EQ(host.progress.back(), (P{4, 4, true}));
    EXPECT_NE(ReadText(photos.file("1avto_num.txt")), "old report");
}

TEST_F(PlateFolderTest, NoPhotosOrNoRoomForTheReport) {
    fs::create_directory(photos.file("1avto_num.txt"));  // a folder where the report goes
    editor.dispatch(CommandId::PlatesFolder);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().text, "Нельзя записать файл");
    EXPECT_TRUE(fs::is_directory(photos.file("1avto_num.txt")));

    test::TempDir empty;
    core::WriteImageFile(empty.file("a.bmp"), test::MakeSolid(40, 30, 0x808080).view());
    Open(empty.file("a.bmp"));
    editor.dispatch(CommandId::PlatesFolder);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Нет Файлов изображения");
    EXPECT_EQ(host.messages[0].caption, "");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
    EXPECT_FALSE(fs::exists(empty.file("1avto_num.txt")));

    // A folder that cannot be listed says so, not that it holds no photos.
    host.messages.clear();
    host.lister = [](const std::string&) { return std::optional<std::vector<std::string>>(); };
    editor.dispatch(CommandId::PlatesFolder);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Нет доступа к папке");
}

// ---- zorva-cli ----

DecodeResult Decode(const std::string& path) {
    DecodeResult result;
    result.image = test::ReadJpeg(path);
    if (result.image) result.status = DecodeStatus::Ok;
    return result;
}

// plate: a line per picture, name, tab, result field. plates: a progress
// line per photo on stderr, the report in the folder and its path on
// stdout; a photo that cannot be loaded is named, and the run ends in 1.
TEST(PlateCli, PlateAndPlatesVerbs) {
    test::TempDir dir, photos;
    const std::string bases = test::SourceDir() + "/data/bases";
    auto cli = [&](std::vector<std::string> args, std::string& out, std::string& err) {
        std::ostringstream o, e;
        const int status = RunCli(args, Decode, dir.path(), o, e, bases);
        out = o.str();
        err = e.str();
        return status;
    };
    std::string out, err;
    ASSERT_EQ(cli({"plate", Photo("E154KO41.jpg"), Photo("nothing-2.jpg")}, out, err), 0);
    EXPECT_EQ(out, Photo("E154KO41.jpg") + "\tE154KO41  \tpart\n" + Photo("nothing-2.jpg") + "\t********  \tpart\n");

    fs::copy_file(Photo("E154KO41.jpg"), photos.file("E154KO41.jpg"));
    fs::copy_file(Photo("nothing-2.jpg"), photos.file("nothing-2.jpg"));
    ASSERT_EQ(cli({"plates", photos.path()}, out, err), 0);
    EXPECT_EQ(out, photos.path() + "/1avto_num.txt\n");
    EXPECT_TRUE(std::regex_match(err, std::regex("photo 1 of 2: [0-9.]+ s elapsed, about [0-9]+ s left: E154KO41.jpg\n"
                                                 "photo 2 of 2: [0-9.]+ s elapsed, about 0 s left: nothing-2.jpg\n")))
        << err;
    EXPECT_EQ(ReadText(photos.file("1avto_num.txt")).substr(38, 31), "E154KO41  E154KO41.jpg     ++\r\n");

    test::WriteText(photos.file("bad.jpg"), "no");
    EXPECT_EQ(cli({"plates", photos.path()}, out, err), 1);
    EXPECT_NE(err.find(photos.path() + "/bad.jpg: Не может загрузить файл\n"), std::string::npos) << err;
    EXPECT_EQ(cli({"plates", photos.file("none")}, out, err), 1);
    EXPECT_EQ(err, photos.file("none") + ": no such folder\n");
}

}  // namespace
}  // namespace zorva::shell
