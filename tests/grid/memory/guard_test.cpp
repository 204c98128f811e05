// Errors that escape the user's handlers at the grid's Qt entry points (painting, the OnRowChange timer,
// the mouse) end in an error box and never unwind through Qt's event loop; the
// application can put its own box in place.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimerEvent>
#include <stdexcept>

#include "grid/memory/mem_grid.h"
#include "grid/view/grid_guard.h"
#include "platform/format/format.h"
#include "platform/ui/dialogs.h"

namespace {

using plat::ui::ScriptedDialogs;

class Guarded : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    for (int i = 0; i < 2; ++i) grid.AddColumn()->SetColWidth(80);
    for (int r = 0; r < 50; ++r) grid.AppendRow(false, false, false);
    grid.resize(300, 200);
    grid.show();
    QApplication::processEvents();
  }
  int Boxes(const std::string& text) const {
    int n = 0;
    for (const auto& s : dialogs.History()) n += s.Kind == "MessageBox" && s.Text == text;
    return n;
  }
  ScriptedDialogs dialogs;
  TMemGrid grid;
};

TEST_F(Guarded, APaintHandlerThatThrowsEndsInAnErrorBox) {
  grid.OnDrawRow = [](QObject*, int, TColor&, TColor&, TFontStyles&) {
    throw std::runtime_error("draw failed");
  };
  QPaintEvent e(grid.viewport()->rect());
  EXPECT_NO_THROW(QApplication::sendEvent(grid.viewport(), &e));
  EXPECT_EQ(Boxes("draw failed"), 1);
}

TEST_F(Guarded, ARowChangeHandlerThatThrowsEndsInAnErrorBoxAndTheTimerIsDone) {
  grid.OnRowChange = [](QObject*) { throw std::runtime_error("row change failed"); };
  grid.SetRow(3);
  ASSERT_TRUE(grid.RowChangePending());
  QTest::qWait(grid.ChangeDelay() + 150);
  EXPECT_EQ(Boxes("row change failed"), 1);
  EXPECT_FALSE(grid.RowChangePending());
  EXPECT_FALSE(grid.RowChangeRunning());
}

TEST_F(Guarded, AMouseHandlerThatThrowsEndsInAnErrorBoxAndTheGridGoesOn) {
  grid.OnMouseDown = [](QObject*, plat::ui::TMouseButton, plat::ui::TShiftState, int, int) {
    throw std::runtime_error("press failed");
  };
  EXPECT_NO_THROW(QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)));
  EXPECT_EQ(Boxes("press failed"), 1);
  // Scrolling by the scroll bar still works afterwards.
  grid.verticalScrollBar()->setValue(10);
  EXPECT_EQ(grid.TopRow(), 10);
}

TEST_F(Guarded, TheApplicationsOwnBoxIsUsedWhenInstalled) {
  std::string seen;
  SetGridErrorHandler([&](QWidget*, const std::exception* e) { seen = e ? e->what() : "?"; });
  grid.OnRowChange = [](QObject*) { throw 7; };  // not a std::exception
  grid.SetRow(4);
  QTest::qWait(grid.ChangeDelay() + 150);
  EXPECT_EQ(seen, "?");
  SetGridErrorHandler(nullptr);
  EXPECT_TRUE(dialogs.History().empty());
}

}  // namespace
