// The collection editor as a user meets it, under Wine at one DPI (built once for 96 and once for 144):
// in process, with a stand-in for the file-open dialog, and once with the real one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

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
// The files of the collection the editor handed back.
Names Listed() {
  Names files;
  for (int i = 0; i < gEditCollection.ImageCount; ++i) files.push_back(gEditCollection.Images[i].File);
  return files;
}

// Hands the editor a fixed result, as the file-open dialog would; notes where it was started.
struct FakePicker final : ImageFilePicker {
  std::string Pick(HWND, const std::string& initialDirectory) override {
    startedIn = initialDirectory;
    return Narrow(result);
  }
  std::wstring result;
  std::string startedIn;
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

// Catches the edit caption or stored fields not shown, stored names changed (letter case, duplicates),
// Remove not removing the selected entries or staying enabled, a click that leaves nothing selected
// keeping Remove enabled, the copyright sign not put at the selection's start or leaving the caret or
// focus elsewhere, and OK not filling the record in edit mode (renaming the file the collection was read
// from, dropping the lines kept from it) or from other fields and files. Also the frame's close box
// running Cancel's or OK's handler (the collection must come back as it went in), a Cancel that leaves
// the edited name in place or changes any other field, and a collection whose file gave no name opened
// for creating instead of editing (OK would leave its file beside a new one).
TEST_F(EditorTest, EditModeOkCancelAndCloseBox) {
  const Names stored{"A.JPG", "b.jpg", "a.jpg", "d.jpg", "e.jpg"};
  const struct { const char* name; int end; const char* record; Names files; } rows[] = {
      {"", btnSave, "Summer|Winter|\u00A91998 Harbour Views|holiday.ic1|; a note\r\n", {"A.JPG", "e.jpg"}},
      {"Holiday", 0, "Holiday|Summer||holiday.ic1|; a note\r\n", stored},  // the close box
      {"Holiday", btnCancel, "|Summer||holiday.ic1|; a note\r\n", stored},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.end);
    CollectionInfo& e = gEditCollection = CollectionInfo{};
    e.Name = row.name, e.Comment = "Summer", e.FileName = "holiday.ic1", e.Kept.info = "; a note\r\n";
    for (int i = 0; i < 5; ++i) e.Images[i] = {"Holiday " + std::to_string(i + 1), stored[i]};
    e.ImageCount = 5;
    Run("C:\\", 0, {[&](HWND dialog) {
      EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, txtName) + "|" + TextOf(dialog, txtComment),
                "Edit Image Collection|" + std::string(row.name) + "|Summer");
      HWND list = ::GetDlgItem(dialog, lstFiles);
      for (int selected : {0b1110, 0, 0b1110}) {  // rows 1 to 3; then a click that leaves nothing selected
        for (int i = 0; i < 5; ++i) ::SendMessageW(list, LB_SETSEL, selected >> i & 1, i);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(lstFiles, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        EXPECT_EQ(Enabled(dialog, btnRemove), selected != 0);
      }
      test::Click(dialog, btnRemove);
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
      Type(dialog, txtComment, "Winter");
      row.end ? Click(dialog, row.end) : (void)::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }});
    EXPECT_EQ(e.Name + "|" + e.Comment + "|" + e.Copyright + "|" + e.FileName + "|" + e.Kept.info, row.record);
    EXPECT_EQ(Listed(), row.files);
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

// Catches a control off its table place or clipped, a wrong caption, font or initial state (label shown,
// Remove enabled, copying off, a list without extended selection), a dialog not centred, Enter or Escape
// acting, and OK not refusing what the rules refuse (the other collections not handed to them: a name
// clashing with another in another letter case). Of Add: the picker not started in the directory box's
// folder, a different picture in the images directory overwritten or an identical one copied again (as
// the files' bytes tell), the check box not read, the label not shown around the copies with the
// hourglass and how far they have come (or shown without any), a pick's message (here: names with "^"
// left out) not shown, and a Unicode name mangled on its way from the pick to the record or listed under
// a name that does not find its copy. Of the real file-open dialog (without copying): a wrong title,
// several files not taken at once, a ".jfif" file or a Unicode name lost, and the current directory
// changed afterwards. (Wine's dialog writes a multiple selection whatever the buffer's size, so asking
// again with a larger buffer cannot be shown here; and it may open the folder it last showed instead of
// the one it is given.)
TEST_F(EditorTest, CreateModeAddFilesWithAndWithoutCopies) {
  const std::wstring greek = L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1.jpg";
  const std::string greekListed = "\u03B5\u03BB\u03BB\u03AC\u03B4\u03B1.jpg";
  test::TempDir photos;
  for (const auto& [name, bytes] : {std::pair<std::wstring, const char*>(L"Beach.JPG", "sand"), {greek, "greek"},
                                    {L"rock^roll.jpg", "rock"}, {L"Sea.jpg", "waves"}})
    photos.Write(name, bytes);
  picker.result = photos.path() + L'\0' + L"Beach.JPG" + L'\0' + greek + L'\0' + L"rock^roll.jpg" + L'\0' + L"Sea.jpg";
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &WatchLabel, nullptr, ::GetCurrentThreadId());
  wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  for (bool ticked : {true, false}) {
    SCOPED_TRACE(ticked);
    test::TempDir images;
    for (const wchar_t* name : {L"beach.jpg", L"sea.jpg", L"rock^roll.jpg", L"two.JFIF", L"\u65E5\u672C.jpg"})
      images.Write(name, name[0] == L'b' ? "other sand" : "waves");
    std::vector<Step> steps{[&](HWND dialog) {
      if (ticked) {
        EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, btnCopyright), "Create Image Collection|\u00A9");
        test::ExpectLayout(dialog, CollectionFormSpec(), kDpi);
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, lblCopying)) || Enabled(dialog, btnRemove));
        EXPECT_TRUE(::GetWindowLongPtrW(::GetDlgItem(dialog, lstFiles), GWL_STYLE) & LBS_EXTENDEDSEL);
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {  // as the modal loop hands them to the dialog manager
          MSG m{::GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
          ::IsDialogMessageW(dialog, &m);
        }
      } else {
        ::SendDlgItemMessageW(dialog, chkCopy, BM_SETCHECK, BST_UNCHECKED, 0);
      }
      Type(dialog, txtName, "rOCKS");
      gLabelEvents.clear();  // only what the pick does
      Click(dialog, btnAdd);
      if (ticked) Click(dialog, btnSave);
    }};
    if (!ticked) {
      steps.push_back([](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Add Image Files");
        ::SetWindowTextW(test::FileNameBox(dialog), L"\"beach.jpg\" \"rock^roll.jpg\" \"two.JFIF\" \"\u65E5\u672C.jpg\"");
        Click(dialog, IDOK);
      });
      steps.push_back(Answer(-112, [](HWND editor) { Click(editor, btnSave); }));
    }
    steps.push_back(Answer(-107, [](HWND editor) { Type(editor, txtName, "Trip"), Click(editor, btnSave); }));
    SystemImageFilePicker real;
    Run(images.Utf8(), -1, steps, ticked ? static_cast<ImageFilePicker*>(&picker) : &real);
    ::GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
    EXPECT_TRUE(!ticked || picker.startedIn == images.Utf8()) << picker.startedIn;
    EXPECT_EQ(Listed(), (ticked ? Names{"beach (2).jpg", greekListed, "rock_roll.jpg", "sea.jpg"}
                                : Names{"beach.jpg", "two.jfif", "\u65E5\u672C.jpg"}));
    EXPECT_EQ(gLabelEvents, (ticked ? Names{"of 4", "0", "shown, hourglass", "4", "hidden"} : Names{}));
    EXPECT_EQ(images.Read(L"beach.jpg"), "other sand");
    for (const auto& [name, bytes] : {std::pair<std::wstring, const char*>(L"Beach (2).JPG", "sand"),
                                      {Widen(greekListed), "greek"}, {L"rock_roll.jpg", "rock"}})
      EXPECT_EQ(images.Read(name).value_or("-"), ticked ? bytes : "-");
  }
  ::UnhookWindowsHookEx(hook);
}

// Catches a stop not heeded while a large file is compared with its namesake in the images directory or
// copied there: a file whose comparison it cut short listed (the comparison ran on to its end, the windows
// unpainted and the stop unseen), a copy it cut short left on disk in part or listed, the files after it
// copied; by Escape (comparing) and by the stop button (copying).
TEST_F(EditorTest, AStopKeepsWhatWasCopiedAndNoPartOfTheRest) {
  test::TempDir photos;
  const auto large = [](const test::TempDir& dir) {  // 2 GB of zeros that take no room on the disk
    dir.Write(L"big.jpg", ""), std::filesystem::resize_file(std::filesystem::path(dir.File(L"big.jpg")), 1ull << 31);
  };
  photos.Write(L"a.jpg", "small"), photos.Write(L"c.jpg", "after"), large(photos);
  picker.result = photos.path() + L'\0' + L"a.jpg" + L'\0' + L"big.jpg" + L'\0' + L"c.jpg";
  for (bool comparing : {true, false}) {
    test::TempDir images;
    if (comparing) large(images);
    std::thread user;
    Run(images.Utf8(), -1, {[&](HWND dialog) {
      user = std::thread([&, dialog] {  // once a.jpg is there big.jpg is compared; once big.jpg is, copied
        ASSERT_TRUE(test::WaitUntil([&] { return images.Exists(comparing ? L"a.jpg" : L"big.jpg"); }, 10000));
        const PixelRect stop = test::RectOf(::GetDlgItem(dialog, btnStop));
        if (comparing) ::keybd_event(VK_ESCAPE, 0, 0, 0), ::keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        if (!comparing)
          test::Xdotool(L"mousemove " + std::to_wstring((stop.left + stop.right) / 2) + L" " +
                        std::to_wstring((stop.top + stop.bottom) / 2) + L" click 1");
      });
      Type(dialog, txtName, "Big"), Click(dialog, btnAdd), Click(dialog, btnSave);
    }});
    user.join();
    EXPECT_EQ(Listed(), Names{"a.jpg"}) << comparing;
    EXPECT_EQ(images.Read(L"a.jpg").value_or("") + (images.Exists(L"c.jpg") ? " c.jpg" : ""), "small");
    EXPECT_EQ(images.Exists(L"big.jpg"), comparing) << "a part of big.jpg was left";
  }
}

}  // namespace
}  // namespace pictavo
