#include "show/TextFit.h"

#include <vector>

namespace pictavo {
namespace {

// Where each character of UTF-8 text starts; a stray continuation byte counts as a character of its own
// only at the very start.
std::vector<size_t> CharacterStarts(const std::string& text) {
  std::vector<size_t> starts;
  for (size_t k = 0; k < text.size(); ++k)
    if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80 || k == 0) starts.push_back(k);
  return starts;
}

}  // namespace

std::string FitNameInLine(const std::string& prefix, const std::string& name, const std::string& suffix, int maxWidth,
                          const std::function<int(const std::string&)>& measure) {
  std::string whole = prefix + name + suffix;
  if (measure(whole) <= maxWidth) return whole;
  const std::vector<size_t> starts = CharacterStarts(name);
  const size_t count = starts.size();
  // The name with `drop` characters from its middle replaced by "...": the end (the file's own name)
  // keeps the larger half.
  auto shortened = [&](size_t drop) {
    const size_t keep = count - drop;
    const size_t head = keep / 2;
    const size_t tail = keep - head;
    const size_t headEnd = head < count ? starts[head] : name.size();
    const size_t tailStart = tail == 0 ? name.size() : starts[count - tail];
    return prefix + name.substr(0, headEnd) + "..." + name.substr(tailStart) + suffix;
  };
  // The fewest characters dropped for a line that fits; wider lines for fewer dropped.
  size_t low = 1, high = count;
  if (measure(shortened(high)) > maxWidth) return shortened(high);
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    if (measure(shortened(mid)) <= maxWidth)
      high = mid;
    else
      low = mid + 1;
  }
  return shortened(high);
}

}  // namespace pictavo
