#pragma once
// A description model without a window: a grid model with a plain test column class, recording every
// refresh it asks for.
#include <gtest/gtest.h>

#include "grid/grid_recorder.h"
#include "grid/structure/extents.h"
#include "grid/structure/grid_model.h"

namespace structtest {

class TestColumn : public TwColumn {
 public:
  using TwColumn::TwColumn;
  bool numeric = false;
  bool graphic = false;
  TwEditKind kind = wekText;
  TwEditKind GetEditKind() const override { return kind; }
  int EditMaxLength() const override { return 0; }
  int GetDataSize() const override { return 10; }
  bool IsGraphic() const override { return graphic; }
  bool IsNumeric() const override { return numeric; }
  bool IsValidChar(char32_t) const override { return true; }
};

class TestGrid : public TwGridModel {
 public:
  TestGrid() : TwGridModel([](TwColumns* c) { return std::make_unique<TestColumn>(c); }) {
    SetObserver(&recorder_);
  }
  ~TestGrid() override { SetObserver(nullptr); }
  const std::vector<TwGridEffect>& Effects() const { return recorder_.Effects(); }
  void ClearEffects() { recorder_.ClearEffects(); }
  bool skipReadOnly = false;
  int current = -1;
  int rowCount = 0;
  int topRow = 0;
  int editorHides = 0;
  bool SkipReadOnly() const override { return skipReadOnly; }
  int CurrentColumnIndex() const override { return current; }
  void SetCurrentVisibleColumn(int vi) override { current = Columns().VisibleItems(vi)->Index(); }
  void SetCurrentCell(const TwCellPos& pos) override {
    TwColumn* c = Groups().ColumnAt(pos);
    current = c ? c->Index() : -1;
    hooks += 'c';
  }
  void HideCellEditor() override {
    ++editorHides;
    hooks += 'h';
  }
  // The view's hooks in the order they ran: 'h' the editor hidden, 'c' the current cell set.
  std::string hooks;
  int RowCount() const override { return rowCount; }
  int TopRow() const override { return topRow; }

  TestColumn* Add() { return static_cast<TestColumn*>(Columns().Add()); }
  TestColumn* Col(int i) { return static_cast<TestColumn*>(Columns().Items(i)); }
  TwGroup* AddGroup() { return Groups().Add(); }
  TwGroup* Grp(int i) { return Groups().Items(i); }
  // The repaint areas asked for since the last ClearEffects, in order.
  std::vector<TwRepaintArea> Repaints() const {
    std::vector<TwRepaintArea> r;
    for (const auto& e : Effects())
      if (e.What == TwGridEffect::Repaint) r.push_back(e.Area);
    return r;
  }
  int Count(TwGridEffect::Kind k) const {
    int n = 0;
    for (const auto& e : Effects()) n += e.What == k;
    return n;
  }

 private:
  GridRecorder recorder_;
};

#define EXPECT_CONSISTENT(g) EXPECT_EQ((g).CheckConsistency(), "")

}  // namespace structtest
