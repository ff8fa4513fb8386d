#include "setup/SetupRules.h"

#include <algorithm>

#include "ui/MessageCatalogue.h"

namespace pictavo {

std::string DelayCaption(int16_t seconds) {
  const int s = seconds;
  if (s >= 60) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " sec";
  if (s >= 2) return std::to_string(s) + " seconds";
  return std::to_string(s) + " second";
}

std::string ResolveDirectoryText(std::string_view text, const FullPathFn& fullPath) {
  if (text.empty()) return {};
  const bool bareDrive = text.size() == 2 && text[1] == ':';
  std::string path = bareDrive ? std::string(text) : fullPath(text);
  if (path.empty()) path = text;
  if (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

DirectoryCheck CheckDirectory(std::string_view text, std::string_view textBefore, const DirectoryRules& rules) {
  DirectoryCheck check{DirectoryCheck::Unchanged, std::string(text)};
  const std::string full = ResolveDirectoryText(text, rules.fullPath);
  if (rules.upper(full) == rules.upper(ResolveDirectoryText(textBefore, rules.fullPath))) return check;
  const bool pattern = check.text.find_first_of("*?") != std::string::npos;
  const bool found = !full.empty() && !pattern && rules.isDirectory(full);
  if (!found && !check.text.empty() && check.text.back() == '\\') check.text.pop_back();
  check.result = found ? DirectoryCheck::Found : DirectoryCheck::NotFound;
  if (found) check.text = full;
  return check;
}

DirectoryCheck LeaveDirectoryBox(std::string_view text, ListedDirectory& listed, const DirectoryRules& rules,
                                 const CollectionIo& io) {
  const DirectoryCheck check = CheckDirectory(text, listed.textAtFocus, rules);
  if (check.result == DirectoryCheck::Unchanged) return check;
  if (check.result == DirectoryCheck::Found) {
    LoadCollections(io, check.text, listed.table.slots, listed.table.count, listed.scan);
    listed.imagesDir = check.text;
  } else {
    listed.table.count = 0;
    listed.scan.fileNames.clear();  // nothing of the table comes from a file any more
  }
  // Checked once: leaving the box again, or Browse bringing back the same directory, changes nothing.
  listed.textAtFocus = check.text;
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

SaveOutcome SaveSetupChoices(const SetupChoices& choices, Settings& settings, const TableRef& table,
                             SetupStores& stores) {
  Settings next = settings;
  if (StoreSetupChoices(choices, next, table)) stores.makeDirectory(next.imagesDir);
  const SaveResult saved = SaveCollections(stores.io, next.imagesDir, table.slots, table.count, stores.scan);
  if (!saved.AllWritten() || !saved.notRemoved.empty())
    return {saved.AllWritten() ? message::kOldFileKept : message::kNotSaved, NotSavedDetail(saved, table.slots)};
  switch (WriteSettings(stores.settings, next)) {
    case SettingsWrite::Written: break;
    case SettingsWrite::Unchanged: return {message::kSettingsNotSaved, {}};
    case SettingsWrite::Partial: return {message::kSettingsPartlySaved, {}};
  }
  settings = next;
  return {};
}

}  // namespace pictavo
