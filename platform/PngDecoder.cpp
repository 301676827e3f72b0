// Decoding PNG files with libpng straight into the program's BMP layout.
#include "platform/PngDecoder.h"

#include <png.h>

#include <array>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include "core/WorkArena.h"
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

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    ~Reader() { png_destroy_read_struct(&png, &info, &endInfo); }
};

// Runs under setjmp: what it allocates lives in the caller's objects.
bool Decode(Reader& r, Source& source, core::BmpImage& image, std::vector<uint8_t>& rows) {
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

core::BmpImage DecodePng(std::span<const uint8_t> file) {
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
    if (!Decode(r, source, image, rows)) return {};
    return image;
}

}  // namespace zorva::platform
