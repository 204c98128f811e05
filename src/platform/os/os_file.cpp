// Files, folders and path names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/error.h"
#include "platform/os/os.h"

namespace plat::os {
namespace {

bool IsSep(char c) {
  return c == '\\' || c == '/';
}

// A host path the system calls can take: not empty, and without a NUL (the call would see the path cut
// at the NUL and act on another file).
bool Usable(const std::string& hostPath) {
  return !hostPath.empty() && hostPath.find('\0') == std::string::npos;
}

std::string ErrnoText(int err) {
  return std::strerror(err);
}

[[noreturn]] void RaiseOpen(const std::string& path, int err) {
  throw EFileError("Cannot open file \"" + path + "\". " + ErrnoText(err));
}

[[noreturn]] void RaiseCreate(const std::string& path, int err) {
  throw EFileError("Cannot create file \"" + path + "\". " + ErrnoText(err));
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= std::size_t(n);
  }
  return true;
}

// Index just past the last path delimiter ("\", "/", or the ":" of a leading drive "X:"), or 0.
std::size_t NameStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSep(path[i - 1])) return i;
  }
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
    return 2;
  return 0;
}

std::string ProcSelfExe() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, std::size_t(n));
}

std::string ExePath() {
  if (QCoreApplication::instance()) {
    const std::string p = QCoreApplication::applicationFilePath().toStdString();
    if (!p.empty()) return p;
  }
  return ProcSelfExe();
}

}  // namespace

bool FileExists(const std::string& hostPath) {
  struct stat st {};
  return Usable(hostPath) && ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& hostPath) {
  struct stat st {};
  return Usable(hostPath) && ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& hostPath) {
  return Usable(hostPath) && ::mkdir(hostPath.c_str(), 0777) == 0;
}

bool ForceDirectories(const std::string& hostPath) {
  if (!Usable(hostPath)) return false;
  std::string path = hostPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (DirectoryExists(path)) return true;
  // Every prefix ending before a "/", then the whole path.
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string prefix = path.substr(0, i);
    if (prefix.back() == '/') continue;  // repeated separators
    if (DirectoryExists(prefix)) continue;
    if (::mkdir(prefix.c_str(), 0777) != 0 && !(errno == EEXIST && DirectoryExists(prefix))) return false;
  }
  return DirectoryExists(path);
}

bool DeleteFile(const std::string& hostPath) {
  return Usable(hostPath) && ::unlink(hostPath.c_str()) == 0;
}

std::string ReadFileBytes(const std::string& hostPath, std::size_t maxBytes) {
  if (hostPath.find('\0') != std::string::npos) RaiseOpen(hostPath, ENOENT);
  // Opened without blocking, so that a pipe with no writer is refused instead of waiting for one.
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) RaiseOpen(hostPath, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    RaiseOpen(hostPath, err);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFileError(
        "Cannot open file \"" + hostPath + "\". " +
        (S_ISDIR(st.st_mode) ? "It is a folder." : "It is not a regular file (a device, pipe or socket)."));
  }
  const auto tooLarge = [&] {
    ::close(fd);
    throw EFileError("Cannot open file \"" + hostPath + "\". It is larger than " +
                     std::to_string(maxBytes >> 20) + " MB, the most a file read whole may hold.");
  };
  if (std::uint64_t(st.st_size) > maxBytes) tooLarge();
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // Read straight into the result; the size the file had is a hint, as it may change while it is read
  // (a file in /proc reports none at all).
  std::string out;
  std::size_t used = 0;
  out.resize(std::max<std::size_t>(std::size_t(st.st_size) + 1, 65536));
  for (;;) {
    if (used == out.size()) {
      // A file that grows while it is read is held to the same limit.
      if (used > maxBytes) tooLarge();
      out.resize(std::min(out.size() * 2, maxBytes + 1));
    }
    const ssize_t n = ::read(fd, out.data() + used, out.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      RaiseOpen(hostPath, err);
    }
    if (n == 0) break;
    used += std::size_t(n);
  }
  ::close(fd);
  if (used > maxBytes) tooLarge();
  out.resize(used);
  return out;
}

void WriteFileBytes(const std::string& hostPath, std::string_view bytes) {
  if (hostPath.empty()) RaiseCreate(hostPath, ENOENT);
  // A symbolic link is kept: its target is replaced.
  std::string target = hostPath;
  struct stat lst {};
  if (::lstat(hostPath.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = ::realpath(hostPath.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  struct stat old {};
  const bool hadOld = ::stat(target.c_str(), &old) == 0;
  if (hadOld && S_ISDIR(old.st_mode)) RaiseCreate(hostPath, EISDIR);

  // The temporary file beside the target, created with the default mode (the umask applies).
  std::random_device rd;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".~" + std::to_string(rd() % 1000000u) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) RaiseCreate(hostPath, errno);

  bool ok = WriteAll(fd, bytes);
  int err = ok ? 0 : errno;
  if (ok && hadOld && ::fchmod(fd, old.st_mode & 07777) != 0) {
    // Keeping the old permissions is best effort (a file of another owner).
  }
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    RaiseCreate(hostPath, err);
  }
  // Make the rename itself durable.
  const std::string dir = ExtractFilePath(target);
  const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

std::string ExtractFilePath(std::string_view path) {
  return std::string(path.substr(0, NameStart(path)));
}

std::string ExtractFileName(std::string_view path) {
  return std::string(path.substr(NameStart(path)));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const std::size_t start = NameStart(path);
  const std::size_t dot = path.rfind('.');
  std::string out;
  if (dot != std::string_view::npos && dot >= start)
    out = std::string(path.substr(0, dot));
  else
    out = std::string(path);
  out += ext;
  return out;
}

std::string ExeDir() {
  if (QCoreApplication::instance()) {
    const std::string d = QCoreApplication::applicationDirPath().toStdString();
    if (!d.empty()) return d;
  }
  std::string dir = ExtractFilePath(ProcSelfExe());
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string ExeTitle() {
  return ChangeFileExt(ExtractFileName(ExePath()), "");
}

}  // namespace plat::os
