// The show's play list, the order in which its entries are chosen, and the one-second tick.
// Plain C++: the collection table and the random source are handed in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/Random.h"
#include "collections/CollectionInfo.h"

namespace pictavo {

inline constexpr int kShowListSlots = 2049;  // play-list entries (indexes 0..2048)

struct ShowItem {
  std::string Title;  // carried along, never shown
  std::string File;   // relative to gImagesDir
  bool Shown = false;  // already shown in the current random cycle
};

struct ShowList {
  std::vector<ShowItem> Items;  // ShowCount = Items.size(), never more than kShowListSlots
  int16_t CurrentIndex = -1;    // sequential order: the entry shown last
  int16_t UnshownCount = 0;     // random order: entries not yet shown in this cycle

  int16_t ShowCount() const { return static_cast<int16_t>(Items.size()); }
};

// The entries of every collection in use (or of all, with useAll), in table order. When more than
// kShowListSlots are eligible, random order takes a uniformly random sample of kShowListSlots of them
// (kept in table order) and sequential order the first kShowListSlots. `count` and each ImageCount are
// clamped to what the table can hold.
ShowList BuildShowList(const CollectionInfo* table, int count, bool useAll, bool random, RandomSource& rng);

// The index of the entry to show next: a random entry not yet shown in this cycle, or the one after the
// last in sequence. Returns -1 only for an empty list.
int ChooseNextEntry(ShowList& list, bool random, RandomSource& rng);

// The entries of one change, one for each of `monitors` monitors in their order: each takes the next
// entry as ChooseNextEntry picks it, so the order (random cycles, the sequence) runs on across monitors
// and from change to change, and a list shorter than the monitors repeats. Empty for an empty list.
std::vector<int> ChooseEntriesForChange(ShowList& list, bool random, RandomSource& rng, int monitors);

// Counts one-second ticks against the delay: the picture changes on every (delay + 1)-th tick, and on
// every tick for a delay below 1.
class TickCounter {
 public:
  // One tick; true when the picture is due to change.
  bool Tick(int16_t delaySeconds) {
    if (count_ < delaySeconds) {
      ++count_;
      return false;
    }
    count_ = 0;
    return true;
  }
  void Reset() { count_ = 0; }
  int16_t Count() const { return count_; }

 private:
  int16_t count_ = 0;
};

}  // namespace pictavo
