#include "grid/editors/standard_editors.h"

#include "grid/editors/cell_dialogs.h"
#include "grid/editors/date_edit.h"
#include "grid/editors/in_edit.h"
#include "grid/editors/num_edit.h"
#include "grid/editors/pick_list.h"
#include "grid/editors/special_edit.h"
#include "grid/view/inplace_editor.h"

void InstallStandardEditors(TwEditorRegistry& r) {
  r.Register(wekText, [](TwEditorHost& h) { return std::make_unique<TwInEdit>(h); });
  r.Register(wekMultiText, [](TwEditorHost& h) { return std::make_unique<TwInMultiEdit>(h); });
  // The spin-number kind shares the number editor (the grid asks for the number kind's).
  r.Register(wekNumber, [](TwEditorHost& h) { return std::make_unique<TwInNumEdit>(h); });
  r.Register(wekDate, [](TwEditorHost& h) { return std::make_unique<TwInDateEdit>(h); });
  r.Register(wekTime, [](TwEditorHost& h) { return std::make_unique<TwInTimeEdit>(h); });
  r.Register(wekCheckBox, [](TwEditorHost& h) { return std::make_unique<TwInCheckEdit>(h); });
  r.Register(wekBoolean, [](TwEditorHost& h) { return std::make_unique<TwInBoolEdit>(h); });
  r.Register(wekRadioGroup, [](TwEditorHost& h) { return std::make_unique<TwInRadioGroup>(h); });
  r.Register(wekPickList, [](TwEditorHost& h) { return std::make_unique<TwInPickList>(h); });
  r.RegisterDialog(wekMemo, [](TwEditorHost& h) { return std::make_unique<TwMemoCellDialog>(h); });
  r.RegisterDialog(wekPicture, [](TwEditorHost& h) { return std::make_unique<TwPictureCellDialog>(h); });
}
