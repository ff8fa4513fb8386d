// The settings dialog's rules without Windows: the delay caption, the check of the directory box, and
// what OK takes from the controls.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Settings.h"
#include "setup/CollectionList.h"

namespace pictavo {

// The slider's range and steps, in seconds.
inline constexpr int kDelayMin = 1;
inline constexpr int kDelayMax = 600;
inline constexpr int kDelaySmallStep = 1;
inline constexpr int kDelayLargeStep = 30;
inline constexpr int kDelayTickEvery = 15;

// "1 second", "59 seconds", "1 min 30 sec".
std::string DelayCaption(int16_t seconds);

// Whether a path names an existing directory.
using IsDirectoryFn = std::function<bool(std::string_view path)>;

struct DirectoryCheck {
  enum Result {
    Unchanged,  // the box holds what it held before (letter case aside): nothing to do
    Found,      // an existing directory: it becomes the images directory and is scanned
    NotFound,   // no such directory: the list empties, the images directory stays
  } result = Unchanged;
  std::string text;  // the box's text after the check: one trailing "\" removed
};

// The check when the directory box is left. textBefore is what the box held when it last got the focus
// or was last checked. Only an existing directory is found: a file, an empty text or a name with
// wildcards is not.
DirectoryCheck CheckDirectory(std::string_view text, std::string_view textBefore, const UpperCaseFn& upper,
                              const IsDirectoryFn& isDirectory);

// What the controls hold when OK is pressed.
struct SetupChoices {
  int delay = kDefaultDelay;
  bool random = false;
  bool useAll = false;
  std::vector<bool> ticks;  // row r's tick
  std::string dirText;
};

// OK's stores, in order: the delay, the order, use-all, each row's tick into its slot's InUse, and the
// images directory ("C:\PICTAVO" for an empty box). True when that directory is to be created (the box
// was not empty).
bool StoreSetupChoices(const SetupChoices& choices, Settings& settings, const TableRef& table);

}  // namespace pictavo
