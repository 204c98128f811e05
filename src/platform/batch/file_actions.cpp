// md, move and del on the host.
//
// move is the delicate one: it must never replace a file and never lose one. On one device it is a single
// rename that refuses to replace (renameat2 RENAME_NOREPLACE, else a hard link and an unlink, else a check
// just before the rename on file systems that have neither). Across devices the file is copied to a
// temporary name in the target folder, flushed, compared with the source byte for byte, given the source's
// permissions and times, renamed to its name without replacing, and only then is the source deleted. Any
// failure on that way removes the copy and leaves the source as it was.
#include "platform/batch/file_actions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/os/os.h"

namespace plat::batch {
namespace {

std::mutex hooksMutex;
MoveHooks hooks;

MoveHooks CurrentHooks() {
  std::lock_guard lock(hooksMutex);
  return hooks;
}

LineResult Ok(std::string message) { return {0, LineStatus::Succeeded, std::move(message)}; }
LineResult Fail(std::string reason) { return {0, LineStatus::Failed, std::move(reason)}; }

std::string ErrText(int err) { return std::strerror(err); }

// The operand as written, plus the host path when the drive map made it different (so a user can see where
// a Windows path was looked for).
std::string Where(std::string_view operand, const std::string& host) {
  if (host == operand) return std::string(operand);
  return std::string(operand) + " (host path " + host + ")";
}

// "B", "B\" and "B\." all name folder B; shown as "B\" (with "/" for a host path).
std::string FolderDisplay(std::string_view folder) {
  const char sep = folder.find('\\') != std::string_view::npos || folder.find('/') == std::string_view::npos ? '\\' : '/';
  std::string s(folder);
  if (s.size() >= 2 && s.back() == '.' && (s[s.size() - 2] == '\\' || s[s.size() - 2] == '/')) s.pop_back();
  while (!s.empty() && (s.back() == '\\' || s.back() == '/')) s.pop_back();
  return s + sep;
}

// Renames without ever replacing `to`. Returns 0 or an errno value (EEXIST when `to` exists, EXDEV across
// devices).
int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  const int err = errno;
  if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP) return err;
#endif
  // A hard link is created only when the name is free.
  if (::link(from.c_str(), to.c_str()) == 0) {
    if (::unlink(from.c_str()) != 0) {
      const int e = errno;
      ::unlink(to.c_str());
      return e;
    }
    return 0;
  }
  const int linkErr = errno;
  if (linkErr != EPERM && linkErr != EOPNOTSUPP && linkErr != EMLINK) return linkErr;
  // Neither (a FAT-like file system): check, then rename. Only a writer racing us could slip in between.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  if (::rename(from.c_str(), to.c_str()) != 0) return errno;
  return 0;
}

// Closes a descriptor at the end of a scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int Close() {
    if (fd_ < 0) return 0;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

int WriteAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += w;
    n -= std::size_t(w);
  }
  return 0;
}

// Reads up to n bytes at offset (fewer only at the end of the file). Returns -1 with errno on failure.
ssize_t PreadFull(int fd, char* p, std::size_t n, off_t offset) {
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd, p + got, n - got, offset + off_t(got));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    got += std::size_t(r);
  }
  return ssize_t(got);
}

constexpr std::size_t kCopyChunk = 1 << 20;

// Copies `in` to `out` from the start. Returns 0 or an errno value; `copied` is the byte count.
int CopyData(int in, int out, off_t& copied) {
  std::vector<char> buf(kCopyChunk);
  copied = 0;
  for (;;) {
    const ssize_t r = PreadFull(in, buf.data(), buf.size(), copied);
    if (r < 0) return errno;
    if (r == 0) return 0;
    if (const int e = WriteAll(out, buf.data(), std::size_t(r))) return e;
    copied += r;
  }
}

// True when both descriptors hold the same bytes; `error` gets an errno value when reading fails.
bool SameContent(int a, int b, int& error) {
  std::vector<char> bufA(kCopyChunk), bufB(kCopyChunk);
  off_t offset = 0;
  error = 0;
  for (;;) {
    const ssize_t ra = PreadFull(a, bufA.data(), bufA.size(), offset);
    const ssize_t rb = ra < 0 ? 0 : PreadFull(b, bufB.data(), bufB.size(), offset);
    if (ra < 0 || rb < 0) {
      error = errno;
      return false;
    }
    if (ra != rb || std::memcmp(bufA.data(), bufB.data(), std::size_t(ra)) != 0) return false;
    if (ra == 0) return true;
    offset += ra;
  }
}

// Flushes a folder so a new name in it survives a crash before the source is deleted.
void SyncFolder(const std::string& folder) {
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

// The copy path of a move across devices. `srcSt` is the source as checked by the caller.
LineResult CopyVerifyDelete(const std::string& src, const struct stat& srcSt, const std::string& folder,
                            const std::string& target, const std::string& shown, const std::string& targetShown,
                            const std::string& targetFileShown) {
  Fd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (in.get() < 0) return Fail("cannot open " + shown + ": " + ErrText(errno));
  struct stat inSt {};
  if (::fstat(in.get(), &inSt) != 0) return Fail("cannot read " + shown + ": " + ErrText(errno));
  if (inSt.st_dev != srcSt.st_dev || inSt.st_ino != srcSt.st_ino || !S_ISREG(inSt.st_mode))
    return Fail("the source changed while it was being moved: " + shown);

  std::string temp = folder + "/.vekbatch-XXXXXX";
  Fd out(::mkostemp(temp.data(), O_CLOEXEC));
  if (out.get() < 0) return Fail("cannot create a file in " + targetShown + ": " + ErrText(errno));
  // Until the copy has its final name, every way out removes it.
  bool keepTemp = false;
  struct TempGuard {
    const std::string& path;
    const bool& keep;
    ~TempGuard() {
      if (!keep) ::unlink(path.c_str());
    }
  } guard{temp, keepTemp};

  off_t copied = 0;
  if (const int e = CopyData(in.get(), out.get(), copied))
    return Fail("cannot copy " + shown + " to " + targetShown + ": " + ErrText(e));
  if (::fsync(out.get()) != 0) return Fail("cannot flush the copy in " + targetShown + ": " + ErrText(errno));
  if (const MoveHooks h = CurrentHooks(); h.afterCopy) h.afterCopy(temp);

  struct stat nowIn {}, nowOut {};
  if (::fstat(in.get(), &nowIn) != 0 || ::fstat(out.get(), &nowOut) != 0)
    return Fail("cannot check the copy of " + shown + ": " + ErrText(errno));
  if (nowIn.st_size != copied || nowIn.st_mtim.tv_sec != inSt.st_mtim.tv_sec ||
      nowIn.st_mtim.tv_nsec != inSt.st_mtim.tv_nsec)
    return Fail("the source changed while it was being copied: " + shown);
  if (nowOut.st_size != copied)
    return Fail("the copy in " + targetShown + " has " + std::to_string(nowOut.st_size) + " bytes, the source " +
                std::to_string(copied) + "; source kept: " + shown);
  int readErr = 0;
  if (!SameContent(in.get(), out.get(), readErr)) {
    if (readErr) return Fail("cannot compare the copy of " + shown + ": " + ErrText(readErr));
    return Fail("the copy in " + targetShown + " differs from the source; source kept: " + shown);
  }

  // Permissions and times, where the file system allows (failures here do not stop the move).
  ::fchmod(out.get(), srcSt.st_mode & 07777);
  const struct timespec times[2] = {inSt.st_atim, inSt.st_mtim};
  ::futimens(out.get(), times);
  if (const int e = out.Close()) return Fail("cannot finish the copy in " + targetShown + ": " + ErrText(e));

  if (const int e = RenameNoReplace(temp, target)) {
    if (e == EEXIST) return Fail("target exists: " + targetFileShown);
    return Fail("cannot name the copy " + targetFileShown + ": " + ErrText(e));
  }
  keepTemp = true;  // it is the target now
  SyncFolder(folder);

  in.Close();
  if (::unlink(src.c_str()) != 0) {
    const int e = errno;
    // A move that cannot remove its source has not happened: take the copy back.
    ::unlink(target.c_str());
    return Fail("cannot delete " + shown + " after copying it (copy removed): " + ErrText(e));
  }
  return Ok("moved " + shown + " -> " + targetShown);
}

}  // namespace

void SetMoveHooks(MoveHooks h) {
  std::lock_guard lock(hooksMutex);
  hooks = std::move(h);
}

namespace detail {

LineResult MakeFolder(std::string_view folder) {
  const std::string host = os::ResolvePath(folder);
  const std::string shown(folder);
  if (host.empty()) return Fail("no host folder for " + shown + " (not in the drive map)");
  if (os::DirectoryExists(host)) return Ok("folder exists: " + shown);
  struct stat st {};
  if (::stat(host.c_str(), &st) == 0) return Fail("a file of that name exists: " + Where(folder, host));
  errno = 0;
  if (os::ForceDirectories(host)) return Ok("created " + shown);
  const int e = errno;
  return Fail("cannot create folder " + Where(folder, host) + (e ? ": " + ErrText(e) : std::string()));
}

LineResult MoveFileInto(std::string_view file, std::string_view folder) {
  const std::string src = os::ResolvePath(file);
  std::string dir = os::ResolvePath(folder);
  const std::string shown(file);
  const std::string folderShown = FolderDisplay(folder);
  if (src.empty()) return Fail("no host path for " + shown + " (not in the drive map)");
  if (dir.empty()) return Fail("no host folder for " + folderShown + " (not in the drive map)");
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();

  const std::string name = os::ExtractFileName(src);
  if (name.empty()) return Fail("source names a folder, not a file: " + shown);
  struct stat srcSt {};
  if (::lstat(src.c_str(), &srcSt) != 0) {
    const int e = errno;
    if (e != ENOENT && e != ENOTDIR) return Fail("cannot read " + Where(file, src) + ": " + ErrText(e));
    return Fail("source does not exist: " + Where(file, src));
  }
  if (S_ISDIR(srcSt.st_mode)) return Fail("source is a folder, not a file: " + shown);
  if (!S_ISREG(srcSt.st_mode)) return Fail("source is not a regular file: " + shown);

  struct stat dirSt {};
  if (::stat(dir.c_str(), &dirSt) != 0) return Fail("target folder does not exist: " + Where(folderShown, dir));
  if (!S_ISDIR(dirSt.st_mode)) return Fail("target is not a folder: " + Where(folderShown, dir));

  const std::string target = (dir == "/" ? std::string() : dir) + "/" + name;
  const std::string targetFileShown = folderShown + name;
  struct stat tgtSt {};
  if (::lstat(target.c_str(), &tgtSt) == 0) return Fail("target exists: " + targetFileShown);

  const MoveHooks h = CurrentHooks();
  const int err = h.rename ? h.rename(src, target) : RenameNoReplace(src, target);
  if (err == 0) return Ok("moved " + shown + " -> " + folderShown);
  if (err == EEXIST) return Fail("target exists: " + targetFileShown);
  if (err != EXDEV) return Fail("cannot move " + shown + " to " + folderShown + ": " + ErrText(err));
  return CopyVerifyDelete(src, srcSt, dir, target, shown, folderShown, targetFileShown);
}

LineResult DeleteOneFile(std::string_view file) {
  const std::string host = os::ResolvePath(file);
  const std::string shown(file);
  if (host.empty()) return Fail("no host path for " + shown + " (not in the drive map)");
  if (os::ExtractFileName(host).empty()) return Fail("names a folder, not a file: " + shown);
  struct stat st {};
  if (::lstat(host.c_str(), &st) != 0) {
    const int e = errno;
    if (e != ENOENT && e != ENOTDIR) return Fail("cannot read " + Where(file, host) + ": " + ErrText(e));
    return Fail("file does not exist: " + Where(file, host));
  }
  if (S_ISDIR(st.st_mode)) return Fail("is a folder, not a file: " + shown);
  if (::unlink(host.c_str()) != 0) return Fail("cannot delete " + shown + ": " + ErrText(errno));
  return Ok("deleted " + shown);
}

}  // namespace detail
}  // namespace plat::batch
