#include "pictures/RleBitmap.h"

#include <algorithm>

namespace pictavo {
namespace {

uint32_t Le16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;

// Writes decoded indices into a bottom-up picture, dropping whatever falls outside it.
class Canvas {
 public:
  Canvas(RleBitmap& out, const uint32_t* palette, size_t paletteSize)
      : out_(out), palette_(palette), paletteSize_(paletteSize) {}
  bool Done() const { return y_ >= out_.height; }
  void Put(uint8_t index) {
    if (x_ < out_.width && y_ < out_.height) {
      const size_t row = static_cast<size_t>(out_.height - 1 - y_);
      out_.pixels[row * static_cast<size_t>(out_.width) + static_cast<size_t>(x_)] =
          index < paletteSize_ ? palette_[index] : 0;
    }
    ++x_;
  }
  // Pixels a run would put past the right edge are lost; x stays bounded all the same.
  int64_t Room() const { return std::max<int64_t>(0, out_.width - x_); }
  void Skip(int64_t count) { x_ = std::min<int64_t>(x_ + count, int64_t{out_.width} + 1); }
  void EndOfLine() {
    x_ = 0;
    ++y_;
  }
  void Delta(int dx, int dy) {
    Skip(dx);
    y_ += dy;
  }

 private:
  RleBitmap& out_;
  const uint32_t* palette_;
  size_t paletteSize_;
  int64_t x_ = 0;
  int64_t y_ = 0;
};

void DecodeRuns(const uint8_t* data, size_t size, bool fourBit, Canvas& canvas) {
  size_t at = 0;
  while (at + 2 <= size && !canvas.Done()) {
    const uint8_t count = data[at];
    const uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {  // an encoded run: one index, or two alternating nibbles
      const int64_t put = std::min<int64_t>(count, canvas.Room());
      for (int64_t k = 0; k < put; ++k)
        canvas.Put(fourBit ? static_cast<uint8_t>(k % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      canvas.Skip(count - put);
      continue;
    }
    switch (value) {
      case 0:
        canvas.EndOfLine();
        break;
      case 1:
        return;  // end of bitmap: the rest stays black
      case 2:
        if (at + 2 > size) return;
        canvas.Delta(data[at], data[at + 1]);
        at += 2;
        break;
      default: {  // an absolute run of `value` indices, its bytes padded to a whole 16-bit word
        const size_t bytes = fourBit ? (size_t{value} + 1) / 2 : value;
        const size_t available = std::min(bytes, size - at);
        const int64_t put = std::min<int64_t>(value, canvas.Room());
        for (int64_t k = 0; k < put; ++k) {
          const size_t byte = fourBit ? static_cast<size_t>(k / 2) : static_cast<size_t>(k);
          if (byte >= available) return;  // the data ends inside the run
          const uint8_t b = data[at + byte];
          canvas.Put(fourBit ? static_cast<uint8_t>(k % 2 == 0 ? b >> 4 : b & 0x0F) : b);
        }
        canvas.Skip(value - put);
        at += bytes + (bytes & 1);
        break;
      }
    }
  }
}

}  // namespace

std::optional<RleBitmap> DecodeRleBitmap(const uint8_t* file, size_t size, uint64_t budgetBytes) {
  if (!file || size < 14 + 40 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const uint32_t infoSize = Le32(file + 14);
  if (infoSize < 40 || infoSize > size - 14) return std::nullopt;
  const auto width = static_cast<int32_t>(Le32(file + 18));
  const auto height = static_cast<int32_t>(Le32(file + 22));  // negative (top-down) is not allowed with RLE
  const uint32_t bitCount = Le16(file + 28);
  const uint32_t compression = Le32(file + 30);
  const bool fourBit = compression == kBiRle4;
  if (!(compression == kBiRle8 && bitCount == 8) && !(fourBit && bitCount == 4)) return std::nullopt;
  if (width <= 0 || height <= 0) return std::nullopt;
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u > budgetBytes) return std::nullopt;

  // The palette follows the info header: 4 bytes an entry, as many as it says it uses (all when 0).
  const size_t maxColours = size_t{1} << bitCount;
  const uint32_t used = Le32(file + 46);
  const size_t colours = used == 0 || used > maxColours ? maxColours : used;
  const size_t paletteAt = 14 + size_t{infoSize};
  if (colours * 4 > size - paletteAt) return std::nullopt;
  uint32_t palette[256] = {};
  for (size_t k = 0; k < colours; ++k) palette[k] = Le32(file + paletteAt + 4 * k) & 0x00FFFFFFu;

  // The file header says where the runs start; 0 (left out by some writers) means right after the palette.
  size_t dataAt = Le32(file + 10);
  if (dataAt == 0) dataAt = paletteAt + colours * 4;
  if (dataAt < 14 + 40 || dataAt > size) return std::nullopt;

  RleBitmap out;
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  Canvas canvas(out, palette, colours);
  DecodeRuns(file + dataAt, size - dataAt, fourBit, canvas);
  return out;
}

}  // namespace pictavo
