#include "grid/editors/special_edit.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleHints>

#include "grid/view/draw_helpers.h"
#include "grid/view/grid_guard.h"

using namespace plat::ui;
using plat::paint::TCanvas;
using plat::paint::TRect;

namespace {

int BorderWidth(const TwColumn* c) {
  if (!c) return 0;
  switch (c->EditBorder()) {
    case webSingle:
      return 1;
    case webSunken:
      return 2;
    default:
      return 0;
  }
}

}  // namespace

// --- TwInSpecial ----------------------------------------------------------------------------------------

TwInSpecial::TwInSpecial(TwEditorHost& host) : QWidget(host.EditorParent()), TwInplaceEditor(host) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  hide();
}

bool TwInSpecial::CanModify() const {
  return Column() && Column()->CanModify();
}

TRect TwInSpecial::ContentRect() const {
  const int b = BorderWidth(Column());
  return TRect{b, b, std::max(b, width() - b), std::max(b, height() - b)};
}

void TwInSpecial::ShowAt(const TRect& Loc, bool Redraw) {
  if (Loc.IsEmpty()) {
    HideEditor();
    return;
  }
  if (TwColumn* c = Column()) {
    color_ = c->EditColor() ? clWindow : c->Color();
    font_ = ::PaintFont(c->Font());
  }
  PlaceControl(Loc, Redraw);
}

void TwInSpecial::HideEditor() {
  HideControl();
}

void TwInSpecial::ClickAt(int X, int Y) {
  MouseDown(X - x(), Y - y());
}

void TwInSpecial::paintEvent(QPaintEvent*) {
  QPainter p(this);
  TCanvas& buf = CellBuffer(width(), height());
  const TRect all{0, 0, width(), height()};
  const TRect content = ContentRect();
  buf.Brush.Color = color_;
  buf.Brush.Style = plat::paint::BrushStyle::Solid;
  buf.FillRect(all);
  // The column's edit border: a single line, or a sunken edge.
  switch (Column() ? Column()->EditBorder() : webNone) {
    case webSingle:
      for (const TRect& r : {TRect{0, 0, all.Right, 1}, TRect{0, all.Bottom - 1, all.Right, all.Bottom},
                             TRect{0, 0, 1, all.Bottom}, TRect{all.Right - 1, 0, all.Right, all.Bottom}})
        buf.FillRect(r, clWindowFrame);
      break;
    case webSunken:
      DrawEdges(buf, all, false, true);
      break;
    default:
      break;
  }
  buf.Font = font_;
  buf.Brush.Color = color_;
  if (!content.IsEmpty()) PaintContent(buf, content);
  p.drawImage(QPoint(0, 0), *buf.Image(), QRect(0, 0, width(), height()));
}

void TwInSpecial::keyPressEvent(QKeyEvent* e) {
  RouteKey(e);
  e->accept();
}

void TwInSpecial::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  TwGuard(Host().EditorParent(), [&] {
    // The click that opened the editor and this one make a double click (the press still counts).
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    const bool dbl =
        ClickTime != 0 && now - ClickTime < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    ClickTime = 0;
    MouseDown(int(e->position().x()), int(e->position().y()));
    if (dbl) Host().DblClick();
  });
}

void TwInSpecial::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // As the press of a double click, it acts as a press; then the grid hears the double click.
  TwGuard(Host().EditorParent(), [&] {
    MouseDown(int(e->position().x()), int(e->position().y()));
    Host().DblClick();
  });
}

void TwInSpecial::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}

void TwInSpecial::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
}

bool TwInSpecial::event(QEvent* e) {
  // Tab and Backtab go to the grid like every other key.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      keyPressEvent(k);
      return true;
    }
  }
  return QWidget::event(e);
}

// --- TwInCheckEdit --------------------------------------------------------------------------------------

TwInCheckEdit::TwInCheckEdit(TwEditorHost& host) : TwInSpecial(host) {
  setObjectName("InCheckEdit");
}

plat::Variant TwInCheckEdit::GetValue() {
  return isNull_ ? plat::Variant::Null() : plat::Variant(checked_);
}

void TwInCheckEdit::SetValue(const plat::Variant& v) {
  isNull_ = v.IsNull();
  if (!isNull_) checked_ = v.ToBool();
  update();
}

void TwInCheckEdit::Toggle() {
  if (!CanModify()) return;
  SetValue(plat::Variant(isNull_ ? true : !checked_));
}

void TwInCheckEdit::KeyDown(int& Key, TShiftState Shift) {
  if (Key == VK_DELETE && !Shift.Contains(ssCtrl) && CanModify()) {
    SetValue(plat::Variant::Null());
    Key = 0;
  }
}

void TwInCheckEdit::KeyPress(char32_t& Key) {
  if (Key == U' ') {
    Toggle();
    Key = 0;
  }
}

void TwInCheckEdit::MouseDown(int, int) {
  Toggle();
}

void TwInCheckEdit::PaintContent(TCanvas& Canvas, const TRect& Rect) {
  TwColumn* c = Column();
  const std::string text = isNull_ || !c ? std::string() : c->GetBoolText(checked_ ? 1 : 0);
  DrawCheckBox(Canvas, Rect, checked_ && !isNull_, isNull_, c ? c->Alignment() : taLeftJustify,
               c ? c->Layout() : tlCenter, c ? !c->Ctl3D() : true, text, hasFocus());
}

// --- TwInBoolEdit ---------------------------------------------------------------------------------------

TwInBoolEdit::TwInBoolEdit(TwEditorHost& host) : TwInCheckEdit(host) {
  setObjectName("InBoolEdit");
}

void TwInBoolEdit::PaintContent(TCanvas& Canvas, const TRect& Rect) {
  Canvas.FillRect(Rect);
  DrawBoolMark(Canvas, Rect, !IsNull() && Checked(), true);
}

// --- TwInRadioGroup -------------------------------------------------------------------------------------

TwInRadioGroup::TwInRadioGroup(TwEditorHost& host) : TwInSpecial(host) {
  setObjectName("InRadioGroup");
}

plat::Variant TwInRadioGroup::GetValue() {
  if (itemIndex_ >= 0 && Column()) return plat::Variant(std::int32_t(itemIndex_));
  return plat::Variant::Null();
}

void TwInRadioGroup::SetValue(const plat::Variant& v) {
  itemIndex_ = v.IsNull() ? -1 : int(v.ToInt64());
  if (itemIndex_ < 0) itemIndex_ = -1;
  update();
}

void TwInRadioGroup::SelectIndex(int N) {
  if (N == itemIndex_ || !CanModify()) return;
  if (N < 0)
    SetValue(plat::Variant::Null());
  else
    SetValue(plat::Variant(std::int32_t(N)));
}

int TwInRadioGroup::RadioColumns() const {
  return Column() ? std::max(1, Column()->RadioColumns()) : 1;
}

std::vector<std::string> TwInRadioGroup::Labels() const {
  const TwColumn* c = Column();
  if (!c) return {};
  const TwStrings& v = c->Values();
  if (!c->ItemsMapValues()) return std::vector<std::string>(v.begin(), v.end());
  // In items mode each value is labelled by its items line.
  const TwStrings& items = c->Items();
  return std::vector<std::string>(items.begin(), items.begin() + std::ptrdiff_t(v.size()));
}

int TwInRadioGroup::ItemAt(int X, int Y) {
  if (!Column()) return -1;
  QImage scratch(1, 1, QImage::Format_RGB32);
  TCanvas canvas(&scratch);
  canvas.Font = PaintFont();
  const TRect area = ContentRect();
  const std::vector<std::string> values(Column()->Values().begin(), Column()->Values().end());
  for (int i = 0; i < int(values.size()); ++i) {
    TRect r;
    GetRadioItemRect(canvas, area, values, Column()->Layout(), RadioColumns(), i, r);
    if (r.Contains(X, Y)) return i;
  }
  return -1;
}

TwEditorCaret TwInRadioGroup::Caret() const {
  const int rc = RadioColumns();
  const int n = Column() ? int(Column()->Values().size()) : 0;
  const int i = itemIndex_;
  const int row = i >= 0 ? i / rc : 0, col = i >= 0 ? i % rc : 0;
  // The last full row: the rows are counted as n div rc (a partial last row is not left by Down).
  const int lastRow = n / rc - 1;
  TwEditorCaret at;
  at.AtStart = i == 0;
  at.AtEnd = i == n - 1;
  at.AtLeftEdge = col == 0;
  at.AtRightEdge = col == rc - 1;
  at.OnFirstLine = row == 0;
  at.OnLastLine = row == lastRow;
  return at;
}

void TwInRadioGroup::KeyDown(int& Key, TShiftState Shift) {
  const int rc = RadioColumns();
  const int n = Column() ? int(Column()->Values().size()) : 0;
  const int i = itemIndex_;
  const int row = i >= 0 ? i / rc : 0, col = i >= 0 ? i % rc : 0;
  const bool ctrl = Shift.Contains(ssCtrl);
  const int lastRow = n / rc - 1;
  if (Key == VK_DELETE) {
    SelectIndex(-1);
    return;
  }
  if (Shift.Contains(ssShift) || ctrl || Shift.Contains(ssAlt)) return;
  const bool arrow =
      Key == VK_HOME || Key == VK_END || Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN;
  if (!arrow) return;
  int target = i;
  if (i < 0) {
    target = 0;
  } else {
    switch (Key) {
      case VK_LEFT:
        if (col > 0) target = i - 1;
        break;
      case VK_RIGHT:
        if (col < rc - 1 && i + 1 < n) target = i + 1;
        break;
      case VK_HOME:
        if (i > 0) target = 0;
        break;
      case VK_END:
        if (i < n - 1) target = n - 1;
        break;
      case VK_UP:
        if (row > 0) target = i - rc;
        break;
      case VK_DOWN:
        // Down into the partial last row only where an item lies there.
        if (row < lastRow && i + rc < n) target = i + rc;
        break;
      default:
        break;
    }
  }
  if (n > 0) SelectIndex(target);
}

void TwInRadioGroup::KeyPress(char32_t& Key) {
  if (Key != U' ') return;
  Key = 0;
  const int n = Column() ? int(Column()->Values().size()) : 0;
  if (n <= 0 || !CanModify()) return;
  SelectIndex(itemIndex_ < 0 ? 0 : (itemIndex_ + 1) % n);
}

void TwInRadioGroup::MouseDown(int X, int Y) {
  if (!CanModify()) return;
  const int k = ItemAt(X, Y);
  if (k >= 0) SetValue(plat::Variant(std::int32_t(k)));
}

void TwInRadioGroup::PaintContent(TCanvas& Canvas, const TRect& Rect) {
  TwColumn* c = Column();
  DrawRadioItems(Canvas, Rect, Labels(), c ? !c->Ctl3D() : true, hasFocus(), c ? c->Layout() : tlTop,
                 RadioColumns(), itemIndex_);
}
