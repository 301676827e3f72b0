// The decoded-block conversion and the BMP writer's failure handling.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "core/ImageFiles.h"
#include "tests/support/TestSupport.h"

namespace zorva::core {
namespace {

TEST(ImageFiles, DecodedBlockTakesThreeOfFourBytesBottomRowFirst) {
    // A 5 x 2 source in 32-bit pixels; row index 0 is the bottom row.
    std::vector<std::vector<uint8_t>> rows(2, std::vector<uint8_t>(20));
    for (uint32_t r = 0; r < 2; ++r)
        for (uint32_t x = 0; x < 5; ++x) {
            uint8_t* p = &rows[r][4 * x];
            p[0] = uint8_t(x);
            p[1] = uint8_t(10 + r);
            p[2] = 200;
            p[3] = 0x77;  // the fourth byte is ignored
        }
    const BmpImage image = BuildDecodedImage(5, 2, [&](uint32_t r) { return rows[r].data(); });
    const MutableBmpView v = image.view();
    ASSERT_TRUE(image);
    EXPECT_EQ(image.capacity(), 54u + 16 * 2 + 16 * 2);
    EXPECT_EQ(v.fileSize(), 86u);
    EXPECT_EQ(v.at(3, 0), 0xC80A03u);
    EXPECT_EQ(v.at(4, 1), 0xC80B04u);
    EXPECT_EQ(v.row(0)[15], 0);  // the padding byte
    // The spare bytes after the file are zero.
    for (size_t i = 86; i < image.capacity(); ++i) EXPECT_EQ(image.data()[i], 0) << i;
}

TEST(ImageFiles, WritesTheFileByteForByte) {
    test::TempDir dir;
    const BmpImage image = test::MakeImage(7, 3, [](uint32_t x, uint32_t r) { return x * 0x010203u + r; });
    const std::string path = dir.file("Фото с пробелом.bmp");
    ASSERT_TRUE(WriteImageFile(path, image.view()));
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    EXPECT_TRUE(test::SameBytes(image.data(), image.view().fileSize(), bytes.data(), bytes.size()));
    // Writing again replaces the old file whole.
    const BmpImage smaller = test::MakeSolid(2, 2, 0xFF0000);
    ASSERT_TRUE(WriteImageFile(path, smaller.view()));
    EXPECT_EQ(test::ReadBytes(path).size(), smaller.view().fileSize());
}

TEST(ImageFiles, FailedWritesLeaveNoPartialFile) {
    test::TempDir dir;
    const BmpImage image = test::MakeSolid(300, 300, 0x123456);

    // A target that cannot be created: a folder, a missing folder.
    EXPECT_FALSE(WriteImageFile(dir.path(), image.view()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
    EXPECT_FALSE(WriteImageFile(dir.file("missing/x.bmp"), image.view()));

    // A full disk, simulated with a file-size limit below the picture's size.
    const std::string path = dir.file("full.bmp");
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteImageFile(path, image.view());
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    EXPECT_FALSE(std::filesystem::exists(path));

    // A write that fails on a device must not delete the device.
    EXPECT_FALSE(WriteImageFile("/dev/full", image.view()));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

}  // namespace
}  // namespace zorva::core
