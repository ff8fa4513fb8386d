// The full-screen show: runs until input ends it, then returns.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "app/Random.h"
#include "show/Placement.h"

namespace pictavo {

// An end of the show has been requested.
extern bool gStopShow;

void RunShow();

// What the show has just put on the screen, for those who watch it (tests, the benchmark).
struct ShowEvent {
  enum class Kind { WindowShown, Splash, SplashEnded, Picture, Missing, Undecodable, Ended };
  Kind kind = Kind::WindowShown;
  std::string file;  // the entry's File (or the splash path)
  PixelRect box;     // where the picture or text box stands, in the window's pixels
  HWND window = nullptr;
  LONGLONG changeStarted = 0;  // performance counter when this change began (the tick), 0 for others
};

// RunShow with its surroundings given: where the splash is, how long the timers run, which random
// numbers it draws, and who is told about each change. RunShow uses the defaults.
struct ShowEnvironment {
  std::string splashPath;  // empty: "about.jpg" beside the program
  UINT tickMs = 1000;
  UINT splashMs = 5000;
  RandomSource* random = nullptr;  // null: the process's generator
  std::function<void(const ShowEvent&)> onEvent;
};
void RunShowWith(const ShowEnvironment& environment);

}  // namespace pictavo
