// FormatFloat: number pictures such as "#,##0.00", "0.###", "0.00E+00" and "pos;neg;zero".
#include <cmath>

#include "platform/format/format.h"
#include "platform/format/format_internal.h"

namespace plat::fmt {

using namespace detail;

namespace {

// What one section of a picture asks for.
struct Picture {
  int intPlaces = 0;  // 0 and # before the decimal point
  int minInt = 0;     // integer digits always shown (from the first 0 on)
  int decPlaces = 0;  // 0 and # after the decimal point
  int minDec = 0;     // decimal digits always shown (up to the last 0)
  bool thousands = false;
  bool scientific = false;
  int expDigits = 0;
};

// Length of a quoted literal starting at s[i] (including both quotes), or 0 when s[i] is no quote.
std::size_t QuotedLength(std::string_view s, std::size_t i) {
  if (s[i] != '"' && s[i] != '\'') return 0;
  const auto end = s.find(s[i], i + 1);
  return end == std::string_view::npos ? s.size() - i : end - i + 1;
}

// An exponent marker "E+", "E-", "e+" or "e-" at s[i].
bool IsExponent(std::string_view s, std::size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

std::vector<std::string_view> SplitSections(std::string_view pic) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < pic.size();) {
    if (std::size_t q = QuotedLength(pic, i)) {
      i += q;
    } else if (pic[i] == ';') {
      out.push_back(pic.substr(start, i - start));
      start = ++i;
    } else {
      ++i;
    }
  }
  out.push_back(pic.substr(start));
  return out;
}

Picture Analyze(std::string_view sec) {
  Picture p;
  bool afterPoint = false;
  int firstIntZero = -1;
  for (std::size_t i = 0; i < sec.size();) {
    if (std::size_t q = QuotedLength(sec, i)) {
      i += q;
      continue;
    }
    const char c = sec[i];
    if (c == '0' || c == '#') {
      if (afterPoint) {
        ++p.decPlaces;
        if (c == '0') p.minDec = p.decPlaces;
      } else {
        if (c == '0' && firstIntZero < 0) firstIntZero = p.intPlaces;
        ++p.intPlaces;
      }
    } else if (c == '.') {
      afterPoint = true;
    } else if (c == ',') {
      p.thousands = true;
    } else if (IsExponent(sec, i) && p.intPlaces + p.decPlaces > 0 && !p.scientific) {
      p.scientific = true;
      i += 2;
      while (i < sec.size() && sec[i] == '0') ++p.expDigits, ++i;
      continue;
    }
    ++i;
  }
  if (firstIntZero >= 0) p.minInt = p.intPlaces - firstIntZero;
  return p;
}

// Digits of the integer and fraction parts as the picture shows them.
struct Digits {
  std::string intPart;  // without leading zeros beyond minInt
  std::string decPart;  // trailing zeros beyond minDec removed
  int exponent = 0;
  bool zero = true;
};

Digits Render(const Picture& p, double v) {
  Decimal d = ToDecimal(std::fabs(v));
  Digits r;
  if (p.scientific) {
    const int lead = std::max(p.intPlaces, 1);
    RoundDecimalDigits(d, lead + p.decPlaces);
    r.exponent = d.digits.empty() ? 0 : d.exp - lead;
    d.exp = d.digits.empty() ? 0 : lead;  // the mantissa: `lead` digits before the point
  } else {
    RoundDecimalPlaces(d, p.decPlaces);
  }
  r.zero = d.digits.empty();
  const std::string fixed = FixedText(d, p.decPlaces, '.', 0);
  const auto point = fixed.find('.');
  r.intPart = fixed.substr(0, point);
  if (r.intPart == "0") r.intPart.clear();
  if (static_cast<int>(r.intPart.size()) < p.minInt)
    r.intPart.insert(0, static_cast<std::size_t>(p.minInt) - r.intPart.size(), '0');
  if (point != std::string::npos) r.decPart = fixed.substr(point + 1);
  while (static_cast<int>(r.decPart.size()) > p.minDec && r.decPart.back() == '0') r.decPart.pop_back();
  return r;
}

// Walks the section again, putting digits where the placeholders are and copying everything else.
std::string Emit(std::string_view sec, const Picture& p, const Digits& dg, bool minus) {
  const FormatSettings& loc = Locale();
  std::string out = minus ? "-" : "";
  const int len = static_cast<int>(dg.intPart.size());
  int intSeen = 0;  // integer placeholders passed
  std::size_t decUsed = 0;
  bool afterPoint = false;
  auto putInt = [&](int pos) {  // pos 1 = units digit
    out.push_back(dg.intPart[static_cast<std::size_t>(len - pos)]);
    if (p.thousands && pos > 1 && (pos - 1) % 3 == 0) out.push_back(loc.ThousandSeparator);
  };
  for (std::size_t i = 0; i < sec.size();) {
    if (std::size_t q = QuotedLength(sec, i)) {
      const bool closed = q >= 2 && sec[i + q - 1] == sec[i];  // an open quote runs to the end
      out.append(sec.substr(i + 1, closed ? q - 2 : q - 1));
      i += q;
      continue;
    }
    const char c = sec[i];
    if (c == '0' || c == '#') {
      if (afterPoint) {
        if (decUsed < dg.decPart.size()) out.push_back(dg.decPart[decUsed++]);
      } else {
        const int pos = p.intPlaces - intSeen;  // digit position this placeholder stands for
        if (intSeen == 0)                       // digits beyond the placeholders go in front
          for (int extra = len; extra > pos; --extra) putInt(extra);
        if (pos <= len) putInt(pos);
        ++intSeen;
      }
    } else if (c == '.') {
      if (!afterPoint && !dg.decPart.empty()) out.push_back(loc.DecimalSeparator);
      afterPoint = true;
    } else if (c == ',') {
      // Marks thousands grouping only.
    } else if (p.scientific && IsExponent(sec, i)) {
      out.push_back(c);
      if (dg.exponent < 0)
        out.push_back('-');
      else if (sec[i + 1] == '+')
        out.push_back('+');
      std::string e = std::to_string(std::abs(dg.exponent));
      if (static_cast<int>(e.size()) < p.expDigits)
        e.insert(0, static_cast<std::size_t>(p.expDigits) - e.size(), '0');
      out += e;
      i += 2;
      while (i < sec.size() && sec[i] == '0') ++i;
      continue;
    } else {
      out.push_back(c);
    }
    ++i;
  }
  return out;
}

}  // namespace

std::string FormatFloat(std::string_view picture, double v) {
  if (picture.empty() || std::isnan(v) || std::isinf(v)) return FloatToStr(v);
  const auto sections = SplitSections(picture);
  auto has = [&](std::size_t k) { return sections.size() > k && !sections[k].empty(); };
  std::size_t use = 0;
  if (v < 0 && has(1)) use = 1;
  if (v == 0 && has(2)) use = 2;

  Picture p = Analyze(sections[use]);
  Digits dg = Render(p, v);
  // A value that rounds to zero under its section shows the zero section, as a real zero would.
  if (dg.zero && use != 2 && has(2)) {
    use = 2;
    p = Analyze(sections[use]);
    dg = Render(p, 0);
  }
  const bool minus = v < 0 && use == 0 && !dg.zero;
  return Emit(sections[use], p, dg, minus);
}

}  // namespace plat::fmt
