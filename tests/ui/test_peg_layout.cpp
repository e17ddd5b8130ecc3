#include "app/globals.h"
#include "fixture.h"
#include "support/picture_box.h"
#include "support/step.h"
#include "ui/tuner.h"

#include <QTest>

using namespace Fixture;

class TestPegLayout : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;
    QString folder;

    void start() {
        session = std::make_unique<Session>();
        folder = session->app.instrument("Ukulele", {"1.wav"});
        session->app.pictures(folder);
        session->app.profile(folder, "[Veltrosan Tuner]\n" + designLayout());
        session->start();
    }
    QString layout(const QString& lines) {
        session->app.profile(folder, "[Veltrosan Tuner]\n" + lines, "test.ini");
        return folder + "test.ini";
    }
    QRect peg(int k) const { return session->tuner->picTuner[size_t(k)]->geometry(); }

  private slots:
    void init() { start(); }
    void cleanup() { session.reset(); }

    void selectionPlacesThePegsFromTheProfile() {
        QCOMPARE(peg(0), QRect(12, 238, 92, 84));
        QCOMPARE(peg(5), QRect(268, 242, 104, 85));
        QVERIFY(shows(*session->tuner, *session->tuner->picTuner[5], 40));
    }

    void missingKeysGiveZero() {
        session->tuner->ReadPegLayout(folder + "none.ini");
        for (int k = 0; k < 6; ++k)
            QCOMPARE(peg(k), QRect(0, 0, 0, 0));
        session->tuner->ReadPegLayout(layout("Tuner1-Top=10\nTuner1-Left=20\n"));
        QCOMPARE(peg(0), QRect(20, 10, 0, 0));
    }

    void valuesFollowTheNumberRule() {
        session->tuner->ReadPegLayout(
            layout("Tuner3-width=98\nTUNER2-WIDTH=77\nTuner1-Top= 238\n"
                   "Tuner1-Left=238px\nTuner1-Height=abc\nTuner2-Left=-20\n"
                   "Tuner4-Top=12.5\nTuner4-Left=1.5e1\n"));
        QCOMPARE(peg(2).width(), 98);
        QCOMPARE(peg(1).width(), 77);
        QCOMPARE(peg(0).top(), 238);
        QCOMPARE(peg(0).left(), 238);
        QCOMPARE(peg(0).height(), 0);
        QCOMPARE(peg(1).left(), -20);
        QCOMPARE(peg(3).top(), 13); // whole pixels, halves away from zero
        QCOMPARE(peg(3).left(), 15);
    }

    void aValueThePegCannotTakeStopsTheReader() {
        const QRect before3 = peg(3), before4 = peg(4), before5 = peg(5);
        QString text = designLayout().replace("Tuner4-Height=83", "Tuner4-Height=-5");
        for (int k : {0, 1, 2})
            text.replace(QStringLiteral("Tuner%1-Top=").arg(k + 1),
                         QStringLiteral("Tuner%1-Top=1").arg(k + 1));
        text.replace("Tuner4-Top=64", "Tuner4-Top=70")
            .replace("Tuner4-Left=276", "Tuner4-Left=280");
        const bool completed = attempt([&] { session->tuner->ReadPegLayout(layout(text)); });
        QVERIFY(!completed); // the failure reaches the caller
        QCOMPARE(peg(0).top(), 1238);
        QCOMPARE(peg(3).topLeft(), QPoint(280, 70));
        QCOMPARE(peg(3).size(), before3.size());
        QCOMPARE(peg(4), before4);
        QCOMPARE(peg(5), before5);
        for (const char* bad : {"1e400", "99999", "-40000"})
            QVERIFY(!attempt([&] {
                session->tuner->ReadPegLayout(layout(QStringLiteral("Tuner1-Top=") + bad));
            }));
    }

    void makeIniWritesTheLayoutIntoTheApplicationProfile() {
        const QByteArray instrumentProfile = readFile(folder + "tuner.ini");
        session->tuner->picTuner[5]->setGeometry(268, 242, 104, 85);
        session->tuner->Command1_Click();
        const QString written = QString::fromUtf8(readFile(session->app.appPath() + "tuner.ini"));
        QStringList expected{"[Veltrosan Tuner]"};
        const int places[6][4] = {{238, 12, 84, 92}, {152, 8, 77, 96},    {64, 6, 79, 92},
                                  {64, 276, 83, 98}, {156, 270, 80, 102}, {242, 268, 85, 104}};
        for (int n = 0; n < 6; ++n)
            expected << QStringLiteral("Tuner%1-Top=%2").arg(n + 1).arg(places[n][0])
                     << QStringLiteral("Tuner%1-Left=%2").arg(n + 1).arg(places[n][1])
                     << QStringLiteral("Tuner%1-Height=%2").arg(n + 1).arg(places[n][2])
                     << QStringLiteral("Tuner%1-width=%2").arg(n + 1).arg(places[n][3]);
        QCOMPARE(written, expected.join('\n') + '\n');
        // Pressed twice: one entry per key, the values replaced where they stand.
        session->tuner->picTuner[0]->move(-3, 238);
        session->tuner->Command1_Click();
        QCOMPARE(QString::fromUtf8(readFile(session->app.appPath() + "tuner.ini")),
                 QString(written).replace("Tuner1-Left=12", "Tuner1-Left=-3"));
        QCOMPARE(readFile(folder + "tuner.ini"), instrumentProfile);
        // What is written reads back as the same layout.
        const QRect moved = peg(0);
        session->tuner->ReadPegLayout(session->app.appPath() + "tuner.ini");
        QCOMPARE(peg(0), moved);
    }
};

QTEST_MAIN(TestPegLayout)
#include "test_peg_layout.moc"
