// Locale settings, integers and Format() (see format.h).
#include "platform/format/format.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/error.h"
#include "platform/format/format_internal.h"
#include "platform/text/text.h"

namespace plat::fmt {

using namespace detail;

namespace {
FormatSettings& Settings() {
  static FormatSettings s = KoreanDefaults();
  return s;
}
}  // namespace

const FormatSettings& Locale() {
  return Settings();
}
void SetLocale(const FormatSettings& s) {
  Settings() = s;
}
FormatSettings KoreanDefaults() {
  return FormatSettings{};
}  // the member defaults are the Korean ones

// --- integers -------------------------------------------------------------------------------------

std::string IntToStr(std::int64_t v) {
  return std::to_string(v);
}
std::string UIntToStr(std::uint64_t v) {
  return std::to_string(v);
}

bool TryStrToInt64(std::string_view text, std::int64_t& out) {
  const std::string s = TrimBlanks(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  unsigned base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == s.size()) return false;
  // Accumulate the magnitude unsigned so that INT64_MIN, whose magnitude exceeds INT64_MAX, still fits.
  std::uint64_t mag = 0;
  const std::uint64_t limit = negative ? 9223372036854775808ull : 9223372036854775807ull;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return false;
    if (mag > (limit - digit) / base) return false;
    mag = mag * base + digit;
  }
  out = negative ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag);
  return true;
}

std::int64_t StrToInt64(std::string_view s) {
  std::int64_t v;
  if (!TryStrToInt64(s, v)) throw EConvertError(Quote(s) + " is not a valid integer value");
  return v;
}

// --- Format ---------------------------------------------------------------------------------------

namespace {

bool IsIntegerKind(VarType t) {
  switch (t) {
    case VarType::ShortInt:
    case VarType::Byte:
    case VarType::SmallInt:
    case VarType::Word:
    case VarType::Integer:
    case VarType::LongWord:
    case VarType::Int64:
      return true;
    default:
      return false;
  }
}

class Formatter {
 public:
  Formatter(std::string_view fmt, const std::vector<Variant>& args) : fmt_(fmt), args_(args) {}

  std::string Run() {
    std::string out;
    std::size_t i = 0;
    while (i < fmt_.size()) {
      const auto pct = fmt_.find('%', i);
      if (pct == std::string_view::npos) {
        out.append(fmt_.substr(i));
        break;
      }
      out.append(fmt_.substr(i, pct - i));
      i = pct + 1;
      if (i < fmt_.size() && fmt_[i] == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
      i = Directive(i, out);
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format " + Quote(fmt_) + " invalid or incompatible with argument");
  }

  const Variant& NextArg() {
    if (next_ >= args_.size()) Invalid();
    return args_[next_++];
  }

  // A number in the directive, or "*" taking it from the argument list; -1 when there is none.
  int Number(std::size_t& i) {
    if (i < fmt_.size() && fmt_[i] == '*') {
      ++i;
      const Variant& a = NextArg();
      if (!IsIntegerKind(a.Type())) Invalid();
      // Clamped: a negative value means none, and a huge one must not allocate gigabytes of padding.
      return static_cast<int>(std::clamp<std::int64_t>(a.ToInt64(), 0, 100000));
    }
    if (i >= fmt_.size() || fmt_[i] < '0' || fmt_[i] > '9') return -1;
    int n = 0;
    while (i < fmt_.size() && fmt_[i] >= '0' && fmt_[i] <= '9')
      n = std::min(n * 10 + (fmt_[i++] - '0'), 100000);
    return n;
  }

  // Parses "[index:][-][width][.prec]type" starting after the '%' and appends the formatted argument.
  std::size_t Directive(std::size_t i, std::string& out) {
    int n = Number(i);
    if (i < fmt_.size() && fmt_[i] == ':') {  // an explicit argument index
      if (n < 0) n = 0;
      next_ = static_cast<std::size_t>(n);
      ++i;
      n = -1;
    }
    bool left = false;
    if (n < 0 && i < fmt_.size() && fmt_[i] == '-') {
      left = true;
      ++i;
    }
    const int width = n >= 0 ? n : Number(i);
    int prec = -1;
    if (i < fmt_.size() && fmt_[i] == '.') {
      ++i;
      prec = Number(i);
      if (prec < 0) prec = 0;
    }
    if (i >= fmt_.size()) Invalid();
    const char type = static_cast<char>(fmt_[i] >= 'A' && fmt_[i] <= 'Z' ? fmt_[i] + 32 : fmt_[i]);
    std::string s = Convert(type, prec, NextArg());
    // Width counts characters, not bytes, so Hangul pads like Latin text.
    const std::size_t len = text::Utf8Length(s);
    if (width > 0 && len < static_cast<std::size_t>(width)) {
      const std::string pad(static_cast<std::size_t>(width) - len, ' ');
      s = left ? s + pad : pad + s;
    }
    out += s;
    return i + 1;
  }

  std::string Convert(char type, int prec, const Variant& a) {
    const FormatSettings& loc = Locale();
    switch (type) {
      case 'd':
      case 'u': {
        if (!IsIntegerKind(a.Type())) Invalid();
        const std::int64_t v = a.ToInt64();
        std::string digits = type == 'u' ? UIntToStr(static_cast<std::uint64_t>(v))
                                         : UIntToStr(v < 0 ? 0 - static_cast<std::uint64_t>(v)
                                                           : static_cast<std::uint64_t>(v));
        if (prec > 0 && digits.size() < static_cast<std::size_t>(prec))
          digits.insert(0, static_cast<std::size_t>(prec) - digits.size(), '0');
        return (type == 'd' && v < 0 ? "-" : "") + digits;
      }
      case 'x': {
        if (!IsIntegerKind(a.Type())) Invalid();
        std::uint64_t v = static_cast<std::uint64_t>(a.ToInt64());
        if (a.Type() != VarType::Int64) v &= 0xFFFFFFFFu;  // 32-bit kinds show 32-bit two's complement
        static const char hex[] = "0123456789ABCDEF";
        std::string digits;
        do {
          digits.insert(digits.begin(), hex[v & 15]);
          v >>= 4;
        } while (v);
        if (prec > 0 && digits.size() < static_cast<std::size_t>(prec))
          digits.insert(0, static_cast<std::size_t>(prec) - digits.size(), '0');
        return digits;
      }
      case 's': {
        std::string s = a.ToString();
        return prec >= 0 ? text::Utf8Cut(s, static_cast<std::size_t>(prec)) : s;
      }
      case 'f':
      case 'n':
      case 'e':
      case 'g': {
        if (!a.IsNumeric() && a.Type() != VarType::Date) Invalid();
        return FloatDirective(type, prec, a.ToDouble(), loc);
      }
      default:
        Invalid();
    }
  }

  static std::string FloatDirective(char type, int prec, double v, const FormatSettings& loc) {
    if (std::isnan(v) || std::isinf(v)) return GeneralText(v, 15, loc.DecimalSeparator);
    if (type == 'g') return GeneralText(v, prec < 0 ? 15 : prec, loc.DecimalSeparator);
    Decimal d = ToDecimal(v);
    if (type == 'e') {
      // d.ddd...E+ddd with `prec` significant digits (15 by default) and at least three exponent digits.
      const int digits = prec < 1 ? 15 : std::min(prec, 18);
      RoundDecimalDigits(d, digits);
      std::string r = d.negative && !d.digits.empty() ? "-" : "";
      std::string m = d.digits;
      m.resize(static_cast<std::size_t>(digits), '0');
      r.push_back(m[0]);
      if (digits > 1) {
        r.push_back(loc.DecimalSeparator);
        r.append(m, 1);
      }
      const int e = d.digits.empty() ? 0 : d.exp - 1;
      std::string es = std::to_string(std::abs(e));
      if (es.size() < 3) es.insert(0, 3 - es.size(), '0');
      return r + (e < 0 ? "E-" : "E+") + es;
    }
    const int decimals = prec < 0 ? 2 : prec;
    RoundDecimalPlaces(d, decimals);
    const std::string body =
        FixedText(d, decimals, loc.DecimalSeparator, type == 'n' ? loc.ThousandSeparator : 0);
    return (d.negative && !d.digits.empty() ? "-" : "") + body;
  }

  std::string_view fmt_;
  const std::vector<Variant>& args_;
  std::size_t next_ = 0;
};

}  // namespace

std::string Format(std::string_view fmt, const std::vector<Variant>& args) {
  return Formatter(fmt, args).Run();
}

}  // namespace plat::fmt
