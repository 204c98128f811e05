// Drive map, files, ini files and the replaceable beep/sleep/clock.
#include "platform/os/os.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/error.h"
#include "test_env.h"

namespace os = plat::os;

namespace {

std::string Path(const QTemporaryDir& d, const char* rest = "") {
  std::string p = d.path().toStdString();
  if (*rest) p += std::string("/") + rest;
  return p;
}

int EntryCount(const std::string& dir) {
  return int(QDir(QString::fromStdString(dir))
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                 .size());
}

}  // namespace

// --- drive map ---------------------------------------------------------------------------------------------

TEST(DriveMap, DriveLetterFormsAndCase) {
  QTemporaryDir tmp;
  EnvVar d("VEKSECURITY_DRIVE_D", Path(tmp, "d"));
  const std::string root = Path(tmp, "d");
  EXPECT_EQ(os::DriveRoot('D'), root);
  EXPECT_EQ(os::DriveRoot('d'), root);
  EXPECT_EQ(os::ResolvePath("D:\\자료\\a.csv"), root + "/자료/a.csv");
  EXPECT_EQ(os::ResolvePath("D:/자료/a.csv"), root + "/자료/a.csv");
  EXPECT_EQ(os::ResolvePath("d:\\자료\\a.csv"), root + "/자료/a.csv");
  EXPECT_EQ(os::ResolvePath("D:\\\\x//\\y"), root + "/x/y");
  EXPECT_EQ(os::ResolvePath("D:\\dir\\"), root + "/dir/");
  EXPECT_EQ(os::ResolvePath("D:"), root);
}

TEST(DriveMap, VariableReadOnEveryCallAndTrailingSlashDropped) {
  QTemporaryDir tmp;
  {
    EnvVar d("VEKSECURITY_DRIVE_E", Path(tmp, "one/"));
    EXPECT_EQ(os::ResolvePath("E:\\f"), Path(tmp, "one/f"));
  }
  EnvVar d("VEKSECURITY_DRIVE_E", Path(tmp, "two"));
  EXPECT_EQ(os::ResolvePath("E:\\f"), Path(tmp, "two/f"));
}

TEST(DriveMap, RootlessBackslashIsDriveC) {
  QTemporaryDir tmp;
  EnvVar c("VEKSECURITY_DRIVE_C", Path(tmp, "c"));
  EXPECT_EQ(os::ResolvePath("\\Windows\\win.ini"), Path(tmp, "c/Windows/win.ini"));
}

TEST(DriveMap, HostAbsoluteAndRelativePathsKeepTheirPlace) {
  EXPECT_EQ(os::ResolvePath("/var\\lib//x"), "/var/lib/x");
  EXPECT_EQ(os::ResolvePath("/a/../b"), "/a/../b");
  EXPECT_EQ(os::ResolvePath("sub\\dir\\f.txt"), "sub/dir/f.txt");
  EXPECT_EQ(os::ResolvePath(""), "");
}

TEST(DriveMap, DefaultFolderUnderXdgDataHome) {
  QTemporaryDir tmp;
  EnvVar q("VEKSECURITY_DRIVE_Q", std::nullopt);
  EnvVar ql("VEKSECURITY_DRIVE_q", std::nullopt);
  {
    EnvVar xdg("XDG_DATA_HOME", Path(tmp, "xdg"));
    EXPECT_EQ(os::DriveRoot('q'), Path(tmp, "xdg/VekSecurity/drives/Q"));
    EXPECT_EQ(os::ResolvePath("q:\\a"), Path(tmp, "xdg/VekSecurity/drives/Q/a"));
  }
  EnvVar xdg("XDG_DATA_HOME", std::nullopt);
  EnvVar home("HOME", Path(tmp, "home"));
  EXPECT_EQ(os::DriveRoot('Q'), Path(tmp, "home/.local/share/VekSecurity/drives/Q"));
}

TEST(DriveMap, UncOnlyWhereMapped) {
  QTemporaryDir tmp;
  EnvVar share("VEKSECURITY_UNC_FILESRV_SHARE_1", Path(tmp, "unc"));
  EnvVar other("VEKSECURITY_UNC_NOSUCH_SHARE", std::nullopt);
  EXPECT_EQ(os::ResolvePath("\\\\filesrv\\share-1\\dir\\f.txt"), Path(tmp, "unc/dir/f.txt"));
  EXPECT_EQ(os::ResolvePath("\\\\FileSrv\\Share-1"), Path(tmp, "unc"));
  EXPECT_EQ(os::ResolvePath("\\\\nosuch\\share\\f.txt"), "");
  EXPECT_EQ(os::ResolvePath("\\\\filesrv"), "");
}

TEST(DriveMap, DotDotClampedAtTheRoot) {
  QTemporaryDir tmp;
  EnvVar c("VEKSECURITY_DRIVE_C", Path(tmp, "c"));
  EnvVar share("VEKSECURITY_UNC_SRV_S", Path(tmp, "unc"));
  EXPECT_EQ(os::ResolvePath("C:\\..\\..\\etc\\passwd"), Path(tmp, "c/etc/passwd"));
  EXPECT_EQ(os::ResolvePath("C:\\a\\b\\..\\.\\c"), Path(tmp, "c/a/c"));
  EXPECT_EQ(os::ResolvePath("\\..\\x"), Path(tmp, "c/x"));
  EXPECT_EQ(os::ResolvePath("C:\\.."), Path(tmp, "c"));
  EXPECT_EQ(os::ResolvePath("\\\\srv\\s\\..\\..\\x"), Path(tmp, "unc/x"));
  EXPECT_EQ(os::ResolvePath("C:\\a\\bb\\..\\..\\..\\d\\"), Path(tmp, "c/d/"));
  EXPECT_EQ(os::ResolvePath("C:\\a\\\\b\\..\\"), Path(tmp, "c/a/"));
  // A drive mapped to the host's root keeps its "/".
  EnvVar root("VEKSECURITY_DRIVE_R", "/");
  EXPECT_EQ(os::ResolvePath("R:\\x\\..\\.."), "/");
  EXPECT_EQ(os::ResolvePath("R:\\x\\..\\y"), "/y");
  EXPECT_EQ(os::ResolvePath("r:/tmp/./z"), "/tmp/z");
}

// --- files
// ---------------------------------------------------------------------------------------------------

TEST(Files, CreateFindDelete) {
  QTemporaryDir tmp;
  const std::string deep = Path(tmp, "a/b/c");
  EXPECT_FALSE(os::CreateDir(deep));  // one level only
  EXPECT_TRUE(os::ForceDirectories(deep + "/"));
  EXPECT_TRUE(os::DirectoryExists(deep));
  EXPECT_FALSE(os::FileExists(deep));
  EXPECT_FALSE(os::CreateDir(deep));  // exists
  EXPECT_TRUE(os::CreateDir(deep + "/d"));

  const std::string f = deep + "/f.bin";
  os::WriteFileBytes(f, std::string("x\0y", 3));
  EXPECT_TRUE(os::FileExists(f));
  EXPECT_FALSE(os::DirectoryExists(f));
  EXPECT_EQ(os::ReadFileBytes(f), std::string("x\0y", 3));
  EXPECT_FALSE(os::ForceDirectories(f + "/sub"));  // under a file
  EXPECT_TRUE(os::DeleteFile(f));
  EXPECT_FALSE(os::DeleteFile(f));
  EXPECT_FALSE(os::DeleteFile(deep));  // a folder is not a file
}

TEST(Files, ReadMissingFileRaisesWithPathAndReason) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "missing.txt");
  try {
    os::ReadFileBytes(f);
    FAIL() << "no exception";
  } catch (const plat::EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + f + "\". No such file or directory");
  }
}

TEST(Files, WriteReplacesKeepsModeAndLeavesNoTemporary) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "data.txt");
  os::WriteFileBytes(f, "old contents");
  ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
  os::WriteFileBytes(f, "new");
  EXPECT_EQ(os::ReadFileBytes(f), "new");
  struct stat st {};
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(EntryCount(Path(tmp)), 1);
}

TEST(Files, FailedWriteLeavesTheOldFile) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "data.txt");
  os::WriteFileBytes(f, "old contents");
  // A file size limit makes the write fail even for root.
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool raised = false;
  try {
    os::WriteFileBytes(f, std::string(1000, 'z'));
  } catch (const plat::EFileError& e) {
    raised = true;
    EXPECT_NE(std::string(e.what()).find(f), std::string::npos);
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(raised);
  EXPECT_EQ(os::ReadFileBytes(f), "old contents");
  EXPECT_EQ(EntryCount(Path(tmp)), 1);

  EXPECT_THROW(os::WriteFileBytes(Path(tmp, "no/such/folder.txt"), "x"), plat::EFileError);
}

TEST(Files, PathPartsOfWindowsAndHostPaths) {
  EXPECT_EQ(os::ExtractFilePath("D:\\자료\\a.csv"), "D:\\자료\\");
  EXPECT_EQ(os::ExtractFileName("D:\\자료\\a.csv"), "a.csv");
  EXPECT_EQ(os::ExtractFilePath("/home/u/a.csv"), "/home/u/");
  EXPECT_EQ(os::ExtractFileName("/home/u/a.csv"), "a.csv");
  EXPECT_EQ(os::ExtractFilePath("C:/x\\y/z.txt"), "C:/x\\y/");
  EXPECT_EQ(os::ExtractFilePath("C:a.txt"), "C:");
  EXPECT_EQ(os::ExtractFileName("C:a.txt"), "a.txt");
  EXPECT_EQ(os::ExtractFilePath("a.csv"), "");
  EXPECT_EQ(os::ExtractFileName("a.csv"), "a.csv");
  EXPECT_EQ(os::ExtractFileName("D:\\dir\\"), "");

  EXPECT_EQ(os::ChangeFileExt("D:\\a.b\\c", ".ini"), "D:\\a.b\\c.ini");
  EXPECT_EQ(os::ChangeFileExt("/x/결과.csv", ".ini"), "/x/결과.ini");
  EXPECT_EQ(os::ChangeFileExt("/x/a.tar.gz", ""), "/x/a.tar");
}

TEST(Files, ExecutableFolderAndTitle) {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  ASSERT_GT(n, 0);
  const std::string exe(buf, std::size_t(n));
  EXPECT_EQ(os::ExeDir(), exe.substr(0, exe.rfind('/')));
  EXPECT_EQ(os::ExeTitle(), "test_platform");
}

// --- ini files
// -----------------------------------------------------------------------------------------------

TEST(IniFile, NewFileIsCp949WithCrLf) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "new.ini");
  os::IniFile ini(f);
  EXPECT_EQ(ini.FileName(), f);
  EXPECT_EQ(ini.ReadString("설정", "경로", "기본"), "기본");  // no file yet
  ini.WriteString("설정", "경로", "D:\\자료");
  ini.WriteString("설정", "이름", "한글");
  ini.WriteString("Main", "Count", "3");
  EXPECT_EQ(os::ReadFileBytes(f),
            "[\xbc\xb3\xc1\xa4]\r\n"
            "\xb0\xe6\xb7\xce=D:\\\xc0\xda\xb7\xe1\r\n"
            "\xc0\xcc\xb8\xa7=\xc7\xd1\xb1\xdb\r\n"
            "\r\n"
            "[Main]\r\n"
            "Count=3\r\n");
  EXPECT_EQ(ini.ReadString("설정", "경로", ""), "D:\\자료");
  EXPECT_EQ(ini.ReadString("설정", "이름", ""), "한글");
}

TEST(IniFile, WritingKeepsEveryOtherLine) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "old.ini");
  const std::string before =
      "; header comment\r\n"
      "[Main]\r\n"
      "A=1\r\n"
      "B = 2\r\n"
      "\xff\xfe junk line\r\n"
      "\r\n"
      "[Other]\r\n"
      "\xc0\xcc\xb8\xa7=x\r\n"
      "\r\n";
  os::WriteFileBytes(f, before);
  os::IniFile ini(f);
  ini.WriteString("main", "b", "값");        // replaces, keeps the key's spelling and blanks
  ini.WriteString("MAIN", "새키", "한글");   // appended at the end of its section
  ini.WriteString("Other", "이름", "자료");  // replaces a Korean key
  ini.WriteString("New", "K", "v");          // new section; the file already ends with a blank line
  EXPECT_EQ(os::ReadFileBytes(f),
            "; header comment\r\n"
            "[Main]\r\n"
            "A=1\r\n"
            "B = \xb0\xaa\r\n"
            "\xff\xfe junk line\r\n"
            "\xbb\xf5\xc5\xb0=\xc7\xd1\xb1\xdb\r\n"
            "\r\n"
            "[Other]\r\n"
            "\xc0\xcc\xb8\xa7=\xc0\xda\xb7\xe1\r\n"
            "\r\n"
            "[New]\r\n"
            "K=v\r\n");
}

TEST(IniFile, LookupIsCaseInsensitiveAndFallsBackToDefault) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "a.ini");
  os::WriteFileBytes(f, "[Main]\r\n Path = C:\\x \r\nQuoted=\"a b\"\r\n[Second]\r\nOnly=here\r\n");
  os::IniFile ini(f);
  EXPECT_EQ(ini.ReadString("MAIN", "path", "d"), "C:\\x");
  EXPECT_EQ(ini.ReadString("main", "QUOTED", "d"), "a b");
  EXPECT_EQ(ini.ReadString("Main", "Only", "d"), "d");  // belongs to another section
  EXPECT_EQ(ini.ReadString("Missing", "Path", "d"), "d");
  EXPECT_EQ(os::IniFile(Path(tmp, "none.ini")).ReadString("Main", "Path", "def"), "def");

  ini.WriteString("MAIN", "PATH", "y");  // no second key
  EXPECT_EQ(os::ReadFileBytes(f), "[Main]\r\n Path = y\r\nQuoted=\"a b\"\r\n[Second]\r\nOnly=here\r\n");
}

TEST(IniFile, LastLineWithoutLineEndAndLfOnlyFiles) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "a.ini");
  os::WriteFileBytes(f, "[S]\r\nK=v");
  os::IniFile ini(f);
  ini.WriteString("S", "N", "w");
  EXPECT_EQ(os::ReadFileBytes(f), "[S]\r\nK=v\r\nN=w\r\n");

  os::WriteFileBytes(f, "[S]\nK=v\n");
  ini.WriteString("S", "K", "z");
  ini.WriteString("T", "A", "b");
  EXPECT_EQ(os::ReadFileBytes(f), "[S]\nK=z\n\r\n[T]\r\nA=b\r\n");
  EXPECT_EQ(ini.ReadString("s", "k", ""), "z");
}

TEST(IniFile, InvalidCp949IsReadAsFarAsItGoes) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "bad.ini");
  os::WriteFileBytes(f, "[S]\r\nBad=\xc7\xd1\xff!\r\nGood=\xc7\xd1\r\n");
  os::IniFile ini(f);
  EXPECT_EQ(ini.ReadString("S", "Good", ""), "한");
  EXPECT_EQ(ini.ReadString("S", "Bad", ""), "한\xEF\xBF\xBD!");
  ini.WriteString("S", "Good", "글");
  EXPECT_EQ(os::ReadFileBytes(f), "[S]\r\nBad=\xc7\xd1\xff!\r\nGood=\xb1\xdb\r\n");
}

TEST(IniFile, UnwritableLocationRaisesUnableToWrite) {
  QTemporaryDir tmp;
  const std::string plain = Path(tmp, "plain.txt");
  os::WriteFileBytes(plain, "x");
  for (const std::string& f : {plain + "/a.ini", Path(tmp, "missing/a.ini")}) {
    os::IniFile ini(f);
    try {
      ini.WriteString("S", "K", "v");
      ADD_FAILURE() << "no exception for " << f;
    } catch (const plat::Exception& e) {
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + f);
    }
  }
  EXPECT_EQ(EntryCount(Path(tmp)), 1);
}

// --- beep, sleep, clock, processes
// ---------------------------------------------------------------------------

TEST(Handlers, ReplaceBeepSleepAndClock) {
  int beeps = 0;
  int slept = 0;
  os::SetBeepHandler([&] { ++beeps; });
  os::SetSleepHandler([&](int ms) { slept += ms; });
  os::SetClockHandler([] { return std::int64_t(123456); });
  os::Beep();
  os::Beep();
  os::Sleep(5000);
  const std::int64_t t = os::TickCount();
  os::SetBeepHandler({});
  os::SetSleepHandler({});
  os::SetClockHandler({});
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(slept, 5000);
  EXPECT_EQ(t, 123456);
  const std::int64_t a = os::TickCount();
  EXPECT_NE(a, 123456);
  EXPECT_LE(a, os::TickCount());
}

TEST(Processes, StartDetachedReportsFailure) {
  QTemporaryDir tmp;
  EXPECT_FALSE(os::StartDetached(Path(tmp, "no-such-program"), {}));
  EXPECT_TRUE(os::StartDetached("/bin/true", {"a"}, Path(tmp)));
  EXPECT_FALSE(os::OpenWithDefaultProgram(""));
}
