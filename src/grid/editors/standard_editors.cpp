#include "grid/editors/standard_editors.h"

#include "grid/editors/in_edit.h"
#include "grid/view/inplace_editor.h"

void RegisterStandardEditors() {
  static const bool done = [] {
    TwEditorRegistry& r = TwEditorRegistry::Standard();
    r.Register(wekText, [](TwCustomGrid& g) { return std::make_unique<TwInEdit>(g); });
    r.Register(wekMultiText, [](TwCustomGrid& g) { return std::make_unique<TwInMultiEdit>(g); });
    return true;
  }();
  (void)done;
}
