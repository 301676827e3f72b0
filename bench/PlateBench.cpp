// Number plates: a 1.5 and a 12 megapixel photo with and without a plate, the 27-cycle worst case, the whole chain
// with its check and turned readings, the stages of one cycle beside a copy of its plane, and a folder of 50 photos
// through zorva-cli plates.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <vector>

#include "bench/BenchPictures.h"
#include "effects/AdaptiveThreshold.h"
#include "effects/Resample.h"
#include "platform/QtDecoder.h"
#include "recognize/Plate.h"
#include "segment/SegmentMedianCut.h"
#include "segment/Trace.h"
#include "shell/Editor.h"
#include "shell/cli/Cli.h"
#include "shell/cli/ConsoleHost.h"
#include "shell/commands/PlateCommands.h"

namespace {

using namespace zorva;
namespace fs = std::filesystem;

const std::string kCorpus = ZORVA_SOURCE_DIR "/tests/samples/plates/";
// A generated photo of 1458 x 962 with a plate of three region digits.
const std::string kPlatePhoto = kCorpus + "E885BM196.jpg";
constexpr uint32_t kMidWidth = 1500, kMidHeight = 1000;  // 1.5 megapixels

// A photo-like ground of width x height with, when given, the photo at
// `path` laid into its middle.
core::BmpImage Picture(uint32_t width, uint32_t height, const std::string& path = {}) {
    core::BmpImage image = bench::PhotoLike(width, height, 3);
    if (path.empty()) return image;
    const shell::DecodeResult decoded = platform::DecodeWithQt(path);
    if (!decoded.image) {
        std::cerr << path << ": cannot be decoded\n";
        std::exit(1);
    }
    const core::BmpView photo = decoded.image.view();
    const core::MutableBmpView v = image.view();
    const uint32_t w = std::min<uint32_t>(photo.width(), v.width()), h = std::min<uint32_t>(photo.height(), v.height());
    const uint32_t x0 = (v.width() - w) / 2, y0 = (v.height() - h) / 2;
    for (uint32_t r = 0; r < h; ++r) std::memcpy(v.pixel(x0, y0 + r), photo.row(r), 3 * size_t(w));
    return image;
}

core::BmpImage Copy(const core::BmpImage& picture) {
    core::BmpImage copy = core::BmpImage::Allocate(picture.capacity());
    std::memcpy(copy.data(), picture.data(), picture.capacity());
    return copy;
}

// An editor with the shipped bases and `picture` as its document.
struct Session {
    explicit Session(const core::BmpImage& picture)
        : original(Copy(picture)), host(platform::DecodeWithQt, nullptr, std::cerr), editor(host, undo) {
        editor.reserveArena();
        editor.loadSymbolBases(ZORVA_SOURCE_DIR "/data/bases");
        editor.install(Copy(picture), shell::InstallKind::Open);
    }
    recognize::PlateResult read() {
        std::memcpy(editor.document().data(), original.data(), original.view().fileSize());
        return shell::ReadDocumentPlate(editor);
    }
    core::BmpImage original;
    std::string undo = fs::temp_directory_path().string();
    shell::ConsoleHost host;
    shell::Editor editor;
};

// The plate photo with its region digits painted over in white: every
// detection attempt lacks them, the first is replayed with the region cells
// placed by geometry, and the refinements and the final pass follow: all 27
// cycles, as long as the refinement passes keep finding the plate.
core::BmpImage WithoutRegion(uint32_t width, uint32_t height) {
    core::BmpImage picture = Picture(width, height, kPlatePhoto);
    Session s(picture);
    const recognize::PlateResult first = s.read();
    const auto table = s.editor.segments().indexedRecords();
    const core::MutableBmpView v = picture.view();
    for (uint32_t slot = recognize::kMainCharacters; slot < recognize::kPlateSlots; ++slot) {
        const uint32_t n = first.plateSlots.segment[slot];
        if (n == 0 || n >= table.size()) continue;
        const recognize::SegmentBox b = recognize::BoxOf(table[n]);
        for (int r = b.y - 2; r <= b.y + b.h + 1; ++r)
            for (int x = b.x - 2; x <= b.x + b.w + 1; ++x) v.set(uint32_t(x), uint32_t(r), 0xF0F0F0);
    }
    return picture;
}

// Runs `read` on the session's photo, put back as it was before each run.
template <class Read>
void Repeat(benchmark::State& state, Session& s, Read read) {
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(s.editor.document().data(), s.original.data(), s.original.view().fileSize());
        state.ResumeTiming();
        read();
    }
}

// The recognition as the command runs it (without the dispatcher's undo
// snapshot); counters: the cycles run and whether a plate was found.
void Recognise(benchmark::State& state, const core::BmpImage& picture) {
    Session s(picture);
    recognize::PlateResult result;
    Repeat(state, s, [&] { result = shell::ReadDocumentPlate(s.editor); });
    state.counters["cycles"] = double(result.passes.size());
    state.counters["found"] = result.found ? 1 : 0;
}

void BM_Plate_1_5MP(benchmark::State& state) {
    static const core::BmpImage picture = Picture(kMidWidth, kMidHeight, kPlatePhoto);
    Recognise(state, picture);
}
void BM_Plate_1_5MP_None(benchmark::State& state) {
    static const core::BmpImage picture = Picture(kMidWidth, kMidHeight);
    Recognise(state, picture);
}
void BM_Plate_1_5MP_AllCycles(benchmark::State& state) {
    static const core::BmpImage picture = WithoutRegion(kMidWidth, kMidHeight);
    Recognise(state, picture);
}
void BM_Plate_12MP(benchmark::State& state) {
    static const core::BmpImage picture = Picture(bench::kLargeWidth, bench::kLargeHeight, kPlatePhoto);
    Recognise(state, picture);
}
void BM_Plate_12MP_None(benchmark::State& state) {
    static const core::BmpImage picture = Picture(bench::kLargeWidth, bench::kLargeHeight);
    Recognise(state, picture);
}
// The whole chain as "На текущем фото" runs it: the reading, its check, and
// where the reading finds no plate, the photo read turned (a plate turned
// 25 degrees, found only so; a picture without one, read at every turn).
void RecogniseChecked(benchmark::State& state, const core::BmpImage& picture) {
    Session s(picture);
    std::string text;
    Repeat(state, s, [&] { text = shell::RecognisePlateOnDocument(s.editor); });
    state.counters["found"] = text[0] != '*' ? 1 : 0;
}
core::BmpImage Turned(const core::BmpImage& picture, double degrees) {
    core::BmpImage turned = Copy(picture);
    effects::TurnAboutCentre(picture.view(), turned.view(), degrees, 0x80);
    return turned;
}
void BM_PlateChecked_1_5MP(benchmark::State& state) {
    static const core::BmpImage picture = Picture(kMidWidth, kMidHeight, kPlatePhoto);
    RecogniseChecked(state, picture);
}
void BM_PlateChecked_1_5MP_Turned(benchmark::State& state) {
    static const core::BmpImage picture = Turned(Picture(kMidWidth, kMidHeight, kPlatePhoto), 25);
    RecogniseChecked(state, picture);
}
void BM_PlateChecked_1_5MP_None(benchmark::State& state) {
    static const core::BmpImage picture = Picture(kMidWidth, kMidHeight);
    RecogniseChecked(state, picture);
}

BENCHMARK(BM_Plate_1_5MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Plate_1_5MP_None)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Plate_1_5MP_AllCycles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Plate_12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Plate_12MP_None)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateChecked_1_5MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateChecked_1_5MP_Turned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateChecked_1_5MP_None)->Unit(benchmark::kMillisecond);

// ---- one detection cycle at 1.5 megapixels, stage by stage ----
// The first attempt's binarisation, segmentation, tracing and location on
// the plate photo, beside a copy of the map plane (the floor of any pass
// over it).
struct Cycle {
    Cycle() : picture(Picture(kMidWidth, kMidHeight, kPlatePhoto)) {
        const uint32_t w = kMidWidth, h = kMidHeight;
        means.resize(size_t(w) * h);
        map.resize(size_t(w) * h);
        binary.resize(size_t(w) * h);
        table.resize(segment::SegmentWindowCapacity(w, h, whole()));
        effects::ComputeLocalMeans(picture.view(), plane(means));
        threshold();
        binary = map;
        segment();
        trace();
    }
    static core::Plane<uint32_t> plane(std::vector<uint32_t>& v) {
        return core::PackedPlane(v.data(), kMidWidth, kMidHeight);
    }
    static segment::SegmentWindowRect whole() { return {0, 0, uint16_t(kMidWidth), uint16_t(kMidHeight)}; }
    void threshold() { effects::AdaptiveThreshold(plane(means), effects::PlateThreshold{}, plane(map)); }
    void segment() { segment::SegmentWindow(kMidWidth, kMidHeight, whole(), map.data(), table, segments); }
    void trace() {
        segment::TraceSegments(map.data(), kMidWidth, kMidHeight, table, segments, recognize::PlatePalette(),
                               recognize::kPlateVectorFlags, vectors);
    }
    core::BmpImage picture;
    std::vector<uint32_t> means, map, binary;
    std::vector<segment::IndexedSegmentRecord> table;
    segment::WordBuffer vectors;
    uint32_t segments = 0;
};
Cycle& TheCycle() {
    static Cycle cycle;
    return cycle;
}

void BM_PlateCycle_CopyPlane(benchmark::State& state) {
    Cycle& c = TheCycle();
    for (auto _ : state) {
        std::memcpy(c.map.data(), c.binary.data(), c.map.size() * 4);
        benchmark::ClobberMemory();
    }
}
void BM_PlateCycle_Threshold(benchmark::State& state) {
    Cycle& c = TheCycle();
    for (auto _ : state) c.threshold();
}
void BM_PlateCycle_Segment(benchmark::State& state) {
    Cycle& c = TheCycle();
    for (auto _ : state) {
        state.PauseTiming();
        c.map = c.binary;
        state.ResumeTiming();
        c.segment();
    }
    state.counters["segments"] = c.segments;
}
void BM_PlateCycle_Trace(benchmark::State& state) {
    Cycle& c = TheCycle();
    c.map = c.binary;
    c.segment();
    for (auto _ : state) c.trace();
}
void BM_PlateCycle_Locate(benchmark::State& state) {
    Cycle& c = TheCycle();
    recognize::PlateFind find;
    for (auto _ : state) benchmark::DoNotOptimize(recognize::LocatePlate(c.table, c.segments, false, find));
}
BENCHMARK(BM_PlateCycle_CopyPlane)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateCycle_Threshold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateCycle_Segment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateCycle_Trace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateCycle_Locate)->Unit(benchmark::kMillisecond);

// ---- a folder of 50 photos ----
// The generated corpus, repeated up to 50 photos, through zorva-cli plates.
void BM_PlatesFolder50(benchmark::State& state) {
    static const std::string folder = [] {
        const fs::path dir = fs::temp_directory_path() / "zorva-bench-plates";
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::vector<fs::path> photos;
        for (const fs::directory_entry& e : fs::directory_iterator(kCorpus))
            if (e.path().extension() == ".jpg") photos.push_back(e.path());
        std::sort(photos.begin(), photos.end());
        for (size_t i = 0; i < 50; ++i)
            fs::copy_file(photos[i % photos.size()], dir / (std::to_string(i / photos.size()) + "-" +
                                                            photos[i % photos.size()].filename().string()));
        return dir.string();
    }();
    const std::string undo = fs::temp_directory_path().string();
    for (auto _ : state) {
        std::ostringstream out, err;
        benchmark::DoNotOptimize(
            shell::RunCli({"plates", folder}, platform::DecodeWithQt, undo, out, err, ZORVA_SOURCE_DIR "/data/bases"));
    }
}
BENCHMARK(BM_PlatesFolder50)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // Qt's image plugins are found through it
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
