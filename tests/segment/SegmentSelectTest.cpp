// Segment selection: picking inverts a segment and reports it, removing paints it white, for both map forms.
#include <gtest/gtest.h>

#include "segment/SegmentSelect.h"
#include "tests/segment/SegmentTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zorva::segment {
namespace {

using test::Rgb;

core::BmpImage Picture() {
    return test::MakeImage(
        10, 8, [](uint32_t x, uint32_t r) { return x >= 3 && x <= 6 && r >= 2 && r <= 4 ? 0x204080u : 0xF0F0F0u; });
}

// Label-image form: pixels of stored row 0 and column 0 carry no label, so
// clicks there (or outside) do nothing.
TEST(SegmentSelectTest, UnlabelledPixelsAfterEightConnected) {
    core::BmpImage image = Picture();
    test::EightRun run = test::RunEight(image.view(), 2, 1);
    core::BmpImage before = Picture();
    test::RunEight(before.view(), 2, 1);
    EXPECT_FALSE(PickEightSegment(image.view(), run.map.view(), run.table(), 0, 5));
    EXPECT_FALSE(PickEightSegment(image.view(), run.map.view(), run.table(), 5, 0));
    EXPECT_FALSE(PickEightSegment(image.view(), run.map.view(), run.table(), 10, 5));
    EXPECT_FALSE(PickEightSegment(image.view(), run.map.view(), run.table(), 5, 8));
    EXPECT_TRUE(test::SamePixels(before.view(), image.view()));
}

// Pick shows the segment in negative with its label, mean colour and area;
// picking it again turns it back; removing paints it white; picking again
// then turns it black. The map is only read.
TEST(SegmentSelectTest, PickTwiceRemoveAndPickAgainEightConnected) {
    core::BmpImage image = Picture();
    test::EightRun run = test::RunEight(image.view(), 2, 1);
    const std::optional<SegmentPick> pick = PickEightSegment(image.view(), run.map.view(), run.table(), 4, 3);
    ASSERT_TRUE(pick);
    EXPECT_EQ(pick->colour, 0x204080u);
    EXPECT_EQ(pick->area, 12u);
    EXPECT_EQ(pick->label, test::LabelAt(run.map.view(), 4, 3));
    EXPECT_EQ(Rgb(image.view(), 5, 4), 0xDFBF7Fu);
    EXPECT_EQ(Rgb(image.view(), 7, 4), 0xF0F0F0u);
    PickEightSegment(image.view(), run.map.view(), run.table(), 4, 3);
    EXPECT_EQ(Rgb(image.view(), 5, 4), 0x204080u);
    RemoveEightSegment(image.view(), run.map.view(), pick->label);
    EXPECT_EQ(Rgb(image.view(), 5, 4), 0xFFFFFFu);
    ASSERT_TRUE(PickEightSegment(image.view(), run.map.view(), run.table(), 6, 2));
    EXPECT_EQ(Rgb(image.view(), 5, 4), 0x000000u);
    // Removing with nothing picked does nothing.
    const core::BmpImage copy = Picture();
    core::BmpImage untouched = Picture();
    RemoveEightSegment(untouched.view(), run.map.view(), 0);
    EXPECT_TRUE(test::SamePixels(copy.view(), untouched.view()));
}

// Indexed form: the top row and the last column carry label 0; the colour is
// one of the two palette colours; the area is the record's count.
TEST(SegmentSelectTest, IndexedFormAfterMedianCut) {
    core::BmpImage image = Picture();
    test::IndexedRun run = test::RunIndexed(image.view(), 2, 5);
    const std::span<const IndexedSegmentRecord> table(run.table.data(), run.segments + 1);
    EXPECT_FALSE(PickIndexedSegment(image.view(), run.map.data(), table, run.palette, 9, 3));
    EXPECT_FALSE(PickIndexedSegment(image.view(), run.map.data(), table, run.palette, 4, 7));
    const std::optional<SegmentPick> pick = PickIndexedSegment(image.view(), run.map.data(), table, run.palette, 4, 3);
    ASSERT_TRUE(pick);
    EXPECT_EQ(pick->colour, 0x204080u);
    EXPECT_TRUE(pick->colour == run.palette.colours[0] || pick->colour == run.palette.colours[1]);
    EXPECT_EQ(pick->area, 12u);
    EXPECT_EQ(Rgb(image.view(), 4, 3), 0xDFBF7Fu);
    RemoveIndexedSegment(image.view(), run.map.data(), pick->label);
    EXPECT_EQ(Rgb(image.view(), 4, 3), 0xFFFFFFu);
    ASSERT_TRUE(PickIndexedSegment(image.view(), run.map.data(), table, run.palette, 3, 2));
    EXPECT_EQ(Rgb(image.view(), 4, 3), 0x000000u);
}

}  // namespace
}  // namespace zorva::segment
