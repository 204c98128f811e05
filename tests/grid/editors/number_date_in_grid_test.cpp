// The number, date and time editors in a memory grid, driven by keys as the user types them: which editor
// a column opens, what is stored on every way of leaving the cell, the column's bounds and the data type's
// range, grouping while typing, pasting, the empty value, the half-typed date field and the two steps of Esc.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <cmath>
#include <string>

#include "editor_fixture.h"
#include "grid/editors/date_edit.h"
#include "grid/editors/num_edit.h"
#include "grid/memory/mem_grid.h"
#include "grid/view/edit_session.h"
#include "platform/format/format.h"

using namespace editortest;

namespace {

enum Col { kFloat, kLong, kDate, kTime, kByte };

class NumDateGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    for (TwDataType t : {wdtFloat, wdtLong, wdtDate, wdtTime, wdtByte}) {
      TwMemColumn* c = grid.AddColumn();
      c->SetDataType(t);
      c->SetColWidth(120);
    }
    grid.Column(kFloat)->SetEditFormat("#,##0.0");
    grid.Column(kTime)->SetEditFormat("hh:nn");
    for (int r = 0; r < 4; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(kFloat, r).SetAsVariant(plat::Variant(10.0 + r));
      grid.Cells(kLong, r).SetAsString("7");
      grid.Cells(kDate, r).SetAsVariant(plat::Variant::Date(plat::fmt::EncodeDate(2026, 12, 15)));
      grid.Cells(kTime, r).SetAsVariant(plat::Variant::Date(plat::fmt::EncodeTime(9, 30, 0, 0)));
      grid.Cells(kByte, r).SetAsString("5");
    }
    TwGridOptions o = grid.Options();
    grid.SetOptions(o.Include(wgoEditing).Include(wgoInserting).Exclude(wgoEnterToTab));
    grid.OnExit = [this](QObject*) { ++exits; };
    grid.resize(700, 220);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }

  QWidget* Focus() {
    QWidget* f = QApplication::focusWidget();
    EXPECT_NE(f, nullptr);
    return f ? f : &grid;
  }
  // Keys go where the focus is, as the user's keys would.
  void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(Focus(), k, m); }
  void Type(const char* s) {
    for (; *s; ++s) QTest::keyClick(Focus(), *s);
  }
  TwInNumEdit* NumEditor() {
    return grid.Editing().InplaceEditor() ? dynamic_cast<TwInNumEdit*>(grid.Editing().InplaceEditor())
                                          : nullptr;
  }
  TwInDateEdit* DateEditor() {
    return grid.Editing().InplaceEditor() ? dynamic_cast<TwInDateEdit*>(grid.Editing().InplaceEditor())
                                          : nullptr;
  }
  plat::TDateTime CellDate(int col, int row) { return grid.Cells(col, row).AsDateTime(); }

  LocaleGuard locale;
  BeepCounter beeps;
  TMemGrid grid;
  int exits = 0;
};

plat::TDateTime Date(int y, int m, int d) {
  return plat::fmt::EncodeDate(y, m, d);
}

// --- numbers --------------------------------------------------------------------------------------------

TEST_F(NumDateGrid, ATypedDigitOpensTheNumberEditorWhichShowsGroupingAndEnterStoresTheNumber) {
  grid.SetCol(kFloat);
  Type("1234.5");
  TwInNumEdit* e = NumEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(Focus(), e);
  EXPECT_EQ(exits, 0) << "the editor taking the focus is no exit of the grid";
  EXPECT_EQ(e->RawText(), "1234.5") << "the cell's 10.0 was selected and replaced";
  EXPECT_EQ(e->DisplayText(), "1,234.5");
  EXPECT_EQ(grid.EditState(), esEdit);
  Key(Qt::Key_Return);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(Focus(), &grid);
  EXPECT_DOUBLE_EQ(grid.Cells(kFloat, 0).AsFloat(), 1234.5);

  // Moving down commits too, and the editor does not stay open on the next row.
  grid.SetRow(1);
  Type("42");
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_DOUBLE_EQ(grid.Cells(kFloat, 1).AsFloat(), 42);

  // A whole-number column: the '-' typed after the digits makes the number negative.
  grid.SetColRow(kLong, 2);
  Type("15-");
  Key(Qt::Key_Up);
  EXPECT_EQ(grid.Cells(kLong, 2).AsString(), "-15");
  EXPECT_EQ(beeps.count, 0);
  EXPECT_EQ(exits, 0);
}

TEST_F(NumDateGrid, TheSpinKindSharesTheNumberEditorWithItsButtons) {
  grid.Column(kLong)->SetEditStyle(wesSpinEdit);
  grid.SetCol(kLong);
  Key(Qt::Key_F2);
  TwInNumEdit* spin = NumEditor();
  ASSERT_NE(spin, nullptr);
  EXPECT_TRUE(spin->SpinButtons());
  Key(Qt::Key_Return);
  grid.SetCol(kFloat);
  Key(Qt::Key_F2);
  EXPECT_EQ(NumEditor(), spin) << "one editor for both kinds";
  EXPECT_FALSE(spin->SpinButtons());
  EXPECT_EQ(spin->Decimals(), 1);
  EXPECT_TRUE(spin->Grouping());
}

TEST_F(NumDateGrid, AValueAboveTheColumnsMaxValueIsStoredAsTheBound) {
  grid.Column(kFloat)->SetMinValue("0");
  grid.Column(kFloat)->SetMaxValue("100");
  grid.SetCol(kFloat);
  Type("250");
  ASSERT_NE(NumEditor(), nullptr);
  EXPECT_EQ(NumEditor()->RawText(), "250.0") << "while typing any number is allowed";
  Type("-");  // a range without negatives cannot be made negative
  EXPECT_EQ(beeps.count, 1);
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(grid.Cells(kFloat, 0).AsFloat(), 100);

  // Leaving for the next cell at the end of the text bounds it the same way.
  grid.SetRow(1);
  Type("999");
  Key(Qt::Key_Right);  // inside the number: the caret moves
  EXPECT_EQ(grid.Col(), kFloat);
  Key(Qt::Key_End);
  Key(Qt::Key_Right);
  EXPECT_EQ(grid.Col(), kLong);
  EXPECT_DOUBLE_EQ(grid.Cells(kFloat, 1).AsFloat(), 100);
}

// The focus going to another control of the window commits the bounded number and the date typed.
TEST(NumDateFocus, FocusToAnotherControlCommitsTheBoundedNumberAndTheTypedDate) {
  LocaleGuard locale;
  plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
  QWidget host;
  auto* g = new TMemGrid(&host);
  auto* other = new QWidget(&host);
  other->setFocusPolicy(Qt::StrongFocus);
  g->setGeometry(0, 0, 400, 200);
  other->setGeometry(0, 210, 100, 20);
  TwMemColumn* number = g->AddColumn();
  number->SetDataType(wdtSmall);
  number->SetMaxValue("500");
  number->SetMinValue("-500");
  g->AddColumn()->SetDataType(wdtDate);
  g->AppendRow(false, false, false);
  g->SetOptions(TwGridOptions(g->Options()).Include(wgoEditing));
  int exits = 0;
  g->OnExit = [&](QObject*) { ++exits; };
  host.show();
  host.activateWindow();
  g->setFocus();
  QApplication::processEvents();
  for (char ch : std::string("7000-")) QTest::keyClick(QApplication::focusWidget(), ch);
  ASSERT_TRUE(g->EditorMode());
  other->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(g->Cells(0, 0).AsString(), "-500");
  EXPECT_EQ(exits, 1);

  g->setFocus();
  g->SetCol(1);
  for (char ch : std::string("2027-1")) QTest::keyClick(QApplication::focusWidget(), ch);
  ASSERT_TRUE(g->EditorMode());
  other->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(g->EditorMode());
  // The month typed as "1" was still open (it could have become 10 to 12): it is taken as January.
  const plat::TDateTime d = g->Cells(1, 0).AsDateTime();
  int y = 0, m = 0, day = 0;
  plat::fmt::DecodeDate(d, y, m, day);
  EXPECT_EQ(y, 2027);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(d, std::floor(d)) << "no time of day in a date typed into an empty cell";
}

TEST_F(NumDateGrid, AWholeNumberTooLargeForTheDataTypeIsBoundedNotCutToItsBytes) {
  grid.SetCol(kByte);
  Type("300");
  ASSERT_NE(NumEditor(), nullptr);
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.Cells(kByte, 0).AsString(), "255");
  // '-' opens nothing in a byte column; in an open editor it beeps (the type has no negatives).
  Type("-");
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(beeps.count, 1);
  Type("4");
  Type("-");
  EXPECT_EQ(beeps.count, 2);
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Cells(kByte, 1).AsString(), "4");
  // Column bounds that the type cannot hold give way to the type's range.
  grid.Column(kLong)->SetMaxValue("1e12");
  grid.Column(kLong)->SetMinValue("-5");
  grid.SetColRow(kLong, 2);
  Type("99999999999");
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Cells(kLong, 2).AsString(), "2147483647");
}

TEST_F(NumDateGrid, PastingIntoTheNumberEditorChangesNothing) {
  QApplication::clipboard()->setText("abc");
  grid.SetCol(kFloat);
  Key(Qt::Key_F2);
  TwInNumEdit* e = NumEditor();
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->RawText(), "10.0");
  Key(Qt::Key_V, Qt::ControlModifier);
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(e->RawText(), "10.0");
  QApplication::clipboard()->setText("77");
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(e->RawText(), "10.0") << "not even a number is pasted";
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(grid.Cells(kFloat, 0).AsFloat(), 10);
  EXPECT_EQ(grid.RowCount(), 4) << "Shift+Insert inserted no row";
}

TEST_F(NumDateGrid, BackspaceAndDeleteEmptyTheNumberAndNullIsStored) {
  grid.SetCol(kLong);
  Key(Qt::Key_F2);  // the caret after the 7
  ASSERT_NE(NumEditor(), nullptr);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(NumEditor()->RawText(), "");
  Key(Qt::Key_Return);
  EXPECT_TRUE(grid.Cells(kLong, 0).IsNull());
  // Delete on a browsing cell opens the editor with the value emptied.
  grid.SetColRow(kFloat, 1);
  Key(Qt::Key_Delete);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_TRUE(NumEditor()->GetValue().IsNull());
  Key(Qt::Key_Down);
  EXPECT_TRUE(grid.Cells(kFloat, 1).IsNull());
}

TEST_F(NumDateGrid, EscRestoresTheNumberAndASecondEscCancelsTheRow) {
  grid.SetCol(kFloat);
  Type("999");
  Key(Qt::Key_Escape);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_DOUBLE_EQ(grid.Cells(kFloat, 0).AsFloat(), 10);
  EXPECT_EQ(grid.EditState(), esEdit);
  Key(Qt::Key_Escape);
  EXPECT_EQ(grid.EditState(), esBrowse);
}

TEST_F(NumDateGrid, KeysLeaveTheNumberOnlyAtItsEdgeAndAReadOnlyColumnRefusesWithABeep) {
  grid.SetCol(kLong);
  Key(Qt::Key_F2);
  ASSERT_NE(NumEditor(), nullptr);
  Key(Qt::Key_Left);  // from the end to the start of "7": inside the number
  EXPECT_EQ(grid.Col(), kLong);
  Key(Qt::Key_Left);  // at the start: the cell to the left
  EXPECT_EQ(grid.Col(), kFloat);

  grid.Column(kLong)->SetReadOnly(true);
  grid.SetCol(kLong);
  Key(Qt::Key_F2);
  ASSERT_NE(NumEditor(), nullptr) << "a read-only number still opens (its text can be copied)";
  const int before = beeps.count;
  Key(Qt::Key_Backspace);
  Type("3");
  EXPECT_EQ(beeps.count, before + 2);
  EXPECT_EQ(NumEditor()->RawText(), "7");
}

// --- dates and times ------------------------------------------------------------------------------------

TEST_F(NumDateGrid, ADateColumnOpensTheDateEditorAndATypedDateIsStoredOnLeaving) {
  grid.SetCol(kDate);
  Type("2024");
  TwInDateEdit* e = DateEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(Focus(), e);
  EXPECT_TRUE(e->calendarPopup()) << "the date kind has its calendar";
  Type("-03-09");
  Key(Qt::Key_Down);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_DOUBLE_EQ(CellDate(kDate, 0), Date(2024, 3, 9)) << grid.Cells(kDate, 0).AsString();
  EXPECT_EQ(exits, 0);
}

TEST_F(NumDateGrid, AHalfTypedDayIsCommittedOnLeaving) {
  grid.SetCol(kDate);
  Key(Qt::Key_F2);
  TwInDateEdit* e = DateEditor();
  ASSERT_NE(e, nullptr);
  // Right moves between the fields of a date that shows: year, month, day.
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(grid.Col(), kDate);
  EXPECT_EQ(e->currentSection(), QDateTimeEdit::DaySection);
  Type("2");  // the day field now reads 2, not yet taken
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(CellDate(kDate, 0), Date(2026, 12, 2)) << grid.Cells(kDate, 0).AsString();
  // Ctrl+Right leaves the date for the next cell, committing what was typed.
  grid.SetColRow(kDate, 1);
  Key(Qt::Key_F2);
  Key(Qt::Key_Right);
  Type("1");
  Key(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(grid.Col(), kTime);
  EXPECT_DOUBLE_EQ(CellDate(kDate, 1), Date(2026, 1, 15)) << grid.Cells(kDate, 1).AsString();
}

TEST_F(NumDateGrid, DeleteEmptiesTheDateAndADigitStartsItAgainWithoutAStrayTimeOfDay) {
  grid.SetCol(kDate);
  Key(Qt::Key_Delete);  // on the browsing cell: the editor opens empty
  TwInDateEdit* e = DateEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->IsNull());
  Key(Qt::Key_Down);
  EXPECT_TRUE(grid.Cells(kDate, 0).IsNull());
  // Delete inside the open editor empties it as well.
  Key(Qt::Key_F2);
  Key(Qt::Key_Delete);
  Key(Qt::Key_Return);
  EXPECT_TRUE(grid.Cells(kDate, 1).IsNull());
  // An empty cell typed into: the date typed, at midnight.
  grid.SetRow(0);
  Type("2025-07-04");
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(CellDate(kDate, 0), Date(2025, 7, 4)) << grid.Cells(kDate, 0).AsString();
  // Left in an empty editor moves to the neighbouring cell.
  grid.SetRow(1);
  Key(Qt::Key_F2);
  ASSERT_TRUE(DateEditor()->IsNull());
  Key(Qt::Key_Left);
  EXPECT_EQ(grid.Col(), kLong);
}

TEST_F(NumDateGrid, EscRestoresTheDateAndItsNullState) {
  grid.SetCol(kDate);
  Key(Qt::Key_F2);
  Key(Qt::Key_Delete);
  ASSERT_TRUE(DateEditor()->IsNull());
  Key(Qt::Key_Escape);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_DOUBLE_EQ(CellDate(kDate, 0), Date(2026, 12, 15));
  // The next opening shows the stored date again, not the empty state.
  Key(Qt::Key_F2);
  EXPECT_FALSE(DateEditor()->IsNull());
  Type("2030");
  Key(Qt::Key_Escape);
  EXPECT_DOUBLE_EQ(CellDate(kDate, 0), Date(2026, 12, 15));
}

TEST_F(NumDateGrid, PastedTextNeverReachesADateCell) {
  QApplication::clipboard()->setText("no date");
  grid.SetCol(kDate);
  Key(Qt::Key_F2);
  ASSERT_NE(DateEditor(), nullptr);
  Key(Qt::Key_V, Qt::ControlModifier);
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(CellDate(kDate, 0), Date(2026, 12, 15));
}

TEST_F(NumDateGrid, ATimeColumnOpensTheTimeEditorAndTheTypedTimeIsStored) {
  grid.SetCol(kTime);
  Type("14");
  TwInDateEdit* e = DateEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Kind(), TDateTimeKind::Time);
  EXPECT_NE(dynamic_cast<TwInTimeEdit*>(e), nullptr);
  Type(":05");
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(CellDate(kTime, 0), plat::fmt::EncodeTime(14, 5, 0, 0)) << grid.Cells(kTime, 0).AsString();
  // An empty time typed into holds the time alone, not a date.
  grid.SetRow(1);
  Key(Qt::Key_Delete);
  Key(Qt::Key_Return);
  ASSERT_TRUE(grid.Cells(kTime, 1).IsNull());
  Type("08");
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(CellDate(kTime, 1), plat::fmt::EncodeTime(8, 0, 0, 0)) << grid.Cells(kTime, 1).AsString();
}

TEST_F(NumDateGrid, ADateOutsideTheColumnsBoundsIsHeldToThemAndTheNextColumnsBoundsApply) {
  grid.Column(kDate)->SetMinValue("2026-01-01");
  grid.Column(kDate)->SetMaxValue("2026-12-31");
  grid.SetCol(kDate);
  Type("2031");
  Key(Qt::Key_Return);
  const plat::TDateTime stored = CellDate(kDate, 0);
  EXPECT_GE(stored, Date(2026, 1, 1));
  EXPECT_LE(stored, Date(2026, 12, 31));
  // Another date column without bounds: a far date loads unchanged and is not cut to the first one's.
  TwMemColumn* wide = grid.AddColumn();
  wide->SetDataType(wdtDate);
  grid.Cells(5, 1).SetAsVariant(plat::Variant::Date(Date(2040, 5, 6)));
  grid.SetColRow(5, 1);
  Key(Qt::Key_F2);
  ASSERT_NE(DateEditor(), nullptr);
  Key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(CellDate(5, 1), Date(2040, 5, 6));
}

}  // namespace
