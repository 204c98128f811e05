#pragma once
// A page of the grid's gallery: a short text saying what to try, above a real TMemGrid a person can use.
// The window lists the pages on its left and shows one at a time (main.cpp).
//
// With --report the window writes on standard output what a test needs to drive it: the points to click
// (Spots) and, whenever they change, the values the page's grid stores (Values).
#include <QLabel>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "grid/memory/mem_grid.h"

class GalleryPage : public QWidget {
 public:
  // The page's name in the list (Korean), its key in the report (ASCII) and what to try; the page shows
  // `grid` (a new empty one when null).
  GalleryPage(const QString& name, const char* key, const QString& hint, TMemGrid* grid = nullptr);

  const QString& Name() const { return name_; }
  const char* Key() const { return key_; }
  TMemGrid* Grid() const { return grid_; }

  // What the page stores, as words "name=value" on one line.
  virtual std::string Values() = 0;
  // Points of the page in coordinates of the widget `window`, one "NAME X Y" line each. By default the
  // centre of every visible column's title in a grid in column mode ("title COLUMN X Y"), and in group mode
  // the centres of the first two rows' cells ("cell COLUMN ROW X Y").
  virtual std::vector<std::string> Spots(QWidget* window);

 protected:
  QVBoxLayout* Layout() const { return layout_; }
  // "NAME X Y" for the centre of a rectangle of the grid's viewport.
  std::string Spot(QWidget* window, const std::string& name, int left, int top, int right, int bottom) const;

 private:
  QString name_;
  const char* key_;
  QVBoxLayout* layout_;
  TMemGrid* grid_;
};

// The pieces one after the other (numbers through std::to_string): one string built piece by piece.
std::string Join(std::initializer_list<std::string_view> pieces);

// Sorting by a click on a column's title, as the document manager's list does: the first click sorts
// ascending, a second click on the same title descending; the title shows the arrow. Texts follow Korean
// collation (가나다, then Latin letters by letter before case); numbers and dates sort by value. Call it
// after the columns are made: it makes their titles clickable.
void SortOnTitleClick(TMemGrid& grid);

// The pages, in the order of the list.
GalleryPage* MakeOrderPage();
GalleryPage* MakeMillionRowsPage();
// The form description is read from formFile; "다시 저장" writes it again to saveFile.
GalleryPage* MakeFormFilePage(const QString& formFile, const QString& saveFile);
GalleryPage* MakeCustomKindPage();
GalleryPage* MakeHangulPage();
