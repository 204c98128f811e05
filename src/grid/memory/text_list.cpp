#include "grid/memory/text_list.h"

#include <cstring>
#include <new>

#include "grid/memory/row_removal.h"

namespace {
// Length prefix: 7 bits per byte, low bits first, high bit set on every byte but the last.
std::size_t PrefixSize(std::size_t n) {
  std::size_t k = 1;
  while (n >= 0x80) {
    n >>= 7;
    ++k;
  }
  return k;
}
char* WritePrefix(char* p, std::size_t n) {
  while (n >= 0x80) {
    *p++ = char((n & 0x7F) | 0x80);
    n >>= 7;
  }
  *p++ = char(n);
  return p;
}
const char* ReadPrefix(const char* p, std::size_t& n) {
  n = 0;
  unsigned shift = 0;
  for (;;) {
    const auto b = static_cast<unsigned char>(*p++);
    n |= std::size_t(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return p;
    shift += 7;
  }
}
}  // namespace

std::string_view TwTextList::Get(int r) const {
  const std::uint32_t h = handles_[std::size_t(r)];
  if (h == 0) return {};
  const Chunk& c = chunks_[h >> kChunkBits];
  std::size_t n;
  const char* p = ReadPrefix(c.bytes.get() + (h & (kChunkSize - 1)), n);
  return {p, n};
}

void TwTextList::Set(int r, std::string_view text) {
  std::uint32_t& slot = handles_[std::size_t(r)];
  const std::uint32_t fresh = text.empty() ? 0 : Append(text);
  Release(slot);
  slot = fresh;
  CompactIfWorthIt();
}

std::uint32_t TwTextList::Append(std::string_view text) {
  const std::size_t need = PrefixSize(text.size()) + text.size();
  if (chunks_.empty()) {
    // Position 0 of chunk 0 is never used, so that handle 0 can mean the empty text.
    chunks_.push_back({std::make_unique<char[]>(kChunkSize), kChunkSize, 1});
  }
  Chunk* c = &chunks_.back();
  if (c->size - c->used < need) {
    if (chunks_.size() >= (std::size_t(1) << (32 - kChunkBits))) throw std::bad_alloc();
    const std::uint32_t size = need > kChunkSize ? std::uint32_t(need) : kChunkSize;
    chunks_.push_back({std::make_unique<char[]>(size), size, 0});
    c = &chunks_.back();
  }
  const std::uint32_t pos = c->used;
  char* p = WritePrefix(c->bytes.get() + pos, text.size());
  std::memcpy(p, text.data(), text.size());
  c->used += std::uint32_t(need);
  liveBytes_ += need;
  // A chunk of one long text is full; the next text starts a new chunk.
  if (c->size > kChunkSize) c->used = c->size;
  return (std::uint32_t(chunks_.size() - 1) << kChunkBits) | pos;
}

void TwTextList::Release(std::uint32_t handle) {
  if (handle == 0) return;
  const Chunk& c = chunks_[handle >> kChunkBits];
  std::size_t n;
  const char* start = c.bytes.get() + (handle & (kChunkSize - 1));
  const char* p = ReadPrefix(start, n);
  const std::size_t bytes = std::size_t(p - start) + n;
  liveBytes_ -= bytes;
  garbageBytes_ += bytes;
}

void TwTextList::CompactIfWorthIt() {
  if (garbageBytes_ < (std::size_t(1) << 20) || garbageBytes_ < liveBytes_) return;
  // Rebuild the arena in row order; the old chunks stay alive until every text has been copied.
  std::vector<Chunk> old = std::move(chunks_);
  chunks_.clear();
  liveBytes_ = garbageBytes_ = 0;
  for (std::uint32_t& h : handles_) {
    if (h == 0) continue;
    const Chunk& c = old[h >> kChunkBits];
    std::size_t n;
    const char* p = ReadPrefix(c.bytes.get() + (h & (kChunkSize - 1)), n);
    h = Append({p, n});
  }
}

void TwTextList::Reserve(int capacity) {
  if (std::size_t(capacity) > handles_.capacity()) handles_.reserve(std::size_t(capacity));
}

void TwTextList::Resize(int count) {
  if (count < Count()) {
    for (int r = count; r < Count(); ++r) Release(handles_[std::size_t(r)]);
    handles_.resize(std::size_t(count));
    CompactIfWorthIt();
  } else {
    handles_.resize(std::size_t(count), 0);
  }
}

void TwTextList::InsertEmpty(int r) {
  handles_.insert(handles_.begin() + r, 0u);
}

void TwTextList::Remove(int r, int n) {
  for (int i = r; i < r + n; ++i) Release(handles_[std::size_t(i)]);
  handles_.erase(handles_.begin() + r, handles_.begin() + r + n);
  CompactIfWorthIt();
}

void TwTextList::Remove(const std::vector<int>& rows) {
  if (rows.empty()) return;
  for (const int r : rows) Release(handles_[std::size_t(r)]);
  TwRemoveRows(handles_.data(), sizeof(std::uint32_t), Count(), rows);
  handles_.resize(handles_.size() - rows.size());
  CompactIfWorthIt();
}

void TwTextList::Permute(const std::vector<int>& order) {
  std::vector<std::uint32_t> moved(handles_.size());
  for (std::size_t i = 0; i < order.size(); ++i) moved[i] = handles_[std::size_t(order[i])];
  handles_.swap(moved);
}

void TwTextList::Clear() {
  handles_.clear();
  chunks_.clear();
  liveBytes_ = garbageBytes_ = 0;
}

std::size_t TwTextList::MemoryUsed() const {
  std::size_t m = handles_.capacity() * sizeof(std::uint32_t) + chunks_.capacity() * sizeof(Chunk);
  for (const Chunk& c : chunks_) m += c.size;
  return m;
}
