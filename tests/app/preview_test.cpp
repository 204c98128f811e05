// The preview pane and the exceptions as a person reaches them in the window: F9 shows the pane, the Down
// key in the list moves it to the next file, Up and Down in the pane go between the matches, its text,
// summary and count line copy with Ctrl+A and Ctrl+C, the tooltip of "수량" says the count now; "개인정보
// 아님으로 표시" from the row menu greys a row, the tick-all box and Space after Ctrl+A pass over it, it
// survives a reload and ends when the file changes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QToolTip>

#include "app/preview_pane.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "grid/structure/extents.h"
#include "platform/paint/color.h"
#include "platform/text/text.h"
#include "window_test.h"

using namespace apptest;

namespace {

constexpr int kWaitMs = 10000;

class PreviewWindow : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    plat::os::ForceDirectories(d + "/자료");
    form.resize(1156, 706);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  }
  // A file in D:\자료 and its line in the result file.
  void AddFile(const std::string& name, const std::string& kind, int hits, const std::string& text) {
    ASSERT_TRUE(MakeFile(d + "/자료/" + name, text));
    csv_ += name + "," + kind + "," + std::to_string(hits) + ",D:\\자료\r\n";
  }
  void Load() {
    const std::string path = c + "/result.csv";
    ASSERT_TRUE(MakeFile(path, plat::text::Utf8ToCp949("파일명,종류,수량,경로\r\n" + csv_)));
    form.p_file->setText(Q(path));
    form.ReadAndInsert();
    form.Mgr_grid->setFocus();
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
  }
  int RowOf(const std::string& name) {
    for (int r = 0; r < form.Mgr_grid->RowCount(); ++r)
      if (form.Mgr_grid->Cells(1, r).AsString() == name) return r;
    return -1;
  }
  bool Ticked(int r) { return form.Mgr_grid->Cells(0, r).AsBoolean(); }
  // Picks an entry of the row menu opened on row r by the Menu key.
  void PickFromRowMenu(int r, const char* entry) {
    form.Mgr_grid->SetRow(r);
    form.BeforeRowMenu = [entry](QMenu& menu) {
      for (QAction* a : menu.actions())
        if (a->text() == QString::fromUtf8(entry))
          QMetaObject::invokeMethod(a, &QAction::trigger, Qt::QueuedConnection);
      QMetaObject::invokeMethod(&menu, &QMenu::close, Qt::QueuedConnection);
    };
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(form.windowHandle(), &menuKey);
    QCoreApplication::processEvents();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.Mgr_grid->setFocus();
  }
  // The colour painted in the blank right part of a row's folder cell.
  QColor FolderBackground(int r) {
    const TwGridExtents& e = form.Mgr_grid->Model().Extents();
    const TRect cell = e.CellInnerRect(form.Mgr_grid->Column(4)->VisibleIndex(), r);
    const QImage shot = form.Mgr_grid->viewport()->grab().toImage();
    const int x = std::min(cell.Right - 4, shot.width() - 4);
    return shot.pixelColor(x, cell.Top + cell.Height() / 2);
  }

  std::string csv_;
};

TEST_F(PreviewWindow, F9ShowsTheMaskedTextOfTheCurrentRowAndDownFollowsTheNextRow) {
  AddFile("고객.txt", "주민등록번호", 3, "고객 홍길동 900101-1234567\r\n연락처 010-1234-5678\r\n");
  AddFile("연락처.txt", "휴대폰번호", 2, "김철수 010-9876-5432\n사무실 02-123-4567\n");
  Load();
  ASSERT_EQ(form.Mgr_grid->RowCount(), 2);
  form.Mgr_grid->SetRow(RowOf("고객.txt"));
  vek::TPreviewPane* pane = form.Preview;
  EXPECT_FALSE(pane->isVisible());  // hidden until asked for: the window looks as it did

  Key(Qt::Key_F9);
  EXPECT_TRUE(pane->isVisible());
  EXPECT_TRUE(form.BtnPreview->isChecked());
  ASSERT_TRUE(QTest::qWaitFor([&] { return pane->Complete(); }, kWaitMs));
  const std::string shown = S(pane->ShownText());
  EXPECT_NE(shown.find("900101-1******"), std::string::npos) << shown;
  EXPECT_NE(shown.find("010-****-5678"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("1234567"), std::string::npos) << "an unmasked number is on screen: " << shown;
  EXPECT_EQ(S(pane->CountText()), "검사 결과 3건 · 지금 1건");  // the row names resident numbers only
  EXPECT_EQ(S(pane->SummaryText()), "찾은 개인정보: 주민등록번호 1건, 휴대폰번호 1건");
  EXPECT_EQ(pane->MatchCount(), 2);

  // The list's Down key: the next row, and the pane follows it.
  ASSERT_EQ(QApplication::focusWidget(), form.Mgr_grid);
  const int first = form.Mgr_grid->Row();
  Key(Qt::Key_Down);
  EXPECT_EQ(form.Mgr_grid->Row(), first + 1);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return pane->Complete() && pane->Target().ListedPath.find("연락처") != std::string::npos; },
      kWaitMs));
  EXPECT_NE(S(pane->ShownText()).find("010-****-5432"), std::string::npos) << S(pane->ShownText());
  EXPECT_EQ(S(pane->CountText()), "검사 결과 2건 · 지금 1건");

  // In the pane, Up and Down go between the matches (wrapping); the list stays on its row.
  pane->TextView->setFocus();
  Key(Qt::Key_Down);
  EXPECT_EQ(pane->CurrentMatch(), 0);
  Key(Qt::Key_Down);
  EXPECT_EQ(pane->CurrentMatch(), 1);
  Key(Qt::Key_Down);
  EXPECT_EQ(pane->CurrentMatch(), 0);
  Key(Qt::Key_Up);
  EXPECT_EQ(pane->CurrentMatch(), 1);
  EXPECT_EQ(form.Mgr_grid->Row(), first + 1);

  // The text, the summary and the count line are copied as a person copies them: Ctrl+A and Ctrl+C in the
  // text, then Shift+Tab to the summary and on to the count line.
  const auto copied = [&] {
    QApplication::clipboard()->clear();
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    return S(QApplication::clipboard()->text());
  };
  const std::string text = copied();
  EXPECT_NE(text.find("김철수 010-****-5432"), std::string::npos) << text;
  EXPECT_NE(text.find("사무실 02-***-4567"), std::string::npos) << text;
  EXPECT_EQ(text.find("9876"), std::string::npos) << "a hidden part of a number was copied: " << text;
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), pane->Summary);
  EXPECT_EQ(copied(), "찾은 개인정보: 휴대폰번호 1건, 전화번호 1건");
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), pane->Counts);
  EXPECT_EQ(copied(), "검사 결과 2건 · 지금 1건");
  EXPECT_EQ(form.Mgr_grid->Row(), first + 1);

  // The count now is the tooltip of "수량" of a file the pane has read.
  const TRect cell = form.Mgr_grid->Model().Extents().CellRect(form.Mgr_grid->Column(3)->VisibleIndex(),
                                                               form.Mgr_grid->Row());
  const QPoint at(cell.Left + 5, cell.Top + 5);
  QHelpEvent help(QEvent::ToolTip, at, form.Mgr_grid->viewport()->mapToGlobal(at));
  QApplication::sendEvent(form.Mgr_grid->viewport(), &help);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(S(QToolTip::text()), "검사 결과 2건 · 지금 1건");
  QToolTip::hideText();

  // The file is never changed; F9 again hides the pane.
  EXPECT_EQ(ReadBytes(d + "/자료/고객.txt"), "고객 홍길동 900101-1234567\r\n연락처 010-1234-5678\r\n");
  form.Mgr_grid->setFocus();
  Key(Qt::Key_F9);
  EXPECT_FALSE(pane->isVisible());
  EXPECT_FALSE(form.BtnPreview->isChecked());
}

TEST_F(PreviewWindow, AMissingFileGetsASentenceAndThePaneKeepsItsHeightAcrossRuns) {
  AddFile("a.txt", "주민등록번호", 1, "900101-1234567\n");
  Load();
  form.SetPreviewVisible(true);
  // The file went away after the load.
  ASSERT_TRUE(plat::os::DeleteFile(d + "/자료/a.txt"));
  form.Preview->ShowNoRow();
  form.FollowCurrentRow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.Preview->Complete(); }, kWaitMs));
  EXPECT_FALSE(form.Preview->SentenceText().isEmpty());
  EXPECT_EQ(S(form.Preview->CountText()), "검사 결과 1건 · 지금 읽을 수 없음");
  EXPECT_TRUE(form.Preview->ShownText().isEmpty());

  form.ListSplitter->setSizes({300, 222});
  const int height = form.ListSplitter->sizes().value(1);
  form.close();
  TForm1 again;
  again.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
  EXPECT_TRUE(again.Preview->isVisible());
  EXPECT_EQ(again.ListSplitter->sizes().value(1), height);
}

TEST_F(PreviewWindow, AnExceptionIsGreyedSkippedByTickAllAndSpaceSurvivesAReloadAndEndsWhenTheFileChanges) {
  AddFile("a.txt", "주민등록번호", 1, "a");
  AddFile("b.txt", "주민등록번호", 1, "b");
  AddFile("c.txt", "주민등록번호", 1, "c");
  Load();
  ASSERT_EQ(form.Mgr_grid->RowCount(), 3);
  const QColor plain = FolderBackground(RowOf("c.txt"));
  PickFromRowMenu(RowOf("b.txt"), "개인정보 아님으로 표시");
  form.Mgr_grid->SetRow(RowOf("a.txt"));
  EXPECT_TRUE(form.IsExceptionRow(RowOf("b.txt")));
  EXPECT_NE(FolderBackground(RowOf("b.txt")), plain);
  EXPECT_EQ(FolderBackground(RowOf("c.txt")), plain);

  // The tick-all box passes over it; unticking all takes it too; a click still ticks it.
  QTest::mouseClick(form.cb_m, Qt::LeftButton);
  EXPECT_TRUE(Ticked(RowOf("a.txt")));
  EXPECT_FALSE(Ticked(RowOf("b.txt")));
  EXPECT_TRUE(Ticked(RowOf("c.txt")));
  form.SetTick(RowOf("b.txt"), true);
  QTest::mouseClick(form.cb_m, Qt::LeftButton);
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(Ticked(r)) << r;
  // So does Space after Ctrl+A; a second Space unticks them.
  form.Mgr_grid->setFocus();
  Key(Qt::Key_A, Qt::ControlModifier);
  Key(Qt::Key_Space);
  EXPECT_TRUE(Ticked(RowOf("a.txt")));
  EXPECT_FALSE(Ticked(RowOf("b.txt")));
  EXPECT_TRUE(Ticked(RowOf("c.txt")));
  Key(Qt::Key_Space);
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(Ticked(r)) << r;

  // A reload (in a new window as well) keeps it.
  Load();
  EXPECT_TRUE(form.IsExceptionRow(RowOf("b.txt")));
  EXPECT_FALSE(form.IsExceptionRow(RowOf("a.txt")));
  {
    TForm1 other;
    other.p_file->setText(form.p_file->text());
    other.ReadAndInsert();
    EXPECT_TRUE(other.IsExceptionRow(RowOf("b.txt")));
  }
  // The file changes: on the next load the row is no longer an exception, and the record forgets it.
  ASSERT_TRUE(MakeFile(d + "/자료/b.txt", "b now holds 010-1234-5678"));
  Load();
  EXPECT_FALSE(form.IsExceptionRow(RowOf("b.txt")));
  EXPECT_TRUE(form.Exceptions().Entries().empty());

  // "예외 해제" undoes one; the list dialog shows them and clears them all.
  PickFromRowMenu(RowOf("a.txt"), "개인정보 아님으로 표시");
  PickFromRowMenu(RowOf("c.txt"), "개인정보 아님으로 표시");
  PickFromRowMenu(RowOf("a.txt"), "예외 해제");
  EXPECT_FALSE(form.IsExceptionRow(RowOf("a.txt")));
  EXPECT_TRUE(form.IsExceptionRow(RowOf("c.txt")));
  int listed = -1;
  form.BeforeExceptionDialog = [&](QDialog& dialog) {
    listed = dialog.findChild<QListWidget*>("ExceptionList")->count();
    QMetaObject::invokeMethod(dialog.findChild<QPushButton*>("ExceptionClear"), &QPushButton::click,
                              Qt::QueuedConnection);
    QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
  };
  PickFromRowMenu(0, "예외 목록...");
  EXPECT_EQ(listed, 1);
  EXPECT_FALSE(form.IsExceptionRow(RowOf("c.txt")));
  Load();
  EXPECT_FALSE(form.IsExceptionRow(RowOf("c.txt")));
}

}  // namespace
