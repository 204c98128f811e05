#pragma once
// TwEditButton: the small ellipsis button the grid shows at the right edge of the current cell when its
// column asks for one (EditButton). A press captures the mouse and shows the button pushed in while the
// pointer stays over it; a release over it raises the grid's OnEditButtonClick for its column.
#include <QWidget>

class TwColumn;
class TwCustomGrid;

class TwEditButton : public QWidget {
 public:
  /// Parent: the grid's viewport; width ButtonWidth; the button face colour.
  explicit TwEditButton(TwCustomGrid& grid);

  TwColumn* Column() const { return column_; }
  bool Tracking() const { return tracking_; }
  bool Pressed() const { return pressed_; }
  /// Places the button on the column's cell in ARow, clipped to the scrolling data area, and shows it;
  /// hides it when the column is null or has no edit button.
  void PlaceButton(TwColumn* AColumn, int ARow);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void TrackButton(int X, int Y);
  void StopTracking();

  TwCustomGrid& grid_;
  TwColumn* column_ = nullptr;
  bool tracking_ = false;
  bool pressed_ = false;
};
