// The two routes of the PNG reader against each other: random files of every colour type, bit depth, filter and
// compression setting, written here by libpng, and the same files cut short or with a byte changed, give the same
// block or the same refusal by the whole-stream route and by libpng row by row.
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <random>
#include <vector>

#include "platform/PngDecoder.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

// How one random file is made.
struct PngRecipe {
    uint32_t width = 1;
    uint32_t height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlaced = false;
    bool transparent = false;  // a tRNS chunk (palette alphas, or the colour of a pixel)
    int filters = PNG_ALL_FILTERS;
    int level = 6;           // zlib's compression level
    int strategy = 0;        // Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED
    size_t idatSize = 8192;  // the largest IDAT chunk the writer makes
    bool textAfter = false;  // a tEXt chunk after the image data
    int paletteSize = 256;
};

void Append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void Flush(png_structp) {}
void Quiet(png_structp, png_const_charp) {}

int Channels(int colourType) {
    switch (colourType) {
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;
    }
}

// Rows of samples between smooth and noisy, so that every filter has work:
// a gradient, a noise of a random amount on it, and runs of equal pixels.
std::vector<std::vector<uint8_t>> MakeRows(const PngRecipe& k, std::mt19937& rng) {
    const size_t bytesPerSample = k.depth == 16 ? 2 : 1;
    const size_t rowBytes = (size_t(k.width) * size_t(Channels(k.colourType)) * size_t(k.depth) + 7) / 8;
    const int noise = std::uniform_int_distribution<int>(0, 64)(rng);
    const int top = k.colourType == PNG_COLOR_TYPE_PALETTE ? std::min((1 << k.depth) + 2, 256) : 256;
    std::vector<std::vector<uint8_t>> rows(k.height, std::vector<uint8_t>(rowBytes));
    for (uint32_t y = 0; y < k.height; ++y)
        for (size_t i = 0; i < rowBytes; ++i) {
            uint8_t v = 0;
            if (i > 0 && rng() % 8 == 0) {
                v = rows[y][i - 1];
            } else {
                const int base = int(i * 3 + y * 5) + (noise ? int(rng() % uint32_t(noise)) : 0);
                v = uint8_t(k.colourType == PNG_COLOR_TYPE_PALETTE && k.depth == 8 ? base % top : base);
            }
            rows[y][i] = bytesPerSample == 2 && i % 2 == 1 ? uint8_t(rng()) : v;
        }
    return rows;
}

// What WritePng hands to libpng, made before the jump point so that nothing
// of it lives in the frame a libpng error jumps back into.
struct PngParts {
    std::vector<png_bytep> rows;
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    png_color_16 colour{};
    png_text text{};
};

// Runs libpng's writer under its jump point; false when libpng refuses.
bool WriteWithLibpng(png_structp png, png_infop info, const PngRecipe& k, PngParts& parts, std::vector<uint8_t>& out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &out, Append, Flush);
    png_set_benign_errors(png, 1);  // palette indices past the palette are written on purpose
    png_set_IHDR(png, info, k.width, k.height, k.depth, k.colourType,
                 k.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (k.colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, parts.palette.data(), k.paletteSize);
    if (k.transparent && k.colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_tRNS(png, info, parts.alphas.data(), int(parts.alphas.size()), nullptr);
    else if (k.transparent && (k.colourType == PNG_COLOR_TYPE_RGB || k.colourType == PNG_COLOR_TYPE_GRAY))
        png_set_tRNS(png, info, nullptr, 0, &parts.colour);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, k.filters);
    png_set_compression_level(png, k.level);
    png_set_compression_strategy(png, k.strategy);
    png_set_compression_buffer_size(png, k.idatSize);
    png_write_info(png, info);
    png_write_image(png, parts.rows.data());
    if (k.textAfter) png_set_text(png, info, &parts.text, 1);
    png_write_end(png, info);
    return true;
}

// A PNG file made by libpng as the recipe says. Empty when libpng refuses it.
std::vector<uint8_t> WritePng(const PngRecipe& k, std::mt19937& rng) {
    const std::vector<std::vector<uint8_t>> rows = MakeRows(k, rng);
    PngParts parts;
    for (const auto& row : rows) parts.rows.push_back(const_cast<png_bytep>(row.data()));
    parts.palette.resize(size_t(k.paletteSize));
    for (auto& c : parts.palette) c = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    parts.alphas.resize(size_t(k.paletteSize));
    for (auto& a : parts.alphas) a = uint8_t(rng() % 3 == 0 ? 255 : rng());
    // tRNS may be shorter than PLTE.
    parts.alphas.resize(std::uniform_int_distribution<size_t>(1, parts.alphas.size())(rng));
    parts.colour.red = uint16_t(rows[0][0]);  // the first sample of the picture, so that some pixels match
    parts.colour.green = uint16_t(rng() % 2 ? rows[0][0] : rng() % 256);
    parts.colour.blue = uint16_t(rng() % 256);
    parts.colour.gray = uint16_t(rows[0][0] >> (8 - std::min(k.depth, 8)));
    parts.text.compression = PNG_TEXT_COMPRESSION_NONE;
    parts.text.key = const_cast<png_charp>("Comment");
    parts.text.text = const_cast<png_charp>("after the image data");

    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, Quiet);
    png_infop info = png_create_info_struct(png);
    const bool written = WriteWithLibpng(png, info, k, parts, out);
    png_destroy_write_struct(&png, &info);
    return written ? out : std::vector<uint8_t>{};
}

PngRecipe RandomRecipe(std::mt19937& rng, int n) {
    static constexpr int kTypes[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_PALETTE,
                                     PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB_ALPHA};
    static constexpr int kFilters[] = {PNG_FILTER_NONE,  PNG_FILTER_SUB,  PNG_FILTER_UP,   PNG_FILTER_AVG,
                                       PNG_FILTER_PAETH, PNG_ALL_FILTERS, PNG_FAST_FILTERS};
    PngRecipe k;
    // The first files are the smallest, then any size up to a few hundred columns.
    k.width = n < 16 ? uint32_t(n % 4 + 1) : uint32_t(rng() % (rng() % 4 == 0 ? 300 : 24) + 1);
    k.height = n < 16 ? uint32_t(n / 4 + 1) : uint32_t(rng() % 24 + 1);
    k.colourType = kTypes[rng() % 5];
    if (k.colourType == PNG_COLOR_TYPE_PALETTE) {
        k.depth = 1 << (rng() % 4);  // 1, 2, 4, 8
        k.paletteSize = int(rng() % (1u << k.depth)) + 1;
    } else {
        k.depth = rng() % 10 == 0 ? 16 : 8;
    }
    k.interlaced = rng() % 8 == 0;
    k.transparent = rng() % 3 == 0;
    k.filters = kFilters[rng() % 7];
    k.level = int(rng() % 10);
    k.strategy = int(rng() % 5);
    k.idatSize = rng() % 2 ? 8192 : size_t(rng() % 200 + 1);
    k.textAfter = rng() % 4 == 0;
    return k;
}

// Replaces the CRC of the chunk that holds byte `at`, so that a changed byte
// reaches the chunk's reader instead of failing its CRC.
void FixCrc(std::vector<uint8_t>& file, size_t at) {
    size_t chunk = 8;
    while (chunk + 12 <= file.size()) {
        const uint32_t length = uint32_t(file[chunk]) << 24 | uint32_t(file[chunk + 1]) << 16 |
                                uint32_t(file[chunk + 2]) << 8 | file[chunk + 3];
        const size_t end = chunk + 12 + size_t(length);
        if (end > file.size()) return;
        if (at >= chunk + 8 && at < end - 4) {
            const uint32_t crc = libdeflate_crc32(0, file.data() + chunk + 4, 4 + size_t(length));
            for (int i = 0; i < 4; ++i) file[end - 4 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
            return;
        }
        chunk = end;
    }
}

// Both routes on one file: the same refusal, or blocks equal to the byte.
::testing::AssertionResult SameByBothRoutes(const std::vector<uint8_t>& file) {
    const core::BmpImage fast = platform::DecodePng(file);
    const core::BmpImage rows = platform::DecodePng(file, platform::PngRoute::RowByRow);
    if (bool(fast) != bool(rows))
        return ::testing::AssertionFailure() << (fast ? "only the whole-stream route decodes it" : "only libpng does");
    if (!fast) return ::testing::AssertionSuccess();
    return test::SameBytes(rows.data(), rows.capacity(), fast.data(), fast.capacity());
}

}  // namespace

// Random files of every kind, then each cut short and with one byte changed
// (with its chunk's CRC fixed half the time, so that the change reaches the
// inflater, the filters or the palette).
TEST(PngDecoder, RandomFilesDecodeAlikeByBothRoutes) {
    std::mt19937 rng(20261209);
    int made = 0, wholeStream = 0, broken = 0;
    for (int n = 0; n < 600; ++n) {
        const PngRecipe k = RandomRecipe(rng, n);
        const std::vector<uint8_t> file = WritePng(k, rng);
        ASSERT_FALSE(file.empty()) << "libpng would not write file " << n;
        ++made;
        ASSERT_TRUE(SameByBothRoutes(file)) << "file " << n;
        // The whole-stream route takes every plain file of 8-bit samples and
        // every palette of 2 to 8 bits, except truecolour with a tRNS colour.
        const bool itsOwn = !k.interlaced && k.depth != 16 && k.depth != 1 &&
                            (k.colourType == PNG_COLOR_TYPE_PALETTE || k.depth == 8) &&
                            !(k.transparent && k.colourType == PNG_COLOR_TYPE_RGB);
        const bool taken = bool(platform::DecodePng(file, platform::PngRoute::WholeStreamOnly));
        ASSERT_EQ(taken, itsOwn) << "file " << n;
        wholeStream += taken;

        for (int variant = 0; variant < 6; ++variant) {
            std::vector<uint8_t> odd = file;
            if (variant < 3) {
                odd.resize(std::uniform_int_distribution<size_t>(0, file.size() - 1)(rng));
            } else {
                const size_t at = std::uniform_int_distribution<size_t>(8, file.size() - 1)(rng);
                odd[at] ^= uint8_t(1u << (rng() % 8));
                if (variant > 3) FixCrc(odd, at);
            }
            broken += platform::DecodePng(odd, platform::PngRoute::RowByRow) ? 0 : 1;
            ASSERT_TRUE(SameByBothRoutes(odd)) << "file " << n << ", variant " << variant;
        }
    }
    // The comparison means something only where both routes had work.
    EXPECT_GT(wholeStream, made / 2);
    EXPECT_GT(broken, made);
}
