// The logic of messages, placement and the twips layout, without Windows.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ui/FormLayout.h"
#include "ui/Forms.h"
#include "ui/MessageCatalogue.h"
#include "ui/Placement.h"
#include "ui/Twips.h"

namespace pictavo {
namespace {

// ---- catalogue ----------------------------------------------------------------------

struct CatalogueRow {
  int32_t code;
  const char* headline;
  const char* body;
  MessageIcon icon;
};

const char kUnknownHeadline[] = "An unknown error occurred.";
const char kUnknownBody[] =
    "Some sort of unknown problem has arisen, and we're not sure how to handle it. We apologize for this "
    "inability to perform the task you requested.";

const CatalogueRow kCatalogue[] = {
    {-100, "Please supply a Collection Name.",
     "Before we can save your collection, we ask that you please give it a name. Choose a nice one that you will "
     "remember easily.",
     MessageIcon::Error},
    {-101, "Please add at least one image file.",
     "Before we can save your collection, we ask that you please supply us with at least one image file name. "
     "Click the Add Files button to do so, or Cancel to forget the whole thing.",
     MessageIcon::Error},
    {-102, "There were no collections available.",
     "There were no collections found in the directory where the screen saver is located. Click the Create "
     "Collection button to make a new one.",
     MessageIcon::Information},
    {-103, "Passwords are not supported.",
     "Under Windows 95, passwords are not supported by Pictavo. If you need passwords AND Pictavo, then Windows NT "
     "4.0 will work just fine.",
     MessageIcon::Information},
    {-104, "There are no collections available.",
     "In the currently specified Images Directory, there are no image collections. Pictavo will tell you this "
     "again when the screen saver kicks in. Select a new directory to correct this.",
     MessageIcon::Information},
    // Every code the table does not list gets the generic entry with the error icon.
    {-99, kUnknownHeadline, kUnknownBody, MessageIcon::Error},
    {-105, kUnknownHeadline, kUnknownBody, MessageIcon::Error},
    {0, kUnknownHeadline, kUnknownBody, MessageIcon::Error},
    {1, kUnknownHeadline, kUnknownBody, MessageIcon::Error},
    {104, kUnknownHeadline, kUnknownBody, MessageIcon::Error},
    {INT32_MIN, kUnknownHeadline, kUnknownBody, MessageIcon::Error},
    {INT32_MAX, kUnknownHeadline, kUnknownBody, MessageIcon::Error},
};

// Catches a wrong text, an entry off by one code, or a wrong icon kind.
TEST(MessageCatalogue, EveryCodeShowsItsExactTextsAndIcon) {
  for (const CatalogueRow& row : kCatalogue) {
    SCOPED_TRACE(row.code);
    const MessageEntry& entry = MessageFor(row.code);
    EXPECT_EQ(entry.headline, row.headline);
    EXPECT_EQ(entry.body, row.body);
    EXPECT_EQ(entry.icon, row.icon);
  }
}

// Catches the two near-identical headlines swapped or merged, and a doubled blank in -103.
TEST(MessageCatalogue, WereAndAreHeadlinesAndThePasswordBodyWording) {
  EXPECT_EQ(MessageFor(-102).headline, "There were no collections available.");
  EXPECT_EQ(MessageFor(-104).headline, "There are no collections available.");
  const std::string body(MessageFor(-103).body);
  EXPECT_NE(body.find("Windows NT 4.0"), std::string::npos);
  EXPECT_EQ(body.find("  "), std::string::npos);
  EXPECT_TRUE(body.ends_with("NT 4.0 will work just fine."));
}

// Catches a missing separator (the path is the directory followed directly by this name).
TEST(MessageCatalogue, IconFilesBeginWithABackslash) {
  EXPECT_EQ(IconFileName(MessageIcon::Error), "\\err.ico");
  EXPECT_EQ(IconFileName(MessageIcon::Information), "\\info.ico");
  EXPECT_EQ(kMessageTitle, "Must Be Important...");
}

// ---- CenterForm arithmetic ------------------------------------------------------------

struct CentreRow {
  float screen;
  float window;
  int32_t edge;
  const char* fault;
};

TEST(CenteredEdge, RoundsHalfToEvenThenTruncatesTowardZero) {
  const CentreRow rows[] = {
      {9600, 4695, 2452, "4905 / 2 must truncate, not round up"},
      {7200, 2985, 2107, "vertical example"},
      {9600, 9701, -50, "negative odd difference truncates toward zero, not -51"},
      {9600, 9600, 0, "a window as large as the screen sits at 0"},
      {9600, 19200, -4800, "no clamping of a window twice the screen"},
      {10.5f, 0, 5, "10.5 rounds to the even 10"},
      {11.5f, 0, 6, "11.5 rounds to the even 12"},
      {0, 100.5f, -50, "-100.5 rounds to the even -100"},
      {0, 101.5f, -51, "-101.5 rounds to the even -102"},
      {15360, 4515, 5422, "1024 pixels wide screen at 96 DPI, 301-pixel window"},
  };
  for (const CentreRow& row : rows) {
    SCOPED_TRACE(row.fault);
    EXPECT_EQ(CenteredEdge(row.screen, row.window), row.edge);
  }
}

// Catches arithmetic in double precision: 16777219 is not a single-precision number; the
// difference becomes 16777220 (ties to even) before it is halved, where double gives 8388609.
TEST(CenteredEdge, SubtractsInSinglePrecision) {
  EXPECT_EQ(CenteredEdge(16777216.0f, -3.0f), 8388610);
}

// ---- About placement ------------------------------------------------------------------

TEST(PlaceAboutBeside, TheWorkedExample) {
  const AboutPlacement p = PlaceAboutBeside(1000, 2000, 6000, 5000, 5790, 3990, 15360);
  EXPECT_FALSE(p.centreOnScreen);
  EXPECT_EQ(p.position.top, 2505);
  EXPECT_EQ(p.position.left, 2500);
}

// Catches >= in place of >, and a check against the left edge instead of the right.
TEST(PlaceAboutBeside, CentresOnlyWhenTheRightEdgeRunsPastTheScreen) {
  // left = 1000 + 6000 div 4 = 2500; right edge = 2500 + 5790 = 8290.
  EXPECT_FALSE(PlaceAboutBeside(1000, 2000, 6000, 5000, 5790, 3990, 8290).centreOnScreen);
  EXPECT_TRUE(PlaceAboutBeside(1000, 2000, 6000, 5000, 5790, 3990, 8289).centreOnScreen);
  // The bottom edge is never compared with the screen.
  EXPECT_FALSE(PlaceAboutBeside(1000, 90000, 6000, 5000, 5790, 3990, 8290).centreOnScreen);
}

// Catches rounding after the division, or division that floors negative differences.
TEST(PlaceAboutBeside, RoundsThenDividesTowardZero) {
  EXPECT_EQ(PlaceAboutBeside(0, 2000, 6000, 5001, 5790, 3990, 1e9f).position.top, 2505);  // 1011 div 2
  EXPECT_EQ(PlaceAboutBeside(0, 2000, 6000, 3000, 5790, 3991, 1e9f).position.top, 1505);  // -991 div 2 = -495
  EXPECT_EQ(PlaceAboutBeside(0, 0, 6003, 5000, 5790, 3990, 1e9f).position.left, 1500);    // 6003 div 4
  EXPECT_EQ(PlaceAboutBeside(0, 0, 6002.5f, 5000, 5790, 3990, 1e9f).position.left, 1500); // 6002 div 4
}

// ---- twips and pixels -----------------------------------------------------------------

struct PixelRow {
  int64_t twips;
  int32_t dpi;
  int32_t pixels;
};

// Catches truncation in place of rounding, and a fixed 15 twips per pixel.
TEST(TwipsToPixels, NearestPixelAt96_120_144) {
  const PixelRow rows[] = {
      {1440, 96, 96},   {1440, 120, 120}, {1440, 144, 144}, {15, 96, 1},      {15, 120, 1},
      {15, 144, 2},     {7, 96, 0},       {8, 96, 1},       {4455, 96, 297},  {4455, 120, 371},
      {4455, 144, 446}, {2490, 144, 249}, {3585, 144, 359}, {-15, 144, -1},   {-16, 144, -2},
      {5700, 96, 380},  {3585, 96, 239},
  };
  for (const PixelRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.twips) + " twips at " + std::to_string(row.dpi));
    EXPECT_EQ(TwipsToPixels(row.twips, row.dpi), row.pixels);
  }
}

TEST(PixelsToTwips, ExactAtCommonDpis) {
  EXPECT_FLOAT_EQ(PixelsToTwips(1024, 96), 15360.0f);
  EXPECT_FLOAT_EQ(PixelsToTwips(1024, 120), 12288.0f);
  EXPECT_FLOAT_EQ(PixelsToTwips(1024, 144), 10240.0f);
}

TEST(PointsToPixels, DialogFontsAtEachDpi) {
  EXPECT_EQ(PointsToPixels(8.25f, 96), 11);
  EXPECT_EQ(PointsToPixels(8.25f, 120), 14);
  EXPECT_EQ(PointsToPixels(8.25f, 144), 17);
  EXPECT_EQ(PointsToPixels(15.75f, 96), 21);
  EXPECT_EQ(PointsToPixels(12.0f, 144), 24);
}

// ---- layout tables --------------------------------------------------------------------

const ControlSpec& Find(const FormSpec& form, int id) {
  for (const ControlSpec& c : form.controls)
    if (c.id == id) return c;
  ADD_FAILURE() << "no control " << id;
  return form.controls.front();
}

// Catches converting sizes instead of edges: abutting controls must stay flush at every DPI.
TEST(ControlPixelRect, ScalesEdgesSoNeighboursStayFlush) {
  const ControlSpec controls[] = {
      {1, ControlKind::Button, "a", {15, 15, 15, 15}, 0},
      {2, ControlKind::Button, "b", {30, 15, 15, 15}, 1},
  };
  const FormSpec form{"t", 100, 100, {}, controls};
  for (int32_t dpi : {96, 120, 144}) {
    SCOPED_TRACE(dpi);
    EXPECT_EQ(ControlPixelRect(form, controls[0], dpi).right, ControlPixelRect(form, controls[1], dpi).left);
  }
  // At 144 DPI: edges 1.5 -> 2, 3 -> 3, 4.5 -> 5: widths 1 and 2, not 2 and 2.
  EXPECT_EQ(ControlPixelRect(form, controls[0], 144), (PixelRect{2, 2, 3, 3}));
  EXPECT_EQ(ControlPixelRect(form, controls[1], 144), (PixelRect{3, 2, 5, 3}));
}

// Catches a control inside a frame placed relative to the dialog instead of the frame.
TEST(ControlPixelRect, MessageDialogControlsAtEachDpi) {
  const FormSpec& form = MessageFormSpec();
  const ControlSpec& text = Find(form, msg::lblText);
  EXPECT_EQ(AbsoluteRect(form, text).left, 960);
  EXPECT_EQ(AbsoluteRect(form, text).top, 720);
  EXPECT_EQ(ControlPixelRect(form, text, 96), (PixelRect{64, 48, 281, 121}));
  EXPECT_EQ(ControlPixelRect(form, text, 144), (PixelRect{96, 72, 422, 182}));
  EXPECT_EQ(ControlPixelRect(form, Find(form, msg::Command1), 96), (PixelRect{208, 136, 289, 161}));
  EXPECT_EQ(ClientPixelRect(form, 96), (PixelRect{0, 0, 297, 166}));
  EXPECT_EQ(ClientPixelRect(form, 120), (PixelRect{0, 0, 371, 208}));
}

// Catches a rule of zero height (invisible) or one that does not thicken at 144 DPI.
TEST(ControlPixelRect, RuleIsOneDevicePixelPerNinetySixDpi) {
  const FormSpec& form = PlainAboutFormSpec();
  const ControlSpec& line = Find(form, about2::Line1);
  EXPECT_EQ(ControlPixelRect(form, line, 96), (PixelRect{16, 48, 280, 49}));
  EXPECT_EQ(ControlPixelRect(form, line, 144).Height(), 2);
}

// Catches a typo in the plain About box: the three right-aligned labels share one right edge.
TEST(FormTables, PlainAboutRightAlignedLabelsShareTheirRightEdge) {
  const FormSpec& form = PlainAboutFormSpec();
  for (int id : {about2::Label2, about2::Label3, about2::Label4}) {
    const ControlSpec& c = Find(form, id);
    EXPECT_EQ(c.rect.left + c.rect.width, 3975) << id;
    EXPECT_EQ(c.align, TextAlign::Right) << id;
  }
}

// Catches a broken table: duplicate ids or tab positions, a control in a missing frame.
TEST(FormTables, DesignedFormsAreSound) {
  for (const FormSpec* form : {&MessageFormSpec(), &AboutFormSpec(), &PlainAboutFormSpec()}) {
    SCOPED_TRACE(std::string(form->title));
    EXPECT_EQ(CheckForm(*form), "");
  }
  EXPECT_EQ(MessageFormSpec().clientWidth, 4455);
  EXPECT_EQ(MessageFormSpec().clientHeight, 2490);
  EXPECT_EQ(AboutFormSpec().clientWidth, 5700);
  EXPECT_EQ(AboutFormSpec().clientHeight, 3585);
  EXPECT_EQ(PlainAboutFormSpec().clientWidth, 4455);
  EXPECT_EQ(PlainAboutFormSpec().clientHeight, 2985);
}

TEST(CheckForm, ReportsBrokenTables) {
  const ControlSpec duplicateId[] = {{1, ControlKind::Label, "", {}, 0}, {1, ControlKind::Label, "", {}, 1}};
  const ControlSpec duplicateTab[] = {{1, ControlKind::Label, "", {}, 0}, {2, ControlKind::Label, "", {}, 0}};
  const ControlSpec notAFrame[] = {{1, ControlKind::Label, "", {}, 0}, {2, ControlKind::Label, "", {}, 1, 1}};
  const ControlSpec cycle[] = {{1, ControlKind::GroupFrame, "", {}, 0, 2}, {2, ControlKind::GroupFrame, "", {}, 1, 1}};
  for (auto controls : {std::span<const ControlSpec>(duplicateId), std::span<const ControlSpec>(duplicateTab),
                        std::span<const ControlSpec>(notAFrame), std::span<const ControlSpec>(cycle)}) {
    const FormSpec form{"t", 0, 0, {}, controls};
    EXPECT_NE(CheckForm(form), "");
    for (const ControlSpec& c : controls) (void)ControlPixelRect(form, c, 96);  // terminates on a cycle
  }
}

// Catches frames created above the controls they hold, and tab order not followed.
TEST(CreationOrder, FramesFirstThenByTabPosition) {
  const ControlSpec controls[] = {
      {1, ControlKind::Button, "", {}, 2},
      {2, ControlKind::GroupFrame, "", {}, 18},
      {3, ControlKind::Label, "", {}, 0, 2},
      {4, ControlKind::GroupFrame, "", {}, 17},
      {5, ControlKind::TextBox, "", {}, 1, 2},
  };
  const FormSpec form{"t", 0, 0, {}, controls};
  EXPECT_EQ(CreationOrder(form), (std::vector<size_t>{3, 1, 2, 4, 0}));
  // The message dialog: the first control that can take the focus is "&Done".
  const FormSpec& message = MessageFormSpec();
  const std::vector<size_t> order = CreationOrder(message);
  EXPECT_EQ(message.controls[order[0]].id, msg::Frame1);
  EXPECT_EQ(message.controls[order[1]].id, msg::Command1);
}

}  // namespace
}  // namespace pictavo
