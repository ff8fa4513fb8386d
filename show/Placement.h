// Where the show puts its texts, and the pointer rule that ends the show (pictures are centred by
// pictures/VisiblePart.h). Plain C++, pixels.
#pragma once
#include "pictures/VisiblePart.h"

namespace pictavo {

// The top-left corner of a one-line text of textWidth x textHeight centred in a box.
struct TextOrigin {
  int x = 0;
  int y = 0;
};
constexpr TextOrigin CenterText(int boxWidth, int boxHeight, int textWidth, int textHeight) {
  return {boxWidth / 2 - textWidth / 2, boxHeight / 2 - textHeight / 2};
}

// The first pointer position seen is recorded; a later one elsewhere ends the show. (0, 0) counts as
// nothing recorded.
class PointerWatch {
 public:
  // true when this move ends the show.
  bool Move(int x, int y) {
    if (lastX_ == 0 && lastY_ == 0) {
      lastX_ = x;
      lastY_ = y;
      return false;
    }
    return x != lastX_ || y != lastY_;
  }
  void Forget() { lastX_ = lastY_ = 0; }
  // The window moved by (-dx, -dy): the recorded spot on the screen is now at (x + dx, y + dy) in it.
  void Shift(int dx, int dy) {
    if (lastX_ == 0 && lastY_ == 0) return;
    lastX_ += dx;
    lastY_ += dy;
  }
  int LastX() const { return lastX_; }
  int LastY() const { return lastY_; }

 private:
  int lastX_ = 0;
  int lastY_ = 0;
};

}  // namespace pictavo
