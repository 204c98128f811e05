#include "gallery_page.h"

#include <algorithm>
#include <memory>

#include "grid/structure/extents.h"

GalleryPage::GalleryPage(const QString& name, const char* key, const QString& hint, TMemGrid* grid)
    : name_(name), key_(key), layout_(new QVBoxLayout(this)), grid_(grid ? grid : new TMemGrid) {
  auto* label = new QLabel(hint, this);
  label->setWordWrap(true);
  layout_->addWidget(label);
  layout_->addWidget(grid_, 1);
}

std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string s;
  for (std::string_view p : pieces) s += p;
  return s;
}

std::string GalleryPage::Spot(QWidget* window, const std::string& name, int left, int top, int right,
                              int bottom) const {
  const QPoint p = grid_->viewport()->mapTo(window, QPoint((left + right) / 2, (top + bottom) / 2));
  return Join({name, " ", std::to_string(p.x()), " ", std::to_string(p.y())});
}

std::vector<std::string> GalleryPage::Spots(QWidget* window) {
  std::vector<std::string> spots;
  const TwGridExtents& e = grid_->Model().Extents();
  if (grid_->Model().GroupMode()) {
    // In group mode the cells of the first two rows: "cell COLUMN ROW X Y".
    for (int c = 0; c < grid_->ColumnCount(); ++c) {
      const TwColumn& column = *grid_->Column(c);
      for (int r = 0; r < std::min(2, grid_->RowCount()); ++r) {
        const auto rect = e.GroupCellRect(TwCellPos{column.Group(), column.Level(), column.LevelIndex()}, r);
        if (rect.IsEmpty()) continue;
        spots.push_back(Spot(window, Join({"cell ", std::to_string(c), " ", std::to_string(r)}), rect.Left,
                             rect.Top, rect.Right, rect.Bottom));
      }
    }
    return spots;
  }
  for (int c = 0; c < grid_->ColumnCount(); ++c) {
    const int v = grid_->Column(c)->VisibleIndex();
    if (v < 0) continue;
    const auto r = e.HeaderCellRect(v);
    spots.push_back(Spot(window, Join({"title ", std::to_string(c)}), r.Left, r.Top, r.Right, r.Bottom));
  }
  return spots;
}

void SortOnTitleClick(TMemGrid& grid) {
  // The column sorted last and its direction, shared by the handler's copies.
  struct Order {
    int column = -1;
    bool descending = false;
  };
  auto order = std::make_shared<Order>();
  TMemGrid* g = &grid;
  // A title reports its clicks (and shows itself pressed) only when it is clickable.
  for (int i = 0; i < grid.ColumnCount(); ++i) grid.Column(i)->Title().SetClicking(true);
  // [title click]
  grid.OnColumnTitleClick = [g, order](QObject*, TwColumn* column) {
    if (!column) return;
    const int c = column->Index();
    const bool descending = order->column == c && !order->descending;
    g->SortRows({{c, descending, TwSortCompare::Auto}});
    for (int i = 0; i < g->ColumnCount(); ++i)
      g->Column(i)->Title().SetSortMark(i == c ? (descending ? wsmDesc : wsmAsc) : wsmNone);
    order->column = c;
    order->descending = descending;
  };
  // [title click]
}
