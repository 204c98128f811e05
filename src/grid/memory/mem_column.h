#pragma once
// TwMemColumn: the column of a TMemGrid. It adds a data type with its storage (the pool and the edit
// buffer of the current row) and supplies the operations a column leaves to its data: which editor to use,
// which characters may be typed, length limits.
#include <cstdint>
#include <string>
#include <string_view>

#include "grid/memory/cell_value.h"
#include "grid/memory/mem_footer.h"
#include "grid/memory/mem_pool.h"
#include "grid/structure/column.h"

class TMemGrid;

class TwMemColumn : public TwColumn {
 public:
  explicit TwMemColumn(TwColumns* collection);
  ~TwMemColumn() override;

  TMemGrid* Grid() const;
  TwMemColumnFooter& Footer() { return static_cast<TwMemColumnFooter&>(TwColumn::Footer()); }
  const TwMemColumnFooter& Footer() const {
    return static_cast<const TwMemColumnFooter&>(TwColumn::Footer());
  }

  // --- published properties ---
  bool Calculated() const { return calculated_; }
  void SetCalculated(bool v);
  TwDataType DataType() const { return dataType_; }
  void SetDataType(TwDataType v);
  /// As reported: wdtString the setting (0 = unlimited), wdtChar the setting clamped to 1..255, the other
  /// types their value size.
  int DataWidth() const;
  /// The width as set, before the type's rule (what a form description stores).
  int DataWidthSetting() const { return dataWidth_; }
  void SetDataWidth(int v);
  const std::string& Defaults() const { return defaults_; }
  void SetDefaults(std::string_view v);
  const std::string& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(std::string_view v);
  bool Required() const { return required_; }
  void SetRequired(bool v);

  // --- storage ---
  TwMemPool& Pool() { return pool_; }
  const TwMemPool& Pool() const { return pool_; }
  TwSlotType SlotType() const { return {dataType_, DataWidth()}; }
  /// The current row's value while it is edited or inserted, and the copy taken when that started.
  TwEditValue& EditValue() { return edit_; }
  TwEditValue& SavedValue() { return saved_; }
  void TakeSavedCopy() { saved_ = edit_; }
  bool EditValueChanged() const { return !edit_.SameAs(saved_, dataType_); }

  // --- operations of a data-typed column ---
  TwEditKind GetEditKind() const override;
  int EditMaxLength() const override;
  int GetDataSize() const override;
  bool IsGraphic() const override;
  bool IsNumeric() const override;
  bool IsValidChar(char32_t ch) const override;
  bool NumberRange(double& Min, double& Max) const override;
  bool CanFocus() const override;
  bool CanModify() override;

  /// Copies every column property (AssignColumn: title, footer with its styles, fonts, margins, list
  /// option, ...) and then Calculated, DataType, DataWidth, Defaults, DisplayFormat and Required, inside one
  /// collection update.
  void Assign(const TwMemColumn& source);

 protected:
  std::unique_ptr<TwColumnFooter> CreateFooter() override {
    return std::make_unique<TwMemColumnFooter>(this);
  }

 private:
  void ApplyLayout();

  bool calculated_ = false;
  TwDataType dataType_ = wdtString;
  int dataWidth_ = 16;
  std::string defaults_;
  std::string displayFormat_;
  bool required_ = false;
  TwMemPool pool_;
  TwEditValue edit_;
  TwEditValue saved_;
};
