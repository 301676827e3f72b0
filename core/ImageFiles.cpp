// Decoded-picture conversion, the whole-file reader and the one writer of every file the program writes.
#include "core/ImageFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

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

namespace {

// Writes all of `data` to `fd`; false on any error.
bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The permissions a new file gets: rw for everyone the umask lets through.
mode_t NewFileMode() {
    static const mode_t mask = [] {
        const mode_t m = umask(0);
        umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

// A device or a fifo is written where it is: there is nothing to replace,
// and it must never be removed.
bool WriteInPlace(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, data, size);
    return close(fd) == 0 && written;
}

// The file a chain of links ends at: each link's text read and, when
// relative, taken from the link's own folder. A link whose target does not
// exist yet ends the chain there, so that writing through it creates the
// target. Nothing when the chain loops or runs too long.
std::optional<std::string> FollowLinks(std::string path) {
    // The same bound the kernel puts on a path's links (ELOOP).
    constexpr int kMostLinks = 40;
    for (int i = 0; i < kMostLinks; ++i) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string text(size_t(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        const ssize_t n = readlink(path.c_str(), text.data(), text.size());
        if (n <= 0 || size_t(n) >= text.size()) return std::nullopt;
        text.resize(size_t(n));
        if (text[0] != '/') {
            const size_t slash = path.find_last_of('/');
            if (slash != std::string::npos) text = path.substr(0, slash + 1) + text;
        }
        path = std::move(text);
    }
    return std::nullopt;
}

}  // namespace

bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size, FileKind kind) {
    std::string target = path;
    struct stat st {};
    bool exists = lstat(target.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode) && kind == FileKind::User) {
        // A link to a device or a pipe (/dev/stdout in a shell pipeline) is
        // written through, in place: there is no file to replace.
        struct stat followed {};
        if (stat(target.c_str(), &followed) == 0 && !S_ISREG(followed.st_mode) && !S_ISDIR(followed.st_mode))
            return WriteInPlace(target, data, size);
        // Saving over a link writes the file it names, as an editor's user
        // expects, and creates that file when the link points at none yet;
        // the link stays.
        const std::optional<std::string> named = FollowLinks(target);
        if (!named) return false;
        target = *named;
        exists = lstat(target.c_str(), &st) == 0;
    }
    if (exists && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return WriteInPlace(target, data, size);

    // The new content goes to a temporary file beside the target and takes
    // the target's name only once it is complete: a failure at any point
    // leaves what was there untouched. The temporary is created exclusively,
    // so no link planted under its name is followed, and the rename replaces
    // a link at the target itself rather than writing through it.
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "/." + name + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const mode_t mode = exists && S_ISREG(st.st_mode) ? (st.st_mode & 07777) : NewFileMode();
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, data, size);
    // A user's file must be on the disk before it replaces the old one; the
    // snapshot files are the program's scratch and need not wait for it.
    if (ok && kind == FileKind::User) ok = fsync(fd) == 0;
    // close() reports delayed write errors (a full disk on some file systems).
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t limit) {
    // Opened without waiting: a fifo or a device under a picture's or a
    // base's name must never hang the program. Only a regular file (a link
    // to one is fine) is read.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(std::min(limit, size_t(st.st_size)));
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

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return !a.empty() && !b.empty() && stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsFileOfDescriptor(const std::string& path, int fd) {
    struct stat named {
    }, open{};
    return stat(path.c_str(), &named) == 0 && fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}

SaveFormat SaveFormatFor(std::string_view path) {
    const size_t dot = path.find_last_of("./");
    if (dot == std::string_view::npos || path[dot] != '.') return SaveFormat::Bmp;
    std::string ending(path.substr(dot + 1));
    for (char& c : ending)
        if (c >= 'A' && c <= 'Z') c = char(c + ('a' - 'A'));
    if (ending == "png") return SaveFormat::Png;
    if (ending == "jpg" || ending == "jpeg" || ending == "jpe") return SaveFormat::Jpeg;
    if (ending == "tif" || ending == "tiff") return SaveFormat::Tiff;
    if (ending == "webp") return SaveFormat::Webp;
    return SaveFormat::Bmp;
}

bool WriteImageFile(const std::string& path, BmpView image) {
    return WriteWholeFile(path, image.data(), image.fileSize(), FileKind::User);
}

}  // namespace zorva::core
