// The logic of messages, placement and the twips layout, without Windows.
#include <gtest/gtest.h>

#include "ui/FormLayout.h"
#include "ui/MessageCatalogue.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

constexpr MessageIcon kErr = MessageIcon::Error, kInfo = MessageIcon::Information;

// Catches a wrong word or blank in the texts shown since the first version, the near-identical -102/-104
// headlines (were/are) swapped, the -103 wording ("Windows NT 4.0", one space), a wrong icon kind, a
// listed code falling through to the generic entry, and an unlisted code (-99, -105, 0, positive) not
// reaching it.
TEST(MessageCatalogue, EveryCodeShowsItsTextsAndIcon) {
  const struct { int32_t code; const char* headline; MessageIcon icon; const char* body = nullptr; } rows[] = {
      {-100, "Please supply a Collection Name.", kErr, "Before we can save your collection, we ask that you please "
       "give it a name. Choose a nice one that you will remember easily."},
      {-101, "Please add at least one image file.", kErr, "Before we can save your collection, we ask that you "
       "please supply us with at least one image file name. Click the Add Files button to do so, or Cancel to "
       "forget the whole thing."},
      {-102, "There were no collections available.", kInfo, "There were no collections found in the directory "
       "where the screen saver is located. Click the Create Collection button to make a new one."},
      {-103, "Passwords are not supported.", kInfo, "Under Windows 95, passwords are not supported by Pictavo. If "
       "you need passwords AND Pictavo, then Windows NT 4.0 will work just fine."},
      {-104, "There are no collections available.", kInfo, "In the currently specified Images Directory, there are "
       "no image collections. Pictavo will tell you this again when the screen saver kicks in. Select a new "
       "directory to correct this."},
      {-106, "This Collection Name cannot be used.", kErr}, {-107, "Another collection has this name.", kErr},
      {-108, "This collection is full.", kErr},           {-109, "Some image files could not be copied.", kErr},
      {-110, "There is no room for another collection.", kErr}, {-111, "Some collections could not be saved.", kErr},
      {-113, "The collection could not be deleted.", kErr}, {-114, "The settings could not be saved.", kErr},
  };
  const MessageEntry& generic = MessageFor(-99);
  EXPECT_EQ(generic.headline, std::string("An unknown error occurred."));
  EXPECT_EQ(generic.body, std::string("Some sort of unknown problem has arisen, and we're not sure how to handle it. "
                                      "We apologize for this inability to perform the task you requested."));
  EXPECT_EQ(generic.icon, kErr);
  for (const int32_t code : {-115, -105, 0, 1, INT32_MIN}) {
    const MessageEntry& entry = MessageFor(code);
    EXPECT_TRUE(entry.headline == generic.headline && entry.body == generic.body && entry.icon == kErr) << code;
  }
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    const MessageEntry& entry = MessageFor(row.code);
    EXPECT_EQ(entry.headline, std::string(row.headline));
    EXPECT_EQ(entry.body, std::string(row.body ? row.body : entry.body));
    EXPECT_NE(entry.body, generic.body);
    EXPECT_EQ(entry.icon, row.icon);
  }
  EXPECT_EQ(IconFileName(kErr), "\\err.ico");  // the path is the directory followed directly by it
  EXPECT_EQ(IconFileName(kInfo), "\\info.ico");
}

// Catches rounding after halving, floor instead of truncation toward zero (-51 for 101 too
// wide), round-half-up instead of half-to-even, clamping, and double-precision arithmetic.
TEST(CenteredEdge, RoundsHalfToEvenThenTruncatesTowardZero) {
  const struct { float screen, window; int32_t edge; } rows[] = {
      {9600, 4695, 2452}, {7200, 2985, 2107}, {9600, 9701, -50},      {9600, 19200, -4800},
      {10.5f, 0, 5},      {11.5f, 0, 6},      {0, 101.5f, -51},
      {16777216.0f, -3.0f, 8388610},  // 16777219 is no float: it becomes 16777220 before halving
  };
  for (const auto& row : rows)
    EXPECT_EQ(CenteredEdge(row.screen, row.window), row.edge) << row.screen << " - " << row.window;
}

// Catches >= in place of > at the right edge, a check of the bottom edge, rounding after the
// division, and division that floors a negative height difference.
TEST(PlaceAboutBeside, BesideTheOwnerUnlessPastTheRightEdge) {
  const struct { float top, width, height, boxHeight, screen; bool centre; int32_t wantTop, wantLeft; } rows[] = {
      {2000, 6000, 5000, 3990, 15360, false, 2505, 2500},    // the worked example
      {2000, 6000, 5000, 3990, 8290, false, 2505, 2500},     // right edge exactly on the screen's edge
      {2000, 6000, 5000, 3990, 8289, true, 2505, 2500},      // one twip past it
      {90000, 6000, 5000, 3990, 8290, false, 90505, 2500},   // far below the screen: never compared
      {2000, 6003, 3000, 3991, 1e9f, false, 1505, 2500},     // -991 div 2 = -495; 6003 div 4 = 1500
      {2000, 6002.5f, 5001, 3990, 1e9f, false, 2505, 2500},  // round(1011) div 2; round(6002.5) = 6002
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.screen);
    const AboutPlacement p = PlaceAboutBeside(1000, row.top, row.width, row.height, 5790, row.boxHeight, row.screen);
    EXPECT_EQ(p.centreOnScreen, row.centre);
    EXPECT_EQ(p.position.top, row.wantTop);
    EXPECT_EQ(p.position.left, row.wantLeft);
  }
}

// Catches truncation in place of rounding, a fixed 15 twips per pixel, and font heights off.
TEST(Twips, ConversionsAt96_120_144) {
  const struct { int64_t twips; int32_t dpi, pixels; } rows[] = {
      {1440, 120, 120}, {15, 144, 2}, {7, 96, 0}, {8, 96, 1}, {4455, 144, 446}, {-16, 144, -2}, {3585, 96, 239}};
  for (const auto& row : rows) EXPECT_EQ(TwipsToPixels(row.twips, row.dpi), row.pixels) << row.twips << "@" << row.dpi;
  EXPECT_FLOAT_EQ(PixelsToTwips(1024, 120), 12288.0f);
  EXPECT_EQ(PointsToPixels(8.25f, 96) * 100 + PointsToPixels(8.25f, 120), 1114);
  EXPECT_EQ(PointsToPixels(15.75f, 96), 21);
}

// Catches converting sizes instead of edges (neighbours no longer flush at 144 DPI), and a
// control in a frame placed relative to the dialog instead of the frame.
TEST(ControlPixelRect, ConvertsEdgesRelativeToTheFrame) {
  const ControlSpec controls[] = {{1, ControlKind::Button, "a", {15, 15, 15, 15}, 0},
                                  {2, ControlKind::Button, "b", {30, 15, 15, 15}, 1}};
  const FormSpec form{"t", 100, 100, {}, controls};
  EXPECT_EQ(ControlPixelRect(form, controls[0], 144), (PixelRect{2, 2, 3, 3}));
  EXPECT_EQ(ControlPixelRect(form, controls[1], 144), (PixelRect{3, 2, 5, 3}));
}

}  // namespace
}  // namespace pictavo
