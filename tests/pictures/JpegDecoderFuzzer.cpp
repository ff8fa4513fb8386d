// Arbitrary bytes through the JPEG decoder: the first two bytes pick the screen, the rest is the file (any
// orientation comes from the file's own Exif segment). It must never crash, leak or read out of bounds,
// and a decoded part must lie inside the buffer it asked for.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pictures/JpegDecoder.h"

namespace {

class Bytes final : public pictavo::ByteSource {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    const size_t n = size < size_ - at_ ? size : size_ - at_;
    if (n > 0) std::memcpy(buffer, data_ + at_, n);
    at_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_, at_ = 0;
};

class Target final : public pictavo::TargetAllocator {
 public:
  pictavo::PixelTarget Allocate(int width, int height) noexcept override {
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > (uint64_t{64} << 20)) return {};
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    w = width, h = height;
    return {pixels.data(), static_cast<size_t>(width)};
  }
  std::vector<uint32_t> pixels;
  int w = 0, h = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int screenWidth = 1 + data[0] * 3, screenHeight = 1 + data[1] * 2;
  Bytes source(data + 2, size - 2);
  Target target;
  pictavo::JpegPart part;
  if (pictavo::DecodeJpegPart(source, screenWidth, screenHeight, target, part) == pictavo::JpegOutcome::Decoded) {
    if (part.sourceLeft < 0 || part.sourceLeft + part.onScreen.width > target.w || part.onScreen.height > target.h)
      __builtin_trap();
  }
  return 0;
}
