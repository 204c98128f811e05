#pragma once
// The drawing events of the grid and the record of what one paint drew.
#include <cstdint>
#include <functional>
#include <string>

#include "grid/structure/draw_info.h"
#include "platform/paint/canvas.h"

class QObject;
class TwColumn;
class TwColumnFooter;

using TFontStyles = std::uint8_t;  // TFontStyle bits

// Colours and font style of a cell, handed to the drawing events by reference.
using TweDrawRow =
    std::function<void(QObject* Sender, int ARow, TColor& BCol, TColor& FCol, TFontStyles& FStyle)>;
using TweDrawCell = std::function<void(TwColumn* AColumn, int ARow, std::string& Text, TColor& BCol,
                                       TColor& FCol, TFontStyles& FStyle)>;
using TweDrawIndi = std::function<void(QObject* Sender, int ARow, std::string& Text, TColor& BCol,
                                       TColor& FCol, TFontStyles& FStyle)>;
using TweDrawMark = std::function<void(QObject* Sender, int ARow, std::string& Text, TColor& BCol,
                                       TColor& FCol, TFontStyles& FStyle, int& ImgIndex, bool& Value)>;
using TweDrawFooter = std::function<void(TwColumnFooter* AFooter, int ARow, std::string& Text, TColor& BCol,
                                         TColor& FCol, TFontStyles& FStyle)>;

// One cell as the last paint drew it (tests and benchmarks read them).
struct TwPaintedCell {
  enum class Kind : std::uint8_t {
    Corner,
    Title,
    GroupTitle,
    Data,
    Indicator,
    Marker,
    Footer,
    FooterTitle,
    Empty
  };
  using enum Kind;
  Kind What = Data;
  int Band = 0;  // display index: -2 indicator, -1 marker, else the column or group
  int Row = 0;   // data row, footer row (visible index) or -1 for titles
  plat::paint::TRect Rect;
};
