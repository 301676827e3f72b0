// Barcode timings on 12 MP and 2 MP photos: the exact reader, the chain and each of its stages, beside zbar.
#include <benchmark/benchmark.h>
#include <zbar.h>

#include <algorithm>
#include <array>
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
#include "recognize/BarcodeChain.h"
#include "recognize/BarcodeZbar.h"
#include "recognize/BarcodeZxing.h"
#include "shell/commands/BarcodeCommand.h"

namespace zorva {
namespace {

// EAN-13 5901234123457 as modules, guards included ('1' dark).
constexpr const char* kModules =
    "10100010110100111011001100100110111101001110101010110011011011001000010101110010011101000100101";

// A photo with a paper label carrying the code at `module` pixels per module,
// bars leaning 3 columns in 32 rows, the label's centre at 60% of the height
// (so the search first climbs through the scene below it), ink edges
// softened by a 3-tap blur and the photo's own noise kept on top. A label
// `turned` lies on its side: the bars run across the rows, which the exact
// reader's row scans cannot read and the libraries can.
core::BmpImage PhotoWithCode(uint32_t width, uint32_t height, int module, bool turned = false) {
    core::BmpImage image = bench::PhotoLike(width, height);
    const core::MutableBmpView v = image.view();
    const int barHeight = 60 * module;
    const int along = (95 + 30) * module, across = barHeight + 20 * module;  // the label's size, bars upright
    const int labelW = turned ? across : along, labelH = turned ? along : across;
    const int left = int(width) / 2 - labelW / 2, bottom = int(height) * 6 / 10 - labelH / 2;
    for (int r = bottom; r < bottom + labelH; ++r) {
        uint8_t* row = v.row(uint32_t(r));
        for (int x = left; x < left + labelW; ++x) {
            // Label coordinates as if it stood upright: `a` along the code, `u` up the bars.
            const int a = turned ? r - bottom : x - left;
            const int u = turned ? x - left : r - bottom;
            int level = 235;
            const int up = u - 10 * module;
            if (up >= 0 && up < barHeight) {
                const int offset = a - 15 * module - up * 3 / 32;
                if (offset >= 0 && offset / module < 95 && kModules[offset / module] == '1') level = 30;
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

// The six pictures: 12 and 2 megapixels, each with a code the exact reader
// reads, with a code only the libraries read, and with no code at all.
struct Picture {
    const char* name;
    core::BmpImage image;
};
struct Pictures {
    std::array<Picture, 6> all = {
        Picture{"barcode-12mp", PhotoWithCode(bench::kLargeWidth, bench::kLargeHeight, 6)},
        Picture{"barcode-2mp", PhotoWithCode(bench::kSmallWidth, bench::kSmallHeight, 3)},
        Picture{"turned-12mp", PhotoWithCode(bench::kLargeWidth, bench::kLargeHeight, 6, true)},
        Picture{"turned-2mp", PhotoWithCode(bench::kSmallWidth, bench::kSmallHeight, 3, true)},
        Picture{"nocode-12mp", bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight, 2)},
        Picture{"nocode-2mp", bench::PhotoLike(bench::kSmallWidth, bench::kSmallHeight, 2)},
    };
};

Pictures& Shared() {
    static Pictures pictures;
    return pictures;
}

const core::BmpImage& Pick(int which) {
    return Shared().all[size_t(which)].image;
}

void AllPictures(benchmark::internal::Benchmark* b) {
    b->ArgName("photo");
    for (int i = 0; i < 6; ++i) b->Arg(i);
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The exact reader alone: what `zorva-cli barcode --strict` runs.
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
BENCHMARK(BM_Barcode)->Apply(AllPictures);

// The whole chain, grey plane included: what the menu command runs.
void BM_BarcodeChain(benchmark::State& state) {
    const core::BmpImage& source = Pick(int(state.range(0)));
    const core::BmpView view = source.view();
    std::vector<uint8_t> block(source.data(), source.data() + view.fileSize());
    std::vector<uint8_t> plane(view.fileSize());
    std::vector<uint8_t> grey(recognize::GreyPlaneBytes(view.width(), view.height()));
    std::string text;
    for (auto _ : state) {
        const recognize::ChainResult result = recognize::ReadBarcodeChain(core::BmpView(block.data()), plane, grey);
        benchmark::DoNotOptimize(result.code.digits.data());
        text = shell::BarcodeText(result) + " " + std::string(shell::BarcodeReaderName(result.reader));
    }
    state.SetLabel(text);
}
BENCHMARK(BM_BarcodeChain)->Apply(AllPictures);

// Each stage of the library passes on its own: the grey plane, then each
// library on that plane (made outside the timing).
void BM_GreyPlane(benchmark::State& state) {
    const core::BmpView view = Pick(int(state.range(0))).view();
    std::vector<uint8_t> grey(recognize::GreyPlaneBytes(view.width(), view.height()));
    for (auto _ : state) benchmark::DoNotOptimize(recognize::MakeGreyPlane(view, grey).pixels);
}
BENCHMARK(BM_GreyPlane)->Apply(AllPictures);

template <std::optional<recognize::LibraryReading> (*Read)(const recognize::GreyPlane&)>
void BM_Library(benchmark::State& state) {
    const core::BmpView view = Pick(int(state.range(0))).view();
    std::vector<uint8_t> grey(recognize::GreyPlaneBytes(view.width(), view.height()));
    const recognize::GreyPlane plane = recognize::MakeGreyPlane(view, grey);
    std::string text;
    for (auto _ : state) {
        const std::optional<recognize::LibraryReading> reading = Read(plane);
        text = reading ? reading->code.digits : "-";
    }
    state.SetLabel(text);
}
BENCHMARK_TEMPLATE(BM_Library, recognize::ReadBarcodeZxing)->Name("BM_ZxingPass")->Apply(AllPictures);
BENCHMARK_TEMPLATE(BM_Library, recognize::ReadBarcodeZbar)->Name("BM_ZbarPass")->Apply(AllPictures);

// zbar as zbarimg runs it, on the same pictures: the grey plane it scans
// (converted outside the timing), only EAN-13 and EAN-8 enabled.
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
BENCHMARK(BM_Zbar)->Apply(AllPictures);

// The six pictures as BMP files NAME.bmp, for bench/barcode-compare.sh.
bool WritePictures(const std::string& folder) {
    for (const Picture& p : Shared().all)
        if (!core::WriteImageFile(folder + "/" + p.name + ".bmp", p.image.view())) return false;
    return true;
}

// A 24-bit uncompressed BMP file (top-down or bottom-up) as a block of exactly its file size.
std::vector<uint8_t> LoadBmp(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() < core::kHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return {};
    const uint32_t offset = core::Load32(bytes.data() + core::kOffPixelOffset);
    const int32_t width = int32_t(core::Load32(bytes.data() + core::kOffWidth));
    const int32_t height = int32_t(core::Load32(bytes.data() + core::kOffHeight));
    if (core::Load16(bytes.data() + core::kOffBitCount) != 24 ||
        core::Load32(bytes.data() + core::kOffCompression) != core::kCompressionRgb || width <= 0 || height == 0 ||
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

// NAME<TAB>TEXT<TAB>READER for each BMP file, the way zorva-cli barcode
// prints them: the chain, or with `strict` the exact reader alone.
int ReadFiles(int count, char** paths, bool strict) {
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> block = LoadBmp(paths[i]);
        if (block.empty()) {
            std::fprintf(stderr, "%s: not a 24-bit BMP file\n", paths[i]);
            return 1;
        }
        const core::BmpView view(block.data());
        std::vector<uint8_t> plane(block.size());
        recognize::ChainResult result;
        if (strict) {
            result.exact = recognize::ReadBarcode(view, plane);
            if (result.exact.found()) {
                result.reader = recognize::BarcodeReader::Exact;
                result.code = result.exact.code;
            }
        } else {
            std::vector<uint8_t> grey(recognize::GreyPlaneBytes(view.width(), view.height()));
            result = recognize::ReadBarcodeChain(view, plane, grey);
        }
        std::printf("%s\t%s\t%s\n", paths[i], shell::BarcodeText(result).c_str(),
                    std::string(shell::BarcodeReaderName(result.reader)).c_str());
    }
    return 0;
}

}  // namespace
}  // namespace zorva

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--write-pictures") == 0) return zorva::WritePictures(argv[2]) ? 0 : 1;
    if (argc >= 3 && std::strcmp(argv[1], "--read") == 0 && std::strcmp(argv[2], "--strict") == 0)
        return zorva::ReadFiles(argc - 3, argv + 3, true);
    if (argc >= 2 && std::strcmp(argv[1], "--read") == 0) return zorva::ReadFiles(argc - 2, argv + 2, false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
