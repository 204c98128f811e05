#pragma once
// Reading a personal-information scanner's result file and filtering its lines.
//
// The file is CP949 text, lines ending in CR LF, CR or LF; line 1 is a header. Each further line is one
// finding: file name, kind of personal information, number of hits, folder, and fields the program does
// not use, separated by commas with no quoting. The window and the command line both load through
// ScanFilter, so they list exactly the same rows.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os/folder.h"

namespace vek {

// Fields of the line being processed, indexes 0..50.
using TItemFields = std::array<std::string, 51>;

// Splits one line into fields: field 0 keeps its blanks; every later field loses its leading blanks (the
// rest of the line after each comma is cut to 500 characters and trimmed); once no comma is left, every
// further field is empty.
void DbItemDivide(std::string_view line, TItemFields& fields);

// The keywords of the personal-information filter, tested in this order.
inline constexpr std::array<std::string_view, 5> kKeywords{"전화", "핸드폰", "휴대", "주민", "계좌"};

// A line of a result file as the loader takes it: at most 4,096 characters.
inline constexpr std::size_t kMaxLineChars = 4096;

// The lines of a result file, one after another: CR LF, CR or LF ends a line, and an empty last line
// after a final line break is not a line. Each byte is searched once whatever mix of line ends the file
// has, so a file with CR-only line ends loads as fast as one with CR LF.
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes) : bytes_(bytes) {}
  // The next line (without its line end); false at the end of the file.
  bool Next(std::string_view& line);
  // Index of the line Next returns next (0 is the header).
  std::size_t Index() const { return index_; }
  // Bytes taken so far, line ends included, and the file's size.
  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::size_t index_ = 0;
  // Where the next CR and LF at or after pos_ lie (Size() when there is none); found once, kept until
  // the cursor has passed them.
  std::size_t nextCr_ = 0;
  std::size_t nextLf_ = 0;
  bool searched_ = false;
};

// Calls f(lineIndex, bytes) for every line of a result file.
template <class F>
void ForEachLine(std::string_view bytes, F&& f) {
  LineCursor lines(bytes);
  std::string_view line;
  while (true) {
    const std::size_t index = lines.Index();
    if (!lines.Next(line)) break;
    f(index, line);
  }
}

// Decodes one line from CP949 and cuts it to kMaxLineChars characters; false when it is not valid CP949.
bool DecodeLine(std::string_view cp949, std::string& utf8);

struct ScanFilterSettings {
  bool Keywords = true;                // "개인정보": the kind must contain a keyword
  bool AtLeast10 = false;              // "10건이상"
  bool AtLeast100 = false;             // "100건이상"
  std::array<std::string, 6> Exclude;  // exclusion words; empty ones are not used
};

class ScanFilter {
 public:
  explicit ScanFilter(ScanFilterSettings settings) : settings_(std::move(settings)) {}

  // Whether the line whose fields are given is kept. Every rule runs for every line, in order; the
  // remembered hit count carries over to later lines whose count is not an integer; the existence test
  // runs last, whatever the rules before it decided.
  bool Accept(const TItemFields& fields);
  // The hit count the thresholds used for the last line.
  std::int64_t RememberedHits() const { return hits_; }

  // What became of one line of the file.
  enum class TLineFate { Kept, Dropped, Unreadable };
  // Decodes and splits one line (raw CP949 bytes) into fields and applies the rules. A line that is not
  // valid CP949 or raises is Unreadable; line is the decoding buffer, reused from line to line.
  TLineFate TakeLine(std::string_view raw, TItemFields& fields, std::string& line);

  // Runs every line of a result file but the header through TakeLine. Calls onRow with the fields of
  // each kept line; returns their count. Unreadable() tells how many lines were skipped.
  template <class OnRow>
  int Run(std::string_view fileBytes, TItemFields& fields, OnRow&& onRow) {
    int kept = 0;
    std::string line;
    ForEachLine(fileBytes, [&](std::size_t index, std::string_view raw) {
      if (index == 0) return;  // the header
      if (TakeLine(raw, fields, line) != TLineFate::Kept) return;
      onRow(static_cast<const TItemFields&>(fields));
      ++kept;
    });
    return kept;
  }
  // Lines skipped because they are not valid CP949 or could not be handled.
  int Unreadable() const { return unreadable_; }

  // Whether the file a line names exists: folder + "\" + name through the drive map. Consecutive lines
  // mostly share a folder, so the folder's host path is kept from the line before, and the folder itself
  // is held open while lines go on naming it.
  bool FileExistsAt(const std::string& folder, const std::string& name);

 private:
  ScanFilterSettings settings_;
  std::int64_t hits_ = 0;
  int unreadable_ = 0;
  std::string lastFolder_;
  std::string lastHostFolder_;
  bool haveLastFolder_ = false;
  plat::os::TFolder heldFolder_;  // the last folder, once two lines in a row named it
  int linesInFolder_ = 0;
  std::string hostPath_;
};

// "Contains": a case-sensitive byte-for-byte substring test; an empty text is never contained.
bool Contains(std::string_view text, std::string_view part);

}  // namespace vek
