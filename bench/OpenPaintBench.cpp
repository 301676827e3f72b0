// The wait a user sees on "Открыть": the real window, from the open route to the end of the first paint of the new
// picture, beside the decode alone of the same file, interleaved round by round.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ImageArea.h"
#include "platform/MainWindow.h"
#include "platform/PictureDecoder.h"

namespace {

using namespace zorva;

// A normal desktop window; the client area is this less the menu bar.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;

// Counts the image area's finished paint events that drew a document: the
// filter runs the widget's own paint event itself and notes the moment it
// returned.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(platform::MainWindow& window) : m_window(window) {}
    int paints = 0;
    qint64 lastEndNs = 0;
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || m_inside) return false;
        m_inside = true;
        // QObject::event is public: the widget's paintEvent runs here, whole.
        static_cast<QObject*>(watched)->event(event);
        m_inside = false;
        if (m_window.editor().hasDocument()) {
            lastEndNs = clock.nsecsElapsed();
            ++paints;
        }
        return true;
    }

private:
    platform::MainWindow& m_window;
    bool m_inside = false;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Min(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PHOTO [ROUNDS]  (bench/open-compare.sh makes the 12 MP photo)\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    // No display needed; xcb under Xvfb works as well when asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The recent-files list this writes is kept apart from the user's.
    QStandardPaths::setTestModeEnabled(true);
    const QTemporaryDir undoFolder;

    platform::WindowOptions options;
    options.undoFolder = undoFolder.path().toStdString();
    platform::MainWindow window(std::move(options));
    window.host().setQuiet(true);
    if (!window.startUp()) return 1;
    window.resize(kWindowWidth, kWindowHeight);
    PaintWatch watch(window);
    watch.clock.start();
    window.area().installEventFilter(&watch);
    // The empty window shown and painted before the first round.
    for (int i = 0; i < 50; ++i) QCoreApplication::processEvents();

    std::vector<double> decode, open, paint;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms the caches and is not counted
        QElapsedTimer timer;
        timer.start();
        {
            const shell::DecodeResult decoded = platform::DecodePicture(path);
            if (decoded.status != shell::DecodeStatus::Ok) {
                std::fprintf(stderr, "cannot decode %s\n", path.c_str());
                return 1;
            }
        }
        const double decodeMs = double(timer.nsecsElapsed()) / 1e6;

        const int before = watch.paints;
        const qint64 start = watch.clock.nsecsElapsed();
        if (!window.openFile(QString::fromStdString(path))) {
            std::fprintf(stderr, "the window did not open %s\n", path.c_str());
            return 1;
        }
        const qint64 opened = watch.clock.nsecsElapsed();
        while (watch.paints == before) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (round == 0) continue;
        decode.push_back(decodeMs);
        open.push_back(double(opened - start) / 1e6);
        paint.push_back(double(watch.lastEndNs - start) / 1e6);
        // Whatever else the open queued runs before the next round.
        QCoreApplication::processEvents();
    }

    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const double decodeMin = Min(decode), decodeMedian = Median(decode);
    const double paintMin = Min(paint), paintMedian = Median(paint);
    std::printf("Open to first paint, %s, window %dx%d (client %dx%d); min / median of %d rounds in ms\n", path.c_str(),
                kWindowWidth, kWindowHeight, window.area().width(), window.area().height(), rounds);
    std::printf("%-34s %8.1f %8.1f\n", "decode alone (DecodePicture)", decodeMin, decodeMedian);
    std::printf("%-34s %8.1f %8.1f\n", "open route returned", Min(open), Median(open));
    std::printf("%-34s %8.1f %8.1f\n", "first paint of the picture ended", paintMin, paintMedian);
    std::printf("%-34s %8.2f %8.2f\n", "ratio paint / decode", paintMin / decodeMin, paintMedian / decodeMedian);
    std::printf("%-34s %8.1f\n", "peak resident MB", double(usage.ru_maxrss) / 1024);
    return 0;
}
