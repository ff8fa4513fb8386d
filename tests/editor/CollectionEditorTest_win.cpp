// The collection editor as a user meets it, under Wine at one DPI (built once for 96 and once for 144):
// in process, with a stand-in for the file-open dialog, and once with the real one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "collections/Collections_win.h"
#include "editor/CollectionEditor.h"
#include "editor/CollectionEditor_win.h"
#include "editor/ImageFilePicker_win.h"
#include "platform/Text_win.h"
#include "tests/support/DialogTest_win.h"
#include "tests/support/WineTest_win.h"
#include "ui/Form_win.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

constexpr int32_t kDpi = PICTAVO_TEST_DPI;
using namespace collection;
using test::TextOf;

void Click(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
void Type(HWND dialog, int id, const std::string& text) { ::SetDlgItemTextW(dialog, id, Widen(text).c_str()); }
std::vector<std::string> ListOf(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, lstFiles);
  std::vector<std::string> entries;
  for (LRESULT i = 0, n = ::SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
    wchar_t text[MAX_PATH] = {};
    ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(Narrow(text));
  }
  return entries;
}
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// The dialogs of one test, one step each, in the order they come up.
using Step = std::function<void(HWND)>;
struct Steps {
  explicit Steps(HWND owner, std::vector<Step> steps)
      : steps(std::move(steps)),
        driver(owner, [this](HWND dialog) { if (next < this->steps.size()) this->steps[next++](dialog); },
               static_cast<int>(this->steps.size()), 15000) {}
  std::vector<Step> steps;
  size_t next = 0;
  test::DialogDriver driver;
};
// A message dialog with this code's headline, closed with "&Done"; then `after` acts on the editor.
Step Answer(int32_t code, std::function<void()> after = {}) {
  return [code, after](HWND dialog) {
    EXPECT_EQ(TextOf(dialog, msg::lblOneLiner), MessageFor(code).headline);
    Click(dialog, msg::Command1);
    if (after) after();
  };
}

// Hands the editor a fixed result, as the file-open dialog would; counts how often it was asked.
struct FakePicker final : ImageFilePicker {
  std::wstring result;
  std::string startedIn;
  std::string Pick(HWND, const std::string& initialDirectory) override {
    startedIn = initialDirectory;
    return Narrow(result);
  }
};

struct EditorTest : ::testing::Test {
  void SetUp() override {
    gEditCollection = CollectionInfo{};
    gCollectionCount = 2;
    gCollections[0] = CollectionInfo{};
    gCollections[0].Name = "Holiday";
    gCollections[1] = CollectionInfo{};
    gCollections[1].Name = "Rocks";
  }
  void TearDown() override { gCollectionCount = 0; }
  test::OwnerWindow owner{TwipsToPixels(600, kDpi), TwipsToPixels(600, kDpi), 400, 300};
  FakePicker picker;
};

// Catches a control off its table place or clipped, a wrong caption, font or initial state (label shown,
// Remove enabled, copying off, a list without extended selection), a dialog not centred, a Tab order off
// the table, OK or Cancel as the default or cancel button (Enter or Escape acting), -101 before -100,
// a name of blanks, a clash with another collection in another letter case, and a Cancel that leaves a
// name behind.
TEST_F(EditorTest, CreateModeLayoutAndWhatOkRefuses) {
  std::string written;
  Steps steps(owner.hwnd, {
      [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Create Image Collection");
        test::ExpectLayout(dialog, CollectionFormSpec(), kDpi);
        test::ExpectCentred(dialog, kDpi);
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, lblCopying)));
        EXPECT_FALSE(Enabled(dialog, btnRemove));
        EXPECT_EQ(::SendDlgItemMessageW(dialog, chkCopy, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_TRUE(::GetWindowLongPtrW(::GetDlgItem(dialog, lstFiles), GWL_STYLE) & LBS_EXTENDEDSEL);
        EXPECT_EQ(TextOf(dialog, btnCopyright), "\u00A9");
        for (int id : {btnSave, btnCancel})
          EXPECT_FALSE(::GetWindowLongPtrW(::GetDlgItem(dialog, id), GWL_STYLE) & BS_DEFPUSHBUTTON) << id;
        std::vector<int> tabOrder;
        HWND first = ::GetFocus(), at = first;
        do tabOrder.push_back(::GetDlgCtrlID(at));
        while ((at = ::GetNextDlgTabItem(dialog, at, FALSE)) != first && at != nullptr);
        EXPECT_EQ(tabOrder, (std::vector<int>{txtName, txtComment, txtCopyright, btnCopyright, lstFiles, btnAdd,
                                              chkCopy, btnSave, btnCancel}));
        test::SaveShot("editor-create", kDpi);
        ::ShowWindow(::GetDlgItem(dialog, lblCopying), SW_SHOW);  // to be looked at in the screenshot
        ::UpdateWindow(dialog);
        test::SaveShot("editor-copying-label", kDpi);
        ::ShowWindow(::GetDlgItem(dialog, lblCopying), SW_HIDE);
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {  // as the modal loop hands them to the dialog manager
          MSG m{::GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
          ::IsDialogMessageW(dialog, &m);
        }
        Click(dialog, btnSave);
      },
      Answer(-100, [&] {
        HWND editor = ::GetWindow(::GetActiveWindow(), GW_OWNER);
        Type(editor, txtName, "   ");
        Click(editor, btnSave);
      }),
      Answer(-101, [&] {
        HWND editor = ::GetWindow(::GetActiveWindow(), GW_OWNER);
        ::SendDlgItemMessageW(editor, lstFiles, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"a.jpg"));
        Click(editor, btnSave);
      }),
      Answer(-106, [&] {
        HWND editor = ::GetWindow(::GetActiveWindow(), GW_OWNER);
        Type(editor, txtName, "rOCKS");
        Click(editor, btnSave);
      }),
      Answer(-107, [&] {
        HWND editor = ::GetWindow(::GetActiveWindow(), GW_OWNER);
        Click(editor, btnCancel);
      }),
  });
  ShowCollectionEditor(owner.hwnd, "C:\\", -1, picker);
  EXPECT_EQ(gEditCollection.Name, "");
}

// Catches the edit caption or stored fields not shown, stored names changed (letter case, duplicates),
// the edited collection clashing with itself, Remove skipping entries or staying enabled, a click that
// leaves nothing selected keeping Remove enabled, the copyright sign replacing the selection or leaving
// the caret or focus elsewhere, and OK renaming the file the collection was read from, keeping old
// titles, leaving InUse false or dropping the lines kept from the file.
TEST_F(EditorTest, EditModeRoundTrip) {
  gEditCollection.Name = "Holiday";
  gEditCollection.Comment = "Summer";
  gEditCollection.FileName = "holiday.ic1";
  gEditCollection.ImageCount = 5;
  const char* stored[] = {"A.JPG", "b.jpg", "a.jpg", "d.jpg", "e.jpg"};
  for (int i = 0; i < 5; ++i) gEditCollection.Images[i] = {"Holiday " + std::to_string(i + 1), stored[i]};
  gEditCollection.Kept.info = "; a note\r\n";
  Steps steps(owner.hwnd, {[&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Edit Image Collection");
    EXPECT_EQ(TextOf(dialog, txtName) + "|" + TextOf(dialog, txtComment), "Holiday|Summer");
    EXPECT_EQ(ListOf(dialog), (std::vector<std::string>{"A.JPG", "b.jpg", "a.jpg", "d.jpg", "e.jpg"}));
    HWND list = ::GetDlgItem(dialog, lstFiles);
    const auto selectionChanged = [&] {
      ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(lstFiles, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    };
    ::SendMessageW(list, LB_SETSEL, TRUE, 0);
    selectionChanged();
    EXPECT_TRUE(Enabled(dialog, btnRemove));
    ::SendMessageW(list, LB_SETSEL, FALSE, -1);
    selectionChanged();
    EXPECT_FALSE(Enabled(dialog, btnRemove));
    for (int i : {0, 1, 3}) ::SendMessageW(list, LB_SETSEL, TRUE, i);
    selectionChanged();
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(btnRemove, BN_CLICKED), 0);
    EXPECT_EQ(ListOf(dialog), (std::vector<std::string>{"a.jpg", "e.jpg"}));
    EXPECT_FALSE(Enabled(dialog, btnRemove));

    Type(dialog, txtCopyright, "1998 Harbour Views");
    ::SendDlgItemMessageW(dialog, txtCopyright, EM_SETSEL, 0, 4);  // "1998" selected
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(btnCopyright, BN_CLICKED), 0);
    EXPECT_EQ(TextOf(dialog, txtCopyright), "\u00A91998 Harbour Views");
    DWORD start = 0, end = 0;
    ::SendDlgItemMessageW(dialog, txtCopyright, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start * 100 + end, 101u);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, txtCopyright));
    Type(dialog, txtName, "Summer");
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::SaveShot("editor-edit", kDpi);
    Click(dialog, btnSave);
  }});
  ShowCollectionEditor(owner.hwnd, "C:\\", 0, picker);
  const CollectionInfo& r = gEditCollection;
  EXPECT_EQ(r.Name + "|" + r.FileName + "|" + r.Copyright, "Summer|holiday.ic1|\u00A91998 Harbour Views");
  EXPECT_TRUE(r.InUse);
  ASSERT_EQ(r.ImageCount, 2);
  EXPECT_EQ(r.Images[0].File + r.Images[0].Title + r.Images[1].File + r.Images[1].Title, "a.jpgSummer 1e.jpgSummer 2");
  EXPECT_EQ(r.Kept.info, "; a note\r\n");
}

// Catches the frame's close box running Cancel's or OK's handler (in edit mode the collection comes back
// as it went in; in create mode the name stays empty), and a Cancel that leaves the edited name in place
// or changes any other field.
TEST_F(EditorTest, CloseBoxAndCancel) {
  const struct { const char* name; bool cancel; const char* after; } rows[] = {
      {"Holiday", false, "Holiday"}, {"", false, ""}, {"Holiday", true, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + (row.cancel ? " cancel" : " close"));
    gEditCollection = CollectionInfo{};
    gEditCollection.Name = row.name;
    gEditCollection.Comment = "Summer";
    gEditCollection.ImageCount = 1;
    gEditCollection.Images[0] = {"T", "x.jpg"};
    Steps steps(owner.hwnd, {[&](HWND dialog) {
      Type(dialog, txtName, "Changed");
      Type(dialog, txtComment, "Winter");
      ::SendDlgItemMessageW(dialog, lstFiles, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"y.jpg"));
      if (row.cancel) Click(dialog, btnCancel);
      else ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }});
    ShowCollectionEditor(owner.hwnd, "C:\\", 0, picker);
    EXPECT_EQ(gEditCollection.Name, row.after);
    EXPECT_EQ(gEditCollection.Comment + gEditCollection.Images[0].File, "Summerx.jpg");
    EXPECT_EQ(gEditCollection.ImageCount, 1);
  }
}

struct HookTraits {
  using Type = HHOOK;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::UnhookWindowsHookEx(h); }
};

// Records what the copying label did: shown (with the hourglass) and hidden again.
std::vector<std::string> gLabelEvents;
LRESULT CALLBACK WatchLabel(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_SHOWWINDOW && ::GetDlgCtrlID(m->hwnd) == lblCopying)
    gLabelEvents.push_back(m->wParam ? (::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT) ? "shown, hourglass" : "shown")
                                     : "hidden");
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Catches a different picture in the images directory overwritten, an identical one or the picked file
// itself copied again, a "^" name listed or copied as it is, copies made with the box cleared or without
// a directory, the label not shown around the copies (or shown without any), failed copies told more than
// once or losing their names, a Unicode name mangled on its way from the pick to the collection file,
// and the picker not started in the directory box's folder.
TEST_F(EditorTest, AddFilesCopiesIntoTheImagesDirectory) {
  test::TempDir photos, images;
  photos.Write(L"Beach.JPG", "sand");
  photos.Write(L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1.jpg", "greek");
  photos.Write(L"rock^roll.jpg", "rock");
  photos.Write(L"Sea.jpg", "waves");
  images.Write(L"beach.jpg", "other sand");
  images.Write(L"sea.jpg", "waves");
  const std::wstring pick = photos.path() + L'\0' + L"Beach.JPG" + L'\0' + L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1.jpg" +
                            L'\0' + L"rock^roll.jpg" + L'\0' + L"Sea.jpg" + L'\0';
  const std::string missing = images.Utf8() + "\\missing";
  const struct { const char* what; std::string dir; bool ticked; std::vector<std::string> list; int32_t message; } rows[] = {
      {"copying", images.Utf8(), true, {"beach (2).jpg", "\u03B5\u03BB\u03BB\u03AC\u03B4\u03B1.jpg", "rock_roll.jpg", "sea.jpg"}, 0},
      {"box cleared", images.Utf8(), false, {"beach.jpg", "\u03B5\u03BB\u03BB\u03AC\u03B4\u03B1.jpg", "sea.jpg"}, -112},
      {"no directory", "", true, {"beach.jpg", "\u03B5\u03BB\u03BB\u03AC\u03B4\u03B1.jpg", "sea.jpg"}, -112},
      {"copies fail", missing, true, {"beach.jpg", "\u03B5\u03BB\u03BB\u03AC\u03B4\u03B1.jpg", "rock_roll.jpg", "sea.jpg"}, -109},
  };
  Owned<HookTraits> hook(::SetWindowsHookExW(WH_CALLWNDPROC, &WatchLabel, nullptr, ::GetCurrentThreadId()));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    gEditCollection = CollectionInfo{};
    gLabelEvents.clear();
    picker.result = pick;
    std::vector<Step> script{[&](HWND dialog) {
      ::SendDlgItemMessageW(dialog, chkCopy, BM_SETCHECK, row.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
      Type(dialog, txtName, "Trip");
      gLabelEvents.clear();  // only what the pick does
      Click(dialog, btnAdd);
      if (row.message == 0) Click(dialog, btnSave);
    }};
    if (row.message != 0)
      script.push_back(Answer(row.message, [] { Click(::GetWindow(::GetActiveWindow(), GW_OWNER), btnSave); }));
    {
      Steps steps(owner.hwnd, script);
      ShowCollectionEditor(owner.hwnd, row.dir, -1, picker);
    }
    EXPECT_EQ(picker.startedIn, row.dir);
    std::vector<std::string> listed;
    for (int i = 0; i < gEditCollection.ImageCount; ++i) listed.push_back(gEditCollection.Images[i].File);
    EXPECT_EQ(listed, row.list);
    const bool copying = row.ticked && !row.dir.empty();
    const std::vector<std::string> labelEvents{"shown, hourglass", "hidden"};
    EXPECT_EQ(gLabelEvents, copying ? labelEvents : std::vector<std::string>());
    EXPECT_EQ(images.Read(L"beach.jpg"), "other sand");
    EXPECT_EQ(images.Read(L"Beach (2).JPG").value_or("-"), row.message == 0 ? "sand" : "-");
    EXPECT_EQ(images.Read(L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1.jpg").value_or("-"), row.message == 0 ? "greek" : "-");
    EXPECT_EQ(images.Read(L"rock_roll.jpg").value_or("-"), row.message == 0 ? "rock" : "-");
    EXPECT_FALSE(images.Exists(L"rock^roll.jpg"));
    if (row.message == 0) {
      // From the list to the collection file and back, as the show reads it.
      ASSERT_EQ(WriteCollectionFile(SystemCollectionIo(), images.Utf8(), gEditCollection), WriteStatus::Written);
      CollectionInfo back;
      ASSERT_TRUE(ReadCollectionFile(SystemCollectionIo(), images.Utf8(), "Trip.IC1", back));
      EXPECT_EQ(back.Images[1].File, "\u03B5\u03BB\u03BB\u03AC\u03B4\u03B1.jpg");
      EXPECT_EQ(images.Read(Widen(back.Images[1].File)), "greek") << "found under its listed name";
      // The next rows start from the same directory.
      for (const wchar_t* name : {L"Beach (2).JPG", L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1.jpg", L"rock_roll.jpg", L"Trip.IC1"})
        ::DeleteFileW(images.File(name).c_str());
    }
  }
}

// The platform's file-open dialog itself.
HWND FileNameBox(HWND dialog) {
  HWND box = ::GetDlgItem(dialog, 0x47C);  // cmb13, the file name combo box
  return box != nullptr ? box : ::GetDlgItem(dialog, 0x480);  // edt1
}

// The real picker; once it has returned, OK is pressed in the editor that asked.
struct PickThenAccept final : ImageFilePicker {
  std::string Pick(HWND owner, const std::string& initialDirectory) override {
    std::string result = real.Pick(owner, initialDirectory);
    Click(owner, btnSave);
    return result;
  }
  SystemImageFilePicker real;
};

// Catches a wrong title, a picker that does not start in the directory box's folder, several files not
// taken at once, a ".jfif" file or a Unicode name lost, and the current directory changed afterwards.
// (Wine's dialog writes a multiple selection whatever the buffer's size, so asking again with a larger
// buffer cannot be shown here.)
TEST_F(EditorTest, TheRealFileOpenDialog) {
  test::TempDir images;
  for (const wchar_t* name : {L"One.jpg", L"two.JFIF", L"\u65E5\u672C.jpg"}) images.Write(name, "picture");
  wchar_t before[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  PickThenAccept picker;
  const Step pickThree = [&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Add Image Files");
    test::SaveShot("editor-file-open", kDpi);
    ::SetWindowTextW(FileNameBox(dialog), L"\"One.jpg\" \"two.JFIF\" \"\u65E5\u672C.jpg\"");
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
  };
  {
    Steps steps(owner.hwnd, {[&](HWND dialog) { Type(dialog, txtName, "Real"); Click(dialog, btnAdd); }, pickThree});
    ShowCollectionEditor(owner.hwnd, images.Utf8(), -1, picker);
  }
  wchar_t after[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(after, before);
  std::vector<std::string> listed;
  for (int i = 0; i < gEditCollection.ImageCount; ++i) listed.push_back(gEditCollection.Images[i].File);
  EXPECT_EQ(listed, (std::vector<std::string>{"one.jpg", "two.jfif", "\u65E5\u672C.jpg"}));
}

}  // namespace
}  // namespace pictavo
