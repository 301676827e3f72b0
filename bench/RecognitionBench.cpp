// Turning profiles, best match over a full base, and the comparison of a 2-megapixel picture with base 3.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/BenchPictures.h"
#include "core/ImageFiles.h"
#include "core/WorkArena.h"
#include "recognize/Comparison.h"
#include "recognize/LabelTables.h"
#include "recognize/TurningProfile.h"
#include "segment/SegmentMedianCut.h"
#include "segment/SegmentStore.h"
#include "segment/Trace.h"

namespace {

using namespace zorva;

// 500 dark shapes on a light, slightly noisy ground, 2 megapixels (odd
// width): ellipses, bars, rings (a hole: one more segment) and L shapes in
// a 25 x 20 grid of cells.
core::BmpImage Shapes() {
    const uint32_t w = bench::kSmallWidth, h = bench::kSmallHeight;
    core::BmpImage image = core::BmpImage::Decoded(w, h);
    const core::MutableBmpView v = image.view();
    const uint32_t cw = w / 25, ch = h / 20;
    uint32_t noise = 12345;
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            const uint32_t cx = x % cw, cy = r % ch, cell = (x / cw) + 25 * (r / ch);
            const int dx = int(cx) - int(cw / 2), dy = int(cy) - int(ch / 2);
            const int rx = int(cw) * 3 / 8, ry = int(ch) * 3 / 8;
            const int e = dx * dx * ry * ry + dy * dy * rx * rx, edge = rx * rx * ry * ry;
            bool dark = false;
            switch (cell % 4) {
                case 0:
                    dark = e <= edge;
                    break;
                case 1:
                    dark = std::abs(dx) < rx / 3 + int(cell % 7) && std::abs(dy) < ry;
                    break;
                case 2:
                    dark = e <= edge && e * 4 >= edge;
                    break;
                case 3:
                    dark = std::abs(dy) < ry && dx > -rx && (dx < -rx / 2 || dy < -ry / 2);
                    break;
            }
            const uint32_t g = (dark ? 40 : 215) + (noise >> 28);
            v.set(x, r, g << 16 | g << 8 | g);
        }
    return image;
}

struct Fixture {
    Fixture() {
        picture = Shapes();
        work = core::BmpImage::Decoded(bench::kSmallWidth, bench::kSmallHeight);
        arena.reserve();
        arena.carve(picture.view());
        const auto bytes = core::ReadWholeFile(ZORVA_SOURCE_DIR "/data/bases/BazaDan3.zdb", 256 * 512);
        if (bytes) base3 = recognize::ParseBase(*bytes, 256);
        const auto letters = core::ReadWholeFile(ZORVA_SOURCE_DIR "/data/bases/BazaDan2.zdb", 100 * 512);
        // A full base 2: its records repeated up to the capacity of 100.
        if (letters && !letters->empty()) {
            std::vector<uint8_t> full;
            while (full.size() < 100 * 512)
                full.insert(full.end(), letters->begin(),
                            letters->begin() +
                                std::min<ptrdiff_t>(ptrdiff_t(letters->size()), ptrdiff_t(100 * 512 - full.size())));
            base2 = recognize::ParseBase(full, 100);
        }
        segments = segmentAndTrace();
    }
    core::MutableBmpView fresh() {
        std::memcpy(work.data(), picture.data(), picture.view().fileSize());
        return work.view();
    }
    // Segments and traces the picture as comparison does; K.
    uint32_t segmentAndTrace() {
        const core::MutableBmpView image = fresh();
        store.placeIndexed(arena, image.width(), image.height());
        segment::SegmentMedianCutParams params;  // 2 colours, 5 points
        uint32_t k = 0;
        segment::SegmentMedianCut(image, params, arena.writePixelWords(segment::kHistogramCells).data(),
                                  store.indexedMap(), store.indexedTable(), store.palette, k);
        store.segmentCount = k;
        store.settleIndexed(arena, k);
        store.prepareVectors(arena);
        segment::TraceSegments(store.indexedMap(), image.width(), image.height(), store.indexedRecords(), k,
                               store.palette, 0x4001, store.vectors);
        return k;
    }

    core::BmpImage picture;
    core::BmpImage work;
    core::WorkArena arena;
    segment::SegmentStore store;
    recognize::SymbolBase base2;
    recognize::SymbolBase base3;
    uint32_t segments = 0;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

std::vector<recognize::TurningProfile> AllProfiles(Fixture& f) {
    std::vector<recognize::TurningProfile> profiles;
    const segment::VectorView data = f.store.vectorData(f.arena);
    for (uint32_t n = 2; n <= data.segments(); ++n)
        if (auto p = recognize::BuildProfile(data.block(n))) profiles.push_back(p->profile);
    return profiles;
}

// Building the profile of every shape of the picture; per segment.
void BM_BuildProfile(benchmark::State& state) {
    Fixture& f = Shared();
    const segment::VectorView data = f.store.vectorData(f.arena);
    std::vector<recognize::ProfileEdge> edges;
    for (auto _ : state)
        for (uint32_t n = 2; n <= data.segments(); ++n)
            benchmark::DoNotOptimize(recognize::BuildProfile(data.block(n), nullptr, edges));
    state.SetItemsProcessed(int64_t(state.iterations()) * (data.segments() - 1));
    state.counters["segments"] = data.segments();
}

// Best match of one profile over a full base of 100 records, with the
// packed distance (what matching runs) and the plain one (the reference).
void BM_BestMatchFullBase(benchmark::State& state) {
    Fixture& f = Shared();
    const std::vector<recognize::TurningProfile> profiles = AllProfiles(f);
    const recognize::LabelTable all(std::string(200, '8'));  // every record named
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(recognize::BestMatch(profiles[i], f.base2, all));
        i = (i + 1) % profiles.size();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * f.base2.count);
}

void BM_BestMatchFullBasePlain(benchmark::State& state) {
    Fixture& f = Shared();
    const std::vector<recognize::TurningProfile> profiles = AllProfiles(f);
    size_t i = 0;
    for (auto _ : state) {
        uint32_t best = UINT32_MAX;
        for (uint32_t r = f.base2.count; r-- > 0;)
            best = std::min(best, recognize::ProfileDistancePlain(profiles[i].samples, f.base2.record(r)));
        benchmark::DoNotOptimize(best);
        i = (i + 1) % profiles.size();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * f.base2.count);
}

// The comparison command's work on a 2-megapixel picture of 500 shapes:
// segmentation, tracing, a profile and a best match over base 3 per segment.
void BM_CompareBase3(benchmark::State& state) {
    Fixture& f = Shared();
    size_t found = 0;
    for (auto _ : state) {
        f.segmentAndTrace();
        found = recognize::CompareWithBase(f.store.vectorData(f.arena), f.base3, recognize::BaseLabels(3)).size();
    }
    state.counters["segments"] = double(found);
}

// The matching part alone: profiles and best matches over base 3.
void BM_CompareBase3MatchOnly(benchmark::State& state) {
    Fixture& f = Shared();
    f.segmentAndTrace();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            recognize::CompareWithBase(f.store.vectorData(f.arena), f.base3, recognize::BaseLabels(3)));
}

BENCHMARK(BM_BuildProfile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BestMatchFullBase)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BestMatchFullBasePlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompareBase3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareBase3MatchOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
