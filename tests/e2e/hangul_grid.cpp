// A window with one memory grid for the end-to-end typing tests: a text column of three rows that may be
// edited. Ctrl+Q (or closing the window) prints every cell as "CELL <row>=<text>" on standard output and
// quits; "READY" is printed once the grid has the focus.
#include <QApplication>
#include <QShortcut>
#include <QTimer>
#include <cstdio>

#include "grid/memory/mem_grid.h"
#include "platform/format/format.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
  TMemGrid grid;
  grid.setWindowTitle("hangul grid");
  TwMemColumn* c = grid.AddColumn();
  c->SetColWidth(220);
  c->Title().SetCaption("이름");
  for (int r = 0; r < 3; ++r) {
    grid.AppendRow(false, false, false);
    grid.Cells(0, r).SetAsString("abc");
  }
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
  grid.resize(320, 200);
  auto print = [&] {
    for (int r = 0; r < grid.RowCount(); ++r)
      std::printf("CELL %d=%s\n", r, grid.Cells(0, r).AsString().c_str());
    std::fflush(stdout);
  };
  bool printed = false;
  auto quit = [&] {
    if (!printed) print();
    printed = true;
    app.quit();
  };
  QShortcut q(QKeySequence("Ctrl+Q"), &grid);
  q.setContext(Qt::WindowShortcut);
  QObject::connect(&q, &QShortcut::activated, quit);
  QObject::connect(&app, &QApplication::lastWindowClosed, quit);
  grid.show();
  grid.activateWindow();
  grid.setFocus();
  QTimer::singleShot(0, [&] {
    std::printf("READY\n");
    std::fflush(stdout);
  });
  return app.exec();
}
