#pragma once
// The value types of a memory column and the sizes of their stored values.
#include <cstdint>

enum class TwDataType : std::uint8_t {
  wdtString,    ///< text in the pool's text list
  wdtChar,      ///< NUL-terminated array of DataWidth + 1 bytes, inline
  wdtBool,      ///< unsigned byte 0 or 1
  wdtShort,     ///< signed 8-bit
  wdtByte,      ///< unsigned 8-bit
  wdtSmall,     ///< signed 16-bit
  wdtWord,      ///< unsigned 16-bit
  wdtLong,      ///< signed 32-bit
  wdtFloat,     ///< IEEE double
  wdtDate,      ///< date-time as double
  wdtTime,      ///< date-time as double
  wdtDateTime,  ///< date-time as double
  wdtGraphic    ///< nothing stored; the picture comes from the grid's image events
};
using enum TwDataType;

/// Null flag byte values of a slot.
inline constexpr std::uint8_t kCellNull = 0;
inline constexpr std::uint8_t kCellValue = 0xFF;

inline bool IsTextType(TwDataType t) {
  return t == wdtString || t == wdtChar;
}
inline bool IsIntegerType(TwDataType t) {
  return t >= wdtBool && t <= wdtLong;
}
inline bool IsDateType(TwDataType t) {
  return t >= wdtDate && t <= wdtDateTime;
}
inline bool IsDoubleType(TwDataType t) {
  return t >= wdtFloat && t <= wdtDateTime;
}

/// Value bytes of the fixed-size types (the DataWidth they report); wdtChar and wdtString vary.
inline int FixedValueSize(TwDataType t) {
  switch (t) {
    case wdtBool:
    case wdtShort:
    case wdtByte:
      return 1;
    case wdtSmall:
    case wdtWord:
      return 2;
    case wdtLong:
      return 4;
    case wdtFloat:
    case wdtDate:
    case wdtTime:
    case wdtDateTime:
      return 8;
    default:
      return 0;
  }
}
