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

ShowGeometry GeometryFor(const DisplayMetrics& metrics) {
  const PixelRect primary{0, 0, metrics.primaryWidth, metrics.primaryHeight};
  const bool virtualScreen = !metrics.virtualScreen.Empty();
  const PixelRect window = virtualScreen ? metrics.virtualScreen : primary;
  const auto inWindow = [&](const PixelRect& r) {
    return PixelRect{r.left - window.left, r.top - window.top, r.width, r.height};
  };
  ShowGeometry g{window, inWindow(primary), {inWindow(primary)}};
  if (!virtualScreen) return g;
  std::vector<PixelRect> others;
  for (const PixelRect& r : metrics.others) {
    const bool inside = r.left >= window.left && r.top >= window.top &&
                        int64_t{r.left} + r.width <= int64_t{window.left} + window.width &&
                        int64_t{r.top} + r.height <= int64_t{window.top} + window.height;
    if (!r.Empty() && inside) others.push_back(inWindow(r));
  }
  std::stable_sort(others.begin(), others.end(), [](const PixelRect& a, const PixelRect& b) {
    return a.left != b.left ? a.left < b.left : a.top < b.top;
  });
  for (const PixelRect& r : others)
    if (std::find(g.monitors.begin(), g.monitors.end(), r) == g.monitors.end()) g.monitors.push_back(r);
  return g;
}

std::vector<int> CarriedOverMonitors(const std::vector<PixelRect>& before, const std::vector<PixelRect>& after) {
  std::vector<int> from(after.size(), -1);
  std::vector<bool> taken(before.size(), false);
  for (size_t a = 0; a < after.size(); ++a) {
    for (size_t b = 0; b < before.size(); ++b) {
      if (!taken[b] && before[b] == after[a]) {
        from[a] = static_cast<int>(b);
        taken[b] = true;
        break;
      }
    }
  }
  size_t next = 0;
  for (size_t a = 0; a < after.size(); ++a) {
    if (from[a] >= 0) continue;
    while (next < before.size() && taken[next]) ++next;
    if (next == before.size()) break;
    from[a] = static_cast<int>(next);
    taken[next] = true;
  }
  return from;
}

}  // namespace pictavo
