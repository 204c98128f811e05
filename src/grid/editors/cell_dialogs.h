#pragma once
// The memo and picture dialogs of the grid: small borderless modal windows that open with their top-left
// corner on a cell, hold an editing control filling the window above a strip of flat buttons, and hand the
// result to the grid through OnAccept (only OK calls it; Cancel and Esc leave the cell as it was).
//
// Each window has a one-pixel border and no caption; dragging its right or bottom border, or the
// bottom-right corner, resizes it (BorderHit tells which), and the editing control keeps filling the main
// panel with a 2-pixel margin. The window keeps the size the user gave it for the next opening.
//
// Loading a file that is not what it claims (a text file in neither UTF-8 nor CP949, a picture that is
// neither a bitmap nor PNG) shows a message through the dialogs service and changes nothing; the window
// stays open.
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "grid/view/inplace_editor.h"
#include "platform/paint/canvas.h"
#include "platform/variant/variant.h"

class QLabel;
class QPlainTextEdit;
class QToolButton;

class TwInDlgBase : public QDialog {
 public:
  /// Where a point (client coordinates, inside the border) lies for sizing.
  enum class Hit { None, Right, BottomRight, Bottom };

  /// Grid: the widget whose coordinates a cell rectangle is given in.
  explicit TwInDlgBase(QWidget* Grid);

  QWidget* panBottom = nullptr;
  QWidget* panMain = nullptr;

  /// The client area is the window less its one-pixel border.
  int ClientWidth() const { return width() - 2; }
  int ClientHeight() const { return height() - 2; }
  Hit BorderHit(int X, int Y) const;
  /// Keeps the editing control filling the main panel, 2 pixels inside.
  void panMainResize();

 protected:
  /// Moves the window's top-left corner to the cell's, lays out and runs the modal loop.
  int RunAt(const plat::paint::TRect& CellRect);
  QToolButton* AddButton(const char* Caption, int Left, int Width);
  virtual QWidget* EditControl() const = 0;
  bool eventFilter(QObject* o, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  QWidget* grid_;
  Hit sizing_ = Hit::None;
  QPoint sizingStart_;
  QSize sizingSize_;
};

class TwInDlgMemo : public TwInDlgBase {
 public:
  explicit TwInDlgMemo(QWidget* Grid);

  QToolButton* cmLoad = nullptr;
  QToolButton* cmOk = nullptr;
  QToolButton* cmCancel = nullptr;
  QPlainTextEdit* memoMain = nullptr;

  /// Opens at the cell with the value's text (empty for Null) and returns the modal result.
  int ShowModalAt(const plat::paint::TRect& CellRect, const plat::Variant& Value);
  std::string Text() const;

  void cmLoadClick();
  void cmOkClick();
  void cmCancelClick();

  std::function<void(const std::string& Text)> OnAccept;

 protected:
  QWidget* EditControl() const override;
  void showEvent(QShowEvent* e) override;
};

class TwInDlgImg : public TwInDlgBase {
 public:
  explicit TwInDlgImg(QWidget* Grid);

  QToolButton* cmLoad = nullptr;
  QToolButton* cmClear = nullptr;
  QToolButton* cmOk = nullptr;
  QToolButton* cmCancel = nullptr;
  QLabel* imgMain = nullptr;

  /// Opens at the cell with a copy of the picture (none: empty) and returns the modal result.
  int ShowModalAt(const plat::paint::TRect& CellRect, const QImage* Picture);
  const QImage& Picture() const { return picture_; }

  void cmLoadClick();
  void cmClearClick();
  void cmOkClick();
  void cmCancelClick();

  /// Always given a bitmap; after Clear (or for an empty cell) an empty one.
  std::function<void(const QImage& Bitmap)> OnAccept;

 protected:
  QWidget* EditControl() const override;

 private:
  void SetPicture(const QImage& p);
  QImage picture_;
};

/// The dialogs as the grid runs them (one of each per grid, made on first use and kept hidden): over the
/// cell, the memo with the cell's value and the picture dialog with the cell's picture; OK hands the result
/// to the grid through the host (SetMemoText writes the current cell when the column may change; SetPicture
/// raises the data grid's OnSetImage).
class TwMemoCellDialog : public TwCellDialog {
 public:
  explicit TwMemoCellDialog(TwEditorHost& host);
  ~TwMemoCellDialog() override;
  void Run(TwEditorHost& host, TwColumn* AColumn, const plat::paint::TRect& CellRect) override;
  TwInDlgMemo* Dialog() const { return dialog_; }

 private:
  QPointer<TwInDlgMemo> dialog_;
};

class TwPictureCellDialog : public TwCellDialog {
 public:
  explicit TwPictureCellDialog(TwEditorHost& host);
  ~TwPictureCellDialog() override;
  void Run(TwEditorHost& host, TwColumn* AColumn, const plat::paint::TRect& CellRect) override;
  TwInDlgImg* Dialog() const { return dialog_; }

 private:
  QPointer<TwInDlgImg> dialog_;
};

/// Reads a text file in UTF-8 (with or without a byte-order mark) or CP949; nothing for a file that is
/// neither, holds NUL bytes or cannot be read.
std::optional<std::string> ReadTextFileAnyEncoding(const std::string& Path);
/// Reads a BMP or PNG file, judged by its content; a null image otherwise.
QImage ReadBitmapFile(const std::string& Path);
