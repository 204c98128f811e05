#include "app/scan_load.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include "grid/memory/mem_grid.h"

namespace vek {

// --- the load
// ------------------------------------------------------------------------------------------------

TGridLoad::TGridLoad(TMemGrid& grid, std::string_view fileBytes, ScanFilterSettings settings,
                     TItemFields& fields)
    : grid_(grid), lines_(fileBytes), filter_(std::move(settings)), fields_(fields) {
  counts_.BytesTotal = fileBytes.size();
  for (int i = 0; i < grid_.ColumnCount(); ++i)
    if (!grid_.Column(i)->Defaults().empty()) plainRows_ = false;
  std::string_view header;
  lines_.Next(header);  // line 1 is never used
  counts_.BytesRead = lines_.Position();
}

bool TGridLoad::Step(std::size_t maxLines) {
  std::string_view raw;
  for (std::size_t i = 0; i < maxLines && lines_.Next(raw); ++i) {
    ++counts_.LinesRead;
    if (filter_.TakeLine(raw, fields_, line_) == ScanFilter::TLineFate::Kept) Keep(fields_);
  }
  Trim();
  counts_.BytesRead = lines_.Position();
  counts_.Unreadable = filter_.Unreadable();
  return !Done();
}

void TGridLoad::Keep(const TItemFields& fields) {
  if (!plainRows_) {
    grid_.AppendRow(true, false, false);
  } else if (filled_ == grid_.RowCount()) {
    grid_.SetRowCount(filled_ + kBlockRows);
  }
  // Column 0 (the tick) stays null, which reads as not ticked.
  for (int c = 1; c <= 4; ++c) grid_.Cells(c, filled_).SetAsString(fields[std::size_t(c - 1)]);
  ++filled_;
  counts_.Listed = filled_;
}

void TGridLoad::Trim() {
  if (grid_.RowCount() > filled_) grid_.SetRowCount(filled_);
}

// --- holding input back while a load runs ------------------------------------------------------------------

TLoadInterrupt::TLoadInterrupt(QWidget* window, QAbstractButton* cancel) : window_(window), cancel_(cancel) {
  if (cancel_) connect(cancel_, &QAbstractButton::clicked, this, [this] { requested_ = true; });
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

TLoadInterrupt::~TLoadInterrupt() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool TLoadInterrupt::eventFilter(QObject* watched, QEvent* e) {
  const auto onCancel = [&] {
    for (QObject* o = watched; o; o = o->parent())
      if (o == cancel_) return true;
    return false;
  };
  switch (e->type()) {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        requested_ = true;
        return true;
      }
      return !onCancel();
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      // A click, key or drop elsewhere would start other work in the middle of the load.
      return !onCancel();
    case QEvent::Close:
      // Closing the window stops the load; the window then closes as usual.
      if (watched == window_) requested_ = windowClosed_ = true;
      return false;
    default:
      return false;
  }
}

// --- texts
// -----------------------------------------------------------------------------------------------------

std::string GroupedNumber(long long n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

std::string CountLineText(int listed, int ticked, int unreadable, bool cutShort) {
  std::string s = "목록 " + GroupedNumber(listed) + "건 · 체크 " + GroupedNumber(ticked) + "건";
  if (unreadable > 0) s += " · 읽을 수 없는 줄 " + GroupedNumber(unreadable) + "개 건너뜀";
  if (cutShort) s += " · 읽기 중단됨";
  return s;
}

std::string ProgressText(const TLoadCounts& counts) {
  const int percent = counts.BytesTotal == 0
                          ? 100
                          : int((static_cast<long double>(counts.BytesRead) * 100) / counts.BytesTotal);
  return std::to_string(percent) + "% · " + GroupedNumber(static_cast<long long>(counts.LinesRead)) + "줄";
}

std::string LoadNoticeText(const TLoadCounts& counts) {
  if (counts.CutShort)
    return "읽기를 중단했습니다. 화일의 " + GroupedNumber(static_cast<long long>(counts.LinesRead)) +
           "줄까지만 읽어 " + GroupedNumber(counts.Listed) + "건을 목록에 올렸습니다.";
  if (counts.Listed == 0 && counts.Unreadable > 0)
    return "읽을 수 없는 줄 " + GroupedNumber(counts.Unreadable) +
           "개를 건너뛰었습니다. 검사 결과 화일이 맞는지 확인하십시오.";
  return {};
}

}  // namespace vek
