// StrToDate, StrToTime and StrToDateTime: reading dates and times in the locale's forms.
#include <chrono>

#include "platform/error.h"
#include "platform/format/format.h"
#include "platform/format/format_date_internal.h"
#include "platform/format/format_internal.h"

namespace plat::fmt {

using namespace detail;

namespace {

int CurrentYear() {
  const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
  return static_cast<int>(std::chrono::year_month_day(today).year());
}

// A cursor over the text being read.
class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}

  void SkipBlanks() {
    while (pos_ < s_.size() && static_cast<unsigned char>(s_[pos_]) <= ' ') ++pos_;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos_ == s_.size();
  }
  bool Char(char c) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  // Unsigned decimal number; `digits` receives how many digits it had.
  bool Number(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (digits >= 9) return false;  // no date or time field is that long
      value = value * 10 + (s_[pos_++] - '0');
      ++digits;
    }
    return digits > 0;
  }
  // A word such as the AM/PM texts, ASCII letters compared without case.
  bool Word(std::string_view w) {
    SkipBlanks();
    if (w.empty() || pos_ + w.size() > s_.size()) return false;
    for (std::size_t k = 0; k < w.size(); ++k) {
      char a = s_[pos_ + k], b = w[k];
      if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
      if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
      if (a != b) return false;
    }
    pos_ += w.size();
    return true;
  }
  std::size_t Pos() const { return pos_; }
  void Reset(std::size_t p) { pos_ = p; }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

enum class Order { YMD, MDY, DMY };

// The order of day, month and year as the short date picture writes them.
Order DateOrder(std::string_view pic) {
  for (std::size_t i = 0; i < pic.size(); ++i) {
    const char c = static_cast<char>(pic[i] | 0x20);
    if (pic[i] == '"' || pic[i] == '\'') {
      const auto end = pic.find(pic[i], i + 1);
      if (end == std::string_view::npos) break;
      i = end;
    } else if (c == 'y') {
      return Order::YMD;
    } else if (c == 'm') {
      return Order::MDY;
    } else if (c == 'd') {
      return Order::DMY;
    }
  }
  return Order::YMD;
}

// A year written with one or two digits lies within 50 years before and 49 after the current one.
int ExpandYear(int y, int digits) {
  if (digits > 2) return y;
  const int threshold = CurrentYear() - 50;
  int full = threshold - threshold % 100 + y;
  if (full < threshold) full += 100;
  return full;
}

bool ScanDate(Scanner& sc, TDateTime& out) {
  const FormatSettings& loc = Locale();
  int n[3], len[3];
  int count = 0;
  if (!sc.Number(n[0], len[0])) return false;
  count = 1;
  while (count < 3) {
    const std::size_t before = sc.Pos();
    if (!sc.Char(loc.DateSeparator)) break;
    if (!sc.Number(n[count], len[count])) {
      sc.Reset(before);
      break;
    }
    ++count;
  }
  if (count < 2) return false;
  int y, m, d, ylen = 4;
  const Order order = DateOrder(loc.ShortDateFormat);
  if (count == 2) {  // no year: this year
    y = CurrentYear();
    if (order == Order::DMY)
      d = n[0], m = n[1];
    else
      m = n[0], d = n[1];
  } else {
    switch (order) {
      case Order::YMD:
        y = n[0], ylen = len[0], m = n[1], d = n[2];
        break;
      case Order::MDY:
        m = n[0], d = n[1], y = n[2], ylen = len[2];
        break;
      default:
        d = n[0], m = n[1], y = n[2], ylen = len[2];
        break;
    }
  }
  return TryEncodeDate(ExpandYear(y, ylen), m, d, out);
}

// 0 = none, 1 = AM, 2 = PM. The locale's texts and the English ones are both understood.
int ScanAmPm(Scanner& sc) {
  const FormatSettings& loc = Locale();
  if (sc.Word(loc.TimeAMString) || sc.Word("AM")) return 1;
  if (sc.Word(loc.TimePMString) || sc.Word("PM")) return 2;
  return 0;
}

bool ScanTime(Scanner& sc, TDateTime& out) {
  const FormatSettings& loc = Locale();
  int ampm = ScanAmPm(sc);
  int h, n = 0, s = 0, ms = 0, len;
  if (!sc.Number(h, len)) return false;
  if (sc.Char(loc.TimeSeparator)) {
    if (!sc.Number(n, len)) return false;
    if (sc.Char(loc.TimeSeparator)) {
      if (!sc.Number(s, len)) return false;
      if (sc.Char('.') || sc.Char(loc.DecimalSeparator)) {
        // A fraction of a second: ".5" is 500 ms.
        if (!sc.Number(ms, len)) return false;
        for (; len < 3; ++len) ms *= 10;
        for (; len > 3; --len) ms /= 10;
      }
    }
  }
  if (ampm == 0) ampm = ScanAmPm(sc);
  if (ampm != 0) {
    if (h > 12) return false;
    if (h == 12) h = 0;
    if (ampm == 2) h += 12;
  }
  return TryEncodeTime(h, n, s, ms, out);
}

}  // namespace

bool TryStrToDate(std::string_view s, TDateTime& out) {
  Scanner sc(s);
  TDateTime d;
  if (!ScanDate(sc, d) || !sc.AtEnd()) return false;
  out = d;
  return true;
}

bool TryStrToTime(std::string_view s, TDateTime& out) {
  Scanner sc(s);
  TDateTime t;
  if (!ScanTime(sc, t) || !sc.AtEnd()) return false;
  out = t;
  return true;
}

bool TryStrToDateTime(std::string_view s, TDateTime& out) {
  Scanner sc(s);
  TDateTime d, t = 0;
  if (ScanDate(sc, d)) {
    if (!sc.AtEnd() && (!ScanTime(sc, t) || !sc.AtEnd())) return false;
    out = Compose(d, t);
    return true;
  }
  return TryStrToTime(s, out);  // a time alone is a time on day 0
}

TDateTime StrToDate(std::string_view s) {
  TDateTime d;
  if (!TryStrToDate(s, d)) throw EConvertError(Quote(s) + " is not a valid date");
  return d;
}

TDateTime StrToTime(std::string_view s) {
  TDateTime d;
  if (!TryStrToTime(s, d)) throw EConvertError(Quote(s) + " is not a valid time");
  return d;
}

TDateTime StrToDateTime(std::string_view s) {
  TDateTime d;
  if (!TryStrToDateTime(s, d)) throw EConvertError(Quote(s) + " is not a valid date and time");
  return d;
}

}  // namespace plat::fmt
