// Runs plate recognition over the generated photo corpus in tests/samples/plates and holds its hit rates.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "recognize/Plate.h"
#include "tests/recognize/PlateTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::recognize {
namespace {

namespace fs = std::filesystem;

// Floors a little below what the shipped bases reach on the generated set
// (scripts/make-plates.sh): a change that loses plates shows here.
constexpr int kMinExactPlates = 24;         // of 30, 26 read
constexpr double kMinCharacterRate = 0.95;  // 242 of 248 read

// A file name that is plate text: letter, three digits, two letters, two
// or three region digits, with the letters a plate uses.
bool IsPlateText(const std::string& s) {
    const std::string letters = "ABCEHKMOPTXY";
    const auto letter = [&](size_t i) { return letters.find(s[i]) != std::string::npos; };
    const auto digit = [&](size_t i) { return s[i] >= '0' && s[i] <= '9'; };
    if (s.size() != 8 && s.size() != 9) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool isLetter = i == 0 || i == 4 || i == 5;
        if (isLetter ? !letter(i) : !digit(i)) return false;
    }
    return true;
}

// Every photo named after its plate must be read; characters are counted
// right where the result holds the name's character at its position.
// Photos whose name is no plate text must give no plate at all.
TEST(PlateCorpus, GeneratedPhotosReadAndNothingElse) {
    const fs::path folder = fs::path(test::SourceDir()) / "tests/samples/plates";
    std::vector<fs::path> photos;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".jpg") photos.push_back(e.path());
    std::sort(photos.begin(), photos.end());
    ASSERT_GE(photos.size(), 30u);

    test::PlateRunner runner;
    int plates = 0, exact = 0, characters = 0, right = 0, empty = 0;
    for (const fs::path& photo : photos) {
        core::BmpImage image = test::ReadJpeg(photo.string());
        ASSERT_TRUE(image) << photo;
        const std::string name = photo.stem().string();
        const std::string text = runner.run(image.view()).text;
        if (!IsPlateText(name)) {
            ++empty;
            EXPECT_EQ(text, "********  ") << name << " has no plate";
            continue;
        }
        ++plates;
        std::string expected = name;
        expected.resize(10, ' ');
        if (text == expected)
            ++exact;
        else
            std::cout << "  " << name << " read as " << text << '\n';
        for (size_t i = 0; i < name.size(); ++i, ++characters) right += text[i] == name[i];
    }
    std::cout << "plates: " << exact << " of " << plates << " exact, characters: " << right << " of " << characters
              << ", pictures without a plate: " << empty << '\n';
    EXPECT_GT(empty, 0);
    EXPECT_GE(exact, kMinExactPlates);
    EXPECT_GE(double(right) / characters, kMinCharacterRate);
}

}  // namespace
}  // namespace zorva::recognize
