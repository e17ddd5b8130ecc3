// The window itself: its controls at their places, the focus order, loading and closing.
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "generated/product.h"
#include "support/picture/head_layout.h"
#include "support/picture/picture_box.h"
#include "support/picture/picture_copy.h"
#include "support/step.h"
#include "ui/list_controls.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

QFont arialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

void colour(QWidget& widget, QColor background, QColor text) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Button, background);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    widget.setPalette(palette);
}

QComboBox* dropDown(QWidget* parent, const QString& text, QColor textColour) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr); // typed text stays as typed, never completed to an entry
    // Its size is fixed: measuring every entry (a thousand instruments) would be wasted.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // An entry is picked from the list only: leaving the edit field or pressing Enter with an
    // entry's text in it must not count as a pick.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
    QObject::disconnect(box->lineEdit(), &QLineEdit::returnPressed, box, nullptr);
    box->setEditText(text);
    box->setFont(arialBold(12));
    colour(*box, QColor(64, 64, 64), textColour);
    colour(*box->lineEdit(), QColor(64, 64, 64), textColour);
    return box;
}

} // namespace

Tuner::Tuner(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // A tool window does not end the program when it closes unless it is told to.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QStringLiteral(TUNER_TITLE));
    setAutoFillBackground(false);
    // The size of the design, until Form_Load gives the window its run-time size.
    setFixedSize(385, 687);
    installPictureBoxAccessibility();
    createControls();
    connectHandlers();
}

Tuner::~Tuner() {
    // The controls outlive this part of the window by a moment; nothing they signal while
    // they are taken down may reach a handler.
    for (QObject* child : children())
        child->blockSignals(true);
}

void Tuner::createControls() {
    for (size_t k = 0; k < picTuner.size(); ++k) {
        picTuner[k] = new PictureBox(this);
        picTuner[k]->setObjectName(QStringLiteral("picTuner%1").arg(k));
        picTuner[k]->setGeometry(HeadLayout::kPegAreas[k]);
        picTuner[k]->setPressable(true);
    }
    picSwitch = new PictureBox(this);
    picSwitch->setObjectName(QStringLiteral("picSwitch"));
    picSwitch->setGeometry(HeadLayout::kSwitchArea);
    picSwitch->setHandlesDoubleClick(true);
    picSwitch->setPressable(true);

    picAllOn = new PictureBox(this);
    picAllOn->setObjectName(QStringLiteral("picAllOn"));
    picAllOn->setGeometry(QRect(QPoint(790, 0), HeadLayout::kPictureSize));
    picAllOff = new PictureBox(this);
    picAllOff->setObjectName(QStringLiteral("picAllOff"));
    picAllOff->setGeometry(QRect(QPoint(400, 0), HeadLayout::kPictureSize));

    cboInstrument = dropDown(this, QStringLiteral("Mandoline"), QColor(192, 192, 255));
    cboInstrument->setObjectName(QStringLiteral("cboInstrument"));
    cboInstrument->setGeometry(256, 506, 113, 27);
    // Instruments are chosen from the list only: nothing typed or pasted reaches the text. Keys
    // reach the drop-down itself, which holds the focus for its edit field.
    cboInstrument->lineEdit()->setReadOnly(true);
    cboInstrument->installEventFilter(this);
    // The open list gets its keys before the list's own handling (filters run newest first).
    cboInstrument->view()->installEventFilter(this);

    TunerFiles = new FileList(this);
    TunerFiles->setObjectName(QStringLiteral("TunerFiles"));
    TunerFiles->setGeometry(268, 556, 103, 126);
    TunerFiles->setFont(arialBold(9));
    colour(*TunerFiles, Qt::white, Qt::black);

    TunersDir = new DirectoryList(this);
    TunersDir->setObjectName(QStringLiteral("TunersDir"));
    TunersDir->setGeometry(148, 560, 115, 118);
    TunersDir->setFont(arialBold(8.25));

    Command1 = new QPushButton(QStringLiteral("Make INI"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(54, 644, 83, 33);
    Command1->setFont(arialBold(9));
    Command1->setAutoDefault(false);

    cboOptions = dropDown(this, QStringLiteral("plucked"), QColor(192, 255, 192));
    cboOptions->setObjectName(QStringLiteral("cboOptions"));
    cboOptions->setGeometry(256, 454, 113, 27);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    nameControls();

    const QList<QWidget*> focusOrder = {
        picTuner[0], picTuner[1], picTuner[2],   picTuner[3], picTuner[4], picTuner[5], picSwitch,
        picAllOn,    picAllOff,   cboInstrument, TunerFiles,  TunersDir,   Command1,    cboOptions};
    for (QWidget* w : focusOrder)
        if (w->focusPolicy() == Qt::NoFocus)
            w->setFocusPolicy(Qt::TabFocus);
    for (qsizetype i = 0; i + 1 < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i], focusOrder[i + 1]);
}

void Tuner::connectHandlers() {
    // Every handler the window system raises runs to its end, a failure never leaves it, and
    // what it changed is told to screen readers.
    const auto guarded = [this](auto handler) {
        return [this, handler](auto&&...) {
            attempt(handler);
            describeControls();
        };
    };
    for (int16_t k = 0; k < int16_t(picTuner.size()); ++k)
        connect(picTuner[k], &PictureBox::mouseDown, this,
                [this, k](int16_t button, int16_t shift, float x, float y) {
                    // A press changes no name: the pegs' recordings and the mode stay.
                    attempt([&] { picTuner_MouseDown(k, button, shift, x, y); });
                });
    connect(picSwitch, &PictureBox::mouseDown, this,
            [this](int16_t button, int16_t shift, float x, float y) {
                attempt([&] { picSwitch_MouseDown(button, shift, x, y); });
                describeControls();
            });
    connect(picSwitch, &PictureBox::doubleClicked, this, guarded([this] { picSwitch_DblClick(); }));
    connect(cboInstrument, &QComboBox::activated, this, [this] { runInstrumentSelection(); });
    connect(cboOptions, &QComboBox::activated, this, guarded([this] { cboOptions_Click(); }));
    connect(TunerFiles, &FileList::picked, this, guarded([this] { TunerFiles_Click(); }));
    connect(TunersDir, &DirectoryList::changed, this, guarded([this] { TunersDir_Change(); }));
    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
    connect(Timer1, &QTimer::timeout, this, guarded([this] { Timer1_Timer(); }));
}

void Tuner::setOuterHeight(int twips) {
    outerHeightTwips_ = twips;
    setFixedHeight(std::max(0, twips / Commands::TwipsPerPixel - kFrameHeight));
}

void Tuner::setOuterWidth(int twips) {
    outerWidthTwips_ = twips;
    setFixedWidth(std::max(0, twips / Commands::TwipsPerPixel - kFrameWidth));
}

void Tuner::setTop(int twips) {
    topTwips_ = twips;
    move(leftTwips_ / Commands::TwipsPerPixel, topTwips_ / Commands::TwipsPerPixel);
}

void Tuner::setLeft(int twips) {
    leftTwips_ = twips;
    move(leftTwips_ / Commands::TwipsPerPixel, topTwips_ / Commands::TwipsPerPixel);
}

void Tuner::Form_Load() {
    setOuterHeight(kOuterHeightTwips);
    setOuterWidth(kOuterWidthTwips);
    attempt([&] { Commands::CenterForm(*this); }); // fails without a screen
    cboOptions->hide();
    AppModul::SwitchOn = 1;
}

void Tuner::Form_Unload(int16_t& Cancel) {
    (void)Cancel; // left as it is: the window always closes
    AppModul::SwitchOn = 0;
}

void Tuner::closeEvent(QCloseEvent* event) {
    int16_t cancel = 0;
    Form_Unload(cancel);
    event->accept();
}

void Tuner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(192, 192, 192));
    if (!background_.isNull())
        painter.drawImage(0, 0, background_);
}
