// frmSetup: the options, the images directory and the collection list.
#include "setup/Setup_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <tuple>
#include <utility>

#include "app/Registry_win.h"
#include "app/Settings.h"
#include "collections/Collections_win.h"
#include "editor/CollectionEditor.h"
#include "editor/CollectionEditor_win.h"
#include "platform/Owned_win.h"
#include "platform/PictureFiles_win.h"
#include "platform/Text_win.h"
#include "setup/Browse_win.h"
#include "setup/CollectionList.h"
#include "setup/SetupForms.h"
#include "setup/SetupRules.h"
#include "ui/About_win.h"
#include "ui/Form_win.h"
#include "ui/MessageCatalogue.h"
#include "ui/MessageDialog_win.h"

namespace pictavo {
namespace {

constexpr wchar_t kDeleteTitle[] = L"You Sure 'Bout That?";
// Posted by the load handler: the message about an empty directory shows over the visible dialog.
constexpr UINT kShowNoneFound = WM_APP + 1;

// The collection list: a list view with a check box on each row.
class ListViewRows final : public CollectionRows {
 public:
  explicit ListViewRows(HWND list) : list_(list) {}
  int Count() const override { return ListView_GetItemCount(list_); }
  void Clear() override { ListView_DeleteAllItems(list_); }
  void Insert(int row, std::string_view text, bool ticked) override {
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = wide.data();
    const int at = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (at >= 0) ListView_SetCheckState(list_, at, ticked ? TRUE : FALSE);
  }
  void Remove(int row) override { ListView_DeleteItem(list_, row); }
  bool Ticked(int row) const override { return ListView_GetCheckState(list_, row) != 0; }
  int Current() const override { return ListView_GetNextItem(list_, -1, LVNI_FOCUSED); }
  void SetCurrent(int row) override {
    ListView_SetItemState(list_, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ListView_EnsureVisible(list_, row, FALSE);
  }

 private:
  HWND list_;
};

// The full path Windows makes of a path: against the current directory, the current drive ("\PICS") or a
// drive's own current directory ("D:PICS").
std::string WindowsFullPath(std::string_view path) {
  const std::wstring wide = Widen(path);
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD length = size ? ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr) : 0;
  if (length == 0 || length >= size) return {};
  full.resize(length);
  return Narrow(full);
}

DirectoryRules WindowsDirectoryRules() { return {WindowsUpper, WindowsFullPath, IsDirectory}; }

class SetupForm final : public Form {
 public:
  explicit SetupForm(SetupHooks hooks) : Form(SetupFormSpec()), hooks_(std::move(hooks)) {}

 private:
  static TableRef Table() { return TableRef{gCollections, gCollectionCount}; }
  ListViewRows Rows() const { return ListViewRows(Control(setup::lstCollections)); }

  void Form_Load() override {
    CenterForm(hwnd());
    LoadSettings();
    HWND slider = Control(setup::slDelay);
    ::SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(kDelayMin, kDelayMax));
    ::SendMessageW(slider, TBM_SETLINESIZE, 0, kDelaySmallStep);
    ::SendMessageW(slider, TBM_SETPAGESIZE, 0, kDelayLargeStep);
    ::SendMessageW(slider, TBM_SETTICFREQ, kDelayTickEvery, 0);
    // A stored delay outside the range is taken as the slider's nearest end.
    ::SendMessageW(slider, TBM_SETPOS, TRUE, gDelay);
    slDelay_Change();
    ::CheckRadioButton(hwnd(), setup::rbRandom, setup::rbSequential, gRandom ? setup::rbRandom : setup::rbSequential);
    ::CheckDlgButton(hwnd(), setup::chkUseAll, gUseAll ? BST_CHECKED : BST_UNCHECKED);
    gImagesDir = ResolveDirectoryText(gImagesDir, &WindowsFullPath);  // a hand-edited relative one, too
    SetControlText(setup::txtDir, gImagesDir);
    sDirAtFocus_ = gImagesDir;
    ::SetWindowSubclass(Control(setup::txtDir), &DirBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
    if (LoadCollections()) {
      ListViewRows rows = Rows();
      BuildCollectionList(Table(), rows);
    } else {
      EnableCollectionButtons(false);
      ::PostMessageW(hwnd(), kShowNoneFound, 0, 0);
    }
  }

  int Delay() const { return static_cast<int>(::SendMessageW(Control(setup::slDelay), TBM_GETPOS, 0, 0)); }

  void slDelay_Change() { SetControlText(setup::lblDelay, DelayCaption(static_cast<int16_t>(Delay()))); }

  void EnableCollectionButtons(bool enable) {
    for (int id : {setup::btnEdit, setup::btnDelete}) {
      HWND button = Control(id);
      const bool hadFocus = ::GetFocus() == button;
      ::EnableWindow(button, enable ? TRUE : FALSE);
      // A disabled button must not keep the keyboard.
      if (hadFocus && !enable) ::SendMessageW(hwnd(), WM_NEXTDLGCTL, 0, FALSE);
    }
  }

  // The box is entered or left only when the focus moves between it and another control of this dialog.
  // Switching to another program, or a window of ours opening over the dialog, neither leaves the box nor,
  // on the way back, enters it: a half-typed path is checked only when the user really moves on.
  bool FromOrToOwnControl(HWND other) const {
    return other != nullptr && other != Control(setup::txtDir) && ::IsChild(hwnd(), other);
  }
  static LRESULT CALLBACK DirBoxProc(HWND box, UINT what, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    // The edit control tells the dialog of a focus change without saying where the focus came from or goes.
    if (what == WM_SETFOCUS || what == WM_KILLFOCUS) reinterpret_cast<SetupForm*>(data)->focusPartner_ = reinterpret_cast<HWND>(wParam);
    return ::DefSubclassProc(box, what, wParam, lParam);
  }

  void txtDir_GotFocus() { sDirAtFocus_ = ControlText(setup::txtDir); }

  // The directory check: a real change of the box's text, to an existing directory, rescans.
  void txtDir_LostFocus() {
    ListedDirectory listed{gImagesDir, sDirAtFocus_, Table(), gCollectionScan};
    const DirectoryCheck check =
        LeaveDirectoryBox(ControlText(setup::txtDir), listed, WindowsDirectoryRules(), SystemCollectionIo());
    if (check.result == DirectoryCheck::Unchanged) return;
    if (check.text != ControlText(setup::txtDir)) SetControlText(setup::txtDir, check.text);
    ListViewRows rows = Rows();
    const bool found = gCollectionCount > 0;
    if (found) {
      BuildCollectionList(Table(), rows);
    } else {
      rows.Clear();
    }
    EnableCollectionButtons(found);
  }

  void btnBrowse_Click() {
    txtDir_LostFocus();  // a typed change counts before anything else
    ShowBrowse(hwnd());
    SetControlText(setup::txtDir, gImagesDir);
    txtDir_LostFocus();
  }

  bool OpenEditor(int editedSlot) {
    const std::string dirText = ControlText(setup::txtDir);
    if (!hooks_.openEditor) return ShowCollectionEditor(hwnd(), dirText, editedSlot);
    hooks_.openEditor(hwnd(), dirText, editedSlot);
    return true;
  }

  void btnCreate_Click() {
    txtDir_LostFocus();
    ListViewRows rows = Rows();
    const ListChange change = CreateCollection(Table(), rows, gEditCollection, [&](int slot) { return OpenEditor(slot); });
    if (change == ListChange::TableFull) ShowMessage(message::kTableFull, hwnd());
    if (change == ListChange::Done) EnableCollectionButtons(true);
  }

  void btnEdit_Click() {
    txtDir_LostFocus();
    ListViewRows rows = Rows();
    EditCollection(Table(), rows, gEditCollection, [&](int slot) { return OpenEditor(slot); });
  }

  void btnDelete_Click() {
    txtDir_LostFocus();
    ListViewRows rows = Rows();
    const CollectionFiles where{SystemCollectionIo().files, gImagesDir, gCollectionScan};
    const ListChange change = DeleteCollection(Table(), rows, where, [&](const std::string& question) {
      const ModalScope modal;
      return ::MessageBoxW(hwnd(), Widen(question).c_str(), kDeleteTitle, MB_YESNO | MB_DEFBUTTON1) == IDYES;
    });
    if (change == ListChange::FileNotRemoved) ShowMessage(message::kNotDeleted, hwnd());
    if (change == ListChange::FileChanged)
      ShowMessage(message::kNotDeleted, hwnd(),
                  "Its file was changed by another program after this list was read, so it was left as it is.");
  }

  void btnSave_Click() {
    // OK reached through its access key leaves the focus in the box, which was then never left.
    txtDir_LostFocus();
    if (gCollectionCount == 0) {
      ShowMessage(message::kNoneAvailable, hwnd());
      Close();
      return;
    }
    SetupChoices choices;
    choices.delay = Delay();
    choices.random = ::IsDlgButtonChecked(hwnd(), setup::rbRandom) == BST_CHECKED;
    choices.useAll = ::IsDlgButtonChecked(hwnd(), setup::chkUseAll) == BST_CHECKED;
    const ListViewRows rows = Rows();
    for (int r = 0; r < rows.Count(); ++r) choices.ticks.push_back(rows.Ticked(r));
    choices.dirText = ResolveDirectoryText(ControlText(setup::txtDir), &WindowsFullPath);

    RegistryStore store;
    SetupStores stores{store, SystemCollectionIo(), gCollectionScan, [](const std::string& directory) {
                         ::CreateDirectoryW(Widen(directory).c_str(), nullptr);  // one level; failures do not matter
                       }};
    Settings settings{gDelay, gRandom, gUseAll, gImagesDir};
    const SaveOutcome outcome = SaveSetupChoices(choices, settings, Table(), stores);
    if (outcome.message != 0) {
      // What was written stays written; the dialog stays open so that nothing else is lost.
      ShowMessage(outcome.message, hwnd(), outcome.detail);
      return;
    }
    std::tie(gDelay, gRandom, gUseAll, gImagesDir) =
        std::tie(settings.delaySeconds, settings.random, settings.useAll, settings.imagesDir);
    Close();
  }

  void btnHelp_Click() {
    // Each file beside the program, or where Setup installed it (for a copy in the system folder).
    const std::wstring winHelpFile = Widen(OwnFilePath("PICTAVO.HLP"));
    if (OrdinaryFileExists(winHelpFile)) {
      const std::wstring dir = winHelpFile.substr(0, winHelpFile.find_last_of(L'\\'));
      // Started in the help file's folder, so that the viewer finds the file named without one.
      std::wstring commandLine = L"WINHLP32.EXE PICTAVO.HLP";
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = SW_SHOWNORMAL;
      PROCESS_INFORMATION process{};
      if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                           &process)) {
        const UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
      }
      return;
    }
    // Today's Windows reads no such file: the program's own page, in the user's browser.
    const std::wstring page = Widen(OwnFilePath("Pictavo.htm"));
    const std::wstring dir = page.substr(0, page.find_last_of(L'\\'));
    ::ShellExecuteW(hwnd(), L"open", page.c_str(), nullptr, dir.c_str(), SW_SHOWNORMAL);
  }

  void OnCommand(int id, int code) override {
    if (id == setup::txtDir) {
      if (code == EN_SETFOCUS && FromOrToOwnControl(focusPartner_)) txtDir_GotFocus();
      if (code == EN_KILLFOCUS && FromOrToOwnControl(focusPartner_)) txtDir_LostFocus();
      return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
      case setup::btnBrowse: btnBrowse_Click(); break;
      case setup::btnCreate: btnCreate_Click(); break;
      case setup::btnEdit: btnEdit_Click(); break;
      case setup::btnDelete: btnDelete_Click(); break;
      case setup::btnAbout: ShowAbout(hwnd()); break;
      case setup::btnHelp: btnHelp_Click(); break;
      case setup::btnSave: btnSave_Click(); break;
      case setup::btnCancel: Close(); break;
      default: break;  // Enter (IDOK) and Escape (IDCANCEL) mean nothing here
    }
  }

  bool OnMessage(UINT what, WPARAM, LPARAM lParam, LRESULT& result) override {
    if (what == WM_HSCROLL && reinterpret_cast<HWND>(lParam) == Control(setup::slDelay)) {
      slDelay_Change();
      result = 0;
      return true;
    }
    if (what == kShowNoneFound) {
      // The dialog manager shows the dialog only once its queue is empty: show it now, below the message.
      ::ShowWindow(hwnd(), SW_SHOWNORMAL);
      ::UpdateWindow(hwnd());
      ShowMessage(message::kNoneFound, hwnd());
      return true;
    }
    return false;
  }

  SetupHooks hooks_;
  std::string sDirAtFocus_;
  HWND focusPartner_ = nullptr;  // where the box's focus came from or went to, in the last change
};

}  // namespace

void ShowSetup(HWND owner, SetupHooks hooks) {
  SetupForm form(std::move(hooks));
  form.ShowModal(owner);
}

}  // namespace pictavo
