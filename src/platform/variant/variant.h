#pragma once
// Variant: the value that crosses between the grid and its editors and callers.
//
// Empty is "unassigned" (no value was ever given); Null is "no value" (an empty cell). The other kinds
// hold one value each. Conversions follow the locale of plat::fmt and raise EConvertError with the
// system's texts when a value does not convert.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace plat {

/// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

enum class VarType : std::uint8_t {
  Empty,
  Null,
  Boolean,
  ShortInt,  ///< signed 8-bit
  Byte,      ///< unsigned 8-bit
  SmallInt,  ///< signed 16-bit
  Word,      ///< unsigned 16-bit
  Integer,   ///< signed 32-bit
  LongWord,  ///< unsigned 32-bit
  Int64,
  Double,
  Date,  ///< TDateTime
  String
};

/// Name of a kind as the conversion errors show it ("Null", "String", "Integer", ...).
const char* VarTypeName(VarType t);

class Variant {
 public:
  Variant() = default;  ///< Empty
  Variant(bool v) : type_(VarType::Boolean), num_(std::int64_t(v)) {}
  Variant(std::int8_t v) : type_(VarType::ShortInt), num_(std::int64_t(v)) {}
  Variant(std::uint8_t v) : type_(VarType::Byte), num_(std::int64_t(v)) {}
  Variant(std::int16_t v) : type_(VarType::SmallInt), num_(std::int64_t(v)) {}
  Variant(std::uint16_t v) : type_(VarType::Word), num_(std::int64_t(v)) {}
  Variant(std::int32_t v) : type_(VarType::Integer), num_(std::int64_t(v)) {}
  Variant(std::uint32_t v) : type_(VarType::LongWord), num_(std::int64_t(v)) {}
  Variant(std::int64_t v) : type_(VarType::Int64), num_(v) {}
  Variant(double v) : type_(VarType::Double), num_(v) {}
  Variant(std::string v) : type_(VarType::String), str_(std::move(v)) {}
  Variant(std::string_view v) : type_(VarType::String), str_(v) {}
  Variant(const char* v) : type_(VarType::String), str_(v) {}

  static Variant Null() {
    Variant v;
    v.type_ = VarType::Null;
    return v;
  }
  static Variant Date(TDateTime d) {
    Variant v(d);
    v.type_ = VarType::Date;
    return v;
  }

  VarType Type() const { return type_; }
  bool IsEmpty() const { return type_ == VarType::Empty; }
  bool IsNull() const { return type_ == VarType::Null; }
  bool IsNullOrEmpty() const { return IsEmpty() || IsNull(); }
  bool IsString() const { return type_ == VarType::String; }
  bool IsNumeric() const;  ///< any integer kind, Double or Boolean

  /// Conversions. Null and Empty give "" as text; Boolean gives "True"/"False"; numbers and dates use the
  /// locale. Null raises EConvertError when converted to a number, Boolean or date ("Could not convert
  /// variant of type (Null) into type (Integer)"); Empty converts to 0, false and "".
  std::string ToString() const;
  std::int64_t ToInt64() const;  ///< texts parse as integers; doubles round to nearest, ties to even
  double ToDouble() const;       ///< texts parse as floats
  bool ToBool() const;           ///< texts: "True"/"False" in any case, or a number; numbers: != 0
  TDateTime ToDateTime() const;  ///< texts parse as date and/or time

  /// Raw access for the matching kind (no conversion).
  const std::string& StringRef() const { return str_; }

  /// Equality of two variants as the grid compares cells: both Null, both Empty, or equal values (numbers
  /// compare numerically, texts case-sensitively, a text and a number by converting the text).
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  VarType type_ = VarType::Empty;
  std::variant<std::int64_t, double> num_{std::int64_t(0)};
  std::string str_;
};

}  // namespace plat
