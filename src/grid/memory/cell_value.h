#pragma once
// The conversions between a stored cell value and text, Boolean, numbers, date-times and Variants.
//
// They work on a TwValueSlot: the storage of one cell, either a row of a column's pool or a value of its
// edit buffer, so that both go through the same rules. A write parses and converts first and stores only
// when that succeeded, so a conversion error leaves the cell's old value and flag.
#include <cstdint>
#include <string>
#include <string_view>

#include "grid/memory/mem_pool.h"
#include "platform/variant/variant.h"

class TwValueSlot {
 public:
  virtual ~TwValueSlot() = default;
  virtual bool IsNull() const = 0;
  /// on: the cell becomes null; off: it holds a value.
  virtual void SetNull(bool on) = 0;
  /// The 8 (or fewer) little-endian value bytes of the fixed-size types.
  virtual const std::uint8_t* Bytes() const = 0;
  virtual std::uint8_t* Bytes() = 0;
  /// Text of wdtString and wdtChar. SetText takes a text already cut to the column's width and marks the
  /// cell as holding a value.
  virtual std::string_view Text() const = 0;
  virtual void SetText(std::string_view text) = 0;
};

/// Row r of a pool.
class TwPoolSlot final : public TwValueSlot {
 public:
  TwPoolSlot(TwMemPool& pool, int row) : pool_(pool), row_(row) {}
  bool IsNull() const override { return pool_.IsNull(row_); }
  void SetNull(bool on) override { pool_.SetNull(row_, on); }
  const std::uint8_t* Bytes() const override { return pool_.Value(row_); }
  std::uint8_t* Bytes() override { return pool_.Value(row_); }
  std::string_view Text() const override { return pool_.Text(row_); }
  void SetText(std::string_view text) override { pool_.SetText(row_, text); }

 private:
  TwMemPool& pool_;
  int row_;
};

/// One value of an edit buffer: 8 value bytes, a null flag and a text.
class TwEditValue final : public TwValueSlot {
 public:
  bool IsNull() const override { return flag_ == kCellNull; }
  void SetNull(bool on) override { flag_ = on ? kCellNull : kCellValue; }
  const std::uint8_t* Bytes() const override { return bytes_; }
  std::uint8_t* Bytes() override { return bytes_; }
  std::string_view Text() const override { return text_; }
  void SetText(std::string_view text) override {
    text_.assign(text);
    flag_ = kCellValue;
  }
  void Clear() {
    flag_ = kCellNull;
    std::fill(std::begin(bytes_), std::end(bytes_), std::uint8_t(0));
    text_.clear();
  }
  /// Same flag and, for a value, the same text (text types) or the same value bytes (other types).
  bool SameAs(const TwEditValue& o, TwDataType type) const;

 private:
  std::uint8_t bytes_[8] = {};
  std::uint8_t flag_ = kCellNull;
  std::string text_;
};

/// Layout facts of the column a slot belongs to.
struct TwSlotType {
  TwDataType Type = wdtString;
  int Width = 0;  ///< DataWidth as reported: text limit of wdtString (0 = none), array width of wdtChar
};

namespace twcell {

std::string GetText(TwSlotType t, const TwValueSlot& s);
/// Empty text makes the cell null.
void SetText(TwSlotType t, TwValueSlot& s, std::string_view text);
bool GetBool(TwSlotType t, const TwValueSlot& s);
void SetBool(TwSlotType t, TwValueSlot& s, bool v);
std::int64_t GetInt(TwSlotType t, const TwValueSlot& s);
void SetInt(TwSlotType t, TwValueSlot& s, std::int64_t v);
double GetFloat(TwSlotType t, const TwValueSlot& s);
void SetFloat(TwSlotType t, TwValueSlot& s, double v);
plat::TDateTime GetDateTime(TwSlotType t, const TwValueSlot& s);
void SetDateTime(TwSlotType t, TwValueSlot& s, plat::TDateTime v);
plat::Variant GetVariant(TwSlotType t, const TwValueSlot& s);
void SetVariant(TwSlotType t, TwValueSlot& s, const plat::Variant& v);
/// Copies src into dst (both of type t).
void Copy(TwSlotType t, const TwValueSlot& src, TwValueSlot& dst);

}  // namespace twcell
