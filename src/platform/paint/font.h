#pragma once
// Fonts as a window system describes them: face name, pixel height, style bits and colour.
//
// Height follows the Windows rule: a negative height is the character height (the em size in pixels), a
// positive one the cell height (ascent + descent). Faces this machine lacks ("MS Sans Serif", "Arial",
// "굴림", ...) are substituted by installed ones; Hangul always renders because a Hangul face is in every
// font's fallback list. The Qt font and its metrics are built once per distinct font and cached.
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QList>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/paint/color.h"

namespace plat::paint {

enum FontStyleBit : std::uint8_t { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8 };

/// The text metrics the grid uses, named as the window system names them.
struct TTextMetric {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
};

/// The installed face used for a requested face name.
std::string SubstituteFace(std::string_view face);

class TFont {
 public:
  TFont() = default;
  TFont(std::string_view name, int height, std::uint8_t style = 0, TColor color = clWindowText);

  const std::string& Name() const { return name_; }
  int Height() const { return height_; }
  /// Size in points at 96 pixels per inch (the character height).
  int Size() const;
  std::uint8_t Style() const { return style_; }
  TColor Color() const { return color_; }

  void SetName(std::string_view name);
  void SetHeight(int height);
  void SetSize(int points);
  void SetStyle(std::uint8_t style);
  void SetColor(TColor color) { color_ = color; }
  /// Takes all four; does nothing when they already agree (no allocation in the paint loop).
  void Assign(const TFont& other);

  const QFont& QtFont() const;
  const QFontMetrics& QtMetrics() const;
  const TTextMetric& Metrics() const;

  /// The advance of a line of text, as QtMetrics().horizontalAdvance gives it. On the GUI thread the
  /// answer is kept with the font, so a text painted again is not measured again.
  int Advance(QStringView text) const;
  /// The glyphs of a line of text, shaped as QPainter::drawText shapes them, placed from the left end of
  /// the baseline; kept like Advance from the second time a text is asked for. Empty the first time, when
  /// the font is underlined or struck out, or when the text is empty: such text is drawn by
  /// QPainter::drawText. The list stays valid until the next call.
  const QList<QGlyphRun>& GlyphRuns(QStringView text) const;

  bool SameFace(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_;
  }
  friend bool operator==(const TFont& a, const TFont& b) { return a.SameFace(b) && a.color_ == b.color_; }

 private:
  struct Resolved;
  const Resolved& Resolve() const;

  std::string name_ = "MS Sans Serif";
  int height_ = -11;  ///< 8 points
  std::uint8_t style_ = 0;
  TColor color_ = clWindowText;
  mutable std::shared_ptr<const Resolved> resolved_;
};

/// Metrics of the screen's default font (the system font of a dialog: "MS Sans Serif", 8 points).
const TFont& DefaultFont();

}  // namespace plat::paint
