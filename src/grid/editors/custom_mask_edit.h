#pragma once
// TwCustomMaskEdit: a single-line masked edit (Qt's line edit with its input-mask syntax) that can align its
// text line vertically inside a tall cell, keep margins, and reserve a button area at its right edge that a
// descendant paints.
//
// Geometry, in client coordinates (the inside of the frame, origin at its top-left):
//   button rectangle  GetButtonRect; here an empty strip at the right edge
//   edit rectangle    GetEditRect: Margins.Left .. button left - Margins.Right across, one font height high,
//                     placed at the top, centre or bottom by Layout
// The edit rectangle becomes the line edit's text margins, so Qt lays the text line exactly into it.
#include <QLineEdit>
#include <string>
#include <string_view>

#include "grid/structure/draw_info.h"
#include "grid/structure/qt_text.h"
#include "platform/paint/canvas.h"
#include "platform/paint/font.h"

struct TwEditMargins {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TwEditMargins&, const TwEditMargins&) = default;
};

class TwCustomMaskEdit : public QLineEdit {
 public:
  explicit TwCustomMaskEdit(QWidget* parent = nullptr);
  ~TwCustomMaskEdit() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v);
  const TwEditMargins& Margins() const { return margins_; }
  void SetMargins(const TwEditMargins& v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);
  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool v) { setReadOnly(v); }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  const plat::paint::TFont& Font() const { return font_; }
  void SetFont(const plat::paint::TFont& f);
  /// The mask in Qt's input-mask syntax; empty for none.
  std::string EditMask() const { return tw::FromQ(inputMask()); }
  void SetEditMask(std::string_view mask) { setInputMask(tw::ToQ(mask)); }
  std::string Text() const { return tw::FromQ(text()); }
  void SetText(std::string_view t);
  bool Modified() const { return isModified(); }

  /// Paints the button area; nothing here. Rect is in the canvas's coordinates.
  virtual void DrawButton(plat::paint::TCanvas& DC, const plat::paint::TRect& Rect) {}
  virtual void GetButtonRect(plat::paint::TRect& Rect) const;
  virtual void GetEditRect(plat::paint::TRect& Rect) const;
  /// Hands the edit rectangle to the line edit.
  void UpdateEditRect();
  void InvalidateButton();
  /// The client rectangle in widget coordinates (where client coordinates start).
  plat::paint::TRect ClientRect() const;
  int ClientHeight() const { return ClientRect().Height(); }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  bool EscUndoes() const { return !inputMask().isEmpty() && isModified(); }

  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  TwEditMargins margins_;
  TColor color_;
  bool ctl3D_ = true;
  bool autoSelect_ = true;
  plat::paint::TFont font_;
  QString oldValue_;  ///< the text on entering or as last set, which Esc brings back under a mask
};
