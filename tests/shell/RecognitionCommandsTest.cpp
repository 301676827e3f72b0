// Creating a base, comparing with a base and the colour report, through the dispatcher and zorva-cli.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "core/ImageFiles.h"
#include "shell/Editor.h"
#include "shell/cli/Cli.h"
#include "shell/commands/RecognitionCommands.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

// Three dark silhouettes on white, 40 x 20: an L (columns 26..35 of rows
// 2..4 and columns 26..28 up to row 14; outline 2 x (10 + 13) = 46), a 6 x 10
// bar at rows 3..12 (32) and a 7 x 7 square at rows 5..11 (28). Segments
// are numbered by their first pixel, bottom row first: L 2, bar 3, square 4.
bool InL(uint32_t x, uint32_t r) {
    return (x >= 26 && x <= 35 && r >= 2 && r <= 4) || (x >= 26 && x <= 28 && r >= 2 && r <= 14);
}
bool InBar(uint32_t x, uint32_t r) {
    return x >= 3 && x <= 8 && r >= 3 && r <= 12;
}
bool InSquare(uint32_t x, uint32_t r) {
    return x >= 14 && x <= 20 && r >= 5 && r <= 11;
}
core::BmpImage Silhouettes(bool l = true, bool bar = true, bool square = true) {
    return test::MakeImage(40, 20, [=](uint32_t x, uint32_t r) {
        return (l && InL(x, r)) || (bar && InBar(x, r)) || (square && InSquare(x, r)) ? 0x000000u : 0xFFFFFFu;
    });
}

// The report's Cyrillic words in Windows-1251.
const std::string kSegmentWord = "\xF1\xE5\xE3\xEC\xE5\xED\xF2";  // сегмент
const std::string kErrorWord = "\xCF\xEE\xE3\xF0\xE5\xF8=";       // Погреш=
const std::string kLengthWord = "\xC4\xEB\xE8\xED\xE0=";          // Длина=

std::string ReportLines(const std::string& number, const std::string& symbol, const std::string& distance,
                        const std::string& length) {
    return "\r\n" + kSegmentWord + number + "    " + std::string(30, '#') + "\r\n" + symbol + "  " + kErrorWord +
           distance + " " + kLengthWord + length + " \r\n";
}

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class RecognitionCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.reserveArena());
        host.clockStep = 3;
    }
    void Install(core::BmpImage image, const std::string& path) {
        editor.state().currentFilePath = path;
        editor.install(std::move(image), InstallKind::Open);
        host.statusLog.clear();
        host.messages.clear();
    }
    // The base made from the three silhouettes, installed as base k.
    void LoadSilhouetteBase(int k) {
        Install(Silhouettes(), dir.file("sil.bmp"));
        editor.dispatch(CommandId::MakeBase);
        std::filesystem::copy_file(dir.file("sil.zdb"), bases.file(recognize::BaseFileName(k)));
        editor.loadSymbolBases(bases.path());
    }

    test::TempDir dir;
    test::TempDir bases;
    test::FakeHost host;
    Editor editor{host, dir.path()};
};

// Three silhouettes give three records of 512 bytes (segments 2..4): the
// segment field holds n - 1, the last 220 bytes are zero; field 4 shows the
// segment count and the SVG lands beside the picture. Undo brings the
// picture back.
TEST_F(RecognitionCommandsTest, MakeBaseWritesOneRecordPerSilhouette) {
    Install(Silhouettes(), dir.file("sil.bmp"));
    editor.dispatch(CommandId::MakeBase);
    const std::vector<uint8_t> base = test::ReadBytes(dir.file("sil.zdb"));
    ASSERT_EQ(base.size(), 3u * 512);
    for (uint32_t i = 0; i < 3; ++i) {
        const uint8_t* record = base.data() + 512 * i;
        EXPECT_EQ(record[288] | record[289] << 8, int(i + 1));
        EXPECT_EQ(std::count(record + 292, record + 512, 0), 220);
    }
    EXPECT_TRUE(std::filesystem::exists(dir.file("sil.svg")));
    EXPECT_EQ(host.statusLog, (std::vector<std::pair<int, std::string>>{{status::Segment, "4"}}));
    EXPECT_TRUE(host.messages.empty());
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SamePixels(Silhouettes().view(), editor.document()));
}

// Comparing the silhouettes a base was made from finds each one at distance
// 0, numbered from 0002, with its outline length; a picture of one of the
// shapes alone writes one pair of lines (segment 2). The time comes first,
// then the segment count; the comparison's own snapshot lets undo restore.
TEST_F(RecognitionCommandsTest, CompareFindsTheSilhouettesOfItsBase) {
    LoadSilhouetteBase(1);
    Install(Silhouettes(), dir.file("photo.bmp"));
    editor.dispatch(CommandId::CompareBase1);
    EXPECT_EQ(ReadText(dir.file("photo_SB.txt")), ReportLines("0002", "1", "00000000", "0000002E") +
                                                      ReportLines("0003", "2", "00000000", "00000020") +
                                                      ReportLines("0004", "3", "00000000", "0000001C"));
    ASSERT_EQ(host.statusLog.size(), 2u);
    EXPECT_EQ(host.statusLog[0], std::make_pair(int(status::Elapsed), std::string("T(ms)=3")));
    EXPECT_EQ(host.statusLog[1], std::make_pair(int(status::Segment), std::string("4")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("photo.svg")));
    editor.dispatch(CommandId::Undo);
    EXPECT_TRUE(test::SamePixels(Silhouettes().view(), editor.document()));

    Install(Silhouettes(false, true, false), dir.file("one.bmp"));
    editor.dispatch(CommandId::CompareBase1);
    EXPECT_EQ(ReadText(dir.file("one_SB.txt")), ReportLines("0002", "2", "00000000", "00000020"));
}

// Against an empty base no record is named: "*" and the search's starting
// distance. A report that cannot be written is told, after the picture was
// segmented and the fields written all the same.
TEST_F(RecognitionCommandsTest, EmptyBaseAndUnwritableReport) {
    Install(Silhouettes(false, true, false), dir.file("one.bmp"));
    editor.dispatch(CommandId::CompareBase2);
    EXPECT_EQ(ReadText(dir.file("one_SB.txt")), ReportLines("0002", "*", "7FFFFFFF", "00000020"));

    Install(Silhouettes(), dir.file("gone/photo.bmp"));
    editor.dispatch(CommandId::CompareBase3);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Нельзя записать файл");
    EXPECT_EQ(host.statusLog.back(), std::make_pair(int(status::Segment), std::string("4")));
    EXPECT_TRUE(editor.segmentationPresent());
    editor.dispatch(CommandId::MakeBase);
    EXPECT_EQ(host.messages.size(), 2u);
}

// Segment numbers past 9999 take the digits they need.
TEST_F(RecognitionCommandsTest, WideSegmentNumbersAreNotCut) {
    const recognize::SegmentComparison found[] = {{12345, 7, recognize::Match{0, 1}}};
    const std::string report = ComparisonReport(found, 1);
    EXPECT_NE(report.find("сегмент12345    #"), std::string::npos);
    EXPECT_EQ(BesideThePicture("/a.b/photo", "_SB.txt"), "/a.b/photo_SB.txt");
    EXPECT_EQ(BesideThePicture("/a/photo.jpeg", ".zdb"), "/a/photo.zdb");
}

// The colour report of a pure red picture: E00000, H 00, S E0, V E0, every
// pixel counted, then 31 zero lines; of a grey picture 32 zero lines.
TEST_F(RecognitionCommandsTest, ColourReports) {
    const std::string zero = "000000\"\"\"\"000000\"\"\"\"00000000\"\"\r\n";
    std::string expected = "E00000\"\"\"\"00E0E0\"\"\"\"000000C8\"\"\r\n";
    for (int i = 1; i < 32; ++i) expected += zero;
    Install(test::MakeSolid(20, 10, 0xFF0000), dir.file("red.png"));
    editor.dispatch(CommandId::ObjectColours);
    EXPECT_EQ(ReadText(dir.file("red.txt")), expected);
    EXPECT_TRUE(host.statusLog.empty());
    EXPECT_EQ(test::Rgb(editor.document(), 11, 9), 0xE00000u);  // the strip: 200 >> 4 = 12 columns
    EXPECT_EQ(test::Rgb(editor.document(), 12, 9), 0xFF1F1Fu);
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(test::Rgb(editor.document(), 0, 0), 0xFF0000u);

    Install(test::MakeSolid(5, 5, 0x777777), dir.file("grey"));
    editor.dispatch(CommandId::ObjectColours);
    std::string zeros;
    for (int i = 0; i < 32; ++i) zeros += zero;
    EXPECT_EQ(ReadText(dir.file("grey.txt")), zeros);
}

// ---- symbol bases at start-up ----

// Files of 1536 and 1600 bytes both load 3 records (a partial tail is
// ignored); only the missing base is told.
TEST(SymbolBaseFiles, WholeRecordsLoad) {
    test::TempDir dir;
    test::FakeHost host;
    Editor editor(host, dir.path());
    test::WriteBytes(dir.file("BazaDan1.zdb"), std::vector<uint8_t>(1536, 1));
    test::WriteBytes(dir.file("BazaDan3.zdb"), std::vector<uint8_t>(1600, 2));
    editor.loadSymbolBases(dir.path());
    EXPECT_EQ(editor.symbolBases()[0].count, 3u);
    EXPECT_EQ(editor.symbolBases()[2].count, 3u);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "База символов BazaDan2.zdb не загружена!");
}

// ---- zorva-cli ----

DecodeResult DecodeBmp(const std::string& path) {
    DecodeResult result;
    result.image = test::ReadBmp24(path);
    if (result.image) result.status = DecodeStatus::Ok;
    return result;
}

// make-base, compare and colours write what the commands write, through the
// same dispatcher: the base of the CLI compares as the editor's does.
TEST(RecognitionCli, VerbsWriteBesideThePicture) {
    test::TempDir dir;
    const std::string in = dir.file("sil.bmp");
    core::WriteImageFile(in, Silhouettes().view());
    auto cli = [&](std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
        std::ostringstream o, e;
        const int status = RunCli(args, DecodeBmp, dir.path(), o, e, dir.path());
        if (out) *out = o.str();
        if (err) *err = e.str();
        return status;
    };
    std::string out, err;
    ASSERT_EQ(cli({"make-base", in}, &out), 0);
    EXPECT_EQ(out, "4\t4\n");
    EXPECT_EQ(test::ReadBytes(dir.file("sil.zdb")).size(), 1536u);

    std::filesystem::copy_file(dir.file("sil.zdb"), dir.file("BazaDan2.zdb"));
    ASSERT_EQ(cli({"compare", in, "2"}, &out, &err), 0);
    EXPECT_TRUE(std::regex_match(out, std::regex("11\tT\\(ms\\)=[0-9]+\n4\t4\n"))) << out;
    // Only the base the job reads is loaded: the missing others are not its concern.
    EXPECT_EQ(err, "");
    EXPECT_EQ(ReadText(dir.file("sil_SB.txt")), ReportLines("0002", "A", "00000000", "0000002E") +
                                                    ReportLines("0003", "B", "00000000", "00000020") +
                                                    ReportLines("0004", "C", "00000000", "0000001C"));
    const std::string viaApply = ReadText(dir.file("sil_SB.txt"));
    std::filesystem::remove(dir.file("sil_SB.txt"));
    ASSERT_EQ(cli({"apply", in, "compare:2"}), 0);
    EXPECT_EQ(ReadText(dir.file("sil_SB.txt")), viaApply);

    ASSERT_EQ(cli({"colours", in, "-o", dir.file("out.bmp")}, &out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(test::ReadBytes(dir.file("sil.txt")).size(), 32u * 32);
    EXPECT_TRUE(test::ReadBmp24(dir.file("out.bmp")));

    EXPECT_EQ(cli({"compare", in, "4"}, nullptr, &err), 2);
    EXPECT_EQ(err, "compare 4: the base is 1, 2 or 3\n");
    EXPECT_EQ(cli({"colours", in, "-x", "o.bmp"}), 2);
    EXPECT_EQ(cli({"make-base", dir.file("gone/x.bmp")}), 1);
}

}  // namespace
}  // namespace zorva::shell
