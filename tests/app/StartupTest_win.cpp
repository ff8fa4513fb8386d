// The start-up of the real Pictavo.scr and the registry store, under Wine.
#include <gtest/gtest.h>

#include "app/OSVersion_win.h"
#include "app/Registry_win.h"
#include "app/Settings.h"
#include "platform/Text_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using test::ChildProcess;

// Catches: settings saved in another form or place than REG_SZ under the Options key, missing keys
// or values of another type read as anything but empty text, and an upper-casing of the loaded
// directory that leaves letters beyond ASCII alone.
TEST(RegistryStore, KeepsTextsUnderTheOptionsKeyAndLoadsThem) {
  test::ScopedSettings settings;
  RegistryStore store;
  EXPECT_EQ(store.Read("Delay"), "");
  gImagesDir = "  d:\\b\xC3\xA4" "der ";
  ASSERT_TRUE(SaveSettings());
  EXPECT_EQ(settings.Get(L"ImagesDir"), std::wstring(L"  d:\\b\u00e4der "));
  UniqueKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
  const DWORD number = 5;
  ::RegSetValueExW(key.get(), L"Delay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  EXPECT_EQ(store.Read("Delay"), "");
  LoadSettings();
  EXPECT_EQ(gImagesDir, "D:\\B\xC3\x84" "DER");
}

// Catches: a query that fails or reads the record wrongly on Windows.
TEST(OSVersionQuery, ReportsTheNtFamily) {
  const OSVersion v = QueryOSVersion();
  EXPECT_TRUE(v.IsWindowsNt());
  EXPECT_GE(v.OSVersionMajor(), 5);
}

// Catches: a show started without collections, a notice with other words, title or buttons,
// a second copy that runs (or shows a second notice) while the first is open, whatever its
// switch, and a program that does not end once the notice is dismissed.
TEST(Startup, ShowWithoutCollectionsSaysSoAndASecondCopyEndsAtOnce) {
  test::ScopedSettings settings;
  test::TempDir images;
  settings.Set(L"ImagesDir", images.path());
  ChildProcess first(test::ProgramPath(), L"/s");
  HWND box = test::WaitForVisibleWindow(L"#32770", L"Just Saying...", 15000, first.id());
  ASSERT_NE(box, nullptr) << "the no-collections notice did not appear";
  EXPECT_NE(test::FindChildByText(
                box, L"There are no collections defined. Run the Setup portion of this screen saver, then try again."),
            nullptr);
  EXPECT_EQ(test::FindChildByText(box, L"Cancel"), nullptr);
  EXPECT_EQ(test::VisibleWindowsOf(first.id()).size(), 1u);  // the show window never appears
  test::SaveScreenshotIfAsked(L"just-saying");
  for (const wchar_t* args : {L"/S", L"/C", L"/A", L"/p 1"}) {
    ChildProcess second(test::ProgramPath(), args);
    EXPECT_TRUE(second.WaitForExit(10000)) << Narrow(args);
    EXPECT_TRUE(test::VisibleWindowsOf(second.id()).empty());
  }
  HWND ok = test::FindChildByText(box, L"OK");
  ASSERT_NE(ok, nullptr);
  ::PostMessageW(ok, BM_CLICK, 0, 0);
  EXPECT_TRUE(first.WaitForExit(10000));
}

// Catches: a preview, an empty or a blank-first argument that opens anything (which switch is which
// is tested without Windows; here, that such a start ends at once).
TEST(Startup, UnservedSwitchesEndWithoutAWindow) {
  test::ScopedSettings settings;
  test::TempDir images;
  settings.Set(L"ImagesDir", images.path());
  for (const wchar_t* args : {L"/p 1234", L"", L" /S"}) {
    ChildProcess scr(test::ProgramPath(), args);
    EXPECT_TRUE(scr.WaitForExit(10000)) << '"' << Narrow(args) << '"';
    EXPECT_EQ(scr.ExitCode(), DWORD{0});
    EXPECT_EQ(test::WaitForVisibleWindow(nullptr, nullptr, 0, scr.id()), nullptr);
  }
}

}  // namespace
}  // namespace pictavo
