// The listening window's small rules: what the needle shows of the detector's readings, and
// when a screen reader is told what the gauge shows.
#include "listen/needle.h"
#include "listen/spoken_reading.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

class TestListenRules : public QObject {
    Q_OBJECT

    static double centsOf(const NeedleReading& r, double from) {
        return 1200 * std::log2(r.frequency / from);
    }

  private slots:
    void theNeedleJumpsToANewNoteSmoothsAWobbleAndRestsAfterSilence() {
        NeedleSmoother needle;
        QCOMPARE(needle.take(440).frequency, 440.0); // the first reading at once
        const double wobbled = centsOf(needle.take(440 * std::exp2(4 / 1200.0)), 440);
        QVERIFY(wobbled > 0 && wobbled < 2);         // a 4-cent wobble moves it only part way
        QCOMPARE(needle.take(220).frequency, 220.0); // a new note at once
        for (int i = 0; i < NeedleSmoother::kQuietReadings - 1; ++i)
            QVERIFY(needle.take(0).heard); // a short gap keeps the note
        QVERIFY(!needle.take(0).heard);
    }

    // Readings lost here and there in a long note (every tenth, and runs just short of a rest)
    // neither drop the needle nor move it.
    void readingsLostInANoteLeaveTheNeedleAsItWas() {
        NeedleSmoother needle;
        for (int i = 0; i < 400; ++i) {
            const bool lost = i % 10 == 9 || (i % 100 > 50 && i % 100 <= 50 + 23);
            const NeedleReading shown = needle.take(lost ? 0 : 330);
            QVERIFY2(shown.heard && std::abs(shown.frequency - 330) < 1e-9,
                     qPrintable(QString::number(i)));
        }
    }

    void wordsSayWhatTheGaugeShows_data() {
        QTest::addColumn<int>("string");
        QTest::addColumn<double>("cents");
        QTest::addColumn<QString>("words");
        QTest::newRow("flat") << 2 << -4.54 << u"String 2, A2, 4.5 cents flat"_s;
        QTest::newRow("sharp") << 2 << 12.06 << u"String 2, A2, 12.1 cents sharp"_s;
        QTest::newRow("in the zone") << 2 << -1.96 << u"String 2, A2, in tune"_s;
        QTest::newRow("any note") << 0 << 3.0 << u"A2, 3.0 cents sharp"_s;
    }
    void wordsSayWhatTheGaugeShows() {
        QFETCH(int, string);
        QFETCH(double, cents);
        QFETCH(QString, words);
        QCOMPARE(spokenReading(string, u"A2"_s, cents), words);
    }

    void aScreenReaderIsToldAtMostOnceASecondButAtOnceWhenInTune() {
        Announcer announcer;
        const Announcer::Clock::time_point t0{};
        const auto at = [&](int ms) { return t0 + std::chrono::milliseconds(ms); };
        QVERIFY(announcer.due(u"String 1, E2, 9.0 cents flat"_s, false, at(1000)));
        QVERIFY(!announcer.due(u"String 1, E2, 6.0 cents flat"_s, false, at(1500)));
        QVERIFY(announcer.due(u"String 1, E2, in tune"_s, true, at(1600))); // at once
        QVERIFY(!announcer.due(u"String 1, E2, 3.0 cents sharp"_s, false, at(2500)));
        QVERIFY(announcer.due(u"String 1, E2, 3.0 cents sharp"_s, false, at(2600)));
        QVERIFY(!announcer.due(u"String 1, E2, 3.0 cents sharp"_s, false, at(5000))); // nothing new
    }
};

QTEST_GUILESS_MAIN(TestListenRules)
#include "test_listen_rules.moc"
