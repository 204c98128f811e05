// Processes, the desktop, and the replaceable beep, sleep and clock.
#include "platform/os/os.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

namespace plat::os {
namespace {

struct Handlers {
  std::mutex mutex;
  BeepHandler beep;
  SleepHandler sleep;
  ClockHandler clock;
  OpenHandler open;
};

Handlers& TheHandlers() {
  static Handlers h;
  return h;
}

template <class H>
H Get(H Handlers::*member) {
  Handlers& h = TheHandlers();
  std::lock_guard lock(h.mutex);
  return h.*member;
}

template <class H>
void Set(H Handlers::*member, H value) {
  Handlers& h = TheHandlers();
  std::lock_guard lock(h.mutex);
  h.*member = std::move(value);
}

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// An address ("https://...", "mailto:...") rather than a file: a scheme of two or more characters.
// "C:..." (a Windows drive) and host paths are files.
bool LooksLikeUrl(const std::string& s) {
  const std::size_t colon = s.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = s[i];
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!(alpha || (i > 0 && other))) return false;
  }
  return true;
}

}  // namespace

bool OpenWithDefaultProgram(const std::string& hostPathOrUrl) {
  if (OpenHandler h = Get(&Handlers::open)) return h(hostPathOrUrl);
  if (hostPathOrUrl.empty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  const QUrl url =
      LooksLikeUrl(hostPathOrUrl) ? QUrl(Q(hostPathOrUrl)) : QUrl::fromLocalFile(Q(hostPathOrUrl));
  if (!url.isValid()) return false;
  return QDesktopServices::openUrl(url);
}

bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir) {
  if (program.empty()) return false;
  QStringList qargs;
  qargs.reserve(qsizetype(args.size()));
  for (const std::string& a : args) qargs << Q(a);
  return QProcess::startDetached(Q(program), qargs, Q(workDir));
}

void SetOpenHandler(OpenHandler h) {
  Set(&Handlers::open, std::move(h));
}

void Beep() {
  if (BeepHandler h = Get(&Handlers::beep)) {
    h();
    return;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    QApplication::beep();
  } else {
    std::fputc('\a', stderr);
    std::fflush(stderr);
  }
}

void Sleep(int ms) {
  if (SleepHandler h = Get(&Handlers::sleep)) {
    h(ms);
    return;
  }
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int64_t TickCount() {
  if (ClockHandler h = Get(&Handlers::clock)) return h();
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetBeepHandler(BeepHandler h) {
  Set(&Handlers::beep, std::move(h));
}
void SetSleepHandler(SleepHandler h) {
  Set(&Handlers::sleep, std::move(h));
}
void SetClockHandler(ClockHandler h) {
  Set(&Handlers::clock, std::move(h));
}

}  // namespace plat::os
