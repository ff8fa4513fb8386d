// The show under Wine. In this process, what only a test inside it can see: the pointer's display count,
// what the show reports for refused files and after a display change, and how it keeps Windows' rules for
// a screen saver. Then the real Pictavo.scr "/S", watched on the screen and ended with real input: on one
// monitor (ShowEndToEnd: the splash, pictures, turned photos and texts) and on two side by side
// (ShowMonitors: a 1024x768 primary at 0,0 and an 800x600 monitor at 1024,0, made by
// scripts/wine-fixture.sh with Xorg's dummy driver).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "platform/PictureFiles_win.h"
#include "platform/Text_win.h"
#include "show/Slideshow_win.h"
#include "tests/pictures/JpegTestFiles.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

// A JPEG of width x height whose pixel (x, y) has the colour rgb(x, y) (0x00RRGGBB), yellow unless told,
// with an Exif segment when the orientation is not 1 (in big-endian order when it is negative).
std::string Jpeg(int width, int height,
                 const std::function<uint32_t(int, int)>& rgb = [](int, int) { return 0xFFFF00u; }, int orientation = 1) {
  const std::vector<uint8_t> jpeg = test::EncodeJpeg({"picture", width, height, JCS_RGB, 1, 1}, orientation,
      [&](int x, int y, int ch) { return static_cast<uint8_t>(rgb(x, y) >> (16 - 8 * ch)); });
  return {jpeg.begin(), jpeg.end()};
}
using test::Screenshot;
using Kind = ShowEvent::Kind;

int CursorCount() {
  const int count = ::ShowCursor(TRUE) - 1;
  ::ShowCursor(FALSE);
  return count;
}

// One show of the files of one collection in use, a change at every tick, no splash, on a thread of its own,
// the monitors and the imaging factory the system's unless given: what it reported and the pointer display
// count during and after.
struct ShowRun {
  ShowRun(const std::vector<std::string>& files, UINT tickMs, std::function<DisplayMetrics()> display = {},
          std::function<ComPtr<IWICImagingFactory>()> factory = {},
          std::function<void(const std::wstring&)> reading = {}) {
    gCollectionCount = 1;
    gCollections[0].InUse = true;
    gCollections[0].ImageCount = files.size();
    for (size_t k = 0; k < files.size(); ++k) gCollections[0].Images[k] = {"t", files[k]};
    gDelay = -1;
    gImagesDir = dir.Utf8();
    ShowEnvironment env{dir.Utf8() + "\\no-splash.jpg", tickMs, 5000, nullptr, {}, display, factory, reading};
    env.onEvent = [this](const ShowEvent& e) {
      if (e.kind == Kind::WindowShown) during = CursorCount(), window = e.window, thread = ::GetCurrentThreadId();
      changes += e.kind == Kind::Picture || e.kind == Kind::Missing || e.kind == Kind::Undecodable;
      recentred += e.kind == Kind::Recentred;
      events.push_back(e);  // read only once the show has ended
    };
    runner = std::thread([env, this] {
      RunShowWith(env);
      after = CursorCount();
      done = true;
    });
  }
  ~ShowRun() {
    if (!done && window) ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    runner.join();
  }
  bool Ended() { return test::WaitUntil([&] { return done.load(); }, 3000); }

  static inline test::TempDir dir;
  std::atomic<int> during = 0, after = 0, changes = 0, recentred = 0;
  std::atomic<bool> done = false;
  std::atomic<HWND> window = nullptr;
  std::atomic<DWORD> thread = 0;  // the window's
  std::vector<ShowEvent> events;
  std::thread runner;
};

// Catches: hidden files, directories and wildcards taken for pictures; a line that names a file outside the
// images directory shown (the show not asking the path rule, whose own cases are tested natively); a file
// in a subfolder not found; a crash or a hang on files that exist but cannot be shown (empty, a JPEG cut
// short), or an allocation failure thrown while reading (the show not going on, or saying "not found"); and a
// lone modifier key not ending the show. (With nothing to play the show takes the same
// path: the choice of no entry is tested natively, and nothing stands on the screen to be drawn.)
TEST(ShowWindow, RefusedFilesAreReportedAndTheShowGoesOn) {
  const auto& dir = ShowRun::dir;
  const std::string jpeg = Jpeg(64, 64);
  ::CreateDirectoryW(dir.File(L"2019").c_str(), nullptr);
  dir.Write(L"2019\\in.jpg", jpeg);
  dir.Write(L"hidden.jpg", jpeg);
  ::SetFileAttributesW(dir.File(L"hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
  dir.Write(L"empty.jpg", "");
  dir.Write(L"cut.jpg", jpeg.substr(0, 20));
  const std::vector<std::pair<std::string, Kind>> expected{
      {"gone.jpg", Kind::Missing},  {"hidden.jpg", Kind::Missing},       {"2019", Kind::Missing},
      {"*.jpg", Kind::Missing},     {"2019\\..\\2019\\in.jpg", Kind::Missing}, {"empty.jpg", Kind::Undecodable},
      {"cut.jpg", Kind::Undecodable}, {"throws.jpg", Kind::Undecodable}, {"2019\\in.jpg", Kind::Picture}};
  std::vector<std::string> files;
  for (const auto& [file, kind] : expected) files.push_back(file);
  ShowRun run(files, 40, {}, {}, [](const std::wstring& path) {
    if (path.ends_with(L"throws.jpg")) throw std::bad_alloc();
  });
  ASSERT_TRUE(test::WaitUntil([&] { return run.changes >= static_cast<int>(files.size()); }, 10000))
      << "the show got stuck";
  ::keybd_event(VK_SHIFT, 0, 0, 0);
  ::keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(run.Ended());
  std::vector<std::pair<std::string, Kind>> shown;
  for (const ShowEvent& e : run.events)
    if (e.kind != Kind::WindowShown && e.kind != Kind::Ended && shown.size() < files.size()) shown.push_back({e.file, e.kind});
  EXPECT_EQ(shown, expected);
}

// The system commands that reached the default window procedure (which tells the CBT hook about each);
// none is carried out.
std::vector<WPARAM> gDefaultCommands;
LRESULT CALLBACK SeeDefaultCommands(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_SYSCOMMAND) {
    gDefaultCommands.push_back(wParam & 0xFFF0);
    return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A picture on the primary (a bitmap, for the imaging component) and a text on a second monitor to its
// right; then the primary gets smaller and the virtual screen reaches left and up; then another window
// takes the foreground. Catches: the imaging factory made before a picture needs it, on the window's
// thread, or more than once; the pointer not hidden or its display count not put back (how many steps, from
// any count, is tested natively); the monitors kept on (SC_MONITORPOWER swallowed) or another screen saver started
// (SC_SCREENSAVE passed on); after a display change the window left over the old virtual screen, or the
// picture or the text not centred anew where its monitor now lies in the window; a system command or the
// display change ending the show; and a show that stays up when another window takes the foreground.
TEST(ShowWindow, KeepsWindowsRulesAndFollowsADisplayChange) {
  std::atomic<bool> changed = false;
  std::atomic<int> made = 0;
  std::atomic<DWORD> madeOn = 0;
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  const DisplayMetrics before{{0, 0, 2 * w, h}, w, h, {{{w, 0, w, h}, "2"}}, "1"},
      after{{-300, -40, 2 * w + 300, h + 40}, w - 120, h - 60, {{{w, 0, w, h}, "2"}}, "1"};
  ShowRun::dir.Write(L"a.bmp", test::SolidBmp(200, 100, 0x2080F0));
  ShowRun run({"a.bmp", "gone.jpg"}, 600000, [&] { return changed ? after : before; }, [&] {
    ++made, madeOn = ::GetCurrentThreadId();
    return CreateImagingFactory();
  });
  ASSERT_TRUE(test::WaitUntil([&] { return run.changes == 2; }, 5000));
  EXPECT_TRUE(made == 1 && madeOn != run.thread) << made << " factories, on the window's thread: " << (madeOn == run.thread);
  ::Sleep(300);  // the show has settled in the foreground
  HHOOK hook = ::SetWindowsHookExW(WH_CBT, &SeeDefaultCommands, nullptr, ::GetWindowThreadProcessId(run.window, nullptr));
  gDefaultCommands.clear();
  ::SendMessageW(run.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  ::SendMessageW(run.window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  ::UnhookWindowsHookEx(hook);
  EXPECT_EQ(gDefaultCommands, (std::vector<WPARAM>{SC_MONITORPOWER}));

  changed = true;
  ::SendMessageW(run.window, WM_DISPLAYCHANGE, 32, MAKELPARAM(w - 120, h - 60));
  ASSERT_TRUE(test::WaitUntil([&] { return run.recentred == 2; }, 3000));
  RECT at{};
  ::GetWindowRect(run.window, &at);
  EXPECT_TRUE(at.left == -300 && at.top == -40 && at.right == 2 * w && at.bottom == h);
  ::Sleep(300);
  EXPECT_FALSE(run.done) << "a system command or the display change ended the show";

  HWND other = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
  ::SetForegroundWindow(other);
  ASSERT_TRUE(run.Ended()) << "another window in the foreground did not end the show";
  ::DestroyWindow(other);
  EXPECT_LT(run.during, 0) << "the pointer was not hidden";
  EXPECT_EQ(run.after, 0) << "the pointer display count changed";
  std::vector<PixelRect> boxes(2);  // the primary's corner lies at (300, 40) in the window
  for (const ShowEvent& e : run.events)
    if (e.kind == Kind::Recentred) boxes.at(static_cast<size_t>(e.monitor)) = e.box;
  EXPECT_EQ(boxes, (std::vector<PixelRect>{{300 + (w - 320) / 2, 40 + (h - 160) / 2, 200, 100}, {w + 300, 40, w, h}}));
}

// Catches: the window waiting for a read (or a decode) under way, so that input ends the show only once the
// disk answers; and a picture that arrives after the end put up, or crashing the process.
TEST(ShowWindow, APointerMoveEndsTheShowDuringAStalledRead) {
  std::atomic<bool> woken = false;
  ShowRun run({"asleep.jpg"}, 600000, {}, {}, [&](const std::wstring&) {
    while (!woken) ::Sleep(5);
  });
  ASSERT_TRUE(test::WaitUntil([&] { return run.window.load() != nullptr; }, 5000));
  ::Sleep(300);
  for (const int x : {100, 101, 140}) ::SetCursorPos(x, 100), ::Sleep(50);
  EXPECT_TRUE(run.Ended()) << "the show waited for the read";
  woken = true;
  ::Sleep(100);
  EXPECT_EQ(run.changes, 0);
}

// The real Pictavo.scr "/S" (a copy, so that what lies beside it is the test's choice) showing `files` in
// sequence, changing every delay + 1 seconds, watched on the screen and ended with real input.
class ProgramShow : public ::testing::Test {
 protected:
  // Starts the show with the pointer at rest at (x, y); a.bmp is there to play, 333 x 221 in 0x2080F0.
  void Start(const std::vector<std::string>& files, const wchar_t* delay, int x, int y) {
    images_.Write(L"a.bmp", test::SolidBmp(333, 221, 0x2080F0));
    settings_.Set(L"ImagesDir", images_.path());
    settings_.Set(L"Delay", delay);
    std::string list = "[Collection Info]\r\nNAME=x\r\nCOMMENT=\r\nCOPYRIGHT=\r\nUSE=YES\r\n\r\n[Images]\r\n";
    for (const std::string& f : files) list += f + "^t\r\n";
    images_.Write(L"One.IC1", list);
    const std::wstring program = programDir_.File(L"Pictavo.scr");
    ASSERT_TRUE(::CopyFileW(test::ProgramPath().c_str(), program.c_str(), FALSE)) << "no Pictavo.scr built";
    ASSERT_TRUE(test::Xdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y))) << "no xdotool";
    show_.emplace(program, L"/S");
    window_ = test::WaitForVisibleWindow(L"frmMain", nullptr, 20000, show_->id());
    ASSERT_NE(window_, nullptr) << "no show window";
  }
  // The next screen of `area` (the primary when empty) that has stopped changing (a paint may reach the
  // screen in parts) and for which `ready` holds.
  static Screenshot Next(const std::function<bool(const Screenshot&)>& ready, const RECT& area = {}) {
    Screenshot shot;
    RECT last{-1, -1, -1, -1};
    EXPECT_TRUE(test::WaitUntil([&] {
      shot = Screenshot::Capture(area);
      const RECT ink = shot.BoundsOfNot(0), before = std::exchange(last, ink);
      return ::EqualRect(&before, &ink) && ready(shot);
    }, 10000)) << "never ready";
    return shot;
  }
  // Real input ends the show, which exits without an error.
  void ExpectEndsOn(const std::wstring& xdotool) {
    EXPECT_TRUE(show_->running()) << "the show ended by itself";
    ASSERT_TRUE(test::Xdotool(xdotool)) << "no xdotool";
    EXPECT_TRUE(show_->WaitForExit(5000)) << "the input did not end the show";
    EXPECT_EQ(show_->ExitCode().value_or(99), 0u);
  }
  // The ink of the screenshot is exactly a centred rectangle of width x height, of one colour unless `rgb` is 0.
  static void ExpectInk(const Screenshot& s, int width, int height, uint32_t rgb) {
    const int left = (s.width() - width) / 2, top = (s.height() - height) / 2;
    const RECT ink = s.BoundsOfNot(0), want{left, top, left + width, top + height};
    EXPECT_TRUE(::EqualRect(&ink, &want)) << ink.left << "," << ink.top << " " << ink.right << "," << ink.bottom;
    EXPECT_TRUE(!rgb || s.AllOf(left, top, left + width, top + height, rgb));
  }
  static bool IsText(const Screenshot& s) {
    const RECT ink = s.BoundsOfNot(0);
    return ink.right > 0 && ink.bottom - ink.top < 40;
  }
  // A one-line white text at 14 points at the system's display scaling, centred on the screenshot; as wide
  // as `line` in that font, when given, which tells one text from another.
  static void ExpectText(const Screenshot& s, const std::wstring& line = {}) {
    const double em = 14.0 * ::GetDpiForSystem() / 72.0;
    const RECT ink = s.BoundsOfNot(0);
    if (!line.empty()) {
      WindowDc screen(nullptr);
      UniqueFont arial(::CreateFontW(-::MulDiv(14, ::GetDpiForSystem(), 72), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET,
                                     0, 0, 0, FF_SWISS, L"Arial"));
      SelectScope font(screen.get(), arial.get());
      SIZE size{};
      ::GetTextExtentPoint32W(screen.get(), line.c_str(), static_cast<int>(line.size()), &size);
      EXPECT_NEAR(ink.right - ink.left, size.cx, 4) << "not the line " << Narrow(line);
    }
    EXPECT_NEAR((ink.left + ink.right) / 2.0, s.width() / 2.0, 2.5);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, s.height() / 2.0, em * 0.3);
    EXPECT_NEAR(ink.bottom - ink.top, em * 0.93, em * 0.07);  // cap height to descender: 12 points are too small
    int white = 0;
    for (int x = ink.left; x < ink.right; ++x) white += s.At(x, (ink.top + ink.bottom) / 2) == 0xFFFFFF;
    EXPECT_GT(white, 0) << "the text is not white";
  }
  test::TempDir images_, programDir_;
  test::ScopedSettings settings_;
  std::optional<test::ChildProcess> show_;
  HWND window_ = nullptr;
};

using ShowEndToEnd = ProgramShow;

// The splash, a picture, the text for a missing file, three turned photos, the text for an undecodable file
// and a picture larger than the screen, one after the other under a pointer at rest. Catches: the splash
// beside the program not shown, not centred, ended early or not followed by the picture; a picture's offset
// or black border off by a pixel (odd differences), a picture scaled (by the display scaling too); the texts
// not shown, not white, not centred, not at 14 points at this display scaling, one shown for the other, or a
// crash on a file that is not a picture; a photo taken turned shown on its side or mirrored, its size not swapped before centring,
// the orientation read in one byte order only, a JPEG told by its name, not its content; a larger picture
// scaled, or cut unequally or from the wrong place (the wrong end of the stored picture when turned; the
// offsets are (screen - picture) / 2 toward zero: the odd pixel is lost on the right and at the bottom);
// a change under a pointer at rest ending the show, and a move over a photo that covers the screen not
// ending it.
TEST_F(ShowEndToEnd, SplashPictureTextsAndALargerPictureUnderAPointerAtRest) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  const auto rgb = [](int x, int y) { return static_cast<uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40); };
  programDir_.Write(L"about.jpg", Jpeg(320, 160));
  images_.Write(L"broken.jpg", "not a picture at all");
  images_.Write(L"big.bmp", test::Bmp24(sw + 201, sh + 101, rgb));
  // Stored w x 40, left half red, right half blue: larger than the screen, standing or turned. Upright,
  // 6 (a quarter turn clockwise) has red on top, 8 blue on top, 3 (a half turn) blue on the left.
  // Negative: the tag in big-endian order.
  const int w = sw + 301;
  const std::pair<std::wstring, int> turned[] = {{L"6.jpg", 6}, {L"8.jpg", -8}, {L"3.bmp", 3}};
  for (const auto& [name, o] : turned)
    images_.Write(name, Jpeg(w, 40, [&](int x, int) { return x < w / 2 ? 0xFF0000u : 0x0000FFu; }, o));
  ASSERT_NO_FATAL_FAILURE(
      Start({"a.bmp", "deleted.jpg", "6.jpg", "8.jpg", "3.bmp", "broken.jpg", "big.bmp"}, L"1", sw / 2, sh / 2));
  ExpectInk(Next([&](const Screenshot& s) { return s.At(sw / 2, sh / 2) != 0; }), 320, 160, 0);
  const ULONGLONG splash = ::GetTickCount64();
  const int left = (sw - 333) / 2, top = (sh - 221) / 2;
  ExpectInk(Next([&](const Screenshot& s) { return s.At(left, top) == 0x2080F0; }), 333, 221, 0x2080F0);
  EXPECT_GT(::GetTickCount64() - splash, 3000u) << "the splash ended early";
  ExpectText(Next(IsText), L"The image file deleted.jpg was not found.");
  const auto red = [](uint32_t c) { return (c >> 16 & 0xFF) > 0xC0 && (c & 0xFF) < 0x40; };
  const auto blue = [](uint32_t c) { return (c >> 16 & 0xFF) < 0x40 && (c & 0xFF) > 0xC0; };
  for (const auto& [name, o] : turned) {
    // Cut equally: the halves meet where the picture's centre lands, give or take a pixel; red first for 6.
    const bool up = o != 3;
    const int meet = w / 2 - (w - (up ? sh : sw)) / 2;
    const auto at = [&, up = up](const Screenshot& s, int d) { return up ? s.At(sw / 2, meet + d) : s.At(meet + d, sh / 2); };
    ExpectInk(Next([&, o = o](const Screenshot& s) {
      return o == 6 ? red(at(s, -4)) && blue(at(s, 4)) : blue(at(s, -4)) && red(at(s, 4));
    }), up ? 40 : sw, up ? sh : 40, 0);
  }
  ExpectText(Next(IsText), L"The image file broken.jpg could not be displayed.");
  const Screenshot big = Next([](const Screenshot& s) { return s.At(0, 0) != 0; });
  EXPECT_EQ(big.At(0, 0), rgb(100, 50));
  EXPECT_EQ(big.At(sw - 1, sh - 1), rgb(99 + sw, 49 + sh));
  ExpectEndsOn(L"mousemove " + std::to_wstring(sw / 2 + 3) + L" " + std::to_wstring(sh / 2 + 2));
}

// Where Wine cannot show this X server's two monitors (32-bit Wine without its RandR library, for one),
// the two-monitor cases are skipped with the reason, through ctest's skip code.
struct ShowMonitors : ProgramShow {
  void SetUp() override {
    if (const int n = ::GetSystemMetrics(SM_CMONITORS); n != 2) {
      std::printf("skipped: Wine sees %d monitor(s) where the X server has two\n", n);
      std::fflush(stdout);
      std::_Exit(77);
    }
  }
};
constexpr RECT kPrimary{0, 0, 1024, 768}, kSecondary{1024, 0, 1824, 600}, kBoth{0, 0, 1824, 768};
bool OnBoth(const Screenshot& s) { return s.BoundsOfNot(0).left < 1024 && s.BoundsOfNot(0).right > 1024; }

// The first change, then the second: the secondary's entry is a missing file with a name far too long for
// it. Catches: the secondary monitor left black or showing the primary's entry, a picture centred on the
// virtual screen or on the primary instead of on its own monitor (by a pixel: odd differences), something
// drawn where no monitor is; the text drawn on the primary, centred on the virtual screen, not white, not
// one line, or its name shortened for another width than its monitor's (or far more than needed); and a
// click on the secondary monitor not ending the show.
TEST_F(ShowMonitors, EachMonitorShowsItsOwnEntryCentredAndAClickThereEnds) {
  images_.Write(L"b.bmp", test::SolidBmp(201, 151, 0x00FF00));
  ASSERT_NO_FATAL_FAILURE(
      Start({"a.bmp", "b.bmp", "a.bmp", std::string(300, 'W') + "\\the-last-photo.jpg"}, L"1", 1024 + 700, 500));
  Next(OnBoth, kBoth);
  ExpectInk(Screenshot::Capture(kPrimary), 333, 221, 0x2080F0);
  ExpectInk(Screenshot::Capture(kSecondary), 201, 151, 0x00FF00);
  EXPECT_EQ(Screenshot::Capture({1024, 600, 1824, 768}).BoundsOfNot(0).right, 0) << "drawn outside the monitors";
  const Screenshot s = Next(IsText, kSecondary);  // black until the text stands on the secondary
  ExpectText(s);
  const RECT ink = s.BoundsOfNot(0);
  EXPECT_TRUE(ink.left > 0 && ink.right < 800) << "the line is wider than its monitor";
  EXPECT_GT(ink.right - ink.left, 600) << "more of the name dropped than needed";
  ExpectEndsOn(L"click 1");
}

// Catches: a monitor switched off during the show leaving the window over the old virtual screen (Wine
// sends no WM_DISPLAYCHANGE for it: the show must notice by itself) or the primary's picture gone or moved;
// the display change ending the show.
TEST_F(ShowMonitors, AMonitorSwitchedOffLeavesOneCorrectMonitor) {
  ASSERT_NO_FATAL_FAILURE(Start({"a.bmp", "gone.jpg"}, L"10", 500, 400));  // not on the monitor that goes
  Next(OnBoth, kBoth);
  ASSERT_TRUE(test::RunUnix(L"/usr/bin/xrandr --output DUMMY1 --off")) << "xrandr could not be run";
  RECT at{};
  EXPECT_TRUE(test::WaitUntil([&] { return ::GetWindowRect(window_, &at) && ::EqualRect(&at, &kPrimary); }, 5000))
      << "the window still reaches to " << at.right;
  ::Sleep(500);
  ExpectInk(Screenshot::Capture(kPrimary), 333, 221, 0x2080F0);
  ExpectEndsOn(L"click 1");
  // The second monitor back for whatever runs next on this display.
  test::RunUnix(L"/usr/bin/xrandr --output DUMMY1 --mode 800x600 --pos 1024x0");
  test::RunUnix(L"/usr/bin/xrandr");
}

}  // namespace
}  // namespace pictavo
