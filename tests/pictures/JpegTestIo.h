// The JPEG decoder's input and output in memory, for its tests and its fuzzer: a file read in chunks,
// and pixels kept in a vector whose rows are longer than the picture's, as a DIB's may be.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pictures/JpegDecoder.h"

namespace pictavo::test {

class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size, size_t chunk = 4096) : data_(data), size_(size), chunk_(chunk) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    const size_t n = std::min({size, size_ - at_, chunk_});
    if (n > 0) std::memcpy(buffer, data_ + at_, n);
    at_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_, chunk_, at_ = 0;
};

class MemoryTarget final : public TargetAllocator {
 public:
  // Refuses more than 64 M pixels, as a screen-sized canvas never needs; fills with a colour no decode gives.
  PixelTarget Allocate(int width, int height) noexcept override {
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > (uint64_t{64} << 20)) return {};
    w = width, h = height;
    stride = static_cast<size_t>(width) + 3;
    pixels.assign(stride * static_cast<size_t>(height), 0xDEADBEEF);
    return {pixels.data(), stride};
  }
  uint32_t At(const JpegPart& part, int x, int y) const {
    return pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(part.sourceLeft + x)] & 0xFFFFFF;
  }
  std::vector<uint32_t> pixels;
  size_t stride = 0;
  int w = 0, h = 0;
};

}  // namespace pictavo::test
