// A line of text about a file ("The image file NAME could not be displayed.") made to fit a width: the
// sentence's words stay whole and the file name loses characters from its middle, replaced by "...".
// Plain C++: the caller measures text in its own font.
#pragma once
#include <functional>
#include <string>

namespace pictavo {

// prefix + name + suffix when it fits in maxWidth as `measure` measures UTF-8 text; otherwise the same
// with as few whole characters as possible taken from the middle of name and "..." in their place. When
// even "..." alone is too wide, the line with "..." for the name (its start is what stays on screen).
std::string FitNameInLine(const std::string& prefix, const std::string& name, const std::string& suffix, int maxWidth,
                          const std::function<int(const std::string&)>& measure);

}  // namespace pictavo
