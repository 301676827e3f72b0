// Reading a plain 24-bit BMP file straight into the document block, the layout it already has.
#include "core/BmpFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "core/BmpHeader.h"
#include "core/WorkArena.h"

namespace zorva::core {

namespace {

// Reads exactly `size` bytes at `offset`; false on an error or an early end.
bool ReadAt(int fd, uint8_t* to, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = pread(fd, to, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        to += n;
        size -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

// BITMAPINFOHEADER, BITMAPV4HEADER and BITMAPV5HEADER: the headers whose
// 24-bit uncompressed rows every reader takes the same way.
bool PlainInfoHeader(uint32_t size) {
    return size == kInfoHeaderSize || size == kInfoHeaderV4Size || size == kInfoHeaderV5Size;
}

}  // namespace

BmpImage ReadPlainBmp(int fd, uint64_t fileSize) {
    uint8_t head[kHeaderSize];
    if (fileSize < kHeaderSize || !ReadAt(fd, head, kHeaderSize, 0)) return {};
    const std::optional<BmpFileHeader> header = ReadBmpFileHeader(head);
    if (!header) return {};
    const InfoHeader& info = header->info;
    if (!PlainInfoHeader(info.size) || info.planes != 1 || info.bitCount != 24 || info.compression != kCompressionRgb)
        return {};
    const uint32_t pixelOffset = header->pixelOffset;
    // The rows start where the header says, never inside the headers.
    if (uint64_t(pixelOffset) < kFileHeaderSize + uint64_t(info.size)) return {};
    const bool topDown = info.topDown;
    const uint32_t w = info.width, h = info.height;
    if (CheckFit(w, h) != ImageFit::Fits) return {};
    // A 24-bit BMP row is 3 * width rounded up to 4, as in the block.
    const size_t stride = StrideFor(w);
    if (fileSize < uint64_t(pixelOffset) + uint64_t(stride) * h) return {};

    BmpImage image = BmpImage::Decoded(w, h);
    if (!image) return {};
    const MutableBmpView view = image.view();
    if (!topDown) {
        if (!ReadAt(fd, view.pixels(), stride * h, pixelOffset)) return {};
    } else {
        for (uint32_t y = 0; y < h; ++y)
            if (!ReadAt(fd, view.row(h - 1 - y), stride, pixelOffset + uint64_t(y) * stride)) return {};
    }
    // The file's padding bytes may hold anything; the decoded layout pads with zeros.
    if (const uint32_t padding = w & 3; padding != 0)
        for (uint32_t r = 0; r < h; ++r) std::memset(view.row(r) + 3 * size_t(w), 0, padding);
    return image;
}

}  // namespace zorva::core
