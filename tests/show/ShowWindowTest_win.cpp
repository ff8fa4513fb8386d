// The show's window in this process, for what only a test inside the process can see: the pointer's
// display count, moves over the picture, and what the show reports for turned photos and refused files.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "show/Slideshow_win.h"
#include "tests/show/TestPictures_win.h"
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
struct ShowRun {
  explicit ShowRun(const std::vector<std::string>& files, UINT tickMs = 600000, int16_t delay = 10) {
    gCollectionCount = 1;
    gCollections[0].InUse = true;
    gCollections[0].ImageCount = files.size();
    for (size_t k = 0; k < files.size(); ++k) gCollections[0].Images[k] = {"t", files[k]};
    gDelay = delay;
    gImagesDir = dir.Utf8();
    auto onEvent = [this](const ShowEvent& e) {
      if (e.kind == Kind::WindowShown) during = CursorCount(), window = e.window;
      pictures += e.kind == Kind::Picture;
      events.push_back(e);  // read only once the show has ended
    };
    thread = std::thread([=, this] {
      before = CursorCount();
      RunShowWith({.splashPath = dir.Utf8() + "\\no-splash.jpg", .tickMs = tickMs, .onEvent = onEvent});
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
  bool Shown() { return test::WaitUntil([&] { return pictures > 0; }, 5000); }
  bool Ended() { return test::WaitUntil([&] { return done.load(); }, 3000); }

  static inline test::TempDir dir;
  std::atomic<int> before = 0, during = 0, after = 0, pictures = 0;
  std::atomic<bool> done = false;
  std::atomic<HWND> window = nullptr;
  std::vector<ShowEvent> events;
  std::thread thread;
};

// Catches: the first pointer event ending the show, a move over the picture ending it, a move elsewhere not
// ending it, and the pointer left hidden or its display count not put back where it was.
TEST(ShowWindow, PointerMovesEndTheShowOnlyAwayFromThePicture) {
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  ShowRun::dir.Write(L"a.bmp", test::Plain(PictureFormat::Bmp, 200, 200, 0x3060FF));
  test::MovePointer(30, 30);
  ShowRun run({"a.bmp"});
  ASSERT_TRUE(run.Shown());
  for (const POINT p : {POINT{30, 30}, POINT{w / 2, h / 2}, POINT{w / 2 + 20, h / 2 - 30}}) {
    test::MovePointer(p.x, p.y);
    ::Sleep(300);
    EXPECT_FALSE(run.done) << "a move to " << p.x << "," << p.y << " ended the show";
  }
  test::MovePointer(40, h - 60);
  EXPECT_TRUE(run.Ended()) << "a move to another place did not end the show";
  EXPECT_LT(run.during, 0) << "the pointer was not hidden";
  EXPECT_EQ(run.after, run.before) << "the pointer display count changed";
  EXPECT_FALSE(::IsWindow(run.window));
}

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
  ShowRun run({"gone.jpg", "hidden.jpg", "folder.jpg", "*.jpg", "empty.jpg", "cut.jpg", "huge.bmp", "negative.bmp",
               "ok.jpg"}, 40, -1);
  ASSERT_TRUE(run.Shown()) << "the show got stuck";
  test::SendKey(VK_SHIFT);
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(run.Files(Kind::Missing), (std::vector<std::string>{"gone.jpg", "hidden.jpg", "folder.jpg", "*.jpg"}));
  EXPECT_EQ(run.Files(Kind::Undecodable),
            (std::vector<std::string>{"empty.jpg", "cut.jpg", "huge.bmp", "negative.bmp"}));
}

// Catches: a photo taken turned shown on its side or mirrored, its size not swapped before centring, the
// orientation read in one byte order only, and a picture larger than the screen cut unequally or from the
// wrong place (the wrong end of the stored picture when turned).
TEST(ShowWindow, ExifOrientationStandsThePictureUprightAndCutsItEqually) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN), w = sw + 301;
  // Stored w x 40, left half red, right half blue: larger than the screen, standing or turned. Upright,
  // 6 (a quarter turn clockwise) has red on top, 8 blue on top, 3 (a half turn) blue on the left.
  // Negative: the tag in big-endian order.
  for (const auto& [o, first, second] :
       {std::tuple{6, 0xFF0000u, 0x0000FFu}, {-8, 0x0000FFu, 0xFF0000u}, {3, 0x0000FFu, 0xFF0000u}}) {
    ShowRun::dir.Write(L"turned.jpg", test::EncodePicture(PictureFormat::Jpeg, w, 40, [&](int x, int) {
                         return x < w / 2 ? 0xFF0000u : 0x0000FFu;
                       }, o));
    ShowRun run({"turned.jpg"});
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

}  // namespace
}  // namespace pictavo
