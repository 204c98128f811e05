// A window with a memory grid of three columns (file name, size, checked) and a few rows.
//   file_list           shows the window until it is closed
//   file_list --check   shows it, prints the size shown in the first row and exits: 0 when it is "1,234,567"
#include <QApplication>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <string>

#include "grid/memory/mem_grid.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("File list");
  window.resize(480, 200);
  // [make a grid]
  auto* grid = new TMemGrid(&window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(grid);
  // [make a grid]

  // [add columns]
  TwMemColumn* name = grid->AddColumn();
  name->Title().SetCaption("File");
  name->SetColWidth(200);
  TwMemColumn* size = grid->AddColumn();
  size->Title().SetCaption("Size");
  size->SetDataType(wdtLong);
  size->SetDisplayFormat("#,##0");
  size->SetColWidth(120);
  TwMemColumn* checked = grid->AddColumn();
  checked->Title().SetCaption("Checked");
  checked->SetDataType(wdtBool);
  // [add columns]

  struct File {
    const char* name;
    std::int32_t size;
    bool checked;
  };
  const File files[] = {
      {"report.hwp", 1234567, true}, {"members.xlsx", 48213, false}, {"notes.txt", 512, true}};
  // [fill rows]
  for (const File& f : files) {
    grid->AppendRow(false, false, false);
    const int row = grid->RowCount() - 1;
    grid->Cells(0, row).SetAsString(f.name);
    grid->Cells(1, row).SetAsVariant(plat::Variant(f.size));
    grid->Cells(2, row).SetAsBoolean(f.checked);
  }
  // [fill rows]
  window.show();

  if (argc > 1 && std::string(argv[1]) == "--check") {
    app.processEvents();
    const std::string shown = grid->Cells(1, 0).DisplayText();
    std::printf("rows: %d, size shown in the first row: %s\n", grid->RowCount(), shown.c_str());
    return window.isVisible() && grid->RowCount() == 3 && shown == "1,234,567" ? 0 : 1;
  }
  return app.exec();
}
