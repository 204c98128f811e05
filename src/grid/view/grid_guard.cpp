#include "grid/view/grid_guard.h"

#include "platform/ui/dialogs.h"

namespace {
TwGridErrorHandler& Handler() {
  static TwGridErrorHandler handler;
  return handler;
}
}  // namespace

void SetGridErrorHandler(TwGridErrorHandler handler) {
  Handler() = std::move(handler);
}

void ShowGridError(QWidget* parent, const std::exception* e) {
  if (Handler()) {
    Handler()(parent, e);
    return;
  }
  using namespace plat::ui;
  CurrentDialogs().MessageBox(parent, e ? e->what() : "Unknown error", ApplicationTitle(),
                              MB_OK | MB_ICONERROR);
}
