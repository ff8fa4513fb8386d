// The full-screen show: runs until input ends it, then returns.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <functional>
#include <string>

#include "app/Random.h"
#include "platform/Owned_win.h"
#include "show/Placement.h"
#include "show/ShowRules.h"

namespace pictavo {

// An end of the show has been requested.
extern bool gStopShow;

void RunShow();

// What the show has just put on the screen, for those who watch it (tests, the benchmark).
struct ShowEvent {
  // Recentred: the same picture or text stands anew after a change of the monitors or their scaling.
  enum class Kind { WindowShown, Splash, SplashEnded, Picture, Missing, Undecodable, Ended, Recentred };
  Kind kind = Kind::WindowShown;
  std::string file;  // the entry's File (or the splash path)
  PixelRect box;     // where the picture or text box stands, in the window's pixels
  HWND window = nullptr;
  LONGLONG changeStarted = 0;  // performance counter when this change began (the tick), 0 for others
  int monitor = 0;  // which monitor: 0 the primary, then the others from left to right, top to bottom
};

// RunShow with its surroundings given: where the splash is, how long the timers run, which random
// numbers it draws, who is told about each change, the monitors, the imaging factory and the reading of
// files. RunShow uses the defaults.
struct ShowEnvironment {
  std::string splashPath;  // empty: "about.jpg" beside the program
  UINT tickMs = 1000;
  UINT splashMs = 5000;
  RandomSource* random = nullptr;  // null: the process's generator
  std::function<void(const ShowEvent&)> onEvent;
  std::function<DisplayMetrics()> display;  // null: what the system reports
  // Made on a worker thread, inside COM, for the first picture the program's own decoders leave to it.
  std::function<ComPtr<IWICImagingFactory>()> imagingFactory;  // null: the Windows Imaging Component's
  // Called on a worker thread before a picture file is tested and read: it may wait, as a disk that wakes
  // up does, or throw, as a failed allocation does.
  std::function<void(const std::wstring& path)> reading;
};
void RunShowWith(const ShowEnvironment& environment);

}  // namespace pictavo
