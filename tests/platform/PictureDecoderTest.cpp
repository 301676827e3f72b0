// The fast readers against Qt's: every sample picture of the project and a corpus of odd and broken BMP, JPEG and
// PNG files give the same block, or the same refusal, by either route.
#include <fcntl.h>
#include <unistd.h>

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>

#include "core/BmpFile.h"
#include "core/Bytes.h"
#include "platform/JpegDecoder.h"
#include "platform/PictureDecoder.h"
#include "platform/PngDecoder.h"
#include "platform/QtDecoder.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

QString Source(const char* relative) {
    return QString::fromStdString(test::SourceDir()) + "/" + relative;
}

// ImageMagick writes the variants Qt's writers cannot (progressive and
// subsampled JPEG, grey with tRNS, interlaced and 16-bit PNG, CMYK).
bool Magick(const QStringList& args) {
    return QProcess::execute("/usr/bin/convert", args) == 0;
}

std::vector<uint8_t> Bytes(const QString& path) {
    return test::ReadBytes(path.toStdString());
}

void Write(const QString& path, const std::vector<uint8_t>& bytes) {
    test::WriteBytes(path.toStdString(), bytes);
}

// The first `size` bytes of a file.
std::vector<uint8_t> Cut(const std::vector<uint8_t>& bytes, size_t size) {
    return {bytes.begin(), bytes.begin() + ptrdiff_t(std::min(size, bytes.size()))};
}

// A JPEG with an Exif block that says "turn right" (orientation 6) after its SOI.
std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg) {
    const uint8_t exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0, 8, 0, 0, 0,
                            1,    0,    0x12, 0x01, 3,   0,   1,   0,   0, 0, 6,   0,   0,    0, 0, 0, 0, 0};
    std::vector<uint8_t> out = jpeg;
    out.insert(out.begin() + 2, std::begin(exif), std::end(exif));
    return out;
}

// A 24-bit BMP of `width` x `height` by hand: `infoSize` header bytes, rows
// top-down when asked, `gap` bytes between the headers and the rows, every
// padding byte 0xA5 (a reader must not keep it).
std::vector<uint8_t> HandBmp(uint32_t width, uint32_t height, uint32_t infoSize, bool topDown, uint32_t gap) {
    const uint32_t stride = (3 * width + 3) & ~3u;
    const uint32_t offset = core::kFileHeaderSize + infoSize + gap;
    std::vector<uint8_t> file(offset + size_t(stride) * height, 0);
    uint8_t* b = file.data();
    b[0] = 'B';
    b[1] = 'M';
    core::Store32(b + core::kOffFileSize, 12345);  // a wrong file size: readers go by the other fields
    core::Store32(b + core::kOffPixelOffset, offset);
    core::Store32(b + core::kOffInfoSize, infoSize);
    core::Store32(b + core::kOffWidth, width);
    core::Store32(b + core::kOffHeight, topDown ? uint32_t(-int32_t(height)) : height);
    core::Store16(b + core::kOffPlanes, 1);
    core::Store16(b + core::kOffBitCount, 24);
    for (uint32_t r = 0; r < height; ++r) {
        uint8_t* row = b + offset + size_t(r) * stride;
        for (uint32_t x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(x * 7 + r);
            row[3 * x + 1] = uint8_t(r * 11);
            row[3 * x + 2] = uint8_t(x ^ r);
        }
        for (uint32_t p = 3 * width; p < stride; ++p) row[p] = 0xA5;
    }
    return file;
}

// Whether the fast reader of the file's format gives a picture itself,
// rather than leaving the file to Qt's readers.
bool FastReaderTakes(const QString& path) {
    const std::vector<uint8_t> bytes = Bytes(path);
    if (path.endsWith(".jpg")) return bool(platform::DecodeJpeg(bytes));
    if (path.endsWith(".png")) return bool(platform::DecodePng(bytes));
    const int fd = open(path.toLocal8Bit().constData(), O_RDONLY);
    const bool taken = fd >= 0 && bool(core::ReadPlainBmp(fd, bytes.size()));
    if (fd >= 0) close(fd);
    return taken;
}

// Both routes on one file: the same status, and for a picture the same
// bytes over the whole block (header, rows, padding and the spare bytes).
bool SameByBothRoutes(const QString& path) {
    const shell::DecodeResult qt = platform::DecodeWithQt(path.toStdString());
    const shell::DecodeResult fast = platform::DecodePicture(path.toStdString());
    if (qt.status != fast.status) {
        qWarning("%s: status %d by Qt, %d by the fast route", qPrintable(path), int(qt.status), int(fast.status));
        return false;
    }
    if (qt.status != shell::DecodeStatus::Ok) return true;
    if (qt.image.capacity() != fast.image.capacity()) {
        qWarning("%s: block of %zu bytes by Qt, %zu by the fast route", qPrintable(path), qt.image.capacity(),
                 fast.image.capacity());
        return false;
    }
    const auto same = test::SameBytes(qt.image.data(), qt.image.capacity(), fast.image.data(), fast.image.capacity());
    if (!same) qWarning("%s: %s", qPrintable(path), same.message());
    return bool(same);
}

}  // namespace

class PictureDecoderTest : public QObject {
    Q_OBJECT

private slots:
    // Every picture the project ships or tests with.
    void samplePicturesDecodeAsQtDecodesThem() {
        QStringList files{Source("data/sample.jpg")};
        QDirIterator it(Source("tests/samples"), {"*.png", "*.jpg", "*.jpeg", "*.bmp"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        QVERIFY(files.size() > 100);
        int different = 0;
        for (const QString& f : files) different += SameByBothRoutes(f) ? 0 : 1;
        QCOMPARE(different, 0);
    }

    // The variants of each format the fast readers take, the ones they leave
    // to Qt, and broken files of each, made from the sample photo at an odd
    // size so that row padding, partial blocks and edge upsampling all show.
    void oddAndBrokenFilesDecodeAsQtDecodesThem() {
        QTemporaryDir dir;
        const auto at = [&](const QString& name) { return dir.filePath(name); };
        const QString photo = at("photo.png");
        QVERIFY(Magick({Source("data/sample.jpg"), "-resize", "333x221!", photo}));
        const QStringList made[] = {
            // JPEG: 4:2:0, 4:2:2, 4:4:4, grey, progressive, restart markers, CMYK (left to Qt).
            {photo, "-quality", "92", at("j420.jpg")},
            {photo, "-sampling-factor", "2x1", at("j422.jpg")},
            {photo, "-sampling-factor", "1x1", "-quality", "97", at("j444.jpg")},
            {photo, "-colorspace", "Gray", at("jgrey.jpg")},
            {photo, "-interlace", "Plane", at("jprogressive.jpg")},
            {photo, "-define", "jpeg:restart-interval=2", at("jrestart.jpg")},
            {photo, "-colorspace", "CMYK", at("jcmyk.jpg")},
            {photo, "-resize", "1x1!", at("j1x1.jpg")},
            // PNG: truecolour, with alpha, grey, grey with alpha, grey with a
            // transparent value, palettes of 8, 4 and 2 bits with and without
            // transparency, interlaced, 16-bit and 1-bit (left to Qt).
            {photo, "PNG24:" + at("prgb.png")},
            {photo, "-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel", "PNG32:" + at("prgba.png")},
            {photo, "-colorspace", "Gray", "-define", "png:color-type=0", at("pgrey.png")},
            {photo, "-colorspace", "Gray", "-alpha", "set", "-channel", "A", "-fx", "j/h", "+channel", "-define",
             "png:color-type=4", at("pgreyalpha.png")},
            {photo, "-colorspace", "Gray", "-transparent", "gray50", "-fuzz", "10%", "-define", "png:color-type=0",
             "-define", "png:bit-depth=8", at("pgreytrns.png")},
            {photo, "-colors", "200", "PNG8:" + at("ppalette8.png")},
            {photo, "-colors", "200", "-transparent", "black", "-fuzz", "20%", "PNG8:" + at("ppalettetrns.png")},
            {photo, "-colors", "16", "-define", "png:bit-depth=4", "-define", "png:color-type=3", at("ppalette4.png")},
            {photo, "-colors", "4", "-define", "png:bit-depth=2", "-define", "png:color-type=3", at("ppalette2.png")},
            {photo, "-interlace", "PNG", "PNG24:" + at("pinterlaced.png")},
            {photo, "-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel", "-interlace", "PNG",
             "PNG32:" + at("pinterlacedalpha.png")},
            {photo, "PNG48:" + at("p16.png")},
            {photo, "-monochrome", at("p1bit.png")},
            // BMP: ImageMagick's own (a V5 header), the plain one, 32-bit and
            // 8-bit (left to Qt).
            {photo, at("bdefault.bmp")},
            {photo, "BMP3:" + at("bplain.bmp")},
            {photo, "-alpha", "set", "-channel", "A", "-fx", "0.5", "+channel", at("b32.bmp")},
            {photo, "-colors", "50", "-type", "Palette", "BMP3:" + at("b8.bmp")},
        };
        QStringList files;
        for (const QStringList& args : made) {
            QVERIFY2(Magick(args), qPrintable(args.join(' ')));
            files << args.last().section(':', -1);
        }
        // BMP by hand: top-down rows, a gap before the rows, V4 and V5
        // headers, widths of every padding, a one-pixel picture.
        for (uint32_t w : {1u, 2u, 3u, 4u, 5u, 17u}) {
            const QString name = at(QString("bhand%1.bmp").arg(w));
            Write(name, HandBmp(w, 9, core::kInfoHeaderSize, false, 0));
            files << name;
        }
        Write(at("btopdown.bmp"), HandBmp(13, 7, core::kInfoHeaderSize, true, 0));
        Write(at("bgap.bmp"), HandBmp(13, 7, core::kInfoHeaderSize, false, 37));
        Write(at("bv4.bmp"), HandBmp(13, 7, core::kInfoHeaderV4Size, false, 0));
        Write(at("bv5topdown.bmp"), HandBmp(13, 7, core::kInfoHeaderV5Size, true, 0));
        Write(at("bcore.bmp"), HandBmp(13, 7, 12, false, 0));  // an OS/2 header: Qt's
        Write(at("binside.bmp"),
              HandBmp(13, 7, core::kInfoHeaderSize, false, 0));  // the rows said to start inside the header
        {
            std::vector<uint8_t> b = Bytes(at("binside.bmp"));
            core::Store32(b.data() + core::kOffPixelOffset, 20);
            Write(at("binside.bmp"), b);
            b = HandBmp(13, 7, core::kInfoHeaderSize, false, 0);
            core::Store32(b.data() + core::kOffHeight, uint32_t(INT32_MIN));  // a height that cannot be turned round
            Write(at("bheightmin.bmp"), b);
            b = HandBmp(13, 7, core::kInfoHeaderSize, false, 0);
            core::Store16(b.data() + core::kOffPlanes, 2);  // two planes
            Write(at("bplanes.bmp"), b);
            b = HandBmp(13, 7, core::kInfoHeaderSize, false, 0);
            core::Store32(b.data() + core::kOffWidth, 0);  // no columns
            Write(at("bwidth0.bmp"), b);
        }
        files << at("btopdown.bmp") << at("bgap.bmp") << at("bv4.bmp") << at("bv5topdown.bmp") << at("bcore.bmp")
              << at("binside.bmp") << at("bheightmin.bmp") << at("bplanes.bmp") << at("bwidth0.bmp");
        // JPEG with an orientation in its Exif block: the Qt route keeps the stored rows.
        Write(at("jexif.jpg"), WithExifOrientation(Bytes(at("j420.jpg"))));
        files << at("jexif.jpg");
        // PNG with a broken CRC in its pixel data (fatal) and in a text chunk (ignored).
        {
            std::vector<uint8_t> p = Bytes(at("prgb.png"));
            const auto idat = std::search(p.begin(), p.end(), std::begin("IDAT"), std::end("IDAT") - 1);
            QVERIFY(idat != p.end());
            std::vector<uint8_t> broken = p;
            broken[size_t(idat - p.begin()) + 40] ^= 0x55;
            Write(at("pbadidat.png"), broken);
            // A tEXt chunk with a wrong CRC right after the header chunk (8 + 25 bytes in).
            const uint8_t text[] = {0, 0, 0, 5, 't', 'E', 'X', 't', 'a', 0, 'b', 'c', 'd', 1, 2, 3, 4};
            broken = p;
            broken.insert(broken.begin() + 33, std::begin(text), std::end(text));
            Write(at("pbadtext.png"), broken);
            files << at("pbadidat.png") << at("pbadtext.png");
        }
        // Every format cut short: in the header, in the middle of the
        // pixels, a few bytes before the end (the last CRC of a PNG, which
        // Qt's reader supplies when only it is missing).
        for (const char* name : {"j420.jpg", "jprogressive.jpg", "jgrey.jpg", "prgb.png", "prgba.png", "ppalette8.png",
                                 "pinterlaced.png", "bplain.bmp", "bdefault.bmp"}) {
            const std::vector<uint8_t> whole = Bytes(at(name));
            for (size_t size :
                 {size_t(1), size_t(7), size_t(40), size_t(200), whole.size() / 3, whole.size() / 2, whole.size() - 13,
                  whole.size() - 5, whole.size() - 4, whole.size() - 2, whole.size() - 1}) {
                const QString cut = at(QString("cut%1-%2").arg(size).arg(name));
                Write(cut, Cut(whole, size));
                files << cut;
            }
        }
        int different = 0;
        for (const QString& f : files) different += SameByBothRoutes(f) ? 0 : 1;
        QCOMPARE(different, 0);
        // The comparison means something only where the fast readers took
        // the file: every variant they are meant for, and JPEG files cut
        // short in their data (which decode, grey where the data stops).
        for (const char* name : {"j420.jpg",
                                 "j422.jpg",
                                 "j444.jpg",
                                 "jgrey.jpg",
                                 "jprogressive.jpg",
                                 "jrestart.jpg",
                                 "j1x1.jpg",
                                 "jexif.jpg",
                                 "prgb.png",
                                 "prgba.png",
                                 "pgrey.png",
                                 "pgreyalpha.png",
                                 "pgreytrns.png",
                                 "ppalette8.png",
                                 "ppalettetrns.png",
                                 "ppalette4.png",
                                 "ppalette2.png",
                                 "pinterlaced.png",
                                 "pinterlacedalpha.png",
                                 "pbadtext.png",
                                 "bdefault.bmp",
                                 "bplain.bmp",
                                 "bhand1.bmp",
                                 "bhand2.bmp",
                                 "bhand3.bmp",
                                 "bhand4.bmp",
                                 "bhand5.bmp",
                                 "bhand17.bmp",
                                 "btopdown.bmp",
                                 "bgap.bmp",
                                 "bv4.bmp",
                                 "bv5topdown.bmp"})
            QVERIFY2(FastReaderTakes(at(name)), name);
        for (const char* name : {"j420.jpg", "jprogressive.jpg"}) {
            const size_t half = Bytes(at(name)).size() / 2;
            QVERIFY2(FastReaderTakes(at(QString("cut%1-%2").arg(half).arg(name))), name);
        }
        for (const char* name : {"jcmyk.jpg", "p16.png", "p1bit.png", "b32.bmp", "b8.bmp", "bcore.bmp", "pbadidat.png"})
            QVERIFY2(!FastReaderTakes(at(name)), name);
    }

    // The photo of the benchmarks, 12 MP, through every fast reader.
    void largePhotoDecodesAsQtDecodesIt() {
        QTemporaryDir dir;
        const QString bmp = dir.filePath("photo.bmp");
        QVERIFY(Magick({Source("data/sample.jpg"), "-resize", "4000x3000!", "BMP3:" + bmp}));
        QVERIFY(Magick({bmp, "-quality", "92", dir.filePath("photo.jpg")}));
        QVERIFY(Magick({bmp, dir.filePath("photo.png")}));
        for (const char* name : {"photo.bmp", "photo.jpg", "photo.png"}) QVERIFY(SameByBothRoutes(dir.filePath(name)));
    }
};

QTEST_MAIN(PictureDecoderTest)
#include "PictureDecoderTest.moc"
