// Decoding JPEG files with libjpeg-turbo straight into the program's BMP layout.
#include "platform/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "core/WorkArena.h"

namespace zorva::platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// A fatal error leaves the decoder through the jump; warnings (corrupt data
// that the library works round) are not printed, the picture goes on.
[[noreturn]] void ErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}
void Silent(j_common_ptr) {}

// The part that runs under setjmp: nothing here owns memory that a jump
// would leak; the block is handed in by the caller, which keeps it.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, std::span<const uint8_t> file, core::BmpImage& image) {
    if (setjmp(errors.jump)) return false;
    // A memory source inserts an end-of-image marker where the data stops
    // early, as Qt's reader does: the rest of the picture decodes grey.
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    // Qt's reader keeps the library's defaults at its default quality: the
    // accurate integer IDCT (JDCT_ISLOW) and fancy upsampling, output in RGB
    // for colour files and in grey for grey ones. The only change here is the
    // order of the channels, which libjpeg-turbo writes for free.
    if (info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB))
        info.out_color_space = JCS_EXT_BGR;
    else if (info.num_components != 1 || info.jpeg_color_space != JCS_GRAYSCALE)
        return false;  // CMYK, YCCK and the rare others: Qt's own conversion
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    jpeg_calc_output_dimensions(&info);
    const uint32_t width = info.output_width, height = info.output_height;
    if (width == 0 || height == 0 || core::CheckFit(width, height) != core::ImageFit::Fits) return false;
    image = core::BmpImage::Decoded(width, height);
    if (!image) return false;
    const core::MutableBmpView view = image.view();
    jpeg_start_decompress(&info);
    if (info.out_color_space == JCS_EXT_BGR) {
        // The top row of the file is the last stored row of the block.
        while (info.output_scanline < height) {
            JSAMPROW row = view.row(height - 1 - info.output_scanline);
            jpeg_read_scanlines(&info, &row, 1);
        }
    } else {
        // Grey: each sample becomes three equal bytes; the sample row is
        // decoded into the tail of the block's row, which the spreading
        // overwrites from the front without catching up with it.
        while (info.output_scanline < height) {
            uint8_t* out = view.row(height - 1 - info.output_scanline);
            JSAMPROW grey = out + 2 * size_t(width);
            jpeg_read_scanlines(&info, &grey, 1);
            for (uint32_t x = 0; x < width; ++x, out += 3) {
                const uint8_t g = grey[x];
                out[0] = out[1] = out[2] = g;
            }
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

core::BmpImage DecodeJpeg(std::span<const uint8_t> file) {
    if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) return {};
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = Silent;
    jpeg_create_decompress(&info);
    core::BmpImage image;
    const bool decoded = Decode(info, errors, file, image);
    jpeg_destroy_decompress(&info);
    if (!decoded) return {};
    return image;
}

}  // namespace zorva::platform
