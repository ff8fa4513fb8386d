#include "setup/SetupForms.h"

#include <array>

namespace pictavo {
namespace {

using K = ControlKind;

constexpr std::array<ControlSpec, 23> kSetupControls{{
    {setup::Frame2, K::GroupFrame, "Options", {120, 120, 5415, 2175}, 18},
    {setup::Label2, K::Label, "&Time between images:", {240, 240, 3975, 255}, 0, setup::Frame2},
    {setup::slDelay, K::TrackBar, "", {240, 480, 3735, 420}, 1, setup::Frame2},
    {setup::lblDelay, K::Label, "10 seconds", {3960, 510, 1290, 255}, 22, setup::Frame2},
    {setup::Label4, K::Label, "1 sec.", {360, 960, 615, 255}, 19, setup::Frame2},
    {setup::Label5, K::Label, "10 min.", {3600, 960, 615, 255}, 20, setup::Frame2},
    {setup::Label3, K::Label, "Show the images...", {240, 1320, 1455, 255}, 21, setup::Frame2},
    {setup::rbRandom, K::OptionButton, "...&Randomly", {360, 1560, 1335, 255}, 2, setup::Frame2},
    {setup::rbSequential, K::OptionButton, "...Seque&ntially", {360, 1800, 1455, 255}, 3, setup::Frame2},
    {setup::Label6, K::Label, "I&mages Directory:", {2040, 1320, 2775, 255}, 4, setup::Frame2},
    {setup::txtDir, K::TextBox, "", {2040, 1560, 2295, 285}, 5, setup::Frame2},
    {setup::btnBrowse, K::Button, "&Browse...", {4380, 1560, 900, 285}, 6, setup::Frame2},
    {setup::Frame1, K::GroupFrame, "Collections", {120, 2400, 5415, 2655}, 17},
    {setup::Label1, K::Label, "A&vailable Collections:", {240, 240, 1500, 195}, 7, setup::Frame1},
    {setup::lstCollections, K::CheckList, "", {240, 480, 4935, 1635}, 8, setup::Frame1},
    {setup::chkUseAll, K::CheckBox, "Use &All Collections", {3555, 225, 1635, 255}, 9, setup::Frame1},
    {setup::btnCreate, K::Button, "Create Co&llection...", {240, 2160, 1575, 375}, 10, setup::Frame1},
    {setup::btnEdit, K::Button, "&Edit Collection...", {1920, 2160, 1575, 375}, 11, setup::Frame1},
    {setup::btnDelete, K::Button, "&Delete Collection", {3600, 2160, 1575, 375}, 12, setup::Frame1},
    {setup::btnAbout, K::Button, "Abo&ut...", {120, 5160, 1095, 375}, 13},
    {setup::btnHelp, K::Button, "&Help", {1320, 5160, 1095, 375}, 14},
    {setup::btnSave, K::Button, "&OK", {3240, 5160, 1095, 375}, 15},
    {setup::btnCancel, K::Button, "&Cancel", {4440, 5160, 1095, 375}, 16},
}};

constexpr std::array<ControlSpec, 7> kBrowseControls{{
    {browse::Frame1, K::GroupFrame, "", {120, 0, 4455, 2775}, 6},
    {browse::Label2, K::Label, "&Directory:", {120, 240, 2535, 255}, 0, browse::Frame1},
    {browse::dir1, K::DirectoryList, "", {120, 480, 4215, 1440}, 1, browse::Frame1},
    {browse::Label1, K::Label, "D&rive:", {120, 2040, 420, 195}, 2, browse::Frame1},
    {browse::drive1, K::DriveList, "", {120, 2280, 4215, 315}, 3, browse::Frame1},
    {browse::btnOK, K::Button, "&OK", {2280, 2880, 1095, 375}, 4},
    {browse::btnCancel, K::Button, "&Cancel", {3480, 2880, 1095, 375}, 5},
}};

const FormSpec kSetupForm{"Pictavo Settings", 5655, 5640, {"MS Sans Serif", 8.25f, false, false}, kSetupControls};
const FormSpec kBrowseForm{"Select Collections Directory", 4695, 3360, {"MS Sans Serif", 8.25f, false, false},
                           kBrowseControls};

}  // namespace

const FormSpec& SetupFormSpec() { return kSetupForm; }
const FormSpec& BrowseFormSpec() { return kBrowseForm; }

}  // namespace pictavo
