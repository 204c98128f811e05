#pragma once
// TwMemPool: the stored values of one memory column, one slot per row.
//
// A slot is one null-flag byte (0 null, 0xFF value) followed by the value bytes of the column's type
// (little-endian), all rows in one contiguous block. wdtString keeps its texts in a TwTextList and only
// the flag in the block. Capacity grows in multiples of 16 rows, geometrically, so appending is amortised
// constant time; inserting and deleting move the tail of the block with one memory move.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "grid/memory/mem_types.h"
#include "grid/memory/text_list.h"

class TwMemPool {
 public:
  TwMemPool() = default;
  TwMemPool(const TwMemPool&) = delete;
  TwMemPool& operator=(const TwMemPool&) = delete;
  TwMemPool(TwMemPool&&) = default;
  TwMemPool& operator=(TwMemPool&&) = default;

  /// The type and width the slot layout follows. Width is the column's DataWidth as reported (wdtChar:
  /// 1..255); Prepare and Relayout read them.
  void SetLayoutSource(TwDataType type, int width) {
    type_ = type;
    width_ = width;
  }
  TwDataType DataType() const { return type_; }
  int Width() const { return width_; }

  bool Prepared() const { return data_ != nullptr; }
  void Prepare();
  /// After the type or width changed (SetLayoutSource has the new values).
  void Relayout();
  void ClearAll();
  void SetCount(int n);
  void InsertBlank(int r);
  void DeleteRows(int r, int n);
  /// The rows `rows` (ascending, distinct, each below Count()) removed, each column block moved once.
  void DeleteRows(const std::vector<int>& rows);
  /// Reorders the rows: row i takes the slot (and text) of old row order[i], for a permutation of all rows.
  void Permute(const std::vector<int>& order);

  int Count() const { return count_; }
  int Capacity() const { return capacity_; }
  int SlotSize() const { return slotSize_; }
  bool HasStrings() const { return strings_ != nullptr; }

  bool IsNull(int r) const { return Slot(r)[0] == kCellNull; }
  void SetNull(int r, bool on) { Slot(r)[0] = on ? kCellNull : kCellValue; }
  /// The value bytes of row r (after the flag).
  std::uint8_t* Value(int r) { return Slot(r) + 1; }
  const std::uint8_t* Value(int r) const { return Slot(r) + 1; }
  /// Texts of wdtString (from the text list) and wdtChar (up to the NUL of the inline array).
  std::string_view Text(int r) const;
  /// Stores a text already cut to fit (wdtChar: at most Width bytes) and marks the cell as holding a value.
  void SetText(int r, std::string_view text);

  std::size_t MemoryUsed() const;

  /// Capacity the pool grows to for n rows: a multiple of 16 above n, and at least a quarter more than
  /// the present capacity, so that repeated growth stays linear.
  static int GrowCapacity(int capacity, int n);

 private:
  std::uint8_t* Slot(int r) { return data_.get() + std::size_t(r) * std::size_t(slotSize_); }
  const std::uint8_t* Slot(int r) const { return data_.get() + std::size_t(r) * std::size_t(slotSize_); }
  int ComputeSlotSize() const;
  void Reallocate(int capacity);

  TwDataType type_ = wdtString;
  int width_ = 16;
  int slotSize_ = 1;
  int capacity_ = 0;
  int count_ = 0;
  std::unique_ptr<std::uint8_t[]> data_;
  std::unique_ptr<TwTextList> strings_;
};
