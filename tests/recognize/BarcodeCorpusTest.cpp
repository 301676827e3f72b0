// Runs the barcode reader over the sample corpus in tests/samples/barcode and reports each set.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "recognize/Barcode.h"
#include "tests/recognize/BarcodePictures.h"
#include "tests/support/TestSupport.h"

namespace zorva::recognize {
namespace {

namespace fs = std::filesystem;
using test::kNotFound;
using test::Shown;

struct CorpusSet {
    const char* name;
    // Every picture must give exactly its text. Otherwise the set holds codes
    // outside the method's reach: the reader may miss them but never misread.
    bool mustPass;
};

constexpr CorpusSet kSets[] = {
    {"clean", true},      {"turned", true}, {"skew", true},   {"photo", true},
    {"wrongcheck", true}, {"nocode", true}, {"limits", true}, {"beyond", false},
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::string Decode(const test::ExactImage& image) {
    std::vector<uint8_t> plane = test::WorkPlaneFor(image);
    return Shown(ReadBarcode(image.view(), plane));
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

    int passed = 0, missed = 0, misread = 0;
    for (const fs::path& picture : pictures) {
        const std::string name = picture.stem().string();
        fs::path textFile = picture;
        textFile.replace_extension(".txt");
        ASSERT_TRUE(fs::exists(textFile)) << name;
        const std::string expected = ReadText(textFile);
        const test::ExactImage image = test::LoadPng(picture.string());
        ASSERT_FALSE(image.empty()) << name;

        const std::string text = Decode(image);
        if (text == expected) {
            ++passed;
        } else if (text == kNotFound) {
            ++missed;
        } else {
            ++misread;
        }
        if (set.mustPass) {
            EXPECT_EQ(text, expected) << name;
        } else {
            EXPECT_TRUE(text == expected || text == kNotFound) << name << " misread as " << text;
        }
        // Names carry the digits printed on the code; a text that is not the
        // asterisks must begin with them.
        const size_t dash = name.find('-');
        if (expected != kNotFound && dash != std::string::npos) {
            const std::string digits = name.substr(dash + 1, name.find('-', dash + 1) - dash - 1);
            EXPECT_EQ(expected.substr(0, digits.size()), digits) << name;
        }
    }
    std::cout << "[ corpus   ] " << set.name << ": " << pictures.size() << " pictures, " << passed << " passed, "
              << missed << " missed, " << misread << " misread\n";
    RecordProperty("passed", passed);
    RecordProperty("missed", missed);
    RecordProperty("misread", misread);
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
            EXPECT_EQ(Decode(test::Turned180(image)), Decode(image)) << entry.path().filename();
        }
    }
}

}  // namespace
}  // namespace zorva::recognize
