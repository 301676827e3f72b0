// The plate check's region rule on readings made up digit by digit, and the region list it ships.
#include <gtest/gtest.h>

#include <algorithm>

#include "recognize/PlateCheck.h"

namespace zorva::recognize {
namespace {

// A found plate read as `text`, each region digit read with distance 100 and
// every other digit compared at the distances `others` gives (slot, digit).
PlateResult Reading(const std::string& text, uint32_t (*others)(uint32_t slot, char digit)) {
    PlateResult result;
    result.found = true;
    result.text = text;
    for (uint32_t slot = 6; slot < 9; ++slot)
        for (char d = '0'; d <= '9'; ++d) result.nearest[slot][*PlateSymbolIndex(d)] = others(slot, d);
    for (uint32_t slot = 6; slot < 9 && text[slot] != ' '; ++slot)
        if (text[slot] != '*') result.nearest[slot][*PlateSymbolIndex(text[slot])] = 100;
    return result;
}

TEST(PlateCheck, RegionsAreCodesInUse) {
    const RegionCodes regions = RegionCodes::Parse("# codes\n77 97 199 Москва\n 750 Область\n12345 1 x7 Не коды\n");
    EXPECT_EQ(regions.codes(), (std::vector<std::string>{"199", "750", "77", "97"}));
    PlateCheckInput input;
    input.regions = &regions;

    // A code in use stands, whatever its runners-up.
    const auto flat = [](uint32_t, char) { return 150u; };
    EXPECT_EQ(CheckPlate(Reading("A123BC77  ", flat), input).stage, PlateStage::Part);
    EXPECT_EQ(CheckPlate(Reading("A123BC199 ", flat), input).text, "A123BC199 ");

    // "755" is no code: of the three-digit codes the one whose digits lie
    // nearest wins, here 750 (its 0 a close runner-up) over 199.
    const auto zeroClose = [](uint32_t slot, char d) { return slot == 8 && d == '0' ? 110u : 400u; };
    const CheckedPlate corrected = CheckPlate(Reading("A123BC755 ", zeroClose), input);
    EXPECT_EQ(corrected.text, "A123BC750 ");
    EXPECT_EQ(corrected.stage, PlateStage::Checked);
    // Two digits are weighed only against two-digit codes.
    EXPECT_EQ(CheckPlate(Reading("A123BC79  ", flat), input).text, "A123BC77  ");

    // A code whose digits were never compared cannot be chosen; with none
    // left the region is not reported at all.
    const auto never = [](uint32_t, char) { return kNotCompared; };
    EXPECT_EQ(CheckPlate(Reading("A123BC79  ", never), input).text, "A123BC**  ");
    // A region not read whole, and no plate, pass as they are.
    EXPECT_EQ(CheckPlate(Reading("A123BC7*  ", flat), input).text, "A123BC7*  ");
    PlateResult none;
    EXPECT_EQ(CheckPlate(none, input).text, std::string(kPlateNotRead));

    // The shipped list: every two-digit code but 00, and three-digit codes
    // only from 1 and 7, and 977.
    const RegionCodes& shipped = RegionCodes::InUse();
    EXPECT_FALSE(shipped.contains("00"));
    for (const std::string& code : shipped.codes()) {
        ASSERT_TRUE(code.size() == 2 || code.size() == 3) << code;
        if (code.size() == 3) {
            EXPECT_TRUE(code[0] == '1' || code[0] == '7' || code == "977") << code;
        }
    }
    EXPECT_EQ(std::count_if(shipped.codes().begin(), shipped.codes().end(),
                            [](const std::string& c) { return c.size() == 2; }),
              99);
}

}  // namespace
}  // namespace zorva::recognize
