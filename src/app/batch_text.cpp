#include "app/batch_text.h"

#include <algorithm>

#include "platform/text/text.h"

namespace vek {

namespace {

constexpr std::size_t kMaxTailChars = 255;

// "%" doubled, so that a command interpreter expanding variables reads the name as written.
std::string Escaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

std::string TargetFolder(std::string_view backupDir, std::string_view folder) {
  return std::string(backupDir) + FolderTail(folder);
}

}  // namespace

std::string FolderTail(std::string_view folder) {
  std::string tail;
  if (folder.size() >= 2 && folder[1] == ':') {
    tail = std::string(folder.substr(2));
  } else if (folder.size() >= 2 && (folder[0] == '\\' || folder[0] == '/') && (folder[1] == '\\' || folder[1] == '/')) {
    tail = std::string(folder.substr(1));  // "\\server\share" keeps one separator before the server
  } else if (!folder.empty() && (folder[0] == '\\' || folder[0] == '/')) {
    tail = std::string(folder);
  } else {
    tail = "\\" + std::string(folder);
  }
  std::replace(tail.begin(), tail.end(), '/', '\\');
  return plat::text::Utf8Cut(tail, kMaxTailChars);
}

std::optional<std::string> UnsafeNameReason(std::string_view text) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return "제어 문자(줄바꿈, 탭 등)가 들어 있음";
    if (ch == '"') return "큰따옴표(\")가 들어 있음";
    if (ch == '<' || ch == '>' || ch == '|' || ch == '?' || ch == '*') return "파일 이름에 쓸 수 없는 문자(< > | ? *)가 들어 있음";
  }
  if (!plat::text::IsValidUtf8(text) || !plat::text::TryUtf8ToCp949(text))
    return "배치 파일의 문자 집합(CP949)으로 나타낼 수 없는 문자가 들어 있음";
  return std::nullopt;
}

bool BatchText::Check(int row, std::string_view folder, std::string_view fileName, std::string_view backupDir) {
  std::optional<std::string> reason = UnsafeNameReason(folder);
  if (!reason) reason = UnsafeNameReason(fileName);
  if (!reason && !TargetFolder(backupDir, folder).empty()) reason = UnsafeNameReason(TargetFolder(backupDir, folder));
  if (!reason) return true;
  refusals_.push_back({row, *reason});
  return false;
}

void BatchText::AddMd(std::string_view backupDir, std::string_view folder) {
  lines_.push_back("md \"" + Escaped(TargetFolder(backupDir, folder)) + "\"");
}

void BatchText::AddMove(std::string_view backupDir, std::string_view folder, std::string_view fileName) {
  lines_.push_back("move \"" + Escaped(folder) + "\\" + Escaped(fileName) + "\" \"" +
                   Escaped(TargetFolder(backupDir, folder)) + "\\.\"");
}

void BatchText::AddDel(std::string_view folder, std::string_view fileName) {
  lines_.push_back("del \"" + Escaped(folder) + "\\" + Escaped(fileName) + "\"");
}

std::string BatchText::Text() const {
  std::string out;
  for (const std::string& l : lines_) out += l + "\r\n";
  return out;
}

std::string BatchText::Cp949Bytes() const {
  // Every line was checked on the way in, so the conversion cannot fail here.
  return plat::text::Utf8ToCp949(Text());
}

std::string BatchText::RefusalNotice() const {
  if (refusals_.empty()) return {};
  std::string notice = std::to_string(refusals_.size()) +
                       "개 항목은 경로나 파일 이름에 배치 파일에 쓸 수 없는 문자가 있어 제외했습니다. "
                       "해당 항목은 목록에 그대로 남아 있습니다.\n";
  std::vector<Refusal> byRow = refusals_;
  std::sort(byRow.begin(), byRow.end(), [](const Refusal& a, const Refusal& b) { return a.Row < b.Row; });
  const std::size_t shown = std::min<std::size_t>(byRow.size(), 10);
  for (std::size_t i = 0; i < shown; ++i)
    notice += "\n" + std::to_string(byRow[i].Row + 1) + "행: " + byRow[i].Reason;
  if (refusals_.size() > shown) notice += "\n...";
  return notice;
}

BatchText BuildMoveBatch(BatchRows& rows, std::string_view backupDir) {
  BatchText batch;
  // Which rows get lines is decided once, in the first pass; the second pass, also going upwards, still
  // finds every row it has not visited under its old number.
  std::vector<bool> take(std::size_t(std::max(0, rows.Count())), false);
  for (int r = rows.Count() - 1; r >= 0; --r) {
    try {
      if (!rows.Ticked(r) || !batch.Check(r, rows.Folder(r), rows.FileName(r), backupDir)) continue;
      take[std::size_t(r)] = true;
      batch.AddMd(backupDir, rows.Folder(r));
    } catch (const std::exception&) {
      // This row's folder line is left out; its move line still follows.
      take[std::size_t(r)] = true;
    }
  }
  for (int r = int(take.size()) - 1; r >= 0; --r) {
    if (!take[std::size_t(r)]) continue;
    batch.AddMove(backupDir, rows.Folder(r), rows.FileName(r));
    rows.Remove(r);
  }
  return batch;
}

BatchText BuildDeleteBatch(BatchRows& rows) {
  BatchText batch;
  for (int r = rows.Count() - 1; r >= 0; --r) {
    if (!rows.Ticked(r) || !batch.Check(r, rows.Folder(r), rows.FileName(r), "")) continue;
    batch.AddDel(rows.Folder(r), rows.FileName(r));
    rows.Remove(r);
  }
  return batch;
}

}  // namespace vek
