// What a run is for, from the argument string the screen-saver machinery passes.
#pragma once
#include <string_view>

namespace pictavo {

enum class StartMode { Show, Configure, Password, None };

// The first two characters of the argument string, upper-cased, decide; nothing is trimmed.
StartMode ModeFromArguments(std::string_view arguments);

// The argument string of a full command line: what follows the program's own name and the
// one blank that separates it (quotes around the name allowed).
std::string_view ArgumentsOf(std::string_view commandLine);

}  // namespace pictavo
