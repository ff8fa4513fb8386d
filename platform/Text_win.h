// The one place where the program's UTF-8 text meets Windows' UTF-16.
#pragma once
#include <string>
#include <string_view>

namespace pictavo {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The directory of the running program file, without a trailing separator (UTF-8).
std::string ProgramDirectory();

}  // namespace pictavo
