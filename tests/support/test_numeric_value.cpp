#include "support/numeric_value.h"

#include <QTest>
#include <cmath>

class TestNumericValue : public QObject {
    Q_OBJECT
  private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "238" << 238.0;
        QTest::newRow("blank before") << " 238" << 238.0;
        QTest::newRow("unit after") << "238px" << 238.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks inside") << "1 2\t3\n4" << 1234.0;
        QTest::newRow("sign and blank") << "- 20" << -20.0;
        QTest::newRow("plus") << "+7" << 7.0;
        QTest::newRow("fraction") << "12.5" << 12.5;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("exponent E") << "1.5E3" << 1500.0;
        QTest::newRow("exponent D") << "2d2" << 200.0;
        QTest::newRow("negative exponent") << "25e-1" << 2.5;
        QTest::newRow("exponent without digits") << "3E" << 3.0;
        QTest::newRow("comma is no point") << "1,5" << 1.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower") << "&hff" << 255.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("hex without digits") << "&H" << 0.0;
        QTest::newRow("ampersand alone") << "&X1" << 0.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("tiny") << "1e-400" << 0.0;
        QTest::newRow("zeros") << "000.000e5000" << 0.0;
        QTest::newRow("long digits") << QString(500, u'0') + "42" << 42.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(NumericValue(text), expected);
    }

    void beyondDoubleRangeIsInfinite() {
        QCOMPARE(NumericValue("1e400"), HUGE_VAL);
        QCOMPARE(NumericValue("-1e400"), -HUGE_VAL);
        QCOMPARE(NumericValue(QStringLiteral("1") + QString(400, u'0')), HUGE_VAL);
        QCOMPARE(NumericValue("1e99999999999999999999"), HUGE_VAL);
        QCOMPARE(NumericValue("1e300"), 1e300);
    }

    void doesNotDependOnTheLocale() {
        QLocale::setDefault(QLocale(QLocale::German));
        setlocale(LC_ALL, "de_DE.UTF-8");
        QCOMPARE(NumericValue("12.5"), 12.5);
        setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_APPLESS_MAIN(TestNumericValue)
#include "test_numeric_value.moc"
