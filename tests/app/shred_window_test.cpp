// 완전삭제 from the window: the delete question's check box and what the medium can promise, the files
// overwritten and gone, one chained record each, and the run's 확인서 from its summary.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/action_log.h"
#include "app/batch_run.h"
#include "app/records_window.h"
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

TEST_F(ShredWindow, CtrlCInTheRealQuestionCopiesItsTextWithTheMediumNote) {
  Listed("명단.xlsx", "1234", "주민등록번호", "2");
  plat::ui::SetDialogs(nullptr);  // Qt's own message box
  std::string copied;
  bool answered = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || answered) return;
    answered = true;
    ASSERT_NE(box->checkBox(), nullptr);
    QTest::mouseClick(box->checkBox(), Qt::LeftButton, {}, QPoint(8, box->checkBox()->height() / 2));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_C, Qt::ControlModifier);
    copied = QGuiApplication::clipboard()->text().toStdString();
    QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
  });
  poll.start(10);
  QTest::mouseClick(form.BitBtn6, Qt::LeftButton);
  poll.stop();
  plat::ui::SetDialogs(&dialogs);
  ASSERT_TRUE(answered);
  for (const std::string& expected :
       {std::string("영구 삭제됩니다. 정말 진행하시겠습니까 ?"), std::string("[v] 완전삭제(복구 불가)"),
        std::string("완전삭제는 파일의 내용을 덮어쓴 뒤 지웁니다."),
        plat::batch::MediumNoteFor(d + "/고객/명단.xlsx").Text() + " (1개)"})
    EXPECT_NE(copied.find(expected), std::string::npos) << expected << "\n" << copied;
  EXPECT_TRUE(Exists(d + "/고객/명단.xlsx")) << "No was the answer";
}

TEST_F(ShredWindow, TheRunsReportCountsTheSameFilesLeftFromTheSummaryAndFromTheRecordsWindow) {
  Listed("가.hwp", "a", "주민등록번호", "10");
  AddRow("웃음\xF0\x9F\x98\x80.txt", "D:\\고객");  // no batch line can name it (not CP949): left out
  form.Mgr_grid->Cells(TForm1::kKindColumn, 1).SetAsString("휴대폰번호");
  form.Mgr_grid->Cells(TForm1::kHitsColumn, 1).SetAsString("4");
  Listed("나.txt", "b", "계좌번호", "3");
  Listed("다.txt", "c", "계좌번호", "2");
  // Cancel once the first file is shredded: the others are not reached.
  form.BeforeBatchRun = [](vek::BatchRunner& runner) {
    runner.OnLineDone = [&runner](std::size_t, const plat::batch::LineResult& r) {
      if (r.shred) runner.Cancel();
    };
  };
  std::vector<std::string> opened;
  plat::os::SetOpenHandler([&](const std::string& path) {
    opened.push_back(path);
    return true;
  });
  dialogs.QueueCheck(true);
  dialogs.QueueAnswer(plat::ui::IDYES);
  dialogs.QueueAnswer(plat::ui::IDOK);      // the notice of the file left out
  dialogs.QueueAnswer(plat::ui::IDACTION);  // "확인서 보기" in the summary
  form.BitBtn6->click();
  ASSERT_EQ(opened.size(), 1u) << dialogs.History().back().Text;
  const auto html = [](const std::string& pdf) {
    const std::string text = ReadBytes(pdf.substr(0, pdf.size() - 4) + ".html");
    return text.substr(std::min(text.size(), text.find("<h2>방법별 합계")));
  };
  const std::string fromSummary = html(opened[0]);
  EXPECT_NE(fromSummary.find("파기한 파일: 1개"), std::string::npos) << fromSummary;
  EXPECT_NE(fromSummary.find("남은 파일: 3개"), std::string::npos) << fromSummary;
  for (const char* name : {"가.hwp", "웃음", "나.txt", "다.txt"})
    EXPECT_NE(fromSummary.find(name), std::string::npos) << name;

  // Every record of the run, the files left included, carries the run's identity.
  const auto log = vek::ReadActionLog(vek::ActionLogPath());
  ASSERT_EQ(log.size(), 4u);
  std::vector<std::string> results;
  for (const auto& l : log) {
    EXPECT_EQ(l.Record.Run, log[0].Record.Run);
    results.push_back(l.Record.Result);
  }
  EXPECT_EQ(log[0].Record.Run.size(), 16u);
  std::sort(results.begin(), results.end());
  EXPECT_EQ(results, (std::vector<std::string>{"성공", "제외", "취소", "취소"}));

  // The same run's 확인서 from "작업 기록".
  form.ShowRecordsWindow();
  auto* w = form.findChild<vek::RecordsWindow*>(QStringLiteral("RecordsWindow"));
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->Runs->rowCount(), 1);
  QTest::mouseClick(w->Runs->viewport(), Qt::LeftButton, {},
                    w->Runs->visualItemRect(w->Runs->item(0, 0)).center());
  QTest::mouseClick(w->ReportButton, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(html(opened[1]), fromSummary);
  w->hide();

  // A second run has an identity of its own.
  form.BeforeBatchRun = {};
  dialogs.QueueCheck(true);
  dialogs.QueueAnswer(plat::ui::IDYES);
  dialogs.QueueAnswer(plat::ui::IDOK);
  dialogs.QueueAnswer(plat::ui::IDOK);
  form.BitBtn6->click();
  const auto after = vek::ReadActionLog(vek::ActionLogPath());
  ASSERT_GT(after.size(), log.size());
  EXPECT_NE(after.back().Record.Run, log[0].Record.Run);
  EXPECT_EQ(after.back().Record.Run.size(), 16u);
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
