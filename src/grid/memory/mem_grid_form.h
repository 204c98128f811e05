#pragma once
// TMemGrid in the form description: its published properties, its memory columns and their footers, and
// reading and writing a whole grid.
//
//   object Mgr_grid: TMemGrid
//     Options = [wgoArrowMove, wgoRowSelect]
//     Columns = <
//       item
//         Alignment = taCenter
//         Footer.Style = ('399990')      one aggregate style per footer row of the grid
//         Title.Caption = 'C'
//         DataType = wdtBool
//         DataWidth = 1
//         ColWidth = 26
//         GrpWidth = 64
//       end>
//     ...
//   end
//
// Reading sets the properties while the grid is in its Loading state, then runs Loaded: the description
// is rebuilt (visible lists, footers, FixedCount) and the store is prepared with the row count read.
//
// DataWidth is written whenever it differs from 16, the width a new column gets, so a column saved with
// any other width (8 included) reads back with it; a description without DataWidth reads as 16.
#include <memory>
#include <string>
#include <string_view>

#include "grid/memory/mem_grid.h"
#include "platform/persist/properties.h"

namespace twform {

/// The width of a new column's text, and of a column whose description does not give one.
inline constexpr int kNewColumnDataWidth = 16;

plat::persist::PropertyListPtr<TwMemColumnFooter> MemColumnFooterProps();
plat::persist::PropertyListPtr<TwMemColumn> MemColumnProps();
plat::persist::PropertyListPtr<TMemGrid> MemGridProps();

/// A new grid read from the text. Raises plat::persist::EFormError (with line and column) when the text
/// is not a readable TMemGrid description; the grid made for it is then destroyed again.
std::unique_ptr<TMemGrid> ReadMemGridForm(std::string_view text, QWidget* parent = nullptr);
/// Loads a grid that has just been created (no columns, no rows) from a parsed object. On an error the grid
/// is left half-loaded: the caller destroys it (ReadMemGridForm does).
void LoadMemGrid(TMemGrid& grid, const plat::persist::FormObject& object);

/// The grid's description, named by its object name.
plat::persist::FormObject MemGridFormObject(const TMemGrid& grid);
std::string WriteMemGridForm(const TMemGrid& grid);

}  // namespace twform
