// The line about a missing or undecodable file, made to fit the screen by shortening the name's middle.
#include <gtest/gtest.h>

#include <string>

#include "show/TextFit.h"

namespace pictavo {
namespace {

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
  struct Case {
    std::string name;
    int width;
    std::string line;
  };
  const Case cases[] = {
      {"a\\b.jpg", 100, pre + "a\\b.jpg" + post},
      {"a\\b.jpg", 46, pre + "a\\b.jpg" + post},
      {"abcdefghij\\photo.jpg", 55, pre + "abcdef...oto.jpg" + post},
      {"abcdefghij\\photo.jpg", 54, pre + "abcdef...to.jpg" + post},
      {"\xC3\xA9t\xC3\xA9\\\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99\xE7\x9C\x9F.png", 51,
       pre + "\xC3\xA9t\xC3\xA9\\..." + "\xE7\x9C\x9F.png" + post},
      {"abcdefghij\\photo.jpg", 10, pre + "..." + post},
  };
  for (const Case& c : cases) {
    const std::string line = FitNameInLine(pre, c.name, post, c.width, Characters);
    EXPECT_EQ(line, c.line) << c.name << " in " << c.width;
    if (Characters(pre + "..." + post) <= c.width) {
      EXPECT_LE(Characters(line), c.width) << c.name;
    }
  }
}

}  // namespace
}  // namespace pictavo
