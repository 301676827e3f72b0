// libFuzzer target: arbitrary bytes as a picture file through the Qt decoder wrapper.
#include <unistd.h>

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/QtDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const std::string path = "/tmp/zorva-fuzz-" + std::to_string(getpid()) + ".img";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    zorva::shell::DecodeResult result = zorva::platform::DecodeWithQt(path);
    if (result.status == zorva::shell::DecodeStatus::Ok) {
        // Touch the whole decoded picture so a wrong size shows as an overrun.
        const zorva::core::MutableBmpView v = result.image.view();
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < v.fileSize(); ++i) sum = uint8_t(sum + v.data()[i]);
    }
    return 0;
}
