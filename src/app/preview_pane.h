#pragma once
// The preview pane under the list: the text of the current row's file with every personal-information match
// marked and masked on screen, the summary line ("찾은 개인정보: ..."), and how many matches the file holds
// now beside the scanner's count. It only reads: a file is never changed.
//
// Flow: the window calls Follow with the current row's file whenever the row or its contents may have
// changed; an unchanged target costs nothing. A new target stops the reading under way (its stop token) and
// starts the next one off the window's thread, at once when the pane was quiet, else once the rows have
// stopped changing for kQuietMs (a held arrow key does not start a read per row). A large file shows its
// first page first and then the whole. Results of a target no longer current are dropped.
//
// Keys: with the focus in the pane's text, Up and Down go to the previous and next match (the list keeps its
// row). The text, the count line and the summary can be selected and copied; Shift+Tab from the text reaches
// the summary and then the count line.
#include <QFrame>
#include <QThreadPool>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "inspect/detect.h"
#include "inspect/extract.h"

class QLabel;
class QPlainTextEdit;

namespace vek {

// The file of a listed row as the pane reads it.
struct TPreviewTarget {
  std::string ListedPath;    // folder + "\" + name, as the list shows it
  std::string HostPath;      // through the drive map
  std::string ScannerKind;   // the row's kind text
  std::string ScannerCount;  // the row's hit count text
  bool operator==(const TPreviewTarget&) const = default;
};

class TPreviewPane : public QFrame {
  Q_OBJECT

 public:
  // Quiet time after a row change before a read starts, when reads follow each other closely.
  static constexpr int kQuietMs = 150;
  // A file at least this large shows its first page (kFirstPageBytes of text) before the whole.
  static constexpr std::uint64_t kFirstPageFileBytes = 256 * 1024;
  static constexpr std::size_t kFirstPageBytes = 64 * 1024;
  // The pane shows at most this much text (counts are over the whole text).
  static constexpr std::size_t kShownBytes = 2 * 1024 * 1024;

  explicit TPreviewPane(QWidget* parent = nullptr);
  ~TPreviewPane() override;

  // The current row's file (nothing happens when it is the one shown or being read).
  void Follow(const TPreviewTarget& target);
  // No row: the pane says so.
  void ShowNoRow();
  const TPreviewTarget& Target() const { return target_; }

  // What the pane shows now.
  QString ShownText() const;
  QString CountText() const;    // "검사 결과 N건 · 지금 M건"
  QString SummaryText() const;  // "찾은 개인정보: ..."
  QString SentenceText() const;
  int MatchCount() const { return int(spans_.size()); }
  int CurrentMatch() const { return current_; }  // -1 before the first Up/Down
  bool Reading() const { return reading_; }
  // Whether the whole file has been read and counted (not only its first page).
  bool Complete() const { return complete_; }
  // Moves to the next or previous match (wrapping), marks it and scrolls it into view.
  void NextMatch();
  void PreviousMatch();

  // Called when a file has been read whole: its listed path and the count now, as its row's kind names it.
  std::function<void(const std::string& listedPath, int now)> OnCounted;
  // Called when the first text of the current target is in the view (the benchmark times a row change to it).
  std::function<void()> OnFirstPage;

  QLabel* Title = nullptr;
  QLabel* Counts = nullptr;
  QLabel* Position = nullptr;
  QLabel* Summary = nullptr;
  QLabel* Sentence = nullptr;
  QPlainTextEdit* TextView = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  struct Result;
  void Start();
  void Present(std::uint64_t generation, const std::shared_ptr<Result>& r);
  void MarkMatches();
  void GoToMatch(int index);

  TPreviewTarget target_;
  bool hasTarget_ = false;
  QThreadPool pool_;
  std::stop_source stop_;
  std::uint64_t generation_ = 0;
  QTimer quiet_;
  std::int64_t lastStart_ = -1'000'000;
  bool reading_ = false;
  bool complete_ = false;
  bool firstShown_ = false;
  // The matches in the shown text: start and length in UTF-16 units.
  std::vector<std::pair<int, int>> spans_;
  int current_ = -1;
};

}  // namespace vek
