// The decoded-block conversion and the BMP writer's failure handling.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // A link to a pipe (what /dev/stdout is in a shell pipeline) is written
    // through: there is no file to replace.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    ASSERT_TRUE(WriteImageFile("/proc/self/fd/" + std::to_string(pipeEnds[1]), smaller.view()));
    std::vector<uint8_t> piped(smaller.view().fileSize() + 1);
    EXPECT_EQ(read(pipeEnds[0], piped.data(), piped.size()), ssize_t(smaller.view().fileSize()));
    EXPECT_TRUE(test::SameBytes(smaller.data(), smaller.view().fileSize(), piped.data(), smaller.view().fileSize()));
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

// Saving that fails at any point (the target cannot be created, the disk
// fills up half-way) leaves the file that was there as it was, and no
// temporary file behind.
TEST(ImageFiles, AFailedSaveNeverDestroysTheFileThatWasThere) {
    test::TempDir dir;
    const BmpImage image = test::MakeSolid(300, 300, 0x123456);
    const auto entries = [&] {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++n;
        return n;
    };

    // A target that cannot be created: a folder, a missing folder.
    EXPECT_FALSE(WriteImageFile(dir.path(), image.view()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
    EXPECT_FALSE(WriteImageFile(dir.file("missing/x.bmp"), image.view()));

    // A full disk over an existing 1000-byte picture, simulated with a
    // file-size limit below the new picture's size.
    const std::string path = dir.file("full.bmp");
    const std::vector<uint8_t> old(1000, 0x5A);
    test::WriteBytes(path, old);
    chmod(path.c_str(), 0640);
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteImageFile(path, image.view());
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(written);
    EXPECT_EQ(test::ReadBytes(path), old);
    EXPECT_EQ(entries(), 1u);

    // The same save with room: the new picture, the file's own permissions kept.
    ASSERT_TRUE(WriteImageFile(path, image.view()));
    EXPECT_EQ(test::ReadBytes(path).size(), image.view().fileSize());
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all, std::filesystem::perms(0640));

    // Saving over a link writes the file it names; the link stays a link.
    std::filesystem::create_symlink(path, dir.file("link.bmp"));
    ASSERT_TRUE(WriteImageFile(dir.file("link.bmp"), test::MakeSolid(2, 2, 0).view()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.bmp")));
    EXPECT_EQ(test::ReadBytes(path).size(), 70u);
    // A link whose target does not exist yet (relative, through a second
    // link) is written through too: the target is created, the links stay.
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_symlink("sub/new.bmp", dir.file("first.bmp"));
    std::filesystem::create_symlink("first.bmp", dir.file("second.bmp"));
    ASSERT_TRUE(WriteImageFile(dir.file("second.bmp"), test::MakeSolid(2, 2, 0).view()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("first.bmp")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("second.bmp")));
    EXPECT_EQ(test::ReadBytes(dir.file("sub/new.bmp")).size(), 70u);
    // A loop of links is refused, and stays a loop.
    std::filesystem::create_symlink("loop2.bmp", dir.file("loop1.bmp"));
    std::filesystem::create_symlink("loop1.bmp", dir.file("loop2.bmp"));
    EXPECT_FALSE(WriteImageFile(dir.file("loop1.bmp"), image.view()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("loop1.bmp")));

    // A write that fails on a device must not delete the device.
    EXPECT_FALSE(WriteImageFile("/dev/full", image.view()));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

// Only regular files are read, and a fifo never makes the reader wait for a
// writer that will not come; a link to a regular file is read.
TEST(ImageFiles, ReadsRegularFilesAndNeverWaitsOnAFifo) {
    test::TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadWholeFile(dir.file("fifo"), 1 << 20));
    EXPECT_FALSE(ReadWholeFile(dir.path(), 1 << 20));
    EXPECT_FALSE(ReadWholeFile(dir.file("missing"), 1 << 20));
    ASSERT_TRUE(WriteWholeFile(dir.file("text"), "abc"));
    std::filesystem::create_symlink("text", dir.file("link"));
    EXPECT_EQ(ReadWholeFile(dir.file("link"), 2), std::vector<uint8_t>({'a', 'b'}));
    EXPECT_TRUE(SameFile(dir.file("link"), dir.file("text")));
    EXPECT_FALSE(SameFile(dir.file("link"), dir.file("fifo")));
    EXPECT_FALSE(SameFile(dir.file("missing"), dir.file("missing")));
}

}  // namespace
}  // namespace zorva::core
