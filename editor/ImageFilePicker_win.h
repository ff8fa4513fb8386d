// cd1: the platform's file-open dialog as the editor uses it, behind an interface that tests replace.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

namespace pictavo {

class ImageFilePicker {
 public:
  virtual ~ImageFilePicker() = default;
  // Lets the user pick image files, starting in initialDirectory (UTF-8). The result as the dialog gives
  // it (see ParsePickResult): one full path, or the directory and the names, each followed by a NUL;
  // empty when nothing was picked.
  virtual std::string Pick(HWND owner, const std::string& initialDirectory) = 0;
};

// GetOpenFileNameW, Explorer style, several files at once, the current directory left as it was.
class SystemImageFilePicker final : public ImageFilePicker {
 public:
  // Room for the names of a large pick at once; a pick that needs more asks again with room enough.
  static constexpr size_t kDefaultBufferChars = 65536;
  explicit SystemImageFilePicker(size_t bufferChars = kDefaultBufferChars) : bufferChars_(bufferChars) {}
  std::string Pick(HWND owner, const std::string& initialDirectory) override;

 private:
  size_t bufferChars_;
};

}  // namespace pictavo
