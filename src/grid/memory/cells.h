#pragma once
// TwCells: the grid's one reusable cell cursor. TMemGrid::Cells(ACol, ARow) fills it and returns it, so
// a reference is valid until the next Cells call on the same grid.
//
// Outside the edit buffer a write changes the pool directly and then either reloads the in-place editor
// showing that cell or repaints the cell; inside it (the current row while it is edited or inserted) a
// write fires OnValueChanging and OnValueChanged around the change.
#include <string>
#include <string_view>

#include "platform/variant/variant.h"

class TMemGrid;
class TwMemColumn;

class TwCells {
 public:
  explicit TwCells(TMemGrid* grid) : grid_(grid) {}

  TMemGrid* Grid() const { return grid_; }
  bool InBuffer() const { return inBuffer_; }
  int Row() const { return row_; }
  int Col() const { return col_; }
  /// The row of the pool this cursor addresses (one lower after a row being inserted).
  int StoreRow() const { return storeRow_; }

  bool IsNull() const;
  void SetNull();
  std::string AsString() const;
  void SetAsString(std::string_view text);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);
  double AsFloat() const;
  plat::TDateTime AsDateTime() const;
  plat::Variant AsVariant() const;
  void SetAsVariant(const plat::Variant& value);
  std::string DisplayText() const;

 private:
  friend class TMemGrid;
  void Place(int col, int row, int storeRow, bool inBuffer) {
    col_ = col;
    row_ = row;
    storeRow_ = storeRow;
    inBuffer_ = inBuffer;
  }
  TwMemColumn& Column() const;
  /// The raw text conversion (no Boolean value texts) of the cell.
  std::string RawText() const;
  /// The Boolean conversion of the stored value, without the column's value list.
  bool AsBooleanRaw() const;
  /// Writes through the rules of the edit buffer or directly into the pool.
  template <class Apply>
  void Write(Apply&& apply);

  TMemGrid* grid_;
  bool inBuffer_ = false;
  int row_ = 0;
  int col_ = 0;
  int storeRow_ = 0;
};
