// Numbers, dates, pictures, edit masks and Format() under the Korean locale (and a European one).
#include "platform/format/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>

#include "platform/error.h"
#include "platform/variant/variant.h"

using namespace plat;
using namespace plat::fmt;

namespace {

// Every test here sets the Korean settings and restores what was in force before.
class FormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Locale();
    SetLocale(KoreanDefaults());
  }
  void TearDown() override { SetLocale(saved_); }
  FormatSettings saved_;
};

// Date plus time of day as TDateTime counts it: before day 0 the time is still added towards later.
TDateTime Compose(double date, TDateTime time) {
  return date < 0 ? date - time : date + time;
}

std::string ConvertError(const std::function<void()>& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace

// --- integers --------------------------------------------------------------------------------------

TEST_F(FormatTest, IntegersRoundTripIncludingLimits) {
  const std::int64_t values[] = {0,
                                 1,
                                 -1,
                                 42,
                                 -2147483648LL,
                                 2147483647LL,
                                 123456789012345LL,
                                 std::numeric_limits<std::int64_t>::max(),
                                 std::numeric_limits<std::int64_t>::min()};
  for (std::int64_t v : values) EXPECT_EQ(StrToInt64(IntToStr(v)), v) << v;
  EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(UIntToStr(18446744073709551615ull), "18446744073709551615");
  EXPECT_EQ(StrToInt64("  +17 "), 17);
}

TEST_F(FormatTest, HexadecimalIntegers) {
  EXPECT_EQ(StrToInt64("$FF"), 255);
  EXPECT_EQ(StrToInt64("$ff"), 255);
  EXPECT_EQ(StrToInt64("-$10"), -16);
  EXPECT_EQ(StrToInt64("0x7FFFFFFFFFFFFFFF"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(StrToInt64("-$8000000000000000"), std::numeric_limits<std::int64_t>::min());
}

TEST_F(FormatTest, BadIntegersGiveTheExactText) {
  for (const char* s :
       {"", " ", "12a", "$", "-", "1 2", "9223372036854775808", "$10000000000000000", "1.5", "$G"})
    EXPECT_EQ(ConvertError([&] { StrToInt64(s); }), "'" + std::string(s) + "' is not a valid integer value")
        << s;
  std::int64_t out = 7;
  EXPECT_FALSE(TryStrToInt64("x", out));
  EXPECT_EQ(out, 7);
}

// --- floats ----------------------------------------------------------------------------------------

TEST_F(FormatTest, FloatToStrIsTheShortestGeneralForm) {
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(123456789012345), "123456789012345");
  EXPECT_EQ(FloatToStr(1e-5), "1E-5");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(-2.5), "-2.5");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToStr(999999999999999.9), "1E15");
  EXPECT_EQ(FloatToStr(HUGE_VAL), "INF");
  EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
}

TEST_F(FormatTest, FloatTextReadsBackAsTheSameText) {
  const double values[] = {0,
                           0.1,
                           -0.1,
                           1e15,
                           1e-5,
                           1.5e-7,
                           123456789012345,
                           1.0 / 3,
                           1e300,
                           -1e-300,
                           3.14159,
                           2.5e-5,
                           99999.99999,
                           1e14,
                           4.9e-324,
                           std::numeric_limits<double>::max()};
  for (double v : values) {
    const std::string s = FloatToStr(v);
    EXPECT_EQ(FloatToStr(StrToFloat(s)), s) << s;
  }
}

TEST_F(FormatTest, RandomFloatsReadBackAsTheSameText) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-310, 300);
  for (int i = 0; i < 20000; ++i) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    const std::string s = FloatToStr(v);
    double back = 0;
    ASSERT_TRUE(TryStrToFloat(s, back)) << s;
    ASSERT_EQ(FloatToStr(back), s);
    ASSERT_LE(s.size(), 22u) << s;  // 15 digits, sign, point and exponent at most
  }
}

TEST_F(FormatTest, FloatsUseTheLocaleSeparator) {
  FormatSettings de = KoreanDefaults();
  de.DecimalSeparator = ',';
  de.ThousandSeparator = '.';
  SetLocale(de);
  EXPECT_EQ(FloatToStr(2.5), "2,5");
  EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
  EXPECT_EQ(ConvertError([] { StrToFloat("2.5"); }), "'2.5' is not a valid floating point value");
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
}

TEST_F(FormatTest, StrToFloatAcceptsExponentsAndRejectsJunk) {
  EXPECT_DOUBLE_EQ(StrToFloat(" -1.5E+3 "), -1500);
  EXPECT_DOUBLE_EQ(StrToFloat("1e-2"), 0.01);
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("5."), 5);
  for (const char* s : {"", ".", "1e", "1,5", "abc", "1.2.3", "1e999", "--1"})
    EXPECT_EQ(ConvertError([&] { StrToFloat(s); }),
              "'" + std::string(s) + "' is not a valid floating point value")
        << s;
}

TEST_F(FormatTest, RoundToEvenTies) {
  EXPECT_EQ(RoundToEven(0.5), 0);
  EXPECT_EQ(RoundToEven(1.5), 2);
  EXPECT_EQ(RoundToEven(2.5), 2);
  EXPECT_EQ(RoundToEven(-2.5), -2);
  EXPECT_EQ(RoundToEven(-3.5), -4);
  EXPECT_EQ(RoundToEven(2.6), 3);
}

TEST_F(FormatTest, NumberPictures) {
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
  EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1,234.50");
  EXPECT_EQ(FormatFloat("#,##0", 999), "999");
  EXPECT_EQ(FormatFloat("#,##0", 1000), "1,000");
  EXPECT_EQ(FormatFloat("0.###", 2.5), "2.5");
  EXPECT_EQ(FormatFloat("0.###", 2), "2");
  EXPECT_EQ(FormatFloat("0.###", 0.12345), "0.123");
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("0", 12345), "12345");
  EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");  // decimal rounding, not the binary value's
  EXPECT_EQ(FormatFloat("0.00", 0.125), "0.13");
  EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
  EXPECT_EQ(FormatFloat("0.00E+00", 0.000123), "1.23E-04");
  EXPECT_EQ(FormatFloat("0.0E-0", 12345), "1.2E4");
  EXPECT_EQ(FormatFloat("\"합계 \"#,##0\"원\"", 15000), "합계 15,000원");
  EXPECT_EQ(FormatFloat("'$'0.00", 3), "$3.00");
  EXPECT_EQ(FormatFloat("", 0.1), "0.1");
}

TEST_F(FormatTest, NumberPictureSections) {
  const char* pic = "#,##0.00;(#,##0.00);'영'";
  EXPECT_EQ(FormatFloat(pic, 1234.5), "1,234.50");
  EXPECT_EQ(FormatFloat(pic, -1234.5), "(1,234.50)");
  EXPECT_EQ(FormatFloat(pic, 0), "영");
  EXPECT_EQ(FormatFloat(pic, 0.001), "영");       // rounds to zero under the positive section
  EXPECT_EQ(FormatFloat("0;;'none'", -3), "-3");  // an empty negative section means the first one
  EXPECT_EQ(FormatFloat("0.0", -0.01), "0.0");
}

// --- dates and times -------------------------------------------------------------------------------

TEST_F(FormatTest, EncodeDecodeCalendar) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  int y, m, d;
  DecodeDate(EncodeDate(2024, 2, 29), y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  TDateTime t = 0;
  EXPECT_FALSE(TryEncodeDate(2024, 4, 31, t));
  EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999, t));
  EXPECT_LT(t, 1.0);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1);    // Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);  // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);  // a negative date
}

TEST_F(FormatTest, NegativeDatesKeepTheTimeAsFraction) {
  // -1.25 is 1899-12-29 06:00: the fraction counts forward within the day even below zero.
  int y, m, d, h, n, s, ms;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(DateTimeToStr(-1.25), "1899-12-29 오전 6:00:00");
  EXPECT_DOUBLE_EQ(StrToDateTime("1899-12-29 오전 6:00:00"), -1.25);
  // A time that rounds up to the next midnight moves to the next day in time, on either side of day 0.
  EXPECT_EQ(DateTimeToStr(1 - 1e-12), "1899-12-31");
  EXPECT_EQ(DateTimeToStr(-1.999999999999), "1899-12-28");
}

TEST_F(FormatTest, KoreanDefaultForms) {
  const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
  EXPECT_EQ(DateToStr(t), "2024-03-05");
  EXPECT_EQ(TimeToStr(t), "오후 2:07:09");
  EXPECT_EQ(DateTimeToStr(t), "2024-03-05 오후 2:07:09");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "2024-03-05");  // midnight leaves the time out
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5) + EncodeTime(0, 0, 0, 500)), "2024-03-05");
  EXPECT_EQ(DateTimeToStr(0.5), "1899-12-30 오후 12:00:00");
  EXPECT_EQ(TimeToStr(EncodeTime(0, 0, 0, 0)), "오전 12:00:00");
  EXPECT_EQ(TimeToStr(EncodeTime(12, 0, 0, 0)), "오후 12:00:00");
  EXPECT_EQ(FormatDateTime("dddddd", t), "2024년 3월 5일 화요일");
}

TEST_F(FormatTest, DateTimePictures) {
  const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(9, 4, 3, 7);
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss.zzz", t), "2024-03-05 09:04:03.007");
  EXPECT_EQ(FormatDateTime("yy m d h n s z", t), "24 3 5 9 4 3 7");
  EXPECT_EQ(FormatDateTime("hh:mm", t), "09:04");  // m after an hour is minutes
  EXPECT_EQ(FormatDateTime("mmm mmmm ddd dddd", t), "3월 3월 화 화요일");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", t + 0.5), "9:04 pm");
  EXPECT_EQ(FormatDateTime("h:nn AM/PM", t), "9:04 AM");
  EXPECT_EQ(FormatDateTime("h:nn A/P", t + 0.5), "9:04 P");
  EXPECT_EQ(FormatDateTime("\"날짜:\" dd 'd/m'", t), "날짜: 05 d/m");
  EXPECT_EQ(FormatDateTime("ddddd t", t), "2024-03-05 오전 9:04");
  EXPECT_EQ(FormatDateTime("tt", t), "오전 9:04:03");
  EXPECT_EQ(FormatDateTime("c", t), "2024-03-05 오전 9:04:03");
  EXPECT_EQ(FormatDateTime("hh", t), "09");  // without AM/PM the clock has 24 hours
  EXPECT_EQ(FormatDateTime("hh", t + 0.5), "21");
}

TEST_F(FormatTest, DatesRoundTripOverTheWholeRange) {
  for (int y : {1, 99, 100, 1752, 1899, 1900, 1999, 2000, 2024, 2099, 9999})
    for (int m : {1, 2, 12}) {
      const TDateTime d = EncodeDate(y, m, m == 2 ? (IsLeapYear(y) ? 29 : 28) : 31);
      EXPECT_EQ(StrToDate(DateToStr(d)), d) << DateToStr(d);
      EXPECT_EQ(StrToDateTime(DateTimeToStr(d)), d) << DateTimeToStr(d);
    }
  for (TDateTime d = -693593; d <= 2958465; d += 997)  // 0001-01-01 .. 9999-12-31
    EXPECT_EQ(StrToDate(DateToStr(d)), d) << d;
}

// A TDateTime names a moment of the years 1 to 9999; any other double (huge, NaN, infinite, a day that
// rounding carries past the last one) is a conversion error wherever it would be decoded or written.
TEST_F(FormatTest, ValuesOutsideTheYearsOneTo9999AreAConversionError) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {-1.23749e302, 1e300, nan, inf, -inf, -700000.0, 1e7, -693594.0, 2958466.0,
                     -693593.9999999999, 2958465.9999999999}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(IsValidDateTime(bad));
    EXPECT_EQ(ConvertError([&] { FormatDateTime("c", bad); }),
              "'" + FloatToStr(bad) + "' is not a valid date and time");
    EXPECT_THROW(DateTimeToStr(bad), EConvertError);
    EXPECT_THROW(DateToStr(bad), EConvertError);
    EXPECT_THROW(TimeToStr(bad), EConvertError);
    EXPECT_THROW(DayOfWeek(bad), EConvertError);
    int a = 0, b = 0, c = 0, d = 0;
    EXPECT_THROW(DecodeDate(bad, a, b, c), EConvertError);
    EXPECT_THROW(DecodeTime(bad, a, b, c, d), EConvertError);
    // A date held in a Variant is written through the same path.
    EXPECT_THROW(Variant::Date(bad).ToString(), EConvertError);
  }
  EXPECT_EQ(ConvertError([&] { DateTimeToStr(nan); }), "'NAN' is not a valid date and time");

  // The first and last moments of the range are still dates, and read back.
  EXPECT_EQ(DateTimeToStr(-693593), "0001-01-01");
  EXPECT_EQ(DateTimeToStr(-693593.5), "0001-01-01 오후 12:00:00");
  EXPECT_EQ(DateTimeToStr(2958465), "9999-12-31");
  const TDateTime last = EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 0);
  EXPECT_TRUE(IsValidDateTime(last));
  EXPECT_EQ(DateTimeToStr(last), "9999-12-31 오후 11:59:59");
  EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(last)), last);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", -693593.99999), "0001-01-01 23:59:59.136");
}

TEST_F(FormatTest, TimesRoundTripToTheSecond) {
  for (int secs = 0; secs < 86400; secs += 59) {
    const TDateTime t = EncodeTime(secs / 3600, secs / 60 % 60, secs % 60, 0);
    const std::string s = TimeToStr(t);
    EXPECT_EQ(TimeToStr(StrToTime(s)), s);
  }
  for (int h : {0, 11, 12, 23}) {  // the AM/PM boundaries
    const TDateTime t = EncodeTime(h, 59, 59, 0);
    EXPECT_DOUBLE_EQ(StrToTime(TimeToStr(t)), t) << TimeToStr(t);
  }
  const TDateTime withTime = Compose(EncodeDate(1850, 6, 1), EncodeTime(23, 59, 59, 0));  // before day 0
  EXPECT_EQ(DateTimeToStr(StrToDateTime(DateTimeToStr(withTime))), DateTimeToStr(withTime));
}

TEST_F(FormatTest, RandomDateTimesRoundTripToTheSecond) {
  std::mt19937_64 rng(777);
  std::uniform_int_distribution<int> day(-693593, 2958465);
  std::uniform_int_distribution<int> second(0, 86399);
  for (int i = 0; i < 20000; ++i) {
    const int s = second(rng);
    const TDateTime t = Compose(day(rng), EncodeTime(s / 3600, s / 60 % 60, s % 60, 0));
    const std::string text = DateTimeToStr(t);
    ASSERT_EQ(DateTimeToStr(StrToDateTime(text)), text);
  }
}

TEST_F(FormatTest, TimeReadsAmPmBeforeOrAfterAndTwentyFourHours) {
  const TDateTime pm3 = EncodeTime(15, 4, 5, 0);
  EXPECT_DOUBLE_EQ(StrToTime("오후 3:04:05"), pm3);
  EXPECT_DOUBLE_EQ(StrToTime("3:04:05 오후"), pm3);
  EXPECT_DOUBLE_EQ(StrToTime("3:04:05 pm"), pm3);
  EXPECT_DOUBLE_EQ(StrToTime("15:04:05"), pm3);
  EXPECT_DOUBLE_EQ(StrToTime("오전 12:00"), 0);
  EXPECT_DOUBLE_EQ(StrToTime("12:00 PM"), 0.5);
  EXPECT_DOUBLE_EQ(StrToTime("1:02:03.5"), EncodeTime(1, 2, 3, 500));
  EXPECT_DOUBLE_EQ(StrToDateTime("2024-03-05 15:00"), EncodeDate(2024, 3, 5) + 0.625);
  EXPECT_DOUBLE_EQ(StrToDateTime("오후 6:00"), 0.75);
}

TEST_F(FormatTest, ShortYearsAndMissingYear) {
  int y, m, d;
  DecodeDate(StrToDate("24-3-5"), y, m, d);
  EXPECT_EQ(y % 100, 24);
  EXPECT_GT(y, 1950);
  DecodeDate(StrToDate("3-5"), y, m, d);
  EXPECT_EQ(m * 100 + d, 305);
  FormatSettings us = KoreanDefaults();
  us.ShortDateFormat = "m/d/yyyy";
  us.DateSeparator = '/';
  SetLocale(us);
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5)), "3/5/2024");
  EXPECT_EQ(StrToDate("12/31/1999"), EncodeDate(1999, 12, 31));
}

TEST_F(FormatTest, BadDatesAndTimesGiveTheExactTexts) {
  for (const char* s : {"", "2024", "2024-13-01", "2023-02-29", "2024-01-01x", "오늘"})
    EXPECT_EQ(ConvertError([&] { StrToDate(s); }), "'" + std::string(s) + "' is not a valid date") << s;
  for (const char* s : {"", "24:00", "12:60", "오후 13:00", "1:2:3:4", "a"})
    EXPECT_EQ(ConvertError([&] { StrToTime(s); }), "'" + std::string(s) + "' is not a valid time") << s;
  for (const char* s : {"2024-01-01 25:00", "x 12:00", "2024-02-30 1:00"})
    EXPECT_EQ(ConvertError([&] { StrToDateTime(s); }),
              "'" + std::string(s) + "' is not a valid date and time")
        << s;
}

// --- edit masks ------------------------------------------------------------------------------------

TEST_F(FormatTest, EditMasksInsertLiteralsWhenNotSaved) {
  EXPECT_EQ(FormatMaskText("000-0000;0;_", "1234567"), "123-4567");
  EXPECT_EQ(FormatMaskText("\\(999\\) 000-0000;0;_", "0215551234"), "(021) 555-1234");
  EXPECT_EQ(FormatMaskText("000-0000;0;_", "123"), "123-    ");
  EXPECT_EQ(FormatMaskText("!999-0000;0;_", "4567"), "   -4567");
  EXPECT_EQ(FormatMaskText("99/99/99;0;_", "240305"), "24-03-05");  // "/" is the date separator
  EXPECT_EQ(FormatMaskText("!90:00;0;_", "930"), " 9:30");
  EXPECT_EQ(FormatMaskText(">LL<ll;0;_", "abCD"), "ABcd");
  EXPECT_EQ(FormatMaskText("년 0000;0;_", "2024"), "년 2024");
}

TEST_F(FormatTest, EditMasksKeepSavedLiterals) {
  EXPECT_EQ(FormatMaskText("000-0000;1;_", "123-4567"), "123-4567");
  EXPECT_EQ(FormatMaskText("000-0000;1;_", "123-"), "123-    ");
  EXPECT_EQ(FormatMaskText("000-0000", "123-4567"), "123-4567");  // saving literals is the default
  EXPECT_EQ(FormatMaskText("\\;00;0;_", "12"), ";12");
}

// --- Format() --------------------------------------------------------------------------------------

TEST_F(FormatTest, FormatDirectives) {
  EXPECT_EQ(Format("%s=%d", {"count", 42}), "count=42");
  EXPECT_EQ(Format("%5d|%-5d|%.3d", {7, 7, 7}), "    7|7    |007");
  EXPECT_EQ(Format("%x %x %.4X", {255, -1, 10}), "FF FFFFFFFF 000A");
  EXPECT_EQ(Format("%x", {std::int64_t(-1)}), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("%f|%.1f|%.0f", {2.345, 2.25, 0.5}), "2.35|2.3|1");
  EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(Format("%.0n", {-1234567.0}), "-1,234,567");
  EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", {-0.00012345}), "-1.23E-004");
  EXPECT_EQ(Format("%g|%g", {0.1, 1e20}), "0.1|1E20");
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format("%*d|%-*.*f", {4, 5, 6, 2, 1.0}), "   5|1.00  ");
  EXPECT_EQ(Format("%*d", {-3, 5}), "5");
  EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
  EXPECT_EQ(Format("[%6s]", {"보안"}), "[    보안]");  // width counts characters
  EXPECT_EQ(Format("%.2s", {"정보보안"}), "정보");
  EXPECT_EQ(Format("%d", {std::numeric_limits<std::int64_t>::min()}), "-9223372036854775808");
}

TEST_F(FormatTest, FormatMismatchesRaise) {
  const std::string text = "Format '%d' invalid or incompatible with argument";
  EXPECT_EQ(ConvertError([] { Format("%d", {"x"}); }), text);
  EXPECT_EQ(ConvertError([] { Format("%d", {1.5}); }), text);
  EXPECT_EQ(ConvertError([] { Format("%d", {}); }), text);
  EXPECT_EQ(ConvertError([] { Format("%f", {"x"}); }), "Format '%f' invalid or incompatible with argument");
  EXPECT_EQ(ConvertError([] { Format("%q", {1}); }), "Format '%q' invalid or incompatible with argument");
}
