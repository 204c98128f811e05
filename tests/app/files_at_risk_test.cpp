// Moves, deletes and restores that could lose a file's contents or touch a file the user never chose: two
// rows meeting at one backup file however they are spelled, a backup file already there, "!" under a
// command interpreter with delayed expansion, a file listed twice, and a restore that must put back exactly
// the file its move took away.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <sstream>

#include "app/batch_run.h"
#include "app/batch_targets.h"
#include "app/batch_text.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "platform/batch/batch.h"
#include "platform/text/text.h"
#include "window_test.h"

using namespace apptest;

namespace {

class FilesAtRisk : public WindowTest {
 protected:
  // A listed file with its bytes, under a drive folder of the sandbox ("C:\\a\\b" -> <C>/a/b).
  void Listed(const std::string& name, const std::string& folder, const std::string& bytes,
              bool ticked = true) {
    const std::string host = plat::os::ResolvePath(folder);
    plat::os::ForceDirectories(host);
    ASSERT_TRUE(MakeFile(host + "/" + name, bytes));
    AddRow(name, folder, ticked);
  }
  std::string At(const std::string& windowsPath) { return ReadBytes(plat::os::ResolvePath(windowsPath)); }
  std::string Batch(const char* name) { return plat::text::Cp949ToUtf8(ReadBytes(c + "/" + name)); }
  std::string Said(const std::string& part) {
    for (const auto& h : dialogs.History())
      if (h.Text.find(part) != std::string::npos) return h.Text;
    return {};
  }
  const plat::ui::ScriptedDialogs::Shown& Last() { return dialogs.History().back(); }
  void Move() {
    dialogs.QueueAnswer(plat::ui::IDYES);
    form.BitBtn4->click();
  }
};

TEST_F(FilesAtRisk, RowsMeetingAtOneBackupFileAreFoundHoweverSpelledAndTheLowerStays) {
  Listed("a.txt", "C:\\겹침3", "C3");
  Listed("a.txt", "D:\\겹침3\\", "D3");  // a trailing separator
  Listed("b.txt", "C:\\겹침4\\안", "C4");
  Listed("b.txt", "D:\\겹침4\\\\안", "D4");  // a doubled separator
  Listed("c.txt", "C:", "C-root");
  Listed("c.txt", "D:\\", "D-root");  // "X:" is "X:\"
  Move();
  // The upper row of each pair is moved, the lower one keeps its file and stays ticked in the list.
  EXPECT_EQ(At("C:\\보안예비자료\\겹침3\\a.txt"), "C3");
  EXPECT_EQ(At("C:\\보안예비자료\\겹침4\\안\\b.txt"), "C4");
  EXPECT_EQ(At("C:\\보안예비자료\\c.txt"), "C-root");
  EXPECT_EQ(At("D:\\겹침3\\a.txt"), "D3");
  EXPECT_EQ(At("D:\\겹침4\\안\\b.txt"), "D4");
  EXPECT_EQ(At("D:\\c.txt"), "D-root");
  ASSERT_EQ(form.Mgr_grid->RowCount(), 3);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(form.Mgr_grid->Cells(4, r).AsString().front(), 'D');
    EXPECT_TRUE(form.Mgr_grid->Cells(0, r).AsBoolean());
  }
  EXPECT_NE(Said("3개 항목은").find("D:\\겹침4\\\\안\\b.txt: 위쪽의 다른 항목과 같은 백업 파일"),
            std::string::npos)
      << Said("3개 항목은");
  // The counts add up to the six ticked rows.
  EXPECT_EQ(Last().Text.rfind("3개 이동, 0개 실패, 3개 제외", 0), 0u) << Last().Text;
}

TEST_F(FilesAtRisk, AMoveOntoAnotherListedFileOrAnExistingBackupFileIsRefusedBeforeTheBatch) {
  // A listed file already in the backup folder, and below it the file whose move would land on it; then the
  // same the other way round.
  Listed("f.txt", "C:\\보안예비자료\\자료", "already backed up");
  Listed("f.txt", "C:\\자료", "original");
  Listed("g.txt", "C:\\원본", "upper");
  Listed("g.txt", "C:\\보안예비자료\\원본", "lower, in the backup folder");
  // A backup file already there (case differs: Windows sees the same name), and a file where a folder of
  // the mirrored path should be.
  Listed("h.txt", "D:\\이미", "new h");
  plat::os::ForceDirectories(c + "/보안예비자료/이미");
  ASSERT_TRUE(MakeFile(c + "/보안예비자료/이미/H.TXT", "old h"));
  Listed("i.txt", "D:\\막힘\\안쪽", "new i");
  ASSERT_TRUE(MakeFile(c + "/보안예비자료/막힘", "a file, not a folder"));
  Listed("ok.txt", "D:\\괜찮음", "ok");
  Move();
  // g.txt's backup file is the lower row's file: neither is moved.
  EXPECT_EQ(Batch("batchmove.bat"),
            "md \"C:\\보안예비자료\\괜찮음\"\r\n"
            "md \"C:\\보안예비자료\\보안예비자료\\자료\"\r\n"
            "move \"D:\\괜찮음\\ok.txt\" \"C:\\보안예비자료\\괜찮음\\.\"\r\n"
            "move \"C:\\보안예비자료\\자료\\f.txt\" \"C:\\보안예비자료\\보안예비자료\\자료\\.\"\r\n");
  EXPECT_EQ(At("C:\\원본\\g.txt"), "upper");
  EXPECT_EQ(At("C:\\자료\\f.txt"), "original");
  EXPECT_EQ(At("C:\\보안예비자료\\원본\\g.txt"), "lower, in the backup folder");
  EXPECT_EQ(At("C:\\보안예비자료\\이미\\H.TXT"), "old h");
  EXPECT_EQ(At("D:\\막힘\\안쪽\\i.txt"), "new i");
  const std::string notice = Said("5개 항목은");
  EXPECT_NE(notice.find("D:\\이미\\h.txt: 백업 위치에 같은 이름의 파일이 이미 있음(덮어쓰지 않음): "
                        "C:\\보안예비자료\\이미\\h.txt"),
            std::string::npos)
      << notice;
  EXPECT_NE(
      notice.find(
          "D:\\막힘\\안쪽\\i.txt: 백업 위치의 폴더 자리에 같은 이름의 파일이 있음: C:\\보안예비자료\\막힘"),
      std::string::npos)
      << notice;
  EXPECT_NE(notice.find("C:\\자료\\f.txt: 옮겨질 자리(C:\\보안예비자료\\자료\\f.txt)가 위쪽 항목의 파일임"),
            std::string::npos)
      << notice;
  EXPECT_NE(notice.find("C:\\보안예비자료\\원본\\g.txt: 위쪽 항목이 이 파일의 자리로 옮겨짐"),
            std::string::npos)
      << notice;
}

TEST_F(FilesAtRisk, NamesWithExclamationMarksNameOnlyTheirOwnFiles) {
  Listed("a!b!c.txt", "D:\\느낌표", "abc");
  Listed("!.txt", "D:\\느낌표", "bang");
  Listed("ac.txt", "D:\\느낌표", "not listed for this", false);
  Listed(".txt", "D:\\느낌표", "not this either", false);
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn6->click();
  // A command interpreter with delayed expansion reads "!b!" as a variable: the batch turns it off first.
  EXPECT_EQ(
      Batch("batchdel.bat"),
      "setlocal DisableDelayedExpansion\r\ndel \"D:\\느낌표\\!.txt\"\r\ndel \"D:\\느낌표\\a!b!c.txt\"\r\n");
  EXPECT_FALSE(Exists(d + "/느낌표/a!b!c.txt"));
  EXPECT_FALSE(Exists(d + "/느낌표/!.txt"));
  EXPECT_EQ(ReadBytes(d + "/느낌표/ac.txt"), "not listed for this");
  EXPECT_EQ(ReadBytes(d + "/느낌표/.txt"), "not this either");
  EXPECT_EQ(Last().Text.rfind("2개 삭제, 0개 실패", 0), 0u) << Last().Text;
  // A batch without "!" is written as before, line for line.
  Listed("plain.txt", "D:\\느낌표", "p");
  Move();
  EXPECT_EQ(Batch("batchmove.bat"),
            "md \"C:\\보안예비자료\\느낌표\"\r\nmove \"D:\\느낌표\\plain.txt\" "
            "\"C:\\보안예비자료\\느낌표\\.\"\r\n");
}

TEST_F(FilesAtRisk, AFileListedTwiceIsDeletedOnceAndBothRowsLeave) {
  Listed("twice.txt", "D:\\중복", "x");
  AddRow("twice.txt", "D:\\중복\\", true);
  AddRow("TWICE.TXT", "d:/중복", true);  // the same file, as Windows reads it, but another file here
  ASSERT_TRUE(MakeFile(d + "/중복/TWICE.TXT", "another file on this computer"));
  Listed("other.txt", "D:\\중복", "y", false);
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn6->click();
  EXPECT_EQ(Batch("batchdel.bat"), "del \"D:\\중복\\twice.txt\"\r\n");
  EXPECT_FALSE(Exists(d + "/중복/twice.txt"));
  // The row whose file is gone leaves with the one deleted; the one whose file is still here stays.
  EXPECT_EQ(Names(), (std::vector<std::string>{"TWICE.TXT", "other.txt"}));
  EXPECT_EQ(Last().Text.rfind("1개 삭제, 0개 실패, 2개 중복(같은 파일)", 0), 0u) << Last().Text;
}

TEST_F(FilesAtRisk, AFailedBatchWriteHidesTheWaitNotice) {
  Listed("a.txt", "D:\\자료", "a");
  plat::os::ForceDirectories(c + "/batchmove.bat");  // a folder where the batch file goes
  dialogs.QueueAnswer(plat::ui::IDYES);
  EXPECT_ANY_THROW(form.BitBtn4Click(&form));
  EXPECT_FALSE(form.msg->isVisible());
  EXPECT_EQ(ReadBytes(d + "/자료/a.txt"), "a");
}

class Restore : public FilesAtRisk {
 protected:
  void RestoreLatest() {
    dialogs.QueueAnswer(plat::ui::IDYES);
    form.RestoreMove({});
  }
  std::string Question() {
    for (const auto& h : dialogs.History())
      if (h.Text.find("되돌리시겠습니까") != std::string::npos) return h.Text;
    return {};
  }
};

TEST_F(Restore, PutsBackOnlyTheFileItsMoveTookAndListsItAgain) {
  Listed("a.txt", "D:\\자료", "from D");
  form.Mgr_grid->Cells(2, 0).SetAsString("주민등록번호");
  form.Mgr_grid->Cells(3, 0).SetAsString("7");
  Move();
  const std::string first = vek::LatestManifest();
  // The backup copy is cleared and another file moved to the same backup path.
  ASSERT_TRUE(QFile::remove(Q(c + "/보안예비자료/자료/a.txt")));
  Listed("a.txt", "C:\\자료", "from C");
  Move();
  ASSERT_EQ(At("C:\\보안예비자료\\자료\\a.txt"), "from C");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.RestoreMove(first);
  // The first record's file is gone: the other file is not put at D:\자료\a.txt.
  EXPECT_FALSE(Exists(d + "/자료/a.txt"));
  EXPECT_EQ(At("C:\\보안예비자료\\자료\\a.txt"), "from C");
  EXPECT_NE(Last().Details.find("백업 폴더의 파일이 이동할 때의 그 파일이 아님"), std::string::npos)
      << Last().Details;
  EXPECT_NE(Last().Text.find("백업 폴더와 이동 기록에 그대로 남아 있습니다"), std::string::npos)
      << Last().Text;
  // The second record puts its own file back, which returns to the list unticked, kind and hits kept.
  EXPECT_EQ(form.Mgr_grid->RowCount(), 0);
  RestoreLatest();
  EXPECT_EQ(At("C:\\자료\\a.txt"), "from C");
  const std::string question = Question();
  EXPECT_NE(question.find("옮긴 파일 1개를"), std::string::npos) << question;
  EXPECT_NE(question.find("되돌릴 폴더 1곳:\n  C:\\자료"), std::string::npos) << question;
  ASSERT_EQ(form.Mgr_grid->RowCount(), 1);
  EXPECT_EQ(form.Mgr_grid->Cells(1, 0).AsString(), "a.txt");
  EXPECT_EQ(form.Mgr_grid->Cells(4, 0).AsString(), "C:\\자료");
  EXPECT_FALSE(form.Mgr_grid->Cells(0, 0).AsBoolean());
  // The move records are as their moves wrote them; the restore kept its own.
  EXPECT_EQ(vek::ReadManifest(first).size(), 1u);
  EXPECT_TRUE(vek::ReadRestored(first).empty());
  EXPECT_EQ(vek::LatestManifest(), first);
}

TEST_F(Restore, KindAndHitsComeBackWithTheRow) {
  Listed("k.txt", "D:\\자료", "k");
  form.Mgr_grid->Cells(2, 0).SetAsString("휴대폰번호");
  form.Mgr_grid->Cells(3, 0).SetAsString("12");
  Move();
  RestoreLatest();
  ASSERT_EQ(form.Mgr_grid->RowCount(), 1);
  EXPECT_EQ(form.Mgr_grid->Cells(2, 0).AsString(), "휴대폰번호");
  EXPECT_EQ(form.Mgr_grid->Cells(3, 0).AsString(), "12");
  EXPECT_EQ(ReadBytes(d + "/자료/k.txt"), "k");
}

TEST_F(Restore, ARecordNamingAFileNeverMovedOrAPathThroughALinkMovesNothing) {
  // A crafted record: a file that was never moved (not the mirror of its source), one reached through a
  // backup folder replaced by a link to a folder outside, and one going back through a link.
  plat::os::ForceDirectories(c + "/보안예비자료/링크안");
  plat::os::ForceDirectories(d + "/바깥");
  ASSERT_TRUE(MakeFile(d + "/바깥/secret.txt", "outside"));
  ASSERT_TRUE(QFile::link(Q(d + "/바깥"), Q(c + "/보안예비자료/링크")));
  plat::os::ForceDirectories(c + "/보안예비자료/엉뚱");
  ASSERT_TRUE(MakeFile(c + "/보안예비자료/엉뚱/x.txt", "x"));
  plat::os::ForceDirectories(c + "/보안예비자료/돌아갈");
  ASSERT_TRUE(MakeFile(c + "/보안예비자료/돌아갈/y.txt", "y"));
  ASSERT_TRUE(QFile::link(Q(d + "/바깥"), Q(d + "/돌아갈")));
  const std::string record = vek::WriteManifest({
      {"D:\\다른곳\\x.txt", "C:\\보안예비자료\\엉뚱\\x.txt", std::nullopt, "", ""},
      {"D:\\링크\\secret.txt", "C:\\보안예비자료\\링크\\secret.txt", std::nullopt, "", ""},
      {"D:\\돌아갈\\y.txt", "C:\\보안예비자료\\돌아갈\\y.txt", std::nullopt, "", ""},
  });
  form.RestoreMove(record);
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/엉뚱/x.txt"), "x");
  EXPECT_FALSE(Exists(d + "/다른곳"));  // and no folder was made for it
  EXPECT_EQ(ReadBytes(d + "/바깥/secret.txt"), "outside");
  EXPECT_FALSE(Exists(d + "/링크"));
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/돌아갈/y.txt"), "y");
  EXPECT_FALSE(Exists(d + "/바깥/y.txt"));
  const std::string details = Last().Details;
  EXPECT_NE(details.find("원래 경로를 그대로 옮긴 자리가 아님"), std::string::npos) << details;
  EXPECT_NE(details.find("백업 폴더까지의 경로에 심볼릭 링크가 있음"), std::string::npos) << details;
  EXPECT_NE(details.find("원래 폴더까지의 경로에 심볼릭 링크나 파일이 있음"), std::string::npos) << details;
}

TEST_F(Restore, AnOlderRecordIsCheckedByPlaceAndSizeAndTheQuestionSaysSo) {
  plat::os::ForceDirectories(c + "/보안예비자료/예전");
  ASSERT_TRUE(MakeFile(c + "/보안예비자료/예전/old.txt", "older record"));
  const std::string record = vek::ManifestDir() + "/move-00000000-000000-000.csv";
  ASSERT_TRUE(
      MakeFile(record, "\xEF\xBB\xBF원본,대상\r\nD:\\예전\\old.txt,C:\\보안예비자료\\예전\\old.txt\r\n"));
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.RestoreMove(record);
  EXPECT_NE(Question().find("1개는 예전 형식의 이동 기록이라 이동한 그 파일인지 끝까지 확인할 수 없습니다"),
            std::string::npos)
      << Question();
  EXPECT_EQ(ReadBytes(d + "/예전/old.txt"), "older record");
}

TEST_F(Restore, AHundredThousandEntriesThatCannotGoBackAreAnsweredAtOnce) {
  std::string text = "\xEF\xBB\xBF원본,대상,크기,수정시각,장치,아이노드,종류,검출수\r\n";
  constexpr int kEntries = 100000;
  for (int i = 0; i < kEntries; ++i) {
    const std::string n = std::to_string(i);
    text +=
        "D:\\자료\\" + n + ".txt,C:\\보안예비자료\\자료\\" + n + ".txt,1,1,1," + n + ",주민등록번호,1\r\n";
  }
  const std::string record = vek::ManifestDir() + "/move-big.csv";
  ASSERT_TRUE(MakeFile(record, text));
  form.RestoreMove(record);
  EXPECT_NE(
      Last().Text.find(
          "되돌릴 수 있는 파일이 없습니다. 100,000개 모두 백업 폴더와 이동 기록에 그대로 남아 있습니다."),
      std::string::npos)
      << Last().Text;
  EXPECT_NE(Last().Details.find("... 외 98,000개"), std::string::npos);
  EXPECT_EQ(Last().Text.find("목록에"), std::string::npos);
}

TEST(DelayedExpansion, TheInterpreterTakesTheSettingLineAndRunsTheRest) {
  DriveSandbox box;
  plat::os::ForceDirectories(box.d + "/x");
  ASSERT_TRUE(MakeFile(box.d + "/x/a!b!c.txt", "1"));
  ASSERT_TRUE(MakeFile(box.d + "/x/ac.txt", "2"));
  std::ostringstream out;
  const plat::batch::BatchResult r = plat::batch::RunBatchText(
      plat::text::Utf8ToCp949("setlocal DisableDelayedExpansion\r\ndel \"D:\\x\\a!b!c.txt\"\r\n"), out);
  EXPECT_EQ(r.failed, 0) << out.str();
  EXPECT_EQ(r.succeeded, 1);
  EXPECT_FALSE(Exists(box.d + "/x/a!b!c.txt"));
  EXPECT_TRUE(Exists(box.d + "/x/ac.txt"));
  // Any other setlocal is not a line this interpreter knows.
  EXPECT_EQ(plat::batch::RunBatchLine("setlocal EnableDelayedExpansion").status,
            plat::batch::LineStatus::Failed);
}

}  // namespace
