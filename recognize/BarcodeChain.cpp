// The barcode chain: the exact reader, the shared grey plane, and the library passes in turn.
#include "recognize/BarcodeChain.h"

#include <optional>

#include "core/simd/Kernels.h"
#include "recognize/BarcodeZbar.h"
#include "recognize/BarcodeZxing.h"

namespace zorva::recognize {

namespace {

// The library passes in the order they are tried, behind one signature.
struct LibraryPass {
    BarcodeReader reader;
    std::optional<LibraryReading> (*read)(const GreyPlane&);
};
constexpr LibraryPass kLibraryPasses[] = {
    {BarcodeReader::Zxing, ReadBarcodeZxing},
    {BarcodeReader::Zbar, ReadBarcodeZbar},
};

}  // namespace

GreyPlane MakeGreyPlane(core::BmpView image, std::span<uint8_t> out) {
    GreyPlane plane;
    if (!image.valid()) return plane;
    const int width = image.width();
    const int height = image.height();
    if (width == 0 || height == 0 || out.size() < GreyPlaneBytes(uint32_t(width), uint32_t(height))) return plane;
    for (int y = 0; y < height; ++y)
        // The stride-3 loop is one the vectoriser handles poorly: the AVX2
        // build of the layer's luminance row makes the grey plane of a
        // 12-megapixel photo several times faster (BM_GreyPlane).
        simd::LumaRow(image.row(uint32_t(height - 1 - y)), out.data() + size_t(y) * size_t(width), uint32_t(width));
    plane.pixels = out.data();
    plane.width = width;
    plane.height = height;
    return plane;
}

ChainResult ReadBarcodeChain(core::BmpView image, std::span<uint8_t> workPlane, std::span<uint8_t> greyPlane) {
    ChainResult result;
    result.exact = ReadBarcode(image, workPlane);
    // The exact reader tests no EAN-8 check digit; the chain shows no code
    // whose check digit fails, whoever read it.
    if (result.exact.found() && EanCheckPasses(result.exact.code.digits)) {
        result.reader = BarcodeReader::Exact;
        result.code = result.exact.code;
        return result;
    }
    if (!image.valid()) return result;
    const GreyPlane plane = MakeGreyPlane(image, greyPlane);
    if (plane.empty()) return result;
    for (const LibraryPass& pass : kLibraryPasses) {
        std::optional<LibraryReading> reading = pass.read(plane);
        if (!reading) continue;
        result.reader = pass.reader;
        result.code = std::move(reading->code);
        result.outline = std::move(reading->outline);
        return result;
    }
    return result;
}

}  // namespace zorva::recognize
