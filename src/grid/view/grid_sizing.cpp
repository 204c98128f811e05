// Sizing and moving by mouse (TwGridInput, see grid_input.h): the sizing hit test (in its order, with the
// 3-pixel edge zones), the sizing events of the edge a press starts to size, the moving hit test, the drag
// with its feedback (dotted XOR line, XOR bands, the drop marker), applying the drag on release, and Esc.
//
// The feedback is drawn by a transparent child of the viewport (TwDragFeedback) from the drag record, so
// that taking it away is a repaint of its rectangle: the grid paints what lies beneath, and nothing of the
// feedback can stay behind.
#include <QPaintEvent>
#include <QWidget>
#include <algorithm>

#include "grid/structure/extents.h"
#include "grid/view/cell_walk.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/grid_input.h"
#include "platform/paint/color.h"

using namespace plat::paint;

namespace {
// The edge zone: the 3 pixels ending at the edge.
constexpr int kEdgeZone = 3;
bool InZone(int edge, int v) {
  return v >= edge - (kEdgeZone - 1) && v <= edge;
}
// The smallest distance a dragged edge keeps from the left of its area.
constexpr int kMinDragLeft = 3;
// The width of each XOR band of a column or group being moved.
constexpr int kMoveBandWidth = 3;
bool IsSizing(TwGridState s) {
  return s >= wgsIndicatorSizing && s <= wgsLevelSizing;
}
}  // namespace

class TwDragFeedback : public QWidget {
 public:
  TwDragFeedback(TwCustomGrid& grid, const TwGridInput& input)
      : QWidget(grid.viewport()), grid_(grid), input_(input) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const TwGridDrag& d = input_.Drag();
    if (!d.FeedbackShown) return;
    TCanvas c(this);
    const TwGridExtents& e = grid_.Model().Extents();
    if (IsSizing(d.State)) {
      if (d.Vertical)
        XorDottedLine(c, clGray, d.CurPos, d.From, d.CurPos, d.To);
      else
        XorDottedLine(c, clGray, d.From, d.CurPos, d.To, d.CurPos);
    } else if (d.State == wgsColMoving && d.TargetBand >= 0) {
      const int left = e.ItemLeft(d.TargetBand);
      const TRect cl = e.ClientRect();
      XorBand(c, left, cl.Top, cl.Bottom, kMoveBandWidth, grid_.Model().Color());
      XorBand(c, left + e.ItemWidth(d.SourceBand) - kMoveBandWidth, cl.Top, cl.Bottom, kMoveBandWidth,
              grid_.Model().Color());
    } else if (d.State == wgsCellMoving && !d.Marker.isEmpty()) {
      DrawDropMarker(c, TRect{d.Marker.left(), d.Marker.top(), d.Marker.right() + 1, d.Marker.bottom() + 1});
    }
  }

 private:
  // Two yellow brackets with a black one-pixel outline inside the marker rectangle.
  static void DrawDropMarker(TCanvas& c, const TRect& r) {
    QPainter& p = c.Painter();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(Qt::yellow));
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    const QPoint left[] = {{L + 4, T},     {L, T},         {L, B - 1},     {L + 4, B - 1},
                           {L + 4, B - 3}, {L + 2, B - 3}, {L + 2, T + 2}, {L + 4, T + 2}};
    const QPoint right[] = {{R - 5, T},     {R - 1, T},     {R - 1, B - 1}, {R - 5, B - 1},
                            {R - 5, B - 3}, {R - 3, B - 3}, {R - 3, T + 2}, {R - 5, T + 2}};
    p.drawPolygon(left, 8);
    p.drawPolygon(right, 8);
  }
  TwCustomGrid& grid_;
  const TwGridInput& input_;
};

// --- hit tests --------------------------------------------------------------------------------------

TwGridState TwGridInput::SizingHitTest(int X, int Y, TwGridDrag& d) const {
  d = TwGridDrag{};
  const TwGridExtents& e = grid_.Model().Extents();
  if (e.Count() == 0) return wgsNone;
  const int lastRight = e.ItemRight(e.Count() - 1);
  if (X < e.Edge(0) || X > std::max(lastRight, e.DataLeft())) return wgsNone;
  const bool design = grid_.Model().GridState().Designing();
  const TRect client = e.ClientRect();
  const bool inTitle = Y >= client.Top && Y < e.DataTop();
  const int firstRowBottom = e.RowBottom(e.TopRow());
  const bool inFirstRow = Y >= e.DataTop() && Y < firstRowBottom;
  const bool sideBands = grid_.Model().Indicators().Visible() || grid_.Model().Markers().Visible();
  // The part left of the first band's right edge.
  int firstBandRight = e.DataLeft();
  if (!sideBands)
    firstBandRight =
        e.FixedCount() > 0 ? e.ItemRight(0) : e.ItemRight(std::max(0, grid_.FirstVisibleScrollBand()));
  const bool leftPart = X < firstBandRight;
  const TwFixedOptions fixedOpts = grid_.Model().FixedStyle().Options();
  auto set = [&](TwGridState s, int start, bool vertical, int from, int to) {
    d.State = s;
    d.StartPos = d.CurPos = start;
    d.Vertical = vertical;
    d.From = from;
    d.To = to;
    return s;
  };

  // 1. The indicator column's right edge.
  if (grid_.Model().Indicators().Visible() && (grid_.Model().Indicators().Sizing() || design) &&
      InZone(e.Edge(1), X) && (grid_.Model().Markers().Visible() ? inFirstRow : inTitle)) {
    const int from = grid_.Model().Markers().Visible() ? e.DataTop() : client.Top;
    const int to = grid_.Model().Markers().Visible() ? e.ContentRect().Bottom : client.Bottom;
    return set(wgsIndicatorSizing, e.Edge(1) - 1, true, from, to);
  }
  // 2. The marker column's right edge.
  if (grid_.Model().Markers().Visible() && (grid_.Model().Markers().Sizing() || design) &&
      InZone(e.Edge(2), X) && inTitle)
    return set(wgsMarkerSizing, e.Edge(2) - 1, true, client.Top, client.Bottom);
  // 3. The bottom of the title area.
  if (grid_.Model().Headers().Visible() && (grid_.Model().Headers().Sizing() || design) &&
      InZone(e.DataTop(), Y) && leftPart)
    return set(wgsHeaderSizing, e.DataTop() - 1, false, e.Edge(0), lastRight);
  // 4. The top edges of the footer rows.
  for (int k = 0; k < e.FooterCount(); ++k) {
    const TwGridFooter* f = e.FooterRow(k).Footer;
    const int top = e.FooterRowTop(k);
    if ((f->Sizing() || design) && (Y == top || Y == top + 1) && leftPart) {
      d.Footer = k;
      return set(wgsFooterSizing, top, false, e.Edge(0), lastRight);
    }
  }
  // 5. The bottom of the first row.
  if ((grid_.HasOption(wgoRowSizing) || design) && InZone(firstRowBottom, Y) && leftPart)
    return set(wgsRowSizing, firstRowBottom - 1, false, e.Edge(0), lastRight);
  // 6. The right edges of the bands.
  if ((grid_.HasOption(wgoColSizing) || design) &&
      (grid_.Model().Headers().Visible() ? inTitle : inFirstRow)) {
    const int first = (fixedOpts.Contains(wfxSizing) || design) ? 0 : e.FixedCount();
    for (int i = first; i < e.Count(); ++i) {
      const int right = e.ItemRight(i);
      if (!e.IsFixedItem(i) && right <= e.FixedRight()) continue;  // scrolled under the fixed area
      if (!InZone(right, X)) continue;
      d.Band = i;
      return set(wgsColSizing, right - 1, true, client.Top, client.Bottom);
    }
  }
  if (!grid_.Model().GroupMode()) return wgsNone;
  const int g = e.ItemAt(X);
  if (g < 0) return wgsNone;
  const bool groupAllowed = !e.IsFixedItem(g) || fixedOpts.Contains(wfxSizing) || design;
  const TwGroupAxis& axis = e.GroupAxis(g);
  TwGroup* grp = axis.Group;
  // The cells of the group under X: its titles, or without a header the top data row, every cell walked
  // (also those under the fixed bands). The first cell that matches wins.
  TwCellWalk::Range range;
  range.FirstBand = range.LastBand = g;
  range.FirstRow = range.LastRow = e.TopRow();
  range.AllCells = true;
  auto walkGroup = [&](auto&& f) {
    TwCellWalk walk(grid_, range);
    if (grid_.Model().Headers().Visible())
      walk.ForEachTitle(f);
    else
      walk.ForEach(f);
  };
  // 7. The right edges of the cells of the group (not the last cell of a level).
  if ((grid_.HasOption(wgoCellSizing) || design) && groupAllowed) {
    bool found = false;
    walkGroup([&](const TwCellRecord& cell) {
      if (found || !cell.Column || cell.Level < 0) return;
      const int count =
          axis.LevelStart[std::size_t(cell.Level) + 1] - axis.LevelStart[std::size_t(cell.Level)];
      if (cell.Index + 1 >= count) return;
      const TRect& r = cell.Rect;
      if (Y >= r.Top && Y < r.Bottom && InZone(r.Right, X)) {
        found = true;
        d.Cell = TwCellPos{g, cell.Level, cell.Index};
        d.Band = g;
        set(wgsCellSizing, r.Right - 1, true, r.Top, client.Bottom);
      }
    });
    if (found) return d.State;
  }
  // 8. The bottoms of the group's title and of its levels (not the last level; the levels only when their
  // weights leave something to share).
  if ((grid_.HasOption(wgoLevelSizing) || design) && groupAllowed) {
    const bool levels = grp->Levels() > 1 && grp->Weight() > grp->Levels();
    int found = -2, lastLevel = -2;
    TRect at;
    walkGroup([&](const TwCellRecord& cell) {
      if (found > -2 || cell.Level == lastLevel) return;  // one look per level: its first cell
      lastLevel = cell.Level;
      const bool candidate = cell.Level < 0 ? grid_.Model().Headers().Visible() && grp->Title().Visible()
                                            : levels && cell.Level + 1 < grp->Levels();
      if (candidate && InZone(cell.Rect.Bottom, Y)) {
        found = cell.Level;
        at = cell.Rect;
      }
    });
    if (found > -2) {
      d.Band = g;
      d.Level = found;
      return set(wgsLevelSizing, at.Bottom - 1, false, e.ItemLeft(g), e.ItemRight(g));
    }
  }
  return wgsNone;
}

TwGridState TwGridInput::MovingHitTest(int X, int Y, bool Ctrl, TwGridDrag& d) const {
  d = TwGridDrag{};
  const TwGridExtents& e = grid_.Model().Extents();
  if (!grid_.Model().Headers().Visible() || Y < e.ClientRect().Top || Y >= e.DataTop() || e.Count() == 0)
    return wgsNone;
  const bool design = grid_.Model().GridState().Designing();
  if (!grid_.Model().GroupMode()) {
    if (!grid_.HasOption(wgoColMoving) && !design) return wgsNone;
    const int band = e.ItemAt(X);
    if (band < e.FixedCount()) return wgsNone;  // fixed columns never move (also -1: none)
    if (!Ctrl && grid_.Model().Columns().VisibleItems(band)->Title().Clicking()) return wgsNone;
    d.State = wgsColMoving;
    d.SourceBand = d.TargetBand = band;
    return d.State;
  }
  const int g = e.GroupTitleAt(X, Y);
  if (g >= 0) {
    if ((!grid_.HasOption(wgoColMoving) && !design) || g < e.FixedCount()) return wgsNone;
    if (!Ctrl && grid_.Model().Groups().VisibleItems(g)->Title().Clicking()) return wgsNone;
    d.State = wgsColMoving;
    d.SourceBand = d.TargetBand = g;
    return d.State;
  }
  if (!grid_.HasOption(wgoCellMoving) && !design) return wgsNone;
  const TwCellPos pos = e.HeaderPosAt(X, Y);
  if (!pos.IsSet()) return wgsNone;
  if (pos.Group < e.FixedCount() && !grid_.Model().FixedStyle().Options().Contains(wfxMoving) && !design)
    return wgsNone;
  TwColumn* c = grid_.Model().Groups().ColumnAt(pos);
  if (!c || (!Ctrl && c->Title().Clicking())) return wgsNone;
  d.State = wgsCellMoving;
  d.Source = d.Target = pos;
  return d.State;
}

Qt::CursorShape TwGridInput::CursorAt(int X, int Y) const {
  TwGridDrag d;
  switch (SizingHitTest(X, Y, d)) {
    case wgsIndicatorSizing:
    case wgsMarkerSizing:
    case wgsColSizing:
    case wgsCellSizing:
      return Qt::SplitHCursor;
    case wgsHeaderSizing:
    case wgsFooterSizing:
    case wgsRowSizing:
    case wgsLevelSizing:
      return Qt::SplitVCursor;
    default:
      return Qt::ArrowCursor;
  }
}

void TwGridInput::RaiseSizingEvent(const TwGridDrag& d) {
  TwGridModel& m = grid_.Model();
  switch (d.State) {
    case wgsColSizing:
      if (m.GroupMode()) {
        if (grid_.OnGroupSizing) grid_.OnGroupSizing(&grid_, m.Groups().VisibleItems(d.Band));
      } else if (grid_.OnColumnSizing) {
        grid_.OnColumnSizing(&grid_, m.Columns().VisibleItems(d.Band));
      }
      break;
    case wgsCellSizing:
      if (TwColumn* c = m.Groups().ColumnAt(d.Cell); c && grid_.OnColumnSizing)
        grid_.OnColumnSizing(&grid_, c);
      break;
    case wgsLevelSizing:
      if (grid_.OnLevelSizing) grid_.OnLevelSizing(&grid_, m.Groups().VisibleItems(d.Band), d.Level);
      break;
    default:
      break;
  }
}

// --- the drag ---------------------------------------------------------------------------------------

TRect TwGridInput::FeedbackRect() const {
  const TwGridDrag& d = drag_;
  const TwGridExtents& e = grid_.Model().Extents();
  if (IsSizing(d.State)) {
    if (d.Vertical) return {d.CurPos, d.From, d.CurPos + 1, d.To + 1};
    return {d.From, d.CurPos, d.To + 1, d.CurPos + 1};
  }
  if (d.State == wgsColMoving && d.TargetBand >= 0) {
    const int left = e.ItemLeft(d.TargetBand);
    return {left, e.ClientRect().Top, left + std::max(e.ItemWidth(d.SourceBand), kMoveBandWidth),
            e.ClientRect().Bottom};
  }
  if (d.State == wgsCellMoving)
    return {d.Marker.left(), d.Marker.top(), d.Marker.right() + 1, d.Marker.bottom() + 1};
  return {};
}

void TwGridInput::ShowFeedback(bool show) {
  if (drag_.FeedbackShown == show) return;
  if (!feedback_) feedback_ = new TwDragFeedback(grid_, *this);
  drag_.FeedbackShown = show;
  if (show) {
    feedback_->setGeometry(grid_.viewport()->rect());
    feedback_->raise();
    feedback_->show();
  }
  const TRect r = FeedbackRect();
  if (!r.IsEmpty()) feedback_->update(r.ToQRect());
}

void TwGridInput::StartDrag(const TwGridDrag& d, int X, int Y) {
  drag_ = d;
  if (IsSizing(d.State)) {
    drag_.Offset = d.StartPos - (d.Vertical ? X : Y);
    ShowFeedback(true);
  } else if (d.State == wgsColMoving) {
    ShowFeedback(true);
  }
  // Cell moving shows its marker once the target is a place the cell can go to.
}

void TwGridInput::DragTo(int X, int Y) {
  const TwGridExtents& e = grid_.Model().Extents();
  if (IsSizing(drag_.State)) {
    const int pos = (drag_.Vertical ? X : Y) + drag_.Offset;
    const int lastRight = e.ItemRight(e.Count() - 1);
    switch (drag_.State) {
      case wgsIndicatorSizing:
        if (pos < e.Edge(0) + kMinDragLeft || pos >= lastRight) return;
        break;
      case wgsMarkerSizing:
        if (pos < e.Edge(1) + 1 || pos >= lastRight) return;
        break;
      case wgsColSizing:
        if (e.IsFixedItem(drag_.Band) ? pos < e.DataLeft() + kMinDragLeft
                                      : (pos < e.FixedRight() + kMinDragLeft || pos >= e.ClientRect().Right))
          return;
        break;
      default:
        break;
    }
    if (pos == drag_.CurPos) return;
    ShowFeedback(false);
    drag_.CurPos = pos;
    ShowFeedback(true);
    return;
  }
  if (drag_.State == wgsColMoving) {
    const int target = e.ItemAt(X);
    const int firstScroll = grid_.FirstVisibleScrollBand();
    if (target < 0 || target < e.FixedCount() || target < firstScroll || target == drag_.TargetBand) return;
    ShowFeedback(false);
    drag_.TargetBand = target;
    ShowFeedback(true);
    return;
  }
  if (drag_.State == wgsCellMoving) {
    TwCellPos pos = e.HeaderPosAt(X, Y);
    if (pos.Group < 0 || pos.Level < 0) return;
    if (pos.Group < e.FixedCount() && !grid_.Model().FixedStyle().Options().Contains(wfxMoving) &&
        !grid_.Model().GridState().Designing())
      return;
    TwGroup* grp = grid_.Model().Groups().VisibleItems(pos.Group);
    if (pos.Level >= grp->Levels()) return;
    if (pos.Index < 0) pos.Index = grp->LevelCount(pos.Level);  // after the last cell of the level
    if (pos.Index > grp->LevelCount(pos.Level)) return;
    if (pos == drag_.Target && drag_.FeedbackShown) return;
    ShowFeedback(false);
    drag_.Target = pos;
    drag_.Marker = (pos.Index < grp->LevelCount(pos.Level) ? e.ColumnTitleRect(pos)
                                                           : e.GroupHeaderRect(pos.Group, pos.Level))
                       .ToQRect();
    ShowFeedback(true);
  }
}

void TwGridInput::EndDrag(int X, int Y) {
  ShowFeedback(false);
  if (feedback_) feedback_->hide();
  const TwGridDrag d = drag_;
  drag_ = TwGridDrag{};
  const int D = d.CurPos - d.StartPos;
  switch (d.State) {
    case wgsIndicatorSizing:
      grid_.Model().Indicators().SetWidth(grid_.Model().Indicators().Width() + D);
      break;
    case wgsMarkerSizing:
      grid_.Model().Markers().SetWidth(grid_.Model().Markers().Width() + D);
      break;
    case wgsHeaderSizing:
      grid_.Model().Headers().SetHeight(grid_.Model().Headers().Height() + D);
      break;
    case wgsFooterSizing: {
      // Dragging the top edge up makes the footer taller.
      TwGridFooter* f = grid_.Model().Footers().VisibleItems(d.Footer);
      f->SetHeight(f->Height() - D);
      break;
    }
    case wgsRowSizing:
      grid_.Model().SetRowHeight(grid_.Model().RowHeight() + D);
      break;
    case wgsColSizing:
      if (grid_.Model().GroupMode()) {
        TwGroup* g = grid_.Model().Groups().VisibleItems(d.Band);
        g->SetWidth(g->Width() + D);
      } else {
        TwColumn* c = grid_.Model().Columns().VisibleItems(d.Band);
        c->SetWidth(c->Width() + D);
      }
      break;
    case wgsCellSizing:
      if (TwColumn* c = grid_.Model().Groups().ColumnAt(d.Cell)) c->SetWidth(c->Width() + D);
      break;
    case wgsLevelSizing: {
      TwGroup* g = grid_.Model().Groups().VisibleItems(d.Band);
      if (d.Level < 0)
        g->Title().SetHeight(g->Title().Height() + D);
      else  // a click without moving also takes one away
        g->SetLevelWeight(d.Level, g->LevelWeight(d.Level) + (D > 0 ? 1 : -1));
      break;
    }
    case wgsColMoving:
      if (d.TargetBand >= 0 && d.TargetBand != d.SourceBand) {
        // The display position changes; the collection order stays.
        if (grid_.Model().GroupMode())
          grid_.Model().Groups().VisibleItems(d.SourceBand)->SetVisibleIndex(d.TargetBand);
        else
          grid_.Model().Columns().VisibleItems(d.SourceBand)->SetVisibleIndex(d.TargetBand);
      }
      break;
    case wgsCellMoving:
      if (d.Target.IsSet() && !(d.Target == d.Source)) {
        if (TwColumn* c = grid_.Model().Groups().ColumnAt(d.Source))
          c->SetPosition(
              {grid_.Model().Groups().VisibleItems(d.Target.Group)->Index(), d.Target.Level, d.Target.Index});
      }
      break;
    default:
      break;
  }
  grid_.InvalidateGrid();
}

void TwGridInput::CancelDrag() {
  if (drag_.State >= wgsHeaderTitleDown) {
    drag_.Pressed = false;
    RepaintPressedTitle();
  }
  ShowFeedback(false);
  if (feedback_) feedback_->hide();
  drag_ = TwGridDrag{};
}
