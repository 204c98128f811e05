// "작업 기록": past runs read from the chained action log, reached through the 되돌리기 button's menu; the
// filters, the 확인서 of a run and of the period, a move put back from it, and a broken log said in red.
#include "app/records_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app/action_log.h"
#include "app/batch_run.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "window_test.h"

using namespace apptest;

namespace {

vek::ActionRecord Rec(const char* time, const char* batch, std::string_view method, const char* source,
                      std::string_view result = vek::kResultDone) {
  vek::ActionRecord r;
  r.Time = time;
  r.User = "kim";
  r.Host = "pc-01";
  r.Batch = batch;
  r.Method = std::string(method);
  r.Source = source;
  r.Size = "10";
  r.Kinds = "주민등록번호";
  r.Hits = "2";
  r.Result = std::string(result);
  return r;
}

class RecordsWindowTest : public WindowTest {
 protected:
  void Log(const std::vector<vek::ActionRecord>& records) {
    vek::ActionLog log;
    for (const auto& r : records) log.Append(r);
    ASSERT_TRUE(log.Flush()) << log.Problem();
  }
  // Four runs on three days; the last two started together but differ in method.
  void LogFourRuns() {
    Log({Rec("2024-05-01 09:00:00", "C:\\batchmove.bat", vek::kMethodMove, "D:\\가\\run1-a.txt"),
         Rec("2024-05-01 09:00:00", "C:\\batchmove.bat", vek::kMethodMove, "D:\\가\\run1-b.txt",
             vek::kResultFailed),
         Rec("2024-05-02 10:00:00", "C:\\batchdel.bat", vek::kMethodDelete, "D:\\나\\run2-c.txt"),
         Rec("2024-05-03 11:00:00", "C:\\batchdel.bat", vek::kMethodShred, "D:\\다\\run3-d.txt"),
         Rec("2024-05-03 11:00:00", "C:\\batchdel.bat", vek::kMethodShred, "D:\\다\\run3-e.txt"),
         Rec("2024-05-03 11:00:00", "C:\\batchdel.bat", vek::kMethodDelete, "D:\\다\\run4-f.txt")});
  }
  // Opens the window as a person does: a click on 되돌리기, then on the menu's "작업 기록...".
  vek::RecordsWindow* OpenByMenu() {
    form.show();
    QMenu* menu = form.BtnRestore->menu();
    QAction* entry = nullptr;
    for (QAction* a : menu->actions())
      if (a->text() == QString::fromUtf8("작업 기록...")) entry = a;
    EXPECT_NE(entry, nullptr);
    if (!entry) return nullptr;
    QTimer::singleShot(0, menu, [menu, entry] {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    });
    QTest::mouseClick(form.BtnRestore, Qt::LeftButton);
    auto* w = form.findChild<vek::RecordsWindow*>(QStringLiteral("RecordsWindow"));
    EXPECT_TRUE(w && w->isVisible());
    return w;
  }
  static std::vector<std::string> Rows(vek::RecordsWindow* w) {
    std::vector<std::string> rows;
    for (int r = 0; r < w->Runs->rowCount(); ++r) {
      std::string row;
      for (int c = 0; c < w->Runs->columnCount(); ++c) row += (c ? "|" : "") + S(w->Runs->item(r, c)->text());
      rows.push_back(row);
    }
    return rows;
  }
  static void ClickRow(vek::RecordsWindow* w, int row, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(w->Runs->viewport(), Qt::LeftButton, mods,
                      w->Runs->visualItemRect(w->Runs->item(row, 0)).center());
  }
  // The PDF's text without blanks and line breaks.
  static std::string PdfText(const std::string& pdf) {
    const std::string txt = pdf + ".txt";
    EXPECT_EQ(std::system(("pdftotext '" + pdf + "' '" + txt + "'").c_str()), 0);
    std::string text;
    for (char ch : ReadBytes(txt))
      if (ch != ' ' && ch != '\n' && ch != '\r' && ch != '\f') text += ch;
    return text;
  }
};

TEST_F(RecordsWindowTest, ListsOneRowPerRunAndFiltersByMethodAndDateThroughTheKeys) {
  LogFourRuns();
  std::vector<std::string> entries;
  for (QAction* a : form.BtnRestore->menu()->actions()) entries.push_back(S(a->text()));
  EXPECT_EQ(entries, (std::vector<std::string>{"마지막 이동 되돌리기", "작업 기록..."}));
  vek::RecordsWindow* w = OpenByMenu();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->Warning->isHidden());
  EXPECT_EQ(Rows(w),
            (std::vector<std::string>{"2024-05-03 11:00:00|완전삭제|2|2|0", "2024-05-03 11:00:00|삭제|1|1|0",
                                      "2024-05-02 10:00:00|삭제|1|1|0", "2024-05-01 09:00:00|이동|2|1|1"}));
  // The method: Down picks "이동", then "삭제"; Home goes back to every method.
  w->MethodBox->setFocus();
  QTest::keyClick(w->MethodBox, Qt::Key_Down);
  EXPECT_EQ(Rows(w), (std::vector<std::string>{"2024-05-01 09:00:00|이동|2|1|1"}));
  QTest::keyClick(w->MethodBox, Qt::Key_Down);
  EXPECT_EQ(Rows(w),
            (std::vector<std::string>{"2024-05-03 11:00:00|삭제|1|1|0", "2024-05-02 10:00:00|삭제|1|1|0"}));
  QTest::keyClick(w->MethodBox, Qt::Key_Home);
  EXPECT_EQ(w->Runs->rowCount(), 4);
  // The dates: from a day later the first run goes; to that same day only its runs stay.
  EXPECT_EQ(w->From->date(), QDate(2024, 5, 1));
  w->From->setFocus();
  w->From->setCurrentSection(QDateTimeEdit::DaySection);
  QTest::keyClick(w->From, Qt::Key_Up);
  EXPECT_EQ(Rows(w).back(), "2024-05-02 10:00:00|삭제|1|1|0");
  EXPECT_EQ(w->Runs->rowCount(), 3);
  w->To->setDate(QDate(2024, 5, 2));
  EXPECT_EQ(Rows(w), (std::vector<std::string>{"2024-05-02 10:00:00|삭제|1|1|0"}));
  // Only a move can be put back.
  ClickRow(w, 0);
  EXPECT_TRUE(w->ReportButton->isEnabled());
  EXPECT_FALSE(w->RestoreButton->isEnabled());
}

TEST_F(RecordsWindowTest, TheReportOfTheSelectedRunOrElseOfThePeriodShown) {
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is not installed";
  LogFourRuns();
  std::vector<std::string> opened;
  plat::os::SetOpenHandler([&](const std::string& p) {
    opened.push_back(p);
    return true;
  });
  vek::RecordsWindow* w = OpenByMenu();
  ASSERT_NE(w, nullptr);
  ClickRow(w, 0);  // the 완전삭제 run
  QTest::mouseClick(w->ReportButton, Qt::LeftButton);
  ASSERT_EQ(opened, std::vector<std::string>{w->LastReport});
  ASSERT_TRUE(Exists(w->LastReport));
  EXPECT_TRUE(w->LastReport.starts_with(vek::UserDataDir() + "/reports/"));
  EXPECT_TRUE(Exists(w->LastReport.substr(0, w->LastReport.size() - 4) + ".html"));
  std::string text = PdfText(w->LastReport);
  EXPECT_NE(text.find("run3-d.txt"), std::string::npos) << text;
  EXPECT_NE(text.find("run3-e.txt"), std::string::npos) << text;
  EXPECT_NE(text.find("파기한파일:2개"), std::string::npos) << text;
  for (const char* other : {"run1-a.txt", "run2-c.txt", "run4-f.txt"})
    EXPECT_EQ(text.find(other), std::string::npos) << other;
  // Ctrl+click takes the selection away: the 확인서 covers the runs listed (here the deletes).
  ClickRow(w, 0, Qt::ControlModifier);
  ASSERT_EQ(w->SelectedRun(), nullptr);
  w->MethodBox->setCurrentIndex(2);  // 삭제
  QTest::mouseClick(w->ReportButton, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened.back(), w->LastReport);
  text = PdfText(w->LastReport);
  EXPECT_NE(text.find("run2-c.txt"), std::string::npos) << text;
  EXPECT_NE(text.find("run4-f.txt"), std::string::npos) << text;
  EXPECT_NE(text.find("파기한파일:2개"), std::string::npos) << text;
  EXPECT_NE(text.find("2024-05-01"), std::string::npos) << text;
  for (const char* other : {"run1-a.txt", "run3-d.txt"})
    EXPECT_EQ(text.find(other), std::string::npos) << other;
}

TEST_F(RecordsWindowTest, TwoRunsStartedInTheSameSecondAreTwoRowsAndTwoReports) {
  // Older records without a run's identity group by their start as before; two runs that started in the same
  // second with the same batch and method stay apart by their identities.
  std::vector<vek::ActionRecord> records;
  records.push_back(Rec("2024-05-01 09:00:00", "C:\\batchdel.bat", vek::kMethodDelete, "D:\\가\\old-a.txt"));
  records.push_back(Rec("2024-05-01 09:00:00", "C:\\batchdel.bat", vek::kMethodDelete, "D:\\가\\old-b.txt"));
  for (const char* run : {"1111111111111111", "2222222222222222", "1111111111111111"}) {
    records.push_back(Rec("2024-05-04 12:00:00", "C:\\batchdel.bat", vek::kMethodShred,
                          run[0] == '1' ? "D:\\나\\first.txt" : "D:\\나\\second.txt"));
    records.back().Run = run;
  }
  records.back().Source = "D:\\나\\first-2.txt";
  records.back().Result = std::string(vek::kResultCancelled);
  Log(records);
  vek::RecordsWindow* w = OpenByMenu();
  ASSERT_NE(w, nullptr);
  std::vector<std::string> rows = Rows(w);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows,
            (std::vector<std::string>{"2024-05-01 09:00:00|삭제|2|2|0", "2024-05-04 12:00:00|완전삭제|1|1|0",
                                      "2024-05-04 12:00:00|완전삭제|2|1|0"}));

  std::vector<std::string> opened;
  plat::os::SetOpenHandler([&](const std::string& p) {
    opened.push_back(p);
    return true;
  });
  for (int row = 0; row < 3; ++row) {
    if (S(w->Runs->item(row, 1)->text()) != "완전삭제") continue;
    ClickRow(w, row);
    QTest::mouseClick(w->ReportButton, Qt::LeftButton);
  }
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_NE(opened[0], opened[1]) << "one run's 확인서 written over the other's";
  std::vector<std::string> html;
  for (const std::string& pdf : opened) html.push_back(ReadBytes(pdf.substr(0, pdf.size() - 4) + ".html"));
  const std::string& first = html[0].find("first.txt") != std::string::npos ? html[0] : html[1];
  const std::string& second = &first == &html[0] ? html[1] : html[0];
  EXPECT_EQ(first.find("second.txt"), std::string::npos);
  EXPECT_NE(first.find("first-2.txt"), std::string::npos);
  EXPECT_NE(first.find("남은 파일: 1개"), std::string::npos);  // the one Cancel left
  EXPECT_NE(second.find("second.txt"), std::string::npos);
  EXPECT_EQ(second.find("first.txt"), std::string::npos);
}

TEST_F(RecordsWindowTest, AMoveIsPutBackFromItsRowThroughTheMoveRecordItWrote) {
  // A move record of another run, written just before, whose files are not this run's.
  ASSERT_FALSE(
      vek::WriteManifest({{"D:\\남\\x.txt", "C:\\보안예비자료\\남\\x.txt", std::nullopt, "", ""}}).empty());
  plat::os::ForceDirectories(d + "/자료");
  ASSERT_TRUE(MakeFile(d + "/자료/a.txt", "contents of a"));
  AddRow("a.txt", "D:\\자료");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4->click();
  ASSERT_EQ(ReadBytes(c + "/보안예비자료/자료/a.txt"), "contents of a");
  ASSERT_FALSE(Exists(d + "/자료/a.txt"));

  vek::RecordsWindow* w = OpenByMenu();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->Runs->rowCount(), 1);
  EXPECT_EQ(S(w->Runs->item(0, 1)->text()), "이동");
  ClickRow(w, 0);
  ASSERT_TRUE(w->RestoreButton->isEnabled());
  dialogs.QueueAnswer(plat::ui::IDYES);  // the restore's question
  QTest::mouseClick(w->RestoreButton, Qt::LeftButton);
  EXPECT_EQ(ReadBytes(d + "/자료/a.txt"), "contents of a");
  EXPECT_FALSE(Exists(c + "/보안예비자료/자료/a.txt"));
  // The list is read again: the restore is a run of its own.
  ASSERT_EQ(w->Runs->rowCount(), 2);
  std::vector<std::string> methods{S(w->Runs->item(0, 1)->text()), S(w->Runs->item(1, 1)->text())};
  std::sort(methods.begin(), methods.end());
  EXPECT_EQ(methods, (std::vector<std::string>{"되돌리기", "이동"}));
  EXPECT_FALSE(w->RestoreButton->isEnabled());
}

TEST_F(RecordsWindowTest, ALogWithOneCharacterChangedIsSaidInRedNamingTheLine) {
  LogFourRuns();
  std::string bytes = ReadBytes(vek::ActionLogPath());
  const std::size_t at = bytes.find("run2-c.txt");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 5] = 'x';
  ASSERT_TRUE(MakeFile(vek::ActionLogPath(), bytes));
  const vek::LogCheck check = vek::VerifyActionLog(vek::ActionLogPath(), vek::ReadChainHead());
  ASSERT_EQ(check.Result, vek::LogCheck::State::Changed);

  vek::RecordsWindow* w = OpenByMenu();
  ASSERT_NE(w, nullptr);
  ASSERT_FALSE(w->Warning->isHidden());
  EXPECT_EQ(S(w->Warning->text()), check.Message);
  EXPECT_NE(check.Message.find(std::to_string(check.Line)), std::string::npos) << check.Message;
  EXPECT_EQ(w->Runs->rowCount(), 4);  // the runs are still listed
  // The line is drawn in red.
  const QImage shot = w->Warning->grab().toImage();
  int red = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const QColor px = shot.pixelColor(x, y);
      if (px.red() > 180 && px.green() < 90 && px.blue() < 90) ++red;
    }
  EXPECT_GT(red, 10);
}

}  // namespace
