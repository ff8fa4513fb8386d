#include "ui/Forms.h"

#include <array>

namespace pictavo {
namespace {

constexpr FontSpec kSansBold{"MS Sans Serif", 8.25f, true, false};
constexpr FontSpec kTitleFont{"Arial", 15.75f, true, true};
constexpr FontSpec kVersionFont{"Arial", 12.0f, true, false};

using K = ControlKind;

constexpr std::array<ControlSpec, 5> kMessageControls{{
    {msg::Frame1, K::GroupFrame, "", {120, 0, 4215, 1935}, 0},
    {msg::Command1, K::Button, "&Done", {3120, 2040, 1215, 375}, 1},
    {msg::Picture1, K::PictureBox, "", {240, 720, 495, 495}, 2, msg::Frame1},
    {msg::lblOneLiner, K::Label, "lblOneLiner", {840, 240, 3255, 375}, 3, msg::Frame1, &kSansBold},
    // The body may name collections and files: an "&" in them is shown, not taken as an access key.
    {msg::lblText, K::Label, "lblText", {840, 720, 3255, 1095}, 4, msg::Frame1, nullptr, TextAlign::Left,
     0x80 /* SS_NOPREFIX */},
}};

constexpr std::array<ControlSpec, 9> kPlainAboutControls{{
    {about2::btnDone, K::Button, "&Done", {3240, 2520, 1095, 375}, 0},
    {about2::Frame1, K::GroupFrame, "", {120, 0, 4215, 2415}, 1},
    {about2::Label1, K::Label, "Pictavo", {120, 240, 3855, 375}, 2, about2::Frame1, &kTitleFont},
    {about2::Label2, K::Label, "Version 1.0", {2280, 840, 1695, 255}, 3, about2::Frame1, &kVersionFont,
     TextAlign::Right},
    {about2::Label3, K::Label, "A photographic screen saver.", {1680, 1200, 2295, 255}, 4, about2::Frame1,
     nullptr, TextAlign::Right},
    {about2::Label4, K::Label, kCopyrightNotice, {1320, 1560, 2655, 615}, 5, about2::Frame1, nullptr,
     TextAlign::Right},
    {about2::Picture1, K::PictureBox, "", {240, 960, 615, 615}, 6, about2::Frame1},
    {about2::Label5, K::Label, "You'd get a much better About box, if you would put ABOUT.JPG back.",
     {120, 2505, 3015, 450}, 7},
    // The rule under the name takes no part in the tab order; it follows every other control.
    {about2::Line1, K::Line, "", {120, 720, 3960, 0}, 8, about2::Frame1},
}};

const FormSpec kMessageForm{"Must Be Important...", 4455, 2490, {"MS Sans Serif", 8.25f, false, false},
                            kMessageControls};
const FormSpec kAboutForm{"About Pictavo", 5700, 3585, {"MS Sans Serif", 8.25f, false, false}, {}};
const FormSpec kPlainAboutForm{"About Pictavo", 4455, 2985, {"MS Sans Serif", 8.25f, false, false},
                               kPlainAboutControls};

}  // namespace

const FormSpec& MessageFormSpec() { return kMessageForm; }
const FormSpec& AboutFormSpec() { return kAboutForm; }
const FormSpec& PlainAboutFormSpec() { return kPlainAboutForm; }

}  // namespace pictavo
