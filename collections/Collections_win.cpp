#include "collections/Collections_win.h"

#include <windows.h>

#include <atomic>

#include "app/Settings.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"

namespace pictavo {

namespace {

constexpr DWORD kSkippedAttributes =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// A file's directory part with its separator ("C:\dir\"), or "" for a bare name.
std::wstring DirectoryPart(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash + 1));
}

// A new, empty file with a name of our own in `dir`, open for writing.
UniqueFile CreateTempFileIn(const std::wstring& dir, std::wstring& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = dir + L"~pictavo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(counter++) + L".tmp";
    UniqueFile file(::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (file || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return UniqueFile();
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::vector<std::string> WindowsFileSystem::ListFiles(std::string_view pattern) {
  const std::wstring widePattern = Widen(pattern);
  // The part after the last wildcard: Windows also matches "*.IC1" against short names, so a file
  // named x.ic1old may turn up; only names that really end like the pattern count.
  const size_t star = widePattern.find_last_of(L"*?");
  const std::wstring_view tail =
      star == std::wstring::npos ? std::wstring_view() : std::wstring_view(widePattern).substr(star + 1);

  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileExW(widePattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    // Systems before Windows 7 know neither the basic level nor the large fetch.
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return names;
    find.reset(::FindFirstFileW(widePattern.c_str(), &data));
    if (!find) return names;
  }
  do {
    if (data.dwFileAttributes & kSkippedAttributes) continue;
    const std::wstring_view name(data.cFileName);
    if (name.size() < tail.size() || !EqualsNoCase(name.substr(name.size() - tail.size()), tail)) continue;
    names.push_back(Narrow(name));
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

std::optional<std::string> WindowsFileSystem::ReadWholeFile(std::string_view path, size_t maxBytes) {
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() > maxBytes) return std::nullopt;  // the file grew while we read it
      bytes.resize(bytes.size() + 4096);
    }
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - filled, 1u << 20));
    if (!::ReadFile(file.get(), bytes.data() + filled, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    filled += got;
  }
  bytes.resize(filled);
  return bytes;
}

bool WindowsFileSystem::ReplaceWholeFile(std::string_view path, std::string_view bytes) {
  const std::wstring target = Widen(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE))) {
    return false;  // a directory is never replaced, and a read-only file is kept as its owner wants it
  }
  std::wstring temp;
  {
    UniqueFile file = CreateTempFileIn(DirectoryPart(target), temp);
    if (!file) return false;
    const bool ok = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    file.reset();
    if (!ok) {
      ::DeleteFileW(temp.c_str());
      return false;
    }
  }

  constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (::MoveFileExW(temp.c_str(), target.c_str(), kMoveFlags)) return true;
    ::DeleteFileW(temp.c_str());
    return false;
  }
  // ReplaceFileW keeps the old file's attributes, security and creation time. It first moves the old
  // file to the backup name, so that whatever goes wrong afterwards, the old file is still there to be
  // put back: the collection never lives only in a temporary file.
  const std::wstring backup = temp.substr(0, temp.size() - 4) + L".bak";
  const bool backupExisted = ::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!backupExisted &&
      replace_(target.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    ::DeleteFileW(backup.c_str());
    return true;
  }
  const bool targetThere = ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  const bool backupThere = !backupExisted && ::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
  bool placed = false;
  if (targetThere || !backupThere) {
    // The old file is where it was (nothing was moved, or the new one could not be renamed): a plain move
    // may still succeed where the replace did not.
    placed = ::MoveFileExW(temp.c_str(), target.c_str(), kMoveFlags) != 0;
  } else {
    // The old file was moved aside and the new one not put in its place: put the new one there, or else
    // the old one back.
    placed = ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!placed) ::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  }
  // Once a file is in place again the spare copies go; should nothing be in place, both stay on disk.
  const bool targetNow = ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (backupThere && targetNow) ::DeleteFileW(backup.c_str());
  if (!placed && targetNow) ::DeleteFileW(temp.c_str());
  return placed;
}

Removal WindowsFileSystem::RemoveFile(std::string_view path) {
  const std::wstring wide = Widen(path);
  if (::DeleteFileW(wide.c_str())) return Removal::Removed;
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Removal::Removed;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return Removal::ReadOnly;
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Removal::InUse : Removal::Refused;
}

std::optional<FileStamp> WindowsFileSystem::StampOf(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                   static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                       data.ftLastWriteTime.dwLowDateTime};
}

bool WindowsFileSystem::EntryExists(std::string_view path) {
  if (::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = ::GetLastError();
  // Anything but a plain "not there" (access denied, a locked volume) counts as there.
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME;
}

bool WindowsFileSystem::SameFileName(std::string_view a, std::string_view b) const {
  return EqualsNoCase(Widen(a), Widen(b));
}

WindowsAnsiCodePage::WindowsAnsiCodePage() : codePage_(::GetACP()) {}
WindowsAnsiCodePage::WindowsAnsiCodePage(unsigned codePage) : codePage_(codePage) {}

std::optional<std::string> WindowsAnsiCodePage::AnsiToUtf8(std::string_view ansi) const {
  if (ansi.empty()) return std::string();
  if (codePage_ == CP_UTF8) return IsValidUtf8(ansi) ? std::optional(std::string(ansi)) : std::nullopt;
  const int size = static_cast<int>(ansi.size());
  // Invalid bytes (a lead byte without its second half, an unassigned byte) fail the whole text; the
  // caller then reads it another way instead of taking replacement characters.
  const int n = ::MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, ansi.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (::MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, ansi.data(), size, wide.data(), n) != n)
    return std::nullopt;
  return Narrow(wide);
}

std::optional<std::string> WindowsAnsiCodePage::Utf8ToAnsi(std::string_view utf8) const {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  if (codePage_ == CP_UTF8) return std::string(utf8);
  if (utf8.empty()) return std::string();
  const std::wstring wide = Widen(utf8);
  const int wideSize = static_cast<int>(wide.size());

  // No best fit: a character without its own byte must not turn into a look-alike.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultPtr = &usedDefault;
  int n = ::WideCharToMultiByte(codePage_, flags, wide.data(), wideSize, nullptr, 0, nullptr, usedDefaultPtr);
  if (n <= 0 && (::GetLastError() == ERROR_INVALID_FLAGS || ::GetLastError() == ERROR_INVALID_PARAMETER)) {
    flags = 0;  // code pages such as UTF-7 take neither; the round trip below decides then
    usedDefaultPtr = nullptr;
    n = ::WideCharToMultiByte(codePage_, flags, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  }
  if (n <= 0) return std::nullopt;
  std::string ansi(static_cast<size_t>(n), '\0');
  if (::WideCharToMultiByte(codePage_, flags, wide.data(), wideSize, ansi.data(), n, nullptr, usedDefaultPtr) != n ||
      usedDefault) {
    return std::nullopt;
  }
  // The text must come back exactly as it was.
  const int back = ::MultiByteToWideChar(codePage_, 0, ansi.data(), n, nullptr, 0);
  if (back != wideSize) return std::nullopt;
  std::wstring check(static_cast<size_t>(back), L'\0');
  ::MultiByteToWideChar(codePage_, 0, ansi.data(), n, check.data(), back);
  if (check != wide) return std::nullopt;
  return ansi;
}

const CollectionIo& SystemCollectionIo() {
  static WindowsFileSystem files;
  static WindowsAnsiCodePage codePage;
  static const CollectionIo io{files, codePage};
  return io;
}

bool LoadCollections() {
  return LoadCollections(SystemCollectionIo(), gImagesDir, gCollections, gCollectionCount, gCollectionScan);
}

SaveResult SaveCollections() {
  return SaveCollections(SystemCollectionIo(), gImagesDir, gCollections, gCollectionCount, gCollectionScan);
}

bool ReadCollectionFile(std::string_view fileName, CollectionInfo& info) {
  return ReadCollectionFile(SystemCollectionIo(), gImagesDir, fileName, info);
}

WriteStatus WriteCollectionFile(const CollectionInfo& info) {
  return WriteCollectionFile(SystemCollectionIo(), gImagesDir, info);
}

}  // namespace pictavo
