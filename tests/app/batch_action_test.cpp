// Moving and deleting ticked files: the exact batch bytes, rows leaving the list, refused rows, the
// questions, ticking, and the batch interpreter running the written files on real files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <sstream>

#include "app/batch_text.h"
#include "app/command_line.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "platform/batch/batch.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"
#include "window_test.h"

using namespace apptest;

namespace {

TEST(FolderTail, EachFormOfFolder) {
  EXPECT_EQ(vek::FolderTail("D:\\자료\\2023"), "\\자료\\2023");
  EXPECT_EQ(vek::FolderTail("D:"), "");
  EXPECT_EQ(vek::FolderTail("\\\\server\\share\\x"), "\\server\\share\\x");
  EXPECT_EQ(vek::FolderTail("/home/user/문서"), "\\home\\user\\문서");
  EXPECT_EQ(vek::FolderTail("\\자료"), "\\자료");
  EXPECT_EQ(vek::FolderTail("자료"), "\\자료");
  EXPECT_EQ(plat::text::Utf8Length(vek::FolderTail("D:" + std::string(300, 'x'))), 255u);
}

// A folder's checks are worked out once and the last one asked for is kept at hand: a folder text met again,
// in a reused buffer or after another folder, and a copy of the batch, still get their own lines.
TEST(BatchText, FolderFactsFollowTheFolderAskedFor) {
  vek::BatchText batch;
  std::string folder = "D:\\자료";
  batch.AddMove("C:\\백업", folder, "a.txt", 0);
  folder = "D:\\100%";  // the same buffer, another folder
  batch.AddMove("C:\\백업", folder, "b.txt", 1);
  EXPECT_FALSE(batch.Check(2, "D:\\자료\\..", "c.txt", "C:\\백업"));
  EXPECT_TRUE(batch.Check(3, "D:\\자료", "c.txt", "C:\\백업"));
  vek::BatchText copy;
  {
    vek::BatchText original = batch;
    original.AddMd("C:\\백업", "D:\\자료", 3);
    copy = original;
  }
  copy.AddMove("C:\\백업", "D:\\자료", "c.txt", 3);
  copy.AddMove("D:\\다른백업", "D:\\자료", "d.txt", 4);
  EXPECT_EQ(copy.Lines(), (std::vector<std::string>{
                              "move \"D:\\자료\\a.txt\" \"C:\\백업\\자료\\.\"",
                              "move \"D:\\100%%\\b.txt\" \"C:\\백업\\100%%\\.\"",
                              "md \"C:\\백업\\자료\"",
                              "move \"D:\\자료\\c.txt\" \"C:\\백업\\자료\\.\"",
                              "move \"D:\\자료\\d.txt\" \"D:\\다른백업\\자료\\.\"",
                          }));
  EXPECT_EQ(copy.Info()[1].Target, "C:\\백업\\100%\\b.txt");
}

class BatchActions : public WindowTest {
 protected:
  std::string Batch(const char* name) { return ReadBytes(c + "/" + name); }
  static std::string Cp949(const std::string& s) { return plat::text::Utf8ToCp949(s); }
};

TEST_F(BatchActions, MoveWritesFolderLinesThenMoveLinesBottomUp) {
  AddRow("a0.xls", "D:\\자료\\2023", false);
  AddRow("a1.xls", "D:\\자료\\2023", true);
  AddRow("a2.xls", "D:\\자료", false);
  AddRow("a3.hwp", "D:\\문서", true);
  AddRow("a4.xls", "D:\\자료", false);
  plat::os::ForceDirectories(d + "/자료/2023");
  plat::os::ForceDirectories(d + "/문서");
  MakeFile(d + "/자료/2023/a1.xls", "A1");
  MakeFile(d + "/문서/a3.hwp", "A3");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_EQ(Batch("batchmove.bat"),
            Cp949("md \"C:\\보안예비자료\\문서\"\r\n"
                  "md \"C:\\보안예비자료\\자료\\2023\"\r\n"
                  "move \"D:\\문서\\a3.hwp\" \"C:\\보안예비자료\\문서\\.\"\r\n"
                  "move \"D:\\자료\\2023\\a1.xls\" \"C:\\보안예비자료\\자료\\2023\\.\"\r\n"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a0.xls", "a2.xls", "a4.xls"}));
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/문서/a3.hwp"), "A3");
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/자료/2023/a1.xls"), "A1");
  ASSERT_EQ(dialogs.History().size(), 2u);
  EXPECT_EQ(dialogs.History()[0].Text, "정말 이동하시겠습니까 ? ");
  EXPECT_EQ(dialogs.History()[0].Flags, 36);
  // The summary comes when the batch has ended and ends with the closing notice: one OK ends a finished
  // run; nothing waits blindly.
  EXPECT_EQ(dialogs.History()[1].Text.rfind("2개 이동, 0개 실패", 0), 0u) << dialogs.History()[1].Text;
  EXPECT_TRUE(dialogs.History().back().Text.ends_with("\n\n작업이 모두 종료 되면 누르십시오"))
      << dialogs.History().back().Text;
  EXPECT_EQ(slept, 0);
  EXPECT_FALSE(form.msg->isVisible());
}

TEST_F(BatchActions, ATerminalThatCannotStartIsReported) {
  EnvVar wanted("VEKSECURITY_TERMINAL", std::string("no-such-terminal-program"));
  AddRow("a.xls", "D:\\자료", true);
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  bool told = false;
  for (const auto& h : dialogs.History())
    told = told || h.Text.rfind("배치 파일을 실행하지 못했습니다.", 0) == 0;
  EXPECT_TRUE(told);
  EXPECT_EQ(dialogs.History().back().Text, "작업이 모두 종료 되면 누르십시오");
  EXPECT_EQ(slept, 3000);  // a terminal run is not watched: the notice follows a pause
}

TEST_F(BatchActions, AnsweringNoChangesNothing) {
  AddRow("a.xls", "D:\\자료", true);
  MakeFile(c + "/batchmove.bat", "old");
  dialogs.QueueAnswer(plat::ui::IDNO);
  form.BitBtn4Click(&form);
  dialogs.QueueAnswer(plat::ui::IDNO);
  form.BitBtn6Click(&form);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.xls"});
  EXPECT_TRUE(form.Mgr_grid->Cells(0, 0).AsBoolean());
  EXPECT_EQ(Batch("batchmove.bat"), "old");
  EXPECT_FALSE(Exists(c + "/batchdel.bat"));
  EXPECT_EQ(slept, 0);
}

TEST_F(BatchActions, DeleteWritesOneLinePerTickedRowAndDoublesPercent) {
  AddRow("100%.txt", "D:\\자료", true);
  AddRow("keep.txt", "D:\\자료", false);
  AddRow("b.txt", "\\\\srv\\공유", true);  // no share of that name here: its line fails
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/100%.txt");
  MakeFile(d + "/자료/keep.txt");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn6Click(&form);
  EXPECT_EQ(Batch("batchdel.bat"), Cp949("del \"\\\\srv\\공유\\b.txt\"\r\ndel \"D:\\자료\\100%%.txt\"\r\n"));
  EXPECT_FALSE(Exists(d + "/자료/100%.txt"));
  EXPECT_TRUE(Exists(d + "/자료/keep.txt"));
  // The failed row stays, still ticked; the summary says what happened.
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep.txt", "b.txt"}));
  EXPECT_TRUE(form.Mgr_grid->Cells(0, 1).AsBoolean());
  EXPECT_EQ(dialogs.History()[0].Text, "영구 삭제됩니다. 정말 진행하시겠습니까 ? \n\n영구 삭제할 파일: 2개");
  EXPECT_EQ(dialogs.History().back().Text.rfind("1개 삭제, 1개 실패", 0), 0u)
      << dialogs.History().back().Text;
  EXPECT_NE(dialogs.History().back().Text.find("\\\\srv\\공유\\b.txt"), std::string::npos);
}

TEST_F(BatchActions, UnsafeRowsGetNoLineStayListedAndAreExplained) {
  AddRow("a\".xls & del C:\\x", "D:\\자료", true);
  AddRow("tab\there.txt", "D:\\자료", true);
  AddRow("pipe|.txt", "D:\\자료", true);
  AddRow("emoji😀.txt", "D:\\자료", true);
  AddRow("ok.txt", "D:\\자료", true);
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/ok.txt");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_EQ(Batch("batchmove.bat"), Cp949("md \"C:\\보안예비자료\\자료\"\r\n"
                                          "move \"D:\\자료\\ok.txt\" \"C:\\보안예비자료\\자료\\.\"\r\n"));
  EXPECT_EQ(Names().size(), 4u);
  bool told = false;
  for (const auto& h : dialogs.History()) told = told || h.Text.rfind("4개 항목은", 0) == 0;
  EXPECT_TRUE(told);
}

// A name with a character the batch file's encoding would drop without a word names another file: the
// delete must not reach the file whose name is the same without it.
TEST_F(BatchActions, ANameThatWouldLoseACharacterIsRefusedNotShortened) {
  const std::string tag = "\xF3\xA0\x81\x81";  // U+E0041, a Unicode tag character
  AddRow("보고서" + tag + ".hwp", "D:\\자료", true);
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/보고서.hwp");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn6Click(&form);
  EXPECT_EQ(Batch("batchdel.bat"), "");
  EXPECT_TRUE(Exists(d + "/자료/보고서.hwp"));
  EXPECT_EQ(Names().size(), 1u);
  bool told = false;
  for (const auto& h : dialogs.History()) told = told || h.Text.rfind("1개 항목은", 0) == 0;
  EXPECT_TRUE(told);
}

TEST_F(BatchActions, TickingRemovingAndTheEmptyBatch) {
  form.cb_m->setChecked(true);
  form.cb_mClick(&form);  // empty grid: nothing to do
  AddRow("a", "D:\\x", false);
  AddRow("b", "D:\\x", false);
  AddRow("c", "D:\\x", false);
  form.cb_mClick(&form);
  for (int r = 0; r < 3; ++r) EXPECT_TRUE(form.Mgr_grid->Cells(0, r).AsBoolean());
  form.Mgr_grid->SetCol(1);
  form.Mgr_gridClick(&form);
  EXPECT_TRUE(form.Mgr_grid->Cells(0, 0).AsBoolean());
  form.Mgr_grid->SetCol(0);
  form.Mgr_gridClick(&form);
  EXPECT_FALSE(form.Mgr_grid->Cells(0, 0).AsBoolean());
  form.BitBtn7Click(&form);  // row 0 of three
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(form.Mgr_grid->Row(), 0);
  form.cb_m->setChecked(false);
  form.cb_mClick(&form);
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);  // nothing ticked: an empty batch is still written
  EXPECT_EQ(Batch("batchmove.bat"), "");
  EXPECT_EQ(Names().size(), 2u);
}

TEST_F(BatchActions, TheWrittenMoveBatchRunsInTheWindowOnRealFiles) {
  const std::string src = d + "/자료/2023";
  plat::os::ForceDirectories(src);
  MakeFile(src + "/a.xls", "A");
  MakeFile(src + "/b.xls", "B");
  MakeFile(src + "/keep.xls", "K");
  // b.xls reaches the backup folder once the batch is written: its move must fail and leave both files.
  form.BeforeBatchRun = [&](vek::BatchRunner&) {
    plat::os::ForceDirectories(c + "/보안예비자료/자료/2023");
    MakeFile(c + "/보안예비자료/자료/2023/b.xls", "older");
  };
  AddRow("a.xls", "D:\\자료\\2023", true);
  AddRow("b.xls", "D:\\자료\\2023", true);
  AddRow("keep.xls", "D:\\자료\\2023", false);
  AddRow("gone.xls", "D:\\자료\\2023", true);  // removed by hand meanwhile
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/자료/2023/a.xls"), "A");
  EXPECT_FALSE(Exists(src + "/a.xls"));
  EXPECT_EQ(ReadBytes(src + "/b.xls"), "B");
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/자료/2023/b.xls"), "older");
  EXPECT_EQ(ReadBytes(src + "/keep.xls"), "K");
  // Only the moved row left the list; the failed ones are there, ticked, and named with their reasons.
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.xls", "keep.xls", "gone.xls"}));
  EXPECT_TRUE(form.Mgr_grid->Cells(0, 0).AsBoolean());
  EXPECT_TRUE(form.Mgr_grid->Cells(0, 2).AsBoolean());
  ASSERT_GE(dialogs.History().size(), 2u);
  const std::string summary = dialogs.History().back().Text;
  EXPECT_EQ(summary.rfind("1개 이동, 2개 실패", 0), 0u) << summary;
  EXPECT_NE(summary.find("D:\\자료\\2023\\b.xls\n  대상 폴더에 같은 이름의 파일이 이미 있음"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("D:\\자료\\2023\\gone.xls\n  원본 파일이 없음"), std::string::npos) << summary;
  const std::string log = ReadBytes(c + "/batchmove.log");
  EXPECT_NE(log.find("4줄 성공, 2줄 실패\n종료 코드 1\n"), std::string::npos) << log;
}

TEST_F(BatchActions, CommandLineListsAndWritesTheSameBatches) {
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/a.xls");
  MakeFile(d + "/자료/b \"q\".xls");
  MakeFile(c + "/r.csv",
           Cp949("h\r\na.xls,주민등록번호,3,D:\\자료\r\nb \"q\".xls,주민등록번호,4,D:\\자료\r\n"));
  std::ostringstream out, err;
  const int code =
      vek::RunCommandLine({"--list", c + "/r.csv", "--backup", "D", "--move-batch", "c:\\m.bat"}, out, err);
  EXPECT_EQ(code, 3);  // the quoted name was left out of the batch
  EXPECT_EQ(out.str(), "a.xls,주민등록번호,3,D:\\자료\n\"b \"\"q\"\".xls\",주민등록번호,4,D:\\자료\n");
  EXPECT_EQ(
      ReadBytes(c + "/m.bat"),
      Cp949("md \"D:\\보안예비자료\\자료\"\r\nmove \"D:\\자료\\a.xls\" \"D:\\보안예비자료\\자료\\.\"\r\n"));
  EXPECT_NE(err.str().find("row 2"), std::string::npos);

  std::ostringstream o2, e2;
  EXPECT_EQ(vek::RunCommandLine({"--list", c + "/none.csv"}, o2, e2), 1);
  EXPECT_EQ(e2.str().rfind("VekSecurity: Cannot open file", 0), 0u);
  EXPECT_EQ(vek::RunCommandLine({"--list", c + "/r.csv", "--keywords", "maybe"}, o2, e2), 2);
  EXPECT_EQ(vek::RunCommandLine({"--list", c + "/r.csv", "--bogus"}, o2, e2), 2);
}

}  // namespace

namespace {

// The hidden memo gets the batch text only when it shows; the text is kept meanwhile.
TEST_F(WindowTest, HiddenMemoTakesTheBatchTextWhenItShows) {
  form.SetMemoText("md \"C:\\보안예비자료\"\r\nmove a b\r\n");
  EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
  EXPECT_EQ(form.MemoText(), "md \"C:\\보안예비자료\"\r\nmove a b\r\n");
  form.show();
  form.Memo1->show();
  EXPECT_EQ(form.Memo1->toPlainText().toStdString(), "md \"C:\\보안예비자료\"\nmove a b\n");
  form.SetMemoText({});
  EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
}

}  // namespace
