// Runs the barcode chain, the exact reader and each library over the sample corpus in tests/samples/barcode.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "recognize/Barcode.h"
#include "recognize/BarcodeChain.h"
#include "recognize/BarcodeZbar.h"
#include "recognize/BarcodeZxing.h"
#include "tests/recognize/BarcodePictures.h"
#include "tests/support/TestSupport.h"

namespace zorva::recognize {
namespace {

namespace fs = std::filesystem;
using test::kNotFound;
using test::Shown;

// What the exact reader alone must show on a set. NAME.txt holds what the
// chain shows, which every set must give exactly.
enum class Strict {
    SameText,  // the exact reader shows NAME.txt too
    NotFound,  // past its stated limits (module over 10 pixels, too small): nothing
    MayMiss,   // past its design (turned 90 degrees, short bars, heavy blur): it may miss, never misread
};

struct CorpusSet {
    const char* name;
    Strict strict;
};

constexpr CorpusSet kSets[] = {
    {"clean", Strict::SameText},  {"turned", Strict::SameText},     {"skew", Strict::SameText},
    {"photo", Strict::SameText},  {"wrongcheck", Strict::SameText}, {"nocode", Strict::SameText},
    {"limits", Strict::NotFound}, {"beyond", Strict::MayMiss},
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::string Shown(const std::optional<LibraryReading>& reading) {
    return reading ? test::Shown(reading->code) : std::string(kNotFound);
}

// One reader's score on a set: codes read as expected, codes missed, and
// any other text (a misread, or a code where none is expected).
struct Tally {
    int read = 0, missed = 0, misread = 0;
    void add(const std::string& text, const std::string& expected) {
        if (text == expected) {
            read += expected != kNotFound;
        } else if (text == kNotFound) {
            ++missed;
        } else {
            ++misread;
        }
    }
};
std::ostream& operator<<(std::ostream& out, const Tally& t) {
    return out << t.read << " read, " << t.missed << " missed, " << t.misread << " misread";
}

class BarcodeCorpus : public ::testing::TestWithParam<CorpusSet> {};

TEST_P(BarcodeCorpus, EveryPictureGivesItsText) {
    const CorpusSet set = GetParam();
    const fs::path folder = fs::path(test::SourceDir()) / "tests/samples/barcode" / set.name;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    std::vector<fs::path> pictures;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".png") pictures.push_back(entry.path());
    std::sort(pictures.begin(), pictures.end());
    ASSERT_FALSE(pictures.empty()) << folder;

    Tally chain, strict, zxing, zbar;
    int byExact = 0, byZxing = 0, byZbar = 0;
    for (const fs::path& picture : pictures) {
        const std::string name = picture.stem().string();
        fs::path textFile = picture;
        textFile.replace_extension(".txt");
        ASSERT_TRUE(fs::exists(textFile)) << name;
        const std::string expected = ReadText(textFile);
        const test::ExactImage image = test::LoadPng(picture.string());
        ASSERT_FALSE(image.empty()) << name;
        std::vector<uint8_t> plane = test::WorkPlaneFor(image);
        std::vector<uint8_t> grey(GreyPlaneBytes(image.width(), image.height()));

        // ---- the chain: every set, exactly ----
        const ChainResult chained = ReadBarcodeChain(image.view(), plane, grey);
        const std::string chainText = chained.found() ? Shown(chained.code) : std::string(kNotFound);
        chain.add(chainText, expected);
        EXPECT_EQ(chainText, expected) << name;
        byExact += chained.reader == BarcodeReader::Exact;
        byZxing += chained.reader == BarcodeReader::Zxing;
        byZbar += chained.reader == BarcodeReader::Zbar;

        // ---- the exact reader alone, by the set's rule ----
        const std::string strictText = Shown(ReadBarcode(image.view(), plane));
        strict.add(strictText, expected);
        switch (set.strict) {
            case Strict::SameText:
                EXPECT_EQ(strictText, expected) << name;
                break;
            case Strict::NotFound:
                EXPECT_EQ(strictText, kNotFound) << name;
                break;
            case Strict::MayMiss:
                EXPECT_TRUE(strictText == expected || strictText == kNotFound) << name << " misread as " << strictText;
                break;
        }

        // ---- each library alone on the same grey plane ----
        // The chain reads whatever either library reads, and neither misreads.
        const GreyPlane greyPlane = MakeGreyPlane(image.view(), grey);
        const std::string zxingText = Shown(ReadBarcodeZxing(greyPlane));
        const std::string zbarText = Shown(ReadBarcodeZbar(greyPlane));
        zxing.add(zxingText, expected);
        zbar.add(zbarText, expected);
        for (const std::string& text : {zxingText, zbarText})
            EXPECT_TRUE(text == expected || text == kNotFound) << name << " misread as " << text;

        // Names carry the digits printed on the code; a text that is not the
        // asterisks must begin with them.
        const size_t dash = name.find('-');
        if (expected != kNotFound && dash != std::string::npos) {
            const std::string digits = name.substr(dash + 1, name.find('-', dash + 1) - dash - 1);
            EXPECT_EQ(expected.substr(0, digits.size()), digits) << name;
        }
    }
    std::cout << "[ corpus   ] " << set.name << ": " << pictures.size() << " pictures\n"
              << "[ corpus   ]   chain  " << chain << " (exact " << byExact << ", zxing " << byZxing << ", zbar "
              << byZbar << ")\n"
              << "[ corpus   ]   strict " << strict << "\n"
              << "[ corpus   ]   zxing  " << zxing << "\n"
              << "[ corpus   ]   zbar   " << zbar << "\n";
    RecordProperty("read", chain.read);
    RecordProperty("missed", chain.missed);
    RecordProperty("misread", chain.misread);
    RecordProperty("strictRead", strict.read);
}

INSTANTIATE_TEST_SUITE_P(Sets, BarcodeCorpus, ::testing::ValuesIn(kSets),
                         [](const ::testing::TestParamInfo<CorpusSet>& param) {
                             return std::string(param.param.name);
                         });

// The clean and turned pictures turned 180 degrees in memory read the same:
// the other scan direction and backwards reading agree with the first.
TEST(BarcodeCorpusRoutes, TurningACleanPictureKeepsItsText) {
    for (const char* set : {"clean", "turned"}) {
        const fs::path folder = fs::path(test::SourceDir()) / "tests/samples/barcode" / set;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() != ".png") continue;
            const test::ExactImage image = test::LoadPng(entry.path().string());
            ASSERT_FALSE(image.empty());
            const auto decode = [](const test::ExactImage& picture) {
                std::vector<uint8_t> plane = test::WorkPlaneFor(picture);
                return Shown(ReadBarcode(picture.view(), plane));
            };
            EXPECT_EQ(decode(test::Turned180(image)), decode(image)) << entry.path().filename();
        }
    }
}

}  // namespace
}  // namespace zorva::recognize
