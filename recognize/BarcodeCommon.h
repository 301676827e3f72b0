// What the barcode readers share: the grey plane the library readers scan, outline points, the EAN check digit.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "recognize/Barcode.h"

namespace zorva::recognize {

// A point on the picture: column, and stored row (row 0 is the bottom row).
struct OutlinePoint {
    int x = 0;
    int row = 0;
    bool operator==(const OutlinePoint&) const = default;
};

// The picture as one luminance byte per pixel, rows top-down and packed:
// the layout both libraries scan.
struct GreyPlane {
    const uint8_t* pixels = nullptr;  // width x height bytes, the top row first
    int width = 0;
    int height = 0;

    bool empty() const { return pixels == nullptr || width <= 0 || height <= 0; }

    // The picture point at plane point (x, y) (y counted from the top),
    // clamped into the picture: libraries may report corners just outside.
    OutlinePoint toPicture(int x, int y) const {
        const auto clamp = [](int v, int hi) { return v < 0 ? 0 : v > hi ? hi : v; };
        return {clamp(x, width - 1), height - 1 - clamp(y, height - 1)};
    }
};

// A code a library read, in the reader's own terms: the symbol and where it
// lies on the picture (a closed polygon; one or two points when the library
// saw only a line of it).
struct LibraryReading {
    BarcodeReading code;
    std::vector<OutlinePoint> outline;
};

// The EAN check-digit rule for 8 or 13 digits '0'..'9': the digits weighted
// 3 and 1 alternately from the one left of the check digit, check digit
// included, sum to a multiple of 10. False for any other text.
constexpr bool EanCheckPasses(std::string_view digits) {
    if (digits.size() != 8 && digits.size() != 13) return false;
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) {
        const char d = digits[i];
        if (d < '0' || d > '9') return false;
        // Counted from the right, the check digit is position 1 (weight 1).
        const bool weighsThree = (digits.size() - i) % 2 == 0;
        sum += weighsThree ? 3 * (d - '0') : d - '0';
    }
    return sum % 10 == 0;
}

// What a library reported, as a reading: 13 digits an EAN-13, 8 an EAN-8,
// the check digit agreeing. Nothing for any other text, so a library that
// misreports a check digit or a format is never shown as having read.
inline std::optional<LibraryReading> CheckedReading(std::string_view digits, std::vector<OutlinePoint> outline) {
    if (!EanCheckPasses(digits)) return std::nullopt;
    LibraryReading reading;
    reading.code.format = digits.size() == 13 ? BarcodeFormat::Ean13 : BarcodeFormat::Ean8;
    reading.code.digits = std::string(digits);
    reading.code.checkPassed = true;
    reading.outline = std::move(outline);
    return reading;
}

}  // namespace zorva::recognize
