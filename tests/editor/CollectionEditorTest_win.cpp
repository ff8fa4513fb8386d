// The collection editor as a user meets it, under Wine at one DPI (built once for 96 and once for 144):
// in process, with a stand-in for the file-open dialog, and once with the real one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "collections/Collections_win.h"
#include "editor/CollectionEditor.h"
#include "editor/CollectionEditor_win.h"
#include "editor/ImageFilePicker_win.h"
#include "platform/Text_win.h"
#include "tests/support/DialogTest_win.h"
#include "tests/support/WineTest_win.h"
#include "ui/Forms.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

using namespace collection;
using test::Answer, test::Enabled, test::kDpi, test::Step, test::TextOf;
using Names = std::vector<std::string>;
constexpr auto Click = test::PostClick;  // the editor's own loop presses the buttons

void Type(HWND dialog, int id, const std::string& text) { ::SetDlgItemTextW(dialog, id, Widen(text).c_str()); }
Names ListOf(HWND dialog) { return test::ListBoxTexts(::GetDlgItem(dialog, lstFiles)); }
// The files of the collection the editor handed back.
Names Listed() {
  Names files;
  for (int i = 0; i < gEditCollection.ImageCount; ++i) files.push_back(gEditCollection.Images[i].File);
  return files;
}

// Hands the editor a fixed result, as the file-open dialog would; notes where it was started.
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
    gCollections[0] = gCollections[1] = CollectionInfo{};
    gCollections[0].Name = "Holiday", gCollections[1].Name = "Rocks";
  }
  void TearDown() override { gCollectionCount = 0; }
  // The editor over the owner, one step per dialog as it comes up.
  void Run(const std::string& dirText, int slot, std::vector<Step> steps, ImageFilePicker* with = nullptr) {
    test::DialogDriver driver(owner.hwnd, std::move(steps));
    ShowCollectionEditor(owner.hwnd, dirText, slot, with ? *with : picker);
  }
  test::OwnerWindow owner{TwipsToPixels(600, kDpi), TwipsToPixels(600, kDpi), 400, 300};
  FakePicker picker;
};

// Catches a control off its table place or clipped, a wrong caption, font or initial state (label shown,
// Remove enabled, copying off, a list without extended selection), a dialog not centred, Enter or Escape
// acting, OK not refusing what the rules refuse (a name clashing with another collection in another
// letter case, as Windows compares file names), and a Cancel that leaves a name behind.
TEST_F(EditorTest, CreateModeLayoutAndWhatOkRefuses) {
  Run("C:\\", -1, {
      [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, btnCopyright), "Create Image Collection|\u00A9");
        test::ExpectLayout(dialog, CollectionFormSpec(), kDpi);
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, lblCopying)) || Enabled(dialog, btnRemove));
        EXPECT_EQ(::SendDlgItemMessageW(dialog, chkCopy, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_TRUE(::GetWindowLongPtrW(::GetDlgItem(dialog, lstFiles), GWL_STYLE) & LBS_EXTENDEDSEL);
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {  // as the modal loop hands them to the dialog manager
          MSG m{::GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
          ::IsDialogMessageW(dialog, &m);
        }
        Click(dialog, btnSave);
      },
      Answer(-100, [](HWND editor) {
        Type(editor, txtName, "rOCKS");
        ::SendDlgItemMessageW(editor, lstFiles, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"a.jpg"));
        Click(editor, btnSave);
      }),
      Answer(-107, [](HWND editor) { Click(editor, btnCancel); }),
  });
  EXPECT_EQ(gEditCollection.Name, "");
}

// Catches the edit caption or stored fields not shown, stored names changed (letter case, duplicates),
// the edited collection clashing with itself, Remove skipping entries or staying enabled, a click that
// leaves nothing selected keeping Remove enabled, the copyright sign replacing the selection or leaving
// the caret or focus elsewhere, and OK not filling the record in edit mode (renaming the file the
// collection was read from, dropping the lines kept from it) or from other fields and files.
TEST_F(EditorTest, EditModeRoundTrip) {
  CollectionInfo& e = gEditCollection;
  e.Name = "Holiday", e.Comment = "Summer", e.FileName = "holiday.ic1", e.Kept.info = "; a note\r\n";
  const Names stored{"A.JPG", "b.jpg", "a.jpg", "d.jpg", "e.jpg"};
  for (int i = 0; i < 5; ++i) e.Images[i] = {"Holiday " + std::to_string(i + 1), stored[i]};
  e.ImageCount = 5;
  Run("C:\\", 0, {[&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, txtName) + "|" + TextOf(dialog, txtComment),
              "Edit Image Collection|Holiday|Summer");
    EXPECT_EQ(ListOf(dialog), stored);
    HWND list = ::GetDlgItem(dialog, lstFiles);
    const auto select = [&](std::vector<int> rows, BOOL on = TRUE) {
      for (int i : rows) ::SendMessageW(list, LB_SETSEL, on, i);
      ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(lstFiles, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    };
    select({0});
    EXPECT_TRUE(Enabled(dialog, btnRemove));
    select({-1}, FALSE);
    EXPECT_FALSE(Enabled(dialog, btnRemove));
    select({0, 1, 3});
    test::Click(dialog, btnRemove);
    EXPECT_EQ(ListOf(dialog), (Names{"a.jpg", "e.jpg"}));
    EXPECT_FALSE(Enabled(dialog, btnRemove));

    Type(dialog, txtCopyright, "1998 Harbour Views");
    ::SendDlgItemMessageW(dialog, txtCopyright, EM_SETSEL, 0, 4);  // "1998" selected
    test::Click(dialog, btnCopyright);
    EXPECT_EQ(TextOf(dialog, txtCopyright), "\u00A91998 Harbour Views");
    DWORD start = 0, end = 0;
    ::SendDlgItemMessageW(dialog, txtCopyright, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start * 100 + end, 101u);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, txtCopyright));
    Type(dialog, txtName, "Summer");
    Click(dialog, btnSave);
  }});
  // The record filled from the fields as in edit mode (the rules' own test checks titles and InUse).
  EXPECT_EQ(e.Name + "|" + e.FileName + "|" + e.Copyright + "|" + e.Kept.info,
            "Summer|holiday.ic1|\u00A91998 Harbour Views|; a note\r\n");
  EXPECT_EQ(Listed(), (Names{"a.jpg", "e.jpg"}));
}

// Catches the frame's close box running Cancel's or OK's handler (the collection must come back as it
// went in), a Cancel that leaves the edited name in place or changes any other field, and a collection
// whose file gave no name opened for creating instead of editing (OK would leave its file beside a new one).
TEST_F(EditorTest, CloseBoxAndCancel) {
  for (bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancel" : "close");
    gEditCollection = CollectionInfo{};
    gEditCollection.Name = cancel ? "" : "Holiday", gEditCollection.Comment = "Summer";
    gEditCollection.ImageCount = 1, gEditCollection.Images[0] = {"T", "x.jpg"};
    Run("C:\\", 0, {[&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog), "Edit Image Collection");
      Type(dialog, txtName, "Changed");
      Type(dialog, txtComment, "Winter");
      ::SendDlgItemMessageW(dialog, lstFiles, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"y.jpg"));
      cancel ? Click(dialog, btnCancel) : (void)::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }});
    EXPECT_EQ(gEditCollection.Name + "|" + gEditCollection.Comment, cancel ? "|Summer" : "Holiday|Summer");
    EXPECT_EQ(Listed(), Names{"x.jpg"});
  }
}

// Records what the copying label did, shown (with the hourglass) and hidden again, and the bar's range and
// its first and last steps (those between may be left out while the windows are not due for a repaint).
Names gLabelEvents;
LRESULT CALLBACK WatchLabel(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  const int id = code == HC_ACTION ? ::GetDlgCtrlID(m->hwnd) : 0;
  if (id == lblCopying && m->message == WM_SHOWWINDOW)
    gLabelEvents.push_back(m->wParam ? (::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT) ? "shown, hourglass" : "shown")
                                     : "hidden");
  if (id == prgCopying && m->message == PBM_SETRANGE32) gLabelEvents.push_back("of " + std::to_string(m->lParam));
  if (id == prgCopying && m->message == PBM_SETPOS && m->wParam % 4 == 0) gLabelEvents.push_back(std::to_string(m->wParam));
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Catches a different picture in the images directory overwritten or an identical one copied again (as
// the files' bytes tell), the check box not read, the label not shown around the copies with the
// hourglass and how far they have come (or shown without any), a pick's message (here: names with "^"
// left out) not shown, a Unicode name mangled on its way from the pick to the collection file, and the
// picker not started in the directory box's folder.
TEST_F(EditorTest, AddFilesCopiesIntoTheImagesDirectory) {
  const std::wstring greek = L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1.jpg";
  const std::string greekListed = "\u03B5\u03BB\u03BB\u03AC\u03B4\u03B1.jpg";
  test::TempDir photos, images;
  for (const auto& [name, bytes] : {std::pair<std::wstring, const char*>(L"Beach.JPG", "sand"), {greek, "greek"},
                                    {L"rock^roll.jpg", "rock"}, {L"Sea.jpg", "waves"}})
    photos.Write(name, bytes);
  images.Write(L"beach.jpg", "other sand");
  images.Write(L"sea.jpg", "waves");
  picker.result = photos.path() + L'\0' + L"Beach.JPG" + L'\0' + greek + L'\0' + L"rock^roll.jpg" + L'\0' + L"Sea.jpg";
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &WatchLabel, nullptr, ::GetCurrentThreadId());
  for (bool ticked : {true, false}) {
    SCOPED_TRACE(ticked);
    gEditCollection = CollectionInfo{};
    std::vector<Step> steps{[&](HWND dialog) {
      if (!ticked) ::SendDlgItemMessageW(dialog, chkCopy, BM_SETCHECK, BST_UNCHECKED, 0);
      Type(dialog, txtName, "Trip");
      gLabelEvents.clear();  // only what the pick does
      Click(dialog, btnAdd);
      if (ticked) Click(dialog, btnSave);
    }};
    if (!ticked) steps.push_back(Answer(-112, [](HWND editor) { Click(editor, btnSave); }));
    Run(images.Utf8(), -1, steps);
    EXPECT_EQ(picker.startedIn, images.Utf8());
    EXPECT_EQ(Listed(), (ticked ? Names{"beach (2).jpg", greekListed, "rock_roll.jpg", "sea.jpg"}
                                : Names{"beach.jpg", greekListed, "sea.jpg"}));
    EXPECT_EQ(gLabelEvents, (ticked ? Names{"of 4", "0", "shown, hourglass", "4", "hidden"} : Names{}));
    EXPECT_EQ(images.Read(L"beach.jpg"), "other sand");
    for (const auto& [name, bytes] : {std::pair<std::wstring, const char*>(L"Beach (2).JPG", "sand"), {greek, "greek"},
                                      {L"rock_roll.jpg", "rock"}})
      EXPECT_EQ(images.Read(name).value_or("-"), ticked ? bytes : "-");
    if (ticked) {
      // From the list to the collection file and back, as the show reads it; found under its listed name.
      ASSERT_EQ(WriteCollectionFile(SystemCollectionIo(), images.Utf8(), gEditCollection), WriteStatus::Written);
      CollectionInfo back;
      ASSERT_TRUE(ReadCollectionFile(SystemCollectionIo(), images.Utf8(), "Trip.IC1", back));
      EXPECT_EQ(images.Read(Widen(back.Images[1].File)), "greek");
      for (const std::wstring& name : {std::wstring(L"Beach (2).JPG"), greek, std::wstring(L"rock_roll.jpg")})
        ::DeleteFileW(images.File(name).c_str());  // the next run starts from the same directory
    }
  }
  ::UnhookWindowsHookEx(hook);
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
  wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  PickThenAccept real;
  Run(images.Utf8(), -1, {[&](HWND dialog) { Type(dialog, txtName, "Real"), Click(dialog, btnAdd); },
                          [&](HWND dialog) {
                            EXPECT_EQ(TextOf(dialog), "Add Image Files");
                            ::SetWindowTextW(test::FileNameBox(dialog), L"\"One.jpg\" \"two.JFIF\" \"\u65E5\u672C.jpg\"");
                            Click(dialog, IDOK);
                          }}, &real);
  ::GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(after, before);
  EXPECT_EQ(Listed(), (Names{"one.jpg", "two.jfif", "\u65E5\u672C.jpg"}));
}

}  // namespace
}  // namespace pictavo
