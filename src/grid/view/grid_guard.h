#pragma once
// The one guard of the grid's Qt entry points (painting, timers, scrolling, resizing, keyboard, mouse,
// focus): an error that escapes a handler the grid runs ends in an error box and never unwinds through
// Qt's event loop. The box is the application's when it installs its own (SetGridErrorHandler), else a
// plain one with the error's text.
#include <QWidget>
#include <exception>
#include <functional>
#include <utility>

/// Shows an error that escaped a grid handler; e is null for an error that is no std::exception.
using TwGridErrorHandler = std::function<void(QWidget* parent, const std::exception* e)>;
void SetGridErrorHandler(TwGridErrorHandler handler);
void ShowGridError(QWidget* parent, const std::exception* e);

/// Runs f; an escaping error is shown. Returns false when f raised.
template <class F>
bool TwGuard(QWidget* parent, F&& f) {
  try {
    std::forward<F>(f)();
    return true;
  } catch (const std::exception& e) {
    ShowGridError(parent, &e);
  } catch (...) {
    ShowGridError(parent, nullptr);
  }
  return false;
}
