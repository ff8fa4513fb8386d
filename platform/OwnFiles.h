// Where the program finds its own files (the About picture, the message icons, the help page): beside the
// program; for a copy that runs from Windows' system folder, in the folder Setup installed into, where Setup
// left them. Plain C++: the Windows side says where the program runs and what Setup recorded.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace pictavo {

struct ProgramPlace {
  std::string directory;           // the running program file's folder
  bool inSystemFolder = false;     // that folder is Windows' system folder
  std::string installedDirectory;  // the folder Setup recorded; empty when none
};

// The path of the file `name` ("about.jpg"; a leading separator is allowed): beside the program when it is
// there, or when the program does not run from the system folder; else in the installed folder when it is
// there; else beside the program again (a path that does not exist, as for a copy without the file).
std::string OwnFileIn(const ProgramPlace& place, std::string_view name,
                      const std::function<bool(const std::string&)>& exists);

}  // namespace pictavo
