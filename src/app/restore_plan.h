#pragma once
// Which files of a move record may be put back, worked out before the user is asked: only a backup copy
// that lies exactly where the move mirrored its file, reached without a symbolic link, and that is still
// the very file the move left there goes back, and only into a folder reached without a link, never over a
// file.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/batch_run.h"

namespace vek {

class RestorePlan {
 public:
  enum class Verdict : std::uint8_t {
    Restore,           // checked against the stamp the move recorded
    RestoreUnstamped,  // an older record without stamps: place and size checked only
    AlreadyRestored,
    NotMirror,       // the recorded backup path is not the mirror of the recorded source
    Unsafe,          // a path that no batch line may name
    NoHostPath,      // a drive or share with no place on this computer
    Missing,         // the backup copy is gone
    NotRegular,      // the backup copy is a link, a folder or a device
    Changed,         // the backup copy is not the file the move left there
    LinkInBackup,    // a folder on the way to the backup copy is a link
    LinkInOriginal,  // a folder on the way back is a link or a file
    OriginalTaken,   // a file stands at the old place
    Twice,           // the record names the old place twice
  };
  static bool Restores(Verdict v) { return v == Verdict::Restore || v == Verdict::RestoreUnstamped; }
  // The user's words for a verdict that refuses.
  static std::string_view Reason(Verdict v);

  // backupDirs: the backup folders a move may have used (Windows paths).
  RestorePlan(const MoveRecord& record, const std::vector<std::string>& backupDirs,
              const std::vector<std::string>& restoredKeys);

  Verdict Of(std::size_t entry) const { return verdicts_[entry]; }
  std::size_t Count() const { return verdicts_.size(); }
  std::size_t Restorable() const { return restorable_; }
  std::size_t Unstamped() const { return unstamped_; }
  std::size_t Refused() const { return verdicts_.size() - restorable_; }
  // The old folders the restorable files go back into, each once, in the record's order.
  const std::vector<std::string>& Folders() const { return folders_; }
  // The size of an older record's backup copy when it was checked (-1 for others), to check it again after.
  std::int64_t SizeBefore(std::size_t entry) const;

 private:
  Verdict Check(const MoveRecord& record, std::size_t i, const std::vector<std::string>& backupDirs);
  // The state of a host folder reached from its root: every folder on the way a real folder (not a link).
  enum class Way : std::uint8_t { Folder, Missing, Link };
  Way WayTo(const std::string& hostRoot, const std::string& hostFolder);

  std::vector<Verdict> verdicts_;
  std::size_t restorable_ = 0, unstamped_ = 0;
  std::vector<std::string> folders_;
  std::unordered_set<std::string> folderSeen_, restored_;
  std::unordered_set<std::uint64_t> sources_;
  std::unordered_map<std::string, Way> ways_;
  std::unordered_map<std::size_t, std::int64_t> sizeBefore_;
};

}  // namespace vek
