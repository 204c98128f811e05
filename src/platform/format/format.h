#pragma once
// Locale settings and the formatting and parsing of numbers, dates and times.
//
// The settings default to those of a Korean desktop and can be replaced (tests set their own). Every text
// this module writes reads back through the matching parser as the same value, so a value written as
// text reads back as the same text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/variant.h"

namespace plat::fmt {

struct FormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '-';
  char TimeSeparator = ':';
  // Date pictures: d dd ddd dddd m mm mmm mmmm yy yyyy; time pictures: h hh n nn s ss z zzz,
  // ampm (the AM/PM texts), am/pm, a/p; quoted "..." or '...' literals; / and : are the separators.
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string LongDateFormat = "yyyy'년' m'월' d'일' dddd";
  std::string ShortTimeFormat = "ampm h:nn";
  std::string LongTimeFormat = "ampm h:nn:ss";
  std::string TimeAMString = "오전";
  std::string TimePMString = "오후";
  std::vector<std::string> ShortMonthNames{"1월", "2월", "3월", "4월",  "5월",  "6월",
                                           "7월", "8월", "9월", "10월", "11월", "12월"};
  std::vector<std::string> LongMonthNames{"1월", "2월", "3월", "4월",  "5월",  "6월",
                                          "7월", "8월", "9월", "10월", "11월", "12월"};
  std::vector<std::string> ShortDayNames{"일", "월", "화", "수", "목", "금", "토"};
  std::vector<std::string> LongDayNames{"일요일", "월요일", "화요일", "수요일", "목요일", "금요일", "토요일"};
};

// The settings in force. Replace them with SetLocale (tests); Korean defaults otherwise.
const FormatSettings& Locale();
void SetLocale(const FormatSettings& s);
FormatSettings KoreanDefaults();

// --- integers -------------------------------------------------------------------------------------
std::string IntToStr(std::int64_t v);
std::string UIntToStr(std::uint64_t v);
// Decimal integer with optional sign and surrounding blanks; a leading "$" (after the sign) or "0x" means
// hexadecimal. Raises EConvertError "'%s' is not a valid integer value" (with the text) when it does not
// parse or does not fit 64 bits.
std::int64_t StrToInt64(std::string_view s);
bool TryStrToInt64(std::string_view s, std::int64_t& out);

// --- floats ---------------------------------------------------------------------------------------
// Shortest general form with up to 15 significant digits and the locale's decimal separator; exponent form
// ("1.5E20", "1E-5") only when the plain form would need more digits. Infinity "INF", NaN "NAN".
std::string FloatToStr(double v);
// Parses a number written with the locale's decimal separator (an optional exponent E/e). Raises
// EConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view s);
bool TryStrToFloat(std::string_view s, double& out);
// Number picture: sections "pos;neg;zero", placeholders 0 and #, "." decimal point, "," thousands,
// E+ E- e+ e- exponents, quoted literals.
std::string FormatFloat(std::string_view picture, double v);
// Round to nearest, ties to even.
std::int64_t RoundToEven(double v);

// --- dates and times ------------------------------------------------------------------------------
TDateTime EncodeDate(int year, int month, int day);  // raises EConvertError on an invalid date
TDateTime EncodeTime(int hour, int min, int sec, int msec);
// As EncodeDate and EncodeTime, but false instead of an exception on invalid parts.
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
// Whether the value names a moment of the years 1 to 9999 (after rounding to the millisecond); false for
// NaN and the infinities. Decoding and formatting any other value raises EConvertError
// "'%s' is not a valid date and time" with the value as FloatToStr writes it.
bool IsValidDateTime(TDateTime d);
void DecodeDate(TDateTime d, int& year, int& month, int& day);
void DecodeTime(TDateTime d, int& hour, int& min, int& sec, int& msec);
int DayOfWeek(TDateTime d);  // 1 = Sunday .. 7 = Saturday
bool IsLeapYear(int year);

// Formats with a date/time picture (see FormatSettings); "c" is short date + long time (time left out at
// midnight), "ddddd" short date, "dddddd" long date, "t" short time, "tt" long time.
std::string FormatDateTime(std::string_view picture, TDateTime d);
std::string DateToStr(TDateTime d);      // short date form
std::string TimeToStr(TDateTime d);      // long time form
std::string DateTimeToStr(TDateTime d);  // short date and long time, time left out at midnight

// Parse texts in the locale's forms: the date by the order of d, m and y in ShortDateFormat with the
// DateSeparator (a two-digit year is read near the current century, a missing year is this year), the
// time as h[:n[:s[.z]]] with optional AM/PM text before or after. Errors: "'%s' is not a valid date",
// "'%s' is not a valid time", "'%s' is not a valid date and time".
TDateTime StrToDate(std::string_view s);
TDateTime StrToTime(std::string_view s);
TDateTime StrToDateTime(std::string_view s);
bool TryStrToDate(std::string_view s, TDateTime& out);
bool TryStrToTime(std::string_view s, TDateTime& out);
bool TryStrToDateTime(std::string_view s, TDateTime& out);

// --- edit masks and format strings ----------------------------------------------------------------
// Applies an edit mask of the masked-edit syntax ("!>L<l09#aAcC&:/;\_" with the ";0;_" / ";1;_" suffix
// fields) to a text: literal characters are inserted when the mask says they are not stored.
std::string FormatMaskText(std::string_view mask, std::string_view text);

// printf-like formatting of the directives the system uses: %s, %d, %x, %*.*f style %[-][width][.prec]f,
// %n (number with thousands separators), %e, %g, %%. Arguments are Variants. Raises EConvertError
// "Format '%s' invalid or incompatible with argument" on a mismatch.
std::string Format(std::string_view fmt, const std::vector<Variant>& args);

}  // namespace plat::fmt
