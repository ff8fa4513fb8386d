// The collection table and the images directory on disk: the Windows file system and ANSI code page
// behind the logic of CollectionTable.h, and the calls that work on gCollections and gImagesDir.
#pragma once
#include <windows.h>

#include <string_view>

#include "collections/CollectionTable.h"

namespace pictavo {

// The file system through the W functions; names and paths are UTF-8.
class WindowsFileSystem final : public FileSystem {
 public:
  // How an existing file is replaced: ReplaceFileW, or a stand-in that fails the way it can.
  using ReplaceFn = BOOL(WINAPI*)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID);
  explicit WindowsFileSystem(ReplaceFn replace = &::ReplaceFileW) : replace_(replace) {}

  std::vector<std::string> ListFiles(std::string_view pattern) override;
  std::optional<std::string> ReadWholeFile(std::string_view path, size_t maxBytes) override;
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override;
  Removal RemoveFile(std::string_view path) override;
  std::optional<FileStamp> StampOf(std::string_view path) override;
  bool EntryExists(std::string_view path) override;
  bool SameFileName(std::string_view a, std::string_view b) const override;

 private:
  ReplaceFn replace_;
};

// The system's ANSI code page (CP_ACP), also when that is UTF-8.
class WindowsAnsiCodePage final : public CodePage {
 public:
  WindowsAnsiCodePage();
  explicit WindowsAnsiCodePage(unsigned codePage);
  std::optional<std::string> AnsiToUtf8(std::string_view ansi) const override;
  std::optional<std::string> Utf8ToAnsi(std::string_view utf8) const override;

 private:
  unsigned codePage_;
};

// The process's file system and code page.
const CollectionIo& SystemCollectionIo();

// Scans gImagesDir and fills gCollections; true when at least one collection was found.
bool LoadCollections();
// Writes every collection of the table to gImagesDir (see the logic's SaveCollections).
SaveResult SaveCollections();
// One file of gImagesDir; false, with `info` unchanged, when it cannot be read.
bool ReadCollectionFile(std::string_view fileName, CollectionInfo& info);
WriteStatus WriteCollectionFile(const CollectionInfo& info);

}  // namespace pictavo
