// Decoding picture files with Qt's image readers into the program's BMP layout.
#include "platform/QtDecoder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/BmpHeader.h"
#include "core/ImageFiles.h"
#include "core/WorkArena.h"
#include "platform/AlphaBlend.h"

namespace zorva::platform {

namespace {

// Picture files larger than this are not read (an uncompressed picture the
// work arena can hold is well below it).
constexpr size_t kLargestFile = size_t(1) << 30;

// Whether `bytes` are an uncompressed BMP file cut short: Qt's reader fills
// the missing rows with black and calls it a success. Compressed and
// old-style BMP files are left to the reader.
bool TruncatedBmp(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < core::kHeaderSize) return false;
    const std::optional<core::BmpFileHeader> header = core::ReadBmpFileHeader(bytes);
    if (!header) return false;
    const core::InfoHeader& info = header->info;
    if (info.compression != core::kCompressionRgb && info.compression != core::kCompressionBitFields &&
        info.compression != core::kCompressionAlphaBitFields)
        return false;
    if (info.bitCount == 0 || info.bitCount > 32) return false;
    return bytes.size() < uint64_t(header->pixelOffset) + info.rowBytes() * info.height;
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

std::optional<std::vector<uint8_t>> EncodeWithQt(core::BmpView picture, core::SaveFormat format) {
    const char* name = nullptr;
    switch (format) {
        case core::SaveFormat::Png:
            name = "png";
            break;
        case core::SaveFormat::Jpeg:
            name = "jpeg";
            break;
        case core::SaveFormat::Tiff:
            name = "tiff";
            break;
        case core::SaveFormat::Webp:
            name = "webp";
            break;
        case core::SaveFormat::Bmp:
            return std::nullopt;
    }
    const int width = int(picture.width()), height = int(picture.height());
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull()) return std::nullopt;
    // The stored rows go bottom-up in blue, green, red; Qt's top-down in red, green, blue.
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = picture.row(uint32_t(height - 1 - y));
        uchar* d = image.scanLine(y);
        for (int x = 0; x < width; ++x, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, name);
    // What photo editors save JPEG at by default: hardly a visible loss at a third of the size of 100.
    if (format == core::SaveFormat::Jpeg) writer.setQuality(92);
    if (!writer.canWrite() || !writer.write(image)) return std::nullopt;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

shell::DecodeResult DecodeWithQt(const std::string& path) {
    shell::DecodeResult result;
    // The file is read by its name's bytes as they are: a name in another
    // encoding than UTF-8 (copied from an old Windows disk) opens too.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), R_OK) != 0) return result;
    if (size_t(st.st_size) > kLargestFile) {
        result.status = shell::DecodeStatus::TooLarge;
        return result;
    }
    const std::optional<std::vector<uint8_t>> bytes = core::ReadWholeFile(path, kLargestFile);
    if (!bytes || bytes->empty() || TruncatedBmp(*bytes)) return result;
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);

    QImageReader reader(&buffer);
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
