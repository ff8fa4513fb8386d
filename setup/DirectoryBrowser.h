// The directory browser's directory list without Windows: the open directory with its parents above
// and its subdirectories below, walking into any of them, and changing drives. The directories
// themselves are handed in.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictavo {

class DirectorySource {
 public:
  virtual ~DirectorySource() = default;
  // The names of the subdirectories of a full path ("C:\", "C:\PICS"), or nothing when it cannot be read.
  virtual std::optional<std::vector<std::string>> Subdirectories(std::string_view dir) = 0;
  // The current directory of a drive ("D:\PHOTOS"; its root when it has none).
  virtual std::string CurrentDirectoryOf(char drive) = 0;
  // The process's current directory.
  virtual std::string CurrentDirectory() = 0;
};

struct DirectoryRow {
  std::string name;  // "C:\" for a root, else the directory's own name
  std::string path;  // the full path, without a trailing separator except for a root
  int depth = 0;     // 0 for the root
  bool onPath = false;  // the open directory or one of its parents
};

// "c:/a\\b\" -> "C:\a\b": a drive letter (upper case) and the parts, or empty when the path does not
// begin with a drive letter.
std::string NormalisedPath(std::string_view path);

class DirectoryBrowser {
 public:
  explicit DirectoryBrowser(DirectorySource& source) : source_(source) {}

  // Opens the path or, when it cannot be read, the nearest parent that can; a path without a drive
  // letter starts from the current directory. False when nothing could be opened.
  bool OpenNearest(std::string_view path);
  // Opens exactly this directory; false, with nothing changed, when it cannot be read.
  bool Open(std::string_view path);
  bool OpenRow(size_t row);
  // Opens the drive's current directory (or its root); false, with nothing changed, when neither can
  // be read: the drive that was selected before stays.
  bool SelectDrive(char letter);

  const std::string& OpenPath() const { return openPath_; }  // empty until something was opened
  char Drive() const { return openPath_.empty() ? '\0' : openPath_[0]; }
  const std::vector<DirectoryRow>& Rows() const { return rows_; }
  size_t OpenRowIndex() const { return openRow_; }

 private:
  DirectorySource& source_;
  std::string openPath_;
  std::vector<DirectoryRow> rows_;
  size_t openRow_ = 0;
};

}  // namespace pictavo
