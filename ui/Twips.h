// Twips (1/1440 inch), the unit in which every dialog of the program is laid out, and the
// one conversion between twips and the pixels of a window's DPI.
#pragma once
#include <cstdint>

namespace pictavo {

constexpr int32_t kTwipsPerInch = 1440;
constexpr int32_t kDefaultDpi = 96;

// The pixel on which an edge given in twips falls: nearest pixel, a half pixel rounds up.
// Only edges are converted; a size is the difference of its two converted edges, so that
// neighbouring controls stay flush at every DPI.
int32_t TwipsToPixels(int64_t twips, int32_t dpi);

// A length in pixels as twips (single precision, as the window arithmetic uses it).
float PixelsToTwips(int32_t pixels, int32_t dpi);

// The height of a font in pixels for a size in points (nearest pixel, a half rounds up).
int32_t PointsToPixels(float points, int32_t dpi);

}  // namespace pictavo
