#include "app/StartMode.h"

#include "app/Settings.h"

namespace pictavo {

StartMode ModeFromArguments(std::string_view arguments) {
  const std::string mode = AsciiUpper(arguments.substr(0, 2));
  if (mode == "/S") return StartMode::Show;
  if (mode == "/C") return StartMode::Configure;
  if (mode == "/A") return StartMode::Password;
  return StartMode::None;
}

std::string_view ArgumentsOf(std::string_view commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const size_t close = commandLine.find('"', 1);
    i = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  if (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return commandLine.substr(i);
}

}  // namespace pictavo
