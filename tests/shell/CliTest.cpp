// zorva-cli's verbs, exit codes and output through the real dispatcher.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "core/ImageFiles.h"
#include "core/WorkArena.h"
#include "shell/cli/Cli.h"
#include "shell/cli/CliOps.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

DecodeResult DecodeBmp(const std::string& path) {
    DecodeResult result;
    result.image = test::ReadBmp24(path);
    if (result.image) {
        const core::MutableBmpView v = result.image.view();
        result.status =
            core::CheckFit(v.width(), v.height()) == core::ImageFit::Fits ? DecodeStatus::Ok : DecodeStatus::TooLarge;
    }
    return result;
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    CliRun Cli(std::vector<std::string> args, const std::string& bases = {}) {
        std::ostringstream out, err;
        const int status = RunCli(args, DecodeBmp, dir.path(), out, err, bases);
        return {status, out.str(), err.str()};
    }
    // Snapshot files anywhere under the program's folder.
    int SnapshotFiles() const {
        int count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
            if (entry.path().filename().string().starts_with("$$$grVX") && entry.path().extension() == ".bmp") ++count;
        return count;
    }
    std::string Picture(uint32_t w, uint32_t h, const std::string& name = "in.bmp") {
        const std::string path = dir.file(name);
        core::WriteImageFile(path, test::MakeImage(w, h, [](uint32_t x, uint32_t r) { return x + 256 * r; }).view());
        return path;
    }
    test::TempDir dir;
};

TEST_F(CliTest, InfoPrintsSizeStrideAndFileSize) {
    const CliRun run = Cli({"info", Picture(5, 3)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "5x3 stride=16 filesize=102\n");
}

TEST_F(CliTest, NewWritesTheNewDocument) {
    const CliRun run = Cli({"new", dir.file("new.bmp")});
    EXPECT_EQ(run.status, 0);
    const core::BmpImage expected = core::BmpImage::New();
    EXPECT_TRUE(test::SameBytes(std::vector<uint8_t>(expected.data(), expected.data() + core::kNewBlockSize),
                                test::ReadBytes(dir.file("new.bmp"))));
}

TEST_F(CliTest, ConvertRoundTripsAndReportsFailures) {
    const std::string in = Picture(7, 2);
    EXPECT_EQ(Cli({"convert", in, dir.file("out.bmp")}).status, 0);
    EXPECT_TRUE(test::SameBytes(test::ReadBytes(in), test::ReadBytes(dir.file("out.bmp"))));

    // Each failure names its file.
    const CliRun missing = Cli({"convert", dir.file("none.bmp"), dir.file("o.bmp")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, dir.file("none.bmp") + ": Не может загрузить файл\n");

    const CliRun unwritable = Cli({"convert", in, dir.file("no/folder/o.bmp")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, dir.file("no/folder/o.bmp") + ": Нельзя записать файл\n");

    const std::string wide = Picture(21845, 1, "wide.bmp");
    const CliRun huge = Cli({"info", wide});
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.err, wide + ": Изображение слишком велико\n");
}

TEST_F(CliTest, UsageErrorsExitTwoAndNeverSkipAnOp) {
    const std::string in = Picture(2, 2);
    // Without a command: the usage text.
    const CliRun bare = Cli({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.err.find("usage:"), std::string::npos);
    EXPECT_NE(bare.err.find("palette:N"), std::string::npos);
    // Anything else wrong is named with what is wrong with it, on one line.
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"frobnicate"}, "frobnicate: no such command; zorva-cli without arguments lists them\n"},
        {{"info"}, "info: takes IMAGE\n"},
        {{"convert", in}, "convert: takes IMAGE OUT\n"},
        {{"apply", in}, "apply: takes IMAGE [-o OUT] OP [OP ...]\n"},
        {{"apply", in, "-o"}, "-o: needs the file to save to\n"},
        {{"apply", in, "no-such-op"}, "no-such-op: no such OP\n"},
        {{"apply", in, "undo:3"}, "undo:3: undo takes no arguments\n"},
        {{"apply", in, "palette:0"}, "palette:0: the colour count is 2 to 32 or 256\n"},
        {{"apply", in, "segment:2,5,x5"}, "segment:2,5,x5: the scale is x1 or x10\n"},
        {{"apply", in, "segment:2"}, "segment:2: segment takes segment:COLOURS,MIN[,x10]\n"},
    };
    for (const auto& [args, message] : wrong) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err, message);
    }
    // An unknown OP anywhere in the list stops the run before anything is written.
    EXPECT_EQ(Cli({"apply", in, "-o", dir.file("o.bmp"), "undo", "nonsense"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.bmp")));
}

TEST_F(CliTest, AnOpTheMenuWouldGreyIsAnErrorNotASilentSkip) {
    const std::string in = Picture(6, 6);
    const CliRun run = Cli({"apply", in, "-o", dir.file("o.bmp"), "svg:5"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("not available at this point: svg:5"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.bmp")));
    // After a segmentation the same OP runs, within the range of the dialog
    // that segmentation calls for: 0 to 10 after median cut, 0 to 50 after
    // 8-connected segmentation.
    EXPECT_EQ(Cli({"apply", in, "segment:2,0", "svg:5"}).status, 0);
    const CliRun tooFine = Cli({"apply", in, "segment:2,0", "svg:30"});
    EXPECT_EQ(tooFine.status, 2);
    EXPECT_NE(tooFine.err.find("svg:30: the value is 0 to 10 here"), std::string::npos);
    EXPECT_EQ(Cli({"apply", in, "segment8:10,1", "svg:30"}).status, 0);
}

// EAN-13 5901234123457 at 3 pixels per module on white, upright or on its
// side (bars across the rows, which only the libraries read).
std::string CodeFile(const test::TempDir& dir, const std::string& name, bool sideways) {
    static constexpr const char* kModules =
        "10100010110100111011001100100110111101001110101010110011011011001000010101110010011101000100101";
    const auto colour = [sideways](uint32_t x, uint32_t r) -> uint32_t {
        const uint32_t along = sideways ? r : x, across = sideways ? x : r;
        if (across < 16 || across >= 136 || along < 40 || along >= 40 + 95 * 3) return 0xFFFFFF;
        return kModules[(along - 40) / 3] == '1' ? 0x000000 : 0xFFFFFF;
    };
    const std::string path = dir.file(name);
    core::WriteImageFile(path, test::MakeImage(sideways ? 160 : 420, sideways ? 420 : 160, colour).view());
    return path;
}

// One line per picture: the name, field 10 and the reader, the exact reader
// first and a library for the sideways code; --strict runs the exact reader
// alone; a picture that cannot be loaded is told and the others still read.
TEST_F(CliTest, BarcodeNamesTheReaderInAThirdColumn) {
    const std::string upright = CodeFile(dir, "upright.bmp", false);
    const std::string sideways = CodeFile(dir, "sideways.bmp", true);
    const std::string blank = Picture(40, 60, "blank.bmp");
    const CliRun chain = Cli({"barcode", upright, sideways, blank});
    EXPECT_EQ(chain.status, 0);
    EXPECT_EQ(chain.out, upright + "\t5901234123457+\tpart\n" + sideways + "\t5901234123457+\tzxing\n" + blank +
                             "\t********  \t-\n");
    const CliRun strict = Cli({"barcode", "--strict", upright, sideways});
    EXPECT_EQ(strict.status, 0);
    EXPECT_EQ(strict.out, upright + "\t5901234123457+\tpart\n" + sideways + "\t********  \t-\n");

    const CliRun missing = Cli({"barcode", dir.file("none.bmp"), sideways});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, sideways + "\t5901234123457+\tzxing\n");
    EXPECT_EQ(missing.err, dir.file("none.bmp") + ": Не может загрузить файл\n");
    const CliRun none = Cli({"barcode", "--strict"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "barcode: needs at least one picture\n");
}

// The OP "barcode-strict" runs the exact reader alone, with its fields.
TEST_F(CliTest, TheStrictOpRunsTheExactReader) {
    const CliRun strict = Cli({"apply", CodeFile(dir, "sideways.bmp", true), "barcode-strict"});
    EXPECT_EQ(strict.status, 0);
    EXPECT_EQ(strict.out.rfind("9\tШтрих-код\n10\t********  \n11\tT(ms)=", 0), 0u) << strict.out;
}

TEST_F(CliTest, ApplyOpensRunsAndSaves) {
    const std::string in = Picture(3, 3);
    const CliRun run = Cli({"--time", "apply", in, "-o", dir.file("o.bmp"), "undo", "redo", "copy-mode"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(test::SameBytes(test::ReadBytes(in), test::ReadBytes(dir.file("o.bmp"))));
    EXPECT_NE(run.err.find("time: "), std::string::npos);
}

// A script that saves gets the picture a save from the menu would write (the
// rectangle committed, no selection outline left in it), and a run in which
// an OP had to say something ends in status 1, whatever came after it.
TEST_F(CliTest, ApplySavesThePictureSettledAndFailsWhenAnOpFailed) {
    const std::string in = dir.file("white.bmp");
    core::WriteImageFile(in, test::MakeSolid(12, 8, 0xFFFFFF).view());
    const std::string out = dir.file("o.bmp");
    ASSERT_EQ(Cli({"apply", in, "-o", out, "tool:rectangle", "drag:2,2,8,5"}).status, 0);
    const core::BmpImage drawn = test::ReadBmp24(out);
    EXPECT_EQ(test::Rgb(drawn.view(), 2, 2), 0u);  // black, not the rubber band's XOR grey
    ASSERT_EQ(Cli({"apply", in, "-o", out, "tool:rectangle-select", "drag:2,2,8,5"}).status, 0);
    EXPECT_TRUE(test::SameBytes(test::ReadBytes(in), test::ReadBytes(out)));

    // The SVG cannot be written (a folder stands at its name): said, and 1.
    std::filesystem::create_directory(dir.file("white.svg"));
    const CliRun failed = Cli({"apply", in, "-o", out, "segment:2,5", "svg:1", "negative"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find(dir.file("white.svg") + ": Нельзя записать файл"), std::string::npos) << failed.err;
    // The picture is saved all the same: segmented (white as 0xFCFCFC), then negated.
    EXPECT_EQ(test::Rgb(test::ReadBmp24(out).view(), 0, 0), 0x030303u);
}

// ---- scripts, outputs and bases ----

// A script that never undoes writes no snapshot file; one that does gets
// its steps back.
TEST_F(CliTest, OnlyAScriptThatUndoesWritesSnapshots) {
    const std::string in = Picture(9, 5);
    ASSERT_EQ(Cli({"apply", in, "-o", dir.file("n.bmp"), "negative", "sharpen", "rotate:right"}).status, 0);
    EXPECT_EQ(SnapshotFiles(), 0);
    ASSERT_EQ(Cli({"apply", in, "-o", dir.file("u.bmp"), "negative", "blur:2", "undo", "undo", "redo", "undo"}).status,
              0);
    EXPECT_TRUE(test::SameBytes(test::ReadBytes(in), test::ReadBytes(dir.file("u.bmp"))));
    EXPECT_GT(SnapshotFiles(), 0);
}

// A report, base or SVG whose path is the open picture's own file (by its
// name or through a link) is refused with a message; the picture stays.
TEST_F(CliTest, AnOutputThatIsThePictureItselfIsRefused) {
    const std::string bases = dir.file("bases");
    std::filesystem::create_directory(bases);
    std::filesystem::copy_file(test::SourceDir() + "/data/bases/BazaDan2.zdb", bases + "/BazaDan2.zdb");
    const std::vector<uint8_t> original = test::ReadBytes(Picture(40, 30));
    const auto refused = [&](const std::string& picture, std::vector<std::string> args) {
        const CliRun run = Cli(args, bases);
        EXPECT_EQ(run.status, 1) << picture;
        EXPECT_NE(run.err.find("Файл совпадает с открытым изображением"), std::string::npos) << run.err;
        EXPECT_EQ(test::ReadBytes(picture), original) << picture;
    };
    const std::string txt = Picture(40, 30, "img.txt");
    refused(txt, {"colours", txt});
    const std::string zdb = Picture(40, 30, "sil.zdb");
    refused(zdb, {"make-base", zdb});
    const std::string svg = Picture(40, 30, "p.svg");
    refused(svg, {"apply", svg, "segment:2,5", "svg:1"});
    const std::string linked = Picture(40, 30, "pic.bmp");
    std::filesystem::create_symlink("pic.bmp", dir.file("pic_SB.txt"));
    refused(linked, {"compare", linked, "2"});
    // Beside a picture of another name the same jobs write.
    EXPECT_EQ(Cli({"colours", Picture(40, 30, "other.bmp")}).status, 0);
}

// A job that reads a symbol base that is not loaded (missing, a folder, a
// fifo that would never be written) fails after saying so; it never waits.
TEST_F(CliTest, AJobWhoseBaseIsNotLoadedFails) {
    const std::string in = Picture(40, 30);
    const std::string bases = dir.file("bases");
    std::filesystem::create_directory(bases);
    const auto fails = [&](std::vector<std::string> args) {
        const CliRun run = Cli(args, bases);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_NE(run.err.find("База символов BazaDan1.zdb не загружена!"), std::string::npos) << run.err;
    };
    fails({"compare", in, "1"});
    fails({"apply", in, "negative", "compare:1"});
    fails({"plate", in});
    std::filesystem::create_directory(bases + "/BazaDan1.zdb");
    fails({"compare", in, "1"});
    std::filesystem::remove(bases + "/BazaDan1.zdb");
    ASSERT_EQ(mkfifo((bases + "/BazaDan1.zdb").c_str(), 0600), 0);
    fails({"compare", in, "1"});
    // The shipped base in its place: the same job succeeds.
    std::filesystem::remove(bases + "/BazaDan1.zdb");
    std::filesystem::copy_file(test::SourceDir() + "/data/bases/BazaDan1.zdb", bases + "/BazaDan1.zdb");
    EXPECT_EQ(Cli({"compare", in, "1"}, bases).status, 0);
}

// "-o -" writes the picture, and nothing else, to standard output; the
// status lines go to standard error.
TEST_F(CliTest, APictureOnStandardOutputKeepsTheStatusLinesOff) {
    const std::string in = Picture(12, 7);
    ASSERT_EQ(Cli({"apply", in, "-o", dir.file("file.bmp"), "segment:2,5"}).status, 0);
    const CliRun piped = Cli({"apply", in, "-o", "-", "segment:2,5"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, std::string(reinterpret_cast<const char*>(test::ReadBytes(dir.file("file.bmp")).data()),
                                     test::ReadBytes(dir.file("file.bmp")).size()));
    EXPECT_NE(piped.err.find("4\t"), std::string::npos) << piped.err;
    EXPECT_TRUE(Cli({"convert", in, "-"}).out.starts_with("BM"));
}

// Status 2 is for a wrong command line; an OP left unavailable after an
// earlier OP failed ends the run with the failure's status 1.
TEST_F(CliTest, AnOpUnavailableAfterAFailureIsThatFailure) {
    const std::string tiny = Picture(16, 16);
    const CliRun run = Cli({"apply", tiny, "-o", dir.file("o.bmp"), "engrave:1,8", "svg:0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Гравюра требует"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("svg:0: not run after the failure above"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.bmp")));
    EXPECT_EQ(Cli({"apply", tiny, "svg:0"}).status, 2);
}

}  // namespace
}  // namespace zorva::shell
