#include "app/exceptions.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "app/batch_run.h"
#include "platform/os/os.h"

namespace vek {

namespace {

constexpr const char* kFileName = "exceptions.tsv";

bool ParseInt(std::string_view s, std::int64_t& v) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

std::string TExceptionList::DefaultFile() {
  return UserDataDir() + "/" + kFileName;
}

TExceptionList::TExceptionList(std::string file) : file_(std::move(file)) {}

void TExceptionList::Load() {
  entries_.clear();
  standing_.clear();
  const std::string bytes = plat::os::FileExists(file_) ? plat::os::ReadFileBytes(file_) : std::string();
  bool dropped = false;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    const std::string_view line(bytes.data() + at, end - at);
    at = end + 1;
    const std::size_t t1 = line.find('\t'), t2 = t1 == std::string_view::npos ? t1 : line.find('\t', t1 + 1);
    Entry e;
    if (t2 == std::string_view::npos || !ParseInt(line.substr(0, t1), e.Size) ||
        !ParseInt(line.substr(t1 + 1, t2 - t1 - 1), e.MtimeNs) || t2 + 1 >= line.size())
      continue;  // a damaged line is dropped, never a reason to refuse the others
    e.Path = std::string(line.substr(t2 + 1));
    const std::string host = plat::os::ResolvePath(e.Path);
    const std::optional<FileStamp> now = host.empty() ? std::nullopt : StampOf(host);
    if (now && (now->Size != e.Size || now->MtimeNs != e.MtimeNs)) {
      dropped = true;  // the file changed since it was marked: it is looked at again
      continue;
    }
    if (now) standing_.insert(e.Path);
    entries_.push_back(std::move(e));
  }
  if (dropped) Save();
}

bool TExceptionList::Mark(const std::string& listedPath) {
  if (listedPath.find_first_of("\t\r\n") != std::string::npos) return false;
  const std::string host = plat::os::ResolvePath(listedPath);
  const std::optional<FileStamp> now = host.empty() ? std::nullopt : StampOf(host);
  if (!now) return false;
  std::erase_if(entries_, [&](const Entry& e) { return e.Path == listedPath; });
  entries_.push_back({listedPath, now->Size, now->MtimeNs});
  standing_.insert(listedPath);
  return Save();
}

bool TExceptionList::Unmark(const std::string& listedPath) {
  std::erase_if(entries_, [&](const Entry& e) { return e.Path == listedPath; });
  standing_.erase(listedPath);
  return Save();
}

bool TExceptionList::Clear() {
  entries_.clear();
  standing_.clear();
  return Save();
}

bool TExceptionList::Save() const {
  std::string text;
  for (const Entry& e : entries_)
    text += std::to_string(e.Size) + "\t" + std::to_string(e.MtimeNs) + "\t" + e.Path + "\n";
  try {
    plat::os::WriteFileBytes(file_, text);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

}  // namespace vek
