#include "show/PlayList.h"

#include <algorithm>

namespace pictavo {
namespace {

int ClampedImageCount(const CollectionInfo& c) { return std::clamp<int>(c.ImageCount, 0, kMaxImages); }

// true with probability k / n, for 0 <= k <= n, n > 0.
bool Take(RandomSource& rng, int k, int n) {
  const double r = std::clamp(rng.Next(), 0.0, 1.0);
  return static_cast<double>(n) * r < static_cast<double>(k);
}

}  // namespace

ShowList BuildShowList(const CollectionInfo* table, int count, bool useAll, bool random, RandomSource& rng) {
  ShowList list;
  count = std::clamp(count, 0, kCollectionSlots);
  int eligible = 0;
  for (int c = 0; c < count; ++c) {
    if (table[c].InUse || useAll) eligible += ClampedImageCount(table[c]);
  }
  const int size = std::min(eligible, kShowListSlots);
  list.Items.reserve(static_cast<size_t>(size));

  // Selection sampling: each eligible entry is taken with probability (still needed) / (still to see),
  // which gives every subset of `size` entries the same chance and keeps table order.
  int needed = size;
  int remaining = eligible;
  for (int c = 0; c < count && needed > 0; ++c) {
    const CollectionInfo& collection = table[c];
    if (!collection.InUse && !useAll) continue;
    const int images = ClampedImageCount(collection);
    for (int i = 0; i < images && needed > 0; ++i, --remaining) {
      const bool take = !random || eligible <= kShowListSlots || needed == remaining || Take(rng, needed, remaining);
      if (!take) continue;
      const ImageEntry& image = collection.Images[static_cast<size_t>(i)];
      list.Items.push_back(ShowItem{image.Title, image.File, false});
      --needed;
    }
  }
  list.UnshownCount = list.ShowCount();
  return list;
}

int ChooseNextEntry(ShowList& list, bool random, RandomSource& rng) {
  const int showCount = list.ShowCount();
  if (showCount == 0) return -1;
  if (!random) {
    int next = list.CurrentIndex + 1;
    if (next >= showCount || next < 0) next = 0;
    list.CurrentIndex = static_cast<int16_t>(next);
    return next;
  }
  if (list.UnshownCount <= 0 || list.UnshownCount > showCount) {
    // Only a list changed behind our back gets here: start a fresh cycle rather than walk off the end.
    for (ShowItem& item : list.Items) item.Shown = false;
    list.UnshownCount = static_cast<int16_t>(showCount);
  }
  const double r = std::clamp(rng.Next(), 0.0, 1.0);
  int target = static_cast<int>(r * list.UnshownCount) + 1;
  target = std::clamp(target, 1, static_cast<int>(list.UnshownCount));
  int chosen = -1;
  int seen = 0;
  for (int i = 0; i < showCount; ++i) {
    if (list.Items[static_cast<size_t>(i)].Shown) continue;
    if (++seen == target) {
      chosen = i;
      break;
    }
  }
  if (chosen < 0) chosen = 0;  // cannot happen while UnshownCount matches the flags
  list.Items[static_cast<size_t>(chosen)].Shown = true;
  --list.UnshownCount;
  if (list.UnshownCount == 0) {
    list.UnshownCount = static_cast<int16_t>(showCount);
    for (ShowItem& item : list.Items) item.Shown = false;
  }
  return chosen;
}

std::vector<int> ChooseEntriesForChange(ShowList& list, bool random, RandomSource& rng, int monitors) {
  std::vector<int> entries;
  for (int m = 0; m < monitors && list.ShowCount() > 0; ++m) entries.push_back(ChooseNextEntry(list, random, rng));
  return entries;
}

}  // namespace pictavo
