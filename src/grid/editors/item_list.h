#pragma once
// TwItemList: the owner-drawn drop-down list of a column's values. It is a frameless window kept on
// top of everything, so it can reach outside the grid; the editor that owns it keeps the keyboard focus and
// forwards the list keys (ListKeyDown), while the list itself may hold the mouse capture.
//
// Rows and columns: one row per value. In items mode (the items list has a line for every value) each row
// shows the fields of its items line, split at the option's separator, with the value itself as an extra
// column at ValuesIndex when that is >= 0; otherwise the values alone in one column.
//
// Geometry, in client coordinates (inside the frame, left of the scroll bar):
//   title band   0 .. TitleHeight, only with ShowTitle
//   row area     RowTop .. RowTop + VisibleRows * RowHeight; RowTop is TitleHeight with a title, else 1
// The lists (values, items) and the option are held by pointer: the caller keeps them alive while the list
// is set up with them.
#include <QImage>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/structure/column.h"
#include "grid/structure/list_option.h"
#include "grid/view/editor_host.h"
#include "platform/paint/canvas.h"
#include "platform/paint/font.h"

class QScrollBar;

/// The paint layer's font for a description font.
plat::paint::TFont ToPaintFont(const TwFont& f);

class TwItemList : public QWidget {
 public:
  explicit TwItemList(QWidget* owner = nullptr);
  ~TwItemList() override;

  /// Binds the option and the lists, takes the option's colour and font, shows min(count, ItemCount) rows
  /// from the top and sizes the window. EditorWidth is the width the option's Width rules refer to.
  void SetupList(const TwItemListOption* Option, const TwStrings* Values, bool Ctl3D,
                 const TwImageList* Images, const TwStrings* Items, int EditorWidth);

  const TwItemListOption* Option() const { return option_; }
  int Count() const { return values_ ? int(values_->size()) : 0; }
  bool ItemsMode() const;
  int ColumnCount() const;
  std::string CellText(int C, int R) const;
  std::string TitleText(int C) const;
  /// The text the search compares with: the whole items line in items mode, else the value.
  std::string_view RowSearchText(int R) const;

  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int N);
  int LastIndex() const { return lastIndex_; }
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int N);
  int VisibleRows() const { return visibleRows_; }
  int RowHeight() const { return rowHeight_; }
  int TitleHeight() const { return titleHeight_; }
  int RowTop() const { return rowTop_; }
  /// Width of each list column in characters, and pixels per character.
  const std::vector<int>& ColumnWidths() const { return columnWidths_; }
  int CharWidth() const { return charWidth_; }
  /// What the frame adds to the width and to the height.
  int BorderSize() const { return 2 * FrameWidth(); }
  bool HasScrollBar() const { return visibleRows_ > 0 && Count() > visibleRows_; }
  QScrollBar* ScrollBar() const { return scrollBar_; }
  /// Client area in widget coordinates.
  QRect ClientRect() const;

  /// Selects the first row whose text begins with Text; letter case counts only with CaseSensitive. Without a
  /// match the selection goes when ClearIfNotFound, else it stays.
  void SearchText(std::string_view Text, bool ClearIfNotFound);
  /// The row at a client point; -1 outside the client area or above the row area.
  int HitTest(int X, int Y) const;
  /// A key forwarded by the editor (virtual-key number): Home, End, Up, Down, PageUp, PageDown.
  void ListKeyDown(int Key);

  /// Places the list under Anchor (screen coordinates), or above it when it would end below the screen,
  /// and shows it without taking the focus.
  void PopupAt(const QRect& Anchor);
  /// Mouse capture: the list receives every mouse event until released.
  void SetCapture(bool On);
  bool HasCapture() const { return capture_; }
  bool OnScrollBar() const { return onScrollBar_; }

  /// Image shown at the left of a row; -1 for none.
  virtual int GetImageIndex(int Row) const { return -1; }

  /// Called when a mouse action closes the list: true to accept the selected row.
  std::function<void(bool Accept)> OnCloseUp;

  /// Paints the client area into an image of its size (what paintEvent shows inside the frame).
  QImage PaintClient();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  int FrameWidth() const { return ctl3D_ ? 2 : 1; }
  void Measure(int EditorWidth);
  void UpdateScrollRange();
  void InvalidateRow(int Row);
  void InvalidateRows();
  bool ForwardToScrollBar(QMouseEvent* e);
  void CloseUp(bool Accept);
  QPoint ToClient(const QPointF& p) const;

  const TwItemListOption* option_ = nullptr;
  const TwStrings* values_ = nullptr;
  const TwStrings* items_ = nullptr;
  const TwImageList* images_ = nullptr;
  bool ctl3D_ = false;
  plat::paint::TFont font_;
  plat::paint::TFont titleFont_;
  TColor color_ = 0xFF00000F;
  std::vector<int> columnWidths_;
  int charWidth_ = 0;
  int itemIndex_ = -1;
  int lastIndex_ = 0;
  int topIndex_ = 0;
  int visibleRows_ = 0;
  int rowHeight_ = 0;
  int titleHeight_ = 0;
  int rowTop_ = 1;
  bool capture_ = false;
  bool onScrollBar_ = false;
  bool settingScroll_ = false;
  QScrollBar* scrollBar_ = nullptr;
};

/// The grid's list: the picture of a row is what the grid's OnGetListImageIndex says for its current column
/// (none unless the handler sets one), asked through the editor's host.
class TwInItemList : public TwItemList {
 public:
  TwInItemList(TwEditorHost& host, QWidget* owner);
  int GetImageIndex(int Row) const override;

 private:
  TwEditorHost& host_;
};
