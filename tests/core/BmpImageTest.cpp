// Header fields, strides, the New picture and the floating-selection copy.
#include <gtest/gtest.h>

#include "core/BmpImage.h"
#include "tests/support/TestSupport.h"

namespace zorva::core {
namespace {

TEST(BmpImage, StrideRoundsThreeBytesPerPixelUpToFour) {
    // width: stride, padding = width mod 4
    EXPECT_EQ(StrideFor(1), 4u);
    EXPECT_EQ(StrideFor(4), 12u);
    EXPECT_EQ(StrideFor(5), 16u);
    EXPECT_EQ(StrideFor(8), 24u);
    EXPECT_EQ(StrideFor(kMaxWidth), 65532u);  // the widest stride that fits 16 bits
    for (uint32_t w = 1; w < 64; ++w) EXPECT_EQ(StrideFor(w) % 4, 0u) << w;
}

TEST(BmpImage, DecodedHeaderAndBlockSize) {
    for (uint32_t w : {1u, 4u, 5u, 8u}) {
        const BmpImage image = BmpImage::Decoded(w, 3);
        const MutableBmpView v = image.view();
        const uint8_t* b = v.data();
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(v.fileSize(), kHeaderSize + StrideFor(w) * 3);
        EXPECT_EQ(Load32(b + kOffPixelOffset), 54u);
        EXPECT_EQ(Load32(b + kOffInfoSize), 40u);
        EXPECT_EQ(v.width(), w);
        EXPECT_EQ(v.height(), 3);
        EXPECT_EQ(Load16(b + kOffPlanes), 1);
        EXPECT_EQ(Load16(b + kOffBitCount), 24);
        EXPECT_EQ(Load32(b + kOffCompression), kCompressionRgb);
        EXPECT_EQ(Load32(b + kOffImageSize), StrideFor(w) * 3);
        EXPECT_EQ(Load32(b + kOffXPelsPerMetre), 0u);
        // The decoded block is the file plus 16 spare bytes per row.
        EXPECT_EQ(image.capacity(), v.fileSize() + 16 * 3);
        EXPECT_EQ(v.blockSize() % 8, 0u);
        EXPECT_GE(v.blockSize(), v.fileSize());
        EXPECT_LT(v.blockSize() - v.fileSize(), 8u);
    }
}

TEST(BmpImage, PixelAddressing) {
    BmpImage image = BmpImage::Decoded(5, 2);
    const MutableBmpView v = image.view();
    EXPECT_EQ(v.pixel(0, 0) - v.data(), kHeaderSize);
    EXPECT_EQ(v.pixel(2, 1) - v.data(), kHeaderSize + 16 + 6);
    v.set(4, 1, 0x112233);
    // Writing a pixel touches exactly its three bytes: the padding byte after
    // the last pixel of the row stays zero.
    EXPECT_EQ(v.pixel(4, 1)[0], 0x33);
    EXPECT_EQ(v.pixel(4, 1)[2], 0x11);
    EXPECT_EQ(v.pixel(4, 1)[3], 0);
    EXPECT_EQ(v.at(4, 1), 0x112233u);
}

TEST(BmpImage, NewIsExactlyTheWhite1020By680Picture) {
    const BmpImage image = BmpImage::New();
    const MutableBmpView v = image.view();
    ASSERT_GE(image.capacity(), image.view().blockSize());  // room for every whole-image copy
    EXPECT_EQ(v.fileSize(), 2080854u);
    EXPECT_EQ(v.width(), 1020);
    EXPECT_EQ(v.height(), 680);
    EXPECT_EQ(Load32(v.data() + kOffImageSize), 2080800u);
    EXPECT_EQ(Load32(v.data() + kOffXPelsPerMetre), 4724u);
    EXPECT_EQ(Load32(v.data() + kOffYPelsPerMetre), 4724u);
    // Every byte after the header is 0xFF: 520,200 four-byte units.
    for (size_t i = kHeaderSize; i < kNewBlockSize; ++i) ASSERT_EQ(v.data()[i], 0xFF) << i;
}

TEST(BmpImage, FloatingCopyKeepsGenuineWhiteVisible) {
    const BmpImage src = test::MakeImage(
        3, 2, [](uint32_t x, uint32_t r) { return x == 1 ? 0xFFFFFFu : (r == 0 ? 0xFFFFFEu : 0x102030u); });
    BmpImage dst = BmpImage::Decoded(3, 2);
    // Padding of the destination is not written by the copy.
    dst.view().row(0)[9] = 0xAB;
    CopyForFloating(dst.view(), src.view());
    EXPECT_EQ(test::Rgb(dst.view(), 1, 0), 0xFFFFFEu);  // blue 254, green 255, red 255
    EXPECT_EQ(test::Rgb(dst.view(), 1, 1), 0xFFFFFEu);
    EXPECT_EQ(test::Rgb(dst.view(), 0, 0), 0xFFFFFEu);  // an off-white pixel is kept as it is
    EXPECT_EQ(test::Rgb(dst.view(), 2, 1), 0x102030u);
    EXPECT_EQ(dst.view().row(0)[9], 0xAB);
    EXPECT_TRUE(test::SameBytes(src.data(), kHeaderSize, dst.data(), kHeaderSize));
}

TEST(BmpImage, FillWhiteCoversPaddingInFourByteUnits) {
    BmpImage image = BmpImage::Decoded(5, 2);  // file size 86
    FillWhite(image.view(), 86);
    for (size_t i = 54; i < 86; ++i) EXPECT_EQ(image.data()[i], 0xFF) << i;  // (86 - 54) / 4 = 8 units
    EXPECT_EQ(image.data()[86], 0);
    std::fill_n(image.data() + 54, 32, uint8_t(0));
    FillWhite(image.view(), 61);  // 7 bytes after the header: one whole unit only
    EXPECT_EQ(image.data()[57], 0xFF);
    EXPECT_EQ(image.data()[58], 0);
}

}  // namespace
}  // namespace zorva::core
