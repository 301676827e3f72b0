// Opening picture files: the fast readers of the common formats, Qt's readers for the rest.
#include "platform/PictureDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <span>

#include "core/BmpFile.h"
#include "core/ImageFiles.h"
#include "platform/JpegDecoder.h"
#include "platform/PngDecoder.h"
#include "platform/QtDecoder.h"

namespace zorva::platform {

namespace {

// The largest compressed file read whole for the fast readers; anything
// larger is Qt's reader's to judge (and refuse).
constexpr uint64_t kLargestCompressed = uint64_t(1) << 30;

class File {
public:
    explicit File(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() {
        if (m_fd >= 0) close(m_fd);
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The first `size` bytes of the open file, or fewer when it is shorter.
size_t ReadHead(int fd, uint8_t* to, size_t size) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, to + got, size - got, off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
    }
    return got;
}

// Reads the whole file into memory, as libjpeg and libpng read it; the
// buffer is not cleared first, the read overwrites every byte. Null when the
// file cannot be read whole.
std::unique_ptr<uint8_t[]> ReadAll(int fd, uint64_t size) {
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(size);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, bytes.get() + got, size - got, off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return nullptr;
        got += size_t(n);
    }
    return bytes;
}

core::BmpImage DecodeFast(const std::string& path) {
    const File file(path);
    struct stat st {};
    if (file.fd() < 0 || fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    const auto size = uint64_t(st.st_size);
    uint8_t head[8] = {};
    if (ReadHead(file.fd(), head, sizeof head) < sizeof head) return {};
    if (head[0] == 'B' && head[1] == 'M') return core::ReadPlainBmp(file.fd(), size);
    const bool jpeg = head[0] == 0xFF && head[1] == 0xD8;
    const bool png = head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G';
    if ((!jpeg && !png) || size > kLargestCompressed) return {};
    const std::unique_ptr<uint8_t[]> bytes = ReadAll(file.fd(), size);
    if (!bytes) return {};
    const std::span<const uint8_t> whole(bytes.get(), size);
    return jpeg ? DecodeJpeg(whole) : DecodePng(whole);
}

}  // namespace

shell::DecodeResult DecodePicture(const std::string& path) {
    shell::DecodeResult result;
    result.image = DecodeFast(path);
    if (!result.image) return DecodeWithQt(path);
    result.status = shell::DecodeStatus::Ok;
    return result;
}

}  // namespace zorva::platform
