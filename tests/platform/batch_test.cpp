// The batch interpreter: real files in temporary drive-map folders, batch text built as CP949.
#include "platform/batch/batch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/text/text.h"

namespace batch = plat::batch;
namespace os = plat::os;
using batch::LineStatus;

namespace {

void SetOrUnset(const char* name, const std::optional<std::string>& value) {
  if (value)
    ::setenv(name, value->c_str(), 1);
  else
    ::unsetenv(name);
}

std::optional<std::string> GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::optional<std::string>(v) : std::nullopt;
}

void WriteFile(const std::string& host, const std::string& bytes) {
  ASSERT_TRUE(os::ForceDirectories(os::ExtractFilePath(host)));
  os::WriteFileBytes(host, bytes);
}

std::string ReadFile(const std::string& host) {
  return os::ReadFileBytes(host);
}

// Names in a folder, hidden ones included (a leftover temporary copy would be hidden).
QStringList Entries(const std::string& dir) {
  return QDir(QString::fromStdString(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

struct Outcome {
  batch::BatchResult result;
  std::string out;
  LineStatus Status(int number) const { return result.lines.at(std::size_t(number - 1)).status; }
  const std::string& Message(int number) const { return result.lines.at(std::size_t(number - 1)).message; }
};

// Drives C and D in temporary folders; hooks and environment restored afterwards.
class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(c_.isValid());
    ASSERT_TRUE(d_.isValid());
    oldC_ = GetEnv("VEKSECURITY_DRIVE_C");
    oldD_ = GetEnv("VEKSECURITY_DRIVE_D");
    ::setenv("VEKSECURITY_DRIVE_C", c_.path().toStdString().c_str(), 1);
    ::setenv("VEKSECURITY_DRIVE_D", d_.path().toStdString().c_str(), 1);
  }
  void TearDown() override {
    batch::SetMoveHooks({});
    SetOrUnset("VEKSECURITY_DRIVE_C", oldC_);
    SetOrUnset("VEKSECURITY_DRIVE_D", oldD_);
  }

  std::string C(const std::string& rest = "") const { return c_.path().toStdString() + "/" + rest; }
  std::string D(const std::string& rest = "") const { return d_.path().toStdString() + "/" + rest; }

  // Each line encoded to CP949 and ended with CR LF, as the program writes them.
  static std::string Cp949Batch(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& l : lines) bytes += plat::text::Utf8ToCp949(l) + "\r\n";
    return bytes;
  }
  static Outcome RunBytes(const std::string& bytes) {
    std::ostringstream out;
    Outcome r;
    r.result = batch::RunBatchText(bytes, out);
    r.out = out.str();
    return r;
  }
  static Outcome RunLines(const std::vector<std::string>& lines) { return RunBytes(Cp949Batch(lines)); }

  QTemporaryDir c_, d_;
  std::optional<std::string> oldC_, oldD_;
};

}  // namespace

// --- the move batch ---------------------------------------------------------------------------------------

TEST_F(BatchTest, BatchMoveOfKoreanNamesCreatesNestedFoldersAndMovesFiles) {
  WriteFile(D("자료/2023/가계부.xls"), "xls bytes");
  WriteFile(D("자료/보고서 초안.hwp"), "hwp bytes");
  struct stat before {};
  ASSERT_EQ(::stat(D("자료/2023/가계부.xls").c_str(), &before), 0);

  const Outcome r = RunLines({
      "@echo off",
      R"(md "C:\보안예비자료\자료\2023")",
      R"(md "C:\보안예비자료\자료")",
      R"(md "C:\보안예비자료\자료\2023")",
      R"(move "D:\자료\2023\가계부.xls" "C:\보안예비자료\자료\2023\.")",
      R"(move "D:\자료\보고서 초안.hwp" "C:\보안예비자료\자료\.")",
  });

  EXPECT_EQ(r.result.succeeded, 5);
  EXPECT_EQ(r.result.failed, 0);
  EXPECT_EQ(r.result.ExitCode(), batch::kExitAllSucceeded);
  EXPECT_EQ(r.Status(1), LineStatus::Skipped);
  EXPECT_EQ(ReadFile(C("보안예비자료/자료/2023/가계부.xls")), "xls bytes");
  EXPECT_EQ(ReadFile(C("보안예비자료/자료/보고서 초안.hwp")), "hwp bytes");
  EXPECT_FALSE(os::FileExists(D("자료/2023/가계부.xls")));
  EXPECT_FALSE(os::FileExists(D("자료/보고서 초안.hwp")));
  // On one device the file is renamed, not copied.
  struct stat after {};
  ASSERT_EQ(::stat(C("보안예비자료/자료/2023/가계부.xls").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);

  EXPECT_EQ(r.out,
            "created C:\\보안예비자료\\자료\\2023\n"
            "folder exists: C:\\보안예비자료\\자료\n"
            "folder exists: C:\\보안예비자료\\자료\\2023\n"
            "moved D:\\자료\\2023\\가계부.xls -> C:\\보안예비자료\\자료\\2023\\\n"
            "moved D:\\자료\\보고서 초안.hwp -> C:\\보안예비자료\\자료\\\n"
            "5 succeeded, 0 failed\n");
}

TEST_F(BatchTest, BatchMoveNeverReplacesAnExistingFileAndTheNextLineRuns) {
  WriteFile(D("a/문서.txt"), "new");
  WriteFile(C("b/문서.txt"), "old");
  WriteFile(D("a/other.txt"), "other");
  const Outcome r = RunLines({
      R"(move "D:\a\문서.txt" "C:\b\.")",
      R"(move "D:\a\other.txt" "C:\b\.")",
  });
  EXPECT_EQ(r.Status(1), LineStatus::Failed);
  EXPECT_NE(r.Message(1).find("target exists: C:\\b\\문서.txt"), std::string::npos) << r.Message(1);
  EXPECT_EQ(ReadFile(D("a/문서.txt")), "new");
  EXPECT_EQ(ReadFile(C("b/문서.txt")), "old");
  EXPECT_EQ(r.Status(2), LineStatus::Succeeded);
  EXPECT_EQ(ReadFile(C("b/other.txt")), "other");
  EXPECT_EQ(r.result.ExitCode(), batch::kExitSomeFailed);
  EXPECT_NE(r.out.find("failed: line 1: target exists"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 succeeded, 1 failed\n"), std::string::npos) << r.out;
}

TEST_F(BatchTest, BatchMoveFailsForMissingSourceFolderSourceAndBadTarget) {
  WriteFile(D("x/f.txt"), "f");
  WriteFile(C("plain.txt"), "p");
  ASSERT_TRUE(os::ForceDirectories(D("x/sub")));
  ASSERT_TRUE(os::ForceDirectories(C("t")));
  const Outcome r = RunLines({
      R"(move "D:\x\missing.txt" "C:\t\.")",
      R"(move "D:\x\sub" "C:\t\.")",
      R"(move "D:\x\f.txt" "C:\nowhere\.")",
      R"(move "D:\x\f.txt" "C:\plain.txt")",
      R"(move "\\srv\share\f.txt" "C:\t\.")",
      R"(move "D:\x\f.txt")",
      R"(move "D:\x\*.txt" "C:\t\.")",
  });
  ASSERT_EQ(r.result.lines.size(), 7u);
  for (int i = 1; i <= 7; ++i)
    EXPECT_EQ(r.Status(i), LineStatus::Failed) << "line " << i << ": " << r.Message(i);
  EXPECT_NE(
      r.Message(1).find("source does not exist: D:\\x\\missing.txt (host path " + D("x/missing.txt") + ")"),
      std::string::npos)
      << r.Message(1);
  EXPECT_NE(r.Message(2).find("folder"), std::string::npos) << r.Message(2);
  EXPECT_NE(r.Message(3).find("target folder does not exist: C:\\nowhere\\"), std::string::npos)
      << r.Message(3);
  EXPECT_NE(r.Message(4).find("target is not a folder"), std::string::npos) << r.Message(4);
  EXPECT_NE(r.Message(5).find("drive map"), std::string::npos) << r.Message(5);
  EXPECT_NE(r.Message(7).find("wildcards"), std::string::npos) << r.Message(7);
  EXPECT_EQ(ReadFile(D("x/f.txt")), "f");
  EXPECT_TRUE(os::DirectoryExists(D("x/sub")));
  EXPECT_EQ(ReadFile(C("plain.txt")), "p");
  EXPECT_TRUE(Entries(C("t")).isEmpty());
}

TEST_F(BatchTest, BatchMoveAcceptsEveryFormOfTheTargetFolder) {
  for (const char* n : {"1.txt", "2.txt", "3.txt", "4.txt"}) WriteFile(D(n), n);
  ASSERT_TRUE(os::ForceDirectories(C("t")));
  const Outcome r = RunLines({
      R"(move "D:\1.txt" "C:\t\.")",
      R"(move "D:\2.txt" "C:\t\")",
      R"(move "D:\3.txt" "C:\t")",
      "move D:\\4.txt C:\\t /Y",
  });
  EXPECT_EQ(r.result.succeeded, 4) << r.out;
  for (const char* n : {"1.txt", "2.txt", "3.txt", "4.txt"}) EXPECT_EQ(ReadFile(C(std::string("t/") + n)), n);
  EXPECT_EQ(r.Message(3), "moved D:\\3.txt -> C:\\t\\");
}

// --- md -------------------------------------------------------------------------------------------------

TEST_F(BatchTest, BatchMdFormsAndFailures) {
  WriteFile(C("file"), "x");
  const Outcome r = RunLines({
      "@mkdir C:\\a\\b\\c",
      "  @ MD \"C:\\q r\\s\"",
      "md\"C:\\tight\"",
      "md C:\\with blank",
      R"(md "C:\file")",
      R"(md "C:\file\under")",
  });
  EXPECT_EQ(r.Status(1), LineStatus::Succeeded) << r.Message(1);
  EXPECT_EQ(r.Status(2), LineStatus::Succeeded) << r.Message(2);
  EXPECT_EQ(r.Status(3), LineStatus::Succeeded) << r.Message(3);
  EXPECT_TRUE(os::DirectoryExists(C("a/b/c")));
  EXPECT_TRUE(os::DirectoryExists(C("q r/s")));
  EXPECT_TRUE(os::DirectoryExists(C("tight")));
  EXPECT_EQ(r.Status(4), LineStatus::Failed);  // two operands: an unquoted path cannot hold a blank
  EXPECT_FALSE(os::DirectoryExists(C("with")));
  EXPECT_EQ(r.Status(5), LineStatus::Failed);
  EXPECT_NE(r.Message(5).find("a file of that name exists"), std::string::npos) << r.Message(5);
  EXPECT_EQ(r.Status(6), LineStatus::Failed);
  EXPECT_EQ(ReadFile(C("file")), "x");
}

TEST_F(BatchTest, BatchMdMakesOnlyWhatIsMissingAndAFolderRemovedBehindTheRunIsMadeAgain) {
  WriteFile(C("file"), "x");
  WriteFile(D("a.txt"), "a");
  WriteFile(D("b.txt"), "b");
  ASSERT_TRUE(os::ForceDirectories(C("old")));
  // The first move takes the second move's folder away (as another program might).
  int renames = 0;
  batch::SetMoveHooks({[&](const std::string& from, const std::string& to) {
                         if (++renames == 1) {
                           EXPECT_EQ(::rmdir(C("gone/x").c_str()), 0);
                         }
                         return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
                       },
                       {},
                       {}});
  const Outcome r = RunLines({
      R"(md "C:\old")",
      R"(md "C:\새\폴더\안\")",
      R"(md "C:\file\deeper\still")",
      R"(md "C:\gone\x")",
      R"(move "D:\a.txt" "C:\새\폴더\안\.")",
      R"(move "D:\b.txt" "C:\gone\x\.")",
      R"(md "C:\gone\x")",
      R"(move "D:\b.txt" "C:\gone\x\.")",
      R"(md "C:\새\폴더\안\")",
      R"(md "C:\file\deeper\still")",
  });
  EXPECT_EQ(r.Message(1), "folder exists: C:\\old");
  EXPECT_EQ(r.Message(2), "created C:\\새\\폴더\\안\\");
  EXPECT_EQ(r.Status(3), LineStatus::Failed);  // a file where a folder above should be
  EXPECT_NE(r.Message(3).find("cannot create folder C:\\file\\deeper\\still"), std::string::npos)
      << r.Message(3);
  EXPECT_EQ(ReadFile(C("file")), "x");
  EXPECT_EQ(r.Status(5), LineStatus::Succeeded) << r.Message(5);
  EXPECT_EQ(ReadFile(C("새/폴더/안/a.txt")), "a");
  EXPECT_EQ(r.Status(6), LineStatus::Failed);
  EXPECT_NE(r.Message(6).find("target folder does not exist"), std::string::npos) << r.Message(6);
  // The run does not trust its memory of a folder that a move found gone.
  EXPECT_EQ(r.Message(7), "created C:\\gone\\x");
  EXPECT_EQ(r.Status(8), LineStatus::Succeeded) << r.Message(8);
  EXPECT_EQ(ReadFile(C("gone/x/b.txt")), "b");
  // A repeated md line answers as its first run did; one that failed is tried again and fails again.
  EXPECT_EQ(r.Message(9), "folder exists: C:\\새\\폴더\\안\\");
  EXPECT_EQ(r.Status(10), LineStatus::Failed);
  EXPECT_NE(r.Message(10).find("cannot create folder C:\\file\\deeper\\still"), std::string::npos)
      << r.Message(10);
}

// --- del ------------------------------------------------------------------------------------------------

TEST_F(BatchTest, BatchDelRemovesOneFileAndRefusesTheRest) {
  WriteFile(D("자료/a.txt"), "a");
  WriteFile(D("자료/b.txt"), "b");
  WriteFile(D("자료/c.txt"), "c");
  WriteFile(D("자료/d.txt"), "d");
  const Outcome r = RunLines({
      R"(del "D:\자료\a.txt")",
      R"(del "D:\자료\missing.txt")",
      R"(del "D:\자료")",
      R"(del "D:\자료\*.txt")",
      R"(del "D:\자료\?.txt")",
      R"(erase /f /q "D:\자료\b.txt")",
      R"(del /s "D:\자료\c.txt")",
      R"(del "D:\자료\c.txt" "D:\자료\d.txt")",
  });
  EXPECT_EQ(r.Status(1), LineStatus::Succeeded);
  EXPECT_EQ(r.Message(1), "deleted D:\\자료\\a.txt");
  EXPECT_FALSE(os::FileExists(D("자료/a.txt")));
  EXPECT_EQ(r.Status(2), LineStatus::Failed);
  EXPECT_NE(r.Message(2).find("file does not exist: D:\\자료\\missing.txt"), std::string::npos)
      << r.Message(2);
  EXPECT_EQ(r.Status(3), LineStatus::Failed);
  EXPECT_TRUE(os::DirectoryExists(D("자료")));
  EXPECT_EQ(r.Status(4), LineStatus::Failed);
  EXPECT_NE(r.Message(4).find("wildcards are not supported"), std::string::npos) << r.Message(4);
  EXPECT_EQ(r.Status(5), LineStatus::Failed);
  EXPECT_EQ(r.Status(6), LineStatus::Succeeded) << r.Message(6);
  EXPECT_FALSE(os::FileExists(D("자료/b.txt")));
  EXPECT_EQ(r.Status(7), LineStatus::Failed);  // /S would reach into subfolders
  EXPECT_EQ(r.Status(8), LineStatus::Failed);  // one file per line
  EXPECT_TRUE(os::FileExists(D("자료/c.txt")));
  EXPECT_TRUE(os::FileExists(D("자료/d.txt")));
  EXPECT_EQ(r.result.succeeded, 2);
  EXPECT_EQ(r.result.failed, 6);
}

// --- the line grammar -------------------------------------------------------------------------------------

TEST_F(BatchTest, BatchDoubledPercentIsOnePercentAndASingleOneStays) {
  WriteFile(D("100%.txt"), "pct");
  ASSERT_TRUE(os::ForceDirectories(C("t")));
  const Outcome r = RunLines({
      R"(move "D:\100%%.txt" "C:\t\.")",
      R"(md "C:\a%%b")",
      R"(md "C:\50%off")",
  });
  EXPECT_EQ(r.result.failed, 0) << r.out;
  EXPECT_EQ(ReadFile(C("t/100%.txt")), "pct");
  EXPECT_TRUE(os::DirectoryExists(C("a%b")));
  EXPECT_FALSE(os::DirectoryExists(C("a%%b")));
  EXPECT_TRUE(os::DirectoryExists(C("50%off")));
  EXPECT_EQ(r.Message(1), "moved D:\\100%.txt -> C:\\t\\");
}

TEST_F(BatchTest, BatchInvalidCp949LineFailsAndTheNextRuns) {
  // 0x81 needs a trail byte from 0x41 up; 0xFF is never a lead byte.
  const std::string bytes = Cp949Batch({R"(md "C:\first")"}) + "md \"C:\\\x81\x20x\"\r\n" +
                            "md \"C:\\\xff\"\r\n" + Cp949Batch({R"(md "C:\다음")"});
  const Outcome r = RunBytes(bytes);
  ASSERT_EQ(r.result.lines.size(), 4u);
  EXPECT_EQ(r.Status(1), LineStatus::Succeeded);
  EXPECT_EQ(r.Status(2), LineStatus::Failed);
  EXPECT_NE(r.Message(2).find("not valid CP949"), std::string::npos) << r.Message(2);
  EXPECT_EQ(r.Status(3), LineStatus::Failed);
  EXPECT_EQ(r.Status(4), LineStatus::Succeeded);
  EXPECT_TRUE(os::DirectoryExists(C("다음")));
  EXPECT_EQ(Entries(C()).size(), 2);  // nothing was created for the bad lines
  EXPECT_TRUE(plat::text::IsValidUtf8(r.out));
}

TEST_F(BatchTest, BatchUnbalancedQuotesAndShellOperatorsFail) {
  WriteFile(D("a.txt"), "a");
  const Outcome r = RunLines({
      R"(del "D:\a.txt)",
      R"(move "D:\a.txt" "C:\)",
      R"(del D:\a.txt & del D:\a.txt)",
      R"(del D:\a.txt > nul)",
      R"(md "C:\a&b")",
  });
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(r.Status(i), LineStatus::Failed) << "line " << i;
  EXPECT_NE(r.Message(1).find("unbalanced quotes"), std::string::npos) << r.Message(1);
  EXPECT_EQ(ReadFile(D("a.txt")), "a");
  // Inside quotes "&" is part of a name.
  EXPECT_EQ(r.Status(5), LineStatus::Succeeded) << r.Message(5);
  EXPECT_TRUE(os::DirectoryExists(C("a&b")));
}

TEST_F(BatchTest, BatchCommentsEchoAndUnknownCommands) {
  const Outcome r = RunLines({
      "@echo off",
      "",
      "   ",
      "rem md \"C:\\not made\"",
      ":: md \"C:\\not made either\"",
      "echo 안녕 100%%",
      "ECHO.",
      "copy a b",
      "remark",
      "cd \\",
  });
  EXPECT_FALSE(os::DirectoryExists(C("not made")));
  EXPECT_FALSE(os::DirectoryExists(C("not made either")));
  EXPECT_EQ(r.result.succeeded, 0);
  EXPECT_EQ(r.result.failed, 3);
  EXPECT_EQ(r.out,
            "안녕 100%\n"
            "failed: line 8: unknown command: copy\n"
            "failed: line 9: unknown command: remark\n"
            "failed: line 10: unknown command: cd\n"
            "0 succeeded, 3 failed\n");
}

TEST_F(BatchTest, BatchLfLineEndsAndALastLineWithoutEnd) {
  const Outcome r = RunBytes(plat::text::Utf8ToCp949("md \"C:\\하나\"\nmd \"C:\\둘\"\r\nmd \"C:\\셋\""));
  EXPECT_EQ(r.result.succeeded, 3) << r.out;
  for (const char* n : {"하나", "둘", "셋"}) EXPECT_TRUE(os::DirectoryExists(C(n))) << n;
  EXPECT_EQ(RunBytes("").out, "0 succeeded, 0 failed\n");
}

TEST_F(BatchTest, BatchFileExitCodes) {
  WriteFile(C("ok.bat"), Cp949Batch({"@echo off", R"(md "C:\x")"}));
  WriteFile(C("bad.bat"), Cp949Batch({R"(md "C:\y")", R"(del "C:\none")"}));
  std::ostringstream out;
  EXPECT_EQ(batch::RunBatchFile(C("ok.bat"), out), 0);
  EXPECT_EQ(batch::RunBatchFile(C("bad.bat"), out), 1);
  EXPECT_TRUE(os::DirectoryExists(C("y")));  // the failure came after it
  std::ostringstream missing;
  EXPECT_EQ(batch::RunBatchFile(C("none.bat"), missing), 2);
  EXPECT_NE(missing.str().find("none.bat"), std::string::npos) << missing.str();
}

// --- moving across devices ------------------------------------------------------------------------------

namespace {

int AlwaysExdev(const std::string&, const std::string&) {
  return EXDEV;
}

bool HasTempLeftover(const std::string& dir) {
  for (const QString& n : Entries(dir))
    if (n.startsWith(".vekbatch")) return true;
  return false;
}

}  // namespace

TEST_F(BatchTest, BatchMoveAcrossDevicesCopiesVerifiesAndKeepsModeAndTimes) {
  std::string big(3 * 1024 * 1024 + 17, '\0');  // more than one copy chunk
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 131 % 251);
  WriteFile(D("src/큰 파일.bin"), big);
  ASSERT_EQ(::chmod(D("src/큰 파일.bin").c_str(), 0640), 0);
  const struct timespec times[2] = {{1500000000, 0}, {1600000000, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, D("src/큰 파일.bin").c_str(), times, 0), 0);
  ASSERT_TRUE(os::ForceDirectories(C("dst")));

  int renames = 0;
  batch::SetMoveHooks({[&](const std::string& from, const std::string& to) {
                         ++renames;
                         EXPECT_EQ(from, D("src/큰 파일.bin"));
                         EXPECT_EQ(to, C("dst/큰 파일.bin"));
                         return EXDEV;
                       },
                       {},
                       {}});
  const Outcome r = RunLines({R"(move "D:\src\큰 파일.bin" "C:\dst\.")"});
  EXPECT_EQ(renames, 1);
  ASSERT_EQ(r.Status(1), LineStatus::Succeeded) << r.Message(1);
  EXPECT_EQ(r.Message(1), "moved D:\\src\\큰 파일.bin -> C:\\dst\\");
  EXPECT_FALSE(os::FileExists(D("src/큰 파일.bin")));
  EXPECT_TRUE(ReadFile(C("dst/큰 파일.bin")) == big);
  struct stat st {};
  ASSERT_EQ(::stat(C("dst/큰 파일.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(Entries(C("dst")), QStringList{"큰 파일.bin"});
}

TEST_F(BatchTest, BatchMoveAcrossDevicesRemovesASpoiledCopyAndKeepsTheSource) {
  WriteFile(D("a.txt"), "original content");
  ASSERT_TRUE(os::ForceDirectories(C("dst")));

  // A copy that reads back different bytes.
  batch::SetMoveHooks({AlwaysExdev,
                       [](const std::string& temp) {
                         const int fd = ::open(temp.c_str(), O_WRONLY);
                         ASSERT_GE(fd, 0);
                         ASSERT_EQ(::pwrite(fd, "X", 1, 3), 1);
                         ::close(fd);
                       },
                       {}});
  Outcome r = RunLines({R"(move "D:\a.txt" "C:\dst\.")"});
  EXPECT_EQ(r.Status(1), LineStatus::Failed);
  EXPECT_NE(r.Message(1).find("differs"), std::string::npos) << r.Message(1);
  EXPECT_EQ(ReadFile(D("a.txt")), "original content");
  EXPECT_TRUE(Entries(C("dst")).isEmpty()) << Entries(C("dst")).join(",").toStdString();

  // A copy that came out short.
  batch::SetMoveHooks(
      {AlwaysExdev, [](const std::string& temp) { ASSERT_EQ(::truncate(temp.c_str(), 4), 0); }, {}});
  r = RunLines({R"(move "D:\a.txt" "C:\dst\.")"});
  EXPECT_EQ(r.Status(1), LineStatus::Failed);
  EXPECT_NE(r.Message(1).find("bytes"), std::string::npos) << r.Message(1);
  EXPECT_EQ(ReadFile(D("a.txt")), "original content");
  EXPECT_TRUE(Entries(C("dst")).isEmpty());
}

TEST_F(BatchTest, BatchMoveAcrossDevicesComparesEveryByteUpToTheEnd) {
  std::string big(2 * 1024 * 1024 + 3, '\0');  // more than one compare chunk
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 % 253);
  WriteFile(D("big.bin"), big);
  WriteFile(D("small.bin"), "0123456789");
  ASSERT_TRUE(os::ForceDirectories(C("dst")));
  // The last byte of each copy spoiled, its length kept.
  batch::SetMoveHooks({AlwaysExdev,
                       [](const std::string& temp) {
                         struct stat st {};
                         ASSERT_EQ(::stat(temp.c_str(), &st), 0);
                         const int fd = ::open(temp.c_str(), O_WRONLY);
                         ASSERT_GE(fd, 0);
                         ASSERT_EQ(::pwrite(fd, "\xFF", 1, st.st_size - 1), 1);
                         ::close(fd);
                       },
                       {}});
  const Outcome r = RunLines({R"(move "D:\big.bin" "C:\dst\.")", R"(move "D:\small.bin" "C:\dst\.")"});
  for (int line : {1, 2}) {
    EXPECT_EQ(r.Status(line), LineStatus::Failed);
    EXPECT_NE(r.Message(line).find("differs"), std::string::npos) << r.Message(line);
  }
  EXPECT_TRUE(ReadFile(D("big.bin")) == big);
  EXPECT_EQ(ReadFile(D("small.bin")), "0123456789");
  EXPECT_TRUE(Entries(C("dst")).isEmpty()) << Entries(C("dst")).join(",").toStdString();
}

TEST_F(BatchTest, BatchMoveAcrossDevicesDoesNotReplaceATargetThatAppearedDuringTheCopy) {
  WriteFile(D("a.txt"), "mine");
  ASSERT_TRUE(os::ForceDirectories(C("dst")));
  const std::string target = C("dst/a.txt");
  batch::SetMoveHooks({AlwaysExdev, [&](const std::string&) { os::WriteFileBytes(target, "theirs"); }, {}});
  const Outcome r = RunLines({R"(move "D:\a.txt" "C:\dst\.")"});
  EXPECT_EQ(r.Status(1), LineStatus::Failed);
  EXPECT_NE(r.Message(1).find("target exists"), std::string::npos) << r.Message(1);
  EXPECT_EQ(ReadFile(target), "theirs");
  EXPECT_EQ(ReadFile(D("a.txt")), "mine");
  EXPECT_FALSE(HasTempLeftover(C("dst")));
}

TEST_F(BatchTest, BatchMoveAcrossDevicesTakesTheCopyBackWhenTheSourceCannotBeDeleted) {
  if (::geteuid() == 0) GTEST_SKIP() << "a read-only folder does not stop root from deleting";
  WriteFile(D("ro/a.txt"), "a");
  ASSERT_TRUE(os::ForceDirectories(C("dst")));
  ASSERT_EQ(::chmod(D("ro").c_str(), 0555), 0);
  batch::SetMoveHooks({AlwaysExdev, {}, {}});
  const Outcome r = RunLines({R"(move "D:\ro\a.txt" "C:\dst\.")"});
  ::chmod(D("ro").c_str(), 0755);
  EXPECT_EQ(r.Status(1), LineStatus::Failed);
  EXPECT_NE(r.Message(1).find("copy removed"), std::string::npos) << r.Message(1);
  EXPECT_EQ(ReadFile(D("ro/a.txt")), "a");
  EXPECT_TRUE(Entries(C("dst")).isEmpty());
}

TEST_F(BatchTest, BatchMoveToAnotherRealDevice) {
  struct stat tmpSt {
  }, shmSt{};
  if (::stat("/dev/shm", &shmSt) != 0 || ::access("/dev/shm", W_OK) != 0) GTEST_SKIP() << "no /dev/shm";
  ASSERT_EQ(::stat(c_.path().toStdString().c_str(), &tmpSt), 0);
  if (tmpSt.st_dev == shmSt.st_dev) GTEST_SKIP() << "/dev/shm is on the same device as the temporary folder";
  QTemporaryDir shm(QStringLiteral("/dev/shm/vekbatch-test-XXXXXX"));
  ASSERT_TRUE(shm.isValid());
  const std::string dst = shm.path().toStdString();
  WriteFile(D("자료/문서.hwp"), "hwp bytes");
  WriteFile(dst + "/exists.txt", "theirs");
  WriteFile(D("자료/exists.txt"), "mine");

  const Outcome r = RunLines({
      "move \"D:\\자료\\문서.hwp\" \"" + dst + "/.\"",
      "move \"D:\\자료\\exists.txt\" \"" + dst + "\"",
  });
  EXPECT_EQ(r.Status(1), LineStatus::Succeeded) << r.Message(1);
  EXPECT_EQ(ReadFile(dst + "/문서.hwp"), "hwp bytes");
  EXPECT_FALSE(os::FileExists(D("자료/문서.hwp")));
  EXPECT_EQ(r.Status(2), LineStatus::Failed);
  EXPECT_EQ(ReadFile(dst + "/exists.txt"), "theirs");
  EXPECT_EQ(ReadFile(D("자료/exists.txt")), "mine");
  EXPECT_FALSE(HasTempLeftover(dst));
}
