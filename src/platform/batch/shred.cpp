// 완전삭제: overwrite, flush, rename, remove (see shred.h for the steps).
#include "platform/batch/shred.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "platform/os/os.h"

namespace plat::batch {
namespace {

std::mutex hooksMutex;
ShredHooks hooks;
std::atomic<bool> hooksSet{false};

ShredHooks CurrentHooks() {
  if (!hooksSet.load(std::memory_order_acquire)) return {};
  std::lock_guard lock(hooksMutex);
  return hooks;
}

std::string ErrText(int err) {
  return std::strerror(err);
}

// The random pass only has to leave nothing of the old bytes and nothing a disk could compress or fold into
// a block it already holds; a fast generator seeded from the kernel does that at memory speed.
class Xoshiro256 {
 public:
  Xoshiro256() {
    if (::getrandom(s_, sizeof s_, 0) != ssize_t(sizeof s_)) {
      std::random_device rd;
      for (std::uint64_t& v : s_) v = (std::uint64_t(rd()) << 32) ^ rd();
    }
    if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0) s_[0] = 1;
  }
  std::uint64_t Next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }
  void Fill(char* p, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      const std::uint64_t v = Next();
      std::memcpy(p + i, &v, 8);
    }
    if (i < n) {
      const std::uint64_t v = Next();
      std::memcpy(p + i, &v, n - i);
    }
  }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4];
};

constexpr std::size_t kChunk = 1 << 20;

struct ShredBuffers {
  std::unique_ptr<char[]> random, zeros;
  Xoshiro256 rng;
};
ShredBuffers& Buffers() {
  thread_local ShredBuffers b;
  if (!b.random) {
    b.random.reset(new char[kChunk]);
    b.zeros.reset(new char[kChunk]());
  }
  return b;
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

struct Extent {
  off_t start, end;
};

// The extents of `fd` holding data within [0, size). Returns 0 or an errno value. A file system that cannot
// tell holes is taken as all data.
int DataExtents(int fd, off_t size, std::vector<Extent>& out) {
  off_t pos = 0;
  while (pos < size) {
    off_t data = ::lseek(fd, pos, SEEK_DATA);
    if (data < 0) {
      if (errno == ENXIO) break;  // only a hole is left
      if (errno != EINVAL && errno != EOPNOTSUPP) return errno;
      out.push_back({pos, size});
      break;
    }
    if (data >= size) break;
    off_t hole = ::lseek(fd, data, SEEK_HOLE);
    if (hole < 0) {
      if (errno != EINVAL && errno != EOPNOTSUPP && errno != ENXIO) return errno;
      hole = size;
    }
    if (hole > size || hole <= data) hole = size;
    out.push_back({data, hole});
    pos = hole;
  }
  return 0;
}

// One pass over the extents (pass 1 random bytes, pass 2 zeros), then fsync. Returns 0 or an errno value;
// `written` is what this pass wrote.
int OverwritePass(int fd, const std::vector<Extent>& extents, int pass, const ShredHooks& h,
                  std::int64_t& written) {
  ShredBuffers& b = Buffers();
  written = 0;
  for (const Extent& e : extents) {
    for (off_t pos = e.start; pos < e.end;) {
      const std::size_t n = std::size_t(std::min<off_t>(off_t(kChunk), e.end - pos));
      const char* src = b.zeros.get();
      if (pass == 1) {
        b.rng.Fill(b.random.get(), n);
        src = b.random.get();
      }
      if (h.beforeWrite)
        if (const int err = h.beforeWrite(pass, written)) return err;
      std::size_t done = 0;
      while (done < n) {
        const ssize_t w = ::pwrite(fd, src + done, n - done, pos + off_t(done));
        if (w < 0) {
          if (errno == EINTR) continue;
          return errno;
        }
        if (w == 0) return EIO;
        done += std::size_t(w);
        written += w;
      }
      pos += off_t(n);
    }
  }
  if (::fsync(fd) != 0) return errno;
  return 0;
}

// A name no file in the folder has: ".vekshred-" and twelve letters or digits (it tells nothing of the old
// name, and a leftover of a crash is known for what it is).
std::string RandomName() {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  Xoshiro256& rng = Buffers().rng;
  std::string name = ".vekshred-";
  for (int i = 0; i < 12; ++i) name += kAlphabet[rng.Next() % (sizeof kAlphabet - 1)];
  return name;
}

bool SameFile(int dirFd, const std::string& name, const struct stat& st) {
  struct stat now {};
  return ::fstatat(dirFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev &&
         now.st_ino == st.st_ino;
}

// Renames `from` to a fresh random name in the same folder, never replacing a file.
int RenameToRandom(int dirFd, const std::string& from, std::string& to) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    to = RandomName();
#ifdef RENAME_NOREPLACE
    if (::renameat2(dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
#endif
    struct stat st {};
    if (::fstatat(dirFd, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
    if (::renameat(dirFd, from.c_str(), dirFd, to.c_str()) == 0) return 0;
    return errno;
  }
  return EEXIST;
}

LineResult Result(LineStatus status, std::string message, ShredEnd end, MediumNote medium) {
  LineResult r;
  r.status = status;
  r.message = std::move(message);
  r.shred = ShredReport{end, std::move(medium), 0, 0};
  return r;
}

}  // namespace

void SetShredHooks(ShredHooks h) {
  std::lock_guard lock(hooksMutex);
  hooks = std::move(h);
  hooksSet.store(bool(hooks.beforeWrite), std::memory_order_release);
}

namespace detail {

LineResult ShredOneFile(std::string_view file) {
  const std::string host = os::ResolvePath(file);
  const std::string shown(file);
  const auto refuse = [&](std::string why) {
    return Result(LineStatus::Failed, std::move(why), ShredEnd::Refused,
                  host.empty() ? MediumNote{} : MediumNoteFor(host));
  };
  if (host.empty()) return refuse("no host path for " + shown + " (not in the drive map)");
  const std::string name = os::ExtractFileName(host);
  if (name.empty()) return refuse("names a folder, not a file: " + shown);
  const std::size_t cut = host.find_last_of('/');
  const std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : host.substr(0, cut);

  struct stat st {};
  if (::lstat(host.c_str(), &st) != 0) {
    const int e = errno;
    if (e != ENOENT && e != ENOTDIR) return refuse("cannot read " + shown + ": " + ErrText(e));
    return refuse("file does not exist: " + shown);
  }
  if (S_ISDIR(st.st_mode)) return refuse("is a folder, not a file: " + shown);
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return refuse("cannot open the folder of " + shown + ": " + ErrText(errno));

  if (S_ISLNK(st.st_mode)) {
    // The link is what the line names; the file it points to is someone else's business.
    MediumNote note = MediumNoteFor(host);
    if (!SameFile(dir.get(), name, st))
      return Result(LineStatus::Failed, "the link changed while it was being deleted: " + shown,
                    ShredEnd::Refused, std::move(note));
    if (::unlinkat(dir.get(), name.c_str(), 0) != 0)
      return Result(LineStatus::Failed, "cannot delete the link " + shown + ": " + ErrText(errno),
                    ShredEnd::Refused, std::move(note));
    return Result(LineStatus::Succeeded, "removed the link " + shown + " (its target is kept)",
                  ShredEnd::LinkRemoved, std::move(note));
  }
  if (!S_ISREG(st.st_mode)) return refuse("not a regular file: " + shown);

  Fd fd(::openat(dir.get(), name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return refuse("cannot open " + shown + " for overwriting: " + ErrText(errno));
  struct stat opened {};
  if (::fstat(fd.get(), &opened) != 0) return refuse("cannot read " + shown + ": " + ErrText(errno));
  if (opened.st_dev != st.st_dev || opened.st_ino != st.st_ino || !S_ISREG(opened.st_mode))
    return refuse("the file changed while it was being opened: " + shown);
  MediumNote note = MediumNoteFor(host);
  if (opened.st_nlink > 1)
    return Result(LineStatus::Failed,
                  "not shredded: " + shown + " has " + std::to_string(opened.st_nlink) +
                      " hard links; its data would stay readable under the other name",
                  ShredEnd::Refused, std::move(note));

  LineResult r = Result(LineStatus::Failed, {}, ShredEnd::Interrupted, std::move(note));
  ShredReport& report = *r.shred;
  std::vector<Extent> extents;
  if (const int e = DataExtents(fd.get(), opened.st_size, extents)) {
    report.End = ShredEnd::Refused;
    r.message = "cannot find the data of " + shown + ": " + ErrText(e);
    return r;
  }
  for (const Extent& e : extents) report.DataBytes += e.end - e.start;

  const ShredHooks h = CurrentHooks();
  for (int pass = 1; pass <= 2; ++pass) {
    if (const int e = OverwritePass(fd.get(), extents, pass, h, report.Overwritten)) {
      r.message = "shred interrupted: the overwrite of " + shown + " stopped after " +
                  std::to_string(report.Overwritten) + " of " + std::to_string(report.DataBytes) +
                  " bytes (" + (pass == 1 ? "random" : "zero") + " pass): " + ErrText(e) +
                  "; the file is left in place, " +
                  (pass == 1 && report.Overwritten == 0 ? "not overwritten" : "partly overwritten");
      return r;
    }
  }

  std::string renamed;
  report.End = ShredEnd::NotRemoved;
  if (!SameFile(dir.get(), name, opened)) {
    r.message = "overwritten, but the name " + shown + " no longer leads to the file; nothing removed";
    return r;
  }
  if (const int e = RenameToRandom(dir.get(), name, renamed)) {
    r.message = "overwritten, but cannot rename " + shown + ": " + ErrText(e) + "; the file is still there";
    return r;
  }
  if (::fsync(dir.get()) != 0) {
    r.message = "overwritten, but cannot flush the folder of " + shown + ": " + ErrText(errno) +
                "; the file is still there as " + renamed;
    return r;
  }
  if (!SameFile(dir.get(), renamed, opened)) {
    r.message = "overwritten, but the file renamed " + renamed + " changed; nothing removed";
    return r;
  }
  if (::unlinkat(dir.get(), renamed.c_str(), 0) != 0) {
    r.message = "overwritten, but cannot remove " + shown + ": " + ErrText(errno) +
                "; the file is still there as " + renamed;
    return r;
  }
  report.End = ShredEnd::Shredded;
  r.status = LineStatus::Succeeded;
  r.message = "shredded " + shown + " (" + report.Medium.Text() + ")";
  return r;
}

}  // namespace detail
}  // namespace plat::batch
