// The listening window's small rules: what the needle shows of the detector's readings, and
// when a screen reader is told what the gauge shows.
#include "listen/needle.h"
#include "listen/spoken_reading.h"
#include "listen/string_names.h"
#include "support/pitch/notes.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

class TestListenRules : public QObject {
    Q_OBJECT

    static double centsOf(const NeedleReading& r, double from) {
        return 1200 * std::log2(r.frequency / from);
    }

  private slots:
    // What the needle shows after a run of readings of one frequency.
    static NeedleReading feed(NeedleSmoother& needle, double frequency, int readings) {
        NeedleReading shown;
        for (int i = 0; i < readings; ++i)
            shown = needle.take(frequency);
        return shown;
    }

    void theNeedleJumpsToANewNoteSmoothsAWobbleAndRestsAfterSilence() {
        NeedleSmoother needle;
        const int held = int(NeedleSmoother::kEndReadings);
        QVERIFY(!feed(needle, 440, held).heard); // held back, as a note's end might be
        QCOMPARE(feed(needle, 440, 1).frequency, 440.0);
        const double wobbled = centsOf(feed(needle, 440 * std::exp2(4 / 1200.0), held + 1), 440);
        QVERIFY(wobbled > 0 && wobbled < 2); // a 4-cent wobble moves it only part way
        QCOMPARE(feed(needle, 220, held + 1).frequency, 220.0); // a new note at once
        for (int i = 0; i < NeedleSmoother::kQuietReadings - 1; ++i)
            QVERIFY(needle.take(0).heard); // a short gap keeps the note
        QVERIFY(!needle.take(0).heard);
    }

    // Readings lost here and there in a long note (every tenth, and runs just short of a rest)
    // neither drop the needle nor move it; nor do the wild readings of the note's abrupt end.
    void readingsLostInANoteOrAtItsEndLeaveTheNeedleAsItWas() {
        NeedleSmoother needle;
        const int held = int(NeedleSmoother::kEndReadings);
        const double end[] = {330 * std::exp2(140 / 1200.0), 330 * std::exp2(-230 / 1200.0)};
        // The note with readings lost, its abrupt end, a short gap, and the string plucked again.
        const int ended = 400 + held, again = ended + 10;
        for (int i = 0; i < again + 100; ++i) {
            const bool lost = (i < 400 && (i % 10 == 9 || (i % 100 > 50 && i % 100 <= 50 + 23))) ||
                              (i >= ended && i < again);
            const double reading = i >= 400 && i < ended ? end[i % 2] : 330;
            const NeedleReading shown = needle.take(lost ? 0 : reading);
            if (i >= held)
                QVERIFY2(shown.heard && std::abs(shown.frequency - 330) < 1e-9,
                         qPrintable(QString::number(i)));
        }
    }

    // Strings are named by the notes their recordings' names carry, else by the nearest notes at
    // the reference their targets fit: a cello made at 415 has a C string, not a B.
    void stringsAreNamedAsTheirInstrumentNamesThem_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<double>("a4");
        QTest::addColumn<QStringList>("notes");
        const QStringList cello{u"C2"_s, u"G2"_s, u"D3"_s, u"A3"_s};
        QTest::newRow("cello at 415, named")
            << QStringList{u"1-C2.wav"_s, u"2-G2.wav"_s, u"3-D3.wav"_s, u"4-A3.wav"_s} << 415.0
            << cello;
        // (Numbered, 415 would be a semitone below 440: its names carry what it is.)
        QTest::newRow("cello at 452, numbered")
            << QStringList{u"1.wav"_s, u"2.wav"_s, u"3.wav"_s, u"4.wav"_s} << 452.0 << cello;
        QTest::newRow("drop D at 432, numbered")
            << QStringList{u"1.wav"_s, u"2-A.wav"_s, u"3.wav"_s} << 432.0
            << QStringList{u"D2"_s, u"A2"_s, u"D3"_s};
        QTest::newRow("flats as written") << QStringList{u"1-Bb1.wav"_s, u"2-Eb2.wav"_s} << 440.0
                                          << QStringList{u"Bb1"_s, u"Eb2"_s};
    }
    void stringsAreNamedAsTheirInstrumentNamesThem() {
        QFETCH(QStringList, files);
        QFETCH(double, a4);
        QFETCH(QStringList, notes);
        std::vector<double> targets;
        for (const QString& note : notes) // each a little out of tune, as recorded
            targets.push_back(Notes::namedNote(note, a4)->frequency *
                              std::exp2((int(targets.size()) % 3 - 1) * 6 / 1200.0));
        const double fitted = Notes::fittingA4(targets);
        QStringList named;
        for (std::size_t k = 0; k < targets.size(); ++k)
            named.append(stringNote(u"/Tunes/Cello/"_s + files[int(k)], targets[k], fitted));
        QCOMPARE(named, notes);
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
