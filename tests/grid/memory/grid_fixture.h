#pragma once
// A memory grid with recorded events, for the tests of rows, cells and editing.
#include <string>
#include <vector>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid.h"
#include "platform/format/format.h"

class GridFixture {
 public:
  GridFixture() {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    grid.resize(600, 400);
    auto note = [this](const char* name) { return [this, name](QObject*) { events.push_back(name); }; };
    grid.OnRowEnter = note("RowEnter");
    grid.OnRowExit = note("RowExit");
    grid.OnNewRow = note("NewRow");
    grid.OnBeforeEdit = note("BeforeEdit");
    grid.OnAfterEdit = note("AfterEdit");
    grid.OnBeforePost = note("BeforePost");
    grid.OnAfterPost = note("AfterPost");
    grid.OnBeforeCancel = note("BeforeCancel");
    grid.OnAfterCancel = note("AfterCancel");
    grid.OnBeforeDelete = note("BeforeDelete");
    grid.OnAfterDelete = note("AfterDelete");
    grid.OnDataChanged = note("DataChanged");
    grid.OnRowChange = note("RowChange");
    grid.OnBeforeInsert = [this](QObject*, bool append) {
      events.push_back(append ? "BeforeAppend" : "BeforeInsert");
    };
    grid.OnAfterInsert = [this](QObject*, bool append) {
      events.push_back(append ? "AfterAppend" : "AfterInsert");
    };
    grid.OnValueChanging = [this](TwMemColumn* c, const plat::Variant& v) {
      events.push_back("Changing " + c->Title().Caption() + "=" + v.ToString());
    };
    grid.OnValueChanged = [this](TwMemColumn* c) { events.push_back("Changed " + c->Title().Caption()); };
  }

  // Columns named A, B, ... of the given types.
  void AddColumns(std::initializer_list<TwDataType> types) {
    char name = 'A';
    for (TwDataType t : types) {
      TwMemColumn* c = grid.AddColumn();
      c->SetDataType(t);
      c->Title().SetCaption(std::string(1, name++));
    }
  }
  void Fill(int rows) {
    for (int r = 0; r < rows; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, r).SetAsString(std::to_string(r));
    }
  }
  std::vector<std::string> Take() {
    auto e = std::move(events);
    events.clear();
    return e;
  }

  Recorded<TMemGrid> grid;
  std::vector<std::string> events;
};
