#include "support/paths.h"
#include "support/window_placement.h"

#include <QTest>

using namespace Commands;

namespace {
struct FakeWindow : TwipsWindow {
    int height, width, top = -1, left = -1;
    FakeWindow(int w, int h) : height(h), width(w) {}
    int Height() const override { return height; }
    int Width() const override { return width; }
    int Top() const override { return top; }
    int Left() const override { return left; }
    void setTop(int t) override { top = t; }
    void setLeft(int l) override { left = l; }
};
} // namespace

class TestPathsPlacement : public QObject {
    Q_OBJECT
  private slots:
    void addBackslashChangesTheCallersVariable() {
        QString empty;
        QCOMPARE(AddBackslash(empty), QStringLiteral("/"));
        QCOMPARE(empty, QStringLiteral("/"));
        QString tunes = "/opt/tuner/Tunes";
        QCOMPARE(AddBackslash(tunes), QStringLiteral("/opt/tuner/Tunes/"));
        QCOMPARE(tunes, QStringLiteral("/opt/tuner/Tunes/"));
        QString already = "/opt/tuner/Tunes/";
        QCOMPARE(AddBackslash(already), QStringLiteral("/opt/tuner/Tunes/"));
        QString root = "/";
        QCOMPARE(AddBackslash(root), QStringLiteral("/"));
    }

    void lastPathComponent_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << "/opt/Tunes/Ukulele"
                                << "Ukulele";
        QTest::newRow("trailing separator") << "/opt/Tunes/Ukulele/"
                                            << "Ukulele";
        QTest::newRow("root") << "/"
                              << "";
        QTest::newRow("bare name") << "Ukulele"
                                   << "Ukulele";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("two trailing separators") << "/opt/Tunes//"
                                                 << "";
        QTest::newRow("blanks kept") << "/opt/Tunes/My Banjo"
                                     << "My Banjo";
    }
    void lastPathComponent() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const QString before = path;
        QCOMPARE(LastPathComponent(path), expected);
        QCOMPARE(path, before);
    }

    void centerForm_data() {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<int>("windowHeight");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::newRow("1024x768") << 15360 << 11520 << 5850 << 8655 << 569 << 4755;
        QTest::newRow("800x600 clamps top") << 12000 << 9000 << 5850 << 8655 << 0 << 3075;
        QTest::newRow("wider than screen") << 4000 << 20000 << 5850 << 8655 << 4173 << 0;
        QTest::newRow("odd width halves down") << 15360 << 11520 << 5851 << 8655 << 569 << 4755;
    }
    void centerForm() {
        QFETCH(int, screenWidth);
        QFETCH(int, screenHeight);
        QFETCH(int, windowWidth);
        QFETCH(int, windowHeight);
        QFETCH(int, top);
        QFETCH(int, left);
        FakeWindow window(windowWidth, windowHeight);
        CenterForm(window, screenWidth, screenHeight);
        QCOMPARE(window.top, top);
        QCOMPARE(window.left, left);
        QCOMPARE(window.width, windowWidth);
        QCOMPARE(window.height, windowHeight);
    }
};

QTEST_APPLESS_MAIN(TestPathsPlacement)
#include "test_paths_placement.moc"
