// 완전삭제 from the window: the delete question's check box and what the medium can promise, the files
// overwritten and gone, one chained record each, and the run's 확인서 from its summary.
#include <gtest/gtest.h>

#include <QProcess>
#include <QPushButton>

#include "app/action_log.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "platform/batch/medium.h"
#include "window_test.h"

using namespace apptest;

namespace {

class ShredWindow : public WindowTest {
 protected:
  void Listed(const std::string& name, const std::string& bytes, const std::string& kind,
              const std::string& hits) {
    plat::os::ForceDirectories(d + "/고객");
    ASSERT_TRUE(MakeFile(d + "/고객/" + name, bytes));
    AddRow(name, "D:\\고객");
    const int r = form.Mgr_grid->RowCount() - 1;
    form.Mgr_grid->Cells(TForm1::kKindColumn, r).SetAsString(kind);
    form.Mgr_grid->Cells(TForm1::kHitsColumn, r).SetAsString(hits);
  }
};

TEST_F(ShredWindow, CheckedInTheQuestionTheFilesAreOverwrittenRecordedAndConfirmed) {
  Listed("명단.xlsx", std::string(10000, 'A'), "주민등록번호", "12");
  Listed("연락처.txt", "010-1234-5678", "휴대폰번호", "3");
  Listed("계좌.csv", "110-123-456789", "계좌번호", "1");
  AddRow("남김.txt", "D:\\고객", false);  // listed, not ticked: left
  form.Mgr_grid->Cells(TForm1::kKindColumn, 3).SetAsString("주민등록번호");
  form.Mgr_grid->Cells(TForm1::kHitsColumn, 3).SetAsString("5");
  std::string opened;
  plat::os::SetOpenHandler([&](const std::string& path) {
    opened = path;
    return true;
  });
  dialogs.QueueCheck(true);
  dialogs.QueueAnswer(plat::ui::IDYES);
  dialogs.QueueAnswer(plat::ui::IDACTION);  // "확인서 보기" in the summary
  form.BitBtn6->click();

  const auto& question = dialogs.History().front();
  EXPECT_EQ(question.Text, "영구 삭제됩니다. 정말 진행하시겠습니까 ? \n\n영구 삭제할 파일: 3개");
  EXPECT_EQ(question.Extra, "완전삭제(복구 불가)");
  EXPECT_NE(question.Details.find(": " + plat::batch::MediumNoteFor(d + "/고객/명단.xlsx").Text() + " (3개)"),
            std::string::npos)
      << question.Details;
  for (const char* name : {"명단.xlsx", "연락처.txt", "계좌.csv"})
    EXPECT_FALSE(Exists(d + "/고객/" + name)) << name;
  EXPECT_EQ(Names(), std::vector<std::string>{"남김.txt"});
  const auto& summary = dialogs.History().back();
  EXPECT_EQ(summary.Text.rfind("3개 완전삭제, 0개 실패", 0), 0u) << summary.Text;
  EXPECT_EQ(summary.Extra, "확인서 보기");

  // One chained record per file, with the method, the result file's kind and hits and the medium's note;
  // the chain holds.
  const auto log = vek::ReadActionLog(vek::ActionLogPath());
  ASSERT_EQ(log.size(), 3u);
  for (const auto& l : log) {
    EXPECT_EQ(l.Record.Method, "완전삭제");
    EXPECT_EQ(l.Record.Result, "성공");
    EXPECT_FALSE(l.Record.Medium.empty());
    EXPECT_FALSE(l.Record.Kinds.empty());
  }
  EXPECT_EQ(log[2].Record.Size, "10000");  // the batch runs from the last row up
  EXPECT_FALSE(vek::VerifyActionLog(vek::ActionLogPath(), vek::ReadChainHead()).Broken());

  // The 확인서 was written and opened; read back, it names the three files and the totals.
  ASSERT_FALSE(form.LastReport.empty());
  EXPECT_EQ(opened, form.LastReport);
  QProcess text;
  text.start("pdftotext", {"-raw", QString::fromStdString(form.LastReport), "-"});
  if (!text.waitForFinished(20000) || text.exitCode() != 0) GTEST_SKIP() << "pdftotext is not installed";
  // A long path wraps in its table cell: the text is read without its line ends.
  std::string read = text.readAllStandardOutput().toStdString();
  std::erase(read, '\n');
  for (const char* name : {"명단.xlsx", "연락처.txt", "계좌.csv"})
    EXPECT_NE(read.find(name), std::string::npos) << read;
}

TEST_F(ShredWindow, InATerminalNoShredIsOfferedAndTheQuestionSaysNoRecordIsKept) {
  EnvVar terminalProgram{"VEKSECURITY_TERMINAL", std::string("/bin/true")};
  Listed("a.txt", "a", "이메일", "1");
  dialogs.QueueAnswer(plat::ui::IDNO);
  form.BitBtn6->click();
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_EQ(dialogs.History()[0].Extra, "");
  EXPECT_NE(dialogs.History()[0].Text.find("작업 기록을 남길 수 없습니다"), std::string::npos);
  EXPECT_TRUE(Exists(d + "/고객/a.txt"));
}

}  // namespace
