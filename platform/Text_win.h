// The one place where the program's UTF-8 text meets Windows' UTF-16.
#pragma once
#include <string>
#include <string_view>

namespace pictavo {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The directory of the running program file, without a trailing separator (UTF-8).
std::string ProgramDirectory();

// One of the program's own files ("about.jpg", "err.ico", "Pictavo.htm"), as a full path (UTF-8): beside the
// program, or for a copy in Windows' system folder, in the folder Setup installed into (platform/OwnFiles.h).
// Safe on any thread: it opens no window and writes no global. Defined in OwnFiles_win.cpp.
std::string OwnFilePath(std::string_view name);

}  // namespace pictavo
