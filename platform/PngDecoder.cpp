// Decoding PNG files straight into the program's BMP layout: the common files inflated in one piece by libdeflate,
// everything else row by row through libpng.
#include "platform/PngDecoder.h"

#include <libdeflate.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include "core/WorkArena.h"
#include "core/simd/PngUnfilter.h"
#include "platform/AlphaBlend.h"

namespace zorva::platform {

namespace {

// The file in memory as libpng's input, read the way Qt's reader reads its
// device: running out of data is an error, except for the four CRC bytes of
// the final chunk, which some writers leave off and Qt's reader supplies.
struct Source {
    std::span<const uint8_t> file;
    size_t position = 0;
    bool readingEnd = false;
};

void ReadData(png_structp png, png_bytep to, size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    const size_t left = source->file.size() - source->position;
    if (source->readingEnd && left < 4 && length == 4) {
        static constexpr std::array<uint8_t, 4> kEndCrc = {0xAE, 0x42, 0x60, 0x82};  // the CRC of IEND
        std::memcpy(to, kEndCrc.data(), 4);
        source->position = source->file.size();
        return;
    }
    if (length > left) png_error(png, "Read Error");
    std::memcpy(to, source->file.data() + source->position, length);
    source->position += length;
}

// Errors leave through the jump without a word (the caller falls back to Qt's
// reader, which reports what it finds); warnings are dropped.
[[noreturn]] void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void Silent(png_structp, png_const_charp) {}

// What the rows are read as, and how each becomes blue, green, red.
enum class Shape {
    Bgr,      // truecolour without transparency: three bytes, straight into the block
    Bgra,     // truecolour or grey with an alpha channel or a tRNS colour: blended over white
    Grey,     // 8-bit grey without tRNS: one byte spread to three
    Indexed,  // palette (2, 4 or 8 bits) or 8-bit grey with a tRNS value: looked up in a table
};

// ---------------------------------------------------------------------------
// The whole-stream route: a non-interlaced file of 8-bit samples or palette
// indices, read after libpng has read everything up to the first IDAT chunk.
// The chunks from there on are walked here, the image data inflated in one
// call and the rows unfiltered straight into the block. Anything this route
// does not find exactly as a well-formed file has it (a bad CRC, a short
// file, a stream that does not inflate to the exact size, a chunk libpng
// could object to) sends the file back to libpng, which reads it as before.
// ---------------------------------------------------------------------------

// What libpng's header reading found out, in the terms the rows need.
struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    int depth = 0;       // bits per sample: 8, or 2, 4 or 8 for a palette
    int colourType = 0;  // the IHDR colour type
    int channels = 0;    // samples per pixel in the file (a palette index is one)
    Shape shape = Shape::Bgr;
    const std::array<uint32_t, 256>* table = nullptr;  // the colours of the indexed shape
    uint32_t tableSize = 0;
};

uint32_t Big32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

constexpr uint32_t kLargestChunk = 0x7FFFFFFF;  // PNG lengths are 31-bit; libpng stops at a larger one
// The largest ancillary chunk after the image data this route steps over; libpng's own limit on such chunks
// (8 MB in Debian's build) is far above it, so a larger one is simply left to libpng.
constexpr uint32_t kLargestTrailingChunk = 1 << 16;

bool ChunkNameIsLetters(const uint8_t* name) {
    return std::all_of(name, name + 4, [](uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// The largest IDAT chunk libpng takes for this picture (its own bound on a chunk: the filtered rows plus deflate's
// worst-case overhead); a longer one is its error, so this route leaves it to libpng.
uint64_t IdatLimit(const Layout& l) {
    const uint64_t rowFactor = uint64_t(l.width) * uint64_t(l.channels) + 1;
    uint64_t limit = uint64_t(l.height) * rowFactor;
    limit += 6 + 5 * (limit / std::min<uint64_t>(rowFactor, 32566) + 1);
    return std::min<uint64_t>(limit, kLargestChunk);
}

// The whole chunk at `at` lies inside the file, its length is one PNG allows
// and its CRC is right.
bool WholeChunkAt(std::span<const uint8_t> file, size_t at) {
    if (file.size() - at < 12) return false;
    const uint32_t length = Big32(file.data() + at);
    if (length > kLargestChunk || file.size() - at - 12 < length) return false;
    const uint8_t* typeAndData = file.data() + at + 4;
    return libdeflate_crc32(0, typeAndData, 4 + size_t(length)) == Big32(typeAndData + 4 + length);
}

bool IsChunk(const uint8_t* chunk, const char* name) {
    return std::memcmp(chunk + 4, name, 4) == 0;
}

// Collects the image data of the IDAT chunks that start at `at` and checks the
// chunks after them up to IEND. Empty `parts` when anything is odd.
std::vector<std::span<const uint8_t>> ImageDataChunks(std::span<const uint8_t> file, size_t at, const Layout& l) {
    std::vector<std::span<const uint8_t>> parts;
    const uint64_t idatLimit = IdatLimit(l);
    while (at <= file.size() && file.size() - at >= 8 && IsChunk(file.data() + at, "IDAT")) {
        const uint32_t length = Big32(file.data() + at);
        if (length > idatLimit || !WholeChunkAt(file, at)) return {};
        parts.emplace_back(file.data() + at + 8, length);
        at += 12 + size_t(length);
    }
    if (parts.empty()) return {};
    // After the image data: ancillary chunks only (libpng reads them and keeps
    // none of their effects on the picture), then IEND, all whole.
    for (;;) {
        if (!WholeChunkAt(file, at)) return {};
        const uint8_t* chunk = file.data() + at;
        const uint32_t length = Big32(chunk);
        if (!ChunkNameIsLetters(chunk + 4)) return {};
        if (IsChunk(chunk, "IEND")) return length == 0 ? parts : std::vector<std::span<const uint8_t>>{};
        const bool critical = (chunk[4] & 0x20) == 0;
        if (critical || length > kLargestTrailingChunk) return {};
        at += 12 + size_t(length);
    }
}

// ---- samples to blue, green, red ------------------------------------------

// One unfiltered row of the file's samples into one row of the block, as the
// libpng route makes it from the same samples.
void SpreadSamples(const Layout& l, const uint8_t* s, uint8_t* d) {
    const uint32_t width = l.width;
    switch (l.shape) {
        case Shape::Bgr:
            for (uint32_t x = 0; x < width; ++x, s += 3, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
            break;
        case Shape::Grey:
            for (uint32_t x = 0; x < width; ++x, d += 3) d[0] = d[1] = d[2] = s[x];
            break;
        case Shape::Indexed: {
            const std::array<uint32_t, 256>& table = *l.table;
            const int depth = l.depth;
            const uint32_t mask = (1u << depth) - 1;
            for (uint32_t x = 0; x < width; ++x, d += 3) {
                // Indices of fewer bits are packed from the high end of each byte.
                const uint32_t bit = x * uint32_t(depth);
                const uint32_t index = (s[bit >> 3] >> (8 - depth - (bit & 7))) & mask;
                core::StorePixel(d, OverWhite(table[index < l.tableSize ? index : 0]));
            }
            break;
        }
        case Shape::Bgra:
            if (l.colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                for (uint32_t x = 0; x < width; ++x, s += 2, d += 3)
                    core::StorePixel(d, OverWhite(uint32_t(s[1]) << 24 | uint32_t(s[0]) * 0x010101u));
            } else {
                for (uint32_t x = 0; x < width; ++x, s += 4, d += 3)
                    core::StorePixel(
                        d, OverWhite(uint32_t(s[3]) << 24 | uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2]));
            }
            break;
    }
}

// Decodes the image data from the IDAT chunk header at `at` into `image`. False
// (and `image` untouched) when the file is to be read by libpng instead.
bool DecodeWholeStream(std::span<const uint8_t> file, size_t at, const Layout& l, core::BmpImage& image) {
    // RGB with a tRNS colour goes through libpng's expansion, which this route does not repeat.
    if (l.shape == Shape::Bgra && l.colourType == PNG_COLOR_TYPE_RGB) return false;
    const std::vector<std::span<const uint8_t>> parts = ImageDataChunks(file, at, l);
    if (parts.empty()) return false;

    core::BmpImage decoded = core::BmpImage::Decoded(l.width, l.height);
    if (!decoded) return false;
    uint8_t* const pixels = decoded.data() + core::kHeaderSize;
    const size_t pixelRoom = decoded.capacity() - core::kHeaderSize;

    // The image data as one zlib stream: the chunk's own bytes when there is
    // one chunk, else the chunks joined, in the block itself while its rows
    // are not yet written (a file's data is smaller than its picture, but for
    // odd ones). The large buffers come from the allocator of the picture
    // blocks, which asks for huge pages: 4 KB pages faulted in one by one
    // would cost as much as the inflating.
    std::span<const uint8_t> stream = parts.front();
    size_t joinedInBlock = 0;
    core::BmpImage joined;
    if (parts.size() > 1) {
        size_t total = 0;
        for (const auto& part : parts) total += part.size();
        uint8_t* to = pixels;
        if (total <= pixelRoom) {
            joinedInBlock = total;
        } else {
            joined = core::BmpImage::Allocate(total);
            if (!joined) return false;
            to = joined.data();
        }
        stream = {to, total};
        for (const auto& part : parts) to = std::copy(part.begin(), part.end(), to);
    }

    // The filtered rows, each a filter byte and the row's samples, inflated
    // into a buffer of exactly their size (and 8 bytes more for the whole-pixel
    // reads of the unfiltering). libdeflate checks the stream as zlib does
    // (header, codes, distances, Adler-32) with one exception: a Huffman code
    // left incomplete whose missing codeword the data then uses is an error to
    // zlib and decodes as symbol 0 here. No encoder writes such a stream; it
    // takes one made for the purpose, with every checksum right.
    const size_t rowBytes = (size_t(l.width) * size_t(l.channels) * size_t(l.depth) + 7) / 8;
    const size_t rawSize = size_t(l.height) * (rowBytes + 1);
    const core::BmpImage rawBlock = core::BmpImage::Allocate(rawSize + 8);
    if (!rawBlock) return false;
    uint8_t* const raw = rawBlock.data();
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (!inflater) return false;
    size_t streamUsed = 0, rawMade = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress_ex(inflater, stream.data(), stream.size(), raw, rawSize, &streamUsed, &rawMade);
    libdeflate_free_decompressor(inflater);
    if (result != LIBDEFLATE_SUCCESS || streamUsed != stream.size() || rawMade != rawSize) return false;
    for (size_t y = 0; y < l.height; ++y)
        if (raw[y * (rowBytes + 1)] > 4) return false;  // a filter type PNG does not have
    // The block's padding and spare bytes are zero, as the libpng route leaves them.
    std::memset(pixels, 0, joinedInBlock);

    const core::MutableBmpView view = decoded.view();
    const int bpp = std::max(1, l.channels * l.depth / 8);
    // Three rows of unfiltered samples taking turns as the row above and the
    // one or two rows being made; the row above the first is zeros.
    const size_t rowRoom = rowBytes + 8;
    std::vector<uint8_t> rows(3 * rowRoom, 0);
    uint8_t* prior = rows.data();
    uint8_t* current = prior + rowRoom;
    uint8_t* next = current + rowRoom;
    for (uint32_t y = 0; y < l.height;) {
        const uint8_t* filtered = raw + size_t(y) * (rowBytes + 1);
        // Two Paeth rows in a row, the usual case of a photo: both at once.
        const uint8_t* below = filtered + rowBytes + 1;
        if (y + 1 < l.height && filtered[0] == 4 && below[0] == 4 &&
            simd::UnfilterPngPaethPair(bpp, filtered + 1, below + 1, current, next, prior, l.width)) {
            SpreadSamples(l, current, view.row(l.height - 1 - y));
            SpreadSamples(l, next, view.row(l.height - 2 - y));
            std::swap(prior, next);  // the lower row is the next one's row above
            y += 2;
            continue;
        }
        simd::UnfilterPngRow(bpp, filtered[0], filtered + 1, current, prior, rowBytes);
        SpreadSamples(l, current, view.row(l.height - 1 - y));
        std::swap(current, prior);
        ++y;
    }
    image = std::move(decoded);
    return true;
}

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    ~Reader() { png_destroy_read_struct(&png, &info, &endInfo); }
};

// Runs under setjmp: what it allocates lives in the caller's objects.
bool Decode(Reader& r, Source& source, PngRoute route, core::BmpImage& image, std::vector<uint8_t>& rows) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_read_fn(r.png, &source, ReadData);
    png_read_info(r.png, r.info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(r.png, r.info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    const bool trns = png_get_valid(r.png, r.info, PNG_INFO_tRNS) != 0;
    if (width == 0 || height == 0 || core::CheckFit(width, height) != core::ImageFit::Fits) return false;

    // The colour table of the indexed shapes, as 0xAARRGGBB. A palette index
    // past the table reads as entry 0, as Qt's reader makes it.
    std::array<uint32_t, 256> table{};
    uint32_t tableSize = 0;
    Shape shape;
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int paletteSize = 0;
        if (depth == 1 || !png_get_PLTE(r.png, r.info, &palette, &paletteSize) || paletteSize > 256) return false;
        png_bytep alpha = nullptr;
        int alphaCount = 0;
        png_color_16p trnsColour = nullptr;
        if (!trns || !png_get_tRNS(r.png, r.info, &alpha, &alphaCount, &trnsColour) || !alpha) alphaCount = 0;
        for (int i = 0; i < paletteSize; ++i)
            table[size_t(i)] = uint32_t(i < alphaCount ? alpha[i] : 255) << 24 | uint32_t(palette[i].red) << 16 |
                               uint32_t(palette[i].green) << 8 | palette[i].blue;
        tableSize = uint32_t(paletteSize);
        if (depth < 8) png_set_packing(r.png);
        shape = Shape::Indexed;
    } else if (depth != 8) {
        return false;  // 16-bit samples and grey below 8 bits: Qt's own conversions
    } else if (colourType == PNG_COLOR_TYPE_GRAY) {
        if (!trns) {
            shape = Shape::Grey;
        } else {
            // Qt reads it as 256 greys with the tRNS value transparent.
            png_bytep alpha = nullptr;
            int alphaCount = 0;
            png_color_16p trnsColour = nullptr;
            png_get_tRNS(r.png, r.info, &alpha, &alphaCount, &trnsColour);
            for (uint32_t i = 0; i < 256; ++i) table[i] = 0xFF000000u | i * 0x010101u;
            if (trnsColour && trnsColour->gray < 256) table[trnsColour->gray] = 0;
            tableSize = 256;
            shape = Shape::Indexed;
        }
    } else if (colourType == PNG_COLOR_TYPE_RGB && !trns) {
        png_set_bgr(r.png);
        shape = Shape::Bgr;
    } else if (colourType == PNG_COLOR_TYPE_RGB || colourType == PNG_COLOR_TYPE_RGB_ALPHA ||
               colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        // The transformations of Qt's reader for its 32-bit picture.
        png_set_expand(r.png);
        if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(r.png);
        png_set_bgr(r.png);
        shape = Shape::Bgra;
    } else {
        return false;
    }
    if (interlace == PNG_INTERLACE_NONE && route != PngRoute::RowByRow) {
        const Layout layout{width, height, depth,    colourType, png_get_channels(r.png, r.info),
                            shape, &table, tableSize};
        if (DecodeWholeStream(source.file, source.position - 8, layout, image)) return true;
    }
    if (route == PngRoute::WholeStreamOnly) return false;
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);

    image = core::BmpImage::Decoded(width, height);
    if (!image) return false;
    const core::MutableBmpView view = image.view();
    if (shape == Shape::Bgr) {
        // The rows land in the block itself, the top row of the file last.
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < height; ++y) png_read_row(r.png, view.row(height - 1 - y), nullptr);
    } else {
        // Every other shape goes through rows of its own; an interlaced file
        // needs all of them at once, a plain one a single row.
        const size_t rowBytes = png_get_rowbytes(r.png, r.info);
        const size_t kept = passes > 1 ? size_t(height) : 1;
        rows.assign(rowBytes * kept, 0);
        const auto spread = [&](const uint8_t* s, png_uint_32 y) {
            uint8_t* d = view.row(height - 1 - y);
            if (shape == Shape::Grey) {
                for (png_uint_32 x = 0; x < width; ++x, d += 3) d[0] = d[1] = d[2] = s[x];
            } else if (shape == Shape::Indexed) {
                for (png_uint_32 x = 0; x < width; ++x, d += 3)
                    core::StorePixel(d, OverWhite(table[s[x] < tableSize ? s[x] : 0]));
            } else {
                for (png_uint_32 x = 0; x < width; ++x, s += 4, d += 3) core::StorePixel(d, OverWhite(core::Load32(s)));
            }
        };
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < height; ++y) {
                uint8_t* row = rows.data() + (passes > 1 ? rowBytes * y : 0);
                png_read_row(r.png, row, nullptr);
                if (pass == passes - 1) spread(row, y);
            }
    }
    source.readingEnd = true;
    png_read_end(r.png, r.endInfo);
    return true;
}

}  // namespace

core::BmpImage DecodePng(std::span<const uint8_t> file, PngRoute route) {
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) return {};
    Reader r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Silent);
    if (!r.png) return {};
    // As Qt's reader: a little more memory for files whose compressed data
    // reaches further back than their header says.
    png_set_option(r.png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
    r.info = png_create_info_struct(r.png);
    r.endInfo = png_create_info_struct(r.png);
    if (!r.info || !r.endInfo) return {};
    Source source{file};
    core::BmpImage image;
    std::vector<uint8_t> rows;
    if (!Decode(r, source, route, image, rows)) return {};
    return image;
}

}  // namespace zorva::platform
