// TMemGrid::SortRows: a stable sort of the rows by one or more columns. The order is worked out on row
// indices over keys prepared once per row (texts: a collation rank from one key per distinct text), then
// applied to every column's pool and to the row infos at once, so that each value moves one time however
// many rows there are.
#include <unicode/ucol.h>

#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "grid/memory/mem_grid.h"
#include "grid/view/grid_accessible.h"
#include "platform/error.h"
#include "platform/format/format.h"

namespace {

// The Korean collation whatever the machine's locale (Hangul in 가나다 order, then Latin letters by letter),
// as byte keys that compare like the texts: the collation's comparison done once per row, not per pair.
class Collator {
 public:
  Collator() {
    UErrorCode status = U_ZERO_ERROR;
    coll_ = ucol_open("ko_KR", &status);
    if (U_FAILURE(status)) coll_ = nullptr;
  }
  ~Collator() {
    if (coll_) ucol_close(coll_);
  }
  Collator(const Collator&) = delete;
  Collator& operator=(const Collator&) = delete;

  // Appends the key of a UTF-8 text (its bytes, should the collation be missing). The text is decoded as
  // QString::fromUtf8 decodes it, into a buffer kept from text to text.
  void AppendKey(std::string_view utf8, std::string& to) {
    if (!coll_) {
      to.append(utf8);
      return;
    }
    utf16_.resize(utf8.size() + 1);
    const QChar* end =
        decoder_.appendToBuffer(utf16_.data(), QByteArrayView(utf8.data(), qsizetype(utf8.size())));
    const int length = int(end - utf16_.data());
    const std::size_t at = to.size();
    int room = length * 4 + 16;
    for (;;) {
      to.resize(at + std::size_t(room));
      const int n = ucol_getSortKey(coll_, reinterpret_cast<const UChar*>(utf16_.data()), length,
                                    reinterpret_cast<std::uint8_t*>(to.data() + at), room);
      if (n <= room) {
        to.resize(at + std::size_t(n > 0 ? n - 1 : 0));  // without the closing NUL
        return;
      }
      room = n;
    }
  }

 private:
  UCollator* coll_ = nullptr;
  QStringDecoder decoder_{QStringDecoder::Utf8,
                          QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
  std::vector<QChar> utf16_;
};

// The collation ranks of a text column's rows: rows whose texts compare equal by the collation share a
// rank, and ranks follow the collation's order. Each distinct text gets one key, so a column that repeats
// its texts (a file named on several lines, a folder holding many files) makes few keys; the keys are sorted
// once, on their bytes.
class TextRanks {
 public:
  // Ranks of the rows take(row, text, null) accepts; other rows get -1. Each row's text is read once, here,
  // and handed to take (empty for a null cell).
  template <class Take>
  TextRanks(const TwMemPool& pool, int rows, Take&& take) : ranks_(std::size_t(rows), -1) {
    Distinct(pool, rows, take);
    BuildKeys();
    RankDistinct();
    for (int& r : ranks_)
      if (r >= 0) r = rankOf_[std::size_t(r)];
  }

  int Rank(std::size_t r) const { return ranks_[r]; }
  // Ranks run from 0 to Count() - 1.
  int Count() const { return count_; }

 private:
  // Gives each taken row the index of its text among the distinct texts (in ranks_ for now). A row
  // repeating the row above costs one comparison; others are looked up in an open hash table.
  template <class Take>
  void Distinct(const TwMemPool& pool, int rows, Take&& take) {
    std::vector<std::int32_t> table(1024, -1);
    std::size_t mask = table.size() - 1;
    std::vector<std::uint64_t> hashes;
    int previous = -1;  // the distinct text of the row above, when that row was taken
    for (int r = 0; r < rows; ++r) {
      const bool null = !pool.Prepared() || pool.IsNull(r);
      const std::string_view text = null ? std::string_view() : pool.Text(r);
      if (!take(r, text, null)) {
        previous = -1;
        continue;
      }
      if (previous >= 0 && texts_[std::size_t(previous)] == text) {
        ranks_[std::size_t(r)] = previous;
        continue;
      }
      const std::uint64_t h = std::hash<std::string_view>()(text);
      std::size_t at = std::size_t(h) & mask;
      while (table[at] >= 0 &&
             !(hashes[std::size_t(table[at])] == h && texts_[std::size_t(table[at])] == text))
        at = (at + 1) & mask;
      if (table[at] >= 0) {
        previous = table[at];
      } else {
        previous = std::int32_t(texts_.size());
        table[at] = previous;
        texts_.push_back(text);
        hashes.push_back(h);
        if (texts_.size() * 2 > table.size()) {
          // Twice the room, every distinct text placed again.
          table.assign(table.size() * 2, -1);
          mask = table.size() - 1;
          for (std::size_t d = 0; d < hashes.size(); ++d) {
            std::size_t to = std::size_t(hashes[d]) & mask;
            while (table[to] >= 0) to = (to + 1) & mask;
            table[to] = std::int32_t(d);
          }
        }
      }
      ranks_[std::size_t(r)] = previous;
    }
  }

  // The collation keys of the distinct texts, made on two threads when there are many (each thread with
  // its own collator).
  void BuildKeys() {
    const auto build = [this](std::size_t from, std::size_t to, std::string& keys,
                              std::vector<std::size_t>& ends) {
      Collator collator;
      ends.reserve(to - from);
      for (std::size_t d = from; d < to; ++d) {
        collator.AppendKey(texts_[d], keys);
        ends.push_back(keys.size());
      }
    };
    const std::size_t n = texts_.size();
    const std::size_t half = n >= 20000 ? n / 2 : n;
    std::string upper;
    std::vector<std::size_t> upperEnds;
    std::thread second;
    if (half < n) second = std::thread([&] { build(half, n, upper, upperEnds); });
    std::vector<std::size_t> ends;
    build(0, half, keys_, ends);
    if (second.joinable()) second.join();
    offsets_.reserve(n + 1);
    offsets_.push_back(0);
    offsets_.insert(offsets_.end(), ends.begin(), ends.end());
    const std::size_t base = keys_.size();
    keys_ += upper;
    for (std::size_t e : upperEnds) offsets_.push_back(base + e);
  }

  struct Item {
    std::uint64_t a, b;  // sixteen key bytes from the level's offset
    std::int32_t text;
  };

  // The distinct texts sorted on their keys' bytes; equal keys share a rank.
  void RankDistinct() {
    std::vector<Item> items(texts_.size());
    for (std::size_t d = 0; d < items.size(); ++d) items[d] = {WordAt(d, 0), WordAt(d, 8), std::int32_t(d)};
    SortLevel(items.data(), items.data() + items.size(), 0);
    rankOf_.resize(items.size());
    count_ = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0 && Key(std::size_t(items[i].text)) != Key(std::size_t(items[i - 1].text))) ++count_;
      rankOf_[std::size_t(items[i].text)] = count_;
    }
    if (!items.empty()) ++count_;
  }

  // Sorts items on their two words; then every run of items equal on those words whose keys go on is
  // sorted again on the next sixteen bytes, so every level sorts contiguous memory.
  void SortLevel(Item* first, Item* last, std::size_t offset) const {
    std::sort(first, last, [](const Item& x, const Item& y) { return x.a != y.a ? x.a < y.a : x.b < y.b; });
    for (Item* run = first; run < last;) {
      Item* end = run + 1;
      while (end < last && end->a == run->a && end->b == run->b) ++end;
      if (end - run > 1) {
        bool longer = false;
        for (Item* it = run; it < end && !longer; ++it)
          longer = KeyLength(std::size_t(it->text)) > offset + 16;
        if (longer) {
          for (Item* it = run; it < end; ++it) {
            it->a = WordAt(std::size_t(it->text), offset + 16);
            it->b = WordAt(std::size_t(it->text), offset + 24);
          }
          SortLevel(run, end, offset + 16);
        }
      }
      run = end;
    }
  }

  std::string_view Key(std::size_t d) const {
    return std::string_view(keys_).substr(offsets_[d], offsets_[d + 1] - offsets_[d]);
  }
  std::size_t KeyLength(std::size_t d) const { return offsets_[d + 1] - offsets_[d]; }
  // Eight key bytes from an offset as a big-endian number (zeros past the end, where no key byte is zero).
  std::uint64_t WordAt(std::size_t d, std::size_t from) const {
    const std::string_view k = Key(d);
    if (from + 8 <= k.size()) {
      std::uint64_t w;
      std::memcpy(&w, k.data() + from, 8);
      return __builtin_bswap64(w);
    }
    std::uint64_t p = 0;
    for (std::size_t i = from; i < from + 8; ++i)
      p = (p << 8) | (i < k.size() ? static_cast<unsigned char>(k[i]) : 0u);
    return p;
  }

  std::vector<int> ranks_;               // per row: the distinct text, then its rank
  std::vector<std::string_view> texts_;  // the distinct texts, in the pool
  std::string keys_;                     // their collation keys, one after another
  std::vector<std::size_t> offsets_;
  std::vector<int> rankOf_;  // per distinct text
  int count_ = 0;
};

// One key's values of every row, prepared for comparing.
class PreparedKey {
 public:
  PreparedKey(TwMemColumn& column, TwSortCompare compare, bool descending, int rows)
      : descending_(descending) {
    const TwMemPool& pool = column.Pool();
    const TwDataType type = pool.DataType();
    if (compare == TwSortCompare::Auto)
      compare = IsTextType(type) ? TwSortCompare::Locale : TwSortCompare::Number;
    null_.resize(std::size_t(rows));
    if (IsTextType(type)) {
      numbers_.resize(compare == TwSortCompare::Number ? std::size_t(rows) : 0);
      isNumber_.resize(numbers_.size());
      // Empty texts sort with the nulls; texts that are not numbers compare by collation.
      ranks_.emplace(pool, rows, [this](int r, std::string_view text, bool null) {
        const std::size_t i = std::size_t(r);
        null_[i] = null || text.empty();
        if (!numbers_.empty() && !null) {
          double v = 0;
          isNumber_[i] = plat::fmt::TryStrToFloat(std::string(text), v);
          numbers_[i] = v;
        }
        return !null_[i] && (isNumber_.empty() || !isNumber_[i]);
      });
      return;
    }
    numbers_.resize(std::size_t(rows));
    isNumber_.assign(std::size_t(rows), true);
    for (int r = 0; r < rows; ++r) {
      null_[std::size_t(r)] = !pool.Prepared() || pool.IsNull(r);
      if (!null_[std::size_t(r)]) numbers_[std::size_t(r)] = ValueOf(type, pool.Value(r));
    }
  }

  // Whether the key is texts compared by collation alone (no numbers): SortedOrder then places the rows by
  // their ranks directly.
  bool PlainText() const { return ranks_.has_value() && isNumber_.empty(); }
  bool Descending() const { return descending_; }
  bool Null(std::size_t r) const { return null_[r]; }
  const TextRanks& Ranks() const { return *ranks_; }

  // <0, 0, >0 for rows a and b in this key's direction; nulls (and empty texts) come first ascending.
  int Compare(int a, int b) const {
    const int c = Raw(std::size_t(a), std::size_t(b));
    return descending_ ? -c : c;
  }

 private:
  static double ValueOf(TwDataType type, const std::uint8_t* p) {
    switch (type) {
      case wdtBool:
      case wdtByte:
        return double(p[0]);
      case wdtShort:
        return double(static_cast<std::int8_t>(p[0]));
      case wdtSmall: {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return v;
      }
      case wdtWord: {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
      }
      case wdtLong: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return v;
      }
      case wdtFloat:
      case wdtDate:
      case wdtTime:
      case wdtDateTime: {
        double v;
        std::memcpy(&v, p, 8);
        return v;
      }
      default:
        return 0;
    }
  }

  int Raw(std::size_t a, std::size_t b) const {
    if (null_[a] || null_[b]) return int(null_[b]) - int(null_[a]);
    if (!isNumber_.empty()) {
      if (isNumber_[a] != isNumber_[b]) return isNumber_[a] ? -1 : 1;
      if (isNumber_[a]) return numbers_[a] < numbers_[b] ? -1 : (numbers_[b] < numbers_[a] ? 1 : 0);
    }
    if (!ranks_) return 0;
    const int ra = ranks_->Rank(a), rb = ranks_->Rank(b);
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
  }

  bool descending_;
  std::vector<bool> null_;
  std::optional<TextRanks> ranks_;  // texts: the collation ranks of the rows that are not numbers
  std::vector<double> numbers_;
  std::vector<bool> isNumber_;
};

}  // namespace

std::vector<int> TMemGrid::SortedOrder(const std::vector<TwSortKey>& keys) {
  const int rows = RowCount();
  std::vector<int> order(static_cast<std::size_t>(rows));
  std::vector<PreparedKey> prepared;
  prepared.reserve(keys.size());
  for (const TwSortKey& k : keys) {
    if (k.Column < 0 || k.Column >= ColumnCount())
      throw plat::Exception("TMemGrid - Column Bounds Error(" + std::to_string(k.Column) + ") in SortRows");
    prepared.emplace_back(*Column(k.Column), k.Compare, k.Descending, rows);
  }
  if (prepared.size() == 1 && prepared[0].PlainText()) {
    // One text key: the rows are placed by their ranks (a counting sort), each rank's rows in row order,
    // so the order is stable in either direction. Nulls are first ascending, last descending.
    const PreparedKey& k = prepared[0];
    const TextRanks& ranks = k.Ranks();
    const int n = ranks.Count();
    // Bucket 0 holds the nulls ascending, bucket n + 1 descending.
    const auto bucket = [&](std::size_t r) {
      if (k.Null(r)) return k.Descending() ? n + 1 : 0;
      return k.Descending() ? n - ranks.Rank(r) : ranks.Rank(r) + 1;
    };
    std::vector<int> start(std::size_t(n) + 3, 0);
    for (std::size_t r = 0; r < order.size(); ++r) ++start[std::size_t(bucket(r)) + 1];
    for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
    for (std::size_t r = 0; r < order.size(); ++r)
      order[std::size_t(start[std::size_t(bucket(r))]++)] = int(r);
    return order;
  }
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    for (const PreparedKey& k : prepared)
      if (const int c = k.Compare(a, b)) return c < 0;
    return false;
  });
  return order;
}

void TMemGrid::SortRows(const std::vector<TwSortKey>& keys) {
  if (keys.empty() || RowCount() < 2) return;
  // A row being edited is posted first, so that the order is of stored values.
  if (editState_ == esEdit || editState_ == esInsert) Post();
  HideEditor();
  const std::vector<int> order = SortedOrder(keys);
  const int current = Row();
  for (int i = 0; i < ColumnCount(); ++i)
    if (Column(i)->Pool().Prepared()) Column(i)->Pool().Permute(order);
  infos_.Permute(order);
  TwAccessibleRowsChanged(this);
  // The current record stays current in its new place.
  int moved = current;
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i] == current) moved = int(i);
  InvalidateGrid();
  if (moved != current) SetRow(moved);
}
