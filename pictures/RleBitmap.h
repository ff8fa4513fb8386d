// Run-length encoded Windows bitmaps (BI_RLE8, BI_RLE4), decoded by the program itself so that every
// pixel is defined: those the data skips (end of line, delta, an early end of the bitmap) are black.
// Plain C++: the whole file is handed in as bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/PictureHeader.h"

namespace pictavo {

struct RleBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // top-down rows of width pixels, 0x00RRGGBB (BGRX in memory)
};

// The picture in `file` (a whole BMP file: file header, info header, palette, run-length data). Empty
// for anything else, for a header that lies (a size whose pixels exceed budgetBytes, a palette or the
// data outside the file); data that ends early or runs past the edges leaves black where it stops.
std::optional<RleBitmap> DecodeRleBitmap(const uint8_t* file, size_t size,
                                         uint64_t budgetBytes = kWholeDecodeBudgetBytes);

}  // namespace pictavo
