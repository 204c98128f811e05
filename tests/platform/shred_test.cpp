// 완전삭제 and the medium check: on real file systems (an ext4 and a btrfs image on loop devices, mounted for
// the suite; skipped with the reason where this machine refuses to mount), in a temporary folder for links,
// and on a sysfs tree the tests build for the disks this machine does not have.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/batch/batch.h"
#include "platform/batch/medium.h"
#include "platform/os/os.h"

namespace batch = plat::batch;
namespace fs = std::filesystem;
using batch::LineStatus;
using batch::ShredEnd;

namespace {

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937_64 g(seed);
  std::string s(n, '\0');
  for (std::size_t i = 0; i + 8 <= n; i += 8) {
    const std::uint64_t v = g() | 0x0101010101010101ull;  // no zero byte: a zeroed block never matches
    std::memcpy(&s[i], &v, 8);
  }
  for (std::size_t i = n & ~std::size_t(7); i < n; ++i) s[i] = char(0x5A);
  return s;
}

void WriteAt(const std::string& path, const std::string& bytes, off_t at, off_t size = -1) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), at), ssize_t(bytes.size()));
  if (size >= 0) {
    ASSERT_EQ(::ftruncate(fd, size), 0);
  }
  ASSERT_EQ(::fsync(fd), 0);
  ::close(fd);
}

struct PhysExtent {
  std::uint64_t logical, physical, length;
};

// Where the file's data lies on its device (FIEMAP, after a sync so every extent has its place).
std::vector<PhysExtent> Fiemap(const std::string& path) {
  std::vector<PhysExtent> out;
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return out;
  constexpr unsigned kMax = 64;
  std::vector<char> buf(sizeof(fiemap) + kMax * sizeof(fiemap_extent));
  auto* fm = reinterpret_cast<fiemap*>(buf.data());
  fm->fm_start = 0;
  fm->fm_length = FIEMAP_MAX_OFFSET;
  fm->fm_flags = FIEMAP_FLAG_SYNC;
  fm->fm_extent_count = kMax;
  if (::ioctl(fd, FS_IOC_FIEMAP, fm) == 0)
    for (unsigned i = 0; i < fm->fm_mapped_extents; ++i)
      out.push_back(
          {fm->fm_extents[i].fe_logical, fm->fm_extents[i].fe_physical, fm->fm_extents[i].fe_length});
  ::close(fd);
  return out;
}

// Reads the device's bytes at [at, at + n) past every cache (O_DIRECT; offsets and sizes are block-aligned).
std::string ReadDirect(const std::string& device, std::uint64_t at, std::uint64_t n) {
  const int fd = ::open(device.c_str(), O_RDONLY | O_DIRECT);
  if (fd < 0) return {};
  void* mem = nullptr;
  if (::posix_memalign(&mem, 4096, n) != 0) {
    ::close(fd);
    return {};
  }
  std::unique_ptr<char, decltype(&std::free)> buf(static_cast<char*>(mem), &std::free);
  const ssize_t got = ::pread(fd, buf.get(), n, off_t(at));
  ::close(fd);
  return got == ssize_t(n) ? std::string(buf.get(), n) : std::string();
}

// How many 8-byte words of `found` (at 8-byte steps) are words of `old` (any place). The old bytes hold no
// zero byte, so blocks of zeros and other files' zeroed tails never count.
std::size_t OldWordsIn(const std::string& old, const std::string& found) {
  std::unordered_set<std::uint64_t> words;
  for (std::size_t i = 0; i + 8 <= old.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, &old[i], 8);
    words.insert(w);
  }
  std::size_t hits = 0;
  for (std::size_t i = 0; i + 8 <= found.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, &found[i], 8);
    hits += words.count(w);
  }
  return hits;
}

int Sh(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str());
}

std::string ShOut(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

batch::BatchResult RunLines(const std::string& lines, batch::DeleteMethod method) {
  std::ostringstream out;
  batch::RunOptions options;
  options.Delete = method;
  return batch::RunBatchText(lines, out, options);
}

std::string DelLine(const std::string& host) {
  return "del \"" + host + "\"\r\n";
}

// An image of each file system on its own loop device, mounted for the whole suite and always taken down.
struct LoopMount {
  std::string image, device, mountPoint;
  std::string Mount(const std::string& dir, const std::string& kind, const std::string& size,
                    const std::string& mkfs) {
    image = dir + "/" + kind + ".img";
    mountPoint = dir + "/" + kind;
    fs::create_directories(mountPoint);
    if (Sh("truncate -s " + size + " " + image) != 0) return "cannot make the image";
    if (Sh(mkfs + " " + image) != 0) return "`" + mkfs + "` failed (is the tool installed?)";
    device = ShOut("losetup -f --show " + image + " 2>/dev/null");
    if (device.empty()) return "losetup refused to attach a loop device";
    if (Sh("mount " + device + " " + mountPoint) != 0) return "mount of " + device + " refused";
    return {};
  }
  void TakeDown() {
    if (!mountPoint.empty()) Sh("umount " + mountPoint);
    if (!device.empty()) Sh("losetup -d " + device);
    device.clear();
    mountPoint.clear();
  }
};

class RealFileSystems : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (::geteuid() != 0) {
      skip_ = "loop devices need root";
      return;
    }
    dir_ = new QTemporaryDir();
    const std::string root = dir_->path().toStdString();
    skip_ = ext4_.Mount(root, "ext4", "64M", "mkfs.ext4 -q -F -b 4096");
    if (skip_.empty()) skip_ = btrfs_.Mount(root, "btrfs", "200M", "mkfs.btrfs -q -f");
  }
  static void TearDownTestSuite() {
    ext4_.TakeDown();
    btrfs_.TakeDown();
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (!skip_.empty()) GTEST_SKIP() << skip_;
    batch::ForgetCleanedFolders();
  }
  void TearDown() override { batch::SetShredHooks({}); }

  static inline QTemporaryDir* dir_ = nullptr;
  static inline LoopMount ext4_, btrfs_;
  static inline std::string skip_;
};

TEST_F(RealFileSystems, ShredLeavesNoneOfTheOldBytesInTheFormerBlocksWhilePlainDeleteLeavesThem) {
  const std::string kept = ext4_.mountPoint + "/plain.bin", gone = ext4_.mountPoint + "/secret.bin";
  // Not a whole number of blocks: the tail of the last block is the file's too.
  const std::string keptBytes = RandomBytes(300 * 1024 + 77, 1),
                    goneBytes = RandomBytes(1024 * 1024 + 123, 2);
  WriteAt(kept, keptBytes, 0);
  WriteAt(gone, goneBytes, 0);
  const std::vector<PhysExtent> keptAt = Fiemap(kept), goneAt = Fiemap(gone);
  ASSERT_FALSE(keptAt.empty());
  ASSERT_FALSE(goneAt.empty());
  const auto readFormer = [&](const std::vector<PhysExtent>& at) {
    std::string bytes;
    for (const PhysExtent& e : at) bytes += ReadDirect(ext4_.device, e.physical, e.length);
    return bytes;
  };
  // The way of looking works: before anything is deleted, the device shows the file's bytes at those places.
  ASSERT_GT(OldWordsIn(goneBytes, readFormer(goneAt)), goneBytes.size() / 8 - 2);

  ASSERT_EQ(RunLines(DelLine(kept), batch::DeleteMethod::Unlink).succeeded, 1);
  const batch::BatchResult r = RunLines(DelLine(gone), batch::DeleteMethod::Shred);
  ASSERT_EQ(r.succeeded, 1) << r.lines[0].message;
  ASSERT_TRUE(r.lines[0].shred);
  EXPECT_EQ(r.lines[0].shred->End, ShredEnd::Shredded);
  EXPECT_EQ(r.lines[0].shred->Overwritten, std::int64_t(goneBytes.size()));
  EXPECT_FALSE(fs::exists(gone));
  // No renamed leftover either.
  for (const auto& e : fs::directory_iterator(ext4_.mountPoint))
    EXPECT_NE(e.path().filename().string().rfind(".vekshred-", 0), 0u) << e.path();
  ASSERT_EQ(::system(("sync -f " + ext4_.mountPoint).c_str()), 0);

  EXPECT_GT(OldWordsIn(keptBytes, readFormer(keptAt)), keptBytes.size() / 8 - 2)
      << "plain del overwrites nothing";
  EXPECT_EQ(OldWordsIn(goneBytes, readFormer(goneAt)), 0u);
}

TEST_F(RealFileSystems, ShredOfASparseFileWritesOnlyItsDataAndNeverFillsOrExtendsIt) {
  const std::string path = ext4_.mountPoint + "/sparse.bin";
  const std::string a = RandomBytes(64 * 1024, 3), b = RandomBytes(64 * 1024 + 5, 4);
  WriteAt(path, a, 0);
  WriteAt(path, b, 8 << 20, (16 << 20) + 100);  // a hole between and a hole at the end
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  ASSERT_LT(before.st_blocks * 512, 1 << 20);
  // Between the random and the zero pass the file is as big and as sparse as before.
  struct stat between {};
  batch::SetShredHooks({[&](int pass, std::int64_t written) {
    if (pass == 2 && written == 0) ::stat(path.c_str(), &between);
    return 0;
  }});
  const batch::BatchResult r = RunLines(DelLine(path), batch::DeleteMethod::Shred);
  ASSERT_EQ(r.succeeded, 1) << r.lines[0].message;
  EXPECT_EQ(between.st_size, before.st_size);
  EXPECT_EQ(between.st_blocks, before.st_blocks);
  EXPECT_EQ(r.lines[0].shred->DataBytes, std::int64_t(a.size() + b.size()) + (4096 - 5))
      << "whole blocks of data";
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(RealFileSystems, TheMediumNoteNamesCopyOnWriteAndLoopDisksAndGroupsFilesByDevice) {
  const std::string onBtrfs = btrfs_.mountPoint + "/a.hwp", onExt4 = ext4_.mountPoint + "/b.hwp",
                    onExt4Too = ext4_.mountPoint + "/c.hwp";
  for (const std::string& p : {onBtrfs, onExt4, onExt4Too}) WriteAt(p, RandomBytes(10000, 5), 0);

  const std::vector<batch::MediumGroup> groups = batch::GroupByMedium({onBtrfs, onExt4, onExt4Too});
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].Files, std::vector<std::string>{onBtrfs});
  EXPECT_EQ(groups[0].Note.Text(),
            "덮어쓰기로 복구 불가를 보장할 수 없습니다: 복사 기록 방식(copy-on-write) 파일 시스템(btrfs)");
  EXPECT_EQ(groups[1].Files, (std::vector<std::string>{onExt4, onExt4Too}));
  EXPECT_FALSE(groups[1].Note.Ok);
  EXPECT_EQ(groups[1].Note.FileSystem, "ext4");
  EXPECT_EQ(groups[1].Note.Reason, "가상 디스크(loop)");
  EXPECT_NE(groups[0].Note.Device, groups[1].Note.Device);

  // The summary's note per file is the same one.
  const batch::BatchResult r = RunLines(DelLine(onBtrfs) + DelLine(onExt4), batch::DeleteMethod::Shred);
  ASSERT_EQ(r.succeeded, 2);
  EXPECT_EQ(r.lines[0].shred->Medium, groups[0].Note);
  EXPECT_EQ(r.lines[1].shred->Medium.Reason, "가상 디스크(loop)");
  EXPECT_NE(r.lines[0].message.find("copy-on-write"), std::string::npos) << r.lines[0].message;
}

// Links, refusals and interruptions: any folder does.
class ShredTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    root_ = dir_.path().toStdString();
    batch::ForgetCleanedFolders();
  }
  void TearDown() override { batch::SetShredHooks({}); }
  std::string Path(const char* name) const { return root_ + "/" + name; }
  QTemporaryDir dir_;
  std::string root_;
};

TEST_F(ShredTest, ALinkIsRemovedNotItsTargetAndAHardLinkedFileIsRefused) {
  const std::string target = Path("target.txt"), link = Path("link.txt"), linked = Path("linked.txt"),
                    other = Path("other-name.txt");
  WriteAt(target, "the target's bytes", 0);
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  WriteAt(linked, "shared bytes", 0);
  ASSERT_EQ(::link(linked.c_str(), other.c_str()), 0);

  const batch::BatchResult r = RunLines(DelLine(link) + DelLine(linked), batch::DeleteMethod::Shred);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].status, LineStatus::Succeeded);
  EXPECT_EQ(r.lines[0].shred->End, ShredEnd::LinkRemoved);
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(link)));
  EXPECT_EQ(plat::os::ReadFileBytes(target), "the target's bytes");

  EXPECT_EQ(r.lines[1].status, LineStatus::Failed);
  EXPECT_EQ(r.lines[1].shred->End, ShredEnd::Refused);
  EXPECT_NE(r.lines[1].message.find("2 hard links"), std::string::npos) << r.lines[1].message;
  EXPECT_NE(r.lines[1].shred->Medium.Reason.find("다른 하드 링크가 있는 파일(링크 2개)"), std::string::npos);
  EXPECT_EQ(plat::os::ReadFileBytes(linked), "shared bytes");
  EXPECT_EQ(plat::os::ReadFileBytes(other), "shared bytes");
}

TEST_F(ShredTest, AnOverwriteThatFailsPartWayIsInterruptedNeverDoneAndTheNextLineRuns) {
  const std::string big = Path("big.bin"), next = Path("next.bin");
  const std::string bytes = RandomBytes(3 << 20, 6);
  WriteAt(big, bytes, 0);
  WriteAt(next, "next", 0);
  // The disk fails after the first megabyte of the zero pass.
  batch::SetShredHooks(
      {[](int pass, std::int64_t written) { return pass == 2 && written >= (1 << 20) ? EIO : 0; }});
  std::ostringstream out;
  batch::RunOptions shred;
  shred.Delete = batch::DeleteMethod::Shred;
  const batch::BatchResult r = batch::RunBatchText(DelLine(big) + DelLine(next), out, shred);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].status, LineStatus::Failed);
  EXPECT_EQ(r.lines[0].shred->End, ShredEnd::Interrupted);
  EXPECT_EQ(r.lines[0].shred->Overwritten, 1 << 20);
  EXPECT_NE(out.str().find("shred interrupted: the overwrite of " + big +
                           " stopped after 1048576 of 3145728 bytes"),
            std::string::npos)
      << out.str();
  // Still there, its size unchanged, and no longer what it was (the random pass went over all of it).
  ASSERT_TRUE(fs::exists(big));
  const std::string now = plat::os::ReadFileBytes(big);
  EXPECT_EQ(now.size(), bytes.size());
  EXPECT_EQ(OldWordsIn(bytes, now), 0u);
  EXPECT_EQ(r.lines[1].status, LineStatus::Succeeded);
  EXPECT_FALSE(fs::exists(next));
}

TEST_F(ShredTest, TheInterpreterTakesShredAsAnOptionAndPlainDelStaysAnUnlink) {
  const std::string a = Path("a.txt"), b = Path("b.txt"), bat = Path("x.bat");
  WriteAt(a, "aaaa", 0);
  WriteAt(b, "bbbb", 0);
  WriteAt(bat, DelLine(a), 0);
  const std::string plain = ShOut(std::string(VEKBATCH_EXE) + " " + bat);
  EXPECT_EQ(plain.rfind("deleted " + a, 0), 0u) << plain;
  ASSERT_EQ(::unlink(bat.c_str()), 0);
  WriteAt(bat, DelLine(b), 0);
  const std::string shredded = ShOut(std::string(VEKBATCH_EXE) + " --shred " + bat);
  EXPECT_EQ(shredded.rfind("shredded " + b + " (", 0), 0u) << shredded;
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b));
}

// A sysfs tree of the test's own making, for disks this machine does not have.
class MediumSysfsTest : public ::testing::Test {
 protected:
  void SetUp() override { sys_ = dir_.path().toStdString(); }
  // A disk at `devicePath` (under devices/) with a partition 1 when `partition`; linked as MAJ:MIN.
  std::string Disk(const std::string& devicePath, const std::string& id, const char* rotational,
                   bool partition = true, const char* removable = "0") {
    const fs::path disk = fs::path(sys_) / "devices" / devicePath;
    fs::create_directories(disk / "queue");
    fs::create_directories(disk / "device");
    std::ofstream(disk / "queue" / "rotational") << rotational << "\n";
    std::ofstream(disk / "removable") << removable << "\n";
    std::ofstream(disk / "device" / "vendor") << "ATA     \n";
    fs::path node = disk;
    if (partition) {
      node = disk / (disk.filename().string() + "1");
      fs::create_directories(node);
      std::ofstream(node / "partition") << "1\n";
    }
    fs::create_directories(fs::path(sys_) / "dev" / "block");
    fs::create_symlink(node, fs::path(sys_) / "dev" / "block" / id);
    return node.string();
  }
  std::vector<std::string> Reasons(unsigned major, unsigned minor, std::string* name = nullptr) {
    std::string n;
    auto r = batch::detail::BlockDeviceReasons(sys_, major, minor, n);
    if (name) *name = n;
    return r;
  }
  QTemporaryDir dir_;
  std::string sys_;
};

TEST_F(MediumSysfsTest, OnlyALocalRotationalDiskThatIsNotVirtualHasNoReason) {
  Disk("pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda", "8:1", "1");
  Disk("pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0/block/sdb", "8:17", "0");
  Disk("pci0000:00/0000:00:02.0/virtio1/block/vda", "254:1", "1");
  Disk("pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/host2/target2:0:0/2:0:0:0/block/sdc", "8:33", "1", true,
       "1");
  Disk("pci0000:00/0000:00:1f.2/ata3/host3/target3:0:0/3:0:0:0/block/sdd", "8:49", "none");
  std::string name;
  EXPECT_EQ(Reasons(8, 1, &name), std::vector<std::string>{});
  EXPECT_EQ(name, "sda1");
  EXPECT_EQ(Reasons(8, 17), std::vector<std::string>{"플래시/SSD"});
  EXPECT_EQ(Reasons(254, 1), std::vector<std::string>{"가상 디스크(virtio)"});
  EXPECT_EQ(Reasons(8, 33), (std::vector<std::string>{"USB 연결 매체", "이동식 매체"}));
  EXPECT_EQ(Reasons(8, 49), std::vector<std::string>{"회전 디스크인지 알 수 없음(sdd)"});
  EXPECT_EQ(Reasons(9, 9), std::vector<std::string>{"장치 정보를 읽을 수 없음(9:9)"});
}

TEST_F(MediumSysfsTest, AVirtualVolumeIsNamedAndTheDisksUnderItAddTheirReasons) {
  // dm-0 on a partition of an SSD and one of a rotational disk; loop0 and zram0 on nothing.
  const std::string ssd =
      Disk("pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda", "8:1", "0");
  const std::string hdd =
      Disk("pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0/block/sdb", "8:17", "1");
  const std::string dm = Disk("virtual/block/dm-0", "253:0", "1", false);
  fs::create_directories(fs::path(dm) / "slaves");
  fs::create_symlink(ssd, fs::path(dm) / "slaves" / "sda1");
  fs::create_symlink(hdd, fs::path(dm) / "slaves" / "sdb1");
  Disk("virtual/block/loop0", "7:0", "1", false);
  Disk("virtual/block/zram0", "252:0", "0", false);
  // A SCSI disk that a hypervisor emulates says so in its vendor.
  const std::string vm = Disk("pci0000:00/0000:00:10.0/host4/target4:0:0/4:0:0:0/block/sde", "8:65", "1");
  std::ofstream(fs::path(vm).parent_path() / "device" / "vendor") << "VMware  \n";
  std::ofstream(fs::path(vm).parent_path() / "device" / "model") << "Virtual disk    \n";

  EXPECT_EQ(Reasons(253, 0), (std::vector<std::string>{"가상 디스크(device-mapper)", "플래시/SSD"}));
  EXPECT_EQ(Reasons(7, 0), std::vector<std::string>{"가상 디스크(loop)"});
  EXPECT_EQ(Reasons(252, 0), std::vector<std::string>{"가상 디스크(zram)"});
  EXPECT_EQ(Reasons(8, 65), std::vector<std::string>{"가상 디스크(VMware Virtual disk)"});
}

TEST(MediumFileSystem, OnlyExtAndXfsWithoutDataJournallingLeaveTheDeviceToDecide) {
  using batch::detail::ClassifyFileSystem;
  for (const std::int64_t magic : {0xEF53, 0x58465342}) {
    const auto v = ClassifyFileSystem(magic, "rw,relatime,data=ordered");
    EXPECT_TRUE(v.Reason.empty()) << v.Name;
    EXPECT_TRUE(v.NeedsDevice);
  }
  EXPECT_EQ(ClassifyFileSystem(0xEF53, "rw,data=journal").Reason, "데이터 저널링(data=journal)");
  EXPECT_EQ(ClassifyFileSystem(0x9123683E, "").Reason, "복사 기록 방식(copy-on-write) 파일 시스템(btrfs)");
  EXPECT_EQ(ClassifyFileSystem(0xFF534D42, "").Reason, "네트워크 공유(cifs)");
  EXPECT_EQ(ClassifyFileSystem(0x6969, "").Reason, "네트워크 공유(nfs)");
  EXPECT_EQ(ClassifyFileSystem(0xF2F52010, "").Reason, "로그 구조 파일 시스템(f2fs)");
  const auto unknown = ClassifyFileSystem(0x12345678, "");
  EXPECT_EQ(unknown.Reason, "알 수 없는 파일 시스템(0x12345678)");
  EXPECT_FALSE(unknown.NeedsDevice);
}

}  // namespace
