// Turning pictures, the quarter turns in cache-sized tiles.
#include "edit/Rotate.h"

#include <algorithm>
#include <cstring>

namespace zorva::edit {

namespace {

// Quarter turns read a column of the source for each destination row; in
// tiles of 64 x 64 pixels both stay in the cache.
constexpr uint32_t kTile = 64;

void CopyPixel(uint8_t* d, const uint8_t* s) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
}

// One destination row of a tile: `count` pixels read `step` bytes apart.
// A pixel moves as one 4-byte word whose fourth byte the next pixel
// overwrites; the last one moves as three bytes, so nothing past the tile's
// row is touched. `wideReads`: the byte after every source pixel belongs
// to the picture (the column is not the last one), so 4-byte reads are safe.
inline void CopyColumn(uint8_t* d, const uint8_t* s, ptrdiff_t step, uint32_t count, bool wideReads) {
    if (wideReads) {
        for (uint32_t i = 1; i < count; ++i, d += 3, s += step) std::memcpy(d, s, 4);
    } else {
        for (uint32_t i = 1; i < count; ++i, d += 3, s += step) {
            uint32_t word = 0;
            std::memcpy(&word, s, 3);
            std::memcpy(d, &word, 4);
        }
    }
    CopyPixel(d, s);
}

// Destination (X, Y) of a quarter turn reads source (sx, sy): turning
// right, sx = W - 1 - Y and sy = X; turning left, sx = Y and sy = H - 1 - X.
void QuarterTurn(core::BmpView source, core::MutableBmpView dest, bool right) {
    const uint32_t w = source.width(), h = source.height();  // dest is h x w
    const ptrdiff_t srcStride = ptrdiff_t(source.stride());
    for (uint32_t ty = 0; ty < w; ty += kTile)
        for (uint32_t tx = 0; tx < h; tx += kTile) {
            const uint32_t yEnd = std::min(ty + kTile, w), xEnd = std::min(tx + kTile, h);
            for (uint32_t y = ty; y < yEnd; ++y) {
                const uint32_t sx = right ? w - 1 - y : y;
                const uint8_t* s = right ? source.pixel(sx, tx) : source.pixel(sx, h - 1 - tx);
                CopyColumn(dest.pixel(tx, y), s, right ? srcStride : -srcStride, xEnd - tx, sx + 1 < w);
            }
        }
}

void Reverse(core::BmpView source, core::MutableBmpView dest, bool upsideDown) {
    const uint32_t w = source.width(), h = source.height();
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = source.row(upsideDown ? h - 1 - y : y) + 3 * size_t(w - 1);
        uint8_t* d = dest.row(y);
        for (uint32_t x = 0; x < w; ++x, d += 3, s -= 3) CopyPixel(d, s);
    }
}

}  // namespace

uint32_t TurnedFileSize(core::BmpView source, Turn turn) {
    const bool quarter = turn == Turn::Right || turn == Turn::Left;
    return quarter ? core::FileSizeFor(source.height(), source.width()) : source.fileSize();
}

void TurnPicture(core::BmpView source, core::MutableBmpView dest, Turn turn) {
    const uint32_t w = source.width(), h = source.height();
    const bool quarter = turn == Turn::Right || turn == Turn::Left;
    // The header stays the source's, with the turned size.
    std::memcpy(dest.data(), source.data(), core::kHeaderSize);
    const uint32_t dw = quarter ? h : w, dh = quarter ? w : h;
    const uint32_t imageSize = core::StrideFor(dw) * dh;
    core::Store32(dest.data() + core::kOffWidth, dw);
    core::Store32(dest.data() + core::kOffHeight, dh);
    core::Store32(dest.data() + core::kOffFileSize, core::kHeaderSize + imageSize);
    core::Store32(dest.data() + core::kOffImageSize, imageSize);
    // Padding bytes are zero, as in every picture the program makes.
    for (uint32_t y = 0; y < dh; ++y) std::memset(dest.row(y) + 3 * size_t(dw), 0, dest.stride() - 3 * size_t(dw));
    switch (turn) {
        case Turn::Right:
        case Turn::Left:
            QuarterTurn(source, dest, turn == Turn::Right);
            break;
        case Turn::Half:
            Reverse(source, dest, true);
            break;
        case Turn::Mirror:
            Reverse(source, dest, false);
            break;
    }
}

}  // namespace zorva::edit
