#include "app/batch_targets.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <unordered_map>
#include <unordered_set>

#include "platform/os/os.h"
#include "platform/text/text.h"

namespace vek {
namespace {

class HostProbe : public TargetProbe {
 public:
  std::optional<std::string> Occupied(std::string_view folder, std::string_view name) override {
    const Folder& f = Look(folder);
    if (f.Reason) return f.Reason;
    if (!f.Names.empty() && f.Names.count(plat::text::UpperCase(name)))
      return "백업 위치에 같은 이름의 파일이 이미 있음(덮어쓰지 않음): " + std::string(folder) + "\\" +
             std::string(name);
    return std::nullopt;
  }

 private:
  struct Folder {
    std::optional<std::string> Reason;
    std::unordered_set<std::string> Names;  // what the folder holds, upper-cased
  };

  enum class Kind { Missing, Folder, Other, Unknown };
  static Kind KindOf(std::string_view windowsPath, std::string& host) {
    try {
      host = plat::os::ResolvePath(windowsPath);
    } catch (const std::exception&) {
      return Kind::Unknown;  // no host place for it: the run says so
    }
    if (host.empty()) return Kind::Unknown;
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0)
      return errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unknown;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
  }

  const Folder& Look(std::string_view folder) {
    auto it = folders_.find(folder);
    if (it != folders_.end()) return it->second;
    Folder f;
    std::string host;
    switch (KindOf(folder, host)) {
      case Kind::Folder:
        ReadNames(host, f.Names);
        break;
      case Kind::Other:
        f.Reason = "백업 위치의 폴더 자리에 같은 이름의 파일이 있음: " + std::string(folder);
        break;
      case Kind::Missing:
        f.Reason = FileAbove(folder);
        break;
      case Kind::Unknown:
        break;
    }
    return folders_.emplace(std::string(folder), std::move(f)).first->second;
  }

  // The nearest folder above that exists; a file there stands where a folder of the path should be.
  static std::optional<std::string> FileAbove(std::string_view folder) {
    std::string_view up = folder;
    for (;;) {
      const std::size_t cut = up.find_last_of('\\');
      if (cut == std::string_view::npos || cut == 0 || (cut == 2 && up[1] == ':')) return std::nullopt;
      up = up.substr(0, cut);
      if (up.ends_with('\\')) continue;
      std::string host;
      switch (KindOf(up, host)) {
        case Kind::Missing:
          continue;
        case Kind::Other:
          return "백업 위치의 폴더 자리에 같은 이름의 파일이 있음: " + std::string(up);
        case Kind::Folder:
        case Kind::Unknown:
          return std::nullopt;
      }
    }
  }

  static void ReadNames(const std::string& host, std::unordered_set<std::string>& names) {
    DIR* dir = ::opendir(host.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
      const std::string_view n = e->d_name;
      if (n != "." && n != "..") names.insert(plat::text::UpperCase(n));
    }
    ::closedir(dir);
  }

  std::unordered_map<std::string, Folder, plat::text::TextHash, std::equal_to<>> folders_;
};

}  // namespace

std::unique_ptr<TargetProbe> HostTargetProbe() {
  return std::make_unique<HostProbe>();
}

}  // namespace vek
