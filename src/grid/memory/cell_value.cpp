#include "grid/memory/cell_value.h"

#include <bit>
#include <cstring>

#include "platform/format/format.h"
#include "platform/text/text.h"

static_assert(std::endian::native == std::endian::little, "slots hold little-endian values");

bool TwEditValue::SameAs(const TwEditValue& o, TwDataType type) const {
  if (flag_ != o.flag_) return false;
  if (IsNull()) return true;
  if (IsTextType(type)) return text_ == o.text_;
  return std::memcmp(bytes_, o.bytes_, std::size_t(FixedValueSize(type))) == 0;
}

namespace twcell {
namespace {

std::int64_t ReadInt(TwDataType t, const std::uint8_t* b) {
  switch (t) {
    case wdtBool:
    case wdtByte:
      return b[0];
    case wdtShort:
      return std::int8_t(b[0]);
    case wdtSmall: {
      std::int16_t v;
      std::memcpy(&v, b, 2);
      return v;
    }
    case wdtWord: {
      std::uint16_t v;
      std::memcpy(&v, b, 2);
      return v;
    }
    case wdtLong: {
      std::int32_t v;
      std::memcpy(&v, b, 4);
      return v;
    }
    default:
      return 0;
  }
}

// Keeps the low-order bytes that fit the type; a Boolean keeps 0 or 1.
void WriteInt(TwDataType t, std::uint8_t* b, std::int64_t v) {
  switch (t) {
    case wdtBool:
      b[0] = v != 0 ? 1 : 0;
      break;
    case wdtShort:
    case wdtByte:
      b[0] = std::uint8_t(std::uint64_t(v));
      break;
    case wdtSmall:
    case wdtWord: {
      const auto x = std::uint16_t(std::uint64_t(v));
      std::memcpy(b, &x, 2);
      break;
    }
    case wdtLong: {
      const auto x = std::uint32_t(std::uint64_t(v));
      std::memcpy(b, &x, 4);
      break;
    }
    default:
      break;
  }
}

double ReadDouble(const std::uint8_t* b) {
  double v;
  std::memcpy(&v, b, 8);
  return v;
}

void WriteDouble(std::uint8_t* b, double v) {
  std::memcpy(b, &v, 8);
}

// The text as the column can hold it: wdtString cut to Width characters (0 = whole), wdtChar cut to
// Width characters and to the Width bytes of its array, never inside a character.
// A text of no more bytes than the width needs no cut (a character is at least one byte).
std::string_view CutText(TwSlotType t, std::string_view text, std::string& buffer) {
  if (t.Width <= 0 ? t.Type == wdtString : text.size() <= std::size_t(t.Width)) return text;
  buffer = plat::text::Utf8Cut(text, std::size_t(t.Width));
  if (t.Type == wdtChar) buffer = plat::text::Utf8CutBytes(buffer, std::size_t(t.Width));
  return buffer;
}

void StoreText(TwSlotType t, TwValueSlot& s, std::string_view text) {
  std::string buffer;
  s.SetText(CutText(t, text, buffer));
}

// Boolean column texts written through the raw conversion: a number, or True/False in any case.
bool ParseBoolText(std::string_view text) {
  std::int64_t v;
  if (plat::fmt::TryStrToInt64(text, v)) return v != 0;
  if (plat::text::SameText(plat::text::Trim(text), "True")) return true;
  if (plat::text::SameText(plat::text::Trim(text), "False")) return false;
  return plat::fmt::StrToInt64(text) != 0;  // raises the integer conversion error
}

}  // namespace

std::string GetText(TwSlotType t, const TwValueSlot& s) {
  if (s.IsNull()) return {};
  switch (t.Type) {
    case wdtString:
    case wdtChar:
      return std::string(s.Text());
    case wdtBool:
    case wdtByte:
    case wdtWord:
    case wdtShort:
    case wdtSmall:
    case wdtLong:
      return plat::fmt::IntToStr(ReadInt(t.Type, s.Bytes()));
    case wdtFloat:
      return plat::fmt::FloatToStr(ReadDouble(s.Bytes()));
    case wdtDate:
      return plat::fmt::DateToStr(ReadDouble(s.Bytes()));
    case wdtTime:
      return plat::fmt::TimeToStr(ReadDouble(s.Bytes()));
    case wdtDateTime:
      return plat::fmt::DateTimeToStr(ReadDouble(s.Bytes()));
    case wdtGraphic:
      return {};
  }
  return {};
}

void SetText(TwSlotType t, TwValueSlot& s, std::string_view text) {
  if (text.empty()) {
    s.SetNull(true);
    return;
  }
  switch (t.Type) {
    case wdtString:
    case wdtChar:
      StoreText(t, s, text);
      return;
    case wdtBool: {
      const bool v = ParseBoolText(text);
      WriteInt(t.Type, s.Bytes(), v ? 1 : 0);
      break;
    }
    case wdtShort:
    case wdtByte:
    case wdtSmall:
    case wdtWord:
    case wdtLong: {
      const std::int64_t v = plat::fmt::StrToInt64(text);
      WriteInt(t.Type, s.Bytes(), v);
      break;
    }
    case wdtFloat:
      WriteDouble(s.Bytes(), plat::fmt::StrToFloat(text));
      break;
    case wdtDate:
      WriteDouble(s.Bytes(), plat::fmt::StrToDate(text));
      break;
    case wdtTime:
      WriteDouble(s.Bytes(), plat::fmt::StrToTime(text));
      break;
    case wdtDateTime:
      WriteDouble(s.Bytes(), plat::fmt::StrToDateTime(text));
      break;
    case wdtGraphic:
      break;
  }
  s.SetNull(false);
}

bool GetBool(TwSlotType t, const TwValueSlot& s) {
  if (s.IsNull()) return false;
  if (IsTextType(t.Type)) return plat::fmt::StrToInt64(s.Text()) != 0;
  if (IsIntegerType(t.Type)) return ReadInt(t.Type, s.Bytes()) != 0;
  if (IsDoubleType(t.Type)) return plat::fmt::RoundToEven(ReadDouble(s.Bytes())) != 0;
  return false;
}

void SetBool(TwSlotType t, TwValueSlot& s, bool v) {
  if (IsTextType(t.Type)) {
    StoreText(t, s, v ? "1" : "0");
    return;
  }
  if (IsIntegerType(t.Type)) WriteInt(t.Type, s.Bytes(), v ? 1 : 0);
  if (IsDoubleType(t.Type)) WriteDouble(s.Bytes(), v ? 1.0 : 0.0);
  s.SetNull(false);
}

std::int64_t GetInt(TwSlotType t, const TwValueSlot& s) {
  if (s.IsNull()) return 0;
  if (IsTextType(t.Type)) return plat::fmt::StrToInt64(s.Text());
  if (IsIntegerType(t.Type)) return ReadInt(t.Type, s.Bytes());
  if (IsDoubleType(t.Type)) return plat::fmt::RoundToEven(ReadDouble(s.Bytes()));
  return 0;
}

void SetInt(TwSlotType t, TwValueSlot& s, std::int64_t v) {
  if (IsTextType(t.Type)) {
    StoreText(t, s, plat::fmt::IntToStr(v));
    return;
  }
  if (IsIntegerType(t.Type)) WriteInt(t.Type, s.Bytes(), v);
  if (IsDoubleType(t.Type)) WriteDouble(s.Bytes(), double(v));
  s.SetNull(false);
}

double GetFloat(TwSlotType t, const TwValueSlot& s) {
  if (s.IsNull()) return 0;
  if (IsTextType(t.Type)) return plat::fmt::StrToFloat(s.Text());
  if (IsIntegerType(t.Type)) return double(ReadInt(t.Type, s.Bytes()));
  if (IsDoubleType(t.Type)) return ReadDouble(s.Bytes());
  return 0;
}

void SetFloat(TwSlotType t, TwValueSlot& s, double v) {
  if (IsTextType(t.Type)) {
    StoreText(t, s, plat::fmt::FloatToStr(v));
    return;
  }
  if (IsIntegerType(t.Type)) WriteInt(t.Type, s.Bytes(), plat::fmt::RoundToEven(v));
  if (IsDoubleType(t.Type)) WriteDouble(s.Bytes(), v);
  s.SetNull(false);
}

plat::TDateTime GetDateTime(TwSlotType t, const TwValueSlot& s) {
  if (s.IsNull()) return 0;
  if (IsTextType(t.Type)) return plat::fmt::StrToDateTime(s.Text());
  return GetFloat(t, s);
}

void SetDateTime(TwSlotType t, TwValueSlot& s, plat::TDateTime v) {
  if (IsTextType(t.Type)) {
    StoreText(t, s, plat::fmt::DateTimeToStr(v));
    return;
  }
  SetFloat(t, s, v);
}

plat::Variant GetVariant(TwSlotType t, const TwValueSlot& s) {
  if (s.IsNull()) return plat::Variant::Null();
  const std::uint8_t* b = s.Bytes();
  switch (t.Type) {
    case wdtString:
    case wdtChar:
      return plat::Variant(std::string(s.Text()));
    case wdtBool:
      return plat::Variant(b[0] != 0);
    case wdtShort:
      return plat::Variant(std::int8_t(ReadInt(t.Type, b)));
    case wdtByte:
      return plat::Variant(std::uint8_t(ReadInt(t.Type, b)));
    case wdtSmall:
      return plat::Variant(std::int16_t(ReadInt(t.Type, b)));
    case wdtWord:
      return plat::Variant(std::uint16_t(ReadInt(t.Type, b)));
    case wdtLong:
      return plat::Variant(std::int32_t(ReadInt(t.Type, b)));
    case wdtFloat:
      return plat::Variant(ReadDouble(b));
    case wdtDate:
    case wdtTime:
    case wdtDateTime:
      return plat::Variant::Date(ReadDouble(b));
    case wdtGraphic:
      return plat::Variant();
  }
  return plat::Variant();
}

void SetVariant(TwSlotType t, TwValueSlot& s, const plat::Variant& v) {
  if (t.Type == wdtGraphic) return;
  if (v.IsNullOrEmpty()) {
    s.SetNull(true);
    return;
  }
  if (IsTextType(t.Type)) {
    SetText(t, s, v.ToString());
  } else if (t.Type == wdtBool) {
    SetBool(t, s, v.ToBool());
  } else if (IsIntegerType(t.Type)) {
    SetInt(t, s, v.ToInt64());
  } else if (t.Type == wdtFloat) {
    SetFloat(t, s, v.ToDouble());
  } else {
    SetDateTime(t, s, v.ToDateTime());
  }
}

void Copy(TwSlotType t, const TwValueSlot& src, TwValueSlot& dst) {
  if (src.IsNull()) {
    dst.SetNull(true);
    return;
  }
  if (IsTextType(t.Type)) {
    dst.SetText(src.Text());
  } else {
    std::memcpy(dst.Bytes(), src.Bytes(), std::size_t(FixedValueSize(t.Type)));
    dst.SetNull(false);
  }
}

}  // namespace twcell
