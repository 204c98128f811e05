#pragma once
// Columns of the grid: TwColumn (a collection item), its owned title and list option, and the
// collection TwColumns with the visible list.
//
// This file holds the part of the column model the row store and the memory grid read: titles, value
// and item lists, edit format and style, visibility and widths. Every setter stores only a changed value
// and then notifies the collection, which passes the change to its owner (the grid).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "grid/structure/draw_info.h"
#include "platform/persist/component.h"

// The editor the designer asks for (a column's EditStyle).
enum TwEditStyle : std::uint8_t {
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

// The editor actually used, resolved from the style and the data type.
using TwEditKind = std::uint8_t;
enum : TwEditKind {
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

using TwAlignment = TAlignment;

using TwStrings = std::vector<std::string>;

class TwColumn;
class TwColumns;

// What a column collection needs of the grid that owns it.
class TwColumnsOwner {
 public:
  virtual ~TwColumnsOwner() = default;
  virtual const plat::ComponentState& GridState() const = 0;
  // A change of one column (item != nullptr) or of the whole collection (nullptr).
  virtual void ColumnsChanged(TwColumn* item) = 0;
  // A column was added (after its construction) or is about to be removed.
  virtual void ColumnAdded(TwColumn* column) {}
  virtual void ColumnRemoving(TwColumn* column) {}
  // The base rule of a column's CanModify: may the current row's value of this column be changed?
  virtual bool ColumnCanModify(TwColumn* column) = 0;
};

class TwColumnTitle {
 public:
  explicit TwColumnTitle(TwColumn* column) : column_(column) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view v);

 private:
  TwColumn* column_;
  std::string caption_;
};

// Options of a column's drop-down list.
class TwColumnListOption {
 public:
  explicit TwColumnListOption(TwColumn* column) : column_(column) {}
  char Separator() const { return separator_; }
  // Characters up to and including the blank are ignored.
  void SetSeparator(char v);
  int ValuesIndex() const { return valuesIndex_; }
  void SetValuesIndex(int v);
  bool ValuesOnly() const { return valuesOnly_; }
  void SetValuesOnly(bool v);

 private:
  TwColumn* column_;
  char separator_ = ';';
  int valuesIndex_ = -1;
  bool valuesOnly_ = true;
};

class TwColumn {
 public:
  explicit TwColumn(TwColumns* collection);
  virtual ~TwColumn();
  TwColumn(const TwColumn&) = delete;
  TwColumn& operator=(const TwColumn&) = delete;

  TwColumns* Collection() const { return collection_; }
  int Index() const;
  // The title's caption, or the item's default name ("TwColumn" + index) when it is empty.
  virtual std::string DisplayName() const;

  TwColumnTitle& Title() { return title_; }
  const TwColumnTitle& Title() const { return title_; }
  TwColumnListOption& ListOption() { return listOption_; }
  const TwColumnListOption& ListOption() const { return listOption_; }

  // --- published properties (those the data layer reads) ---
  TwAlignment Alignment() const;
  void SetAlignment(TwAlignment v);
  bool AlignmentAssigned() const { return alignmentAssigned_; }
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  const std::string& EditFormat() const { return editFormat_; }
  void SetEditFormat(std::string_view v);
  TwEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TwEditStyle v);
  bool EqualBlank() const { return equalBlank_; }
  void SetEqualBlank(bool v);
  const TwStrings& Items() const { return items_; }
  void SetItems(TwStrings v);
  const TwStrings& Values() const { return values_; }
  void SetValues(TwStrings v);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int ColWidth() const { return colWidth_; }
  void SetColWidth(int v);

  // --- value texts of boolean-like columns ---
  // Both lists exist, Values is not empty and Items has at least as many entries.
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
  virtual bool CanShowEditor() const;
  virtual bool CanFocus() const;
  virtual bool CanModify();

  // Notifications to the collection: this item, or the whole collection.
  void Changed(bool allItems = false);

 protected:
  const plat::ComponentState& GridState() const;

 private:
  TwColumns* collection_;
  TwColumnTitle title_{this};
  TwColumnListOption listOption_{this};
  TwAlignment alignment_ = taLeftJustify;
  bool alignmentAssigned_ = false;
  TColor color_ = 0xFFFFFF;
  std::string editFormat_;
  TwEditStyle editStyle_ = wesDefault;
  bool equalBlank_ = false;
  TwStrings items_;
  TwStrings values_;
  int maxLength_ = 0;
  bool readOnly_ = false;
  bool visible_ = true;
  int colWidth_ = 64;
};

// The grid's columns in design (collection) order, and the visible ones in display order.
class TwColumns {
 public:
  using Factory = std::function<std::unique_ptr<TwColumn>(TwColumns*)>;
  TwColumns(TwColumnsOwner* owner, Factory factory);
  ~TwColumns();

  TwColumnsOwner* Owner() const { return owner_; }
  int Count() const { return int(items_.size()); }
  TwColumn* Items(int i) const { return items_[std::size_t(i)].get(); }
  int IndexOf(const TwColumn* c) const;
  // Creates a column of the collection's item class at the end.
  TwColumn* Add();
  void Delete(int i);
  void Clear();

  int VisibleCount() const { return int(visible_.size()); }
  TwColumn* VisibleItems(int i) const { return visible_[std::size_t(i)]; }
  void RebuildVisible();

  // Collection updates: nested BeginUpdate/EndUpdate hold notifications back; EndUpdate sends one
  // change of the whole collection.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  void Update(TwColumn* item);

 private:
  TwColumnsOwner* owner_;
  Factory factory_;
  std::vector<std::unique_ptr<TwColumn>> items_;
  std::vector<TwColumn*> visible_;
  int updateCount_ = 0;
};
