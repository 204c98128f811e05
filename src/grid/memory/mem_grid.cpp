#include "grid/memory/mem_grid.h"

#include <algorithm>

#include "grid/editors/standard_editors.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_accessible.h"
#include "platform/error.h"
#include "platform/format/format.h"
#include "platform/text/text.h"

namespace {
std::unique_ptr<TwColumn> MakeMemColumn(TwColumns* owner) {
  return std::make_unique<TwMemColumn>(owner);
}

[[noreturn]] void Raise(const std::string& text) {
  throw plat::Exception(text);
}

}  // namespace

TMemGrid::TMemGrid(QWidget* parent) : TwCustomGrid(parent, MakeMemColumn) {
  InstallStandardEditors(Editing().Editors());
  infos_.OnSelectionChange = [this] { FireSelectionChange(); };
}

TMemGrid::~TMemGrid() {
  Model().State().Include(plat::ComponentStateFlag::Destroying);
  infos_.OnSelectionChange = nullptr;
}

// --- columns --------------------------------------------------------------------------------------

void TMemGrid::ColumnAdded(TwColumn* column) {
  auto* c = static_cast<TwMemColumn*>(column);
  if (Model().GridState().Loading()) return;
  if (!Model().GridState().Designing()) {
    c->Pool().Prepare();
    c->Pool().SetCount(infos_.Count());
  }
  // A new column is titled "Column" and the number after the highest such title.
  int number = 0;
  for (int i = 0; i < ColumnCount(); ++i) {
    TwMemColumn* other = Column(i);
    if (other == c) continue;
    const std::string title = other->Title().Caption();
    if (plat::text::UpperCase(title).find("COLUMN") == std::string::npos) continue;
    const std::string rest = plat::text::Utf8Cut(title, std::size_t(-1)).size() > 6
                                 ? title.substr(plat::text::Utf8Offset(title, 6))
                                 : std::string();
    std::int64_t n;
    if (rest.empty() || !plat::fmt::TryStrToInt64(rest, n)) continue;
    if (n >= number) number = int(n) + 1;
  }
  c->Title().SetCaption("Column" + std::to_string(number));
}

bool TMemGrid::ColumnCanModify(TwColumn* column) {
  // The current row may change when it is already edited or inserted, else when OnEdit allows it; starting
  // the edit is the memory column's own part of the rule.
  return TwCustomGrid::ColumnCanModify(column);
}

void TMemGrid::Loaded() {
  if (!Model().GridState().Designing()) {
    for (int i = 0; i < ColumnCount(); ++i) Column(i)->Pool().Prepare();
    infos_.Restart();
  }
  TwCustomGrid::Loaded();
  SetRowCount(designRowCount_);
}

// --- rows and cells -------------------------------------------------------------------------------

int TMemGrid::RowCount() const {
  if (Model().GridState().Designing()) return designRowCount_;
  return infos_.Count() + (editState_ == esInsert ? 1 : 0);
}

void TMemGrid::SetCount(int n) {
  infos_.SetCount(n);
  for (int i = 0; i < ColumnCount(); ++i) Column(i)->Pool().SetCount(n);
  TwAccessibleRowsChanged(this);
}

void TMemGrid::SetRowCount(int n) {
  if (ColumnCount() == 0) return;
  if (Model().GridState().Loading()) {
    designRowCount_ = n;
    return;
  }
  if (Model().GridState().Designing()) {
    designRowCount_ = std::max(0, n);
  } else {
    if (editState_ == esEdit || editState_ == esInsert)
      Raise("수정/추가 중일 때는 RowCount를 변경할 수 없습니다.");
    SetCount(n);
  }
  UpdateScrollRange();
  InvalidateGrid();
  SetRow(Row());
  if (RowCount() <= 0)
    HideEditor();
  else if (HasOption(wgoAlwaysShowEditor))
    ShowEditor();
}

TwCells& TMemGrid::Cells(int ACol, int ARow) {
  if (ACol < 0 || ACol >= ColumnCount()) Raise("Cells col bounds error[" + std::to_string(ACol) + "]");
  if (ARow < 0 || ARow >= RowCount()) Raise("Cells row bounds error[" + std::to_string(ARow) + "]");
  const bool inBuffer = (editState_ == esEdit || editState_ == esInsert) && ARow == Row();
  cells_.Place(ACol, ARow, StoreRow(ARow), inBuffer);
  return cells_;
}

void TMemGrid::ClearRows() {
  HideEditor();
  Cancel();
  infos_.ResetAll();
  SetRowCount(0);
}

void TMemGrid::InsertRow(int ARow, bool ApplyDefaults, bool MarkInserted, bool FireNewRow) {
  if (editState_ == esEdit || editState_ == esInsert) Raise("Can't InsertRow in Editing");
  if (ARow < 0 || ARow > RowCount())
    Raise("TMemGrid - Row Bounds Error(" + std::to_string(ARow) + ") in InsertRow");
  for (int i = 0; i < ColumnCount(); ++i) Column(i)->Pool().InsertBlank(ARow);
  infos_.InsertBlank(ARow);
  if (ApplyDefaults) {
    try {
      for (int i = 0; i < ColumnCount(); ++i) {
        TwMemColumn* c = Column(i);
        if (c->Defaults().empty()) continue;
        TwPoolSlot slot(c->Pool(), ARow);
        twcell::SetText(c->SlotType(), slot, c->Defaults());
      }
    } catch (...) {
      // A default that does not convert: the row goes again, so every pool keeps the row count.
      for (int i = 0; i < ColumnCount(); ++i) Column(i)->Pool().DeleteRows(ARow, 1);
      infos_.DeleteRows(ARow, 1);
      throw;
    }
  }
  if (MarkInserted) infos_.SetRowState(ARow, wrsInserted);
  TwAccessibleRowsChanged(this);
  if (FireNewRow) {
    BeginUpdate();
    TwScopeExit end([this] { EndUpdate(false); });
    Fire(OnNewRow);
  }
  UpdateScrollRange();
  if (!UpdateLocked()) {
    if (ARow == RowCount() - 1)
      InvalidateRow(ARow);
    else
      InvalidateGrid();
  }
  if (HasOption(wgoAlwaysShowEditor) && !EditorShowing()) ShowEditor();
}

void TMemGrid::DeleteRow(int ARow, int ACount, bool Notify) {
  if (editState_ == esEdit || editState_ == esInsert) Raise("Can't DeleteRow in Editing");
  if (ACount == 0) return;
  if (ARow < 0 || ARow >= RowCount())
    Raise("TMemGrid - Row Bounds Error(" + std::to_string(ARow) + ") in DeleteRow");
  ACount = ACount < 0 ? RowCount() - ARow : std::min(ACount, RowCount() - ARow);
  for (int i = 0; i < ColumnCount(); ++i) Column(i)->Pool().DeleteRows(ARow, ACount);
  infos_.DeleteRows(ARow, ACount);
  RowsDeleted(Notify);
}

void TMemGrid::DeleteRows(std::vector<int> rows, bool Notify) {
  if (editState_ == esEdit || editState_ == esInsert) Raise("Can't DeleteRows in Editing");
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  rows.erase(rows.begin(), std::lower_bound(rows.begin(), rows.end(), 0));
  rows.erase(std::lower_bound(rows.begin(), rows.end(), RowCount()), rows.end());
  if (rows.empty()) return;
  for (int i = 0; i < ColumnCount(); ++i) Column(i)->Pool().DeleteRows(rows);
  infos_.DeleteRows(rows);
  RowsDeleted(Notify);
}

void TMemGrid::RowsDeleted(bool Notify) {
  TwAccessibleRowsChanged(this);
  UpdateScrollRange();
  InvalidateGrid();
  SetRow(Row());
  if (Notify) DataChanged();
}

void TMemGrid::SetRow(int ARow) {
  const int target = std::clamp(ARow, 0, std::max(0, RowCount() - 1));
  if (target == Row()) return;
  CommitEdit();
  if (!inRowExit_) {
    TwFlagScope exiting(inRowExit_);
    Fire(OnRowExit);
  }
  const int before = Row();
  if (editState_ != esInsert || modified_)
    Post();
  else
    Cancel();
  if (Row() != before) return;
  HideEditor();
  SetRowField(target);
  ScrollRowIntoView(target);
  if (HasOption(wgoAlwaysShowEditor)) {
    ShowEditor();
    SelectEditorText();
  }
  UpdateEditButton();
  InvalidateRow(before);
  InvalidateRow(target);
  Fire(OnRowEnter);
  ScheduleRowChange();
  if (infos_.SelectedCount() == 0 && HasOption(wgoRowSelect)) FireSelectionChange();
}

void TMemGrid::SetOptions(TwGridOptions value) {
  // A selection kept under the bits would come back with the option and DeleteSelectedRows would act on it.
  if (HasOption(wgoMultiSelect) && !value.Contains(wgoMultiSelect)) ClearSelection();
  TwCustomGrid::SetOptions(value);
}

TwRowState TMemGrid::RowState(int ARow) const {
  if (editState_ == esInsert && ARow == Row()) return wrsUnchanged;
  if (ARow < 0 || ARow >= infos_.Count()) return wrsUnchanged;
  return infos_.RowState(ARow);
}

void TMemGrid::SetRowState(int ARow, TwRowState state) {
  if (editState_ == esInsert && ARow == Row()) return;
  if (ARow < 0 || ARow >= infos_.Count()) return;
  infos_.SetRowState(ARow, state);
}

// --- editing life cycle ---------------------------------------------------------------------------

bool TMemGrid::Edit() {
  if (editState_ == esEdit || editState_ == esInsert) return true;
  if (RowCount() <= 0) {
    Insert(false);
    return true;
  }
  if (infos_.RowState(Row()) == wrsDeleted || !HasOption(wgoEditing)) return false;
  Fire(OnBeforeEdit);
  for (int i = 0; i < ColumnCount(); ++i) {
    TwMemColumn* c = Column(i);
    twcell::Copy(c->SlotType(), TwPoolSlot(c->Pool(), Row()), c->EditValue());
    c->TakeSavedCopy();
  }
  editState_ = esEdit;
  InvalidateRow(Row());
  modified_ = false;
  Fire(OnAfterEdit);
  return true;
}

void TMemGrid::Insert(bool bAppend) {
  if (!HasOption(wgoInserting)) return;
  if (maxRowCount_ > 0 && RowCount() >= maxRowCount_) return;
  CommitEdit();
  Post();
  if (OnBeforeInsert) OnBeforeInsert(this, bAppend);
  for (int i = 0; i < ColumnCount(); ++i) {
    TwMemColumn* c = Column(i);
    c->EditValue().Clear();
    if (!c->Defaults().empty()) twcell::SetText(c->SlotType(), c->EditValue(), c->Defaults());
    c->TakeSavedCopy();
  }
  editState_ = esInsert;
  if (bAppend) {
    SetRowField(RowCount() - 1);
    UpdateEditButton();
  }
  {
    TwScopeExit after([&] {
      modified_ = false;
      if (OnAfterInsert) OnAfterInsert(this, bAppend);
    });
    Fire(OnNewRow);
  }
  if (bAppend)
    HideEditor();
  else
    RefreshEditor();
  if (infos_.Count() > 0) {
    UpdateScrollRange();
    ScrollRowIntoView(Row());
    if (bAppend)
      InvalidateRow(Row());
    else
      InvalidateGrid();  // the rows below moved down by one
  } else {
    InvalidateRow(0);
  }
  if (HasOption(wgoAlwaysShowEditor)) ShowEditor();
  SelectEditorText();
}

void TMemGrid::Post() {
  if (editState_ != esEdit && editState_ != esInsert) return;
  CommitEdit();
  Fire(OnBeforePost);
  for (int i = 0; i < ColumnCount(); ++i) {
    TwMemColumn* c = Column(i);
    if (c->Required() && c->EditValue().IsNull())
      Raise("Column '" + c->DisplayName() + "' must have a value.");
  }
  const int r = Row();
  bool changed = false;
  for (int i = 0; i < ColumnCount(); ++i) {
    TwMemColumn* c = Column(i);
    if (editState_ == esInsert) c->Pool().InsertBlank(r);
    TwPoolSlot slot(c->Pool(), r);
    twcell::Copy(c->SlotType(), c->EditValue(), slot);
    if (editState_ == esEdit && c->EditValueChanged()) changed = true;
  }
  if (editState_ == esInsert) {
    infos_.InsertBlank(r);
    if (checkRowState_) infos_.SetRowState(r, wrsInserted);
  } else {
    if (changed) infos_.SetChanged(r, true);
    if (checkRowState_ && infos_.RowState(r) == wrsUnchanged) infos_.SetRowState(r, wrsUpdated);
  }
  editState_ = esBrowse;
  modified_ = false;
  UpdateScrollRange();
  InvalidateRow(r);
  {
    EventNestingScope nesting(this);
    Fire(OnAfterPost);
    DataChanged();
  }
  if (HasOption(wgoAlwaysShowEditor) && !EditorShowing())
    ShowEditor();
  else if (EditorShowing())
    RefreshEditor();
}

void TMemGrid::Cancel() {
  if (editState_ != esEdit && editState_ != esInsert) return;
  Fire(OnBeforeCancel);
  HideEditor();
  if (editState_ == esEdit) {
    editState_ = esBrowse;
    InvalidateRow(Row());
  } else {
    editState_ = esBrowse;
    if (Row() > infos_.Count() - 1) SetRowField(std::max(0, Row() - 1));
    BeginUpdate();
    UpdateScrollRange();
    EndUpdate(true);
  }
  modified_ = false;
  if (HasOption(wgoAlwaysShowEditor)) {
    ShowEditor();
    SelectEditorText();
  }
  UpdateEditButton();
  Fire(OnAfterCancel);
}

void TMemGrid::AfterDeleteEvents() {
  {
    EventNestingScope nesting(this);
    Fire(OnAfterDelete);
    DataChanged();
  }
  if (HasOption(wgoAlwaysShowEditor) && !EditorShowing()) ShowEditor();
  RefreshEditor();
  SelectEditorText();
}

void TMemGrid::DeleteCurrent() {
  if (editState_ == esInsert) {
    Cancel();
    return;
  }
  Cancel();
  Fire(OnBeforeDelete);
  if (softDeleting_) {
    SetRowState(Row(), wrsDeleted);
    InvalidateRow(Row());
  } else {
    DeleteRow(Row(), 1, false);
  }
  AfterDeleteEvents();
  if (!softDeleting_) {
    CancelRowChange();
    if (ChangeDelay() != 0) FireRowChange();
  }
}

void TMemGrid::DeleteSelectedRows() {
  if (SelectedCount() < 1) return;
  Cancel();
  Fire(OnBeforeDelete);
  BeginUpdate();
  {
    TwScopeExit end([this] { EndUpdate(true); });
    std::vector<int> accepted;
    for (int r = infos_.Count() - 1; r >= 0; --r) {
      if (!infos_.Selected(r)) continue;
      bool accept = true;
      if (OnDeleteRow) OnDeleteRow(this, r, accept);
      if (!accept) continue;
      if (softDeleting_) {
        infos_.SetRowState(r, wrsDeleted);
        InvalidateRow(r);
      } else {
        accepted.push_back(r);
      }
    }
    DeleteRows(std::move(accepted), false);  // all at once, however scattered
  }
  AfterDeleteEvents();
}

void TMemGrid::DataChanged() {
  if (autoCalcFooters_) CalcFooters();
  Fire(OnDataChanged);
}

void TMemGrid::CalcFooters() {
  bool useDefault = true;
  if (OnCalcFooters) OnCalcFooters(this, useDefault);
  if (useDefault) {
    const int rows = Model().Footers().Count();
    for (int ci = 0; ci < ColumnCount(); ++ci) {
      TwMemColumn* c = Column(ci);
      TwMemColumnFooter& f = c->Footer();
      for (int i = 0; i < rows; ++i) {
        const TwFooterKind kind = f.Kind(i);
        if (kind < wfkCnt) continue;
        const int cond = f.ConditionColumn(i);
        const TwMemColumn* qc = cond == TwMemColumnFooter::kThisColumn ? c
                                : cond < ColumnCount()                 ? Column(cond)
                                                                       : nullptr;
        const std::string text =
            FooterAggregate(*c, c->Pool(), qc ? &qc->Pool() : nullptr, qc ? qc->DataType() : wdtString,
                            qc ? qc->DataWidth() : 0, kind, f.Operator(i), f.ConditionValue(i));
        f.SetValue(i, text);
      }
    }
  }
  Fire(OnAfterCalcFooters);
}

std::string TMemGrid::FooterDisplayText(const TwMemColumn& c, const std::string& text) const {
  if (text.empty() || c.DataType() == wdtBool || c.DataType() == wdtGraphic) return text;
  const auto& values = c.Values();
  const auto k = c.ItemsMapValues() ? std::find(values.begin(), values.end(), text) : values.end();
  if (k != values.end() && c.ListOption().ValuesIndex() != 0)
    return ExtractItem(c.Items()[std::size_t(k - values.begin())], c.ListOption().Separator(), 0);
  const bool isText = IsTextType(c.DataType()), isDate = IsDateType(c.DataType());
  // A count on a date column, say, does not read as the column's type: it is shown as it is.
  try {
    if (!c.DisplayFormat().empty()) {
      if (isText) return plat::fmt::Format(c.DisplayFormat(), {plat::Variant(text)});
      if (isDate) return plat::fmt::FormatDateTime(c.DisplayFormat(), plat::fmt::StrToDateTime(text));
      return plat::fmt::FormatFloat(c.DisplayFormat(), plat::fmt::StrToFloat(text));
    }
    if (!c.EditFormat().empty()) {
      if (isText) return plat::fmt::FormatMaskText(c.EditFormat(), text);
      if (isDate) return plat::fmt::FormatDateTime(c.EditFormat(), plat::fmt::StrToDateTime(text));
    }
  } catch (const plat::EConvertError&) {
  }
  return text;
}

void TMemGrid::BufferValueChanged(TwMemColumn* column, int ACol) {
  modified_ = true;
  InvalidateCell(ACol, Row());
  TwAccessibleCellValueChanged(this, ACol, Row());
  if (!column->Calculated()) Fire(OnCalcColumns);
  if (OnValueChanged) OnValueChanged(column);
}

void TMemGrid::CellWrittenInPool(int ACol, int ARow) {
  if (Editing().EditorShowsCell(ACol, ARow))
    RefreshEditor();
  else if (!UpdateLocked())
    InvalidateCell(ACol, ARow);
  TwAccessibleCellValueChanged(this, ACol, ARow);
}

// --- selection ------------------------------------------------------------------------------------

bool TMemGrid::Selected(int ARow) const {
  if (Model().GridState().Designing()) return HasOption(wgoRowSelect) && ARow == Row();
  if (!HasOption(wgoMultiSelect) || RowCount() <= 0) return false;
  if (editState_ == esInsert && ARow == Row()) return false;
  const int r = StoreRow(ARow);
  return r >= 0 && r < infos_.Count() && infos_.Selected(r);
}

void TMemGrid::SetSelected(int ARow, bool Value) {
  if (ARow < 0 || ARow > RowCount() - 1) Raise("Bound Error in SetSelected(" + std::to_string(ARow) + ")");
  if (!HasOption(wgoMultiSelect)) return;
  if (editState_ == esInsert && ARow == Row()) return;
  infos_.SetSelected(StoreRow(ARow), Value);
  InvalidateRow(ARow);
}

void TMemGrid::ClearSelection() {
  anchorActive_ = false;
  if (infos_.SelectedCount() <= 0) return;
  infos_.MarkSelected();
  infos_.ClearSelected();
  const int last = std::min(RowCount() - 1, TopRow() + VisibleRowCount());
  setUpdatesEnabled(false);
  for (int r = TopRow(); r <= last; ++r) {
    const int s = StoreRow(r);
    if (s >= 0 && s < infos_.Count() && infos_.Marked(s)) InvalidateRow(r);
  }
  setUpdatesEnabled(true);
  infos_.UnmarkAll();
}

void TMemGrid::SelectRange(int a, int b) {
  ClearSelection();
  if (!HasOption(wgoMultiSelect) || RowCount() <= 0) return;
  a = std::max(0, a);
  b = std::min(RowCount() - 1, b);
  for (int r = std::min(a, b); r <= std::max(a, b); ++r) SetSelected(r, true);
  anchor_ = a;
  lastSelected_ = b;
  anchorActive_ = true;
}

void TMemGrid::ExtendSelection(int r) {
  if (!HasOption(wgoMultiSelect) || RowCount() <= 0) return;
  r = std::clamp(r, 0, RowCount() - 1);
  const int lo = std::min(anchor_, r), hi = std::max(anchor_, r);
  for (int i = std::min(lastSelected_, r); i <= std::max(lastSelected_, r); ++i) {
    if (i < 0 || i >= RowCount()) continue;
    SetSelected(i, i >= lo && i <= hi);
  }
  if (anchor_ >= 0 && anchor_ < RowCount()) SetSelected(anchor_, true);
  lastSelected_ = r;
}

void TMemGrid::SelectAfterMove(bool ctrl, bool shift) {
  if (!HasOption(wgoMultiSelect) || RowCount() <= 0) return;
  const int r = Row();
  if (ctrl) {
    SetSelected(r, !Selected(r));
    anchorActive_ = false;
    if (Selected(r)) {
      anchor_ = lastSelected_ = r;
      anchorActive_ = true;
    }
  } else if (shift && anchorActive_) {
    ExtendSelection(r);
  } else {
    SelectRange(r, r);
  }
}

// --- data operations of the base grid ---------------------------------------------------------------

void TMemGrid::DisplayTextOf(TwMemColumn& c, const TwValueSlot& slot, int storeRow, std::string& text) {
  const TwSlotType t = c.SlotType();
  if (slot.IsNull()) {
    text.clear();
    return;
  }
  if (c.DataType() == wdtBool) {
    text = c.GetBoolText(twcell::GetBool(t, slot) ? 1 : 0);
  } else if (c.DataType() == wdtGraphic) {
    text = c.DisplayFormat();
  } else {
    try {
      // Texts are copied into the caller's buffer, which painting reuses from cell to cell.
      if (IsTextType(c.DataType()))
        text.assign(slot.Text());
      else
        text = twcell::GetText(t, slot);
      const auto& values = c.Values();
      const auto k = c.ItemsMapValues() ? std::find(values.begin(), values.end(), text) : values.end();
      if (k != values.end() && c.ListOption().ValuesIndex() != 0) {
        text = ExtractItem(c.Items()[std::size_t(k - values.begin())], c.ListOption().Separator(), 0);
      } else if (!c.DisplayFormat().empty()) {
        if (IsTextType(c.DataType()))
          text = plat::fmt::Format(c.DisplayFormat(), {plat::Variant(text)});
        else if (IsDateType(c.DataType()))
          text = plat::fmt::FormatDateTime(c.DisplayFormat(), twcell::GetDateTime(t, slot));
        else
          text = plat::fmt::FormatFloat(c.DisplayFormat(), twcell::GetFloat(t, slot));
      } else if (!c.EditFormat().empty()) {
        if (IsTextType(c.DataType()))
          text = plat::fmt::FormatMaskText(c.EditFormat(), text);
        else if (IsDateType(c.DataType()))
          text = plat::fmt::FormatDateTime(c.EditFormat(), twcell::GetDateTime(t, slot));
      }
    } catch (const plat::EConvertError& e) {
      // A date outside the years 1 to 9999 cannot be shown as one: the cell shows why instead.
      if (!IsDateType(c.DataType())) throw;
      text = e.what();
    }
  }
  if (OnGetText) OnGetText(&c, storeRow, text);
}

void TMemGrid::GetCellText(TwColumn* AColumn, int ARow, std::string& Text) {
  auto* c = static_cast<TwMemColumn*>(AColumn);
  if (Model().GridState().Designing()) {
    if (c->Defaults().empty()) {
      Text = c->DataType() == wdtGraphic ? "[Graphic]" : "";
      return;
    }
    try {
      TwEditValue v;
      twcell::SetText(c->SlotType(), v, c->Defaults());
      DisplayTextOf(*c, v, -1, Text);
    } catch (const std::exception&) {
      Text = "error";
    }
    return;
  }
  const int col = c->Index();
  if (c->EqualBlank() && ARow > TopRow() && !(ARow == Row() && editState_ != esBrowse)) {
    const plat::Variant above = Cells(col, ARow - 1).AsVariant();
    if (Cells(col, ARow).AsVariant() == above) {
      Text.clear();
      return;
    }
  }
  TwCells& cell = Cells(col, ARow);
  if (cell.InBuffer())
    DisplayTextOf(*c, c->EditValue(), cell.StoreRow(), Text);
  else
    DisplayTextOf(*c, TwPoolSlot(c->Pool(), cell.StoreRow()), cell.StoreRow(), Text);
}

TwIndicatorGlyph TMemGrid::GetIndicatorGlyph(int ARow) {
  if (RowCount() <= 0) return wigNone;
  if (Model().GridState().Designing()) return ARow == Row() ? wigCurrent : wigNone;
  if (ARow == Row()) {
    if (editState_ == esEdit) return wigEditing;
    if (editState_ == esInsert) return wigInserting;
    if (Selected(ARow)) return wigSelectedCurrent;
    if (ARow == TopRow() && ARow != 0) return wigMoreAbove;
    if (ARow == TopRow() + VisibleRowCount() - 1 && ARow != RowCount() - 1) return wigMoreBelow;
    return wigCurrent;
  }
  return Selected(ARow) ? wigSelected : wigNone;
}

bool TMemGrid::IsCellNull(TwColumn* AColumn, int ARow) {
  if (RowCount() <= 0) return true;
  if (Model().GridState().Designing()) return false;
  return Cells(AColumn->Index(), ARow).IsNull();
}

bool TMemGrid::GetCellChecked(TwColumn* AColumn, int ARow) {
  if (RowCount() <= 0 || Model().GridState().Designing()) return false;
  return Cells(AColumn->Index(), ARow).AsBoolean();
}

int TMemGrid::GetCellItemIndex(TwColumn* AColumn, int ARow) {
  if (RowCount() <= 0) return -1;
  auto* c = static_cast<TwMemColumn*>(AColumn);
  const auto& values = c->Values();
  std::string text;
  if (Model().GridState().Designing()) {
    text = c->Defaults();
  } else {
    TwCells& cell = Cells(c->Index(), ARow);
    if (cell.IsNull()) return -1;
    text = cell.AsString();
  }
  const auto k = std::find(values.begin(), values.end(), text);
  return k == values.end() ? -1 : int(k - values.begin());
}

int TMemGrid::GetCellImageIndex(TwColumn* AColumn, int ARow) {
  const int imageCount = AColumn->Images() ? AColumn->Images()->Count() : 0;
  if (RowCount() <= 0 || imageCount <= 0) return -1;
  if (Model().GridState().Designing()) return 0;
  int index = GetCellItemIndex(AColumn, ARow);
  if (index >= imageCount) index = -1;
  if (OnGetImageIndex) OnGetImageIndex(static_cast<TwMemColumn*>(AColumn), ARow, index);
  return index;
}

const QImage* TMemGrid::GetCellGraphic(TwColumn* AColumn, int ARow) {
  if (Model().GridState().Designing() || !OnGetImage) return nullptr;
  sharedGraphic_ = QImage();
  OnGetImage(static_cast<TwMemColumn*>(AColumn), ARow, sharedGraphic_);
  return &sharedGraphic_;
}

plat::Variant TMemGrid::GetEditValue(TwColumn* AColumn, int ARow) {
  if (RowCount() <= 0) return plat::Variant::Null();
  auto* c = static_cast<TwMemColumn*>(AColumn);
  TwCells& cell = Cells(c->Index(), ARow);
  if (cell.IsNull()) return plat::Variant::Null();
  switch (c->GetEditKind()) {
    case wekCheckBox:
    case wekBoolean:
      return plat::Variant(cell.AsBoolean());
    case wekRadioGroup: {
      const std::string s = cell.AsString();
      const auto& values = c->Values();
      const auto k = std::find(values.begin(), values.end(), s);
      return plat::Variant(std::int32_t(k == values.end() ? -1 : k - values.begin()));
    }
    default:
      return cell.AsVariant();
  }
}

void TMemGrid::InvalidateCurrent() {
  if (SelectedCount() > 0)
    InvalidateGrid();
  else if (HasOption(wgoRowSelect))
    InvalidateRow(Row());
  else
    InvalidateCell(Col(), Row());
}

bool TMemGrid::CommitEdit() {
  if (editState_ != esEdit && editState_ != esInsert) return false;
  if (!EditorMode() || Editing().EditColumn() != Col()) return false;
  TwMemColumn* c = Column(Editing().EditColumn());
  const plat::Variant v = Editing().ReadEditorValue();
  // An unchanged value is not written: writing would mark an untouched new row as typed into.
  if (v == GetEditValue(c, Editing().EditRow())) return true;
  TwCells& cell = Cells(Editing().EditColumn(), Editing().EditRow());
  if (v.IsNull()) {
    cell.SetNull();
    return true;
  }
  switch (c->GetEditKind()) {
    case wekCheckBox:
    case wekBoolean:
      cell.SetAsBoolean(v.ToBool());
      break;
    case wekRadioGroup: {
      const auto& values = c->Values();
      const std::int64_t k = v.ToInt64();
      if (k >= 0 && k < std::int64_t(values.size()))
        cell.SetAsString(values[std::size_t(k)]);
      else
        cell.SetNull();
      break;
    }
    case wekText:
    case wekMultiText:
    case wekPickList:
      cell.SetAsString(v.ToString());
      break;
    default:
      cell.SetAsVariant(v);
      break;
  }
  return true;
}

void TMemGrid::SetMemoText(const std::string& text) {
  TwMemColumn* c = Column(Col());
  if (c->CanModify()) Cells(Col(), Row()).SetAsString(text);
}

void TMemGrid::SetPicture(QImage& picture) {
  if (OnSetImage) OnSetImage(Column(Col()), Row(), picture);
}

TMemGrid::TwConsistency TMemGrid::CheckConsistency() const {
  std::string problem = infos_.CheckConsistency();
  if (!problem.empty()) return {problem};
  for (int i = 0; i < ColumnCount(); ++i) {
    const TwMemPool& p = Column(i)->Pool();
    if (!p.Prepared()) continue;
    const std::string pool = "column " + std::to_string(i) + ": its pool ";
    if (p.Count() != infos_.Count())
      return {pool + "holds " + std::to_string(p.Count()) + " rows, the row infos " +
              std::to_string(infos_.Count())};
    if (p.Capacity() % 16 != 0)
      return {pool + "has a capacity of " + std::to_string(p.Capacity()) + ", not a multiple of 16"};
    if (p.Count() > p.Capacity())
      return {pool + "holds " + std::to_string(p.Count()) + " rows beyond its capacity of " +
              std::to_string(p.Capacity())};
  }
  return {};
}

std::size_t TMemGrid::MemoryUsed() const {
  std::size_t m = infos_.MemoryUsed();
  for (int i = 0; i < ColumnCount(); ++i) m += Column(i)->Pool().MemoryUsed();
  return m;
}
