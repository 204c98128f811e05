// Sorting a memory grid's rows: orders by type and collation, stability in both directions, several keys,
// and everything of a row travelling with it.
#include <gtest/gtest.h>

#include "grid_fixture.h"
#include "platform/error.h"

namespace {

class Sort : public ::testing::Test, public GridFixture {
 protected:
  void SetUp() override { AddColumns({wdtString, wdtString, wdtLong, wdtBool, wdtFloat}); }
  void Row(const char* text, const char* tag, std::optional<int> number = std::nullopt, bool flag = false) {
    const int r = grid.RowCount();
    grid.AppendRow(false, false, false);
    grid.Cells(0, r).SetAsString(text);
    grid.Cells(1, r).SetAsString(tag);
    if (number) grid.Cells(2, r).SetAsString(std::to_string(*number));
    grid.Cells(3, r).SetAsBoolean(flag);
  }
  std::vector<std::string> Tags() {
    std::vector<std::string> t;
    for (int r = 0; r < grid.RowCount(); ++r) t.push_back(grid.Cells(1, r).AsString());
    return t;
  }
};

TEST_F(Sort, KoreanCollationAndBlanksFirst) {
  Row("하늘", "h");
  Row("가방", "g");
  Row("", "blank");
  Row("Banana", "B");
  Row("나무", "n");
  Row("apple", "a");
  grid.SortRows({{0}});
  // Korean collation: blanks first, Hangul in 가나다 order before Latin, Latin letters by letter and not
  // by byte ("apple" before "Banana").
  EXPECT_EQ(Tags(), (std::vector<std::string>{"blank", "g", "n", "h", "a", "B"}));
  grid.SortRows({{0, true}});
  EXPECT_EQ(Tags(), (std::vector<std::string>{"B", "a", "h", "n", "g", "blank"}));
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(Sort, NumbersInTextsAndInNumberColumnsSortByValueAndTiesStayStable) {
  const char* hits[] = {"10", "9", "100", "abc", "9", "", "-3"};
  for (int i = 0; i < 7; ++i)
    Row(hits[i], ("t" + std::to_string(i)).c_str(), i == 5 ? std::nullopt : std::optional<int>(100 - i % 3));
  grid.SortRows({{0, false, TwSortCompare::Number}});
  // Null first, numbers by value (the two 9s in their order), then other texts.
  EXPECT_EQ(Tags(), (std::vector<std::string>{"t5", "t6", "t1", "t4", "t0", "t2", "t3"}));
  // Descending keeps ties in their order too (stable, not a reversed ascending sort).
  grid.SortRows({{0, true, TwSortCompare::Number}});
  EXPECT_EQ(Tags(), (std::vector<std::string>{"t3", "t2", "t0", "t1", "t4", "t6", "t5"}));
  // A number column: 100 - i % 3, the null row first.
  grid.SortRows({{2}});
  EXPECT_EQ(grid.Cells(1, 0).AsString(), "t5");
  for (int r = 2; r < grid.RowCount(); ++r)
    EXPECT_LE(grid.Cells(2, r - 1).AsFloat(), grid.Cells(2, r).AsFloat());
}

TEST_F(Sort, SeveralKeysAndEverythingOfARowTravelsWithIt) {
  grid.SetOptions(TwGridOptions{wgoMultiSelect});
  Row("b", "b-on", 1, true);
  Row("a", "a-off", 2, false);
  Row("b", "b-off", 3, false);
  Row("a", "a-on", 4, true);
  grid.SetRowState(2, wrsUpdated);
  grid.SetSelected(3, true);
  grid.SetRow(1);  // "a-off" is current
  grid.SortRows({{0}, {3, true}});
  EXPECT_EQ(Tags(), (std::vector<std::string>{"a-on", "a-off", "b-on", "b-off"}));
  EXPECT_EQ(grid.Cells(2, 0).AsString(), "4");
  EXPECT_TRUE(grid.Cells(3, 0).AsBoolean());
  EXPECT_TRUE(grid.Selected(0));
  EXPECT_EQ(grid.SelectedCount(), 1);
  EXPECT_EQ(grid.RowState(3), wrsUpdated);
  EXPECT_EQ(grid.Row(), 1);  // the current record is current in its new place
  EXPECT_EQ(grid.Cells(1, grid.Row()).AsString(), "a-off");
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
  EXPECT_THROW(grid.SortRows({{9}}), plat::Exception);
}

TEST_F(Sort, LongTextsAndManyRowsKeepTheirValues) {
  for (int i = 0; i < 3000; ++i)
    Row(std::to_string((i * 7919) % 3000).c_str(), std::string(300 + i % 50, char('a' + i % 26)).c_str());
  std::vector<std::pair<int, std::string>> before;
  for (int r = 0; r < grid.RowCount(); ++r)
    before.emplace_back(std::stoi(grid.Cells(0, r).AsString()), grid.Cells(1, r).AsString());
  grid.SortRows({{0, false, TwSortCompare::Number}});
  std::sort(before.begin(), before.end());
  for (int r = 0; r < grid.RowCount(); ++r) {
    ASSERT_EQ(grid.Cells(0, r).AsString(), std::to_string(before[std::size_t(r)].first));
    ASSERT_EQ(grid.Cells(1, r).AsString(), before[std::size_t(r)].second);
  }
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

}  // namespace

#include <QCollator>
#include <QLocale>
#include <random>

namespace {

TEST_F(Sort, ALargeColumnSortsAsTheCollatorComparesWithTiesInRowOrder) {
  // Enough rows for the keys to be made on two threads; texts sharing long beginnings, so the sort goes
  // many key bytes deep; blanks and exact duplicates in between.
  const char* stems[] = {"고객명단_2019_영업부_", "고객명단_2019_영업부_최종_", "Report_2024_",
                         "report_2024_", "가"};
  std::mt19937 rng(7);
  std::vector<std::string> texts;
  grid.Column(0)->SetDataWidth(64);
  for (int i = 0; i < 25000; ++i) {
    std::string t =
        rng() % 40 == 0 ? std::string() : std::string(stems[rng() % 5]) + std::to_string(rng() % 3000);
    Row(t.c_str(), std::to_string(i).c_str());
    texts.push_back(grid.Cells(0, i).AsString());
    ASSERT_EQ(texts.back(), t);
  }
  QCollator collator(QLocale(QLocale::Korean, QLocale::SouthKorea));
  for (const bool down : {false, true}) {
    std::vector<int> expected(texts.size());
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = int(i);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
      const std::string& x = texts[std::size_t(a)];
      const std::string& y = texts[std::size_t(b)];
      if (x.empty() != y.empty()) return down ? y.empty() : x.empty();
      const int c = collator.compare(QString::fromStdString(x), QString::fromStdString(y));
      return down ? c > 0 : c < 0;
    });
    const std::vector<int> got = grid.SortedOrder({{0, down}});
    std::size_t first = 0;
    while (first < got.size() && got[first] == expected[first]) ++first;
    EXPECT_EQ(first, got.size()) << (down ? "descending" : "ascending") << " first difference at " << first
                                 << ": " << texts[std::size_t(got[std::min(first, got.size() - 1)])] << " / "
                                 << texts[std::size_t(expected[std::min(first, got.size() - 1)])];
  }
}

}  // namespace

namespace {

// The order a stable sort by QCollator's Korean comparison gives, blanks first ascending and last descending.
std::vector<int> CollatorOrder(const std::vector<std::string>& texts, bool down) {
  QCollator collator(QLocale(QLocale::Korean, QLocale::SouthKorea));
  std::vector<int> order(texts.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const std::string& x = texts[std::size_t(a)];
    const std::string& y = texts[std::size_t(b)];
    if (x.empty() != y.empty()) return down ? y.empty() : x.empty();
    const int c = collator.compare(QString::fromStdString(x), QString::fromStdString(y));
    return down ? c > 0 : c < 0;
  });
  return order;
}

TEST_F(Sort, RepeatedTextsAndTextsTheCollationFindsEqualKeepTheirRowOrder) {
  // Runs of one text, the same texts again further down, and different texts that compare equal: "é" as
  // one character and as e with a combining accent, a text with a control character the collation ignores.
  // Then many distinct texts in a scattered order, so that the lookup of texts seen before grows.
  const std::vector<std::string> head = {"나무",
                                         "나무",
                                         "가방",
                                         "cafe\u0301",
                                         "가방",
                                         "café",
                                         "나무",
                                         "",
                                         "ab",
                                         "a\x01"
                                         "b",
                                         "Ab",
                                         "가방",
                                         "café",
                                         "",
                                         "cafe\u0301",
                                         "나무"};
  std::vector<std::string> texts = head;
  for (int i = 0; i < 3000; ++i) texts.push_back("폴더" + std::to_string((i * 7919) % 1500));
  for (std::size_t i = 0; i < texts.size(); ++i) Row(texts[i].c_str(), std::to_string(i).c_str());
  for (const bool down : {false, true}) {
    const std::vector<int> expected = CollatorOrder(texts, down);
    EXPECT_EQ(grid.SortedOrder({{0, down}}), expected) << (down ? "descending" : "ascending");
    // Numbers first by value, the other texts by the same collation.
    EXPECT_EQ(grid.SortedOrder({{0, down, TwSortCompare::Number}}), expected);
  }
  // Sorted in place, each row's tag still names its text.
  grid.SortRows({{0}});
  for (int r = 0; r < grid.RowCount(); ++r)
    ASSERT_EQ(grid.Cells(0, r).AsString(), texts[std::stoul(grid.Cells(1, r).AsString())]);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

}  // namespace
