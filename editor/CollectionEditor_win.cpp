// frmCollection: the collection editor.
#include "editor/CollectionEditor_win.h"

#include <commctrl.h>

#include <algorithm>
#include <span>
#include <vector>

#include "editor/CollectionEditor.h"
#include "editor/ImageFilePicker_win.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "ui/Form_win.h"
#include "ui/MessageDialog_win.h"

namespace pictavo {
namespace {

using namespace collection;

std::string LowerCaseName(std::string_view name) {
  std::wstring wide = Widen(name);
  if (!wide.empty()) ::CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

// As Windows compares file names: ordinal, letter case ignored.
bool SameFileName(std::string_view a, std::string_view b) {
  const std::wstring x = Widen(a), y = Widen(b);
  return ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
         CSTR_EQUAL;
}

UniqueFile OpenForReading(const std::wstring& path) {
  return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Adding files with the real file system, the label, the bar, the stop button and the hourglass of one
// dialog.
class WindowsAddFiles final : public AddFilesPlatform {
 public:
  // Bringing the windows up to date ten times a second is enough: each look at the queue
  // costs a round trip to the system, and each step of the bar a repaint.
  static constexpr ULONGLONG kPaintEveryMs = 100;
  static inline ULONGLONG lastPaint_ = 0;
  static bool PaintDue() { return ::GetTickCount64() - lastPaint_ >= kPaintEveryMs; }
  // `entries` is the list as the pick fills it; what it holds now is shown already. `stop` is set by the
  // dialog's stop button.
  WindowsAddFiles(HWND dialog, bool& copying, bool& stop, const std::vector<std::string>& entries)
      : dialog_(dialog), copying_(copying), stop_(stop), entries_(entries), shown_(entries.size()) {}
  WindowsAddFiles(const WindowsAddFiles&) = delete;
  WindowsAddFiles& operator=(const WindowsAddFiles&) = delete;

  std::string LowerCase(std::string_view name) override { return LowerCaseName(name); }

  Existing Probe(std::string_view sourcePath, std::string_view destinationPath) override {
    const std::wstring destination = Widen(destinationPath);
    const DWORD attributes = ::GetFileAttributesW(destination.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Existing::None;  // a copy there tells whether it can be made
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Existing::Different;
    UniqueFile there = OpenForReading(destination);
    UniqueFile source = OpenForReading(Widen(sourcePath));
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    if (!there || !source || !::GetFileInformationByHandle(there.get(), &a) ||
        !::GetFileInformationByHandle(source.get(), &b))
      return Existing::Different;  // what cannot be read is never replaced
    const bool sameFile = a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                          a.nFileIndexLow == b.nFileIndexLow;
    if (sameFile) return Existing::Same;
    if (a.nFileSizeHigh != b.nFileSizeHigh || a.nFileSizeLow != b.nFileSizeLow) return Existing::Different;
    return SameBytes(there.get(), source.get()) ? Existing::Same : Existing::Different;
  }

  // Both files read to the end with the same bytes; a long comparison keeps the windows painted as a copy
  // does, and a stop ends it.
  bool SameBytes(HANDLE a, HANDLE b) {
    std::vector<char> x(64 * 1024), y(64 * 1024);
    for (;;) {
      DWORD nx = 0, ny = 0;
      if (!::ReadFile(a, x.data(), static_cast<DWORD>(x.size()), &nx, nullptr) ||
          !::ReadFile(b, y.data(), static_cast<DWORD>(y.size()), &ny, nullptr) || nx != ny)
        return false;
      if (nx == 0) return true;
      if (!std::equal(x.begin(), x.begin() + nx, y.begin())) return false;
      if (PaintDue()) KeepPainted();
      if (stop_) return false;
    }
  }

  // Copies in chunks into a new file (nothing is ever copied over another), keeping the windows painted as
  // it goes; a stop or a failure on the way removes the part written. The copy keeps the picture's date.
  bool Copy(std::string_view sourcePath, std::string_view destinationPath) override {
    const std::wstring destination = Widen(destinationPath);
    UniqueFile from = OpenForReading(Widen(sourcePath));
    if (!from) return false;
    bool copied = false;
    {
      UniqueFile to(::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
      if (!to) return false;
      if (chunk_.empty()) chunk_.resize(1 << 20);
      DWORD got = 0;
      while (!stop_ && ::ReadFile(from.get(), chunk_.data(), static_cast<DWORD>(chunk_.size()), &got, nullptr)) {
        if (got == 0) {
          FILETIME written{};
          if (::GetFileTime(from.get(), nullptr, nullptr, &written)) ::SetFileTime(to.get(), nullptr, nullptr, &written);
          copied = true;
          break;
        }
        DWORD put = 0;
        if (!::WriteFile(to.get(), chunk_.data(), got, &put, nullptr) || put != got) break;
        if (PaintDue()) KeepPainted();
      }
    }
    if (!copied) ::DeleteFileW(destination.c_str());
    return copied;
  }

  bool Stopped() override { return stop_; }

  void CopiesStarting(std::string_view directory, size_t files) override {
    ::CreateDirectoryW(Widen(directory).c_str(), nullptr);  // one level; a failure shows in the copies
    copying_ = true;
    stop_ = false;
    previousCursor_ = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    HWND bar = ::GetDlgItem(dialog_, prgCopying);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(files));
    ::SendMessageW(bar, PBM_SETPOS, 0, 0);
    for (int id : {lblCopying, prgCopying, btnStop}) ::ShowWindow(::GetDlgItem(dialog_, id), SW_SHOW);
    KeepPainted();  // the label is drawn before the first copy starts
  }

  void Copied(size_t done, size_t files) override {
    done_ = done;
    if (done == files || PaintDue()) KeepPainted();
  }

  // Names enter the list as they are taken, so that it fills while the copies go on; the name of a file
  // whose copy was stopped leaves it again.
  void ShowListed() {
    if (shown_ == entries_.size()) return;
    HWND list = ::GetDlgItem(dialog_, lstFiles);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);  // one repaint for the batch, not one per name
    for (; shown_ > entries_.size(); --shown_) ::SendMessageW(list, LB_DELETESTRING, shown_ - 1, 0);
    for (; shown_ < entries_.size(); ++shown_)
      ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entries_[shown_]).c_str()));
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
  }

  void CopiesDone() override {
    for (int id : {lblCopying, prgCopying, btnStop}) ::ShowWindow(::GetDlgItem(dialog_, id), SW_HIDE);
    copying_ = false;
    ::SetCursor(previousCursor_ != nullptr ? previousCursor_ : ::LoadCursorW(nullptr, IDC_ARROW));
    KeepPainted();
  }

  // While files are copied the windows are repainted and Windows sees the program answer, but nothing
  // else runs: the stop button takes its clicks and Escape stops too; other input that comes meanwhile is
  // dropped, and other messages wait for the copies to end.
  // The bar and the list are brought up to date too, also in the middle of a long file.
  void KeepPainted() {
    lastPaint_ = ::GetTickCount64();
    if (barAt_ != done_) ::SendDlgItemMessageW(dialog_, prgCopying, PBM_SETPOS, barAt_ = done_, 0);
    ShowListed();
    HWND stop = ::GetDlgItem(dialog_, btnStop);
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
      if (m.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(m.wParam));
        break;
      }
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) stop_ = true;
      if (m.hwnd == stop && m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ::DispatchMessageW(&m);
    }
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
      if (m.message == WM_PAINT || m.message == WM_NCPAINT) ::DispatchMessageW(&m);
    }
  }

 private:
  HWND dialog_;
  bool& copying_;
  bool& stop_;
  const std::vector<std::string>& entries_;
  size_t shown_;
  size_t done_ = 0, barAt_ = 0;  // files done, and as the bar shows them
  std::vector<char> chunk_;      // what a copy carries at a time
  HCURSOR previousCursor_ = nullptr;
};

class CollectionForm final : public Form {
 public:
  CollectionForm(const std::string& copyDirectory, int editedSlot, ImageFilePicker& picker)
      : Form(CollectionFormSpec()), copyDirectory_(copyDirectory), editedSlot_(editedSlot), picker_(picker) {}

 private:
  void Form_Load() override {
    CenterForm(hwnd());
    for (int id : {lblCopying, prgCopying, btnStop}) ::ShowWindow(Control(id), SW_HIDE);
    ::SendMessageW(Control(chkCopy), BM_SETCHECK, BST_CHECKED, 0);
    // Edit follows the row it was opened for, whatever the collection's name (a file may give none).
    bEditMode_ = editedSlot_ >= 0;
    ::SetWindowTextW(hwnd(), Widen(bEditMode_ ? kEditCollectionTitle : kCreateCollectionTitle).c_str());
    if (!bEditMode_) return;
    SetControlText(txtName, gEditCollection.Name);
    SetControlText(txtComment, gEditCollection.Comment);
    SetControlText(txtCopyright, gEditCollection.Copyright);
    const int count = std::clamp<int>(gEditCollection.ImageCount, 0, kMaxImages);
    for (int i = 0; i < count; ++i) AppendEntry(gEditCollection.Images[static_cast<size_t>(i)].File);
  }

  void OnCommand(int id, int notifyCode) override {
    switch (id) {
      case btnSave: btnSave_Click(); break;
      case btnCancel: btnCancel_Click(); break;
      case btnAdd: btnAdd_Click(); break;
      case btnRemove: btnRemove_Click(); break;
      case btnCopyright: btnCopyright_Click(); break;
      case btnStop: stop_ = true; break;
      case lstFiles:
        if (notifyCode == LBN_SELCHANGE) lstFiles_Click();
        break;
      default: break;  // Enter and Escape do nothing here
    }
  }

  void btnSave_Click() {
    EditorFields fields{ControlText(txtName), ControlText(txtComment), ControlText(txtCopyright), Entries()};
    const size_t count = static_cast<size_t>(std::clamp<int>(gCollectionCount, 0, kCollectionSlots));
    const int32_t problem = CheckEditorFields(fields, std::span<const CollectionInfo>(gCollections.data(), count),
                                              editedSlot_, &SameFileName);
    if (problem != 0) {
      ShowMessage(problem, hwnd());
      return;
    }
    FillEditCollection(gEditCollection, fields, bEditMode_);
    Close(IDOK);
  }

  void btnCancel_Click() {
    gEditCollection.Name.clear();
    Close(IDCANCEL);
  }

  void lstFiles_Click() {
    const LRESULT selected = ::SendMessageW(Control(lstFiles), LB_GETSELCOUNT, 0, 0);
    ::EnableWindow(Control(btnRemove), selected > 0);
  }

  void btnRemove_Click() {
    HWND list = Control(lstFiles);
    const std::vector<std::string> entries = Entries();
    std::vector<bool> selected(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) selected[i] = ::SendMessageW(list, LB_GETSEL, i, 0) > 0;
    const std::vector<std::string> kept = RemoveSelected(entries, selected);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : kept) AppendEntry(entry);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    // The disabled button cannot keep the focus: the list takes it.
    if (::GetFocus() == Control(btnRemove)) ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    ::EnableWindow(Control(btnRemove), FALSE);
  }

  void btnAdd_Click() {
    const std::string result = picker_.Pick(hwnd(), copyDirectory_);
    if (result.empty()) return;
    std::vector<std::string> entries = Entries();
    WindowsAddFiles platform(hwnd(), copying_, stop_, entries);
    const bool ticked = ::SendMessageW(Control(chkCopy), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const AddFilesOutcome outcome = AddPickedFiles(entries, ParsePickResult(result), copyDirectory_, ticked, platform);
    platform.ShowListed();
    for (int32_t code : outcome.Messages()) ShowMessage(code, hwnd());
  }

  void btnCopyright_Click() {
    HWND box = Control(txtCopyright);
    DWORD start = 0;
    ::SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    const std::wstring text = Widen(ControlText(txtCopyright));
    const TextWithCaret after =
        InsertCopyrightSign(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()), start);
    ::SetWindowTextW(box, std::wstring(reinterpret_cast<const wchar_t*>(after.text.data()), after.text.size()).c_str());
    ::SetFocus(box);
    ::SendMessageW(box, EM_SETSEL, after.caret, after.caret);
  }

  std::vector<std::string> Entries() const {
    HWND list = Control(lstFiles);
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    std::vector<std::string> entries;
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
      std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
      const LRESULT copied = ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      text.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
      entries.push_back(Narrow(text));
    }
    return entries;
  }

  void AppendEntry(const std::string& entry) {
    ::SendMessageW(Control(lstFiles), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
  }

  // The hourglass stays over the dialog while files are copied, the stop button aside.
  bool OnMessage(UINT what, WPARAM wParam, LPARAM, LRESULT& result) override {
    if (what != WM_SETCURSOR || !copying_ || reinterpret_cast<HWND>(wParam) == Control(btnStop)) return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    result = TRUE;
    return true;
  }

  std::string copyDirectory_;
  bool copying_ = false;  // files are being copied
  bool stop_ = false;     // the user asked the copies to stop
  int editedSlot_;
  ImageFilePicker& picker_;
  bool bEditMode_ = false;
};

}  // namespace

bool ShowCollectionEditor(HWND owner, const std::string& copyDirectory, int editedSlot, ImageFilePicker& picker) {
  CollectionForm form(copyDirectory, editedSlot, picker);
  return form.ShowModal(owner) != -1;
}

bool ShowCollectionEditor(HWND owner, const std::string& copyDirectory, int editedSlot) {
  SystemImageFilePicker picker;
  return ShowCollectionEditor(owner, copyDirectory, editedSlot, picker);
}

}  // namespace pictavo
