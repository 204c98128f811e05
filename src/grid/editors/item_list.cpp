#include "grid/editors/item_list.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "grid/view/draw_helpers.h"
#include "platform/text/text.h"
#include "platform/ui/keys.h"

using namespace plat::ui;
using plat::paint::TRect;

plat::paint::TFont ToPaintFont(const TwFont& f) {
  plat::paint::TFont font(f.Name, 0, f.Style, f.Color);
  font.SetSize(f.Size);
  return font;
}

namespace {

// Field Index of Text split at Separator, without copying.
std::string_view FieldView(std::string_view Text, char Separator, int Index) {
  std::size_t start = 0;
  for (int i = 0; i < Index; ++i) {
    const std::size_t p = Text.find(Separator, start);
    if (p == std::string_view::npos) return {};
    start = p + 1;
  }
  const std::size_t end = Text.find(Separator, start);
  return Text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

inline unsigned char UpperAscii(unsigned char c) {
  return c >= 'a' && c <= 'z' ? c - 32 : c;
}

bool StartsWith(std::string_view Text, std::string_view Prefix, bool CaseSensitive) {
  if (Text.size() < Prefix.size()) return false;
  if (CaseSensitive) return Text.compare(0, Prefix.size(), Prefix) == 0;
  for (std::size_t i = 0; i < Prefix.size(); ++i)
    if (UpperAscii((unsigned char)Text[i]) != UpperAscii((unsigned char)Prefix[i])) return false;
  return true;
}

}  // namespace

TwItemList::TwItemList(QWidget* owner) : QWidget(owner) {
  // A window on top of everything that is never activated (as a tool tip is not), so the editor keeps the
  // keyboard while the list is down.
  setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
  resize(100, 100);
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  scrollBar_->hide();
  QObject::connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int v) {
    if (!settingScroll_) SetTopIndex(v);
  });
}

TwItemList::~TwItemList() = default;

bool TwItemList::ItemsMode() const {
  return items_ && values_ && !values_->empty() && items_->size() >= values_->size();
}

int TwItemList::ColumnCount() const {
  if (!values_ || values_->empty()) return 0;
  if (!ItemsMode()) return 1;
  const char sep = option_ ? option_->Separator() : ';';
  const auto& first = (*items_)[0];
  int n = 1 + int(std::count(first.begin(), first.end(), sep));
  if (option_ && option_->ValuesIndex() >= 0) ++n;
  return n;
}

std::string TwItemList::CellText(int C, int R) const {
  if (R < 0 || R >= Count()) return {};
  const std::string& v = (*values_)[std::size_t(R)];
  if (!ItemsMode()) return v;
  const int vi = option_ ? option_->ValuesIndex() : -1;
  const char sep = option_ ? option_->Separator() : ';';
  const std::string& line = (*items_)[std::size_t(R)];
  if (vi < 0 || C < vi) return ExtractItem(line, sep, C);
  if (C == vi) return v;
  return ExtractItem(line, sep, C - 1);
}

std::string TwItemList::TitleText(int C) const {
  return option_ ? ExtractItem(option_->Titles(), option_->Separator(), C) : std::string{};
}

std::string_view TwItemList::RowSearchText(int R) const {
  return ItemsMode() ? std::string_view((*items_)[std::size_t(R)])
                     : std::string_view((*values_)[std::size_t(R)]);
}

QRect TwItemList::ClientRect() const {
  const int f = FrameWidth();
  const int sb = scrollBar_->isVisibleTo(this) ? scrollBar_->width() : 0;
  return QRect(f, f, std::max(0, width() - 2 * f - sb), std::max(0, height() - 2 * f));
}

QPoint TwItemList::ToClient(const QPointF& p) const {
  const QRect c = ClientRect();
  return QPoint(int(p.x()) - c.left(), int(p.y()) - c.top());
}

void TwItemList::SetupList(const TwItemListOption* Option, const TwStrings* Values, bool Ctl3D,
                           const TwImageList* Images, const TwStrings* Items, int EditorWidth) {
  option_ = Option;
  values_ = Values;
  items_ = Items;
  images_ = Images;
  ctl3D_ = Ctl3D;
  if (option_) {
    color_ = option_->Color();
    font_ = ToPaintFont(option_->Font());
    titleFont_ = ToPaintFont(option_->TitleFont());
  }
  visibleRows_ = std::min(Count(), option_ ? option_->ItemCount() : 8);
  if (visibleRows_ < 0) visibleRows_ = 0;
  itemIndex_ = -1;
  lastIndex_ = 0;
  topIndex_ = 0;
  Measure(EditorWidth);
  update();
}

void TwItemList::Measure(int EditorWidth) {
  const bool title = option_ && option_->ShowTitle();
  titleHeight_ = GetFontHeight(titleFont_) + 4;
  rowHeight_ = GetFontHeight(font_) + 2;
  if (images_ && images_->Count() > 0) rowHeight_ = std::max(rowHeight_, images_->Height() + 2);
  if (option_ && option_->RowLines()) ++rowHeight_;
  rowTop_ = title ? titleHeight_ : 1;

  // Column widths in characters: the title (or 1), then the longest text of the column.
  const int cols = ColumnCount();
  columnWidths_.assign(std::size_t(cols), 1);
  const bool items = ItemsMode();
  const int vi = option_ ? option_->ValuesIndex() : -1;
  const char sep = option_ ? option_->Separator() : ';';
  for (int c = 0; c < cols; ++c) {
    int w = title ? int(plat::text::Utf8Length(TitleText(c))) : 1;
    if (w < 1) w = 1;
    if (!items || c == vi) {
      for (const auto& v : *values_) w = std::max(w, int(plat::text::Utf8Length(v)));
    } else {
      const int field = vi >= 0 && c > vi ? c - 1 : c;
      for (int r = 0; r < Count(); ++r)
        w = std::max(w, int(plat::text::Utf8Length(FieldView((*items_)[std::size_t(r)], sep, field))));
    }
    columnWidths_[std::size_t(c)] = w;
  }

  // Pixels per character.
  const int cw = option_ ? option_->CharWidth() : 0;
  if (cw > 0) {
    charWidth_ = cw;
  } else if (cw < 0) {
    charWidth_ = GetMinMaxCharWidth(font_);
    if (title) charWidth_ = std::max(charWidth_, GetMinMaxCharWidth(titleFont_));
  } else {
    charWidth_ = GetMinAveCharWidth(font_);
    if (title) charWidth_ = std::max(charWidth_, GetMinAveCharWidth(titleFont_)) + 1;
  }

  const int b = BorderSize();
  int w, h;
  if (visibleRows_ > 0) {
    h = b + visibleRows_ * rowHeight_ + rowTop_;
    int sum = 0;
    for (int x : columnWidths_) sum += x;
    int natural = sum * charWidth_ + 2 * cols + b - 1;
    if (Count() > visibleRows_) natural += ButtonWidth();
    const int ow = option_ ? option_->Width() : 0;
    if (ow == 0)
      w = EditorWidth;
    else if (ow == -1)
      w = natural;
    else if (ow < -1)
      w = std::max(EditorWidth, natural);
    else
      w = ow;
  } else {
    w = EditorWidth;
    h = 12;
  }
  resize(std::max(w, 1), h);
  UpdateScrollRange();
}

void TwItemList::resizeEvent(QResizeEvent*) {
  const int f = FrameWidth();
  const int sbw = ButtonWidth();
  scrollBar_->setGeometry(width() - f - sbw, f, sbw, std::max(0, height() - 2 * f));
}

void TwItemList::UpdateScrollRange() {
  settingScroll_ = true;
  const int max = std::max(0, Count() - visibleRows_);
  scrollBar_->setRange(0, max);
  scrollBar_->setPageStep(std::max(1, visibleRows_));
  scrollBar_->setValue(topIndex_);
  scrollBar_->setVisible(HasScrollBar());
  settingScroll_ = false;
}

void TwItemList::SetTopIndex(int N) {
  N = std::min(N, Count() - visibleRows_);
  N = std::max(N, 0);
  if (N == topIndex_) return;
  topIndex_ = N;
  InvalidateRows();
  settingScroll_ = true;
  scrollBar_->setValue(topIndex_);
  settingScroll_ = false;
}

void TwItemList::SetItemIndex(int N) {
  N = std::max(std::min(N, Count() - 1), -1);
  if (N == itemIndex_) return;
  const int old = itemIndex_;
  itemIndex_ = N;
  if (N >= 0) {
    if (old < 0) InvalidateRow(lastIndex_);  // its focus rectangle goes
    lastIndex_ = N;
    if (N < topIndex_)
      SetTopIndex(N);
    else if (N >= topIndex_ + visibleRows_)
      SetTopIndex(N - visibleRows_ + 1);
    InvalidateRow(old);
    InvalidateRow(N);
  } else {
    InvalidateRow(old);
  }
}

void TwItemList::InvalidateRow(int Row) {
  if (Row < topIndex_ || Row >= topIndex_ + visibleRows_) return;
  const QRect c = ClientRect();
  update(QRect(c.left(), c.top() + rowTop_ + (Row - topIndex_) * rowHeight_, c.width(), rowHeight_));
}

void TwItemList::InvalidateRows() {
  const QRect c = ClientRect();
  update(QRect(c.left(), c.top() + rowTop_, c.width(), c.height() - rowTop_));
}

void TwItemList::SearchText(std::string_view Text, bool ClearIfNotFound) {
  const int n = Count();
  if (n == 0) return;
  const bool cs = option_ && option_->CaseSensitive();
  const bool items = ItemsMode();
  for (int r = 0; r < n; ++r) {
    const std::string& t = items ? (*items_)[std::size_t(r)] : (*values_)[std::size_t(r)];
    if (StartsWith(t, Text, cs)) {
      SetItemIndex(r);
      return;
    }
  }
  if (ClearIfNotFound) SetItemIndex(-1);
}

int TwItemList::HitTest(int X, int Y) const {
  const QRect c = ClientRect();
  if (X < 0 || Y < 0 || X >= c.width() || Y >= c.height() || Y < rowTop_ || rowHeight_ <= 0) return -1;
  return (Y - rowTop_) / rowHeight_ + topIndex_;
}

void TwItemList::ListKeyDown(int Key) {
  const int n = visibleRows_;
  const int i = itemIndex_;
  int target = i;
  switch (Key) {
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = Count() - 1;
      break;
    case VK_UP:
      target = i < 0 ? lastIndex_ : std::max(i - 1, 0);
      break;
    case VK_DOWN:
      target = i < 0 ? lastIndex_ : i + 1;
      break;
    case VK_PRIOR:
      target = i < 0 ? lastIndex_ : std::max(i - n, 0);
      break;
    case VK_NEXT:
      target = i < 0 ? lastIndex_ : i + n;
      break;
    default:
      return;
  }
  SetItemIndex(target);
}

void TwItemList::keyPressEvent(QKeyEvent* e) {
  ListKeyDown(VirtualKeyOf(e->key()));
}

void TwItemList::PopupAt(const QRect& Anchor) {
  int y = Anchor.bottom() + 1;
  QScreen* s = QGuiApplication::screenAt(Anchor.center());
  if (!s) s = QGuiApplication::primaryScreen();
  const int screenBottom = s ? s->geometry().bottom() + 1 : INT32_MAX;
  if (y + height() > screenBottom) y = Anchor.top() - height();
  move(Anchor.left(), y);
  show();
  raise();
}

void TwItemList::SetCapture(bool On) {
  if (On == capture_) return;
  capture_ = On;
  if (On) {
    if (isVisible()) grabMouse();
  } else {
    releaseMouse();
  }
}

void TwItemList::hideEvent(QHideEvent*) {
  if (capture_) SetCapture(false);
  onScrollBar_ = false;
}

void TwItemList::CloseUp(bool Accept) {
  if (OnCloseUp) OnCloseUp(Accept);
}

// A press on the scroll bar while the list holds the capture: the capture is let go, the scroll bar gets
// the press and everything up to the release, and the capture is taken again.
bool TwItemList::ForwardToScrollBar(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->type() == QEvent::MouseButtonPress) {
    if (!scrollBar_->isVisible() || !scrollBar_->geometry().contains(p)) return false;
    onScrollBar_ = true;
  } else if (!onScrollBar_) {
    return false;
  }
  const bool captured = capture_;
  if (captured) releaseMouse();
  QMouseEvent forwarded(e->type(), QPointF(p - scrollBar_->pos()), e->globalPosition(), e->button(),
                        e->buttons(), e->modifiers());
  QCoreApplication::sendEvent(scrollBar_, &forwarded);
  if (captured) grabMouse();
  if (e->type() == QEvent::MouseButtonRelease) onScrollBar_ = false;
  return true;
}

void TwItemList::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (ForwardToScrollBar(e)) return;
  const QPoint p = ToClient(e->position());
  const QRect c = ClientRect();
  if (p.x() < 0 || p.y() < 0 || p.x() >= c.width() || p.y() >= c.height()) {
    SetCapture(false);
    CloseUp(false);
    return;
  }
  const int r = HitTest(p.x(), p.y());
  if (r >= 0 && r < Count()) SetItemIndex(r);
}

void TwItemList::mouseMoveEvent(QMouseEvent* e) {
  if (ForwardToScrollBar(e)) return;
  const QPoint p = ToClient(e->position());
  const QRect c = ClientRect();
  const bool held = e->buttons() & Qt::LeftButton;
  if (held && p.y() < rowTop_) {
    SetItemIndex(std::max(itemIndex_ - 1, 0));
  } else if (held && p.y() >= c.height()) {
    SetItemIndex(itemIndex_ + 1);
  } else {
    const int r = HitTest(p.x(), p.y());
    if (r >= 0 && r < Count() && r < topIndex_ + visibleRows_) SetItemIndex(r);
  }
}

void TwItemList::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (ForwardToScrollBar(e)) return;
  const QPoint p = ToClient(e->position());
  const QRect c = ClientRect();
  const bool inside = p.x() >= 0 && p.y() >= 0 && p.x() < c.width() && p.y() < c.height();
  if (Count() == 0 && inside) return;
  CloseUp(inside);
}

void TwItemList::leaveEvent(QEvent*) {
  if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) onScrollBar_ = false;
}

QImage TwItemList::PaintClient() {
  const QRect c = ClientRect();
  QImage img(std::max(c.width(), 1), std::max(c.height(), 1), QImage::Format_RGB32);
  TCanvas dc(&img);
  dc.Brush.Color = color_;
  dc.FillRect(TRect{0, 0, c.width(), c.height()});
  const int cols = ColumnCount();
  const int count = Count();
  if (cols == 0 || count == 0) return img;
  const TColor lineColor = option_ ? option_->LineColor() : 0x808080;
  dc.TransparentText = true;
  const unsigned fmt =
      plat::paint::DT_LEFT | plat::paint::DT_VCENTER | plat::paint::DT_SINGLELINE | plat::paint::DT_NOPREFIX;
  const int W = charWidth_;
  const bool withImages = images_ && images_->Count() > 0;

  if (option_ && option_->ShowTitle()) {
    dc.Brush.Color = option_->TitleColor();
    dc.FillRect(TRect{0, 0, c.width(), rowTop_});
    dc.Font = titleFont_;
    int x = 1;
    for (int col = 0; col < cols; ++col) {
      const int w = columnWidths_[std::size_t(col)] * W;
      TRect r{x, 0, x + w, rowTop_};
      dc.DrawText(TitleText(col), r, fmt);
      x += w + 2;
    }
    dc.Pen.Color = lineColor;
    dc.MoveTo(0, rowTop_ - 1);
    dc.LineTo(c.width(), rowTop_ - 1);
  }

  const int last = std::min(count - 1, topIndex_ + visibleRows_ - 1);
  for (int row = topIndex_; row <= last; ++row) {
    const int top = rowTop_ + (row - topIndex_) * rowHeight_;
    const TRect rowRect{0, top, c.width(), top + rowHeight_};
    const bool selected = row == itemIndex_;
    dc.Brush.Color = selected ? TColor(clBlack) : color_;
    dc.FillRect(rowRect);
    dc.Font = font_;
    if (selected) dc.Font.SetColor(clWhite);
    int x = 1;
    if (withImages) {
      const int index = GetImageIndex(row);
      if (index >= 0 && index < images_->Count())
        dc.Draw(x, top + (rowHeight_ - images_->Height()) / 2, images_->Image(index));
      x += images_->Width() + 2;
    }
    for (int col = 0; col < cols; ++col) {
      const int w = columnWidths_[std::size_t(col)] * W;
      TRect r{x, top, x + w, top + rowHeight_};
      dc.DrawText(CellText(col, row), r, fmt);
      x += w + 2;
      if (option_ && option_->ColLines() && col < cols - 1) {
        dc.Pen.Color = lineColor;
        dc.MoveTo(x - 1, top);
        dc.LineTo(x - 1, top + rowHeight_);
      }
    }
    if (option_ && option_->RowLines() && row < last) {
      dc.Pen.Color = lineColor;
      dc.MoveTo(0, top + rowHeight_ - 1);
      dc.LineTo(c.width(), top + rowHeight_ - 1);
    }
  }
  if (itemIndex_ < 0 && lastIndex_ >= topIndex_ && lastIndex_ <= last) {
    const int top = rowTop_ + (lastIndex_ - topIndex_) * rowHeight_;
    dc.DrawFocusRect(TRect{0, top, c.width(), top + rowHeight_});
  }
  return img;
}

void TwItemList::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect c = ClientRect();
  // The frame: one dark line, or a raised two-pixel edge with Ctl3D.
  if (ctl3D_) {
    QImage frame(size(), QImage::Format_RGB32);
    TCanvas dc(&frame);
    TRect r{0, 0, width(), height()};
    dc.DrawEdge(r, plat::paint::EDGE_RAISED, plat::paint::BF_RECT);
    dc.End();
    p.drawImage(0, 0, frame);
  } else {
    p.setPen(QColor(0, 0, 0));
    p.drawRect(0, 0, width() - 1, height() - 1);
  }
  p.drawImage(c.topLeft(), PaintClient());
}

// --- TwInItemList ---------------------------------------------------------------------------------------

TwInItemList::TwInItemList(TwEditorHost& host, QWidget* owner) : TwItemList(owner), host_(host) {}

int TwInItemList::GetImageIndex(int Row) const {
  return host_.ListImageIndex(Row);
}
