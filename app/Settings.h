// The four user settings, their rules for loading and saving, and the process-wide copies.
// Plain C++: the store itself (the registry on Windows) is handed in.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pictavo {

// Where the settings live: texts under a key name. A missing key reads as "".
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string Read(std::string_view key) const = 0;
  virtual bool Write(std::string_view key, std::string_view value) = 0;
};

inline constexpr std::string_view kDefaultImagesDir = "C:\\PICTAVO";
inline constexpr int16_t kDefaultDelay = 10;

struct Settings {
  int16_t delaySeconds = kDefaultDelay;
  bool random = false;
  bool useAll = false;
  std::string imagesDir{kDefaultImagesDir};
};

using UpperCaseFn = std::function<std::string(std::string_view)>;

// Upper case for ASCII letters only; Windows hands in its own full mapping.
std::string AsciiUpper(std::string_view text);
// Removes leading and trailing blanks (spaces only, as the stored texts are written).
std::string_view TrimSpaces(std::string_view text);

// "Delay": the number the text begins with, rounded half to even, saturated to 16 bits; 0 gives 10.
int16_t ParseDelay(std::string_view text);
// "Random", "UseAll": true only for TRUE in any case, blanks around it allowed.
bool ParseFlag(std::string_view text);
// "ImagesDir": trimmed, upper case, "C:\PICTAVO" when empty.
std::string ParseImagesDir(std::string_view text, const UpperCaseFn& upper = AsciiUpper);

Settings ReadSettings(const SettingsStore& store, const UpperCaseFn& upper = AsciiUpper);
enum class SettingsWrite {
  Written,    // all four values are stored
  Unchanged,  // a write failed: the store holds what it held before
  Partial,    // a write failed and the values written before it could not all be put back
};
// Writes the four keys in order, all or nothing: after a failed write the keys already written get their
// old texts back.
SettingsWrite WriteSettings(SettingsStore& store, const Settings& settings);

// Process-wide settings, as the show and the dialogs use them.
extern int16_t gDelay;
extern bool gRandom;
extern bool gUseAll;
extern std::string gImagesDir;

void LoadSettings(const SettingsStore& store, const UpperCaseFn& upper = AsciiUpper);
SettingsWrite SaveSettings(SettingsStore& store);

}  // namespace pictavo
