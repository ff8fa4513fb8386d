// A photo taken with the camera turned carries an EXIF orientation (1..8); the show turns or mirrors
// the picture so that it stands upright. Plain C++: the JPEG head is handed in as bytes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "pictures/VisiblePart.h"

namespace pictavo {

// The orientation tag of IFD0 in a JPEG's Exif APP1 segment; 1 when absent, malformed or out of range.
int JpegOrientation(const uint8_t* data, size_t size);

// Orientations 5 to 8 swap width and height.
constexpr bool SwapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }

// The stored pixel that lands at displayed (dx, dy), for a stored picture of width x height.
struct StoredPoint {
  int x = 0;
  int y = 0;
};
StoredPoint StoredPointFor(int dx, int dy, int width, int height, int orientation);

// The stored rectangle whose pixels make up `displayed` (a rectangle of the upright picture).
PixelRect StoredRectFor(const PixelRect& displayed, int width, int height, int orientation);

// Turns a stored block of width x height pixels into its upright form: dst holds the upright block
// (height x width for orientations 5..8), rows dstStride pixels apart; the source's rows are srcStride
// pixels apart (0: width).
void OrientPixels(const uint32_t* src, int width, int height, int orientation, uint32_t* dst, size_t dstStride,
                  size_t srcStride = 0);

// Where the upright form of stored rows [firstRow, firstRow + rows) of a width x height block starts in the
// upright block: OrientPixels of just those rows, written there, gives the same pixels as of the whole block.
StoredPoint UprightStripOrigin(int width, int height, int firstRow, int rows, int orientation);

}  // namespace pictavo
