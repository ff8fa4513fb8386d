#include <gtest/gtest.h>

#include "app/Settings.h"
#include "setup/Browse_win.h"
#include "setup/SetupForms.h"
#include "tests/support/DialogTest_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {
constexpr int32_t kDpi = PICTAVO_TEST_DPI;

TEST(Browser, Shot) {
  test::TempDir dir;
  gImagesDir = dir.Utf8();
  test::DialogDriver driver(nullptr, [&](HWND dialog) {
    test::SaveShot("browse", kDpi);
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  ShowBrowse(nullptr);
}
}  // namespace
}  // namespace pictavo
