// Reading and writing cells through the cursor: conversions, their errors, value lists and display text.
#include <gtest/gtest.h>

#include <cstring>

#include "grid_fixture.h"
#include "platform/error.h"

namespace {

class Cells : public ::testing::Test, public GridFixture {};

TEST_F(Cells, IntegerTypesKeepTheLowOrderBytes) {
  AddColumns({wdtByte, wdtShort, wdtSmall, wdtWord, wdtLong});
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("300");
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "44");
  grid.Cells(1, 0).SetAsString("200");
  EXPECT_EQ(grid.Cells(1, 0).AsString(), "-56");
  grid.Cells(2, 0).SetAsString("-$1");
  EXPECT_EQ(grid.Cells(2, 0).AsString(), "-1");
  grid.Cells(3, 0).SetAsString("$FFFF");
  EXPECT_EQ(grid.Cells(3, 0).AsString(), "65535");
  grid.Cells(4, 0).SetAsVariant(plat::Variant(2.5));  // ties to even
  EXPECT_EQ(grid.Cells(4, 0).AsString(), "2");
  grid.Cells(4, 0).SetAsVariant(plat::Variant(3.5));
  EXPECT_EQ(grid.Cells(4, 0).AsString(), "4");
  EXPECT_EQ(grid.Cells(4, 0).AsVariant().Type(), plat::VarType::Integer);
  EXPECT_EQ(grid.Cells(0, 0).AsVariant().Type(), plat::VarType::Byte);
}

TEST_F(Cells, ADateCellOutsideTheYearsOneTo9999ShowsWhyInsteadOfRaising) {
  AddColumns({wdtDate, wdtDateTime});
  grid.Column(1)->SetDisplayFormat("yyyy-mm-dd");
  grid.AppendRow(false, false, false);
  // Values such as a form, a calculation or a file could leave in the store.
  const auto store = [&](int col, double v) {
    TwMemPool& pool = grid.Column(col)->Pool();
    std::memcpy(pool.Value(0), &v, sizeof v);
    pool.SetNull(0, false);
  };
  store(0, 1e7);
  store(1, -1.23749e302);
  std::string text;
  grid.GetCellText(grid.Column(0), 0, text);
  EXPECT_NE(text.find("is not a valid date and time"), std::string::npos) << text;
  grid.GetCellText(grid.Column(1), 0, text);
  EXPECT_NE(text.find("is not a valid date and time"), std::string::npos) << text;
  store(0, 45000);  // a date in range still shows as one
  grid.GetCellText(grid.Column(0), 0, text);
  EXPECT_EQ(text.find("valid"), std::string::npos) << text;
}

TEST_F(Cells, AnUnparsableTextRaisesAndLeavesTheCell) {
  AddColumns({wdtLong, wdtFloat, wdtDate});
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("7");
  try {
    grid.Cells(0, 0).SetAsString("12a");
    FAIL() << "no conversion error";
  } catch (const plat::EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
  }
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "7");
  EXPECT_THROW(grid.Cells(1, 0).SetAsString("1,5.0"), plat::EConvertError);
  EXPECT_TRUE(grid.Cells(1, 0).IsNull());
  EXPECT_THROW(grid.Cells(2, 0).SetAsString("2023-13-45"), plat::EConvertError);
  EXPECT_TRUE(grid.Cells(2, 0).IsNull());
}

TEST_F(Cells, EmptyTextMakesAnyCellNull) {
  AddColumns({wdtString, wdtLong, wdtBool, wdtDateTime});
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("x");
  grid.Cells(1, 0).SetAsString("5");
  grid.Cells(2, 0).SetAsBoolean(true);
  grid.Cells(3, 0).SetAsString("2024-02-29");
  for (int c = 0; c < 4; ++c) {
    EXPECT_FALSE(grid.Cells(c, 0).IsNull()) << c;
    grid.Cells(c, 0).SetAsString("");
    EXPECT_TRUE(grid.Cells(c, 0).IsNull()) << c;
    EXPECT_EQ(grid.Cells(c, 0).AsString(), "") << c;
    EXPECT_FALSE(grid.Cells(c, 0).AsBoolean()) << c;
    EXPECT_TRUE(grid.Cells(c, 0).AsVariant().IsNull()) << c;
  }
}

TEST_F(Cells, BooleanColumnReadsAndWritesItsValueTexts) {
  AddColumns({wdtBool});
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("tRuE");
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "True");
  EXPECT_TRUE(grid.Cells(0, 0).AsBoolean());
  grid.Cells(0, 0).SetAsString("FALSE");
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "False");
  EXPECT_FALSE(grid.Cells(0, 0).IsNull());
  grid.Cells(0, 0).SetAsString("yes");
  EXPECT_TRUE(grid.Cells(0, 0).IsNull());

  grid.Column(0)->SetValues({"N", "Y"});
  grid.Column(0)->SetItems({"아니오", "예"});
  grid.Cells(0, 0).SetAsString("y");
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "Y");
  EXPECT_EQ(grid.Cells(0, 0).DisplayText(), "예");
  EXPECT_TRUE(grid.Cells(0, 0).AsBoolean());
}

TEST_F(Cells, ValueListDecidesBooleansOfOtherTypes) {
  AddColumns({wdtString});
  grid.Column(0)->SetValues({"off", "on"});
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsBoolean(true);
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "on");
  EXPECT_TRUE(grid.Cells(0, 0).AsBoolean());
  grid.Cells(0, 0).SetAsString("ON");  // entry 1 is compared case-sensitively
  EXPECT_FALSE(grid.Cells(0, 0).AsBoolean());
}

TEST_F(Cells, TextWidthCutsByCharacters) {
  AddColumns({wdtString, wdtString, wdtChar});
  grid.Column(0)->SetDataWidth(8);
  grid.Column(1)->SetDataWidth(0);
  grid.Column(2)->SetDataWidth(4);
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("가나다라마바사아자차");
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "가나다라마바사아");
  grid.Cells(1, 0).SetAsString("가나다라마바사아자차");
  EXPECT_EQ(grid.Cells(1, 0).AsString(), "가나다라마바사아자차");
  // A char array of 4 bytes holds one Hangul syllable (3 bytes), never half of the second.
  grid.Cells(2, 0).SetAsString("가나");
  EXPECT_EQ(grid.Cells(2, 0).AsString(), "가");
  grid.Cells(2, 0).SetAsString("abcdef");
  EXPECT_EQ(grid.Cells(2, 0).AsString(), "abcd");
}

TEST_F(Cells, NewStringColumnKeepsSixteenCharacters) {
  AddColumns({wdtString});
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("12345678901234567890");
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "1234567890123456");
}

TEST_F(Cells, FloatsAndDatesReadBackAsTheSameText) {
  AddColumns({wdtFloat, wdtDate, wdtTime, wdtDateTime});
  grid.AppendRow(false, false, false);
  for (const char* f : {"0.1", "-1234.5", "1E20", "123456789012345"}) {
    grid.Cells(0, 0).SetAsString(f);
    EXPECT_EQ(grid.Cells(0, 0).AsString(), f);
  }
  grid.Cells(1, 0).SetAsString("2024-02-29");
  EXPECT_EQ(grid.Cells(1, 0).AsString(), "2024-02-29");
  const std::string t = plat::fmt::TimeToStr(plat::fmt::EncodeTime(13, 5, 9, 0));
  grid.Cells(2, 0).SetAsString(t);
  EXPECT_EQ(grid.Cells(2, 0).AsString(), t);
  grid.Cells(3, 0).SetAsString("2024-02-29");  // midnight: no time part
  EXPECT_EQ(grid.Cells(3, 0).AsString(), "2024-02-29");
  EXPECT_EQ(grid.Cells(3, 0).AsVariant().Type(), plat::VarType::Date);
}

TEST_F(Cells, DisplayTextAppliesFormatsAndOnGetText) {
  AddColumns({wdtString, wdtFloat, wdtString, wdtGraphic});
  grid.Column(0)->SetDisplayFormat("[%s]");
  grid.Column(1)->SetDisplayFormat("#,##0.00");
  grid.Column(2)->SetValues({"A", "B"});
  grid.Column(2)->SetItems({"Apple;red", "Banana;yellow"});
  grid.Column(3)->SetDisplayFormat("(그림)");
  grid.AppendRow(false, false, false);
  grid.Cells(0, 0).SetAsString("값");
  grid.Cells(1, 0).SetAsString("1234.5");
  grid.Cells(2, 0).SetAsString("B");
  grid.Cells(3, 0).SetAsString("x");
  EXPECT_EQ(grid.Cells(0, 0).DisplayText(), "[값]");
  EXPECT_EQ(grid.Cells(1, 0).DisplayText(), "1,234.50");
  EXPECT_EQ(grid.Cells(2, 0).DisplayText(), "Banana");
  EXPECT_EQ(grid.Cells(3, 0).DisplayText(), "(그림)");
  grid.Column(2)->ListOption().SetValuesIndex(0);
  EXPECT_EQ(grid.Cells(2, 0).DisplayText(), "B");

  // What painting asks for is the same text, written into a buffer it reuses.
  std::string painted = "left over from the last cell";
  for (int c = 0; c < 4; ++c) {
    grid.GetCellText(grid.Column(c), 0, painted);
    EXPECT_EQ(painted, grid.Cells(c, 0).DisplayText()) << c;
  }

  int seenRow = -1;
  grid.OnGetText = [&](TwMemColumn*, int row, std::string& text) {
    seenRow = row;
    text += "!";
  };
  EXPECT_EQ(grid.Cells(0, 0).DisplayText(), "[값]!");
  EXPECT_EQ(seenRow, 0);
}

TEST_F(Cells, WritesOutsideTheBufferRepaintTheCellAndFireNoValueEvents) {
  AddColumns({wdtString, wdtString});
  Fill(3);
  grid.ClearRepaintLog();
  Take();
  grid.Cells(1, 2).SetAsString("새 값");
  EXPECT_TRUE(Take().empty());
  ASSERT_FALSE(grid.RepaintLog().empty());
  EXPECT_EQ(grid.RepaintLog().back().What, TwCustomGrid::RepaintRequest::Cell);
  EXPECT_EQ(grid.RepaintLog().back().ARow, 2);
  EXPECT_EQ(grid.RepaintLog().back().ACol, 1);
  grid.ClearRepaintLog();
  grid.BeginUpdate();
  grid.Cells(1, 1).SetAsString("잠금");
  grid.EndUpdate(false);
  EXPECT_TRUE(grid.RepaintLog().empty());
}

}  // namespace
