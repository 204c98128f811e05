#pragma once
// A cell renderer owns the look of the data cells of one edit kind, or of a custom kind a program registers
// under a name: from the cell's record, its prepared drawing record and the canvas set to the cell's colours
// and font, it draws the whole cell with the cell routines of the drawing helpers, reading the cell's value
// through the grid's data operations (GetCellText, GetCellChecked, GetCellGraphic, ...). What is not a
// kind's look stays the grid's: the colours and font, the null mark, the empty grid's cells and the lines
// under an open editor.
//
// TwRendererRegistry: the renderers of one grid, one per edit kind and any number of custom kinds by name.
// The grid installs the standard ones itself; a program replaces a kind's or adds its own. A column with a
// CustomKind registered here is painted by that renderer; every other column by the renderer of its edit
// kind (a graphic column by the picture kind's). Painting resolves each column's renderer once per paint.
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "grid/structure/column.h"
#include "grid/view/cell_walk.h"
#include "grid/view/draw_helpers.h"

/// What one data cell's draw takes.
struct TwCellPaint {
  TwCustomGrid& Grid;        ///< the cell's values: GetCellChecked, GetCellGraphic, GetEditValue, ...
  TCanvas& Canvas;           ///< the target: the brush colour is the background, the font the text's
  const TwCellRecord& Cell;  ///< the column, the row, Null, Current, ...
  const TRect& Rect;         ///< the cell's rectangle (the record's)
  const TwDrawInfo& Draw;    ///< the drawing record with this cell's focus, bottom line and selection look
  std::string& Text;         ///< the cell's text as OnDrawCell left it; the renderer may reuse it
  TwCellButtons Buttons;     ///< the edit buttons the cell shows
};

class TwCellRenderer {
 public:
  virtual ~TwCellRenderer() = default;
  virtual void Paint(const TwCellPaint& p) const = 0;
  /// True when a null value has a look of this kind (a grayed check box); otherwise a null cell shows the
  /// grid's null mark when wgoNullMark is set.
  virtual bool PaintsNull() const { return false; }
};

class TwRendererRegistry {
 public:
  using Renderer = std::shared_ptr<const TwCellRenderer>;
  static constexpr int kKinds = int(wekPicture) + 1;

  /// A null renderer takes the kind's away: its cells then show only their background and lines. An empty
  /// custom name is not a kind and is ignored.
  void Register(TwEditKind kind, Renderer renderer);
  void Register(const std::string& customKind, Renderer renderer);
  /// The renderer of a kind, null when none is registered.
  const TwCellRenderer* Find(TwEditKind kind) const;
  const TwCellRenderer* Find(std::string_view customKind) const;
  /// The renderer that paints the column's data cells (null when none): its custom kind's when registered,
  /// else the picture kind's for a graphic column, else its edit kind's.
  const TwCellRenderer* For(const TwColumnDraw& draw) const;

  /// A registry holding the renderers of the fifteen edit kinds the grid paints by default.
  static std::unique_ptr<TwRendererRegistry> Standard();

 private:
  std::array<Renderer, kKinds> kinds_;
  std::map<std::string, Renderer, std::less<>> custom_;
};
