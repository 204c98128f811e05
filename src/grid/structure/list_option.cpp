#include "grid/structure/list_option.h"

#include "grid/structure/column.h"

const TwFont& TwListoption::Font() const {
  if (!fontAssigned_) {
    TwFont p = ParentFont();
    if (!(font_ == p)) font_ = std::move(p);
  }
  return font_;
}

void TwListoption::SetFont(const TwFont& v) {
  if (fontAssigned_ && font_ == v) return;
  font_ = v;
  fontAssigned_ = true;
  Changed();
}

const TwFont& TwListoption::TitleFont() const {
  if (!titleFontAssigned_) {
    TwFont p = ParentTitleFont();
    if (!(titleFont_ == p)) titleFont_ = std::move(p);
  }
  return titleFont_;
}

void TwListoption::SetTitleFont(const TwFont& v) {
  if (titleFontAssigned_ && titleFont_ == v) return;
  titleFont_ = v;
  titleFontAssigned_ = true;
  Changed();
}

void TwListoption::Assign(const TwListoption& s) {
  SetAutoDrop(s.autoDrop_);
  SetCaseSensitive(s.caseSensitive_);
  SetCharWidth(s.charWidth_);
  SetColLines(s.colLines_);
  SetColor(s.color_);
  if (fontAssigned_) SetFont(s.Font());
  SetItemCount(s.itemCount_);
  SetLineColor(s.lineColor_);
  SetRowLines(s.rowLines_);
  SetShowTitle(s.showTitle_);
  SetTitleColor(s.titleColor_);
  if (titleFontAssigned_) SetTitleFont(s.TitleFont());
  SetWidth(s.width_);
}

void TwItemListOption::SetSeparator(char v) {
  if (static_cast<unsigned char>(v) <= ' ') return;
  Set(separator_, v);
}

void TwItemListOption::SetTitles(std::string_view v) {
  if (titles_ == v) return;
  titles_ = std::string(v);
  Changed();
}

void TwItemListOption::SetValuesIndex(int v) {
  if (valuesIndex_ == v) return;
  valuesIndex_ = v;
  ValuesIndexChanged();
}

void TwItemListOption::Assign(const TwListoption& s) {
  TwListoption::Assign(s);
  if (auto* o = dynamic_cast<const TwItemListOption*>(&s)) {
    SetSeparator(o->Separator());
    SetTitles(o->Titles());
    SetValuesIndex(o->ValuesIndex());
  }
}

TwColumnListOption::~TwColumnListOption() {
  if (images_) images_->UnregisterChanges(&imagesLink_);
}

void TwColumnListOption::SetImages(TwImageList* v) {
  if (images_ == v) return;
  if (images_) images_->UnregisterChanges(&imagesLink_);
  images_ = v;
  if (images_) {
    imagesLink_.Changed = [this] { Changed(); };
    imagesLink_.Freed = [this] { images_ = nullptr; };
    images_->RegisterChanges(&imagesLink_);
  }
  Changed();
}

void TwColumnListOption::Assign(const TwListoption& s) {
  TwItemListOption::Assign(s);
  if (auto* o = dynamic_cast<const TwColumnListOption*>(&s)) {
    SetImages(o->Images());
    SetValuesOnly(o->ValuesOnly());
  }
}

TwFont TwColumnListOption::ParentFont() const {
  return column_->Font();
}

void TwColumnListOption::Changed() {
  column_->Changed();
}
