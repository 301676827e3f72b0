// Runs plate recognition over the generated photo corpus in tests/samples/plates and holds its hit rates.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "recognize/Plate.h"
#include "recognize/PlateCheck.h"
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
struct Rates {
    int exact = 0;
    int right = 0;
    void add(const std::string& name, const std::string& text, const char* stage) {
        std::string expected = name;
        expected.resize(10, ' ');
        if (text == expected)
            ++exact;
        else
            std::cout << "  " << name << " read as " << text << " (" << stage << ")\n";
        for (size_t i = 0; i < name.size(); ++i) right += text[i] == name[i];
    }
};

// Every photo named after its plate must be read, by the reading alone and
// by the reading with its check; characters are counted right where the
// result holds the name's character at its position. The check learnt its
// glyphs on another generated set (another seed), so this one measures it:
// it must not lose what the reading got, and never report a region that is
// no region code. Photos whose name is no plate text must give no plate.
TEST(PlateCorpus, GeneratedPhotosReadAndNothingElse) {
    const fs::path folder = fs::path(test::SourceDir()) / "tests/samples/plates";
    std::vector<fs::path> photos;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".jpg") photos.push_back(e.path());
    std::sort(photos.begin(), photos.end());
    ASSERT_GE(photos.size(), 30u);

    test::PlateRunner runner;
    int plates = 0, characters = 0, empty = 0;
    Rates reading, checked;
    for (const fs::path& photo : photos) {
        core::BmpImage image = test::ReadJpeg(photo.string());
        ASSERT_TRUE(image) << photo;
        const std::string name = photo.stem().string();
        const PlateResult result = runner.run(image.view());
        PlateCheckInput input{runner.map.data(), image.view().width(), runner.table};
        input.photo = image.view();
        const CheckedPlate check = CheckPlate(result, input);
        if (!IsPlateText(name)) {
            ++empty;
            EXPECT_EQ(result.text, "********  ") << name << " has no plate";
            EXPECT_EQ(check.text, result.text) << name;
            continue;
        }
        ++plates;
        characters += int(name.size());
        reading.add(name, result.text, "reading");
        checked.add(name, check.text, "checked");
        const std::string region = check.text.substr(6, check.text.find(' ', 6) - 6);
        if (region.find('*') == std::string::npos) {
            EXPECT_TRUE(RegionCodes::InUse().contains(region)) << name;
        }
    }
    std::cout << "plates: " << reading.exact << " of " << plates << " exact, then " << checked.exact
              << " checked; characters: " << reading.right << ", then " << checked.right << " of " << characters
              << "; pictures without a plate: " << empty << '\n';
    EXPECT_GT(empty, 0);
    EXPECT_GE(reading.exact, kMinExactPlates);
    EXPECT_GE(double(reading.right) / characters, kMinCharacterRate);
    EXPECT_GE(checked.exact, reading.exact);
    EXPECT_GE(checked.right, reading.right);
}

}  // namespace
}  // namespace zorva::recognize
