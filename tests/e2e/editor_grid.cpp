// A small editing grid in a real window, for the end-to-end editor test: a pick-list column "P" (values A,
// B, C described by Apple;red, Banana;yellow, Cherry;red), a check column "K" (Booleans) and a pick-list
// column "H" of Korean values (가방, 한복, 한글), three rows.
//
// Output, one line each, flushed at once:
//   cell COL ROW X Y W H     the inside of every cell in window coordinates (at start)
//   button X Y               the centre of the drop button when the editor is over cell (0, 0)
//   ready                    after the lines above
//   state editor=E dropped=D row=R       whenever one of them changes (R: the list's chosen row, -1 none)
//   values P0=.. P1=.. P2=.. K0=.. K1=.. K2=.. H0=.. H1=.. H2=..   whenever a stored value changes (null
//                                                                  for an empty cell)
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>

#include "grid/editors/pick_list.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_session.h"

namespace {

std::string CellText(TMemGrid& grid, int col, int row) {
  TwCells& c = grid.Cells(col, row);
  if (c.IsNull()) return "null";
  return col == 1 ? (c.AsBoolean() ? "true" : "false") : c.AsString();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("editor grid test");
  window.setGeometry(0, 0, 520, 200);
  auto* grid = new TMemGrid(&window);
  grid->setGeometry(0, 0, 520, 200);
  TwMemColumn* pick = grid->AddColumn();
  pick->SetDataType(wdtString);
  pick->Title().SetCaption("P");
  pick->SetValues({"A", "B", "C"});
  pick->SetItems({"Apple;red", "Banana;yellow", "Cherry;red"});
  pick->SetColWidth(160);
  TwMemColumn* check = grid->AddColumn();
  check->SetDataType(wdtBool);
  check->Title().SetCaption("K");
  check->SetColWidth(60);
  TwMemColumn* korean = grid->AddColumn();
  korean->SetDataType(wdtString);
  korean->Title().SetCaption("H");
  korean->SetValues({"가방", "한복", "한글"});
  korean->SetColWidth(120);
  grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
  for (int r = 0; r < 3; ++r) grid->AppendRow(false, false, false);
  window.show();
  window.raise();
  window.activateWindow();
  grid->setFocus();
  QApplication::processEvents();

  const QPoint origin = grid->viewport()->mapTo(&window, QPoint(0, 0));
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) {
      const auto rect = grid->Model().Extents().CellInnerRect(grid->Column(c)->VisibleIndex(), r);
      std::printf("cell %d %d %d %d %d %d\n", c, r, rect.Left + origin.x(), rect.Top + origin.y(),
                  rect.Width(), rect.Height());
    }
  const auto first = grid->Model().Extents().CellInnerRect(0, 0);
  std::printf("button %d %d\n", first.Right - ButtonWidth() / 2 + origin.x(),
              (first.Top + first.Bottom) / 2 + origin.y());
  std::printf("ready\n");
  std::fflush(stdout);

  std::string lastState, lastValues;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* list = dynamic_cast<TwInPickList*>(grid->Editing().InplaceEditor());
    const bool dropped = list && list->DroppedDown();
    const std::string state = "state editor=" + std::to_string(int(grid->EditorShowing())) +
                              " dropped=" + std::to_string(int(dropped)) +
                              " row=" + std::to_string(dropped ? list->DropList()->ItemIndex() : -1);
    std::string values = "values";
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r)
        values += " " + std::string(1, "PKH"[c]) + std::to_string(r) + "=" + CellText(*grid, c, r);
    if (state != lastState) std::printf("%s\n", state.c_str());
    if (values != lastValues) std::printf("%s\n", values.c_str());
    lastState = state;
    lastValues = values;
    std::fflush(stdout);
  });
  poll.start(50);
  return app.exec();
}
