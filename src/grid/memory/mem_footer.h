#pragma once
// TwMemColumnFooter: the footer of a memory column. Besides the stored texts of TwColumnFooter it keeps
// one style text per footer row of the grid, telling which aggregate the row shows:
//
//   character 1     aggregate kind: 0 none, 1 custom, 2 Cnt, 3 Sum, 4 Avg, 5 Max, 6 Min
//   characters 2-5  index of the condition column, four digits; "9999" means this column
//   character 6     operator: 0 All, 1 ==, 2 >, 3 >=, 4 <, 5 <=, 6 !=
//   characters 7-   condition value text
//
// TMemGrid::CalcFooters computes the aggregates (FooterAggregate below) into the stored texts.
#include <string>
#include <string_view>

#include "grid/memory/mem_pool.h"
#include "grid/structure/column.h"

class TwMemColumn;

enum class TwFooterKind : int { wfkNone, wfkCustom, wfkCnt, wfkSum, wfkAvg, wfkMax, wfkMin };
using enum TwFooterKind;
enum class TwFooterOperator : int {
  wfoAll,
  wfoEqual,
  wfoGreater,
  wfoGreaterEqual,
  wfoLess,
  wfoLessEqual,
  wfoNotEqual
};
using enum TwFooterOperator;

class TwMemColumnFooter : public TwColumnFooter {
 public:
  static constexpr std::string_view kNeutralStyle = "099990";
  static constexpr int kThisColumn = -1;

  explicit TwMemColumnFooter(TwMemColumn* column);

  /// The style text of footer row i ("099990" beyond the list).
  std::string Style(int i) const;
  void SetStyle(int i, std::string_view style);
  /// Composes a style text; conditionColumn kThisColumn is written "9999".
  static std::string MakeStyle(TwFooterKind kind, int conditionColumn, TwFooterOperator op,
                               std::string_view value);
  const TwStrings& StyleList() const { return styles_; }
  /// Reading the stored "Style" list appends one entry per stored string.
  void AppendStyle(std::string_view style) { styles_.emplace_back(style); }
  /// The design-time entry point: reads "[Styles]", writing does nothing.
  std::string Styles() const { return "[Styles]"; }
  void SetStyles(std::string_view) {}

  TwFooterKind Kind(int i) const;
  int ConditionColumn(int i) const;
  TwFooterOperator Operator(int i) const;
  std::string ConditionValue(int i) const;

  /// The look and the stored texts, and from another memory column footer its styles.
  void Assign(const TwDrawObject& source) override;

  bool ShowsRow(int i) const override { return Kind(i) != wfkNone; }
  /// Brings the styles in step with the grid's footer rows.
  void Recalculate() override;
  std::string GetText(int i) const override;
  /// The description of row i's style shown at design time ("Sum (All)", "Cnt (Price > 100)").
  std::string StyleDescription(int i) const;

 private:
  TwMemColumn* MemColumn() const;
  TwStrings styles_;
};

/// The aggregate of one footer row: over the values of pool p (the column c), the rows whose value in the
/// condition pool q (of type qType; nullptr: no condition column) compares with value by op. Raises the
/// conversion error when value does not read as q's type.
std::string FooterAggregate(const TwMemColumn& c, const TwMemPool& p, const TwMemPool* q, TwDataType qType,
                            int qWidth, TwFooterKind kind, TwFooterOperator op, const std::string& value);
