// The designed layouts of the message dialog and the two About boxes.
#pragma once
#include "ui/FormLayout.h"

namespace pictavo {

// frmMsg
namespace msg {
enum Id : int { Frame1 = 10, Picture1, lblOneLiner, lblText, Command1 };
}
const FormSpec& MessageFormSpec();

// frmAbout: the picture box, no controls.
const FormSpec& AboutFormSpec();

// frmAbout2: the plain About box.
namespace about2 {
enum Id : int { Frame1 = 10, Label1, Line1, Label2, Label3, Label4, Picture1, btnDone, Label5 };
}
const FormSpec& PlainAboutFormSpec();

// The program icon's size in the About box and the message icon's size: 32 pixels at 96 DPI.
inline constexpr int32_t kIconTwips = 480;

// The sentence in the plain About box's Label4.
inline constexpr std::string_view kCopyrightNotice = "Copyright \u00A9 2026 the Pictavo developers.";

}  // namespace pictavo
