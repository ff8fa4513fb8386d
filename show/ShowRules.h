// What the show takes from the system, and how far: which image lines it reads, how often it lowers
// the pointer's display count, and where its window goes on the monitors. Plain C++, pixels.
#pragma once
#include <string_view>
#include <vector>

#include "show/Placement.h"

namespace pictavo {

// True when an image line names a path below the images directory: plain names and subfolders
// ("2019\beach.jpg"). False for a drive or an alternate stream (any ":"), a leading "\" or "/" (the root,
// "\\server" and "\\.\" device paths), a part of dots (and spaces) alone such as "..", and a part that
// Windows takes for a device in any directory (IsDeviceName, as in "nul.jpg"): such a line names no
// picture of the collection, and reading it could block the show.
bool IsPathBelowImagesDir(std::string_view file);

// Lowers the pointer's display count until the pointer is hidden, whatever the count was: `lowerOnce`
// lowers it by one and answers the new count. Answers how often it was lowered, which is exactly how
// often the count must be raised again afterwards.
inline constexpr int kMaxPointerHideSteps = 4096;
template <typename LowerOnce>
int HidePointerSteps(LowerOnce lowerOnce) {
  int steps = 0;
  while (steps < kMaxPointerHideSteps) {
    ++steps;
    if (lowerOnce() < 0) break;
  }
  return steps;
}

// The monitors as the system reports them: the virtual screen (all monitors, in desktop pixels), the
// size of the primary monitor, whose top-left corner is the desktop's origin, and the other monitors.
struct DisplayMetrics {
  PixelRect virtualScreen;
  int primaryWidth = 0;
  int primaryHeight = 0;
  std::vector<PixelRect> others = {};  // desktop pixels, in any order
};

// Where the show's window goes (over every monitor; over the primary alone when no virtual screen is
// reported), and where the monitors lie in the window's pixels: each shows its own picture, centred on it.
struct ShowGeometry {
  PixelRect window;
  PixelRect primary;
  // The primary first, then the others from left to right and, where two share a left edge, from top to
  // bottom: the order in which they take the play list's entries. A monitor that shows the same pixels as
  // one before it (a mirror) is left out, as is one outside the window.
  std::vector<PixelRect> monitors = {};
};
ShowGeometry GeometryFor(const DisplayMetrics& metrics);

// After a display change, which monitor of `before` each monitor of `after` (desktop pixels) carries on
// from: the one at the same place and size, else the first one left over, in order; -1 for a monitor that
// carries on from none (it takes the next entry of the play list).
std::vector<int> CarriedOverMonitors(const std::vector<PixelRect>& before, const std::vector<PixelRect>& after);

}  // namespace pictavo
