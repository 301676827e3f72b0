// Decoding picture files with Qt's image readers into the program's BMP layout.
#include "platform/QtDecoder.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include "core/ImageFiles.h"
#include "core/WorkArena.h"

namespace zorva::platform {

namespace {

// Blends one non-premultiplied ARGB pixel over white, rounding to nearest.
inline uint32_t OverWhite(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 255) return argb;
    const uint32_t inv = 255 - a;
    const auto mix = [&](uint32_t c) { return (c * a + 255 * inv + 127) / 255; };
    return 0xFF000000u | mix((argb >> 16) & 255) << 16 | mix((argb >> 8) & 255) << 8 | mix(argb & 255);
}

}  // namespace

core::BmpImage PictureFromQImage(QImage image) {
    const bool alpha = image.hasAlphaChannel();
    image = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return {};
    if (alpha) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) line[x] = OverWhite(line[x]);
        }
    }
    const uint32_t height = uint32_t(image.height());
    // Qt's first scan line is the top row; the BMP layout starts at the bottom.
    return core::BuildDecodedImage(uint32_t(image.width()), height, [&](uint32_t rowFromBottom) {
        return static_cast<const uint8_t*>(image.constScanLine(int(height - 1 - rowFromBottom)));
    });
}

shell::DecodeResult DecodeWithQt(const std::string& path) {
    shell::DecodeResult result;
    const QString name = QString::fromUtf8(path.data(), qsizetype(path.size()));
    const QFileInfo info(name);
    if (!info.isFile() || !info.isReadable()) return result;

    QImageReader reader(name);
    // The data decides, not the name: a BMP saved as "photo.jpg" opens.
    reader.setDecideFormatFromContent(true);
    const QSize announced = reader.size();
    if (announced.isValid() &&
        core::CheckFit(uint32_t(announced.width()), uint32_t(announced.height())) != core::ImageFit::Fits) {
        result.status = shell::DecodeStatus::TooLarge;
        return result;
    }
    // Our own size check above is the limit that matters; Qt's default of
    // 128 MB would refuse pictures the arena can hold.
    QImageReader::setAllocationLimit(1024);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return result;
    if (core::CheckFit(uint32_t(image.width()), uint32_t(image.height())) != core::ImageFit::Fits) {
        result.status = shell::DecodeStatus::TooLarge;
        return result;
    }

    result.image = PictureFromQImage(std::move(image));
    result.status = result.image ? shell::DecodeStatus::Ok : shell::DecodeStatus::CannotLoad;
    return result;
}

}  // namespace zorva::platform
