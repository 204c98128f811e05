#pragma once
// The personal-information detectors: one pass over a UTF-8 text that finds the kinds a scanner reports,
// with each match's place, a masked form for the screen and, for registration numbers, whether the check
// digit holds.
//
// Words used here:
//   run      digits joined by single separators ("010-1234-5678", "900101 1234567"); a separator is "-",
//            a blank or "." (or the full-width "－", "．") with a digit on both sides. Full-width digits
//            count as digits.
//   group    the digits of a run between two separators.
//   layout   the group lengths a kind is written in (3-4-4 for a mobile number); a match takes whole groups
//            joined by one kind of separator, and the groups beside it must not be joined to it by "-" or
//            "." (or by the match's own separator), so a number inside a longer serial is not taken.
// A run that touches a Latin letter or "_" or "@" on either side is a code or part of an address, not a
// number; Hangul next to a number is ordinary Korean writing ("연락처010-1234-5678로").
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace vek::inspect {

// In the order the summary line lists them.
enum class Kind : std::uint8_t {
  ResidentNumber,   // 주민등록번호
  ForeignerNumber,  // 외국인등록번호
  MobilePhone,      // 휴대폰번호
  Phone,            // 전화번호
  BankAccount,      // 계좌번호
  Passport,         // 여권번호
  DriverLicense,    // 운전면허번호
  Email,            // 이메일
  CreditCard,       // 신용카드번호
};
inline constexpr int kKindCount = 9;

// The Korean name of a kind ("주민등록번호").
std::string_view KindName(Kind k);

struct Match {
  Kind kind = Kind::ResidentNumber;
  std::size_t offset = 0;  // bytes into the text
  std::size_t length = 0;  // bytes
  std::string masked;      // the matched text with the identifying digits or letters replaced by "*"
  // Registration numbers: whether the last digit is the check digit of the others. Numbers issued since
  // October 2020 need not satisfy it, so a failure is noted, never a reason to drop the match.
  bool checkDigitOk = true;
};

// Every match in the text, in text order, none overlapping. Stops early (returning what it found so far)
// when stop is requested; it looks at the token every few hundred kilobytes. A text of several megabytes is
// scanned on up to `threads` threads (0: one per processor, at most 8); the result is the same.
std::vector<Match> Detect(std::string_view utf8, std::stop_token stop = {}, int threads = 0);

// Matches per kind, indexed by Kind.
using KindCounts = std::array<int, kKindCount>;
KindCounts CountByKind(std::span<const Match> matches);

// "찾은 개인정보: 주민등록번호 12건, 휴대폰번호 3건" (kinds without a match left out; "찾은 개인정보: 없음"
// when there is none).
std::string SummaryLine(std::span<const Match> matches);

// The kinds a scanner's kind text names ("주민등록번호·전화번호"), by the words scanners use: 주민, 외국인,
// 휴대/핸드폰 (and 전화, which covers both telephone kinds), 계좌, 여권, 면허, 메일, 카드. Bit k is Kind k.
std::uint32_t KindsNamedIn(std::string_view scannerKind);

// How many matches a scanner's row of that kind text would count: the matches of the kinds it names, or
// all of them when it names none.
int CountForScannerKind(std::span<const Match> matches, std::string_view scannerKind);

}  // namespace vek::inspect
