// libFuzzer target for the barcode chain (exact reader, zxing-cpp, zbar): random, barred and cut-up pictures.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/BmpImage.h"
#include "recognize/BarcodeChain.h"

namespace {

using zorva::core::MutableBmpView;

// The EAN character sets as module patterns (GS1 General Specifications) and
// the left-half sets of EAN-13 by its first digit.
constexpr std::array<const char*, 10> kL = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                            "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<const char*, 10> kG = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                            "0111001", "0000101", "0010001", "0001001", "0010111"};
constexpr std::array<const char*, 10> kR = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                            "1001110", "1010000", "1000100", "1001000", "1110100"};
constexpr std::array<const char*, 10> kFirst = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                                "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

// The 95 modules of the EAN-13 whose 13 digits come from `seed` (check
// digit and all, so it may be wrong), '1' dark.
std::string Ean13Modules(const uint8_t* seed, size_t size) {
    std::array<int, 13> d{};
    for (size_t i = 0; i < 13; ++i) d[i] = seed[i % size] % 10;
    std::string m = "101";
    for (size_t i = 1; i <= 6; ++i) m += kFirst[size_t(d[0])][i - 1] == 'L' ? kL[size_t(d[i])] : kG[size_t(d[i])];
    m += "01010";
    for (size_t i = 7; i <= 12; ++i) m += kR[size_t(d[i])];
    return m + "101";
}

void Set(const MutableBmpView& image, uint32_t x, uint32_t r, uint8_t v) {
    std::memset(image.pixel(x, r), v, 3);
}

}  // namespace

// Input layout: byte 0 chooses how the rest becomes pixels, bytes 1..4 give
// width (1..640) and height (1..480); the picture block, the work plane and
// the grey plane are exactly their sizes, so any step outside them is caught.
//   mode % 3 == 0: the remaining bytes are the pixel bytes, repeated as needed;
//   mode % 3 == 1: run lengths (1..16) of light and dark bars, upright or
//                  (mode bit 2) lying across the rows;
//   mode % 3 == 2: an EAN-13 from the next 13 bytes at a module of 1..6
//                  pixels, upright or lying, shifted so that the picture may
//                  cut it anywhere, with a band of the remaining bytes
//                  written over it as damage.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const uint8_t mode = data[0];
    const uint32_t width = 1 + ((uint32_t(data[1]) | uint32_t(data[2]) << 8) % 640);
    const uint32_t height = 1 + ((uint32_t(data[3]) | uint32_t(data[4]) << 8) % 480);
    const uint8_t* body = data + 5;
    const size_t bodySize = size - 5;
    const bool lying = (mode >> 2) & 1;

    std::vector<uint8_t> block(zorva::core::FileSizeFor(width, height));
    zorva::core::WriteDecodedHeader(block.data(), width, height);
    const MutableBmpView image(block.data());
    // The picture as `along` x `across` where bars run along `across`.
    const auto put = [&](uint32_t along, uint32_t across, uint8_t v) {
        if (lying)
            Set(image, across, along, v);
        else
            Set(image, along, across, v);
    };
    const uint32_t alongSize = lying ? height : width, acrossSize = lying ? width : height;
    switch (mode % 3) {
        case 0: {
            size_t k = 0;
            for (uint32_t r = 0; r < height; ++r) {
                uint8_t* row = image.row(r);
                for (uint32_t i = 0; i < 3 * width; ++i, ++k) row[i] = body[k % bodySize];
            }
            break;
        }
        case 1: {
            bool dark = false;
            uint32_t a = 0;
            for (size_t k = 0; a < alongSize; ++k) {
                const uint32_t run = 1 + body[k % bodySize] % 16;
                for (uint32_t n = 0; n < run && a < alongSize; ++n, ++a)
                    for (uint32_t c = 0; c < acrossSize; ++c) put(a, c, dark ? 20 : 235);
                dark = !dark;
            }
            break;
        }
        default: {
            const std::string modules = Ean13Modules(body, bodySize);
            const int module = 1 + (mode >> 3) % 6;
            const int offset = int(body[13 % bodySize]) - 64;  // where the first module lies, maybe outside
            for (uint32_t a = 0; a < alongSize; ++a) {
                const int i = (int(a) - offset) / module;
                const bool dark = int(a) >= offset && i < 95 && modules[size_t(i)] == '1';
                for (uint32_t c = 0; c < acrossSize; ++c) put(a, c, dark ? 30 : 230);
            }
            // Damage: a band across the code from the bytes after the digits.
            const uint32_t from = body[14 % bodySize] % alongSize, length = body[15 % bodySize] % 16;
            for (uint32_t a = from; a < from + length && a < alongSize; ++a)
                for (uint32_t c = 0; c < acrossSize; ++c) put(a, c, body[(16 + a + c) % bodySize]);
            break;
        }
    }

    std::vector<uint8_t> plane(block.size());
    std::vector<uint8_t> grey(zorva::recognize::GreyPlaneBytes(width, height));
    const zorva::recognize::ChainResult result = zorva::recognize::ReadBarcodeChain(image, plane, grey);
    // A read is 13 or 8 digits whose check digit agrees, whoever read it;
    // outline points and marks lie inside the picture.
    using zorva::recognize::BarcodeFormat;
    if (result.found()) {
        const size_t digits = result.code.format == BarcodeFormat::Ean13 ? 13 : 8;
        if (result.code.digits.size() != digits || !zorva::recognize::EanCheckPasses(result.code.digits) ||
            !result.code.checkPassed)
            __builtin_trap();
    } else if (result.code.format != BarcodeFormat::None || !result.outline.empty()) {
        __builtin_trap();
    }
    for (const zorva::recognize::OutlinePoint& p : result.outline)
        if (p.x < 0 || p.row < 0 || uint32_t(p.x) >= width || uint32_t(p.row) >= height) __builtin_trap();
    for (const zorva::recognize::BarcodeMark& m : result.exact.marks)
        if (m.x < 0 || m.row < 0 || uint32_t(m.x) >= width || uint32_t(m.row) >= height) __builtin_trap();
    return 0;
}
