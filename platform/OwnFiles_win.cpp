// The program's own files on Windows. For a copy in the system folder, Setup records the folder it installed
// into as HKEY_LOCAL_MACHINE\Software\Pictavo, "InstallDir". Callable from any thread: it reads, never writes.
#include <windows.h>

#include "platform/OwnFiles.h"
#include "platform/PictureFiles_win.h"
#include "platform/Text_win.h"

namespace pictavo {
namespace {

std::wstring LongPath(const std::wstring& path) {
  std::wstring out(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetLongPathNameW(path.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return path;
    if (n < out.size()) return out.substr(0, n);
    out.resize(n);
  }
}

bool IsSystemFolder(const std::wstring& directory) {
  const std::wstring here = LongPath(directory);
  for (auto folder : {&::GetSystemDirectoryW, &::GetSystemWow64DirectoryW}) {  // the second: 0 on 32-bit Windows
    wchar_t buffer[MAX_PATH + 1]{};
    const UINT n = folder(buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) continue;
    if (::CompareStringOrdinal(here.c_str(), -1, LongPath(buffer).c_str(), -1, TRUE) == CSTR_EQUAL) return true;
  }
  return false;
}

std::string RecordedInstallDirectory() {
  constexpr wchar_t kKey[] = L"Software\\Pictavo";
  constexpr wchar_t kValue[] = L"InstallDir";
  DWORD bytes = 0;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
    return {};
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS)
    return {};
  text.resize(wcsnlen(text.c_str(), text.size()));
  return Narrow(text);
}

}  // namespace

std::string OwnFilePath(std::string_view name) {
  ProgramPlace place;
  place.directory = ProgramDirectory();
  place.inSystemFolder = IsSystemFolder(Widen(place.directory));
  if (place.inSystemFolder) place.installedDirectory = RecordedInstallDirectory();
  return OwnFileIn(place, name, [](const std::string& path) { return OrdinaryFileExists(Widen(path)); });
}

}  // namespace pictavo
