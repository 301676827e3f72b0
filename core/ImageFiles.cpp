// Decoded-picture conversion and the BMP file writer.
#include "core/ImageFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zorva::core {

BmpImage BuildDecodedImage(uint32_t width, uint32_t height, const RowSource& rows) {
    BmpImage image = BmpImage::Decoded(width, height);
    if (!image) return image;
    const MutableBmpView view = image.view();
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* s = rows(r);
        uint8_t* d = view.row(r);
        for (uint32_t x = 0; x < width; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
        // The padding bytes are already zero: the block was zero-filled.
    }
    return image;
}

bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t left = size;
    while (left > 0) {
        const ssize_t n = write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        data += n;
        left -= size_t(n);
    }
    // Only a regular file is ours to remove: a failed write to a device
    // (or a fifo) must never delete it.
    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    // close() reports delayed write errors (a full disk on some file systems).
    const bool closed = close(fd) == 0;
    if (left != 0 || !closed) {
        if (regular) unlink(path.c_str());
        return false;
    }
    return true;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t limit) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    bool failed = false;
    while (bytes.size() < limit) {
        const ssize_t n = read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failed = true;
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    close(fd);
    if (failed) return std::nullopt;
    return bytes;
}

bool WriteImageFile(const std::string& path, BmpView image) {
    return WriteWholeFile(path, image.data(), image.fileSize());
}

}  // namespace zorva::core
