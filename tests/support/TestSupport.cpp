// Temporary folders, picture builders, a plain BMP reader and byte comparison for the tests.
#include "tests/support/TestSupport.h"

#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/Bytes.h"
#include "core/ImageFiles.h"

// libjpeg needs <cstdio> first.
#include <jpeglib.h>

namespace zorva::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorva-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    m_path = made ? made : "";
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
}

core::BmpImage MakeImage(uint32_t width, uint32_t height, const std::function<uint32_t(uint32_t, uint32_t)>& colour) {
    core::BmpImage image = core::BmpImage::Decoded(width, height);
    const core::MutableBmpView view = image.view();
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t rgb = colour(x, r);
            uint8_t* p = view.pixel(x, r);
            p[0] = uint8_t(rgb);
            p[1] = uint8_t(rgb >> 8);
            p[2] = uint8_t(rgb >> 16);
        }
    return image;
}

void Fill(core::MutableBmpView image, uint32_t rgb) {
    for (uint32_t r = 0; r < image.height(); ++r)
        for (uint32_t x = 0; x < image.width(); ++x) image.set(x, r, rgb);
}

uint32_t Rgb(core::BmpView image, uint32_t x, uint32_t r) {
    const uint8_t* p = image.pixel(x, r);
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool WriteText(const std::string& path, std::string_view text) {
    return core::WriteWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

core::BmpImage ReadBmp24(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    if (bytes.size() < core::kHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return {};
    const uint32_t offset = core::Load32(bytes.data() + core::kOffPixelOffset);
    const int32_t width = int32_t(core::Load32(bytes.data() + core::kOffWidth));
    const int32_t height = int32_t(core::Load32(bytes.data() + core::kOffHeight));
    if (core::Load16(bytes.data() + core::kOffBitCount) != 24 ||
        core::Load32(bytes.data() + core::kOffCompression) != core::kCompressionRgb || width <= 0 || height == 0)
        return {};
    const uint32_t rows = uint32_t(height < 0 ? -height : height);
    const uint32_t stride = core::StrideFor(uint32_t(width));
    if (uint64_t(offset) + uint64_t(stride) * rows > bytes.size()) return {};
    core::BmpImage image = core::BmpImage::Decoded(uint32_t(width), rows);
    for (uint32_t r = 0; r < rows; ++r) {
        const uint32_t source = height < 0 ? rows - 1 - r : r;
        std::copy_n(&bytes[offset + size_t(source) * stride], 3 * size_t(width), image.view().row(r));
    }
    return image;
}

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return: jump back to the reader.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void JpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->back, 1);
}

}  // namespace

core::BmpImage ReadJpeg(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return {};
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    // Everything the jump may leave behind is made before it is armed.
    std::vector<uint8_t> rgb;
    core::BmpImage image;
    if (setjmp(error.back)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const uint32_t width = info.output_width, height = info.output_height;
    rgb.resize(size_t(width) * height * 3);
    while (info.output_scanline < height) {
        JSAMPROW row = rgb.data() + size_t(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    // Rows come top first; the picture keeps them bottom first.
    image = MakeImage(width, height, [&](uint32_t x, uint32_t r) {
        const uint8_t* p = &rgb[(size_t(height - 1 - r) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    });
    return image;
}

::testing::AssertionResult SameBytes(const uint8_t* expected, size_t expectedSize, const uint8_t* actual,
                                     size_t actualSize) {
    const size_t n = std::min(expectedSize, actualSize);
    for (size_t i = 0; i < n; ++i)
        if (expected[i] != actual[i])
            return ::testing::AssertionFailure() << "first difference at offset " << i << ": expected "
                                                 << int(expected[i]) << ", got " << int(actual[i]);
    if (expectedSize != actualSize)
        return ::testing::AssertionFailure() << "sizes differ: expected " << expectedSize << ", got " << actualSize;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SamePixels(core::BmpView expected, core::BmpView actual) {
    if (expected.width() != actual.width() || expected.height() != actual.height())
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", expected "
                                             << expected.width() << "x" << expected.height();
    for (uint32_t r = 0; r < expected.height(); ++r)
        for (uint32_t x = 0; x < expected.width(); ++x)
            if (Rgb(expected, x, r) != Rgb(actual, x, r))
                return ::testing::AssertionFailure() << "pixel (" << x << ", row " << r << ") is " << std::hex
                                                     << Rgb(actual, x, r) << ", expected " << Rgb(expected, x, r);
    return ::testing::AssertionSuccess();
}

std::string SourceDir() {
#ifdef ZORVA_SOURCE_DIR
    return ZORVA_SOURCE_DIR;
#else
    return ".";
#endif
}

}  // namespace zorva::test
