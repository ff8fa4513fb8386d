// libFuzzer: picture heads and run-length bitmaps from arbitrary bytes. Neither may read outside the
// input, overflow, or allocate past the budget; a decoded picture always has width * height pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "pictures/PictureHeader.h"
#include "pictures/RleBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictavo;
  const PictureHeader header = ReadPictureHeader(data, size < kPictureHeadBytes ? size : kPictureHeadBytes);
  if (!header.malformed && header.format != PictureHeader::Format::Unknown &&
      (header.width <= 0 || header.height <= 0 || header.bytesPerPixel <= 0))
    std::abort();
  RefuseBeforeDecoding(header);
  // A small budget keeps each run quick; the bound is what is checked.
  constexpr uint64_t kBudget = uint64_t{4} << 20;
  if (const auto picture = DecodeRleBitmap(data, size, kBudget)) {
    const uint64_t pixels = static_cast<uint64_t>(picture->width) * static_cast<uint64_t>(picture->height);
    if (pixels * 4 > kBudget || picture->pixels.size() != pixels) std::abort();
  }
  return 0;
}
