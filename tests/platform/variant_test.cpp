// Variant conversions, their error texts and cell equality.
#include "platform/variant/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>

#include "platform/error.h"
#include "platform/format/format.h"

using namespace plat;

namespace {

class VariantTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fmt::Locale();
    fmt::SetLocale(fmt::KoreanDefaults());
  }
  void TearDown() override { fmt::SetLocale(saved_); }
  fmt::FormatSettings saved_;
};

std::string ConvertError(const std::function<void()>& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace

TEST_F(VariantTest, KindsFollowTheConstructor) {
  EXPECT_EQ(Variant().Type(), VarType::Empty);
  EXPECT_EQ(Variant(std::int8_t(1)).Type(), VarType::ShortInt);
  EXPECT_EQ(Variant(std::uint16_t(1)).Type(), VarType::Word);
  EXPECT_EQ(Variant(std::uint32_t(1)).Type(), VarType::LongWord);
  EXPECT_EQ(Variant::Date(1.5).Type(), VarType::Date);
  EXPECT_TRUE(Variant(true).IsNumeric());
  EXPECT_FALSE(Variant("1").IsNumeric());
  EXPECT_STREQ(VarTypeName(VarType::LongWord), "LongWord");
  EXPECT_STREQ(VarTypeName(VarType::SmallInt), "SmallInt");
}

TEST_F(VariantTest, NullDoesNotConvertToValues) {
  const Variant n = Variant::Null();
  EXPECT_EQ(n.ToString(), "");
  EXPECT_EQ(ConvertError([&] { n.ToInt64(); }),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(ConvertError([&] { n.ToDouble(); }),
            "Could not convert variant of type (Null) into type (Double)");
  EXPECT_EQ(ConvertError([&] { n.ToBool(); }),
            "Could not convert variant of type (Null) into type (Boolean)");
  EXPECT_EQ(ConvertError([&] { n.ToDateTime(); }),
            "Could not convert variant of type (Null) into type (Date)");
  // Empty is the unassigned value and converts to zero.
  EXPECT_EQ(Variant().ToInt64(), 0);
  EXPECT_FALSE(Variant().ToBool());
  EXPECT_EQ(Variant().ToString(), "");
}

TEST_F(VariantTest, TextsOfValues) {
  EXPECT_EQ(Variant(true).ToString(), "True");
  EXPECT_EQ(Variant(false).ToString(), "False");
  EXPECT_EQ(Variant(std::numeric_limits<std::int64_t>::min()).ToString(), "-9223372036854775808");
  EXPECT_EQ(Variant(std::uint32_t(4294967295u)).ToString(), "4294967295");
  EXPECT_EQ(Variant(0.1).ToString(), "0.1");
  EXPECT_EQ(Variant(1e20).ToString(), "1E20");
  EXPECT_EQ(Variant::Date(fmt::EncodeDate(2024, 3, 5) + 0.75).ToString(), "2024-03-05 오후 6:00:00");
}

TEST_F(VariantTest, ValuesRoundTripThroughText) {
  for (std::int64_t v : {std::int64_t(0), std::int64_t(-1), std::numeric_limits<std::int64_t>::max(),
                         std::numeric_limits<std::int64_t>::min()})
    EXPECT_EQ(Variant(Variant(v).ToString()).ToInt64(), v);
  for (double v : {0.1, 1e15, 1e-5, 123456789012345.0, -2.5})
    EXPECT_EQ(Variant(Variant(v).ToString()).ToDouble(), v);
  for (TDateTime d :
       {fmt::EncodeDate(2024, 1, 1), fmt::EncodeDate(1800, 5, 6), fmt::EncodeDate(2000, 2, 29) + 0.5}) {
    const std::string s = Variant::Date(d).ToString();
    EXPECT_EQ(Variant(s).ToDateTime(), d) << s;
  }
  for (bool b : {true, false}) EXPECT_EQ(Variant(Variant(b).ToString()).ToBool(), b);
}

TEST_F(VariantTest, DoublesRoundHalfToEven) {
  EXPECT_EQ(Variant(2.5).ToInt64(), 2);
  EXPECT_EQ(Variant(3.5).ToInt64(), 4);
  EXPECT_EQ(Variant(-2.5).ToInt64(), -2);
  EXPECT_EQ(Variant(-0.6).ToInt64(), -1);
  EXPECT_EQ(Variant("2.5").ToInt64(), 2);
  EXPECT_EQ(Variant("$FF").ToInt64(), 255);
  EXPECT_EQ(ConvertError([] { Variant(1e30).ToInt64(); }),
            "Could not convert variant of type (Double) into type (Integer)");
}

TEST_F(VariantTest, TextToBoolean) {
  EXPECT_TRUE(Variant("TRUE").ToBool());
  EXPECT_TRUE(Variant("true").ToBool());
  EXPECT_FALSE(Variant("fAlSe").ToBool());
  EXPECT_TRUE(Variant("-1").ToBool());
  EXPECT_TRUE(Variant("0.5").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
  EXPECT_EQ(ConvertError([] { Variant("yes").ToBool(); }), "'yes' is not a valid boolean value");
  EXPECT_EQ(ConvertError([] { Variant("").ToBool(); }), "'' is not a valid boolean value");
}

TEST_F(VariantTest, BadTextsGiveTheParserTexts) {
  EXPECT_EQ(ConvertError([] { Variant("12x").ToInt64(); }), "'12x' is not a valid integer value");
  EXPECT_EQ(ConvertError([] { Variant("1.2.3").ToDouble(); }), "'1.2.3' is not a valid floating point value");
  EXPECT_EQ(ConvertError([] { Variant("어제").ToDateTime(); }), "'어제' is not a valid date and time");
}

TEST_F(VariantTest, EqualityAsTheGridComparesCells) {
  EXPECT_TRUE(Variant::Null() == Variant::Null());
  EXPECT_TRUE(Variant() == Variant());
  EXPECT_FALSE(Variant::Null() == Variant());
  EXPECT_FALSE(Variant::Null() == Variant(""));
  EXPECT_FALSE(Variant::Null() == Variant(0));
  EXPECT_TRUE(Variant(1) == Variant(1.0));
  EXPECT_TRUE(Variant(std::uint8_t(200)) == Variant(std::int64_t(200)));
  EXPECT_FALSE(Variant("abc") == Variant("ABC"));  // texts are case-sensitive
  EXPECT_TRUE(Variant("42") == Variant(42));
  EXPECT_TRUE(Variant(2.5) == Variant("2.5"));
  EXPECT_FALSE(Variant("x") == Variant(0));  // an unreadable text is just unequal
  EXPECT_TRUE(Variant("true") == Variant(true));
  // Near the 64-bit limits integers are compared exactly, not through doubles.
  EXPECT_FALSE(Variant(std::numeric_limits<std::int64_t>::max()) ==
               Variant(std::numeric_limits<std::int64_t>::max() - 1));
  EXPECT_FALSE(Variant("9223372036854775806") == Variant(std::numeric_limits<std::int64_t>::max()));
}
