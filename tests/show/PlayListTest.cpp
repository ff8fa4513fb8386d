// Play list, choice of the next entry and the tick counter.
#include "show/PlayList.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace pictavo {
namespace {

// Hands out the given numbers in turn, then starts again.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<double> values) : values_(std::move(values)) {}
  double Next() override { return values_[next_++ % values_.size()]; }

 private:
  std::vector<double> values_;
  size_t next_ = 0;
};

// A table on the heap: 65 collections of 513 entries are too big for the stack under ASan.
struct Table {
  std::unique_ptr<std::array<CollectionInfo, kCollectionSlots>> slots =
      std::make_unique<std::array<CollectionInfo, kCollectionSlots>>();
  int count = 0;
  void Add(int images, bool inUse, const std::string& prefix) {
    CollectionInfo& c = (*slots)[static_cast<size_t>(count++)];
    c.Name = prefix;
    c.InUse = inUse;
    c.ImageCount = static_cast<int16_t>(images);
    for (int i = 0; i < images; ++i) {
      c.Images[static_cast<size_t>(i)] = {prefix + " " + std::to_string(i + 1), prefix + std::to_string(i) + ".jpg"};
    }
  }
  ShowList Build(bool useAll, bool random, RandomSource& rng) const {
    return BuildShowList(slots->data(), count, useAll, random, rng);
  }
};

std::vector<std::string> Files(const ShowList& list) {
  std::vector<std::string> out;
  for (const ShowItem& item : list.Items) out.push_back(item.File);
  return out;
}

// Catches: collections not in use taking part, gUseAll ignored, table order lost, Title not carried.
TEST(BuildShowList, TakesUsedCollectionsInTableOrderOrAllWithUseAll) {
  Table t;
  t.Add(2, true, "a");
  t.Add(4, false, "b");
  t.Add(3, true, "c");
  SeededRandom rng(1);
  const ShowList used = t.Build(false, false, rng);
  EXPECT_EQ(Files(used), (std::vector<std::string>{"a0.jpg", "a1.jpg", "c0.jpg", "c1.jpg", "c2.jpg"}));
  EXPECT_EQ(used.UnshownCount, 5);
  EXPECT_EQ(used.CurrentIndex, -1);
  EXPECT_EQ(used.Items[2].Title, "c 1");
  EXPECT_EQ(t.Build(true, false, rng).ShowCount(), 9);
}

// Catches: stale entries past ImageCount, or a bad count in the table, reaching the list.
TEST(BuildShowList, ReadsOnlyValidEntriesAndClampsBadCounts) {
  Table t;
  t.Add(3, true, "a");
  (*t.slots)[0].ImageCount = 1;
  t.Add(0, true, "empty");
  t.Add(2, true, "neg");
  (*t.slots)[2].ImageCount = -5;
  SeededRandom rng(1);
  EXPECT_EQ(Files(t.Build(false, false, rng)), (std::vector<std::string>{"a0.jpg"}));
  EXPECT_EQ(BuildShowList(t.slots->data(), -3, true, true, rng).ShowCount(), 0);
  EXPECT_EQ(BuildShowList(t.slots->data(), 1000, true, false, rng).ShowCount(), 1);  // other slots hold nothing
}

// Catches: an overflowing play list, and a sequential list that does not keep the first 2049.
TEST(BuildShowList, SequentialOrderKeepsTheFirst2049) {
  Table t;
  for (int i = 0; i < kMaxScannedCollections; ++i) t.Add(kMaxImages, true, "c" + std::to_string(i));
  SeededRandom rng(7);
  const ShowList list = t.Build(false, false, rng);
  ASSERT_EQ(list.ShowCount(), kShowListSlots);
  EXPECT_EQ(list.Items.front().File, "c00.jpg");
  EXPECT_EQ(list.Items.back().File, "c3" + std::to_string(kShowListSlots - 1 - 3 * kMaxImages) + ".jpg");
  EXPECT_EQ(list.UnshownCount, kShowListSlots);
}

// Catches: random order always dropping the same surplus images (a fixed cut), a sample of the wrong size,
// duplicates, or a sample biased toward the front of the table.
TEST(BuildShowList, RandomOrderTakesAUniformSampleAbove2049) {
  Table t;
  for (int i = 0; i < 8; ++i) t.Add(kMaxImages, true, "c" + std::to_string(i));  // 4104 eligible
  SeededRandom rng(42);
  std::vector<int> timesTaken(4104, 0);
  std::set<std::vector<std::string>> distinct;
  constexpr int kRuns = 200;
  for (int run = 0; run < kRuns; ++run) {
    const ShowList list = t.Build(false, true, rng);
    ASSERT_EQ(list.ShowCount(), kShowListSlots);
    std::set<std::string> unique;
    for (const ShowItem& item : list.Items) {
      unique.insert(item.File);
      const size_t dot = item.File.find('.');
      const int c = item.File[1] - '0';
      const int i = std::stoi(item.File.substr(2, dot - 2));
      ++timesTaken[static_cast<size_t>(c * kMaxImages + i)];
    }
    EXPECT_EQ(unique.size(), static_cast<size_t>(kShowListSlots));
    distinct.insert(Files(list));
  }
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kRuns));
  // Each image is expected in about half of the runs; first and last halves of the table alike.
  long front = 0, back = 0;
  int never = 0;
  for (size_t k = 0; k < timesTaken.size(); ++k) {
    (k < 2052 ? front : back) += timesTaken[k];
    if (timesTaken[k] == 0) ++never;
  }
  EXPECT_EQ(never, 0);
  EXPECT_NEAR(static_cast<double>(front) / (front + back), 0.5, 0.01);
}

// Catches: the sample draw hitting the end of the table before the list is full (a source at 1 - ulp).
TEST(BuildShowList, SampleIsFullEvenWithExtremeRandomNumbers) {
  Table t;
  for (int i = 0; i < 5; ++i) t.Add(kMaxImages, true, "c" + std::to_string(i));
  for (double r : {0.0, 0.999999999999}) {
    ScriptedRandom rng({r});
    EXPECT_EQ(t.Build(false, true, rng).ShowCount(), kShowListSlots) << r;
  }
}

// Catches: sequential order not wrapping to 0, or not starting at entry 0.
TEST(ChooseNextEntry, SequentialOrderCyclesFromEntryZero) {
  Table t;
  t.Add(3, true, "a");
  ScriptedRandom rng({0.5});
  ShowList list = t.Build(false, false, rng);
  std::vector<int> order;
  for (int i = 0; i < 7; ++i) order.push_back(ChooseNextEntry(list, false, rng));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0, 1, 2, 0}));
  EXPECT_EQ(list.UnshownCount, 3);  // untouched in sequential order
}

// The walk over unshown entries, as a table: (random numbers) -> chosen indexes for 4 entries.
// Catches: an off-by-one in target = floor(r * unshown) + 1, counting shown entries in the walk, or a
// cycle that does not restart after the last unshown entry.
TEST(ChooseNextEntry, RandomOrderWalksUnshownEntries) {
  struct Case {
    std::vector<double> draws;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {{0.0, 0.0, 0.0, 0.0}, {0, 1, 2, 3}},
      {{0.99, 0.99, 0.99, 0.99}, {3, 2, 1, 0}},
      {{0.5, 0.5, 0.5, 0.0}, {2, 1, 3, 0}},
      {{0.25, 0.7, 0.0, 0.0, 0.5}, {1, 3, 0, 2, 2}},  // a new cycle may start with the last entry
  };
  for (const Case& c : cases) {
    Table t;
    t.Add(4, true, "a");
    ScriptedRandom rng(c.draws);
    ShowList list = t.Build(false, true, rng);
    std::vector<int> order;
    for (size_t i = 0; i < c.expected.size(); ++i) order.push_back(ChooseNextEntry(list, true, rng));
    EXPECT_EQ(order, c.expected);
  }
}

// Catches: an entry shown twice, or left out, within one random cycle; UnshownCount drifting from the flags.
TEST(ChooseNextEntry, RandomOrderShowsEachEntryOncePerCycle) {
  Table t;
  t.Add(37, true, "a");
  SeededRandom rng(3);
  ShowList list = t.Build(false, true, rng);
  for (int cycle = 0; cycle < 20; ++cycle) {
    std::set<int> seen;
    for (int i = 0; i < 37; ++i) {
      EXPECT_TRUE(seen.insert(ChooseNextEntry(list, true, rng)).second);
      int unshown = 0;
      for (const ShowItem& item : list.Items) unshown += item.Shown ? 0 : 1;
      EXPECT_EQ(unshown, list.UnshownCount);
    }
    EXPECT_EQ(seen.size(), 37u);
  }
}

// Catches: a crash or a stuck show with one entry or none, and a source that returns 1.0.
TEST(ChooseNextEntry, SingleAndEmptyListsAndARandomSourceAtOne) {
  Table t;
  t.Add(1, true, "a");
  ScriptedRandom one({1.0});
  ShowList single = t.Build(false, true, one);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ChooseNextEntry(single, true, one), 0);
  EXPECT_EQ(ChooseNextEntry(single, false, one), 0);
  EXPECT_EQ(ChooseNextEntry(single, false, one), 0);
  ShowList empty;
  EXPECT_EQ(ChooseNextEntry(empty, true, one), -1);
  EXPECT_EQ(ChooseNextEntry(empty, false, one), -1);
}

// Ticks until each of the first three changes, by delay. Catches: changing every D seconds instead of
// D + 1, an unsigned comparison that never fires for a negative delay.
TEST(TickCounter, ChangesOnEveryDelayPlusOneTick) {
  const std::map<int, std::vector<int>> expected = {
      {10, {11, 22, 33}}, {1, {2, 4, 6}}, {0, {1, 2, 3}}, {-5, {1, 2, 3}}, {-32768, {1, 2, 3}}};
  for (const auto& [delay, changes] : expected) {
    TickCounter counter;
    std::vector<int> at;
    for (int tick = 1; at.size() < 3 && tick < 100; ++tick) {
      if (counter.Tick(static_cast<int16_t>(delay))) at.push_back(tick);
    }
    EXPECT_EQ(at, changes) << "delay " << delay;
  }
  TickCounter top;  // 32767 must not overflow the counter
  for (int i = 0; i < 32767; ++i) ASSERT_FALSE(top.Tick(32767));
  EXPECT_TRUE(top.Tick(32767));
}

}  // namespace
}  // namespace pictavo
