// frmBrowse: a drive list and a directory list; OK takes the open directory.
#include "setup/Browse_win.h"

#include <shellapi.h>

#include <algorithm>

#include "app/Registry_win.h"
#include "app/Settings.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "setup/SetupForms.h"
#include "ui/Form_win.h"

namespace pictavo {
namespace {

constexpr DWORD kHiddenDirectory = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// How far each level of the tree is indented.
constexpr int32_t kIndentTwips = 180;
constexpr int32_t kFolderIconTwips = 240;

UniqueIcon FolderIcon(bool open) {
  SHFILEINFOW info{};
  const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
  ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags);
  return UniqueIcon(info.hIcon);
}

class BrowseForm final : public Form {
 public:
  explicit BrowseForm(DirectorySource& directories) : Form(BrowseFormSpec()), browser_(directories) {}

 private:
  void Form_Load() override {
    CenterForm(hwnd());
    openIcon_ = FolderIcon(true);
    closedIcon_ = FolderIcon(false);
    FillDrives();
    // A directory that does not exist, or a path without a drive letter, opens the nearest one that does.
    browser_.OpenNearest(gImagesDir);
    ShowDirectories();
    SelectDriveInList(browser_.Drive());
  }

  void FillDrives() {
    HWND list = Control(browse::drive1);
    wchar_t roots[26 * 4 + 1] = {};
    const DWORD n = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots) - 1), roots);
    for (const wchar_t* root = roots; n > 0 && n < std::size(roots) && *root != L'\0'; root += wcslen(root) + 1) {
      const wchar_t letter = root[0] >= L'a' && root[0] <= L'z' ? static_cast<wchar_t>(root[0] - L'a' + L'A') : root[0];
      if (letter < L'A' || letter > L'Z') continue;
      std::wstring caption{static_cast<wchar_t>(letter - L'A' + L'a'), L':'};
      // Only fixed drives are asked for their label: a removable one would spin up or wait for a medium.
      wchar_t label[MAX_PATH + 1] = {};
      if (::GetDriveTypeW(root) == DRIVE_FIXED &&
          ::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) && label[0])
        caption += L" [" + std::wstring(label) + L"]";
      ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
      drives_.push_back(static_cast<char>(letter));
    }
  }

  void SelectDriveInList(char letter) {
    const auto at = std::find(drives_.begin(), drives_.end(), letter);
    ::SendMessageW(Control(browse::drive1), CB_SETCURSEL, at == drives_.end() ? -1 : at - drives_.begin(), 0);
  }

  void ShowDirectories() {
    HWND list = Control(browse::dir1);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const DirectoryRow& row : browser_.Rows())
      ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(row.name).c_str()));
    ::SendMessageW(list, LB_SETCURSEL, browser_.Rows().empty() ? -1 : static_cast<WPARAM>(browser_.OpenRowIndex()), 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
  }

  void drive1_Change() {
    const auto index = ::SendMessageW(Control(browse::drive1), CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= drives_.size() || drives_[static_cast<size_t>(index)] == browser_.Drive())
      return;
    if (!browser_.SelectDrive(drives_[static_cast<size_t>(index)])) {
      // No medium, or a network drive not connected: back to the drive that was selected before.
      ::MessageBeep(MB_ICONWARNING);
      SelectDriveInList(browser_.Drive());
      return;
    }
    ShowDirectories();
  }

  void dir1_Open() {
    const auto row = ::SendMessageW(Control(browse::dir1), LB_GETCURSEL, 0, 0);
    if (row >= 0 && browser_.OpenRow(static_cast<size_t>(row))) ShowDirectories();
  }

  void btnOK_Click() {
    if (!browser_.OpenPath().empty()) gImagesDir = WindowsUpper(browser_.OpenPath());
    Close();
  }

  void OnCommand(int id, int code) override {
    switch (id) {
      case browse::drive1:
        if (code == CBN_SELCHANGE) drive1_Change();
        break;
      case browse::dir1:
        if (code == LBN_DBLCLK) dir1_Open();
        break;
      case IDOK:  // Enter: opens the highlighted directory when the list has the focus, else nothing
        if (::GetFocus() == Control(browse::dir1)) dir1_Open();
        break;
      case browse::btnOK:
        if (code == BN_CLICKED) btnOK_Click();
        break;
      case browse::btnCancel:
        if (code == BN_CLICKED) Close();
        break;
      default:
        break;
    }
  }

  void OnDrawItem(int id, const DRAWITEMSTRUCT& item) override {
    if (id != browse::dir1 || item.itemID == static_cast<UINT>(-1) || item.itemID >= browser_.Rows().size()) return;
    const DirectoryRow& row = browser_.Rows()[item.itemID];
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int icon = Pixels(kFolderIconTwips);
    const int left = item.rcItem.left + Pixels(60) + row.depth * Pixels(kIndentTwips);
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - icon) / 2;
    if (HICON folder = (row.onPath ? openIcon_ : closedIcon_).get())
      ::DrawIconEx(item.hDC, left, top, folder, icon, icon, 0, nullptr, DI_NORMAL);
    RECT text = item.rcItem;
    text.left = left + icon + Pixels(60);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    SelectScope select(item.hDC, font);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring name = Widen(row.name);
    ::DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
  }


  DirectoryBrowser browser_;
  std::vector<char> drives_;
  UniqueIcon openIcon_;
  UniqueIcon closedIcon_;
};

// The full path of a path as Windows resolves it ("D:" is the current directory of D).
std::string FullPath(const std::wstring& path) {
  const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::wstring full(n, L'\0');
  const DWORD got = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  full.resize(got < n ? got : 0);
  return Narrow(full);
}

}  // namespace

std::optional<std::vector<std::string>> WindowsDirectories::Subdirectories(std::string_view dir) {
  std::wstring pattern = Widen(dir);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchLimitToDirectories,
                                     nullptr, 0));
  if (!find) {
    // An empty root lists nothing at all; anything else that cannot be listed cannot be opened.
    return ::GetLastError() == ERROR_FILE_NOT_FOUND && IsDirectory(dir) ? std::optional(names) : std::nullopt;
  }
  do {
    const std::wstring_view name(data.cFileName);
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (data.dwFileAttributes & kHiddenDirectory) ||
        name == L"." || name == L"..")
      continue;
    names.push_back(Narrow(name));
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

std::string WindowsDirectories::CurrentDirectoryOf(char drive) {
  return FullPath(std::wstring{static_cast<wchar_t>(drive), L':'});
}

std::string WindowsDirectories::CurrentDirectory() { return FullPath(L"."); }

bool IsDirectory(std::string_view path) {
  if (path.empty() || path.find_first_of("*?") != std::string_view::npos) return false;
  const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ShowBrowse(HWND owner, DirectorySource* directories) {
  WindowsDirectories machine;
  BrowseForm form(directories != nullptr ? *directories : machine);
  form.ShowModal(owner);
}

}  // namespace pictavo
