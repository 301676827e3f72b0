// Exact-size pictures, EAN symbols drawn from the published patterns, and a PNG loader for the sample corpus.
#include "tests/recognize/BarcodePictures.h"

#include <png.h>

#include <array>
#include <cstring>

namespace zorva::test {

ExactImage::ExactImage(uint32_t width, uint32_t height, uint32_t rgb) : m_block(core::FileSizeFor(width, height)) {
    core::WriteDecodedHeader(m_block.data(), width, height);
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t x = 0; x < width; ++x) set(x, r, rgb);
}

void ExactImage::set(uint32_t x, uint32_t r, uint32_t rgb) {
    uint8_t* p = view().pixel(x, r);
    p[0] = uint8_t(rgb);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb >> 16);
}

uint32_t ExactImage::rgb(uint32_t x, uint32_t r) const {
    const uint8_t* p = view().pixel(x, r);
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

namespace {

// The EAN/UPC character sets as module patterns (GS1 General Specifications).
constexpr std::array<const char*, 10> kL = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                            "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<const char*, 10> kG = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                            "0111001", "0000101", "0010001", "0001001", "0010111"};
constexpr std::array<const char*, 10> kR = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                            "1001110", "1010000", "1000100", "1001000", "1110100"};
// Sets of the six left-half digits of EAN-13 by the first digit.
constexpr std::array<const char*, 10> kFirstDigitSets = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                                         "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

}  // namespace

std::string DigitModules(char set, int digit) {
    const auto& table = set == 'L' ? kL : set == 'G' ? kG : kR;
    return table[size_t(digit)];
}

std::vector<int> RunWidths(const std::string& modules) {
    std::vector<int> runs;
    for (size_t i = 0; i < modules.size(); ++i) {
        if (i == 0 || modules[i] != modules[i - 1])
            runs.push_back(1);
        else
            ++runs.back();
    }
    return runs;
}

std::string FirstDigitSets(int first) {
    return kFirstDigitSets[size_t(first)];
}

std::string EanModules(const std::string& digits) {
    auto d = [&](size_t i) { return size_t(digits[i] - '0'); };
    std::string modules = "101";
    if (digits.size() == 13) {
        for (size_t i = 1; i <= 6; ++i) modules += kFirstDigitSets[d(0)][i - 1] == 'L' ? kL[d(i)] : kG[d(i)];
        modules += "01010";
        for (size_t i = 7; i <= 12; ++i) modules += kR[d(i)];
    } else {
        for (size_t i = 0; i < 4; ++i) modules += kL[d(i)];
        modules += "01010";
        for (size_t i = 4; i < 8; ++i) modules += kR[d(i)];
    }
    modules += "101";
    return modules;
}

void DrawEan(ExactImage& image, const std::string& digits, const EanDrawing& how) {
    const std::string modules = EanModules(digits);
    const int width = int(image.width());
    const int height = int(image.height());
    for (int row = how.bottom; row < how.bottom + how.barHeight && row < height; ++row) {
        if (row < 0) continue;
        const int up = row - how.bottom;
        // Floor division, so that bars leaning left move by whole columns too.
        const int shift = (up * how.shear - (up * how.shear < 0 ? 31 : 0)) / 32;
        for (size_t i = 0; i < modules.size(); ++i) {
            if (modules[i] != '1') continue;
            for (int k = 0; k < how.module; ++k) {
                const int x = how.left + shift + int(i) * how.module + k;
                if (x >= 0 && x < width) image.set(uint32_t(x), uint32_t(row), how.ink);
            }
        }
    }
}

ExactImage EanPicture(const std::string& digits, const EanDrawing& how, int width, int height) {
    ExactImage image(uint32_t(width), uint32_t(height), how.paper);
    DrawEan(image, digits, how);
    return image;
}

ExactImage Turned180(const ExactImage& image) {
    const uint32_t w = image.width(), h = image.height();
    ExactImage out(w, h);
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t x = 0; x < w; ++x) out.set(w - 1 - x, h - 1 - r, image.rgb(x, r));
    return out;
}

ExactImage Mirrored(const ExactImage& image) {
    const uint32_t w = image.width(), h = image.height();
    ExactImage out(w, h);
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t x = 0; x < w; ++x) out.set(w - 1 - x, r, image.rgb(x, r));
    return out;
}

ExactImage TurnedQuarter(const ExactImage& image) {
    const uint32_t w = image.width(), h = image.height();
    ExactImage out(h, w);
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t x = 0; x < w; ++x) out.set(r, w - 1 - x, image.rgb(x, r));
    return out;
}

ExactImage LoadPng(const std::string& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return {};
    png.format = PNG_FORMAT_BGR;  // the byte order of a BMP pixel
    std::vector<uint8_t> rows(PNG_IMAGE_SIZE(png));
    // Background for any transparency: white, like the platform decoder.
    png_color white = {255, 255, 255};
    if (!png_image_finish_read(&png, &white, rows.data(), 0, nullptr)) {
        png_image_free(&png);
        return {};
    }
    ExactImage image(png.width, png.height);
    // PNG rows run top-down, stored BMP rows bottom-up.
    for (uint32_t y = 0; y < png.height; ++y)
        std::memcpy(image.view().row(png.height - 1 - y), &rows[size_t(y) * png.width * 3], size_t(png.width) * 3);
    return image;
}

}  // namespace zorva::test
