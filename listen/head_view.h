#pragma once
// The instrument's head, dark, with the string heard lit: its peg area taken from the lit
// picture, as the tuner lights a peg. Drawn scaled to the view.

#include <QImage>
#include <QRect>
#include <QWidget>
#include <array>

class HeadView : public QWidget {
    Q_OBJECT
  public:
    explicit HeadView(QWidget* parent = nullptr);
    void setPictures(const QImage& dark, const QImage& lit, const std::array<QRect, 6>& pegs);
    // The string lit (0 for the first), or -1 for none.
    void setLitString(int string);
    int litString() const { return litString_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage dark_, lit_;
    QImage scaledDark_, scaledLit_; // at the view's size
    std::array<QRect, 6> pegs_{};
    int litString_ = -1;
};
