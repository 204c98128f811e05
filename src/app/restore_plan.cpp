#include "app/restore_plan.h"

#include <sys/stat.h>

#include <cerrno>
#include <functional>

#include "app/batch_text.h"
#include "platform/os/os.h"

namespace vek {
namespace {

struct Split {
  std::string_view Folder, Name;
};
Split SplitPath(std::string_view path) {
  const std::size_t cut = path.find_last_of('\\');
  if (cut == std::string_view::npos) return {{}, path};
  return {path.substr(0, cut), path.substr(cut + 1)};
}

// The Windows root a folder hangs from, as the drive map reads it.
std::string RootOf(std::string_view folder) {
  if (folder.size() >= 2 && folder[1] == ':') return std::string(folder.substr(0, 2)) + "\\";
  if (folder.starts_with("\\\\")) {
    const std::size_t server = folder.find('\\', 2);
    if (server == std::string_view::npos) return std::string(folder);
    const std::size_t share = folder.find('\\', server + 1);
    return std::string(folder.substr(0, share));
  }
  if (folder.starts_with('/')) return "/";
  return "C:\\";
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Host(std::string_view windowsPath) {
  try {
    return WithoutTrailingSlash(plat::os::ResolvePath(windowsPath));
  } catch (const std::exception&) {
    return {};
  }
}

std::uint64_t KeyHash(std::string_view path) {
  return std::hash<std::string>{}(ComparablePath(path));
}

}  // namespace

std::string_view RestorePlan::Reason(Verdict v) {
  switch (v) {
    case Verdict::Restore:
    case Verdict::RestoreUnstamped:
      return {};
    case Verdict::AlreadyRestored:
      return "이미 되돌렸음";
    case Verdict::NotMirror:
      return "이동 기록의 백업 위치가 원래 경로를 그대로 옮긴 자리가 아님";
    case Verdict::Unsafe:
      return "이동 기록의 이 줄은 안전하게 되돌릴 수 없음";
    case Verdict::NoHostPath:
      return "이 컴퓨터에 없는 드라이브나 네트워크 경로";
    case Verdict::Missing:
      return "백업 폴더에 파일이 없음(지워졌거나 옮겨졌을 수 있음)";
    case Verdict::NotRegular:
      return "백업 폴더의 그 자리가 일반 파일이 아님(링크나 폴더)";
    case Verdict::Changed:
      return "백업 폴더의 파일이 이동할 때의 그 파일이 아님(크기, 수정 시각 또는 파일 번호가 다름)";
    case Verdict::LinkInBackup:
      return "백업 폴더까지의 경로에 심볼릭 링크가 있음";
    case Verdict::LinkInOriginal:
      return "원래 폴더까지의 경로에 심볼릭 링크나 파일이 있음";
    case Verdict::OriginalTaken:
      return "원래 자리에 같은 이름의 파일이 있음(덮어쓰지 않음)";
    case Verdict::Twice:
      return "이동 기록에 같은 원래 자리가 두 번 있음";
  }
  return {};
}

RestorePlan::RestorePlan(const MoveRecord& record, const std::vector<std::string>& backupDirs,
                         const std::vector<std::string>& restoredKeys)
    : restored_(restoredKeys.begin(), restoredKeys.end()) {
  verdicts_.reserve(record.Size());
  for (std::size_t i = 0; i < record.Size(); ++i) {
    const Verdict v = Check(record, i, backupDirs);
    verdicts_.push_back(v);
    if (!Restores(v)) continue;
    ++restorable_;
    if (v == Verdict::RestoreUnstamped) ++unstamped_;
    const std::string folder(SplitPath(record.Source(i)).Folder);
    if (folderSeen_.insert(folder).second) folders_.push_back(folder);
  }
  restored_.clear();
  sources_.clear();
  ways_.clear();
}

std::int64_t RestorePlan::SizeBefore(std::size_t entry) const {
  const auto it = sizeBefore_.find(entry);
  return it == sizeBefore_.end() ? -1 : it->second;
}

RestorePlan::Way RestorePlan::WayTo(const std::string& hostRoot, const std::string& hostFolder) {
  if (hostFolder.size() <= hostRoot.size()) return Way::Folder;  // the root itself is the drive map's
  if (const auto it = ways_.find(hostFolder); it != ways_.end()) return it->second;
  const std::size_t cut = hostFolder.find_last_of('/');
  Way way = cut == std::string::npos ? Way::Folder : WayTo(hostRoot, hostFolder.substr(0, cut));
  if (way == Way::Folder) {
    struct stat st {};
    if (::lstat(hostFolder.c_str(), &st) != 0)
      way = Way::Missing;
    else if (!S_ISDIR(st.st_mode))
      way = Way::Link;  // a link, or a file where a folder should be
  }
  ways_.emplace(hostFolder, way);
  return way;
}

RestorePlan::Verdict RestorePlan::Check(const MoveRecord& record, std::size_t i,
                                        const std::vector<std::string>& backupDirs) {
  const std::string_view source = record.Source(i), target = record.Target(i);
  const Split from = SplitPath(source), to = SplitPath(target);
  if (from.Name != to.Name || UnsafePathReason(from.Folder, from.Name) ||
      UnsafePathReason(to.Folder, to.Name))
    return Verdict::Unsafe;
  const std::string targetKey = ComparablePath(target);
  bool mirror = false;
  for (const std::string& b : backupDirs)
    mirror = mirror ||
             ComparablePath(b + WholeFolderTail(from.Folder) + "\\" + std::string(from.Name)) == targetKey;
  if (!mirror) return Verdict::NotMirror;
  std::string key(source);
  key += '\0';
  key += target;
  if (restored_.count(key)) return Verdict::AlreadyRestored;

  // The backup copy: reached without a link, a regular file, and the one the move left there.
  const std::string backupRoot = Host(RootOf(to.Folder)), backupFolder = Host(to.Folder);
  const std::string originalRoot = Host(RootOf(from.Folder)), originalFolder = Host(from.Folder);
  if (backupRoot.empty() || backupFolder.empty() || originalRoot.empty() || originalFolder.empty())
    return Verdict::NoHostPath;
  switch (WayTo(backupRoot, backupFolder)) {
    case Way::Link:
      return Verdict::LinkInBackup;
    case Way::Missing:
      return Verdict::Missing;
    case Way::Folder:
      break;
  }
  const std::string hostTarget = backupFolder + "/" + std::string(to.Name);
  struct stat st {};
  if (::lstat(hostTarget.c_str(), &st) != 0) return Verdict::Missing;
  if (!S_ISREG(st.st_mode)) return Verdict::NotRegular;
  const std::optional<FileStamp> recorded = record.Stamp(i);
  if (recorded && StampOf(hostTarget) != recorded) return Verdict::Changed;

  // The way back: existing folders are real folders, and no file stands at the old place.
  switch (WayTo(originalRoot, originalFolder)) {
    case Way::Link:
      return Verdict::LinkInOriginal;
    case Way::Missing:
      break;
    case Way::Folder:
      if (::lstat((originalFolder + "/" + std::string(from.Name)).c_str(), &st) == 0)
        return Verdict::OriginalTaken;
      break;
  }
  if (!sources_.insert(KeyHash(source)).second) return Verdict::Twice;
  if (recorded) return Verdict::Restore;
  struct stat copy {};
  ::lstat(hostTarget.c_str(), &copy);
  sizeBefore_.emplace(i, std::int64_t(copy.st_size));
  return Verdict::RestoreUnstamped;
}

}  // namespace vek
