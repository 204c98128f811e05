#pragma once
// Reading a personal-information scanner's result file and filtering its lines.
//
// The file is CP949 text, lines ending in CR LF, CR or LF; line 1 is a header. Each further line is one
// finding: file name, kind of personal information, number of hits, folder, and fields the program does
// not use, separated by commas with no quoting. The window and the command line both load through
// ScanFilter, so they list exactly the same rows.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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

// Calls f(lineIndex, bytes) for every line of a result file (CR LF, CR or LF ends a line; an empty last
// line after a final line break is not a line).
void ForEachLine(std::string_view bytes, const std::function<void(std::size_t, std::string_view)>& f);

// Decodes one line from CP949 and cuts it to kMaxLineChars characters; false when it is not valid CP949.
bool DecodeLine(std::string_view cp949, std::string& utf8);

struct ScanFilterSettings {
  bool Keywords = true;     // "개인정보": the kind must contain a keyword
  bool AtLeast10 = false;   // "10건이상"
  bool AtLeast100 = false;  // "100건이상"
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

  // Runs every line of a result file but the header through DbItemDivide and Accept; a line that is not
  // valid CP949 or raises is skipped. Calls onRow with the fields of each kept line; returns their count.
  int Run(std::string_view fileBytes, TItemFields& fields, const std::function<void(const TItemFields&)>& onRow);

  // Whether the file a line names exists: folder + "\" + name through the drive map. Consecutive lines
  // mostly share a folder, so the folder's host path is kept from the line before.
  bool FileExistsAt(const std::string& folder, const std::string& name);

 private:
  ScanFilterSettings settings_;
  std::int64_t hits_ = 0;
  std::string lastFolder_;
  std::string lastHostFolder_;
  bool haveLastFolder_ = false;
  std::string hostPath_;
};

// "Contains": a case-sensitive byte-for-byte substring test; an empty text is never contained.
bool Contains(std::string_view text, std::string_view part);

}  // namespace vek
