// Where dialogs open: centred on the primary screen, and the picture About box beside the
// settings dialog. All values are twips in single precision, sizes are outer window sizes.
#pragma once
#include <cstdint>

namespace pictavo {

// One axis of CenterForm: (screen - window) in single precision, rounded to the nearest
// whole twip (a tie goes to the even neighbour), then halved truncating toward zero.
// A window larger than the screen gets a negative edge; nothing is clamped.
int32_t CenteredEdge(float screenTwips, float windowTwips);

struct TwipsPosition {
  int32_t left = 0;
  int32_t top = 0;
};

struct AboutPlacement {
  bool centreOnScreen = false;  // true: the box would run past the screen's right edge
  TwipsPosition position;       // meaningful when centreOnScreen is false
};

// The picture About box beside its owner: top = owner top + round(owner height - box height)
// div 2, left = owner left + round(owner width) div 4; centred on the screen instead when
// its right edge would land strictly past the screen's width. The bottom is not checked.
AboutPlacement PlaceAboutBeside(float ownerLeft, float ownerTop, float ownerWidth, float ownerHeight,
                                float boxWidth, float boxHeight, float screenWidth);

}  // namespace pictavo
