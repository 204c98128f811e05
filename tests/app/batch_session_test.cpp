// A batch session run without a window: its outcome, its records and its summary; the memo holds what the
// batch file holds; the tick count follows ticks, sorting, removal and loading without counting again.
#include "app/batch_session.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/batch_targets.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "platform/text/text.h"
#include "window_test.h"

using namespace apptest;

namespace {

// Rows held in a vector, as the command line holds them.
struct Rows : vek::BatchRows {
  struct Row {
    bool ticked;
    std::string name, folder, kind, hits;
  };
  std::vector<Row> rows;
  int Count() override { return int(rows.size()); }
  bool Ticked(int r) override { return rows[std::size_t(r)].ticked; }
  std::string Folder(int r) override { return rows[std::size_t(r)].folder; }
  std::string FileName(int r) override { return rows[std::size_t(r)].name; }
  std::string Kind(int r) override { return rows[std::size_t(r)].kind; }
  std::string Hits(int r) override { return rows[std::size_t(r)].hits; }
  void Remove(int) override {}
};

TEST(BatchSession, AMoveRunsWithoutAWindowAndLeavesItsRecordsAndAnHonestSummary) {
  DriveSandbox box;
  plat::os::ForceDirectories(box.d + "/자료");
  ASSERT_TRUE(MakeFile(box.d + "/자료/a.txt", "a"));
  ASSERT_TRUE(MakeFile(box.d + "/자료/b.txt", "b"));
  Rows rows;
  rows.rows = {{true, "a.txt", "D:\\자료", "주민등록번호", "3"},
               {true, "gone.txt", "D:\\자료", "계좌번호", "1"},
               {false, "b.txt", "D:\\자료", "", ""},
               {true, "bad?.txt", "D:\\자료", "", ""},
               {true, "b.txt", "D:\\자료", "이메일", "2"}};
  const auto session = vek::BatchSession::ForMove(rows, "C:\\보안예비자료", vek::HostTargetProbe().get());
  const std::string bytes = session->Write("c:\\batchmove.bat");
  EXPECT_EQ(bytes, ReadBytes(box.c + "/batchmove.bat"));
  EXPECT_EQ(plat::text::Cp949ToUtf8(bytes), session->Text());
  session->Start();
  const vek::BatchOutcome out = session->Finish();
  EXPECT_EQ(out.Succeeded, 2u);
  EXPECT_EQ(out.Failed, 1u);
  EXPECT_EQ(out.Refused, 1u);
  EXPECT_EQ(out.NotRun, 0u);
  std::vector<int> done = out.DoneRows;
  std::sort(done.begin(), done.end());
  EXPECT_EQ(done, (std::vector<int>{0, 4}));
  ASSERT_EQ(out.Failures.size(), 1u);
  EXPECT_EQ(out.Failures[0].Path, "D:\\자료\\gone.txt");
  EXPECT_EQ(out.Summary().rfind("2개 이동, 1개 실패, 1개 제외", 0), 0u) << out.Summary();
  EXPECT_TRUE(out.Summary().ends_with("작업이 모두 종료 되면 누르십시오"));
  // The move record names the two files moved with their kinds and hits and the copies' stamps.
  const auto record = vek::ReadManifest(out.RecordPath);
  ASSERT_EQ(record.size(), 2u);
  for (const auto& e : record) {
    EXPECT_TRUE(e.Stamp.has_value()) << e.Source;
    EXPECT_EQ(e.Kind, e.Source.ends_with("a.txt") ? "주민등록번호" : "이메일");
  }
  const std::string log = LoggedActions();
  EXPECT_NE(log.find("이동|D:\\자료\\gone.txt|C:\\보안예비자료\\자료\\gone.txt|실패"), std::string::npos)
      << log;
  EXPECT_NE(ReadBytes(box.c + "/batchmove.log").find("5줄 성공, 1줄 실패"), std::string::npos);
}

TEST(BatchSession, ACancelledDeleteCountsWhatItLeftAlone) {
  DriveSandbox box;
  plat::os::ForceDirectories(box.d + "/x");
  Rows rows;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(MakeFile(box.d + "/x/" + std::to_string(i) + ".txt"));
    rows.rows.push_back({true, std::to_string(i) + ".txt", "D:\\x", "", ""});
  }
  const auto session = vek::BatchSession::ForDelete(rows);
  session->Write("c:\\batchdel.bat");
  session->Start([&](vek::BatchRunner& runner) {
    runner.OnLineDone = [&](std::size_t index, const plat::batch::LineResult&) {
      if (index == 0) runner.Cancel();
    };
  });
  const vek::BatchOutcome out = session->Finish();
  EXPECT_EQ(out.Succeeded, 1u);
  EXPECT_EQ(out.NotRun, 3u);
  EXPECT_EQ(out.Summary().rfind("1개 삭제, 0개 실패, 3개 취소(그대로 둠)", 0), 0u) << out.Summary();
  EXPECT_EQ(out.DoneRows, std::vector<int>{3});  // the batch runs from the last row up
}

class WindowSession : public WindowTest {};

TEST_F(WindowSession, TheMemoHoldsWhatTheBatchFileHolds) {
  plat::os::ForceDirectories(d + "/자료");
  for (const char* n : {"가.txt", "100%.txt"}) {
    ASSERT_TRUE(MakeFile(d + "/자료/" + n));
    AddRow(n, "D:\\자료");
  }
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4->click();
  ASSERT_FALSE(form.MemoText().empty());
  EXPECT_EQ(plat::text::Utf8ToCp949(form.MemoText()), ReadBytes(c + "/batchmove.bat"));
  EXPECT_EQ(form.CountTicked(), 0);  // the moved rows took their ticks with them
  EXPECT_NE(form.MemoText().find("move \"D:\\자료\\100%%.txt\""), std::string::npos) << form.MemoText();
}

TEST_F(WindowSession, TheTickCountFollowsTicksSortingRemovalAndLoading) {
  for (const char* n : {"c.txt", "a.txt", "b.txt"}) AddRow(n, "D:\\x", false);
  form.resize(1000, 600);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.Mgr_grid->setFocus();
  form.Mgr_grid->SetRow(0);
  QTest::keyClick(form.Mgr_grid, Qt::Key_Space);
  QTest::keyClick(form.Mgr_grid, Qt::Key_Down);
  QTest::keyClick(form.Mgr_grid, Qt::Key_Space);
  EXPECT_EQ(form.CountTicked(), 2);
  form.SortByColumn(TForm1::kNameColumn);
  EXPECT_EQ(form.CountTicked(), 2);
  form.Mgr_grid->SetRow(0);  // a.txt, ticked
  form.BitBtn7->click();
  EXPECT_EQ(form.CountTicked(), 1);
  EXPECT_NE(form.CountLine->text().toStdString().find("체크 1건"), std::string::npos)
      << form.CountLine->text().toStdString();
  form.cb_m->click();
  EXPECT_EQ(form.CountTicked(), form.cb_m->isChecked() ? 2 : 0);
  // A load starts from no tick.
  ASSERT_TRUE(MakeFile(c + "/r.csv", plat::text::Utf8ToCp949("h\r\n")));
  form.p_file->setText(Q(c + "/r.csv"));
  form.ReadAndInsert();
  EXPECT_EQ(form.CountTicked(), 0);
}

}  // namespace
