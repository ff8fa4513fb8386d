// frmBrowse: the directory browser of the settings dialog.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "setup/DirectoryBrowser.h"

namespace pictavo {

// The directories of the machine, through the W functions; paths are UTF-8.
class WindowsDirectories final : public DirectorySource {
 public:
  std::optional<std::vector<std::string>> Subdirectories(std::string_view dir) override;
  std::string CurrentDirectoryOf(char drive) override;
  std::string CurrentDirectory() override;
};

// Whether a path names an existing directory (a file, a pattern or nothing there does not).
bool IsDirectory(std::string_view path);

// Shows the browser modally over owner. On OK it leaves the open directory, in upper case, in
// gImagesDir; on Cancel gImagesDir stays as it was. The directories are the machine's unless given.
void ShowBrowse(HWND owner, DirectorySource* directories = nullptr);

}  // namespace pictavo
