// DIB writing and a bounds-checked DIB reader for the clipboard.
#include "edit/ClipboardDib.h"

#include <bit>
#include <cstring>

#include "core/BmpHeader.h"
#include "core/WorkArena.h"

namespace zorva::edit {

namespace {

constexpr uint32_t kInfoHeader = core::kInfoHeaderSize;
constexpr uint32_t kRgb = core::kCompressionRgb;
constexpr uint32_t kBitFields = core::kCompressionBitFields;

// The 8-bit value of the channel `mask` selects in `word`.
uint8_t Channel(uint32_t word, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const uint64_t value = (word & mask) >> shift;
    const uint64_t top = mask >> shift;  // all ones, as many bits as the channel has
    return uint8_t(top == 255 ? value : (value * 255 + top / 2) / top);
}

// Where the parts of a DIB lie and how its pixels read, as its headers say.
struct DibLayout {
    core::InfoHeader header;
    uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};  // red, green, blue of 32-bit pixels
    const uint8_t* table = nullptr;                // the colour table of 1-, 4- and 8-bit pixels
    uint32_t tableSize = 0;
    const uint8_t* pixels = nullptr;  // the first stored row
    size_t rowBytes = 0;
};

// The layout of the DIB in `bytes` when the program reads its kind and every
// part of it lies within `bytes`.
std::optional<DibLayout> ReadDibLayout(std::span<const uint8_t> bytes) {
    const std::optional<core::InfoHeader> info = core::ReadInfoHeader(bytes);
    if (!info) return std::nullopt;
    DibLayout dib{.header = *info};
    const core::InfoHeader& h = dib.header;
    if (h.size > bytes.size() || h.planes != 1) return std::nullopt;
    // Nothing larger than a document may be: a few bytes of 1-bit pixels
    // would otherwise ask for gigabytes of 24-bit ones.
    if (core::CheckFit(h.width, h.height) != core::ImageFit::Fits) return std::nullopt;
    const uint16_t bits = h.bitCount;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32)) return std::nullopt;
    if (h.compression != kRgb && !(h.compression == kBitFields && bits == 32)) return std::nullopt;

    // Masks of 32-bit pixels: after a 40-byte header with bit fields, or in
    // the larger headers themselves; blue, green, red in the low bytes otherwise.
    size_t at = h.size;
    if (h.compression == kBitFields) {
        if (h.size == kInfoHeader) {
            if (bytes.size() < at + core::kBitFieldMasksSize) return std::nullopt;
            for (int i = 0; i < 3; ++i) dib.masks[i] = core::Load32(bytes.data() + at + 4 * i);
            at += core::kBitFieldMasksSize;
        } else {
            if (h.size < kInfoHeader + core::kBitFieldMasksSize) return std::nullopt;
            for (int i = 0; i < 3; ++i) dib.masks[i] = core::Load32(bytes.data() + kInfoHeader + 4 * i);
        }
    }
    // The colour table of 1-, 4- and 8-bit pixels: blue, green, red, unused.
    if (bits <= 8) {
        const uint32_t most = 1u << bits;
        dib.tableSize = h.coloursUsed == 0 || h.coloursUsed > most ? most : h.coloursUsed;
        if (bytes.size() < at + 4 * size_t(dib.tableSize)) return std::nullopt;
        dib.table = bytes.data() + at;
        at += 4 * size_t(dib.tableSize);
    }
    dib.rowBytes = size_t(h.rowBytes());
    if (bytes.size() < at || (bytes.size() - at) / dib.rowBytes < h.height) return std::nullopt;
    dib.pixels = bytes.data() + at;
    return dib;
}

// The DIB's rows converted to the program's layout; empty when the memory
// cannot be had.
core::BmpImage ConvertRows(const DibLayout& dib) {
    const uint32_t w = dib.header.width, ht = dib.header.height;
    const uint16_t bits = dib.header.bitCount;
    core::BmpImage picture = core::BmpImage::Decoded(w, ht);
    if (!picture) return picture;
    const core::MutableBmpView out = picture.view();
    for (uint32_t r = 0; r < ht; ++r) {
        const uint8_t* s = dib.pixels + dib.rowBytes * (dib.header.topDown ? ht - 1 - r : r);
        uint8_t* d = out.row(r);
        if (bits == 24) {
            std::memcpy(d, s, 3 * size_t(w));
            continue;
        }
        for (uint32_t x = 0; x < w; ++x, d += 3) {
            if (bits == 32) {
                const uint32_t word = core::Load32(s + 4 * size_t(x));
                d[0] = Channel(word, dib.masks[2]);
                d[1] = Channel(word, dib.masks[1]);
                d[2] = Channel(word, dib.masks[0]);
                continue;
            }
            const size_t bit = size_t(x) * bits;
            const uint32_t index = (s[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            if (index >= dib.tableSize) continue;  // a colour the table lacks stays black
            d[0] = dib.table[4 * index];
            d[1] = dib.table[4 * index + 1];
            d[2] = dib.table[4 * index + 2];
        }
    }
    return picture;
}

}  // namespace

std::vector<uint8_t> DibOf(core::BmpView picture) {
    const size_t size = picture.fileSize() - core::kFileHeaderSize;
    std::vector<uint8_t> dib(picture.data() + core::kFileHeaderSize, picture.data() + core::kFileHeaderSize + size);
    return dib;
}

std::optional<core::BmpImage> PictureFromDib(std::span<const uint8_t> bytes) {
    const std::optional<DibLayout> dib = ReadDibLayout(bytes);
    if (!dib) return std::nullopt;
    core::BmpImage picture = ConvertRows(*dib);
    if (!picture) return std::nullopt;
    return picture;
}

}  // namespace zorva::edit
