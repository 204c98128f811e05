// 사용자 종류: a cell kind the program adds to one grid. A column named with SetCustomKind("진행률") is
// painted by a renderer registered in the grid's renderer registry (a bar as long as the number, 0 to 100)
// and edited by an editor registered in its editor registry (a slider laid over the cell). The grid knows
// neither class: it finds them by the column's kind name.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <algorithm>
#include <memory>

#include "gallery_page.h"
#include "grid/structure/extents.h"
#include "grid/view/cell_renderer.h"
#include "grid/view/edit_session.h"
#include "grid/view/inplace_editor.h"
#include "platform/paint/canvas.h"

namespace {

constexpr const char* kKind = "진행률";
constexpr TColor kBarColor = 0x3CA050;  // BGR: a green

double ShareOf(const plat::Variant& v) {
  return v.IsNull() ? 0.0 : std::clamp(v.ToDouble(), 0.0, 100.0);
}

// The cell's background and lines, a bar from the left as long as the number, and the number in the middle.
// [renderer]
class ProgressRenderer : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    DrawEmptyCell(p.Canvas, p.Rect, p.Draw, p.Buttons);
    const double share = ShareOf(p.Grid.GetEditValue(p.Cell.Column, p.Cell.Row));
    const int width = int((p.Rect.Width() - 6) * share / 100);
    p.Canvas.FillRect(TRect{p.Rect.Left + 3, p.Rect.Top + 4, p.Rect.Left + 3 + width, p.Rect.Bottom - 4},
                      kBarColor);
    TRect text = p.Rect;
    const bool transparent = p.Canvas.TransparentText;
    p.Canvas.TransparentText = true;
    p.Canvas.DrawText(Join({std::to_string(int(share)), "%"}), text,
                      plat::paint::DT_CENTER | plat::paint::DT_VCENTER | plat::paint::DT_SINGLELINE);
    p.Canvas.TransparentText = transparent;
  }
};
// [renderer]

// A slider over the cell: Left and Right move it by 1, Home and End to the ends, the mouse where it is
// pressed or dragged. At an end the arrow leaves the cell as it does at the end of a text; Up and Down
// leave the cell, Enter stores the value and Esc puts the old one back. Before its value changes the
// slider asks the column (CanModify), which starts the row's edit, or refuses on a read-only column.
class SliderEditor : public QSlider, public TwInplaceEditor {
 public:
  explicit SliderEditor(TwEditorHost& host)
      : QSlider(Qt::Horizontal, host.EditorParent()), TwInplaceEditor(host) {
    setRange(0, 100);
    setAutoFillBackground(true);
    hide();
  }

  QWidget* Control() override { return this; }
  void ShowAt(const plat::paint::TRect& Loc, bool Redraw) override {
    if (Loc.IsEmpty()) return HideEditor();
    PlaceControl(Loc, Redraw);
  }
  void HideEditor() override { HideControl(); }
  plat::Variant GetValue() override { return plat::Variant(std::int32_t(value())); }
  void SetValue(const plat::Variant& v) override { setValue(int(ShareOf(v))); }
  // The click that opened the editor puts the handle where it landed.
  void ClickAt(int X, int Y) override {
    if (!CanChange()) return;
    const int x = X - geometry().left();
    setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), x, width()));
  }
  bool CanChange() override { return Column() && Column()->CanModify(); }

  TwEditorCaret Caret() const override {
    TwEditorCaret at;
    at.AtStart = at.AtLeftEdge = value() == minimum();
    at.AtEnd = at.AtRightEdge = value() == maximum();
    return at;
  }
  void KeyDefault(QKeyEvent* e) override {
    if (CanChange()) QSlider::keyPressEvent(e);
  }

 protected:
  // A press puts the handle under the mouse, so that it can be dragged from there.
  void mousePressEvent(QMouseEvent* e) override {
    if (!CanChange()) return;
    if (e->button() == Qt::LeftButton)
      setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), int(e->position().x()), width()));
    QSlider::mousePressEvent(e);
  }
};

class CustomKindPage : public GalleryPage {
 public:
  CustomKindPage()
      : GalleryPage("사용자 종류", "custom",
                    "\"진행률\" 열은 이 프로그램이 표에 등록한 종류입니다: 막대는 등록한 그리기 객체가, "
                    "편집은 등록한 슬라이더가 맡습니다. 진행률 칸에서 F2를 누르거나 칸을 한 번 더 누르면 "
                    "슬라이더가 열립니다. 좌우 화살표(1씩), Home·End로 옮기거나 마우스로 끌고, "
                    "Enter로 저장, Esc로 취소합니다.") {
    TMemGrid& g = *Grid();
    TwMemColumn* task = g.AddColumn();
    task->Title().SetCaption("작업");
    task->SetColWidth(220);
    TwMemColumn* progress = g.AddColumn();
    progress->Title().SetCaption("진행률");
    progress->SetDataType(wdtLong);
    progress->SetColWidth(260);
    // [register]
    progress->SetCustomKind(kKind);
    // The two registrations: how the kind looks, and what edits it.
    g.Painter().Renderers().Register(kKind, std::make_shared<ProgressRenderer>());
    g.Editing().Editors().Register(kKind,
                                   [](TwEditorHost& host) { return std::make_unique<SliderEditor>(host); });
    // [register]

    const struct {
      const char* task;
      int progress;
    } rows[] = {{"자료 수집", 100}, {"개인정보 검출", 65}, {"보안 점검", 30}, {"결과 보고", 0}};
    for (const auto& r : rows) {
      const int i = g.RowCount();
      g.AppendRow(false, false, false);
      g.Cells(0, i).SetAsString(r.task);
      g.Cells(1, i).SetAsVariant(plat::Variant(std::int32_t(r.progress)));
    }
    g.Model().SetRowHeight(28);
    g.SetOptions(TwGridOptions(g.Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
    g.SetColRow(1, 0);
  }

  // The progress cells: "cell ROW X Y WIDTH" (X, Y the cell's centre).
  std::vector<std::string> Spots(QWidget* window) override {
    std::vector<std::string> spots;
    for (int r = 0; r < Grid()->RowCount(); ++r) {
      const auto rect = Grid()->Model().Extents().CellRect(Grid()->Column(1)->VisibleIndex(), r);
      const std::string centre =
          Spot(window, Join({"cell ", std::to_string(r)}), rect.Left, rect.Top, rect.Right, rect.Bottom);
      spots.push_back(Join({centre, " ", std::to_string(rect.Width())}));
    }
    return spots;
  }

  std::string Values() override {
    TMemGrid& g = *Grid();
    std::string v = Join({"editor=", std::to_string(int(g.EditorMode()))});
    if (auto* slider = dynamic_cast<SliderEditor*>(g.Editing().InplaceEditor()); slider && g.EditorMode())
      v += Join({" slider=", std::to_string(slider->value())});
    for (int r = 0; r < g.RowCount(); ++r)
      v += Join({" 진행률", std::to_string(r), "=", g.Cells(1, r).AsString()});
    return v;
  }
};

}  // namespace

GalleryPage* MakeCustomKindPage() {
  return new CustomKindPage;
}
