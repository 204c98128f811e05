// The grid's accessibility interfaces (see grid_accessible.h): the table, its cells and titles, the child
// cache, and the hooks that turn the grid's changes into accessibility events.
#include "grid/view/grid_accessible.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <limits>
#include <string>

#include "grid/structure/extents.h"
#include "grid/structure/qt_text.h"
#include "grid/view/custom_grid.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_input.h"
#include "grid/view/inplace_editor.h"

namespace {

bool IsCheckKind(const TwColumn* c) {
  const TwEditKind k = c->GetEditKind();
  return k == wekCheckBox || k == wekBoolean;
}

QRect QRectOf(const TRect& r) {
  return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
}

// The part of a viewport rectangle that shows, on the screen; empty when none of it shows.
QRect OnScreen(const TwCustomGrid& grid, const TRect& r) {
  if (r.IsEmpty()) return {};
  const QRect shown = QRectOf(r).intersected(grid.viewport()->rect());
  if (shown.isEmpty()) return {};
  return QRect(grid.viewport()->mapToGlobal(shown.topLeft()), shown.size());
}

// The table interfaces that exist, by grid. Never destroyed: Qt's cache may delete an interface while the
// program's statics go.
std::unordered_map<const TwCustomGrid*, TwGridAccessible*>& Tables() {
  static auto* tables = new std::unordered_map<const TwCustomGrid*, TwGridAccessible*>;
  return *tables;
}

// The grid's table interface while a client listens (made when none exists yet).
TwGridAccessible* TableOf(TwCustomGrid* grid) {
  if (!grid || !QAccessible::isActive()) return nullptr;
  return dynamic_cast<TwGridAccessible*>(QAccessible::queryAccessibleInterface(grid));
}

// What a header and a cell share: a leaf of the grid's table, parented by it, read-only.
class TwGridPartAccessible : public QAccessibleInterface {
 public:
  explicit TwGridPartAccessible(TwCustomGrid* grid) : grid_(grid) {}
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(grid_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}

 protected:
  QPointer<TwCustomGrid> grid_;
};

// A column title, or in group mode a group title.
class TwGridHeaderAccessible : public TwGridPartAccessible {
 public:
  TwGridHeaderAccessible(TwCustomGrid* grid, int column, bool group)
      : TwGridPartAccessible(grid), column_(column), group_(group) {}

  bool isValid() const override { return Title() != nullptr; }
  QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
  QString text(QAccessible::Text t) const override {
    const TwTitle* title = Title();
    if (!title || (t != QAccessible::Name && t != QAccessible::Description)) return {};
    return tw::ToQ(title->Caption());
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid() || rect().isEmpty()) s.invisible = true;
    return s;
  }
  QRect rect() const override {
    if (!isValid()) return {};
    const TwGridModel& m = grid_->Model();
    const TwGridExtents& e = m.Extents();
    if (group_) return OnScreen(*grid_, e.GroupHeaderRect(column_, -1));
    TwColumn* c = Column();
    if (!m.GroupMode()) return OnScreen(*grid_, e.HeaderCellRect(c->VisibleIndex()));
    return OnScreen(*grid_, e.ColumnTitleRect(m.ColumnPos(c)));
  }

  bool IsGroup() const { return group_; }
  int Place() const { return column_; }

 private:
  TwColumn* Column() const {
    auto* table = dynamic_cast<TwGridAccessible*>(parent());
    if (!table) return nullptr;
    const std::vector<TwColumn*> cols = table->TableColumns();
    return column_ >= 0 && column_ < int(cols.size()) ? cols[std::size_t(column_)] : nullptr;
  }
  const TwTitle* Title() const {
    if (!grid_) return nullptr;
    if (!group_) {
      TwColumn* c = Column();
      return c ? &c->Title() : nullptr;
    }
    const TwGroups& groups = grid_->Model().Groups();
    if (!grid_->Model().GroupMode() || column_ < 0 || column_ >= groups.VisibleCount()) return nullptr;
    return &groups.VisibleItems(column_)->Title();
  }

  int column_;
  bool group_;
};

// One data cell, found by its place (row, table column) whenever it is asked something.
class TwGridCellAccessible : public TwGridPartAccessible,
                             public QAccessibleTableCellInterface,
                             public QAccessibleActionInterface {
 public:
  TwGridCellAccessible(TwCustomGrid* grid, int row, int column)
      : TwGridPartAccessible(grid), row_(row), column_(column) {}

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }
  bool isValid() const override { return Column() != nullptr && row_ < grid_->RowCount(); }
  QAccessible::Role role() const override { return QAccessible::Cell; }
  QString text(QAccessible::Text t) const override {
    TwColumn* c = Column();
    if (!c || row_ >= grid_->RowCount() || (t != QAccessible::Name && t != QAccessible::Value)) return {};
    std::string s;
    grid_->GetCellText(c, row_, s);
    return tw::ToQ(s);
  }
  QRect rect() const override {
    TwColumn* c = Column();
    if (!c) return {};
    const TwGridModel& m = grid_->Model();
    const TwGridExtents& e = m.Extents();
    if (m.GroupMode()) return OnScreen(*grid_, e.GroupCellRect(m.ColumnPos(c), row_));
    return OnScreen(*grid_, e.CellRect(c->VisibleIndex(), row_));
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    TwColumn* c = Column();
    if (!c || row_ >= grid_->RowCount()) {
      s.invalid = true;
      return s;
    }
    s.focusable = true;
    s.selectable = true;
    const bool current = row_ == grid_->Row() && c->Index() == grid_->Col();
    s.active = current;
    // While the editor is open it is the focused child, not the cell under it.
    s.focused = current && grid_->IsGridFocused() && !grid_->EditorMode();
    s.selected = grid_->Selected(row_);
    if (IsCheckKind(c)) {
      s.checkable = true;
      s.checked = grid_->GetCellChecked(c, row_);
    }
    if (c->ReadOnly()) s.readOnly = true;
    if (rect().isEmpty()) s.offscreen = true;
    return s;
  }

  // QAccessibleTableCellInterface
  bool isSelected() const override { return grid_ && row_ < grid_->RowCount() && grid_->Selected(row_); }
  QList<QAccessibleInterface*> columnHeaderCells() const override {
    QList<QAccessibleInterface*> headers;
    auto* t = Table();
    TwColumn* c = Column();
    if (!t || !c) return headers;
    if (grid_->Model().GroupMode()) {
      const TwCellPos pos = grid_->Model().ColumnPos(c);
      if (QAccessibleInterface* g = t->GroupHeader(pos.Group)) headers.append(g);
    }
    if (QAccessibleInterface* h = t->ColumnHeader(column_)) headers.append(h);
    return headers;
  }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return Table(); }

  // QAccessibleActionInterface: a check box or boolean cell changes by a click; press and toggle click it.
  QStringList actionNames() const override {
    TwColumn* c = Column();
    if (!c || !IsCheckKind(c) || c->ReadOnly()) return {};
    return {pressAction(), toggleAction()};
  }
  void doAction(const QString& name) override {
    if (!actionNames().contains(name)) return;
    ClickCell();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

  int Row() const { return row_; }
  int TableColumn() const { return column_; }

 private:
  TwGridAccessible* Table() const { return dynamic_cast<TwGridAccessible*>(parent()); }
  TwColumn* Column() const {
    if (!grid_) return nullptr;
    auto* t = Table();
    if (!t) return nullptr;
    const std::vector<TwColumn*> cols = t->TableColumns();
    return column_ >= 0 && column_ < int(cols.size()) ? cols[std::size_t(column_)] : nullptr;
  }
  // The cell is made current (which scrolls it into view) and clicked in its middle through the viewport's
  // own mouse handling, so that the grid and its users see a click as from the mouse.
  void ClickCell() {
    TwColumn* c = Column();
    if (!c || row_ >= grid_->RowCount()) return;
    QPointer<TwCustomGrid> grid = grid_;
    grid->SetColRow(c->Index(), row_);
    if (!grid) return;
    const QRect shown = rect();
    if (shown.isEmpty()) return;
    QWidget* vp = grid->viewport();
    const QPoint local = vp->mapFromGlobal(shown.center());
    const QPoint global = shown.center();
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &press);
    if (!grid) return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &release);
  }

  int row_;
  int column_;
};

QAccessibleInterface* GridFactory(const QString&, QObject* object) {
  if (auto* grid = qobject_cast<TwCustomGrid*>(object)) return new TwGridAccessible(grid);
  return nullptr;
}

}  // namespace

// --- the table ------------------------------------------------------------------------------------------

TwGridAccessible::TwGridAccessible(TwCustomGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {
  Tables()[grid] = this;
}

TwGridAccessible::~TwGridAccessible() {
  const auto it =
      std::find_if(Tables().begin(), Tables().end(), [this](const auto& e) { return e.second == this; });
  if (it != Tables().end()) Tables().erase(it);
  // While the program ends, Qt's cache deletes what it still holds itself.
  if (QCoreApplication::instance()) ReleaseChildren();
}

TwGridAccessible* TwGridAccessible::Existing(const TwCustomGrid* grid) {
  if (Tables().empty()) return nullptr;  // no reader ever asked: the rows' changes cost nothing more
  const auto it = Tables().find(grid);
  return it == Tables().end() ? nullptr : it->second;
}

TwCustomGrid* TwGridAccessible::Grid() const {
  return static_cast<TwCustomGrid*>(widget());
}

std::vector<TwColumn*> TwGridAccessible::TableColumns() const {
  std::vector<TwColumn*> cols;
  const TwGridModel& m = Grid()->Model();
  if (!m.GroupMode()) {
    const TwColumns& c = m.Columns();
    cols.reserve(std::size_t(c.VisibleCount()));
    for (int i = 0; i < c.VisibleCount(); ++i) cols.push_back(c.VisibleItems(i));
    return cols;
  }
  const TwGroups& groups = m.Groups();
  for (int g = 0; g < groups.VisibleCount(); ++g) {
    const TwGroup* group = groups.VisibleItems(g);
    for (int level = 0; level < group->Levels(); ++level)
      for (int i = 0; i < group->LevelCount(level); ++i) cols.push_back(group->LevelColumn(level, i));
  }
  return cols;
}

int TwGridAccessible::TableColumnOf(const TwColumn* column) const {
  if (!Grid()->Model().GroupMode()) return column->VisibleIndex();
  const std::vector<TwColumn*> cols = TableColumns();
  const auto it = std::find(cols.begin(), cols.end(), column);
  return it == cols.end() ? -1 : int(it - cols.begin());
}

void* TwGridAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

int TwGridAccessible::GroupHeaderCount() const {
  return Grid()->Model().GroupMode() ? Grid()->Model().Groups().VisibleCount() : 0;
}

int TwGridAccessible::childCount() const {
  const std::int64_t cells = std::int64_t(rowCount()) * columnCount();
  const std::int64_t all = columnCount() + GroupHeaderCount() + cells;
  return int(std::min<std::int64_t>(all, std::numeric_limits<int>::max()));
}

QAccessibleInterface* TwGridAccessible::child(int index) const {
  const int cols = columnCount();
  if (index < 0) return nullptr;
  if (index < cols) return ColumnHeader(index);
  index -= cols;
  if (index < GroupHeaderCount()) return GroupHeader(index);
  index -= GroupHeaderCount();
  if (cols == 0) return nullptr;
  return cellAt(index / cols, index % cols);
}

int TwGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const int cols = columnCount();
  if (const auto* h = dynamic_cast<const TwGridHeaderAccessible*>(child)) {
    if (!h->isValid()) return -1;
    return h->IsGroup() ? cols + h->Place() : h->Place();
  }
  if (const auto* c = dynamic_cast<const TwGridCellAccessible*>(child)) {
    if (!c->isValid()) return -1;
    const std::int64_t i = cols + GroupHeaderCount() + std::int64_t(c->Row()) * cols + c->TableColumn();
    return i > std::numeric_limits<int>::max() ? -1 : int(i);
  }
  return -1;
}

QAccessibleInterface* TwGridAccessible::focusChild() const {
  TwCustomGrid* g = Grid();
  if (TwInplaceEditor* editor = g->Editing().InplaceEditor())
    return QAccessible::queryAccessibleInterface(editor->Control());
  if (!g->IsGridFocused() || g->RowCount() <= 0) return nullptr;
  const int col =
      g->Col() < g->Model().Columns().Count() ? TableColumnOf(g->Model().Columns().Items(g->Col())) : -1;
  return col < 0 ? nullptr : cellAt(g->Row(), col);
}

QAccessibleInterface* TwGridAccessible::childAt(int x, int y) const {
  TwCustomGrid* g = Grid();
  const QPoint p = g->viewport()->mapFromGlobal(QPoint(x, y));
  const TwGridHit hit = g->Input().HitTest(p.x(), p.y());
  if (hit.Column < 0 || hit.Column >= g->Model().Columns().Count()) return nullptr;
  const int col = TableColumnOf(g->Model().Columns().Items(hit.Column));
  if (col < 0) return nullptr;
  if (hit.Region == TwGridRegion::Data) return cellAt(hit.Row, col);
  if (hit.Region == TwGridRegion::Title) return ColumnHeader(col);
  return nullptr;
}

QAccessibleInterface* TwGridAccessible::Held(int row, int column) const {
  const auto it = cache_.find(Key(row, column));
  return it == cache_.end() ? nullptr : QAccessible::accessibleInterface(it->second);
}

QAccessibleInterface* TwGridAccessible::HeldCell(int row, int column) const {
  return Held(row, column);
}

QAccessibleInterface* TwGridAccessible::Keep(int row, int column, QAccessibleInterface* iface) const {
  while (int(cache_.size()) >= kCacheCapacity && !order_.empty()) {
    const auto oldest = cache_.find(order_.front());
    order_.pop_front();
    if (oldest == cache_.end()) continue;
    const QAccessible::Id id = oldest->second;
    cache_.erase(oldest);
    QAccessible::deleteAccessibleInterface(id);
  }
  const std::uint64_t key = Key(row, column);
  cache_[key] = QAccessible::registerAccessibleInterface(iface);
  order_.push_back(key);
  return iface;
}

void TwGridAccessible::ReleaseChildren() {
  for (const auto& [key, id] : cache_) QAccessible::deleteAccessibleInterface(id);
  cache_.clear();
  order_.clear();
}

QAccessibleInterface* TwGridAccessible::cellAt(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
  if (QAccessibleInterface* held = Held(row, column)) return held;
  return Keep(row, column, new TwGridCellAccessible(Grid(), row, column));
}

QAccessibleInterface* TwGridAccessible::ColumnHeader(int column) const {
  if (column < 0 || column >= columnCount()) return nullptr;
  if (QAccessibleInterface* held = Held(kColumnTitle, column)) return held;
  return Keep(kColumnTitle, column, new TwGridHeaderAccessible(Grid(), column, false));
}

QAccessibleInterface* TwGridAccessible::GroupHeader(int group) const {
  if (group < 0 || group >= GroupHeaderCount()) return nullptr;
  if (QAccessibleInterface* held = Held(kGroupTitle, group)) return held;
  return Keep(kGroupTitle, group, new TwGridHeaderAccessible(Grid(), group, true));
}

QString TwGridAccessible::columnDescription(int column) const {
  const std::vector<TwColumn*> cols = TableColumns();
  if (column < 0 || column >= int(cols.size())) return {};
  return tw::ToQ(cols[std::size_t(column)]->Title().Caption());
}

QString TwGridAccessible::rowDescription(int row) const {
  TwCustomGrid* g = Grid();
  const TwIndicators& ind = g->Model().Indicators();
  if (row < 0 || row >= g->RowCount() || !ind.Visible() || !ind.ShowRowNo() || !g->CanShowRowNo()) return {};
  return QString::number(g->GetRowNumber(row));
}

int TwGridAccessible::columnCount() const {
  return int(TableColumns().size());
}

int TwGridAccessible::rowCount() const {
  return std::max(0, Grid()->RowCount());
}

QList<int> TwGridAccessible::selectedRows() const {
  QList<int> rows;
  TwCustomGrid* g = Grid();
  for (int r = 0; r < g->RowCount(); ++r)
    if (g->Selected(r)) rows.append(r);
  return rows;
}

int TwGridAccessible::selectedRowCount() const {
  return int(selectedRows().size());
}

int TwGridAccessible::selectedCellCount() const {
  const std::int64_t n = std::int64_t(selectedRowCount()) * columnCount();
  return int(std::min<std::int64_t>(n, std::numeric_limits<int>::max()));
}

QList<QAccessibleInterface*> TwGridAccessible::selectedCells() const {
  // As many as the cache can hold together: one made later must not release one handed out here.
  QList<QAccessibleInterface*> cells;
  const int cols = columnCount();
  for (int r : selectedRows())
    for (int c = 0; c < cols; ++c) {
      if (cells.size() >= kCacheCapacity / 2) return cells;
      cells.append(cellAt(r, c));
    }
  return cells;
}

bool TwGridAccessible::isRowSelected(int row) const {
  return row >= 0 && row < Grid()->RowCount() && Grid()->Selected(row);
}

void TwGridAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
  if (event->modelChangeType() == QAccessibleTableModelChangeEvent::ModelReset) ReleaseChildren();
}

// --- the hooks --------------------------------------------------------------------------------------------

void TwInstallGridAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(GridFactory);
    return true;
  }();
  (void)installed;
}

void TwAccessibleCurrentCellMoved(TwCustomGrid* grid) {
  TwGridAccessible* table = TableOf(grid);
  if (!table || table->focusPending) return;
  table->focusPending = true;
  QTimer::singleShot(0, grid, [grid] {
    TwGridAccessible* t = TableOf(grid);
    if (!t) return;
    t->focusPending = false;
    if (grid->EditorMode() || !grid->IsGridFocused()) return;
    if (QAccessibleInterface* cell = t->focusChild()) {
      QAccessibleEvent focus(cell, QAccessible::Focus);
      QAccessible::updateAccessibility(&focus);
    }
  });
}

void TwAccessibleCellValueChanged(TwCustomGrid* grid, int ACol, int ARow) {
  TwGridAccessible* table = TableOf(grid);
  if (!table || ACol < 0 || ACol >= grid->Model().Columns().Count()) return;
  // A load writes every cell: only the current cell and cells a client holds are worth an event.
  const bool current = ARow == grid->Row() && ACol == grid->Col();
  if (!current && table->CachedCount() == 0) return;
  TwColumn* column = grid->Model().Columns().Items(ACol);
  const int col = table->TableColumnOf(column);
  if (col < 0) return;
  QAccessibleInterface* cell = table->HeldCell(ARow, col);
  if (!cell && current) cell = table->cellAt(ARow, col);
  if (!cell) return;
  QAccessibleValueChangeEvent value(cell, cell->text(QAccessible::Value));
  QAccessible::updateAccessibility(&value);
  if (IsCheckKind(column)) {
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent state(cell, changed);
    QAccessible::updateAccessibility(&state);
  }
}

void TwAccessibleRowsChanged(TwCustomGrid* grid) {
  TwGridAccessible* table = TwGridAccessible::Existing(grid);
  if (!table || table->resetPending) return;
  table->resetPending = true;
  QTimer::singleShot(0, grid, [grid] {
    TwGridAccessible* t = TwGridAccessible::Existing(grid);
    if (!t) return;
    t->resetPending = false;
    // The children go whether or not a client hears of it (Qt calls modelChange only for an active one).
    t->ReleaseChildren();
    if (!QAccessible::isActive()) return;
    QAccessibleTableModelChangeEvent reset(grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
  });
}

void TwAccessibleSelectionChanged(TwCustomGrid* grid) {
  if (!TableOf(grid)) return;
  QAccessibleEvent selection(grid, QAccessible::SelectionWithin);
  QAccessible::updateAccessibility(&selection);
}
