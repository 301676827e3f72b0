// Every effect on a 12 MP and a 2 MP (odd width) photo, beside a plain pass over the same bytes and OpenCV on one
// thread doing the comparable job on the same picture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/BenchPictures.h"
#include "effects/AdaptiveThreshold.h"
#include "effects/Blur.h"
#include "effects/Sharpen.h"
#include "effects/Sobel.h"
#include "effects/Tone.h"

#ifdef ZORVA_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using namespace zorva;

core::BmpImage Touched(size_t bytes) {
    core::BmpImage block = core::BmpImage::Allocate(bytes);
    std::memset(block.data(), 0, bytes);
    return block;
}

// One photo with its work blocks, touched once so no run pays for first
// faults.
struct Picture {
    Picture(uint32_t width, uint32_t height)
        : photo(bench::PhotoLike(width, height)),
          work(Touched(photo.view().blockSize())),
          scratch(Touched(photo.view().blockSize())),
          records(size_t(width) * height),
          result(size_t(width) * height) {
        fresh();
        std::memcpy(scratch.data(), photo.data(), photo.view().fileSize());
        effects::ComputeLocalMeans(photo.view(), plane(records));
    }
    // The work picture as the photo, before each run of an in-place operation.
    core::MutableBmpView fresh() {
        std::memcpy(work.data(), photo.data(), photo.view().fileSize());
        return work.view();
    }
    core::Plane<uint32_t> plane(std::vector<uint32_t>& words) {
        return core::PackedPlane(words.data(), photo.view().width(), photo.view().height());
    }
    size_t pixelBytes() const { return size_t(photo.view().stride()) * photo.view().height(); }

    core::BmpImage photo, work, scratch;
    std::vector<uint32_t> records, result;
};

Picture& Shared(int64_t which) {
    static Picture large(bench::kLargeWidth, bench::kLargeHeight);
    static Picture small(bench::kSmallWidth, bench::kSmallHeight);
    return which == 0 ? large : small;
}

// Runs `run` on a fresh copy of the photo each iteration, the copy untimed.
template <typename Run>
void InPlace(benchmark::State& state, Run run) {
    Picture& p = Shared(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const core::MutableBmpView image = p.fresh();
        state.ResumeTiming();
        run(p, image);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.pixelBytes()));
}

// ---- the reference passes ----

// A plain read-and-write pass over the picture's bytes, in place: the floor
// for an operation that rewrites the picture.
void BM_Pass(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) {
        uint8_t* bytes = image.pixels();
        const size_t n = p.pixelBytes();
        for (size_t i = 0; i < n; ++i) bytes[i] = uint8_t(bytes[i] + 1);
    });
}

// memcpy of the same bytes from another block: the floor for an operation
// that reads an untouched copy and writes the picture.
void BM_Copy(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) {
        std::memcpy(image.pixels(), p.scratch.view().pixels(), p.pixelBytes());
    });
}

// ---- per-pixel operations ----

void BM_Grey(benchmark::State& state) {
    InPlace(state, [](Picture&, core::MutableBmpView image) { effects::Greyscale(image); });
}
void BM_Negative(benchmark::State& state) {
    InPlace(state, [](Picture&, core::MutableBmpView image) { effects::Negative(image, effects::White::Opaque); });
}
void BM_Tone(benchmark::State& state) {
    const effects::ToneTransfer transfer = effects::MakeToneTransfer({60, 40, 50, 55}, {70, 50, 45, 50});
    InPlace(state, [&](Picture& p, core::MutableBmpView image) {
        effects::ApplyTone(p.scratch.view(), image, transfer, effects::White::Opaque);
    });
}
void BM_Threshold(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) { effects::Threshold(p.scratch.view(), image, 128); });
}
void BM_Enhance(benchmark::State& state) {
    InPlace(state, [](Picture&, core::MutableBmpView image) { effects::EnhanceColour(image); });
}
// One preview step of the engraving dialog: the threshold against the
// means rendered into the picture.
void BM_EngravePreview(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) {
        effects::RenderAdaptiveThreshold(p.plane(p.records), effects::WindowChoice::Wide17, 8, image);
    });
}
// The plate recognition's binarisation of the whole picture into the result plane.
void BM_PlateThreshold(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView) {
        effects::PlateThreshold t;
        t.variant = 1;
        effects::AdaptiveThreshold(p.plane(p.records), t, p.plane(p.result));
    });
}
void BM_LocalMeans(benchmark::State& state) {
    InPlace(state,
            [](Picture& p, core::MutableBmpView image) { effects::ComputeLocalMeans(image, p.plane(p.records)); });
}
// The whole engraving from the photo: means, threshold, rendering.
void BM_Engrave(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) {
        effects::ComputeLocalMeans(image, p.plane(p.records));
        effects::RenderAdaptiveThreshold(p.plane(p.records), effects::WindowChoice::Wide17, 8, image);
    });
}

// ---- neighbourhood filters ----

void BM_Blur(benchmark::State& state) {
    const auto level = effects::BlurLevel(state.range(1));
    InPlace(state, [level](Picture&, core::MutableBmpView image) { effects::Blur(image, level); });
}
void BM_Sobel(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) { effects::Sobel(image, p.scratch.view()); });
}
void BM_PencilHard(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) { effects::PencilHard(image, p.scratch.view()); });
}
void BM_PencilSoft(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) { effects::PencilSoft(image, p.scratch.view()); });
}
void BM_Sharpen(benchmark::State& state) {
    InPlace(state, [](Picture& p, core::MutableBmpView image) { effects::Sharpen(image, p.scratch.view()); });
}

#ifdef ZORVA_BENCH_OPENCV
// ---- OpenCV on one thread, on the same bytes ----

cv::Mat MatOf(core::MutableBmpView image) {
    return cv::Mat(image.height(), image.width(), CV_8UC3, image.pixels(), image.stride());
}

template <typename Run>
void OpenCv(benchmark::State& state, Run run) {
    cv::setNumThreads(1);
    InPlace(state, [&](Picture& p, core::MutableBmpView image) { run(p, MatOf(image)); });
}

void BM_CvGrey(benchmark::State& state) {
    cv::Mat grey;
    OpenCv(state, [&](Picture&, cv::Mat m) { cv::cvtColor(m, grey, cv::COLOR_BGR2GRAY); });
}
void BM_CvInvert(benchmark::State& state) {
    OpenCv(state, [](Picture&, cv::Mat m) { cv::bitwise_not(m, m); });
}
void BM_CvBoxBlur(benchmark::State& state) {
    const int size = int(state.range(1)), repeats = int(state.range(2));
    cv::Mat out;
    OpenCv(state, [&](Picture&, cv::Mat m) {
        for (int i = 0; i < repeats; ++i) {
            cv::blur(m, out, cv::Size(size, size));
            out.copyTo(m);
        }
    });
}
// Sobel magnitude as OpenCV users write it: both derivatives in 16 bits,
// their absolute values saturated to bytes and added.
void BM_CvSobel(benchmark::State& state) {
    cv::Mat gx, gy, ax, ay;
    OpenCv(state, [&](Picture&, cv::Mat m) {
        cv::Sobel(m, gx, CV_16S, 1, 0);
        cv::Sobel(m, gy, CV_16S, 0, 1);
        cv::convertScaleAbs(gx, ax);
        cv::convertScaleAbs(gy, ay);
        cv::add(ax, ay, m);
    });
}
// Adaptive mean threshold of the grey picture (17 x 17, C = 8): the
// comparable job of the engraving's means plus one threshold.
void BM_CvAdaptive(benchmark::State& state) {
    cv::Mat grey, binary;
    OpenCv(state, [&](Picture&, cv::Mat m) {
        cv::cvtColor(m, grey, cv::COLOR_BGR2GRAY);
        cv::adaptiveThreshold(grey, binary, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY, 17, 8);
        cv::cvtColor(binary, m, cv::COLOR_GRAY2BGR);
    });
}
// Unsharp mask with sharpening's weights: 5 v - 4 a over a 9 x 9 box mean.
void BM_CvUnsharp(benchmark::State& state) {
    cv::Mat mean;
    OpenCv(state, [&](Picture&, cv::Mat m) {
        cv::blur(m, mean, cv::Size(9, 9));
        cv::addWeighted(m, 5, mean, -4, 0, m);
    });
}
#endif

// Arguments: 0 the 12 MP photo, 1 the 2 MP photo.
#define PHOTOS ->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
#define PHOTOS_WITH(x) ->Args({0, x})->Args({1, x})->Unit(benchmark::kMillisecond)->UseRealTime()

BENCHMARK(BM_Pass) PHOTOS;
BENCHMARK(BM_Copy) PHOTOS;
BENCHMARK(BM_Grey) PHOTOS;
BENCHMARK(BM_Negative) PHOTOS;
BENCHMARK(BM_Tone) PHOTOS;
BENCHMARK(BM_Threshold) PHOTOS;
BENCHMARK(BM_Enhance) PHOTOS;
BENCHMARK(BM_EngravePreview) PHOTOS;
BENCHMARK(BM_PlateThreshold) PHOTOS;
BENCHMARK(BM_LocalMeans) PHOTOS;
BENCHMARK(BM_Engrave) PHOTOS;
BENCHMARK(BM_Blur) PHOTOS_WITH(0) PHOTOS_WITH(1) PHOTOS_WITH(2) PHOTOS_WITH(3);
BENCHMARK(BM_Sobel) PHOTOS;
BENCHMARK(BM_PencilHard) PHOTOS;
BENCHMARK(BM_PencilSoft) PHOTOS;
BENCHMARK(BM_Sharpen) PHOTOS;
#ifdef ZORVA_BENCH_OPENCV
BENCHMARK(BM_CvGrey) PHOTOS;
BENCHMARK(BM_CvInvert) PHOTOS;
BENCHMARK(BM_CvBoxBlur)
    ->Args({0, 3, 1})
    ->Args({1, 3, 1})
    ->Args({0, 5, 1})
    ->Args({1, 5, 1})
    ->Args({0, 5, 3})
    ->Args({1, 5, 3})
    ->Args({0, 9, 3})
    ->Args({1, 9, 3})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CvSobel) PHOTOS;
BENCHMARK(BM_CvAdaptive) PHOTOS;
BENCHMARK(BM_CvUnsharp) PHOTOS;
#endif

}  // namespace

BENCHMARK_MAIN();
