// The registry store and the version query on Windows, and the real Pictavo.scr started with each switch,
// under Wine.
#include <gtest/gtest.h>

#include "app/OSVersion_win.h"
#include "app/Registry_win.h"
#include "app/Settings.h"
#include "platform/Text_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using test::ChildProcess;

// Catches: settings saved in another form or place than REG_SZ under HKCU\Software\Pictavo\Options,
// missing keys or values of another type read as anything but empty text, and an upper-casing of the
// loaded directory that leaves letters beyond ASCII alone.
TEST(RegistryStore, KeepsTextsUnderTheOptionsKeyAndLoadsThem) {
  test::ScopedSettings settings;
  RegistryStore store;
  EXPECT_EQ(store.Read("Delay"), "");
  gImagesDir = "  d:\\b\xC3\xA4" "der ";
  ASSERT_EQ(SaveSettings(), SettingsWrite::Written);
  wchar_t stored[64] = {};
  DWORD bytes = sizeof stored;
  EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Pictavo\\Options", L"ImagesDir", RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr,
                           stored, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(stored), L"  d:\\b\u00e4der ");
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

// Which switch is which is tested without Windows; here, what each start does. Catches: a start with no
// switch (a blank-first argument, as cut from the real command line) that opens anything or ends with an
// error code; "/A" not reaching the password notice or staying after "&Done"; a show started without
// collections, a notice with other words, title or buttons; a second copy that runs (or shows a second
// notice) while the first is open, whatever its switch; and a program that does not end once the notice
// is dismissed.
TEST(Startup, EachSwitchFromTheUnservedToASecondCopy) {
  test::ScopedSettings settings;
  test::TempDir images;
  settings.Set(L"ImagesDir", images.path());
  {
    ChildProcess none(test::ProgramPath(), L" /S");
    EXPECT_TRUE(none.WaitForExit(10000));
    EXPECT_EQ(none.ExitCode(), DWORD{0});
    EXPECT_TRUE(test::VisibleWindowsOf(none.id()).empty());
  }
  const auto press = [](HWND notice, const wchar_t* button, ChildProcess& program) {
    ::PostMessageW(test::FindChildByText(notice, button), BM_CLICK, 0, 0);
    EXPECT_TRUE(program.WaitForExit(10000));
    EXPECT_EQ(program.ExitCode().value_or(999), 0u);
  };
  {
    ChildProcess password(test::ProgramPath(), L"/A 1234");
    HWND notice = test::WaitForVisibleWindow(L"#32770", L"Must Be Important...", 15000, password.id());
    ASSERT_NE(notice, nullptr);
    EXPECT_NE(test::FindChildByText(notice, L"Passwords are not supported."), nullptr);
    press(notice, L"&Done", password);
  }
  ChildProcess first(test::ProgramPath(), L"/s");
  HWND notice = test::WaitForVisibleWindow(L"#32770", L"Just Saying...", 15000, first.id());
  ASSERT_NE(notice, nullptr) << "the no-collections notice did not appear";
  EXPECT_NE(test::FindChildByText(
                notice, L"There are no collections defined. Run the Setup portion of this screen saver, then try again."),
            nullptr);
  EXPECT_EQ(test::FindChildByText(notice, L"Cancel"), nullptr);
  EXPECT_EQ(test::VisibleWindowsOf(first.id()).size(), 1u);  // the show window never appears
  for (const wchar_t* args : {L"/S", L"/C", L"/A"}) {
    ChildProcess second(test::ProgramPath(), args);
    EXPECT_TRUE(second.WaitForExit(10000)) << Narrow(args);
    EXPECT_TRUE(test::VisibleWindowsOf(second.id()).empty());
  }
  press(notice, L"OK", first);
}

}  // namespace
}  // namespace pictavo
