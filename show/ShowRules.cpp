#include "show/ShowRules.h"

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
  const PixelRect window = metrics.virtualScreen.Empty() ? primary : metrics.virtualScreen;
  return {window, {primary.left - window.left, primary.top - window.top, primary.width, primary.height}};
}

}  // namespace pictavo
