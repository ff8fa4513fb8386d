#include "tests/pictures/TestPictures_win.h"

#include <cstdlib>

#include "tests/pictures/JpegTestFiles.h"

namespace pictavo::test {

std::string EncodePicture(PictureFormat format, int width, int height, const std::function<uint32_t(int, int)>& rgb,
                          int orientation) {
  if (format == PictureFormat::Jpeg) {
    const std::vector<uint8_t> jpeg =
        EncodeJpeg({"picture", width, height, JCS_RGB, 1, 1}, orientation == 0 ? 1 : orientation,
                   [&](int x, int y, int ch) { return static_cast<uint8_t>(rgb(x, y) >> (16 - 8 * ch)); });
    return std::string(jpeg.begin(), jpeg.end());
  }
  return Bmp24(width, height, rgb);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift & 0xFF) - (b >> shift & 0xFF))) > tolerance) return false;
  return true;
}

}  // namespace pictavo::test
