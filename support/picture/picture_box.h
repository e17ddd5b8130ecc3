#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>

// A picture area: it keeps the image last drawn into it and shows it at every repaint, so a
// lit peg stays lit when the window is covered and uncovered. Before anything is drawn it is
// grey. It has no border: pixel (0, 0) of its image lies at its own top-left corner.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The persistent image, the size of the area (or of the loaded picture).
    const QImage& image() const { return image_; }
    bool hasPicture() const { return hasPicture_; }
    // Makes a loaded picture the area's image.
    void setPicture(const QImage& picture);
    // Draws the region sourceRect of the source's surface into the image: the source's picture,
    // and its background colour where its area reaches beyond that picture. Where the region
    // lies outside both, the image keeps what it showed.
    void drawFrom(const PictureBox& source, const QRect& sourceRect);

    // The second click of a double click is no press: it raises doubleClicked() where the area
    // has a double-click handler, and nothing otherwise, so a double click presses it once.
    void setHandlesDoubleClick(bool handles) { handlesDoubleClick_ = handles; }

    // A pressable area (a peg, the switch) is a button to the keyboard and to screen readers:
    // Space or Enter while it has the focus, and a screen reader's press action, act as a press
    // with the left button.
    void setPressable(bool pressable) { pressable_ = pressable; }
    bool isPressable() const { return pressable_; }
    void pressAsLeftButton();

  signals:
    void mouseDown(int16_t button, int16_t shift, float x, float y);
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void fitImageToSize();
    QImage image_;
    bool hasPicture_ = false;
    bool handlesDoubleClick_ = false;
    bool pressable_ = false;
    bool keyboardFocus_ = false; // the focus came by the keyboard: its frame shows
};

// Makes pressable picture areas buttons for screen readers (installed once by the window).
void installPictureBoxAccessibility();
