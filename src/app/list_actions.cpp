// What people expect of a file list beyond the buttons: ticks by keyboard, select all, copy as a table,
// CSV export, a context menu on a row, and column widths kept across runs.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

#include "app/application.h"
#include "app/batch_run.h"
#include "app/command_line.h"
#include "app/preview_pane.h"
#include "app/veksecurity_01.h"
#include "grid/structure/extents.h"
#include "grid/structure/grid_font.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The data columns of a row as people read them: file name, kind, hits, folder.
constexpr int kDataColumns[] = {1, 2, 3, 4};
constexpr const char* kWidthsSection = "Columns";
constexpr const char* kPreviewSection = "Preview";
// The pane's height when it first shows, and the least the list keeps.
constexpr int kPreviewHeight = 260;

// A text a spreadsheet would take for a formula (it starts with =, +, -, @, a tab or a carriage return)
// goes out behind a ' so that it stays text; a number ("-5", "+3.5") stays a number.
bool LooksLikeNumber(const std::string& s) {
  if (s.empty()) return false;
  char* end = nullptr;
  std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && s.find_first_of("xXnNiIpP") == std::string::npos;
}

std::string SpreadsheetText(const std::string& s) {
  if (s.empty() || std::string_view("=+-@\t\r").find(s.front()) == std::string_view::npos ||
      LooksLikeNumber(s))
    return s;
  return "'" + s;
}

}  // namespace

std::vector<int> TForm1::ActedRows() {
  std::vector<int> rows;
  if (Mgr_grid->SelectedCount() > 0) {
    for (int r = 0; r < Mgr_grid->RowCount(); ++r)
      if (Mgr_grid->Selected(r)) rows.push_back(r);
  } else if (Mgr_grid->RowCount() > 0) {
    rows.push_back(Mgr_grid->Row());
  }
  return rows;
}

void TForm1::SetTicks(const std::vector<int>& rows, bool on) {
  if (rows.empty()) return;
  Mgr_grid->BeginUpdate();
  for (int r : rows)
    if (r >= 0 && r < Mgr_grid->RowCount()) SetTick(r, on);
  Mgr_grid->EndUpdate(true);
  UpdateCountLine();
}

void TForm1::ToggleTicksByKey() {
  const std::vector<int> rows = ActedRows();
  if (rows.empty()) return;
  // Several rows at once pass over the files marked as not personal information; one row is ticked as a
  // click ticks it.
  std::vector<int> tickable = rows;
  if (rows.size() > 1 && !exceptions_.Empty())
    std::erase_if(tickable, [this](int r) { return IsExceptionRow(r); });
  // One press makes the acted rows agree: all ticked, unless all of them are ticked already.
  const bool allTicked = std::all_of(tickable.begin(), tickable.end(),
                                     [this](int r) { return Mgr_grid->Cells(kTickColumn, r).AsBoolean(); });
  if (allTicked)
    SetTicks(rows, false);
  else
    SetTicks(tickable, true);
}

void TForm1::SelectAllRows() {
  if (Mgr_grid->RowCount() > 0) Mgr_grid->SelectRange(0, Mgr_grid->RowCount() - 1);
}

std::string TForm1::RowsAsTsv(const std::vector<int>& rows) {
  std::string text;
  for (int c : kDataColumns) {
    if (c != kDataColumns[0]) text += '\t';
    vek::AppendDelimitedField(text, Mgr_grid->Column(c)->Title().Caption(), '\t');
  }
  text += "\r\n";
  for (int r : rows) {
    for (int c : kDataColumns) {
      if (c != kDataColumns[0]) text += '\t';
      vek::AppendDelimitedField(text, SpreadsheetText(Mgr_grid->Cells(c, r).AsString()), '\t');
    }
    text += "\r\n";
  }
  return text;
}

void TForm1::CopyRows() {
  const std::vector<int> rows = ActedRows();
  if (rows.empty()) return;
  QApplication::clipboard()->setText(Q(RowsAsTsv(rows)));
}

std::string TForm1::RowsAsCsv(bool tickedOnly) {
  std::string text;
  for (int c : kDataColumns) {
    if (c != kDataColumns[0]) text += ',';
    vek::AppendCsvField(text, Mgr_grid->Column(c)->Title().Caption());
  }
  text += "\r\n";
  for (int r = 0; r < Mgr_grid->RowCount(); ++r) {
    if (tickedOnly && !Mgr_grid->Cells(kTickColumn, r).AsBoolean()) continue;
    for (int c : kDataColumns) {
      if (c != kDataColumns[0]) text += ',';
      vek::AppendCsvField(text, SpreadsheetText(Mgr_grid->Cells(c, r).AsString()));
    }
    text += "\r\n";
  }
  return text;
}

void TForm1::ExportCsv(bool tickedOnly) {
  plat::ui::SaveFileRequest req;
  // The file is for spreadsheets (texts that look like formulas are marked as text), not a result file.
  req.Title = std::string(tickedOnly ? "체크한 항목을 CSV로 저장" : "목록을 CSV로 저장") +
              " - 스프레드시트용 (결과 화일로 불러올 수 없습니다)";
  req.Filters = {"CSV UTF-8 (*.csv)", "CSV CP949 (*.csv)"};
  req.InitialPath = plat::os::ResolvePath("c:\\") + (tickedOnly ? "체크한항목.csv" : "목록.csv");
  const std::optional<plat::ui::SaveFileAnswer> answer = plat::ui::CurrentDialogs().SaveFile(this, req);
  if (!answer) return;
  const std::string csv = RowsAsCsv(tickedOnly);
  std::string bytes;
  if (answer->Filter == 1) {
    // A character CP949 lacks would be replaced by another one: such a file is not written.
    const std::optional<std::string> cp949 = plat::text::TryUtf8ToCp949(csv);
    if (!cp949) {
      plat::ui::CurrentDialogs().MessageBox(
          this, "목록에 CP949로 나타낼 수 없는 문자가 있어 저장하지 않았습니다. CSV UTF-8로 저장하십시오.",
          plat::ui::ApplicationTitle(), plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
      return;
    }
    bytes = *cp949;
  } else {
    bytes = "\xEF\xBB\xBF" + csv;
  }
  plat::os::WriteFileBytes(answer->Path, bytes);
}

void TForm1::ShowRowMenu(const QPoint& viewportPos) {
  const int r = Mgr_grid->Model().Extents().RowAt(viewportPos.y());
  if (r < 0 || r >= Mgr_grid->RowCount()) return;
  // A right click on a row outside the selection makes it the current row alone.
  if (!Mgr_grid->Selected(r)) {
    Mgr_grid->ClearSelection();
    Mgr_grid->SetRow(r);
  }
  OpenRowMenu(viewportPos);
}

void TForm1::ShowRowMenuByKey() {
  if (Mgr_grid->RowCount() <= 0) return;
  // Under the current row's file name, or at the list's corner while that row is out of view.
  const TwGridExtents& e = Mgr_grid->Model().Extents();
  const int band = Mgr_grid->Column(1)->VisibleIndex();
  const TRect cell = band >= 0 ? e.CellRect(band, Mgr_grid->Row()) : TRect{};
  OpenRowMenu(cell.IsEmpty() ? QPoint(e.ClientRect().Left + 8, e.DataTop() + 8)
                             : QPoint(cell.Left + 8, cell.Bottom - 2));
}

void TForm1::OpenRowMenu(const QPoint& viewportPos) {
  const std::string folder = RowFolder(Mgr_grid->Row());
  const std::string path = folder + "\\" + RowFileName(Mgr_grid->Row());
  QMenu menu(this);
  menu.setObjectName("RowMenu");
  menu.addAction(Q("파일 열기"), this, [this] { vek::Guarded(this, [&] { Mgr_gridDblClick(Mgr_grid); }); });
  menu.addAction(Q("폴더 열기"), this, [this, folder] {
    vek::Guarded(this, [&] {
      const std::string host = plat::os::ResolvePath(folder.empty() ? std::string("\\") : folder);
      if (host.empty() || !plat::os::DirectoryExists(host) || !plat::os::OpenWithDefaultProgram(host))
        plat::ui::CurrentDialogs().MessageBox(this, "폴더를 열지 못했습니다.\n" + vek::DisplayPath(folder),
                                              plat::ui::ApplicationTitle(),
                                              plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
    });
  });
  menu.addAction(Q("경로 복사"), this, [path] { QApplication::clipboard()->setText(Q(path)); });
  menu.addSeparator();
  menu.addAction(Q("체크"), this, [this] { SetTicks(ActedRows(), true); });
  menu.addAction(Q("체크 해제"), this, [this] { SetTicks(ActedRows(), false); });
  menu.addSeparator();
  // Files that hold no personal information after all: greyed, and passed over when many rows are ticked.
  if (IsExceptionRow(Mgr_grid->Row()))
    menu.addAction(Q("예외 해제"), this, [this] { vek::Guarded(this, [&] { MarkExceptions(false); }); });
  else
    menu.addAction(Q("개인정보 아님으로 표시"), this,
                   [this] { vek::Guarded(this, [&] { MarkExceptions(true); }); });
  menu.addAction(Q("예외 목록..."), this, [this] { vek::Guarded(this, [&] { ShowExceptionList(); }); });
  menu.addSeparator();
  menu.addAction(Q("복사\tCtrl+C"), this, [this] { CopyRows(); });
  menu.addAction(Q("CSV로 저장 (전체)..."), this, [this] { vek::Guarded(this, [&] { ExportCsv(false); }); });
  menu.addAction(Q("CSV로 저장 (체크한 항목)..."), this,
                 [this] { vek::Guarded(this, [&] { ExportCsv(true); }); });
  if (BeforeRowMenu) BeforeRowMenu(menu);
  menu.exec(Mgr_grid->viewport()->mapToGlobal(viewportPos));
}

std::string TForm1::WindowSettingsFile() {
  return vek::UserDataDir() + "/window.ini";
}

bool TForm1::LoadColumnWidths() {
  const plat::os::IniFile ini(WindowSettingsFile());
  bool any = false;
  for (int c = 0; c < Mgr_grid->ColumnCount(); ++c) {
    const std::string v = ini.ReadString(kWidthsSection, std::to_string(c), "");
    char* end = nullptr;
    const long w = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end != '\0' || w < TwColumn::kMinWidth || w > 10000) continue;
    Mgr_grid->Column(c)->SetWidth(int(w));
    any = true;
  }
  return any;
}

void TForm1::SaveColumnWidths() {
  plat::os::IniFile ini(WindowSettingsFile());
  for (int c = 0; c < Mgr_grid->ColumnCount(); ++c) {
    // A maximised window's folder column keeps the width it has in a normal window.
    const bool folder = c == Mgr_grid->ColumnCount() - 1 && folderWidthNormal_ >= 0;
    ini.WriteString(kWidthsSection, std::to_string(c),
                    std::to_string(folder ? folderWidthNormal_ : Mgr_grid->Column(c)->Width()));
  }
}

bool TForm1::ShowCellTip(const QPoint& viewportPos, const QPoint& globalPos) {
  const TwGridExtents& e = Mgr_grid->Model().Extents();
  const int r = e.RowAt(viewportPos.y());
  const int band = e.ItemAt(viewportPos.x());
  if (r < 0 || r >= Mgr_grid->RowCount() || band < 0 || band >= Mgr_grid->Model().Columns().VisibleCount())
    return false;
  TwColumn* column = Mgr_grid->Model().Columns().VisibleItems(band);
  if (column->Index() == 0) return false;
  const std::string text = Mgr_grid->Cells(column->Index(), r).AsString();
  if (column->Index() == kHitsColumn) {
    // Once the preview has read the file: how many matches it holds now.
    const auto now = RecheckCounts.find(RowPath(r));
    if (now != RecheckCounts.end()) {
      const TRect c = e.CellInnerRect(band, r);
      QToolTip::showText(globalPos,
                         Q("검사 결과 " + text + "건 · 지금 " + std::to_string(now->second) + "건"),
                         Mgr_grid->viewport(), QRect(c.Left, c.Top, c.Width(), c.Height()));
      return true;
    }
  }
  const TRect cell = e.CellInnerRect(band, r);
  // The cut shows as the cell's own text does: in the column's font, within the cell less its margins.
  const plat::paint::TFont font = PaintFont(column->Font());
  if (text.empty() || font.QtMetrics().horizontalAdvance(Q(text)) + 4 <= cell.Width()) return false;
  QToolTip::showText(globalPos, Q(text), Mgr_grid->viewport(),
                     QRect(cell.Left, cell.Top, cell.Width(), cell.Height()));
  return true;
}

void TForm1::FollowMaximised() {
  TwColumn* folder = Mgr_grid->Column(Mgr_grid->ColumnCount() - 1);
  if (!isMaximized()) {
    if (folderWidthNormal_ >= 0) folder->SetWidth(folderWidthNormal_);
    folderWidthNormal_ = -1;
    return;
  }
  if (folderWidthNormal_ < 0) folderWidthNormal_ = folder->Width();
  const int room = Mgr_grid->viewport()->width() - Mgr_grid->Model().Indicators().Width() - 2;
  int others = 0;
  for (int c = 0; c + 1 < Mgr_grid->ColumnCount(); ++c) others += Mgr_grid->Column(c)->Width() + 1;
  folder->SetWidth(std::max(folderWidthNormal_, room - others));
}

void TForm1::FitFolderColumn() {
  // The folder column takes the room left of the viewport, so that its centred title shows.
  const int room = Mgr_grid->viewport()->width() - Mgr_grid->Model().Indicators().Width() - 2;
  int others = 0;
  for (int c = 0; c + 1 < Mgr_grid->ColumnCount(); ++c) others += Mgr_grid->Column(c)->Width() + 1;
  TwColumn* folder = Mgr_grid->Column(Mgr_grid->ColumnCount() - 1);
  const int fitted = std::max(200, room - others);
  if (fitted < folder->Width()) folder->SetWidth(fitted);
}

void TForm1::SortByColumn(int column) {
  if (column <= 0 || column >= Mgr_grid->ColumnCount()) return;  // the tick column's title holds cb_m
  const bool descending = sortColumn_ == column && !sortDescending_;
  // Hits are numbers; texts follow the platform's collation.
  const TwSortCompare compare = column == 3 ? TwSortCompare::Number : TwSortCompare::Locale;
  Mgr_grid->SortRows({{column, descending, compare}});
  for (int c = 0; c < Mgr_grid->ColumnCount(); ++c)
    Mgr_grid->Column(c)->Title().SetSortMark(c == column ? (descending ? wsmDesc : wsmAsc) : wsmNone);
  sortColumn_ = column;
  sortDescending_ = descending;
}

// --- the preview pane
// ----------------------------------------------------------------------------------------

std::string TForm1::RowPath(int r) {
  return RowFolder(r) + "\\" + RowFileName(r);
}

void TForm1::SetPreviewVisible(bool on) {
  BtnPreview->setChecked(on);
  if (on == !Preview->isHidden()) return;
  if (on) {
    // The height the pane had, in a splitter that gives the list whatever it grows by.
    const int height = previewHeight_ > 0 ? previewHeight_ : kPreviewHeight;
    ListSplitter->setSizes({std::max(1, ListSplitter->height() - height), height});
  } else {
    previewHeight_ = ListSplitter->sizes().value(1);
  }
  Preview->setVisible(on);
  if (on)
    FollowCurrentRow();
  else
    Preview->ShowNoRow();  // a read under way stops
  PlaceOverlays();
}

void TForm1::FollowCurrentRow() {
  if (!Preview->isVisible()) return;
  if (Mgr_grid->RowCount() <= 0) {
    if (!Preview->Target().ListedPath.empty()) Preview->ShowNoRow();
    return;
  }
  const int r = Mgr_grid->Row();
  vek::TPreviewTarget t;
  t.ListedPath = RowPath(r);
  t.HostPath = plat::os::ResolvePath(t.ListedPath);
  t.ScannerKind = Mgr_grid->Cells(kKindColumn, r).AsString();
  t.ScannerCount = Mgr_grid->Cells(kHitsColumn, r).AsString();
  Preview->Follow(t);
}

void TForm1::LoadPreviewSettings() {
  const plat::os::IniFile ini(WindowSettingsFile());
  const int height = std::atoi(ini.ReadString(kPreviewSection, "Height", "0").c_str());
  if (height > 0 && height < 5000) previewHeight_ = height;
  if (ini.ReadString(kPreviewSection, "Visible", "0") == "1") SetPreviewVisible(true);
}

void TForm1::SavePreviewSettings() {
  plat::os::IniFile ini(WindowSettingsFile());
  ini.WriteString(kPreviewSection, "Visible", Preview->isHidden() ? "0" : "1");
  const int height = Preview->isHidden() ? previewHeight_ : ListSplitter->sizes().value(1);
  if (height > 0) ini.WriteString(kPreviewSection, "Height", std::to_string(height));
}

// --- exceptions
// -----------------------------------------------------------------------------------------------

bool TForm1::IsExceptionRow(int r) {
  if (exceptions_.Empty() || r < 0 || r >= Mgr_grid->RowCount()) return false;
  return exceptions_.Holds(RowPath(r));
}

void TForm1::MarkExceptions(bool on) {
  std::vector<std::string> failed;
  for (int r : ActedRows()) {
    const std::string path = RowPath(r);
    if (on ? !exceptions_.Mark(path) : !exceptions_.Unmark(path)) failed.push_back(vek::DisplayPath(path));
  }
  Mgr_grid->viewport()->update();
  if (failed.empty()) return;
  std::string text = on ? "다음 파일을 예외로 기록하지 못했습니다 (파일이 없거나 기록 파일을 쓸 수 없습니다):"
                        : "예외 목록을 고쳐 쓰지 못했습니다:";
  for (const std::string& f : failed) text += "\n" + f;
  plat::ui::CurrentDialogs().MessageBox(this, text, plat::ui::ApplicationTitle(),
                                        plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
}

void TForm1::ShowExceptionList() {
  QDialog dialog(this);
  dialog.setObjectName("ExceptionDialog");
  dialog.setWindowTitle(Q("예외 목록"));
  auto* column = new QVBoxLayout(&dialog);
  auto* note =
      new QLabel(Q("개인정보 아님으로 표시한 파일입니다. 파일이 바뀌면 예외에서 빠집니다."), &dialog);
  auto* list = new QListWidget(&dialog);
  list->setObjectName("ExceptionList");
  for (const vek::TExceptionList::Entry& e : exceptions_.Entries())
    list->addItem(Q(vek::DisplayPath(e.Path) + (exceptions_.Holds(e.Path) ? "" : "  (지금 목록에 없음)")));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QPushButton* clear = buttons->addButton(Q("모두 지우기"), QDialogButtonBox::ResetRole);
  clear->setObjectName("ExceptionClear");
  clear->setEnabled(list->count() > 0);
  connect(clear, &QPushButton::clicked, &dialog, [&] {
    if (!exceptions_.Clear())
      plat::ui::CurrentDialogs().MessageBox(&dialog, "예외 목록을 지우지 못했습니다.\n" + exceptions_.File(),
                                            plat::ui::ApplicationTitle(),
                                            plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
    list->clear();
    clear->setEnabled(false);
    Mgr_grid->viewport()->update();
  });
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  column->addWidget(note);
  column->addWidget(list, 1);
  column->addWidget(buttons);
  dialog.resize(620, 360);
  if (BeforeExceptionDialog) BeforeExceptionDialog(dialog);
  dialog.exec();
}
