#include <gtest/gtest.h>

#include "app/OSVersion.h"
#include "app/Random.h"
#include "app/StartMode.h"

namespace pictavo {
namespace {

// Catches: switches matched after trimming, on more than two characters, or case-sensitively.
TEST(StartMode, OnlyTheFirstTwoCharactersUpperCasedDecide) {
  const struct { const char* args; StartMode mode; } cases[] = {
      {"/s", StartMode::Show},          {"/Store", StartMode::Show}, {"/c:1234", StartMode::Configure},
      {"/C", StartMode::Configure},     {"/a 1234", StartMode::Password}, {"/p 1234", StartMode::None},
      {"", StartMode::None},            {" /S", StartMode::None},    {"/", StartMode::None},
      {"-s", StartMode::None},          {"S", StartMode::None}};
  for (const auto& c : cases) EXPECT_EQ(ModeFromArguments(c.args), c.mode) << '"' << c.args << '"';
}

// Catches: losing or trimming the argument string when it is cut from the command line.
TEST(StartMode, ArgumentsFollowTheProgramNameAndOneBlank) {
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
  EXPECT_EQ(OSVersion::VER_PLATFORM_WIN32_NT, 2);
}

// Catches: a generator that can return 1.0 (the random choice would then step past the list).
TEST(Random, StaysInTheHalfOpenUnitInterval) {
  SeededRandom r(42);
  for (int i = 0; i < 100000; ++i) {
    const double x = r.Next();
    ASSERT_TRUE(x >= 0.0 && x < 1.0) << x;
  }
}

}  // namespace
}  // namespace pictavo
