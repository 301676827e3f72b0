// The editing tools on 12- and 2-megapixel pictures: a pencil stroke, a rubber band, flood fill, lifting and
// compositing a selection, a quarter turn; flood fill and the turn beside OpenCV's on the same bytes when it is built
// in.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "bench/BenchPictures.h"
#include "core/WorkArena.h"
#include "edit/Drawing.h"
#include "edit/FloodFill.h"
#include "edit/Rotate.h"
#include "edit/Selection.h"
#include "shell/Editor.h"
#include "shell/input/Gesture.h"
#include "shell/input/Tools.h"

#ifdef ZORVA_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using namespace zorva;

// A host that shows nothing: the editor's work alone is timed.
class QuietHost : public shell::Host {
public:
    void message(std::string_view, std::string_view, shell::MessageIcon) override {}
    void statusChanged(int, std::string_view) override {}
    void repaint(bool) override {}
    void runDialog(shell::DialogModel&) override {}
    uint32_t clockMs() override { return 0; }
    shell::DecodeResult decode(const std::string&) override { return {}; }
    std::optional<std::string> chooseOpenFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const std::string&) override { return std::nullopt; }
};

// An editor on the 12 MP photo, its undo folder in the temporary folder.
struct Session {
    Session() {
        std::filesystem::create_directories(folder);
        editor.reserveArena();
        editor.install(bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight), shell::InstallKind::Open);
    }
    ~Session() { std::filesystem::remove_all(folder); }
    void run(const std::string& op) {
        std::string why;
        shell::PerformGesture(editor, *shell::ParseGesture(op, why), tools);
    }

    std::string folder = (std::filesystem::temp_directory_path() / "zorva-edit-bench").string();
    QuietHost host;
    shell::Editor editor{host, folder};
    shell::EditorTools tools;
};

Session& TheSession() {
    static Session session;
    return session;
}

// A drawing: white with a lattice of black lines, each with a gap, so one
// white region winds through the whole picture.
core::BmpImage Drawing(uint32_t width, uint32_t height) {
    core::BmpImage image = core::BmpImage::Decoded(width, height);
    const core::MutableBmpView v = image.view();
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t x = 0; x < width; ++x) {
            const bool line = (x % 97 == 50 && r % 97 > 5) || (r % 89 == 40 && x % 89 > 5);
            v.set(x, r, line ? 0x000000 : 0xFFFFFF);
        }
    return image;
}

// ---- drawing ----

// A stroke corner to corner through the window's routing: the snapshot
// that starts it (one picture written to the undo folder), then 200 moves.
void BM_PencilStroke(benchmark::State& state) {
    Session& s = TheSession();
    s.run("tool:pencil");
    std::string drag = "drag:0,0";
    for (int i = 1; i <= 200; ++i)
        drag.append(",").append(std::to_string(i * 3999 / 200)).append(",").append(std::to_string(i * 2999 / 200));
    for (auto _ : state) s.run(drag);
}

// The same stroke's drawing alone: 4-pixel stamps along the diagonal, every
// pixel journalled.
void BM_PencilLine(benchmark::State& state) {
    Session& s = TheSession();
    core::WorkArena& arena = s.editor.arena();
    const edit::Canvas canvas{s.editor.document(), {}, &arena, edit::Ink::Colour, 0x000000};
    edit::Pen pen;
    pen.size = 4;
    for (auto _ : state) {
        pen.forget();
        pen.previous = {0, 0};
        arena.journalWrite = 0;
        edit::LineTo(pen, canvas, {3999, 2999});
    }
}

// The line tool followed by the pointer for 1,000 moves: each rolls the last
// preview back and draws the next one.
void BM_RubberBand(benchmark::State& state) {
    Session& s = TheSession();
    s.run("tool:line");
    std::string drag = "drag:2000,1500";
    for (int i = 0; i < 1000; ++i)
        drag.append(",").append(std::to_string((i * 733) % 4000)).append(",").append(std::to_string((i * 419) % 3000));
    for (auto _ : state) s.run(drag);
    state.SetItemsProcessed(state.iterations() * 1000);
}

// ---- flood fill ----

void BM_FloodFill(benchmark::State& state) {
    core::BmpImage picture = Drawing(bench::kLargeWidth, bench::kLargeHeight);
    edit::FillScratch scratch;
    uint32_t colour = 0xFF0000;
    for (auto _ : state) {
        // Red and white by turns: every fill covers the same region.
        edit::FloodFill(picture.view(), {1, 1}, colour, scratch);
        colour = colour == 0xFF0000 ? 0xFFFFFF : 0xFF0000;
    }
}

#ifdef ZORVA_BENCH_OPENCV
cv::Mat MatOf(core::MutableBmpView picture) {
    return cv::Mat(int(picture.height()), int(picture.width()), CV_8UC3, picture.row(0), picture.stride());
}

void BM_OpenCvFloodFill(benchmark::State& state) {
    cv::setNumThreads(1);
    core::BmpImage picture = Drawing(bench::kLargeWidth, bench::kLargeHeight);
    cv::Mat mat = MatOf(picture.view());
    cv::Scalar colour(0, 0, 255);
    for (auto _ : state) {
        cv::floodFill(mat, cv::Point(1, 1), colour, nullptr, cv::Scalar(), cv::Scalar(), 4);
        colour = colour[0] == 0 ? cv::Scalar(255, 255, 255) : cv::Scalar(0, 0, 255);
    }
}
#endif

// ---- selections ----

// Lifting a selection of the whole picture: the pixels out by their mask,
// cut to their box.
void BM_LiftSelection(benchmark::State& state) {
    const uint32_t w = state.range(0) == 12 ? bench::kLargeWidth : bench::kSmallWidth;
    const uint32_t h = state.range(0) == 12 ? bench::kLargeHeight : bench::kSmallHeight;
    core::BmpImage picture = bench::PhotoLike(w, h);
    core::BmpImage mask = core::BmpImage::Decoded(w, h);  // all zero: every pixel selected
    core::BmpImage floating = core::BmpImage::Decoded(w, h);
    for (auto _ : state) {
        const edit::Box box = edit::LiftSelected(picture.view(), mask.view(), floating.view(), true);
        edit::CutToBox(floating.view(), box);
        benchmark::DoNotOptimize(box);
    }
}

// One step of dragging it: the picture under it back, the pixels drawn at
// their new place, the outline.
void BM_Composite(benchmark::State& state) {
    const uint32_t w = state.range(0) == 12 ? bench::kLargeWidth : bench::kSmallWidth;
    const uint32_t h = state.range(0) == 12 ? bench::kLargeHeight : bench::kSmallHeight;
    const core::BmpImage background = bench::PhotoLike(w, h, 2);
    core::BmpImage picture = bench::PhotoLike(w, h);
    core::BmpImage floating = bench::PhotoLike(w, h, 3);
    int step = 0;
    for (auto _ : state) {
        edit::Composite(picture.view(), background.view(), floating.view(), {step % 40 - 20, step % 30 - 15}, true);
        ++step;
    }
}

// ---- rotation ----

void BM_Rotate90(benchmark::State& state) {
    const core::BmpImage photo = bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight);
    core::BmpImage turned = core::BmpImage::Allocate(edit::TurnedFileSize(photo.view(), edit::Turn::Right));
    for (auto _ : state) edit::TurnPicture(photo.view(), turned.view(), edit::Turn::Right);
}

#ifdef ZORVA_BENCH_OPENCV
void BM_OpenCvRotate90(benchmark::State& state) {
    cv::setNumThreads(1);
    core::BmpImage photo = bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight);
    const cv::Mat source = MatOf(photo.view());
    cv::Mat turned(source.cols, source.rows, CV_8UC3);
    for (auto _ : state) cv::rotate(source, turned, cv::ROTATE_90_CLOCKWISE);
}
#endif

}  // namespace

BENCHMARK(BM_PencilStroke)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PencilLine)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RubberBand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloodFill)->Unit(benchmark::kMillisecond)->UseRealTime();
#ifdef ZORVA_BENCH_OPENCV
BENCHMARK(BM_OpenCvFloodFill)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif
BENCHMARK(BM_LiftSelection)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Composite)->Arg(2)->Arg(12)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond)->UseRealTime();
#ifdef ZORVA_BENCH_OPENCV
BENCHMARK(BM_OpenCvRotate90)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

BENCHMARK_MAIN();
