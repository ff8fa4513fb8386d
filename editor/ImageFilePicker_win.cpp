#include "editor/ImageFilePicker_win.h"

#include <commdlg.h>

#include <algorithm>
#include <cderr.h>

#include "editor/CollectionEditor.h"
#include "platform/Text_win.h"
#include "ui/Form_win.h"

namespace pictavo {
namespace {

// "caption\0patterns\0caption\0patterns\0\0"
std::wstring FilterText() {
  std::wstring filter;
  for (const PickerFilter& f : kAddFilesFilters) {
    filter += Widen(f.caption);
    filter += L'\0';
    filter += Widen(f.patterns);
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

// The result up to the NUL that ends it: a single path ends with one NUL, a list with two.
std::wstring_view ResultIn(const std::wstring& buffer) {
  size_t end = 0;
  while (end + 1 < buffer.size() && !(buffer[end] == L'\0' && buffer[end + 1] == L'\0')) ++end;
  return std::wstring_view(buffer.data(), end);
}

}  // namespace

std::string SystemImageFilePicker::Pick(HWND owner, const std::string& initialDirectory) {
  const std::wstring filter = FilterText();
  const std::wstring title = Widen(kAddFilesTitle);
  const std::wstring extension = Widen(kAddFilesDefaultExtension);
  const std::wstring directory = Widen(initialDirectory);
  std::wstring buffer(std::max<size_t>(bufferChars_, 2), L'\0');
  for (;;) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(std::min<size_t>(buffer.size(), MAXDWORD));
    ofn.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_LONGNAMES | OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_NOCHANGEDIR;
    ofn.lpstrDefExt = extension.c_str();
    bool picked = false;
    {
      const ModalScope modal;  // a double click on Open does not reach the editor beneath
      picked = ::GetOpenFileNameW(&ofn) != FALSE;
    }
    if (picked) return Narrow(ResultIn(buffer));
    if (::CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) return {};
    // The first two bytes say how many characters the names need (a WORD: a larger need shows as less).
    const size_t needed = static_cast<size_t>(*reinterpret_cast<const WORD*>(buffer.data())) + 2;
    buffer.assign(std::max(needed, buffer.size() * 2), L'\0');
  }
}

}  // namespace pictavo
