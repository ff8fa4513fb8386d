// Where the show puts things: the centring rule, the part of a picture that can be seen, the text
// position, the pointer rule that ends the show, and the decode size limit. Plain C++, pixels.
#pragma once
#include <cstdint>

namespace pictavo {

// (inner - size) halved toward zero: negative for a picture larger than the screen.
constexpr int CenterOffset(int inner, int size) {
  return static_cast<int>((static_cast<int64_t>(inner) - size) / 2);
}

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool Contains(int x, int y) const { return x >= left && y >= top && x < left + width && y < top + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A picture of pictureWidth x pictureHeight centred on a screen of screenWidth x screenHeight.
struct Placement {
  PixelRect onScreen;  // where the visible part lands, in screen pixels
  PixelRect source;    // the visible part, in the picture's own pixels
};
Placement PlaceCentred(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight);

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

// Decoding a picture needs its full size in 32-bit pixels at some point; beyond this it is refused.
inline constexpr uint64_t kMaxDecodeBytes = uint64_t{1} << 30;
constexpr bool DecodeSizeAcceptable(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > 0x7fffffff || height > 0x7fffffff) return false;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u <= kMaxDecodeBytes;
}

}  // namespace pictavo
