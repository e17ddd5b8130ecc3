// Bitmap decoding with its checks, and the copy of a region between two picture areas.
#include "support/picture/bitmap_file.h"
#include "support/picture/picture_box.h"
#include "support/picture/picture_copy.h"
#include "support/step.h"
#include "tests/support/support_fixture.h"

#include <QBuffer>

using namespace Qt::StringLiterals;

namespace {
QByteArray bmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}
} // namespace

class TestPictures : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void completeBitmapsDecode() {
        // 383 pixels of 24 bits make rows padded by one byte.
        const QImage odd = placePicture(70).copy(0, 0, 383, 550);
        for (const QImage& source : {placePicture(70).convertToFormat(QImage::Format_RGB888),
                                     odd.convertToFormat(QImage::Format_RGB888), placePicture(70),
                                     placePicture(70).convertToFormat(QImage::Format_Indexed8),
                                     placePicture(70).convertToFormat(QImage::Format_Mono)}) {
            const QImage decoded = decodeBitmap(bmpBytes(source));
            QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32),
                     source.convertToFormat(QImage::Format_RGB32));
        }
        // A top-down bitmap (negative height) is whole and fine.
        const QByteArray good = bmpBytes(placePicture(70).convertToFormat(QImage::Format_RGB888));
        const QImage topDown = decodeBitmap(patched(good, 22, quint32(-550)));
        QCOMPARE(topDown.pixelColor(10, 0), placePicture(70).pixelColor(10, 549));
    }

    void damagedOrHostileBitmapsAreRefused() {
        const QByteArray good = bmpBytes(placePicture(70).convertToFormat(QImage::Format_RGB888));
        const QList<QPair<const char*, QByteArray>> bad = {
            {"not a bitmap", QByteArray("GIF89a....................................")},
            {"header only", good.left(54)},
            {"pixel data cut short", good.left(good.size() - 1)},
            {"absurd width", patched(good, 18, 100000)},
            {"negative width", patched(good, 18, quint32(-384))},
            {"zero height", patched(good, 22, 0)},
            {"gigabytes promised", patched(patched(good, 18, 60000), 22, 60000)},
            {"smallest height", patched(good, 22, 0x80000000u)},
            {"data beyond the end", patched(good, 10, quint32(good.size() + 10))},
            {"unknown header", patched(good, 14, 77)},
        };
        for (const auto& [name, bytes] : bad)
            QVERIFY2(decodeBitmap(bytes).isNull(), name);
    }

    void failedLoadKeepsThePicture() {
        writeBmp(dir.path() + u"/good.bmp"_s, placePicture(70));
        writeFile(dir.path() + u"/cut.bmp"_s, readFile(dir.path() + u"/good.bmp"_s).chopped(500));
        PictureBox box;
        AppModul::LoadPicture(box, dir.path() + u"/good.bmp"_s);
        for (const QString& bad :
             QStringList{dir.path() + u"/cut.bmp"_s, dir.path() + u"/missing.bmp"_s, dir.path()})
            QVERIFY(!attempt([&] { AppModul::LoadPicture(box, bad); }));
        QCOMPARE(box.image(), placePicture(70));
    }

    void copyShowsTheRegionUnderTheArea() {
        QWidget window;
        window.resize(384, 550);
        PictureBox on(&window), off(&window), peg(&window), empty(&window), edge(&window);
        on.setPicture(placePicture(200));
        off.setPicture(placePicture(40));
        const QRect place(268, 242, 104, 85);
        peg.setGeometry(place);
        QCOMPARE(peg.image().pixelColor(5, 5), QColor(128, 128, 128)); // grey until drawn into
        AppModul::CopyPicture(peg, on);
        QCOMPARE(peg.image(), placePicture(200).copy(place));
        AppModul::CopyPicture(peg, off);
        AppModul::CopyPicture(peg, empty); // a box without a picture leaves the area as it was
        QCOMPARE(peg.image(), placePicture(40).copy(place));

        // Partly left of the picture: the part inside is copied, the rest stays grey.
        edge.setGeometry(-20, 10, 50, 30);
        AppModul::CopyPicture(edge, on);
        QCOMPARE(edge.image().pixelColor(5, 5), QColor(128, 128, 128));
        QCOMPARE(edge.image().pixelColor(25, 5), placePicture(200).pixelColor(5, 15));

        // Beyond a smaller picture the source's area shows its background, not what was there.
        PictureBox small(&window);
        small.setGeometry(790, 0, 384, 550);
        small.setPicture(placePicture(90).copy(0, 0, 300, 280));
        AppModul::CopyPicture(peg, small);
        QCOMPARE(peg.image().pixelColor(10, 10), placePicture(90).pixelColor(278, 252));
        QCOMPARE(peg.image().pixelColor(50, 60), QColor(128, 128, 128));

        // What was drawn stays through hiding and showing.
        window.show();
        window.hide();
        window.show();
        QCOMPARE(peg.grab().toImage().pixelColor(10, 10), placePicture(90).pixelColor(278, 252));
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
