#include "show/ShowRules.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "collections/CollectionFile.h"

namespace pictavo {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsPathBelowImagesDir(std::string_view file) {
  if (file.empty() || IsSeparator(file.front()) || file.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= file.size()) {
    size_t end = start;
    while (end < file.size() && !IsSeparator(file[end])) ++end;
    const std::string_view part = file.substr(start, end - start);
    // "..", and any part of dots and spaces alone, which Windows may trim to "..".
    const bool dotsOnly = !part.empty() && part.find_first_not_of(". ") == std::string_view::npos;
    if ((dotsOnly && part != ".") || IsDeviceName(part)) return false;
    start = end + 1;
  }
  return true;
}

std::string MonitorKey(const Monitor& monitor) {
  if (!monitor.name.empty()) return monitor.name;
  const PixelRect& r = monitor.rect;
  return "@" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

ShowGeometry GeometryFor(const DisplayMetrics& metrics) {
  const PixelRect primary{0, 0, metrics.primaryWidth, metrics.primaryHeight};
  const bool virtualScreen = !metrics.virtualScreen.Empty();
  const PixelRect window = virtualScreen ? metrics.virtualScreen : primary;
  const auto inWindow = [&](const PixelRect& r) {
    return PixelRect{r.left - window.left, r.top - window.top, r.width, r.height};
  };
  ShowGeometry g{window, inWindow(primary), {{inWindow(primary), metrics.primaryName}}};
  if (!virtualScreen) return g;
  std::vector<Monitor> others;
  for (const Monitor& m : metrics.others) {
    const PixelRect& r = m.rect;
    const bool inside = r.left >= window.left && r.top >= window.top &&
                        int64_t{r.left} + r.width <= int64_t{window.left} + window.width &&
                        int64_t{r.top} + r.height <= int64_t{window.top} + window.height;
    if (!r.Empty() && inside) others.push_back({inWindow(r), m.name});
  }
  std::stable_sort(others.begin(), others.end(), [](const Monitor& a, const Monitor& b) {
    return a.rect.left != b.rect.left ? a.rect.left < b.rect.left : a.rect.top < b.rect.top;
  });
  for (const Monitor& m : others) {
    const bool mirror = std::any_of(g.monitors.begin(), g.monitors.end(),
                                    [&](const Monitor& shown) { return shown.rect == m.rect; });
    if (!mirror) g.monitors.push_back(m);
  }
  return g;
}

std::vector<int> CarriedOverMonitors(const std::vector<Monitor>& before, const std::vector<Monitor>& after) {
  std::vector<int> from(after.size(), -1);
  for (size_t a = 0; a < after.size(); ++a) {
    const std::string key = MonitorKey(after[a]);
    for (size_t b = 0; b < before.size(); ++b) {
      if (MonitorKey(before[b]) == key) {
        from[a] = static_cast<int>(b);
        break;
      }
    }
  }
  return from;
}

}  // namespace pictavo
