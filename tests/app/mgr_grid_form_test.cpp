// The main window's grid as its stored description gives it: the description is in the writer's own form,
// and it describes the grid the document manager expects.
#include "app/mgr_grid_form.h"

#include <gtest/gtest.h>

#include <string>

#include "grid/memory/mem_grid_form.h"

TEST(MgrGridForm, TheStoredDescriptionIsWhatTheWriterWritesForIt) {
  const auto grid = twform::ReadMemGridForm(vek::MgrGridForm());
  EXPECT_EQ(twform::WriteMemGridForm(*grid), std::string(vek::MgrGridForm()));
}

TEST(MgrGridForm, LinesFontsAndSizes) {
  const auto g = twform::ReadMemGridForm(vek::MgrGridForm());
  EXPECT_EQ(g->objectName(), "Mgr_grid");
  EXPECT_EQ(g->Model().Lines().HorzColor(), 0x808080u);
  EXPECT_EQ(g->Model().Headers().Lines().HorzColor(), 0u);
  EXPECT_EQ(g->Model().Headers().Lines().VertColor(), 0u);
  EXPECT_EQ(g->Model().FixedStyle().Lines().HorzColor(), 0u);
  EXPECT_EQ(g->Model().FixedStyle().Lines().VertColor(), 0u);
  EXPECT_EQ(g->Model().Indicators().Font().Name, "Arial");
  EXPECT_EQ(g->Model().Indicators().Font().Size, 8);
  EXPECT_EQ(g->Model().Headers().Height(), 21);
  EXPECT_EQ(g->Model().RowHeight(), 21);
  EXPECT_EQ(g->Model().FixedCount(), 0);
  EXPECT_EQ(g->Model().Columns().VisibleCount(), 5);
  EXPECT_EQ(g->Column(0)->Alignment(), taCenter);
  EXPECT_EQ(g->Column(3)->Alignment(), taCenter);
  EXPECT_EQ(g->Column(4)->Alignment(), taLeftJustify);
}
