// Arbitrary bytes through the JPEG decoder: the first two bytes pick the screen, the rest is the file (any
// orientation comes from the file's own Exif segment). It must never crash, leak or read out of bounds,
// and a decoded part must lie inside the buffer it asked for.
#include "tests/pictures/JpegTestFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int screenWidth = 1 + data[0] * 3, screenHeight = 1 + data[1] * 2;
  pictavo::test::MemorySource source(data + 2, size - 2, SIZE_MAX);
  pictavo::test::MemoryTarget target;
  pictavo::JpegPart part;
  if (pictavo::DecodeJpegPart(source, screenWidth, screenHeight, target, part) == pictavo::JpegOutcome::Decoded &&
      (part.sourceLeft < 0 || part.sourceLeft + part.onScreen.width > target.w || part.onScreen.height > target.h))
    __builtin_trap();
  return 0;
}
