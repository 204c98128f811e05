// cell_sheet OUT.png: every cell routine in every cell style on one sheet, for a person to look at.
// Rows: the routines; columns: normal, raised, sunken, up, down, focused, and with buttons (ellipsis,
// spin, combo).
#include <QApplication>
#include <QImage>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "grid/view/draw_helpers.h"

using namespace plat::paint;

namespace {

constexpr int kCellW = 150, kCellH = 40, kLabelW = 150, kHeadH = 22, kGap = 4;

QImage MakePicture() {
  QImage img(16, 16, QImage::Format_RGB32);
  img.fill(ToQRgb(clFuchsia));  // the bottom-left colour: transparent
  for (int y = 3; y < 13; ++y)
    for (int x = 3; x < 13; ++x) img.setPixel(x, y, ToQRgb((x + y) % 2 ? clNavy : clYellow));
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: cell_sheet OUT.png\n");
    return 2;
  }
  QApplication app(argc, argv);
  DrawUnitInitialize();

  const QImage picture = MakePicture();
  TImageList images(16, 16);
  images.AddMasked(picture, clFuchsia);
  const std::vector<std::string> radio = {"하나", "둘", "셋"};

  using Routine = std::function<void(TCanvas&, const TRect&, const TwDrawInfo&, int buttons)>;
  struct Row {
    const char* name;
    Routine draw;
  };
  // buttons: 0 none, 1 ellipsis button, 2 spin buttons, 3 combo button
  auto ell = [](int b) { return b == 1 ? TwCellEllipsis::Drawn : TwCellEllipsis::None; };
  auto buttons = [&](int b) {
    return TwCellButtons{b == 2   ? TwCellButton::Spin
                         : b == 3 ? TwCellButton::Combo
                                  : TwCellButton::None,
                         ell(b)};
  };
  const std::vector<Row> rows = {
      {"DrawTextCell", [&](TCanvas& c, const TRect& r, const TwDrawInfo& p,
                           int b) { DrawTextCell(c, r, "개인정보 파일 목록.xlsx", p, buttons(b)); }},
      {"Text end ellipsis",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.FitStyle = wfitEnd;
         DrawTextCell(c, r, "주민등록번호, 휴대폰번호, 운전면허번호", q, buttons(b));
       }},
      {"Text path ellipsis",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.FitStyle = wfitPath;
         DrawTextCell(c, r, "D:\\업무자료\\2023년\\영업부\\고객명단.xlsx", q, buttons(b));
       }},
      {"Text wrap, centre",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.WordWrap = true;
         q.Alignment = taCenter;
         q.Layout = tlCenter;
         DrawTextCell(c, r, "두 줄로 나뉘는 긴 제목 글자", q, buttons(b));
       }},
      {"DrawEmptyCell",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) { DrawEmptyCell(c, r, p, buttons(b)); }},
      {"DrawImageTextCell", [&](TCanvas& c, const TRect& r, const TwDrawInfo& p,
                                int) { DrawImageTextCell(c, r, "그림 Left", p, wimgLeft, &picture); }},
      {"DrawSortTitleCell asc",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int) {
         TwDrawInfo q = p;
         q.Alignment = taCenter;
         q.Layout = tlCenter;
         DrawSortTitleCell(c, r, "파일명", q, 1, wimgNone, nullptr);
       }},
      {"DrawSortTitleCell desc",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int) {
         TwDrawInfo q = p;
         q.Alignment = taCenter;
         q.Layout = tlCenter;
         DrawSortTitleCell(c, r, "경로", q, -1, wimgLeft, &picture);
       }},
      {"DrawListImageCell",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         DrawListImageCell(c, r, "목록 그림", &images, 0, wimgLeft, p, buttons(b));
       }},
      {"DrawListImageOnlyCell",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int) {
         TwDrawInfo q = p;
         q.Alignment = taCenter;
         q.Layout = tlCenter;
         DrawListImageOnlyCell(c, r, &images, q, 0);
       }},
      {"DrawPictureCell",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int) {
         TwDrawInfo q = p;
         q.Alignment = taRightJustify;
         q.Layout = tlBottom;
         DrawPictureCell(c, r, &picture, q, true);
       }},
      {"DrawStretchPictureCell", [&](TCanvas& c, const TRect& r, const TwDrawInfo& p,
                                     int) { DrawStretchPictureCell(c, r, &picture, p, false, true); }},
      {"DrawCheckCell",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.Layout = tlCenter;
         DrawCheckCell(c, r, true, false, "선택함", q, false, ell(b));
       }},
      {"Check right, grayed",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.Layout = tlCenter;
         q.Alignment = taRightJustify;
         DrawCheckCell(c, r, true, true, "회색", q, false, ell(b));
       }},
      {"Check centre, flat",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.Layout = tlCenter;
         q.Alignment = taCenter;
         DrawCheckCell(c, r, true, false, "", q, true, ell(b));
       }},
      {"DrawBoolCell",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) { DrawBoolCell(c, r, true, p, ell(b)); }},
      {"DrawRadioCell",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.Layout = tlCenter;
         DrawRadioCell(c, r, radio, q, false, 3, 1, ell(b));
       }},
      {"Radio, none chosen",
       [&](TCanvas& c, const TRect& r, const TwDrawInfo& p, int b) {
         TwDrawInfo q = p;
         q.Layout = tlCenter;
         DrawRadioCell(c, r, radio, q, false, 3, -1, ell(b));
       }},
  };
  struct Col {
    const char* name;
    TwCellStyle style;
    bool focused;
    int buttons;
  };
  const std::vector<Col> cols = {{"normal", wcsNormal, false, 0},       {"raised", wcsRaised, false, 0},
                                 {"sunken", wcsSunken, false, 0},       {"up", wcsUp, false, 0},
                                 {"down", wcsDown, false, 0},           {"focused", wcsNormal, true, 0},
                                 {"ellipsis btn", wcsNormal, false, 1}, {"spin btns", wcsNormal, false, 2},
                                 {"combo btn", wcsNormal, false, 3}};

  QImage sheet(kLabelW + int(cols.size()) * (kCellW + kGap), kHeadH + int(rows.size()) * (kCellH + kGap),
               QImage::Format_RGB32);
  sheet.fill(ToQRgb(clWhite));
  TCanvas canvas(&sheet);
  canvas.Font = TFont("굴림", -12);
  canvas.Font.SetColor(clWindowText);
  canvas.TransparentText = true;
  for (std::size_t c = 0; c < cols.size(); ++c) {
    TRect r = Bounds(kLabelW + int(c) * (kCellW + kGap), 0, kCellW, kHeadH);
    canvas.DrawText(cols[c].name, r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int y = kHeadH + int(i) * (kCellH + kGap);
    TRect label = Bounds(4, y, kLabelW - 8, kCellH);
    canvas.Brush.Color = clWhite;
    canvas.DrawText(rows[i].name, label, DT_SINGLELINE | DT_VCENTER);
    for (std::size_t c = 0; c < cols.size(); ++c) {
      TwDrawInfo p;
      p.CellStyle = cols[c].style;
      p.Focused = cols[c].focused;
      p.VertLineWidth = p.HorzLineWidth = 1;
      p.VertLineColor = p.HorzLineColor = clGray;
      p.Margins[0] = p.Margins[2] = 2;
      canvas.Brush.Color = (cols[c].style == wcsNormal) ? clWindow : clBtnFace;
      rows[i].draw(canvas, Bounds(kLabelW + int(c) * (kCellW + kGap), y, kCellW, kCellH), p, cols[c].buttons);
    }
  }
  canvas.End();
  DrawUnitFinalize();
  if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cell_sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
