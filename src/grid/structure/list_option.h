#pragma once
// Options describing how a drop-down value list looks: TwListoption (look), TwItemListOption (fields of
// the Items lines) and the column's TwColumnListOption. The list window itself belongs to the editors.
#include <string>
#include <string_view>

#include "grid/structure/grid_font.h"
#include "platform/paint/color.h"

class TwColumn;

class TwListoption {
 public:
  virtual ~TwListoption() = default;

  bool AutoDrop() const { return autoDrop_; }
  void SetAutoDrop(bool v) { Set(autoDrop_, v); }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool v) { Set(caseSensitive_, v); }
  /// Pixels per character for column widths; 0 the font's average width, negative its maximum width.
  int CharWidth() const { return charWidth_; }
  void SetCharWidth(int v) { Set(charWidth_, v); }
  bool ColLines() const { return colLines_; }
  void SetColLines(bool v) { Set(colLines_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Set(color_, v); }
  /// The list's fonts follow the parent font until they are set.
  const TwFont& Font() const;
  void SetFont(const TwFont& v);
  bool FontAssigned() const { return fontAssigned_; }
  int ItemCount() const { return itemCount_; }
  void SetItemCount(int v) { Set(itemCount_, v); }
  TColor LineColor() const { return lineColor_; }
  void SetLineColor(TColor v) { Set(lineColor_, v); }
  bool RowLines() const { return rowLines_; }
  void SetRowLines(bool v) { Set(rowLines_, v); }
  bool ShowTitle() const { return showTitle_; }
  void SetShowTitle(bool v) { Set(showTitle_, v); }
  TColor TitleColor() const { return titleColor_; }
  void SetTitleColor(TColor v) { Set(titleColor_, v); }
  const TwFont& TitleFont() const;
  void SetTitleFont(const TwFont& v);
  bool TitleFontAssigned() const { return titleFontAssigned_; }
  /// 0 the editor's width, -1 the columns' natural width, below -1 the larger of both, else pixels.
  int Width() const { return width_; }
  void SetWidth(int v) { Set(width_, v); }

  /// Copies the fonts only when this option already uses its own, all other values always.
  virtual void Assign(const TwListoption& s);

 protected:
  virtual TwFont ParentFont() const { return TwFont{}; }
  virtual TwFont ParentTitleFont() const { return ParentFont(); }
  virtual void Changed() {}
  template <class T>
  void Set(T& field, const T& v) {
    if (field == v) return;
    field = v;
    Changed();
  }

 private:
  bool autoDrop_ = true;
  bool caseSensitive_ = false;
  int charWidth_ = 0;
  bool colLines_ = false;
  TColor color_ = clBtnFace;
  mutable TwFont font_;
  bool fontAssigned_ = false;
  int itemCount_ = 8;
  TColor lineColor_ = 0x808080;
  bool rowLines_ = false;
  bool showTitle_ = false;
  TColor titleColor_ = 0x808080;
  mutable TwFont titleFont_;
  bool titleFontAssigned_ = false;
  int width_ = 0;
};

class TwItemListOption : public TwListoption {
 public:
  char Separator() const { return separator_; }
  /// Characters up to and including the blank are ignored.
  void SetSeparator(char v);
  const std::string& Titles() const { return titles_; }
  void SetTitles(std::string_view v);
  int ValuesIndex() const { return valuesIndex_; }
  void SetValuesIndex(int v);

  void Assign(const TwListoption& s) override;

 protected:
  /// What setting ValuesIndex notifies (nothing here).
  virtual void ValuesIndexChanged() {}

 private:
  char separator_ = ';';
  std::string titles_;
  int valuesIndex_ = -1;
};

class TwColumnListOption : public TwItemListOption {
 public:
  explicit TwColumnListOption(TwColumn* column) : column_(column) {}
  ~TwColumnListOption() override;
  TwColumn* Column() const { return column_; }

  TwImageList* Images() const { return images_; }
  void SetImages(TwImageList* v);
  bool ValuesOnly() const { return valuesOnly_; }
  void SetValuesOnly(bool v) { Set(valuesOnly_, v); }

  void Assign(const TwListoption& s) override;

 protected:
  TwFont ParentFont() const override;
  void Changed() override;
  void ValuesIndexChanged() override { Changed(); }

 private:
  TwColumn* column_;
  TwImageList* images_ = nullptr;
  TwImageChangeLink imagesLink_;
  bool valuesOnly_ = true;
};
