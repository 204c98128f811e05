// TMemGrid::SortRows: a stable sort of the rows by one or more columns. The order is worked out on row
// indices over keys prepared once per row, then applied to every column's pool and to the row infos at
// once, so that each value moves one time however many rows there are.
#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>

#include "grid/memory/mem_grid.h"
#include "platform/error.h"
#include "platform/format/format.h"

namespace {

// One key's values of every row, prepared for comparing.
class PreparedKey {
 public:
  PreparedKey(TwMemColumn& column, TwSortCompare compare, bool descending, int rows)
      : descending_(descending) {
    const TwMemPool& pool = column.Pool();
    const TwDataType type = pool.DataType();
    if (compare == TwSortCompare::Auto) compare = IsTextType(type) ? TwSortCompare::Locale : TwSortCompare::Number;
    null_.resize(std::size_t(rows));
    if (IsTextType(type)) {
      // Korean collation whatever the machine's locale: Hangul in 가나다 order, Latin letters by letter.
      QCollator collator(QLocale(QLocale::Korean, QLocale::SouthKorea));
      numbers_.resize(compare == TwSortCompare::Number ? std::size_t(rows) : 0);
      isNumber_.resize(numbers_.size());
      texts_.reserve(std::size_t(rows));
      for (int r = 0; r < rows; ++r) {
        const bool null = !pool.Prepared() || pool.IsNull(r);
        const std::string_view t = null ? std::string_view{} : pool.Text(r);
        null_[std::size_t(r)] = null || t.empty();
        texts_.push_back(collator.sortKey(QString::fromUtf8(t.data(), qsizetype(t.size()))));
        if (!numbers_.empty() && !null) {
          double v = 0;
          isNumber_[std::size_t(r)] = plat::fmt::TryStrToFloat(std::string(t), v);
          numbers_[std::size_t(r)] = v;
        }
      }
      return;
    }
    numbers_.resize(std::size_t(rows));
    isNumber_.assign(std::size_t(rows), true);
    for (int r = 0; r < rows; ++r) {
      null_[std::size_t(r)] = !pool.Prepared() || pool.IsNull(r);
      if (!null_[std::size_t(r)]) numbers_[std::size_t(r)] = ValueOf(type, pool.Value(r));
    }
  }

  // <0, 0, >0 for rows a and b in this key's direction; nulls (and empty texts) come first ascending.
  int Compare(int a, int b) const {
    const int c = Raw(std::size_t(a), std::size_t(b));
    return descending_ ? -c : c;
  }

 private:
  static double ValueOf(TwDataType type, const std::uint8_t* p) {
    switch (type) {
      case wdtBool:
      case wdtByte: return double(p[0]);
      case wdtShort: return double(static_cast<std::int8_t>(p[0]));
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
      default: return 0;
    }
  }

  int Raw(std::size_t a, std::size_t b) const {
    if (null_[a] || null_[b]) return int(null_[b]) - int(null_[a]);
    if (!isNumber_.empty()) {
      if (isNumber_[a] != isNumber_[b]) return isNumber_[a] ? -1 : 1;
      if (isNumber_[a]) return numbers_[a] < numbers_[b] ? -1 : (numbers_[b] < numbers_[a] ? 1 : 0);
    }
    if (texts_.empty()) return 0;
    return texts_[a].compare(texts_[b]);
  }

  bool descending_;
  std::vector<bool> null_;
  std::vector<QCollatorSortKey> texts_;
  std::vector<double> numbers_;
  std::vector<bool> isNumber_;
};

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
