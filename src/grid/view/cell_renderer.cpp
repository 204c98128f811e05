// The renderer registry and the standard renderers: the list-image text cell of the plain kinds, the text
// with its drop or spin button of dates and times, the check box, the boolean mark, the radio items and
// the picture.
#include "grid/view/cell_renderer.h"

#include <exception>

namespace {

// Text with the image of the column's image list (the plain kinds: text, numbers, lists, memos).
class ListImageRenderer : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    TwColumn* col = p.Cell.Column;
    DrawListImageCell(p.Canvas, p.Rect, p.Text, col->Images(), p.Grid.GetCellImageIndex(col, p.Cell.Row),
                      col->ImageLayout(), p.Draw, p.Buttons);
  }
};

// A date or a time: the text with the drop or spin button the top row shows at design time.
class DateTimeRenderer : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    DrawTextCell(p.Canvas, p.Rect, p.Text, p.Draw, p.Buttons);
  }
};

// A check box with the cell's text as its caption; a null value shows a grayed, unchecked box.
class CheckBoxRenderer : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    TwColumn* col = p.Cell.Column;
    if (p.Cell.Null)
      DrawCheckCell(p.Canvas, p.Rect, false, true, "", p.Draw, !col->Ctl3D(), p.Buttons.Ellipsis);
    else
      DrawCheckCell(p.Canvas, p.Rect, p.Grid.GetCellChecked(col, p.Cell.Row), false,
                    p.Grid.Model().GridState().Designing() ? std::string_view() : std::string_view(p.Text),
                    p.Draw, !col->Ctl3D(), p.Buttons.Ellipsis);
  }
  bool PaintsNull() const override { return true; }
};

// The boolean mark; a null value (without the null mark) shows nothing.
class BooleanRenderer : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    if (p.Cell.Null)
      DrawEmptyCell(p.Canvas, p.Rect, p.Draw, {TwCellButton::None, p.Buttons.Ellipsis});
    else
      DrawBoolCell(p.Canvas, p.Rect, p.Grid.GetCellChecked(p.Cell.Column, p.Cell.Row), p.Draw,
                   p.Buttons.Ellipsis);
  }
};

// The radio items of the column's list, the cell's item chosen; a null value chooses none.
class RadioRenderer : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    TwColumn* col = p.Cell.Column;
    DrawRadioCell(p.Canvas, p.Rect, col->ItemsMapValues() ? col->Items() : col->Values(), p.Draw,
                  !col->Ctl3D(), col->RadioColumns(), p.Grid.GetCellItemIndex(col, p.Cell.Row),
                  p.Buttons.Ellipsis);
  }
  bool PaintsNull() const override { return true; }
};

// The picture, stretched when the column sizes it; without one the text, "Error" when reading it failed.
class PictureRenderer : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    TwColumn* col = p.Cell.Column;
    const QImage* picture = nullptr;
    try {
      picture = p.Grid.GetCellGraphic(col, p.Cell.Row);
    } catch (const std::exception&) {
      p.Text = "Error";
      picture = nullptr;
    }
    if (picture && !picture->isNull())
      DrawStretchPictureCell(p.Canvas, p.Rect, picture, p.Draw, col->Transparent(), col->AutoSize());
    else
      DrawTextCell(p.Canvas, p.Rect, p.Text, p.Draw, {TwCellButton::None, p.Buttons.Ellipsis});
  }
};

}  // namespace

void TwRendererRegistry::Register(TwEditKind kind, Renderer renderer) {
  const auto k = std::size_t(kind);
  if (k < kinds_.size()) kinds_[k] = std::move(renderer);
}

void TwRendererRegistry::Register(const std::string& customKind, Renderer renderer) {
  if (customKind.empty()) return;
  if (renderer)
    custom_[customKind] = std::move(renderer);
  else
    custom_.erase(customKind);
}

const TwCellRenderer* TwRendererRegistry::Find(TwEditKind kind) const {
  const auto k = std::size_t(kind);
  return k < kinds_.size() ? kinds_[k].get() : nullptr;
}

const TwCellRenderer* TwRendererRegistry::Find(std::string_view customKind) const {
  const auto it = custom_.find(customKind);
  return it != custom_.end() ? it->second.get() : nullptr;
}

const TwCellRenderer* TwRendererRegistry::For(const TwColumnDraw& draw) const {
  const TwColumn& c = *draw.Column;
  if (!c.CustomKind().empty())
    if (const TwCellRenderer* r = Find(std::string_view(c.CustomKind()))) return r;
  return Find(c.IsGraphic() ? wekPicture : draw.EditKind);
}

std::unique_ptr<TwRendererRegistry> TwRendererRegistry::Standard() {
  static const Renderer listImage = std::make_shared<ListImageRenderer>();
  static const Renderer dateTime = std::make_shared<DateTimeRenderer>();
  static const Renderer checkBox = std::make_shared<CheckBoxRenderer>();
  static const Renderer boolean = std::make_shared<BooleanRenderer>();
  static const Renderer radio = std::make_shared<RadioRenderer>();
  static const Renderer picture = std::make_shared<PictureRenderer>();
  auto r = std::make_unique<TwRendererRegistry>();
  for (int k = 0; k < kKinds; ++k) r->Register(TwEditKind(k), listImage);
  r->Register(wekDate, dateTime);
  r->Register(wekTime, dateTime);
  r->Register(wekCheckBox, checkBox);
  r->Register(wekBoolean, boolean);
  r->Register(wekRadioGroup, radio);
  r->Register(wekPicture, picture);
  return r;
}
