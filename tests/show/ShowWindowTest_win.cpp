// The show's window in this process: the collection table and the settings are filled here, the show
// runs on a thread of its own, and the test looks at the screen and sends real input.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "show/Slideshow_win.h"
#include "tests/show/TestPictures_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using test::PictureFormat;
using test::Screenshot;
using Kind = ShowEvent::Kind;

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

// Fills the table: each collection a use flag and its files.
void SetCollections(const std::vector<std::pair<bool, std::vector<std::string>>>& collections) {
  for (CollectionInfo& c : gCollections) c = CollectionInfo{};
  gCollectionCount = static_cast<int16_t>(collections.size());
  for (size_t i = 0; i < collections.size(); ++i) {
    gCollections[i].Name = std::to_string(i);
    gCollections[i].Name.insert(0, 1, 'c');
    gCollections[i].InUse = collections[i].first;
    gCollections[i].ImageCount = static_cast<int16_t>(collections[i].second.size());
    for (size_t k = 0; k < collections[i].second.size(); ++k)
      gCollections[i].Images[k] = {gCollections[i].Name + " " + std::to_string(k + 1), collections[i].second[k]};
  }
}

// One show on its own thread, with what it reported.
class ShowRun {
 public:
  explicit ShowRun(ShowEnvironment env) {
    thread_ = std::thread([this, env]() mutable {
      cursorBefore_ = ::ShowCursor(TRUE) - 1;
      ::ShowCursor(FALSE);
      env.onEvent = [this](const ShowEvent& e) {
        if (e.kind == Kind::WindowShown) {
          cursorDuring_ = ::ShowCursor(TRUE) - 1;
          ::ShowCursor(FALSE);
        }
        std::lock_guard lock(mutex_);
        events_.push_back(e);
        changed_.notify_all();
      };
      RunShowWith(env);
      cursorAfter_ = ::ShowCursor(TRUE) - 1;
      ::ShowCursor(FALSE);
      std::lock_guard lock(mutex_);
      returned_ = true;
      changed_.notify_all();
    });
  }
  ~ShowRun() {
    if (!Returned()) {
      HWND w = Window();
      if (w) ::PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    thread_.join();
  }

  // The n-th event of this kind (counting from 1), waiting for it.
  std::optional<ShowEvent> WaitFor(Kind kind, int n = 1, DWORD timeoutMs = 8000) {
    std::unique_lock lock(mutex_);
    std::optional<ShowEvent> found;
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      int seen = 0;
      for (const ShowEvent& e : events_)
        if (e.kind == kind && ++seen == n) found = e;
      return found.has_value() || returned_;
    });
    return found;
  }
  bool WaitReturned(DWORD timeoutMs = 5000) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return returned_; });
  }
  bool Returned() {
    std::lock_guard lock(mutex_);
    return returned_;
  }
  std::vector<ShowEvent> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  HWND Window() {
    std::lock_guard lock(mutex_);
    return events_.empty() ? nullptr : events_.front().window;
  }
  int cursorBefore_ = 0, cursorDuring_ = 0, cursorAfter_ = 0;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ShowEvent> events_;
  bool returned_ = false;
  std::thread thread_;
};

void SendKey(WORD vk) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, in, sizeof(INPUT));
}

void MovePointer(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = (x * 65536 + 65535) / ::GetSystemMetrics(SM_CXSCREEN);
  in.mi.dy = (y * 65536 + 65535) / ::GetSystemMetrics(SM_CYSCREEN);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &in, sizeof(INPUT));
}

void Click() {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

class ShowWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    gDelay = 10;
    gRandom = false;
    gUseAll = false;
    gImagesDir = dir_.Utf8();
    screenW_ = ::GetSystemMetrics(SM_CXSCREEN);
    screenH_ = ::GetSystemMetrics(SM_CYSCREEN);
  }
  void Put(const std::wstring& name, const std::string& bytes) { dir_.Write(name, bytes); }
  // A show that changes pictures only when the test says so (ticks far apart), no splash.
  ShowEnvironment Still() {
    ShowEnvironment env;
    env.splashPath = dir_.Utf8() + "\\no-splash.jpg";
    env.tickMs = 600000;
    return env;
  }
  // Waits until the screen matches, then hands back the screenshot.
  Screenshot ScreenWhen(const std::function<bool(const Screenshot&)>& ok, DWORD timeoutMs = 4000) {
    Screenshot shot = Screenshot::Capture();
    test::WaitUntil(
        [&] {
          shot = Screenshot::Capture();
          return ok(shot);
        },
        timeoutMs);
    return shot;
  }
  static UINT Dpi() {
    HDC dc = ::GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(::GetDeviceCaps(dc, LOGPIXELSY));
    ::ReleaseDC(nullptr, dc);
    return dpi;
  }

  test::TempDir dir_;
  int screenW_ = 0, screenH_ = 0;
};

// Catches: a picture off by a pixel, scaled (by the display scaling too), a border that is not black, or
// the window not covering the screen.
TEST_F(ShowWindow, SmallPictureStandsCentredInABlackBorder) {
  const uint32_t colour = 0xC81E3C;
  Put(L"small.bmp", test::EncodePicture(PictureFormat::Bmp, 301, 201, [&](int, int) { return colour; }));
  SetCollections({{true, {"small.bmp"}}});
  ShowRun run(Still());
  const auto shown = run.WaitFor(Kind::Picture);
  ASSERT_TRUE(shown);
  const int left = (screenW_ - 301) / 2, top = (screenH_ - 201) / 2;
  EXPECT_EQ(shown->box, (PixelRect{left, top, 301, 201}));
  const Screenshot shot = ScreenWhen([&](const Screenshot& s) { return s.At(left, top) == colour; });
  test::SaveScreenshotIfAsked(L"show-small");
  EXPECT_TRUE(shot.AllOf(left, top, left + 301, top + 201, colour));
  const RECT ink = shot.BoundsOfNot(kBlack);
  EXPECT_EQ(ink.left, left);
  EXPECT_EQ(ink.top, top);
  EXPECT_EQ(ink.right, left + 301);
  EXPECT_EQ(ink.bottom, top + 201);
  RECT window{};
  ::GetWindowRect(run.Window(), &window);
  EXPECT_EQ(window.left, ::GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(window.right - window.left, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(window.bottom - window.top, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_TRUE(::GetWindowLongW(run.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(::GetWindowLongW(run.Window(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
  SendKey('A');
  EXPECT_TRUE(run.WaitReturned());
}

// Catches: a large picture cut unequally, shifted by a pixel, or its visible part taken from the wrong
// place (every pixel of the pattern is distinct).
TEST_F(ShowWindow, LargePictureIsCutEquallyOnAllSides) {
  const int w = screenW_ + 477, h = screenH_ + 233;
  Put(L"large.bmp", test::EncodePicture(PictureFormat::Bmp, w, h, test::CoordinateColour));
  SetCollections({{true, {"large.bmp"}}});
  ShowRun run(Still());
  ASSERT_TRUE(run.WaitFor(Kind::Picture));
  const int dx = -((screenW_ - w) / 2), dy = -((screenH_ - h) / 2);  // 238, 116 on 1024 x 768
  const Screenshot shot = ScreenWhen([&](const Screenshot& s) { return s.At(0, 0) == test::CoordinateColour(dx, dy); });
  test::SaveScreenshotIfAsked(L"show-large");
  int wrong = 0;
  for (int y = 0; y < screenH_; y += 7)
    for (int x = 0; x < screenW_; x += 5) wrong += shot.At(x, y) != test::CoordinateColour(x + dx, y + dy);
  for (int x = 0; x < screenW_; ++x) wrong += shot.At(x, screenH_ - 1) != test::CoordinateColour(x + dx, screenH_ - 1 + dy);
  for (int y = 0; y < screenH_; ++y) wrong += shot.At(screenW_ - 1, y) != test::CoordinateColour(screenW_ - 1 + dx, y + dy);
  EXPECT_EQ(wrong, 0);
  Click();
  EXPECT_TRUE(run.WaitReturned());
}

// Where the text should stand: the font's cell for the text, centred on the screen.
RECT ExpectedTextCell(const std::wstring& text, int screenW, int screenH) {
  HDC dc = ::GetDC(nullptr);
  HFONT font = ::CreateFontW(-::MulDiv(14, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_BOLD, 0, 0, 0,
                             DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, dc);
  const int x = screenW / 2 - size.cx / 2, y = screenH / 2 - size.cy / 2;
  return {x, y, x + size.cx, y + size.cy};
}

// Checks a line of white text centred on black: inside its cell, the ink centred across, 14 points high.
void ExpectCentredText(const Screenshot& shot, const std::wstring& text, int screenW, int screenH, UINT dpi) {
  const RECT cell = ExpectedTextCell(text, screenW, screenH);
  const RECT ink = shot.BoundsOfNot(kBlack);
  ASSERT_LT(ink.left, ink.right) << "nothing drawn";
  EXPECT_GE(ink.left, cell.left);
  EXPECT_LE(ink.right, cell.right);
  EXPECT_GE(ink.top, cell.top);
  EXPECT_LE(ink.bottom, cell.bottom);
  EXPECT_LE(std::abs((ink.left - cell.left) - (cell.right - ink.right)), 3);
  // 14 points: the cell of Arial is about 1.15 em high.
  const double em = 14.0 * dpi / 72.0;
  EXPECT_NEAR(cell.bottom - cell.top, em * 1.15, em * 0.15);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, screenW / 2.0, 2.5);
  bool white = false;
  for (int y = ink.top; y < ink.bottom && !white; ++y)
    for (int x = ink.left; x < ink.right && !white; ++x) white = shot.At(x, y) == kWhite;
  EXPECT_TRUE(white) << "the text is not white";
}

// Catches: a missing file crashing or stopping the show, the wrong message, text not centred or not at
// 14 points at this display scaling, and hidden or system files or directories passing as pictures.
TEST_F(ShowWindow, MissingFilesShowTheNotFoundTextAndTheShowGoesOn) {
  Put(L"hidden.bmp", test::EncodePicture(PictureFormat::Bmp, 10, 10, [](int, int) { return 0xFF0000u; }));
  Put(L"system.bmp", test::EncodePicture(PictureFormat::Bmp, 10, 10, [](int, int) { return 0xFF0000u; }));
  Put(L"ok.bmp", test::EncodePicture(PictureFormat::Bmp, 10, 10, [](int, int) { return 0x00FF00u; }));
  ::SetFileAttributesW(dir_.File(L"hidden.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesW(dir_.File(L"system.bmp").c_str(), FILE_ATTRIBUTE_SYSTEM);
  ::CreateDirectoryW(dir_.File(L"folder.bmp").c_str(), nullptr);
  SetCollections({{true, {"gone.jpg", "hidden.bmp", "system.bmp", "folder.bmp", "*.bmp", "ok.bmp"}}});
  gDelay = 0;
  ShowEnvironment env = Still();
  env.tickMs = 40;
  {
    ShowRun run(env);
    ASSERT_TRUE(run.WaitFor(Kind::Picture));
    SendKey(VK_SHIFT);
    ASSERT_TRUE(run.WaitReturned());
    std::vector<std::string> missing;
    for (const ShowEvent& e : run.Events())
      if (e.kind == Kind::Missing) missing.push_back(e.file);
    EXPECT_EQ(missing, (std::vector<std::string>{"gone.jpg", "hidden.bmp", "system.bmp", "folder.bmp", "*.bmp"}));
  }
  SetCollections({{true, {"gone.jpg"}}});
  ShowRun run(Still());
  const auto text = run.WaitFor(Kind::Missing);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->box, (PixelRect{0, 0, screenW_, screenH_}));
  const std::wstring expected = L"The image file gone.jpg was not found.";
  const Screenshot shot = ScreenWhen([&](const Screenshot& s) { return s.BoundsOfNot(kBlack).right > 0; });
  test::SaveScreenshotIfAsked(L"show-missing");
  ExpectCentredText(shot, expected, screenW_, screenH_, Dpi());
  SendKey(VK_CONTROL);  // a lone modifier ends the show
  EXPECT_TRUE(run.WaitReturned());
}

// Catches: a crash, a hang or a silent black screen for files that exist but cannot be shown, and a
// decoder left to allocate what a lying header claims.
TEST_F(ShowWindow, UndecodableFilesShowTheCouldNotBeDisplayedText) {
  const std::string jpeg = test::EncodePicture(PictureFormat::Jpeg, 64, 64, test::CoordinateColour);
  Put(L"empty.jpg", "");
  Put(L"text.jpg", "this is not a picture\r\n");
  Put(L"cut.jpg", jpeg.substr(0, 20));
  Put(L"huge.bmp", test::LyingBmp(60000, 60000));
  Put(L"negative.bmp", test::LyingBmp(-5, 10));
  Put(L"ok.jpg", jpeg);
  SetCollections({{true, {"empty.jpg", "text.jpg", "cut.jpg", "huge.bmp", "negative.bmp", "ok.jpg"}}});
  gDelay = -1;
  ShowEnvironment env = Still();
  env.tickMs = 40;
  const ULONGLONG start = ::GetTickCount64();
  {
    ShowRun run(env);
    ASSERT_TRUE(run.WaitFor(Kind::Picture));
    EXPECT_LT(::GetTickCount64() - start, 4000u) << "a lying header made decoding grind";
    SendKey(VK_MENU);
    ASSERT_TRUE(run.WaitReturned());
    std::vector<std::string> refused;
    for (const ShowEvent& e : run.Events())
      if (e.kind == Kind::Undecodable) refused.push_back(e.file);
    EXPECT_EQ(refused, (std::vector<std::string>{"empty.jpg", "text.jpg", "cut.jpg", "huge.bmp", "negative.bmp"}));
  }
  SetCollections({{true, {"huge.bmp"}}});
  ShowRun run(Still());
  ASSERT_TRUE(run.WaitFor(Kind::Undecodable));
  const Screenshot shot = ScreenWhen([&](const Screenshot& s) { return s.BoundsOfNot(kBlack).right > 0; });
  test::SaveScreenshotIfAsked(L"show-undecodable");
  ExpectCentredText(shot, L"The image file huge.bmp could not be displayed.", screenW_, screenH_, Dpi());
  SendKey(VK_SPACE);
  EXPECT_TRUE(run.WaitReturned());
}

// Catches: a photo taken turned shown on its side or mirrored, or its size not swapped.
TEST_F(ShowWindow, ExifOrientationStandsThePictureUpright) {
  // Stored 120 x 40: left half red, right half blue. Orientation 6 turns it a quarter clockwise, so
  // upright it is 40 x 120 with red on top; 8 turns it the other way (blue on top); 3 a half turn.
  auto halves = [](int x, int) { return x < 60 ? 0xFF0000u : 0x0000FFu; };
  Put(L"six.jpg", test::EncodePicture(PictureFormat::Jpeg, 120, 40, halves, 6));
  Put(L"eight.jpg", test::EncodePicture(PictureFormat::Jpeg, 120, 40, halves, 8));
  Put(L"three.jpg", test::EncodePicture(PictureFormat::Jpeg, 120, 40, halves, 3));
  struct Case {
    const char* file;
    int w, h;
    uint32_t first, second;  // colours at the top-left and at the bottom-right quarter
  };
  for (const Case& c : {Case{"six.jpg", 40, 120, 0xFF0000, 0x0000FF}, Case{"eight.jpg", 40, 120, 0x0000FF, 0xFF0000},
                        Case{"three.jpg", 120, 40, 0x0000FF, 0xFF0000}}) {
    SetCollections({{true, {c.file}}});
    ShowRun run(Still());
    const auto shown = run.WaitFor(Kind::Picture);
    ASSERT_TRUE(shown) << c.file;
    const int left = (screenW_ - c.w) / 2, top = (screenH_ - c.h) / 2;
    EXPECT_EQ(shown->box, (PixelRect{left, top, c.w, c.h})) << c.file;
    const Screenshot shot = ScreenWhen([&](const Screenshot& s) { return s.At(left + 5, top + 5) != kBlack; });
    EXPECT_TRUE(test::Near(shot.At(left + c.w / 4, top + c.h / 4), c.first, 40)) << c.file;
    EXPECT_TRUE(test::Near(shot.At(left + 3 * c.w / 4, top + 3 * c.h / 4), c.second, 40)) << c.file;
    SendKey(VK_RETURN);
    EXPECT_TRUE(run.WaitReturned());
  }
}

// Catches: the splash missing or off centre, the splash not ending by itself, image changes during the
// splash, and an end request during the splash not ending the show.
TEST_F(ShowWindow, SplashStandsCentredThenTheFirstPictureFollows) {
  Put(L"about.jpg", test::EncodePicture(PictureFormat::Jpeg, 200, 100, [](int, int) { return 0xFFFF00u; }));
  Put(L"a.bmp", test::EncodePicture(PictureFormat::Bmp, 50, 50, [](int, int) { return 0x00FF00u; }));
  SetCollections({{true, {"a.bmp"}}});
  ShowEnvironment env = Still();
  env.splashPath = dir_.Utf8() + "\\about.jpg";
  env.splashMs = 1500;
  env.tickMs = 50;
  gDelay = 0;
  {
    ShowRun run(env);
    const auto splash = run.WaitFor(Kind::Splash);
    ASSERT_TRUE(splash);
    const ULONGLONG shownAt = ::GetTickCount64();
    const int left = (screenW_ - 200) / 2, top = (screenH_ - 100) / 2;
    EXPECT_EQ(splash->box, (PixelRect{left, top, 200, 100}));
    const Screenshot shot = ScreenWhen([&](const Screenshot& s) { return s.At(left + 100, top + 50) != kBlack; });
    test::SaveScreenshotIfAsked(L"show-splash");
    const RECT ink = shot.BoundsOfNot(kBlack);
    EXPECT_EQ(ink.left, left);
    EXPECT_EQ(ink.top, top);
    EXPECT_EQ(ink.right, left + 200);
    EXPECT_EQ(ink.bottom, top + 100);
    ASSERT_TRUE(run.WaitFor(Kind::Picture));
    const ULONGLONG pictureAt = ::GetTickCount64();
    EXPECT_GE(pictureAt - shownAt + 100, 1500u) << "the splash ended early";
    for (const ShowEvent& e : run.Events()) {
      if (e.kind == Kind::Picture) break;
      EXPECT_NE(e.kind, Kind::Missing);
    }
    SendKey('Z');
    EXPECT_TRUE(run.WaitReturned());
  }
  env.splashMs = 600000;
  ShowRun run(env);
  ASSERT_TRUE(run.WaitFor(Kind::Splash));
  SendKey(VK_SHIFT);
  EXPECT_TRUE(run.WaitReturned(3000)) << "input during the splash did not end the show";
  EXPECT_TRUE(run.WaitFor(Kind::Picture, 1, 0)) << "the first picture is still placed after an early end";
}

// Catches: the first pointer event ending the show, a move over the picture ending it, a move elsewhere
// not ending it, and the pointer left hidden or its display count changed.
TEST_F(ShowWindow, PointerMovesEndTheShowOnlyAwayFromThePicture) {
  Put(L"a.bmp", test::EncodePicture(PictureFormat::Bmp, 200, 200, [](int, int) { return 0x3060FFu; }));
  SetCollections({{true, {"a.bmp"}}});
  MovePointer(30, 30);
  ShowRun run(Still());
  ASSERT_TRUE(run.WaitFor(Kind::Picture));
  ::Sleep(300);
  MovePointer(30, 30);  // records (or repeats) the position
  ::Sleep(300);
  EXPECT_FALSE(run.Returned()) << "the first pointer event ended the show";
  MovePointer(screenW_ / 2, screenH_ / 2);  // over the picture
  ::Sleep(300);
  MovePointer(screenW_ / 2 + 20, screenH_ / 2 - 30);
  ::Sleep(300);
  EXPECT_FALSE(run.Returned()) << "a move over the picture ended the show";
  MovePointer(40, 700);
  EXPECT_TRUE(run.WaitReturned(3000)) << "a move to another place did not end the show";
  EXPECT_LT(run.cursorDuring_, 0) << "the pointer was not hidden";
  EXPECT_EQ(run.cursorAfter_, run.cursorBefore_) << "the pointer display count changed";
  EXPECT_FALSE(::IsWindow(run.Window()));
}

// Catches: a crash or a stuck window when nothing is eligible, and a screen that is not black.
TEST_F(ShowWindow, NoCollectionInUseStaysBlackAndEndsOnInput) {
  Put(L"a.bmp", test::EncodePicture(PictureFormat::Bmp, 200, 200, [](int, int) { return 0xFFFFFFu; }));
  SetCollections({{false, {"a.bmp"}}, {false, {"a.bmp"}}});
  gDelay = 0;
  ShowEnvironment env = Still();
  env.tickMs = 30;
  ShowRun run(env);
  ASSERT_TRUE(run.WaitFor(Kind::WindowShown));
  ::Sleep(400);
  const Screenshot shot = ScreenWhen([&](const Screenshot& s) { return s.AllOf(0, 0, s.width(), s.height(), kBlack); });
  EXPECT_TRUE(shot.AllOf(0, 0, shot.width(), shot.height(), kBlack));
  for (const ShowEvent& e : run.Events()) EXPECT_EQ(e.kind, Kind::WindowShown);
  Click();
  EXPECT_TRUE(run.WaitReturned());
  EXPECT_EQ(run.cursorAfter_, run.cursorBefore_);
}

// Catches: the order or the delay not reaching the window (sequence wraps, a delay of 2 gives every third
// tick), and gUseAll ignored.
TEST_F(ShowWindow, PlaysTheListInSequenceAtTheDelay) {
  for (const wchar_t* name : {L"a.bmp", L"b.bmp", L"c.bmp"})
    Put(name, test::EncodePicture(PictureFormat::Bmp, 8, 8, [](int, int) { return 0x808080u; }));
  SetCollections({{false, {"a.bmp", "b.bmp"}}, {true, {"c.bmp"}}});
  gUseAll = true;
  gDelay = 2;
  ShowEnvironment env = Still();
  env.tickMs = 60;
  ShowRun run(env);
  ASSERT_TRUE(run.WaitFor(Kind::Picture, 5));
  SendKey(VK_ESCAPE);
  ASSERT_TRUE(run.WaitReturned());
  std::vector<std::string> files;
  for (const ShowEvent& e : run.Events())
    if (e.kind == Kind::Picture && files.size() < 5) files.push_back(e.file);
  EXPECT_EQ(files, (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp", "a.bmp", "b.bmp"}));
}

}  // namespace
}  // namespace pictavo
