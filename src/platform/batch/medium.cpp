// The medium check: file system by statfs's magic number and the mount table, the disk by sysfs.
#include "platform/batch/medium.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <tuple>

#include "platform/os/os.h"

namespace plat::batch {
namespace {

namespace fs = std::filesystem;

// statfs f_type values (linux/magic.h and the file systems' own headers).
enum : std::uint32_t {
  kExt = 0xEF53,
  kXfs = 0x58465342,
  kBtrfs = 0x9123683E,
  kZfs = 0x2FC12FC1,
  kBcachefs = 0xCA451A4E,
  kF2fs = 0xF2F52010,
  kNilfs = 0x3434,
  kNfs = 0x6969,
  kSmb = 0x517B,
  kCifs = 0xFF534D42,
  kSmb2 = 0xFE534D42,
  kCeph = 0x00C36400,
  kV9fs = 0x01021997,
  kAfs = 0x5346414F,
  kCoda = 0x73757245,
  kOcfs2 = 0x7461636F,
  kGfs2 = 0x01161970,
  kFuse = 0x65735546,
  kTmpfs = 0x01021994,
  kRamfs = 0x858458F6,
  kOverlay = 0x794C7630,
  kMsdos = 0x4D44,
  kExfat = 0x2011BAB0,
  kNtfs = 0x5346544E,
  kNtfs3 = 0x7366746E,
  kSquashfs = 0x73717368,
  kErofs = 0xE0F5E1E2,
};

std::string Hex(std::uint32_t v) {
  std::ostringstream s;
  s << "0x" << std::hex << v;
  return s.str();
}

// The first line of a small sysfs file, trailing blanks removed; empty when it cannot be read.
std::string ReadAttr(const fs::path& p) {
  std::ifstream in(p);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  while (!line.empty() && (line.back() == ' ' || line.back() == '\n' || line.back() == '\t')) line.pop_back();
  return line;
}

void AddReason(std::vector<std::string>& to, std::string reason) {
  if (std::find(to.begin(), to.end(), reason) == to.end()) to.push_back(std::move(reason));
}

// What a device's name says when it is one of the kernel's own block devices made of something else.
std::string VirtualKind(const std::string& name) {
  static const std::pair<const char*, const char*> kinds[] = {
      {"loop", "loop"},  {"dm-", "device-mapper"}, {"zram", "zram"}, {"nbd", "nbd"}, {"ram", "ram"},
      {"md", "md RAID"}, {"rbd", "ceph rbd"},      {"drbd", "drbd"}, {"xvd", "xen"}, {"vd", "virtio"},
  };
  for (const auto& [prefix, kind] : kinds)
    if (name.rfind(prefix, 0) == 0) return kind;
  return {};
}

bool Contains(const std::string& s, std::string_view what) {
  return s.find(what) != std::string::npos;
}

// A vendor or model that names a hypervisor's emulated disk.
bool EmulatedDisk(const std::string& vendor, const std::string& model) {
  static const char* const names[] = {"QEMU", "VMware",  "VBOX",    "VirtualBox", "Msft",
                                      "Xen",  "Virtual", "VIRTUAL", "Google",     "PersistentDisk"};
  for (const char* n : names)
    if (Contains(vendor, n) || Contains(model, n)) return true;
  return false;
}

void VisitDevice(const fs::path& node, int depth, std::vector<std::string>& reasons) {
  if (depth > 8) return;
  std::error_code ec;
  const fs::path disk = fs::exists(node / "partition", ec) ? node.parent_path() : node;
  const std::string name = disk.filename().string();
  const std::string where = disk.generic_string();
  std::string kind;
  if (Contains(where, "/virtio")) kind = "virtio";
  if (kind.empty() && Contains(where, "/devices/virtual/")) {
    kind = VirtualKind(name);
    if (kind.empty()) kind = name;
  }
  if (kind.empty() && name.rfind("xvd", 0) == 0) kind = "xen";
  const std::string vendor = ReadAttr(disk / "device" / "vendor"),
                    model = ReadAttr(disk / "device" / "model");
  if (kind.empty() && EmulatedDisk(vendor, model)) {
    kind = vendor;
    if (!model.empty()) kind += (kind.empty() ? "" : " ") + model;
  }
  if (!kind.empty()) {
    AddReason(reasons, "가상 디스크(" + kind + ")");
  } else {
    if (Contains(where, "/usb")) AddReason(reasons, "USB 연결 매체");
    if (ReadAttr(disk / "removable") == "1") AddReason(reasons, "이동식 매체");
    const std::string rotational = ReadAttr(disk / "queue" / "rotational");
    if (rotational == "0")
      AddReason(reasons, "플래시/SSD");
    else if (rotational != "1")
      AddReason(reasons, "회전 디스크인지 알 수 없음(" + name + ")");
  }
  // The devices this one is made of (a device-mapper or RAID volume's disks) add their own reasons.
  std::vector<fs::path> slaveDirs{disk / "slaves"};
  if (node != disk) slaveDirs.push_back(node / "slaves");
  for (const fs::path& dir : slaveDirs) {
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code slaveEc;
      const fs::path slave = fs::canonical(it->path(), slaveEc);
      if (!slaveEc) VisitDevice(slave, depth + 1, reasons);
    }
    ec.clear();
  }
}

// The mount table's file system name and options (mount and super block options) for a device.
bool MountInfo(unsigned major, unsigned minor, std::string& type, std::string& options) {
  std::ifstream in("/proc/self/mountinfo");
  const std::string dev = std::to_string(major) + ":" + std::to_string(minor);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string id, parent, majmin, root, point, mountOpts, field;
    if (!(s >> id >> parent >> majmin >> root >> point >> mountOpts) || majmin != dev) continue;
    while (s >> field && field != "-") {
    }
    std::string source, superOpts;
    s >> type >> source >> superOpts;
    options = mountOpts + "," + superOpts;
    return true;
  }
  return false;
}

struct DeviceFacts {
  std::string name, fileSystem;
  std::vector<std::string> reasons;  // of the file system and the device (not of the file)
};

std::mutex cacheMutex;
std::map<std::tuple<std::uint64_t, std::int64_t>, DeviceFacts> cache;

DeviceFacts FactsFor(dev_t dev, std::int64_t magic) {
  const auto key = std::make_tuple(std::uint64_t(dev), magic);
  {
    std::lock_guard lock(cacheMutex);
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
  }
  DeviceFacts f;
  std::string type, options;
  const bool mounted = MountInfo(::major(dev), ::minor(dev), type, options);
  const detail::FileSystemVerdict v = detail::ClassifyFileSystem(magic, options);
  f.fileSystem = mounted && !type.empty() ? type : v.Name;
  if (!v.Reason.empty()) f.reasons.push_back(v.Reason);
  if (v.NeedsDevice)
    for (std::string& r : detail::BlockDeviceReasons("/sys", ::major(dev), ::minor(dev), f.name))
      AddReason(f.reasons, r);
  std::lock_guard lock(cacheMutex);
  cache.emplace(key, f);
  return f;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ", ") + p;
  return out;
}

}  // namespace

std::string MediumNote::Text() const {
  if (Ok) return "덮어쓰기 유효: " + FileSystem + ", 로컬 회전 디스크(" + DeviceName + ")";
  return std::string(kMediumWarning) + ": " + Reason;
}

MediumNote MediumNoteFor(const std::string& hostPath) {
  MediumNote note;
  struct stat st {};
  std::string probe = hostPath;
  if (::lstat(hostPath.c_str(), &st) != 0) {
    // A file that is gone: its folder's medium.
    const std::size_t cut = hostPath.find_last_of('/');
    probe = cut == std::string::npos ? "." : cut == 0 ? "/" : hostPath.substr(0, cut);
    if (::stat(probe.c_str(), &st) != 0) {
      note.Reason = "파일도 폴더도 없어 매체를 알 수 없음";
      return note;
    }
  }
  note.Device = std::uint64_t(st.st_dev);
  if (S_ISLNK(st.st_mode)) {
    note.Reason = "심볼릭 링크(링크만 지우고 대상은 그대로 둡니다)";
    return note;
  }
  struct statfs sf {};
  if (::statfs(probe.c_str(), &sf) != 0) {
    note.Reason = "파일 시스템을 알 수 없음";
    return note;
  }
  const DeviceFacts f = FactsFor(st.st_dev, std::int64_t(std::uint32_t(sf.f_type)));
  note.DeviceName = f.name;
  note.FileSystem = f.fileSystem;
  std::vector<std::string> reasons = f.reasons;
  if (S_ISREG(st.st_mode) && st.st_nlink > 1)
    reasons.push_back("다른 하드 링크가 있는 파일(링크 " + std::to_string(st.st_nlink) + "개)");
  note.Ok = reasons.empty();
  note.Reason = Join(reasons);
  return note;
}

std::vector<MediumGroup> GroupByMedium(const std::vector<std::string>& paths) {
  ForgetMediumNotes();  // each question looks at the disks as they are now
  std::vector<MediumGroup> groups;
  for (const std::string& p : paths) {
    const MediumNote note = MediumNoteFor(os::ResolvePath(p));
    auto it =
        std::find_if(groups.begin(), groups.end(), [&](const MediumGroup& g) { return g.Note == note; });
    if (it == groups.end()) it = groups.insert(groups.end(), MediumGroup{note, {}});
    it->Files.push_back(p);
  }
  return groups;
}

void ForgetMediumNotes() {
  std::lock_guard lock(cacheMutex);
  cache.clear();
}

namespace detail {

std::vector<std::string> BlockDeviceReasons(const std::string& sysRoot, unsigned major, unsigned minor,
                                            std::string& name) {
  std::vector<std::string> reasons;
  const std::string id = std::to_string(major) + ":" + std::to_string(minor);
  std::error_code ec;
  const fs::path node = fs::canonical(fs::path(sysRoot) / "dev" / "block" / id, ec);
  if (ec) {
    name.clear();
    reasons.push_back("장치 정보를 읽을 수 없음(" + id + ")");
    return reasons;
  }
  name = node.filename().string();
  VisitDevice(node, 0, reasons);
  return reasons;
}

FileSystemVerdict ClassifyFileSystem(std::int64_t fsMagic, std::string_view mountOptions) {
  FileSystemVerdict v;
  const auto magic = std::uint32_t(fsMagic);
  const auto other = [&](std::string name, std::string reason) {
    v.Name = std::move(name);
    v.Reason = std::move(reason) + "(" + v.Name + ")";
    v.NeedsDevice = false;
    return v;
  };
  switch (magic) {
    case kExt:
    case kXfs: {
      v.Name = magic == kExt ? "ext4" : "xfs";
      // Journalled data is written twice: the journal keeps a copy the overwrite does not reach.
      const std::string opts = "," + std::string(mountOptions) + ",";
      if (opts.find(",data=journal,") != std::string::npos) v.Reason = "데이터 저널링(data=journal)";
      return v;
    }
    case kBtrfs:
      return other("btrfs", "복사 기록 방식(copy-on-write) 파일 시스템");
    case kZfs:
      return other("zfs", "복사 기록 방식(copy-on-write) 파일 시스템");
    case kBcachefs:
      return other("bcachefs", "복사 기록 방식(copy-on-write) 파일 시스템");
    case kF2fs:
      return other("f2fs", "로그 구조 파일 시스템");
    case kNilfs:
      return other("nilfs2", "로그 구조 파일 시스템");
    case kNfs:
      return other("nfs", "네트워크 공유");
    case kSmb:
      return other("smb", "네트워크 공유");
    case kCifs:
    case kSmb2:
      return other("cifs", "네트워크 공유");
    case kCeph:
      return other("ceph", "네트워크 공유");
    case kV9fs:
      return other("9p", "네트워크 공유");
    case kAfs:
      return other("afs", "네트워크 공유");
    case kCoda:
      return other("coda", "네트워크 공유");
    case kOcfs2:
      return other("ocfs2", "클러스터 파일 시스템");
    case kGfs2:
      return other("gfs2", "클러스터 파일 시스템");
    case kFuse:
      return other("fuse", "사용자 공간 파일 시스템");
    case kTmpfs:
      return other("tmpfs", "메모리 파일 시스템");
    case kRamfs:
      return other("ramfs", "메모리 파일 시스템");
    case kOverlay:
      return other("overlay", "겹침 파일 시스템");
    case kMsdos:
      return other("vfat", "덮어쓰기를 검증하지 않은 파일 시스템");
    case kExfat:
      return other("exfat", "덮어쓰기를 검증하지 않은 파일 시스템");
    case kNtfs:
    case kNtfs3:
      return other("ntfs", "덮어쓰기를 검증하지 않은 파일 시스템");
    case kSquashfs:
      return other("squashfs", "읽기 전용 파일 시스템");
    case kErofs:
      return other("erofs", "읽기 전용 파일 시스템");
    default:
      return other(Hex(magic), "알 수 없는 파일 시스템");
  }
}

}  // namespace detail
}  // namespace plat::batch
