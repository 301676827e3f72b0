// Taking apart the headers of BMP files and of the clipboard's DIBs, for every reader of them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zorva::core {

// The fields of a Windows info header (BITMAPINFOHEADER, or a larger header
// that begins with it) a reader judges a picture by. Which sizes, bit
// counts and compressions it takes is each reader's own decision.
struct InfoHeader {
    uint32_t size = 0;     // the header's own size: 40, 108, 124, ...
    uint32_t width = 0;    // columns, above zero
    uint32_t height = 0;   // rows, above zero
    bool topDown = false;  // the top row is stored first (the height field was negative)
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;

    // Bytes of one stored row: bitCount bits a pixel, padded to 4 bytes.
    uint64_t rowBytes() const { return (uint64_t(width) * bitCount + 31) / 32 * 4; }
};

// The info header at the start of `info`. Nothing when fewer than 40 bytes
// are there, the header says it is smaller than 40 bytes (an OS/2 header:
// files with one are left to Qt's reader, and the clipboard never holds
// one), the width is not above zero, or the height is zero or INT32_MIN (a
// row count that cannot be turned round).
std::optional<InfoHeader> ReadInfoHeader(std::span<const uint8_t> info);

struct BmpFileHeader {
    uint32_t pixelOffset = 0;  // where the rows start, counted from the file's first byte
    InfoHeader info;
};

// The headers at the start of a BMP file: "BM", the offset of the rows, and
// the info header after the 14-byte file header, as ReadInfoHeader takes it.
std::optional<BmpFileHeader> ReadBmpFileHeader(std::span<const uint8_t> file);

}  // namespace zorva::core
