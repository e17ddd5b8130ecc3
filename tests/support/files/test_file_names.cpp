// File names as the file system holds them: any bytes, kept exactly, shown as well as they can be.
#include "support/files/file_names.h"

#include <QTest>

class TestFileNames : public QObject {
    Q_OBJECT
  private slots:
    // A stored name comes back byte for byte; only the text shown marks what is not UTF-8.
    void fileNames_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("Banjo") << u"Banjo"_qs;
        QTest::newRow("UTF-8 of 2, 3 and 4 bytes")
            << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB8") << u"\u00E9\u20AC\U0001F3B8"_qs;
        QTest::newRow("Latin-1 byte") << QByteArray("A\xE9") << u"A\uFFFD"_qs;
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << u"\uFFFD\uFFFD"_qs;
        QTest::newRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << u"\uFFFD\uFFFD\uFFFD"_qs;
        QTest::newRow("cut short") << QByteArray("x\xE2\x82") << u"x\uFFFD\uFFFD"_qs;
        QTest::newRow("past U+10FFFF")
            << QByteArray("\xF5\x80\x80\x80") << u"\uFFFD\uFFFD\uFFFD\uFFFD"_qs;
    }
    void fileNames() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        const QString name = FileNames::fromFileSystem(stored.constData());
        QCOMPARE(FileNames::fileSystemName(name), stored);
        QCOMPARE(FileNames::readable(name), shown);
    }
    void everyByteStringComesBack() {
        for (int n = 0; n < 20000; ++n) {
            QByteArray stored;
            for (int i = 0; i < 1 + n % 7; ++i)
                stored.append(char(1 + (n * 7919 + i * 104729) % 255));
            QCOMPARE(FileNames::fileSystemName(FileNames::fromFileSystem(stored.constData())),
                     stored);
        }
    }
};

QTEST_APPLESS_MAIN(TestFileNames)
#include "test_file_names.moc"
