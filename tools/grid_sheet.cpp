// grid_sheet OUT.png: memory grids drawn as a program shows them, one panel under the other, for a person to
// look at and for comparing two builds pixel by pixel.
//   1. a column of every edit kind a memory grid resolves, three rows (one of them empty), without edit
//   buttons;
//   2. the same with the columns' edit buttons;
//   3. banded groups with two levels, group titles, a frozen first band and two footer rows (a sum and a
//      conditional count);
//   4. one panel per in-place editor kind, opened over the first row's cell of its column.
// Run it on the offscreen platform (QT_QPA_PLATFORM=offscreen): the caret does not blink, nothing is timed.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "grid/memory/mem_grid.h"
#include "platform/format/format.h"
#include "platform/variant/variant.h"

namespace {

constexpr int kWidth = 1180, kHeight = 120, kGap = 6;

QImage MakePicture() {
  QImage img(16, 16, QImage::Format_RGB32);
  img.fill(qRgb(255, 255, 255));
  for (int y = 3; y < 13; ++y)
    for (int x = 3; x < 13; ++x) img.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 128) : qRgb(255, 255, 0));
  return img;
}

// The grid's description: held by the grid (Model()) or, in builds where the grid is its own description,
// the grid itself; the sheet draws the same with either.
template <class G>
decltype(auto) Desc(G* g) {
  if constexpr (requires { g->Model(); })
    return (g->Model());
  else
    return (*g);
}

struct KindColumn {
  const char* title;
  TwDataType type;
  TwEditStyle style;
  int width;
};

// The columns of panels 1, 2 and 4, in this order.
const std::vector<KindColumn>& KindColumns() {
  static const std::vector<KindColumn> columns = {
      {"문자", wdtString, wesText, 90},       {"여러 줄", wdtString, wesMultiText, 90},
      {"메모", wdtString, wesMemo, 70},       {"확인", wdtBool, wesDefault, 60},
      {"예/아니오", wdtBool, wesBoolean, 60}, {"선택", wdtString, wesRadioGroup, 130},
      {"숫자", wdtFloat, wesNumber, 90},      {"증감", wdtLong, wesSpinEdit, 70},
      {"날짜", wdtDate, wesDate, 100},        {"시각", wdtTime, wesTime, 80},
      {"목록", wdtString, wesPickList, 90},   {"그림", wdtGraphic, wesDefault, 50}};
  return columns;
}

class Sheet {
 public:
  explicit Sheet(const QImage& picture) : picture_(picture) {}

  // A window holding one grid; kept alive until the sheet is drawn.
  TMemGrid* NewGrid(int height = kHeight) {
    windows_.push_back(std::make_unique<QWidget>());
    QWidget* w = windows_.back().get();
    w->resize(kWidth, height);
    auto* g = new TMemGrid(w);
    g->setGeometry(0, 0, kWidth, height);
    g->OnGetImage = [this](TwMemColumn*, int row, QImage& image) {
      if (row != 1) image = picture_;
    };
    return g;
  }

  void KindGrid(TMemGrid* g, bool buttons) {
    for (const KindColumn& k : KindColumns()) {
      TwMemColumn* c = g->AddColumn();
      c->SetDataType(k.type);
      c->SetEditStyle(k.style);
      c->Title().SetCaption(k.title);
      c->SetColWidth(k.width);
      c->SetEditButton(buttons);
      if (k.style == wesRadioGroup) {
        c->SetValues({"가", "나", "다"});
        c->SetRadioColumns(3);
      }
      if (k.style == wesPickList) {
        c->SetValues({"A", "B"});
        c->SetItems({"사과", "배"});
      }
    }
    g->SetOptions(TwGridOptions(g->Options()).Include(wgoEditing).Include(wgoNullMark));
    for (int r = 0; r < 3; ++r) g->AppendRow(false, false, false);
    // Row 1 stays empty (null everywhere).
    for (int r : {0, 2}) {
      const bool first = r == 0;
      g->Cells(0, r).SetAsString(first ? "개인정보 목록" : "ABC");
      g->Cells(1, r).SetAsString(first ? "첫 줄\n둘째 줄" : "한 줄");
      g->Cells(2, r).SetAsString("메모 내용");
      g->Cells(3, r).SetAsBoolean(first);
      g->Cells(4, r).SetAsBoolean(!first);
      g->Cells(5, r).SetAsString(first ? "나" : "다");
      g->Cells(6, r).SetAsVariant(plat::Variant(double(first ? 1234567.5 : -42)));
      g->Cells(7, r).SetAsVariant(plat::Variant(std::int32_t(first ? 7 : 300)));
      g->Cells(8, r).SetAsVariant(plat::Variant(double(first ? 45000.0 : 45300.0)));
      g->Cells(9, r).SetAsVariant(plat::Variant(double(first ? 0.5 : 0.75)));
      g->Cells(10, r).SetAsString(first ? "A" : "B");
    }
    g->SetRow(2);
  }

  void GroupGrid(TMemGrid* g) {
    const char* titles[] = {"이름", "번호", "부서", "수량", "금액"};
    for (int i = 0; i < 5; ++i) {
      TwMemColumn* c = g->AddColumn();
      c->SetDataType(i >= 3 ? wdtLong : wdtString);
      c->Title().SetCaption(titles[i]);
      c->SetColWidth(120);
    }
    TwGroup* first = Desc(g).Groups().Add();
    first->Title().SetCaption("사람");
    first->SetLevels(2);
    first->SetLevelWeight(0, 2);
    first->SetLevelWeight(1, 1);
    first->SetWidth(180);
    TwGroup* second = Desc(g).Groups().Add();
    second->Title().SetCaption("소속");
    second->SetWidth(120);
    TwGroup* third = Desc(g).Groups().Add();
    third->Title().SetCaption("합계");
    third->SetWidth(220);
    g->Column(0)->SetPosition(TwCellPos{0, 0, 0});
    g->Column(1)->SetPosition(TwCellPos{0, 1, 0});
    g->Column(2)->SetPosition(TwCellPos{1, 0, 0});
    g->Column(3)->SetPosition(TwCellPos{2, 0, 0});
    g->Column(4)->SetPosition(TwCellPos{2, 0, 1});
    Desc(g).SetGroupMode(true);
    Desc(g).SetColFixedCount(1);
    Desc(g).Footers().Add();
    Desc(g).Footers().Add();
    using Style = TwMemColumnFooter;
    g->Column(3)->Footer().SetStyle(0, Style::MakeStyle(wfkSum, Style::kThisColumn, wfoAll, ""));
    g->Column(4)->Footer().SetStyle(0, Style::MakeStyle(wfkSum, Style::kThisColumn, wfoAll, ""));
    g->Column(4)->Footer().SetStyle(1, Style::MakeStyle(wfkCnt, 2, wfoEqual, "영업"));
    const char* names[] = {"김민준", "이서연", "박지후", "최하윤"};
    const char* units[] = {"영업", "개발", "영업", "총무"};
    for (int r = 0; r < 4; ++r) {
      g->AppendRow(false, false, false);
      g->Cells(0, r).SetAsString(names[r]);
      g->Cells(1, r).SetAsString(std::string(1, '0').append(std::to_string(r + 1)));
      g->Cells(2, r).SetAsString(units[r]);
      g->Cells(3, r).SetAsVariant(plat::Variant(std::int32_t(r + 2)));
      g->Cells(4, r).SetAsVariant(plat::Variant(std::int32_t(1000 * (r + 1))));
    }
    g->CalcFooters();
    g->SetRow(1);
  }

  // Shows the window, gives its grid the focus and lets it settle; then grabs it.
  QImage Grab(TMemGrid* g, int col = -1) {
    QWidget* w = g->parentWidget();
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    g->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    if (col >= 0) {
      g->SetColRow(col, 0);
      g->ShowEditor();
      QApplication::processEvents();
    }
    QImage shot = w->grab().toImage();
    w->hide();
    return shot;
  }

 private:
  QImage picture_;
  std::vector<std::unique_ptr<QWidget>> windows_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: grid_sheet OUT.png\n");
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setCursorFlashTime(0);
  plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
  Sheet sheet(MakePicture());
  std::vector<QImage> panels;
  for (bool buttons : {false, true}) {
    TMemGrid* g = sheet.NewGrid();
    sheet.KindGrid(g, buttons);
    panels.push_back(sheet.Grab(g));
  }
  TMemGrid* groups = sheet.NewGrid(300);
  sheet.GroupGrid(groups);
  panels.push_back(sheet.Grab(groups));
  for (int col = 0; col < int(KindColumns().size()); ++col) {
    const TwEditStyle style = KindColumns()[std::size_t(col)].style;
    if (style == wesMemo || KindColumns()[std::size_t(col)].type == wdtGraphic) continue;  // modal dialogs
    TMemGrid* g = sheet.NewGrid();
    sheet.KindGrid(g, true);
    panels.push_back(sheet.Grab(g, col));
  }

  int height = 0;
  for (const QImage& p : panels) height += p.height() + kGap;
  QImage out(kWidth, height, QImage::Format_RGB32);
  out.fill(qRgb(96, 96, 96));
  QPainter painter(&out);
  int y = 0;
  for (const QImage& p : panels) {
    painter.drawImage(0, y, p);
    y += p.height() + kGap;
  }
  painter.end();
  if (!out.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "grid_sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
