#pragma once
// The window's load of a result file into a TMemGrid, a slice of lines at a time, and what the user is
// told about it.
//
//   TGridLoad      reads lines through ScanFilter, adds blank rows to the grid a block at a time and writes
//                  the kept lines into them; the caller holds the grid's update lock and decides when to
//                  let the window breathe (between two Steps the grid holds exactly the rows kept so far).
//   TLoadCounts    lines read, rows listed, lines skipped as unreadable, whether the load was cut short.
//   TLoadInterrupt while it lives, Esc or its Cancel button asks the load to stop, and every other key,
//                  click and drop is held back, so nothing else runs in the middle of a load.
//   CountLineText  the count line under the grid: listed, ticked, skipped as unreadable.
#include <QObject>
#include <cstddef>
#include <string>
#include <string_view>

#include "app/scan_result.h"

class QAbstractButton;
class QWidget;
class TMemGrid;

namespace vek {

struct TLoadCounts {
  std::size_t LinesRead = 0;  // finding lines taken so far (the header not counted)
  std::size_t BytesRead = 0;  // bytes of the file taken so far
  std::size_t BytesTotal = 0;
  int Listed = 0;         // rows appended to the grid
  int Unreadable = 0;     // lines skipped because they are not valid CP949 or could not be handled
  bool CutShort = false;  // the user stopped the load before the end of the file
};

class TGridLoad {
 public:
  // The grid is cleared by the caller; fields receives each line's fields (the program-wide ItemFields).
  TGridLoad(TMemGrid& grid, std::string_view fileBytes, ScanFilterSettings settings, TItemFields& fields);
  TGridLoad(const TGridLoad&) = delete;
  TGridLoad& operator=(const TGridLoad&) = delete;

  // Takes up to maxLines lines; the kept rows are in the grid when it returns. False once the file is
  // done.
  bool Step(std::size_t maxLines);
  bool Done() const { return lines_.Position() >= lines_.Size(); }
  // Stops here: what is in the grid stays, and the counts say the load was cut short.
  void CutShort() { counts_.CutShort = !Done(); }
  const TLoadCounts& Counts() const { return counts_; }

 private:
  // Rows are added a block at a time, blank, and written as lines are kept; Trim gives back the rows of
  // the last block that were not used, so the grid never shows a blank row.
  static constexpr int kBlockRows = 256;
  void Keep(const TItemFields& fields);
  void Trim();

  TMemGrid& grid_;
  LineCursor lines_;
  ScanFilter filter_;
  TItemFields& fields_;
  std::string line_;
  int filled_ = 0;  // grid rows written; the grid may hold unused blank rows after them until Trim
  // AppendRow applies the columns' defaults; without any, a block of rows is added at once.
  bool plainRows_ = true;
  TLoadCounts counts_;
};

class TLoadInterrupt : public QObject {
  Q_OBJECT

 public:
  // window: the load's window (closing it stops the load too); cancel: its Cancel button, which keeps
  // receiving clicks and keys.
  TLoadInterrupt(QWidget* window, QAbstractButton* cancel);
  ~TLoadInterrupt() override;
  bool Requested() const { return requested_; }
  void Request() { requested_ = true; }
  // The window was closed during the load (which stops it too): nobody is left to tell about it.
  bool WindowClosed() const { return windowClosed_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QWidget* window_;
  QAbstractButton* cancel_;
  bool requested_ = false;
  bool windowClosed_ = false;
};

// "목록 N건 · 체크 N건" and, when there were any, "· 읽을 수 없는 줄 N개 건너뜀", and "· 읽기 중단됨" when
// cut short; numbers with thousands separators.
std::string CountLineText(int listed, int ticked, int unreadable, bool cutShort);
// The wait notice's progress line: per cent of the file's bytes and lines read so far.
std::string ProgressText(const TLoadCounts& counts);
// The notice after a load the user stopped, and after a load that listed nothing but skipped unreadable
// lines (so a wrong file is not taken for a clean PC); empty when nothing needs saying.
std::string LoadNoticeText(const TLoadCounts& counts);
// 1234567 as "1,234,567".
std::string GroupedNumber(long long n);

}  // namespace vek
