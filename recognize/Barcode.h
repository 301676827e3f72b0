// EAN-13 and EAN-8 barcode reader working on the document's BMP-shaped pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/BmpImage.h"

namespace zorva::recognize {

enum class BarcodeFormat : uint8_t { None, Ean13, Ean8 };

// One decoded symbol.
struct BarcodeReading {
    BarcodeFormat format = BarcodeFormat::None;
    // The digits in print order, '0'..'9'; an EAN-13 whose leading digit
    // cannot be derived from its parities has barcode::kUnknownDigit first.
    std::string digits;
    // EAN-13: the leading digit was derived and the check digit agrees.
    // EAN-8 carries no test and is accepted as read.
    bool checkPassed = false;
};

// A pixel the reader marks: the first pixel after an accepted middle guard
// (column, stored row), painted yellow by whoever shows the result.
struct BarcodeMark {
    int x = 0;
    int row = 0;
};

// Outcome of one search over a picture.
struct BarcodeResult {
    // The symbol read (format None: nothing decoded completely).
    BarcodeReading code;
    // The last EAN-13 rejected by its check digit or its leading digit
    // during the search, if any. A later success replaces it.
    std::optional<BarcodeReading> rejected;
    // Where the code was found: its base row and the scan direction
    // (+1 left to right, -1 right to left); -1 and 0 when nothing was found.
    int baseRow = -1;
    int direction = 0;
    // Every accepted middle guard, also on lines that later failed, in order.
    std::vector<BarcodeMark> marks;

    bool found() const { return code.format != BarcodeFormat::None; }
};

// Searches `image` for an EAN-13 or EAN-8 symbol.
// Reads the image's pixels; writes grey, mean and contrast bytes into every
// 8th row of `workPlane`, which is used with the image's own header offset
// and row stride and must hold at least the image's file size. Reads the
// picture as if each mark of an accepted middle guard were already painted
// yellow, so that the marks can be painted afterwards with the same result.
// Never reads or writes outside either buffer; a picture narrower than 17
// pixels or lower than 52 rows, or a work plane too small, gives "not found".
BarcodeResult ReadBarcode(core::BmpView image, std::span<uint8_t> workPlane);

// ---- the reader's tables and pure steps, exposed for the tests ----
namespace barcode {

inline constexpr uint8_t kNoDigit = 128;
// The leading digit of an EAN-13 whose parity pattern names none.
inline constexpr char kUnknownDigit = '?';
// The colour of the middle-guard marks, 0x00RRGGBB: yellow.
inline constexpr uint32_t kMarkColour = 0xFFFF00;
// Bit 4 of a digit-table entry: the digit is in the even-parity (G) set.
inline constexpr uint8_t kEvenParity = 16;

// Digit by element pattern: index k4 + 4*k3 + 16*k2 (module counts minus one
// of elements 2..4 in scan order); low 4 bits the digit, bit 4 even parity.
extern const std::array<uint8_t, 64> kDigitTable;
// Leading EAN-13 digit by the parities of positions 2..6 (bit 0 = position
// 2, bit value 1 = even parity); kNoDigit where no digit has that pattern.
extern const std::array<uint8_t, 32> kLeadingDigitTable;
// Skew correction of the module width: entry / 128 is the factor by which a
// horizontally measured module exceeds one measured along the skewed reading
// path, indexed by the skew over 32 rows (0..31).
extern const std::array<uint8_t, 32> kSkewTable;

// Grey value of a pixel: (B + G + G/2 + R + R/4) / 4, truncating.
constexpr int Grey(int blue, int green, int red) {
    return (blue + green + (green >> 1) + red + (red >> 2)) >> 2;
}

// Width in modules, rounded, of `total` pixels at module width `module16`
// (sixteenths of a pixel); -1 when the doubled quotient reaches 256.
int ModulesIn(int total, int module16);

// Module width in sixteenths of a pixel from the 12 guard widths summed in
// `guardSum`, corrected for the skew `s4` over 32 rows; 0 when the guard
// sum is 128 or more (modules wider than 10 pixels are not read).
int ModuleWidth(int guardSum, int s4);

// Result of decoding four element widths as one digit.
struct DigitCode {
    enum Kind { Invalid, Digit, MiddleGuardStart } kind = Invalid;
    uint8_t value = 0;  // the digit, for kind Digit
    bool even = false;  // G-set parity, for kind Digit
};

// Decodes the element widths e[0..3] (scan order) at module width `module16`.
// `digitsRead` is the count of digits already read on the line: only after
// exactly four may a 4-module group stand for the start of an EAN-8 middle
// guard.
DigitCode DecodeDigit(const std::array<int, 4>& e, int module16, int digitsRead);

// Finishes a complete reading: positions 1..12 of `digits` hold the digits
// in reading order; `parity` has bit p set when the digit read at position p
// had even parity; `leading` is the leading digit found after position 6 on
// forward readings. Returns the symbol in print order and whether it is a
// success (EAN-8, or EAN-13 with a valid check digit).
struct Completion {
    bool success = false;
    BarcodeReading reading;
};
Completion CompleteReading(std::array<uint8_t, 13> digits, uint16_t parity, uint8_t leading, bool backwards, bool ean8);

}  // namespace barcode

}  // namespace zorva::recognize
