// Memory column footers: style texts, every aggregate and condition, null rows, conversion errors, and
// the display of footer texts.
#include <gtest/gtest.h>

#include "grid_fixture.h"
#include "platform/error.h"

namespace {

using Style = TwMemColumnFooter;

class Footers : public GridFixture, public ::testing::Test {
 protected:
  // Column A (numeric unless told) with the given cell texts ("" = null), and one footer row.
  void Numbers(std::initializer_list<const char*> cells, TwDataType type = wdtLong) {
    AddColumns({type});
    grid.Model().Footers().Add();
    int r = 0;
    for (const char* s : cells) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, r++).SetAsString(s);
    }
  }
  std::string Calc(TwFooterKind kind, TwFooterOperator op = wfoAll, const char* value = "", int col = 0,
                   int cond = Style::kThisColumn) {
    TwMemColumnFooter& f = grid.Column(col)->Footer();
    f.SetStyle(0, Style::MakeStyle(kind, cond, op, value));
    grid.CalcFooters();
    return f.GetValue(0);
  }
};

TEST_F(Footers, StyleTextsDecodeAndFollowTheFooterRows) {
  AddColumns({wdtLong});
  TwMemColumnFooter& f = grid.Column(0)->Footer();
  EXPECT_TRUE(f.StyleList().empty());
  grid.Model().Footers().Add();
  grid.Model().Footers().Add();
  EXPECT_EQ(f.StyleList(), (TwStrings{"099990", "099990"}));
  f.SetStyle(1, "200013abc");
  EXPECT_EQ(f.Kind(1), wfkCnt);
  EXPECT_EQ(f.ConditionColumn(1), 1);
  EXPECT_EQ(f.Operator(1), wfoGreaterEqual);
  EXPECT_EQ(f.ConditionValue(1), "abc");
  EXPECT_EQ(f.ConditionColumn(0), Style::kThisColumn);
  EXPECT_TRUE(f.ShowsRow(1));
  EXPECT_FALSE(f.ShowsRow(0));
  EXPECT_EQ(f.Styles(), "[Styles]");
  // A removed row's style goes back to neutral.
  grid.Model().Footers().Delete(1);
  EXPECT_EQ(f.Style(1), "099990");
  EXPECT_EQ(Style::MakeStyle(wfkSum, 12, wfoNotEqual, "5"), "3001265");
}

TEST_F(Footers, CountSumAverageCountNullRows) {
  Numbers({"3", "", "5"});
  EXPECT_EQ(Calc(wfkCnt), "3");
  EXPECT_EQ(Calc(wfkSum), "8");
  EXPECT_EQ(Calc(wfkAvg), plat::fmt::FloatToStr(8.0 / 3.0));
  EXPECT_EQ(Calc(wfkMax), "5");
  EXPECT_EQ(Calc(wfkMin), "");  // the null row is the smallest
}

// A boolean column's condition may be written with its own texts (as a form description writes them), or
// as a number.
TEST_F(Footers, ABooleanConditionReadsTrueAndFalse) {
  Numbers({"True", "False", "True", ""}, wdtBool);
  EXPECT_EQ(Calc(wfkCnt, wfoEqual, "True"), "2");
  EXPECT_EQ(Calc(wfkCnt, wfoEqual, " false"), "1");
  EXPECT_EQ(Calc(wfkCnt, wfoEqual, "1"), "2");
  EXPECT_THROW(Calc(wfkCnt, wfoEqual, "yes"), plat::EConvertError);
}

TEST_F(Footers, ConditionsOnThisColumn) {
  Numbers({"1", "4", "", "7", "4"});
  EXPECT_EQ(Calc(wfkCnt, wfoEqual, "4"), "2");
  EXPECT_EQ(Calc(wfkCnt, wfoGreater, "4"), "1");
  EXPECT_EQ(Calc(wfkCnt, wfoGreaterEqual, "4"), "3");
  EXPECT_EQ(Calc(wfkCnt, wfoLess, "4"), "2");  // the null row counts as less
  EXPECT_EQ(Calc(wfkCnt, wfoLessEqual, "4"), "4");
  EXPECT_EQ(Calc(wfkCnt, wfoNotEqual, "4"), "3");
  EXPECT_EQ(Calc(wfkSum, wfoGreater, "1"), "15");
  EXPECT_EQ(Calc(wfkAvg, wfoEqual, "4"), "4");
  EXPECT_EQ(Calc(wfkCnt, wfoGreater, ""), "4");    // an empty value is below every non-null value
  EXPECT_EQ(Calc(wfkAvg, wfoGreater, "100"), "");  // no row: no average
}

TEST_F(Footers, MaxAndMinTestEveryRowAgainstTheCondition) {
  // Row 0 does not meet the condition: it must not win.
  Numbers({"9", "2", "5", "1"});
  EXPECT_EQ(Calc(wfkMax, wfoLess, "9"), "5");
  EXPECT_EQ(Calc(wfkMin, wfoGreater, "1"), "2");
  EXPECT_EQ(Calc(wfkMax, wfoGreater, "100"), "");  // no matching row
  // Ties keep the earlier row.
  EXPECT_EQ(Calc(wfkMax), "9");
}

TEST_F(Footers, ConditionOnAnotherColumnAndBeyondTheColumns) {
  AddColumns({wdtFloat, wdtString});
  grid.Model().Footers().Add();
  const char* rows[][2] = {{"1.5", "abc"}, {"2", "ABC"}, {"4", "abc"}, {"", "x"}};
  for (int r = 0; r < 4; ++r) {
    grid.AppendRow(false, false, false);
    grid.Cells(0, r).SetAsString(rows[r][0]);
    grid.Cells(1, r).SetAsString(rows[r][1]);
  }
  EXPECT_EQ(Calc(wfkSum, wfoEqual, "abc", 0, 1), "5.5");  // case-sensitive
  EXPECT_EQ(Calc(wfkCnt, wfoEqual, "abc", 1), "2");
  EXPECT_EQ(Calc(wfkSum, wfoAll, "", 1), "");  // text columns have no sum
  EXPECT_EQ(Calc(wfkMax, wfoAll, "", 1), "x");
  EXPECT_EQ(Calc(wfkCnt, wfoEqual, "abc", 0, 7), "");  // condition column beyond the columns
}

TEST_F(Footers, DateConditionsReadTheValueAsADate) {
  AddColumns({wdtDate, wdtLong});
  grid.Model().Footers().Add();
  const char* dates[] = {"2023-01-05", "2023-03-01", "2022-12-31"};
  for (int r = 0; r < 3; ++r) {
    grid.AppendRow(false, false, false);
    grid.Cells(0, r).SetAsString(dates[r]);
    grid.Cells(1, r).SetAsString(std::to_string(r + 1));
  }
  EXPECT_EQ(Calc(wfkSum, wfoGreaterEqual, "2023-01-01", 1, 0), "3");
  EXPECT_EQ(Calc(wfkCnt, wfoLess, "2023-01-01"), "1");
  EXPECT_EQ(Calc(wfkMax), grid.Cells(0, 1).AsString());
}

TEST_F(Footers, ConversionErrorStopsTheRunAndSkipsTheAfterEvent) {
  AddColumns({wdtLong, wdtLong});
  grid.Model().Footers().Add();
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("2");
  grid.Cells(1, 0).SetAsString("3");
  int after = 0;
  grid.OnAfterCalcFooters = [&](QObject*) { ++after; };
  grid.Column(0)->Footer().SetStyle(0, Style::MakeStyle(wfkSum, Style::kThisColumn, wfoAll, ""));
  grid.Column(1)->Footer().SetStyle(0, Style::MakeStyle(wfkSum, Style::kThisColumn, wfoEqual, "abc"));
  grid.Column(1)->Footer().SetValue(0, "old");
  EXPECT_THROW(grid.CalcFooters(), plat::EConvertError);
  EXPECT_EQ(grid.Column(0)->Footer().GetValue(0), "2");    // computed before the error
  EXPECT_EQ(grid.Column(1)->Footer().GetValue(0), "old");  // kept
  EXPECT_EQ(after, 0);
}

TEST_F(Footers, HandlerMayTakeOverAndEmptyGridsShowEmptyTexts) {
  Numbers({});
  int after = 0;
  grid.OnAfterCalcFooters = [&](QObject*) { ++after; };
  EXPECT_EQ(Calc(wfkCnt), "");
  EXPECT_EQ(Calc(wfkCnt, wfoEqual, "not a number"), "");  // nothing compared, nothing raised
  grid.OnCalcFooters = [](QObject*, bool& Default) { Default = false; };
  grid.AppendRow(false, false, false);
  EXPECT_EQ(Calc(wfkCnt), "");  // not computed
  EXPECT_EQ(after, 3);
}

TEST_F(Footers, PostRecomputesWhenAutoCalcFootersIsOn) {
  Numbers({"1"});
  grid.Column(0)->Footer().SetStyle(0, Style::MakeStyle(wfkSum, Style::kThisColumn, wfoAll, ""));
  grid.SetRow(0);
  grid.Cells(0, 0).SetAsString("1");
  grid.AppendRow(false, false, false);
  grid.Cells(0, 1).SetAsString("6");
  EXPECT_EQ(grid.Column(0)->Footer().GetValue(0), "");  // cell writes do not recompute
  grid.CalcFooters();
  EXPECT_EQ(grid.Column(0)->Footer().GetValue(0), "7");
}

TEST_F(Footers, TextsShownAtRunTimeAndAtDesignTime) {
  AddColumns({wdtFloat, wdtLong});
  grid.Column(1)->Title().SetCaption("Price");
  TwMemColumnFooter& f = grid.Column(0)->Footer();
  grid.Model().Footers().Add();
  grid.Model().Footers().Add();
  grid.Model().Footers().Add();
  f.SetStyle(0, Style::MakeStyle(wfkSum, Style::kThisColumn, wfoAll, ""));
  f.SetStyle(1, Style::MakeStyle(wfkCnt, 1, wfoGreater, "100"));
  f.SetStyle(2, Style::MakeStyle(wfkMin, 42, wfoNotEqual, "0"));
  grid.Column(0)->SetDisplayFormat("#,##0.00");
  f.SetValue(0, "1234.5");
  EXPECT_EQ(f.GetText(0), plat::fmt::FormatFloat("#,##0.00", 1234.5));
  f.SetValue(1, "");
  EXPECT_EQ(f.GetText(1), "");
  grid.Model().State().Include(plat::ComponentStateFlag::Designing);
  EXPECT_EQ(f.GetText(0), "Sum (All)");
  EXPECT_EQ(f.GetText(1), "Cnt (Price > 100)");
  EXPECT_EQ(f.GetText(2), "Min (\"42\" != 0)");
  grid.Model().State().Exclude(plat::ComponentStateFlag::Designing);
}

TEST_F(Footers, FooterValueChangeRepaintsTheFooterPartOfTheStrip) {
  AddColumns({wdtLong, wdtLong});
  grid.Model().Footers().Add();
  grid.ClearEffects();
  grid.Column(1)->Footer().SetValue(0, "x");
  ASSERT_FALSE(grid.Effects().empty());
  EXPECT_EQ(grid.Effects().back(), (TwGridEffect{TwGridEffect::Repaint, {TwRepaintArea::StripFooter, 1}}));
}

}  // namespace
