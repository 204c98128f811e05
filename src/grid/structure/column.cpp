#include "grid/structure/column.h"

#include <algorithm>

namespace {
template <class T>
bool Store(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}
}  // namespace

// --- TwColumnTitle, TwColumnListOption --------------------------------------------------------------

void TwColumnTitle::SetCaption(std::string_view v) {
  if (caption_ == v) return;
  caption_ = std::string(v);
  column_->Changed();
}

void TwColumnListOption::SetSeparator(char v) {
  // A separator at or below the blank would split nothing sensibly; it is ignored.
  if (static_cast<unsigned char>(v) <= ' ') return;
  if (Store(separator_, v)) column_->Changed();
}

void TwColumnListOption::SetValuesIndex(int v) {
  if (Store(valuesIndex_, v)) column_->Changed();
}

void TwColumnListOption::SetValuesOnly(bool v) {
  if (Store(valuesOnly_, v)) column_->Changed();
}

// --- TwColumn -------------------------------------------------------------------------------------

TwColumn::TwColumn(TwColumns* collection) : collection_(collection) {}

TwColumn::~TwColumn() = default;

int TwColumn::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

std::string TwColumn::DisplayName() const {
  if (!title_.Caption().empty()) return title_.Caption();
  return "TwColumn" + std::to_string(Index());
}

const plat::ComponentState& TwColumn::GridState() const {
  static const plat::ComponentState none;
  return collection_ && collection_->Owner() ? collection_->Owner()->GridState() : none;
}

void TwColumn::Changed(bool allItems) {
  if (collection_) collection_->Update(allItems ? nullptr : this);
}

TwAlignment TwColumn::Alignment() const {
  if (alignmentAssigned_) return alignment_;
  if (IsNumeric()) return taRightJustify;
  if (IsGraphic()) return taCenter;
  return taLeftJustify;
}

void TwColumn::SetAlignment(TwAlignment v) {
  if (alignmentAssigned_ && alignment_ == v) return;
  alignment_ = v;
  alignmentAssigned_ = true;
  Changed();
}

void TwColumn::SetColor(TColor v) {
  if (Store(color_, v)) Changed();
}
void TwColumn::SetEditFormat(std::string_view v) {
  if (editFormat_ == v) return;
  editFormat_ = std::string(v);
  Changed();
}
void TwColumn::SetEditStyle(TwEditStyle v) {
  if (!Store(editStyle_, v)) return;
  if (!GridState().Loading()) Changed();
}
void TwColumn::SetEqualBlank(bool v) {
  if (Store(equalBlank_, v)) Changed();
}
void TwColumn::SetItems(TwStrings v) {
  items_ = std::move(v);
  Changed();
}
void TwColumn::SetValues(TwStrings v) {
  values_ = std::move(v);
  Changed();
}
void TwColumn::SetMaxLength(int v) {
  if (!GridState().Loading()) v = std::max(0, v);
  if (Store(maxLength_, v)) Changed();
}
void TwColumn::SetReadOnly(bool v) {
  if (Store(readOnly_, v)) Changed();
}
void TwColumn::SetVisible(bool v) {
  if (!Store(visible_, v)) return;
  if (collection_) collection_->RebuildVisible();
  Changed(true);
}
void TwColumn::SetColWidth(int v) {
  if (Store(colWidth_, v)) Changed(true);
}

bool TwColumn::ItemsMapValues() const { return !values_.empty() && items_.size() >= values_.size(); }

std::string TwColumn::GetBoolValue(int index) const {
  if (values_.size() > 1 && index >= 0 && index < int(values_.size())) return values_[std::size_t(index)];
  return index == 0 ? "False" : "True";
}

std::string TwColumn::GetBoolText(int index) const {
  if (ItemsMapValues() && values_.size() > 1 && index >= 0 && index < int(items_.size()))
    return items_[std::size_t(index)];
  return GetBoolValue(index);
}

bool TwColumn::CanShowEditor() const {
  const TwEditKind k = GetEditKind();
  if (k == wekNone) return false;
  if ((k == wekDate || k == wekTime) && readOnly_) return false;
  return true;
}

bool TwColumn::CanFocus() const { return !readOnly_; }

bool TwColumn::CanModify() {
  if (readOnly_) return false;
  TwColumnsOwner* owner = collection_ ? collection_->Owner() : nullptr;
  return owner ? owner->ColumnCanModify(this) : true;
}

// --- TwColumns ------------------------------------------------------------------------------------

TwColumns::TwColumns(TwColumnsOwner* owner, Factory factory) : owner_(owner), factory_(std::move(factory)) {}

TwColumns::~TwColumns() {
  // Columns may ask the collection for their index while they are destroyed: clear the lists first.
  visible_.clear();
  auto items = std::move(items_);
  items.clear();
}

int TwColumns::IndexOf(const TwColumn* c) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == c) return int(i);
  return -1;
}

TwColumn* TwColumns::Add() {
  items_.push_back(factory_(this));
  TwColumn* c = items_.back().get();
  RebuildVisible();
  if (owner_) owner_->ColumnAdded(c);
  Update(nullptr);
  return c;
}

void TwColumns::Delete(int i) {
  if (i < 0 || i >= Count()) return;
  if (owner_) owner_->ColumnRemoving(items_[std::size_t(i)].get());
  std::unique_ptr<TwColumn> doomed = std::move(items_[std::size_t(i)]);
  items_.erase(items_.begin() + i);
  RebuildVisible();
  doomed.reset();
  Update(nullptr);
}

void TwColumns::Clear() {
  BeginUpdate();
  while (Count() > 0) Delete(Count() - 1);
  EndUpdate();
}

void TwColumns::RebuildVisible() {
  visible_.clear();
  for (auto& c : items_)
    if (c->Visible()) visible_.push_back(c.get());
}

void TwColumns::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Update(nullptr);
}

void TwColumns::Update(TwColumn* item) {
  if (updateCount_ > 0 || !owner_) return;
  if (owner_->GridState().Loading() || owner_->GridState().Updating()) return;
  owner_->ColumnsChanged(item);
}
