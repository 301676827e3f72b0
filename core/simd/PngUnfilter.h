// Undoing the row filters of PNG image data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorva::simd {

// Undoes the filter `type` (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth) of one
// row of `size` bytes from `in` into `out`; `prior` is the row above,
// unfiltered, or zeros for the first row; pixels of `bpp` bytes (1 to 4).
// Reads and writes up to 4 bytes past the row's end: the buffers leave room.
void UnfilterPngRow(int bpp, uint8_t type, const uint8_t* in, uint8_t* out, const uint8_t* prior, size_t size);

// Undoes the Paeth filter of two rows at once, `inUpper` then `inLower`
// below it, into `outUpper` and `outLower`; `prior` is the row above the
// upper one; `width` pixels of `bpp` bytes. False, with nothing written,
// where the processor or the pixel size has no such loop: the caller then
// unfilters the rows one by one, to the same bytes.
bool UnfilterPngPaethPair(int bpp, const uint8_t* inUpper, const uint8_t* inLower, uint8_t* outUpper, uint8_t* outLower,
                          const uint8_t* prior, size_t width);

}  // namespace zorva::simd
