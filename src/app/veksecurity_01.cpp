#include "app/veksecurity_01.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QSplitter>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdlib>
#include <cstring>

#include "app/application.h"
#include "app/batch_run.h"
#include "app/mgr_grid_form.h"
#include "app/preview_pane.h"
#include "grid/memory/mem_grid_form.h"
#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/grid_input.h"
#include "platform/os/os.h"
#include "platform/paint/color.h"
#include "platform/paint/font.h"
#include "platform/text/text.h"

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

// Windows colour values (0x00BBGGRR) as Qt colours.

constexpr const char* kIniName = "Resort.ini";
// The dropped name is read into a buffer of 255 characters including the terminating NUL.
constexpr std::size_t kDropNameMax = 254;

// Sizes of the window and its strips, in pixels.
constexpr int kClientWidth = 1156;
constexpr int kClientHeight = 706;
constexpr int kPanel1Height = 39;
constexpr int kPanel4Height = 72;
constexpr int kPanel2Height = 39;
constexpr int kExcludeEditWidth = 103;
constexpr int kMsgWidth = 425;
constexpr int kMsgHeight = 81;
// The indicator column's width in the grid's form; it grows when the row numbers need more.
constexpr int kIndicatorWidth = 21;
constexpr const char* kWaitText = "잠시만 기다려주세요 ";
// Lines a load takes between two looks at the clock.
constexpr std::size_t kLoadSliceLines = 2048;

QFrame* MakePanel(QWidget* parent, const char* name) {
  auto* p = new QFrame(parent);
  p->setObjectName(name);
  p->setFrameShape(QFrame::Panel);
  p->setFrameShadow(QFrame::Raised);
  p->setLineWidth(1);
  return p;
}

template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}

}  // namespace

// --- status bar --------------------------------------------------------------------------------------------

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), text_(new QLabel(this)) {
  text_->setObjectName("SimpleText");
  text_->setContentsMargins(2, 0, 2, 0);
  addWidget(text_, 1);
}

std::string TStatusBar::SimpleText() const {
  return S(text_->text());
}

void TStatusBar::SetSimpleText(const std::string& text) {
  text_->setText(Q(text));
}

// --- the window --------------------------------------------------------------------------------------------

std::string TForm1::DownloadAddress() {
  std::string host = kDefaultDownloadHost;
  if (const char* env = std::getenv("VEKSECURITY_DOWNLOAD_HOST"); env && *env) host = env;
  return "https://" + host + "/quellmar/ps.zip";
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(Q("정보보안문서 관리기 1.0"));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  setFont(font);
  ApplySavedDriveMap();
  CreateControls();
  ConnectHandlers();
  resize(kClientWidth, kClientHeight);
  FormCreate(this);
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  auto* central = new QWidget(this);
  central->setObjectName("ClientArea");
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  setCentralWidget(central);
  // Top to bottom: the file row, the conditions, the list, the action buttons, the status line.
  CreateFileRow(central, column);
  CreateConditions(central, column);
  CreateListPanel(central, column);
  CreateButtonStrip(central, column);
  CreateStatusLine();
  p_file->setAcceptDrops(false);  // a dropped file goes to the window

  o_dialog.InitialDir = plat::os::ResolvePath("c:\\");

  AssignShortcuts();
  LoadPreviewSettings();

  cb_m->raise();
  EmptyHint->raise();
  msg->raise();
  UpdateEmptyHint();
}

void TForm1::CreateFileRow(QWidget* central, QVBoxLayout* column) {
  // The result file: the scanner, the file dialog, the path and the reload.
  Panel1 = MakePanel(central, "Panel1");
  Panel1->setFixedHeight(kPanel1Height);
  BitBtn1 = Named(new QPushButton(Q("1.보안점검"), Panel1), "BitBtn1");
  BitBtn2 = Named(new QPushButton(Q("2.결과화일선택"), Panel1), "BitBtn2");
  p_file = Named(new QLineEdit(Panel1), "p_file");
  BitBtn5 = Named(new QPushButton(Q("재조회"), Panel1), "BitBtn5");
  BitBtn1->setFixedSize(105, 27);
  BitBtn2->setFixedSize(125, 27);
  BitBtn5->setFixedSize(80, 27);
  p_file->setFixedHeight(21);
  p_file->setAccessibleName(Q("결과화일"));  // a screen reader names the field after the button that fills it
  {
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(5);
    row->addWidget(BitBtn1);
    row->addWidget(BitBtn2);
    row->addSpacing(4);
    row->addWidget(p_file, 1);
    row->addSpacing(4);
    row->addWidget(BitBtn5);
  }
  column->addWidget(Panel1);
}

void TForm1::CreateConditions(QWidget* central, QVBoxLayout* column) {
  // The backup folder and the filters.
  Panel4 = MakePanel(central, "Panel4");
  Panel4->setFixedHeight(kPanel4Height);
  {
    QFont f = font();
    f.setPointSize(9);
    Panel4->setFont(f);
  }
  Label3 = Named(new QLabel(Q("저장위치"), Panel4), "Label3");
  RB1 = Named(new QRadioButton(Q("C:\\보안예비자료"), Panel4), "RB1");
  RB2 = Named(new QRadioButton(Q("D:\\보안예비자료"), Panel4), "RB2");
  RB1->setChecked(true);
  BtnDrives = Named(new QPushButton(Q("드라이브 연결"), Panel4), "BtnDrives");
  BtnDrives->setFixedHeight(23);
  Label1 = Named(new QLabel(Q("조건(포함)"), Panel4), "Label1");
  cb1 = Named(new QCheckBox(Q("개인정보"), Panel4), "cb1");
  cb1->setChecked(true);
  cb3 = Named(new QCheckBox(Q("10건이상"), Panel4), "cb3");
  cb4 = Named(new QCheckBox(Q("100건이상"), Panel4), "cb4");
  Label2 = Named(new QLabel(Q("제외자료"), Panel4), "Label2");
  const char* edNames[6] = {"ed1", "ed2", "ed3", "ed4", "ed5", "ed6"};
  QLineEdit** eds[6] = {&ed1, &ed2, &ed3, &ed4, &ed5, &ed6};
  for (int i = 0; i < 6; ++i) {
    *eds[i] = Named(new QLineEdit(Panel4), edNames[i]);
    (*eds[i])->setFixedSize(kExcludeEditWidth, 21);
    (*eds[i])->setAcceptDrops(false);  // a dropped file goes to the window
    // The six fields share the label "제외자료"; a screen reader tells them apart by their number.
    std::string name = "제외자료 ";
    name += std::to_string(i + 1);
    (*eds[i])->setAccessibleName(Q(name));
  }
  {
    const int labelWidth = 80;
    Label3->setFixedWidth(labelWidth);
    Label1->setFixedWidth(labelWidth);
    auto* rows = new QVBoxLayout(Panel4);
    rows->setContentsMargins(12, 6, 12, 6);
    rows->setSpacing(6);
    auto* upper = new QHBoxLayout;
    upper->setSpacing(10);
    upper->addWidget(Label3);
    upper->addWidget(RB1);
    upper->addSpacing(12);
    upper->addWidget(RB2);
    upper->addStretch(1);
    upper->addWidget(BtnDrives);
    auto* lower = new QHBoxLayout;
    lower->setSpacing(10);
    lower->addWidget(Label1);
    lower->addWidget(cb1);
    lower->addSpacing(6);
    lower->addWidget(cb3);
    lower->addSpacing(6);
    lower->addWidget(cb4);
    lower->addSpacing(30);
    lower->addWidget(Label2);
    lower->addSpacing(2);
    for (QLineEdit** e : eds) lower->addWidget(*e);
    lower->addStretch(1);
    rows->addLayout(upper);
    rows->addLayout(lower);
  }
  column->addWidget(Panel4);
}

void TForm1::CreateListPanel(QWidget* central, QVBoxLayout* column) {
  // The grid with the tick-all box, the wait notice and the hidden line buffer.
  Panel3 = MakePanel(central, "Panel3");
  CreateGrid();
  {
    // Under the list, the preview pane: hidden until asked for, so that the list fills the panel as before.
    ListSplitter = Named(new QSplitter(Qt::Vertical, Panel3), "ListSplitter");
    ListSplitter->setChildrenCollapsible(false);
    ListSplitter->addWidget(Mgr_grid);
    Preview = Named(new vek::TPreviewPane(ListSplitter), "Preview");
    ListSplitter->addWidget(Preview);
    ListSplitter->setStretchFactor(0, 1);
    Preview->hide();
    auto* fill = new QVBoxLayout(Panel3);
    fill->setContentsMargins(1, 1, 1, 1);
    fill->setSpacing(0);
    fill->addWidget(ListSplitter);
  }
  CreateOverlays();
  Memo1 = Named(new QPlainTextEdit(Panel3), "Memo1");
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setAcceptDrops(false);
  Memo1->resize(185, 89);
  Memo1->hide();
  Memo1->installEventFilter(this);
  Panel3->installEventFilter(this);
  // Rows leave the list through several handlers; the grid repaints after each, and the count follows.
  Mgr_grid->viewport()->installEventFilter(this);
  column->addWidget(Panel3, 1);
}

void TForm1::CreateOverlays() {
  // Over the grid: the tick-all box, the wait notice with its Cancel button, and the hint over an empty list.
  cb_m = Named(new QCheckBox(Panel3), "cb_m");
  cb_m->setFocusPolicy(Qt::NoFocus);
  cb_m->setAutoFillBackground(false);
  msg = Named(new QLabel(Q(kWaitText), Panel3), "msg");
  msg->setFixedSize(kMsgWidth, kMsgHeight);
  msg->setAlignment(Qt::AlignCenter);
  msg->setFrameShape(QFrame::Panel);
  msg->setFrameShadow(QFrame::Raised);
  msg->setAutoFillBackground(true);
  {
    QPalette pal = msg->palette();
    pal.setColor(QPalette::Window, plat::paint::ToQColor(clAqua));
    pal.setColor(QPalette::WindowText, plat::paint::ToQColor(clFuchsia));
    msg->setPalette(pal);
    QFont f = font();
    f.setPointSize(20);
    f.setBold(true);
    msg->setFont(f);
  }
  msgCancel = Named(new QPushButton(Q("취소"), msg), "msgCancel");
  {
    QFont f = font();
    f.setPointSize(9);
    msgCancel->setFont(f);
    msgCancel->setFixedSize(64, 23);
    msgCancel->move(kMsgWidth - msgCancel->width() - 6, kMsgHeight - msgCancel->height() - 6);
    msgCancel->setFocusPolicy(Qt::NoFocus);
    msgCancel->hide();
  }
  msg->hide();
  // Over the empty grid, letting clicks and drops through.
  EmptyHint = Named(new QLabel(Panel3), "EmptyHint");
  EmptyHint->setAlignment(Qt::AlignCenter);
  EmptyHint->setWordWrap(true);
  EmptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
  EmptyHint->setFixedSize(kMsgWidth + 160, kMsgHeight);
  EmptyHint->setFrameShape(QFrame::Box);
  EmptyHint->setAutoFillBackground(true);
  EmptyHint->setMargin(8);
  {
    // Black on the tooltip colour: readable over the grid's grey empty area.
    QPalette pal = EmptyHint->palette();
    pal.setColor(QPalette::Window, plat::paint::ToQColor(clInfoBk));
    pal.setColor(QPalette::WindowText, plat::paint::ToQColor(clBlack));
    EmptyHint->setPalette(pal);
    QFont f = font();
    f.setPointSize(10);
    EmptyHint->setFont(f);
  }
}

void TForm1::CreateButtonStrip(QWidget* central, QVBoxLayout* column) {
  // Action buttons.
  Panel2 = MakePanel(central, "Panel2");
  Panel2->setFixedHeight(kPanel2Height);
  {
    QFont f = font();
    f.setPointSize(9);
    f.setBold(true);
    Panel2->setFont(f);
  }
  BitBtn4 = Named(new QPushButton(Panel2), "BitBtn4");
  BitBtn6 = Named(new QPushButton(Q("해당자료 삭제"), Panel2), "BitBtn6");
  BitBtn7 = Named(new QPushButton(Q("해당자료 화면제거"), Panel2), "BitBtn7");
  BitBtn4->setFixedSize(230, 27);
  BitBtn6->setFixedSize(150, 27);
  BitBtn7->setFixedSize(170, 27);
  // Beyond the three action buttons, at the strip's right end: puts the files of a move back.
  BtnRestore = Named(new QPushButton(Q("되돌리기"), Panel2), "BtnRestore");
  BtnRestore->setFixedSize(110, 27);
  // At the right end: shows or hides the preview pane (F9).
  BtnPreview = Named(new QPushButton(Q("미리보기"), Panel2), "BtnPreview");
  BtnPreview->setFixedSize(110, 27);
  BtnPreview->setCheckable(true);
  BtnPreview->setToolTip(Q("선택한 파일의 내용과 찾은 개인정보를 가려서 보기 (F9)"));
  {
    auto* menu = new QMenu(BtnRestore);
    menu->addAction(Q("마지막 이동 되돌리기"), this,
                    [this] { vek::Guarded(this, [&] { RestoreMove({}); }); });
    // The past runs: their 확인서, and a move of any of them put back.
    menu->addAction(Q("작업 기록..."), this, [this] { vek::Guarded(this, [&] { ShowRecordsWindow(); }); });
    BtnRestore->setMenu(menu);
  }
  {
    auto* row = new QHBoxLayout(Panel2);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(10);
    row->addWidget(BitBtn4);
    row->addWidget(BitBtn6);
    row->addWidget(BitBtn7);
    row->addStretch(1);
    row->addWidget(BtnRestore);
    row->addWidget(BtnPreview);
  }
  column->addWidget(Panel2);
}

void TForm1::CreateStatusLine() {
  StatusBar1 = Named(new TStatusBar(this), "StatusBar1");
  StatusBar1->SetSimpleText("원하는 EXE 화일을 Drag 하세요");
  FilterHint = Named(new QLabel(Q("조건이 바뀌었습니다: 재조회를 누르십시오"), StatusBar1), "FilterHint");
  FilterHint->setContentsMargins(8, 0, 8, 0);
  StatusBar1->addWidget(FilterHint);
  FilterHint->hide();
  CountLine = Named(new QLabel(StatusBar1), "CountLine");
  CountLine->setContentsMargins(8, 0, 8, 0);
  StatusBar1->addPermanentWidget(CountLine);
  setStatusBar(StatusBar1);
}

void TForm1::AssignShortcuts() {
  // Enter presses a focused button; each button has an Alt+digit shortcut, named in its tooltip (the
  // captions stay as they are).
  const struct {
    QPushButton* button;
    const char* tip;
  } shortcuts[] = {
      {BitBtn1, "검사 프로그램 내려받기"},
      {BitBtn2, "검사 결과 화일을 골라 불러오기"},
      {BitBtn5, "조건을 다시 적용해 다시 읽기"},
      {BitBtn4, "체크한 파일을 보관 폴더로 이동"},
      {BitBtn6, "체크한 파일을 영구 삭제"},
      {BitBtn7, "선택한 행을 목록에서만 제거"},
      {BtnRestore, "이동한 파일을 제자리로 되돌리기"},
      {BtnDrives, "드라이브 문자마다 폴더 정하기"},
  };
  int digit = 1;
  for (const auto& s : shortcuts) {
    const QKeySequence key(Qt::ALT | Qt::Key(Qt::Key_0 + digit++));
    s.button->setAutoDefault(true);
    s.button->setShortcut(key);
    s.button->setToolTip(Q(s.tip) + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) +
                         QStringLiteral(")"));
  }
}

void TForm1::CreateGrid() {
  // The grid's columns, options and look come from its stored form description.
  Mgr_grid = twform::ReadMemGridForm(vek::MgrGridForm(), Panel3).release();
  // Beyond the stored form: several rows can be selected (Ctrl+A, Shift and Ctrl clicks) and the columns
  // sized by their title edges; the widths of the last run come back.
  TwGridOptions options = Mgr_grid->Options();
  options.Include(wgoMultiSelect);
  options.Include(wgoColSizing);
  Mgr_grid->SetOptions(options);
  // The titles of the data columns take clicks (they sort the list); the tick column's holds cb_m.
  for (int c = 1; c < Mgr_grid->ColumnCount(); ++c) Mgr_grid->Column(c)->Title().SetClicking(true);
  widthsLoaded_ = LoadColumnWidths();
  // The row menu: a right click reaches the viewport, the Menu key the grid (which has the focus).
  Mgr_grid->installEventFilter(this);
}

void TForm1::ConnectHandlers() {
  const auto click = [this](QPushButton* b, void (TForm1::*h)(QObject*)) {
    connect(b, &QPushButton::clicked, this, [this, b, h] { vek::Guarded(this, [&] { (this->*h)(b); }); });
  };
  click(BitBtn1, &TForm1::BitBtn1Click);
  click(BitBtn2, &TForm1::BitBtn2Click);
  click(BitBtn5, &TForm1::BitBtn5Click);
  click(BtnDrives, &TForm1::BtnDrivesClick);
  // The list's actions hand the focus back to the list, so that the next Space ticks a row.
  const auto listAction = [this](QPushButton* b, void (TForm1::*h)(QObject*)) {
    connect(b, &QPushButton::clicked, this, [this, b, h] {
      vek::Guarded(this, [&] { (this->*h)(b); });
      if (Mgr_grid->isVisible()) Mgr_grid->setFocus(Qt::OtherFocusReason);
    });
  };
  listAction(BitBtn4, &TForm1::BitBtn4Click);
  listAction(BitBtn6, &TForm1::BitBtn6Click);
  listAction(BitBtn7, &TForm1::BitBtn7Click);
  // Both radio buttons run RB1Click once their choice changed.
  for (QRadioButton* rb : {RB1, RB2}) {
    connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
      if (on) vek::Guarded(this, [&] { RB1Click(rb); });
    });
  }
  // Enter in the file field loads that file, as "재조회" does.
  connect(p_file, &QLineEdit::returnPressed, this,
          [this] { vek::Guarded(this, [&] { BitBtn5Click(p_file); }); });
  // So does Enter in an exclusion word field; a filter changed since the load is hinted in the status bar.
  for (QLineEdit* e : ExcludeEdits()) {
    connect(e, &QLineEdit::returnPressed, this, [this, e] { vek::Guarded(this, [&] { BitBtn5Click(e); }); });
    connect(e, &QLineEdit::textChanged, this, [this] { UpdateFilterHint(); });
  }
  for (QCheckBox* box : {cb1, cb3, cb4})
    connect(box, &QCheckBox::toggled, this, [this] { UpdateFilterHint(); });
  connect(cb_m, &QCheckBox::clicked, this, [this] { vek::Guarded(this, [&] { cb_mClick(cb_m); }); });
  // The preview pane: its button, the row it follows, the overlays kept over the list as the splitter moves,
  // and the count it found for the tooltip of "수량"; exceptions are greyed.
  connect(BtnPreview, &QPushButton::clicked, this,
          [this](bool on) { vek::Guarded(this, [&] { SetPreviewVisible(on); }); });
  // F9 at once and without taking the focus from the list (a button's own shortcut would).
  connect(new QShortcut(QKeySequence(Qt::Key_F9), this), &QShortcut::activated, this,
          [this] { vek::Guarded(this, [&] { SetPreviewVisible(Preview->isHidden()); }); });
  connect(ListSplitter, &QSplitter::splitterMoved, this, [this] { PlaceOverlays(); });
  Mgr_grid->OnRowChange = [this](QObject*) { vek::Guarded(this, [&] { FollowCurrentRow(); }); };
  Preview->OnCounted = [this](const std::string& path, int now) { RecheckCounts[path] = now; };
  Mgr_grid->OnDrawRow = [this](QObject*, int ARow, TColor& BCol, TColor& FCol, TFontStyles&) {
    if (!exceptions_.Empty() && IsExceptionRow(ARow)) {
      BCol = clBtnFace;
      FCol = clGrayText;
    }
  };
  // Space ticks, Ctrl+A selects every row, Ctrl+C copies; the right button opens the row menu.
  Mgr_grid->OnKeyPress = [this](QObject*, char32_t& Key) {
    if (Key != U' ') return;
    Key = 0;
    vek::Guarded(this, [&] { ToggleTicksByKey(); });
  };
  Mgr_grid->OnKeyDown = [this](QObject*, int& Key, plat::ui::TShiftState Shift) {
    if (Key == plat::ui::VK_F1 + 9 && Shift.Contains(plat::ui::ssShift) &&
        !Shift.Contains(plat::ui::ssCtrl) && !Shift.Contains(plat::ui::ssAlt)) {
      Key = 0;  // Shift+F10: the row menu
      vek::Guarded(this, [&] { ShowRowMenuByKey(); });
      return;
    }
    if (!Shift.Contains(plat::ui::ssCtrl) || Shift.Contains(plat::ui::ssAlt)) return;
    if (Key == 'A') {
      Key = 0;
      vek::Guarded(this, [&] { SelectAllRows(); });
    } else if (Key == 'C') {
      Key = 0;
      vek::Guarded(this, [&] { CopyRows(); });
    }
  };
  Mgr_grid->OnColumnTitleClick = [this](QObject*, TwColumn* column) {
    vek::Guarded(this, [&] { SortByColumn(column ? column->Index() : -1); });
  };
  // The grid's click ticks the row in column "C"; its double click opens the file.
  Mgr_grid->OnClick = [this](QObject* s) { vek::Guarded(this, [&] { Mgr_gridClick(s); }); };
  // A double click opens the file only when it landed on a row: a quick second click on a title (sorting
  // twice) or on the indicator column opens nothing.
  Mgr_grid->OnDblClick = [this](QObject* s) {
    const TwGridHit& hit = Mgr_grid->Input().LastClickHit();
    if (hit.Region != TwGridRegion::Data || hit.Row != Mgr_grid->Row()) return;
    vek::Guarded(this, [&] { Mgr_gridDblClick(s); });
  };
}

void TForm1::PlaceOverlays() {
  const QRect g(Mgr_grid->mapTo(Panel3, QPoint(0, 0)), Mgr_grid->size());
  // Centred in the title cell of column 0, as the grid lays it out.
  const QSize box = cb_m->sizeHint();
  if (Mgr_grid->Model().Columns().VisibleCount() > 0) {
    const TRect title = Mgr_grid->Model().Extents().HeaderCellRect(0);
    const QPoint at = Mgr_grid->viewport()->mapTo(Panel3, QPoint(title.Left, title.Top));
    cb_m->setGeometry(at.x() + std::max(0, (title.Width() - box.width()) / 2),
                      at.y() + std::max(0, (title.Height() - box.height()) / 2), box.width(), box.height());
  }
  msg->move(g.x() + (g.width() - msg->width()) / 2, g.y() + (g.height() - msg->height()) / 2);
  EmptyHint->move(g.x() + (g.width() - EmptyHint->width()) / 2,
                  g.y() + (g.height() - EmptyHint->height()) / 2);
  Memo1->move(Panel3->width() - Memo1->width() - 8, 8);
}

void TForm1::CentreOnScreen() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect avail = screen->availableGeometry();
  QRect frame = frameGeometry();
  frame.moveCenter(avail.center());
  move(frame.topLeft());
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
  // The memo is filled with the batch text when it shows: a hidden memo of a hundred thousand lines
  // would cost the move a noticeable pause for nothing.
  if (watched == Memo1 && e->type() == QEvent::Show && memoPending_) {
    memoPending_ = false;
    Memo1->setPlainText(QString::fromStdString(memoText_));
  }
  if (watched == Panel3 && (e->type() == QEvent::Resize || e->type() == QEvent::LayoutRequest)) {
    PlaceOverlays();
    if (e->type() == QEvent::Resize) FollowMaximised();
  }
  if ((watched == Mgr_grid->viewport() || watched == Mgr_grid) && e->type() == QEvent::ContextMenu) {
    // A right click arrives at the viewport at its point; the Menu key at the grid, for the current row.
    auto* menuEvent = static_cast<QContextMenuEvent*>(e);
    if (menuEvent->reason() == QContextMenuEvent::Mouse && watched != Mgr_grid->viewport()) return false;
    vek::Guarded(this, [&] {
      if (menuEvent->reason() == QContextMenuEvent::Mouse)
        ShowRowMenu(menuEvent->pos());
      else
        ShowRowMenuByKey();
    });
    return true;
  }
  if (watched == Mgr_grid->viewport() && e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    if (!ShowCellTip(help->pos(), help->globalPos())) {
      QToolTip::hideText();
      e->ignore();
    }
    return true;
  }
  if (watched == Mgr_grid->viewport() && e->type() == QEvent::Paint && !loading_ &&
      Mgr_grid->RowCount() != countedRows_)
    UpdateCountLine();
  // Rows sorted, removed or loaded repaint the list: the pane follows what the current row now holds.
  if (watched == Mgr_grid->viewport() && e->type() == QEvent::Paint && !loading_ && Preview->isVisible())
    FollowCurrentRow();
  if (watched == Mgr_grid && e->type() == QEvent::Resize) PlaceOverlays();  // the pane shown or hidden
  return QMainWindow::eventFilter(watched, e);
}

// --- handlers
// ------------------------------------------------------------------------------------------------

void TForm1::FormCreate(QObject*) {
  setAcceptDrops(true);
  context_.ProgramDir = plat::os::ExeDir();
}

void TForm1::FormShow(QObject*) {
  RB1Click(this);
}

void TForm1::RB1Click(QObject*) {
  context_.BackupDir = RB1->isChecked() ? vek::AppContext::kBackupDirC : vek::AppContext::kBackupDirD;
  plat::os::CreateDir(plat::os::ResolvePath(context_.BackupDir));  // one level; failures ignored
  BitBtn4->setText(Q("\"" + context_.BackupDir + "\"로 이동"));
}

void TForm1::FormCloseQuery(QObject*, bool& CanClose) {
  plat::os::DeleteFile(plat::os::ResolvePath("c:\\batchdel.bat"));
  plat::os::DeleteFile(plat::os::ResolvePath("c:\\crdir.bat"));
  CanClose = true;
}

std::string TForm1::IniFileName() const {
  return plat::os::ResolvePath(context_.ProgramDir + "\\" + kIniName);
}

void TForm1::IniWrite(const std::string& Section, const std::string& Ident, const std::string& Value) {
  plat::os::IniFile ini(IniFileName());
  ini.WriteString(Section, Ident, Value);
}

std::string TForm1::IniRead(const std::string& Section, const std::string& Ident,
                            const std::string& Default) {
  const plat::os::IniFile ini(IniFileName());
  return ini.ReadString(Section, Ident, Default);
}

void TForm1::WMDropFiles(const std::vector<std::string>& DroppedFiles) {
  if (DroppedFiles.empty()) return;
  p_file->setText(Q(plat::text::Utf8Cut(DroppedFiles.front(), kDropNameMax)));
  // The settings file is CP949: a folder it cannot hold is not written (a replaced character would name
  // another folder), the file is loaded all the same and the user is told afterwards.
  const std::string dir = plat::os::ExtractFilePath(S(p_file->text()));
  const bool storable = plat::text::IsValidUtf8(dir) && plat::text::TryUtf8ToCp949(dir).has_value();
  if (storable) IniWrite("FileUpLoad", "Dir", dir);
  ReadAndInsert();
  if (!storable)
    plat::ui::CurrentDialogs().MessageBox(
        this,
        "폴더 이름에 설정 파일(" + std::string(kIniName) +
            ")의 문자 집합(CP949)으로 쓸 수 없는 문자가 있어 폴더를 기록하지 않았습니다.\n" + dir,
        plat::ui::ApplicationTitle(), plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
}

void TForm1::BitBtn1Click(QObject*) {
  const std::string address = DownloadAddress();
  if (!plat::os::OpenWithDefaultProgram(address))
    plat::ui::CurrentDialogs().MessageBox(
        this, "웹 브라우저를 열지 못했습니다. 아래 주소를 브라우저에 직접 입력하십시오.\n" + address,
        plat::ui::ApplicationTitle(), plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
}

void TForm1::BitBtn2Click(QObject*) {
  o_dialog.FilterLabel = "CSV파일(*.csv)";
  o_dialog.FilterPattern = "*.csv";
  const std::optional<std::string> chosen = plat::ui::CurrentDialogs().OpenFile(this, o_dialog);
  if (!chosen) return;
  // The dialog opens in the chosen file's folder next time.
  o_dialog.InitialDir = plat::os::ExtractFilePath(*chosen);
  fileChosen_ = true;
  p_file->setText(Q(*chosen));
  ReadAndInsert();
}

void TForm1::BitBtn5Click(QObject*) {
  if (p_file->text().isEmpty()) {
    plat::ui::CurrentDialogs().ShowMessage(this, "화일이 선택되지 않았습니다.");
    return;
  }
  ReadAndInsert();
}

vek::ScanFilterSettings TForm1::FilterSettings() const {
  vek::ScanFilterSettings f;
  f.Keywords = cb1->isChecked();
  f.AtLeast10 = cb3->isChecked();
  f.AtLeast100 = cb4->isChecked();
  const auto edits = ExcludeEdits();
  for (std::size_t i = 0; i < edits.size(); ++i) f.Exclude[i] = S(edits[i]->text());
  return f;
}

void TForm1::ReadAndInsert() {
  ShowWait();
  // The wait notice goes away however the load ends, so that a failed load leaves the list usable.
  struct Hide {
    TForm1* form;
    ~Hide() { form->HideWait(); }
  } hide{this};
  Mgr_grid->ClearRows();
  // The new rows come in the file's order: no title shows a sort arrow until the user sorts again.
  for (int c = 0; c < Mgr_grid->ColumnCount(); ++c) Mgr_grid->Column(c)->Title().SetSortMark(wsmNone);
  sortColumn_ = -1;
  sortDescending_ = false;
  ticked_ = 0;
  LastLoad = {};
  // The exceptions as they stand now (one look per remembered file), and no count of the earlier list.
  exceptions_.Load();
  RecheckCounts.clear();
  loadedFilter_ = FilterSettings();
  UpdateFilterHint();
  WriteCountLine(0);
  const std::string path = plat::os::ResolvePath(S(p_file->text()));
  LineBuffer = plat::os::ReadFileBytes(path);
  vek::TGridLoad load(*Mgr_grid, LineBuffer, FilterSettings(), context_.ItemFields);
  bool closed = false;
  {
    // Scroll range and repaint once at the end (and at each progress report), not once per row.
    Mgr_grid->BeginUpdate();
    struct End {
      TMemGrid* g;
      ~End() { g->EndUpdate(true); }
    } end{Mgr_grid};
    vek::TLoadInterrupt interrupt(this, msgCancel);
    loading_ = true;
    paintedRows_ = 0;
    struct Loading {
      bool& on;
      ~Loading() { on = false; }
    } loading{loading_};
    const std::int64_t start = plat::os::TickCount();
    std::int64_t reported = start;
    while (load.Step(kLoadSliceLines)) {
      const std::int64_t now = plat::os::TickCount();
      if (now - start < kProgressAfterMs || now - reported < kProgressEveryMs) continue;
      reported = now;
      ShowLoadProgress(load.Counts());
      if (interrupt.Requested()) {
        load.CutShort();
        break;
      }
    }
    closed = interrupt.WindowClosed();
  }
  LastLoad = load.Counts();
  WriteCountLine(0);  // a loaded row is never ticked
  HideWait();
  FitIndicatorWidth();
  std::string notice = vek::LoadNoticeText(LastLoad);
  if (!closed && !LastLoad.CutShort) {
    // A list missing whole drives, or every file, is most often a drive map that points elsewhere.
    if (const std::string drives = DriveNoticeText(); !drives.empty())
      notice = notice.empty() ? drives : drives + "\n\n" + notice;
  }
  if (!notice.empty() && !closed) plat::ui::CurrentDialogs().ShowMessage(this, notice);
}

void TForm1::ShowLoadProgress(const vek::TLoadCounts& counts) {
  msg->setText(Q(std::string(kWaitText) + "\n" + vek::ProgressText(counts)));
  msgCancel->show();
  // The rows so far become visible: the lock is let go for a moment, which sets the scroll range, and the
  // grid repaints as long as new rows can still appear in view.
  const bool newRowsInView = paintedRows_ <= Mgr_grid->TopRow() + Mgr_grid->VisibleRowCount();
  Mgr_grid->EndUpdate(newRowsInView);
  Mgr_grid->BeginUpdate();
  paintedRows_ = counts.Listed;
  LastLoad = counts;
  WriteCountLine(0);  // no row can be ticked while the load runs
  if (OnLoadProgress) OnLoadProgress(counts);
  QCoreApplication::processEvents();
}

void TForm1::UpdateCountLine() {
  WriteCountLine(ticked_);
}

void TForm1::WriteCountLine(int ticked) {
  countedRows_ = Mgr_grid->RowCount();
  CountLine->setText(Q(vek::CountLineText(countedRows_, ticked, LastLoad.Unreadable, LastLoad.CutShort)));
  UpdateEmptyHint();
}

void TForm1::UpdateEmptyHint() {
  const bool empty = Mgr_grid->RowCount() == 0 && !loading_;
  if (empty) {
    EmptyHint->setText(
        Q(loadedFilter_ ? "목록에 올릴 파일이 없습니다. 조건을 바꾸었으면 \"재조회\"를 누르십시오."
                        : "검사 결과 화일(CSV)을 이 창에 끌어다 놓거나 \"2.결과화일선택\"을 누르십시오."));
    EmptyHint->raise();
  }
  EmptyHint->setVisible(empty);
}

void TForm1::UpdateFilterHint() {
  bool changed = false;
  if (loadedFilter_) {
    const vek::ScanFilterSettings now = FilterSettings();
    changed = now.Keywords != loadedFilter_->Keywords || now.AtLeast10 != loadedFilter_->AtLeast10 ||
              now.AtLeast100 != loadedFilter_->AtLeast100 || now.Exclude != loadedFilter_->Exclude;
  }
  FilterHint->setVisible(changed);
}

void TForm1::FitIndicatorWidth() {
  // The row numbers are drawn in the indicator font with a line and a margin on each side.
  TwIndicators& ind = Mgr_grid->Model().Indicators();
  const TwFont& f = ind.Font();
  plat::paint::TFont font(f.Name, 0, f.Style);
  font.SetSize(f.Size);
  const std::string widest(std::to_string(std::max(1, Mgr_grid->RowCount())).size(), '8');
  const int needed = font.QtMetrics().horizontalAdvance(Q(widest)) + 8;
  const int width = std::max(kIndicatorWidth, needed);
  if (ind.Width() == width) return;
  ind.SetWidth(width);
  PlaceOverlays();  // the tick-all box follows column 0's title cell
}

std::string TForm1::RowFolder(int r) {
  return Mgr_grid->Cells(kFolderColumn, r).AsString();
}

std::string TForm1::RowFileName(int r) {
  return Mgr_grid->Cells(kNameColumn, r).AsString();
}

void TForm1::SetTick(int r, bool on) {
  TwCells& tick = Mgr_grid->Cells(kTickColumn, r);
  if (tick.AsBoolean() == on) return;
  tick.SetAsBoolean(on);
  ticked_ += on ? 1 : -1;
}

void TForm1::RemoveListRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  Mgr_grid->BeginUpdate();
  const TwScopeExit end([this] { Mgr_grid->EndUpdate(true); });
  for (const int r : rows)
    if (r >= 0 && r < Mgr_grid->RowCount()) ticked_ -= Mgr_grid->Cells(kTickColumn, r).AsBoolean() ? 1 : 0;
  // One pass over the list however scattered the rows are (a move of every other row of a long list).
  Mgr_grid->DeleteRows(std::move(rows), false);
}

void TForm1::BitBtn7Click(QObject*) {
  if (Mgr_grid->RowCount() <= 0) return;
  if (Mgr_grid->SelectedCount() > 0) {
    // Several rows selected: all of them leave the list, and the row above the first of them becomes current.
    std::vector<int> rows;
    for (int r = 0; r < Mgr_grid->RowCount(); ++r)
      if (Mgr_grid->Selected(r)) rows.push_back(r);
    RemoveListRows(rows);
    Mgr_grid->ClearSelection();
    Mgr_grid->SetRow(rows.front() - 1);
    FitIndicatorWidth();
    UpdateCountLine();
    return;
  }
  const int r = Mgr_grid->Row();
  RemoveListRows({r});
  Mgr_grid->SetRow(r - 1);
  FitIndicatorWidth();
  UpdateCountLine();
}

void TForm1::cb_mClick(QObject*) {
  const bool on = cb_m->isChecked();
  Mgr_grid->BeginUpdate();
  const TwScopeExit end([this] { Mgr_grid->EndUpdate(true); });
  // Ticking all passes over the files marked as not personal information (a click still ticks one).
  const bool skip = on && !exceptions_.Empty();
  for (int r = 0; r < Mgr_grid->RowCount(); ++r)
    if (!skip || !IsExceptionRow(r)) SetTick(r, on);
  UpdateCountLine();
}

void TForm1::Mgr_gridClick(QObject*) {
  if (Mgr_grid->RowCount() <= 0 || Mgr_grid->Col() != kTickColumn) return;
  // A mouse click toggles only when it landed on the tick cell of the current row: not on a title, on the
  // indicator column, on a sizing edge, below the rows, or on another column while column 0 stays current.
  if (Mgr_grid->Input().ReportingClick()) {
    const TwGridHit& hit = Mgr_grid->Input().LastClickHit();
    if (hit.Region != TwGridRegion::Data || hit.Started != wgsNone || hit.Column != kTickColumn ||
        hit.Row != Mgr_grid->Row())
      return;
  }
  const int r = Mgr_grid->Row();
  SetTick(r, !Mgr_grid->Cells(kTickColumn, r).AsBoolean());
  UpdateCountLine();
}

void TForm1::Mgr_gridDblClick(QObject*) {
  if (Mgr_grid->RowCount() <= 0) return;
  const int r = Mgr_grid->Row();
  const std::string path = RowFolder(r) + "\\" + RowFileName(r);
  const std::string host = plat::os::ResolvePath(path);
  std::string problem;
  if (host.empty() || !plat::os::FileExists(host))
    problem = "파일이 없습니다. 옮겨졌거나 지워졌을 수 있습니다.";
  else if (!plat::os::OpenWithDefaultProgram(host))
    problem = "이 파일을 열 프로그램을 찾지 못했습니다.";
  if (!problem.empty())
    plat::ui::CurrentDialogs().MessageBox(this, problem + "\n" + vek::DisplayPath(path),
                                          plat::ui::ApplicationTitle(),
                                          plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
}

void TForm1::ShowMsg(const std::string& Text) {
  plat::ui::CurrentDialogs().MessageBox(this, Text, "파일받기", plat::ui::MB_OK | plat::ui::MB_ICONERROR);
}

bool TForm1::MsgBoxQuestion(const std::string& Text, bool DefaultNo) {
  const int flags =
      plat::ui::MB_YESNO | plat::ui::MB_ICONQUESTION | (DefaultNo ? plat::ui::MB_DEFBUTTON2 : 0);
  return plat::ui::CurrentDialogs().MessageBox(this, Text, plat::ui::ApplicationTitle(), flags) ==
         plat::ui::IDYES;
}

void TForm1::ShowWait() {
  msg->setVisible(true);
  msg->raise();
  QCoreApplication::processEvents();
}

void TForm1::HideWait() {
  msg->setVisible(false);
  msg->setText(Q(kWaitText));
  msgCancel->hide();
}

// --- events
// ---------------------------------------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (e->spontaneous()) return;  // a window brought back by the desktop is not shown anew
  if (!centred_) {
    centred_ = true;
    CentreOnScreen();
  }
  if (!widthsLoaded_) {
    widthsLoaded_ = true;
    FitFolderColumn();
  }
  PlaceOverlays();
  vek::Guarded(this, [&] { FormShow(this); });
}

void TForm1::closeEvent(QCloseEvent* e) {
  if (batchRunning_) {
    // Files are being moved or deleted: the window stays until the run ends or is cancelled.
    e->ignore();
    return;
  }
  bool canClose = true;
  vek::Guarded(this, [&] { FormCloseQuery(this, canClose); });
  if (canClose) vek::Guarded(this, [&] { SaveColumnWidths(); });
  if (canClose) vek::Guarded(this, [&] { SavePreviewSettings(); });
  if (canClose)
    e->accept();
  else
    e->ignore();
}

namespace {

// The local files of a drag, in drop order.
std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files.push_back(S(url.toLocalFile()));
  return files;
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* e) {
  if (!LocalFiles(e->mimeData()).empty()) e->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* e) {
  if (!LocalFiles(e->mimeData()).empty()) e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e) {
  const std::vector<std::string> files = LocalFiles(e->mimeData());
  if (files.empty()) return;
  e->acceptProposedAction();
  vek::Guarded(this, [&] { WMDropFiles(files); });
}
