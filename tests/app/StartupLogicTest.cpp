#include <gtest/gtest.h>

#include "app/OSVersion.h"
#include "app/Random.h"
#include "app/StartMode.h"

namespace pictavo {
namespace {

// Catches: switches matched after trimming, on more than two characters, or case-sensitively.
TEST(StartMode, OnlyTheFirstTwoCharactersUpperCasedDecide) {
  const struct {
    const char* args;
    StartMode mode;
  } cases[] = {
      {"/S", StartMode::Show},       {"/s", StartMode::Show},         {"/Sx", StartMode::Show},
      {"/Store", StartMode::Show},   {"/c:1234", StartMode::Configure}, {"/C", StartMode::Configure},
      {"/a 1234", StartMode::Password}, {"/p 1234", StartMode::None}, {"", StartMode::None},
      {" /S", StartMode::None},      {"/", StartMode::None},          {"-s", StartMode::None},
      {"S", StartMode::None},
  };
  for (const auto& c : cases) EXPECT_EQ(ModeFromArguments(c.args), c.mode) << '"' << c.args << '"';
}

// Catches: losing or trimming the argument string when it is cut from the command line.
TEST(StartMode, ArgumentsFollowTheProgramNameAndOneBlank) {
  EXPECT_EQ(ArgumentsOf("Pictavo.scr /S"), "/S");
  EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\Pictavo.scr\" /c:123"), "/c:123");
  EXPECT_EQ(ArgumentsOf("\"C:\\a b\\Pictavo.scr\"  /S"), " /S");
  EXPECT_EQ(ArgumentsOf("Pictavo.scr"), "");
  EXPECT_EQ(ArgumentsOf("\"unterminated /S"), "");
  EXPECT_EQ(ArgumentsOf(""), "");
}

OSVersion Fake(bool ok, int32_t major, int32_t minor, int32_t build, int32_t platform) {
  return OSVersion([=](OsVersionRecord& r) {
    EXPECT_EQ(r.size, 148u);  // the size field is set before the query
    r.major = major;
    r.minor = minor;
    r.build = build;
    r.platformId = platform;
    return ok;
  });
}

// Catches: wrong display texts, the build number's high word leaking through, and a failed
// query that answers with the record's numbers instead of -1 and empty texts.
TEST(OSVersion, AnswersFromTheRecordOrWithTheFailedQueryValues) {
  const OSVersion nt = Fake(true, 4, 0, 1381, 2);
  EXPECT_EQ(nt.Platform(), 2);
  EXPECT_EQ(nt.sPlatform(), "Windows NT");
  EXPECT_EQ(nt.sVersion(), "4.0");
  EXPECT_EQ(nt.BuildNumber(), 1381);
  EXPECT_EQ(nt.sBuildNumber(), "1381");
  EXPECT_TRUE(nt.Initialized());

  const OSVersion w95 = Fake(true, 4, 10, (4 << 24) | (0 << 16) | 950, 1);
  EXPECT_EQ(w95.sPlatform(), "Windows 95");
  EXPECT_EQ(w95.sVersion(), "4.10");
  EXPECT_EQ(w95.BuildNumber(), 950);

  EXPECT_EQ(Fake(true, 1, 5, -1, 0).BuildNumber(), 0xFFFF);  // low 16 bits, never negative
  EXPECT_EQ(Fake(true, 1, 5, -1, 0).sPlatform(), "Win32s");
  EXPECT_EQ(Fake(true, 10, 0, 19045, 3).sPlatform(), "");

  const OSVersion failed = Fake(false, 4, 0, 1381, 2);
  EXPECT_FALSE(failed.Initialized());
  EXPECT_EQ(failed.Platform(), -1);
  EXPECT_EQ(failed.OSVersionMajor(), -1);
  EXPECT_EQ(failed.OSVersionMinor(), -1);
  EXPECT_EQ(failed.BuildNumber(), -1);
  EXPECT_EQ(failed.sVersion(), "");
  EXPECT_EQ(failed.sBuildNumber(), "");
  EXPECT_EQ(failed.sPlatform(), "");
  EXPECT_EQ(OSVersion::VER_PLATFORM_WIN32_NT, 2);
}

// Catches: a generator that can return 1.0 (the random choice would then step past the list).
TEST(Random, StaysInTheHalfOpenUnitInterval) {
  SeededRandom r(42);
  for (int i = 0; i < 100000; ++i) {
    const double x = r.Next();
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
  }
}

}  // namespace
}  // namespace pictavo
