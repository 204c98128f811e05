#pragma once
// The application object and its default error box.
//
// An error that escapes a handler of the document manager is never fatal: it ends in the default error
// box (the error's text, the application title as caption, an error icon and one OK button), shown
// through the dialogs service so that tests can read it. Every handler the window runs from an event
// goes through Guarded; TApplication::notify catches whatever still escapes an event.
#include <QApplication>
#include <exception>
#include <string>
#include <utility>

class QWidget;

namespace vek {

// The text the default error box shows for an error message: a period is added when the message does
// not already end in one (nor in a character sorting before it, such as a blank or a colon).
std::string ExceptionBoxText(const std::string& message);

// Shows the default error box for an error; parent may be null (the active window is used).
void ShowException(QWidget* parent, const std::exception& e);
void ShowUnknownException(QWidget* parent);

// Runs f; an error it raises ends in the default error box. Returns false when f raised.
template <class F>
bool Guarded(QWidget* parent, F&& f) {
  try {
    std::forward<F>(f)();
    return true;
  } catch (const std::exception& e) {
    ShowException(parent, e);
  } catch (...) {
    ShowUnknownException(parent);
  }
  return false;
}

}  // namespace vek

// The application object of the program: a QApplication whose title is the executable's name without
// extension, and whose event delivery turns an escaping error into the default error box.
class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);
  // The application title (the executable's name without extension).
  std::string Title() const;
  bool notify(QObject* receiver, QEvent* event) override;
};
