// Pictures for the barcode tests: exact-size blocks, EAN symbols drawn from the standard, PNG samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/BmpImage.h"
#include "recognize/Barcode.h"

namespace zorva::test {

// What the status bar shows for a search: the oracle the reader's results
// are compared with in these tests (EAN-13 digits and "+" or "-", "°" for a
// leading digit that cannot be derived; EAN-8 digits and six spaces; eight
// asterisks and two spaces for nothing).
inline constexpr std::string_view kNotFound = "********  ";
inline std::string Shown(const recognize::BarcodeReading& r) {
    if (r.format == recognize::BarcodeFormat::Ean8) return r.digits + "      ";
    std::string text = r.digits;
    if (!text.empty() && text[0] == recognize::barcode::kUnknownDigit) text.replace(0, 1, "°");
    return text + (r.checkPassed ? "+" : "-");
}
inline std::string Shown(const recognize::BarcodeResult& r) {
    return r.found() ? Shown(r.code) : std::string(kNotFound);
}

// A BMP-shaped picture in a block of exactly its file size, so that the
// address sanitizer sees any read or write past the last row.
class ExactImage {
public:
    ExactImage() = default;
    ExactImage(uint32_t width, uint32_t height, uint32_t rgb = 0xFFFFFF);
    bool empty() const { return m_block.empty(); }
    core::MutableBmpView view() const {
        return empty() ? core::MutableBmpView() : core::MutableBmpView(const_cast<uint8_t*>(m_block.data()));
    }
    uint32_t width() const { return empty() ? 0 : view().width(); }
    uint32_t height() const { return empty() ? 0 : view().height(); }
    void set(uint32_t x, uint32_t r, uint32_t rgb);
    uint32_t rgb(uint32_t x, uint32_t r) const;
    std::vector<uint8_t>& bytes() { return m_block; }
    const std::vector<uint8_t>& bytes() const { return m_block; }

private:
    std::vector<uint8_t> m_block;
};

// A work plane of exactly the picture's file size.
inline std::vector<uint8_t> WorkPlaneFor(const ExactImage& image) {
    return std::vector<uint8_t>(core::FileSizeFor(image.width(), image.height()));
}

// The seven modules of `digit` in the EAN character set 'L', 'G' or 'R'.
std::string DigitModules(char set, int digit);
// Widths of the four runs of a module pattern, in modules.
std::vector<int> RunWidths(const std::string& modules);
// The sets ('L' or 'G') of the six left-half digits of an EAN-13 with first digit `first`.
std::string FirstDigitSets(int first);

// The modules of an EAN-13 (13 digits) or EAN-8 (8 digits) symbol from the
// published L, G and R patterns and first-digit parities, guards included:
// '1' a dark module, '0' a light one. The digits are drawn as given, check
// digit and all, so a wrong check digit can be drawn too.
std::string EanModules(const std::string& digits);

// How to draw a symbol into a picture.
struct EanDrawing {
    int module = 3;       // pixels per module
    int left = 40;        // column of the first dark module on the bottom bar row
    int bottom = 16;      // first stored row of the bars
    int barHeight = 120;  // rows of bars
    int shear = 0;        // columns the bars move right per 32 rows upwards
    uint32_t ink = 0x000000;
    uint32_t paper = 0xFFFFFF;
};

// Draws the modules of `digits` into `image` (paper around the bars must be
// there already).
void DrawEan(ExactImage& image, const std::string& digits, const EanDrawing& how);

// A white width x height picture holding `digits` drawn as `how` says.
ExactImage EanPicture(const std::string& digits, const EanDrawing& how, int width, int height);

// The picture turned 180 degrees, mirrored left to right, and turned a
// quarter turn (its width becomes its height; bars upright become bars
// lying across the rows).
ExactImage Turned180(const ExactImage& image);
ExactImage Mirrored(const ExactImage& image);
ExactImage TurnedQuarter(const ExactImage& image);

// Decodes a PNG file into an exact-size picture; empty (width 0) on failure.
ExactImage LoadPng(const std::string& path);

}  // namespace zorva::test
