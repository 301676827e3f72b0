// Turning decoded pictures into BmpImage blocks, and writing blocks out as BMP files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// Whose a written file is.
enum class FileKind {
    User,     // a picture, report, base or SVG: links are followed, the data reaches the disk first
    Private,  // a snapshot file: a link at the target is replaced, never followed
};

// The one writer of every file the program writes: `size` bytes go to a
// temporary file in the target's folder, which replaces the target only
// when complete; on any failure the old file is untouched and the temporary
// removed. A link at the target (kind User) is followed to the file it
// names, which is created when missing. A device or fifo at the target is
// written in place and never removed. A new file gets the permissions the
// umask allows, a replaced one keeps its own. True when every byte landed.
bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size, FileKind kind = FileKind::User);
inline bool WriteWholeFile(const std::string& path, std::string_view text) {
    return WriteWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// Reads up to `limit` bytes of the file at `path`; nothing when it cannot be
// opened or read, or is not a regular file (a fifo, a device, a folder): it
// never waits for a writer.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t limit);

// Whether both paths name one existing file (links followed, hard links
// included).
bool SameFile(const std::string& a, const std::string& b);
// Whether `path` names the file open as descriptor `fd` (/dev/stdout or the
// pipe behind it, for descriptor 1).
bool IsFileOfDescriptor(const std::string& path, int fd);

// Writes the first file-size bytes of `image` to `path` through
// WriteWholeFile: a failed save never destroys the file that was there.
bool WriteImageFile(const std::string& path, BmpView image);

// The format a picture is saved in, as its name's ending says.
enum class SaveFormat { Bmp, Png, Jpeg, Tiff, Webp };
// .png, .jpg/.jpeg/.jpe, .tif/.tiff and .webp in any case; the 24-bit BMP
// for .bmp and for every name without a known ending.
SaveFormat SaveFormatFor(std::string_view path);

}  // namespace zorva::core
