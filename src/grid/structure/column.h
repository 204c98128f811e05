#pragma once
// Columns of the grid: TwColumn (a collection item) with its owned title (TwColumnTitle), footer
// (TwColumnFooter) and list option (TwColumnListOption), and the collection TwColumns with the list of
// visible columns in display order.
//
// Map: editor enumerations - TwColumnTitle - TwColumnFooter - TwColumn (published properties, value
// texts, data operations, drawing record) - TwColumns (items, visible list, navigable helpers, Update).
//
// Every setter stores only a changed value and then notifies: an item change repaints the column's strip,
// a collection change (nullptr) makes the grid re-check FixedCount, scroll ranges and the current column.
// The display order (visible list) is independent of the collection (design) order.
#include <QMenu>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "grid/structure/appearance.h"
#include "grid/structure/draw_info.h"
#include "grid/structure/group.h"
#include "grid/structure/list_option.h"
#include "grid/structure/visible_list.h"
#include "platform/paint/color.h"
#include "platform/persist/component.h"

/// The editor the designer asks for (a column's EditStyle).
enum class TwEditStyle : std::uint8_t {
  wesDefault,
  wesText,
  wesMultiText,
  wesMemo,
  wesCheckBox,
  wesBoolean,
  wesRadioGroup,
  wesNumber,
  wesSpinEdit,
  wesDate,
  wesTime,
  wesPickList,
  wesDataList
};
using enum TwEditStyle;

/// The editor actually used, resolved from the style and the data type (painting and editing switch on it).
enum class TwEditKind : std::uint8_t {
  wekNone = 0,
  wekText = 1,
  wekMultiText = 2,
  wekCheckBox = 3,
  wekBoolean = 4,
  wekRadioGroup = 5,
  wekNumber = 6,
  wekSpinNumber = 7,
  wekDate = 8,
  wekTime = 9,
  wekPickList = 10,
  wekCustomList1 = 11,
  wekCustomList2 = 12,
  wekMemo = 13,
  wekPicture = 14
};
using enum TwEditKind;

enum class TwEditBorderStyle : std::uint8_t { webNone, webSingle, webSunken };
using enum TwEditBorderStyle;
enum class TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };
using enum TEditCharCase;

enum class TImeMode : std::uint8_t {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};
using enum TImeMode;

using TwAlignment = TAlignment;
using TwStrings = std::vector<std::string>;

class TwColumn;
class TwColumns;
class TwGridModel;

class TwColumnTitle : public TwTitle {
 public:
  explicit TwColumnTitle(TwColumn* column) : column_(column) {}
  TwColumn* Column() const { return column_; }
  TwSortMark SortMark() const { return sortMark_; }
  void SetSortMark(TwSortMark v);

  TwGridModel* GetGrid() const override;
  void Changed() override;
  void FillDrawInfo(TwDrawInfo& d) const override;
  /// The same with the holding group (group mode) and the fixed area already known (the layout's path).
  void FillAt(TwDrawInfo& d, const TwGroup* grp, bool fixed) const;
  /// Font and margins come from the column.
  TwFont GetDefaultFont() const override;
  int GetDefaultMarginLeft() const override;
  int GetDefaultMarginTop() const override;
  int GetDefaultMarginRight() const override;
  int GetDefaultMarginBottom() const override;

 private:
  TwColumn* column_;
  TwSortMark sortMark_ = wsmNone;
};

/// One text per footer row; a plain column footer shows nothing (ShowsRow is false).
class TwColumnFooter : public TwDrawObject {
 public:
  explicit TwColumnFooter(TwColumn* column) : TwDrawObject(wcsSunken), column_(column) {}
  TwColumn* Column() const { return column_; }

  virtual bool ShowsRow(int row) const { return false; }
  virtual void Recalculate() {}
  virtual std::string GetText(int row) const { return GetValue(row); }
  /// The stored text; empty beyond the stored list.
  virtual std::string GetValue(int row) const;
  /// Stores the text of a footer row (0 .. footer rows - 1), padding the list with empty texts.
  virtual void SetValue(int row, std::string_view text);
  const TwStrings& Values() const { return values_; }
  /// The texts as read from a form description, taken as they are (the grid may not know its footer rows
  /// yet).
  void SetStoredValues(TwStrings v) { values_ = std::move(v); }

  TwGridModel* GetGrid() const override;
  void Changed() override;
  void FillDrawInfo(TwDrawInfo& d) const override;
  /// The same with the fixed area already known (the layout's path).
  void FillAt(TwDrawInfo& d, bool fixed) const;
  /// The look, and from another column footer its stored texts.
  void Assign(const TwDrawObject& source) override;
  /// Alignment, fit style, font, layout, margins and word wrap come from the column.
  TAlignment GetDefaultAlignment() const override;
  TwFitStyle GetDefaultFitStyle() const override;
  TwFont GetDefaultFont() const override;
  TTextLayout GetDefaultLayout() const override;
  int GetDefaultMarginLeft() const override;
  int GetDefaultMarginTop() const override;
  int GetDefaultMarginRight() const override;
  int GetDefaultMarginBottom() const override;
  bool GetDefaultWordWrap() const override;

 private:
  TwColumn* column_;
  TwStrings values_;
};

class TwColumn : public TwVisibleSlot {
 public:
  static constexpr int kMinWidth = 4;
  static constexpr int kDefaultWidth = 64;
  /// Assigned flags of the inheriting properties.
  enum AssignedValue : std::uint8_t { cvAlignment, cvFont, cvImeMode, cvImeName };

  explicit TwColumn(TwColumns* collection);
  virtual ~TwColumn();
  TwColumn(const TwColumn&) = delete;
  TwColumn& operator=(const TwColumn&) = delete;

  TwColumns* Collection() const { return collection_; }
  TwGridModel* Grid() const;
  int Index() const;
  /// The title's caption, or the item's default name ("TwColumn" + index) when it is empty.
  virtual std::string DisplayName() const;
  bool IsAssigned(AssignedValue v) const { return (assigned_ & (1u << v)) != 0; }
  /// The drawing record of the data cells as the column stands (painting reads the records of the last
  /// layout, kept by TwGridExtents).
  TwDrawInfo DrawInfo() const {
    TwDrawInfo d;
    FillDrawInfo(d);
    return d;
  }
  /// The column lies in the fixed area: its visible index (group mode: its group's) is below FixedCount.
  bool Fixed() const;
  /// The same for the holding group grp (group mode) of grid g.
  bool FixedIn(const TwGridModel& g, const TwGroup* grp) const;

  TwColumnTitle& Title() { return *title_; }
  const TwColumnTitle& Title() const { return *title_; }
  void SetTitle(const TwDrawObject& v) { title_->Assign(v); }
  TwColumnFooter& Footer() { return *footer_; }
  const TwColumnFooter& Footer() const { return *footer_; }
  void SetFooter(const TwDrawObject& v) { footer_->Assign(v); }
  TwColumnListOption& ListOption() { return *listOption_; }
  const TwColumnListOption& ListOption() const { return *listOption_; }
  void SetListOption(const TwListoption& v) { listOption_->Assign(v); }

  // --- published properties ---
  TwAlignment Alignment() const;
  void SetAlignment(TwAlignment v);
  /// The alignment while none is assigned: right for numbers, centred for pictures, else left.
  TwAlignment DefaultAlignment() const;
  bool AlignmentAssigned() const { return IsAssigned(cvAlignment); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) { Set(autoSize_, v); }
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase v) { charCase_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Set(color_, v); }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v) { Set(ctl3D_, v); }
  TwEditBorderStyle EditBorder() const { return editBorder_; }
  void SetEditBorder(TwEditBorderStyle v);
  bool EditButton() const { return editButton_; }
  void SetEditButton(bool v) { Set(editButton_, v); }
  bool EditColor() const { return editColor_; }
  void SetEditColor(bool v);
  const std::string& EditFormat() const { return editFormat_; }
  void SetEditFormat(std::string_view v);
  TwEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TwEditStyle v);
  /// The name of a cell kind the program registered in the grid (a renderer and an editor under that name):
  /// when not empty and registered, the column is painted and edited by them instead of by its edit kind.
  /// Empty by default.
  const std::string& CustomKind() const { return customKind_; }
  void SetCustomKind(std::string_view v);
  bool EqualBlank() const { return equalBlank_; }
  void SetEqualBlank(bool v) { Set(equalBlank_, v); }
  TwFitStyle FitStyle() const { return fitStyle_; }
  void SetFitStyle(TwFitStyle v) { Set(fitStyle_, v); }
  /// Always the column's own font; while not assigned it mirrors the grid's font.
  const TwFont& Font() const;
  void SetFont(const TwFont& v);
  /// Collection index of the group holding the column, -1 for none. While the grid is loading or updating
  /// the placement setters only store; the groups' RebuildLevels applies them.
  int Group() const { return group_; }
  void SetGroup(int v);
  TwImageLayout ImageLayout() const { return imageLayout_; }
  void SetImageLayout(TwImageLayout v);
  TwImageList* Images() const { return images_; }
  void SetImages(TwImageList* v);
  TImeMode ImeMode() const;
  void SetImeMode(TImeMode v);
  const std::string& ImeName() const;
  void SetImeName(std::string_view v);
  const TwStrings& Items() const { return items_; }
  void SetItems(TwStrings v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v) { Set(layout_, v); }
  int Level() const { return level_; }
  void SetLevel(int v);
  int LevelIndex() const { return levelIndex_; }
  void SetLevelIndex(int v);
  /// Moves the column to (group collection index, level, index in level) in one step.
  void SetPosition(const TwCellPos& pos);
  /// The group that holds the column, nullptr when none.
  TwGroup* HoldingGroup() const;
  /// The x span inside the group's level, relative to the group's left edge (0 outside a group).
  int LevelLeft() const;
  int LevelRight() const;
  /// Margins of the data cells, index 0 left, 1 top, 2 right, 3 bottom; a byte each.
  int Margin(int index) const { return margins_[index & 3]; }
  void SetMargin(int index, int v);
  int MarginLeft() const { return margins_[0]; }
  void SetMarginLeft(int v) { SetMargin(0, v); }
  int MarginTop() const { return margins_[1]; }
  void SetMarginTop(int v) { SetMargin(1, v); }
  int MarginRight() const { return margins_[2]; }
  void SetMarginRight(int v) { SetMargin(2, v); }
  int MarginBottom() const { return margins_[3]; }
  void SetMarginBottom(int v) { SetMargin(3, v); }
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  const std::string& MaxValue() const { return maxValue_; }
  void SetMaxValue(std::string_view v);
  const std::string& MinValue() const { return minValue_; }
  void SetMinValue(std::string_view v);
  /// The bounds read as a number or a date (0 when empty).
  double MaxValueAsFloat() const;
  double MinValueAsFloat() const;
  QMenu* PopupMenu() const { return popupMenu_.data(); }
  void SetPopupMenu(QMenu* v);
  int RadioColumns() const { return radioColumns_; }
  void SetRadioColumns(int v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { Set(readOnly_, v); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  const TwStrings& Values() const { return values_; }
  void SetValues(TwStrings v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  /// The weight of the column's level in its group; 1 without a group.
  int Weight() const;
  void SetWeight(int v);
  /// ColWidth in column mode, GrpWidth in group mode (there the group shares the width with a neighbour).
  int Width() const;
  void SetWidth(int v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { Set(wordWrap_, v); }

  /// The per-mode widths (stored as "ColWidth" and "GrpWidth").
  int ColWidth() const { return colWidth_; }
  void SetColWidth(int v);
  int GrpWidth() const { return grpWidth_; }
  void SetGrpWidth(int v);

  /// Position in the visible list, -1 when hidden.
  int VisibleIndex() const;
  void SetVisibleIndex(int v);
  int SavedVisibleIndex() const { return savedVisibleIndex_; }
  void SetSavedVisibleIndex(int v) { savedVisibleIndex_ = v; }

  // --- value texts of boolean-like columns ---
  /// Both lists exist, Values is not empty and Items has at least as many entries.
  bool ItemsMapValues() const;
  virtual std::string GetBoolValue(int index) const;
  virtual std::string GetBoolText(int index) const;

  // --- operations a data-typed column supplies ---
  virtual TwEditKind GetEditKind() const = 0;
  virtual int EditMaxLength() const = 0;
  virtual int GetDataSize() const = 0;
  virtual bool IsGraphic() const = 0;
  virtual bool IsNumeric() const = 0;
  virtual bool IsValidChar(char32_t ch) const = 0;
  /// The numbers the column's data type can hold (a whole-number type's range); false when every number
  /// fits. A number editor keeps to it so that no value is cut down to the type's bytes.
  virtual bool NumberRange(double& Min, double& Max) const { return false; }
  virtual bool CanShowEditor() const;
  virtual bool CanFocus() const;
  virtual bool CanModify();

  /// Copies the published properties (assigned flags included) inside one collection update.
  void AssignColumn(const TwColumn& s);

  /// Fills the drawing record of the data cells (the title and the footer fill their own). Writes nothing
  /// but the record.
  void FillDrawInfo(TwDrawInfo& d) const;
  /// The records of the data cells, the title and the footer at once (the holding group is looked up once).
  void FillDrawRecords(TwDrawInfo& cell, TwDrawInfo& title, TwDrawInfo& footer) const;

  /// Notifications to the collection: this item, or the whole collection.
  void Changed(bool allItems = false);

  /// Stored tests of the form description.
  bool IsAlignmentStored() const { return IsAssigned(cvAlignment) && alignment_ != DefaultAlignment(); }
  bool IsFontStored() const { return IsAssigned(cvFont); }

 protected:
  const plat::ComponentState& GridState() const;
  /// Factories called once by the constructor.
  virtual std::unique_ptr<TwColumnTitle> CreateTitle() { return std::make_unique<TwColumnTitle>(this); }
  virtual std::unique_ptr<TwColumnFooter> CreateFooter() { return std::make_unique<TwColumnFooter>(this); }
  virtual std::unique_ptr<TwColumnListOption> CreateListOption() {
    return std::make_unique<TwColumnListOption>(this);
  }
  /// Creates the owned objects through the factories; the collection calls it right after construction,
  /// so that a derived column's factories take part.
  void CreateParts();
  friend class TwColumns;
  friend class TwGroup;
  friend class TwGroups;

 private:
  /// FillDrawInfo with the holding group (group mode) and the fixed area already known.
  void FillCellAt(TwDrawInfo& d, const TwGroup* grp, bool fixed) const;
  template <class T>
  void Set(T& field, const T& v) {
    if (field == v) return;
    field = v;
    Changed();
  }
  void MarkAssigned(AssignedValue v) { assigned_ = std::uint8_t(assigned_ | (1u << v)); }
  bool IsCurrent() const;

  TwColumns* collection_;
  std::uint8_t assigned_ = 0;
  int savedWidth_ = 0;
  int savedVisibleIndex_ = 0;
  TwImageChangeLink imagesLink_;
  std::unique_ptr<TwColumnTitle> title_;
  std::unique_ptr<TwColumnFooter> footer_;
  std::unique_ptr<TwColumnListOption> listOption_;
  TwAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  TEditCharCase charCase_ = ecNormal;
  TColor color_ = clWhite;
  bool ctl3D_ = true;
  TwEditBorderStyle editBorder_ = webSingle;
  bool editButton_ = false;
  bool editColor_ = false;
  std::string editFormat_;
  TwEditStyle editStyle_ = wesDefault;
  std::string customKind_;
  bool equalBlank_ = false;
  TwFitStyle fitStyle_ = wfitNone;
  mutable TwFont font_;
  int group_ = -1;
  TwImageLayout imageLayout_ = wimgNone;
  TwImageList* images_ = nullptr;
  TImeMode imeMode_ = imDontCare;
  mutable std::string imeName_;
  TwStrings items_;
  int level_ = 0;
  int levelIndex_ = 0;
  TTextLayout layout_ = tlCenter;
  int margins_[4] = {1, 1, 1, 1};
  int maxLength_ = 0;
  std::string maxValue_;
  std::string minValue_;
  QPointer<QMenu> popupMenu_;
  int radioColumns_ = 1;
  bool readOnly_ = false;
  bool transparent_ = false;
  TwStrings values_;
  bool visible_ = true;
  /// Position in the collection's visible list, kept by the collection (checked before use).
  int colWidth_ = kDefaultWidth;
  int grpWidth_ = kDefaultWidth;
  bool wordWrap_ = false;
};

/// The grid's columns in design (collection) order, and the visible ones in display order.
class TwColumns {
 public:
  using Factory = std::function<std::unique_ptr<TwColumn>(TwColumns*)>;
  TwColumns(TwGridModel* owner, Factory factory);
  ~TwColumns();

  TwGridModel* Owner() const { return owner_; }
  int Count() const { return int(items_.size()); }
  TwColumn* Items(int i) const { return items_[std::size_t(i)].get(); }
  int IndexOf(const TwColumn* c) const;
  /// Creates a column of the collection's item class at the end.
  TwColumn* Add();
  void Delete(int i);
  void Clear();

  int VisibleCount() const { return visible_.Count(); }
  /// Raises "TwColumns Bounds Error in GetVItems(i)" out of range.
  TwColumn* VisibleItems(int i) const;
  /// Painting asks this for every cell: the list keeps each column's place.
  int VisibleIndexOf(const TwColumn* c) const { return visible_.IndexOf(c); }
  /// Clears the visible list and adds the visible columns in collection order (SavedVisibleIndex := index).
  void RebuildVisible();

  /// Visible indices of the columns navigation may enter (wgoSkipReadOnly considers only CanFocus).
  int FirstNavigable() const;
  int LastNavigable() const;
  int NextNavigable(int i) const;
  int PriorNavigable(int i) const;

  /// Collection updates: nested BeginUpdate/EndUpdate hold notifications back; EndUpdate sends one
  /// change of the whole collection.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  void Update(TwColumn* item);

  /// Moves a visible column within the visible list, or inserts / removes it (used by the columns).
  void InsertVisible(TwColumn* c, int at);
  void RemoveVisible(TwColumn* c);
  void MoveVisible(TwColumn* c, int to);

  /// Empty when the visible list agrees with the collection, else what is wrong.
  std::string CheckConsistency() const;

 private:
  // Stores the visible positions of the visible list from index `from` on.

  TwGridModel* owner_;
  Factory factory_;
  std::vector<std::unique_ptr<TwColumn>> items_;
  TwVisibleList<TwColumn> visible_;
  int updateCount_ = 0;
};

inline TwGridModel* TwColumn::Grid() const {
  return collection_ ? collection_->Owner() : nullptr;
}

inline int TwColumn::VisibleIndex() const {
  return collection_ ? collection_->VisibleIndexOf(this) : -1;
}
