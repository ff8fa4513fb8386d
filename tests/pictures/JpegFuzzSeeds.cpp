// Writes the JPEG fuzzer's starting inputs into a directory: small pictures of each layout the decoder
// handles, each behind the two bytes that pick the screen (10, 12: 31 x 25, smaller than the picture).
#include <cstdio>
#include <string>

#include "tests/pictures/JpegTestFiles.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const struct { pictavo::test::JpegLayout layout; int orientation; } seeds[] = {
      {{"baseline-420", 37, 29, JCS_RGB, 2, 2}, 1},
      {{"444-turned", 37, 29, JCS_RGB, 1, 1}, 6},
      {{"progressive", 37, 29, JCS_RGB, 2, 1, true}, 8},
      {{"arithmetic-restart", 37, 29, JCS_RGB, 2, 2, false, 1, true}, 3},
      {{"grey", 37, 29, JCS_GRAYSCALE, 1, 1}, 1},
      {{"cmyk", 37, 29, JCS_CMYK, 1, 1}, 1}};
  for (const auto& s : seeds) {
    std::vector<uint8_t> seed = {10, 12}, jpeg = pictavo::test::EncodeJpeg(
        s.layout, s.orientation, [](int x, int y, int ch) { return static_cast<uint8_t>(x * 5 + y * 11 + ch * 40); });
    seed.insert(seed.end(), jpeg.begin(), jpeg.end());
    if (FILE* f = std::fopen((std::string(argv[1]) + "/" + s.layout.name + ".bin").c_str(), "wb"))
      std::fwrite(seed.data(), 1, seed.size(), f), std::fclose(f);
  }
  return 0;
}
