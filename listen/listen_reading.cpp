// The listening window's reading: the note, the cents, the gauge, the lit peg and the words a
// screen reader reads, from the listener's latest needle.
#include "listen_window.h"

#include "listen/cents_gauge.h"
#include "listen/head_view.h"
#include "listen/listener.h"
#include "listen/string_names.h"
#include "support/pitch/notes.h"
#include "support/pitch/string_targets.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <cmath>

namespace {

constexpr int kTextIntervalMs = 250;
// A note is steady, for setting A4 from it, once it stays this close for this long.
constexpr double kSteadyCents = 3;
constexpr int kSteadyMs = 500;

} // namespace

void ListenWindow::showLatest() {
    takeMeasurements();
    listInputs();
    // The words follow the window within the announcer's second, even while it shows no change.
    if (announcer_.due(spoken_, spokenInTune_, Announcer::Clock::now()))
        gauge->setAccessibleName(spoken_);
    if (!listener_)
        return;
    const Listener::Latest latest = listener_->latest();
    showMicrophone(latest.state);
    const bool steady =
        latest.needle.heard && steadyClock_.isValid() && steadyClock_.elapsed() >= kSteadyMs;
    if (cmdSetA4->isEnabled() != steady)
        cmdSetA4->setEnabled(steady);
    // Nothing is drawn while the needle stays where it is (silence, a steady note).
    if (shownNeedle_ && shownNeedle_->heard == latest.needle.heard &&
        shownNeedle_->frequency == latest.needle.frequency)
        return;
    shownNeedle_ = latest.needle;
    const bool anyNote = cboInstrument->currentIndex() == 0;
    if (!latest.needle.heard || (!anyNote && targets_.empty())) {
        steadyClock_.invalidate();
        showNothingHeard();
        return;
    }
    const double frequency = latest.needle.frequency;
    if (!steadyClock_.isValid() ||
        std::abs(Notes::centsFrom(frequency, steadyFrequency_)) > kSteadyCents) {
        steadyClock_.start();
        steadyFrequency_ = frequency;
    }
    showReading(frequency);
}

void ListenWindow::showReading(double frequency) {
    int stringNumber = 0;
    QString note, besides;
    double cents = 0;
    const bool anyNote = cboInstrument->currentIndex() == 0;
    const StringMatch match = anyNote ? StringMatch{} : nearestString(targets_, frequency);
    if (match.string >= 0 && std::abs(match.cents) <= kStringSlackCents) {
        stringNumber = stringOfTarget_[std::size_t(match.string)] + 1;
        note = noteOfTarget_[match.string];
        cents = match.cents;
    } else {
        // Any note, or a note that is no string: named at the reference it is heard against.
        const Notes::Note nearest =
            Notes::nearestNote(frequency, anyNote ? spinA4->value() : instrumentA4_);
        note = nearest.name;
        cents = nearest.cents;
        if (!anyNote)
            besides = QStringLiteral("not a string of ") + cboInstrument->currentText();
    }
    const bool inTune = besides.isEmpty() && std::abs(cents) <= kInTuneCents;
    head->setLitString(stringNumber - 1);
    gauge->setCents(besides.isEmpty() ? std::optional<double>(cents) : std::nullopt);
    const QString stringText =
        stringNumber > 0 ? QStringLiteral("String %1").arg(stringNumber) : QString();
    // The needle follows every frame; the figures change a few times a second, as fast as they
    // can be read (and each change of a text costs a paint), and at once for a new note.
    if (note != lblNote->text() || stringText != lblString->text() || !textClock_.isValid() ||
        textClock_.elapsed() >= kTextIntervalMs) {
        textClock_.start();
        setText(lblNote, note);
        setText(lblString, stringText);
        setText(lblCents, shownCents(cents) + QStringLiteral(" cents"));
        // In tune is said in words as well as shown in colour.
        setText(lblWords, inTune ? QStringLiteral("In tune") : besides);
        setText(lblFrequency, QString::number(frequency, 'f', 2) + QStringLiteral(" Hz"));
    }
    QString words = spokenReading(stringNumber, note, cents);
    if (!besides.isEmpty())
        words += QStringLiteral(", ") + besides;
    speak(words, inTune);
}

void ListenWindow::setText(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

void ListenWindow::showNothingHeard() {
    head->setLitString(-1);
    gauge->setCents(std::nullopt);
    textClock_.invalidate();
    setText(lblNote, QStringLiteral("–"));
    setText(lblString, {});
    setText(lblCents, {});
    setText(lblWords, cboInstrument->currentIndex() == 0 ? QStringLiteral("Play a note")
                                                         : QStringLiteral("Play a string"));
    setText(lblFrequency, {});
    speak(QStringLiteral("Nothing heard"), false);
}

void ListenWindow::speak(const QString& text, bool inTune) {
    spoken_ = text;
    spokenInTune_ = inTune;
    if (announcer_.due(text, inTune, Announcer::Clock::now()))
        gauge->setAccessibleName(text);
}
