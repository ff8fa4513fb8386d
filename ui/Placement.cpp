#include "ui/Placement.h"

#include <cmath>
#include <limits>

namespace pictavo {
namespace {

// Nearest whole number, a tie to the even neighbour, saturated to 32 bits.
int32_t RoundHalfEven(float value) {
  if (std::isnan(value)) return 0;
  const float rounded = value - std::remainder(value, 1.0f);
  if (rounded >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  if (rounded < -2147483648.0f) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

}  // namespace

int32_t CenteredEdge(float screenTwips, float windowTwips) {
  const float difference = screenTwips - windowTwips;
  return RoundHalfEven(difference) / 2;  // C++ integer division truncates toward zero
}

AboutPlacement PlaceAboutBeside(float ownerLeft, float ownerTop, float ownerWidth, float ownerHeight,
                                float boxWidth, float boxHeight, float screenWidth) {
  AboutPlacement placement;
  const float top = ownerTop + static_cast<float>(RoundHalfEven(ownerHeight - boxHeight) / 2);
  const float left = ownerLeft + static_cast<float>(RoundHalfEven(ownerWidth) / 4);
  placement.position.top = RoundHalfEven(top);
  placement.position.left = RoundHalfEven(left);
  placement.centreOnScreen = boxWidth + left > screenWidth;
  return placement;
}

}  // namespace pictavo
