// Dates and times: encoding, decoding and FormatDateTime with the picture language of FormatSettings.
#include <cmath>

#include "platform/error.h"
#include "platform/format/format.h"
#include "platform/format/format_date_internal.h"

namespace plat::fmt {

namespace detail {

namespace {
constexpr std::int64_t kMSecsPerDay = 86400000;

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

const std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);  // day 0 of TDateTime

// The days of 0001-01-01 and 9999-12-31: the dates a TDateTime can name.
constexpr std::int64_t kFirstDay = -693593;
constexpr std::int64_t kLastDay = 2958465;
}  // namespace

Stamp Split(TDateTime t) {
  // The integer part is the day, the fraction (taken positive, also for negative dates) the time.
  Stamp s;
  const double day = std::trunc(t);
  s.msec = std::llround(std::fabs(t - day) * kMSecsPerDay);
  s.day = static_cast<std::int64_t>(day);
  if (s.msec >= kMSecsPerDay) {  // rounded up to midnight: the moment belongs to the next day in time
    s.msec -= kMSecsPerDay;
    s.day += t < 0 ? -1 : 1;
  }
  return s;
}

TDateTime Compose(TDateTime date, TDateTime time) {
  // Before day 0 the time still counts forward within the day, so it is subtracted from the negative day.
  return date < 0 ? date - time : date + time;
}

}  // namespace detail

using namespace detail;

bool IsValidDateTime(TDateTime d) {
  // Checked on the double first (NaN fails both), so the conversion to an integer day is always defined;
  // then on the day after rounding to the millisecond, which can carry the last moment of a day over.
  if (!(d > double(kFirstDay - 1) && d < double(kLastDay + 1))) return false;
  const std::int64_t day = Split(d).day;
  return day >= kFirstDay && day <= kLastDay;
}

namespace {
// The parts of a value that names a date; raises EConvertError for any other.
Stamp CheckedSplit(TDateTime d) {
  if (!IsValidDateTime(d)) throw EConvertError("'" + FloatToStr(d) + "' is not a valid date and time");
  return Split(d);
}
}  // namespace

bool IsLeapYear(int y) {
  return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

static int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

bool TryEncodeDate(int y, int m, int d, TDateTime& out) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  out = static_cast<double>(DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kEpoch);
  return true;
}

bool TryEncodeTime(int h, int n, int s, int ms, TDateTime& out) {
  if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999) return false;
  out = static_cast<double>(((h * 60 + n) * 60 + s) * 1000 + ms) / kMSecsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime t;
  if (!TryEncodeDate(year, month, day, t)) throw EConvertError("Invalid argument to date encode");
  return t;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

void DecodeDate(TDateTime d, int& year, int& month, int& day) {
  CivilFromDays(CheckedSplit(d).day + kEpoch, year, month, day);
}

void DecodeTime(TDateTime d, int& hour, int& min, int& sec, int& msec) {
  std::int64_t ms = CheckedSplit(d).msec;
  msec = static_cast<int>(ms % 1000);
  ms /= 1000;
  sec = static_cast<int>(ms % 60);
  ms /= 60;
  min = static_cast<int>(ms % 60);
  hour = static_cast<int>(ms / 60);
}

int DayOfWeek(TDateTime d) {
  // Day 0 (1899-12-30) was a Saturday.
  const std::int64_t day = CheckedSplit(d).day;
  return static_cast<int>(((day % 7 + 7) % 7 + 6) % 7) + 1;
}

// --- FormatDateTime -------------------------------------------------------------------------------

namespace {

struct Parts {
  int year, month, day, hour, min, sec, msec, dow;
  bool hasTime;
};

bool StartsWithNoCase(std::string_view s, std::size_t i, std::string_view what) {
  if (i + what.size() > s.size()) return false;
  for (std::size_t k = 0; k < what.size(); ++k) {
    char c = s[i + k];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != what[k]) return false;
  }
  return true;
}

// Whether the picture shows AM/PM anywhere (outside quotes): then h is on the 12-hour clock. The Korean
// forms put the AM/PM text before the hour, so the whole picture is searched, not only what follows.
bool UsesAmPm(std::string_view pic) {
  for (std::size_t i = 0; i < pic.size(); ++i) {
    if (pic[i] == '"' || pic[i] == '\'') {
      const auto end = pic.find(pic[i], i + 1);
      if (end == std::string_view::npos) break;
      i = end;
    } else if (StartsWithNoCase(pic, i, "ampm") || StartsWithNoCase(pic, i, "am/pm") ||
               StartsWithNoCase(pic, i, "a/p")) {
      return true;
    }
  }
  return false;
}

std::string Pad(int v, std::size_t width) {
  std::string s = std::to_string(v);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

void Append(std::string& out, std::string_view pic, const Parts& p, int depth);

// Case of an "am/pm" or "a/p" picture decides the case of the text written.
std::string CaseLike(std::string_view picturePart, std::string_view text) {
  std::string r(text);
  if (picturePart[0] >= 'A' && picturePart[0] <= 'Z')
    for (char& c : r) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return r;
}

void Append(std::string& out, std::string_view pic, const Parts& p, int depth) {
  if (depth > 3) return;  // "c" and "t" expand the locale's pictures; a picture cannot nest deeper
  const FormatSettings& loc = Locale();
  const bool twelve = UsesAmPm(pic);
  char lastToken = 0;
  for (std::size_t i = 0; i < pic.size();) {
    const char raw = pic[i];
    char tok = static_cast<char>(raw >= 'a' && raw <= 'z' ? raw - 32 : raw);
    if (tok >= 'A' && tok <= 'Z') {
      if (tok == 'M' && lastToken == 'H') tok = 'N';  // "m" right after an hour means minutes
      lastToken = tok;
    }
    std::size_t count = 1;
    while (i + count < pic.size() && (pic[i + count] == raw || pic[i + count] == (raw ^ 0x20)) &&
           ((raw | 0x20) >= 'a' && (raw | 0x20) <= 'z'))
      ++count;
    switch (tok) {
      case 'Y':
        out += count <= 2 ? Pad(p.year % 100, 2) : Pad(p.year, 4);
        break;
      case 'M':
        if (count == 1)
          out += std::to_string(p.month);
        else if (count == 2)
          out += Pad(p.month, 2);
        else if (count == 3)
          out += loc.ShortMonthNames.at(static_cast<std::size_t>(p.month - 1));
        else
          out += loc.LongMonthNames.at(static_cast<std::size_t>(p.month - 1));
        if (count > 4) count = 4;
        break;
      case 'D':
        if (count == 1)
          out += std::to_string(p.day);
        else if (count == 2)
          out += Pad(p.day, 2);
        else if (count == 3)
          out += loc.ShortDayNames.at(static_cast<std::size_t>(p.dow - 1));
        else if (count == 4)
          out += loc.LongDayNames.at(static_cast<std::size_t>(p.dow - 1));
        else if (count == 5)
          Append(out, loc.ShortDateFormat, p, depth + 1);
        else
          Append(out, loc.LongDateFormat, p, depth + 1);
        if (count > 6) count = 6;
        break;
      case 'H': {
        int h = p.hour;
        if (twelve) h = h % 12 == 0 ? 12 : h % 12;
        if (count > 2) count = 2;
        out += count == 1 ? std::to_string(h) : Pad(h, 2);
        break;
      }
      case 'N':
        if (count > 2) count = 2;
        out += count == 1 ? std::to_string(p.min) : Pad(p.min, 2);
        break;
      case 'S':
        if (count > 2) count = 2;
        out += count == 1 ? std::to_string(p.sec) : Pad(p.sec, 2);
        break;
      case 'Z':
        if (count > 3) count = 3;
        out += count < 3 ? std::to_string(p.msec) : Pad(p.msec, 3);
        break;
      case 'T':
        if (count > 2) count = 2;
        Append(out, count == 1 ? loc.ShortTimeFormat : loc.LongTimeFormat, p, depth + 1);
        break;
      case 'C':
        count = 1;
        Append(out, loc.ShortDateFormat, p, depth + 1);
        if (p.hasTime) {
          out += ' ';
          Append(out, loc.LongTimeFormat, p, depth + 1);
        }
        break;
      case 'A':
        count = 1;
        if (StartsWithNoCase(pic, i, "ampm")) {
          out += p.hour < 12 ? loc.TimeAMString : loc.TimePMString;
          count = 4;
        } else if (StartsWithNoCase(pic, i, "am/pm")) {
          out += CaseLike(pic.substr(i + (p.hour < 12 ? 0 : 3)), p.hour < 12 ? "am" : "pm");
          count = 5;
        } else if (StartsWithNoCase(pic, i, "a/p")) {
          out += CaseLike(pic.substr(i + (p.hour < 12 ? 0 : 2)), p.hour < 12 ? "a" : "p");
          count = 3;
        } else {
          out += raw;
        }
        break;
      case '/':
        out += loc.DateSeparator;
        break;
      case ':':
        out += loc.TimeSeparator;
        break;
      case '"':
      case '\'': {
        const auto end = pic.find(raw, i + 1);
        const std::size_t stop = end == std::string_view::npos ? pic.size() : end;
        out.append(pic.substr(i + 1, stop - i - 1));
        count = stop - i + (end == std::string_view::npos ? 0 : 1);
        break;
      }
      default:
        // Other letters and every other byte (including the bytes of Hangul) are copied as they are.
        out.append(pic.substr(i, count));
        break;
    }
    i += count;
  }
}

}  // namespace

std::string FormatDateTime(std::string_view picture, TDateTime d) {
  Parts p{};
  DecodeDate(d, p.year, p.month, p.day);
  DecodeTime(d, p.hour, p.min, p.sec, p.msec);
  p.dow = DayOfWeek(d);
  // As in the system's "c": milliseconds alone do not make a time worth showing.
  p.hasTime = p.hour != 0 || p.min != 0 || p.sec != 0;
  std::string out;
  // An empty picture means "c", as in the system's own formatting.
  Append(out, picture.empty() ? std::string_view("c") : picture, p, 0);
  return out;
}

std::string DateToStr(TDateTime d) {
  return FormatDateTime(Locale().ShortDateFormat, d);
}
std::string TimeToStr(TDateTime d) {
  return FormatDateTime(Locale().LongTimeFormat, d);
}
std::string DateTimeToStr(TDateTime d) {
  return FormatDateTime("c", d);
}

}  // namespace plat::fmt
