#pragma once
// A gauge from -50 to +50 cents with the in-tune zone marked and a needle; greyed, its needle at
// rest in the middle, while nothing is heard. To a screen reader it is an indicator whose name
// says what the gauge shows ("String 2, A2, 4.5 cents flat").

#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <optional>

class QPainter;

class CentsGauge : public QWidget {
    Q_OBJECT
  public:
    static constexpr double kRange = 50;

    explicit CentsGauge(QWidget* parent = nullptr);
    // The cents to show, or none (nothing heard).
    void setCents(std::optional<double> cents);
    std::optional<double> cents() const { return cents_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRectF scaleArea() const;
    double xOf(double cents) const;
    QRect needleStrip() const;
    void drawScale(QPainter& painter, bool heard) const;

    std::optional<double> cents_;
    QPixmap activeScale_, greyScale_; // the scale without the needle, at the gauge's size
};
