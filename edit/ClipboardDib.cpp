// DIB writing and a bounds-checked DIB reader for the clipboard.
#include "edit/ClipboardDib.h"

#include <bit>
#include <cstring>

#include "core/WorkArena.h"

namespace zorva::edit {

namespace {

using core::InInfoHeader;
constexpr uint32_t kInfoHeader = core::kInfoHeaderSize;
constexpr uint32_t kRgb = core::kCompressionRgb;
constexpr uint32_t kBitFields = core::kCompressionBitFields;

int32_t LoadSigned(const uint8_t* p) {
    return int32_t(core::Load32(p));
}

// The 8-bit value of the channel `mask` selects in `word`.
uint8_t Channel(uint32_t word, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const uint64_t value = (word & mask) >> shift;
    const uint64_t top = mask >> shift;  // all ones, as many bits as the channel has
    return uint8_t(top == 255 ? value : (value * 255 + top / 2) / top);
}

}  // namespace

std::vector<uint8_t> DibOf(core::BmpView picture) {
    const size_t size = picture.fileSize() - core::kFileHeaderSize;
    std::vector<uint8_t> dib(picture.data() + core::kFileHeaderSize, picture.data() + core::kFileHeaderSize + size);
    return dib;
}

std::optional<core::BmpImage> PictureFromDib(std::span<const uint8_t> bytes) {
    if (bytes.size() < kInfoHeader) return std::nullopt;
    const uint8_t* h = bytes.data();
    const uint32_t headerSize = core::Load32(h);
    const int32_t width = LoadSigned(h + InInfoHeader(core::kOffWidth));
    const int32_t rawHeight = LoadSigned(h + InInfoHeader(core::kOffHeight));
    const uint16_t bits = core::Load16(h + InInfoHeader(core::kOffBitCount));
    const uint32_t compression = core::Load32(h + InInfoHeader(core::kOffCompression));
    uint32_t used = core::Load32(h + InInfoHeader(core::kOffColoursUsed));
    if (headerSize < kInfoHeader || headerSize > bytes.size() || core::Load16(h + InInfoHeader(core::kOffPlanes)) != 1)
        return std::nullopt;
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return std::nullopt;
    const bool topDown = rawHeight < 0;
    const uint32_t w = uint32_t(width), ht = uint32_t(topDown ? -rawHeight : rawHeight);
    // Nothing larger than a document may be: a few bytes of 1-bit pixels
    // would otherwise ask for gigabytes of 24-bit ones.
    if (core::CheckFit(w, ht) != core::ImageFit::Fits) return std::nullopt;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32)) return std::nullopt;
    if (compression != kRgb && !(compression == kBitFields && bits == 32)) return std::nullopt;

    // Masks of 32-bit pixels: after a 40-byte header with bit fields, or in
    // the larger headers themselves; blue, green, red in the low bytes otherwise.
    uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};  // red, green, blue
    size_t at = headerSize;
    if (compression == kBitFields) {
        if (headerSize == kInfoHeader) {
            if (bytes.size() < at + 12) return std::nullopt;
            for (int i = 0; i < 3; ++i) masks[i] = core::Load32(h + at + 4 * i);
            at += 12;
        } else {
            if (headerSize < 52) return std::nullopt;
            for (int i = 0; i < 3; ++i) masks[i] = core::Load32(h + kInfoHeader + 4 * i);
        }
    }
    // The colour table of 1-, 4- and 8-bit pixels: blue, green, red, unused.
    const uint8_t* table = nullptr;
    uint32_t tableSize = 0;
    if (bits <= 8) {
        const uint32_t most = 1u << bits;
        tableSize = used == 0 || used > most ? most : used;
        if (bytes.size() < at + 4 * size_t(tableSize)) return std::nullopt;
        table = h + at;
        at += 4 * size_t(tableSize);
    }
    const size_t rowBytes = ((size_t(w) * bits + 31) / 32) * 4;
    if (bytes.size() < at || (bytes.size() - at) / rowBytes < ht) return std::nullopt;
    const uint8_t* pixels = h + at;

    core::BmpImage picture = core::BmpImage::Decoded(w, ht);
    if (!picture) return std::nullopt;
    const core::MutableBmpView out = picture.view();
    for (uint32_t r = 0; r < ht; ++r) {
        const uint8_t* s = pixels + rowBytes * (topDown ? ht - 1 - r : r);
        uint8_t* d = out.row(r);
        if (bits == 24) {
            std::memcpy(d, s, 3 * size_t(w));
            continue;
        }
        for (uint32_t x = 0; x < w; ++x, d += 3) {
            if (bits == 32) {
                const uint32_t word = core::Load32(s + 4 * size_t(x));
                d[0] = Channel(word, masks[2]);
                d[1] = Channel(word, masks[1]);
                d[2] = Channel(word, masks[0]);
                continue;
            }
            const size_t bit = size_t(x) * bits;
            const uint32_t index = (s[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            if (index >= tableSize) continue;  // a colour the table lacks stays black
            d[0] = table[4 * index];
            d[1] = table[4 * index + 1];
            d[2] = table[4 * index + 2];
        }
    }
    return picture;
}

}  // namespace zorva::edit
