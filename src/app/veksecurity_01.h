#pragma once
// VekSecurity_01: the main window TForm1 of the document manager.
//
// The window holds the file row (download, choose, file name, reload), the settings and filters, the
// grid Mgr_grid of scan results with the tick-all box and the wait notice, the action buttons and the
// status bar. The controls are public members and carry their names as Qt object names, so tests and
// users' scripts find them; the handlers are public and may be called directly.
#include <QMainWindow>
#include <QStatusBar>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/app_context.h"
#include "app/batch_run.h"
#include "app/batch_session.h"
#include "app/batch_text.h"
#include "app/exceptions.h"
#include "app/scan_load.h"
#include "app/scan_result.h"
#include "grid/memory/mem_grid.h"
#include "platform/ui/dialogs.h"

class QCheckBox;
class QDialog;
class QFrame;
class QLabel;
class QMenu;
class QPoint;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QVBoxLayout;

// A status bar that shows one simple text for good (no panels; nothing clears it).
class TStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit TStatusBar(QWidget* parent = nullptr);
  std::string SimpleText() const;
  void SetSimpleText(const std::string& text);

 private:
  QLabel* text_;
};

namespace vek {
class TPreviewPane;
}

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // The download address of the scanner package: "https://" + host + "/quellmar/ps.zip", the host from
  // the environment variable VEKSECURITY_DOWNLOAD_HOST, else "security.intranet.local".
  static std::string DownloadAddress();
  static constexpr const char* kDefaultDownloadHost = "security.intranet.local";
  // The columns of Mgr_grid.
  static constexpr int kTickColumn = 0;    // "C": the tick
  static constexpr int kNameColumn = 1;    // the file name
  static constexpr int kKindColumn = 2;    // the kind of personal information
  static constexpr int kHitsColumn = 3;    // the hit count
  static constexpr int kFolderColumn = 4;  // the folder

  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;
  // The program's shared values (ProgramDir, BackupDir, ItemFields).
  vek::AppContext& Context() { return context_; }

  // --- controls, top to bottom ---
  QFrame* Panel1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QLineEdit* p_file = nullptr;
  QPushButton* BitBtn5 = nullptr;
  QFrame* Panel4 = nullptr;
  QLabel* Label3 = nullptr;
  QRadioButton* RB1 = nullptr;
  QRadioButton* RB2 = nullptr;
  QLabel* Label1 = nullptr;
  QCheckBox* cb1 = nullptr;
  QCheckBox* cb3 = nullptr;
  QCheckBox* cb4 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* ed1 = nullptr;
  QLineEdit* ed2 = nullptr;
  QLineEdit* ed3 = nullptr;
  QLineEdit* ed4 = nullptr;
  QLineEdit* ed5 = nullptr;
  QLineEdit* ed6 = nullptr;
  QFrame* Panel3 = nullptr;
  TMemGrid* Mgr_grid = nullptr;
  QCheckBox* cb_m = nullptr;
  QLabel* msg = nullptr;
  // The wait notice's Cancel button, shown while a long load reports its progress (Esc does the same).
  QPushButton* msgCancel = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  // The batch text the memo holds (it is put into the control when the memo shows).
  const std::string& MemoText() const { return memoText_; }
  void SetMemoText(std::string text);
  QFrame* Panel2 = nullptr;
  QPushButton* BitBtn4 = nullptr;
  QPushButton* BitBtn6 = nullptr;
  QPushButton* BitBtn7 = nullptr;
  // "되돌리기": a menu that puts the files of the last move, or of a chosen move record, back.
  QPushButton* BtnRestore = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  // Beside the status bar's text: rows listed, rows ticked, lines of the last load skipped as unreadable.
  QLabel* CountLine = nullptr;
  // The status bar's second section: says that a filter changed since the last load.
  QLabel* FilterHint = nullptr;
  // Over the empty grid: what to do to fill it, or why the last load listed nothing.
  QLabel* EmptyHint = nullptr;
  // "드라이브 연결": which host folder each Windows drive letter stands for.
  QPushButton* BtnDrives = nullptr;
  // The result-file chooser, shown through the dialogs service; its initial folder is "c:\" (a host path
  // through the drive map).
  plat::ui::OpenFileRequest o_dialog;

  // --- the preview and the exceptions ---
  // The list and, under it, the preview pane (hidden until "미리보기" or F9 shows it).
  QSplitter* ListSplitter = nullptr;
  vek::TPreviewPane* Preview = nullptr;
  // "미리보기" at the right of the button strip (F9): shows or hides the pane.
  QPushButton* BtnPreview = nullptr;
  void SetPreviewVisible(bool on);
  // The pane follows the current row (called on row changes and repaints; nothing when it is unchanged).
  void FollowCurrentRow();
  // The pane's visibility and height, kept in the window settings.
  void LoadPreviewSettings();
  void SavePreviewSettings();
  // Counts the pane found in files it read whole (listed path -> matches now), for the tooltip of "수량".
  std::unordered_map<std::string, int> RecheckCounts;
  // The files marked "개인정보 아님으로 표시" (greyed; ticking many rows at once passes over them).
  vek::TExceptionList& Exceptions() { return exceptions_; }
  // The listed path of row r (folder + "\" + name), and whether it is an exception that stands.
  std::string RowPath(int r);
  bool IsExceptionRow(int r);
  // Row menu entries: mark or unmark the acted rows; the dialog that lists the exceptions and clears them.
  void MarkExceptions(bool on);
  void ShowExceptionList();
  // Called with the exception list dialog before it shows (tests close it).
  std::function<void(QDialog&)> BeforeExceptionDialog;

  // The exclusion-word fields ed1 ... ed6 in order.
  std::array<QLineEdit*, 6> ExcludeEdits() const { return {ed1, ed2, ed3, ed4, ed5, ed6}; }

  // --- handlers ---
  // Registers the window as a drop target and sets ProgramDir (run by the constructor).
  void FormCreate(QObject* Sender);
  // Runs RB1Click (every time the window is shown).
  void FormShow(QObject* Sender);
  // Both radio buttons: chooses BackupDir, creates that folder (one level, failures ignored) and sets the
  // caption of BitBtn4.
  void RB1Click(QObject* Sender);
  // Deletes "c:\batchdel.bat" and "c:\crdir.bat" (failures ignored); always allows closing.
  void FormCloseQuery(QObject* Sender, bool& CanClose);

  // Settings file ProgramDir + "\" + "Resort.ini". IniWrite raises "Unable to write to %s".
  void IniWrite(const std::string& Section, const std::string& Ident, const std::string& Value);
  std::string IniRead(const std::string& Section, const std::string& Ident, const std::string& Default);
  // The settings file's host path.
  std::string IniFileName() const;

  // Files dropped on the window (host paths in drop order): the first one only is taken, cut to 254
  // characters, put into p_file, its folder written to the settings file, then loaded.
  void WMDropFiles(const std::vector<std::string>& DroppedFiles);

  // "1.보안점검": opens the download address with the desktop's default browser.
  void BitBtn1Click(QObject* Sender);
  // "2.결과화일선택": choose the result file with o_dialog and load it.
  void BitBtn2Click(QObject* Sender);
  // "재조회": reload the file named in p_file (a notice when it is empty).
  void BitBtn5Click(QObject* Sender);
  // Loads and filters the file named in p_file into Mgr_grid, replacing its rows. A load that runs longer
  // than kProgressAfterMs shows its progress on the wait notice and lets the window repaint; Esc or
  // msgCancel stops it with the rows read so far kept, and the user is told it was cut short.
  virtual void ReadAndInsert();
  static constexpr int kProgressAfterMs = 300;
  static constexpr int kProgressEveryMs = 200;
  // What the last load read, listed and skipped.
  vek::TLoadCounts LastLoad;
  // Called at each progress report of a load, after the notice shows it and before the window's pending
  // events run (observers, such as tests, may queue input there).
  std::function<void(const vek::TLoadCounts&)> OnLoadProgress;
  // Counts the ticked rows anew and rewrites CountLine; the tick handlers call it after every change,
  // and a repaint of the grid after rows left it.
  void UpdateCountLine();
  // The filters as the window's controls set them now.
  vek::ScanFilterSettings FilterSettings() const;
  // Move the ticked files into BackupDir through "c:\batchmove.bat" / delete them through
  // "c:\batchdel.bat". The batch runs inside the program with a progress dialog (Cancel stops between
  // lines); rows whose file was handled leave the list, failed ones stay ticked, and a summary says what
  // happened. Rows whose names cannot be written into a batch line safely stay, and the user is told why.
  void BitBtn4Click(QObject* Sender);
  void BitBtn6Click(QObject* Sender);
  // Puts the files of a move back where they were (the newest move record with files still away when the
  // path is empty): only the backup copies the move left, never over a file that is there now. The files
  // put back return to the list.
  void RestoreMove(const std::string& manifestHostPath);
  // "작업 기록": the past runs of the action log (records_window.h), one window kept while the form lives.
  void ShowRecordsWindow();
  // The number of ticked rows, kept as ticks change and rows come and go (never counted again row by row).
  int CountTicked() const { return ticked_; }
  // Ticks or unticks one row, keeping the count (the grid repaints it).
  void SetTick(int r, bool on);
  // Takes rows out of the list (in any order, duplicates allowed), each run of neighbours in one step,
  // keeping the tick count.
  void RemoveListRows(std::vector<int> rows);
  // The 확인서 opened last from a summary (its PDF's host path).
  std::string LastReport;
  // Called with the runner of a batch before it starts (tests use it to cancel between lines).
  std::function<void(vek::BatchRunner&)> BeforeBatchRun;
  // --- the list as people expect one to behave ---
  // The rows an action from the keyboard or the row menu takes: the selected rows, else the current one.
  std::vector<int> ActedRows();
  // Ticks or unticks rows (one repaint).
  void SetTicks(const std::vector<int>& rows, bool on);
  // Space: the acted rows take the opposite of the current row's tick.
  void ToggleTicksByKey();
  // Ctrl+A.
  void SelectAllRows();
  // Ctrl+C: the acted rows as tab-separated text with a title line, on the clipboard.
  void CopyRows();
  std::string RowsAsTsv(const std::vector<int>& rows);
  // "CSV로 저장": the listed rows (all, or the ticked ones) as CSV (RFC 4180 quoting, CR LF), in UTF-8
  // with a byte-order mark or in CP949, as the save dialog's filter chooses.
  void ExportCsv(bool tickedOnly);
  std::string RowsAsCsv(bool tickedOnly);
  // The context menu of the row at a viewport point: open the file or its folder, copy the path, tick,
  // untick, copy, save as CSV. The right button, the Menu key and Shift+F10 open it (the keys on the
  // current row).
  void ShowRowMenu(const QPoint& viewportPos);
  void ShowRowMenuByKey();
  // Called with the row menu before it shows (tests pick an entry from it).
  std::function<void(QMenu&)> BeforeRowMenu;
  // Column widths kept in the user's window settings (apart from "Resort.ini"); Load is true when any
  // width was read.
  static std::string WindowSettingsFile();
  bool LoadColumnWidths();
  void SaveColumnWidths();
  // The folder column narrowed to the room the window leaves it, so that its title shows.
  void FitFolderColumn();
  // While the window is maximised the folder column takes the room the others leave; back in a normal
  // window it has its own width again.
  void FollowMaximised();
  // --- the drive map ---
  // "드라이브 연결": a dialog that maps drive letters to host folders, kept in the window settings.
  void BtnDrivesClick(QObject* Sender);
  // Called with the drive dialog before it shows (tests fill it in and close it).
  std::function<void(QDialog&)> BeforeDriveDialog;
  // The saved map applied to the letters the environment does not fix (at start, and after the dialog).
  static void ApplySavedDriveMap();
  // Letters the environment maps (VEKSECURITY_DRIVE_X set outside the program): the dialog shows them fixed.
  static bool DriveFixedByEnvironment(char letter);
  // After a load: the drives whose folder is missing, or that no listed file was found at all; empty when
  // nothing needs saying.
  std::string DriveNoticeText();
  // The filters differ from those of the last load: the status bar says so.
  void UpdateFilterHint();
  // A click on a column's title: sorts by it, ascending, then descending on the next click (the hits as
  // numbers, texts in the platform's collation), and marks the title.
  void SortByColumn(int column);

  // "해당자료 화면제거": removes the current row from the list only.
  void BitBtn7Click(QObject* Sender);
  // Ticks or unticks every row as cb_m now reads.
  void cb_mClick(QObject* Sender);
  // The grid's click (toggles the current row's tick when the current column is "C") and double click
  // (opens the current row's file with the desktop's default program).
  void Mgr_gridClick(QObject* Sender);
  void Mgr_gridDblClick(QObject* Sender);
  // Starts the batch file Command (a Windows path) with the batch interpreter and does not wait;
  // 0 when it started, else an error code.
  int OKPostExec(const std::string& Command, int ShowCmd);

  // The loaded result file's bytes (the line buffer; kept until the next load).
  std::string LineBuffer;

  // Message box: Text, caption "파일받기", error icon, OK.
  void ShowMsg(const std::string& Text);
  // Message box: Text, the application title, Yes and No, question icon; true only for Yes. DefaultNo
  // makes No the default button (for questions whose Yes cannot be undone).
  bool MsgBoxQuestion(const std::string& Text, bool DefaultNo = false);
  // The wait notice: msg visible, then pending events run once so that it is painted; and hidden.
  void ShowWait();
  void HideWait();
  // Widens the indicator column so that the largest row number fits (never below its form width).
  void FitIndicatorWidth();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  vek::AppContext context_;
  vek::TExceptionList exceptions_;
  // The preview pane's height while it is hidden (0: never set).
  int previewHeight_ = 0;
  std::string memoText_;
  int ticked_ = 0;
  bool memoPending_ = false;

  void CreateControls();
  // The window's panels, top to bottom, each added to the client area's column.
  void CreateFileRow(QWidget* central, QVBoxLayout* column);
  void CreateConditions(QWidget* central, QVBoxLayout* column);
  void CreateListPanel(QWidget* central, QVBoxLayout* column);
  void CreateOverlays();
  void CreateButtonStrip(QWidget* central, QVBoxLayout* column);
  void CreateStatusLine();
  // Enter presses a focused button; each button gets an Alt+digit shortcut named in its tooltip.
  void AssignShortcuts();
  void CreateGrid();
  void ConnectHandlers();
  // Places cb_m over the title cell of the grid's first column and centres msg over the grid.
  void PlaceOverlays();
  void CentreOnScreen();
  std::string RowFolder(int r);
  std::string RowFileName(int r);
  // A move or delete of the ticked rows: the session built, written and run with progress; the handled
  // rows leave the list and the outcome is shown.
  void RunBatchAction(vek::BatchAction action, bool shred = false);
  // Under the delete question's "완전삭제" box: what overwriting can promise for the ticked files, by device.
  std::string MediumQuestionNote();
  // Writes the 확인서 of a run (PDF and HTML, in the user's data folder) and opens it.
  void OpenRunReport(const vek::BatchOutcome& outcome);
  // Runs a session on its worker thread while a progress dialog (title, what is being done) shows how far
  // it got, and returns its outcome.
  vek::BatchOutcome RunSession(vek::BatchSession& session, const std::string& title,
                               const std::string& doing);
  void ShowOutcome(const vek::BatchOutcome& outcome);
  // Rows for the files a restore put back, unticked.
  void PutBackRows(const std::vector<vek::ManifestEntry>& restored);
  void TellRefusals(const vek::BatchText& batch);
  // Says so when a batch could not be started (code from OKPostExec; 0 says nothing).
  void TellStartFailure(const std::string& batch, int code);
  // The progress figure on the wait notice, the grid repainted with the rows so far, pending events run.
  void ShowLoadProgress(const vek::TLoadCounts& counts);
  void WriteCountLine(int ticked);

  // Shows EmptyHint while the grid has no rows.
  void UpdateEmptyHint();
  // The tooltip of a grid cell whose text does not fit (viewport point); false when there is none.
  bool ShowCellTip(const QPoint& viewportPos, const QPoint& globalPos);
  // The row menu at a viewport point (the row already made current).
  void OpenRowMenu(const QPoint& viewportPos);

  bool centred_ = false;
  // A result file was chosen with o_dialog (which then opens in its folder).
  bool fileChosen_ = false;
  // The filters of the last load (none before the first).
  std::optional<vek::ScanFilterSettings> loadedFilter_;
  // The folder column's width in a normal window while the window is maximised.
  int folderWidthNormal_ = -1;
  bool widthsLoaded_ = false;
  // While a batch runs: the window takes no other action and does not close.
  bool batchRunning_ = false;
  int sortColumn_ = -1;
  bool sortDescending_ = false;
  // The row count CountLine was last written for.
  int countedRows_ = 0;
  // While a load runs, and the rows the grid held at its last repaint during it.
  bool loading_ = false;
  int paintedRows_ = 0;
};

// The single window of the program (set by the main program).
