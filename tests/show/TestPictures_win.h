// Pictures made by the tests themselves: encoded with the Windows Imaging Component, plus a few
// deliberately broken files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace pictavo::test {

enum class PictureFormat { Bmp, Jpeg, Png };

// A picture of width x height whose pixel (x, y) has the colour rgb(x, y) (0x00RRGGBB). A JPEG gets an
// Exif segment with this orientation when it is not 0.
std::string EncodePicture(PictureFormat format, int width, int height, const std::function<uint32_t(int, int)>& rgb,
                          int orientation = 0);

// A Windows bitmap header that claims width x height with hardly any pixel data behind it.
std::string LyingBmp(int32_t width, int32_t height);

// Colour of the coordinate pattern: every pixel of a picture up to 4096 x 4096 differs from its neighbours.
inline uint32_t CoordinateColour(int x, int y) {
  return static_cast<uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x >> 8) & 0xF) << 4 | ((y >> 8) & 0xF));
}

// Channel-wise closeness, for lossy JPEG.
inline bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

}  // namespace pictavo::test
