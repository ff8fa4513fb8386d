#include "platform/OwnFiles.h"

namespace pictavo {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Join(std::string_view directory, std::string_view name) {
  while (!directory.empty() && IsSeparator(directory.back())) directory.remove_suffix(1);
  while (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
  return std::string(directory) + "\\" + std::string(name);
}

}  // namespace

std::string OwnFileIn(const ProgramPlace& place, std::string_view name,
                      const std::function<bool(const std::string&)>& exists) {
  const std::string beside = Join(place.directory, name);
  if (!place.inSystemFolder || place.installedDirectory.empty() || exists(beside)) return beside;
  const std::string installed = Join(place.installedDirectory, name);
  return exists(installed) ? installed : beside;
}

}  // namespace pictavo
