// What the show takes from the system, and how far: which image lines it reads, how often it lowers
// the pointer's display count, and where its window goes on the monitors. Plain C++, pixels.
#pragma once
#include <string_view>

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

// The monitors as the system reports them: the virtual screen (all monitors, in desktop pixels) and the
// size of the primary monitor, whose top-left corner is the desktop's origin.
struct DisplayMetrics {
  PixelRect virtualScreen;
  int primaryWidth = 0;
  int primaryHeight = 0;
};

// Where the show's window goes (over every monitor; over the primary alone when no virtual screen is
// reported), and where the primary monitor lies in the window's pixels: there pictures are centred.
struct ShowGeometry {
  PixelRect window;
  PixelRect primary;
};
ShowGeometry GeometryFor(const DisplayMetrics& metrics);

}  // namespace pictavo
