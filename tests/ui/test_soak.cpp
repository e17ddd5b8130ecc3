// Twenty thousand random user actions on the real window with the sample instruments and the
// real mixer (on SDL's dummy output); after each one the window must be in a state the tuner
// allows. Run under the sanitizers by scripts/test.
#include "app/globals.h"
#include "fixture.h"
#include "support/picture_box.h"
#include "ui/folder_lists.h"
#include "ui/tuner.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace Fixture;

namespace {

const Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
const Qt::KeyboardModifiers kModifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                            Qt::AltModifier};

// Which look a peg shows: 1 lit, 0 dark, -1 neither (or it has no size).
int look(const Tuner& t, const PictureBox& peg) {
    if (peg.width() <= 0 || peg.height() <= 0 || !t.picAllOn->hasPicture())
        return -1;
    const QImage& shown = peg.image();
    const QPoint probe(peg.width() / 2, peg.height() / 2);
    const QPoint at = peg.pos() + probe;
    if (!QRect(QPoint(0, 0), t.picAllOn->image().size()).contains(at))
        return -1;
    const QRgb pixel = shown.pixel(probe);
    const QRgb on = t.picAllOn->image().pixel(at), off = t.picAllOff->image().pixel(at);
    if (on == off)
        return pixel == on ? 0 : -1;
    return pixel == on ? 1 : pixel == off ? 0 : -1;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
  private slots:
    void randomActionsKeepAnAllowedState() {
        qputenv("SDL_AUDIODRIVER", "dummy");
        Sound::shutdown(); // the real mixer and device
        AppFolder app;
        QDir(app.appPath()).rmdir("Tunes");
        QVERIFY(QFile::link(QStringLiteral(TUNER_BUILD_DIR "/Tunes"), app.appPath() + "Tunes"));
        auto tuner = startTuner(app);
        QVERIFY(QTest::qWaitForWindowExposed(tuner.get()));
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QWindow* window = tuner->windowHandle();

        QRandomGenerator rng(20261206);
        const int actions = qEnvironmentVariableIntValue("TUNER_SOAK_ACTIONS") > 0
                                ? qEnvironmentVariableIntValue("TUNER_SOAK_ACTIONS")
                                : 20000;
        QMap<QString, int> done;
        for (int i = 0; i < actions; ++i) {
            const int dice = int(rng.bounded(100));
            const auto button = kButtons[rng.bounded(3)];
            const auto keys = kModifiers[rng.bounded(4)];
            QString what;
            if (dice < 45) {
                const int k = int(rng.bounded(6));
                PictureBox* peg = tuner->picTuner[size_t(k)];
                if (peg->width() > 0 && peg->height() > 0) {
                    QTest::mousePress(peg, button, keys, QPoint(1, 1));
                    QTest::mouseRelease(peg, button, keys, QPoint(1, 1));
                    what = "peg";
                } else {
                    tuner->picTuner_MouseDown(int16_t(k), 1, 0, 0,
                                              0); // no size: no mouse reaches it
                    what = "peg without size";
                }
            } else if (dice < 60) {
                QTest::mousePress(tuner->picSwitch, button, keys, QPoint(5, 5));
                QTest::mouseRelease(tuner->picSwitch, button, keys, QPoint(5, 5));
                what = "switch";
            } else if (dice < 65) {
                QTest::mouseDClick(window, Qt::LeftButton, {},
                                   tuner->picSwitch->geometry().center());
                what = "switch double click";
            } else if (dice < 77) {
                FileList* files = tuner->TunerFiles;
                if (files->count() > 0) {
                    files->setCurrentRow(int(rng.bounded(files->count())));
                    tuner->TunerFiles_Click();
                }
                what = "file pick";
            } else if (dice < 85) {
                Tuner_Timer(*tuner);
                what = "tick";
            } else if (dice < 91) {
                QComboBox* box = tuner->cboInstrument;
                box->lineEdit()->setFocus();
                QTest::keyClick(box->lineEdit(), rng.bounded(2) ? Qt::Key_Down : Qt::Key_Up);
                what = "instrument by key";
            } else if (dice < 93) {
                QComboBox* box = tuner->cboInstrument;
                box->showPopup();
                QAbstractItemView* view = box->view();
                const QModelIndex entry = view->model()->index(int(rng.bounded(box->count())), 0);
                view->scrollTo(entry);
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                  view->visualRect(entry).center());
                box->hidePopup();
                what = "instrument by mouse";
            } else if (dice < 98) {
                QComboBox* box = tuner->cboOptions;
                if (box->isVisible() && box->count() > 0) {
                    box->lineEdit()->setFocus();
                    QTest::keyClick(box->lineEdit(), rng.bounded(2) ? Qt::Key_Down : Qt::Key_Up);
                }
                what = "option";
            } else {
                tuner->Command1->setFocus();
                QTest::keyClick(tuner->Command1, Qt::Key_Space);
                what = "make ini";
            }
            ++done[what];

            QVERIFY2(AppModul::SwitchOn == 0 || AppModul::SwitchOn == 1, qPrintable(what));
            QVERIFY2(tuner->LoopActive == 0 || tuner->LoopActive == -1, qPrintable(what));
            if (tuner->LoopActive) {
                QVERIFY2(AppModul::SwitchOn == 1, qPrintable(what)); // a loop only in loop mode
                QVERIFY2(!tuner->LoopFile.isEmpty(), qPrintable(what));
            }
            int lit = 0;
            for (PictureBox* peg : tuner->picTuner) {
                const int l = look(*tuner, *peg);
                QVERIFY2(l != -1 || peg->width() <= 0 || peg->height() <= 0, qPrintable(what));
                lit += l == 1;
            }
            QVERIFY2(lit <= 1,
                     qPrintable(QStringLiteral("%1 pegs lit after %2").arg(lit).arg(what)));
        }
        for (auto it = done.cbegin(); it != done.cend(); ++it)
            qInfo("%6d %s", it.value(), qPrintable(it.key()));
        QVERIFY(done.value("peg") > actions / 4);
        tuner.reset();
        Sound::shutdown();
    }

  private:
    static void Tuner_Timer(Tuner& t) {
        // A tick arrives only while the timer runs.
        if (t.Timer1->isActive())
            t.Timer1_Timer();
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
