#pragma once
// The description objects in the form description: one property list per class, with each published
// property's getter, setter and stored test.
//
// Stored tests follow the objects' own rules: a plain property is written when it differs from its
// default; an inheriting property (alignment, colour, font, ... of a draw object; alignment, font and input
// method of a column) only when it was assigned and differs from the owner's value, the font whenever it
// was assigned; per-mode sizes are written under their own names ("ColWidth", "GrpWidth", "ColHeight",
// "GrpHeight") always, never the published Width or Height that serves the current mode.
//
// A data grid builds its own lists (its column class, its grid properties) from these.
#include "grid/structure/column.h"
#include "grid/structure/group.h"
#include "grid/structure/headers.h"
#include "grid/structure/side_columns.h"
#include "platform/persist/properties.h"

namespace twform {

using plat::persist::PropertyList;
using plat::persist::PropertyListPtr;

/// Colours by their names (clBtnFace, clMoneyGreen, ...) where they have one.
const plat::persist::IdentIntConv& ColorConv();
plat::persist::EnumConv<TAlignment> AlignmentConv();
plat::persist::EnumConv<TTextLayout> LayoutConv();
plat::persist::EnumConv<TwCellStyle> CellStyleConv();
plat::persist::EnumConv<TwFitStyle> FitStyleConv();
plat::persist::EnumConv<TwImageLayout> ImageLayoutConv();
plat::persist::EnumConv<TPenStyle> PenStyleConv();
plat::persist::EnumConv<TImeMode> ImeModeConv();

/// The font as a value: Name, Size, Color always, Style when not empty.
PropertyListPtr<TwFont> FontProps();
/// Lines whose defaults are the owner's: the values of a freshly made object of that owner.
PropertyListPtr<TwGridLines> LinesProps(const TwGridLines& defaults);
PropertyListPtr<TwGridLinesEx> LinesExProps(const TwGridLinesEx& defaults);

PropertyListPtr<TwDrawObject> DrawObjectProps();
PropertyListPtr<TwTitle> TitleProps();
PropertyListPtr<TwColumnTitle> ColumnTitleProps();
/// The column footer: draw attributes and the stored texts ("Values").
PropertyListPtr<TwColumnFooter> ColumnFooterProps();
PropertyListPtr<TwColumnListOption> ListOptionProps();

/// TwColumn's published properties, and the widths it stores under their own names, which come after the
/// published properties of the most derived column class.
PropertyList<TwColumn> ColumnProps();
PropertyList<TwColumn> ColumnStoredWidths();

/// A group: Levels, NoColTitles, Title, Visible, Weight, Width, and its 16 level weights as "Weights".
PropertyListPtr<TwGroupTitle> GroupTitleProps();
PropertyListPtr<TwGroup> GroupProps();

PropertyListPtr<TwGridHeaders> HeadersProps();
PropertyListPtr<TwGridFooter> FooterProps();
PropertyListPtr<TwFixedStyle> FixedStyleProps();
PropertyListPtr<TwIndicators> IndicatorsProps();
PropertyListPtr<TwMarkers> MarkersProps();

/// The grid-level properties of the description model, in this order: Color, Font, ImeMode, ImeName,
/// GroupMode, Lines, EndLines, FixedStyle, Indicators, Markers, Headers, Footers, Groups; then, at the end
/// of a grid's list, the per-mode sizes ColRowHeight, GrpRowHeight, ColFixedCount and GrpFixedCount
/// (ModelStoredSizes).
PropertyList<TwGridModel> ModelProps();
PropertyList<TwGridModel> ModelStoredSizes();

}  // namespace twform
