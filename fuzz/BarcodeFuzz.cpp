// libFuzzer target for the barcode reader: arbitrary pictures, raw or built from bar runs.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/BmpImage.h"
#include "recognize/Barcode.h"

// Input layout: byte 0 chooses how the rest becomes pixels, bytes 1..4 give
// width (1..640) and height (1..240); the picture block and the work plane
// are exactly the file size, so any step outside them is caught.
//   mode even: the remaining bytes are the pixel bytes, repeated as needed;
//   mode odd:  the remaining bytes are run lengths (1..16) of alternating
//              light and dark vertical bars leaning by (mode >> 1) % 9 - 4
//              columns per 32 rows, grey levels from the mode's high bits.
// Bars reach the guard, edge, threshold and digit stages far more often
// than raw bytes do.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const uint8_t mode = data[0];
    const uint32_t width = 1 + ((uint32_t(data[1]) | uint32_t(data[2]) << 8) % 640);
    const uint32_t height = 1 + ((uint32_t(data[3]) | uint32_t(data[4]) << 8) % 240);
    const uint8_t* body = data + 5;
    const size_t bodySize = size - 5;

    std::vector<uint8_t> block(zorva::core::FileSizeFor(width, height));
    zorva::core::WriteDecodedHeader(block.data(), width, height);
    const zorva::core::MutableBmpView image(block.data());
    if ((mode & 1) == 0) {
        size_t k = 0;
        for (uint32_t r = 0; r < height; ++r) {
            uint8_t* row = image.row(r);
            for (uint32_t i = 0; i < 3 * width; ++i, ++k) row[i] = body[k % bodySize];
        }
    } else {
        const int lean = (mode >> 1) % 9 - 4;
        const uint8_t dark = uint8_t((mode >> 4) * 8);
        const uint8_t light = uint8_t(255 - (mode >> 5) * 10);
        // Columns of the unleant pattern, wide enough for any lean.
        const size_t margin = size_t(4 * height / 32 + 2);
        std::vector<uint8_t> columns(width + 2 * margin);
        bool isDark = false;
        size_t x = 0;
        for (size_t k = 0; x < columns.size(); ++k) {
            const int run = 1 + body[k % bodySize] % 16;
            for (int n = 0; n < run && x < columns.size(); ++n, ++x) columns[x] = isDark ? dark : light;
            isDark = !isDark;
        }
        for (uint32_t r = 0; r < height; ++r) {
            const long shift = long(r) * lean / 32;
            for (uint32_t c = 0; c < width; ++c) {
                const uint8_t v = columns[size_t(long(c) + long(margin) + shift)];
                std::memset(image.pixel(c, r), v, 3);
            }
        }
    }

    std::vector<uint8_t> plane(block.size());
    const zorva::recognize::BarcodeResult result = zorva::recognize::ReadBarcode(image, plane);
    // A success is one of the two symbol forms, digits only, EAN-13 with its
    // check digit agreeing; marks lie inside the picture.
    using zorva::recognize::BarcodeFormat;
    const zorva::recognize::BarcodeReading& code = result.code;
    if (result.found()) {
        const size_t digits = code.format == BarcodeFormat::Ean13 ? 13 : 8;
        if (code.digits.size() != digits || !code.checkPassed) __builtin_trap();
        for (char d : code.digits)
            if (d < '0' || d > '9') __builtin_trap();
    }
    for (const zorva::recognize::BarcodeMark& m : result.marks)
        if (m.x < 0 || m.row < 0 || uint32_t(m.x) >= width || uint32_t(m.row) >= height) __builtin_trap();
    return 0;
}
