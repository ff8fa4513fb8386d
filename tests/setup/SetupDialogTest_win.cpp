// The settings dialog and the directory browser as a user meets them, under Wine at one DPI (this file
// is built once for 96 and once for 144 DPI): in this process with the editor replaced, and as "/C"
// through the real editor.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Registry_win.h"
#include "app/Settings.h"
#include "editor/CollectionEditor.h"
#include "platform/Text_win.h"
#include "setup/Browse_win.h"
#include "setup/SetupForms.h"
#include "setup/Setup_win.h"
#include "tests/support/DialogTest_win.h"
#include "tests/support/WineTest_win.h"
#include "ui/MessageCatalogue.h"

namespace pictavo {
namespace {

using namespace setup;
using test::Answer, test::Click, test::kDpi, test::PostClick, test::TextOf;

std::string CollectionBytes(const std::string& name, const std::string& copyright, bool inUse) {
  return "[Collection Info]\r\nNAME=" + name + "\r\nCOMMENT=a note\r\nCOPYRIGHT=" + copyright + "\r\nUSE=" +
         (inUse ? "YES" : "NO") + "\r\n\r\n[Images]\r\nbeach.jpg^" + name + " 1\r\n";
}

// An images directory with Trips (ticked, with a notice) and Work, and the stored settings pointing at it.
// Run shows the settings dialog, one step per dialog as it comes up, and then expects the stored settings
// ("Delay|Random|UseAll|ImagesDir", the directory "as set" or in "upper" case) and the files (nullopt: not
// there).
struct Prepared {
  test::ScopedSettings settings;
  test::TempDir images;
  const std::string trips = CollectionBytes("Trips", "own photos", true), work = CollectionBytes("Work", "", false);
  Prepared() {
    images.Write(L"Trips.IC1", trips);
    images.Write(L"Work.IC1", work);
    for (const auto& [name, value] : {std::pair(L"Delay", L"90"), {L"Random", L"True"}, {L"UseAll", L"False"}})
      settings.Set(name, value);
    settings.Set(L"ImagesDir", images.path());
  }
  std::string Dir() const { return WindowsUpper(images.Utf8()); }
  void Run(std::vector<test::Step> steps, const std::string& stored,
           const std::vector<std::pair<std::wstring, std::optional<std::string>>>& files, SetupHooks hooks = {}) {
    {
      test::DialogDriver driver(nullptr, std::move(steps));
      ShowSetup(nullptr, hooks);
    }
    std::string have;
    for (const wchar_t* name : {L"Delay", L"Random", L"UseAll"}) have += Narrow(settings.Get(name)) + "|";
    const std::wstring dir = settings.Get(L"ImagesDir");
    EXPECT_EQ(have + (dir == images.path() ? "as set" : dir == Widen(Dir()) ? "upper" : Narrow(dir)), stored);
    for (const auto& [name, bytes] : files) EXPECT_EQ(images.Read(name), bytes) << Narrow(name);
  }
};

// The collection list's rows, each text followed by "+" when ticked, "-" when not.
std::string RowsOf(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, lstCollections);
  std::string rows;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, i, 0, text, 255);
    rows += Narrow(text) + (ListView_GetCheckState(list, i) ? "+ " : "- ");
  }
  return rows;
}
void SetCurrentRow(HWND dialog, int row) {
  ListView_SetItemState(::GetDlgItem(dialog, lstCollections), row, LVIS_FOCUSED | LVIS_SELECTED,
                        LVIS_FOCUSED | LVIS_SELECTED);
}
void Key(HWND dialog, int id, UINT key) {
  HWND control = ::GetDlgItem(dialog, id);
  ::SetFocus(control);
  ::SendMessageW(control, WM_KEYDOWN, key, 1);
  ::SendMessageW(control, WM_KEYUP, key, 1u << 31 | 1u << 30 | 1);
}
// Text typed into the directory box, which is then left for the slider or, as an access key does, not left.
void TypeDir(HWND dialog, const std::wstring& text, bool leave = true) {
  ::SetFocus(::GetDlgItem(dialog, txtDir));
  ::SetDlgItemTextW(dialog, txtDir, text.c_str());
  if (leave) ::SetFocus(::GetDlgItem(dialog, slDelay));
}

// Counts the moves and resizes a window makes while it is subclassed.
int gPositionChanges = 0;
LRESULT CALLBACK CountPositionChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
  if (message == WM_WINDOWPOSCHANGING && (pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
    ++gPositionChanges;
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

// Catches stored settings not reaching the controls (slider, caption, option, check box, directory),
// rows out of slot order or with ticks other than the use flags, the layout off its twips table, Enter or
// Escape closing the dialog, the slider's range or keys (a large step is 30 s) or Space on a row not
// changing what OK stores, and OK writing other registry values or other bytes into the collection files.
// Of the dialog framework: a Tab order that does not follow the tab positions, a label's access key that
// does not reach the next control, and a dialog that keeps its old layout or fonts when WM_DPICHANGED
// moves it to another DPI, or that does not take the rectangle Windows suggests in one move (it may
// bounce between two monitors).
TEST(SetupDialog, ShowsTheStoredSettingsAndOkStoresEveryChoice) {
  Prepared p;
  p.Run({[&](HWND dialog) {
    test::ExpectLayout(dialog, SetupFormSpec(), kDpi);
    std::vector<int> tabOrder;
    HWND first = ::GetDlgItem(dialog, slDelay), at = first;
    do tabOrder.push_back(::GetDlgCtrlID(at));
    while ((at = ::GetNextDlgTabItem(dialog, at, FALSE)) != first && at != nullptr);
    EXPECT_EQ(tabOrder, (std::vector<int>{slDelay, rbRandom, txtDir, btnBrowse, lstCollections, chkUseAll,
                                          btnCreate, btnEdit, btnDelete, btnAbout, btnHelp, btnSave, btnCancel}));
    MSG altM{::GetFocus(), WM_SYSCHAR, 'm', 1 << 29, 0, {}};  // as the modal loop hands it to the dialog manager
    ::IsDialogMessageW(dialog, &altM);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, txtDir));
    EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, lblDelay) + "|" + TextOf(dialog, txtDir),
              "Pictavo Settings|1 min 30 sec|" + p.Dir());
    EXPECT_TRUE(::IsDlgButtonChecked(dialog, rbRandom) && !::IsDlgButtonChecked(dialog, chkUseAll));
    EXPECT_EQ(RowsOf(dialog), "Trips - own photos+ Work- ");
    for (WPARAM key : {IDOK, IDCANCEL}) ::SendMessageW(dialog, WM_COMMAND, key, 0);  // Enter and Escape, handed on
    EXPECT_TRUE(::IsWindowVisible(dialog));
    Key(dialog, slDelay, VK_PRIOR);  // one large step down
    EXPECT_EQ(TextOf(dialog, lblDelay), "1 min 0 sec");
    Key(dialog, slDelay, VK_END);
    EXPECT_EQ(TextOf(dialog, lblDelay), "10 min 0 sec");
    ::SendDlgItemMessageW(dialog, rbSequential, BM_CLICK, 0, 0);
    ::SendDlgItemMessageW(dialog, chkUseAll, BM_CLICK, 0, 0);
    for (int row : {0, 1}) SetCurrentRow(dialog, row), Key(dialog, lstCollections, VK_SPACE);
    EXPECT_EQ(RowsOf(dialog), "Trips - own photos- Work+ ");
    // Elsewhere, and the designed client area at the other DPI inside the frame the dialog has now.
    const int32_t other = kDpi == 96 ? 144 : 96;
    const PixelRect outer = test::RectOf(dialog), want = ClientPixelRect(SetupFormSpec(), other);
    RECT client{};
    ::GetClientRect(dialog, &client);
    const RECT suggested{outer.left + 37, outer.top + 23, outer.right + 37 + want.right - client.right,
                         outer.bottom + 23 + want.bottom - client.bottom};
    ::SetWindowSubclass(dialog, &CountPositionChanges, 1, 0);
    ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    ::RemoveWindowSubclass(dialog, &CountPositionChanges, 1);
    test::ExpectLayout(dialog, SetupFormSpec(), other, false, false);
    EXPECT_EQ(test::RectOf(dialog), (PixelRect{suggested.left, suggested.top, suggested.right, suggested.bottom}));
    EXPECT_EQ(gPositionChanges, 1);
    PostClick(dialog, btnSave);
  }}, "600|False|True|upper", {{L"Trips.IC1", CollectionBytes("Trips", "own photos", false)},
                            {L"Work.IC1", CollectionBytes("Work", "", true)}});
}

// Catches a created or edited collection written before OK or by Cancel, Cancel storing settings, the
// editor not given the box's text and the edited slot (-1 when creating), and the list view's rows and
// the slots getting out of step over create and edit.
TEST(SetupDialog, CancelAfterCreateAndEditWritesNothing) {
  Prepared p;
  SetupHooks hooks;
  hooks.openEditor = [&](HWND, const std::string& dirText, int slot) {
    EXPECT_EQ(dirText + "|" + std::to_string(slot), p.Dir() + (slot < 0 ? "|-1" : "|0"));
    gEditCollection.Name = slot < 0 ? "New" : gEditCollection.Name + " renamed";
  };
  p.Run({[&](HWND dialog) {
    Click(dialog, btnCreate);
    SetCurrentRow(dialog, 0);
    Click(dialog, btnEdit);
    EXPECT_EQ(RowsOf(dialog), "Trips renamed - own photos+ Work- New+ ");
    PostClick(dialog, btnCancel);
  }}, "90|True|False|as set", {{L"Trips.IC1", p.trips}, {L"New.IC1", std::nullopt}, {L"Trips renamed.IC1", std::nullopt}},
        hooks);
}

// Catches the directory check run when the user only switched to another window (a half-typed path would
// empty the list and lose the work) or not run before a button acts (Delete or OK through its access key
// taking the directory typed over), a relative path kept relative, also "\PICS" and "C:PICS" (the show,
// started elsewhere, would not find it), a deletion not asked under its title, waiting for OK or leaving the row's file, no current row
// after it, a horizontal scroll bar under a long list, a failing handler closing the dialog instead of
// telling the user; a directory without collections keeping the old rows or Edit and Delete; and OK then
// storing settings instead of showing -104 and closing.
TEST(SetupDialog, TheBoxIsCheckedWhenTheUserMovesOnAndBeforeAButtonActs) {
  Prepared p;
  test::TempDir many, empty;
  for (char c = 'A'; c <= 'I'; ++c) many.Write(Widen(std::string(1, c)) + L".IC1", CollectionBytes({c}, "", true));
  const std::wstring parent = many.path().substr(0, many.path().rfind(L'\\'));
  wchar_t before[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  ::SetCurrentDirectoryW(parent.c_str());
  SetupHooks hooks;
  hooks.openEditor = [](HWND, const std::string&, int) { throw std::runtime_error("the editor failed"); };
  test::OwnerWindow other(0, 0, 200, 100);  // another program's window
  p.Run({[&](HWND dialog) {
    TypeDir(dialog, many.path().substr(parent.size() + 1), false);
    ::SetActiveWindow(other.hwnd);
    ::SetActiveWindow(dialog);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, txtDir));
    EXPECT_EQ(RowsOf(dialog), "Trips - own photos+ Work- ");
    Click(dialog, btnDelete);  // Alt+D, the box not left; the question comes meanwhile
    EXPECT_EQ(TextOf(dialog, txtDir), many.Utf8());
    EXPECT_EQ(RowsOf(dialog), "B+ C+ D+ E+ F+ G+ H+ I+ ");
    EXPECT_FALSE(many.Exists(L"A.IC1"));
    HWND list = ::GetDlgItem(dialog, lstCollections);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0);
    EXPECT_FALSE(::GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL);
    Click(dialog, btnCreate);  // the editor fails
    EXPECT_TRUE(::IsWindowVisible(dialog));
    // Typed relative to the current drive ("\PICS") and to a drive's current directory ("C:PICS").
    for (const auto& [typed, full, rows] :
         {std::tuple(empty.path().substr(2), empty.path(), ""),
          {L"C:" + p.images.path().substr(parent.size() + 1), p.images.path(), "Trips - own photos+ Work- "}}) {
      TypeDir(dialog, typed);
      EXPECT_EQ(TextOf(dialog, txtDir) + "|" + RowsOf(dialog), Narrow(full) + "|" + rows);
      EXPECT_EQ(test::Enabled(dialog, btnEdit) && test::Enabled(dialog, btnDelete), *rows != 0);
    }
    TypeDir(dialog, empty.path(), false);
    PostClick(dialog, btnSave);  // Alt+O, the box not left
  }, [](HWND question) {
    EXPECT_EQ(TextOf(question) + "|" + TextOf(question, 0xFFFF),
              "You Sure 'Bout That?|Are you sure you want to delete the collection 'A");
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
  }, Answer(message::kUnexpected), Answer(message::kNoneAvailable)},
        "90|True|False|as set", {{L"Trips.IC1", p.trips}, {L"Work.IC1", p.work}}, hooks);
  ::SetCurrentDirectoryW(before);
}

// The browser's directory list: the row showing this name, or -1.
int RowOf(HWND list, const std::string& name) {
  return static_cast<int>(::SendMessageW(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(Widen(name).c_str())));
}
// A row of the browser's directory list clicked once (highlighted) or twice (opened).
void ClickRow(HWND dialog, int row, bool twice = false) {
  HWND list = ::GetDlgItem(dialog, browse::dir1);
  ::SendMessageW(list, LB_SETCURSEL, row, 0);
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::dir1, twice ? LBN_DBLCLK : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// Catches Cancel storing the walked-to directory; the browser off its twips table, a missing directory
// not opening its nearest parent, a single click opening a directory, Enter not opening the highlighted
// one, OK taking the highlighted entry instead of the open one, and the path not upper case.
TEST(Browser, OpensTheNearestDirectoryAndOkYieldsTheOpenOneInUpperCase) {
  test::TempDir dir;
  for (const wchar_t* name : {L"Slides", L"Other"}) ::CreateDirectoryW(dir.File(name).c_str(), nullptr);
  for (int end : {browse::btnCancel, browse::btnOK}) {
    gImagesDir = dir.Utf8() + "\\gone\\deeper";
    test::DialogDriver driver(nullptr, {[&](HWND dialog) {
      test::ExpectLayout(dialog, BrowseFormSpec(), kDpi);
      EXPECT_EQ(TextOf(dialog), "Select Collections Directory");
      HWND list = ::GetDlgItem(dialog, browse::dir1);
      const int open = static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0));
      EXPECT_EQ(RowOf(list, dir.Utf8().substr(dir.Utf8().rfind('\\') + 1)), open);
      ClickRow(dialog, RowOf(list, "Slides"), true);
      EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), open + 2);  // Other is gone, Slides has no subdirectory
      ::SetFocus(list);
      ClickRow(dialog, open);
      ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // Enter opens the highlighted entry
      EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), open + 3);  // Other and Slides again
      ClickRow(dialog, RowOf(list, "Slides"), true);
      ClickRow(dialog, 0);  // C:\ only highlighted
      PostClick(dialog, end);
    }});
    ShowBrowse(nullptr);
    EXPECT_EQ(gImagesDir, end == browse::btnOK ? WindowsUpper(dir.Utf8() + "\\Slides") : dir.Utf8() + "\\gone\\deeper");
  }
}

// The first use, on a machine where nothing is stored and the images directory does not exist yet.
// Catches "/C" not opening with the -102 notice, the second click of a double click on the file-open
// dialog's Open pressing the editor's Cancel beneath it, a picture from another folder not copied
// because the images directory is not there yet, OK not writing the collection the editor handed back or
// the directory, and the program staying after the dialog closes. (The show plays such a directory in
// its own end-to-end test.)
TEST(ConfigureSwitch, FirstUseMakesACollectionThatTheShowPlays) {
  test::ScopedSettings nothingStored;
  const std::wstring imagesDir = L"C:\\PICTAVO";
  const auto clear = [&] {
    for (const wchar_t* name : {L"\\Trip.IC1", L"\\beach.bmp"}) ::DeleteFileW((imagesDir + name).c_str());
    ::RemoveDirectoryW(imagesDir.c_str());
  };
  clear();
  ASSERT_EQ(::GetFileAttributesW(imagesDir.c_str()), INVALID_FILE_ATTRIBUTES);
  test::TempDir photos;
  photos.Write(L"Beach.BMP", "a photo");
  test::ChildProcess configure(test::ProgramPath(), L"/c:1234");
  const auto window = [&](const wchar_t* title) {  // a window of the program; the test goes on without it
    HWND found = test::WaitForVisibleWindow(L"#32770", title, 15000, configure.id());
    EXPECT_NE(found, nullptr) << Narrow(title);
    return found;
  };
  const auto closes = [](HWND w) { return test::WaitUntil([&] { return !::IsWindow(w); }, 10000); };
  const auto press = [](HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); };
  HWND dialog = window(L"Pictavo Settings"), message = window(L"Must Be Important...");
  ASSERT_TRUE(dialog && message);
  EXPECT_NE(test::FindChildByText(message, L"There were no collections available."), nullptr);
  press(test::FindChildByText(message, L"&Done"));
  ASSERT_TRUE(closes(message));
  EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, txtDir)), imagesDir);

  press(::GetDlgItem(dialog, btnCreate));
  HWND editor = window(L"Create Image Collection");
  ::SendDlgItemMessageW(editor, collection::txtName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Trip"));
  press(::GetDlgItem(editor, collection::btnAdd));
  HWND picker = window(L"Add Image Files");
  ::SendMessageW(test::FileNameBox(picker), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(photos.File(L"Beach.BMP").c_str()));
  // Open double-clicked, moved to where the editor's Cancel lies beneath it.
  RECT cancel{}, open{}, picked{};
  ::GetWindowRect(::GetDlgItem(editor, collection::btnCancel), &cancel), ::GetWindowRect(picker, &picked);
  ::GetWindowRect(::GetDlgItem(picker, IDOK), &open);
  ::SetWindowPos(picker, nullptr, picked.left + (cancel.left + cancel.right - open.left - open.right) / 2,
                 picked.top + (cancel.top + cancel.bottom - open.top - open.bottom) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(test::Xdotool(L"mousemove " + std::to_wstring((cancel.left + cancel.right) / 2) + L" " +
                            std::to_wstring((cancel.top + cancel.bottom) / 2) + L" click --repeat 2 --delay 80 1"));
  HWND list = ::GetDlgItem(editor, collection::lstFiles);
  ASSERT_TRUE(test::WaitUntil([&] { return ::SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 10000));
  ::Sleep(500);
  ASSERT_TRUE(::IsWindowVisible(editor)) << "the double click's second press reached the editor beneath";
  EXPECT_EQ(test::VisibleWindowsOf(configure.id()).size(), 2u) << "a message came with the copy";
  press(::GetDlgItem(editor, collection::btnSave));
  ASSERT_TRUE(closes(editor));
  press(::GetDlgItem(dialog, btnSave));
  EXPECT_TRUE(configure.WaitForExit(10000));
  EXPECT_EQ(configure.ExitCode().value_or(999), 0u);
  EXPECT_EQ(nothingStored.Get(L"ImagesDir"), imagesDir);
  const std::string file = test::ReadFileBytes(imagesDir + L"\\Trip.IC1").value_or("");
  EXPECT_NE(file.find("beach.bmp^Trip 1\r\n"), std::string::npos) << file;
  EXPECT_EQ(test::ReadFileBytes(imagesDir + L"\\beach.bmp"), "a photo");
  clear();
}

}  // namespace
}  // namespace pictavo
