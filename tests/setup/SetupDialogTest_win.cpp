// The settings dialog and the directory browser as a user meets them, under Wine at one DPI (this file
// is built once for 96 and once for 144 DPI): in this process with the editor replaced, and as "/C"
// through the real editor.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/Registry_win.h"
#include "app/Settings.h"
#include "editor/CollectionEditor.h"
#include "platform/Text_win.h"
#include "setup/Browse_win.h"
#include "setup/SetupForms.h"
#include "setup/Setup_win.h"
#include "tests/support/DialogTest_win.h"
#include "tests/support/PictureBytes.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

constexpr int32_t kDpi = PICTAVO_TEST_DPI;
using test::Click;
using test::DialogDriver;
using test::Enabled;
using test::FileNameBox;
using test::Press;
using test::TextOf;

std::string CollectionBytes(const std::string& name, const std::string& copyright, bool inUse) {
  return "[Collection Info]\r\nNAME=" + name + "\r\nCOMMENT=a note\r\nCOPYRIGHT=" + copyright + "\r\nUSE=" +
         (inUse ? "YES" : "NO") + "\r\n\r\n[Images]\r\nbeach.jpg^" + name + " 1\r\n";
}

// An images directory with Trips (ticked, with a notice) and Work, and the stored settings pointing at it.
struct Prepared {
  test::ScopedSettings settings;
  test::TempDir images;
  const std::string trips = CollectionBytes("Trips", "own photos", true);
  const std::string work = CollectionBytes("Work", "", false);
  explicit Prepared(const wchar_t* delay = L"90") {
    images.Write(L"Trips.IC1", trips);
    images.Write(L"Work.IC1", work);
    settings.Set(L"Delay", delay);
    settings.Set(L"Random", L"True");
    settings.Set(L"UseAll", L"False");
    settings.Set(L"ImagesDir", images.path());
  }
  std::string Dir() const { return WindowsUpper(images.Utf8()); }
};

// The collection list's rows, each text followed by "+" when ticked, "-" when not.
std::string RowsOf(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, setup::lstCollections);
  std::string rows;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, i, 0, text, 255);
    rows += Narrow(text) + (ListView_GetCheckState(list, i) ? "+ " : "- ");
  }
  return rows;
}
void SetCurrentRow(HWND dialog, int row) {
  ListView_SetItemState(::GetDlgItem(dialog, setup::lstCollections), row, LVIS_FOCUSED | LVIS_SELECTED,
                        LVIS_FOCUSED | LVIS_SELECTED);
}
void Key(HWND dialog, int id, UINT key) {
  HWND control = ::GetDlgItem(dialog, id);
  ::SetFocus(control);
  ::SendMessageW(control, WM_KEYDOWN, key, 1);
  ::SendMessageW(control, WM_KEYUP, key, 1u << 31 | 1u << 30 | 1);
}

// Catches stored settings not reaching the controls (slider, caption, option, check box, directory),
// rows out of slot order or with ticks other than the use flags, the layout off its twips table, Enter or
// Escape closing the dialog, the slider's range or keys (a large step is 30 s) or Space on a row not
// changing what OK stores, and OK writing other registry values or other bytes into the collection files.
TEST(SetupDialog, ShowsTheStoredSettingsAndOkStoresEveryChoice) {
  Prepared p;
  DialogDriver driver(nullptr, [&](HWND dialog) {
    test::ExpectLayout(dialog, SetupFormSpec(), kDpi);
    test::ExpectCentred(dialog, kDpi);
    EXPECT_EQ(TextOf(dialog), "Pictavo Settings");
    EXPECT_EQ(TextOf(dialog, setup::lblDelay), "1 min 30 sec");
    EXPECT_TRUE(::IsDlgButtonChecked(dialog, setup::rbRandom));
    EXPECT_FALSE(::IsDlgButtonChecked(dialog, setup::chkUseAll));
    EXPECT_EQ(TextOf(dialog, setup::txtDir), p.Dir());
    EXPECT_EQ(RowsOf(dialog), "Trips - own photos+ Work- ");

    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // Enter and Escape, as the dialog manager hands them on
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindowVisible(dialog));

    Key(dialog, setup::slDelay, VK_PRIOR);  // one large step down
    EXPECT_EQ(TextOf(dialog, setup::lblDelay), "1 min 0 sec");
    Key(dialog, setup::slDelay, VK_END);
    EXPECT_EQ(TextOf(dialog, setup::lblDelay), "10 min 0 sec");
    ::SendDlgItemMessageW(dialog, setup::rbSequential, BM_CLICK, 0, 0);
    ::SendDlgItemMessageW(dialog, setup::chkUseAll, BM_CLICK, 0, 0);
    for (int row : {0, 1}) SetCurrentRow(dialog, row), Key(dialog, setup::lstCollections, VK_SPACE);
    EXPECT_EQ(RowsOf(dialog), "Trips - own photos- Work+ ");
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(setup::btnSave, BN_CLICKED), 0);
  });
  ShowSetup(nullptr);
  EXPECT_EQ(p.settings.Get(L"Delay"), L"600");
  EXPECT_EQ(p.settings.Get(L"Random"), L"False");
  EXPECT_EQ(p.settings.Get(L"UseAll"), L"True");
  EXPECT_EQ(p.settings.Get(L"ImagesDir"), Widen(p.Dir()));
  EXPECT_EQ(p.images.Read(L"Trips.IC1"), CollectionBytes("Trips", "own photos", false));
  EXPECT_EQ(p.images.Read(L"Work.IC1"), CollectionBytes("Work", "", true));
}

// Catches a created or edited collection written before OK, a Cancel that writes anything, a deletion
// that waits for OK, is not asked under its title or removes another file, and the list view's rows and
// the slots getting out of step over create, edit and delete.
TEST(SetupDialog, CancelAfterCreateEditAndDeleteKeepsEveryFileButTheDeletedOne) {
  Prepared p;
  p.images.Write(L"Work.IC1.bak", "not a collection");
  std::vector<int> editorCalls;
  SetupHooks hooks;
  hooks.openEditor = [&](HWND, const std::string& dirText, int slot) {
    EXPECT_EQ(dirText, p.Dir());
    editorCalls.push_back(slot);
    gEditCollection.Name = slot < 0 ? "New" : gEditCollection.Name + " renamed";
  };
  DialogDriver driver(nullptr, [&](HWND dialog) {
    if (TextOf(dialog) == "You Sure 'Bout That?") {
      EXPECT_EQ(TextOf(dialog, 0xFFFF), "Are you sure you want to delete the collection 'Work");
      ::PostMessageW(dialog, WM_COMMAND, IDYES, 0);
      return;
    }
    Click(dialog, setup::btnCreate);
    SetCurrentRow(dialog, 0);
    Click(dialog, setup::btnEdit);
    EXPECT_EQ(RowsOf(dialog), "Trips renamed - own photos+ Work- New+ ");
    SetCurrentRow(dialog, 1);
    Click(dialog, setup::btnDelete);  // the question arrives meanwhile
    EXPECT_EQ(RowsOf(dialog), "Trips renamed - own photos+ New+ ");
    EXPECT_FALSE(p.images.Exists(L"Work.IC1"));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(setup::btnCancel, BN_CLICKED), 0);
  }, 2);
  ShowSetup(nullptr, hooks);
  EXPECT_EQ(editorCalls, (std::vector<int>{-1, 0}));
  EXPECT_EQ(p.images.Read(L"Trips.IC1"), p.trips);
  EXPECT_EQ(p.images.Read(L"Work.IC1.bak"), "not a collection");
  EXPECT_FALSE(p.images.Exists(L"New.IC1"));
  EXPECT_FALSE(p.images.Exists(L"Trips renamed.IC1"));
  EXPECT_EQ(p.settings.Get(L"Delay"), L"90");
}

// Catches a typed directory without collections keeping the old rows or Edit and Delete, a typed file
// taken for a directory, and OK then storing settings instead of showing -104 and closing.
TEST(SetupDialog, ATypedDirectoryWithoutCollectionsEmptiesTheListAndOkStoresNothing) {
  Prepared p;
  p.images.Write(L"a file", "x");
  test::TempDir empty;
  DialogDriver driver(nullptr, [&](HWND dialog) {
    if (TextOf(dialog) != "Pictavo Settings") {
      EXPECT_NE(test::FindChildByText(dialog, L"There are no collections available."), nullptr);
      ::PostMessageW(test::FindChildByText(dialog, L"&Done"), BM_CLICK, 0, 0);
      return;
    }
    HWND box = ::GetDlgItem(dialog, setup::txtDir);
    const auto type = [&](const std::string& text, bool leave) {
      ::SetFocus(box);
      ::SetWindowTextW(box, Widen(text).c_str());
      if (leave) ::SetFocus(::GetDlgItem(dialog, setup::slDelay));
    };
    for (const std::string& typed : {p.images.Utf8() + "\\a file", empty.Utf8() + "\\"}) {
      type(typed, true);
      EXPECT_EQ(RowsOf(dialog), "") << typed;
      EXPECT_FALSE(Enabled(dialog, setup::btnEdit) || Enabled(dialog, setup::btnDelete)) << typed;
    }
    EXPECT_EQ(TextOf(dialog, setup::txtDir), empty.Utf8());  // the trailing "\" removed
    type(p.images.Utf8(), true);
    EXPECT_EQ(RowsOf(dialog), "Trips - own photos+ Work- ");
    EXPECT_TRUE(Enabled(dialog, setup::btnEdit) && Enabled(dialog, setup::btnDelete));
    type(empty.Utf8(), false);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(setup::btnSave, BN_CLICKED), 0);  // Alt+O: the box not left
  }, 2);
  ShowSetup(nullptr);
  EXPECT_EQ(p.settings.Get(L"Delay"), L"90");
  EXPECT_EQ(p.settings.Get(L"ImagesDir"), p.images.path());
  EXPECT_EQ(p.images.Read(L"Work.IC1"), p.work);
}

// Catches the directory check run when the user only switched to another window (a half-typed path would
// empty the list and lose the work) or not run before a button acts (Delete through its access key taking
// a collection of the directory typed over), a relative path kept relative (the show, started elsewhere,
// would not find it), no current row after a deletion, a horizontal scroll bar under a long list, and a
// failing handler closing the dialog instead of telling the user.
TEST(SetupDialog, TheBoxIsCheckedWhenTheUserMovesOnAndBeforeAButtonActs) {
  Prepared p;
  test::TempDir many;
  for (char c = 'A'; c <= 'I'; ++c) many.Write(Widen(std::string(1, c)) + L".IC1", CollectionBytes({c}, "", true));
  const std::wstring parent = many.path().substr(0, many.path().rfind(L'\\'));
  wchar_t before[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  ::SetCurrentDirectoryW(parent.c_str());
  SetupHooks hooks;
  hooks.openEditor = [](HWND, const std::string&, int) { throw std::runtime_error("the editor failed"); };
  test::OwnerWindow other(0, 0, 200, 100);  // another program's window
  DialogDriver driver(nullptr, [&](HWND dialog) {
    if (TextOf(dialog) == "You Sure 'Bout That?") return (void)::PostMessageW(dialog, WM_COMMAND, IDYES, 0);
    if (TextOf(dialog) != "Pictavo Settings") {
      EXPECT_NE(test::FindChildByText(dialog, L"An unknown error occurred."), nullptr);
      return (void)::PostMessageW(test::FindChildByText(dialog, L"&Done"), BM_CLICK, 0, 0);
    }
    HWND box = ::GetDlgItem(dialog, setup::txtDir);
    ::SetFocus(box);
    ::SetWindowTextW(box, many.path().substr(parent.size() + 1).c_str());
    ::SetActiveWindow(other.hwnd);
    ::SetActiveWindow(dialog);
    EXPECT_EQ(::GetFocus(), box);
    EXPECT_EQ(RowsOf(dialog), "Trips - own photos+ Work- ");
    Click(dialog, setup::btnDelete);  // Alt+D, the box not left
    EXPECT_EQ(TextOf(dialog, setup::txtDir), many.Utf8());
    EXPECT_EQ(RowsOf(dialog), "B+ C+ D+ E+ F+ G+ H+ I+ ");
    EXPECT_FALSE(many.Exists(L"A.IC1"));
    HWND list = ::GetDlgItem(dialog, setup::lstCollections);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0);
    EXPECT_FALSE(::GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL);
    Click(dialog, setup::btnCreate);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(setup::btnCancel, BN_CLICKED), 0);
  }, 3);
  ShowSetup(nullptr, hooks);
  ::SetCurrentDirectoryW(before);
  EXPECT_EQ(p.images.Read(L"Trips.IC1"), p.trips);
}

// The browser's directory list: the row showing this name, or -1.
int RowOf(HWND list, const std::string& name) {
  const std::vector<std::string> rows = test::ListBoxTexts(list);
  const auto at = std::find(rows.begin(), rows.end(), name);
  return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
}

// Catches the browser off its twips table, a missing directory not opening its nearest parent, a single
// click opening a directory, Enter not opening the highlighted one, OK taking the highlighted entry
// instead of the open one, and the path not upper case.
TEST(Browser, OpensTheNearestDirectoryAndOkYieldsTheOpenOneInUpperCase) {
  test::TempDir dir;
  ::CreateDirectoryW(dir.File(L"Slides").c_str(), nullptr);
  ::CreateDirectoryW(dir.File(L"Other").c_str(), nullptr);
  gImagesDir = dir.Utf8() + "\\gone\\deeper";
  DialogDriver driver(nullptr, [&](HWND dialog) {
    // A drop-down list's closed box is no lower than its font allows: at 144 DPI two pixels more than the table.
    const FormSpec& spec = BrowseFormSpec();
    std::vector<ControlSpec> others;
    for (const ControlSpec& c : spec.controls)
      if (c.id != browse::drive1) others.push_back(c);
    test::ExpectLayout(dialog, FormSpec{spec.title, spec.clientWidth, spec.clientHeight, spec.font, others}, kDpi);
    const PixelRect drive = test::RectOf(::GetDlgItem(dialog, browse::drive1), dialog);
    const PixelRect want = ControlPixelRect(spec, spec.controls[4], kDpi);
    EXPECT_EQ(std::tuple(drive.left, drive.top, drive.right), std::tuple(want.left, want.top, want.right));
    EXPECT_GE(drive.bottom, want.bottom);
    EXPECT_LE(drive.bottom, want.bottom + 2);
    test::ExpectCentred(dialog, kDpi);
    EXPECT_EQ(TextOf(dialog), "Select Collections Directory");
    HWND list = ::GetDlgItem(dialog, browse::dir1);
    const int open = static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(RowOf(list, dir.Utf8().substr(dir.Utf8().rfind('\\') + 1)), open);
    ::SendMessageW(list, LB_SETCURSEL, RowOf(list, "Slides"), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::dir1, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), open + 2);  // Other is gone, Slides has no subdirectory
    ::SetFocus(list);
    ::SendMessageW(list, LB_SETCURSEL, open, 0);
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // Enter opens the highlighted entry
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), open + 3);  // Other and Slides again
    ::SendMessageW(list, LB_SETCURSEL, RowOf(list, "Slides"), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::dir1, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);  // a single click on C:\ only highlights it
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::btnOK, BN_CLICKED), 0);
  });
  ShowBrowse(nullptr);
  EXPECT_EQ(gImagesDir, WindowsUpper(dir.Utf8() + "\\Slides"));
}

// Catches a path without a drive letter leaving the browser empty, and Cancel storing the walked-to
// directory.
TEST(Browser, StartsInTheCurrentDirectoryAndCancelKeepsTheSetting) {
  gImagesDir = "PICTAVO";
  DialogDriver driver(nullptr, [&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, browse::dir1);
    EXPECT_GT(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);  // the current directory, below C:\ at least
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::dir1, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::btnCancel, BN_CLICKED), 0);
  });
  ShowBrowse(nullptr);
  EXPECT_EQ(gImagesDir, "PICTAVO");
}


// The first use, on a machine where nothing is stored and the images directory does not exist yet.
// Catches "/C" not opening with the -102 notice, the second click of a double click on the editor's
// Cancel pressing the settings dialog's Cancel beneath it, a picture from another folder not copied
// because the images directory is not there yet, OK not writing the collection the editor handed back,
// the program staying after the dialog closes, and the show then not playing the picture.
TEST(ConfigureSwitch, FirstUseMakesACollectionThatTheShowPlays) {
  test::ScopedSettings nothingStored;
  const std::wstring imagesDir = L"C:\\PICTAVO";
  const auto clear = [&] {
    for (const wchar_t* name : {L"\\Trip.IC1", L"\\beach.bmp"}) ::DeleteFileW((imagesDir + name).c_str());
    ::RemoveDirectoryW(imagesDir.c_str());
  };
  clear();
  ASSERT_EQ(::GetFileAttributesW(imagesDir.c_str()), INVALID_FILE_ATTRIBUTES);
  test::TempDir photos, programDir;
  photos.Write(L"Beach.BMP", test::SolidBmp(64, 48, 0xFF0000));
  // A copy of the program without the splash picture beside it, so that the show starts with the photo.
  const std::wstring program = programDir.File(L"Pictavo.scr");
  ASSERT_TRUE(::CopyFileW(test::ProgramPath().c_str(), program.c_str(), FALSE));

  std::optional<test::ChildProcess> configure(std::in_place, program, L"/c:1234");
  const auto window = [&](const wchar_t* title) {
    return test::WaitForVisibleWindow(L"#32770", title, 15000, configure->id());
  };
  HWND dialog = window(L"Pictavo Settings");
  ASSERT_NE(dialog, nullptr);
  HWND message = window(L"Must Be Important...");
  ASSERT_NE(message, nullptr);
  EXPECT_NE(test::FindChildByText(message, L"There were no collections available."), nullptr);
  Press(test::FindChildByText(message, L"&Done"));
  ASSERT_TRUE(test::WaitUntil([&] { return !::IsWindow(message); }, 5000));
  EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, setup::txtDir)), imagesDir);

  Press(::GetDlgItem(dialog, setup::btnCreate));
  HWND editor = window(L"Create Image Collection");
  ASSERT_NE(editor, nullptr);
  RECT mine{}, beneath{}, both{};
  ::GetWindowRect(::GetDlgItem(editor, collection::btnCancel), &mine);
  ::GetWindowRect(::GetDlgItem(dialog, setup::btnCancel), &beneath);
  ASSERT_TRUE(::IntersectRect(&both, &mine, &beneath)) << "the two Cancel buttons no longer overlap";
  const POINT at{(both.left + both.right) / 2, (both.top + both.bottom) / 2};
  ASSERT_TRUE(test::Xdotool(L"mousemove " + std::to_wstring(at.x) + L" " + std::to_wstring(at.y) +
                            L" click --repeat 2 --delay 80 1")) << "xdotool failed";
  ASSERT_TRUE(test::WaitUntil([&] { return !::IsWindow(editor); }, 5000));
  ::Sleep(500);
  ASSERT_TRUE(::IsWindowVisible(dialog)) << "the double click's second press reached the dialog beneath";

  Press(::GetDlgItem(dialog, setup::btnCreate));
  editor = window(L"Create Image Collection");
  ASSERT_NE(editor, nullptr);
  ::SendDlgItemMessageW(editor, collection::txtName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Trip"));
  Press(::GetDlgItem(editor, collection::btnAdd));
  HWND picker = window(L"Add Image Files");
  ASSERT_NE(picker, nullptr);
  const std::wstring picked = photos.File(L"Beach.BMP");
  ::SendMessageW(FileNameBox(picker), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picked.c_str()));
  Press(::GetDlgItem(picker, IDOK));
  HWND list = ::GetDlgItem(editor, collection::lstFiles);
  ASSERT_TRUE(test::WaitUntil([&] { return ::SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 10000));
  EXPECT_EQ(test::VisibleWindowsOf(configure->id()).size(), 2u) << "a message came with the copy";
  Press(::GetDlgItem(editor, collection::btnSave));
  ASSERT_TRUE(test::WaitUntil([&] { return !::IsWindow(editor); }, 10000));
  Press(::GetDlgItem(dialog, setup::btnSave));
  EXPECT_TRUE(configure->WaitForExit(10000));
  EXPECT_EQ(configure->ExitCode().value_or(999), 0u);
  configure.reset();
  EXPECT_EQ(nothingStored.Get(L"ImagesDir"), imagesDir);
  const std::string file = test::ReadFileBytes(imagesDir + L"\\Trip.IC1").value_or("");
  EXPECT_NE(file.find("beach.bmp^Trip 1\r\n"), std::string::npos) << file;

  test::ChildProcess show(program, L"/S");
  EXPECT_TRUE(test::WaitUntil([] {
    const test::Screenshot shot = test::Screenshot::Capture();
    return shot.At(shot.width() / 2, shot.height() / 2) == 0xFF0000u;
  }, 15000)) << "the show did not play the photo";
  show.Kill();
  clear();
}

}  // namespace
}  // namespace pictavo
