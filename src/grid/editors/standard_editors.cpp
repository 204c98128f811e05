#include "grid/editors/standard_editors.h"

#include "grid/editors/cell_dialogs.h"
#include "grid/editors/date_edit.h"
#include "grid/editors/in_edit.h"
#include "grid/editors/num_edit.h"
#include "grid/editors/pick_list.h"
#include "grid/editors/special_edit.h"
#include "grid/view/inplace_editor.h"

void RegisterStandardEditors() {
  static const bool done = [] {
    TwEditorRegistry& r = TwEditorRegistry::Standard();
    r.Register(wekText, [](TwCustomGrid& g) { return std::make_unique<TwInEdit>(g); });
    r.Register(wekMultiText, [](TwCustomGrid& g) { return std::make_unique<TwInMultiEdit>(g); });
    // The spin-number kind shares the number editor (the grid asks for the number kind's).
    r.Register(wekNumber, [](TwCustomGrid& g) { return std::make_unique<TwInNumEdit>(g); });
    r.Register(wekDate, [](TwCustomGrid& g) { return std::make_unique<TwInDateEdit>(g); });
    r.Register(wekTime, [](TwCustomGrid& g) { return std::make_unique<TwInTimeEdit>(g); });
    r.Register(wekCheckBox, [](TwCustomGrid& g) { return std::make_unique<TwInCheckEdit>(g); });
    r.Register(wekBoolean, [](TwCustomGrid& g) { return std::make_unique<TwInBoolEdit>(g); });
    r.Register(wekRadioGroup, [](TwCustomGrid& g) { return std::make_unique<TwInRadioGroup>(g); });
    r.Register(wekPickList, [](TwCustomGrid& g) { return std::make_unique<TwInPickList>(g); });
    r.RegisterDialog(wekMemo, [](TwCustomGrid& g) { return std::make_unique<TwMemoCellDialog>(g); });
    r.RegisterDialog(wekPicture, [](TwCustomGrid& g) { return std::make_unique<TwPictureCellDialog>(g); });
    return true;
  }();
  (void)done;
}
