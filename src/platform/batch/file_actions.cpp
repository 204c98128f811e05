// md, move and del on the host.
//
// move is the delicate one: it must never replace a file and never lose one. On one device it is a single
// rename that refuses to replace (renameat2 RENAME_NOREPLACE, else a hard link and an unlink, else a check
// just before the rename on file systems that have neither). Across devices the file is copied to a
// temporary name in the target folder (holes of a sparse source stay holes), flushed, compared with the
// source byte for byte, renamed to its name without replacing, given the source's permissions and times,
// and only then is the source deleted. Any failure on that way removes the copy and leaves the source as it
// was.
//
// A partial copy is a file ".vekbatch-XXXXXX" (six letters or digits) in the target folder, owned by the user
// running the move, with write permission for its owner only (a mode no copy of a user's file gets from us),
// and locked (flock) by the process writing it for as long as it lives. SIGTERM, SIGHUP and SIGINT remove it
// before the process ends (InstallInterruptCleanup); a copy left by a process that could not clean up
// (SIGKILL, a power cut) is removed by the next move into that folder: it is recognised by the name, the
// owner, the mode and the lock nobody holds, and nothing else in the folder is touched.
#include "platform/batch/file_actions.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/os/os.h"
#include "platform/text/text.h"

namespace plat::batch {
namespace {

std::mutex hooksMutex;
MoveHooks hooks;

std::atomic<bool> hooksSet{false};  // tests only: the usual run copies no hooks

MoveHooks CurrentHooks() {
  if (!hooksSet.load(std::memory_order_acquire)) return {};
  std::lock_guard lock(hooksMutex);
  return hooks;
}

LineResult Ok(std::string message) {
  LineResult r;
  r.status = LineStatus::Succeeded;
  r.message = std::move(message);
  return r;
}
LineResult Fail(std::string reason) {
  LineResult r;
  r.status = LineStatus::Failed;
  r.message = std::move(reason);
  return r;
}

std::string ErrText(int err) {
  return std::strerror(err);
}

// The operand as written, plus the host path when the drive map made it different (so a user can see where
// a Windows path was looked for).
std::string Where(std::string_view operand, const std::string& host) {
  if (host == operand) return std::string(operand);
  return std::string(operand) + " (host path " + host + ")";
}

// "B", "B\" and "B\." all name folder B; shown as "B\" (with "/" for a host path).
std::string FolderDisplay(std::string_view folder) {
  const char sep =
      folder.find('\\') != std::string_view::npos || folder.find('/') == std::string_view::npos ? '\\' : '/';
  std::string_view s = folder;
  if (s.size() >= 2 && s.back() == '.' && (s[s.size() - 2] == '\\' || s[s.size() - 2] == '/'))
    s.remove_suffix(1);
  while (!s.empty() && (s.back() == '\\' || s.back() == '/')) s.remove_suffix(1);
  std::string shown;
  shown.reserve(s.size() + 1);
  shown += s;
  shown += sep;
  return shown;
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

// The copy and compare buffers of this thread, made once (a batch moves thousands of files, most of them
// small: a fresh zeroed megabyte per file would cost more than the copy).
struct CopyBuffers {
  std::unique_ptr<char[]> copy, a, b;
};
CopyBuffers& Buffers() {
  thread_local CopyBuffers buffers;
  if (!buffers.copy) {
    buffers.copy.reset(new char[kCopyChunk]);
    buffers.a.reset(new char[kCopyChunk]);
    buffers.b.reset(new char[kCopyChunk]);
  }
  return buffers;
}

int PwriteAll(int fd, const char* p, std::size_t n, off_t offset) {
  while (n > 0) {
    const ssize_t w = ::pwrite(fd, p, n, offset);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += w;
    n -= std::size_t(w);
    offset += w;
  }
  return 0;
}

// Copies the bytes [from, to) of `in` to the same place in `out`; stops early at the end of `in`.
int CopyRange(int in, int out, off_t from, off_t to, char* buf, off_t& end, const std::string& temp,
              const MoveHooks& h) {
  for (off_t pos = from; pos < to;) {
    const std::size_t want = std::size_t(std::min<off_t>(off_t(kCopyChunk), to - pos));
    const ssize_t r = PreadFull(in, buf, want, pos);
    if (r < 0) return errno;
    if (r == 0) break;
    if (const int e = PwriteAll(out, buf, std::size_t(r), pos)) return e;
    pos += r;
    end = std::max(end, pos);
    if (h.copyProgress) h.copyProgress(temp, std::int64_t(end));
  }
  return 0;
}

// Copies `size` bytes of `in` to the empty `out`, leaving the holes of a sparse source as holes. Returns 0
// or an errno value; `copied` is the length the copy has. `dense`: the source has a block for every byte
// (no hole to look for).
int CopyData(int in, int out, off_t size, bool dense, const std::string& temp, off_t& copied) {
  char* buf = Buffers().copy.get();
  const MoveHooks h = CurrentHooks();
  copied = 0;
  if (dense) {
    off_t end = 0;
    const int e = CopyRange(in, out, 0, size, buf, end, temp, h);
    copied = end;
    return e;  // a source that ended early shows in the caller's size check
  }
  off_t pos = 0;
  while (pos < size) {
    off_t data = ::lseek(in, pos, SEEK_DATA);
    if (data < 0) {
      if (errno == ENXIO) break;  // only a hole is left
      data = pos;                 // no hole support: copy everything
    }
    if (data >= size) break;
    off_t hole = ::lseek(in, data, SEEK_HOLE);
    if (hole < 0 || hole > size) hole = size;
    if (hole <= data) hole = size;
    off_t end = copied;
    if (const int e = CopyRange(in, out, data, hole, buf, end, temp, h)) return e;
    copied = end;
    if (end < hole) return 0;  // the source ended early; the caller sees the size change
    pos = hole;
  }
  // A trailing hole: the length comes from the source's size.
  if (copied < size) {
    if (::ftruncate(out, size) != 0) return errno;
    copied = size;
  }
  return 0;
}

// True when the first `size` bytes of both descriptors are the same (both files are known to have that
// size); `error` gets an errno value when reading fails. A file that reads short differs.
bool SameContent(int a, int b, off_t size, int& error) {
  CopyBuffers& buffers = Buffers();
  char* bufA = buffers.a.get();
  char* bufB = buffers.b.get();
  error = 0;
  for (off_t offset = 0; offset < size;) {
    const std::size_t want = std::size_t(std::min<off_t>(off_t(kCopyChunk), size - offset));
    const ssize_t ra = PreadFull(a, bufA, want, offset);
    const ssize_t rb = ra < 0 ? 0 : PreadFull(b, bufB, want, offset);
    if (ra < 0 || rb < 0) {
      error = errno;
      return false;
    }
    if (std::size_t(ra) != want || std::size_t(rb) != want || std::memcmp(bufA, bufB, want) != 0)
      return false;
    offset += off_t(want);
  }
  return true;
}

// Flushes a folder so a new name in it survives a crash before the source is deleted.
void SyncFolder(const std::string& folder) {
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

constexpr char kPartialPrefix[] = ".vekbatch-";
constexpr std::size_t kPartialRandom = 6;
constexpr mode_t kPartialMode = S_IWUSR;  // the owner may write, nobody may read: only a copy in progress

bool IsPartialName(std::string_view name) {
  if (!name.starts_with(kPartialPrefix) || name.size() != sizeof kPartialPrefix - 1 + kPartialRandom)
    return false;
  for (char c : name.substr(sizeof kPartialPrefix - 1))
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

// The partial copy being written, for the signal handler: a fixed buffer and a flag, both safe to read there.
char partialPath[PATH_MAX];
volatile sig_atomic_t havePartial = 0;
std::atomic<bool> interruptCleanup{false};
constexpr int kCleanupSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Blocks the cleanup signals for the life of the scope, so the handler never sees a half-written state.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kCleanupSignals) sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

void RegisterPartial(const std::string& path) {
  if (path.size() >= sizeof partialPath) return;  // open() would have refused such a path already
  SignalsHeld held;
  std::memcpy(partialPath, path.c_str(), path.size() + 1);
  havePartial = 1;
}

void UnregisterPartial() {
  SignalsHeld held;
  havePartial = 0;
}

extern "C" void RemovePartialAndDie(int sig) {
  if (havePartial) ::unlink(partialPath);
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

// Creates a new partial copy in `folder`, locked and marked. Returns the descriptor or -1 with errno.
int CreatePartial(const std::string& folder, std::string& path) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}() ^ (std::uint64_t(::getpid()) << 32)};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + "/" + kPartialPrefix;
    for (std::size_t i = 0; i < kPartialRandom; ++i) path += kAlphabet[random() % (sizeof kAlphabet - 1)];
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kPartialMode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Another run's cleanup may have taken this new file for a stale one between the open and the lock; then
    // the name no longer leads to it, and a new one is made.
    struct stat mine {
    }, named{};
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &mine) != 0) {
      const int e = errno;
      ::close(fd);
      ::unlink(path.c_str());
      errno = e;
      return -1;
    }
    if (::lstat(path.c_str(), &named) != 0 || named.st_ino != mine.st_ino || named.st_dev != mine.st_dev) {
      ::close(fd);
      continue;
    }
    // An umask cannot add bits, but a default ACL of the folder could: the mode is set on purpose.
    if ((mine.st_mode & 07777) != kPartialMode) ::fchmod(fd, kPartialMode);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

// Whether a file fits every mark of a partial copy made by this user.
bool LooksPartial(const struct stat& st) {
  return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == kPartialMode &&
         st.st_nlink == 1;
}

// Removes the partial copies in `folder` that no running move holds. Returns the names removed.
std::vector<std::string> RemoveStalePartials(const std::string& folder) {
  std::vector<std::string> removed;
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return removed;
  const int listFd = ::dup(dir.get());
  if (listFd < 0) return removed;
  DIR* list = ::fdopendir(listFd);
  if (!list) {
    ::close(listFd);
    return removed;
  }
  std::vector<std::string> candidates;
  while (const dirent* e = ::readdir(list))
    if (IsPartialName(e->d_name)) candidates.emplace_back(e->d_name);
  ::closedir(list);
  std::sort(candidates.begin(), candidates.end());

  for (const std::string& name : candidates) {
    struct stat before {};
    if (::fstatat(dir.get(), name.c_str(), &before, AT_SYMLINK_NOFOLLOW) != 0 || !LooksPartial(before))
      continue;
    Fd fd(::openat(dir.get(), name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat opened {};
    if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || opened.st_ino != before.st_ino ||
        opened.st_dev != before.st_dev || !LooksPartial(opened))
      continue;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;  // a running move is writing it
    struct stat now {};
    if (::fstatat(dir.get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_ino != opened.st_ino ||
        now.st_dev != opened.st_dev)
      continue;
    if (::unlinkat(dir.get(), name.c_str(), 0) == 0) removed.push_back(name);
  }
  return removed;
}

// Folders already cleaned in this run (device and inode), so a long batch into one folder lists it once.
std::mutex cleanedMutex;
std::set<std::pair<dev_t, ino_t>> cleanedFolders;
// Host folders this run has seen to exist (made by an md line or checked by a move), with their identity:
// a batch names one folder for many files, and each look costs a system call. A folder removed behind the
// run's back still fails its move honestly, at the rename.
using text::TextHash;
std::unordered_map<std::string, std::pair<dev_t, ino_t>, TextHash, std::equal_to<>> knownFolders;
// md lines this run has run with success: the line's text, and its folder's host path and text as shown.
struct MadeFolderLine {
  std::string host, shown;
};
std::unordered_map<std::string, MadeFolderLine, TextHash, std::equal_to<>> madeFolderLines;

bool KnownFolder(const std::string& host, std::pair<dev_t, ino_t>* id = nullptr) {
  std::lock_guard lock(cleanedMutex);
  const auto it = knownFolders.find(host);
  if (it == knownFolders.end()) return false;
  if (id) *id = it->second;
  return true;
}

void NoteFolder(const std::string& host, const struct stat& st) {
  std::lock_guard lock(cleanedMutex);
  knownFolders[host] = {st.st_dev, st.st_ino};
}

void ForgetFolder(const std::string& host) {
  std::lock_guard lock(cleanedMutex);
  knownFolders.erase(host);
}

// A folder this run has just made holds no copy an earlier run left: there is nothing to look for in it.
void NoteMadeFolder(const std::string& host, const struct stat& st) {
  std::lock_guard lock(cleanedMutex);
  knownFolders[host] = {st.st_dev, st.st_ino};
  cleanedFolders.insert({st.st_dev, st.st_ino});
}

// Makes `host` and the missing folders above it. The folder itself is tried first: a batch makes many
// folders side by side, so usually only the last level is missing, and one mkdir does it. Returns 0 or an
// errno value; `st` is the folder's, `made` whether this call created it, `notFolder` whether `host` itself
// names something else than a folder.
int MakeFolders(const std::string& host, struct stat& st, bool& made, bool& notFolder) {
  made = notFolder = false;
  made = ::mkdir(host.c_str(), 0777) == 0;
  if (!made && errno == ENOENT) {
    const std::size_t cut = host.find_last_of('/');
    if (cut == std::string::npos || cut == 0) return ENOENT;
    const std::string parent = host.substr(0, cut);
    struct stat parentSt {};
    bool parentMade = false, parentNotFolder = false;
    if (!KnownFolder(parent))
      if (const int e = MakeFolders(parent, parentSt, parentMade, parentNotFolder)) return e;
    made = ::mkdir(host.c_str(), 0777) == 0;
  }
  if (!made && errno != EEXIST) return errno;
  if (::stat(host.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) {
    notFolder = true;
    return ENOTDIR;
  }
  if (made)
    NoteMadeFolder(host, st);
  else
    NoteFolder(host, st);
  return 0;
}

std::vector<std::string> CleanFolderOnce(const std::string& folder, const struct stat& st) {
  {
    std::lock_guard lock(cleanedMutex);
    if (!cleanedFolders.insert({st.st_dev, st.st_ino}).second) return {};
  }
  return RemoveStalePartials(folder);
}

// The copy path of a move across devices. `srcSt` is the source as checked by the caller.
LineResult CopyVerifyDelete(const std::string& src, const struct stat& srcSt, const std::string& folder,
                            const std::string& target, const std::string& shown,
                            const std::string& targetShown, const std::string& targetFileShown) {
  Fd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (in.get() < 0) return Fail("cannot open " + shown + ": " + ErrText(errno));
  struct stat inSt {};
  if (::fstat(in.get(), &inSt) != 0) return Fail("cannot read " + shown + ": " + ErrText(errno));
  if (inSt.st_dev != srcSt.st_dev || inSt.st_ino != srcSt.st_ino || !S_ISREG(inSt.st_mode))
    return Fail("the source changed while it was being moved: " + shown);

  std::string temp;
  Fd out(CreatePartial(folder, temp));
  if (out.get() < 0) return Fail("cannot create a file in " + targetShown + ": " + ErrText(errno));
  RegisterPartial(temp);
  // Until the copy has its final name, every way out removes it.
  bool keepTemp = false;
  struct TempGuard {
    const std::string& path;
    const bool& keep;
    ~TempGuard() {
      if (!keep) ::unlink(path.c_str());
      UnregisterPartial();
    }
  } guard{temp, keepTemp};

  off_t copied = 0;
  const bool dense = off_t(inSt.st_blocks) * 512 >= inSt.st_size;
  if (const int e = CopyData(in.get(), out.get(), inSt.st_size, dense, temp, copied))
    return Fail("cannot copy " + shown + " to " + targetShown + ": " + ErrText(e));
  if (::fsync(out.get()) != 0) return Fail("cannot flush the copy in " + targetShown + ": " + ErrText(errno));
  if (const MoveHooks h = CurrentHooks(); h.afterCopy) h.afterCopy(temp);

  struct stat nowIn {
  }, nowOut{};
  if (::fstat(in.get(), &nowIn) != 0 || ::fstat(out.get(), &nowOut) != 0)
    return Fail("cannot check the copy of " + shown + ": " + ErrText(errno));
  if (nowIn.st_size != copied || nowIn.st_mtim.tv_sec != inSt.st_mtim.tv_sec ||
      nowIn.st_mtim.tv_nsec != inSt.st_mtim.tv_nsec)
    return Fail("the source changed while it was being copied: " + shown);
  if (nowOut.st_size != copied)
    return Fail("the copy in " + targetShown + " has " + std::to_string(nowOut.st_size) +
                " bytes, the source " + std::to_string(copied) + "; source kept: " + shown);
  int readErr = 0;
  if (!SameContent(in.get(), out.get(), copied, readErr)) {
    if (readErr) return Fail("cannot compare the copy of " + shown + ": " + ErrText(readErr));
    return Fail("the copy in " + targetShown + " differs from the source; source kept: " + shown);
  }

  // From the rename on, the cleanup signals wait until the move has finished one way or the other, so an
  // interrupted run never leaves the file in both places.
  SignalsHeld held;
  // The copy keeps its lock and its mark until it has its name; from then on it is the target.
  if (const int e = RenameNoReplace(temp, target)) {
    if (e == EEXIST) return Fail("target exists: " + targetFileShown);
    return Fail("cannot name the copy " + targetFileShown + ": " + ErrText(e));
  }
  keepTemp = true;
  UnregisterPartial();
  // Permissions and times, where the file system allows (failures here do not stop the move).
  ::fchmod(out.get(), srcSt.st_mode & 07777);
  const struct timespec times[2] = {inSt.st_atim, inSt.st_mtim};
  ::futimens(out.get(), times);
  if (const int e = out.Close()) {
    ::unlink(target.c_str());
    return Fail("cannot finish the copy " + targetFileShown + " (copy removed): " + ErrText(e));
  }
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
  hooksSet.store(hooks.rename || hooks.afterCopy || hooks.copyProgress, std::memory_order_release);
}

void InstallInterruptCleanup() {
  if (interruptCleanup.exchange(true)) return;
  struct sigaction sa {};
  sa.sa_handler = RemovePartialAndDie;
  sigemptyset(&sa.sa_mask);
  for (int sig : kCleanupSignals) sigaddset(&sa.sa_mask, sig);
  for (int sig : kCleanupSignals) {
    struct sigaction old {};
    // A signal the caller's parent chose to ignore (nohup) stays ignored.
    if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &sa, nullptr);
  }
}

void ForgetCleanedFolders() {
  ForgetMediumNotes();
  std::lock_guard lock(cleanedMutex);
  cleanedFolders.clear();
  knownFolders.clear();
  madeFolderLines.clear();
}

namespace detail {

namespace {

// The lines noted and looked up: those that begin with the command word md or mkdir, so that any other line
// is passed on without hashing it.
bool IsNotedLine(std::string_view line) {
  return line.size() >= 2 && (line[0] | 0x20) == 'm' && ((line[1] | 0x20) == 'd' || (line[1] | 0x20) == 'k');
}

// Notes an md line that succeeded, with its folder's host path and text as shown.
void NoteMadeFolderLine(std::string_view line, std::string host, std::string shown) {
  std::lock_guard lock(cleanedMutex);
  madeFolderLines.try_emplace(std::string(line), MadeFolderLine{std::move(host), std::move(shown)});
}

}  // namespace

LineResult MakeFolder(std::string_view folder, std::string_view line) {
  std::string host = os::ResolvePath(folder);
  std::string shown(folder);
  if (host.empty()) return Fail("no host folder for " + shown + " (not in the drive map)");
  if (host.find('\0') != std::string::npos)
    return Fail("cannot create folder " + shown + ": " + ErrText(EINVAL));
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  std::string message;
  if (KnownFolder(host)) {
    message = "folder exists: " + shown;
  } else {
    struct stat st {};
    bool made = false, notFolder = false;
    const int e = MakeFolders(host, st, made, notFolder);
    if (notFolder) return Fail("a file of that name exists: " + Where(folder, host));
    if (e != 0) return Fail("cannot create folder " + Where(folder, host) + ": " + ErrText(e));
    message = (made ? "created " : "folder exists: ") + shown;
  }
  if (IsNotedLine(line)) NoteMadeFolderLine(line, std::move(host), std::move(shown));
  return Ok(std::move(message));
}

std::optional<LineResult> RepeatedMakeFolder(std::string_view line) {
  if (!IsNotedLine(line)) return std::nullopt;
  std::lock_guard lock(cleanedMutex);
  const auto it = madeFolderLines.find(line);
  // A folder this run forgot (it disappeared under a move) is made again by the full md.
  if (it == madeFolderLines.end() || knownFolders.find(it->second.host) == knownFolders.end())
    return std::nullopt;
  return Ok("folder exists: " + it->second.shown);
}

// The move itself, once source and target folder are known to be a file and a folder.
static LineResult MoveChecked(const std::string& src, const struct stat& srcSt, const std::string& dir,
                              const std::string& name, const std::string& shown,
                              const std::string& folderShown) {
  std::string target;
  target.reserve(dir.size() + 1 + name.size());
  if (dir != "/") target += dir;
  target += '/';
  target += name;
  const auto targetFileShown = [&] { return folderShown + name; };
  // The rename never replaces a file, so it is tried first; a taken name shows as EEXIST.
  const MoveHooks h = CurrentHooks();
  const int err = h.rename ? h.rename(src, target) : RenameNoReplace(src, target);
  if (err == 0) {
    std::string moved;
    moved.reserve(shown.size() + folderShown.size() + 10);
    moved += "moved ";
    moved += shown;
    moved += " -> ";
    moved += folderShown;
    LineResult r = Ok(std::move(moved));
    r.placed = LineResult::Placed{std::int64_t(srcSt.st_size),
                                  std::int64_t(srcSt.st_mtim.tv_sec) * 1000000000 + srcSt.st_mtim.tv_nsec,
                                  std::uint64_t(srcSt.st_dev), std::uint64_t(srcSt.st_ino)};
    return r;
  }
  if (err == EEXIST) return Fail("target exists: " + targetFileShown());
  if (err == ENOENT || err == ENOTDIR) {
    // The source was there a moment ago: the folder has gone since this run last saw it.
    struct stat dirSt {};
    if (::stat(dir.c_str(), &dirSt) != 0) {
      ForgetFolder(dir);  // a later md of it makes it again
      return Fail("target folder does not exist: " + Where(folderShown, dir));
    }
  }
  if (err != EXDEV) return Fail("cannot move " + shown + " to " + folderShown + ": " + ErrText(err));
  // Across devices: a taken name is found before the copy, not after it.
  struct stat tgtSt {};
  if (::lstat(target.c_str(), &tgtSt) == 0) return Fail("target exists: " + targetFileShown());
  return CopyVerifyDelete(src, srcSt, dir, target, shown, folderShown, targetFileShown());
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

  // Copies that a run before this one left behind when it was killed mid-copy are looked for the first time
  // this run moves into the folder.
  std::vector<std::string> notes;
  std::pair<dev_t, ino_t> id;
  bool cleaned = false;
  if (KnownFolder(dir, &id)) {
    std::lock_guard lock(cleanedMutex);
    cleaned = cleanedFolders.count(id) > 0;
  }
  if (!cleaned) {
    struct stat dirSt {};
    if (::stat(dir.c_str(), &dirSt) != 0)
      return Fail("target folder does not exist: " + Where(folderShown, dir));
    if (!S_ISDIR(dirSt.st_mode)) return Fail("target is not a folder: " + Where(folderShown, dir));
    NoteFolder(dir, dirSt);
    for (const std::string& stale : CleanFolderOnce(dir, dirSt))
      notes.push_back("removed an interrupted copy: " + folderShown + stale);
  }
  LineResult r = MoveChecked(src, srcSt, dir, name, shown, folderShown);
  if (!notes.empty()) r.notes.insert(r.notes.begin(), notes.begin(), notes.end());
  return r;
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
