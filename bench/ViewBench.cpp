// Repaint of both views of a 12-megapixel photo into a typical window, beside Qt's own smooth scaling.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <map>
#include <string>

#include "bench/BenchPictures.h"
#include "platform/PaintView.h"
#include "shell/EditorState.h"
#include "shell/view/View.h"

namespace {

using namespace zorva;

// A typical window: 1280 x 820 client area, 20 rows of it the status bar.
constexpr int kClientWidth = 1280;
constexpr int kClientHeight = 800;

struct Fixture {
    Fixture()
        : large(bench::PhotoLike(bench::kLargeWidth, bench::kLargeHeight)),
          small(bench::PhotoLike(bench::kSmallWidth, bench::kSmallHeight)),
          target(kClientWidth, kClientHeight + shell::kStatusBarHeight, QImage::Format_RGB32) {}
    core::BmpImage large;
    core::BmpImage small;
    QImage target;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// One paint event of the whole client area, as the window does it.
void Paint(Fixture& f, shell::EditorState& state, core::BmpView picture) {
    QPainter p(&f.target);
    p.fillRect(f.target.rect(), Qt::white);
    const shell::PaintPlan plan = shell::PlanPaint(state, picture, kClientWidth, kClientHeight);
    platform::PaintView(p, plan, picture, QRect(0, 0, kClientWidth, kClientHeight));
}

shell::EditorState SourceState(core::BmpView picture, int zoom) {
    shell::EditorState state;
    state.viewMode = shell::CommandId::SourceView;
    state.zoomIndex = uint8_t(zoom);
    state.layout.horizontal.position = 1000;  // somewhere inside the photo
    state.layout.vertical.position = 1000;
    state.layout =
        shell::ComputeLayout(kClientWidth, kClientHeight, zoom, picture.width(), picture.height(), state.layout);
    return state;
}

void BM_Preview12MP(benchmark::State& s) {
    Fixture& f = Shared();
    shell::EditorState state;
    for (auto _ : s) Paint(f, state, f.large.view());
}

void BM_Preview2MP(benchmark::State& s) {
    Fixture& f = Shared();
    shell::EditorState state;
    for (auto _ : s) Paint(f, state, f.small.view());
}

void BM_Source12MP(benchmark::State& s) {
    Fixture& f = Shared();
    shell::EditorState state = SourceState(f.large.view(), int(s.range(0)));
    for (auto _ : s) Paint(f, state, f.large.view());
    s.SetLabel(std::to_string(shell::ZoomPercent(int(s.range(0)))) + "%");
}

// Qt's own route to the same preview: the photo as a QImage (wrapped, not
// copied), flipped upright and drawn with smooth transformation.
void BM_QtDrawImageSmooth12MP(benchmark::State& s) {
    Fixture& f = Shared();
    const core::MutableBmpView v = f.large.view();
    const QImage photo(v.pixels(), v.width(), v.height(), v.stride(), QImage::Format_BGR888);
    const shell::Rect r = shell::PreviewRect(v.width(), v.height(), kClientWidth, kClientHeight);
    for (auto _ : s) {
        QPainter p(&f.target);
        p.fillRect(f.target.rect(), Qt::white);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(0, r.y + r.height);
        p.scale(1, -1);  // stored rows run bottom-up
        p.drawImage(QRectF(r.x, 0, r.width, r.height), photo);
    }
}

// Qt's area-averaging scaler (QImage::scaled, smooth), then a 1:1 blit.
void BM_QtScaledSmooth12MP(benchmark::State& s) {
    Fixture& f = Shared();
    const core::MutableBmpView v = f.large.view();
    const QImage photo(v.pixels(), v.width(), v.height(), v.stride(), QImage::Format_BGR888);
    const shell::Rect r = shell::PreviewRect(v.width(), v.height(), kClientWidth, kClientHeight);
    for (auto _ : s) {
        const QImage scaled = photo.scaled(r.width, r.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter p(&f.target);
        p.fillRect(f.target.rect(), Qt::white);
        p.drawImage(QPoint(r.x, r.y), scaled.mirrored());
    }
}

BENCHMARK(BM_Preview12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtDrawImageSmooth12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtScaledSmooth12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Preview2MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Source12MP)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

// Prints the usual table, then the preview against Qt's two routes.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double ours = m_times["BM_Preview12MP"];
        if (ours <= 0) return;
        for (const char* other : {"BM_QtDrawImageSmooth12MP", "BM_QtScaledSmooth12MP"})
            if (m_times.count(other))
                std::printf("preview paint 12 MP: %.2fx the time of %s\n", ours / m_times[other], other + 3);
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
