// The real Pictavo.scr "/S" on two monitors side by side (a 1024x768 primary at 0,0 and an 800x600 monitor
// at 1024,0, made by scripts/wine-fixture.sh with Xorg's dummy driver), watched on both and ended with real
// input on the secondary one.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "tests/pictures/TestPictures_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using test::PictureFormat;
using test::Screenshot;

constexpr RECT kPrimary{0, 0, 1024, 768}, kSecondary{1024, 0, 1824, 600};

using test::RunUnix;
bool XPointer(int x, int y, const wchar_t* then = L"") {
  return test::Xdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) + then);
}

// The ink of a monitor's screenshot is exactly a centred rectangle of one colour.
void ExpectPicture(const RECT& monitor, int width, int height, uint32_t rgb) {
  const Screenshot s = Screenshot::Capture(monitor);
  const int left = (s.width() - width) / 2, top = (s.height() - height) / 2;
  const RECT ink = s.BoundsOfNot(0), want{left, top, left + width, top + height};
  EXPECT_TRUE(::EqualRect(&ink, &want)) << monitor.left << ": " << ink.left << "," << ink.top << " " << ink.right;
  EXPECT_TRUE(s.AllOf(left, top, left + width, top + height, rgb)) << monitor.left;
}

class ShowMonitors : public ::testing::Test {
 protected:
  // The show of `files` in sequence, started with the pointer at (x, y) and settled with ink on both monitors.
  void Start(const std::string& files, int x, int y) {
    ASSERT_EQ(::GetSystemMetrics(SM_CMONITORS), 2) << "Wine does not see the two monitors";
    settings_.Set(L"ImagesDir", images_.path());
    settings_.Set(L"Delay", L"10");
    settings_.Set(L"Random", L"FALSE");
    const std::wstring program = programDir_.File(L"Pictavo.scr");  // no splash beside it
    ASSERT_TRUE(::CopyFileW(test::ProgramPath().c_str(), program.c_str(), FALSE)) << "no Pictavo.scr built";
    images_.Write(L"a.bmp", test::Plain(PictureFormat::Bmp, 333, 221, 0x2080F0));
    images_.Write(L"b.bmp", test::Plain(PictureFormat::Bmp, 201, 151, 0x00FF00));
    images_.Write(L"One.IC1", "[Collection Info]\r\nNAME=x\r\nCOMMENT=\r\nCOPYRIGHT=\r\nUSE=YES\r\n\r\n[Images]\r\n" + files);
    ASSERT_TRUE(XPointer(x, y)) << "xdotool could not be run";
    show_.emplace(program, L"/S");
    window_ = test::WaitForVisibleWindow(L"frmMain", nullptr, 20000, show_->id());
    ASSERT_NE(window_, nullptr) << "no show window";
    RECT last{-1, -1, -1, -1};
    ASSERT_TRUE(test::WaitUntil([&] {
      const RECT ink = Screenshot::Capture({0, 0, 1824, 768}).BoundsOfNot(0);
      const RECT before = std::exchange(last, ink);
      return ::EqualRect(&before, &ink) && ink.left < 1024 && ink.right > 1024;
    }, 10000)) << "the two monitors never both showed something";
  }
  void ExpectEndsOn(int x, int y, const wchar_t* then) {
    EXPECT_TRUE(show_->running()) << "the show ended by itself";
    ASSERT_TRUE(XPointer(x, y, then)) << "xdotool could not be run";
    EXPECT_TRUE(show_->WaitForExit(5000)) << "the input did not end the show";
    EXPECT_EQ(show_->ExitCode().value_or(99), 0u);
  }
  test::TempDir images_, programDir_;
  test::ScopedSettings settings_;
  std::optional<test::ChildProcess> show_;
  HWND window_ = nullptr;
};

// Catches: the secondary monitor left black or showing the primary's entry, a picture centred on the
// virtual screen or on the primary instead of on its own monitor (by a pixel: odd differences), something
// drawn where no monitor is, and a click on the secondary monitor not ending the show.
TEST_F(ShowMonitors, EachMonitorShowsItsOwnPictureCentredAndAClickThereEnds) {
  ASSERT_NO_FATAL_FAILURE(Start("a.bmp^a\r\nb.bmp^b\r\n", 500, 400));
  ExpectPicture(kPrimary, 333, 221, 0x2080F0);
  ExpectPicture(kSecondary, 201, 151, 0x00FF00);
  EXPECT_EQ(Screenshot::Capture({1024, 600, 1824, 768}).BoundsOfNot(0).right, 0) << "drawn outside the monitors";
  ExpectEndsOn(1024 + 700, 500, L" click 1");
}

// Catches: the missing-file text of the secondary's entry drawn on the primary or centred on the virtual
// screen, not white or not one line; and a pointer move on the secondary monitor not ending the show.
TEST_F(ShowMonitors, ATextStandsCentredOnTheSecondaryAndAPointerMoveThereEnds) {
  ASSERT_NO_FATAL_FAILURE(Start("a.bmp^a\r\ngone.jpg^g\r\n", 1024 + 400, 100));
  ExpectPicture(kPrimary, 333, 221, 0x2080F0);
  const Screenshot s = Screenshot::Capture(kSecondary);
  const RECT ink = s.BoundsOfNot(0);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 400, 2.5);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 300, 5);
  EXPECT_LT(ink.bottom - ink.top, 30) << "not one line of 14-point text";
  int white = 0;
  for (int x = ink.left; x < ink.right; ++x) white += s.At(x, (ink.top + ink.bottom) / 2) == 0xFFFFFF;
  EXPECT_GT(white, 0) << "the text is not white";
  ExpectEndsOn(1024 + 403, 102, L"");
}

// Catches: a monitor switched off during the show leaving the window over the old virtual screen (Wine
// sends no WM_DISPLAYCHANGE for it: the show must notice by itself) or the primary's picture gone or moved;
// the display change ending the show.
TEST_F(ShowMonitors, AMonitorSwitchedOffLeavesOneCorrectMonitor) {
  ASSERT_NO_FATAL_FAILURE(Start("a.bmp^a\r\nb.bmp^b\r\n", 500, 400));  // the pointer not on the monitor that goes
  ASSERT_TRUE(RunUnix(L"/usr/bin/xrandr --output DUMMY1 --off")) << "xrandr could not be run";
  RECT at{};
  EXPECT_TRUE(test::WaitUntil([&] { return ::GetWindowRect(window_, &at) && ::EqualRect(&at, &kPrimary); }, 5000))
      << "the window still reaches to " << at.right;
  ::Sleep(500);
  ExpectPicture(kPrimary, 333, 221, 0x2080F0);
  ExpectEndsOn(500, 400, L" click 1");
  // The second monitor back for whatever runs next on this display.
  RunUnix(L"/usr/bin/xrandr --output DUMMY1 --mode 800x600 --pos 1024x0");
  RunUnix(L"/usr/bin/xrandr");
}

}  // namespace
}  // namespace pictavo
