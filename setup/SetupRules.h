// The settings dialog's rules without Windows: the delay caption, the check of the directory box, and
// what OK takes from the controls.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Settings.h"
#include "collections/CollectionTable.h"
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
// The full path of a path as the platform resolves it against the current directory (and, for "\PICS" and
// "D:PICS", against the current drive or that drive's current directory); empty when it cannot.
using FullPathFn = std::function<std::string(std::string_view path)>;

// What the directory check asks of the platform.
struct DirectoryRules {
  UpperCaseFn upper;
  FullPathFn fullPath;
  IsDirectoryFn isDirectory;
};

// The directory a text of the box names, as the images directory keeps it: a full path without a trailing
// "\". A root is kept as "C:", as it always has been (every path is joined to it with a "\"), so a bare
// drive letter stays the root and is not taken as that drive's current directory. Empty for an empty text.
std::string ResolveDirectoryText(std::string_view text, const FullPathFn& fullPath);

struct DirectoryCheck {
  enum Result {
    Unchanged,  // the box names the directory it named before: nothing to do
    Found,      // an existing directory: it becomes the images directory and is scanned
    NotFound,   // no such directory: the list empties, the images directory stays
  } result = Unchanged;
  std::string text;  // the box's text after the check: a found directory's full path; else one trailing "\" removed
};

// The check when the directory box is left. textBefore is what the box held when it last got the focus
// or was last checked; a text that resolves to the same directory (letter case, a trailing "\", relative
// or full) is Unchanged. Only an existing directory is found: a file, an empty text or a name with
// wildcards is not.
DirectoryCheck CheckDirectory(std::string_view text, std::string_view textBefore, const DirectoryRules& rules);

// The directory the dialog lists, and the box's text as last checked.
struct ListedDirectory {
  std::string& imagesDir;    // gImagesDir
  std::string& textAtFocus;  // sDirAtFocus
  TableRef table;
  CollectionScan& scan;
};

// The check carried out: a found directory is scanned into the table, and the images directory and the
// checked text change only once that scan has ended (a scan that fails leaves everything as it was, and
// leaving the box again tries again); a missing one empties the table. The list then shows the table.
DirectoryCheck LeaveDirectoryBox(std::string_view text, ListedDirectory& listed, const DirectoryRules& rules,
                                 const CollectionIo& io);

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

// Where OK stores: the settings store, the images directory's files (with what the scan read there), and
// the making of the images directory (one level; a failure is ignored).
struct SetupStores {
  SettingsStore& settings;
  const CollectionIo& io;
  CollectionScan& scan;
  std::function<void(const std::string& directory)> makeDirectory;
};

// What OK did: 0 when everything was stored and the dialog closes; else the message to show (with its
// detail) over the dialog, which stays open.
struct SaveOutcome {
  int32_t message = 0;
  std::string detail;
};

// OK with collections in the table: the choices into `settings` (the process's settings) and the table,
// then every collection file, then the four settings. The settings are stored only when every collection
// was written and every old file removed, so that the stored settings never name a directory where the
// collections are not; and they are stored all or nothing. `settings` takes the new values only when
// all was stored.
SaveOutcome SaveSetupChoices(const SetupChoices& choices, Settings& settings, const TableRef& table,
                             SetupStores& stores);

}  // namespace pictavo
