#include "ui/Twips.h"

#include <cmath>

namespace pictavo {

int32_t TwipsToPixels(int64_t twips, int32_t dpi) {
  // floor((twips * dpi + 720) / 1440), exact in integers and correct for negative edges.
  const int64_t scaled = twips * dpi + kTwipsPerInch / 2;
  int64_t q = scaled / kTwipsPerInch;
  if (scaled % kTwipsPerInch != 0 && scaled < 0) --q;
  return static_cast<int32_t>(q);
}

float PixelsToTwips(int32_t pixels, int32_t dpi) {
  return static_cast<float>(static_cast<double>(pixels) * kTwipsPerInch / (dpi > 0 ? dpi : kDefaultDpi));
}

int32_t PointsToPixels(float points, int32_t dpi) {
  return static_cast<int32_t>(std::floor(static_cast<double>(points) * dpi / 72.0 + 0.5));
}

}  // namespace pictavo
