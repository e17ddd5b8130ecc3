#include "artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace Artwork {
namespace {

const QColor kBackgroundTop(38, 42, 52);
const QColor kBackgroundBottom(18, 20, 26);
const QColor kString(214, 206, 186);
const QColor kMetal(150, 154, 162);

QFont labelFont(int pixels) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

bool leftSide(const QRect& area) {
    return area.center().x() < kPictureWidth / 2;
}

// Where a peg's string leaves the headstock.
QPointF postOf(const QRect& area) {
    return QPointF(leftSide(area) ? 152 : 232, area.center().y());
}

void drawBackground(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kPictureHeight);
    sky.setColorAt(0, kBackgroundTop);
    sky.setColorAt(1, kBackgroundBottom);
    p.fillRect(QRect(0, 0, kPictureWidth, kPictureHeight), sky);
}

void drawHeadstock(QPainter& p, const HeadDesign& d) {
    int top = 420, bottom = 0;
    for (const Peg& peg : d.pegs)
        if (!peg.area.isEmpty()) {
            top = std::min(top, peg.area.top());
            bottom = std::max(bottom, peg.area.bottom());
        }
    top = std::max(40, top - 6);
    bottom = std::min(400, bottom + 30);
    const int nut = bottom + 12;

    // Neck down to the lower edge, fingerboard darker.
    p.setPen(Qt::NoPen);
    p.setBrush(d.wood.darker(130));
    p.drawRect(QRectF(160, nut, 64, kPictureHeight - nut));
    p.setBrush(QColor(40, 30, 26));
    p.drawRect(QRectF(164, nut, 56, kPictureHeight - nut));
    p.setBrush(kMetal);
    for (int fret = 1; fret < 6; ++fret)
        p.drawRect(QRectF(164, nut + fret * 34.0 - fret * fret * 1.2, 56, 2));

    // Headstock: a rounded plate between the two rows of pegs.
    QPainterPath head;
    head.moveTo(158, nut);
    head.lineTo(140, top + 30);
    head.quadTo(192, top - 22, 244, top + 30);
    head.lineTo(226, nut);
    head.closeSubpath();
    QLinearGradient grain(140, 0, 244, 0);
    grain.setColorAt(0, d.wood.darker(140));
    grain.setColorAt(0.5, d.wood.lighter(115));
    grain.setColorAt(1, d.wood.darker(140));
    p.setBrush(grain);
    p.setPen(QPen(d.wood.darker(200), 2));
    p.drawPath(head);

    // Nut and strings.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 230, 214));
    p.drawRect(QRectF(158, nut - 4, 68, 6));
    QList<const Peg*> used;
    for (const Peg& peg : d.pegs)
        if (!peg.area.isEmpty())
            used << &peg;
    std::sort(used.begin(), used.end(), [](const Peg* a, const Peg* b) {
        const QPointF pa = postOf(a->area), pb = postOf(b->area);
        // Strings that do not cross: on the left the post nearest the nut takes the outer
        // slot, on the right the one farthest from it takes the inner slot.
        return pa.x() != pb.x() ? pa.x() < pb.x()
                                : (pa.x() < 192 ? pa.y() > pb.y() : pa.y() < pb.y());
    });
    for (int i = 0; i < used.size(); ++i) {
        const double x = 170 + 44.0 * (i + 0.5) / used.size();
        const QPointF post = postOf(used[i]->area);
        p.setPen(QPen(kString, 1.6));
        p.drawLine(post, QPointF(x, nut - 2));
        p.drawLine(QPointF(x, nut - 2), QPointF(x, kPictureHeight));
        p.setPen(QPen(d.wood.darker(220), 1));
        p.setBrush(kMetal.lighter(120));
        p.drawEllipse(post, 5, 5);
    }
}

void drawTitle(QPainter& p, const HeadDesign& d) {
    p.setPen(QColor(200, 204, 214));
    p.setFont(labelFont(20));
    p.drawText(QRect(0, 6, kPictureWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter, d.title);
}

QRectF buttonOf(const QRect& area) {
    const QPointF centre = QRectF(area).center();
    return QRectF(centre.x() - 30, centre.y() - 22, 60, 44);
}

// The shaft from a tuning key's button to the headstock; the same in both looks.
void drawShaft(QPainter& p, const Peg& peg) {
    const QRectF button = buttonOf(peg.area);
    const QPointF post = postOf(peg.area);
    const bool left = leftSide(peg.area);
    const double from = left ? button.right() - 6 : post.x();
    const double to = left ? post.x() : button.left() + 6;
    p.setPen(Qt::NoPen);
    p.setBrush(kMetal.darker(115));
    p.drawRect(QRectF(from, button.center().y() - 4, to - from, 8));
}

// A tuning key's button with the note on it.
void drawPeg(QPainter& p, const HeadDesign& d, const Peg& peg, bool lit) {
    const QRectF button = buttonOf(peg.area);
    const QPointF centre = button.center();

    p.setPen(Qt::NoPen);
    if (lit) {
        QRadialGradient halo(centre, 46);
        QColor glow = d.light;
        glow.setAlpha(150);
        halo.setColorAt(0, glow);
        glow.setAlpha(0);
        halo.setColorAt(1, glow);
        p.setBrush(halo);
        p.drawEllipse(centre, 46, 40);
    }
    QLinearGradient face(button.topLeft(), button.bottomLeft());
    const QColor base = lit ? d.light : QColor(92, 96, 106);
    face.setColorAt(0, base.lighter(lit ? 130 : 140));
    face.setColorAt(1, base.darker(lit ? 120 : 140));
    p.setBrush(face);
    p.setPen(QPen(lit ? d.light.darker(170) : QColor(30, 32, 38), 2));
    p.drawRoundedRect(button, 20, 20);

    p.setFont(labelFont(18));
    p.setPen(lit ? QColor(40, 24, 0) : QColor(214, 218, 226));
    p.drawText(button, Qt::AlignCenter, peg.note);
}

// The mode switch: on (knob right, lit) means the pressed string loops; off plays it once.
void drawSwitch(QPainter& p, const HeadDesign& d, bool on) {
    const QRectF area(kSwitchArea);
    const QRectF track = area.adjusted(6, 18, -6, -6);
    p.setPen(QPen(QColor(14, 15, 19), 2));
    p.setBrush(on ? d.light.darker(160) : QColor(58, 62, 72));
    p.drawRoundedRect(track, 14, 14);
    const QRectF knob = on ? QRectF(track.right() - 30, track.top() + 2, 28, track.height() - 4)
                           : QRectF(track.left() + 2, track.top() + 2, 28, track.height() - 4);
    p.setBrush(on ? d.light : QColor(170, 174, 182));
    p.drawEllipse(knob);
    p.setFont(labelFont(12));
    p.setPen(on ? d.light : QColor(170, 174, 182));
    p.drawText(QRectF(area.left(), area.top(), area.width(), 17), Qt::AlignCenter,
               on ? QStringLiteral("LOOP") : QStringLiteral("ONCE"));
    p.setPen(on ? QColor(30, 20, 0) : QColor(210, 212, 218));
    p.drawText(on ? track.adjusted(8, 0, -32, 0) : track.adjusted(32, 0, -8, 0), Qt::AlignCenter,
               on ? QStringLiteral("\u221E") : QStringLiteral("1\u00D7"));
}

QList<QRgb> classicPalette() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

} // namespace

QImage drawHead(const HeadDesign& design, bool lit) {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawBackground(p);
    drawTitle(p, design);
    drawHeadstock(p, design);
    for (const Peg& peg : design.pegs)
        if (!peg.area.isEmpty())
            drawShaft(p, peg);
    for (const Peg& peg : design.pegs)
        if (!peg.area.isEmpty()) {
            // Each peg is drawn inside its own area only, so that copying the area from the
            // other picture shows exactly its other look.
            p.save();
            p.setClipRect(peg.area);
            drawPeg(p, design, peg, lit);
            p.restore();
        }
    p.save();
    p.setClipRect(kSwitchArea);
    p.fillRect(kSwitchArea, QColor(24, 26, 32));
    drawSwitch(p, design, lit);
    p.restore();
    p.end();
    return image;
}

QImage iconImage() {
    HeadDesign d;
    d.title = QString();
    d.wood = QColor(150, 60, 30);
    d.light = QColor(255, 220, 0);
    d.pegs[0] = {QRect(20, 250, 120, 110), QString()};
    d.pegs[1] = {QRect(20, 130, 120, 110), QString()};
    d.pegs[2] = {QRect(244, 130, 120, 110), QString()};
    d.pegs[3] = {QRect(244, 250, 120, 110), QString()};
    QImage head = drawHead(d, false);
    {
        // One peg lit, as the program shows a sounding string.
        const QImage lit = drawHead(d, true);
        QPainter p(&head);
        p.drawImage(d.pegs[1].area.topLeft(), lit, d.pegs[1].area);
    }
    const QImage square = head.copy(0, 90, kPictureWidth, kPictureWidth);
    const QImage small = square.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return small.convertToFormat(QImage::Format_Indexed8, classicPalette(), Qt::ThresholdDither);
}

} // namespace Artwork
