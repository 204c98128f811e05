#include "grid/memory/mem_pool.h"

#include <algorithm>
#include <cstring>

#include "grid/memory/row_removal.h"

namespace {
// The longest prefix that does not end in an incomplete UTF-8 sequence.
std::string_view CompleteUtf8Prefix(std::string_view s) {
  std::size_t n = s.size(), k = 0;
  while (k < 4 && k < n && (static_cast<unsigned char>(s[n - 1 - k]) & 0xC0) == 0x80) ++k;
  if (k < n) {
    const auto lead = static_cast<unsigned char>(s[n - 1 - k]);
    const std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (len > k + 1) return s.substr(0, n - 1 - k);
  }
  return s;
}
}  // namespace

int TwMemPool::ComputeSlotSize() const {
  switch (type_) {
    case wdtString:
    case wdtGraphic:
      return 1;
    case wdtChar:
      return 1 + width_ + 1;
    default:
      return 1 + FixedValueSize(type_);
  }
}

int TwMemPool::GrowCapacity(int capacity, int n) {
  const long long minimum = (long long)n - n % 16 + 16;
  long long geometric = (long long)capacity + capacity / 4;
  geometric = (geometric + 15) / 16 * 16;
  return int(std::min<long long>(std::max(minimum, geometric), 0x7FFFFFF0));
}

void TwMemPool::Reallocate(int capacity) {
  auto fresh = std::make_unique<std::uint8_t[]>(std::size_t(capacity) * std::size_t(slotSize_));
  if (data_) std::memcpy(fresh.get(), data_.get(), std::size_t(count_) * std::size_t(slotSize_));
  data_ = std::move(fresh);
  capacity_ = capacity;
  if (strings_) strings_->Reserve(capacity);
}

void TwMemPool::Prepare() {
  slotSize_ = ComputeSlotSize();
  capacity_ = 16;
  count_ = 0;
  data_ = std::make_unique<std::uint8_t[]>(std::size_t(capacity_) * std::size_t(slotSize_));
  strings_.reset();
  if (type_ == wdtString) {
    strings_ = std::make_unique<TwTextList>();
    strings_->Reserve(capacity_);
  }
}

void TwMemPool::Relayout() {
  if (!data_) return;
  const int oldSize = slotSize_;
  const int newSize = ComputeSlotSize();
  const std::size_t cap = std::size_t(capacity_);
  if (oldSize == 1 && newSize > 1) {
    // Text (or nothing) to inline values: no bytes to keep, every cell becomes null.
    strings_.reset();
    data_ = std::make_unique<std::uint8_t[]>(cap * std::size_t(newSize));
  } else if (oldSize > 1 && newSize == 1) {
    data_ = std::make_unique<std::uint8_t[]>(cap);
    if (type_ == wdtString) {
      strings_ = std::make_unique<TwTextList>();
      strings_->Reserve(capacity_);
      strings_->Resize(count_);
    }
  } else if (newSize < oldSize) {
    // Each row keeps its flag and leading value bytes, packed to the new size.
    for (int r = 0; r < count_; ++r)
      std::memmove(data_.get() + std::size_t(r) * std::size_t(newSize),
                   data_.get() + std::size_t(r) * std::size_t(oldSize), std::size_t(newSize));
  } else if (newSize > oldSize) {
    auto fresh = std::make_unique<std::uint8_t[]>(cap * std::size_t(newSize));
    for (int r = count_ - 1; r >= 0; --r)
      std::memcpy(fresh.get() + std::size_t(r) * std::size_t(newSize),
                  data_.get() + std::size_t(r) * std::size_t(oldSize), std::size_t(oldSize));
    data_ = std::move(fresh);
  } else if (oldSize == 1 && newSize == 1) {
    // wdtString <-> wdtGraphic: the text list follows the type.
    if (type_ == wdtString && !strings_) {
      strings_ = std::make_unique<TwTextList>();
      strings_->Reserve(capacity_);
      strings_->Resize(count_);
    } else if (type_ != wdtString) {
      strings_.reset();
    }
  }
  slotSize_ = newSize;
}

void TwMemPool::ClearAll() {
  count_ = 0;
  if (strings_) strings_->Clear();
}

void TwMemPool::SetCount(int n) {
  n = std::max(0, n);
  if (n < count_) {
    if (strings_) strings_->Resize(n);
    count_ = n;
    return;
  }
  if (n == count_) return;
  if (capacity_ < n) Reallocate(GrowCapacity(capacity_, n));
  std::memset(Slot(count_), 0, std::size_t(n - count_) * std::size_t(slotSize_));
  if (strings_) strings_->Resize(n);
  count_ = n;
}

void TwMemPool::InsertBlank(int r) {
  if (count_ == capacity_) Reallocate(GrowCapacity(capacity_, count_ + 1));
  std::memmove(Slot(r + 1), Slot(r), std::size_t(count_ - r) * std::size_t(slotSize_));
  std::memset(Slot(r), 0, std::size_t(slotSize_));
  if (strings_) strings_->InsertEmpty(r);
  ++count_;
}

void TwMemPool::DeleteRows(int r, int n) {
  if (n <= 0) return;
  std::memmove(Slot(r), Slot(r + n), std::size_t(count_ - r - n) * std::size_t(slotSize_));
  if (strings_) strings_->Remove(r, n);
  count_ -= n;
}

void TwMemPool::DeleteRows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  TwRemoveRows(data_.get(), std::size_t(slotSize_), count_, rows);
  if (strings_) strings_->Remove(rows);
  count_ -= int(rows.size());
}

void TwMemPool::Permute(const std::vector<int>& order) {
  if (!data_ || count_ == 0) return;
  const std::size_t slot = std::size_t(slotSize_);
  std::unique_ptr<std::uint8_t[]> moved(new std::uint8_t[std::size_t(capacity_) * slot]);
  for (std::size_t i = 0; i < order.size(); ++i) std::memcpy(moved.get() + i * slot, Slot(order[i]), slot);
  data_.swap(moved);
  if (strings_) strings_->Permute(order);
}

std::string_view TwMemPool::Text(int r) const {
  if (type_ == wdtString) return strings_ ? strings_->Get(r) : std::string_view{};
  if (type_ == wdtChar) {
    // Up to the NUL, at most the array width (a relayout to a smaller width keeps bytes without a NUL),
    // and never ending inside a character that such a cut split.
    const char* p = reinterpret_cast<const char*>(Value(r));
    return CompleteUtf8Prefix({p, ::strnlen(p, std::size_t(slotSize_ - 2))});
  }
  return {};
}

void TwMemPool::SetText(int r, std::string_view text) {
  if (type_ == wdtString) {
    if (strings_) strings_->Set(r, text);
  } else if (type_ == wdtChar) {
    const std::size_t room = std::size_t(slotSize_ - 2);
    const std::size_t n = std::min(text.size(), room);
    std::memcpy(Value(r), text.data(), n);
    std::memset(Value(r) + n, 0, std::size_t(slotSize_ - 1) - n);
  }
  SetNull(r, false);
}

std::size_t TwMemPool::MemoryUsed() const {
  std::size_t m = std::size_t(capacity_) * std::size_t(slotSize_);
  if (strings_) m += strings_->MemoryUsed();
  return m;
}
