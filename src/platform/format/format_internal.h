#pragma once
// Helpers shared by the format_*.cpp files; not part of the module's interface.
#include <string>
#include <string_view>

namespace plat::fmt::detail {

// A finite double as decimal digits: value = 0.d1d2d3... * 10^exp (digits without leading zeros, at most
// 15 of them, trailing zeros removed; "" for zero).
struct Decimal {
  bool negative = false;
  std::string digits;
  int exp = 0;
};

// The value rounded to 15 significant digits: a double carries no more, and rounding there first makes
// later decimal rounding behave as the user expects (2.675 -> "2.68").
Decimal ToDecimal(double v);

// Rounds d half away from zero so that it keeps `places` digits after the decimal point (places may be
// negative). The result may become zero (digits "").
void RoundDecimalPlaces(Decimal& d, int places);
// Rounds d half away from zero to `count` significant digits.
void RoundDecimalDigits(Decimal& d, int count);

// Plain fixed-point text of d with exactly `decimals` digits after the separator (no sign); thousands
// separators inserted when `thousands` is not 0.
std::string FixedText(const Decimal& d, int decimals, char decimalSep, char thousands);

// General (shortest) form with up to `precision` significant digits, Delphi style ("1E20", "1.5E-7").
std::string GeneralText(double v, int precision, char decimalSep);

std::string Quote(std::string_view s);  // "'s'" for the error texts
std::string TrimBlanks(std::string_view s);

}  // namespace plat::fmt::detail
