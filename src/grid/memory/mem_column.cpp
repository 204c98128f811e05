#include "grid/memory/mem_column.h"

#include <algorithm>

#include "grid/memory/mem_grid.h"
#include "platform/format/format.h"

TwMemColumn::TwMemColumn(TwColumns* collection) : TwColumn(collection) {
  pool_.SetLayoutSource(dataType_, DataWidth());
}

TwMemColumn::~TwMemColumn() = default;

TMemGrid* TwMemColumn::Grid() const {
  return Collection() && Collection()->Owner() ? dynamic_cast<TMemGrid*>(Collection()->Owner()->EventSender())
                                               : nullptr;
}

void TwMemColumn::ApplyLayout() {
  pool_.SetLayoutSource(dataType_, DataWidth());
  if (!GridState().Designing() && !GridState().Loading()) pool_.Relayout();
}

void TwMemColumn::SetCalculated(bool v) {
  if (calculated_ == v) return;
  calculated_ = v;
  Changed();
}

void TwMemColumn::SetDataType(TwDataType v) {
  if (dataType_ == v) return;
  dataType_ = v;
  if (!GridState().Loading()) defaults_.clear();
  ApplyLayout();
  Changed(true);
}

int TwMemColumn::DataWidth() const {
  switch (dataType_) {
    case wdtString:
      return std::max(0, dataWidth_);
    case wdtChar:
      return std::clamp(dataWidth_, 1, 255);
    default:
      return FixedValueSize(dataType_);
  }
}

void TwMemColumn::SetDataWidth(int v) {
  v = std::clamp(v, 0, 0xFFFF);
  if (dataWidth_ == v) return;
  dataWidth_ = v;
  pool_.SetLayoutSource(dataType_, DataWidth());
  if (dataType_ == wdtChar) {
    ApplyLayout();
    Changed(true);
  }
}

void TwMemColumn::SetDefaults(std::string_view v) {
  if (defaults_ == v) return;
  defaults_ = std::string(v);
  Changed();
}

void TwMemColumn::SetDisplayFormat(std::string_view v) {
  if (displayFormat_ == v) return;
  displayFormat_ = std::string(v);
  Changed();
}

void TwMemColumn::SetRequired(bool v) {
  if (required_ == v) return;
  required_ = v;
  Changed(true);
}

TwEditKind TwMemColumn::GetEditKind() const {
  const bool hasList = !Values().empty();
  const bool twoValues = Values().size() >= 2;
  TwEditKind def;
  switch (dataType_) {
    case wdtBool:
      def = wekCheckBox;
      break;
    case wdtShort:
    case wdtByte:
    case wdtSmall:
    case wdtWord:
    case wdtLong:
    case wdtFloat:
      def = hasList ? wekPickList : wekNumber;
      break;
    case wdtDate:
    case wdtDateTime:
      def = hasList ? wekPickList : wekDate;
      break;
    case wdtTime:
      def = hasList ? wekPickList : wekTime;
      break;
    case wdtGraphic:
      return wekPicture;
    default:
      def = hasList ? wekPickList : wekText;
      break;
  }
  const bool text = IsTextType(dataType_);
  const bool numeric = IsNumeric();
  switch (EditStyle()) {
    case wesText:
      return wekText;
    case wesMultiText:
      return text ? wekMultiText : def;
    case wesMemo:
      return text ? wekMemo : def;
    case wesCheckBox:
      return (dataType_ == wdtBool || twoValues) ? wekCheckBox : def;
    case wesBoolean:
      return (dataType_ == wdtBool || twoValues) ? wekBoolean : def;
    case wesRadioGroup:
      return (dataType_ == wdtBool || hasList) ? wekRadioGroup : def;
    case wesNumber:
      return numeric ? wekNumber : def;
    case wesSpinEdit:
      return numeric ? wekSpinNumber : def;
    case wesDate:
      return (dataType_ == wdtDate || dataType_ == wdtDateTime) ? wekDate : def;
    case wesTime:
      return (dataType_ == wdtTime || dataType_ == wdtDateTime) ? wekTime : def;
    case wesPickList:
      return hasList ? wekPickList : def;
    default:
      return def;
  }
}

int TwMemColumn::EditMaxLength() const {
  const TwEditKind k = GetEditKind();
  if ((k == wekPickList && !Values().empty()) || k == wekCustomList2) return 0;
  const int width = DataWidth();
  if (dataType_ == wdtChar || (dataType_ == wdtString && width > 0))
    return MaxLength() > 0 ? std::min(width, MaxLength()) : width;
  return MaxLength();
}

int TwMemColumn::GetDataSize() const {
  if (dataType_ == wdtChar || (dataType_ == wdtString && DataWidth() > 0)) return DataWidth();
  if (dataType_ == wdtString) return 16;
  return 10;
}

bool TwMemColumn::IsGraphic() const {
  return GetEditKind() == wekPicture;
}

bool TwMemColumn::IsNumeric() const {
  return dataType_ >= wdtShort && dataType_ <= wdtFloat;
}

bool TwMemColumn::IsValidChar(char32_t ch) const {
  if (GetEditKind() == wekPickList) return true;
  const bool digit = ch >= U'0' && ch <= U'9';
  switch (dataType_) {
    case wdtShort:
    case wdtSmall:
    case wdtLong:
      return digit || ch == U'+' || ch == U'-';
    case wdtByte:
    case wdtWord:
      return digit;
    case wdtFloat:
      return digit || ch == U'+' || ch == U'-' || ch == U'.' || ch == U'E' || ch == U'e';
    case wdtDate:
      return digit || ch == char32_t(static_cast<unsigned char>(plat::fmt::Locale().DateSeparator));
    case wdtTime:
      return digit || ch == char32_t(static_cast<unsigned char>(plat::fmt::Locale().TimeSeparator));
    case wdtGraphic:
      return false;
    default:
      return true;
  }
}

bool TwMemColumn::NumberRange(double& Min, double& Max) const {
  switch (dataType_) {
    case wdtShort:
      Min = -128, Max = 127;
      return true;
    case wdtByte:
      Min = 0, Max = 255;
      return true;
    case wdtSmall:
      Min = -32768, Max = 32767;
      return true;
    case wdtWord:
      Min = 0, Max = 65535;
      return true;
    case wdtLong:
      Min = -2147483648.0, Max = 2147483647.0;
      return true;
    default:
      return false;
  }
}

bool TwMemColumn::CanFocus() const {
  return TwColumn::CanFocus() && !calculated_;
}

bool TwMemColumn::CanModify() {
  if (!TwColumn::CanModify() || calculated_) return false;
  TMemGrid* g = Grid();
  return g ? g->Edit() : true;
}

void TwMemColumn::Assign(const TwMemColumn& source) {
  if (&source == this) return;
  TwColumns* cols = Collection();
  if (cols) cols->BeginUpdate();
  // Every property of a column first, then the memory column's own; the data type after the column's
  // properties, and the defaults after the data type (a new type clears them).
  AssignColumn(source);
  SetCalculated(source.calculated_);
  SetDataType(source.dataType_);
  SetDataWidth(source.dataWidth_);
  SetDefaults(source.defaults_);
  SetDisplayFormat(source.displayFormat_);
  SetRequired(source.required_);
  if (cols) cols->EndUpdate();
}
