#include "grid/memory/mem_footer.h"

#include <algorithm>
#include <cstdio>

#include "grid/memory/cell_value.h"
#include "grid/memory/mem_column.h"
#include "grid/memory/mem_grid.h"
#include "platform/format/format.h"
#include "platform/text/text.h"

namespace {
const char* const kKindNames[] = {"", "Custom", "Cnt", "Sum", "Avg", "Max", "Min"};
const char* const kOperatorNames[] = {"All", "==", ">", ">=", "<", "<=", "!="};

int Digit(const std::string& s, std::size_t at) {
  return at < s.size() && s[at] >= '0' && s[at] <= '9' ? s[at] - '0' : 0;
}
int Sign(int v) {
  return v < 0 ? -1 : v > 0 ? 1 : 0;
}
int Sign(double v) {
  return v < 0 ? -1 : v > 0 ? 1 : 0;
}
}  // namespace

TwMemColumnFooter::TwMemColumnFooter(TwMemColumn* column) : TwColumnFooter(column) {}

void TwMemColumnFooter::Assign(const TwDrawObject& source) {
  if (const auto* f = dynamic_cast<const TwMemColumnFooter*>(&source); f && f != this) styles_ = f->styles_;
  TwColumnFooter::Assign(source);
}

TwMemColumn* TwMemColumnFooter::MemColumn() const {
  return static_cast<TwMemColumn*>(Column());
}

std::string TwMemColumnFooter::Style(int i) const {
  if (i < 0 || i >= int(styles_.size())) return std::string(kNeutralStyle);
  return styles_[std::size_t(i)];
}

void TwMemColumnFooter::SetStyle(int i, std::string_view style) {
  if (i < 0) return;
  if (int(styles_.size()) <= i) styles_.resize(std::size_t(i) + 1, std::string(kNeutralStyle));
  if (styles_[std::size_t(i)] == style) return;
  styles_[std::size_t(i)] = std::string(style);
  Changed();
}

std::string TwMemColumnFooter::MakeStyle(TwFooterKind kind, int conditionColumn, TwFooterOperator op,
                                         std::string_view value) {
  char col[8];
  std::snprintf(col, sizeof col, "%04d", conditionColumn < 0 ? 9999 : std::min(conditionColumn, 9998));
  std::string s;
  s += char('0' + int(kind));
  s += col;
  s += char('0' + int(op));
  s += value;
  return s;
}

TwFooterKind TwMemColumnFooter::Kind(int i) const {
  const int k = Digit(Style(i), 0);
  return k <= int(wfkMin) ? TwFooterKind(k) : wfkNone;
}

int TwMemColumnFooter::ConditionColumn(int i) const {
  const std::string s = Style(i);
  const int n = Digit(s, 1) * 1000 + Digit(s, 2) * 100 + Digit(s, 3) * 10 + Digit(s, 4);
  return n == 9999 ? kThisColumn : n;
}

TwFooterOperator TwMemColumnFooter::Operator(int i) const {
  const int o = Digit(Style(i), 5);
  return o <= int(wfoNotEqual) ? TwFooterOperator(o) : wfoAll;
}

std::string TwMemColumnFooter::ConditionValue(int i) const {
  const std::string s = Style(i);
  return s.size() > 6 ? s.substr(6) : std::string();
}

void TwMemColumnFooter::Recalculate() {
  TwGridModel* g = GetGrid();
  const std::size_t rows = g ? std::size_t(g->Footers().Count()) : 0;
  while (styles_.size() < rows) styles_.emplace_back(kNeutralStyle);
  for (std::size_t i = rows; i < styles_.size(); ++i) styles_[i] = std::string(kNeutralStyle);
}

std::string TwMemColumnFooter::StyleDescription(int i) const {
  const TwFooterKind k = Kind(i);
  std::string s = kKindNames[std::size_t(k)];
  if (k < wfkCnt) return s;
  const TwFooterOperator op = Operator(i);
  const int cond = ConditionColumn(i);
  s += " (";
  if (op != wfoAll && cond != kThisColumn) {
    const TwColumns* cols = Column()->Collection();
    // Appended piece by piece: g++ 12 at -O3 takes a temporary's concatenation for an overlapping copy.
    if (cols && cond < cols->Count()) {
      s += cols->Items(cond)->Title().Caption();
    } else {
      s += '"';
      s += std::to_string(cond);
      s += '"';
    }
    s += ' ';
  }
  s += kOperatorNames[std::size_t(op)];
  if (op != wfoAll) {
    s += ' ';
    s += ConditionValue(i);
  }
  s += ")";
  return s;
}

std::string TwMemColumnFooter::GetText(int i) const {
  TwGridModel* g = GetGrid();
  if (g && g->GridState().Designing()) return StyleDescription(i);
  const std::string stored = GetValue(i);
  if (Kind(i) < wfkCnt) return stored;
  TMemGrid* grid = MemColumn()->Grid();
  return grid ? grid->FooterDisplayText(*MemColumn(), stored) : stored;
}

// --- aggregates -----------------------------------------------------------------------------------

namespace {

// The condition: a row of Q compared with the value text.
class Condition {
 public:
  Condition(const TwMemPool& q, TwDataType type, int width, TwFooterOperator op, const std::string& value)
      : q_(q), type_(type), width_(width), op_(op), value_(value) {
    if (op_ == wfoAll || IsTextType(type_) || value_.empty()) return;
    // Read once; a value that does not read raises the conversion error.
    if (type_ == wdtDate)
      number_ = plat::fmt::StrToDate(value_);
    else if (type_ == wdtTime)
      number_ = plat::fmt::StrToTime(value_);
    else if (type_ == wdtDateTime)
      number_ = plat::fmt::StrToDateTime(value_);
    else if (type_ == wdtBool && plat::text::SameText(plat::text::Trim(value_), "True"))
      number_ = 1;  // a boolean column's own texts read as its values
    else if (type_ == wdtBool && plat::text::SameText(plat::text::Trim(value_), "False"))
      number_ = 0;
    else
      number_ = plat::fmt::StrToFloat(value_);
  }

  bool Meets(int r) const {
    if (op_ == wfoAll) return true;
    const int c = Compare(r);
    switch (op_) {
      case wfoEqual:
        return c == 0;
      case wfoGreater:
        return c > 0;
      case wfoGreaterEqual:
        return c >= 0;
      case wfoLess:
        return c < 0;
      case wfoLessEqual:
        return c <= 0;
      case wfoNotEqual:
        return c != 0;
      default:
        return true;
    }
  }

 private:
  int Compare(int r) const {
    if (r >= q_.Count() || q_.IsNull(r)) return -1;
    auto& pool = const_cast<TwMemPool&>(q_);
    const TwPoolSlot slot(pool, r);
    const TwSlotType t{type_, width_};
    if (IsTextType(type_)) return Sign(plat::text::CompareStrLocale(twcell::GetText(t, slot), value_));
    if (value_.empty()) return 1;
    const double v = IsDateType(type_) ? twcell::GetDateTime(t, slot) : twcell::GetFloat(t, slot);
    return Sign(v - number_);
  }

  const TwMemPool& q_;
  TwDataType type_;
  int width_;
  TwFooterOperator op_;
  const std::string& value_;
  double number_ = 0;
};

// Two rows of P: null below any value, equal to another null.
int CompareRows(const TwMemPool& p, TwSlotType t, int a, int b) {
  const bool na = p.IsNull(a), nb = p.IsNull(b);
  if (na || nb) return na && nb ? 0 : na ? -1 : 1;
  auto& pool = const_cast<TwMemPool&>(p);
  const TwPoolSlot sa(pool, a), sb(pool, b);
  if (IsTextType(t.Type))
    return Sign(plat::text::CompareStrLocale(twcell::GetText(t, sa), twcell::GetText(t, sb)));
  return Sign(twcell::GetFloat(t, sa) - twcell::GetFloat(t, sb));
}

}  // namespace

std::string FooterAggregate(const TwMemColumn& c, const TwMemPool& p, const TwMemPool* q, TwDataType qType,
                            int qWidth, TwFooterKind kind, TwFooterOperator op, const std::string& value) {
  if (!q || p.Count() == 0) return {};
  const Condition cond(*q, qType, qWidth, op, value);
  const TwSlotType t = c.SlotType();
  const int rows = p.Count();
  auto& pool = const_cast<TwMemPool&>(p);

  if (kind == wfkMax || kind == wfkMin) {
    // The first row meeting the condition is the first candidate; with no such row the result is empty.
    int cand = -1;
    for (int b = 0; b < rows; ++b) {
      if (!cond.Meets(b)) continue;
      if (cand < 0) {
        cand = b;
        continue;
      }
      const int cmp = CompareRows(p, t, b, cand);
      if (kind == wfkMax ? cmp > 0 : cmp < 0) cand = b;
    }
    return cand < 0 ? std::string() : twcell::GetText(t, TwPoolSlot(pool, cand));
  }

  int count = 0;
  long double sum = 0;
  const bool numeric = c.IsNumeric();
  for (int r = 0; r < rows; ++r) {
    if (!cond.Meets(r)) continue;
    ++count;
    if (numeric && !p.IsNull(r)) sum += twcell::GetFloat(t, TwPoolSlot(pool, r));
  }
  switch (kind) {
    case wfkCnt:
      return std::to_string(count);
    case wfkSum:
      return numeric ? plat::fmt::FloatToStr(double(sum)) : std::string();
    case wfkAvg:
      return numeric && count != 0 ? plat::fmt::FloatToStr(double(sum / count)) : std::string();
    default:
      return {};
  }
}
