// The records of a batch run are on disk while the run goes on: the action log and the manifest of a move
// grow in groups of rows, so that a run killed half-way leaves the way back for what it had moved.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/batch_run.h"
#include "platform/os/os.h"

namespace {

// Points the user data folder at a fresh temporary folder for one test, and back afterwards.
class DataFolder {
 public:
  DataFolder() : before_(qgetenv("XDG_DATA_HOME")) { qputenv("XDG_DATA_HOME", dir_.path().toUtf8()); }
  ~DataFolder() { qputenv("XDG_DATA_HOME", before_); }

 private:
  QTemporaryDir dir_;
  QByteArray before_;
};

vek::ActionRecord SharedFields(std::string batch, std::string method) {
  vek::ActionRecord r;
  r.Time = "2026-12-07 10:00:00";
  r.User = "담당자";
  r.Host = "pc, 3층";  // a shared field that needs quotes
  r.Batch = std::move(batch);
  r.Method = std::move(method);
  r.Run = "0123456789abcdef";
  return r;
}

// Views of the arguments: used within the statement that makes it.
vek::RunRecords::File File(std::string_view source, std::string_view target, std::string_view result,
                           std::string_view reason) {
  vek::RunRecords::File f;
  f.Source = source;
  f.Target = target;
  f.Result = result;
  f.Reason = reason;
  return f;
}

int Lines(const std::string& path) {
  const std::string text = plat::os::FileExists(path) ? plat::os::ReadFileBytes(path) : std::string();
  return int(std::count(text.begin(), text.end(), '\n'));
}

TEST(RunJournal, RecordsReachTheDiskBeforeTheRunEnds) {
  DataFolder data;
  const std::string log = vek::ActionLogPath();
  {
    vek::RunJournal journal(true, SharedFields("c:\\batchmove.bat", "이동"));
    for (int i = 0; i < vek::RunJournal::kRowsPerWrite; ++i)
      journal.AddMoved(File("C:\\자료\\" + std::to_string(i) + ".txt",
                            "C:\\보안예비자료\\자료\\" + std::to_string(i) + ".txt", "성공", ""),
                       std::nullopt);
    // A whole group is written out without waiting for the end: the manifest exists and holds it.
    EXPECT_EQ(Lines(log), 1 + vek::RunJournal::kRowsPerWrite);  // the heading and the group
    const std::string latest = vek::LatestManifest();
    ASSERT_FALSE(latest.empty());
    EXPECT_EQ(vek::ReadManifest(latest).size(), std::size_t(vek::RunJournal::kRowsPerWrite));
    // A failed move is logged but not put in the manifest.
    journal.Add(
        File("C:\\x.txt", "C:\\보안예비자료\\x.txt", "실패", "대상 폴더에 같은 이름의 파일이 이미 있음"));
    const std::string path = journal.Finish();
    EXPECT_EQ(path, latest);
    EXPECT_EQ(vek::ReadManifest(path).size(), std::size_t(vek::RunJournal::kRowsPerWrite));
    EXPECT_TRUE(journal.Problem().empty());
  }
  EXPECT_EQ(Lines(log), 1 + vek::RunJournal::kRowsPerWrite + 1);
  // Each line holds the run's shared fields around the file's own, as a whole record would be written.
  vek::RunRecords records(SharedFields("c:\\batchmove.bat", "이동"));
  records.Add(
      File("C:\\x.txt", "C:\\보안예비자료\\x.txt", "실패", "대상 폴더에 같은 이름의 파일이 이미 있음"));
  const std::vector<vek::LoggedRecord> read = vek::ReadActionLog(log);
  ASSERT_EQ(read.size(), std::size_t(vek::RunJournal::kRowsPerWrite + 1));
  EXPECT_EQ(read.back().Record, records[0]);
}

TEST(RunJournal, NothingMovedWritesNoManifestAndAnUnwritableLogIsReported) {
  DataFolder data;
  {
    vek::RunJournal journal(false, SharedFields("c:\\batchdel.bat", "삭제"));
    journal.Add(File("C:\\a.txt", "", "성공", ""));
    EXPECT_TRUE(journal.Finish().empty());
  }
  EXPECT_TRUE(vek::LatestManifest().empty());
  // The log's place is taken by a folder: the run is told, nothing throws.
  plat::os::DeleteFile(vek::ActionLogPath());
  plat::os::ForceDirectories(vek::ActionLogPath());
  vek::RunJournal journal(false, SharedFields("c:\\batchdel.bat", "삭제"));
  journal.Add(File("C:\\b.txt", "", "성공", ""));
  journal.Finish();
  EXPECT_FALSE(journal.Problem().empty());
}

}  // namespace
