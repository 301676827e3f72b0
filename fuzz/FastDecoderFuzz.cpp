// libFuzzer targets: arbitrary bytes through one fast reader (BMP, JPEG or PNG, chosen at build time by
// ZORVA_FUZZ_READER); a picture it gives must be Qt's route's picture to the byte, or the run stops. The PNG
// reader's two routes must also agree with each other on every input, pictures and refusals alike.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>

#include "core/BmpFile.h"
#include "platform/JpegDecoder.h"
#include "platform/PngDecoder.h"
#include "platform/QtDecoder.h"

#define ZORVA_READER_BMP 1
#define ZORVA_READER_JPEG 2
#define ZORVA_READER_PNG 3

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const std::string path = "/tmp/zorva-fuzz-fast-" + std::to_string(getpid()) + ".img";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

#if ZORVA_FUZZ_READER == ZORVA_READER_BMP
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    const zorva::core::BmpImage fast = zorva::core::ReadPlainBmp(fd, size);
    close(fd);
#elif ZORVA_FUZZ_READER == ZORVA_READER_JPEG
    const zorva::core::BmpImage fast = zorva::platform::DecodeJpeg(std::span(data, size));
#else
    const zorva::core::BmpImage fast = zorva::platform::DecodePng(std::span(data, size));
    // The whole-stream route and libpng row by row: the same picture or the same refusal.
    const zorva::core::BmpImage rows =
        zorva::platform::DecodePng(std::span(data, size), zorva::platform::PngRoute::RowByRow);
    if (bool(fast) != bool(rows) ||
        (fast && (fast.capacity() != rows.capacity() || std::memcmp(fast.data(), rows.data(), fast.capacity()) != 0)))
        __builtin_trap();
#endif
    if (!fast) return 0;
    const zorva::shell::DecodeResult qt = zorva::platform::DecodeWithQt(path);
    if (qt.status != zorva::shell::DecodeStatus::Ok || qt.image.capacity() != fast.capacity() ||
        std::memcmp(qt.image.data(), fast.data(), fast.capacity()) != 0)
        __builtin_trap();
    return 0;
}
