// The settings dialog and the directory browser as a user meets them, under Wine at one DPI (this file
// is built once for 96 and once for 144 DPI): in this process with the editor replaced, and as "/C".
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/Registry_win.h"
#include "app/Settings.h"
#include "collections/CollectionInfo.h"
#include "editor/CollectionEditor.h"
#include "platform/Text_win.h"
#include "setup/Browse_win.h"
#include "setup/SetupForms.h"
#include "setup/Setup_win.h"
#include "tests/support/DialogTest_win.h"
#include "tests/support/WineTest_win.h"

namespace pictavo {
namespace {

constexpr int32_t kDpi = PICTAVO_TEST_DPI;
using test::DialogDriver;
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
  Prepared(const wchar_t* delay = L"90") {
    images.Write(L"Trips.IC1", trips);
    images.Write(L"Work.IC1", work);
    settings.Set(L"Delay", delay);
    settings.Set(L"Random", L"True");
    settings.Set(L"UseAll", L"False");
    settings.Set(L"ImagesDir", images.path());
  }
  std::string Dir() const { return WindowsUpper(images.Utf8()); }
};

struct Row {
  std::string text;
  bool ticked;
  friend bool operator==(const Row&, const Row&) = default;
};
std::vector<Row> RowsOf(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, setup::lstCollections);
  std::vector<Row> rows;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, i, 0, text, 255);
    rows.push_back({Narrow(text), ListView_GetCheckState(list, i) != 0});
  }
  return rows;
}
void SetCurrentRow(HWND dialog, int row) {
  HWND list = ::GetDlgItem(dialog, setup::lstCollections);
  ListView_SetItemState(list, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}
void Click(HWND dialog, int id) { ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
void Key(HWND control, UINT key) {
  ::SetFocus(control);
  ::SendMessageW(control, WM_KEYDOWN, key, 1);
  ::SendMessageW(control, WM_KEYUP, key, 1u << 31 | 1u << 30 | 1);
}
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Catches stored settings not reaching the controls (slider, caption, option, check box, directory),
// rows out of slot order or with ticks other than the use flags, the layout off its twips table, Enter or
// Escape closing the dialog, the slider's keys or Space on a row not changing what OK stores, and OK
// writing other registry values or other bytes into the collection files.
TEST(SetupDialog, ShowsTheStoredSettingsAndOkStoresEveryChoice) {
  Prepared p;
  DialogDriver driver(nullptr, [&](HWND dialog) {
    test::ExpectLayout(dialog, SetupFormSpec(), kDpi);
    test::ExpectCentred(dialog, kDpi);
    EXPECT_EQ(TextOf(dialog), "Pictavo Settings");
    EXPECT_EQ(::SendDlgItemMessageW(dialog, setup::slDelay, TBM_GETPOS, 0, 0), 90);
    EXPECT_EQ(::SendDlgItemMessageW(dialog, setup::slDelay, TBM_GETRANGEMAX, 0, 0), 600);
    EXPECT_EQ(::SendDlgItemMessageW(dialog, setup::slDelay, TBM_GETPAGESIZE, 0, 0), 30);
    EXPECT_EQ(TextOf(dialog, setup::lblDelay), "1 min 30 sec");
    EXPECT_TRUE(Checked(dialog, setup::rbRandom));
    EXPECT_FALSE(Checked(dialog, setup::rbSequential));
    EXPECT_FALSE(Checked(dialog, setup::chkUseAll));
    EXPECT_EQ(TextOf(dialog, setup::txtDir), p.Dir());
    EXPECT_EQ(RowsOf(dialog), (std::vector<Row>{{"Trips - own photos", true}, {"Work", false}}));
    test::SaveShot("setup", kDpi);

    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // Enter and Escape, as the dialog manager hands them on
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindowVisible(dialog));

    Key(::GetDlgItem(dialog, setup::slDelay), VK_PRIOR);  // one large step down
    EXPECT_EQ(TextOf(dialog, setup::lblDelay), "1 min 0 sec");
    Key(::GetDlgItem(dialog, setup::slDelay), VK_END);
    EXPECT_EQ(TextOf(dialog, setup::lblDelay), "10 min 0 sec");
    ::SendDlgItemMessageW(dialog, setup::rbSequential, BM_CLICK, 0, 0);
    ::SendDlgItemMessageW(dialog, setup::chkUseAll, BM_CLICK, 0, 0);
    SetCurrentRow(dialog, 0);
    Key(::GetDlgItem(dialog, setup::lstCollections), VK_SPACE);
    SetCurrentRow(dialog, 1);
    Key(::GetDlgItem(dialog, setup::lstCollections), VK_SPACE);
    EXPECT_EQ(RowsOf(dialog), (std::vector<Row>{{"Trips - own photos", false}, {"Work", true}}));
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
// that waits for OK or removes another file, the question's text, title, buttons or default wrong, and
// rows and slots getting out of step over create, edit and delete.
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
      ASSERT_NE(::GetDlgItem(dialog, IDNO), nullptr);
      EXPECT_EQ(::GetWindowLongW(::GetDlgItem(dialog, IDYES), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
      EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), IDYES);
      EXPECT_LT(test::RectOf(::GetDlgItem(dialog, IDYES)).left, test::RectOf(::GetDlgItem(dialog, IDNO)).left);
      EXPECT_EQ(::GetDlgItem(dialog, IDCANCEL), nullptr);
      HWND icon = ::GetDlgItem(dialog, 0x440);
      EXPECT_TRUE(icon == nullptr || !::IsWindowVisible(icon) || ::SendMessageW(icon, STM_GETICON, 0, 0) == 0);
      ::PostMessageW(dialog, WM_COMMAND, IDYES, 0);
      return;
    }
    Click(dialog, setup::btnCreate);
    SetCurrentRow(dialog, 0);
    Click(dialog, setup::btnEdit);
    EXPECT_EQ(RowsOf(dialog),
              (std::vector<Row>{{"Trips renamed - own photos", true}, {"Work", false}, {"New", true}}));
    SetCurrentRow(dialog, 1);
    Click(dialog, setup::btnDelete);  // the question arrives meanwhile
    EXPECT_EQ(RowsOf(dialog), (std::vector<Row>{{"Trips renamed - own photos", true}, {"New", true}}));
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
    for (const std::string& typed : {p.images.Utf8() + "\\a file", empty.Utf8() + "\\"}) {
      ::SetFocus(box);
      ::SetWindowTextW(box, Widen(typed).c_str());
      ::SetFocus(::GetDlgItem(dialog, setup::slDelay));
      EXPECT_TRUE(RowsOf(dialog).empty()) << typed;
      EXPECT_FALSE(Enabled(dialog, setup::btnEdit) || Enabled(dialog, setup::btnDelete)) << typed;
    }
    EXPECT_EQ(TextOf(dialog, setup::txtDir), empty.Utf8());  // the trailing "\" removed
    ::SetFocus(box);
    ::SetWindowTextW(box, Widen(p.images.Utf8()).c_str());
    ::SetFocus(::GetDlgItem(dialog, setup::slDelay));
    EXPECT_EQ(RowsOf(dialog).size(), 2u);
    EXPECT_TRUE(Enabled(dialog, setup::btnEdit) && Enabled(dialog, setup::btnDelete));
    ::SetFocus(box);
    ::SetWindowTextW(box, Widen(empty.Utf8()).c_str());
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(setup::btnSave, BN_CLICKED), 0);  // Alt+O: the box not left
  }, 2);
  ShowSetup(nullptr);
  EXPECT_EQ(p.settings.Get(L"Delay"), L"90");
  EXPECT_EQ(p.settings.Get(L"ImagesDir"), p.images.path());
  EXPECT_EQ(p.images.Read(L"Work.IC1"), p.work);
}

std::string LastPart(const std::string& path) { return path.substr(path.rfind('\\') + 1); }
int RowOf(HWND list, const std::string& name) {
  for (int i = 0; i < ::SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[MAX_PATH] = {};
    ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    if (Narrow(text) == name) return i;
  }
  return -1;
}
void DoubleClick(HWND dialog, int row) {
  HWND list = ::GetDlgItem(dialog, browse::dir1);
  ::SendMessageW(list, LB_SETCURSEL, row, 0);
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::dir1, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

// Catches the browser off its twips table, not opening at gImagesDir, a single click opening a
// directory, OK taking the highlighted entry instead of the open one, and the path not upper case.
TEST(Browser, OkAfterADoubleClickYieldsTheOpenDirectoryInUpperCase) {
  test::TempDir dir;
  ::CreateDirectoryW(dir.File(L"Slides").c_str(), nullptr);
  ::CreateDirectoryW(dir.File(L"Other").c_str(), nullptr);
  gImagesDir = dir.Utf8();
  DialogDriver driver(nullptr, [&](HWND dialog) {
    // A drop-down list's closed box is no lower than its font allows: at 144 DPI two pixels more than the table.
    const FormSpec& spec = BrowseFormSpec();
    std::vector<ControlSpec> others;
    for (const ControlSpec& c : spec.controls) {
      if (c.id != browse::drive1) others.push_back(c);
    }
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
    EXPECT_EQ(RowOf(list, LastPart(dir.Utf8())), open);
    test::SaveShot("browse", kDpi);
    DoubleClick(dialog, RowOf(list, "Slides"));
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), open + 2);  // Other is gone, Slides has no subdirectory
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);  // a single click on C:\ only highlights it
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::btnOK, BN_CLICKED), 0);
  });
  ShowBrowse(nullptr);
  EXPECT_EQ(gImagesDir, WindowsUpper(dir.Utf8() + "\\Slides"));
}

// Catches Cancel storing the walked-to directory, Enter not opening the highlighted entry, and a
// missing directory or one without a drive letter leaving the browser empty.
TEST(Browser, OpensAtTheNearestDirectoryAndCancelKeepsTheSetting) {
  test::TempDir dir;
  const struct { std::string start; std::string opens; } rows[] = {
      {dir.Utf8() + "\\gone\\deeper", WindowsUpper(dir.Utf8())},
      {"PICTAVO", ""},  // the current directory, whatever it is
  };
  for (const auto& row : rows) {
    gImagesDir = row.start;
    DialogDriver driver(nullptr, [&](HWND dialog) {
      HWND list = ::GetDlgItem(dialog, browse::dir1);
      const int open = static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0));
      EXPECT_GT(open, 0) << row.start;
      if (!row.opens.empty()) {
        EXPECT_EQ(RowOf(list, LastPart(dir.Utf8())), open) << row.start;
      }
      ::SetFocus(list);
      ::SendMessageW(list, LB_SETCURSEL, 0, 0);
      ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // Enter on C:\ opens it
      EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
      EXPECT_TRUE(::IsWindowVisible(dialog));
      ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse::btnCancel, BN_CLICKED), 0);
    });
    ShowBrowse(nullptr);
    EXPECT_EQ(gImagesDir, row.start);
  }
}

// Catches "/C" (in today's "/c:N" and "/C N" forms) not opening the dialog on the stored settings, the
// -102 message missing over an empty directory, OK not storing or rewriting files it did not change,
// and the program staying after the dialog closes.
TEST(ConfigureSwitch, OpensTheSettingsAndOkStoresThem) {
  const struct { const wchar_t* arguments; bool withCollections; } rows[] = {{L"/c:1234", true}, {L"/C 1234", false}};
  for (const auto& row : rows) {
    Prepared p(L"61");
    if (!row.withCollections) {
      ::DeleteFileW(p.images.File(L"Trips.IC1").c_str());
      ::DeleteFileW(p.images.File(L"Work.IC1").c_str());
    }
    test::ChildProcess program(test::ProgramPath(), row.arguments);
    HWND dialog = test::WaitForVisibleWindow(L"#32770", L"Pictavo Settings", 15000, program.id());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] { return ::GetDlgItem(dialog, setup::btnCancel) != nullptr; }, 5000));
    EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, setup::lblDelay)), L"1 min 1 sec");
    EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, setup::txtDir)), Widen(p.Dir()));
    EXPECT_EQ(::SendDlgItemMessageW(dialog, setup::lstCollections, LVM_GETITEMCOUNT, 0, 0),
              row.withCollections ? 2 : 0);
    if (!row.withCollections) {
      HWND message = test::WaitForVisibleWindow(L"#32770", L"Must Be Important...", 10000, program.id());
      ASSERT_NE(message, nullptr);
      EXPECT_NE(test::FindChildByText(message, L"There were no collections available."), nullptr);
      test::SaveShot("configure-empty", kDpi);
      ::PostMessageW(test::FindChildByText(message, L"&Done"), BM_CLICK, 0, 0);
      EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, setup::btnEdit)));
      ::PostMessageW(::GetDlgItem(dialog, setup::btnCancel), BM_CLICK, 0, 0);
    } else {
      ::SendDlgItemMessageW(dialog, setup::slDelay, TBM_SETPOS, TRUE, 5);
      ::PostMessageW(::GetDlgItem(dialog, setup::btnSave), BM_CLICK, 0, 0);
    }
    EXPECT_TRUE(program.WaitForExit(10000));
    EXPECT_EQ(program.ExitCode().value_or(999), 0u);
    EXPECT_EQ(p.settings.Get(L"Delay"), row.withCollections ? L"5" : L"61");
    if (row.withCollections) {
      EXPECT_EQ(p.images.Read(L"Trips.IC1"), p.trips);
      EXPECT_EQ(p.images.Read(L"Work.IC1"), p.work);
    }
  }
}

}  // namespace
}  // namespace pictavo
