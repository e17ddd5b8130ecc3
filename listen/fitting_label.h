#pragma once
// A label whose letters grow with the room the window gives it, to be read at arm's length: its
// font fills its height (and no more than its width allows the longest text it will show), and
// the window's layout, not its text, decides its size, so that a new text costs no layout.

#include <QLabel>

class FittingLabel : public QLabel {
    Q_OBJECT
  public:
    // share: of the label's height, the part its letters' line takes; longest: the widest text
    // it will show; lines: the height it asks for at first, in lines of the window's font.
    FittingLabel(double share, const QString& longest, double lines, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    double share_;
    QString longest_;
    double lines_;
};
