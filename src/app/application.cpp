#include "app/application.h"

#include <QWidget>

#include "grid/view/grid_guard.h"
#include "platform/os/os.h"
#include "platform/ui/dialogs.h"

namespace vek {

std::string ExceptionBoxText(const std::string& message) {
  std::string text = message;
  // Bytes of a multi-byte UTF-8 character are above '.', like the last character of the 8-bit original.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
  return text;
}

void ShowException(QWidget* parent, const std::exception& e) {
  if (!parent) parent = QApplication::activeWindow();
  plat::ui::CurrentDialogs().MessageBox(parent, ExceptionBoxText(e.what()), plat::ui::ApplicationTitle(),
                                        plat::ui::MB_OK | plat::ui::MB_ICONERROR);
}

void ShowUnknownException(QWidget* parent) {
  if (!parent) parent = QApplication::activeWindow();
  plat::ui::CurrentDialogs().MessageBox(parent, ExceptionBoxText("Unknown error"),
                                        plat::ui::ApplicationTitle(),
                                        plat::ui::MB_OK | plat::ui::MB_ICONERROR);
}

}  // namespace vek

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Only the name: a display name would be appended to every window title by some platforms.
  setApplicationName(QString::fromStdString(Title()));
  // An error escaping the grid's own handlers ends in the same default error box as the window's.
  SetGridErrorHandler([](QWidget* parent, const std::exception* e) {
    if (e)
      vek::ShowException(parent, *e);
    else
      vek::ShowUnknownException(parent);
  });
}

std::string TApplication::Title() const {
  return plat::os::ExeTitle();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  bool result = false;
  vek::Guarded(nullptr, [&] { result = QApplication::notify(receiver, event); });
  return result;
}
