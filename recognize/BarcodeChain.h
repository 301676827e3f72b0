// The barcode chain: the exact reader first, then zxing-cpp, then zbar; the first code whose check digit agrees wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/BmpImage.h"
#include "recognize/Barcode.h"
#include "recognize/BarcodeCommon.h"

namespace zorva::recognize {

// Who read a code.
enum class BarcodeReader : uint8_t { None, Exact, Zxing, Zbar };

// Outcome of the chain over one picture.
struct ChainResult {
    BarcodeReader reader = BarcodeReader::None;
    // The code `reader` read (format None when nothing was read). EAN-13 and
    // EAN-8 alike carry a check digit that agrees.
    BarcodeReading code;
    // The exact reader's own result, whoever read the code: its middle-guard
    // marks and the code it rejected by its check digit, if any.
    BarcodeResult exact;
    // A library's read: where the code lies, a closed polygon on the picture.
    // zxing-cpp places a linear code as the line it read it on, two rows
    // high; zbar's places cover every scan line that decoded it.
    std::vector<OutlinePoint> outline;

    bool found() const { return reader != BarcodeReader::None; }
};

// Bytes of the grey plane the chain needs for a width x height picture.
inline size_t GreyPlaneBytes(uint32_t width, uint32_t height) {
    return size_t(width) * size_t(height);
}

// Fills `out` with `image`'s luminance (core::Luma), rows
// top-down. An empty plane when `out` holds fewer than GreyPlaneBytes.
GreyPlane MakeGreyPlane(core::BmpView image, std::span<uint8_t> out);

// Reads `image` with the exact reader (`workPlane` as ReadBarcode needs it);
// when it reads no code whose check digit agrees (an EAN-8 is tested too),
// turns the picture into a grey plane in `greyPlane` (GreyPlaneBytes of it)
// once and lets zxing-cpp, then zbar read it. Reads the picture only.
ChainResult ReadBarcodeChain(core::BmpView image, std::span<uint8_t> workPlane, std::span<uint8_t> greyPlane);

}  // namespace zorva::recognize
