// Helpers shared by the Qt-free tests: temporary folders, pictures, files and byte comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/BmpImage.h"

namespace zorva::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A decoded-layout picture whose pixel (x, r) is colour(x, r) as 0xRRGGBB.
core::BmpImage MakeImage(uint32_t width, uint32_t height, const std::function<uint32_t(uint32_t, uint32_t)>& colour);
inline core::BmpImage MakeSolid(uint32_t width, uint32_t height, uint32_t rgb) {
    return MakeImage(width, height, [rgb](uint32_t, uint32_t) { return rgb; });
}
// Paints every pixel of `image` 0xRRGGBB: stands in for any edit.
void Fill(core::MutableBmpView image, uint32_t rgb);
// 0xRRGGBB of pixel (x, stored row r).
uint32_t Rgb(core::BmpView image, uint32_t x, uint32_t r);

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Writes `text` as the whole file; false when it cannot be written.
bool WriteText(const std::string& path, std::string_view text);

// Reads a 24-bit uncompressed BMP file (what the program writes) into the
// decoded layout; empty on anything else.
core::BmpImage ReadBmp24(const std::string& path);

// Reads a JPEG file with libjpeg (baseline or progressive, colour or grey)
// into the decoded layout; empty on anything else.
core::BmpImage ReadJpeg(const std::string& path);

// Compares two byte ranges and reports the first differing offset.
::testing::AssertionResult SameBytes(const uint8_t* expected, size_t expectedSize, const uint8_t* actual,
                                     size_t actualSize);
inline ::testing::AssertionResult SameBytes(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual) {
    return SameBytes(expected.data(), expected.size(), actual.data(), actual.size());
}
// Compares the pixels (not padding) of two pictures.
::testing::AssertionResult SamePixels(core::BmpView expected, core::BmpView actual);

// The repository root, for files under tests/samples.
std::string SourceDir();

}  // namespace zorva::test
