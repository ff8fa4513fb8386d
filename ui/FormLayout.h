// The layout of a dialog as a table: every control with its kind, caption, font, tab
// position and rectangle in twips, exactly as designed. Frames hold controls whose
// rectangles are relative to the frame. The Win32 side (Form_win.h) builds the window
// from this; the arithmetic lives here so that it can be checked without Windows.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pictavo {

enum class ControlKind {
  Button,        // push button
  Label,         // static text, word-wrapped; "&" marks the access key of the next control
  TextBox,       // single-line edit box
  CheckBox,      // check box
  OptionButton,  // radio button; a run of them in one container is one group
  GroupFrame,    // group box; its rectangle is the origin of the controls it holds
  ListBox,       // list box (extended selection through the extra style bits)
  CheckList,     // list with a check box on every row
  TrackBar,      // slider
  PictureBox,    // a box the dialog draws itself (icons, pictures)
  Line,          // a horizontal or vertical rule, one 96-DPI pixel thick
  DriveList,     // drop-down list of drives; its rectangle is the closed box
  DirectoryList, // list of directories the dialog draws itself (indented rows)
  ProgressBar,   // how far a long task has come
};

enum class TextAlign { Left, Right, Centre };

struct FontSpec {
  std::string_view face;
  float points = 8.25f;
  bool bold = false;
  bool italic = false;
};

struct TwipsRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

struct ControlSpec {
  int id = 0;                       // the control's dialog item id (unique, not 0)
  ControlKind kind = ControlKind::Label;
  std::string_view caption;         // UTF-8; empty for none
  TwipsRect rect;                   // relative to the container; a Line runs from (left, top) by width or height
  int tab = 0;                      // tab position; unique within the form
  int container = 0;                // id of the GroupFrame holding it; 0 for the dialog itself
  const FontSpec* font = nullptr;   // nullptr: the form's font
  TextAlign align = TextAlign::Left;
  uint32_t style = 0;               // extra window style bits
  uint32_t exStyle = 0;             // extra extended window style bits
};

struct FormSpec {
  std::string_view title;           // UTF-8
  int32_t clientWidth = 0;          // twips
  int32_t clientHeight = 0;         // twips
  FontSpec font{"MS Sans Serif", 8.25f, false, false};
  std::span<const ControlSpec> controls;
};

struct PixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The control's rectangle in twips relative to the dialog's client area (containers added).
TwipsRect AbsoluteRect(const FormSpec& form, const ControlSpec& control);

// The control's rectangle in client pixels at a DPI: each edge converted on its own.
PixelRect ControlPixelRect(const FormSpec& form, const ControlSpec& control, int32_t dpi);

// The client area in pixels at a DPI.
PixelRect ClientPixelRect(const FormSpec& form, int32_t dpi);

// The order in which the controls are created, as indexes into form.controls: group frames
// first (they never take the focus, and lying underneath they never paint over what they
// hold), then every other control by its tab position. The dialog manager's Tab order and
// access keys follow the creation order.
std::vector<size_t> CreationOrder(const FormSpec& form);

// Empty when the table is sound; otherwise what is wrong with it (duplicate ids or tab
// positions, a container that is not a frame of the form, a frame inside itself).
std::string CheckForm(const FormSpec& form);

}  // namespace pictavo
