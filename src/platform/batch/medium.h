#pragma once
// What the medium under a file lets an overwrite promise.
//
// Overwriting a file's blocks in place destroys its old bytes only where the file system writes in place and
// the disk puts a block where it is told. Neither holds on copy-on-write or log-structured file systems, on
// flash behind a translation layer, on network shares, or on virtual disks (loop, device-mapper, zram, nbd,
// virtio and the like report whatever they are told); and a file with another hard link keeps its data
// under the other name. So only ext2/3/4 or XFS on a local rotational disk that is not virtual, for a file
// with one link, gets no warning; everything else, unknown included, is told kMediumWarning with the reason.
//
// The device is found through sysfs: /sys/dev/block/MAJ:MIN of the file's device, its whole disk when it is a
// partition, and every device it is built on (slaves), recursively.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::batch {

inline constexpr std::string_view kMediumWarning = "덮어쓰기로 복구 불가를 보장할 수 없습니다";

struct MediumNote {
  std::uint64_t Device = 0;  // st_dev of the file (of its folder when the file is missing)
  std::string DeviceName;    // the block device ("sda1", "loop0"); empty when there is none
  std::string FileSystem;    // "ext4", "btrfs", "nfs", ...; "0x..." when unknown
  bool Ok = false;           // the overwrite reaches the blocks: no warning
  std::string Reason;  // why not, in Korean ("플래시/SSD", "가상 디스크(loop)", ...); empty when Ok
  // The text shown and recorded: "덮어쓰기로 복구 불가를 보장할 수 없습니다: REASON", or for a medium that
  // keeps the promise "덮어쓰기 유효: FS, 로컬 회전 디스크(NAME)".
  std::string Text() const;
  bool operator==(const MediumNote&) const = default;
};

// The note for a host path. A symbolic link is not followed (a link has no data of its own to overwrite).
MediumNote MediumNoteFor(const std::string& hostPath);

// The files of a 완전삭제 grouped by what their medium promises, for the question before it: one group per
// device and note, in the order the files first name them. Paths are as written (Windows paths through the
// drive map, or host paths); each group keeps them as given.
struct MediumGroup {
  MediumNote Note;
  std::vector<std::string> Files;
};
std::vector<MediumGroup> GroupByMedium(const std::vector<std::string>& paths);

// Device notes are remembered for the run (a batch deletes many files from one disk); this starts afresh.
void ForgetMediumNotes();

// --- the parts, for tests -------------------------------------------------------------------------------
namespace detail {

// The reasons the block device MAJ:MIN gives, read from the sysfs tree under `sysRoot` ("/sys"). Empty when
// the device is a local rotational disk that is not virtual. `name` gets the device's name.
std::vector<std::string> BlockDeviceReasons(const std::string& sysRoot, unsigned major, unsigned minor,
                                            std::string& name);

// The file system's name and, when it is not one that overwrites in place, the reason, from statfs's f_type
// and the mount options ("data=journal" keeps copies of the data in the journal).
struct FileSystemVerdict {
  std::string Name;
  std::string Reason;       // empty for ext2/3/4 or XFS without data journalling
  bool NeedsDevice = true;  // the block device decides the rest
};
FileSystemVerdict ClassifyFileSystem(std::int64_t fsMagic, std::string_view mountOptions);

}  // namespace detail
}  // namespace plat::batch
