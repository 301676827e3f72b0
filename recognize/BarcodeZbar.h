// The zbar pass of the barcode chain: EAN-13 and EAN-8 on the shared grey plane.
#pragma once

#include <optional>

#include "recognize/BarcodeCommon.h"

namespace zorva::recognize {

// Reads one EAN-13 or EAN-8 symbol from `plane` with zbar (rows and columns
// scanned, every other one above a megapixel). Of the texts whose check
// digit agrees, returns the one decoded on the most scan lines, its outline
// the convex hull of the places zbar decoded it, mapped onto the picture;
// nothing when zbar finds none.
std::optional<LibraryReading> ReadBarcodeZbar(const GreyPlane& plane);

// The convex hull of `points`, counter-clockwise from the lowest-leftmost
// (Andrew's monotone chain); collinear and repeated points are dropped, so
// one or two points remain when all lie on a line.
std::vector<OutlinePoint> ConvexHull(std::vector<OutlinePoint> points);

}  // namespace zorva::recognize
