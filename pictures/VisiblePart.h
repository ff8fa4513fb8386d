// Where a picture's visible part lies when it is centred, unscaled, on a screen: the centring rule, the
// part of the picture that can be seen, and the decode size limit. Plain C++, pixels.
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

// Decoding a picture needs its full size in 32-bit pixels at some point; beyond this it is refused.
inline constexpr uint64_t kMaxDecodeBytes = uint64_t{1} << 30;
constexpr bool DecodeSizeAcceptable(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > 0x7fffffff || height > 0x7fffffff) return false;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u <= kMaxDecodeBytes;
}

}  // namespace pictavo
