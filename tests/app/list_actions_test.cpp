// The list beyond its buttons: Space ticks, Ctrl+A, Ctrl+C as a table, CSV export, the row menu, and
// column widths remembered across runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

#include "app/batch_run.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "grid/structure/extents.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

using namespace apptest;

namespace {

class ListActions : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(box.dir.isValid());
    form = std::make_unique<TForm1>();
    form->Context().ProgramDir = c;
    form->RB1Click(form.get());
  }
  void TearDown() override { plat::os::SetOpenHandler({}); }
  void AddRow(const std::string& name, const std::string& kind, const std::string& hits,
              const std::string& folder) {
    TMemGrid* g = form->Mgr_grid;
    const int r = g->RowCount();
    g->AppendRow(true, false, false);
    g->Cells(1, r).SetAsString(name);
    g->Cells(2, r).SetAsString(kind);
    g->Cells(3, r).SetAsString(hits);
    g->Cells(4, r).SetAsString(folder);
  }
  bool Ticked(int r) { return form->Mgr_grid->Cells(0, r).AsBoolean(); }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(form->Mgr_grid->viewport(), Qt::Key(key), mods);
  }

  DriveSandbox box;
  const std::string& c = box.c;
  plat::ui::ScriptedDialogs dialogs;
  std::unique_ptr<TForm1> form;
};

TEST_F(ListActions, SpaceTicksTheCurrentRowOrEverySelectedRow) {
  for (int i = 0; i < 4; ++i) AddRow("f" + std::to_string(i), "주민등록번호", "1", "D:\\x");
  form->Mgr_grid->setFocus();
  form->Mgr_grid->SetRow(1);
  Key(Qt::Key_Space);
  EXPECT_TRUE(Ticked(1));
  EXPECT_FALSE(Ticked(0));
  Key(Qt::Key_Space);
  EXPECT_FALSE(Ticked(1));
  // Ctrl+A selects every row; Space then ticks them all, a second press unticks them all.
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(form->Mgr_grid->SelectedCount(), 4);
  Key(Qt::Key_Space);
  for (int r = 0; r < 4; ++r) EXPECT_TRUE(Ticked(r)) << r;
  form->Mgr_grid->SetSelected(2, false);
  Key(Qt::Key_Space);
  EXPECT_TRUE(Ticked(2));  // not selected: kept
  EXPECT_FALSE(Ticked(0));
  EXPECT_FALSE(Ticked(3));
  EXPECT_EQ(form->Mgr_grid->ColumnCount(), 5);  // and no editor or typing went into a cell
  EXPECT_EQ(form->Mgr_grid->Cells(1, 0).AsString(), "f0");
}

TEST_F(ListActions, CtrlCCopiesATableASpreadsheetTakes) {
  AddRow("a\tb.txt", "주민등록번호", "12", "D:\\자료");
  AddRow("보고서 \"최종\".hwp", "계좌번호", "3", "D:\\문서");
  AddRow("c.txt", "전화번호", "7", "D:\\x");
  form->Mgr_grid->setFocus();
  form->Mgr_grid->SetRow(2);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            "파일명\t내용\t수량\t경로\r\nc.txt\t전화번호\t7\tD:\\x\r\n");
  form->Mgr_grid->SelectRange(0, 1);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            "파일명\t내용\t수량\t경로\r\n\"a\tb.txt\"\t주민등록번호\t12\tD:\\자료\r\n"
            "\"보고서 \"\"최종\"\".hwp\"\t계좌번호\t3\tD:\\문서\r\n");
}

TEST_F(ListActions, CsvExportQuotesAndChoosesItsEncoding) {
  AddRow("a,b.txt", "주민등록번호", "12", "D:\\자료");
  AddRow("줄\n바꿈.txt", "계좌번호", "3", "D:\\문서");
  AddRow("ok.txt", "전화", "1", "D:\\x");
  form->SetTick(2, true);
  const std::string all = c + "/all.csv", ticked = c + "/ticked.csv", legacy = c + "/cp949.csv";
  dialogs.QueueSave(plat::ui::SaveFileAnswer{all, 0});
  form->ExportCsv(false);
  EXPECT_EQ(ReadBytes(all),
            "\xEF\xBB\xBF파일명,내용,수량,경로\r\n\"a,b.txt\",주민등록번호,12,D:\\자료\r\n"
            "\"줄\n바꿈.txt\",계좌번호,3,D:\\문서\r\nok.txt,전화,1,D:\\x\r\n");
  dialogs.QueueSave(plat::ui::SaveFileAnswer{ticked, 1});
  form->ExportCsv(true);
  EXPECT_EQ(ReadBytes(ticked), plat::text::Utf8ToCp949("파일명,내용,수량,경로\r\nok.txt,전화,1,D:\\x\r\n"));
  // A character CP949 lacks: nothing is written and the user is told.
  AddRow("emoji😀.txt", "전화", "1", "D:\\x");
  dialogs.QueueSave(plat::ui::SaveFileAnswer{legacy, 1});
  form->ExportCsv(false);
  EXPECT_FALSE(Exists(legacy));
  EXPECT_NE(dialogs.History().back().Text.find("CP949"), std::string::npos);
  form->ExportCsv(false);  // cancelled dialog: nothing
}

TEST_F(ListActions, TheRowMenuOpensTheFolderCopiesThePathAndTicks) {
  AddRow("a.txt", "주민등록번호", "1", "D:\\자료");
  AddRow("b.txt", "주민등록번호", "1", "D:\\문서");
  plat::os::ForceDirectories(box.d + "/문서");
  std::vector<std::string> opened;
  plat::os::SetOpenHandler([&](const std::string& p) {
    opened.push_back(p);
    return true;
  });
  form->resize(1156, 706);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const int rowY = form->Mgr_grid->Model().Extents().RowTop(1) + 5;
  const auto pick = [&](const char* text) {
    form->BeforeRowMenu = [text](QMenu& menu) {
      for (QAction* a : menu.actions())
        if (a->text() == QString::fromUtf8(text))
          QMetaObject::invokeMethod(a, &QAction::trigger, Qt::QueuedConnection);
      QMetaObject::invokeMethod(&menu, &QMenu::close, Qt::QueuedConnection);
    };
    form->ShowRowMenu(QPoint(100, rowY));
    QCoreApplication::processEvents();
  };
  pick("폴더 열기");
  EXPECT_EQ(form->Mgr_grid->Row(), 1);  // the right click made its row current
  EXPECT_EQ(opened, std::vector<std::string>{box.d + "/문서"});
  pick("경로 복사");
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "D:\\문서\\b.txt");
  pick("체크");
  EXPECT_TRUE(Ticked(1));
  EXPECT_FALSE(Ticked(0));
  pick("체크 해제");
  EXPECT_FALSE(Ticked(1));
}

TEST_F(ListActions, ColumnWidthsAreRememberedAcrossARestart) {
  // A first start fits the folder column so its title shows; "Resort.ini" is not touched.
  form->resize(1156, 706);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  TwColumn* folder = form->Mgr_grid->Column(4);
  EXPECT_LT(folder->Width(), 1077);
  const TRect title = form->Mgr_grid->Model().Extents().HeaderCellRect(4);
  EXPECT_LE(title.Left + title.Width() / 2, form->Mgr_grid->viewport()->width());
  form->Mgr_grid->Column(1)->SetWidth(300);
  form->Mgr_grid->Column(4)->SetWidth(640);
  form->close();
  EXPECT_FALSE(Exists(c + "/Resort.ini"));
  TForm1 again;
  EXPECT_EQ(again.Mgr_grid->Column(1)->Width(), 300);
  EXPECT_EQ(again.Mgr_grid->Column(4)->Width(), 640);
  again.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
  EXPECT_EQ(again.Mgr_grid->Column(4)->Width(), 640);  // a remembered width is not fitted again
}

}  // namespace

namespace {

TEST_F(ListActions, ATitleClickSortsTicksTravelAndTheBatchNamesTheTickedFiles) {
  AddRow("b.txt", "주민등록번호", "10", "D:\\자료");
  AddRow("가.txt", "계좌번호", "9", "D:\\자료");
  AddRow("a.txt", "전화번호", "100", "D:\\자료");
  form->SetTick(1, true);  // 가.txt
  form->resize(1156, 706);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  // A click on the hits title: ascending by value, then descending.
  const TRect hits = form->Mgr_grid->Model().Extents().HeaderCellRect(3);
  const QPoint at(hits.Left + hits.Width() / 2, hits.Top + hits.Height() / 2);
  QTest::mouseClick(form->Mgr_grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  std::vector<std::string> names;
  for (int r = 0; r < 3; ++r) names.push_back(form->Mgr_grid->Cells(1, r).AsString());
  EXPECT_EQ(names, (std::vector<std::string>{"가.txt", "b.txt", "a.txt"}));
  EXPECT_TRUE(Ticked(0));
  EXPECT_FALSE(Ticked(1));
  EXPECT_EQ(form->Mgr_grid->Column(3)->Title().SortMark(), wsmAsc);
  QTest::mouseClick(form->Mgr_grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(form->Mgr_grid->Cells(1, 0).AsString(), "a.txt");
  EXPECT_TRUE(Ticked(2));
  EXPECT_EQ(form->Mgr_grid->Column(3)->Title().SortMark(), wsmDesc);
  // By name: Hangul before Latin in Korean collation; the hits mark is cleared.
  form->SortByColumn(1);
  EXPECT_EQ(form->Mgr_grid->Cells(1, 0).AsString(), "가.txt");
  EXPECT_EQ(form->Mgr_grid->Column(3)->Title().SortMark(), wsmNone);
  // The delete batch after sorting names exactly the ticked file.
  dialogs.QueueAnswer(plat::ui::IDYES);
  form->BitBtn6Click(form.get());
  EXPECT_EQ(ReadBytes(c + "/batchdel.bat"), plat::text::Utf8ToCp949("del \"D:\\자료\\가.txt\"\r\n"));
}

}  // namespace
