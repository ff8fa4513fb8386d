// The show's plain rules: the play list, the choice of the next entries in both orders, the one-second
// tick, which image lines it reads, the pointer count put back, the window over the monitors, and the
// line about a missing file made to fit the screen.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "show/Pipeline.h"
#include "show/Placement.h"
#include "show/PlayList.h"
#include "show/ShowRules.h"
#include "show/TextFit.h"

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

// Catches: a monitor skipped or given the entry of another at the same change, the sequence or the random
// cycle starting again at each change instead of running on across monitors, and a short list not repeating.
TEST(ChooseEntriesForChange, EveryMonitorTakesTheNextEntryInTurn) {
  const struct { int entries, monitors; bool random; std::vector<std::vector<int>> changes; } cases[] = {
      {3, 2, false, {{0, 1}, {2, 0}, {1, 2}}}, {1, 3, false, {{0, 0, 0}, {0, 0, 0}}}, {2, 1, false, {{0}, {1}, {0}}},
      {0, 2, false, {{}, {}}},
      {3, 2, true, {{0, 1}, {2, 0}, {1, 2}}},  // r = 0 each time: the first entry not yet shown in this cycle
  };
  for (const auto& c : cases) {
    ScriptedRandom rng({0.0});
    ShowList list = Build(Table({{c.entries, true}}), false, c.random, rng);
    for (const std::vector<int>& change : c.changes)
      EXPECT_EQ(ChooseEntriesForChange(list, c.random, rng, c.monitors), change) << c.entries << " on " << c.monitors;
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

// Catches: a line reaching out of the images directory (a drive, the root, a server or device path, "..",
// a stream) or naming a device (which can block the show on a read that never returns) in its first or a
// later part (which names are devices is tested with the collection names); and plain names and
// subfolders refused with them.
TEST(IsPathBelowImagesDir, PlainNamesAndSubfoldersOnly) {
  const struct { const char* file; bool below; } cases[] = {
      {"beach.jpg", true},          {"2019\\beach.jpg", true},    {"2019/07\\beach.jpg", true},
      {".\\beach.jpg", true},       {"my..photo.jpg", true},      {"2019\\con2.jpg", true},
      {"", false},                  {"..\\beach.jpg", false},     {"2019\\..\\..\\x.jpg", false},
      {"a/../x.jpg", false},        {"...\\x.jpg", false},        {".. \\x.jpg", false},
      {"C:\\x.jpg", false},         {"C:x.jpg", false},           {"\\x.jpg", false},
      {"/x.jpg", false},            {"\\\\server\\share\\x.jpg", false}, {"\\\\.\\COM1", false},
      {"\\\\?\\C:\\x.jpg", false},  {"beach.jpg:secret", false},  {"com9.jpg", false},
      {"2019\\Con\\x.jpg", false},  {"x\\clock$.jpg", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPathBelowImagesDir(c.file), c.below) << c.file;
}

// Catches: the pointer left visible or the count put back one step wrong (a cap that stops the hiding
// loop without counting its last call, starts of 64 and above), and a loop that never ends.
TEST(HidePointerSteps, HidesFromAnyStartAndCountsEveryStep) {
  for (const int start : {-5, -1, 0, 1, 63, 64, 65, 70, 1000}) {
    int count = start;
    const int steps = HidePointerSteps([&] { return --count; });
    EXPECT_LT(count, 0) << start;
    EXPECT_EQ(count + steps, start) << start;
  }
  int calls = 0;
  EXPECT_EQ(HidePointerSteps([&] { return ++calls, 5; }), calls);
}

// The window, and the monitors in its pixels in the order they take entries. Catches: the window not over
// every monitor (or none at all when the system reports no virtual screen), the primary's picture centred
// on the virtual screen, a monitor given no picture, the order wrong (the primary not first, the others not
// left to right, then top to bottom), monitors left in desktop pixels, and a mirror taking an entry of its own.
TEST(GeometryFor, WindowOverEveryMonitorEachInWindowPixelsThePrimaryFirst) {
  const struct { DisplayMetrics metrics; PixelRect window; std::vector<Monitor> monitors; } cases[] = {
      {{{0, 0, 1024, 768}, 1024, 768}, {0, 0, 1024, 768}, {{0, 0, 1024, 768}}},
      {{{-1280, -200, 2560, 1024}, 1280, 800}, {-1280, -200, 2560, 1024}, {{1280, 200, 1280, 800}}},
      {{{0, 0, 0, 0}, 800, 600}, {0, 0, 800, 600}, {{0, 0, 800, 600}}},
      // Primary 1024x768 at the origin; others right, left (higher up) and below-left, and a mirror.
      {{{-800, -100, 2624, 1468}, 1024, 768,
        {{1024, 0, 800, 600}, {-800, 768, 800, 600}, {-800, -100, 800, 600}, {0, 0, 1024, 768}, {1024, 0, 800, 600}}},
       {-800, -100, 2624, 1468},
       {{800, 100, 1024, 768}, {0, 0, 800, 600}, {0, 868, 800, 600}, {1824, 100, 800, 600}}},
  };
  for (const auto& c : cases) {
    const ShowGeometry g = GeometryFor(c.metrics);
    EXPECT_EQ(g.window, c.window);
    EXPECT_EQ(g.monitors, c.monitors);
  }
}

// Catches: a monitor known by its place or its order, not its name (when one of three goes and the third
// slides into its place, it took the picture of the one that went), a resized monitor losing its picture,
// a monitor that appears carrying on from one that went, and monitors without a name not known by place.
TEST(CarriedOverMonitors, ByNameWhereverTheyLie) {
  const PixelRect primary{0, 0, 1024, 768}, smaller{0, 0, 800, 600}, right{1024, 0, 800, 600}, far{1824, 0, 800, 600};
  const Monitor a{primary, "A"}, b{right, "B"};
  const struct { std::vector<Monitor> before, after; std::vector<int> from; } cases[] = {
      {{a, b, {far, "C"}}, {a, {right, "C"}}, {0, 2}}, {{a, b}, {{smaller, "A"}, b}, {0, 1}},
      {{a}, {a, b}, {0, -1}}, {{{primary}, {right}}, {{right}, {smaller}}, {1, -1}},
  };
  for (const auto& k : cases) EXPECT_EQ(CarriedOverMonitors(k.before, k.after), k.from);
}

// Catches: the first move ending the show, (0, 0) taken as a recorded position, a move back to the
// recorded spot ending it, the recorded position updated by later moves, and the window's move over the
// monitors taken for a move of the pointer.
TEST(PointerWatch, FirstMoveRecordsAndAMoveElsewhereEnds) {
  PointerWatch w;
  const struct { int x, y; bool ends; } moves[] = {
      {0, 0, false}, {0, 0, false}, {300, 200, false}, {300, 200, false}, {301, 200, true}, {300, 199, true},
      {300, 200, false}, {0, 0, true}};
  for (const auto& m : moves) EXPECT_EQ(w.Move(m.x, m.y), m.ends) << m.x << "," << m.y;
  // The window moved 300 left and 50 up under a pointer that stood still: the same spot, not a move.
  w.Shift(300, 50);
  EXPECT_FALSE(w.Move(600, 250));
  EXPECT_TRUE(w.Move(300, 200));
}

// One unit per character (UTF-8 continuation bytes cost nothing), as a fixed-pitch font measures.
int Characters(const std::string& s) {
  int n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// Catches: a line that fits shortened anyway, the sentence's words cut instead of the name, more
// characters dropped than needed (or the line still too wide), the file's own name at the end lost,
// a UTF-8 character split, and a width too narrow for anything looping or throwing.
TEST(FitNameInLine, ShortensTheNamesMiddleJustEnough) {
  const std::string pre = "The image file ", post = " could not be displayed.";  // 15 + 24 characters
  const struct { std::string name; int width; std::string line; } cases[] = {
      {"a\\b.jpg", 46, pre + "a\\b.jpg" + post},
      {"abcdefghij\\photo.jpg", 55, pre + "abcdef...oto.jpg" + post},
      {"abcdefghij\\photo.jpg", 54, pre + "abcdef...to.jpg" + post},
      {"\xC3\xA9t\xC3\xA9\\\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99\xE7\x9C\x9F.png", 51,
       pre + "\xC3\xA9t\xC3\xA9\\..." + "\xE7\x9C\x9F.png" + post},
      {"abcdefghij\\photo.jpg", 10, pre + "..." + post},
  };
  for (const auto& c : cases) EXPECT_EQ(FitNameInLine(pre, c.name, post, c.width, Characters), c.line) << c.width;
}

// A read that stalls until the test lets it go, and a wait for what other threads do.
struct Stall {
  std::mutex mutex;
  std::condition_variable cv;
  bool open = false;
  void Wait() {
    std::unique_lock lock(mutex);
    cv.wait(lock, [&] { return open; });
  }
  void Open() {
    std::lock_guard lock(mutex);
    open = true;
    cv.notify_all();
  }
};
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 5000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

// Catches: more reads and decodes at once than threads allowed, Close waiting for a read that stalls (the
// show's exit would wait with it), work not yet begun run after Close, and a throw ending the process or
// the thread that ran it.
TEST(WorkerPool, BoundedNeverWaitedForAndSurvivesAThrow) {
  static Stall stall;  // outlives what a failure leaves stalled
  static std::atomic<int> started = 0, done = 0;
  {
    WorkerPool pool(2);
    pool.Submit([] { throw std::bad_alloc(); });
    for (int i = 0; i < 6; ++i) pool.Submit([] { ++started, stall.Wait(), ++done; });
    EXPECT_TRUE(Eventually([] { return started == 2; }));
  }  // closed with both threads stalled
  stall.Open();
  EXPECT_TRUE(Eventually([] { return done == 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(started, 2) << "more at once than threads allowed, or work queued before Close run after it";
}

// Catches: decodes together holding more than the budget, one larger than the budget waiting for ever, and
// a waiting decode not woken when memory is given back or when the show ends.
TEST(MemoryBudget, SharedWithinItsCapacityAndAloneBeyond) {
  MemoryBudget budget(100);
  std::atomic<int> got = -1;
  ASSERT_TRUE(budget.Take(70));
  std::thread second([&] { got = budget.Take(50); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(got, -1) << "120 held at once";
  budget.Give(70);
  second.join();
  EXPECT_EQ(got, 1);
  budget.Give(50);
  EXPECT_TRUE(budget.Take(500));
  std::thread last([&] { got = budget.Take(1); });
  budget.Close();
  last.join();
  EXPECT_EQ(got, 0);
  EXPECT_EQ(budget.Peak(), 100u);
}

// Catches: a stale picture put up (asked for before the monitor's latest request, or for a monitor that
// went), one result put up twice, and a change started while a picture of the last one is still coming.
TEST(PictureRequests, OnlyTheLatestForAMonitorThatStays) {
  PictureRequests requests;
  const uint64_t first = requests.Request("A"), latest = requests.Request("A"), b = requests.Request("B");
  EXPECT_FALSE(requests.Arrived("A", first));
  EXPECT_TRUE(requests.Arrived("A", latest));
  EXPECT_FALSE(requests.Arrived("A", latest));
  EXPECT_TRUE(requests.Waiting()) << "B's read stalls: the next change must wait";
  requests.Forget("B");
  EXPECT_FALSE(requests.Arrived("B", b));
  EXPECT_FALSE(requests.Waiting());
}

}  // namespace
}  // namespace pictavo
