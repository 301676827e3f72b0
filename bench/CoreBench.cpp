// Open, save, snapshot and undo of a 12-megapixel photo, beside a plain write() of the same bytes; the PNG reader's
// two routes on the same photo.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QImage>
#include <QImageWriter>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "bench/BenchPictures.h"
#include "core/ImageFiles.h"
#include "core/UndoRing.h"
#include "core/WorkArena.h"
#include "platform/PngDecoder.h"
#include "platform/QtDecoder.h"

namespace {

using namespace zorva;

struct Fixture {
    Fixture() {
        folder = std::filesystem::temp_directory_path() / "zorva-bench";
        std::filesystem::create_directories(folder);
        photo = bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight);
        arena.reserve();
        arena.carve(photo.view());
        bmpPath = (folder / "photo.bmp").string();
        core::WriteImageFile(bmpPath, photo.view());
        jpegPath = (folder / "photo.jpg").string();
        QImage q(reinterpret_cast<const uchar*>(photo.view().pixels()), int(bench::kLargeWidth),
                 int(bench::kLargeHeight), int(photo.view().stride()), QImage::Format_BGR888);
        QImageWriter(QString::fromStdString(jpegPath), "jpeg").write(q.mirrored());
        const std::string pngPath = (folder / "photo.png").string();
        QImageWriter(QString::fromStdString(pngPath), "png").write(q.mirrored());
        std::ifstream in(pngPath, std::ios::binary);
        png.assign(std::istreambuf_iterator<char>(in), {});
        ring.setFolder(folder.string());
    }
    std::filesystem::path folder;
    core::BmpImage photo;
    core::WorkArena arena;
    core::UndoRing ring;
    std::string bmpPath, jpegPath;
    std::vector<uint8_t> png;  // the photo as Qt's PNG writer makes it
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_OpenBmp(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) benchmark::DoNotOptimize(platform::DecodeWithQt(f.bmpPath));
}

void BM_OpenJpeg(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) benchmark::DoNotOptimize(platform::DecodeWithQt(f.jpegPath));
}

// The PNG in memory through one route of the reader: 0 the whole stream
// where it can (libdeflate), 1 libpng row by row.
void BM_DecodePng(benchmark::State& state) {
    Fixture& f = Shared();
    const auto route = state.range(0) == 0 ? platform::PngRoute::Fastest : platform::PngRoute::RowByRow;
    for (auto _ : state) benchmark::DoNotOptimize(platform::DecodePng(f.png, route));
    state.SetLabel(state.range(0) == 0 ? "whole stream" : "libpng row by row");
}

void BM_Save(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string out = (f.folder / "saved.bmp").string();
    for (auto _ : state) benchmark::DoNotOptimize(core::WriteImageFile(out, f.photo.view()));
}

// The reference for the snapshot: one write() of the same bytes into a new
// file, cycling through 16 files as the snapshot ring does, so both leave the
// same amount of dirty page cache behind.
void BM_PlainWrite(benchmark::State& state) {
    Fixture& f = Shared();
    int slot = 0;
    for (auto _ : state) {
        const std::string out = (f.folder / ("plain" + std::to_string(slot) + ".bin")).string();
        slot = (slot + 1) % core::kUndoSlots;
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(write(fd, f.photo.data(), f.arena.imageBlockSize()));
        close(fd);
    }
}

// A snapshot as the editor takes it: the file write plus the white mask refill.
void BM_Snapshot(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.ring.snapshot(f.photo.view(), f.arena, 0);
        core::FillWhite(f.arena.writeMask(), f.arena.imageBlockSize());
    }
}

void BM_UndoRedo(benchmark::State& state) {
    Fixture& f = Shared();
    f.ring.empty();
    f.ring.snapshot(f.photo.view(), f.arena, 0);
    for (auto _ : state) {
        f.ring.undo(f.photo.view(), f.arena, false);
        f.ring.redo(f.photo.view(), f.arena, false);
    }
    state.SetLabel("one undo plus one redo");
}

BENCHMARK(BM_OpenBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Snapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
