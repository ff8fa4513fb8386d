// The show's window in this process, for what only a test inside the process can see: the pointer's
// display count, what the show reports for turned photos and refused files, and
// how it keeps Windows' rules for a screen saver (COM, activation, system commands, display changes).
#include <gtest/gtest.h>

#include <cstring>

#include <wincodec.h>

#include <atomic>
#include <functional>
#include <thread>
#include <tuple>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "show/Slideshow_win.h"
#include "tests/pictures/TestPictures_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using test::PictureFormat;
using Kind = ShowEvent::Kind;

int CursorCount() {
  const int count = ::ShowCursor(TRUE) - 1;
  ::ShowCursor(FALSE);
  return count;
}

// One show of the files of one collection in use, no splash, on a thread of its own: what it reported and
// the pointer display count before, during and after.
// `adjust` may change the environment; the pointer display count starts at `pointerCount`.
struct ShowRun {
  explicit ShowRun(const std::vector<std::string>& files, UINT tickMs = 600000, int16_t delay = 10,
                   const std::function<void(ShowEnvironment&)>& adjust = {}, int pointerCount = 0) {
    gCollectionCount = 1;
    gCollections[0].InUse = true;
    gCollections[0].ImageCount = files.size();
    for (size_t k = 0; k < files.size(); ++k) gCollections[0].Images[k] = {"t", files[k]};
    gDelay = delay;
    gImagesDir = dir.Utf8();
    auto onEvent = [this](const ShowEvent& e) {
      if (e.kind == Kind::WindowShown) during = CursorCount(), window = e.window;
      changes += e.kind == Kind::Picture || e.kind == Kind::Missing || e.kind == Kind::Undecodable;
      recentred += e.kind == Kind::Recentred;
      events.push_back(e);  // read only once the show has ended
    };
    ShowEnvironment env;
    env.splashPath = dir.Utf8() + "\\no-splash.jpg";
    env.tickMs = tickMs;
    env.onEvent = onEvent;
    if (adjust) adjust(env);
    thread = std::thread([=, this] {
      for (int c = CursorCount(); c < pointerCount; ++c) ::ShowCursor(TRUE);
      before = CursorCount();
      RunShowWith(env);
      after = CursorCount();
      done = true;
    });
  }
  ~ShowRun() {
    if (!done && window) ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    thread.join();
  }
  std::vector<std::string> Files(Kind kind) const {
    std::vector<std::string> out;
    for (const ShowEvent& e : events)
      if (e.kind == kind) out.push_back(e.file);
    return out;
  }
  bool Shown() { return test::WaitUntil([&] { return changes > 0; }, 5000); }
  bool Ended() { return test::WaitUntil([&] { return done.load(); }, 3000); }

  static inline test::TempDir dir;
  std::atomic<int> before = 0, during = 0, after = 0, changes = 0, recentred = 0;
  std::atomic<bool> done = false;
  std::atomic<HWND> window = nullptr;
  std::vector<ShowEvent> events;
  std::thread thread;
};

// Catches: hidden files, directories and wildcards taken for pictures; a crash, a hang or a decoder left to
// allocate what a lying header claims, for files that exist but cannot be shown; the show not going on.
TEST(ShowWindow, RefusedFilesAreReportedAndTheShowGoesOn) {
  const auto& dir = ShowRun::dir;
  const std::string jpeg = test::Plain(PictureFormat::Jpeg, 64, 64, 0x00FF00);
  dir.Write(L"hidden.jpg", jpeg);
  ::SetFileAttributesW(dir.File(L"hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::CreateDirectoryW(dir.File(L"folder.jpg").c_str(), nullptr);
  dir.Write(L"empty.jpg", "");
  dir.Write(L"cut.jpg", jpeg.substr(0, 20));
  for (const auto& [name, w, h] : {std::tuple{L"huge.bmp", 60000, 60000}, {L"negative.bmp", -5, 10}}) {
    std::string lying = test::Plain(PictureFormat::Bmp, 4, 4, 0x7F7F7F);  // a header that lies about the size
    for (int i = 0; i < 4; ++i) lying[18 + i] = w >> (8 * i), lying[22 + i] = h >> (8 * i);
    dir.Write(name, lying);
  }
  dir.Write(L"ok.jpg", jpeg);
  ::CreateDirectoryW(dir.File(L"2019").c_str(), nullptr);
  dir.Write(L"2019\\in.jpg", jpeg);
  // Lines that name something outside the images directory, or a device, even where a file exists.
  // (Which lines count as outside is the path rule's own test; these show that the show asks it.)
  const std::vector<std::string> outside{"2019\\..\\ok.jpg", "COM1", (dir.Utf8() + "\\ok.jpg")};
  std::vector<std::string> files{"gone.jpg", "hidden.jpg", "folder.jpg", "*.jpg", "empty.jpg", "cut.jpg", "huge.bmp",
                                 "negative.bmp"};
  files.insert(files.end(), outside.begin(), outside.end());
  files.insert(files.end(), {"2019\\in.jpg", "ok.jpg"});
  ShowRun run(files, 40, -1);
  ASSERT_TRUE(test::WaitUntil([&] { return run.changes >= static_cast<int>(files.size()); }, 10000))
      << "the show got stuck";
  test::SendKey(VK_SHIFT);
  ASSERT_TRUE(run.Ended());
  std::vector<std::string> missing{"gone.jpg", "hidden.jpg", "folder.jpg", "*.jpg"};
  missing.insert(missing.end(), outside.begin(), outside.end());
  EXPECT_EQ(run.Files(Kind::Missing), missing);
  EXPECT_EQ(run.Files(Kind::Picture), (std::vector<std::string>{"2019\\in.jpg", "ok.jpg"}));
  EXPECT_EQ(run.Files(Kind::Undecodable),
            (std::vector<std::string>{"empty.jpg", "cut.jpg", "huge.bmp", "negative.bmp"}));
}

// Stands in for the imaging factory in a show that decodes nothing, so only Release is called on it.
// Its last release records whether COM was still set up on the show's thread at that moment.
struct FactoryWatch : IUnknown {
  static inline std::atomic<int> releasedWithCom = -1;  // -1: not released
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--refs > 0) return refs;
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    releasedWithCom = hr == S_FALSE;  // S_OK: COM had been torn down already
    if (SUCCEEDED(hr)) ::CoUninitialize();
    return 0;
  }
};

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

// Catches: the imaging factory released after COM is torn down; a pointer display count of 64 or more
// put back one step wrong; the monitors kept on (SC_MONITORPOWER swallowed) or another screen saver
// started (SC_SCREENSAVE passed on); and a show that stays up when another window takes the foreground.
TEST(ShowWindow, KeepsWindowsRulesForAScreenSaver) {
  static FactoryWatch factory;
  FactoryWatch::releasedWithCom = -1;
  ShowRun run({"gone.jpg"}, 600000, 10, [](ShowEnvironment& env) {
    env.imagingFactory = [] { return ComPtr<IWICImagingFactory>(reinterpret_cast<IWICImagingFactory*>(&factory)); };
  }, 70);
  ASSERT_TRUE(run.Shown());
  ::Sleep(300);  // the show has settled in the foreground
  const DWORD showThread = ::GetWindowThreadProcessId(run.window, nullptr);
  HHOOK hook = ::SetWindowsHookExW(WH_CBT, &SeeDefaultCommands, nullptr, showThread);
  ASSERT_NE(hook, nullptr);
  gDefaultCommands.clear();
  ::SendMessageW(run.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  ::SendMessageW(run.window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  ::UnhookWindowsHookEx(hook);
  EXPECT_EQ(gDefaultCommands, (std::vector<WPARAM>{SC_MONITORPOWER}));
  EXPECT_FALSE(run.done) << "a system command ended the show";

  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ShowTestOther";
  ::RegisterClassW(&wc);
  HWND other = ::CreateWindowExW(WS_EX_TOPMOST, L"ShowTestOther", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, wc.hInstance, nullptr);
  ::SetForegroundWindow(other);
  EXPECT_TRUE(test::WaitUntil([&] {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    return run.done.load();
  }, 3000)) << "another window in the foreground did not end the show";
  ::DestroyWindow(other);
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(run.before, 70);
  EXPECT_LT(run.during, 0) << "the pointer was not hidden";
  EXPECT_EQ(run.after, 70) << "the pointer display count changed";
  EXPECT_EQ(FactoryWatch::releasedWithCom, 1) << "the factory was released after COM was torn down";
}

// Catches: a display change that leaves the window at the old virtual screen, the picture or text
// centred on the old primary monitor, or the window's move taken for a move of the pointer.
TEST(ShowWindow, DisplayChangeCoversTheNewScreenAndCentresOnTheNewPrimary) {
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  ShowRun::dir.Write(L"a.bmp", test::Plain(PictureFormat::Bmp, 200, 100, 0x3060FF));
  static std::atomic<bool> changed = false;
  changed = false;
  // A second monitor to the left and above; a smaller primary.
  const DisplayMetrics after{{-300, -40, w + 300, h + 40}, w - 120, h - 60};
  for (const char* file : {"a.bmp", "gone.jpg"}) {
    test::MovePointer(30, 30);
    ShowRun run({file}, 600000, 10, [&](ShowEnvironment& env) {
      env.display = [=] { return changed ? after : DisplayMetrics{{0, 0, w, h}, w, h}; };
    });
    ASSERT_TRUE(run.Shown()) << file;
    changed = true;
    ::SendMessageW(run.window, WM_DISPLAYCHANGE, 32, MAKELPARAM(w - 120, h - 60));
    ASSERT_TRUE(test::WaitUntil([&] { return run.recentred > 0; }, 3000)) << file;
    RECT at{};
    ::GetWindowRect(run.window, &at);
    EXPECT_TRUE(at.left == -300 && at.top == -40 && at.right == w && at.bottom == h) << file;
    ::Sleep(300);
    EXPECT_FALSE(run.done) << file << ": the display change ended the show";
    test::SendKey(VK_SHIFT);
    ASSERT_TRUE(run.Ended());
    changed = false;
    const ShowEvent& last = run.events.back().kind == Kind::Ended ? run.events[run.events.size() - 2] : run.events.back();
    ASSERT_EQ(last.kind, Kind::Recentred) << file;
    // The primary monitor's corner lies at (300, 40) in the window.
    const PixelRect box = last.box;
    if (std::string(file) == "a.bmp")
      EXPECT_EQ(box, (PixelRect{300 + (w - 120 - 200) / 2, 40 + (h - 60 - 100) / 2, 200, 100}));
    else
      EXPECT_EQ(box, (PixelRect{300, 40, w - 120, h - 60}));
  }
}

// Catches: a photo taken turned shown on its side or mirrored, its size not swapped before centring, the
// orientation read in one byte order only, and a picture larger than the screen cut unequally or from the
// wrong place (the wrong end of the stored picture when turned), and a JPEG told by its name, not its
// content (the half-turned one is named .bmp).
TEST(ShowWindow, ExifOrientationStandsThePictureUprightAndCutsItEqually) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN), w = sw + 301;
  // Stored w x 40, left half red, right half blue: larger than the screen, standing or turned. Upright,
  // 6 (a quarter turn clockwise) has red on top, 8 blue on top, 3 (a half turn) blue on the left.
  // Negative: the tag in big-endian order.
  for (const auto& [o, first, second] :
       {std::tuple{6, 0xFF0000u, 0x0000FFu}, {-8, 0x0000FFu, 0xFF0000u}, {3, 0x0000FFu, 0xFF0000u}}) {
    const char* name = o == 3 ? "turned.bmp" : "turned.jpg";
    ShowRun::dir.Write(std::wstring(name, name + std::strlen(name)),
                       test::EncodePicture(PictureFormat::Jpeg, w, 40, [&](int x, int) {
                         return x < w / 2 ? 0xFF0000u : 0x0000FFu;
                       }, o));
    ShowRun run({name});
    test::Screenshot s;
    EXPECT_TRUE(test::WaitUntil([&] { return (s = test::Screenshot::Capture()).At(sw / 2, sh / 2) != 0; }, 5000));
    const bool turned = o != 3;
    const RECT ink = s.BoundsOfNot(0), want = turned ? RECT{(sw - 40) / 2, 0, (sw - 40) / 2 + 40, sh}
                                                     : RECT{0, (sh - 40) / 2, sw, (sh - 40) / 2 + 40};
    EXPECT_TRUE(::EqualRect(&ink, &want)) << o << ": " << ink.left << "," << ink.top << " " << ink.right;
    // Cut equally: the halves meet where the picture's centre lands, give or take a pixel.
    const int meet = w / 2 - (w - (turned ? sh : sw)) / 2;
    const auto at = [&](int d) { return turned ? s.At(sw / 2, meet + d) : s.At(meet + d, sh / 2); };
    EXPECT_TRUE(test::Near(at(-4), first)) << o;
    EXPECT_TRUE(test::Near(at(4), second)) << o;
    test::SendKey(VK_RETURN);
    EXPECT_TRUE(run.Ended());
  }
}

// Catches: a "was not found" line wider than the screen centred as it is (both its ends cut off by the
// screen's edges), and a name shortened far more than the screen needs.
TEST(ShowWindow, ALongMissingNameIsShortenedToFitTheScreen) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  ShowRun run({std::string(300, 'W') + "\\the-last-photo.jpg"});
  ASSERT_TRUE(run.Shown());
  test::Screenshot s;
  EXPECT_TRUE(test::WaitUntil([&] { return (s = test::Screenshot::Capture()).BoundsOfNot(0).right > 0; }, 5000));
  const RECT ink = s.BoundsOfNot(0);
  EXPECT_GT(ink.left, 0) << "the line's start is off the screen";
  EXPECT_LT(ink.right, sw) << "the line's end is off the screen";
  EXPECT_GT(ink.right - ink.left, sw * 3 / 4) << "more of the name dropped than needed";
  EXPECT_LT(ink.bottom - ink.top, sh / 10) << "not one line";
  test::SendKey(VK_RETURN);
  EXPECT_TRUE(run.Ended());
}

}  // namespace
}  // namespace pictavo
