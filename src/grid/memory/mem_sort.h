#pragma once
// Sorting the rows of a memory grid: the keys, and the order they give.
#include <vector>

/// How the values of a sort key compare.
enum class TwSortCompare {
  Auto,    ///< by the column's type: texts as Locale, numbers, dates and flags by value
  Locale,  ///< texts in Korean collation: 가나다 order for Hangul, Latin letters by letter before case
  Number,  ///< texts holding numbers by their value ("9" before "10"); other texts after them, in collation
};

struct TwSortKey {
  int Column = 0;  ///< index in the grid's columns
  bool Descending = false;
  TwSortCompare Compare = TwSortCompare::Auto;
};
