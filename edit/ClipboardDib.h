// The clipboard's device-independent bitmap: written from a picture, read back from whatever another program put there.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/BmpImage.h"

namespace zorva::edit {

// The picture as a DIB: its 40-byte BITMAPINFOHEADER and its 24-bit
// bottom-up rows padded to 4 bytes (the BMP file without its 14-byte file
// header).
std::vector<uint8_t> DibOf(core::BmpView picture);

// A DIB as a picture in the program's layout (24-bit, bottom-up). Reads
// uncompressed 24- and 32-bit DIBs (32-bit with or without bit-field masks)
// and 1-, 4- and 8-bit ones with their colour table, stored bottom-up or
// top-down, with any of the usual header sizes. Nothing for compressed,
// malformed or truncated data, or a picture larger than a document may be:
// every read is checked against `bytes`.
std::optional<core::BmpImage> PictureFromDib(std::span<const uint8_t> bytes);

}  // namespace zorva::edit
