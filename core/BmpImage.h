// The in-memory picture: a block laid out byte for byte as a 24-bit bottom-up BMP file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/Bytes.h"

namespace zorva::core {

// Header field offsets of the 54-byte BMP header (file header + BITMAPINFOHEADER).
inline constexpr uint32_t kHeaderSize = 54;
inline constexpr uint32_t kOffFileSize = 2;
inline constexpr uint32_t kOffPixelOffset = 10;
inline constexpr uint32_t kOffInfoSize = 14;
inline constexpr uint32_t kOffWidth = 18;
inline constexpr uint32_t kOffHeight = 22;
inline constexpr uint32_t kOffPlanes = 26;
inline constexpr uint32_t kOffBitCount = 28;
inline constexpr uint32_t kOffCompression = 30;
inline constexpr uint32_t kOffImageSize = 34;
inline constexpr uint32_t kOffXPelsPerMetre = 38;
inline constexpr uint32_t kOffYPelsPerMetre = 42;
inline constexpr uint32_t kOffColoursUsed = 46;
// The file header before the BITMAPINFOHEADER, and that header's own size.
// A DIB (the clipboard's form) starts at the info header: its fields lie
// InInfoHeader(offset) bytes in.
inline constexpr uint32_t kFileHeaderSize = 14;
inline constexpr uint32_t kInfoHeaderSize = 40;
// The larger Windows info headers that begin with the same 40 bytes.
inline constexpr uint32_t kInfoHeaderV4Size = 108;
inline constexpr uint32_t kInfoHeaderV5Size = 124;
// The three channel masks (red, green, blue) that follow a 40-byte header with bit fields.
inline constexpr uint32_t kBitFieldMasksSize = 12;
constexpr uint32_t InInfoHeader(uint32_t fileOffset) {
    return fileOffset - kFileHeaderSize;
}
// Values of the compression field the program reads itself, and the
// run-length kind it leaves to Qt's reader.
inline constexpr uint32_t kCompressionRgb = 0;             // BI_RGB: no compression
inline constexpr uint32_t kCompressionRle8 = 1;            // BI_RLE8: 8-bit runs
inline constexpr uint32_t kCompressionBitFields = 3;       // BI_BITFIELDS: channel masks follow the header
inline constexpr uint32_t kCompressionAlphaBitFields = 6;  // BI_ALPHABITFIELDS: four masks

// The whole system counts columns, rows and strides in 16 bits, so a stride
// (3 * width rounded up to 4) must stay below 65,536: width at most 21,844.
inline constexpr uint32_t kMaxWidth = 21844;
inline constexpr uint32_t kMaxHeight = 65535;

// The New document: 1020 x 680 white, 4724 pixels per metre (120 dpi).
inline constexpr uint16_t kNewWidth = 1020;
inline constexpr uint16_t kNewHeight = 680;
inline constexpr uint32_t kNewBlockSize = 2080854;
inline constexpr uint32_t kNewPelsPerMetre = 4724;

// 3 * width padded to a multiple of 4: the padding is (width mod 4) bytes.
constexpr uint32_t StrideFor(uint32_t width) {
    return 3 * width + (width & 3);
}

constexpr uint32_t FileSizeFor(uint32_t width, uint32_t height) {
    return kHeaderSize + StrideFor(width) * height;
}

// Non-owning, read-only view of a BMP-shaped block. Width, height and stride
// are read from the header each time, so a view stays right after an
// operation rewrites the header (crop, undo to a larger picture). A function
// that takes a BmpView only reads the picture; one that changes it takes a
// MutableBmpView.
class BmpView {
public:
    BmpView() = default;
    explicit BmpView(const uint8_t* block) : m_block(block) {}

    const uint8_t* data() const { return m_block; }
    bool valid() const { return m_block != nullptr; }

    uint16_t width() const { return uint16_t(Load32(m_block + kOffWidth)); }
    uint16_t height() const { return uint16_t(Load32(m_block + kOffHeight)); }
    uint16_t stride() const { return uint16_t(StrideFor(width())); }
    uint32_t fileSize() const { return Load32(m_block + kOffFileSize); }
    // The file size rounded up to 8: the size of every whole-image copy.
    uint32_t blockSize() const { return (fileSize() + 7) & ~7u; }

    const uint8_t* pixels() const { return m_block + kHeaderSize; }
    // Stored row r counts from the bottom of the picture.
    const uint8_t* row(uint32_t r) const { return pixels() + size_t(r) * stride(); }
    const uint8_t* pixel(uint32_t x, uint32_t r) const { return row(r) + 3 * size_t(x); }

    uint32_t at(uint32_t x, uint32_t r) const { return LoadPixel(pixel(x, r)); }

protected:
    const uint8_t* m_block = nullptr;
};

// A view through which the picture may be changed. It converts to a BmpView
// wherever an operation only reads.
class MutableBmpView : public BmpView {
public:
    MutableBmpView() = default;
    explicit MutableBmpView(uint8_t* block) : BmpView(block) {}

    // The block was handed over writable; the base keeps it as const only to
    // give read-only views their type.
    uint8_t* data() const { return const_cast<uint8_t*>(m_block); }
    uint8_t* pixels() const { return data() + kHeaderSize; }
    uint8_t* row(uint32_t r) const { return pixels() + size_t(r) * stride(); }
    uint8_t* pixel(uint32_t x, uint32_t r) const { return row(r) + 3 * size_t(x); }

    void set(uint32_t x, uint32_t r, uint32_t bgr) const { StorePixel(pixel(x, r), bgr); }
};

// Writes the decoded-image header (no resolution, no palette) for width x height.
void WriteDecodedHeader(uint8_t* block, uint32_t width, uint32_t height);
// Writes the header of the New document (1020 x 680, 4724 pixels per metre).
void WriteNewHeader(uint8_t* block);

// An owning, zero-filled block holding a BmpImage. The block may be larger
// than the file it holds (decoded images carry 16 spare bytes per row).
class BmpImage {
public:
    BmpImage() = default;
    // A zero-filled block of `capacity` bytes, or an empty image when the
    // memory cannot be had.
    static BmpImage Allocate(size_t capacity);
    // A width x height picture in the decoded layout: block of file size +
    // 16 bytes per row, header filled in, pixels and padding zero.
    static BmpImage Decoded(uint32_t width, uint32_t height);
    // The New document: a file of 2,080,854 bytes of white, in a block of
    // its ImageBlockSize (2,080,856).
    static BmpImage New();

    BmpImage(BmpImage&&) noexcept = default;
    BmpImage& operator=(BmpImage&&) noexcept = default;
    ~BmpImage() = default;

    explicit operator bool() const { return m_block != nullptr; }
    MutableBmpView view() const { return MutableBmpView(m_block.get()); }
    uint8_t* data() const { return m_block.get(); }
    size_t capacity() const { return m_capacity; }

private:
    struct Free {
        Free() noexcept : size(0) {}
        explicit Free(size_t bytes) noexcept : size(bytes) {}
        size_t size;
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> m_block;
    size_t m_capacity = 0;
};

// Copies header and pixels of `src` into `dst`, changing pure white to
// blue 254, green 255, red 255 so it stays visible in a floating selection
// (where 0xFFFFFF means transparent). Padding of `dst` is not written.
void CopyForFloating(MutableBmpView dst, BmpView src);

// Writes 0xFF over (size - 54) / 4 four-byte units after the header,
// padding included.
void FillWhite(MutableBmpView image, uint32_t size);

}  // namespace zorva::core
