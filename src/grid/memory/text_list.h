#pragma once
// TwTextList: the texts of a wdtString column, one per row, packed into a byte arena.
//
// A row holds a 32-bit handle: 0 for the empty text, else the position of a length-prefixed text in the
// arena (chunk index in the high 16 bits, offset in the low 16 bits). Texts are appended to the current
// 64 KB chunk; a text too long for a chunk gets a chunk of its own. Overwritten and deleted texts become
// garbage that a compaction reclaims once it outweighs the live texts. Inserting and deleting rows moves
// only the 4-byte handles, so a million rows of short texts cost about their own bytes plus 4 per row.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TwTextList {
 public:
  TwTextList() = default;
  TwTextList(const TwTextList&) = delete;
  TwTextList& operator=(const TwTextList&) = delete;

  int Count() const { return int(handles_.size()); }
  std::string_view Get(int r) const;
  void Set(int r, std::string_view text);

  /// Row-list changes mirroring the pool: room for capacity rows, count rows of empty text, an empty
  /// text inserted at r, n texts removed at r.
  void Reserve(int capacity);
  void Resize(int count);
  void InsertEmpty(int r);
  void Remove(int r, int n);
  /// The texts of the rows `rows` (ascending, distinct) removed, in one pass.
  void Remove(const std::vector<int>& rows);
  void Clear();
  /// Reorders the rows: row i becomes the text of old row order[i] (order is a permutation of the rows).
  void Permute(const std::vector<int>& order);

  /// Bytes held: handles, arena chunks and the chunk table.
  std::size_t MemoryUsed() const;

 private:
  static constexpr std::uint32_t kChunkBits = 16;
  static constexpr std::uint32_t kChunkSize = 1u << kChunkBits;
  struct Chunk {
    std::unique_ptr<char[]> bytes;
    std::uint32_t size = 0;  ///< bytes allocated
    std::uint32_t used = 0;
  };
  std::uint32_t Append(std::string_view text);
  void Release(std::uint32_t handle);
  void CompactIfWorthIt();

  std::vector<std::uint32_t> handles_;
  std::vector<Chunk> chunks_;
  std::size_t liveBytes_ = 0;
  std::size_t garbageBytes_ = 0;
};
