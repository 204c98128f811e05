#include "grid/memory/cells.h"

#include "grid/memory/mem_grid.h"
#include "platform/text/text.h"

TwMemColumn& TwCells::Column() const {
  return *grid_->Column(col_);
}

bool TwCells::IsNull() const {
  TwMemColumn& c = Column();
  return inBuffer_ ? c.EditValue().IsNull() : c.Pool().IsNull(storeRow_);
}

template <class Apply>
void TwCells::Write(Apply&& apply) {
  TwMemColumn& c = Column();
  if (inBuffer_) {
    // Convert into a copy first: a conversion error leaves the buffer and fires no event.
    TwEditValue next = c.EditValue();
    apply(next);
    if (next.SameAs(c.EditValue(), c.DataType())) return;
    if (grid_->OnValueChanging) grid_->OnValueChanging(&c, twcell::GetVariant(c.SlotType(), next));
    c.EditValue() = std::move(next);
    grid_->BufferValueChanged(&c, col_);
  } else {
    TwPoolSlot slot(c.Pool(), storeRow_);
    apply(slot);
    grid_->CellWrittenInPool(col_, row_);
  }
}

void TwCells::SetNull() {
  Write([](TwValueSlot& s) { s.SetNull(true); });
}

std::string TwCells::RawText() const {
  TwMemColumn& c = Column();
  if (inBuffer_) return twcell::GetText(c.SlotType(), c.EditValue());
  return twcell::GetText(c.SlotType(), TwPoolSlot(c.Pool(), storeRow_));
}

std::string TwCells::AsString() const {
  TwMemColumn& c = Column();
  if (c.DataType() == wdtBool && !IsNull()) return c.GetBoolValue(AsBooleanRaw() ? 1 : 0);
  return RawText();
}

bool TwCells::AsBooleanRaw() const {
  TwMemColumn& c = Column();
  if (inBuffer_) return twcell::GetBool(c.SlotType(), c.EditValue());
  return twcell::GetBool(c.SlotType(), TwPoolSlot(c.Pool(), storeRow_));
}

void TwCells::SetAsString(std::string_view text) {
  TwMemColumn& c = Column();
  const TwSlotType t = c.SlotType();
  if (c.DataType() == wdtBool && !text.empty()) {
    if (plat::text::SameText(text, c.GetBoolValue(0)))
      Write([&](TwValueSlot& s) { twcell::SetBool(t, s, false); });
    else if (plat::text::SameText(text, c.GetBoolValue(1)))
      Write([&](TwValueSlot& s) { twcell::SetBool(t, s, true); });
    else
      Write([](TwValueSlot& s) { s.SetNull(true); });
    return;
  }
  Write([&](TwValueSlot& s) { twcell::SetText(t, s, text); });
}

bool TwCells::AsBoolean() const {
  TwMemColumn& c = Column();
  if (!IsNull() && c.Values().size() > 1) return AsString() == c.Values()[1];
  return AsBooleanRaw();
}

void TwCells::SetAsBoolean(bool value) {
  TwMemColumn& c = Column();
  if (c.DataType() != wdtBool && c.Values().size() > 1) {
    SetAsString(c.Values()[value ? 1 : 0]);
    return;
  }
  const TwSlotType t = c.SlotType();
  Write([&](TwValueSlot& s) { twcell::SetBool(t, s, value); });
}

double TwCells::AsFloat() const {
  TwMemColumn& c = Column();
  if (inBuffer_) return twcell::GetFloat(c.SlotType(), c.EditValue());
  return twcell::GetFloat(c.SlotType(), TwPoolSlot(c.Pool(), storeRow_));
}

plat::TDateTime TwCells::AsDateTime() const {
  TwMemColumn& c = Column();
  if (inBuffer_) return twcell::GetDateTime(c.SlotType(), c.EditValue());
  return twcell::GetDateTime(c.SlotType(), TwPoolSlot(c.Pool(), storeRow_));
}

plat::Variant TwCells::AsVariant() const {
  TwMemColumn& c = Column();
  if (inBuffer_) return twcell::GetVariant(c.SlotType(), c.EditValue());
  return twcell::GetVariant(c.SlotType(), TwPoolSlot(c.Pool(), storeRow_));
}

void TwCells::SetAsVariant(const plat::Variant& value) {
  const TwSlotType t = Column().SlotType();
  Write([&](TwValueSlot& s) { twcell::SetVariant(t, s, value); });
}

std::string TwCells::DisplayText() const {
  TwMemColumn& c = Column();
  std::string text;
  if (inBuffer_)
    grid_->DisplayTextOf(c, c.EditValue(), storeRow_, text);
  else
    grid_->DisplayTextOf(c, TwPoolSlot(c.Pool(), storeRow_), storeRow_, text);
  return text;
}
