// Variant conversions and comparison (see variant.h).
#include "platform/variant/variant.h"

#include <cmath>

#include "platform/error.h"
#include "platform/format/format.h"
#include "platform/text/text.h"

namespace plat {

const char* VarTypeName(VarType t) {
  switch (t) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Boolean:
      return "Boolean";
    case VarType::ShortInt:
      return "ShortInt";
    case VarType::Byte:
      return "Byte";
    case VarType::SmallInt:
      return "SmallInt";
    case VarType::Word:
      return "Word";
    case VarType::Integer:
      return "Integer";
    case VarType::LongWord:
      return "LongWord";
    case VarType::Int64:
      return "Int64";
    case VarType::Double:
      return "Double";
    case VarType::Date:
      return "Date";
    case VarType::String:
      return "String";
  }
  return "Unknown";
}

namespace {

[[noreturn]] void CastError(VarType from, VarType to) {
  throw EConvertError(std::string("Could not convert variant of type (") + VarTypeName(from) +
                      ") into type (" + VarTypeName(to) + ")");
}

bool IsIntegerKind(VarType t) {
  return t == VarType::Boolean || t == VarType::ShortInt || t == VarType::Byte || t == VarType::SmallInt ||
         t == VarType::Word || t == VarType::Integer || t == VarType::LongWord || t == VarType::Int64;
}

bool IsFloatKind(VarType t) {
  return t == VarType::Double || t == VarType::Date;
}

}  // namespace

bool Variant::IsNumeric() const {
  return IsIntegerKind(type_) || type_ == VarType::Double;
}

std::string Variant::ToString() const {
  switch (type_) {
    case VarType::Empty:
    case VarType::Null:
      return "";
    case VarType::Boolean:
      return std::get<std::int64_t>(num_) ? "True" : "False";
    case VarType::Double:
      return fmt::FloatToStr(std::get<double>(num_));
    case VarType::Date:
      return fmt::DateTimeToStr(std::get<double>(num_));
    case VarType::String:
      return str_;
    default:
      return fmt::IntToStr(std::get<std::int64_t>(num_));
  }
}

std::int64_t Variant::ToInt64() const {
  if (type_ == VarType::Empty) return 0;
  if (type_ == VarType::Null) CastError(type_, VarType::Integer);
  if (IsIntegerKind(type_)) return std::get<std::int64_t>(num_);
  if (IsFloatKind(type_)) {
    const double d = std::get<double>(num_);
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) CastError(type_, VarType::Integer);
    return fmt::RoundToEven(d);
  }
  // A text: an integer, or else a float rounded as a Double would be ("2.5" -> 2).
  std::int64_t i;
  if (fmt::TryStrToInt64(str_, i)) return i;
  double d;
  if (fmt::TryStrToFloat(str_, d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
    return fmt::RoundToEven(d);
  throw EConvertError("'" + str_ + "' is not a valid integer value");
}

double Variant::ToDouble() const {
  if (type_ == VarType::Empty) return 0;
  if (type_ == VarType::Null) CastError(type_, VarType::Double);
  if (IsIntegerKind(type_)) return static_cast<double>(std::get<std::int64_t>(num_));
  if (IsFloatKind(type_)) return std::get<double>(num_);
  return fmt::StrToFloat(str_);
}

bool Variant::ToBool() const {
  if (type_ == VarType::Empty) return false;
  if (type_ == VarType::Null) CastError(type_, VarType::Boolean);
  if (IsIntegerKind(type_)) return std::get<std::int64_t>(num_) != 0;
  if (IsFloatKind(type_)) return std::get<double>(num_) != 0;
  if (text::SameText(text::Trim(str_), "True")) return true;
  if (text::SameText(text::Trim(str_), "False")) return false;
  double d;
  if (fmt::TryStrToFloat(str_, d)) return d != 0;
  throw EConvertError("'" + str_ + "' is not a valid boolean value");
}

TDateTime Variant::ToDateTime() const {
  if (type_ == VarType::Empty) return 0;
  if (type_ == VarType::Null) CastError(type_, VarType::Date);
  if (IsIntegerKind(type_)) return static_cast<double>(std::get<std::int64_t>(num_));
  if (IsFloatKind(type_)) return std::get<double>(num_);
  return fmt::StrToDateTime(str_);
}

namespace {

// A text compared with a non-text value: the text is read as that kind; unreadable means unequal.
bool TextEquals(const std::string& s, const Variant& other) {
  if (other.Type() == VarType::Boolean) {
    try {
      return Variant(s).ToBool() == other.ToBool();
    } catch (const EConvertError&) {
      return false;
    }
  }
  if (other.Type() == VarType::Date) {
    TDateTime d;
    return fmt::TryStrToDateTime(s, d) && d == other.ToDateTime();
  }
  if (other.Type() != VarType::Double) {  // integer kinds: exact integer comparison first
    std::int64_t i;
    if (fmt::TryStrToInt64(s, i)) return i == other.ToInt64();
  }
  double d;
  return fmt::TryStrToFloat(s, d) && d == other.ToDouble();
}

}  // namespace

bool operator==(const Variant& a, const Variant& b) {
  if (a.IsNullOrEmpty() || b.IsNullOrEmpty()) return a.Type() == b.Type();
  if (a.IsString() && b.IsString()) return a.str_ == b.str_;
  if (a.IsString()) return TextEquals(a.str_, b);
  if (b.IsString()) return TextEquals(b.str_, a);
  // Two numbers: integers exactly (doubles lose precision beyond 2^53), otherwise as doubles.
  if (IsIntegerKind(a.type_) && IsIntegerKind(b.type_))
    return std::get<std::int64_t>(a.num_) == std::get<std::int64_t>(b.num_);
  return a.ToDouble() == b.ToDouble();
}

}  // namespace plat
