// A grid whose editor is always shown, in a real window, for the test of characters typed while the grid
// itself holds the focus (as a program that focuses its grid at start-up does): one text column "T", two
// rows.
//
// Output, one line each, flushed at once:
//   ready                         once the window is shown, the grid focused and its editor open
//   values T0=.. T1=..            whenever a stored value changes (null for an empty cell)
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>

#include "grid/memory/mem_grid.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("always editor grid test");
  window.setGeometry(0, 0, 400, 160);
  auto* grid = new TMemGrid(&window);
  grid->setGeometry(0, 0, 400, 160);
  TwMemColumn* text = grid->AddColumn();
  text->SetDataType(wdtString);
  text->Title().SetCaption("T");
  text->SetColWidth(200);
  grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoEditing).Include(wgoAlwaysShowEditor));
  for (int r = 0; r < 2; ++r) grid->AppendRow(false, false, false);
  window.show();
  window.raise();
  window.activateWindow();
  QApplication::processEvents();
  grid->setFocus();  // the grid, not its editor, holds the focus
  QApplication::processEvents();
  std::printf("ready\n");
  std::fflush(stdout);

  std::string last;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    std::string values = "values";
    for (int r = 0; r < 2; ++r) {
      TwCells& c = grid->Cells(0, r);
      values += " T" + std::to_string(r) + "=" + (c.IsNull() ? std::string("null") : c.AsString());
    }
    if (values != last) std::printf("%s\n", values.c_str());
    last = values;
    std::fflush(stdout);
  });
  poll.start(50);
  return app.exec();
}
