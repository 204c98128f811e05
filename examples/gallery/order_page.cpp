// 주문서: an order form in group mode. Six banded groups of one or two levels (the levels' heights by
// weight), the first band frozen while the others scroll, two footer rows (sums, and a sum over the rows
// paid by card), and a column of every kind the memory grid edits.
#include <QImage>
#include <QPainter>
#include <map>

#include "gallery_page.h"

namespace {

// The columns, in collection order.
enum Col {
  kItem,      // 품목: text
  kNote,      // 비고: several lines
  kQuantity,  // 수량: spin
  kAmount,    // 금액: number with grouping
  kDate,      // 주문일: date
  kTime,      // 시각: time
  kPhone,     // 연락처: text with a mask
  kDelivery,  // 배송: pick list whose items show for stored codes
  kWrapped,   // 포장: check box
  kPaid,      // 결제완료: 예/아니오
  kPayment,   // 결제: radio group
  kMemo,      // 메모: memo dialog
  kPicture,   // 그림: picture dialog
};

struct ColumnSpec {
  const char* title;
  TwDataType type;
  TwEditStyle style;
  TwCellPos position;  // group, level, place in the level
};

const ColumnSpec kColumns[] = {
    {"품목", wdtString, wesText, {0, 0, 0}},       {"비고", wdtString, wesMultiText, {0, 1, 0}},
    {"수량", wdtLong, wesSpinEdit, {1, 0, 0}},     {"금액", wdtFloat, wesNumber, {1, 1, 0}},
    {"주문일", wdtDate, wesDate, {2, 0, 0}},       {"시각", wdtTime, wesTime, {2, 0, 1}},
    {"연락처", wdtString, wesText, {2, 1, 0}},     {"배송", wdtString, wesPickList, {3, 0, 0}},
    {"포장", wdtBool, wesCheckBox, {3, 0, 1}},     {"결제완료", wdtBool, wesBoolean, {3, 1, 0}},
    {"결제", wdtString, wesRadioGroup, {4, 0, 0}}, {"메모", wdtString, wesMemo, {5, 0, 0}},
    {"그림", wdtGraphic, wesDefault, {5, 1, 0}},
};

struct GroupSpec {
  const char* title;
  int levels;
  int width;
  int weight0, weight1;  // the heights of the levels, relative to each other
};

const GroupSpec kGroups[] = {
    {"품목", 2, 170, 1, 2}, {"수량과 금액", 2, 120, 1, 1}, {"주문", 2, 220, 1, 1},
    {"배송", 2, 170, 1, 1}, {"결제", 1, 190, 1, 1},        {"첨부", 2, 110, 1, 1},
};

QImage Stamp(QRgb colour) {
  QImage img(32, 32, QImage::Format_RGB32);
  img.fill(qRgb(255, 255, 255));
  QPainter p(&img);
  p.setBrush(QColor(colour));
  p.drawEllipse(4, 4, 24, 24);
  return img;
}

std::string Text(TMemGrid& g, int col, int row) {
  TwCells& c = g.Cells(col, row);
  return c.IsNull() ? "null" : c.AsString();
}

class OrderPage : public GalleryPage {
 public:
  OrderPage()
      : GalleryPage(
            "주문서", "order",
            "묶음(그룹) 여섯 개, 두 단 높이는 비율대로, 첫 묶음은 고정. 셀을 골라 바로 입력하거나 "
            "F2로 편집기를 엽니다. 수량은 위아래 화살표, 날짜와 시각은 칸별로, 배송은 목록, 포장·"
            "결제완료는 스페이스, 결제는 화살표로 고릅니다. 메모와 그림은 편집 단추로 대화상자를 엽니다. "
            "아래 합계 줄은 금액의 합과 카드로 결제한 금액의 합입니다. Insert로 행을 추가합니다.") {
    TMemGrid& g = *Grid();
    TwGridModel& m = g.Model();
    // [groups]
    for (const GroupSpec& s : kGroups) {
      TwGroup* group = m.Groups().Add();
      group->Title().SetCaption(s.title);
      group->SetLevels(s.levels);
      group->SetWidth(s.width);
      if (s.levels == 2) {
        // The group's weight is shared out among its levels; a level's weight takes from the others.
        group->SetWeight(s.weight0 + s.weight1);
        group->SetLevelWeight(1, s.weight1);
      }
    }
    for (const ColumnSpec& s : kColumns) {
      TwMemColumn* c = g.AddColumn();
      c->Title().SetCaption(s.title);
      c->SetDataType(s.type);
      c->SetEditStyle(s.style);
      c->SetPosition(s.position);
    }
    // [groups]
    g.Column(kAmount)->SetDisplayFormat("#,##0");
    g.Column(kAmount)->SetEditFormat("#,##0");
    g.Column(kQuantity)->SetMinValue("0");
    g.Column(kQuantity)->SetMaxValue("999");
    g.Column(kDate)->SetDisplayFormat("yyyy-mm-dd");
    g.Column(kTime)->SetDisplayFormat("hh:nn");
    g.Column(kTime)->SetEditFormat("hh:nn");
    g.Column(kPhone)->SetEditFormat("000-0000-0000;_");
    g.Column(kDelivery)->SetValues({"P", "Q", "D"});
    g.Column(kDelivery)->SetItems({"택배", "퀵서비스", "직접 수령"});
    g.Column(kPayment)->SetValues({"카드", "현금", "이체"});
    g.Column(kPayment)->SetRadioColumns(3);
    for (int c : {kMemo, kPicture}) g.Column(c)->SetEditButton(true);
    m.SetGroupMode(true);
    m.SetFixedCount(1);
    // The frozen band stays in place when the others scroll, and its cells may still be chosen and edited.
    m.FixedStyle().SetOptions({wfxSelecting, wfxEditing});
    m.Headers().SetHeight(60);
    m.SetRowHeight(66);

    // Footer row 0 sums the quantities and amounts and counts the items; row 1 sums what was paid by card.
    using Footer = TwMemColumnFooter;
    m.Footers().Add()->Title().SetCaption("합계");
    m.Footers().Add()->Title().SetCaption("카드");
    g.Column(kItem)->Footer().SetStyle(0, Footer::MakeStyle(wfkCnt, Footer::kThisColumn, wfoAll, ""));
    g.Column(kQuantity)->Footer().SetStyle(0, Footer::MakeStyle(wfkSum, Footer::kThisColumn, wfoAll, ""));
    g.Column(kAmount)->Footer().SetStyle(0, Footer::MakeStyle(wfkSum, Footer::kThisColumn, wfoAll, ""));
    g.Column(kAmount)->Footer().SetStyle(1, Footer::MakeStyle(wfkSum, kPayment, wfoEqual, "카드"));

    // The pictures live beside the grid, by row; the picture dialog hands a new one back.
    g.OnGetImage = [this](TwMemColumn*, int row, QImage& image) {
      const auto p = pictures_.find(row);
      if (p != pictures_.end()) image = p->second;
    };
    g.OnSetImage = [this](TwMemColumn*, int row, QImage& image) { pictures_[row] = image; };

    g.SetOptions(TwGridOptions(g.Options()).Include(wgoEditing).Include(wgoInserting).Exclude(wgoEnterToTab));
    Fill();
    g.SetCell(TwCellPos{0, 0, 0});
  }

  std::string Values() override {
    TMemGrid& g = *Grid();
    std::string v = Join({"rows=", std::to_string(g.RowCount())});
    for (int r = 0; r < g.RowCount(); ++r)
      for (int c : {kItem, kQuantity, kAmount, kPayment})
        v += Join({" ", kColumns[c].title, std::to_string(r), "=", Text(g, c, r)});
    v += Join({" 수량합계=", g.Column(kQuantity)->Footer().GetText(0), " 합계=",
               g.Column(kAmount)->Footer().GetText(0), " 카드=", g.Column(kAmount)->Footer().GetText(1)});
    return v;
  }

 private:
  void Fill() {
    TMemGrid& g = *Grid();
    struct Row {
      const char* item;
      const char* note;
      int quantity;
      double amount;
      double date, time;
      const char* phone;
      const char* delivery;
      bool wrapped, paid;
      const char* payment;
    };
    const Row rows[] = {
        {"보안 USB 32GB", "암호화 지원\n관리번호 각인", 10, 250000, 45292, 0.375, "010-1234-5678", "P", true,
         true, "카드"},
        {"문서 세단기", "교차 절단", 2, 380000, 45293, 0.5, "010-2345-6789", "D", false, false, "이체"},
        {"잠금 서랍", "", 4, 96000, 45295, 0.625, "010-4567-8901", "Q", false, true, "카드"},
        {"보안 필름 24형", "모니터용", 15, 450000, 45297, 0.4375, "010-3456-7890", "P", true, false, "현금"},
    };
    g.BeginUpdate();
    for (const Row& r : rows) {
      const int i = g.RowCount();
      g.AppendRow(false, false, false);
      g.Cells(kItem, i).SetAsString(r.item);
      if (*r.note) g.Cells(kNote, i).SetAsString(r.note);
      g.Cells(kQuantity, i).SetAsVariant(plat::Variant(r.quantity));
      g.Cells(kAmount, i).SetAsVariant(plat::Variant(r.amount));
      g.Cells(kDate, i).SetAsVariant(plat::Variant(r.date));
      g.Cells(kTime, i).SetAsVariant(plat::Variant(r.time));
      g.Cells(kPhone, i).SetAsString(r.phone);
      g.Cells(kDelivery, i).SetAsString(r.delivery);
      g.Cells(kWrapped, i).SetAsBoolean(r.wrapped);
      g.Cells(kPaid, i).SetAsBoolean(r.paid);
      g.Cells(kPayment, i).SetAsString(r.payment);
      g.Cells(kMemo, i).SetAsString(Join({"주문 ", std::to_string(i + 1), "번 메모"}));
    }
    g.EndUpdate();
    pictures_[0] = Stamp(qRgb(40, 110, 200));
    pictures_[2] = Stamp(qRgb(220, 120, 40));
    g.CalcFooters();
  }

  std::map<int, QImage> pictures_;
};

}  // namespace

GalleryPage* MakeOrderPage() {
  return new OrderPage;
}
