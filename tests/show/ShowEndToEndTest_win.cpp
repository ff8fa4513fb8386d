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

constexpr uint32_t kBlack = 0x000000;

std::string CollectionFile(const std::string& name, bool inUse, const std::vector<std::string>& files) {
  std::string text = "[Collection Info]\r\nNAME=" + name + "\r\nCOMMENT=\r\nCOPYRIGHT=\r\nUSE=" +
                     (inUse ? "YES" : "NO") + "\r\n\r\n[Images]\r\n";
  for (size_t i = 0; i < files.size(); ++i) text += files[i] + "^" + name + " " + std::to_string(i + 1) + "\r\n";
  return text;
}

void SendKey(WORD vk) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, in, sizeof(INPUT));
}

void Click() {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

class ShowEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    screenW_ = ::GetSystemMetrics(SM_CXSCREEN);
    screenH_ = ::GetSystemMetrics(SM_CYSCREEN);
    settings_.Set(L"ImagesDir", images_.path());
    settings_.Set(L"Delay", L"10");
    settings_.Set(L"Random", L"FALSE");
    settings_.Set(L"UseAll", L"FALSE");
    // A copy of the program, so that what lies beside it (the splash) is the test's choice.
    program_ = programDir_.File(L"Pictavo.scr");
    ASSERT_TRUE(::CopyFileW(test::ProgramPath().c_str(), program_.c_str(), FALSE)) << "no Pictavo.scr built";
  }
  void Put(const std::wstring& name, const std::string& bytes) { images_.Write(name, bytes); }

  // Starts the show, waits for its window and for the screen to match, runs `check` on the screenshot,
  // ends the show with `input` and expects the process to be gone.
  void Run(const std::wstring& shotName, const std::function<bool(const Screenshot&)>& ready,
           const std::function<void(const Screenshot&)>& check, const std::function<void()>& input = [] {
             SendKey(VK_SHIFT);
           }) {
    test::ChildProcess show(program_, L"/S");
    ASSERT_TRUE(show.started());
    HWND window = test::WaitForVisibleWindow(L"frmMain", nullptr, 20000, show.id());
    ASSERT_NE(window, nullptr) << "no show window (did the collections load?)";
    Screenshot shot = Screenshot::Capture();
    const bool matched = test::WaitUntil(
        [&] {
          shot = Screenshot::Capture();
          return ready(shot);
        },
        10000);
    test::SaveScreenshotIfAsked(shotName);
    EXPECT_TRUE(matched) << "the screen never showed what was expected";
    check(shot);
    EXPECT_TRUE(show.running()) << "the show ended by itself";
    input();
    EXPECT_TRUE(show.WaitForExit(5000)) << "the input did not end the show";
    EXPECT_EQ(show.ExitCode().value_or(99), 0u);
  }

  test::TempDir images_;
  test::TempDir programDir_;
  test::ScopedSettings settings_;
  std::wstring program_;
  int screenW_ = 0, screenH_ = 0;
};

// Catches: an offset or border off by a pixel in the real program, a picture scaled by the display
// scaling, a black screen because the collections did not reach the show.
TEST_F(ShowEndToEnd, SmallPictureCentredWithABlackBorder) {
  const uint32_t colour = 0x2080F0;
  Put(L"small.bmp", test::EncodePicture(PictureFormat::Bmp, 333, 222, [&](int, int) { return colour; }));
  Put(L"Holiday.IC1", CollectionFile("Holiday", true, {"small.bmp"}));
  const int left = (screenW_ - 333) / 2, top = (screenH_ - 222) / 2;
  Run(L"e2e-small", [&](const Screenshot& s) { return s.At(left, top) == colour; },
      [&](const Screenshot& s) {
        EXPECT_TRUE(s.AllOf(left, top, left + 333, top + 222, colour));
        const RECT ink = s.BoundsOfNot(kBlack);
        EXPECT_EQ(ink.left, left);
        EXPECT_EQ(ink.top, top);
        EXPECT_EQ(ink.right, left + 333);
        EXPECT_EQ(ink.bottom, top + 222);
      });
}

// Catches: a large picture cut unequally or from the wrong place, in a JPEG as users have them.
TEST_F(ShowEndToEnd, LargeJpegCutEqually) {
  const int w = screenW_ + 300, h = screenH_ + 201;
  auto quadrants = [&](int x, int y) {
    return (x < w / 2 ? 0xFF0000u : 0x00FF00u) | (y < h / 2 ? 0u : 0x0000FFu);
  };
  Put(L"large.jpg", test::EncodePicture(PictureFormat::Jpeg, w, h, quadrants));
  Put(L"Big.IC1", CollectionFile("Big", true, {"large.jpg"}));
  // The quadrants meet at the picture's centre, which must be the screen's centre to the pixel:
  // (w - screenW) / 2 is cut on the left and the rest on the right.
  const int cx = w / 2 - (w - screenW_) / 2, cy = h / 2 - (h - screenH_) / 2;
  Run(L"e2e-large", [&](const Screenshot& s) { return s.At(2, 2) != kBlack; },
      [&](const Screenshot& s) {
        EXPECT_TRUE(test::Near(s.At(cx - 3, cy - 3), 0xFF0000, 40));
        EXPECT_TRUE(test::Near(s.At(cx + 2, cy - 3), 0x00FF00, 40));
        EXPECT_TRUE(test::Near(s.At(cx - 3, cy + 2), 0xFF00FF, 40));
        EXPECT_TRUE(test::Near(s.At(cx + 2, cy + 2), 0x00FFFF, 40));
        EXPECT_EQ(s.BoundsOfNot(kBlack).left, 0);
        EXPECT_EQ(s.BoundsOfNot(kBlack).bottom, screenH_);
        EXPECT_TRUE(test::Near(s.At(0, 0), 0xFF0000, 40));
        EXPECT_TRUE(test::Near(s.At(screenW_ - 1, screenH_ - 1), 0x00FFFF, 40));
      },
      [] { Click(); });
}

// Where a centred line of text must have its ink: within the cell, centred across.
void ExpectCentredLine(const Screenshot& s, int screenW, int screenH) {
  const RECT ink = s.BoundsOfNot(kBlack);
  ASSERT_LT(ink.left, ink.right) << "no text";
  EXPECT_NEAR((ink.left + ink.right) / 2.0, screenW / 2.0, 2.5);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, screenH / 2.0, (ink.bottom - ink.top) * 0.5);
  EXPECT_LT(ink.bottom - ink.top, 60);
}

// Catches: the missing-file and the could-not-be-displayed texts not shown, not centred, or crashing the
// program.
TEST_F(ShowEndToEnd, MissingAndUndecodableFilesShowCentredTexts) {
  Put(L"Gone.IC1", CollectionFile("Gone", true, {"deleted.jpg"}));
  Run(L"e2e-missing", [&](const Screenshot& s) { return s.BoundsOfNot(kBlack).right > 0; },
      [&](const Screenshot& s) { ExpectCentredLine(s, screenW_, screenH_); });
  ::DeleteFileW(images_.File(L"Gone.IC1").c_str());
  Put(L"broken.jpg", "not a picture at all");
  Put(L"Broken.IC1", CollectionFile("Broken", true, {"broken.jpg"}));
  Run(L"e2e-undecodable", [&](const Screenshot& s) { return s.BoundsOfNot(kBlack).right > 0; },
      [&](const Screenshot& s) { ExpectCentredLine(s, screenW_, screenH_); });
}

// Catches: a show with nothing to play crashing, drawing something, or not ending on input.
TEST_F(ShowEndToEnd, NoCollectionInUseStaysBlackAndEndsOnInput) {
  Put(L"a.bmp", test::EncodePicture(PictureFormat::Bmp, 64, 64, [](int, int) { return 0xFFFFFFu; }));
  Put(L"Idle.IC1", CollectionFile("Idle", false, {"a.bmp"}));
  Run(L"e2e-black", [&](const Screenshot& s) { return s.AllOf(0, 0, s.width(), s.height(), kBlack); },
      [&](const Screenshot& s) {
        ::Sleep(1500);
        EXPECT_TRUE(Screenshot::Capture().AllOf(0, 0, s.width(), s.height(), kBlack));
      },
      [] { Click(); });
}

// Catches: the splash beside the program not shown, not centred, or not followed by the first picture.
TEST_F(ShowEndToEnd, SplashBesideTheProgramThenThePicture) {
  programDir_.Write(L"about.jpg",
                    test::EncodePicture(PictureFormat::Jpeg, 320, 160, [](int, int) { return 0xFFFF00u; }));
  Put(L"a.bmp", test::EncodePicture(PictureFormat::Bmp, 80, 80, [](int, int) { return 0x00C000u; }));
  Put(L"One.IC1", CollectionFile("One", true, {"a.bmp"}));
  const int left = (screenW_ - 320) / 2, top = (screenH_ - 160) / 2;
  const int pl = (screenW_ - 80) / 2, pt = (screenH_ - 80) / 2;
  Run(L"e2e-splash", [&](const Screenshot& s) { return s.At(left + 1, top + 1) != kBlack; },
      [&](const Screenshot& s) {
        const RECT ink = s.BoundsOfNot(kBlack);
        EXPECT_EQ(ink.left, left);
        EXPECT_EQ(ink.top, top);
        EXPECT_EQ(ink.right, left + 320);
        EXPECT_EQ(ink.bottom, top + 160);
        const ULONGLONG start = ::GetTickCount64();
        EXPECT_TRUE(test::WaitUntil([&] { return Screenshot::Capture().At(pl, pt) == 0x00C000u; }, 8000));
        const ULONGLONG waited = ::GetTickCount64() - start;
        EXPECT_GT(waited, 3000u) << "the splash ended early";
        EXPECT_EQ(Screenshot::Capture().BoundsOfNot(kBlack).left, pl);
        test::SaveScreenshotIfAsked(L"e2e-after-splash");
      });
}

}  // namespace
}  // namespace pictavo
