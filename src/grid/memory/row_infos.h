#pragma once
// TwRowInfos: one information byte per row of a memory grid, and the count of selected rows.
//
// Bit 7 repaint mark (used while clearing a selection), bit 6 selected, bits 5..4 the row state
// (0 unchanged, 1 updated, 2 inserted, 3 deleted), bit 3 changed by an edit; bits 2..0 stay 0.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

/// The state of a stored row.
enum class TwRowState : std::uint8_t { wrsUnchanged = 0, wrsUpdated = 1, wrsInserted = 2, wrsDeleted = 3 };
using enum TwRowState;

class TwRowInfos {
 public:
  static constexpr std::uint8_t kMarked = 0x80;
  static constexpr std::uint8_t kSelected = 0x40;
  static constexpr std::uint8_t kStateMask = 0x30;
  static constexpr std::uint8_t kChanged = 0x08;

  TwRowInfos();

  /// Called after every change of a selection bit and after clearing a non-empty selection.
  std::function<void()> OnSelectionChange;

  int Count() const { return count_; }
  int Capacity() const { return capacity_; }
  int SelectedCount() const { return selectedCount_; }

  void SetCount(int n);
  void InsertBlank(int r);
  void DeleteRows(int r, int n);
  /// The rows `rows` (ascending, distinct, each below Count()) removed in one pass.
  void DeleteRows(const std::vector<int>& rows);
  void ResetAll();
  /// Reorders the rows (states, selection and marks travel with them): row i takes old row order[i].
  void Permute(const std::vector<int>& order);
  void Restart();

  TwRowState RowState(int r) const { return TwRowState((bytes_[std::size_t(r)] & kStateMask) >> 4); }
  void SetRowState(int r, TwRowState state);
  bool Selected(int r) const { return (bytes_[std::size_t(r)] & kSelected) != 0; }
  void SetSelected(int r, bool on);
  void ClearSelected();
  void MarkSelected();
  void UnmarkAll();
  bool Marked(int r) const { return (bytes_[std::size_t(r)] & kMarked) != 0; }
  bool Changed(int r) const { return (bytes_[std::size_t(r)] & kChanged) != 0; }
  void SetChanged(int r, bool on);
  int CountSelected(int first, int last) const;

  /// Empty when the store holds together (count within a capacity of whole blocks of 16, the selected count
  /// equal to the selected bits, no stray low bits), else what broke, in words; tests call it after every
  /// change.
  std::string CheckConsistency() const;
  std::size_t MemoryUsed() const { return std::size_t(capacity_); }

 private:
  void Reallocate(int capacity);
  std::unique_ptr<std::uint8_t[]> bytes_;
  int count_ = 0;
  int capacity_ = 0;
  int selectedCount_ = 0;
};
