#include "grid/editors/cell_dialogs.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "grid/structure/qt_text.h"
#include "platform/paint/font.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

namespace {

constexpr int kDesignWidth = 247;
constexpr int kDesignHeight = 127;

QFont FormFont() {
  return plat::paint::TFont("MS Sans Serif", -11, 0, clWindowText).QtFont();
}
QFont ButtonFont() {
  return plat::paint::TFont("MS Sans Serif", -12, 0x1 | 0x2, clGray).QtFont();
}

std::string FileName(const std::string& path) {
  return tw::FromQ(QFileInfo(tw::ToQ(path)).fileName());
}

// "'NAME' " followed by why. Appended piece by piece: g++ 12 at -O3 reports a false overlap (-Wrestrict)
// for a one-character literal added in front of a string.
std::string QuotedFileName(const std::string& path, const char* why) {
  std::string text(1, '\'');
  text += FileName(path);
  text += "' ";
  text += why;
  return text;
}

}  // namespace

std::optional<std::string> ReadTextFileAnyEncoding(const std::string& Path) {
  QFile f(tw::ToQ(Path));
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = f.readAll();
  std::string_view s(bytes.constData(), std::size_t(bytes.size()));
  if (s.find('\0') != std::string_view::npos) return std::nullopt;
  if (s.starts_with("\xEF\xBB\xBF")) s.remove_prefix(3);
  if (plat::text::IsValidUtf8(s)) return std::string(s);
  return plat::text::TryCp949ToUtf8(s);
}

QImage ReadBitmapFile(const std::string& Path) {
  QImageReader reader(tw::ToQ(Path));
  reader.setDecideFormatFromContent(true);
  const QByteArray format = reader.format().toLower();
  if (format != "bmp" && format != "png") return {};
  QImage img = reader.read();
  return img;
}

// --- TwInDlgBase ----------------------------------------------------------------------------------------

TwInDlgBase::TwInDlgBase(QWidget* Grid) : QDialog(Grid), grid_(Grid) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setModal(true);
  setFont(FormFont());
  QPalette pal = palette();
  pal.setColor(QPalette::Window, plat::paint::ToQColor(clWindow));
  setPalette(pal);
  setAutoFillBackground(true);
  setMouseTracking(true);
  resize(kDesignWidth + 2, kDesignHeight + 2);

  panMain = new QWidget(this);
  panBottom = new QWidget(this);
  panMain->installEventFilter(this);
}

TwInDlgBase::Hit TwInDlgBase::BorderHit(int X, int Y) const {
  const int W = ClientWidth(), H = ClientHeight();
  if (X >= W && Y < H - 1) return Hit::Right;
  if (X >= W - 1 && Y >= H - 1) return Hit::BottomRight;
  if (X < W - 1 && Y > H - 1) return Hit::Bottom;
  return Hit::None;
}

void TwInDlgBase::resizeEvent(QResizeEvent*) {
  // One pixel of border all round; the button strip at the bottom, the main panel above it.
  const int w = ClientWidth(), h = ClientHeight();
  panBottom->setGeometry(1, 1 + std::max(0, h - 20), std::max(0, w), std::min(20, std::max(0, h)));
  panMain->setGeometry(1, 1, std::max(0, w), std::max(0, h - 20));
  panMainResize();
}

void TwInDlgBase::panMainResize() {
  if (QWidget* c = EditControl())
    c->setGeometry(2, 2, std::max(0, panMain->width() - 4), std::max(0, panMain->height() - 4));
}

bool TwInDlgBase::eventFilter(QObject* o, QEvent* e) {
  if (o == panMain && e->type() == QEvent::Resize) panMainResize();
  // The window sees Esc before its controls do.
  if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    reject();
    return true;
  }
  return QDialog::eventFilter(o, e);
}

void TwInDlgBase::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  // Enter does not close the window by itself: the memo takes it as a line break, OK is a button.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
  QDialog::keyPressEvent(e);
}

void TwInDlgBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(QColor(0, 0, 0));
  p.drawRect(0, 0, width() - 1, height() - 1);
}

void TwInDlgBase::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const Hit h = e->button() == Qt::LeftButton ? BorderHit(p.x() - 1, p.y() - 1) : Hit::None;
  if (h == Hit::None) {
    QDialog::mousePressEvent(e);
    return;
  }
  sizing_ = h;
  sizingStart_ = e->globalPosition().toPoint();
  sizingSize_ = size();
}

void TwInDlgBase::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (sizing_ == Hit::None) {
    switch (BorderHit(p.x() - 1, p.y() - 1)) {
      case Hit::Right:
        setCursor(Qt::SizeHorCursor);
        break;
      case Hit::Bottom:
        setCursor(Qt::SizeVerCursor);
        break;
      case Hit::BottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
      case Hit::None:
        unsetCursor();
        break;
    }
    return;
  }
  const QPoint d = e->globalPosition().toPoint() - sizingStart_;
  int w = sizingSize_.width(), h = sizingSize_.height();
  if (sizing_ != Hit::Bottom) w += d.x();
  if (sizing_ != Hit::Right) h += d.y();
  resize(std::max(w, 40), std::max(h, 30));
}

void TwInDlgBase::mouseReleaseEvent(QMouseEvent* e) {
  if (sizing_ != Hit::None && e->button() == Qt::LeftButton) {
    sizing_ = Hit::None;
    return;
  }
  QDialog::mouseReleaseEvent(e);
}

QToolButton* TwInDlgBase::AddButton(const char* Caption, int Left, int Width) {
  auto* b = new QToolButton(panBottom);
  b->setText(tw::ToQ(Caption));
  b->setAutoRaise(true);
  b->setFont(ButtonFont());
  QPalette pal = b->palette();
  pal.setColor(QPalette::ButtonText, plat::paint::ToQColor(clGray));
  b->setPalette(pal);
  b->setGeometry(Left, 1, Width, 17);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

int TwInDlgBase::RunAt(const plat::paint::TRect& CellRect) {
  const QPoint at =
      grid_ ? grid_->mapToGlobal(QPoint(CellRect.Left, CellRect.Top)) : QPoint(CellRect.Left, CellRect.Top);
  move(at);
  panMainResize();
  return exec();
}

// --- TwInDlgMemo ----------------------------------------------------------------------------------------

TwInDlgMemo::TwInDlgMemo(QWidget* Grid) : TwInDlgBase(Grid) {
  cmLoad = AddButton("&Load", 2, 40);
  cmOk = AddButton("&Ok", 43, 31);
  cmCancel = AddButton("&Cancel", 75, 52);
  memoMain = new QPlainTextEdit(panMain);
  memoMain->setFrameShape(QFrame::NoFrame);
  memoMain->installEventFilter(this);
  QObject::connect(cmLoad, &QToolButton::clicked, this, [this] { cmLoadClick(); });
  QObject::connect(cmOk, &QToolButton::clicked, this, [this] { cmOkClick(); });
  QObject::connect(cmCancel, &QToolButton::clicked, this, [this] { cmCancelClick(); });
  panMainResize();
}

QWidget* TwInDlgMemo::EditControl() const {
  return memoMain;
}

std::string TwInDlgMemo::Text() const {
  return tw::FromQ(memoMain->toPlainText());
}

int TwInDlgMemo::ShowModalAt(const plat::paint::TRect& CellRect, const plat::Variant& Value) {
  memoMain->clear();
  if (!Value.IsNullOrEmpty()) memoMain->setPlainText(tw::ToQ(Value.ToString()));
  return RunAt(CellRect);
}

void TwInDlgMemo::showEvent(QShowEvent* e) {
  TwInDlgBase::showEvent(e);
  memoMain->selectAll();
  memoMain->setFocus(Qt::OtherFocusReason);
}

void TwInDlgMemo::cmLoadClick() {
  plat::ui::OpenFileRequest req;
  req.FilterLabel = "Text File";
  req.FilterPattern = "*.txt";
  const auto path = plat::ui::CurrentDialogs().OpenFile(this, req);
  if (!path) return;
  const auto text = ReadTextFileAnyEncoding(*path);
  if (!text) {
    plat::ui::CurrentDialogs().ShowMessage(this,
                                           QuotedFileName(*path, "is not a text file (UTF-8 or CP949)."));
    return;
  }
  // Lines end in CR LF in files written on Windows; the memo keeps plain line feeds.
  QString lines = tw::ToQ(*text);
  lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  memoMain->setPlainText(lines);
}

void TwInDlgMemo::cmOkClick() {
  if (OnAccept) OnAccept(Text());
  accept();
}

void TwInDlgMemo::cmCancelClick() {
  reject();
}

// --- TwInDlgImg -----------------------------------------------------------------------------------------

TwInDlgImg::TwInDlgImg(QWidget* Grid) : TwInDlgBase(Grid) {
  cmLoad = AddButton("&Load", 2, 40);
  cmClear = AddButton("Cle&ar", 43, 43);
  cmOk = AddButton("&Ok", 87, 31);
  cmCancel = AddButton("&Cancel", 119, 52);
  imgMain = new QLabel(panMain);
  imgMain->setAlignment(Qt::AlignCenter);
  QObject::connect(cmLoad, &QToolButton::clicked, this, [this] { cmLoadClick(); });
  QObject::connect(cmClear, &QToolButton::clicked, this, [this] { cmClearClick(); });
  QObject::connect(cmOk, &QToolButton::clicked, this, [this] { cmOkClick(); });
  QObject::connect(cmCancel, &QToolButton::clicked, this, [this] { cmCancelClick(); });
  panMainResize();
}

QWidget* TwInDlgImg::EditControl() const {
  return imgMain;
}

void TwInDlgImg::SetPicture(const QImage& p) {
  picture_ = p;
  imgMain->setPixmap(p.isNull() ? QPixmap() : QPixmap::fromImage(p));
}

int TwInDlgImg::ShowModalAt(const plat::paint::TRect& CellRect, const QImage* Picture) {
  SetPicture(Picture ? Picture->copy() : QImage());
  return RunAt(CellRect);
}

void TwInDlgImg::cmLoadClick() {
  plat::ui::OpenFileRequest req;
  req.FilterLabel = "Bitmaps";
  req.FilterPattern = "*.bmp;*.png";
  const auto path = plat::ui::CurrentDialogs().OpenFile(this, req);
  if (!path) return;
  const QImage img = ReadBitmapFile(*path);
  if (img.isNull()) {
    plat::ui::CurrentDialogs().ShowMessage(this, QuotedFileName(*path, "is not a bitmap or PNG picture."));
    return;
  }
  SetPicture(img);
}

void TwInDlgImg::cmClearClick() {
  SetPicture(QImage());
}

void TwInDlgImg::cmOkClick() {
  if (OnAccept) OnAccept(picture_);
  accept();
}

void TwInDlgImg::cmCancelClick() {
  reject();
}

// --- the dialogs in the grid ----------------------------------------------------------------------------

TwMemoCellDialog::TwMemoCellDialog(TwEditorHost& host) : dialog_(new TwInDlgMemo(host.EditorParent())) {
  dialog_->setObjectName("InDlgMemo");
}

TwMemoCellDialog::~TwMemoCellDialog() {
  delete dialog_.data();
}

void TwMemoCellDialog::Run(TwEditorHost& host, TwColumn* AColumn, const plat::paint::TRect& CellRect) {
  if (!dialog_) return;
  dialog_->OnAccept = [&host](const std::string& Text) { host.SetMemoText(Text); };
  dialog_->ShowModalAt(CellRect, host.CellValue(AColumn));
}

TwPictureCellDialog::TwPictureCellDialog(TwEditorHost& host) : dialog_(new TwInDlgImg(host.EditorParent())) {
  dialog_->setObjectName("InDlgImg");
}

TwPictureCellDialog::~TwPictureCellDialog() {
  delete dialog_.data();
}

void TwPictureCellDialog::Run(TwEditorHost& host, TwColumn* AColumn, const plat::paint::TRect& CellRect) {
  if (!dialog_) return;
  dialog_->OnAccept = [&host](const QImage& Bitmap) {
    QImage copy = Bitmap;
    host.SetPicture(copy);
  };
  dialog_->ShowModalAt(CellRect, host.CellPicture(AColumn));
}
