#include "fixture.h"
#include "support/bitmap_file.h"
#include "support/picture_box.h"
#include "support/picture_copy.h"
#include "support/step.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Fixture;

namespace {
QByteArray bmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QByteArray patched32(QByteArray bytes, int offset, qint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
    return bytes;
}

QImage region(const QImage& image, const QRect& rect) {
    return image.copy(rect).convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TestPictures : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void completeBitmapsDecode() {
        const QImage picture = placePicture(70);
        for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB32,
                                      QImage::Format_Indexed8, QImage::Format_Mono}) {
            const QImage source = picture.convertToFormat(format);
            const QImage decoded = decodeBitmap(bmpBytes(source));
            QCOMPARE(decoded.size(), QSize(384, 550));
            QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32),
                     source.convertToFormat(QImage::Format_RGB32));
        }
    }

    void damagedOrHostileBitmapsAreRefused() {
        const QByteArray good = bmpBytes(placePicture(70).convertToFormat(QImage::Format_RGB888));
        const QList<QPair<const char*, QByteArray>> bad = {
            {"empty", QByteArray()},
            {"not a bitmap", QByteArray("GIF89a....................................")},
            {"header only", good.left(54)},
            {"pixel data cut short", good.left(good.size() - 1)},
            {"half the rows", good.left(54 + (good.size() - 54) / 2)},
            {"absurd width", patched32(good, 18, 100000)},
            {"negative width", patched32(good, 18, -384)},
            {"zero height", patched32(good, 22, 0)},
            {"gigabytes promised", patched32(patched32(good, 18, 60000), 22, 60000)},
            {"smallest height", patched32(good, 22, INT32_MIN)},
            {"data beyond the end", patched32(good, 10, good.size() + 10)},
            {"unknown header", patched32(good, 14, 77)},
        };
        for (const auto& [name, bytes] : bad)
            QVERIFY2(decodeBitmap(bytes).isNull(), name);
        // A top-down bitmap (negative height) is whole and fine.
        const QImage topDown = decodeBitmap(patched32(good, 22, -550));
        QCOMPARE(topDown.size(), QSize(384, 550));
        QCOMPARE(topDown.pixelColor(10, 0), placePicture(70).pixelColor(10, 549));
    }

    void failedLoadKeepsThePicture() {
        writeBmp(dir.path() + "/good.bmp", placePicture(70));
        const QByteArray good = readFile(dir.path() + "/good.bmp");
        writeFile(dir.path() + "/cut.bmp", good.left(good.size() - 500));
        PictureBox box;
        AppModul::LoadPicture(box, dir.path() + "/good.bmp");
        const QImage before = box.image();
        QVERIFY(!attempt([&] { AppModul::LoadPicture(box, dir.path() + "/cut.bmp"); }));
        QVERIFY(!attempt([&] { AppModul::LoadPicture(box, dir.path() + "/missing.bmp"); }));
        QVERIFY(!attempt([&] { AppModul::LoadPicture(box, dir.path()); }));
        QCOMPARE(box.image(), before);
    }

    void copyShowsTheRegionUnderTheArea() {
        QWidget window;
        window.resize(384, 550);
        PictureBox on(&window), off(&window), peg(&window), empty(&window);
        on.setGeometry(790, 0, 384, 550);
        off.setGeometry(400, 0, 384, 550);
        on.setPicture(placePicture(200));
        off.setPicture(placePicture(40));
        peg.setGeometry(268, 242, 104, 85);
        const QRect rect(268, 242, 104, 85);

        AppModul::CopyPicture(peg, on);
        QCOMPARE(region(peg.image(), peg.rect()), region(placePicture(200), rect));
        QCOMPARE(peg.image().pixelColor(103, 84), placePicture(200).pixelColor(371, 326));
        QCOMPARE(region(peg.grab().toImage(), peg.rect()), region(placePicture(200), rect));
        AppModul::CopyPicture(peg, on);
        QCOMPARE(region(peg.image(), peg.rect()), region(placePicture(200), rect));
        AppModul::CopyPicture(peg, off);
        QCOMPARE(region(peg.image(), peg.rect()), region(placePicture(40), rect));

        // A box without a picture leaves the area as it was.
        AppModul::CopyPicture(peg, empty);
        QCOMPARE(region(peg.image(), peg.rect()), region(placePicture(40), rect));

        // Partly left of the picture: the part inside is copied, the rest stays grey.
        PictureBox edge(&window);
        edge.setGeometry(-20, 10, 50, 30);
        AppModul::CopyPicture(edge, on);
        QCOMPARE(edge.image().pixelColor(5, 5), QColor(128, 128, 128));
        QCOMPARE(edge.image().pixelColor(25, 5), placePicture(200).pixelColor(5, 15));

        // The image stays through hiding and showing, until the next copy.
        window.show();
        window.hide();
        window.show();
        QCOMPARE(edge.grab().toImage().pixelColor(25, 5), placePicture(200).pixelColor(5, 15));
        QCOMPARE(region(peg.grab().toImage(), peg.rect()), region(placePicture(40), rect));
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
