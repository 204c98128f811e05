#pragma once
// The header band above the data rows (TwGridHeaders with its corner cell TwHeaderTitle) and the footer
// rows below them (TwGridFooters of TwGridFooter, each with its corner cell TwFooterTitle).
//
// Heights exist per display mode: Height() serves the grid's current mode; the column-mode and group-mode
// values are stored under "ColHeight" and "GrpHeight".
#include <memory>
#include <string>
#include <vector>

#include "grid/structure/appearance.h"
#include "grid/structure/pixel_range.h"
#include "grid/structure/visible_list.h"
#include "platform/paint/color.h"

class TwGridHeaders;
class TwGridFooter;
class TwGridFooters;

class TwHeaderTitle : public TwTitle {
 public:
  explicit TwHeaderTitle(TwGridHeaders* headers) : headers_(headers) {}
  TwGridHeaders* Headers() const { return headers_; }
  TwGridModel* GetGrid() const override;
  void Changed() override;
  void FillDrawInfo(TwDrawInfo& d) const override;

 private:
  TwGridHeaders* headers_;
};

class TwGridHeaders {
 public:
  static constexpr int kDefaultColHeight = 21, kMinColHeight = 4;
  static constexpr int kDefaultGrpHeight = 42, kMinGrpHeight = 8;

  explicit TwGridHeaders(TwGridModel* grid);
  TwGridModel* Grid() const { return grid_; }

  int ColHeight() const { return colHeight_; }
  int GrpHeight() const { return grpHeight_; }
  /// The stored values as read from a form description (no check, no notification).
  void SetStoredHeights(int colHeight, int grpHeight) {
    colHeight_ = ClampPixelSize(colHeight, 0);
    grpHeight_ = ClampPixelSize(grpHeight, 0);
  }
  int Height() const;
  void SetHeight(int v);
  TwGridLinesEx& Lines() { return lines_; }
  const TwGridLinesEx& Lines() const { return lines_; }
  void SetLines(const TwGridLines& v) { lines_.Assign(v); }
  TwHeaderTitle& Title() { return title_; }
  const TwHeaderTitle& Title() const { return title_; }
  void SetTitle(const TwDrawObject& v) { title_.Assign(v); }
  bool Sizing() const { return sizing_; }
  void SetSizing(bool v) { sizing_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);

  /// Copies both heights and the title (not the lines, Sizing or Visible).
  void Assign(const TwGridHeaders& s);

 private:
  TwGridModel* grid_;
  int colHeight_ = kDefaultColHeight;
  int grpHeight_ = kDefaultGrpHeight;
  TwGridLinesEx lines_;
  TwHeaderTitle title_{this};
  bool sizing_ = false;
  bool visible_ = true;
};

class TwFooterTitle : public TwTitle {
 public:
  explicit TwFooterTitle(TwGridFooter* footer) : TwTitle(wcsNormal), footer_(footer) {}
  TwGridFooter* Footer() const { return footer_; }
  TwGridModel* GetGrid() const override;
  void Changed() override;
  void FillDrawInfo(TwDrawInfo& d) const override;

 private:
  TwGridFooter* footer_;
};

class TwGridFooter : public TwVisibleSlot {
 public:
  explicit TwGridFooter(TwGridFooters* collection) : collection_(collection) {}
  TwGridFooters* Collection() const { return collection_; }
  int Index() const;
  /// The title's caption, or the item's default name when it is empty.
  std::string DisplayName() const;

  int ColHeight() const { return colHeight_; }
  int GrpHeight() const { return grpHeight_; }
  void SetStoredHeights(int colHeight, int grpHeight) {
    colHeight_ = ClampPixelSize(colHeight, 0);
    grpHeight_ = ClampPixelSize(grpHeight, 0);
  }
  int Height() const;
  void SetHeight(int v);
  TwFooterTitle& Title() { return title_; }
  const TwFooterTitle& Title() const { return title_; }
  void SetTitle(const TwDrawObject& v) { title_.Assign(v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool Sizing() const { return sizing_; }
  void SetSizing(bool v) { sizing_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  /// Position in the visible list, -1 when hidden.
  int VisibleIndex() const;

  /// Copies both heights and the title inside one collection update.
  void Assign(const TwGridFooter& s);
  void Changed(bool allItems = false);

 private:
  TwGridFooters* collection_;
  int colHeight_ = 21;
  int grpHeight_ = 42;
  TwFooterTitle title_{this};
  TColor color_ = clBtnFace;
  bool sizing_ = false;
  bool visible_ = true;
};

class TwGridFooters {
 public:
  explicit TwGridFooters(TwGridModel* grid) : grid_(grid) {}
  TwGridModel* Grid() const { return grid_; }

  int Count() const { return int(items_.size()); }
  TwGridFooter* Items(int i) const { return items_[std::size_t(i)].get(); }
  int IndexOf(const TwGridFooter* f) const;
  TwGridFooter* Add();
  void Delete(int i);
  void Clear();

  int VisibleCount() const { return visible_.Count(); }
  /// The k-th visible row, nullptr out of range.
  TwGridFooter* VisibleItems(int k) const { return visible_.At(k); }
  /// Y offset of the k-th visible row from the top of the footer area.
  int VisibleOffset(int k) const { return offsets_[std::size_t(k)]; }
  int VisibleIndexOf(const TwGridFooter* f) const;
  /// Sum of the heights of the visible rows in the current mode.
  int TotalHeight() const;
  /// Rebuilt at every change of a row (Update) and of the display mode.
  void RebuildVisible();

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  void Update(TwGridFooter* item);

  std::string CheckConsistency() const;

 private:
  TwGridModel* grid_;
  std::vector<std::unique_ptr<TwGridFooter>> items_;
  TwVisibleList<TwGridFooter> visible_;
  std::vector<int> offsets_;
  int updateCount_ = 0;
};
