#include "grid/memory/row_infos.h"

#include <algorithm>
#include <cstring>

#include "grid/memory/mem_pool.h"
#include "grid/memory/row_removal.h"

TwRowInfos::TwRowInfos() {
  Reallocate(16);
}

void TwRowInfos::Reallocate(int capacity) {
  auto fresh = std::make_unique<std::uint8_t[]>(std::size_t(capacity));
  if (bytes_) std::memcpy(fresh.get(), bytes_.get(), std::size_t(count_));
  bytes_ = std::move(fresh);
  capacity_ = capacity;
}

void TwRowInfos::SetCount(int n) {
  n = std::max(0, n);
  if (n < count_) {
    selectedCount_ -= CountSelected(n, count_ - 1);
    count_ = n;
    return;
  }
  if (capacity_ < n) Reallocate(TwMemPool::GrowCapacity(capacity_, n));
  std::memset(bytes_.get() + count_, 0, std::size_t(n - count_));
  count_ = n;
}

void TwRowInfos::InsertBlank(int r) {
  if (count_ == capacity_) Reallocate(TwMemPool::GrowCapacity(capacity_, count_ + 1));
  std::memmove(bytes_.get() + r + 1, bytes_.get() + r, std::size_t(count_ - r));
  bytes_[std::size_t(r)] = 0;
  ++count_;
}

void TwRowInfos::DeleteRows(int r, int n) {
  if (n <= 0) return;
  selectedCount_ -= CountSelected(r, r + n - 1);
  std::memmove(bytes_.get() + r, bytes_.get() + r + n, std::size_t(count_ - r - n));
  count_ -= n;
}

void TwRowInfos::DeleteRows(const std::vector<int>& rows) {
  for (const int r : rows) selectedCount_ -= Selected(r) ? 1 : 0;
  TwRemoveRows(bytes_.get(), 1, count_, rows);
  count_ -= int(rows.size());
}

void TwRowInfos::Permute(const std::vector<int>& order) {
  std::unique_ptr<std::uint8_t[]> moved(new std::uint8_t[std::size_t(capacity_)]());
  for (std::size_t i = 0; i < order.size(); ++i) moved[i] = bytes_[std::size_t(order[i])];
  bytes_.swap(moved);
}

void TwRowInfos::ResetAll() {
  std::memset(bytes_.get(), 0, std::size_t(count_));
  selectedCount_ = 0;
}

void TwRowInfos::Restart() {
  count_ = 0;
  Reallocate(16);
  selectedCount_ = 0;
}

void TwRowInfos::SetRowState(int r, TwRowState state) {
  std::uint8_t& b = bytes_[std::size_t(r)];
  b = std::uint8_t((b & ~kStateMask) | ((unsigned(state) & 3) << 4));
}

void TwRowInfos::SetSelected(int r, bool on) {
  std::uint8_t& b = bytes_[std::size_t(r)];
  if (((b & kSelected) != 0) == on) return;
  if (on) {
    b |= kSelected;
    ++selectedCount_;
  } else {
    b &= std::uint8_t(~kSelected);
    --selectedCount_;
  }
  if (OnSelectionChange) OnSelectionChange();
}

void TwRowInfos::ClearSelected() {
  if (selectedCount_ <= 0) return;
  for (int r = 0; r < count_; ++r) bytes_[std::size_t(r)] &= std::uint8_t(~kSelected);
  selectedCount_ = 0;
  if (OnSelectionChange) OnSelectionChange();
}

void TwRowInfos::MarkSelected() {
  for (int r = 0; r < count_; ++r)
    if (bytes_[std::size_t(r)] & kSelected) bytes_[std::size_t(r)] |= kMarked;
}

void TwRowInfos::UnmarkAll() {
  for (int r = 0; r < count_; ++r) bytes_[std::size_t(r)] &= std::uint8_t(~kMarked);
}

void TwRowInfos::SetChanged(int r, bool on) {
  std::uint8_t& b = bytes_[std::size_t(r)];
  b = on ? std::uint8_t(b | kChanged) : std::uint8_t(b & ~kChanged);
}

int TwRowInfos::CountSelected(int first, int last) const {
  int n = 0;
  first = std::max(0, first);
  last = std::min(count_ - 1, last);
  for (int r = first; r <= last; ++r) n += (bytes_[std::size_t(r)] & kSelected) ? 1 : 0;
  return n;
}

std::string TwRowInfos::CheckConsistency() const {
  if (count_ > capacity_)
    return "row infos: " + std::to_string(count_) + " rows exceed the capacity of " +
           std::to_string(capacity_);
  if (capacity_ % 16 != 0)
    return "row infos: the capacity " + std::to_string(capacity_) + " is not a multiple of 16";
  const int selected = CountSelected(0, count_ - 1);
  if (selected != selectedCount_)
    return "row infos: " + std::to_string(selected) +
           " rows carry the selected bit but the selected count is " + std::to_string(selectedCount_);
  for (int r = 0; r < count_; ++r)
    if (bytes_[std::size_t(r)] & 0x07)
      return "row infos: row " + std::to_string(r) + " has stray low bits set";
  return {};
}
