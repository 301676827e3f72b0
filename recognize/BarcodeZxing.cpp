// The zxing-cpp pass of the barcode chain: hints, the call, and its quadrilateral mapped back onto the picture.
#include "recognize/BarcodeZxing.h"

// zxing-cpp 1.4 asks its users to opt into UTF-8 text(); this pass reads
// bytes() and only says so to keep the library's build note away.
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <exception>
#include <string>

namespace zorva::recognize {

std::optional<LibraryReading> ReadBarcodeZxing(const GreyPlane& plane) {
    if (plane.empty()) return std::nullopt;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::EAN13 | ZXing::BarcodeFormat::EAN8);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    const ZXing::ImageView view(plane.pixels, plane.width, plane.height, ZXing::ImageFormat::Lum);
    try {
        const ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid()) return std::nullopt;
        // EAN text is ASCII digits: the raw bytes need no character set.
        const ZXing::ByteArray& bytes = result.bytes();
        const std::string digits(bytes.begin(), bytes.end());
        std::vector<OutlinePoint> outline;
        for (const ZXing::PointI& p : result.position()) outline.push_back(plane.toPicture(p.x, p.y));
        return CheckedReading(digits, std::move(outline));
    } catch (const std::exception&) {
        // A library failure reads as nothing read: the chain goes on.
        return std::nullopt;
    }
}

}  // namespace zorva::recognize
