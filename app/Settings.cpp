#include "app/Settings.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace pictavo {

int16_t gDelay = 0;
bool gRandom = false;
bool gUseAll = false;
std::string gImagesDir;

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string_view TrimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number at the start of the text (blanks before it allowed), or 0.
double LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t digitsStart = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  bool anyDigit = i > digitsStart;
  if (i < text.size() && text[i] == '.') {
    ++i;
    const size_t fracStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    anyDigit = anyDigit || i > fracStart;
  }
  if (!anyDigit) return 0.0;
  size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t expStart = j;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j > expStart) end = j;
  }
  // strtod on a bounded copy: the locale's decimal point is never in play for these texts.
  std::string number(text.substr(start, end - start));
  return std::strtod(number.c_str(), nullptr);
}

}  // namespace

int16_t ParseDelay(std::string_view text) {
  double value = LeadingNumber(text);
  if (std::isnan(value)) value = 0.0;
  double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
  constexpr double lo = std::numeric_limits<int16_t>::min();
  constexpr double hi = std::numeric_limits<int16_t>::max();
  if (rounded < lo) rounded = lo;
  if (rounded > hi) rounded = hi;
  const auto delay = static_cast<int16_t>(rounded);
  return delay == 0 ? kDefaultDelay : delay;
}

bool ParseFlag(std::string_view text) { return AsciiUpper(TrimSpaces(text)) == "TRUE"; }

std::string ParseImagesDir(std::string_view text, const UpperCaseFn& upper) {
  std::string dir = upper(TrimSpaces(text));
  if (dir.empty()) dir = std::string(kDefaultImagesDir);
  return dir;
}

Settings ReadSettings(const SettingsStore& store, const UpperCaseFn& upper) {
  Settings s;
  s.delaySeconds = ParseDelay(store.Read("Delay"));
  s.random = ParseFlag(store.Read("Random"));
  s.useAll = ParseFlag(store.Read("UseAll"));
  s.imagesDir = ParseImagesDir(store.Read("ImagesDir"), upper);
  return s;
}

SettingsWrite WriteSettings(SettingsStore& store, const Settings& s) {
  const std::array<std::pair<std::string_view, std::string>, 4> values{{
      {"Delay", std::to_string(s.delaySeconds)},
      {"Random", s.random ? "True" : "False"},
      {"UseAll", s.useAll ? "True" : "False"},
      {"ImagesDir", s.imagesDir},
  }};
  std::array<std::string, 4> before;
  for (size_t i = 0; i < values.size(); ++i) before[i] = store.Read(values[i].first);
  for (size_t i = 0; i < values.size(); ++i) {
    if (store.Write(values[i].first, values[i].second)) continue;
    // The values written so far get their old texts back (a missing one reads as "" and loads the same).
    bool restored = true;
    for (size_t j = 0; j < i; ++j) restored = store.Write(values[j].first, before[j]) && restored;
    return restored ? SettingsWrite::Unchanged : SettingsWrite::Partial;
  }
  return SettingsWrite::Written;
}

void LoadSettings(const SettingsStore& store, const UpperCaseFn& upper) {
  const Settings s = ReadSettings(store, upper);
  gDelay = s.delaySeconds;
  gRandom = s.random;
  gUseAll = s.useAll;
  gImagesDir = s.imagesDir;
}

SettingsWrite SaveSettings(SettingsStore& store) {
  return WriteSettings(store, Settings{gDelay, gRandom, gUseAll, gImagesDir});
}

}  // namespace pictavo
