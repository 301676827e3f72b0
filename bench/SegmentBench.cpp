// Median cut, both segmentations, tracing and SVG export on a 12-megapixel photo, placed in the work arena as the
// editor does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/BenchPictures.h"
#include "core/ImageFiles.h"
#include "core/WorkArena.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"
#include "segment/SegmentStore.h"
#include "segment/Svg.h"
#include "segment/Trace.h"

namespace {

using namespace zorva;

struct Fixture {
    Fixture() {
        photo = bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight);
        work = core::BmpImage::Decoded(bench::kLargeWidth, bench::kLargeHeight);
        arena.reserve();
        arena.carve(photo.view());
        // The editor keeps its record tables from one segmentation to the
        // next; touching them here keeps the first timed run from paying
        // for faulting in hundreds of megabytes of fresh pages.
        store.placeEight(arena, work.view());
        std::memset(static_cast<void*>(store.eightTable().data()), 0, store.eightTable().size_bytes());
        store.placeIndexed(arena, bench::kLargeWidth, bench::kLargeHeight);
        std::memset(static_cast<void*>(store.indexedTable().data()), 0, store.indexedTable().size_bytes());
    }
    // The working copy every run starts from (segmentations paint in place).
    core::MutableBmpView fresh() {
        std::memcpy(work.data(), photo.data(), photo.view().fileSize());
        return work.view();
    }
    uint32_t* histogram() { return arena.writePixelWords(segment::kHistogramCells).data(); }
    // The photo thresholded at luma 128 to black and white: the input of a
    // plain labelling pass (what OpenCV's connectedComponents is given).
    core::MutableBmpView binary() {
        const core::MutableBmpView image = fresh();
        for (uint32_t r = 0; r < image.height(); ++r) {
            uint8_t* p = image.row(r);
            for (uint32_t x = 0; x < image.width(); ++x, p += 3) {
                const uint32_t y = (77 * p[2] + 150 * p[1] + 29 * p[0]) >> 8;
                p[0] = p[1] = p[2] = y >= 128 ? 255 : 0;
            }
        }
        return image;
    }

    core::BmpImage photo;
    core::BmpImage work;
    core::WorkArena arena;
    segment::SegmentStore store;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_MedianCut32(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        const core::MutableBmpView image = f.fresh();
        state.ResumeTiming();
        segment::MedianCutPalette(image, 32, segment::PaletteOutput::Recolour, f.histogram(), nullptr, f.store.palette);
    }
}

// One scan at tolerance 2: the labelling pass alone.
void BM_SegmentEightScan(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        const core::MutableBmpView image = f.fresh();
        f.store.placeEight(f.arena, image);
        state.ResumeTiming();
        uint32_t count = 0;
        segment::SegmentEightScan(image, f.store.labelMap(), f.store.eightTable(), 2, count);
        benchmark::DoNotOptimize(count);
    }
}

// One scan over the black-and-white picture: labelling alone, as OpenCV's
// connectedComponents does it.
void BM_SegmentEightScanBinary(benchmark::State& state) {
    Fixture& f = Shared();
    uint32_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const core::MutableBmpView image = f.binary();
        f.store.placeEight(f.arena, image);
        state.ResumeTiming();
        segment::SegmentEightScan(image, f.store.labelMap(), f.store.eightTable(), 0, count);
    }
    state.counters["labels"] = count;
}

// The command's default: tolerance 2, five repetitions (2, 4, 6, 8, 10).
void BM_SegmentEight5(benchmark::State& state) {
    Fixture& f = Shared();
    segment::SegmentEightResult result;
    for (auto _ : state) {
        state.PauseTiming();
        const core::MutableBmpView image = f.fresh();
        f.store.placeEight(f.arena, image);
        state.ResumeTiming();
        result = segment::SegmentEight(image, f.store.labelMap(), f.store.eightTable(), 2, 5);
    }
    state.counters["labels"] = result.segmentCount;
}

// Median-cut segmentation with N colours and the dialog's minimum of 5 points.
void BM_SegmentMedianCut(benchmark::State& state) {
    Fixture& f = Shared();
    segment::SegmentMedianCutParams params;
    params.colours = uint32_t(state.range(0));
    uint32_t k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const core::MutableBmpView image = f.fresh();
        f.store.placeIndexed(f.arena, image.width(), image.height());
        state.ResumeTiming();
        segment::SegmentMedianCut(image, params, f.histogram(), f.store.indexedMap(), f.store.indexedTable(),
                                  f.store.palette, k);
    }
    state.counters["segments"] = k;
}

// Segments once with N colours, then times tracing (VectorFlags 5) alone,
// and tracing plus the SVG text and file.
void SegmentOnce(Fixture& f, uint32_t colours) {
    segment::SegmentMedianCutParams params;
    params.colours = colours;
    const core::MutableBmpView image = f.fresh();
    f.store.placeIndexed(f.arena, image.width(), image.height());
    uint32_t k = 0;
    segment::SegmentMedianCut(image, params, f.histogram(), f.store.indexedMap(), f.store.indexedTable(),
                              f.store.palette, k);
    f.store.settleIndexed(f.arena, k);
}

void BM_Trace(benchmark::State& state) {
    Fixture& f = Shared();
    SegmentOnce(f, uint32_t(state.range(0)));
    for (auto _ : state) {
        f.store.prepareVectors(f.arena);
        segment::TraceSegments(f.store.indexedMap(), bench::kLargeWidth, bench::kLargeHeight, f.store.indexedRecords(),
                               f.store.segmentCount, f.store.palette, 5, f.store.vectors);
    }
    state.counters["segments"] = f.store.segmentCount;
    state.counters["words"] = double(f.store.vectors.size());
}

void BM_TraceAndSvg(benchmark::State& state) {
    Fixture& f = Shared();
    SegmentOnce(f, uint32_t(state.range(0)));
    const std::string path = "/tmp/zorva-bench-segment.svg";
    size_t bytes = 0;
    for (auto _ : state) {
        f.store.prepareVectors(f.arena);
        segment::TraceSegments(f.store.indexedMap(), bench::kLargeWidth, bench::kLargeHeight, f.store.indexedRecords(),
                               f.store.segmentCount, f.store.palette, 5, f.store.vectors);
        const std::string svg = segment::IndexedSvg(f.store.vectorData(f.arena));
        core::WriteWholeFile(path, reinterpret_cast<const uint8_t*>(svg.data()), svg.size());
        bytes = svg.size();
    }
    state.counters["svg_bytes"] = double(bytes);
}

BENCHMARK(BM_MedianCut32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SegmentEightScan)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SegmentEightScanBinary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SegmentEight5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SegmentMedianCut)->Arg(2)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Trace)->Arg(2)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TraceAndSvg)->Arg(2)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writes the benchmark's inputs for bench/segment-compare.sh: the photo, and
// the photo after median-cut segmentation to two colours (potrace's input).
bool WritePictures(const std::string& folder) {
    Fixture& f = Shared();
    if (!core::WriteImageFile(folder + "/photo.bmp", f.photo.view())) return false;
    SegmentOnce(f, 2);
    if (!core::WriteImageFile(folder + "/two.bmp", f.work.view())) return false;
    return core::WriteImageFile(folder + "/binary.bmp", f.binary());
}

// ---- result digests ----
// Every output of every routine on the 12 MP and the 2 MP (odd width)
// photos, as FNV-1a hashes, one per line: two builds whose digests agree
// compute the same bytes, so a speed change can be checked against the code
// it replaces.

uint64_t Fnv(const void* data, size_t bytes, uint64_t h = 1469598103934665603ull) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < bytes; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

void Digest(const char* what, const void* data, size_t bytes) {
    std::printf("%-40s %016llx %zu\n", what, static_cast<unsigned long long>(Fnv(data, bytes)), bytes);
}

void DigestPicture(const char* name, const core::BmpImage& photo) {
    core::WorkArena arena;
    if (!arena.reserve()) return;
    arena.carve(photo.view());
    segment::SegmentStore store;
    core::BmpImage work = core::BmpImage::Decoded(photo.view().width(), photo.view().height());
    const auto fresh = [&] {
        std::memcpy(work.data(), photo.data(), photo.view().fileSize());
        return work.view();
    };
    uint32_t* histogram = arena.writePixelWords(segment::kHistogramCells).data();
    const core::MutableBmpView image = work.view();
    const size_t pixels = size_t(image.width()) * image.height();
    std::string label;
    const auto tag = [&](const char* step) { return (label = std::string(name) + " " + step).c_str(); };

    fresh();
    segment::MedianCutPalette(image, 32, segment::PaletteOutput::Recolour, histogram, nullptr, store.palette);
    Digest(tag("median cut 32: image"), image.data(), image.fileSize());
    Digest(tag("median cut 32: lookup"), histogram, segment::kHistogramBytes);
    Digest(tag("median cut 32: palette"), &store.palette, sizeof store.palette);

    for (const uint32_t tolerance : {0u, 2u}) {
        for (const uint32_t repetitions : {1u, 5u}) {
            if (tolerance == 0) {
                // The black-and-white picture of the labelling benchmark.
                fresh();
                for (uint32_t r = 0; r < image.height(); ++r) {
                    uint8_t* p = image.row(r);
                    for (uint32_t x = 0; x < image.width(); ++x, p += 3)
                        p[0] = p[1] = p[2] = ((77 * p[2] + 150 * p[1] + 29 * p[0]) >> 8) >= 128 ? 255 : 0;
                }
                if (repetitions != 1) continue;
            } else {
                fresh();
            }
            store.placeEight(arena, image);
            const segment::SegmentEightResult result =
                segment::SegmentEight(image, store.labelMap(), store.eightTable(), tolerance, repetitions);
            store.segmentCount = result.segmentCount;
            char step[64];
            std::snprintf(step, sizeof step, "eight %u x %u:", tolerance, repetitions);
            Digest(tag((std::string(step) + " image").c_str()), image.data(), image.fileSize());
            Digest(tag((std::string(step) + " map").c_str()), store.labelMap().data(), image.fileSize());
            Digest(tag((std::string(step) + " records").c_str()), store.eightRecords().data(),
                   store.eightRecords().size_bytes());
            for (const uint32_t value : {0u, 4u, 5u}) {
                const std::string svg = segment::EightSvg(store.labelMap(), store.eightRecords(), value, "1.00");
                std::snprintf(step, sizeof step, "eight %u x %u: svg %u", tolerance, repetitions, value);
                Digest(tag(step), svg.data(), svg.size());
            }
        }
    }

    for (const uint32_t colours : {2u, 8u, 32u}) {
        for (const uint32_t minimum : {0u, 5u, 50u}) {
            fresh();
            store.placeIndexed(arena, image.width(), image.height());
            segment::SegmentMedianCutParams params;
            params.colours = colours;
            params.minSegmentPoints = minimum;
            uint32_t k = 0;
            segment::SegmentMedianCut(image, params, histogram, store.indexedMap(), store.indexedTable(), store.palette,
                                      k);
            store.settleIndexed(arena, k);
            char step[64];
            std::snprintf(step, sizeof step, "median %u/%u: K=%u", colours, minimum, k);
            Digest(tag((std::string(step) + " image").c_str()), image.data(), image.fileSize());
            Digest(tag((std::string(step) + " map").c_str()), store.indexedMap(), pixels * 4);
            Digest(tag((std::string(step) + " records").c_str()), store.indexedRecords().data(),
                   store.indexedRecords().size_bytes());
            for (const uint16_t flags : {uint16_t(0), uint16_t(1), uint16_t(5)}) {
                store.prepareVectors(arena);
                segment::TraceSegments(store.indexedMap(), image.width(), image.height(), store.indexedRecords(),
                                       store.segmentCount, store.palette, flags, store.vectors);
                const std::string svg = segment::IndexedSvg(store.vectorData(arena));
                std::snprintf(step, sizeof step, "median %u/%u: trace %u", colours, minimum, unsigned(flags));
                Digest(tag((std::string(step) + " vectors").c_str()), store.vectors.data(), store.vectors.size() * 4);
                Digest(tag((std::string(step) + " records").c_str()), store.indexedRecords().data(),
                       store.indexedRecords().size_bytes());
                Digest(tag((std::string(step) + " svg").c_str()), svg.data(), svg.size());
            }
        }
    }

    // The plate window over a two-index plane (the black-and-white picture).
    fresh();
    store.placeIndexed(arena, image.width(), image.height());
    uint32_t* plane = store.indexedMap();
    for (uint32_t r = 0; r < image.height(); ++r) {
        const uint8_t* p = image.row(r);
        for (uint32_t x = 0; x < image.width(); ++x, p += 3)
            plane[size_t(r) * image.width() + x] = ((77 * p[2] + 150 * p[1] + 29 * p[0]) >> 8) >= 128 ? 1 : 0;
    }
    uint32_t k = 0;
    segment::SegmentWindow(image.width(), image.height(),
                           segment::SegmentWindowRect{0, 0, uint16_t(image.width()), uint16_t(image.height())}, plane,
                           store.indexedTable(), k);
    Digest(tag("window: map"), plane, pixels * 4);
    Digest(tag("window: records"), store.indexedTable().data(),
           (size_t(k) + 1) * sizeof(segment::IndexedSegmentRecord));
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--write-pictures") == 0) return WritePictures(argv[i + 1]) ? 0 : 1;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--digest") == 0) {
            DigestPicture("12MP", bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight));
            DigestPicture("2MP", bench::PhotoLike(bench::kSmallWidth, bench::kSmallHeight, 7));
            return 0;
        }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
