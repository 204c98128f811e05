// A test grid in a window of its own for the end-to-end typing test: one row, a number column with
// grouping and two decimals ("#,##0.00") and a date column. F9 prints what the user saw and what was stored
// and ends the program:
//   editing=<the number editor's text when Enter was pressed in it>
//   number=<the stored number, two decimals>
//   date=<the stored date, yyyy-mm-dd>
//   null=<the columns that hold no value>
#include <QApplication>
#include <QShortcut>
#include <cstdio>
#include <string>

#include "grid/editors/num_edit.h"
#include "grid/memory/mem_grid.h"
#include "grid/view/edit_session.h"
#include "platform/format/format.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("number-date-grid");
  window.resize(500, 200);
  auto* grid = new TMemGrid(&window);
  grid->setGeometry(0, 0, 500, 200);
  TwMemColumn* number = grid->AddColumn();
  number->SetDataType(wdtFloat);
  number->SetEditFormat("#,##0.00");
  number->SetDisplayFormat("#,##0.00");
  number->SetColWidth(160);
  number->Title().SetCaption("Number");
  TwMemColumn* date = grid->AddColumn();
  date->SetDataType(wdtDate);
  date->SetColWidth(160);
  date->Title().SetCaption("Date");
  grid->AppendRow(false, false, false);
  TwGridOptions o = grid->Options();
  grid->SetOptions(o.Include(wgoEditing).Exclude(wgoEnterToTab));

  std::string editing;
  grid->OnKeyPress = [&](QObject*, char32_t& key) {
    if (key != U'\r') return;
    if (auto* e = dynamic_cast<TwInNumEdit*>(grid->Editing().InplaceEditor())) editing = e->DisplayText();
  };
  auto* report = new QShortcut(QKeySequence(Qt::Key_F9), &window);
  report->setContext(Qt::ApplicationShortcut);
  QObject::connect(report, &QShortcut::activated, &app, [&] {
    std::string nulls;
    for (int c = 0; c < 2; ++c)
      if (grid->Cells(c, 0).IsNull()) nulls += (nulls.empty() ? "" : ",") + std::to_string(c);
    std::printf("editing=%s\n", editing.c_str());
    std::printf("number=%.2f\n", grid->Cells(0, 0).IsNull() ? 0.0 : grid->Cells(0, 0).AsFloat());
    std::printf("date=%s\n",
                grid->Cells(1, 0).IsNull()
                    ? ""
                    : plat::fmt::FormatDateTime("yyyy-mm-dd", grid->Cells(1, 0).AsDateTime()).c_str());
    std::printf("null=%s\n", nulls.c_str());
    std::fflush(stdout);
    app.quit();
  });

  window.show();
  window.activateWindow();
  grid->setFocus();
  return app.exec();
}
