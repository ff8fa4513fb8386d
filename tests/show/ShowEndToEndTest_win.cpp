// The real Pictavo.scr "/S" with a prepared images directory and settings, watched on the screen and
// ended with real input.
#include <gtest/gtest.h>

#include <functional>

#include "tests/show/TestPictures_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using test::PictureFormat;
using test::Screenshot;

class ShowEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.Set(L"ImagesDir", images_.path());
    settings_.Set(L"Delay", L"10");
    // A copy of the program, so that what lies beside it (the splash) is the test's choice.
    program_ = programDir_.File(L"Pictavo.scr");
    ASSERT_TRUE(::CopyFileW(test::ProgramPath().c_str(), program_.c_str(), FALSE)) << "no Pictavo.scr built";
  }
  // A collection file "<name>.IC1" listing `files`.
  void Collection(const std::wstring& name, bool inUse, const std::vector<std::string>& files) {
    std::string text = "[Collection Info]\r\nNAME=x\r\nCOMMENT=\r\nCOPYRIGHT=\r\nUSE=" + std::string(inUse ? "YES" : "NO") +
                       "\r\n\r\n[Images]\r\n";
    for (const std::string& f : files) text += f + "^title\r\n";
    images_.Write(name + L".IC1", text);
  }
  // Starts the show, waits until the screen is `ready`, runs `check` on it, ends the show with `input` and
  // expects the process gone.
  void Run(const wchar_t* shotName, const std::function<bool(const Screenshot&)>& ready,
           const std::function<void(const Screenshot&)>& check, const std::function<void()>& input) {
    test::ChildProcess show(program_, L"/S");
    ASSERT_NE(test::WaitForVisibleWindow(L"frmMain", nullptr, 20000, show.id()), nullptr) << "no show window";
    Screenshot shot;
    EXPECT_TRUE(test::WaitUntil([&] { return ready(shot = Screenshot::Capture()); }, 10000)) << "never ready";
    test::SaveScreenshotIfAsked(shotName);
    check(shot);
    EXPECT_TRUE(show.running()) << "the show ended by itself";
    input();
    EXPECT_TRUE(show.WaitForExit(5000)) << "the input did not end the show";
    EXPECT_EQ(show.ExitCode().value_or(99), 0u);
  }
  // The ink of the screen is exactly this rectangle.
  static void ExpectInk(const Screenshot& s, int left, int top, int width, int height) {
    const RECT ink = s.BoundsOfNot(0), want{left, top, left + width, top + height};
    EXPECT_TRUE(::EqualRect(&ink, &want)) << ink.left << "," << ink.top << " " << ink.right << "," << ink.bottom;
  }
  test::TempDir images_, programDir_;
  test::ScopedSettings settings_;
  std::wstring program_;
  const int screenW_ = ::GetSystemMetrics(SM_CXSCREEN), screenH_ = ::GetSystemMetrics(SM_CYSCREEN);
};

// Catches: a large picture cut unequally or from the wrong place, and a click not ending the show.
TEST_F(ShowEndToEnd, LargeJpegCutEqually) {
  const int w = screenW_ + 300, h = screenH_ + 201;
  images_.Write(L"large.jpg", test::EncodePicture(PictureFormat::Jpeg, w, h, [&](int x, int y) {
                  return (x < w / 2 ? 0xFF0000u : 0x00FF00u) | (y < h / 2 ? 0u : 0x0000FFu);
                }));
  Collection(L"Big", true, {"large.jpg"});
  // The quadrants meet at the picture's centre: (w - screenW) / 2 is cut on the left, the rest on the right.
  const int cx = w / 2 - (w - screenW_) / 2, cy = h / 2 - (h - screenH_) / 2;
  Run(L"e2e-large", [&](const Screenshot& s) { return s.At(2, 2) != 0; },
      [&](const Screenshot& s) {
        EXPECT_TRUE(test::Near(s.At(cx - 3, cy - 3), 0xFF0000));
        EXPECT_TRUE(test::Near(s.At(cx + 2, cy - 3), 0x00FF00));
        EXPECT_TRUE(test::Near(s.At(cx - 3, cy + 2), 0xFF00FF));
        EXPECT_TRUE(test::Near(s.At(cx + 2, cy + 2), 0x00FFFF));
        ExpectInk(s, 0, 0, screenW_, screenH_);
      },
      [] { test::Click(); });
}

// Catches: the missing-file or the could-not-be-displayed text not shown, not white, not centred, not at
// 14 points at this display scaling, or a crash on a file that is not a picture.
TEST_F(ShowEndToEnd, MissingAndUndecodableFilesShowCentredTexts) {
  HDC dc = ::GetDC(nullptr);
  const double em = 14.0 * ::GetDeviceCaps(dc, LOGPIXELSY) / 72.0;
  ::ReleaseDC(nullptr, dc);
  images_.Write(L"broken.jpg", "not a picture at all");
  for (const char* file : {"deleted.jpg", "broken.jpg"}) {
    Collection(L"One", true, {file});
    Run(L"e2e-text", [&](const Screenshot& s) { return s.BoundsOfNot(0).right > 0; },
        [&](const Screenshot& s) {
          const RECT ink = s.BoundsOfNot(0);
          EXPECT_NEAR((ink.left + ink.right) / 2.0, screenW_ / 2.0, 2.5) << file;
          EXPECT_NEAR((ink.top + ink.bottom) / 2.0, screenH_ / 2.0, em * 0.3) << file;
          EXPECT_NEAR(ink.bottom - ink.top, em * 0.9, em * 0.2) << file;  // cap height to descender
          int white = 0;
          for (int x = ink.left; x < ink.right; ++x) white += s.At(x, (ink.top + ink.bottom) / 2) == 0xFFFFFF;
          EXPECT_GT(white, 0) << file << ": the text is not white";
        },
        [] { test::SendKey('A'); });
  }
}

// Catches: a show with nothing to play crashing, drawing something, or not ending on input.
TEST_F(ShowEndToEnd, NoCollectionInUseStaysBlackAndEndsOnInput) {
  images_.Write(L"a.bmp", test::Plain(PictureFormat::Bmp, 64, 64, 0xFFFFFF));
  Collection(L"Idle", false, {"a.bmp"});
  Run(L"e2e-black", [&](const Screenshot& s) { return s.BoundsOfNot(0).right == 0; },
      [&](const Screenshot&) {
        ::Sleep(1500);
        EXPECT_EQ(Screenshot::Capture().BoundsOfNot(0).right, 0);
      },
      [] { test::Click(); });
}

// Catches: the splash beside the program not shown, not centred, ended early or not followed by the
// picture; the picture's offset or black border off by a pixel (odd differences), a picture scaled (by the
// display scaling too), and a lone modifier key not ending the show.
TEST_F(ShowEndToEnd, SplashThenThePictureCentredWithABlackBorder) {
  programDir_.Write(L"about.jpg", test::Plain(PictureFormat::Jpeg, 320, 160, 0xFFFF00));
  images_.Write(L"a.bmp", test::Plain(PictureFormat::Bmp, 333, 221, 0x2080F0));
  Collection(L"One", true, {"a.bmp"});
  const int left = (screenW_ - 333) / 2, top = (screenH_ - 221) / 2;
  Run(L"e2e-splash", [&](const Screenshot& s) { return s.At(screenW_ / 2, screenH_ / 2) != 0; },
      [&](const Screenshot& s) {
        ExpectInk(s, (screenW_ - 320) / 2, (screenH_ - 160) / 2, 320, 160);
        const ULONGLONG start = ::GetTickCount64();
        Screenshot p;
        EXPECT_TRUE(test::WaitUntil([&] { return (p = Screenshot::Capture()).At(left, top) == 0x2080F0; }, 8000));
        EXPECT_GT(::GetTickCount64() - start, 3000u) << "the splash ended early";
        test::SaveScreenshotIfAsked(L"e2e-picture");
        EXPECT_TRUE(p.AllOf(left, top, left + 333, top + 221, 0x2080F0));
        ExpectInk(p, left, top, 333, 221);
      },
      [] { test::SendKey(VK_SHIFT); });
}

}  // namespace
}  // namespace pictavo
