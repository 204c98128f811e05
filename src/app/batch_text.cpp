#include "app/batch_text.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "platform/os/os.h"
#include "platform/text/text.h"

namespace vek {

namespace {

constexpr std::size_t kMaxTailChars = 255;
constexpr std::string_view kDelayedExpansionOff = "setlocal DisableDelayedExpansion";

// "%" doubled, so that a command interpreter expanding variables reads the name as written.
void AppendEscaped(std::string& out, std::string_view s) {
  if (s.find('%') == std::string_view::npos) {
    out += s;
    return;
  }
  for (char c : s) {
    out += c;
    if (c == '%') out += '%';
  }
}

std::string Escaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  AppendEscaped(out, s);
  return out;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// Why one folder segment or file name would name something else under Windows path rules.
std::optional<std::string> UnsafeSegmentReason(std::string_view segment) {
  if (segment == "." || segment == "..") return std::string("\".\" 또는 \"..\"(상위 폴더)를 가리킴");
  if (segment.back() == '.' || segment.back() == ' ')
    return std::string("끝에 점이나 공백이 있음(Windows에서는 다른 이름이 됨)");
  if (segment.find(':') != std::string_view::npos) return std::string("콜론(:)이 들어 있음");
  if (IsReservedDeviceName(segment)) return std::string("Windows의 장치 이름(CON, NUL, COM1 등)임");
  return std::nullopt;
}

// folder + "\\" + fileName.
std::string Joined(std::string_view folder, std::string_view fileName) {
  std::string path(folder);
  path += '\\';
  path += fileName;
  return path;
}

std::string TargetFolder(std::string_view backupDir, std::string_view folder) {
  return std::string(backupDir) + FolderTail(folder);
}

bool CaselessEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

bool IsReservedDeviceName(std::string_view segment) {
  std::string_view stem = segment.substr(0, segment.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (std::string_view name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (CaselessEquals(stem, name)) return true;
  if (stem.size() < 4 ||
      !(CaselessEquals(stem.substr(0, 3), "COM") || CaselessEquals(stem.substr(0, 3), "LPT")))
    return false;
  const std::string_view digit = stem.substr(3);
  // One ASCII digit, or a superscript one, two or three (UTF-8), which Windows also reads as a port number.
  return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" ||
         digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

std::string ComparablePath(std::string_view path) {
  std::string folded;
  folded.reserve(path.size());
  std::size_t i = 0;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    folded = "\\\\";
    i = 2;
  }
  for (; i < path.size(); ++i) {
    if (!IsSeparator(path[i])) {
      folded += path[i];
      continue;
    }
    if (folded.empty() || folded.back() != '\\') folded += '\\';
  }
  // A trailing separator names the same folder; a network path keeps its leading pair.
  while (folded.size() > 2 && folded.back() == '\\') folded.pop_back();
  if (folded == "\\") folded.clear();
  return plat::text::UpperCase(folded);
}

std::string FolderTail(std::string_view folder) {
  return plat::text::Utf8Cut(WholeFolderTail(folder), kMaxTailChars);
}

std::string WholeFolderTail(std::string_view folder) {
  std::string tail;
  if (folder.size() >= 2 && folder[1] == ':') {
    tail = std::string(folder.substr(2));
  } else if (folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
    tail = std::string(folder.substr(1));  // "\\server\share" keeps one separator before the server
  } else if (!folder.empty() && IsSeparator(folder[0])) {
    tail = std::string(folder);
  } else {
    tail = "\\" + std::string(folder);
  }
  std::replace(tail.begin(), tail.end(), '/', '\\');
  return tail;
}

std::optional<std::string> UnsafeNameReason(std::string_view text) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return "제어 문자(줄바꿈, 탭 등)가 들어 있음";
    if (ch == '"') return "큰따옴표(\")가 들어 있음";
    if (ch == '<' || ch == '>' || ch == '|' || ch == '?' || ch == '*')
      return "파일 이름에 쓸 수 없는 문자(< > | ? *)가 들어 있음";
  }
  if (!plat::text::FitsCp949(text)) return "배치 파일의 문자 집합(CP949)으로 나타낼 수 없는 문자가 들어 있음";
  return std::nullopt;
}

namespace {

// The folder's form: the batch runs in another folder than the program, so a relative folder would be
// checked in one place and acted on in another.
std::optional<std::string> FolderFormReason(std::string_view folder) {
  std::string_view rest = folder;
  if (folder.size() >= 2 && folder[1] == ':') {
    const auto letter = static_cast<unsigned char>(folder[0]);
    if (!std::isalpha(letter) || letter >= 0x80) return "경로의 드라이브 표시가 올바르지 않음";
    if (folder.size() > 2 && !IsSeparator(folder[2])) return "경로가 드라이브 기준의 상대 경로임";
    rest = folder.substr(2);
  } else if (folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
    rest = folder.substr(2);
    const std::size_t server = rest.find_first_of("\\/");
    if (server == 0 || rest.empty()) return "네트워크 경로에 서버 이름이 없음";
  } else if (!folder.empty() && !IsSeparator(folder[0])) {
    return "경로가 절대 경로가 아님(상대 경로)";
  }
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view segment = rest.substr(start, end - start);
    // Empty segments (a doubled or trailing separator) name the same folder on every interpreter.
    if (!segment.empty())
      if (auto r = UnsafeSegmentReason(segment)) return "경로의 \"" + std::string(segment) + "\": " + *r;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> FileNameFormReason(std::string_view fileName) {
  if (fileName.empty()) return "파일 이름이 비어 있음";
  if (std::any_of(fileName.begin(), fileName.end(), IsSeparator))
    return "파일 이름에 경로 구분 문자(\\ /)가 들어 있음";
  if (auto r = UnsafeSegmentReason(fileName)) return "파일 이름 " + *r;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> UnsafePathReason(std::string_view folder, std::string_view fileName) {
  if (auto r = UnsafeNameReason(folder)) return r;
  if (auto r = UnsafeNameReason(fileName)) return r;
  if (auto r = FolderFormReason(folder)) return r;
  return FileNameFormReason(fileName);
}

std::string DisplayPath(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '\t':
        out += "\\t";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      default:
        break;
    }
    if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

const BatchText::FolderFacts& BatchText::Facts(std::string_view backupDir, std::string_view folder) {
  if (backupDir != factsBackupDir_) {
    facts_.clear();
    keyNumbers_.clear();
    last_ = {};
    factsBackupDir_ = std::string(backupDir);
  }
  // Rows come folder by folder, and each row asks several times.
  if (last_.Facts && folder == last_.Folder) return *last_.Facts;
  auto it = facts_.find(folder);
  if (it == facts_.end()) it = facts_.emplace(std::string(folder), NewFacts(backupDir, folder)).first;
  last_.Folder = it->first;  // the map's nodes stay where they are
  last_.Facts = &it->second;
  return it->second;
}

BatchText::FolderFacts BatchText::NewFacts(std::string_view backupDir, std::string_view folder) {
  FolderFacts f;
  f.NameReason = UnsafeNameReason(folder);
  f.FormReason = FolderFormReason(folder);
  f.Chars = plat::text::Utf8Length(folder);
  if (!backupDir.empty()) {
    const std::string tail = WholeFolderTail(folder);
    if (plat::text::Utf8Length(tail) > kMaxTailChars)
      f.BackupReason =
          "백업 위치의 경로가 " + std::to_string(kMaxTailChars) + "자보다 길어 다른 폴더와 겹칠 수 있음";
    else
      f.BackupReason = UnsafeNameReason(std::string(backupDir) + tail);
  }
  f.Target = TargetFolder(backupDir, folder);
  f.EscapedTarget = Escaped(f.Target);
  f.SourceKey = KeyNumber(ComparablePath(folder));
  f.TargetKey = KeyNumber(ComparablePath(f.Target));
  return f;
}

std::uint32_t BatchText::KeyNumber(std::string key) {
  return keyNumbers_.try_emplace(std::move(key), std::uint32_t(keyNumbers_.size())).first->second;
}

bool BatchText::Check(int row, std::string_view folder, std::string_view fileName, std::string_view backupDir,
                      std::size_t maxCellChars) {
  // The same checks in the same order as UnsafePathReason, then the cell width and the backup path.
  const FolderFacts& f = Facts(backupDir, folder);
  std::optional<std::string> reason = f.NameReason;
  if (!reason) reason = UnsafeNameReason(fileName);
  if (!reason) reason = f.FormReason;
  if (!reason) reason = FileNameFormReason(fileName);
  if (!reason && maxCellChars > 0 &&
      (f.Chars >= maxCellChars || plat::text::Utf8Length(fileName) >= maxCellChars))
    reason = "경로나 파일 이름이 목록 칸(" + std::to_string(maxCellChars) + "자)보다 길어 잘렸을 수 있음";
  if (!reason && !backupDir.empty()) reason = f.BackupReason;
  if (!reason) return true;
  Refuse(row, Joined(folder, fileName), *reason);
  return false;
}

void BatchText::AddMdLine(std::string_view escapedFolder, std::string folder, int row) {
  std::string line;
  line.reserve(escapedFolder.size() + 5);
  line += "md \"";
  line += escapedFolder;
  line += '"';
  lines_.push_back(std::move(line));
  info_.push_back({row, LineKind::Md, std::move(folder), {}});
}

void BatchText::AddMoveLine(std::string file, std::string_view escapedFolder, std::string_view folder,
                            int row) {
  std::string line;
  line.reserve(file.size() + escapedFolder.size() + 16);
  line += "move \"";
  AppendEscaped(line, file);
  line += "\" \"";
  line += escapedFolder;
  line += "\\.\"";
  lines_.push_back(std::move(line));
  std::string target(folder);
  target += '\\';
  target += plat::os::ExtractFileName(file);
  info_.push_back({row, LineKind::Move, std::move(file), std::move(target)});
}

void BatchText::AddMdPath(std::string_view folder, int row) {
  AddMdLine(Escaped(folder), std::string(folder), row);
}

void BatchText::AddMovePath(std::string_view file, std::string_view folder, int row) {
  AddMoveLine(std::string(file), Escaped(folder), folder, row);
}

void BatchText::AddMd(std::string_view backupDir, std::string_view folder, int row) {
  const FolderFacts& f = Facts(backupDir, folder);
  AddMdLine(f.EscapedTarget, f.Target, row);
}

void BatchText::AddMove(std::string_view backupDir, std::string_view folder, std::string_view fileName,
                        int row) {
  const FolderFacts& f = Facts(backupDir, folder);
  AddMoveLine(Joined(folder, fileName), f.EscapedTarget, f.Target, row);
}

void BatchText::AddDel(std::string_view folder, std::string_view fileName, int row) {
  std::string file = Joined(folder, fileName);
  lines_.push_back("del \"" + Escaped(file) + "\"");
  info_.push_back({row, LineKind::Del, std::move(file), {}});
}

void BatchText::Refuse(int row, std::string_view path, std::string reason) {
  refusals_.push_back({row, DisplayPath(path), std::move(reason)});
}

std::size_t BatchText::FileLineCount() const {
  return std::size_t(
      std::count_if(info_.begin(), info_.end(), [](const LineInfo& l) { return IsFileLine(l.Kind); }));
}

void BatchText::GuardDelayedExpansion() {
  if (!lines_.empty() && lines_.front() == kDelayedExpansionOff) return;
  if (std::none_of(lines_.begin(), lines_.end(),
                   [](const std::string& l) { return l.find('!') != std::string::npos; }))
    return;
  lines_.insert(lines_.begin(), std::string(kDelayedExpansionOff));
  info_.insert(info_.begin(), LineInfo{-1, LineKind::Setting, {}, {}});
}

std::string BatchText::Text() const {
  std::size_t size = 0;
  for (const std::string& l : lines_) size += l.size() + 2;
  std::string out;
  out.reserve(size);
  for (const std::string& l : lines_) {
    out += l;
    out += "\r\n";
  }
  return out;
}

std::string BatchText::Cp949Bytes() const {
  // Every line was checked on the way in, so the conversion cannot fail here.
  return plat::text::Utf8ToCp949(Text());
}

std::string BatchText::RefusalNotice() const {
  if (refusals_.empty()) return {};
  std::string notice = std::to_string(refusals_.size()) +
                       "개 항목은 경로나 파일 이름을 배치 파일에 안전하게 쓸 수 없어 제외했습니다. "
                       "해당 항목은 목록에 그대로 남아 있습니다.\n";
  std::vector<Refusal> byRow = refusals_;
  std::sort(byRow.begin(), byRow.end(), [](const Refusal& a, const Refusal& b) { return a.Row < b.Row; });
  const std::size_t shown = std::min<std::size_t>(byRow.size(), 10);
  for (std::size_t i = 0; i < shown; ++i) notice += "\n" + byRow[i].Path + ": " + byRow[i].Reason;
  if (refusals_.size() > shown) notice += "\n...";
  return notice;
}

namespace {

// The rows' texts, each read from the rows once. A row whose reading failed is asked again where it is
// used, so that the error is handled there as for any row.
class RowTexts {
 public:
  explicit RowTexts(BatchRows& rows)
      : rows_(rows), count_(std::max(0, rows.Count())), read_(std::size_t(count_)) {
    for (int r = 0; r < count_; ++r) {
      Row& t = read_[std::size_t(r)];
      try {
        t.Ticked = rows.Ticked(r);
        if (t.Ticked) {
          t.Folder = rows.Folder(r);
          t.FileName = rows.FileName(r);
        }
        t.Read = true;
      } catch (const std::exception&) {
      }
    }
  }
  int Count() const { return count_; }
  bool Ticked(int r) { return Get(r).Read ? Get(r).Ticked : rows_.Ticked(r); }
  // Only for ticked rows.
  const std::string& Folder(int r) { return Get(r).Read ? Get(r).Folder : (rereadFolder_ = rows_.Folder(r)); }
  const std::string& FileName(int r) {
    return Get(r).Read ? Get(r).FileName : (rereadName_ = rows_.FileName(r));
  }

 private:
  struct Row {
    bool Read = false;
    bool Ticked = false;
    std::string Folder, FileName;
  };
  Row& Get(int r) { return read_[std::size_t(r)]; }

  BatchRows& rows_;
  int count_;
  std::vector<Row> read_;
  std::string rereadFolder_, rereadName_;
};

}  // namespace

namespace {

// A file's place as Windows compares two paths: its folder's number (BatchText::KeysOf) and its name
// upper-cased (case folding maps character by character, so folder and name fold apart).
struct PlaceKey {
  std::uint32_t Folder;
  std::string_view Name;
  std::size_t Hash;
  PlaceKey(std::uint32_t folder, std::string_view upperName, std::size_t nameHash)
      : Folder(folder), Name(upperName), Hash(nameHash ^ (std::size_t(folder) * 0x9E3779B97F4A7C15ull)) {}
  bool operator==(const PlaceKey& o) const { return Folder == o.Folder && Name == o.Name; }
};
struct PlaceHash {
  std::size_t operator()(const PlaceKey& k) const noexcept { return k.Hash; }
};
// The upper rows a place belongs to: the row whose file it is, the row whose file is moved there.
struct PlaceRows {
  int Source = -1, Target = -1;
};

}  // namespace

BatchText BuildMoveBatch(BatchRows& rows, std::string_view backupDir, TargetProbe* probe) {
  BatchText batch;
  RowTexts texts(rows);
  const int count = texts.Count();
  batch.Reserve(2 * std::size_t(count) + 1);
  const std::size_t maxChars = rows.MaxChars();
  // Which rows get lines is decided once, from the top, so that of two rows whose files would meet the
  // upper one is moved: one backup file for two files (the same folder on drives C and D, or spelled
  // differently as Windows reads it), a file moved onto another listed file (one already in the backup
  // folder), or a backup file that is already there.
  std::vector<bool> take(std::size_t(count), false), follows(std::size_t(count), false);
  std::vector<std::string> upperNames(static_cast<std::size_t>(count));  // the keys' names point here
  std::unordered_map<PlaceKey, PlaceRows, PlaceHash> places;
  places.reserve(2 * std::size_t(count));
  for (int r = 0; r < count; ++r) {
    try {
      if (!texts.Ticked(r) || !batch.Check(r, texts.Folder(r), texts.FileName(r), backupDir, maxChars))
        continue;
      const std::string& folder = texts.Folder(r);
      const std::string& name = texts.FileName(r);
      const BatchText::FolderKeys keys = batch.KeysOf(backupDir, folder);
      const std::string& upper = upperNames[std::size_t(r)] = plat::text::UpperCase(name);
      const std::size_t nameHash = std::hash<std::string_view>{}(upper);
      const PlaceKey source(keys.Source, upper, nameHash), target(keys.Target, upper, nameHash);
      const auto atSource = places.find(source), atTarget = places.find(target);
      const PlaceRows none;
      const PlaceRows& ofSource = atSource != places.end() ? atSource->second : none;
      const PlaceRows& ofTarget = atTarget != places.end() ? atTarget->second : none;
      if (ofSource.Source >= 0) {
        batch.Follow(r, ofSource.Source, Joined(folder, name));  // the same file listed twice
        follows[std::size_t(r)] = true;
        continue;
      }
      const std::string& targetFolder = batch.TargetFolderOf(backupDir, folder);
      std::optional<std::string> reason;
      if (ofTarget.Target >= 0)
        reason = "위쪽의 다른 항목과 같은 백업 파일(" + targetFolder + "\\" + name + ")로 옮겨짐";
      else if (ofTarget.Source >= 0)
        reason = "옮겨질 자리(" + targetFolder + "\\" + name + ")가 위쪽 항목의 파일임";
      else if (ofSource.Target >= 0)
        reason = "위쪽 항목이 이 파일의 자리로 옮겨짐";
      if (!reason) {
        // A row refused because its backup file is taken still keeps the rows below off its file and target.
        places[source].Source = r;
        places[target].Target = r;
        if (probe) reason = probe->Occupied(targetFolder, name);
      }
      if (reason) {
        batch.Refuse(r, Joined(folder, name), *reason);
        continue;
      }
      take[std::size_t(r)] = true;
    } catch (const std::exception&) {
      // A row that cannot be read gets no line.
    }
  }
  for (int r = count - 1; r >= 0; --r) {
    if (!take[std::size_t(r)]) continue;
    try {
      batch.AddMd(backupDir, texts.Folder(r), r);
    } catch (const std::exception&) {
      // This row's folder line is left out; its move line still follows.
    }
  }
  for (int r = count - 1; r >= 0; --r) {
    if (take[std::size_t(r)]) batch.AddMove(backupDir, texts.Folder(r), texts.FileName(r), r);
    if (take[std::size_t(r)] || follows[std::size_t(r)]) rows.Remove(r);
  }
  batch.GuardDelayedExpansion();
  return batch;
}

BatchText BuildDeleteBatch(BatchRows& rows) {
  BatchText batch;
  RowTexts texts(rows);
  const int count = texts.Count();
  batch.Reserve(std::size_t(count) + 1);
  const std::size_t maxChars = rows.MaxChars();
  std::vector<bool> take(std::size_t(count), false), follows(std::size_t(count), false);
  std::vector<std::string> upperNames(static_cast<std::size_t>(count));  // the keys' names point here
  std::unordered_map<PlaceKey, int, PlaceHash> sources;
  sources.reserve(std::size_t(count));
  for (int r = 0; r < count; ++r) {
    if (!texts.Ticked(r) || !batch.Check(r, texts.Folder(r), texts.FileName(r), "", maxChars)) continue;
    const std::string& upper = upperNames[std::size_t(r)] = plat::text::UpperCase(texts.FileName(r));
    const PlaceKey source(batch.KeysOf("", texts.Folder(r)).Source, upper,
                          std::hash<std::string_view>{}(upper));
    auto [at, fresh] = sources.emplace(source, r);
    if (fresh) {
      take[std::size_t(r)] = true;
    } else {
      batch.Follow(r, at->second, Joined(texts.Folder(r), texts.FileName(r)));
      follows[std::size_t(r)] = true;
    }
  }
  for (int r = count - 1; r >= 0; --r) {
    if (take[std::size_t(r)]) batch.AddDel(texts.Folder(r), texts.FileName(r), r);
    if (take[std::size_t(r)] || follows[std::size_t(r)]) rows.Remove(r);
  }
  batch.GuardDelayedExpansion();
  return batch;
}

}  // namespace vek
