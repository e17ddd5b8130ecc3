#pragma once
// Window placement in twips (1440 per inch, 15 per pixel at 96 dots per inch).

namespace Commands {

inline constexpr int TwipsPerPixel = 15;

// A window as the placement sees it: its outer size and position in twips.
class TwipsWindow {
  public:
    virtual ~TwipsWindow() = default;
    virtual int Height() const = 0;
    virtual int Width() const = 0;
    virtual int Top() const = 0;
    virtual int Left() const = 0;
    virtual void setTop(int twips) = 0;
    virtual void setLeft(int twips) = 0;
};

// Centres the window horizontally and within the upper 85 per cent of the screen vertically;
// a window that would stick out at the top or left is moved to that edge. The screen's top-left
// corner lies at the origin in desktop coordinates (not 0 where another monitor lies left of or
// above the primary one).
void CenterForm(TwipsWindow& form, int screenWidthTwips, int screenHeightTwips,
                int originLeftTwips = 0, int originTopTwips = 0);

// The same on the primary screen.
void CenterForm(TwipsWindow& form);

} // namespace Commands
