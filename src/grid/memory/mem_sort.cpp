// TMemGrid::SortRows: a stable sort of the rows by one or more columns. The order is worked out on row
// indices over keys prepared once per row, then applied to every column's pool and to the row infos at
// once, so that each value moves one time however many rows there are.
#include <unicode/ucol.h>

#include <QString>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <thread>

#include "grid/memory/mem_grid.h"
#include "grid/structure/qt_text.h"
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

  // Appends the key of a UTF-8 text (its bytes, should the collation be missing).
  void AppendKey(std::string_view utf8, std::string& to) const {
    if (!coll_) {
      to.append(utf8);
      return;
    }
    const QString text = tw::ToQ(utf8);
    const std::size_t at = to.size();
    int room = int(text.size()) * 4 + 16;
    for (;;) {
      to.resize(at + std::size_t(room));
      const int n = ucol_getSortKey(coll_, reinterpret_cast<const UChar*>(text.utf16()), int(text.size()),
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
      for (int r = 0; r < rows; ++r) {
        const bool null = !pool.Prepared() || pool.IsNull(r);
        null_[std::size_t(r)] = null || pool.Text(r).empty();
        if (!numbers_.empty() && !null) {
          double v = 0;
          isNumber_[std::size_t(r)] = plat::fmt::TryStrToFloat(std::string(pool.Text(r)), v);
          numbers_[std::size_t(r)] = v;
        }
      }
      BuildKeys(pool, rows);
      return;
    }
    numbers_.resize(std::size_t(rows));
    isNumber_.assign(std::size_t(rows), true);
    for (int r = 0; r < rows; ++r) {
      null_[std::size_t(r)] = !pool.Prepared() || pool.IsNull(r);
      if (!null_[std::size_t(r)]) numbers_[std::size_t(r)] = ValueOf(type, pool.Value(r));
    }
  }

  // The collation keys of all rows, made on two threads for a large column (each with its collator).
  void BuildKeys(const TwMemPool& pool, int rows) {
    const auto build = [&pool](int from, int to, std::string& keys, std::vector<std::size_t>& ends) {
      const Collator collator;
      ends.reserve(std::size_t(to - from));
      for (int r = from; r < to; ++r) {
        if (pool.Prepared() && !pool.IsNull(r)) collator.AppendKey(pool.Text(r), keys);
        ends.push_back(keys.size());
      }
    };
    const int half = rows >= 20000 ? rows / 2 : rows;
    std::string upper;
    std::vector<std::size_t> upperEnds;
    std::thread second;
    if (half < rows) second = std::thread([&] { build(half, rows, upper, upperEnds); });
    std::vector<std::size_t> ends;
    build(0, half, keys_, ends);
    if (second.joinable()) second.join();
    offsets_.reserve(std::size_t(rows) + 1);
    offsets_.push_back(0);
    offsets_.insert(offsets_.end(), ends.begin(), ends.end());
    const std::size_t base = keys_.size();
    keys_ += upper;
    for (std::size_t e : upperEnds) offsets_.push_back(base + e);
  }

  // Whether the key is texts compared by collation alone (no numbers): SortedOrder then sorts by the keys'
  // bytes directly.
  bool PlainText() const { return !offsets_.empty() && isNumber_.empty(); }
  bool Descending() const { return descending_; }
  bool Null(std::size_t r) const { return null_[r]; }
  // Eight key bytes of row r from an offset, as a big-endian number, and the key's length.
  std::uint64_t WordAt(std::size_t r, std::size_t from) const { return Word(Key(r), from); }
  std::size_t KeyLength(std::size_t r) const { return offsets_[r + 1] - offsets_[r]; }

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
    if (offsets_.empty()) return 0;
    const std::string_view ka = Key(a), kb = Key(b);
    const int c = ka.compare(kb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }

  std::string_view Key(std::size_t r) const {
    return std::string_view(keys_).substr(offsets_[r], offsets_[r + 1] - offsets_[r]);
  }
  // Eight key bytes from an offset as a big-endian number (zeros past the end, where no key byte is zero).
  static std::uint64_t Word(std::string_view k, std::size_t from) {
    std::uint64_t p = 0;
    for (std::size_t i = from; i < from + 8; ++i)
      p = (p << 8) | (i < k.size() ? static_cast<unsigned char>(k[i]) : 0u);
    return p;
  }

  bool descending_;
  std::vector<bool> null_;
  std::string keys_;  // the collation keys of every row, one after another
  std::vector<std::size_t> offsets_;
  std::vector<double> numbers_;
  std::vector<bool> isNumber_;
};

struct SortItem {
  std::uint64_t a, b;  // sixteen key bytes from the level's offset
  int row;
};

// Sorts items on their two words in the key's direction, rows ascending among equals; then every run of
// items equal on those words whose keys go on is sorted again on the next sixteen bytes.
void SortLevel(SortItem* first, SortItem* last, std::size_t offset, const PreparedKey& k) {
  const bool down = k.Descending();
  std::sort(first, last, [down](const SortItem& x, const SortItem& y) {
    if (x.a != y.a) return down ? x.a > y.a : x.a < y.a;
    if (x.b != y.b) return down ? x.b > y.b : x.b < y.b;
    return x.row < y.row;
  });
  for (SortItem* run = first; run < last;) {
    SortItem* end = run + 1;
    while (end < last && end->a == run->a && end->b == run->b) ++end;
    if (end - run > 1) {
      bool longer = false;
      for (SortItem* it = run; it < end && !longer; ++it)
        longer = k.KeyLength(std::size_t(it->row)) > offset + 16;
      if (longer) {
        for (SortItem* it = run; it < end; ++it) {
          it->a = k.WordAt(std::size_t(it->row), offset + 16);
          it->b = k.WordAt(std::size_t(it->row), offset + 24);
        }
        SortLevel(run, end, offset + 16, k);
      }
    }
    run = end;
  }
}

}  // namespace

std::vector<int> TMemGrid::SortedOrder(const std::vector<TwSortKey>& keys) {
  const int rows = RowCount();
  std::vector<int> order(static_cast<std::size_t>(rows));
  std::iota(order.begin(), order.end(), 0);
  std::vector<PreparedKey> prepared;
  prepared.reserve(keys.size());
  for (const TwSortKey& k : keys) {
    if (k.Column < 0 || k.Column >= ColumnCount())
      throw plat::Exception("TMemGrid - Column Bounds Error(" + std::to_string(k.Column) + ") in SortRows");
    prepared.emplace_back(*Column(k.Column), k.Compare, k.Descending, rows);
  }
  if (prepared.size() == 1 && prepared[0].PlainText()) {
    // One text key: the rows are sorted on sixteen key bytes kept beside them, then each run that agrees
    // on those bytes on the next sixteen, and so on: every level sorts contiguous memory, and the row number
    // breaks the last ties, so the order is stable.
    const PreparedKey& k = prepared[0];
    std::vector<SortItem> items;
    items.reserve(order.size());
    std::vector<int> nulls;
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (k.Null(i))
        nulls.push_back(int(i));
      else
        items.push_back({k.WordAt(i, 0), k.WordAt(i, 8), int(i)});
    }
    SortLevel(items.data(), items.data() + items.size(), 0, k);
    // Nulls first ascending, last descending, in their order either way.
    std::size_t at = 0;
    if (!k.Descending())
      for (int r : nulls) order[at++] = r;
    for (const SortItem& it : items) order[at++] = it.row;
    if (k.Descending())
      for (int r : nulls) order[at++] = r;
    return order;
  }
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
  // The current record stays current in its new place.
  int moved = current;
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i] == current) moved = int(i);
  InvalidateGrid();
  if (moved != current) SetRow(moved);
}
