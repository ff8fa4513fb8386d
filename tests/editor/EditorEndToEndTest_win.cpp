// The editor reached through "Pictavo.scr /C": a collection created with a picture from another folder.
#include <gtest/gtest.h>

#include <string>

#include "editor/CollectionEditor.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

using namespace test;

void Press(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

// The file name box of the platform's file-open dialog.
HWND FileNameBox(HWND dialog) {
  HWND box = ::GetDlgItem(dialog, 0x47C);  // cmb13
  return box != nullptr ? box : ::GetDlgItem(dialog, 0x480);  // edt1
}

// Catches Create not reaching the editor, the editor not starting the file-open dialog in the directory
// box's folder or not copying the picked picture there, and the settings dialog's OK not writing the
// collection the editor handed back.
TEST(EditorEndToEnd, CreateACollectionWithAPictureFromAnotherFolder) {
  TempDir photos, images;
  photos.Write(L"Beach.JPG", "a picture's bytes");
  ScopedSettings settings;
  settings.Set(L"ImagesDir", images.path());
  ChildProcess program(ProgramPath(), L"/C");
  HWND setup = WaitForVisibleWindow(L"#32770", L"Pictavo Settings", 20000, program.id());
  ASSERT_NE(setup, nullptr);
  // The empty images directory is reported over the settings dialog.
  HWND notice = WaitForVisibleWindow(L"#32770", L"Must Be Important...", 10000, program.id());
  ASSERT_NE(notice, nullptr);
  Press(FindChildByText(notice, L"&Done"));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(notice); }, 5000));
  Press(FindChildByText(setup, L"Create Co&llection..."));
  HWND editor = WaitForVisibleWindow(L"#32770", L"Create Image Collection", 10000, program.id());
  ASSERT_NE(editor, nullptr);
  ::SendMessageW(::GetDlgItem(editor, collection::txtName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Trip"));
  Press(FindChildByText(editor, L"&Add Files..."));
  HWND picker = WaitForVisibleWindow(L"#32770", L"Add Image Files", 10000, program.id());
  ASSERT_NE(picker, nullptr);
  const std::wstring picked = photos.File(L"Beach.JPG");
  ::SendMessageW(FileNameBox(picker), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picked.c_str()));
  ::PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(picker, IDOK)));
  HWND list = ::GetDlgItem(editor, collection::lstFiles);
  ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 10000));
  wchar_t entry[MAX_PATH] = {};
  ::SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, L"beach.jpg");
  EXPECT_EQ(images.Read(L"Beach.JPG"), "a picture's bytes") << "copied into the images directory";
  SaveScreenshotIfAsked(L"editor-end-to-end");
  Press(FindChildByText(editor, L"&OK"));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(editor); }, 10000));
  Press(FindChildByText(setup, L"&OK"));
  ASSERT_TRUE(program.WaitForExit(15000));
  const std::string file = images.Read(L"Trip.IC1").value_or("");
  EXPECT_NE(file.find("NAME=Trip\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("beach.jpg^Trip 1\r\n"), std::string::npos) << file;
}

}  // namespace
}  // namespace pictavo
