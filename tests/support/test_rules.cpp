// The small rules everything else leans on: the leading number of a text, the two path
// routines and the centring of the window. Each row names the fault it guards against.
#include "support/numeric_value.h"
#include "support/paths.h"
#include "support/window_placement.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

using namespace Commands;

namespace {
struct FakeWindow : TwipsWindow {
    int height = 8655, width = 5850, top = -1, left = -1;
    int Height() const override { return height; }
    int Width() const override { return width; }
    int Top() const override { return top; }
    int Left() const override { return left; }
    void setTop(int t) override { top = t; }
    void setLeft(int l) override { left = l; }
};
} // namespace

class TestRules : public QObject {
    Q_OBJECT
  private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("unit after the number is ignored") << "238px" << 238.0;
        QTest::newRow("text without a number is 0") << "abc" << 0.0;
        QTest::newRow("empty is 0") << "" << 0.0;
        QTest::newRow("blanks, tabs and line feeds inside are skipped") << " 1 2\t3\n4" << 1234.0;
        QTest::newRow("minus sign before a blank") << "- 20" << -20.0;
        QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
        QTest::newRow("exponent E") << "1.5E3" << 1500.0;
        QTest::newRow("exponent D") << "2d2" << 200.0;
        QTest::newRow("exponent letter without digits") << "3E" << 3.0;
        QTest::newRow("comma is no decimal point") << "1,5" << 1.0;
        QTest::newRow("hexadecimal, either case") << "&hfF" << 255.0;
        QTest::newRow("octal stops at 8") << "&O178" << 15.0;
        QTest::newRow("unknown prefix is 0") << "&X1" << 0.0;
        QTest::newRow("underflow is 0") << "1e-400" << 0.0;
        QTest::newRow("zero with a huge exponent is 0") << "000.000e5000" << 0.0;
        QTest::newRow("overflow is infinite") << "-1e400" << -HUGE_VAL;
        QTest::newRow("400 digits overflow") << u"1"_s + QString(400, u'0') << HUGE_VAL;
        QTest::newRow("an endless exponent stays bounded") << "1e99999999999999999999" << HUGE_VAL;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(NumericValue(text), expected);
    }

    void lastPathComponent_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trailing separator is dropped") << "/opt/Tunes/Ukulele/"
                                                       << "Ukulele";
        QTest::newRow("root has no name") << "/"
                                          << "";
        QTest::newRow("bare name") << "Ukulele"
                                   << "Ukulele";
        QTest::newRow("only one separator is dropped") << "/opt/Tunes//"
                                                       << "";
        QTest::newRow("blanks are kept") << "/opt/Tunes/My Banjo"
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
        QTest::addColumn<int>("origin"); // of the primary screen, on the desktop
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::newRow("1024x768: 85% of the height") << 15360 << 11520 << 5850 << 0 << 569 << 4755;
        QTest::newRow("800x600: top clamped at 0") << 12000 << 9000 << 5850 << 0 << 0 << 3075;
        QTest::newRow("narrow: left clamped at 0") << 4000 << 20000 << 5850 << 0 << 4173 << 0;
        QTest::newRow("odd width halves down") << 15360 << 11520 << 5851 << 0 << 569 << 4755;
        QTest::newRow("primary screen right of another")
            << 15360 << 9000 << 5850 << 28800 << 28800 << 28800 + 4755;
    }
    void centerForm() {
        QFETCH(int, screenWidth);
        QFETCH(int, screenHeight);
        QFETCH(int, windowWidth);
        QFETCH(int, origin);
        QFETCH(int, top);
        QFETCH(int, left);
        FakeWindow window;
        window.width = windowWidth;
        CenterForm(window, screenWidth, screenHeight, origin, origin);
        QCOMPARE(window.top, top);
        QCOMPARE(window.left, left);
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "test_rules.moc"
