// Construction, copying and filling of BMP-shaped blocks.
#include "core/BmpImage.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace zorva::core {

namespace {

void WriteCommonHeader(uint8_t* b, uint32_t width, uint32_t height) {
    const uint32_t imageSize = StrideFor(width) * height;
    std::memset(b, 0, kHeaderSize);
    b[0] = 'B';
    b[1] = 'M';
    Store32(b + kOffFileSize, kHeaderSize + imageSize);
    Store32(b + kOffPixelOffset, kHeaderSize);
    Store32(b + kOffInfoSize, kInfoHeaderSize);
    Store32(b + kOffWidth, width);
    Store32(b + kOffHeight, height);
    Store16(b + kOffPlanes, 1);
    Store16(b + kOffBitCount, 24);
    Store32(b + kOffImageSize, imageSize);
}

// Blocks of 2 MiB and more are mapped directly so that the kernel can back
// them with huge pages: the first touch of a 36 MB picture is several times
// faster that way. Under AddressSanitizer every block comes from the
// allocator, whose guards catch a read or write past its end.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kMapThreshold = SIZE_MAX;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr size_t kMapThreshold = SIZE_MAX;
#else
constexpr size_t kMapThreshold = size_t(2) << 20;
#endif
#else
constexpr size_t kMapThreshold = size_t(2) << 20;
#endif

}  // namespace

void BmpImage::Free::operator()(uint8_t* p) const {
    if (size >= kMapThreshold)
        munmap(p, size);
    else
        std::free(p);
}

BmpImage BmpImage::Allocate(size_t capacity) {
    BmpImage image;
    if (capacity == 0) return image;
    uint8_t* p = nullptr;
    if (capacity >= kMapThreshold) {
        void* m = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED) return image;
        madvise(m, capacity, MADV_HUGEPAGE);
        p = static_cast<uint8_t*>(m);
    } else {
        p = static_cast<uint8_t*>(std::calloc(capacity, 1));
        if (!p) return image;
    }
    image.m_block = std::unique_ptr<uint8_t, Free>(p, Free{capacity});
    image.m_capacity = capacity;
    return image;
}

BmpImage BmpImage::Decoded(uint32_t width, uint32_t height) {
    const size_t capacity = size_t(FileSizeFor(width, height)) + 16 * size_t(height);
    BmpImage image = Allocate(capacity);
    if (image) WriteDecodedHeader(image.data(), width, height);
    return image;
}

BmpImage BmpImage::New() {
    // Room for ImageBlockSize (the file size rounded up to 8): every
    // whole-image copy and snapshot moves that many bytes.
    BmpImage image = Allocate((kNewBlockSize + 7) & ~size_t(7));
    if (!image) return image;
    FillWhite(image.view(), kNewBlockSize);
    WriteNewHeader(image.data());
    return image;
}

void WriteDecodedHeader(uint8_t* block, uint32_t width, uint32_t height) {
    WriteCommonHeader(block, width, height);
}

void WriteNewHeader(uint8_t* block) {
    WriteCommonHeader(block, kNewWidth, kNewHeight);
    Store32(block + kOffXPelsPerMetre, kNewPelsPerMetre);
    Store32(block + kOffYPelsPerMetre, kNewPelsPerMetre);
}

void CopyForFloating(MutableBmpView dst, BmpView src) {
    std::memcpy(dst.data(), src.data(), kHeaderSize);
    const uint32_t w = src.width();
    const uint32_t h = src.height();
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t* s = src.row(r);
        uint8_t* d = dst.row(r);
        for (uint32_t x = 0; x < w; ++x, s += 3, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if ((s[0] & s[1] & s[2]) == 0xFF) d[0] = 0xFE;
        }
    }
}

void FillWhite(MutableBmpView image, uint32_t size) {
    if (size <= kHeaderSize) return;
    std::memset(image.pixels(), 0xFF, size_t((size - kHeaderSize) / 4) * 4);
}

}  // namespace zorva::core
