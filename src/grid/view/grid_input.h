#pragma once
// TwGridInput: the grid's keyboard and mouse input. What it owns:
//   - Qt's key, mouse and wheel events turned into the grid's handlers (KeyDown, KeyPress, MouseDown,
//     MouseMove, MouseUp, DoMouseWheel: Windows virtual-key numbers, a shift set, viewport coordinates);
//   - the hit tests: what lies under a point (HitTest), the edge a press would size (SizingHitTest) and the
//     title it would move (MovingHitTest), the cursor they give (CursorAt); they only answer;
//   - the drag state machine (TwGridDrag: sizing, moving, title presses) with its feedback widget, and the
//     sizing events raised when a press starts a sizing;
//   - click reporting: where the last left press landed (LastClickHit) and OnClick for a click of the mouse;
//   - the column popup menu of the right button.
// The grid's overridable handlers stay on the grid; their default steps of the drag and the title presses
// run here (grid_input.cpp: events, presses, hit test of regions; grid_sizing.cpp: sizing and moving).
#include <QRect>
#include <Qt>

#include "grid/view/custom_grid.h"
#include "platform/ui/keys.h"

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class QWidget;

class TwGridInput {
 public:
  explicit TwGridInput(TwCustomGrid& grid);
  TwGridInput(const TwGridInput&) = delete;
  TwGridInput& operator=(const TwGridInput&) = delete;

  // --- hit tests (they answer and change nothing) ---
  /// What lies under a point of the viewport.
  TwGridHit HitTest(int X, int Y) const;
  /// The sizing hit test at (X, Y): the state a press would start (wgsNone when none), filling the drag
  /// record with the edge found.
  TwGridState SizingHitTest(int X, int Y, TwGridDrag& d) const;
  /// The moving hit test (after the sizing test): wgsColMoving, wgsCellMoving or wgsNone.
  TwGridState MovingHitTest(int X, int Y, bool Ctrl, TwGridDrag& d) const;
  /// The cursor a press at (X, Y) would show.
  Qt::CursorShape CursorAt(int X, int Y) const;

  // --- the drag or title press in progress (painting draws pressed titles and the drop marker from it) ---
  const TwGridDrag& Drag() const { return drag_; }
  TwGridState GridDragState() const { return drag_.State; }
  /// Ends a drag without applying it (Esc).
  void CancelDrag();

  // --- click reporting ---
  /// Where the left press of the last click landed and what it started, so that an OnClick handler can
  /// tell a click on a cell from one on a title, a side column or a sizing edge. Empty before any press.
  const TwGridHit& LastClickHit() const { return lastClick_; }
  /// OnClick is running for a click of the mouse (and not because a handler was called directly).
  bool ReportingClick() const { return reportingClick_; }

  // --- the default steps of the grid's mouse handlers ---
  /// What the first steps of a press did: the grid did not take the focus (nothing more happens), the press
  /// started a drag or a title press or reached no cell (only the inherited handling follows), or the press
  /// goes on to the row under the mouse.
  enum class Press : std::uint8_t { Refused, Taken, ToRow };
  /// Steps 1 to 4 of MouseDown: the focus, the hit of the click, sizing, moving and title presses.
  Press MouseDown(plat::ui::TMouseButton Button, plat::ui::TShiftState Shift, int X, int Y);
  /// The cursor while hovering, a held title following the mouse, the drag.
  void MouseMove(plat::ui::TShiftState Shift, int X, int Y);
  /// The column popup (right button), a title click or the end of a drag (left button), then OnMouseUp.
  void MouseUp(plat::ui::TMouseButton Button, plat::ui::TShiftState Shift, int X, int Y);
  /// Right button up: shows the popup menu of the column under the point; true when one showed.
  bool ShowColumnPopup(int X, int Y);

  // --- Qt's events into the grid's handlers ---
  void KeyPressEvent(QKeyEvent* e);
  void MousePressEvent(QMouseEvent* e);
  void MouseDoubleClickEvent(QMouseEvent* e);
  void MouseMoveEvent(QMouseEvent* e);
  void MouseReleaseEvent(QMouseEvent* e);
  void WheelEvent(QWheelEvent* e);

 private:
  /// A character typed while the editor is open and the grid holds the focus: into the editor, at its caret.
  bool HandTypingToEditor(char32_t ch);
  /// The sizing events of the edge a press starts to size.
  void RaiseSizingEvent(const TwGridDrag& d);
  void StartDrag(const TwGridDrag& d, int X, int Y);
  void DragTo(int X, int Y);
  void EndDrag(int X, int Y);
  void ShowFeedback(bool show);
  TRect FeedbackRect() const;
  void PressTitle(int X, int Y, bool& found);
  bool TitleUnder(int X, int Y) const;
  void RepaintPressedTitle();

  TwCustomGrid& grid_;
  TwGridDrag drag_;
  QWidget* feedback_ = nullptr;  ///< a child of the viewport, made on the first drag
  bool clicked_ = false;
  TwGridHit lastClick_;
  bool reportingClick_ = false;
};
