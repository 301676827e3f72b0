// Printing to PDF: the page shows the picture fitted as the preview fits it; a failing printer says so.
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "core/ImageFiles.h"
#include "platform/MainWindow.h"
#include "platform/Printing.h"
#include "shell/view/View.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

// The bounding box of the pixels that are clearly not white.
QRect InkBox(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200) box |= QRect(x, y, 1, 1);
    return box;
}

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 && qAbs(qBlue(a) - qBlue(b)) < 24;
}

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    std::unique_ptr<platform::MainWindow> Window() {
        platform::WindowOptions options;
        options.undoFolder = dir.path().toStdString();
        auto window = std::make_unique<platform::MainWindow>(std::move(options));
        window->host().setQuiet(true);
        window->editor().reserveArena();
        return window;
    }

private slots:
    void aPdfPageShowsThePictureFittedAndCentred() {
        // 400 x 300: red left half, blue right half, a black bar along the top.
        const std::string picture = dir.filePath(QStringLiteral("p.bmp")).toStdString();
        core::WriteImageFile(picture, test::MakeImage(400, 300, [](uint32_t x, uint32_t r) {
                                          return r >= 280 ? 0x000000u : x < 200 ? 0xFF0000u : 0x0000FFu;
                                      }).view());
        auto window = Window();
        QVERIFY(window->openAtStart(picture));
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        window->host().setPrintFile(pdf);
        window->runCommand(shell::CommandId::Print);
        QVERIFY(window->host().quietMessages().empty());
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
        QVERIFY(bytes.contains("/Subtype /Image"));

        // Look at the page as a reader would.
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");
        const QString stem = dir.filePath(QStringLiteral("page"));
        QCOMPARE(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdf, stem}),
                 0);
        const QImage page(stem + QStringLiteral(".png"));
        QVERIFY(!page.isNull());
        const QRect box = InkBox(page);
        QVERIFY(!box.isEmpty());
        // The preview's proportions, nearly the page's width (less margins and 50 device pixels).
        QVERIFY(qAbs(double(box.width()) / box.height() - 4.0 / 3.0) < 0.03);
        QVERIFY(box.width() > page.width() * 3 / 4);
        QVERIFY(qAbs((box.left() + box.right()) / 2 - page.width() / 2) <= 2);
        // Upright, left to right: black at the top, red left, blue right.
        QVERIFY(Near(page.pixel(box.center().x(), box.top() + 1), qRgb(0, 0, 0)));
        QVERIFY(Near(page.pixel(box.left() + box.width() / 4, box.center().y()), qRgb(255, 0, 0)));
        QVERIFY(Near(page.pixel(box.left() + 3 * box.width() / 4, box.center().y()), qRgb(0, 0, 255)));
    }

    void aPageThatCannotBeWrittenSaysThePrinterCannotPrint() {
        auto window = Window();
        window->editor().dispatch(shell::CommandId::New);
        window->host().setPrintFile(dir.filePath(QStringLiteral("no-such-folder/page.pdf")));
        window->runCommand(shell::CommandId::Print);
        QCOMPARE(window->host().quietMessages().size(), size_t(1));
        QCOMPARE(window->host().quietMessages()[0], std::string("Принтер не может распечатать рисунок"));
    }

    void theJobGetsThePrintableAreaAsItsPage() {
        // The plan is asked with the page's device size, and the job is named.
        core::BmpImage picture = test::MakeSolid(10, 10, 0x00FF00);
        shell::PrintJob job;
        job.name = "Видео: Печатаем";
        job.document = picture.view();
        int pageWidth = 0, pageHeight = 0;
        job.plan = [&](int w, int h) {
            pageWidth = w;
            pageHeight = h;
            shell::PaintPlan plan;
            plan.draw = true;
            plan.smooth = true;
            plan.sourceWidth = plan.sourceHeight = 10;
            plan.dest = shell::PreviewRect(10, 10, w, h);
            return plan;
        };
        const QString pdf = dir.filePath(QStringLiteral("job.pdf"));
        QCOMPARE(platform::PrintWithDialog(nullptr, job, pdf), shell::PrintStatus::Done);
        // An A4 or Letter page at 300 dpi, margins excluded.
        QVERIFY(pageWidth > 2000 && pageWidth < 2600);
        QVERIFY(pageHeight > 2800 && pageHeight < 3600);
    }
};

QTEST_MAIN(PrintingTest)
#include "PrintingTest.moc"
