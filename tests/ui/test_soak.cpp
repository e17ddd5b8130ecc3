// Twenty thousand random user actions on the real window with the sample instruments and the
// real mixer (on SDL's dummy output); after each one the window must be in a state the tuner
// allows. Run under the sanitizers by scripts/test.
#include "window_fixture.h"

#include <QApplication>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Which look a peg shows: 1 lit, 0 dark, -1 neither.
int look(const Tuner& t, const PictureBox& peg) {
    const QPoint probe(peg.width() / 2, peg.height() / 2), at = peg.pos() + probe;
    if (!t.picAllOn->hasPicture() || !QRect(QPoint(), t.picAllOn->image().size()).contains(at))
        return -1;
    const QRgb shown = peg.image().pixel(probe);
    const QRgb on = t.picAllOn->image().pixel(at), off = t.picAllOff->image().pixel(at);
    return shown == on && on != off ? 1 : shown == off ? 0 : -1;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
  private slots:
    void randomActionsKeepAnAllowedState() {
        Session session;
        qputenv("SDL_AUDIODRIVER", "dummy");
        installSoundDevice(); // the real mixer and device
        QDir(session.app.appPath()).rmdir(u"Tunes"_s);
        QVERIFY(QFile::link(QStringLiteral(TUNER_BUILD_DIR "/Tunes"),
                            session.app.appPath() + u"Tunes"_s));
        session.start();
        Tuner& tuner = *session.tuner;
        QCOMPARE(tuner.cboInstrument->currentText(), QStringLiteral("Ukulele"));

        QRandomGenerator rng(20261206);
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier,
                                                   Qt::ControlModifier, Qt::AltModifier};
        const int actions = qEnvironmentVariableIntValue("TUNER_SOAK_ACTIONS") > 0
                                ? qEnvironmentVariableIntValue("TUNER_SOAK_ACTIONS")
                                : 20000;
        for (int i = 0; i < actions; ++i) {
            const int dice = int(rng.bounded(100));
            const auto button = buttons[rng.bounded(3)];
            const auto keys = modifiers[rng.bounded(4)];
            const Qt::Key arrow = rng.bounded(2) ? Qt::Key_Down : Qt::Key_Up;
            QString what;
            if (dice < 45) {
                PictureBox* peg = tuner.picTuner[rng.bounded(6)];
                click(peg, button, keys);
                what = u"peg"_s;
            } else if (dice < 60) {
                click(tuner.picSwitch, button, keys);
                what = u"switch"_s;
            } else if (dice < 77) {
                if (tuner.TunerFiles->count() > 0) {
                    tuner.TunerFiles->setCurrentRow(int(rng.bounded(tuner.TunerFiles->count())));
                    tuner.TunerFiles_Click();
                }
                what = u"file pick"_s;
            } else if (dice < 85) {
                if (tuner.Timer1->isActive()) // a tick comes only while the timer runs
                    tuner.Timer1_Timer();
                what = u"tick"_s;
            } else if (dice < 91) {
                tuner.cboInstrument->setFocus();
                QTest::keyClick(QApplication::focusWidget(), arrow);
                what = u"instrument by key"_s;
            } else if (dice < 98) {
                if (tuner.cboOptions->isVisible()) {
                    tuner.cboOptions->setFocus();
                    QTest::keyClick(QApplication::focusWidget(), arrow);
                }
                what = u"option"_s;
            } else {
                tuner.Command1->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
                what = u"make ini"_s;
            }

            QVERIFY2(AppModul::SwitchOn == 0 || AppModul::SwitchOn == 1, qPrintable(what));
            QVERIFY2(tuner.LoopActive == 0 || (tuner.LoopActive == -1 && AppModul::SwitchOn == 1 &&
                                               !tuner.LoopFile.isEmpty()),
                     qPrintable(what));
            int lit = 0;
            for (PictureBox* peg : tuner.picTuner) {
                const int l = look(tuner, *peg);
                QVERIFY2(l != -1 || peg->width() <= 0 || peg->height() <= 0, qPrintable(what));
                lit += l == 1;
            }
            QVERIFY2(lit <= 1,
                     qPrintable(QStringLiteral("%1 pegs lit after %2").arg(lit).arg(what)));
        }
        session.tuner.reset();
        Sound::shutdown();
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
