#include "pictures/VisiblePart.h"

#include <algorithm>

namespace pictavo {
namespace {

// One axis: the offset by the centring rule, and the visible span of [0, size) on [0, inner).
void PlaceAxis(int inner, int size, int& screenStart, int& sourceStart, int& length) {
  const int offset = CenterOffset(inner, size);
  const int64_t first = std::max<int64_t>(0, offset);
  const int64_t last = std::min<int64_t>(inner, static_cast<int64_t>(offset) + size);
  if (inner <= 0 || size <= 0 || last <= first) {
    screenStart = std::max(0, offset);
    sourceStart = 0;
    length = 0;
    return;
  }
  screenStart = static_cast<int>(first);
  sourceStart = static_cast<int>(first - offset);
  length = static_cast<int>(last - first);
}

}  // namespace

Placement PlaceCentred(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight) {
  Placement p;
  PlaceAxis(screenWidth, pictureWidth, p.onScreen.left, p.source.left, p.onScreen.width);
  PlaceAxis(screenHeight, pictureHeight, p.onScreen.top, p.source.top, p.onScreen.height);
  p.source.width = p.onScreen.width;
  p.source.height = p.onScreen.height;
  if (p.onScreen.Empty()) p.onScreen.width = p.onScreen.height = p.source.width = p.source.height = 0;
  return p;
}

}  // namespace pictavo
