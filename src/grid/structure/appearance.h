#pragma once
// Appearance objects of the grid: the line sets TwGridLines/TwGridLinesEx, the inheriting draw-attribute
// base TwDrawObject and its titled descendant TwTitle.
//
// Inheriting properties: a TwDrawObject keeps one assigned flag per inheriting property. A set flag means
// the value was given to this object; a clear flag means the object reports its owner's value through the
// matching GetDefault... provider (a column title asks its column, a column its grid). A property is
// written to a form description only when its flag is set and its value differs from the provider's.
#include <QImage>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "grid/structure/draw_info.h"
#include "grid/structure/grid_font.h"
#include "platform/paint/color.h"

class TwGridModel;

/// Lines of an area: the line under a row (Horz) and at the right of a cell (Vert).
class TwGridLines {
 public:
  TwGridLines() = default;
  TwGridLines(const TwGridLines& o) { CopyValues(o); }
  TwGridLines& operator=(const TwGridLines& o) {
    Assign(o);
    return *this;
  }
  virtual ~TwGridLines() = default;

  TColor HorzColor() const { return horzColor_; }
  void SetHorzColor(TColor v) { Set(horzColor_, v); }
  TPenStyle HorzStyle() const { return horzStyle_; }
  void SetHorzStyle(TPenStyle v) { Set(horzStyle_, v); }
  std::uint16_t HorzWidth() const { return horzWidth_; }
  void SetHorzWidth(std::uint16_t v) { Set(horzWidth_, v); }
  TColor VertColor() const { return vertColor_; }
  void SetVertColor(TColor v) { Set(vertColor_, v); }
  TPenStyle VertStyle() const { return vertStyle_; }
  void SetVertStyle(TPenStyle v) { Set(vertStyle_, v); }
  std::uint16_t VertWidth() const { return vertWidth_; }
  void SetVertWidth(std::uint16_t v) { Set(vertWidth_, v); }

  /// Copies the values through the setters (one OnChange per changed value).
  virtual void Assign(const TwGridLines& source);

  /// Called after any property changed (not published).
  std::function<void()> OnChange;

 protected:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    if (OnChange) OnChange();
  }

 private:
  void CopyValues(const TwGridLines& o);
  TColor horzColor_ = 0;
  TPenStyle horzStyle_ = psSolid;
  std::uint16_t horzWidth_ = 1;
  TColor vertColor_ = 0;
  TPenStyle vertStyle_ = psSolid;
  std::uint16_t vertWidth_ = 1;
};

/// Adds the lines inside a group: between two columns of one level (Cell) and between two levels (Level).
class TwGridLinesEx : public TwGridLines {
 public:
  TwGridLinesEx() = default;
  TwGridLinesEx(const TwGridLinesEx& o) : TwGridLines(o) { CopyEx(o); }
  TwGridLinesEx& operator=(const TwGridLinesEx& o) {
    Assign(o);
    return *this;
  }

  TColor CellColor() const { return cellColor_; }
  void SetCellColor(TColor v) { Set(cellColor_, v); }
  TPenStyle CellStyle() const { return cellStyle_; }
  void SetCellStyle(TPenStyle v) { Set(cellStyle_, v); }
  std::uint16_t CellWidth() const { return cellWidth_; }
  void SetCellWidth(std::uint16_t v) { Set(cellWidth_, v); }
  TColor LevelColor() const { return levelColor_; }
  void SetLevelColor(TColor v) { Set(levelColor_, v); }
  TPenStyle LevelStyle() const { return levelStyle_; }
  void SetLevelStyle(TPenStyle v) { Set(levelStyle_, v); }
  std::uint16_t LevelWidth() const { return levelWidth_; }
  void SetLevelWidth(std::uint16_t v) { Set(levelWidth_, v); }

  void Assign(const TwGridLines& source) override;

 private:
  void CopyEx(const TwGridLinesEx& o);
  TColor cellColor_ = clSilver;
  TPenStyle cellStyle_ = psSolid;
  std::uint16_t cellWidth_ = 1;
  TColor levelColor_ = clSilver;
  TPenStyle levelStyle_ = psSolid;
  std::uint16_t levelWidth_ = 1;
};

/// Line fields of a drawing record.
void SetHorzLine(TwDrawInfo& d, TColor color, TPenStyle style, int width);
void SetVertLine(TwDrawInfo& d, TColor color, TPenStyle style, int width);
inline void SetHorzLine(TwDrawInfo& d, const TwGridLines& l) {
  SetHorzLine(d, l.HorzColor(), l.HorzStyle(), l.HorzWidth());
}
inline void SetVertLine(TwDrawInfo& d, const TwGridLines& l) {
  SetVertLine(d, l.VertColor(), l.VertStyle(), l.VertWidth());
}

/// The inheriting properties of a TwDrawObject, in the bit order of AssignedValues.
enum TwDrawValue : std::uint8_t {
  wdvAlignment,
  wdvColor,
  wdvFitStyle,
  wdvFont,
  wdvLayout,
  wdvMarginLeft,
  wdvMarginTop,
  wdvMarginRight,
  wdvMarginBottom,
  wdvWordWrap
};

struct TwMargins {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TwMargins&, const TwMargins&) = default;
};

class TwDrawObject {
 public:
  virtual ~TwDrawObject() = default;
  TwDrawObject(const TwDrawObject&) = delete;
  TwDrawObject& operator=(const TwDrawObject&) = delete;

  std::uint16_t AssignedValues() const { return assigned_; }
  bool IsAssigned(TwDrawValue v) const { return (assigned_ & (1u << v)) != 0; }
  /// The drawing record of the object as it stands (painting reads the records of the last layout, kept by
  /// TwGridExtents).
  TwDrawInfo DrawInfo() const {
    TwDrawInfo d;
    FillDrawInfo(d);
    return d;
  }

  // --- inheriting properties ---
  TAlignment Alignment() const { return IsAssigned(wdvAlignment) ? alignment_ : GetDefaultAlignment(); }
  void SetAlignment(TAlignment v) { SetInherited(alignment_, v, wdvAlignment); }
  TColor Color() const { return IsAssigned(wdvColor) ? color_ : GetDefaultColor(); }
  void SetColor(TColor v) { SetInherited(color_, v, wdvColor); }
  TwFitStyle FitStyle() const { return IsAssigned(wdvFitStyle) ? fitStyle_ : GetDefaultFitStyle(); }
  void SetFitStyle(TwFitStyle v) { SetInherited(fitStyle_, v, wdvFitStyle); }
  /// Always this object's own font; while not assigned it mirrors the default font.
  const TwFont& Font() const;
  void SetFont(const TwFont& v) { SetInherited(font_, v, wdvFont); }
  /// A null font is ignored.
  void SetFont(const TwFont* v) {
    if (v) SetFont(*v);
  }
  TTextLayout Layout() const { return IsAssigned(wdvLayout) ? layout_ : GetDefaultLayout(); }
  void SetLayout(TTextLayout v) { SetInherited(layout_, v, wdvLayout); }
  int MarginLeft() const { return IsAssigned(wdvMarginLeft) ? margins_.Left : GetDefaultMarginLeft(); }
  void SetMarginLeft(int v) { SetInherited(margins_.Left, v, wdvMarginLeft); }
  int MarginTop() const { return IsAssigned(wdvMarginTop) ? margins_.Top : GetDefaultMarginTop(); }
  void SetMarginTop(int v) { SetInherited(margins_.Top, v, wdvMarginTop); }
  int MarginRight() const { return IsAssigned(wdvMarginRight) ? margins_.Right : GetDefaultMarginRight(); }
  void SetMarginRight(int v) { SetInherited(margins_.Right, v, wdvMarginRight); }
  int MarginBottom() const {
    return IsAssigned(wdvMarginBottom) ? margins_.Bottom : GetDefaultMarginBottom();
  }
  void SetMarginBottom(int v) { SetInherited(margins_.Bottom, v, wdvMarginBottom); }
  bool WordWrap() const { return IsAssigned(wdvWordWrap) ? wordWrap_ : GetDefaultWordWrap(); }
  void SetWordWrap(bool v) { SetInherited(wordWrap_, v, wdvWordWrap); }
  /// The four stored margins at once; sets the four flags.
  const TwMargins& StoredMargins() const { return margins_; }
  void SetMargins(const TwMargins& m);

  // --- plain property ---
  TwCellStyle CellStyle() const { return cellStyle_; }
  void SetCellStyle(TwCellStyle v);
  TwCellStyle DefaultCellStyle() const { return defaultCellStyle_; }

  /// Whether a property goes to the form description (see the file comment; Font: whenever assigned).
  bool IsStored(TwDrawValue v) const;
  bool IsCellStyleStored() const { return cellStyle_ != defaultCellStyle_; }

  /// Copies CellStyle, and each inheriting value assigned in the source (so it becomes assigned here).
  virtual void Assign(const TwDrawObject& source);

  /// What to refresh after a change (each descendant decides).
  virtual void Changed() = 0;
  /// The owning grid, or nullptr when the object is not attached.
  virtual TwGridModel* GetGrid() const = 0;
  /// Fills a drawing record: the inherited text placement, the stored margins and CellStyle; descendants add
  /// clipping and lines. Reads the object and the grid's layout, writes nothing else.
  virtual void FillDrawInfo(TwDrawInfo& d) const;

  // --- default providers (the owner's values) ---
  virtual TAlignment GetDefaultAlignment() const { return taCenter; }
  virtual TColor GetDefaultColor() const { return clBtnFace; }
  virtual TwFitStyle GetDefaultFitStyle() const { return wfitNone; }
  virtual TwFont GetDefaultFont() const;
  virtual TTextLayout GetDefaultLayout() const { return tlCenter; }
  virtual int GetDefaultMarginBottom() const { return 0; }
  virtual int GetDefaultMarginLeft() const { return 0; }
  virtual int GetDefaultMarginRight() const { return 0; }
  virtual int GetDefaultMarginTop() const { return 0; }
  virtual bool GetDefaultWordWrap() const { return false; }

 protected:
  explicit TwDrawObject(TwCellStyle defaultCellStyle = wcsNormal)
      : cellStyle_(defaultCellStyle), defaultCellStyle_(defaultCellStyle) {}
  /// Sets the own value and its flag without notifying (constructors use it for owner defaults that count
  /// as assigned, like the indicators' font).
  template <class T>
  void InitAssigned(T& field, T v, TwDrawValue flag) {
    field = v;
    assigned_ |= std::uint16_t(1u << flag);
  }
  void ClearAssigned(TwDrawValue flag) { assigned_ &= std::uint16_t(~(1u << flag)); }
  TwFont& OwnFont() { return font_; }
  /// Loading state of the owning grid (false when not attached).
  bool GridLoading() const;

  template <class T>
  void SetInherited(T& field, const T& v, TwDrawValue flag) {
    if (IsAssigned(flag) && field == v) return;
    field = v;
    assigned_ |= std::uint16_t(1u << flag);
    Changed();
  }

 private:
  std::uint16_t assigned_ = 0;
  mutable TwFont font_;
  TAlignment alignment_ = taCenter;
  TwCellStyle cellStyle_;
  TwCellStyle defaultCellStyle_;
  TColor color_ = clBtnFace;
  TwFitStyle fitStyle_ = wfitNone;
  TTextLayout layout_ = tlCenter;
  TwMargins margins_;
  bool wordWrap_ = false;

  friend class TwTitle;
};

/// A draw object with a caption and an optional picture.
class TwTitle : public TwDrawObject {
 public:
  bool Pressed() const { return pressed_; }
  void SetPressed(bool v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view v);
  bool Clicking() const { return clicking_; }
  void SetClicking(bool v);
  const QImage& Image() const { return image_; }
  /// Copies the picture; outside loading an empty picture sets ImageLayout wimgNone and a picture given
  /// while the layout is wimgNone sets wimgLeft.
  void SetImage(const QImage& v);
  TwImageLayout ImageLayout() const { return imageLayout_; }
  void SetImageLayout(TwImageLayout v);

  void Assign(const TwDrawObject& source) override;
  bool GetDefaultWordWrap() const override { return true; }

 protected:
  explicit TwTitle(TwCellStyle defaultCellStyle = wcsRaised) : TwDrawObject(defaultCellStyle) {
    wordWrap_ = true;
  }

 private:
  bool pressed_ = false;
  std::string caption_;
  bool clicking_ = false;
  QImage image_;
  TwImageLayout imageLayout_ = wimgNone;
};
