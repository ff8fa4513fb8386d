// Start-up without Windows: the switches, the version record, the settings' parsing and store, and where the
// program's own files are found.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/OSVersion.h"
#include "app/Settings.h"
#include "app/StartMode.h"
#include "platform/OwnFiles.h"

namespace pictavo {
namespace {

// Catches: switches matched after trimming, on more than two characters, or case-sensitively; losing or
// trimming the argument string when it is cut from the command line.
TEST(StartMode, OnlyTheFirstTwoCharactersOfTheArgumentsUpperCasedDecide) {
  const struct { const char* args; StartMode mode; } cases[] = {
      {"/s", StartMode::Show},          {"/Store", StartMode::Show}, {"/c:1234", StartMode::Configure},
      {"/C", StartMode::Configure},     {"/a 1234", StartMode::Password}, {"/p 1234", StartMode::None},
      {"", StartMode::None},            {" /S", StartMode::None},    {"/", StartMode::None},
      {"-s", StartMode::None},          {"S", StartMode::None}};
  for (const auto& c : cases) EXPECT_EQ(ModeFromArguments(c.args), c.mode) << '"' << c.args << '"';
  // The arguments follow the program name and one blank.
  EXPECT_EQ(ArgumentsOf("Pictavo.scr /S"), "/S");
  EXPECT_EQ(ArgumentsOf("\"C:\\a b\\Pictavo.scr\"  /S"), " /S");
  for (const char* line : {"Pictavo.scr", "\"unterminated /S", ""}) EXPECT_EQ(ArgumentsOf(line), "") << line;
}

// Catches: wrong display texts, the build number's high word leaking through (or a negative one), the
// size field not set before the query, and a failed query answering with the record's numbers
// instead of -1 and empty texts.
TEST(OSVersion, AnswersFromTheRecordOrWithTheFailedQueryValues) {
  const struct { bool ok; int32_t major, minor, build, platform; const char* want; } rows[] = {
      {true, 4, 0, 1381, 2, "2 Windows NT 4.0 4/0 1381 1381 1"},
      {true, 4, 10, (4 << 24) | 950, 1, "1 Windows 95 4.10 4/10 950 950 1"},
      {true, 1, 5, -1, 0, "0 Win32s 1.5 1/5 65535 65535 1"},
      {true, 10, 0, 19045, 3, "3  10.0 10/0 19045 19045 1"},
      {false, 4, 0, 1381, 2, "-1   -1/-1 -1  0"}};
  for (const auto& r : rows) {
    const OSVersion v([&](OsVersionRecord& rec) {
      EXPECT_EQ(rec.size, 148u);
      rec.major = r.major, rec.minor = r.minor, rec.build = r.build, rec.platformId = r.platform;
      return r.ok;
    });
    const auto s = [](auto n) { return std::to_string(n); };
    EXPECT_EQ(s(v.Platform()) + " " + v.sPlatform() + " " + v.sVersion() + " " + s(v.OSVersionMajor()) + "/" +
                  s(v.OSVersionMinor()) + " " + s(v.BuildNumber()) + " " + v.sBuildNumber() + " " + s(v.Initialized()),
              r.want);
  }
}

using Writes = std::vector<std::pair<std::string, std::string>>;

// Settings in memory: the successful writes in order (a key reads as its last); the writes numbered (from 0)
// failAt up to failUntil fail.
struct MemoryStore final : SettingsStore {
  Writes writes;
  size_t tried = 0, failAt = SIZE_MAX, failUntil = SIZE_MAX;
  std::string Read(std::string_view key) const override {
    const auto it = std::find_if(writes.rbegin(), writes.rend(), [&](const auto& w) { return w.first == key; });
    return it == writes.rend() ? std::string{} : it->second;
  }
  bool Write(std::string_view key, std::string_view value) override {
    const size_t n = tried++;
    return (n < failAt || n >= failUntil) && (writes.emplace_back(key, value), true);
  }
};

// Catches: a wrong number rule (no leading blanks, truncation instead of halves-to-even,
// a 0 that is not replaced by the default, an overflow that wraps instead of saturating).
TEST(ParseDelay, FollowsTheLeadingNumberRule) {
  const struct { const char* text; int16_t expected; } cases[] = {
      {"", 10},      {"0", 10},     {"abc", 10},  {"15", 15},   {"  7", 7},   {"12.5", 12},
      {"13.5", 14},  {"0.5", 10},   {"0.6", 1},   {"-3", -3},   {"9abc", 9},  {" \t8", 8},
      {".5", 10},    {"2.5e1", 25}, {"1e", 1},    {"-0", 10},   {"+4", 4},    {"- 4", 10},
      {"99999", 32767}, {"-99999", -32768}, {"1e400", 32767}, {"32767.5", 32767}};
  for (const auto& c : cases) EXPECT_EQ(ParseDelay(c.text), c.expected) << '"' << c.text << '"';
}

// Catches: flags that accept YES/1/-1, or that compare without trimming or case folding; a directory that
// keeps its blanks or case, an all-blank value that is not defaulted, and the upper-casing handed in left
// unused.
TEST(ParseFlagAndImagesDir, OnlyTrueInAnyCaseIsTrueTheDirectoryTrimmedUpperCasedAndDefaulted) {
  for (const char* yes : {"true", " True ", "tRuE"}) EXPECT_TRUE(ParseFlag(yes)) << yes;
  for (const char* no : {"", "yes", "1", "-1", "T", "truee", "\ttrue"}) EXPECT_FALSE(ParseFlag(no)) << no;
  EXPECT_EQ(ParseImagesDir(" d:\\pics "), "D:\\PICS");
  EXPECT_EQ(ParseImagesDir("   "), "C:\\PICTAVO");
  EXPECT_EQ(ParseImagesDir("c:\\x", [](std::string_view) { return std::string("MAPPED"); }), "MAPPED");
}

// Catches: wrong key names or value formats ("True"/"False", plain decimal), a round trip that loses
// a value, and a failed write reported as success; then a store that refuses the fourth value keeping
// the first three (the stored settings would be half old, half new) or reporting that it holds what it
// held before when the old values could not be put back.
TEST(SaveSettings, WritesTheFourKeysInOrderRoundTripsAndStoresAllOrNothing) {
  MemoryStore store;
  gDelay = -7, gRandom = true, gUseAll = false, gImagesDir = " d:\\Mixed Case ";
  EXPECT_EQ(SaveSettings(store), SettingsWrite::Written);
  EXPECT_EQ(store.writes,
            (Writes{{"Delay", "-7"}, {"Random", "True"}, {"UseAll", "False"}, {"ImagesDir", " d:\\Mixed Case "}}));
  gDelay = 0, gRandom = false, gUseAll = true;
  LoadSettings(store);
  EXPECT_EQ(std::tuple(gDelay, gRandom, gUseAll, gImagesDir), std::tuple(-7, true, false, "D:\\MIXED CASE"));

  for (const auto& [failUntil, result, stored] : {std::tuple(size_t{4}, SettingsWrite::Unchanged, "5|False|True|C:\\OLD"),
                                                  {SIZE_MAX, SettingsWrite::Partial, "-7|True|False|C:\\OLD"}}) {
    MemoryStore failing;
    failing.writes = {{"Delay", "5"}, {"Random", "False"}, {"UseAll", "True"}, {"ImagesDir", "C:\\OLD"}};
    failing.failAt = 3, failing.failUntil = failUntil;
    EXPECT_EQ(SaveSettings(failing), result);
    EXPECT_EQ(failing.Read("Delay") + "|" + failing.Read("Random") + "|" + failing.Read("UseAll") + "|" +
                  failing.Read("ImagesDir"), stored);
  }
}

// Catches: a copy outside the system folder taking files from the installed folder, the installed folder
// preferred to the file beside the program, a missing installed file chosen over the path beside, and doubled
// separators.
TEST(OwnFiles, BesideTheProgramElseWhereSetupInstalledForACopyInTheSystemFolder) {
  const std::string sys = "C:\\Windows\\System32", inst = "C:\\Program Files\\Pictavo";
  const struct { bool inSystem; std::string recorded, present /* the files there are */, want; } rows[] = {
      {false, inst, inst + "\\err.ico", sys + "\\err.ico"},
      {true, inst, sys + "\\err.ico|" + inst + "\\err.ico", sys + "\\err.ico"},
      {true, inst + "\\", inst + "\\err.ico", inst + "\\err.ico"},
      {true, inst, "", sys + "\\err.ico"},
      {true, "", inst + "\\err.ico", sys + "\\err.ico"}};
  for (const auto& r : rows) {
    const ProgramPlace place{sys + "\\", r.inSystem, r.recorded};
    const auto exists = [&](const std::string& path) { return r.present.find(path) != std::string::npos; };
    EXPECT_EQ(OwnFileIn(place, "\\err.ico", exists), r.want) << r.present;
  }
}

}  // namespace
}  // namespace pictavo
