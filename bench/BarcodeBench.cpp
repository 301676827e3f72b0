// Barcode reader timings on 12 MP and 2 MP photos with a code and without, beside zbar when it is built in.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchPictures.h"
#include "core/Bytes.h"
#include "core/ImageFiles.h"
#include "recognize/Barcode.h"
#include "shell/commands/BarcodeCommand.h"

#ifdef ZORVA_BENCH_ZBAR
#include <zbar.h>
#endif

namespace zorva {
namespace {

// EAN-13 5901234123457 as modules, guards included ('1' dark).
constexpr const char* kModules =
    "10100010110100111011001100100110111101001110101010110011011011001000010101110010011101000100101";

// A photo with a paper label carrying the code at `module` pixels per module,
// bars leaning 3 columns in 32 rows, the label's centre at 60% of the height
// (so the search first climbs through the scene below it), ink edges
// softened by a 3-tap blur and the photo's own noise kept on top.
core::BmpImage PhotoWithCode(uint32_t width, uint32_t height, int module) {
    core::BmpImage image = bench::PhotoLike(width, height);
    const core::MutableBmpView v = image.view();
    const int barHeight = 60 * module;
    const int labelW = (95 + 30) * module, labelH = barHeight + 20 * module;
    const int left = int(width) / 2 - labelW / 2, bottom = int(height) * 6 / 10 - labelH / 2;
    const int codeLeft = left + 15 * module, codeBottom = bottom + 10 * module;
    for (int r = bottom; r < bottom + labelH; ++r) {
        uint8_t* row = v.row(uint32_t(r));
        for (int x = left; x < left + labelW; ++x) {
            int level = 235;
            const int up = r - codeBottom;
            if (up >= 0 && up < barHeight) {
                const int i = (x - codeLeft - up * 3 / 32) / module;
                if (x - codeLeft - up * 3 / 32 >= 0 && i < 95 && kModules[i] == '1') level = 30;
            }
            // Keep the photo's noise: shift its pixel towards the label level.
            uint8_t* p = row + 3 * x;
            for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(level + (int(p[c]) & 7) - 4, 0, 255));
        }
        // Soften the edges along the row.
        for (int x = left + 1; x < left + labelW - 1; ++x)
            for (int c = 0; c < 3; ++c) {
                uint8_t* p = row + 3 * x + c;
                p[0] = uint8_t((p[-3] + 2 * p[0] + p[3]) / 4);
            }
    }
    return image;
}

struct Pictures {
    core::BmpImage large = PhotoWithCode(bench::kLargeWidth, bench::kLargeHeight, 6);
    core::BmpImage small = PhotoWithCode(bench::kSmallWidth, bench::kSmallHeight, 3);
    core::BmpImage none = bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight, 2);
};

Pictures& Shared() {
    static Pictures pictures;
    return pictures;
}

const core::BmpImage& Pick(int which) {
    Pictures& p = Shared();
    return which == 0 ? p.large : which == 1 ? p.small : p.none;
}

void BM_Barcode(benchmark::State& state) {
    const core::BmpImage& source = Pick(int(state.range(0)));
    const size_t size = source.view().fileSize();
    std::vector<uint8_t> block(source.data(), source.data() + size);
    std::vector<uint8_t> plane(size);
    std::string text;
    for (auto _ : state) {
        const recognize::BarcodeResult result = recognize::ReadBarcode(core::BmpView(block.data()), plane);
        benchmark::DoNotOptimize(result.code.digits.data());
        text = shell::BarcodeText(result);
    }
    state.SetLabel(text);
}
BENCHMARK(BM_Barcode)->ArgName("photo")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef ZORVA_BENCH_ZBAR
// zbar on the same pictures, as the grey plane it scans (converted outside
// the timing), with only EAN-13 and EAN-8 enabled.
void BM_Zbar(benchmark::State& state) {
    using namespace zbar;  // zbar.h puts its C interface there when compiled as C++
    const core::MutableBmpView v = Pick(int(state.range(0))).view();
    const uint32_t w = v.width(), h = v.height();
    std::vector<uint8_t> grey(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* p = v.row(h - 1 - y);  // zbar rows run top-down
        for (uint32_t x = 0; x < w; ++x, p += 3)
            grey[size_t(y) * w + x] = uint8_t((29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8);
    }
    zbar_image_scanner_t* scanner = zbar_image_scanner_create();
    zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner, ZBAR_EAN13, ZBAR_CFG_ENABLE, 1);
    zbar_image_scanner_set_config(scanner, ZBAR_EAN8, ZBAR_CFG_ENABLE, 1);
    std::string text;
    for (auto _ : state) {
        zbar_image_t* image = zbar_image_create();
        zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
        zbar_image_set_size(image, w, h);
        zbar_image_set_data(image, grey.data(), grey.size(), nullptr);
        const int n = zbar_scan_image(scanner, image);
        const zbar_symbol_t* symbol = n > 0 ? zbar_image_first_symbol(image) : nullptr;
        text = symbol ? zbar_symbol_get_data(symbol) : "";
        zbar_image_destroy(image);
    }
    zbar_image_scanner_destroy(scanner);
    state.SetLabel(text);
}
BENCHMARK(BM_Zbar)->ArgName("photo")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

// The three pictures as BMP files, for bench/barcode-compare.sh.
bool WritePictures(const std::string& folder) {
    const Pictures& p = Shared();
    return core::WriteImageFile(folder + "/barcode-12mp.bmp", p.large.view()) &&
           core::WriteImageFile(folder + "/barcode-2mp.bmp", p.small.view()) &&
           core::WriteImageFile(folder + "/nocode-12mp.bmp", p.none.view());
}

// A 24-bit uncompressed BMP file (top-down or bottom-up) as a block of exactly its file size.
std::vector<uint8_t> LoadBmp(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() < core::kHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return {};
    const uint32_t offset = core::Load32(&bytes[10]);
    const int32_t width = int32_t(core::Load32(&bytes[18]));
    const int32_t height = int32_t(core::Load32(&bytes[22]));
    if (core::Load16(&bytes[28]) != 24 || core::Load32(&bytes[30]) != 0 || width <= 0 || height == 0 ||
        uint32_t(width) > core::kMaxWidth || (height < 0 ? -height : height) > int32_t(core::kMaxHeight))
        return {};
    const uint32_t rows = uint32_t(height < 0 ? -height : height);
    const uint32_t stride = core::StrideFor(uint32_t(width));
    if (uint64_t(offset) + uint64_t(stride) * rows > bytes.size()) return {};
    std::vector<uint8_t> block(core::FileSizeFor(uint32_t(width), rows));
    core::WriteDecodedHeader(block.data(), uint32_t(width), rows);
    for (uint32_t r = 0; r < rows; ++r) {
        const uint32_t source = height < 0 ? rows - 1 - r : r;
        std::memcpy(&block[core::kHeaderSize + size_t(r) * stride], &bytes[offset + size_t(source) * stride], stride);
    }
    return block;
}

// NAME<TAB>TEXT for each BMP file, the way zorva-cli barcode prints them.
int ReadFiles(int count, char** paths) {
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> block = LoadBmp(paths[i]);
        if (block.empty()) {
            std::fprintf(stderr, "%s: not a 24-bit BMP file\n", paths[i]);
            return 1;
        }
        std::vector<uint8_t> plane(block.size());
        const recognize::BarcodeResult result = recognize::ReadBarcode(core::BmpView(block.data()), plane);
        std::printf("%s\t%s\n", paths[i], shell::BarcodeText(result).c_str());
    }
    return 0;
}

}  // namespace
}  // namespace zorva

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--write-pictures") == 0) return zorva::WritePictures(argv[2]) ? 0 : 1;
    if (argc >= 2 && std::strcmp(argv[1], "--read") == 0) return zorva::ReadFiles(argc - 2, argv + 2);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
