#pragma once
// The appearance enumerations of the grid and TwDrawInfo, the drawing record every painted area is
// prepared into and the cell drawing routines consume.
#include <cstdint>

/// Colours are 32-bit values 0x00BBGGRR; 0xFF0000nn are the system colours (nn = the colour index).
using TColor = std::uint32_t;

enum class TwCellStyle : std::uint8_t { wcsNormal, wcsRaised, wcsSunken, wcsUp, wcsDown };
using enum TwCellStyle;
enum class TwFitStyle : std::uint8_t { wfitNone, wfitEnd, wfitPath };
using enum TwFitStyle;
enum class TwImageLayout : std::uint8_t { wimgNone, wimgAlone, wimgLeft, wimgRight, wimgTop, wimgBottom };
using enum TwImageLayout;
enum TwFixedOption : std::uint8_t { wfxColumnColor, wfxEditing, wfxMoving, wfxSelecting, wfxSizing };
enum class TwSortMark : std::uint8_t { wsmNone, wsmAsc, wsmDesc };
using enum TwSortMark;
enum class TwMarkerStyle : std::uint8_t { wmsDefault, wmsBoolean, wmsCheckBox, wmsFlatCheckBox };
using enum TwMarkerStyle;

/// Horizontal alignment and vertical layout, with their ordinal values.
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;
enum class TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
using enum TTextLayout;
enum class TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};
using enum TPenStyle;

/// A cleared record (every field zero) means: left, top, no fit, no wrap, no clipping at 0, no margins,
/// no lines, wcsNormal, no focus.
struct TwDrawInfo {
  TAlignment Alignment = taLeftJustify;
  TwFitStyle FitStyle = wfitNone;
  TTextLayout Layout = tlTop;
  bool WordWrap = false;
  std::int32_t ClipLeft = 0;
  std::int32_t ClipBottom = 0;
  std::int32_t Margins[4] = {0, 0, 0, 0};  // left, top, right, bottom
  TColor HorzLineColor = 0;
  TPenStyle HorzLineStyle = psSolid;
  std::int32_t HorzLineWidth = 0;
  TColor VertLineColor = 0;
  TPenStyle VertLineStyle = psSolid;
  std::int32_t VertLineWidth = 0;
  TwCellStyle CellStyle = wcsNormal;
  bool Focused = false;

  void Clear() { *this = TwDrawInfo{}; }
};
