// The play list, the choice of the next entry in both orders, and the one-second tick.
#include "show/PlayList.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace pictavo {
namespace {

// Hands out the given numbers in turn, then starts again.
struct ScriptedRandom final : RandomSource {
  explicit ScriptedRandom(std::vector<double> v) : values(std::move(v)) {}
  double Next() override { return values[next++ % values.size()]; }
  std::vector<double> values;
  size_t next = 0;
};

// A collection table (on the heap: it is large) of (image count, in use); files are "<collection>_<image>".
std::vector<CollectionInfo> Table(const std::vector<std::pair<int, bool>>& collections) {
  std::vector<CollectionInfo> table(collections.size());
  for (size_t c = 0; c < table.size(); ++c) {
    table[c].InUse = collections[c].second;
    table[c].ImageCount = static_cast<int16_t>(collections[c].first);
    for (int i = 0; i < collections[c].first; ++i)
      table[c].Images[static_cast<size_t>(i)] = {"t" + std::to_string(i), std::to_string(c) + "_" + std::to_string(i)};
  }
  return table;
}
ShowList Build(const std::vector<CollectionInfo>& t, bool useAll, bool random, RandomSource& rng) {
  return BuildShowList(t.data(), static_cast<int>(t.size()), useAll, random, rng);
}
std::vector<std::string> Files(const ShowList& list) {
  std::vector<std::string> out;
  for (const ShowItem& item : list.Items) out.push_back(item.File);
  return out;
}

// Catches: collections not in use taking part, gUseAll ignored, table order lost, entries past ImageCount read.
TEST(BuildShowList, TakesCollectionsInUseOrAllInTableOrder) {
  std::vector<CollectionInfo> t = Table({{2, true}, {2, false}, {3, true}});
  t[2].ImageCount = 1;
  SeededRandom rng(1);
  EXPECT_EQ(Files(Build(t, false, false, rng)), (std::vector<std::string>{"0_0", "0_1", "2_0"}));
  EXPECT_EQ(Files(Build(t, true, true, rng)), (std::vector<std::string>{"0_0", "0_1", "1_0", "1_1", "2_0"}));
  EXPECT_EQ(Build(t, false, true, rng).UnshownCount, 3);
}

// Catches: an overflowing list, sequential order not keeping the first 2049, random order cutting the same
// surplus every show (some images never drawn), a sample with duplicates or short with extreme numbers,
// and a random cycle showing an entry twice or leaving one out.
TEST(BuildShowList, Caps2049FirstInSequenceAFreshSampleInRandom) {
  const std::vector<CollectionInfo> t = Table({{513, true}, {513, true}, {513, true}, {513, true}, {513, true}});
  SeededRandom rng(42);
  const ShowList first = Build(t, false, false, rng);
  ASSERT_EQ(first.ShowCount(), kShowListSlots);
  EXPECT_EQ(first.Items.back().File, "3_509");  // 4 * 513 = 2052: the 2049th is the 510th of the fourth
  std::set<std::vector<std::string>> samples;
  std::set<std::string> everTaken;
  for (int run = 0; run < 20; ++run) {
    const std::vector<std::string> files = Files(Build(t, false, true, rng));
    ASSERT_EQ(std::set<std::string>(files.begin(), files.end()).size(), static_cast<size_t>(kShowListSlots));
    everTaken.insert(files.begin(), files.end());
    samples.insert(files);
  }
  EXPECT_EQ(samples.size(), 20u);
  EXPECT_EQ(everTaken.size(), 5u * 513u);
  ShowList list = Build(t, false, true, rng);  // each entry once in a cycle
  std::set<int> seen;
  for (int i = 0; i < kShowListSlots; ++i) seen.insert(ChooseNextEntry(list, true, rng));
  EXPECT_EQ(seen.size(), static_cast<size_t>(kShowListSlots)) << "an entry shown twice in one cycle";
  for (double r : {0.0, 0.999999999999}) {
    ScriptedRandom extreme({r});
    EXPECT_EQ(Build(t, false, true, extreme).ShowCount(), kShowListSlots) << r;
  }
}

// (entries, random numbers, random order?) -> chosen indexes. Catches: an off-by-one in floor(r * unshown) + 1,
// shown entries counted in the walk, a cycle not restarting (it may start with the last entry), sequential
// order not starting at 0 or not wrapping, and a crash with one entry, none, or a source returning 1.0.
TEST(ChooseNextEntry, WalksTheUnshownEntriesOrTheSequence) {
  struct Case { int entries; std::vector<double> draws; bool random; std::vector<int> expected; };
  const Case cases[] = {
      {4, {0.0}, true, {0, 1, 2, 3, 0}},      {4, {0.99}, true, {3, 2, 1, 0, 3}},
      {4, {0.5, 0.5, 0.5, 0.0}, true, {2, 1, 3, 0}}, {4, {0.25, 0.7, 0.0, 0.0, 0.5}, true, {1, 3, 0, 2, 2}},
      {1, {1.0}, true, {0, 0, 0}},            {3, {0.5}, false, {0, 1, 2, 0, 1}},
      {0, {0.5}, true, {-1}},                 {0, {0.5}, false, {-1}},
  };
  for (const Case& c : cases) {
    ScriptedRandom rng(c.draws);
    ShowList list = Build(Table({{c.entries, true}}), false, c.random, rng);
    std::vector<int> order;
    for (size_t i = 0; i < c.expected.size(); ++i) order.push_back(ChooseNextEntry(list, c.random, rng));
    EXPECT_EQ(order, c.expected) << c.entries << (c.random ? " random" : " sequential");
  }
}

// Ticks at which the first three changes come, by delay. Catches: changing every D seconds instead of D + 1,
// and a negative delay that never (or only once) changes the picture.
TEST(TickCounter, ChangesOnEveryDelayPlusOneTick) {
  const std::vector<std::pair<int, std::vector<int>>> expected = {
      {10, {11, 22, 33}}, {1, {2, 4, 6}}, {0, {1, 2, 3}}, {-5, {1, 2, 3}}, {-32768, {1, 2, 3}}};
  for (const auto& [delay, changes] : expected) {
    TickCounter counter;
    std::vector<int> at;
    for (int tick = 1; at.size() < 3 && tick < 100; ++tick)
      if (counter.Tick(static_cast<int16_t>(delay))) at.push_back(tick);
    EXPECT_EQ(at, changes) << "delay " << delay;
  }
}

// Catches: a monitor skipped or given the entry of another at the same change, the sequence or the random
// cycle starting again at each change instead of running on across monitors, and a short list not repeating.
TEST(ChooseEntriesForChange, EveryMonitorTakesTheNextEntryInTurn) {
  const struct { int entries, monitors; bool random; std::vector<std::vector<int>> changes; } cases[] = {
      {3, 2, false, {{0, 1}, {2, 0}, {1, 2}}},
      {1, 3, false, {{0, 0, 0}, {0, 0, 0}}},
      {2, 1, false, {{0}, {1}, {0}}},
      {0, 2, false, {{}, {}}},
      // Random, r = 0 each time: the first entry not yet shown in this cycle.
      {3, 2, true, {{0, 1}, {2, 0}, {1, 2}}},
  };
  for (const auto& c : cases) {
    ScriptedRandom rng({0.0});
    ShowList list = Build(Table({{c.entries, true}}), false, c.random, rng);
    for (const std::vector<int>& change : c.changes)
      EXPECT_EQ(ChooseEntriesForChange(list, c.random, rng, c.monitors), change) << c.entries << " on " << c.monitors;
  }
}

}  // namespace
}  // namespace pictavo
