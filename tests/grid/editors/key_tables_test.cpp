// The key table of every editor kind, through Qt's real key path: the editor is opened with F2 on the
// middle cell of a three-by-three memory grid and a key is pressed into the focused control. What counts
// is where the key went: whether the grid's OnKeyDown heard it, which cell is current afterwards and
// whether the editor is still open. The editor's answers (caret at the start or the end, the line of a
// multi-line text, the item of a radio group, a dropped-down list, an empty date) decide the routing.
#include <QTest>
#include <algorithm>
#include <vector>

#include "editor_fixture.h"
#include "grid/memory/mem_grid.h"
#include "platform/ui/keys.h"

using namespace editortest;

namespace {

enum class Kind { Text, MultiText, Number, Date, EmptyDate, Check, Radio, PickList };

struct Press {
  Qt::Key key;
  Qt::KeyboardModifiers mods = Qt::NoModifier;
};

struct Row {
  const char* what;
  Kind kind;
  std::vector<Press> before;  // keys pressed first (their effect is not checked)
  Press press;
  bool heard;  // the grid's OnKeyDown saw the key
  int col, row;
  bool open;
};

class KeyTables : public ::testing::TestWithParam<Row> {
 protected:
  void Build(Kind kind) {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    window.resize(700, 300);
    grid = new TMemGrid(&window);
    grid->setGeometry(0, 0, 700, 260);
    for (int c = 0; c < 3; ++c) {
      TwMemColumn* col = grid->AddColumn();
      col->SetDataType(wdtString);
      col->SetColWidth(c == 1 ? 240 : 80);
    }
    TwMemColumn* mid = grid->Column(1);
    switch (kind) {
      case Kind::Text:
        break;
      case Kind::MultiText:
        mid->SetEditStyle(wesMultiText);
        break;
      case Kind::Number:
        mid->SetDataType(wdtLong);
        break;
      case Kind::Date:
      case Kind::EmptyDate:
        mid->SetDataType(wdtDate);
        break;
      case Kind::Check:
        mid->SetDataType(wdtBool);
        break;
      case Kind::Radio:
        mid->SetEditStyle(wesRadioGroup);
        mid->SetValues({"v0", "v1", "v2", "v3", "v4", "v5"});
        mid->SetRadioColumns(3);
        break;
      case Kind::PickList:
        mid->SetValues({"A", "B", "C"});
        break;
    }
    grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
    for (int r = 0; r < 3; ++r) grid->AppendRow(false, false, false);
    for (int r = 0; r < 3; ++r) {
      grid->Cells(0, r).SetAsString("left");
      grid->Cells(2, r).SetAsString("right");
    }
    switch (kind) {
      case Kind::Text:
        grid->Cells(1, 1).SetAsString("abc");
        break;
      case Kind::MultiText:
        grid->Cells(1, 1).SetAsString("one\ntwo");
        break;
      case Kind::Number:
        grid->Cells(1, 1).SetAsString("12");
        break;
      case Kind::Date:
        grid->Cells(1, 1).SetAsVariant(plat::Variant::Date(45000.0));
        break;
      case Kind::EmptyDate:
        break;
      case Kind::Check:
        grid->Cells(1, 1).SetAsVariant(plat::Variant(true));
        break;
      case Kind::Radio:
        grid->Cells(1, 1).SetAsString("v1");
        break;
      case Kind::PickList:
        grid->Cells(1, 1).SetAsString("B");
        break;
    }
    grid->OnKeyDown = [this](QObject*, int& key, plat::ui::TShiftState) { heard.push_back(key); };
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    grid->setFocus(Qt::OtherFocusReason);
    grid->SetColRow(1, 1);
    QApplication::processEvents();
    QTest::keyClick(grid, Qt::Key_F2);
    QApplication::processEvents();
    heard.clear();
  }

  void Send(const Press& p) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, p.key, p.mods);
    QApplication::processEvents();
  }

  QWidget window;
  TMemGrid* grid = nullptr;
  std::vector<int> heard;
};

TEST_P(KeyTables, TheKeyGoesWhereTheEditorsTableSends) {
  const Row& row = GetParam();
  Build(row.kind);
  ASSERT_TRUE(grid->EditorMode()) << row.what;
  ASSERT_NE(QApplication::focusWidget(), grid) << "the editor has the focus";
  for (const Press& p : row.before) Send(p);
  heard.clear();
  Send(row.press);
  const int vk = plat::ui::VirtualKeyOf(row.press.key);
  const bool gridHeard = std::find(heard.begin(), heard.end(), vk) != heard.end();
  EXPECT_EQ(gridHeard, row.heard) << row.what;
  EXPECT_EQ(grid->Col(), row.col) << row.what;
  EXPECT_EQ(grid->Row(), row.row) << row.what;
  EXPECT_EQ(grid->EditorMode(), row.open) << row.what;
}

constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Alt = Qt::AltModifier;

const Row kRows[] = {
    // One-line text: the caret decides whether Left/Right/Home/End leave the cell.
    {"text: Right at the end leaves", Kind::Text, {}, {Qt::Key_Right}, true, 2, 1, false},
    {"text: Left inside the text stays", Kind::Text, {}, {Qt::Key_Left}, true, 1, 1, true},
    {"text: Left at the start leaves", Kind::Text, {{Qt::Key_Home}}, {Qt::Key_Left}, true, 0, 1, false},
    {"text: Ctrl+Left leaves from anywhere", Kind::Text, {}, {Qt::Key_Left, Ctrl}, true, 0, 1, false},
    {"text: Up moves a row", Kind::Text, {}, {Qt::Key_Up}, true, 1, 0, false},
    {"text: Down moves a row", Kind::Text, {}, {Qt::Key_Down}, true, 1, 2, false},
    {"text: F2 stays open", Kind::Text, {}, {Qt::Key_F2}, true, 1, 1, true},
    {"text: Enter closes", Kind::Text, {}, {Qt::Key_Return}, true, 1, 1, false},
    // Several lines: Up and Down leave only from the first or the last line.
    {"multi: Down on the last line leaves", Kind::MultiText, {}, {Qt::Key_Down}, true, 1, 2, false},
    {"multi: Up on the last line stays", Kind::MultiText, {}, {Qt::Key_Up}, true, 1, 1, true},
    {"multi: Ctrl+Up leaves from any line", Kind::MultiText, {}, {Qt::Key_Up, Ctrl}, true, 1, 0, false},
    {"multi: Right at the end leaves", Kind::MultiText, {}, {Qt::Key_Right}, true, 2, 1, false},
    // Number: as one-line text, with the caret of its own edit.
    {"number: Right at the end leaves", Kind::Number, {}, {Qt::Key_Right}, true, 2, 1, false},
    {"number: Left inside stays", Kind::Number, {}, {Qt::Key_Left}, true, 1, 1, true},
    {"number: Home then Left leaves", Kind::Number, {{Qt::Key_Home}}, {Qt::Key_Left}, true, 0, 1, false},
    {"number: Up moves a row", Kind::Number, {}, {Qt::Key_Up}, true, 1, 0, false},
    // Date: Left and Right move between the fields of a date, leave an empty one or with Ctrl.
    {"date: Left moves between fields", Kind::Date, {}, {Qt::Key_Left}, true, 1, 1, true},
    {"date: Ctrl+Right leaves", Kind::Date, {}, {Qt::Key_Right, Ctrl}, true, 2, 1, false},
    {"date: Up leaves", Kind::Date, {}, {Qt::Key_Up}, true, 1, 0, false},
    {"date: Ctrl+Up steps the field", Kind::Date, {}, {Qt::Key_Up, Ctrl}, true, 1, 1, true},
    {"empty date: Right leaves", Kind::EmptyDate, {}, {Qt::Key_Right}, true, 2, 1, false},
    // Check box: every key goes to the grid.
    {"check: Right leaves", Kind::Check, {}, {Qt::Key_Right}, true, 2, 1, false},
    {"check: Up leaves", Kind::Check, {}, {Qt::Key_Up}, true, 1, 0, false},
    {"check: Space is heard and stays", Kind::Check, {}, {Qt::Key_Space}, true, 1, 1, true},
    // Radio group (v1 of three columns, two rows): arrows move between items, leave at the block's edges.
    {"radio: Left to the first item stays", Kind::Radio, {}, {Qt::Key_Left}, true, 1, 1, true},
    {"radio: Left from the first column leaves",
     Kind::Radio,
     {{Qt::Key_Left}},
     {Qt::Key_Left},
     true,
     0,
     1,
     false},
    {"radio: Right to the last column stays", Kind::Radio, {}, {Qt::Key_Right}, true, 1, 1, true},
    {"radio: Right from the last column leaves",
     Kind::Radio,
     {{Qt::Key_Right}},
     {Qt::Key_Right},
     true,
     2,
     1,
     false},
    {"radio: Up from the first row leaves", Kind::Radio, {}, {Qt::Key_Up}, true, 1, 0, false},
    {"radio: Down into the second row stays", Kind::Radio, {}, {Qt::Key_Down}, true, 1, 1, true},
    {"radio: Down from the last row leaves",
     Kind::Radio,
     {{Qt::Key_Down}},
     {Qt::Key_Down},
     true,
     1,
     2,
     false},
    // Pick list: while the list is down its keys stay with it, the grid hears nothing.
    {"pick: Up without the list leaves", Kind::PickList, {}, {Qt::Key_Up}, true, 1, 0, false},
    {"pick: Alt+Down drops the list", Kind::PickList, {}, {Qt::Key_Down, Alt}, false, 1, 1, true},
    {"pick: Down in the dropped list stays",
     Kind::PickList,
     {{Qt::Key_Down, Alt}},
     {Qt::Key_Down},
     false,
     1,
     1,
     true},
    {"pick: Esc closes only the list",
     Kind::PickList,
     {{Qt::Key_Down, Alt}},
     {Qt::Key_Escape},
     false,
     1,
     1,
     true},
    {"pick: Right at the end leaves", Kind::PickList, {}, {Qt::Key_Right}, true, 2, 1, false},
};

INSTANTIATE_TEST_SUITE_P(EveryKind, KeyTables, ::testing::ValuesIn(kRows));

}  // namespace
