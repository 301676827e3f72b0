// The zxing-cpp pass of the barcode chain: EAN-13 and EAN-8 on the shared grey plane.
#pragma once

#include <optional>

#include "recognize/BarcodeCommon.h"

namespace zorva::recognize {

// Reads one EAN-13 or EAN-8 symbol from `plane` with zxing-cpp (trying
// harder, and turned by 90 degrees as well). Returns it with the library's
// quadrilateral mapped onto the picture, or nothing when the library finds
// no symbol whose check digit agrees. Never throws.
std::optional<LibraryReading> ReadBarcodeZxing(const GreyPlane& plane);

}  // namespace zorva::recognize
