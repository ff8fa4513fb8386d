#include "setup/SetupRules.h"

#include <algorithm>

namespace pictavo {

std::string DelayCaption(int16_t seconds) {
  const int s = seconds;
  if (s >= 60) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " sec";
  if (s >= 2) return std::to_string(s) + " seconds";
  return std::to_string(s) + " second";
}

DirectoryCheck CheckDirectory(std::string_view text, std::string_view textBefore, const UpperCaseFn& upper,
                              const IsDirectoryFn& isDirectory) {
  DirectoryCheck check{DirectoryCheck::Unchanged, std::string(text)};
  if (upper(text) == upper(textBefore)) return check;
  if (!check.text.empty() && check.text.back() == '\\') check.text.pop_back();
  const bool pattern = check.text.find_first_of("*?") != std::string::npos;
  check.result = !check.text.empty() && !pattern && isDirectory(check.text) ? DirectoryCheck::Found
                                                                            : DirectoryCheck::NotFound;
  return check;
}

bool StoreSetupChoices(const SetupChoices& choices, Settings& settings, const TableRef& table) {
  settings.delaySeconds = static_cast<int16_t>(std::clamp(choices.delay, kDelayMin, kDelayMax));
  settings.random = choices.random;
  settings.useAll = choices.useAll;
  const size_t used = std::clamp<size_t>(table.count < 0 ? 0 : static_cast<size_t>(table.count), 0, table.slots.size());
  for (size_t i = 0; i < used && i < choices.ticks.size(); ++i) table.slots[i].InUse = choices.ticks[i];
  settings.imagesDir = choices.dirText.empty() ? std::string(kDefaultImagesDir) : choices.dirText;
  return !choices.dirText.empty();
}

}  // namespace pictavo
