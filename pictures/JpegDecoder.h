// JPEG pictures for the show, decoded with libjpeg-turbo, and only the part a screen shows: the rows above
// it are skipped, the columns beside it cropped, nothing below it decoded. The file is read through a small
// buffer, never whole. Plain C++: the bytes come from a ByteSource, the pixels go into the caller's buffer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "pictures/VisiblePart.h"

namespace pictavo {

// True when the bytes start with a JPEG's SOI marker (FF D8 FF).
bool LooksLikeJpeg(const uint8_t* head, size_t size);

// Where a JPEG's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes into `buffer`; 0 at the end of the data or on a read error.
  virtual size_t Read(uint8_t* buffer, size_t size) = 0;
};

// What libjpeg may allocate for one picture (the coefficients of a progressive file, row buffers).
inline constexpr size_t kJpegMemoryLimitBytes = size_t{160} << 20;
// A progressive file of more scans than any encoder writes is refused rather than decoded for minutes.
inline constexpr int kJpegMaxScans = 500;

// A 32-bit top-down buffer: bytes B, G, R, X per pixel.
struct PixelTarget {
  uint32_t* pixels = nullptr;
  size_t stride = 0;  // pixels from one row to the next, at least the width asked for
};

class TargetAllocator {
 public:
  virtual ~TargetAllocator() = default;
  // Called once the picture's head is read, before the decode takes its working memory beyond the target
  // (libjpeg's coefficients of a file of several scans, its row buffers): false gives up. May wait until
  // other decodes have given back theirs.
  virtual bool Reserve(uint64_t /*workingBytes*/) noexcept { return true; }
  // Called once, when the picture's size is known; null pixels give up. Must not throw.
  virtual PixelTarget Allocate(int width, int height) noexcept = 0;
};

// What DecodeJpegPart produced. The visible part is onScreen.width x onScreen.height pixels of the buffer,
// starting sourceLeft pixels into each of its rows (decoded columns left of the visible part stay there,
// so that libjpeg writes the rows straight into the buffer).
struct JpegPart {
  int width = 0;        // the whole upright picture
  int height = 0;
  int orientation = 1;  // the EXIF orientation applied
  PixelRect onScreen;   // where the visible part lands on the screen
  int bufferWidth = 0;  // the buffer asked for
  int bufferHeight = 0;
  int sourceLeft = 0;
  int warnings = 0;     // recoverable faults in the data (a file cut short, a bad marker): shown as decoded
};

enum class JpegOutcome { Decoded, NotJpeg, Refused, Failed };

// Decodes the part of the JPEG that a screen of screenWidth x screenHeight shows when the picture, turned
// upright by its EXIF orientation, is centred on it. Refused: larger than the show's limits or nothing
// visible; Failed: corrupt beyond use, or no buffer. Never throws, never ends the process.
JpegOutcome DecodeJpegPart(ByteSource& source, int screenWidth, int screenHeight, TargetAllocator& allocator,
                           JpegPart& part);

}  // namespace pictavo
