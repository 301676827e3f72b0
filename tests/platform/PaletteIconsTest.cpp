// The palette pictures: 25 x 25, fourteen different tools, pressed unlike released, crisp at high density.
#include <QImage>
#include <QtTest>
#include <set>

#include "platform/PaletteIcons.h"

using namespace zorva;

class PaletteIconsTest : public QObject {
    Q_OBJECT

private slots:
    void fourteenDistinctButtonsInTwoStates() {
        std::set<QByteArray> seen;
        for (int k = 1; k <= 14; ++k) {
            const QImage released = platform::ToolButtonPicture(k, false).toImage();
            const QImage pressed = platform::ToolButtonPicture(k, true).toImage();
            QCOMPARE(released.size(), QSize(25, 25));
            QCOMPARE(pressed.size(), QSize(25, 25));
            QVERIFY(released != pressed);
            // Each tool draws something on its face, and each looks different.
            int ink = 0;
            for (int y = 4; y < 21; ++y)
                for (int x = 4; x < 21; ++x) ink += qGray(released.pixel(x, y)) < 140;
            QVERIFY2(ink >= 8, qPrintable(QString::number(k)));
            const QByteArray bytes(reinterpret_cast<const char*>(released.constBits()), released.sizeInBytes());
            QVERIFY(seen.insert(bytes).second);
        }
    }

    void raisedAndSunkenEdges() {
        const QImage released = platform::ToolButtonPicture(1, false).toImage();
        const QImage pressed = platform::ToolButtonPicture(1, true).toImage();
        // Light top-left and dark bottom-right when raised, the other way round when pressed.
        QVERIFY(qGray(released.pixel(0, 12)) > qGray(released.pixel(24, 12)));
        QVERIFY(qGray(pressed.pixel(0, 12)) < qGray(pressed.pixel(24, 12)));
    }

    void highDensityPicturesKeepTheirSize() {
        const QPixmap sharp = platform::ToolButtonPicture(8, false, 2.0);
        QCOMPARE(sharp.size(), QSize(50, 50));
        QCOMPARE(sharp.deviceIndependentSize(), QSizeF(25, 25));
        QVERIFY(!platform::ProgramIcon().isNull());
    }

    // The rotation dialog's "После" pictures show the "Перед" picture as the
    // turn would leave it: each is the upright one turned the same way.
    void rotationIllustrationsShowTheirTurns() {
        const QImage upright = platform::IllustrationPicture(751).toImage();
        const auto turned = [&](const QTransform& t) {
            return upright.transformed(t).convertToFormat(upright.format());
        };
        const std::pair<int, QImage> expected[] = {
            {752, turned(QTransform().rotate(-90))},
            {753, turned(QTransform().rotate(90))},
            {754, turned(QTransform().rotate(180))},
            {755, upright.mirrored(true, false)},
        };
        for (const auto& [number, want] : expected) {
            const QImage got = platform::IllustrationPicture(number).toImage();
            QCOMPARE(got.size(), want.size());
            double difference = 0;
            for (int y = 0; y < got.height(); ++y)
                for (int x = 0; x < got.width(); ++x)
                    difference += std::abs(qGray(got.pixel(x, y)) - qGray(want.pixel(x, y)));
            QVERIFY2(difference / (got.width() * got.height()) < 2.0, qPrintable(QString::number(number)));
            QVERIFY(got != upright);
        }
        QVERIFY(platform::IllustrationPicture(0).toImage().pixelColor(32, 32).alpha() == 0);
    }
};

QTEST_MAIN(PaletteIconsTest)
#include "PaletteIconsTest.moc"
