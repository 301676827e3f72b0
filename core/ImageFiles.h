// Turning decoded pictures into BmpImage blocks, and writing blocks out as BMP files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/BmpImage.h"

namespace zorva::core {

// Gives the 32-bit pixels (blue, green, red, ignored) of source row r,
// counting rows from the bottom of the picture.
using RowSource = std::function<const uint8_t*(uint32_t rowFromBottom)>;

// Builds the decoded block of a width x height picture: file size + 16 bytes
// per row, zero-filled, header set, each row the first three bytes of every
// source pixel followed by (width mod 4) zero bytes. Empty when the memory
// cannot be had. The caller has checked the size with CheckFit.
BmpImage BuildDecodedImage(uint32_t width, uint32_t height, const RowSource& rows);

// Writes `size` bytes to `path` in one go, replacing any file there; a file
// that could not be written whole is removed. True when every byte landed.
bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);

// Reads up to `limit` bytes of the file at `path`; nothing when it cannot be
// opened or read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t limit);

// Writes the first file-size bytes of `image` to `path`, replacing any
// file there. On any failure after the file was created the partly written
// file is removed. True when every byte was written.
bool WriteImageFile(const std::string& path, BmpView image);

}  // namespace zorva::core
