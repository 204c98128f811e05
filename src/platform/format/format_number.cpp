// Floats: FloatToStr, StrToFloat, FormatFloat and the decimal digit helpers the other files share.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/error.h"
#include "platform/format/format.h"
#include "platform/format/format_internal.h"

namespace plat::fmt {

namespace detail {

Decimal ToDecimal(double v) {
  Decimal d;
  d.negative = std::signbit(v);
  if (v == 0) return d;
  // to_chars is locale-independent and rounds correctly: "d.dddddddddddddde+XX".
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
  std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
  const auto e = s.find('e');
  d.digits.push_back(s[0]);
  d.digits.append(s.substr(2, e - 2));
  d.exp = std::atoi(std::string(s.substr(e + 1)).c_str()) + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

void RoundDecimalDigits(Decimal& d, int count) {
  if (count < 0) count = 0;
  if (static_cast<int>(d.digits.size()) <= count) return;
  const bool up = d.digits[static_cast<std::size_t>(count)] >= '5';
  d.digits.resize(static_cast<std::size_t>(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9')
      d.digits[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exp;
    } else {
      ++d.digits[static_cast<std::size_t>(i)];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exp = 0;
}

void RoundDecimalPlaces(Decimal& d, int places) {
  if (d.digits.empty()) return;
  const int keep = d.exp + places;  // significant digits that stay in front of the cut
  if (keep < 0) {
    d.digits.clear();
    d.exp = 0;
    return;
  }
  if (keep == 0) {  // the first digit sits right after the cut: rounds to one unit of the last place or 0
    if (d.digits[0] >= '5') {
      d.digits = "1";
      d.exp = 1 - places;
    } else {
      d.digits.clear();
      d.exp = 0;
    }
    return;
  }
  RoundDecimalDigits(d, keep);
}

std::string FixedText(const Decimal& d, int decimals, char decimalSep, char thousands) {
  // Digit with index idx in d.digits; positions outside the stored digits are zeros.
  auto digit = [&](int idx) -> char {
    return (idx >= 0 && idx < static_cast<int>(d.digits.size())) ? d.digits[static_cast<std::size_t>(idx)]
                                                                 : '0';
  };
  std::string r;
  // Integer digits: position p = 1 is the units digit, whose index is exp - 1.
  const int intDigits = d.digits.empty() ? 1 : std::max(d.exp, 1);
  for (int p = intDigits; p >= 1; --p) {
    r.push_back(digit(d.exp - p));
    if (thousands && p > 1 && (p - 1) % 3 == 0) r.push_back(thousands);
  }
  if (decimals > 0) {
    r.push_back(decimalSep);
    for (int k = 1; k <= decimals; ++k) {
      r.push_back(digit(d.exp + k - 1));
    }
  }
  return r;
}

std::string GeneralText(double v, int precision, char decimalSep) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (precision < 1 || precision > 15) precision = 15;
  Decimal d = ToDecimal(v);
  RoundDecimalDigits(d, precision);
  if (d.digits.empty()) return "0";  // also -0
  std::string r = d.negative ? "-" : "";
  const int n = static_cast<int>(d.digits.size());
  if (d.exp > precision || d.exp < -3) {
    // Scientific: one digit, the rest after the separator, then E and the exponent without padding.
    r.push_back(d.digits[0]);
    if (n > 1) {
      r.push_back(decimalSep);
      r.append(d.digits, 1);
    }
    r += 'E';
    r += std::to_string(d.exp - 1);
    return r;
  }
  if (d.exp <= 0) {
    r += '0';
    r.push_back(decimalSep);
    r.append(static_cast<std::size_t>(-d.exp), '0');
    r += d.digits;
  } else if (n <= d.exp) {
    r += d.digits;
    r.append(static_cast<std::size_t>(d.exp - n), '0');
  } else {
    r.append(d.digits, 0, static_cast<std::size_t>(d.exp));
    r.push_back(decimalSep);
    r.append(d.digits, static_cast<std::size_t>(d.exp));
  }
  return r;
}

std::string Quote(std::string_view s) {
  // Built piece by piece: g++ 12 at -O3 takes "'" + std::string(s) for an overlapping copy (-Wrestrict).
  std::string out;
  out.reserve(s.size() + 2);
  out += '\'';
  out += s;
  out += '\'';
  return out;
}

std::string TrimBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace detail

using namespace detail;

std::string FloatToStr(double v) {
  return GeneralText(v, 15, Locale().DecimalSeparator);
}

bool TryStrToFloat(std::string_view text, double& out) {
  const std::string s = TrimBlanks(text);
  if (s.empty()) return false;
  // The texts FloatToStr writes for the non-finite values read back.
  std::string up;
  for (char c : s) up.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
  if (up == "INF" || up == "+INF" || up == "-INF" || up == "NAN") {
    out = up == "NAN" ? std::nan("") : (up[0] == '-' ? -HUGE_VAL : HUGE_VAL);
    return true;
  }
  // Validate the shape ourselves and hand from_chars a plain "C" number: it knows no locale and no '+'.
  const char sep = Locale().DecimalSeparator;
  std::string plain;
  std::size_t i = 0;
  if (s[i] == '+' || s[i] == '-') {
    if (s[i] == '-') plain.push_back('-');
    ++i;
  }
  bool digits = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') plain.push_back(s[i++]), digits = true;
  if (i < s.size() && s[i] == sep) {
    plain.push_back('.');
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') plain.push_back(s[i++]), digits = true;
  }
  if (!digits) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain.push_back('e');
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      if (s[i] == '-') plain.push_back('-');
      ++i;
    }
    bool expDigits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') plain.push_back(s[i++]), expDigits = true;
    if (!expDigits) return false;
  }
  if (i != s.size()) return false;
  double v = 0;
  auto res = std::from_chars(plain.data(), plain.data() + plain.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    // Overflow is an error; underflow reads as zero.
    const auto e = plain.find('e');
    if (e != std::string::npos && plain[e + 1] == '-') {
      out = plain[0] == '-' ? -0.0 : 0.0;
      return true;
    }
    // FloatToStr writes the largest double rounded up to 15 digits ("1.79769313486232E308"); that text
    // still means the largest double, not an overflow.
    long double wide = 0;
    auto wres = std::from_chars(plain.data(), plain.data() + plain.size(), wide);
    const long double max = std::numeric_limits<double>::max();
    if (wres.ec == std::errc() && std::fabs(wide) <= max * (1 + 5e-15L)) {
      out = wide < 0 ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
      return true;
    }
    return false;
  }
  if (res.ec != std::errc() || res.ptr != plain.data() + plain.size()) return false;
  out = v;
  return true;
}

double StrToFloat(std::string_view s) {
  double v;
  if (!TryStrToFloat(s, v)) throw EConvertError(Quote(s) + " is not a valid floating point value");
  return v;
}

std::int64_t RoundToEven(double v) {
  const double r = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
    throw EConvertError(Quote(GeneralText(v, 15, Locale().DecimalSeparator)) +
                        " is not a valid integer value");
  return static_cast<std::int64_t>(r);
}

}  // namespace plat::fmt
