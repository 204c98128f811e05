// The batch interpreter's refusal of ".." segments, its partial copies across devices (sparse sources, stale
// copies of a killed run), and killing a real interpreter process in the middle of a copy.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/batch/batch.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "test_env.h"

namespace batch = plat::batch;
namespace os = plat::os;
using batch::Command;
using batch::LineStatus;

namespace {

std::string ReadFile(const std::string& host) {
  return os::ReadFileBytes(host);
}

void WriteFile(const std::string& host, const std::string& bytes) {
  ASSERT_TRUE(os::ForceDirectories(os::ExtractFilePath(host)));
  os::WriteFileBytes(host, bytes);
}

QStringList Entries(const std::string& dir) {
  QStringList l =
      QDir(QString::fromStdString(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  l.sort();
  return l;
}

std::string RunBatch(const std::vector<std::string>& lines, batch::BatchResult* result = nullptr) {
  std::string bytes;
  for (const std::string& l : lines) bytes += plat::text::Utf8ToCp949(l) + "\r\n";
  std::ostringstream out;
  batch::BatchResult r = batch::RunBatchText(bytes, out);
  if (result) *result = std::move(r);
  return out.str();
}

int AlwaysExdev(const std::string&, const std::string&) {
  return EXDEV;
}

// A partial copy as a killed run leaves it: the interpreter's name, owner-write-only, nobody holding it.
std::string MakeStalePartial(const std::string& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir + "/" + name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0200);
  EXPECT_GE(fd, 0) << path;
  EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  ::close(fd);
  ::chmod(path.c_str(), 0200);
  return path;
}

class BatchPartialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(c_.isValid());
    ASSERT_TRUE(d_.isValid());
  }
  void TearDown() override { batch::SetMoveHooks({}); }
  std::string C(const std::string& rest = "") const { return c_.path().toStdString() + "/" + rest; }
  std::string D(const std::string& rest = "") const { return d_.path().toStdString() + "/" + rest; }

  QTemporaryDir c_, d_;
  EnvVar envC_{"VEKSECURITY_DRIVE_C", c_.path().toStdString()};
  EnvVar envD_{"VEKSECURITY_DRIVE_D", d_.path().toStdString()};
};

}  // namespace

// --- ".." segments ---------------------------------------------------------------------------------------

TEST_F(BatchPartialTest, ParentSegmentsAreRefusedInEveryOperandOfEveryCommand) {
  WriteFile(D("자료/a.txt"), "a");
  WriteFile(D("비밀/b.txt"), "b");
  ASSERT_TRUE(os::ForceDirectories(C("보안예비자료/자료")));
  batch::BatchResult r;
  const std::string out = RunBatch(
      {
          R"(md "C:\보안예비자료\자료\..\..\비밀문서")",
          R"(move "D:\자료\a.txt" "C:\보안예비자료\자료\..\..\.")",
          R"(move "D:\자료\..\비밀\b.txt" "C:\보안예비자료\자료\.")", R"(del "D:\자료\..\비밀\b.txt")",
          R"(del D:/자료/../비밀/b.txt)",
          R"(del "D:\자료\.. \비밀\b.txt")",  // Windows drops the trailing blank
          R"(del "D:\자료\...\비밀\b.txt")",  // and trailing dots
          R"(md "..")",
          "del " + D("자료/../비밀/b.txt"),  // a host path
      },
      &r);
  ASSERT_EQ(r.lines.size(), 9u);
  for (const batch::LineResult& l : r.lines) {
    EXPECT_EQ(l.status, LineStatus::Failed) << l.number << ": " << l.message;
    EXPECT_NE(l.message.find("\"..\" segment is not allowed"), std::string::npos) << l.message;
  }
  EXPECT_EQ(r.lines[0].message,
            R"(md: a ".." segment is not allowed in a path: C:\보안예비자료\자료\..\..\비밀문서)");
  EXPECT_FALSE(os::DirectoryExists(C("비밀문서")));
  EXPECT_EQ(ReadFile(D("자료/a.txt")), "a");
  EXPECT_EQ(ReadFile(D("비밀/b.txt")), "b");
  EXPECT_EQ(Entries(C("보안예비자료/자료")), QStringList{});
  EXPECT_NE(out.find("0 succeeded, 9 failed"), std::string::npos) << out;
}

TEST_F(BatchPartialTest, NamesThatOnlyLookLikeParentSegmentsStillWork) {
  WriteFile(D("a..b/..c/d...txt"), "x");
  ASSERT_TRUE(os::ForceDirectories(C("t")));
  batch::BatchResult r;
  RunBatch({R"(md "C:\t\..x\y..")", R"(move "D:\a..b\..c\d...txt" "C:\t\..x\y..\.")"}, &r);
  EXPECT_EQ(r.failed, 0) << r.lines[0].message << " / " << r.lines[1].message;
  EXPECT_EQ(ReadFile(C("t/..x/y../d...txt")), "x");
}

TEST_F(BatchPartialTest, ParserReadsCommandsWithoutTouchingFiles) {
  const batch::ParsedLine move = batch::ParseBatchLine(R"(@MOVE /Y "D:\a b\%%c.txt" C:\d\.)");
  EXPECT_EQ(move.error, "");
  EXPECT_EQ(move.command, Command::Move);
  EXPECT_EQ(move.operands, (std::vector<std::string>{R"(D:\a b\%c.txt)", R"(C:\d\.)"}));
  const batch::ParsedLine del = batch::ParseBatchLine(R"(del "D:\..\x")");
  EXPECT_NE(del.error, "");
  EXPECT_EQ(del.command, Command::None);
  EXPECT_TRUE(del.operands.empty());
  EXPECT_EQ(batch::ParseBatchLine("echo.hi").command, Command::Echo);
  EXPECT_EQ(batch::ParseBatchLine("echo.hi").text, "hi");
  EXPECT_EQ(batch::ParseBatchLine("echo off").command, Command::None);
}

// --- partial copies ----------------------------------------------------------------------------------------

TEST_F(BatchPartialTest, SparseSourceStaysSparseInTheCopy) {
  const std::string src = D("sparse.bin");
  const off_t size = 64 << 20;
  {
    const int fd = ::open(src.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
    ASSERT_EQ(::pwrite(fd, "middle", 6, 20 << 20), 6);
    ASSERT_EQ(::ftruncate(fd, size), 0);  // ends in a hole
    ::close(fd);
  }
  struct stat st {};
  ASSERT_EQ(::stat(src.c_str(), &st), 0);
  if (off_t(st.st_blocks) * 512 >= size / 2) GTEST_SKIP() << "this file system does not keep holes";
  const std::string before = ReadFile(src);
  ASSERT_TRUE(os::ForceDirectories(C("dst")));

  batch::SetMoveHooks({AlwaysExdev, {}, {}});
  batch::BatchResult r;
  RunBatch({R"(move "D:\sparse.bin" "C:\dst")"}, &r);
  ASSERT_EQ(r.lines.at(0).status, LineStatus::Succeeded) << r.lines.at(0).message;
  struct stat copy {};
  ASSERT_EQ(::stat(C("dst/sparse.bin").c_str(), &copy), 0);
  EXPECT_EQ(copy.st_size, size);
  EXPECT_LT(off_t(copy.st_blocks) * 512, 4 << 20) << "the copy filled its holes";
  EXPECT_TRUE(ReadFile(C("dst/sparse.bin")) == before);
  EXPECT_FALSE(os::FileExists(src));
}

TEST_F(BatchPartialTest, PartialCopyIsMarkedWhileItIsWrittenAndGoneAfterAFailure) {
  WriteFile(D("a.txt"), std::string(3 << 20, 'a'));
  ASSERT_TRUE(os::ForceDirectories(C("dst")));
  std::string seen;
  mode_t mode = 0;
  bool lockedByUs = false;
  batch::SetMoveHooks({AlwaysExdev,
                       [](const std::string& temp) { ASSERT_EQ(::truncate(temp.c_str(), 1), 0); },
                       [&](const std::string& temp, std::int64_t) {
                         if (!seen.empty()) return;
                         seen = temp;
                         struct stat st {};
                         ASSERT_EQ(::stat(temp.c_str(), &st), 0);
                         mode = st.st_mode & 07777;
                         // Another process (a second open file description) cannot take its lock.
                         const int fd = ::open(temp.c_str(), O_WRONLY);
                         ASSERT_GE(fd, 0);
                         lockedByUs = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
                         ::close(fd);
                       }});
  batch::BatchResult r;
  RunBatch({R"(move "D:\a.txt" "C:\dst")"}, &r);
  EXPECT_EQ(r.lines.at(0).status, LineStatus::Failed);
  EXPECT_EQ(os::ExtractFilePath(seen), C("dst/"));
  EXPECT_TRUE(os::ExtractFileName(seen).starts_with(".vekbatch-")) << seen;
  EXPECT_EQ(mode, 0200u);
  EXPECT_TRUE(lockedByUs);
  EXPECT_EQ(Entries(C("dst")), QStringList{});
  EXPECT_EQ(ReadFile(D("a.txt")).size(), 3u << 20);
}

TEST_F(BatchPartialTest, NextMoveIntoTheFolderRemovesStaleCopiesAndNothingElse) {
  const std::string dst = C("dst");
  ASSERT_TRUE(os::ForceDirectories(dst));
  WriteFile(D("a.txt"), "a");
  WriteFile(D("b.txt"), "b");
  MakeStalePartial(dst, ".vekbatch-Ab12Cd", "stale one");
  MakeStalePartial(dst, ".vekbatch-zz99ZZ", "stale two");
  // Not of our making: another mode, another name, a link to a file elsewhere, a folder, a live copy.
  WriteFile(dst + "/.vekbatch-User01", "a user's file");
  MakeStalePartial(dst, ".vekbatch-Ab12C", "too short a name");
  MakeStalePartial(dst, ".vekbatch-Ab12Cd.txt", "longer name");
  MakeStalePartial(dst, "vekbatch-Ab12Cd", "no dot");
  MakeStalePartial(dst, ".vekbatch-Ab-2Cd", "a character mkostemp never makes");
  const std::string elsewhere = MakeStalePartial(C(), ".vekbatch-Linked", "linked");
  ASSERT_EQ(::link(elsewhere.c_str(), (dst + "/.vekbatch-HardLk").c_str()), 0);
  ASSERT_EQ(::symlink(elsewhere.c_str(), (dst + "/.vekbatch-SymLnk").c_str()), 0);
  ASSERT_TRUE(os::ForceDirectories(dst + "/.vekbatch-Folder"));
  const std::string live = MakeStalePartial(dst, ".vekbatch-LiveOn", "being written");
  const int liveFd = ::open(live.c_str(), O_WRONLY);
  ASSERT_GE(liveFd, 0);
  ASSERT_EQ(::flock(liveFd, LOCK_EX), 0);  // a running move holds its copy
  // In another folder: not this run's business.
  ASSERT_TRUE(os::ForceDirectories(C("other")));
  MakeStalePartial(C("other"), ".vekbatch-Other1", "elsewhere");

  batch::BatchResult r;
  const std::string out = RunBatch({R"(move "D:\a.txt" "C:\dst\.")", R"(move "D:\b.txt" "C:\dst\.")"}, &r);
  ::close(liveFd);
  EXPECT_EQ(r.succeeded, 2) << out;
  EXPECT_EQ(out,
            "removed an interrupted copy: C:\\dst\\.vekbatch-Ab12Cd\n"
            "removed an interrupted copy: C:\\dst\\.vekbatch-zz99ZZ\n"
            "moved D:\\a.txt -> C:\\dst\\\n"
            "moved D:\\b.txt -> C:\\dst\\\n"
            "2 succeeded, 0 failed\n")
      << out;
  EXPECT_EQ(Entries(dst),
            (QStringList{".vekbatch-Ab-2Cd", ".vekbatch-Ab12C", ".vekbatch-Ab12Cd.txt", ".vekbatch-Folder",
                         ".vekbatch-HardLk", ".vekbatch-LiveOn", ".vekbatch-SymLnk", ".vekbatch-User01",
                         "a.txt", "b.txt", "vekbatch-Ab12Cd"}));
  EXPECT_TRUE(os::FileExists(C("other/.vekbatch-Other1")));
  EXPECT_TRUE(os::FileExists(elsewhere));
}

TEST_F(BatchPartialTest, AnMdOfAFolderThatWasThereLeavesItsStaleCopiesToTheFirstMove) {
  ASSERT_TRUE(os::ForceDirectories(C("dst")));
  MakeStalePartial(C("dst"), ".vekbatch-Ab12Cd", "stale");
  WriteFile(D("a.txt"), "a");
  WriteFile(D("b.txt"), "b");
  batch::BatchResult r;
  const std::string out = RunBatch({R"(md "C:\dst")", R"(move "D:\a.txt" "C:\dst\.")", R"(md "C:\새\폴더")",
                                    R"(move "D:\b.txt" "C:\새\폴더\.")"},
                                   &r);
  // The folder made by the run has nothing to look for; the one that was there is looked through once.
  EXPECT_EQ(out,
            "folder exists: C:\\dst\n"
            "removed an interrupted copy: C:\\dst\\.vekbatch-Ab12Cd\n"
            "moved D:\\a.txt -> C:\\dst\\\n"
            "created C:\\새\\폴더\n"
            "moved D:\\b.txt -> C:\\새\\폴더\\\n"
            "4 succeeded, 0 failed\n")
      << out;
  EXPECT_EQ(Entries(C("dst")), QStringList{"a.txt"});
  EXPECT_EQ(Entries(C("새/폴더")), QStringList{"b.txt"});
}

TEST_F(BatchPartialTest, StaleCopiesStayWhenNoMoveGoesIntoTheirFolder) {
  ASSERT_TRUE(os::ForceDirectories(C("dst")));
  MakeStalePartial(C("dst"), ".vekbatch-Ab12Cd", "stale");
  WriteFile(D("a.txt"), "a");
  batch::BatchResult r;
  RunBatch({R"(md "C:\dst")", R"(del "D:\a.txt")", R"(move "D:\missing.txt" "C:\nofolder")"}, &r);
  EXPECT_EQ(Entries(C("dst")), QStringList{".vekbatch-Ab12Cd"});
}

// --- killing the interpreter
// --------------------------------------------------------------------------------

#if defined(VEKBATCH_PAUSING) && defined(VEKBATCH_EXE)

namespace {

// Starts the pausing interpreter on the batch file; it forces the copy path of a move and stops after the
// first block it copied, creating `ready`.
pid_t StartPausing(const std::string& bat, const std::string& ready) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    // A test run started in the background inherits ignored SIGINT (and nohup an ignored SIGHUP).
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) ::signal(sig, SIG_DFL);
    ::setenv("VEKBATCH_PAUSE_READY", ready.c_str(), 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::execl(VEKBATCH_PAUSING, VEKBATCH_PAUSING, bat.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 3000; ++i) {
    if (::access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int RunInterpreter(const std::string& bat, std::string& out) {
  const std::string log = bat + ".out";
  const std::string cmd = std::string(VEKBATCH_EXE) + " '" + bat + "' > '" + log + "' 2>&1";
  const int status = std::system(cmd.c_str());
  out = os::FileExists(log) ? ReadFile(log) : "";
  ::unlink(log.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

class BatchKillTest : public BatchPartialTest, public ::testing::WithParamInterface<int> {};

TEST_P(BatchKillTest, KillDuringACopyKeepsTheSourceAndTheNextRunCleansUp) {
  const int sig = GetParam();
  std::string big(5 << 20, '\0');  // several copy blocks
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 % 253);
  WriteFile(D("자료/큰 문서.hwp"), big);
  ASSERT_TRUE(os::ForceDirectories(C("보안예비자료/자료")));
  WriteFile(C("보안예비자료/자료/이미 있는.txt"), "kept");
  const std::string bat = C("batchmove.bat");
  WriteFile(bat, plat::text::Utf8ToCp949(
                     "@echo off\r\nmove \"D:\\자료\\큰 문서.hwp\" \"C:\\보안예비자료\\자료\\.\"\r\n"));

  const std::string ready = C("ready");
  const pid_t pid = StartPausing(bat, ready);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(WaitForFile(ready)) << "the interpreter never reached its copy";
  // In the middle of the copy: a hidden partial copy beside the files already there.
  const QStringList during = Entries(C("보안예비자료/자료"));
  ASSERT_EQ(during.size(), 2) << during.join(",").toStdString();
  EXPECT_TRUE(during[0].startsWith(".vekbatch-")) << during[0].toStdString();

  ASSERT_EQ(::kill(pid, sig), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
  EXPECT_EQ(WTERMSIG(status), sig);

  // The source is whole and in its place.
  EXPECT_TRUE(ReadFile(D("자료/큰 문서.hwp")) == big);
  const QStringList after = Entries(C("보안예비자료/자료"));
  if (sig == SIGKILL) {
    // Nothing can clean up after SIGKILL: the partial copy stays until the next run.
    EXPECT_EQ(after, during);
  } else {
    EXPECT_EQ(after, QStringList{"이미 있는.txt"});
  }

  // The next run (the real interpreter) removes what is left and does the move.
  std::string out;
  EXPECT_EQ(RunInterpreter(bat, out), 0) << out;
  if (sig == SIGKILL)
    EXPECT_NE(out.find("removed an interrupted copy: C:\\보안예비자료\\자료\\" + during[0].toStdString()),
              std::string::npos)
        << out;
  else
    EXPECT_EQ(out.find("removed"), std::string::npos) << out;
  EXPECT_EQ(Entries(C("보안예비자료/자료")), (QStringList{"이미 있는.txt", "큰 문서.hwp"}));
  EXPECT_TRUE(ReadFile(C("보안예비자료/자료/큰 문서.hwp")) == big);
  EXPECT_EQ(ReadFile(C("보안예비자료/자료/이미 있는.txt")), "kept");
  EXPECT_FALSE(os::FileExists(D("자료/큰 문서.hwp")));
}

TEST_F(BatchPartialTest, InterpreterPrintsEachLineAndAppendsTheRunToItsLog) {
  WriteFile(D("a.txt"), "a");
  const std::string bat = C("batchdel.bat");
  WriteFile(bat, plat::text::Utf8ToCp949("del \"D:\\a.txt\"\r\ndel \"D:\\..\\a.txt\"\r\n"));
  const std::string log = C("batchdel.log");
  WriteFile(log, "earlier run\n");
  const std::string cmd =
      std::string(VEKBATCH_EXE) + " --log '" + log + "' '" + bat + "' > '" + C("out") + "'";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string printed =
      "deleted D:\\a.txt\n"
      "failed: line 2: del: a \"..\" segment is not allowed in a path: D:\\..\\a.txt\n"
      "1 succeeded, 1 failed\n";
  EXPECT_EQ(ReadFile(C("out")), printed);
  const std::string logged = ReadFile(log);
  EXPECT_TRUE(logged.starts_with("earlier run\n== ")) << logged;
  EXPECT_NE(logged.find(" " + bat + "\n" + printed + "exit code 1\n"), std::string::npos) << logged;
  EXPECT_FALSE(os::FileExists(D("a.txt")));

  // A Windows path to the batch file goes under the drive's folder: ".." there is refused before reading.
  WriteFile(D("a.txt"), "a");
  WriteFile(D("batchdel.bat"), "del \"D:\\a.txt\"\r\n");
  const std::string up = std::string(VEKBATCH_EXE) + " 'C:\\..\\" + d_.path().section('/', -1).toStdString() +
                         "\\batchdel.bat' 2> '" + C("err") + "'";
  const int refused = std::system(up.c_str());
  ASSERT_TRUE(WIFEXITED(refused));
  EXPECT_EQ(WEXITSTATUS(refused), 2);
  EXPECT_NE(ReadFile(C("err")).find("\"..\" segment is not allowed"), std::string::npos)
      << ReadFile(C("err"));
  EXPECT_EQ(ReadFile(D("a.txt")), "a");
}

INSTANTIATE_TEST_SUITE_P(Signals, BatchKillTest, ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGKILL),
                         [](const ::testing::TestParamInfo<int>& info) {
                           switch (info.param) {
                             case SIGTERM:
                               return std::string("Term");
                             case SIGHUP:
                               return std::string("Hup");
                             case SIGINT:
                               return std::string("Int");
                             default:
                               return std::string("Kill");
                           }
                         });

#endif
