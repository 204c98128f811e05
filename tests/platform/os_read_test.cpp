// Reading a file whole: only regular files, never more than the limit, never blocking on a pipe; and
// names holding a NUL, which the system calls would see cut short.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <future>
#include <string>

#include "platform/error.h"
#include "platform/os/os.h"

namespace os = plat::os;

namespace {

std::string Path(const QTemporaryDir& d, const std::string& rest) {
  return d.path().toStdString() + "/" + rest;
}

// The error text of reading path whole, or "" when it was read.
std::string ReadError(const std::string& path, std::size_t limit = os::kMaxReadFileBytes) {
  try {
    os::ReadFileBytes(path, limit);
    return {};
  } catch (const plat::EFileError& e) {
    return e.what();
  }
}

TEST(ReadWholeFile, OnlyRegularFilesAreRead) {
  QTemporaryDir tmp;
  const std::string dir = Path(tmp, "folder");
  ASSERT_TRUE(os::CreateDir(dir));
  EXPECT_EQ(ReadError(dir), "Cannot open file \"" + dir + "\". It is a folder.");
  EXPECT_EQ(ReadError("/dev/zero"),
            "Cannot open file \"/dev/zero\". It is not a regular file (a device, pipe or socket).");
}

TEST(ReadWholeFile, PipeWithoutWriterIsRefusedAtOnce) {
  QTemporaryDir tmp;
  const std::string fifo = Path(tmp, "pipe.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Run apart, so that a read that blocks fails the test instead of hanging the suite.
  auto result = std::async(std::launch::async, [&] { return ReadError(fifo); });
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "the read waits for a writer";
  EXPECT_EQ(result.get(),
            "Cannot open file \"" + fifo + "\". It is not a regular file (a device, pipe or socket).");
}

TEST(ReadWholeFile, SizeLimitHoldsAtTheLimitAndSaysSoAbove) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "r.csv");
  os::WriteFileBytes(f, std::string(3u << 20, 'x'));
  EXPECT_EQ(os::ReadFileBytes(f, 3u << 20).size(), 3u << 20);
  const std::string e = ReadError(f, (3u << 20) - 1);
  EXPECT_EQ(e.rfind("Cannot open file \"" + f + "\". It is larger than ", 0), 0u) << e;
  EXPECT_NE(e.find(" MB"), std::string::npos) << e;
  // The default limit leaves room for any result file a scanner writes.
  EXPECT_GE(os::kMaxReadFileBytes, std::size_t(256) << 20);
}

TEST(ReadWholeFile, NameWithNulIsNotTheFileBeforeIt) {
  QTemporaryDir tmp;
  const std::string f = Path(tmp, "a.txt");
  os::WriteFileBytes(f, "secret");
  const std::string withNul = f + std::string("\0.csv", 5);
  EXPECT_TRUE(os::FileExists(f));
  EXPECT_FALSE(os::FileExists(withNul));
  EXPECT_FALSE(os::DirectoryExists(tmp.path().toStdString() + std::string("\0x", 2)));
  EXPECT_FALSE(os::DeleteFile(withNul));
  EXPECT_TRUE(os::FileExists(f));  // the file before the NUL is untouched
  EXPECT_FALSE(os::CreateDir(Path(tmp, std::string("d\0e", 3))));
  EXPECT_FALSE(os::DirectoryExists(Path(tmp, "d")));
  EXPECT_NE(ReadError(withNul), "");
}

}  // namespace
