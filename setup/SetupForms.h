// The designed layouts of the settings dialog and the directory browser.
#pragma once
#include "ui/FormLayout.h"

namespace pictavo {

// frmSetup
namespace setup {
enum Id : int {
  Frame2 = 10, Label2, slDelay, lblDelay, Label4, Label5, Label3, rbRandom, rbSequential, Label6, txtDir,
  btnBrowse, Frame1, Label1, lstCollections, chkUseAll, btnCreate, btnEdit, btnDelete, btnAbout, btnHelp,
  btnSave, btnCancel,
};
}
const FormSpec& SetupFormSpec();

// frmBrowse
namespace browse {
enum Id : int { Frame1 = 10, Label2, dir1, Label1, drive1, btnOK, btnCancel };
}
const FormSpec& BrowseFormSpec();

}  // namespace pictavo
