// The window as a person works it: the row menu by the right button, the Menu key and Shift+F10; the
// focus back in the list after an action; removing several selected rows; Space after Ctrl+A; Enter and
// Alt+digit on the buttons; the filter-changed hint; formulas kept as text in exports; a cut cell's
// tooltip and the maximised window's folder column; the empty list's hint.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "grid/structure/extents.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"
#include "window_test.h"

using namespace apptest;

namespace {

class WindowKeys : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    form.resize(1156, 706);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  }
  void AddListed(const std::string& name, const std::string& kind, const std::string& hits) {
    TMemGrid* g = form.Mgr_grid;
    const int r = g->RowCount();
    g->AppendRow(true, false, false);
    g->Cells(1, r).SetAsString(name);
    g->Cells(2, r).SetAsString(kind);
    g->Cells(3, r).SetAsString(hits);
    g->Cells(4, r).SetAsString("D:\\자료");
  }
  bool Ticked(int r) { return form.Mgr_grid->Cells(0, r).AsBoolean(); }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
  }
  // A point in the window of a viewport point of the grid.
  QPoint InWindow(QPoint viewportPoint) { return form.Mgr_grid->viewport()->mapTo(&form, viewportPoint); }
  QPoint RowPoint(int r) { return {150, form.Mgr_grid->Model().Extents().RowTop(r) + 5}; }
  // A closed pop-up menu leaves the offscreen platform without an active window; a desktop gives the
  // window back its activation, and the list its focus.
  void BackFromMenu() {
    QCoreApplication::processEvents();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.Mgr_grid->setFocus();
  }
};

TEST_F(WindowKeys, RowMenuOpensByRightClickMenuKeyAndShiftF10AndSavesACsv) {
  AddListed("a.txt", "주민등록번호", "1");
  AddListed("=1+2.txt", "계좌번호", "-5");
  AddListed("@SUM(A1).hwp", "전화번호", "3");
  form.Mgr_grid->setFocus();
  int opened = 0;
  const char* pick = nullptr;
  form.BeforeRowMenu = [&](QMenu& menu) {
    ++opened;
    for (QAction* a : menu.actions())
      if (pick && a->text() == QString::fromUtf8(pick))
        QMetaObject::invokeMethod(a, &QAction::trigger, Qt::QueuedConnection);
    QMetaObject::invokeMethod(&menu, &QMenu::close, Qt::QueuedConnection);
  };
  // The right button, through the window as the platform delivers it.
  QTest::mouseClick(form.windowHandle(), Qt::RightButton, Qt::NoModifier, InWindow(RowPoint(1)));
  BackFromMenu();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(form.Mgr_grid->Row(), 1);
  // The Menu key: the platform sends the window a keyboard context-menu event for the focused control.
  form.Mgr_grid->SetRow(2);
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
  QApplication::sendEvent(form.windowHandle(), &menuKey);
  BackFromMenu();
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(form.Mgr_grid->Row(), 2);
  Key(Qt::Key_F10, Qt::ShiftModifier);
  BackFromMenu();
  EXPECT_EQ(opened, 3);
  // "CSV로 저장" from the menu: texts a spreadsheet would run as formulas stay text, numbers stay numbers.
  const std::string out = c + "/list.csv";
  dialogs.QueueSave(plat::ui::SaveFileAnswer{out, 0});
  pick = "CSV로 저장 (전체)...";
  Key(Qt::Key_F10, Qt::ShiftModifier);
  BackFromMenu();
  EXPECT_EQ(ReadBytes(out),
            "\xEF\xBB\xBF파일명,내용,수량,경로\r\na.txt,주민등록번호,1,D:\\자료\r\n"
            "'=1+2.txt,계좌번호,-5,D:\\자료\r\n'@SUM(A1).hwp,전화번호,3,D:\\자료\r\n");
  ASSERT_FALSE(dialogs.History().empty());
  EXPECT_NE(dialogs.History().back().Text.find("스프레드시트"), std::string::npos);
  // Ctrl+C guards the same way.
  form.Mgr_grid->SetRow(1);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            "파일명\t내용\t수량\t경로\r\n'=1+2.txt\t계좌번호\t-5\tD:\\자료\r\n");
}

TEST_F(WindowKeys, AfterAMoveTheFocusIsBackInTheListAndSpaceTicks) {
  plat::os::ForceDirectories(d + "/자료");
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) {
    ASSERT_TRUE(MakeFile(d + "/자료/" + n));
    AddRow(n, "D:\\자료", std::string(n) == "b.txt");
  }
  form.BitBtn4->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), form.BitBtn4);
  dialogs.QueueAnswer(plat::ui::IDYES);
  // Enter on the focused button presses it.
  Key(Qt::Key_Return);
  EXPECT_FALSE(Exists(d + "/자료/b.txt"));
  ASSERT_EQ(Names(), (std::vector<std::string>{"a.txt", "c.txt"}));
  EXPECT_EQ(QApplication::focusWidget(), form.Mgr_grid);
  const int opensBefore = int(dialogs.History().size());
  Key(Qt::Key_Space);
  EXPECT_TRUE(Ticked(form.Mgr_grid->Row()));
  EXPECT_EQ(int(dialogs.History().size()), opensBefore);
}

TEST_F(WindowKeys, RemovingSeveralSelectedRowsTakesThemAllAndTheRowAboveBecomesCurrent) {
  for (const char* n : {"r0", "r1", "r2", "r3", "r4", "r5"}) AddRow(n, "D:\\x", false);
  form.Mgr_grid->setFocus();
  form.Mgr_grid->SelectRange(2, 3);
  form.Mgr_grid->SetSelected(5, true);
  // "해당자료 화면제거" by its shortcut (a shortcut presses the button visibly: the click follows shortly).
  QTest::keyClick(form.windowHandle(), Qt::Key_6, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.Mgr_grid->RowCount() < 6; }));
  EXPECT_EQ(Names(), (std::vector<std::string>{"r0", "r1", "r4"}));
  EXPECT_EQ(form.Mgr_grid->Row(), 1);
  EXPECT_EQ(form.Mgr_grid->SelectedCount(), 0);
  // Without a selection only the current row goes.
  form.Mgr_grid->SetRow(0);
  form.BitBtn7->click();
  EXPECT_EQ(Names(), (std::vector<std::string>{"r1", "r4"}));
  EXPECT_EQ(form.Mgr_grid->Row(), 0);
}

TEST_F(WindowKeys, SpaceAfterCtrlATicksAllUnlessAllAreTickedAndTheCountSaysTicks) {
  for (const char* n : {"a", "b", "c"}) AddRow(n, "D:\\x", false);
  form.SetTick(0, true);
  form.Mgr_grid->setFocus();
  form.Mgr_grid->SetRow(0);  // the current row is ticked
  Key(Qt::Key_A, Qt::ControlModifier);
  Key(Qt::Key_Space);
  for (int r = 0; r < 3; ++r) EXPECT_TRUE(Ticked(r)) << r;
  EXPECT_EQ(form.CountLine->text().toStdString(), "목록 3건 · 체크 3건");
  Key(Qt::Key_Space);
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(Ticked(r)) << r;
}

TEST_F(WindowKeys, ButtonsHaveAltDigitsInTheirTipsAndEnterInAnExclusionWordReloads) {
  EXPECT_EQ(form.BitBtn1->text().toStdString(), "1.보안점검");
  EXPECT_EQ(form.BitBtn2->text().toStdString(), "2.결과화일선택");
  EXPECT_NE(form.BitBtn2->toolTip().indexOf("Alt+2"), -1);
  EXPECT_NE(form.BitBtn5->toolTip().indexOf("Alt+3"), -1);
  // A result file with two findings; the second is dropped by an exclusion word typed and entered.
  plat::os::ForceDirectories(d + "/자료");
  ASSERT_TRUE(MakeFile(d + "/자료/a.txt"));
  ASSERT_TRUE(MakeFile(d + "/자료/b.txt"));
  ASSERT_TRUE(MakeFile(c + "/result.csv", plat::text::Utf8ToCp949("h\r\na.txt,주민등록번호,3,D:\\자료\r\n"
                                                                  "b.txt,계좌번호,4,D:\\자료\r\n")));
  form.p_file->setText(Q(c + "/result.csv"));
  QTest::keyClick(form.windowHandle(), Qt::Key_3, Qt::AltModifier);  // "재조회"
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.Mgr_grid->RowCount() > 0; }));
  ASSERT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_TRUE(form.FilterHint->isHidden());
  form.ed1->setFocus();
  for (QChar ch : QString::fromUtf8("계좌")) {  // Hangul as a keyboard layout sends it: key events with text
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(form.ed1, &press);
  }
  EXPECT_FALSE(form.FilterHint->isHidden());
  EXPECT_EQ(form.FilterHint->text().toStdString(), "조건이 바뀌었습니다: 재조회를 누르십시오");
  EXPECT_EQ(form.StatusBar1->SimpleText(), "원하는 EXE 화일을 Drag 하세요");
  QTest::keyClick(form.ed1, Qt::Key_Return);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt"}));
  EXPECT_TRUE(form.FilterHint->isHidden());
}

TEST_F(WindowKeys, ACutCellShowsItsWholeTextAsATipAndTheMaximisedWindowWidensTheFolder) {
  const std::string longName(120, 'n');
  AddListed(longName + ".txt", "주민등록번호", "1");
  AddListed("s.txt", "주민등록번호", "1");
  const TwGridExtents& e = form.Mgr_grid->Model().Extents();
  const auto tipAt = [&](int row) {
    const TRect cell = e.CellRect(form.Mgr_grid->Column(1)->VisibleIndex(), row);
    const QPoint at(cell.Left + 10, cell.Top + 5);
    QHelpEvent help(QEvent::ToolTip, at, form.Mgr_grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(form.Mgr_grid->viewport(), &help);
    const std::string tip = QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
    QToolTip::hideText();
    return tip;
  };
  EXPECT_EQ(tipAt(1), "");  // a text that fits has no tip
  EXPECT_EQ(tipAt(0), longName + ".txt");
  // Maximised, the folder column takes the room; back to normal it has its width again.
  TwColumn* folder = form.Mgr_grid->Column(4);
  const int normal = folder->Width();
  const int name = form.Mgr_grid->Column(1)->Width();
  form.setGeometry(QRect(0, 0, 900, 600));
  QCoreApplication::processEvents();
  form.showMaximized();
  QCoreApplication::processEvents();
  if (!form.isMaximized()) GTEST_SKIP() << "the platform does not maximise windows";
  EXPECT_GE(e.ItemRight(4), form.Mgr_grid->viewport()->width() - 4);
  EXPECT_EQ(form.Mgr_grid->Column(1)->Width(), name);
  form.showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(folder->Width(), normal);
}

TEST_F(WindowKeys, AnEmptyListSaysWhatToDo) {
  EXPECT_TRUE(form.EmptyHint->isVisible());
  EXPECT_NE(form.EmptyHint->text().indexOf(QString::fromUtf8("2.결과화일선택")), -1);
  AddRow("a", "D:\\x", false);
  form.UpdateCountLine();
  EXPECT_FALSE(form.EmptyHint->isVisible());
}

}  // namespace
