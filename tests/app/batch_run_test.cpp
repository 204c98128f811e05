// Batches run inside the program: progress per line, Cancel between lines, the action log, move records
// and putting moved files back; two files mirroring to one target.
#include "app/batch_run.h"

#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>

#include "app/batch_launcher.h"
#include "app/batch_text.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "platform/batch/batch.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"
#include "window_test.h"

using namespace apptest;

namespace {

TEST(BatchFileLines, SplitsDecodesAndMarksBadLines) {
  const auto lines =
      vek::BatchFileLines(plat::text::Utf8ToCp949("md \"C:\\가\"\r\ndel \"x\"\n") + "bad\xFF\r\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::optional<std::string>("md \"C:\\가\""));
  EXPECT_EQ(lines[1], std::optional<std::string>("del \"x\""));
  EXPECT_EQ(lines[2], std::nullopt);
  EXPECT_TRUE(vek::BatchFileLines("").empty());

  // A file with no bad line reads the same as line by line: line ends of either kind, an empty line, a
  // last line without an end, and a lead byte cut off by a line end (the only bad line of the second file).
  const std::string good =
      plat::text::Utf8ToCp949("md \"C:\\보안\"\r\n\r\nmove \"D:\\한글.hwp\" \"C:\\보안\\.\"\necho 끝");
  const auto whole = vek::BatchFileLines(good);
  ASSERT_EQ(whole.size(), 4u);
  EXPECT_EQ(whole[0], std::optional<std::string>("md \"C:\\보안\""));
  EXPECT_EQ(whole[1], std::optional<std::string>(""));
  EXPECT_EQ(whole[2], std::optional<std::string>("move \"D:\\한글.hwp\" \"C:\\보안\\.\""));
  EXPECT_EQ(whole[3], std::optional<std::string>("echo 끝"));
  const auto cut = vek::BatchFileLines(good + "\r\n" + plat::text::Utf8ToCp949("한").substr(0, 1) + "\r\n" +
                                       plat::text::Utf8ToCp949("echo 다음\r\n"));
  ASSERT_EQ(cut.size(), 6u);
  EXPECT_EQ(cut[3], std::optional<std::string>("echo 끝"));
  EXPECT_EQ(cut[4], std::nullopt);
  EXPECT_EQ(cut[5], std::optional<std::string>("echo 다음"));
}

TEST(BatchFileLines, AFileReadBackAsWrittenGivesTheLinesBuilt) {
  const std::vector<std::string> built{"md \"C:\\보안예비자료\\자료\"",
                                       "move \"D:\\자료\\한글.hwp\" \"C:\\보안예비자료\\자료\\.\""};
  const std::string written = plat::text::Utf8ToCp949(built[0] + "\r\n" + built[1] + "\r\n");
  const auto same = vek::ReadBackBatchLines(written, written, built);
  ASSERT_EQ(same.size(), 2u);
  EXPECT_EQ(same[0], std::optional<std::string>(built[0]));
  EXPECT_EQ(same[1], std::optional<std::string>(built[1]));
  // A file changed since it was written runs as it now reads, bad lines and all.
  const std::string changed = written + plat::text::Utf8ToCp949("del \"D:\\다른.hwp\"\r\n") + "bad\xFF\r\n";
  const auto now = vek::ReadBackBatchLines(changed, written, built);
  ASSERT_EQ(now.size(), 4u);
  EXPECT_EQ(now[2], std::optional<std::string>("del \"D:\\다른.hwp\""));
  EXPECT_EQ(now[3], std::nullopt);
  // A line with a line feed in it is two lines in the file, and the file decides.
  const std::vector<std::string> split{"echo a\necho b"};
  const std::string splitBytes = split[0] + "\r\n";
  EXPECT_EQ(vek::ReadBackBatchLines(splitBytes, splitBytes, split).size(), 2u);
}

TEST(KoreanReason, KnownReasonsKeepTheirPath) {
  EXPECT_EQ(vek::KoreanReason("target exists: C:\\b\\a.hwp"),
            "대상 폴더에 같은 이름의 파일이 이미 있음(덮어쓰지 않음): C:\\b\\a.hwp");
  EXPECT_EQ(vek::KoreanReason("something new"), "실패: something new");
  // No English is left for the user in what the interpreter says: the system's error, the host path, "to".
  EXPECT_EQ(vek::KoreanReason("cannot move D:\\a.txt to C:\\b\\: Operation not permitted"),
            "옮기지 못함: D:\\a.txt -> C:\\b\\: 허용되지 않은 작업");
  EXPECT_EQ(vek::KoreanReason("source does not exist: D:\\a.txt (host path /srv/d/a.txt)"),
            "원본 파일이 없음(옮겨졌거나 지워졌을 수 있음): D:\\a.txt (이 컴퓨터의 경로 /srv/d/a.txt)");
  plat::batch::LineResult moved, failed;
  moved.status = plat::batch::LineStatus::Succeeded;
  moved.message = "moved D:\\a.txt -> C:\\b\\";
  EXPECT_EQ(vek::KoreanLine(moved), "옮김: D:\\a.txt -> C:\\b\\");
  // A done line names paths only: a folder whose name reads like a phrase the log translates keeps its name.
  moved.message = "moved D:\\보고 (host path 정리)\\a.txt -> C:\\b (copy removed)\\";
  EXPECT_EQ(vek::KoreanLine(moved), "옮김: D:\\보고 (host path 정리)\\a.txt -> C:\\b (copy removed)\\");
  // 완전삭제 says what became of the file.
  EXPECT_EQ(
      vek::KoreanReason(
          "not shredded: D:\\a.txt has 2 hard links; its data would stay readable under the other name"),
      "완전삭제하지 않음(다른 하드 링크가 있어 그 이름으로 데이터가 남음): D:\\a.txt");
  EXPECT_EQ(vek::KoreanReason(
                "shred interrupted: the overwrite of D:\\a.txt stopped after 4096 of 8192 bytes (zero pass): "
                "Input/output error; the file is left in place, partly overwritten"),
            "덮어쓰기가 중간에 멈춤(파일은 그 자리에 남음): D:\\a.txt (일부만 덮어씀)");
  failed.number = 4;
  failed.status = plat::batch::LineStatus::Failed;
  failed.message = "cannot delete D:\\a.txt: Permission denied";
  EXPECT_EQ(vek::KoreanLine(failed), "실패: 4번째 줄: 지우지 못함: D:\\a.txt: 접근 권한이 없음");
}

TEST(Manifest, RoundTripsAwkwardPathsAndOlderRecordsAndIsNeverRewritten) {
  DriveSandbox box;
  const vek::FileStamp stamp{4, 1700000000123456789, 2049, 77};
  const std::vector<vek::ManifestEntry> entries{
      {"D:\\자료,쉼표\\a \"q\".xls", "C:\\보안예비자료\\자료,쉼표\\a \"q\".xls", stamp, "주민등록번호", "12"},
      {"D:\\=1+2.txt", "C:\\보안예비자료\\=1+2.txt", std::nullopt, "", ""}};
  const std::string path = vek::WriteManifest(entries);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(vek::LatestManifest(), path);
  const auto back = vek::ReadManifest(path);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].Source, entries[0].Source);
  EXPECT_EQ(back[0].Target, entries[0].Target);
  EXPECT_EQ(back[0].Stamp, stamp);
  EXPECT_EQ(back[0].Kind, "주민등록번호");
  EXPECT_EQ(back[0].Hits, "12");
  EXPECT_EQ(back[1].Source, "D:\\=1+2.txt");  // a record is data, never guarded as a spreadsheet cell
  EXPECT_EQ(back[1].Stamp, std::nullopt);
  // A record written before stamps were kept: source and target only.
  const std::string older = vek::ManifestDir() + "/move-00000000-older.csv";
  ASSERT_TRUE(MakeFile(older, "\xEF\xBB\xBF원본,대상\r\nD:\\b.txt,C:\\보안예비자료\\b.txt\r\n"));
  const auto old = vek::ReadManifest(older);
  ASSERT_EQ(old.size(), 1u);
  EXPECT_EQ(old[0].Target, "C:\\보안예비자료\\b.txt");
  EXPECT_EQ(old[0].Stamp, std::nullopt);
  // What restores put back is kept beside the record; a record whose every file is back is no longer the
  // latest, and the record itself is untouched.
  const std::string bytes = ReadBytes(path);
  vek::AppendRestored(path, {back[1]});
  EXPECT_EQ(vek::LatestManifest(), path);
  vek::AppendRestored(path, {back[0]});
  EXPECT_EQ(vek::ReadRestored(path).size(), 2u);
  EXPECT_NE(vek::LatestManifest(), path);
  EXPECT_EQ(ReadBytes(path), bytes);
  EXPECT_EQ(vek::WriteManifest({}), "");
}

class BatchRun : public WindowTest {
 protected:
  void AddFile(const std::string& name, const std::string& folderUnderD, const std::string& bytes,
               bool ticked = true) {
    plat::os::ForceDirectories(d + "/" + folderUnderD);
    ASSERT_TRUE(MakeFile(d + "/" + folderUnderD + "/" + name, bytes));
    AddRow(name, "D:\\" + folderUnderD, ticked);
  }
  // The last summary of a run, or empty.
  std::string Summary() {
    for (auto it = dialogs.History().rbegin(); it != dialogs.History().rend(); ++it)
      if (it->Text.find("개 실패") != std::string::npos) return it->Text;
    return {};
  }
};

// The window takes the finished lines while the worker goes on: each once, in order, the early ones
// before the run ends.
TEST(BatchRunner, FinishedLinesAreTakenInOrderWhileTheRunGoesOn) {
  std::vector<std::optional<std::string>> lines;
  for (int i = 0; i < 6; ++i) lines.emplace_back("echo " + std::to_string(i));
  lines.emplace_back(std::nullopt);  // not valid CP949: fails
  vek::BatchRunner runner(std::move(lines));
  std::atomic<int> started{0};
  std::atomic<bool> release{false};
  runner.OnLineDone = [&](std::size_t index, const plat::batch::LineResult&) {
    started = int(index) + 1;
    if (index == 2)
      while (!release) QThread::msleep(1);  // hold the worker after the third line
  };
  std::vector<std::size_t> taken;
  std::vector<std::string> messages;
  const auto take = [&](std::size_t index, const plat::batch::LineResult& r) {
    taken.push_back(index);
    messages.push_back(r.message);
  };
  runner.Start();
  while (started < 3) QThread::msleep(1);
  runner.TakeFinished(take);
  EXPECT_FALSE(runner.Finished());
  EXPECT_EQ(taken, (std::vector<std::size_t>{0, 1, 2}));
  runner.TakeFinished(take);  // nothing new while the worker waits
  EXPECT_EQ(taken.size(), 3u);
  release = true;
  runner.Wait();
  runner.TakeFinished(take);
  EXPECT_EQ(taken, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(messages[4], "4");
  EXPECT_EQ(runner.Results()[6].status, plat::batch::LineStatus::Failed);
}

TEST_F(BatchRun, CancelStopsBetweenLinesAndEveryFileIsWholeOrUntouched) {
  for (int i = 0; i < 5; ++i)
    AddFile("f" + std::to_string(i) + ".txt", "자료", std::string(1000 + i, char('a' + i)));
  // Cancel while the second move runs: it finishes, nothing after it starts.
  int moves = 0;
  vek::BatchRunner* active = nullptr;
  form.BeforeBatchRun = [&](vek::BatchRunner& r) { active = &r; };
  plat::batch::MoveHooks hooks;
  hooks.rename = [&](const std::string& from, const std::string& to) {
    if (++moves == 2) active->Cancel();
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  };
  plat::batch::SetMoveHooks(hooks);
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_EQ(moves, 2);
  // Bottom-up: f4 and f3 moved whole; f0..f2 untouched and still listed, ticked.
  for (int i = 0; i < 5; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    const std::string bytes(1000 + i, char('a' + i));
    if (i >= 3) {
      EXPECT_EQ(ReadBytes(c + "/보안예비자료/자료/" + name), bytes);
      EXPECT_FALSE(Exists(d + "/자료/" + name));
    } else {
      EXPECT_EQ(ReadBytes(d + "/자료/" + name), bytes);
      EXPECT_FALSE(Exists(c + "/보안예비자료/자료/" + name));
    }
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"f0.txt", "f1.txt", "f2.txt"}));
  for (int r = 0; r < 3; ++r) EXPECT_TRUE(form.Mgr_grid->Cells(0, r).AsBoolean());
  EXPECT_EQ(Summary().rfind("2개 이동, 0개 실패, 3개 취소(그대로 둠)", 0), 0u) << Summary();
  // The action log has one line per file handled, and one per file Cancel left alone, said as such.
  const std::string log = LoggedActions();
  EXPECT_NE(log.find("이동|D:\\자료\\f4.txt|C:\\보안예비자료\\자료\\f4.txt|성공"), std::string::npos) << log;
  EXPECT_NE(log.find("D:\\자료\\f3.txt"), std::string::npos);
  for (const char* left : {"f0", "f1", "f2"})
    EXPECT_NE(log.find(std::string("이동|D:\\자료\\") + left + ".txt|C:\\보안예비자료\\자료\\" + left +
                       ".txt|취소"),
              std::string::npos)
        << left << "\n"
        << log;
}

TEST_F(BatchRun, ALongRunShowsItsProgressInTheWindow) {
  for (int i = 0; i < 3; ++i) AddFile("p" + std::to_string(i) + ".txt", "자료", "x");
  std::vector<int> doneAtMove;
  vek::BatchRunner* active = nullptr;
  form.BeforeBatchRun = [&](vek::BatchRunner& r) { active = &r; };
  plat::batch::MoveHooks hooks;
  hooks.rename = [&](const std::string& from, const std::string& to) {
    doneAtMove.push_back(active->Snapshot().Done);
    QThread::msleep(250);  // a slow file
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  };
  plat::batch::SetMoveHooks(hooks);
  QString label;
  bool shown = false;
  std::string actionLogThen, batchLogThen;
  QTimer::singleShot(500, &form, [&] {
    if (auto* dialog = form.findChild<QProgressDialog*>("BatchProgress")) {
      shown = dialog->isVisible();
      label = dialog->labelText();
    }
    // The first file moved is on record while the second still moves.
    actionLogThen = ReadBytes(vek::ActionLogPath());
    batchLogThen = ReadBytes(vek::BatchLogPath(c + "/batchmove.bat"));
  });
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  // Three md lines, then the moves: each move starts with the lines before it finished.
  EXPECT_EQ(doneAtMove, (std::vector<int>{3, 4, 5}));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(label.startsWith(QString::fromUtf8("파일을 옮기는 중입니다 ("))) << S(label);
  // Files, not batch lines: three files, each with its folder line.
  EXPECT_TRUE(label.contains(QStringLiteral(" / 3)"))) << S(label);
  EXPECT_TRUE(label.contains(QString::fromUtf8("경과 시간 0:0"))) << S(label);
  EXPECT_NE(actionLogThen.find("D:\\자료\\p2.txt"), std::string::npos) << actionLogThen;
  EXPECT_EQ(actionLogThen.find("D:\\자료\\p0.txt"), std::string::npos) << actionLogThen;
  EXPECT_NE(batchLogThen.find("p2.txt"), std::string::npos) << batchLogThen;
  EXPECT_EQ(form.Mgr_grid->RowCount(), 0);
}

TEST_F(BatchRun, WhileABatchRunsTheWindowStartsNothingElseAndStaysOpen) {
  for (int i = 0; i < 2; ++i) AddFile("w" + std::to_string(i) + ".txt", "자료", "x");
  plat::batch::MoveHooks hooks;
  hooks.rename = [&](const std::string& from, const std::string& to) {
    QThread::msleep(200);
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  };
  plat::batch::SetMoveHooks(hooks);
  form.show();
  bool buttonEnabled = true, stillVisible = false;
  QTimer::singleShot(100, &form, [&] {
    buttonEnabled = form.BitBtn4->isEnabled() && form.BitBtn6->isEnabled();
    form.BitBtn4->click();  // a second move asked for while the first runs
    form.close();
    stillVisible = form.isVisible();
  });
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_FALSE(buttonEnabled);
  EXPECT_TRUE(stillVisible);
  int questions = 0;
  for (const auto& h : dialogs.History()) questions += h.Text == "정말 이동하시겠습니까 ? ";
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(form.Mgr_grid->RowCount(), 0);
  EXPECT_TRUE(form.BitBtn4->isEnabled());  // and everything is back afterwards
}

TEST_F(BatchRun, RestorePutsEveryFileBackAndNeverOverAFileNowThere) {
  AddFile("a.xls", "자료/2023", "AAAA");
  AddFile("b.hwp", "문서", "BBBB");
  AddFile("c.txt", "문서", "CCCC");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  ASSERT_EQ(form.Mgr_grid->RowCount(), 0);
  ASSERT_FALSE(Exists(d + "/자료/2023/a.xls"));
  // Meanwhile a new c.txt took its old place, and a.xls's folder was removed.
  MakeFile(d + "/문서/c.txt", "new");
  ASSERT_TRUE(QDir(Q(d + "/자료/2023")).removeRecursively());
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.RestoreMove({});
  EXPECT_EQ(ReadBytes(d + "/자료/2023/a.xls"), "AAAA");
  EXPECT_EQ(ReadBytes(d + "/문서/b.hwp"), "BBBB");
  EXPECT_EQ(ReadBytes(d + "/문서/c.txt"), "new");  // both files kept
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/문서/c.txt"), "CCCC");
  EXPECT_FALSE(Exists(c + "/보안예비자료/문서/b.hwp"));
  // The file now at c.txt's old place is seen before the question: c.txt is left out, not failed.
  EXPECT_EQ(Summary().rfind("2개 되돌림, 0개 실패, 1개 제외", 0), 0u) << Summary();
  // The record stays as the move wrote it; a second restore after the way is clear finishes it, and the
  // two already back are left out.
  const std::string manifest = vek::LatestManifest();
  ASSERT_EQ(vek::ReadManifest(manifest).size(), 3u);
  plat::os::DeleteFile(d + "/문서/c.txt");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.RestoreMove(manifest);
  EXPECT_EQ(ReadBytes(d + "/문서/c.txt"), "CCCC");
  EXPECT_EQ(Summary().rfind("1개 되돌림, 0개 실패, 2개 제외", 0), 0u) << Summary();
  EXPECT_EQ(vek::ReadManifest(manifest).size(), 3u);
  form.RestoreMove({});
  EXPECT_EQ(dialogs.History().back().Text, "되돌릴 이동 기록이 없습니다.");
}

TEST_F(BatchRun, EveryLineIsRecordedWhenALineInTheMiddleFails) {
  for (int i = 0; i < 3; ++i) AddFile("m" + std::to_string(i) + ".txt", "자료", "new " + std::to_string(i));
  // m1's target is taken once the batch is written: its line fails between two that succeed (the batch
  // runs from the last row up).
  form.BeforeBatchRun = [&](vek::BatchRunner&) {
    plat::os::ForceDirectories(c + "/보안예비자료/자료");
    ASSERT_TRUE(MakeFile(c + "/보안예비자료/자료/m1.txt", "kept"));
  };
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_EQ(Summary().rfind("2개 이동, 1개 실패", 0), 0u) << Summary();
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/자료/m1.txt"), "kept");
  EXPECT_EQ(ReadBytes(d + "/자료/m1.txt"), "new 1");
  EXPECT_EQ(Names(), std::vector<std::string>{"m1.txt"});
  // The action log: the failure with its reason, and the lines on both sides of it.
  const std::string log = LoggedActions();
  for (const char* moved : {"m2", "m0"})
    EXPECT_NE(log.find(std::string("이동|D:\\자료\\") + moved + ".txt|C:\\보안예비자료\\자료\\" + moved +
                       ".txt|성공"),
              std::string::npos)
        << log;
  EXPECT_NE(log.find("이동|D:\\자료\\m1.txt|C:\\보안예비자료\\자료\\m1.txt|실패|대상 폴더에 같은 이름의 "
                     "파일이 이미 있음"),
            std::string::npos)
      << log;
  // The interpreter's log beside the batch: every line in order, then the totals.
  const std::string batchLog = ReadBytes(vek::BatchLogPath(c + "/batchmove.bat"));
  const std::size_t m2 = batchLog.find("옮김: D:\\자료\\m2.txt");
  const std::size_t m1 = batchLog.find(
      "대상 폴더에 같은 이름의 파일이 이미 있음(덮어쓰지 않음): C:\\보안예비자료\\자료\\m1.txt");
  const std::size_t m0 = batchLog.find("옮김: D:\\자료\\m0.txt");
  EXPECT_TRUE(m2 != std::string::npos && m1 != std::string::npos && m0 != std::string::npos && m2 < m1 &&
              m1 < m0)
      << batchLog;
  EXPECT_NE(batchLog.find("5줄 성공, 1줄 실패\n"), std::string::npos) << batchLog;
  // The move record holds the two moved files only, so a restore never touches the file that was there.
  const auto manifest = vek::ReadManifest(vek::LatestManifest());
  ASSERT_EQ(manifest.size(), 2u);
  for (const auto& e : manifest) EXPECT_EQ(e.Source.find("m1.txt"), std::string::npos) << e.Source;
}

TEST_F(BatchRun, TwoFilesMirroringToOneTargetAreFoundBeforeTheBatch) {
  plat::os::ForceDirectories(c + "/공통");
  MakeFile(c + "/공통/a.txt", "from C");
  AddRow("a.txt", "C:\\공통", true);
  AddFile("A.TXT", "공통", "from D");  // Windows names are compared without case
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_EQ(ReadBytes(c + "/보안예비자료/공통/a.txt"), "from C");
  EXPECT_EQ(ReadBytes(d + "/공통/A.TXT"), "from D");
  EXPECT_EQ(Names(), std::vector<std::string>{"A.TXT"});
  bool told = false;
  for (const auto& h : dialogs.History()) told = told || h.Text.find("같은 백업 파일") != std::string::npos;
  EXPECT_TRUE(told);
}

}  // namespace
