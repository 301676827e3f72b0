// Every format of the open dialog decodes to the pixels of a reference BMP; bad files change nothing.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "core/ImageFiles.h"
#include "edit/ClipboardDib.h"
#include "platform/QtDecoder.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/cli/Cli.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

// A 13 x 7 picture with a distinct colour per pixel and a few flat areas,
// so that row order, column order and channel order all show.
QImage Reference() {
    QImage image(13, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) image.setPixel(x, y, qRgb(x * 19, y * 36, x < 4 ? 200 : 17 * (x + y)));
    return image;
}

// The expected decoded block: the picture bottom row first, 24 bits.
core::BmpImage Expected(const QImage& image) {
    return test::MakeImage(uint32_t(image.width()), uint32_t(image.height()), [&](uint32_t x, uint32_t r) {
        return uint32_t(image.pixel(int(x), image.height() - 1 - int(r))) & 0xFFFFFF;
    });
}

// An 8-bit RLE-compressed BMP of `image` (every colour in its palette).
std::vector<uint8_t> RleBmp(const QImage& image) {
    QVector<QRgb> palette;
    std::vector<uint8_t> data;
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width();) {
            const QRgb c = image.pixel(x, y);
            int run = 1;
            while (x + run < image.width() && run < 255 && image.pixel(x + run, y) == c) ++run;
            int index = int(palette.indexOf(c));
            if (index < 0) {
                index = int(palette.size());
                palette.push_back(c);
            }
            data.push_back(uint8_t(run));
            data.push_back(uint8_t(index));
            x += run;
        }
        data.push_back(0);
        data.push_back(y == 0 ? 1 : 0);  // end of line, end of bitmap
    }
    const uint32_t paletteBytes = uint32_t(palette.size()) * 4;
    const uint32_t offset = core::kHeaderSize + paletteBytes;
    std::vector<uint8_t> file(offset + data.size());
    uint8_t* b = file.data();
    b[0] = 'B';
    b[1] = 'M';
    core::Store32(b + core::kOffFileSize, uint32_t(file.size()));
    core::Store32(b + core::kOffPixelOffset, offset);
    core::Store32(b + core::kOffInfoSize, core::kInfoHeaderSize);
    core::Store32(b + core::kOffWidth, uint32_t(image.width()));
    core::Store32(b + core::kOffHeight, uint32_t(image.height()));
    core::Store16(b + core::kOffPlanes, 1);
    core::Store16(b + core::kOffBitCount, 8);
    core::Store32(b + core::kOffCompression, core::kCompressionRle8);
    core::Store32(b + core::kOffImageSize, uint32_t(data.size()));
    core::Store32(b + core::kOffColoursUsed, uint32_t(palette.size()));
    for (int i = 0; i < palette.size(); ++i) {
        uint8_t* entry = b + core::kHeaderSize + 4 * i;
        entry[0] = uint8_t(qBlue(palette[i]));
        entry[1] = uint8_t(qGreen(palette[i]));
        entry[2] = uint8_t(qRed(palette[i]));
    }
    std::copy(data.begin(), data.end(), file.begin() + offset);
    return file;
}

int MaxChannelError(core::BmpView a, core::BmpView b) {
    int worst = 0;
    for (uint32_t r = 0; r < a.height(); ++r)
        for (uint32_t x = 0; x < 3u * a.width(); ++x) worst = std::max(worst, std::abs(a.row(r)[x] - b.row(r)[x]));
    return worst;
}

}  // namespace

class QtDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void losslessFormatsDecodeExactly_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("name");
        for (const char* f : {"bmp", "png", "tiff", "ico"}) QTest::newRow(f) << QString(f) << QString("pic.") + f;
        // The name does not decide the format: BMP data saved as ".jpg" opens.
        QTest::newRow("bmp-named-jpg") << QString("bmp") << QString("pic.jpg");
    }
    void losslessFormatsDecodeExactly() {
        QFETCH(QString, format);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QImage reference = Reference();
        QImageWriter writer(path, format.toLatin1());
        QVERIFY2(writer.write(reference), qPrintable(writer.errorString()));
        shell::DecodeResult result = platform::DecodeWithQt(path.toStdString());
        QCOMPARE(int(result.status), int(shell::DecodeStatus::Ok));
        const core::BmpImage expected = Expected(reference);
        QVERIFY(test::SamePixels(expected.view(), result.image.view()));
        // Same header and padding as a block built directly.
        QVERIFY(test::SameBytes(expected.data(), expected.view().fileSize(), result.image.data(),
                                result.image.view().fileSize()));
        QCOMPARE(result.image.capacity(), size_t(expected.view().fileSize()) + 16 * 7);
    }

    void gifAndRleDecodeExactly() {
        QTemporaryDir dir;
        const QImage reference = Reference();
        // GIF holds 256 colours: the reference has fewer than that.
        const QString gif = dir.filePath("pic.gif");
        if (QImageWriter::supportedImageFormats().contains("gif")) {
            QVERIFY(QImageWriter(gif, "gif").write(reference));
        } else {
            // Qt reads GIF but cannot write it; ImageMagick makes the file.
            const QString png = dir.filePath("pic.png");
            QVERIFY(reference.save(png));
            QCOMPARE(QProcess::execute("/usr/bin/convert", {png, gif}), 0);
        }
        shell::DecodeResult fromGif = platform::DecodeWithQt(gif.toStdString());
        QCOMPARE(int(fromGif.status), int(shell::DecodeStatus::Ok));
        QVERIFY(test::SamePixels(Expected(reference).view(), fromGif.image.view()));

        const std::string rle = dir.filePath("pic.rle").toStdString();
        test::WriteBytes(rle, RleBmp(reference));
        shell::DecodeResult fromRle = platform::DecodeWithQt(rle);
        QCOMPARE(int(fromRle.status), int(shell::DecodeStatus::Ok));
        QVERIFY(test::SamePixels(Expected(reference).view(), fromRle.image.view()));
    }

    void jpegDecodesClose() {
        QTemporaryDir dir;
        QImage smooth(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) smooth.setPixel(x, y, qRgb(x * 4, y * 5, 128));
        const QString path = dir.filePath("pic.jpeg");
        QImageWriter writer(path, "jpeg");
        writer.setQuality(95);
        QVERIFY(writer.write(smooth));
        shell::DecodeResult result = platform::DecodeWithQt(path.toStdString());
        QCOMPARE(int(result.status), int(shell::DecodeStatus::Ok));
        QVERIFY(MaxChannelError(Expected(smooth).view(), result.image.view()) <= 12);
    }

    // Saving writes the format the name says, in any case of its ending,
    // through "Записать"'s road (the CLI's convert and apply): PNG and TIFF
    // give the picture back exactly, JPEG closely, and .bmp or an unknown
    // ending the 24-bit BMP of the picture.
    void savedFilesAreTheFormatTheirNameSays() {
        QTemporaryDir dir;
        QImage smooth(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) smooth.setPixel(x, y, qRgb(x * 4, y * 5, 128));
        const core::BmpImage picture = Expected(smooth);
        const std::string in = dir.filePath("in.bmp").toStdString();
        QVERIFY(core::WriteImageFile(in, picture.view()));
        const struct {
            const char* name;
            std::string_view magic;
            int tolerance;  // largest channel error after decoding back
        } saves[] = {{"out.png", "\x89PNG", 0},
                     {"OUT.PNG", "\x89PNG", 0},
                     {"out.tif", "II*", 0},
                     {"out.tiff", "II*", 0},
                     {"out.jpg", "\xFF\xD8\xFF", 12},
                     {"out.Jpeg", "\xFF\xD8\xFF", 12},
                     {"out.bmp", "BM", 0},
                     {"out.xyz", "BM", 0}};
        for (const auto& save : saves) {
            const std::string out = dir.filePath(save.name).toStdString();
            std::ostringstream o, e;
            QCOMPARE(shell::RunCli({"convert", in, out}, platform::DecodeWithQt, dir.path().toStdString(), o, e, {},
                                   platform::EncodeWithQt),
                     0);
            const std::vector<uint8_t> bytes = test::ReadBytes(out);
            QVERIFY2(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()).starts_with(save.magic),
                save.name);
            shell::DecodeResult back = platform::DecodeWithQt(out);
            QCOMPARE(int(back.status), int(shell::DecodeStatus::Ok));
            QVERIFY2(MaxChannelError(picture.view(), back.image.view()) <= save.tolerance, save.name);
        }
        // The BMP is the very file the picture came from.
        QVERIFY(test::SameBytes(test::ReadBytes(in), test::ReadBytes(dir.filePath("out.xyz").toStdString())));
        // apply -o follows the same rule, after the OPs.
        std::ostringstream o, e;
        const std::string negated = dir.filePath("negated.png").toStdString();
        QCOMPARE(shell::RunCli({"apply", in, "-o", negated, "negative", "negative"}, platform::DecodeWithQt,
                               dir.path().toStdString(), o, e, {}, platform::EncodeWithQt),
                 0);
        QVERIFY(test::SamePixels(picture.view(), platform::DecodeWithQt(negated).image.view()));
    }

    void transparencyIsFlattenedOnWhite() {
        QTemporaryDir dir;
        QImage image(4, 2, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(0, 0, qRgba(255, 0, 0, 255));  // opaque red stays red
        image.setPixel(1, 0, qRgba(0, 0, 0, 128));    // half black on white is mid grey
        const QString path = dir.filePath("alpha.png");
        QVERIFY(image.save(path));
        shell::DecodeResult result = platform::DecodeWithQt(path.toStdString());
        QCOMPARE(int(result.status), int(shell::DecodeStatus::Ok));
        const core::MutableBmpView v = result.image.view();
        QCOMPARE(test::Rgb(v, 0, 1), 0xFF0000u);  // the top row is stored row 1
        QCOMPARE(test::Rgb(v, 1, 1), 0x7F7F7Fu);
        QCOMPARE(test::Rgb(v, 3, 0), 0xFFFFFFu);
    }

    void badFilesAreRefusedAndTheDocumentStays() {
        QTemporaryDir dir;
        const QImage reference = Reference();
        QVERIFY(reference.save(dir.filePath("good.png")));
        QVERIFY(reference.save(dir.filePath("good.jpg"), "jpeg"));
        QVERIFY(reference.save(dir.filePath("good.bmp")));
        QVERIFY(reference.save(dir.filePath("good.tif"), "tiff"));
        QStringList bad;
        // Truncated files of every format: the first 40 bytes only.
        for (const char* ext : {"png", "jpg", "bmp", "tif"}) {
            QFile in(dir.filePath(QString("good.") + ext));
            QVERIFY(in.open(QIODevice::ReadOnly));
            const QString cut = dir.filePath(QString("cut.") + ext);
            QFile out(cut);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(in.read(40));
            bad << cut;
        }
        // A BMP whose last row is cut short: Qt would fill it with black.
        {
            QFile in(dir.filePath("good.bmp"));
            QVERIFY(in.open(QIODevice::ReadOnly));
            const QByteArray whole = in.readAll();
            const QString cut = dir.filePath("short.bmp");
            QFile out(cut);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(whole.left(whole.size() - 10));
            bad << cut;
        }
        const QString empty = dir.filePath("empty.png");
        QFile(empty).open(QIODevice::WriteOnly);
        const QString garbage = dir.filePath("garbage.gif");
        test::WriteBytes(garbage.toStdString(), std::vector<uint8_t>(500, 0x5A));
        bad << empty << garbage << dir.path() << dir.filePath("missing.png");

        test::FakeHost host;
        shell::Editor editor(host, dir.path().toStdString());
        QVERIFY(editor.reserveArena());
        core::BmpImage first = test::MakeSolid(3, 3, 0x445566);
        editor.install(std::move(first), shell::InstallKind::Open);
        for (const QString& path : bad) {
            shell::DecodeResult r = platform::DecodeWithQt(path.toStdString());
            QVERIFY2(r.status == shell::DecodeStatus::CannotLoad, qPrintable(path));
        }
        QCOMPARE(editor.document().width(), 3);
    }

    void hugeHeadersAreRefusedBeforeDecoding() {
        QTemporaryDir dir;
        // A BMP header claiming 30000 x 30000 pixels over a tiny file.
        core::BmpImage small = test::MakeSolid(2, 2, 0);
        core::WriteDecodedHeader(small.data(), 30000, 30000);
        const std::string path = dir.filePath("huge.bmp").toStdString();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(small.data()), 70);
        // Qt's reader may already reject the inconsistent header; either way
        // nothing is decoded.
        QVERIFY(platform::DecodeWithQt(path).status != shell::DecodeStatus::Ok);
        // A real PNG wider than the 16-bit stride allows.
        QImage wide(21845, 1, QImage::Format_RGB32);
        wide.fill(Qt::white);
        const QString widePath = dir.filePath("wide.png");
        QVERIFY(wide.save(widePath));
        QCOMPARE(int(platform::DecodeWithQt(widePath.toStdString()).status), int(shell::DecodeStatus::TooLarge));
    }

    void cyrillicPathsWithSpaces() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Мои фото/снимок 1.png");
        QVERIFY(QDir().mkpath(dir.filePath("Мои фото")));
        QVERIFY(Reference().save(path));
        shell::DecodeResult result = platform::DecodeWithQt(path.toStdString());
        QCOMPARE(int(result.status), int(shell::DecodeStatus::Ok));
        QCOMPARE(result.image.view().width(), 13);

        // A name in Windows-1251 ("фото.png"), not valid UTF-8: opened by its
        // bytes as they are.
        QFile png(path);
        QVERIFY(png.open(QIODevice::ReadOnly));
        const QByteArray bytes = png.readAll();
        const std::string legacy = dir.path().toStdString() + "/\xF4\xEE\xF2\xEE.png";
        QVERIFY(core::WriteWholeFile(legacy, std::string_view(bytes.constData(), size_t(bytes.size()))));
        result = platform::DecodeWithQt(legacy);
        QCOMPARE(int(result.status), int(shell::DecodeStatus::Ok));
        QCOMPARE(result.image.view().width(), 13);
    }

    // The clipboard's own DIB reader and Qt's BMP reader agree on every
    // BMP Qt writes: 1-, 8-, 24- and 32-bit, a picture of each.
    void clipboardDibsReadAsQtReadsThem() {
        QImage rgb(29, 7, QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y)
            for (int x = 0; x < rgb.width(); ++x) rgb.setPixel(x, y, qRgb(x * 9, y * 31, (x * y * 13) & 255));
        const QImage forms[] = {rgb, rgb.convertToFormat(QImage::Format_RGB888),
                                rgb.convertToFormat(QImage::Format_Indexed8), rgb.convertToFormat(QImage::Format_Mono)};
        for (const QImage& image : forms) {
            QByteArray file;
            QBuffer buffer(&file);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QVERIFY(image.save(&buffer, "BMP"));
            const std::span<const uint8_t> dib(
                reinterpret_cast<const uint8_t*>(file.constData()) + core::kFileHeaderSize, size_t(file.size()) - 14);
            const std::optional<core::BmpImage> ours = edit::PictureFromDib(dib);
            QVERIFY2(ours, qPrintable(QString::number(image.format())));
            const core::BmpImage theirs = platform::PictureFromQImage(QImage::fromData(file, "BMP"));
            QVERIFY(test::SamePixels(theirs.view(), ours->view()));
        }
    }
};

QTEST_GUILESS_MAIN(QtDecoderTest)
#include "QtDecoderTest.moc"
