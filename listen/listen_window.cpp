#include "listen_window.h"

#include "generated/product.h"
#include "listen/cents_gauge.h"
#include "listen/fitting_label.h"
#include "listen/head_view.h"
#include "listen/listen_instrument.h"
#include "listen/listener.h"
#include "listen/string_names.h"
#include "support/files/file_names.h"
#include "support/pitch/notes.h"
#include "support/pitch/pitch_detector.h"
#include "support/pitch/string_targets.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kFrameMs = 33;

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

ListenWindow::ListenWindow(const QString& tunes, std::optional<double> a4)
    : tunes_(tunes), choices_(loadListenChoices()) {
    setWindowTitle(QStringLiteral(TUNER_TITLE " Listen"));
    if (a4)
        choices_.a4 = a4;
    cboInstrument = new QComboBox(this);
    spinA4 = new QDoubleSpinBox(this);
    spinA4->setRange(Notes::kLowestA4, Notes::kHighestA4);
    spinA4->setDecimals(1);
    spinA4->setSuffix(QStringLiteral(" Hz"));
    spinA4->setValue(choices_.a4.value_or(Notes::kDefaultA4));
    cmdSetA4 = new QPushButton(QStringLiteral("Set A4 from this note"), this);
    cmdSetA4->setToolTip(QStringLiteral("Makes the steady note now heard read 0 cents"));
    cmdSetA4->setEnabled(false);
    cboInput = new QComboBox(this);
    cboChannel = new QComboBox(this);
    head = new HeadView(this);
    head->setFixedSize(192, 275); // the picture at half its size
    head->setAccessibleName(QStringLiteral("Instrument head"));
    gauge = new CentsGauge(this);
    lblNote = new FittingLabel(0.95, QStringLiteral("C#8"), 4, this);
    QFont bold = lblNote->font();
    bold.setBold(true);
    lblNote->setFont(bold);
    lblString = new FittingLabel(0.9, QStringLiteral("String 6"), 1.5, this);
    lblCents = new FittingLabel(0.9, QStringLiteral("-50.0 cents"), 2, this);
    lblWords = new FittingLabel(0.9, QStringLiteral("not a string of Mandolin"), 1.2, this);
    lblFrequency = new QLabel(this);
    lblMicrophone = new QLabel(this);
    lblMicrophone->setWordWrap(true);
    layOut();

    cboInstrument->addItem(anyNoteText());
    for (const QString& folder : listenInstruments(tunes_))
        cboInstrument->addItem(FileNames::readable(folder), folder);
    // An instrument that is gone falls back to any note, as on the very first start.
    cboInstrument->setCurrentIndex(
        std::max(0, cboInstrument->findData(choices_.instrument, Qt::UserRole, Qt::MatchExactly)));
    connect(cboInstrument, &QComboBox::currentIndexChanged, this,
            [this] { cboInstrument_Click(); });
    connect(spinA4, &QDoubleSpinBox::valueChanged, this, [this] {
        shownNeedle_.reset();
        keepChoices();
    });
    connect(cmdSetA4, &QPushButton::clicked, this, [this] { cmdSetA4_Click(); });
    connect(cboInput, &QComboBox::activated, this, [this] { chooseInput(); });
    connect(cboChannel, &QComboBox::activated, this, [this] { chooseInput(); });
    listInputs();

    cboInstrument_Click();
    frameTimer_ = new QTimer(this);
    connect(frameTimer_, &QTimer::timeout, this, [this] { showLatest(); });
    showNothingHeard();
    showMicrophone(Microphone::State::Opening);
}

void ListenWindow::layOut() {
    // The choices beside the head; the reading below, growing with the window.
    auto* form = new QGridLayout;
    const auto row = [&](int at, QWidget* control, const QString& text) {
        QLabel* label = labelFor(control, text, this);
        form->addWidget(label, at, 0);
        form->addWidget(control, at, 1);
        return label;
    };
    row(0, cboInstrument, QStringLiteral("Instrument"));
    QLabel* a4Label = row(1, spinA4, QStringLiteral("A4"));
    form->addWidget(cmdSetA4, 2, 1);
    row(3, cboInput, QStringLiteral("Input"));
    QLabel* channelLabel = row(4, cboChannel, QStringLiteral("Channel"));
    form->setRowStretch(5, 1);
    form->setColumnMinimumWidth(1, 220);
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(head, 0, Qt::AlignTop);
    auto* figures = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(lblString), static_cast<QWidget*>(lblCents),
                       static_cast<QWidget*>(lblWords), static_cast<QWidget*>(lblFrequency)})
        figures->addWidget(w);
    auto* readout = new QHBoxLayout;
    readout->addWidget(lblNote, 1);
    readout->addLayout(figures, 1);
    auto* window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addLayout(readout, 3);
    window->addWidget(gauge, 1);
    window->addWidget(lblMicrophone);
    // The reference A4 and its button belong to any note; the channel to an input of several.
    const auto anyNote = [this, a4Label] {
        for (QWidget* w : {static_cast<QWidget*>(a4Label), static_cast<QWidget*>(spinA4),
                           static_cast<QWidget*>(cmdSetA4)})
            w->setVisible(cboInstrument->currentIndex() == 0);
    };
    connect(cboInstrument, &QComboBox::currentIndexChanged, this, anyNote);
    connect(cboChannel, &QComboBox::currentIndexChanged, channelLabel,
            [this, channelLabel] { channelLabel->setVisible(cboChannel->isVisibleTo(this)); });
    anyNote();
    QWidget* const order[] = {cboInstrument, spinA4, cmdSetA4, cboInput, cboChannel, gauge};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    lblMicrophone->setText(Microphone::describe(Microphone::State::CannotOpen));
    resize(sizeHint());
    setMinimumSize(sizeHint() * 0.8);
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
    chooseInput();
    measureStrings();
    // Drawn at the display's rate, and at most 30 times a second: the needle moves smoothly
    // at that rate, and the listener holds the newest reading.
    const double rate = screen() ? screen()->refreshRate() : 60;
    frameTimer_->start(std::max(kFrameMs, int(std::lround(1000 / std::max(rate, 1.0)))));
    showLatest();
}

ListenWindow::~ListenWindow() {
    if (measuring_.valid())
        measuring_.wait();
}

void ListenWindow::cboInstrument_Click() {
    targets_.clear();
    stringOfTarget_.clear();
    noteOfTarget_.clear();
    shownNeedle_.reset();
    steadyClock_.invalidate(); // a note held before counts as steady no more
    const QVariant folder = cboInstrument->currentData();
    recordings_.clear();
    if (folder.isValid()) {
        const ListenInstrument instrument = readListenInstrument(tunes_ + folder.toString() + u'/');
        head->setPictures(instrument.dark, instrument.lit, instrument.pegs);
        recordings_ = instrument.recordings;
    } else {
        head->setPictures({}, {}, {});
    }
    keepChoices();
    if (listener_)
        measureStrings();
}

void ListenWindow::measureStrings() {
    // The measurements share one cache, so one runs at a time: an instrument chosen meanwhile
    // is measured once the one before is done, and the window never waits for it.
    if (measuring_.valid()) {
        measureAgain_ = true;
        return;
    }
    measureAgain_ = false;
    if (!recordings_.isEmpty())
        measuring_ = std::async(std::launch::async, measureTargets, recordings_);
    else
        listener_->setLowestNote(PitchDetector::kLowestNote);
}

void ListenWindow::takeMeasurements() {
    if (!measuring_.valid() ||
        measuring_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    const std::vector<double> measured = measuring_.get();
    if (measureAgain_) {
        measureStrings();
        return;
    }
    for (std::size_t k = 0; k < measured.size() && k < 6; ++k)
        if (measured[k] > 0) {
            targets_.push_back(measured[k]);
            stringOfTarget_.push_back(int(k));
        }
    instrumentA4_ = Notes::fittingA4(targets_);
    for (std::size_t t = 0; t < targets_.size(); ++t)
        noteOfTarget_.append(
            stringNote(recordings_[stringOfTarget_[t]], targets_[t], instrumentA4_));
    // Any note is heard, so that a note that is no string is named too; a string tuned far
    // below its target, down to a fifth, as well.
    const double lowest = targets_.empty() ? PitchDetector::kLowestNote
                                           : *std::min_element(targets_.begin(), targets_.end()) *
                                                 std::exp2(-kStringSlackCents / 1200);
    listener_->setLowestNote(
        std::max(std::min(lowest, PitchDetector::kLowestNote), PitchDetector::kLowestPossible),
        targets_);
    shownNeedle_.reset();
}

void ListenWindow::cmdSetA4_Click() {
    // The note heard now, not the one last drawn.
    const NeedleReading needle = listener_ ? listener_->latest().needle : NeedleReading{};
    if (!needle.heard)
        return;
    const Notes::Note note = Notes::nearestNote(needle.frequency, spinA4->value());
    spinA4->setValue(std::clamp(spinA4->value() * std::exp2(note.cents / 1200), Notes::kLowestA4,
                                Notes::kHighestA4));
}

void ListenWindow::keepChoices() {
    choices_.instrument = cboInstrument->currentData().toString();
    choices_.a4 = spinA4->value();
    saveListenChoices(choices_);
}
