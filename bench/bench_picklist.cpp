// A pick list over 100,000 values, driven the way a user drives it (keys into the editor, events processed,
// the list window painted), against a QLineEdit with a QCompleter over a QStringListModel holding the same
// values, in the same run:
//   open   Alt+Down drops the list   /   the completer's popup shows the whole list
//   char   one typed character: the text changes and the list follows (search as you type)
// Ends with "picklist: open_ms=... qc_open_ms=... char_us=... qc_char_us=... ratio_to_qcompleter=..."
// where the ratio is the larger of the open and the per-character ratios.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "grid/editors/pick_list.h"
#include "grid/memory/mem_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_session.h"

namespace {

constexpr int kCount = 100000;

// Document names in no particular order: "doc-<6 digits>-<kind>".
std::vector<std::string> Values() {
  std::vector<int> numbers(kCount);
  for (int i = 0; i < kCount; ++i) numbers[std::size_t(i)] = i;
  std::mt19937 rng(7);
  std::shuffle(numbers.begin(), numbers.end(), rng);
  static const char* kinds[] = {"report", "memo", "plan", "list"};
  std::vector<std::string> v;
  v.reserve(kCount);
  char buf[40];
  for (int i = 0; i < kCount; ++i) {
    std::snprintf(buf, sizeof buf, "doc-%06d-%s", numbers[std::size_t(i)], kinds[i % 4]);
    v.emplace_back(buf);
  }
  return v;
}

// A key press and release as the keyboard delivers them to the focused editor.
void KeyClick(QWidget* w, int key, Qt::KeyboardModifiers m = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, m, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, m, text);
  QApplication::sendEvent(w, &release);
}
void TypeChar(QWidget* w, char c) {
  const int key = c >= 'a' && c <= 'z' ? Qt::Key_A + (c - 'a') : c;
  KeyClick(w, key, Qt::NoModifier, QString(QChar(c)));
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Timings {
  double open = 1e9;  // best of the rounds, seconds
  double perChar = 1e9;
};

// Types `typed` one character at a time into `edit`, processing events after each; seconds per character.
double TypeAll(QWidget* edit, const std::string& typed) {
  const double start = Now();
  for (char c : typed) {
    TypeChar(edit, c);
    QApplication::processEvents();
  }
  return (Now() - start) / double(typed.size());
}

Timings TimePickList(const std::vector<std::string>& values, const std::vector<std::string>& targets) {
  // The pick list of a string column of a memory grid, as the grid makes it for that column.
  QWidget window;
  window.resize(300, 60);
  auto* grid = new TMemGrid(&window);
  grid->setGeometry(0, 0, 300, 60);
  TwMemColumn* column = grid->AddColumn();
  column->SetDataType(wdtString);
  column->SetValues(values);
  grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoEditing));
  grid->AppendRow(false, false, false);
  column->SetColWidth(200);
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  grid->setFocus();
  QApplication::processEvents();
  grid->ShowEditor();
  auto* edit = dynamic_cast<TwInPickList*>(grid->Editing().InplaceEditor());
  if (!edit) {
    std::fprintf(stderr, "the grid opened no pick list\n");
    std::exit(1);
  }
  QApplication::processEvents();
  Timings t;
  for (const auto& target : targets) {
    edit->SetText("");
    QApplication::processEvents();
    const double start = Now();
    KeyClick(edit, Qt::Key_Down, Qt::AltModifier);
    QApplication::processEvents();
    t.open = std::min(t.open, Now() - start);
    if (!edit->DroppedDown()) std::fprintf(stderr, "the list did not open\n");
    KeyClick(edit, Qt::Key_Escape);
    QApplication::processEvents();

    t.perChar = std::min(t.perChar, TypeAll(edit, target));
    if (edit->DropList()->ItemIndex() < 0 ||
        edit->DropList()->CellText(0, edit->DropList()->ItemIndex()) != target)
      std::fprintf(stderr, "the pick list did not find %s (text %s, row %d, down %d)\n", target.c_str(),
                   edit->Text().c_str(), edit->DropList()->ItemIndex(), int(edit->DroppedDown()));
    KeyClick(edit, Qt::Key_Escape);
    QApplication::processEvents();
  }
  return t;
}

Timings TimeCompleter(const std::vector<std::string>& values, const std::vector<std::string>& targets) {
  QStringList list;
  list.reserve(kCount);
  for (const auto& v : values) list << QString::fromStdString(v);
  QStringListModel model(list);
  QWidget window;
  window.resize(300, 60);
  auto* edit = new QLineEdit(&window);
  edit->setGeometry(10, 10, 200, 22);
  QCompleter completer(&model);
  completer.setCaseSensitivity(Qt::CaseInsensitive);
  completer.setMaxVisibleItems(8);
  edit->setCompleter(&completer);
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  edit->setFocus();
  QApplication::processEvents();
  Timings t;
  for (const auto& target : targets) {
    edit->clear();
    QApplication::processEvents();
    const double start = Now();
    completer.setCompletionPrefix(QString());
    completer.complete();
    QApplication::processEvents();
    t.open = std::min(t.open, Now() - start);
    if (!completer.popup()->isVisible()) std::fprintf(stderr, "the completer did not open\n");
    completer.popup()->hide();
    QApplication::processEvents();

    t.perChar = std::min(t.perChar, TypeAll(edit, target));
    if (completer.currentCompletion().toStdString() != target)
      std::fprintf(stderr, "the completer did not find %s\n", target.c_str());
    completer.popup()->hide();
    QApplication::processEvents();
  }
  return t;
}

void BM_SearchText(benchmark::State& state) {
  static const std::vector<std::string> values = Values();
  static TwItemListOption option;
  TwItemList list;
  list.SetupList(&option, &values, false, nullptr, nullptr, 200);
  const std::string target = values[kCount - 10];
  for (auto _ : state) {
    list.SearchText(target, true);
    benchmark::DoNotOptimize(list.ItemIndex());
  }
}
BENCHMARK(BM_SearchText);

void BM_SetupList(benchmark::State& state) {
  static const std::vector<std::string> values = Values();
  static TwItemListOption option;
  TwItemList list;
  for (auto _ : state) {
    list.SetupList(&option, &values, false, nullptr, nullptr, 200);
    benchmark::DoNotOptimize(list.ColumnWidths());
  }
}
BENCHMARK(BM_SetupList);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  DrawUnitInitialize();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();

  const std::vector<std::string> values = Values();
  // Rows far down the list, so a search from the top walks nearly all of it.
  const std::vector<std::string> targets = {values[kCount - 1], values[kCount - 500], values[kCount / 2],
                                            values[kCount - 7]};
  const Timings pick = TimePickList(values, targets);
  const Timings qc = TimeCompleter(values, targets);
  DrawUnitFinalize();
  const double openRatio = pick.open / qc.open;
  const double charRatio = pick.perChar / qc.perChar;
  std::printf(
      "picklist: open_ms=%.3f qc_open_ms=%.3f char_us=%.1f qc_char_us=%.1f open_ratio=%.2f char_ratio=%.2f "
      "ratio_to_qcompleter=%.2f\n",
      pick.open * 1e3, qc.open * 1e3, pick.perChar * 1e6, qc.perChar * 1e6, openRatio, charRatio,
      std::max(openRatio, charRatio));
  return 0;
}
