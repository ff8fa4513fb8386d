// Which image lines the show reads, the pointer count put back from any start, and the window over
// the monitors.
#include "show/ShowRules.h"
#include "show/Placement.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

// Catches: a line reaching out of the images directory (a drive, the root, a server or device path, "..",
// a stream) or naming a device (which can block the show on a read that never returns) in its first or a
// later part (which names are devices is tested with the collection names); and plain names and
// subfolders refused with them.
TEST(IsPathBelowImagesDir, PlainNamesAndSubfoldersOnly) {
  const struct { const char* file; bool below; } cases[] = {
      {"beach.jpg", true},          {"2019\\beach.jpg", true},    {"2019/07\\beach.jpg", true},
      {".\\beach.jpg", true},       {"my..photo.jpg", true},      {"2019\\con2.jpg", true},
      {"", false},                  {"..\\beach.jpg", false},     {"2019\\..\\..\\x.jpg", false},
      {"a/../x.jpg", false},        {"...\\x.jpg", false},        {".. \\x.jpg", false},
      {"C:\\x.jpg", false},         {"C:x.jpg", false},           {"\\x.jpg", false},
      {"/x.jpg", false},            {"\\\\server\\share\\x.jpg", false}, {"\\\\.\\COM1", false},
      {"\\\\?\\C:\\x.jpg", false},  {"beach.jpg:secret", false},  {"com9.jpg", false},
      {"2019\\Con\\x.jpg", false},  {"x\\clock$.jpg", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPathBelowImagesDir(c.file), c.below) << c.file;
}

// Catches: the pointer left visible or the count put back one step wrong (a cap that stops the hiding
// loop without counting its last call, starts of 64 and above), and a loop that never ends.
TEST(HidePointerSteps, HidesFromAnyStartAndCountsEveryStep) {
  for (const int start : {-5, -1, 0, 1, 63, 64, 65, 70, 1000}) {
    int count = start;
    const int steps = HidePointerSteps([&] { return --count; });
    EXPECT_LT(count, 0) << start;
    EXPECT_EQ(count + steps, start) << start;
  }
  int calls = 0;
  EXPECT_EQ(HidePointerSteps([&] { return ++calls, 5; }), calls);
}

// Catches: the window not over every monitor, pictures centred on the virtual screen instead of the
// primary monitor, and no window at all when the system reports no virtual screen.
TEST(GeometryFor, WindowOverEveryMonitorCentredOnThePrimary) {
  const struct { DisplayMetrics metrics; ShowGeometry geometry; } cases[] = {
      {{{0, 0, 1024, 768}, 1024, 768}, {{0, 0, 1024, 768}, {0, 0, 1024, 768}}},
      {{{-1280, -200, 2560, 1024}, 1280, 800}, {{-1280, -200, 2560, 1024}, {1280, 200, 1280, 800}}},
      {{{0, 0, 3200, 1200}, 1920, 1080}, {{0, 0, 3200, 1200}, {0, 0, 1920, 1080}}},
      {{{0, 0, 0, 0}, 800, 600}, {{0, 0, 800, 600}, {0, 0, 800, 600}}},
  };
  for (const auto& c : cases) {
    const ShowGeometry g = GeometryFor(c.metrics);
    EXPECT_EQ(g.window, c.geometry.window);
    EXPECT_EQ(g.primary, c.geometry.primary);
  }
}

// Catches: a monitor given no picture, the order of the play list across monitors wrong (the primary not
// first, the others not left to right, then top to bottom), monitors left in desktop pixels, and a mirrored
// monitor taking an entry of its own.
TEST(GeometryFor, EveryMonitorInWindowPixelsThePrimaryFirst) {
  // Primary 1024x768 at the origin; others right, left (higher up) and below-left.
  const DisplayMetrics metrics{{-800, -100, 2624, 1468}, 1024, 768,
                               {{1024, 0, 800, 600}, {-800, 768, 800, 600}, {-800, -100, 800, 600}, {0, 0, 1024, 768},
                                {1024, 0, 800, 600}}};
  EXPECT_EQ(GeometryFor(metrics).monitors, (std::vector<PixelRect>{{800, 100, 1024, 768},
                                                                    {0, 0, 800, 600},
                                                                    {0, 868, 800, 600},
                                                                    {1824, 100, 800, 600}}));
}

// Catches: after a display change a monitor that stays losing its picture (decoded again or given a new
// entry), a resized primary not keeping its own, and a monitor that appears taking one that went away
// while another is still there.
TEST(CarriedOverMonitors, SamePlaceFirstThenWhatIsLeftInOrder) {
  const PixelRect primary{0, 0, 1024, 768}, smaller{0, 0, 800, 600}, right{1024, 0, 800, 600}, far{1824, 0, 640, 480};
  const struct { std::vector<PixelRect> before, after; std::vector<int> from; } cases[] = {
      {{primary, right}, {primary}, {0}},
      {{primary}, {primary, right}, {0, -1}},
      {{primary, right}, {smaller, right}, {0, 1}},
      {{primary, right}, {primary, far}, {0, 1}},
      {{primary, right, far}, {primary, far}, {0, 2}},
  };
  for (const auto& c : cases) EXPECT_EQ(CarriedOverMonitors(c.before, c.after), c.from);
}

// Catches: the first move ending the show, (0, 0) taken as a recorded position, a move back to the
// recorded spot ending it, the recorded position updated by later moves, and the window's move over the
// monitors taken for a move of the pointer.
TEST(PointerWatch, FirstMoveRecordsAndAMoveElsewhereEnds) {
  PointerWatch w;
  const struct { int x, y; bool ends; } moves[] = {
      {0, 0, false}, {0, 0, false}, {300, 200, false}, {300, 200, false}, {301, 200, true}, {300, 199, true},
      {300, 200, false}, {0, 0, true}};
  for (const auto& m : moves) EXPECT_EQ(w.Move(m.x, m.y), m.ends) << m.x << "," << m.y;
  // The window moved 300 left and 50 up under a pointer that stood still: the same spot, not a move.
  w.Shift(300, 50);
  EXPECT_FALSE(w.Move(600, 250));
  EXPECT_TRUE(w.Move(300, 200));
}

}  // namespace
}  // namespace pictavo
