// What the show takes from the system, and how far: which image lines it reads, how often it lowers
// the pointer's display count, and where its window goes on the monitors. Plain C++, pixels.
#pragma once
#include <string>
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

// One monitor: where it lies, and the name the system knows it by ("\\.\DISPLAY2"), which stays when
// other monitors come, go or move. Empty where the system gives none: then it is known by its place.
struct Monitor {
  PixelRect rect;
  std::string name = {};
  friend bool operator==(const Monitor&, const Monitor&) = default;
};
// What a monitor is known by from one layout to the next.
std::string MonitorKey(const Monitor& monitor);

// The monitors as the system reports them: the virtual screen (all monitors, in desktop pixels), the
// size of the primary monitor, whose top-left corner is the desktop's origin, and the other monitors.
struct DisplayMetrics {
  PixelRect virtualScreen;
  int primaryWidth = 0;
  int primaryHeight = 0;
  std::vector<Monitor> others = {};  // desktop pixels, in any order
  std::string primaryName = {};
};

// Where the show's window goes (over every monitor; over the primary alone when no virtual screen is
// reported), and where the monitors lie in the window's pixels: each shows its own picture, centred on it.
struct ShowGeometry {
  PixelRect window;
  PixelRect primary;
  // The primary first, then the others from left to right and, where two share a left edge, from top to
  // bottom: the order in which they take the play list's entries. A monitor that shows the same pixels as
  // one before it (a mirror) is left out, as is one outside the window.
  std::vector<Monitor> monitors = {};
};
ShowGeometry GeometryFor(const DisplayMetrics& metrics);

// After a display change, which monitor of `before` each monitor of `after` carries on from: the one of
// the same key (MonitorKey), wherever it lies now; -1 for a monitor that carries on from none (it takes
// the next entry of the play list).
std::vector<int> CarriedOverMonitors(const std::vector<Monitor>& before, const std::vector<Monitor>& after);

}  // namespace pictavo
