#pragma once
// The look of the fixed area (TwFixedStyle) and the two side columns at the left edge of every row: the
// row indicators (TwIndicators, display index -2) and the optional marker column (TwMarkers, index -1).
#include <memory>

#include "grid/structure/appearance.h"
#include "platform/paint/color.h"

/// Glyph indices of the indicator glyph list; wigNone shows the row number instead.
enum class TwIndicatorGlyph : std::uint8_t {
  wigCurrent = 0,          ///< current-row arrow
  wigMoreAbove = 1,        ///< more rows above
  wigMoreBelow = 2,        ///< more rows below
  wigEditing = 3,          ///< row being edited
  wigInserting = 4,        ///< row being inserted
  wigSelected = 5,         ///< selected row
  wigSelectedCurrent = 6,  ///< selected current row
  wigNone = 7              ///< no glyph
};
using enum TwIndicatorGlyph;

/// Set of TwFixedOption (one byte, bit n = option n).
class TwFixedOptions {
 public:
  constexpr TwFixedOptions() = default;
  constexpr TwFixedOptions(std::initializer_list<TwFixedOption> l) {
    for (auto o : l) bits_ = std::uint8_t(bits_ | (1u << o));
  }
  static constexpr TwFixedOptions FromBits(std::uint8_t bits) {
    TwFixedOptions o;
    o.bits_ = std::uint8_t(bits & 0x1F);
    return o;
  }
  constexpr bool Contains(TwFixedOption o) const { return (bits_ & (1u << o)) != 0; }
  constexpr std::uint8_t Bits() const { return bits_; }
  friend constexpr bool operator==(TwFixedOptions, TwFixedOptions) = default;

 private:
  std::uint8_t bits_ = 0;
};

class TwFixedStyle {
 public:
  explicit TwFixedStyle(TwGridModel* grid);
  TwGridModel* Grid() const { return grid_; }

  TwCellStyle CellStyle() const { return cellStyle_; }
  void SetCellStyle(TwCellStyle v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TwGridLinesEx& Lines() { return lines_; }
  const TwGridLinesEx& Lines() const { return lines_; }
  void SetLines(const TwGridLines& v) { lines_.Assign(v); }
  TwFixedOptions Options() const { return options_; }
  /// Only a change of wfxColumnColor repaints; the other options are read when the user acts.
  void SetOptions(TwFixedOptions v);
  TColor SelBgColor() const { return selBgColor_; }
  void SetSelBgColor(TColor v);
  TColor SelFgColor() const { return selFgColor_; }
  void SetSelFgColor(TColor v);

  void Assign(const TwFixedStyle& s);

 private:
  void Changed();
  TwGridModel* grid_;
  TwCellStyle cellStyle_ = wcsRaised;
  TColor color_ = clBtnFace;
  TwGridLinesEx lines_;
  TwFixedOptions options_;
  TColor selBgColor_ = clBtnShadow;
  TColor selFgColor_ = clWhite;
};

class TwIndicators : public TwDrawObject {
 public:
  static constexpr int kMinWidthWithState = 13;
  static constexpr int kMinWidth = 4;

  explicit TwIndicators(TwGridModel* grid);
  TwGridModel* GetGrid() const override { return grid_; }
  void Changed() override;
  void FillDrawInfo(TwDrawInfo& d) const override;
  void Assign(const TwDrawObject& source) override;

  /// The seven glyphs (TwIndicatorGlyph), 11 x 11 pixels each.
  const TwImageList& Glyphs() const { return *glyphs_; }
  TwGridLines& Lines() { return lines_; }
  const TwGridLines& Lines() const { return lines_; }
  void SetLines(const TwGridLines& v) { lines_.Assign(v); }
  TColor SelBgColor() const { return selBgColor_; }
  void SetSelBgColor(TColor v);
  bool SelDown() const { return selDown_; }
  void SetSelDown(bool v);
  TColor SelFgColor() const { return selFgColor_; }
  void SetSelFgColor(TColor v);
  bool ShowRowNo() const { return showRowNo_; }
  void SetShowRowNo(bool v);
  bool ShowState() const { return showState_; }
  void SetShowState(bool v);
  bool Sizing() const { return sizing_; }
  void SetSizing(bool v) { sizing_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int Width() const { return width_; }
  void SetWidth(int v);

 private:
  TwGridModel* grid_;
  std::unique_ptr<TwImageList> glyphs_;
  TwGridLines lines_;
  TColor selBgColor_ = clBtnFace;
  bool selDown_ = true;
  TColor selFgColor_ = 0;
  bool showRowNo_ = true;
  bool showState_ = true;
  bool sizing_ = false;
  bool visible_ = true;
  int width_ = 21;
};

class TwMarkers : public TwDrawObject {
 public:
  explicit TwMarkers(TwGridModel* grid);
  ~TwMarkers() override;
  TwGridModel* GetGrid() const override { return grid_; }
  void Changed() override;
  void FillDrawInfo(TwDrawInfo& d) const override;
  void Assign(const TwDrawObject& source) override;

  TwGridLines& Lines() { return lines_; }
  const TwGridLines& Lines() const { return lines_; }
  void SetLines(const TwGridLines& v) { lines_.Assign(v); }
  bool Clicking() const { return clicking_; }
  void SetClicking(bool v) { clicking_ = v; }
  TwImageLayout ImageLayout() const { return imageLayout_; }
  void SetImageLayout(TwImageLayout v);
  TwImageList* Images() const { return images_; }
  void SetImages(TwImageList* v);
  TwMarkerStyle Style() const { return style_; }
  void SetStyle(TwMarkerStyle v);
  bool Sizing() const { return sizing_; }
  void SetSizing(bool v) { sizing_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int Width() const { return width_; }
  void SetWidth(int v);

 private:
  TwGridModel* grid_;
  TwGridLines lines_;
  bool clicking_ = false;
  TwImageLayout imageLayout_ = wimgAlone;
  TwImageList* images_ = nullptr;
  TwImageChangeLink imagesLink_;
  TwMarkerStyle style_ = wmsDefault;
  bool sizing_ = false;
  bool visible_ = false;
  int width_ = 15;
};

/// The seven indicator glyphs, in glyph order, as 11 x 11 pictures whose background is the mask colour.
QImage IndicatorGlyphImage(int index);
constexpr TColor kIndicatorMaskColor = 0x008080;
