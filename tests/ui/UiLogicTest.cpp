// The logic of messages, placement and the twips layout, without Windows.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "ui/ClickGuard.h"
#include "ui/FormLayout.h"
#include "ui/MessageCatalogue.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

constexpr MessageIcon kErr = MessageIcon::Error, kInfo = MessageIcon::Information;

// Catches the near-identical -102/-104 headlines (were/are) swapped, the -103 wording ("Windows NT 4.0",
// one space), a wrong icon kind, a listed code falling through to the generic entry or reaching another
// code's, an unlisted code (-105, 0, positive) not reaching the generic one, and a wrong icon file.
TEST(MessageCatalogue, EveryCodeReachesItsOwnEntryAndIcon) {
  EXPECT_EQ(MessageFor(-102).headline, "There were no collections available.");
  EXPECT_EQ(MessageFor(-104).headline, "There are no collections available.");
  EXPECT_EQ(MessageFor(-103).body, "Under Windows 95, passwords are not supported by Pictavo. If you need passwords "
                                   "AND Pictavo, then Windows NT 4.0 will work just fine.");
  const MessageEntry& generic = MessageFor(-99);
  std::set<std::string_view> headlines;
  for (int32_t code = -120; code <= 1; ++code) {
    const MessageEntry& entry = MessageFor(code);
    const bool listed = code >= -116 && code <= -100 && code != -105;
    EXPECT_EQ(&entry != &generic, listed) << code;
    EXPECT_TRUE(!listed || headlines.insert(entry.headline).second) << code;
    EXPECT_EQ(entry.icon, code <= -102 && code >= -104 ? kInfo : kErr) << code;
  }
  EXPECT_EQ(&MessageFor(INT32_MIN), &generic);
  // The path is the directory followed directly by the name.
  EXPECT_EQ(std::tuple(IconFileName(kErr), IconFileName(kInfo)), std::tuple("\\err.ico", "\\info.ico"));
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
    EXPECT_EQ(std::tuple(p.centreOnScreen, p.position.top, p.position.left),
              std::tuple(row.centre, row.wantTop, row.wantLeft));
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

// Catches converting sizes instead of edges (neighbours no longer flush at 144 DPI), a control in a frame
// placed relative to the dialog instead of the frame; controls created in table order instead of by tab
// position (Tab and a label's access key follow the creation order) and a frame created after the controls
// it holds (it would be drawn over them).
TEST(FormLayout, EdgesRelativeToTheFrameAndCreationFramesFirstThenByTabPosition) {
  const ControlSpec controls[] = {{1, ControlKind::Button, "a", {15, 15, 15, 15}, 0},
                                  {2, ControlKind::Button, "b", {30, 15, 15, 15}, 1}};
  const FormSpec form{"t", 100, 100, {}, controls};
  EXPECT_EQ(ControlPixelRect(form, controls[0], 144), (PixelRect{2, 2, 3, 3}));
  EXPECT_EQ(ControlPixelRect(form, controls[1], 144), (PixelRect{3, 2, 5, 3}));

  const ControlSpec ordered[] = {{1, ControlKind::Button, "", {}, 2}, {2, ControlKind::Label, "", {}, 0},
                                 {3, ControlKind::TextBox, "", {}, 1}, {4, ControlKind::GroupFrame, "", {}, 3}};
  EXPECT_EQ(CreationOrder(FormSpec{"t", 100, 100, {}, ordered}), (std::vector<size_t>{3, 1, 2, 0}));
}

// Catches the rest of a double click whose first click closed a modal window (its press or its release)
// reaching what lay beneath, a later click dropped too, and a quick click on a window opened since (the
// second of two messages in a row) dropped as that double click's rest.
TEST(ClickGuard, DropsOnlyTheRestOfTheDoubleClickThatClosedAModalWindow) {
  for (bool opened : {false, true}) {
    ClickGuard guard;
    EXPECT_FALSE(guard.Drop(false, {0, 100, 100}, {}));
    guard.ModalClosed(0);
    if (opened) guard.ModalOpened();
    const std::vector<bool> dropped{guard.Drop(true, {100, 101, 99}, {}), guard.Drop(false, {150, 101, 99}, {}),
                                    guard.Drop(true, {300, 100, 100}, {})};  // in this order
    EXPECT_EQ(dropped, (std::vector<bool>{!opened, !opened, false}));
  }
}

}  // namespace
}  // namespace pictavo
