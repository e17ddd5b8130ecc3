#include "listen_window.h"

#include "generated/product.h"
#include "listen/cents_gauge.h"
#include "listen/head_view.h"
#include "listen/listen_instrument.h"
#include "listen/listener.h"
#include "support/files/file_names.h"
#include "support/pitch/notes.h"
#include "support/pitch/pitch_detector.h"
#include "support/pitch/string_targets.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kFrameMs = 33;
constexpr int kTextIntervalMs = 250;

// A string may be tuned this far below its target and still be heard (a fifth).
constexpr double kSlackCents = 700;

QLabel* labelFor(QWidget* control, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(control);
    control->setAccessibleName(text);
    return label;
}

std::vector<double> measureTargets(const QStringList& recordings) {
    std::vector<double> targets;
    for (const QString& recording : recordings)
        targets.push_back(recordingPitch(recording).value_or(0.0));
    return targets;
}

} // namespace

ListenWindow::ListenWindow(const QString& tunes, double a4) : tunes_(tunes) {
    setWindowTitle(QStringLiteral(TUNER_TITLE " Listen"));
    cboInstrument = new QComboBox(this);
    spinA4 = new QDoubleSpinBox(this);
    spinA4->setRange(Notes::kLowestA4, Notes::kHighestA4);
    spinA4->setDecimals(1);
    spinA4->setSuffix(QStringLiteral(" Hz"));
    spinA4->setValue(a4);
    head = new HeadView(this);
    head->setFixedSize(192, 275); // the picture at half its size
    head->setAccessibleName(QStringLiteral("Instrument head"));
    gauge = new CentsGauge(this);
    lblNote = new QLabel(this);
    QFont big = lblNote->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    lblNote->setFont(big);
    lblCents = new QLabel(this);
    big.setPointSizeF(big.pointSizeF() * 0.75);
    lblCents->setFont(big);
    lblFrequency = new QLabel(this);
    lblMicrophone = new QLabel(this);
    lblMicrophone->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(labelFor(cboInstrument, QStringLiteral("Instrument"), this), 0, 0);
    grid->addWidget(cboInstrument, 0, 1);
    auto* a4Label = labelFor(spinA4, QStringLiteral("A4"), this);
    grid->addWidget(a4Label, 1, 0);
    grid->addWidget(spinA4, 1, 1);
    auto* readout = new QVBoxLayout;
    readout->addWidget(lblNote);
    readout->addWidget(lblCents);
    readout->addWidget(lblFrequency);
    readout->addStretch();
    readout->addWidget(gauge);
    grid->addWidget(head, 0, 2, 4, 1);
    grid->addLayout(readout, 2, 0, 1, 2);
    grid->addWidget(lblMicrophone, 4, 0, 1, 3);
    grid->setColumnMinimumWidth(1, 220);
    grid->setRowStretch(2, 1);

    cboInstrument->addItem(anyNoteText());
    for (const QString& folder : listenInstruments(tunes_))
        cboInstrument->addItem(FileNames::readable(folder), folder);
    const int ukulele = cboInstrument->findText(QStringLiteral("Ukulele"));
    cboInstrument->setCurrentIndex(std::max(0, ukulele));
    connect(cboInstrument, &QComboBox::currentIndexChanged, this,
            [this] { cboInstrument_Click(); });
    connect(spinA4, &QDoubleSpinBox::valueChanged, this, [this] { shownNeedle_.reset(); });
    connect(cboInstrument, &QComboBox::currentIndexChanged, a4Label, [this, a4Label](int index) {
        a4Label->setVisible(index == 0);
        spinA4->setVisible(index == 0);
    });
    a4Label->setVisible(cboInstrument->currentIndex() == 0);
    spinA4->setVisible(cboInstrument->currentIndex() == 0);
    setTabOrder(cboInstrument, spinA4);
    setTabOrder(spinA4, gauge);

    cboInstrument_Click();
    // A fixed size, from the layout: it follows the fonts and the screen's pixel density. Fixed
    // once, so that a reading's new text does not size the window again.
    lblNote->setText(QStringLiteral("String 6  C#8"));
    lblCents->setText(QStringLiteral("-50.0 cents"));
    lblFrequency->setText(QStringLiteral("4186.01 Hz"));
    lblMicrophone->setText(Microphone::describe(Microphone::State::Refused));
    // The places are fixed with it: a new text then costs no layout of the window. The reference
    // A4 keeps its place while it is hidden.
    for (QWidget* a4 : {static_cast<QWidget*>(a4Label), static_cast<QWidget*>(spinA4)}) {
        QSizePolicy policy = a4->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        a4->setSizePolicy(policy);
    }
    setFixedSize(sizeHint());
    grid->activate();
    grid->setEnabled(false);
    frameTimer_ = new QTimer(this);
    connect(frameTimer_, &QTimer::timeout, this, [this] { showLatest(); });
    showNothingHeard();
}

void ListenWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The microphone, the sound libraries and the strings' measuring start once the window is
    // painted, so that they do not compete with its first paint.
    if (!listeningPosted_) {
        listeningPosted_ = true;
        QTimer::singleShot(0, this, [this] { startListening(); });
    }
}

void ListenWindow::startListening() {
    listener_ = std::make_unique<Listener>(PitchDetector::kLowestNote);
    measureStrings();
    // Drawn at the display's rate, and at most 30 times a second: the needle moves smoothly
    // at that rate, and the listener holds the newest reading.
    const double rate = screen() ? screen()->refreshRate() : 60;
    frameTimer_->start(std::max(kFrameMs, int(std::lround(1000 / std::max(rate, 1.0)))));
    showLatest();
}

void ListenWindow::measureStrings() {
    if (!recordings_.isEmpty())
        measuring_ = std::async(std::launch::async, measureTargets, recordings_);
    else if (listener_)
        listener_->setLowestNote(PitchDetector::kLowestNote);
}

ListenWindow::~ListenWindow() {
    if (measuring_.valid())
        measuring_.wait();
}

void ListenWindow::cboInstrument_Click() {
    targets_.clear();
    stringOfTarget_.clear();
    shownNeedle_.reset();
    if (measuring_.valid())
        measuring_.wait(); // the measurements share one cache; one runs at a time
    const QVariant folder = cboInstrument->currentData();
    recordings_.clear();
    if (folder.isValid()) {
        const ListenInstrument instrument = readListenInstrument(tunes_ + folder.toString() + u'/');
        head->setPictures(instrument.dark, instrument.lit, instrument.pegs);
        recordings_ = instrument.recordings;
    } else {
        head->setPictures({}, {}, {});
    }
    if (listener_)
        measureStrings();
}

void ListenWindow::showLatest() {
    if (measuring_.valid() &&
        measuring_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        const std::vector<double> measured = measuring_.get();
        for (std::size_t k = 0; k < measured.size() && k < 6; ++k)
            if (measured[k] > 0) {
                targets_.push_back(measured[k]);
                stringOfTarget_.push_back(int(k));
            }
        const double lowest = targets_.empty()
                                  ? PitchDetector::kLowestNote
                                  : *std::min_element(targets_.begin(), targets_.end()) *
                                        std::exp2(-kSlackCents / 1200);
        listener_->setLowestNote(std::max(lowest, PitchDetector::kLowestPossible));
    }
    if (!listener_)
        return;
    const Listener::Latest latest = listener_->latest();
    const QString problem = Microphone::describe(latest.state);
    if (lblMicrophone->text() != problem)
        lblMicrophone->setText(problem);
    lblMicrophone->setVisible(!problem.isEmpty());
    // Nothing is drawn while the needle stays where it is (silence, a steady note).
    if (shownNeedle_ && shownNeedle_->heard == latest.needle.heard &&
        shownNeedle_->frequency == latest.needle.frequency)
        return;
    shownNeedle_ = latest.needle;
    const bool anyNote = cboInstrument->currentIndex() == 0;
    if (!latest.needle.heard || (!anyNote && targets_.empty())) {
        showNothingHeard();
        return;
    }
    const double frequency = latest.needle.frequency;
    int stringNumber = 0;
    QString note;
    double cents = 0;
    if (anyNote) {
        const Notes::Note nearest = Notes::nearestNote(frequency, spinA4->value());
        note = nearest.name;
        cents = nearest.cents;
    } else {
        const StringMatch match = nearestString(targets_, frequency);
        stringNumber = stringOfTarget_[std::size_t(match.string)] + 1;
        note = match.note;
        cents = match.cents;
    }
    head->setLitString(stringNumber - 1);
    gauge->setCents(cents);
    const QString noteText =
        stringNumber > 0 ? QStringLiteral("String %1  %2").arg(stringNumber).arg(note) : note;
    // The needle follows every frame; the figures change a few times a second, as fast as they
    // can be read (and each change of a text costs a layout and a paint), and at once for a new
    // note.
    if (noteText != lblNote->text() || !textClock_.isValid() ||
        textClock_.elapsed() >= kTextIntervalMs) {
        textClock_.start();
        setText(lblNote, noteText);
        setText(lblCents, shownCents(cents) + QStringLiteral(" cents"));
        setText(lblFrequency, QString::number(frequency, 'f', 2) + QStringLiteral(" Hz"));
    }
    speak(spokenReading(stringNumber, note, cents), std::abs(cents) <= kInTuneCents);
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
    setText(lblCents, QStringLiteral("Play a string"));
    setText(lblFrequency, {});
    speak(QStringLiteral("Nothing heard"), false);
}

void ListenWindow::speak(const QString& text, bool inTune) {
    if (announcer_.due(text, inTune, Announcer::Clock::now()))
        gauge->setAccessibleName(text);
}
