// Reading the BMP file header and the Windows info header at their named offsets.
#include "core/BmpHeader.h"

#include <climits>

#include "core/BmpImage.h"

namespace zorva::core {

std::optional<InfoHeader> ReadInfoHeader(std::span<const uint8_t> info) {
    if (info.size() < kInfoHeaderSize) return std::nullopt;
    const uint8_t* h = info.data();
    InfoHeader header;
    header.size = Load32(h + InInfoHeader(kOffInfoSize));
    const auto width = int32_t(Load32(h + InInfoHeader(kOffWidth)));
    const auto height = int32_t(Load32(h + InInfoHeader(kOffHeight)));
    header.planes = Load16(h + InInfoHeader(kOffPlanes));
    header.bitCount = Load16(h + InInfoHeader(kOffBitCount));
    header.compression = Load32(h + InInfoHeader(kOffCompression));
    header.coloursUsed = Load32(h + InInfoHeader(kOffColoursUsed));
    if (header.size < kInfoHeaderSize) return std::nullopt;
    if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    header.width = uint32_t(width);
    header.topDown = height < 0;
    header.height = uint32_t(header.topDown ? -height : height);
    return header;
}

std::optional<BmpFileHeader> ReadBmpFileHeader(std::span<const uint8_t> file) {
    if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const std::optional<InfoHeader> info = ReadInfoHeader(file.subspan(kFileHeaderSize));
    if (!info) return std::nullopt;
    return BmpFileHeader{Load32(file.data() + kOffPixelOffset), *info};
}

}  // namespace zorva::core
