// The detectors. One forward pass: bytes that cannot start anything are skipped by a table; a digit starts
// a run, which is cut into groups and then matched group by group against the kinds' layouts; "@" starts an
// address, which reaches back over its local part. See detect.h for the words.
//
// Layouts (group lengths, "·" for one group of that many digits without separators):
//   신용카드번호   4-4-4-4, 4-6-5, 4-6-4, ·16, ·15        (issuer prefix and Luhn)
//   운전면허번호   2-2-6-2 (region code 11-28), region name + 2-6-2
//   주민/외국인    6-7, ·13                               (birth date, gender digit 1-8, not in the future)
//   계좌번호       the bank layouts of kBankLayouts
//   휴대폰번호     01X-3/4-4, ·10, ·11
//   전화번호       02-3/4-4, 0XX-3/4-4 (area codes; the local part not starting with 0), 15XX/16XX/18XX-4,
//                  ·9 to ·11
//   여권번호       M, S, R, G or D + 8 digits, or + 3 digits, a letter and 4 digits
#include "inspect/detect.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <initializer_list>
#include <thread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "inspect/line_pieces.h"

namespace vek::inspect {

namespace {

enum class Sep : std::uint8_t { None, Dash, Blank, Dot };

struct Group {
  std::uint32_t begin = 0, end = 0;  // bytes of the text
  std::uint32_t digitBegin = 0;      // into the run's digit buffer
  std::uint32_t count = 0;           // digits
  Sep before = Sep::None;            // separator before this group (None for the first)
};

constexpr std::array<bool, 256> MakeTriggers() {
  std::array<bool, 256> t{};
  for (int c = '0'; c <= '9'; ++c) t[std::size_t(c)] = true;
  t['@'] = true;
  t[0xEF] = true;  // lead byte of the full-width digits and separators
  return t;
}
constexpr std::array<bool, 256> kTrigger = MakeTriggers();

// The first byte at or after i that can start something (a digit, "@" or a full-width lead byte), or n.
// Most of a document starts nothing, so this is the loop the time goes to: sixteen bytes at a time.
inline std::size_t SkipQuiet(const char* s, std::size_t i, std::size_t n) {
#if defined(__SSE2__)
  const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9), at = _mm_set1_epi8('@'),
                lead = _mm_set1_epi8(char(0xEF));
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i d = _mm_sub_epi8(v, zero);
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(d, nine), d);
    const __m128i hit = _mm_or_si128(digit, _mm_or_si128(_mm_cmpeq_epi8(v, at), _mm_cmpeq_epi8(v, lead)));
    if (const int mask = _mm_movemask_epi8(hit)) return i + std::size_t(__builtin_ctz(unsigned(mask)));
  }
#endif
  while (i < n && !kTrigger[static_cast<unsigned char>(s[i])]) ++i;
  return i;
}

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiAlnum(char c) {
  return IsAsciiDigit(c) || IsAsciiLetter(c);
}

// A digit at i (ASCII, or full-width U+FF10..U+FF19): its value and byte length, or 0 bytes.
inline int DigitAt(std::string_view s, std::size_t i, char& value) {
  const char c = s[i];
  if (IsAsciiDigit(c)) {
    value = c;
    return 1;
  }
  if (static_cast<unsigned char>(c) == 0xEF && i + 2 < s.size() &&
      static_cast<unsigned char>(s[i + 1]) == 0xBC) {
    const unsigned char d = static_cast<unsigned char>(s[i + 2]);
    if (d >= 0x90 && d <= 0x99) {
      value = char('0' + (d - 0x90));
      return 3;
    }
  }
  return 0;
}

// A separator at i: its kind and byte length, or 0 bytes.
inline int SepAt(std::string_view s, std::size_t i, Sep& kind) {
  switch (s[i]) {
    case '-':
      kind = Sep::Dash;
      return 1;
    case ' ':
      kind = Sep::Blank;
      return 1;
    case '.':
      kind = Sep::Dot;
      return 1;
    default:
      break;
  }
  if (static_cast<unsigned char>(s[i]) == 0xEF && i + 2 < s.size() &&
      static_cast<unsigned char>(s[i + 1]) == 0xBC) {
    const unsigned char d = static_cast<unsigned char>(s[i + 2]);
    if (d == 0x8D) {
      kind = Sep::Dash;  // －
      return 3;
    }
    if (d == 0x8E) {
      kind = Sep::Dot;  // ．
      return 3;
    }
  }
  return 0;
}

int CurrentYear() {
  static const int year = [] {
    const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return int(std::chrono::year_month_day(today).year());
  }();
  return year;
}

int Num(std::string_view d) {
  int v = 0;
  for (char c : d) v = v * 10 + (c - '0');
  return v;
}

// YYMMDD and the gender digit of a registration number: a real date, not after this year.
bool ValidBirth(std::string_view d) {
  int century = 0;
  switch (d[6]) {
    case '1':
    case '2':
    case '5':
    case '6':
      century = 1900;
      break;
    case '3':
    case '4':
    case '7':
    case '8':
      century = 2000;
      break;
    default:
      return false;
  }
  const int year = century + Num(d.substr(0, 2)), month = Num(d.substr(2, 2)), day = Num(d.substr(4, 2));
  if (year > CurrentYear() || month < 1 || month > 12 || day < 1) return false;
  const auto ymd = std::chrono::year(year) / std::chrono::month(unsigned(month)) / std::chrono::last;
  return unsigned(day) <= unsigned(ymd.day());
}

// The check digit of a resident (mod 11, 11 - r) or foreigner (13 - r) registration number.
bool RegistrationCheckDigitOk(std::string_view d, bool foreigner) {
  static constexpr int kWeights[12] = {2, 3, 4, 5, 6, 7, 8, 9, 2, 3, 4, 5};
  int sum = 0;
  for (int i = 0; i < 12; ++i) sum += (d[std::size_t(i)] - '0') * kWeights[i];
  const int check = ((foreigner ? 13 : 11) - sum % 11) % 10;
  return check == d[12] - '0';
}

bool Luhn(std::string_view d) {
  int sum = 0;
  bool twice = false;
  for (std::size_t i = d.size(); i-- > 0;) {
    int v = d[i] - '0';
    if (twice && (v *= 2) > 9) v -= 9;
    sum += v;
    twice = !twice;
  }
  return sum % 10 == 0;
}

// A 13-digit EAN bar code of a Korean product (880...) with a valid bar-code check digit.
bool KoreanBarcode(std::string_view d) {
  if (d.substr(0, 3) != "880") return false;
  int sum = 0;
  for (std::size_t i = 0; i < 12; ++i) sum += (d[i] - '0') * (i % 2 ? 3 : 1);
  return (10 - sum % 10) % 10 == d[12] - '0';
}

// Issuer prefixes of the card numbers taken (international brands and Korean domestic cards, 9).
bool CardPrefix(std::string_view d) {
  const int two = Num(d.substr(0, 2));
  switch (d.size()) {
    case 16: {
      const int four = Num(d.substr(0, 4));
      return d[0] == '4' || (two >= 51 && two <= 55) || (four >= 2221 && four <= 2720) || two == 35 ||
             d[0] == '6' || d[0] == '9';
    }
    case 15:
      return two == 34 || two == 37;
    case 14:
      return two == 36 || two == 38 || two == 30;
    default:
      return false;
  }
}

bool MobilePrefix(std::string_view g) {
  return g.size() == 3 && g[0] == '0' && g[1] == '1' &&
         (g[2] == '0' || g[2] == '1' || (g[2] >= '6' && g[2] <= '9'));
}

// Area codes of the regions, and 070 (internet telephones).
bool AreaCode(std::string_view g) {
  if (g == "02") return true;
  if (g.size() != 3 || g[0] != '0') return false;
  static constexpr std::string_view kCodes[] = {"031", "032", "033", "041", "042", "043", "044", "051", "052",
                                                "053", "054", "055", "061", "062", "063", "064", "070"};
  return std::find(std::begin(kCodes), std::end(kCodes), g) != std::end(kCodes);
}

// Bank account layouts of the common banks (group lengths), with a required first group where the layout
// alone says too little.
struct BankLayout {
  std::array<std::uint8_t, 4> lens;
  std::uint8_t groups;
  std::string_view firstGroup;  // empty: any
};
constexpr BankLayout kBankLayouts[] = {
    {{6, 2, 6}, 3, {}},      // 국민, 농협 (old), 우체국
    {{3, 2, 4, 3}, 4, {}},   // 국민 (old)
    {{3, 3, 6}, 3, {}},      // 신한, 케이뱅크
    {{3, 2, 6}, 3, {}},      // SC제일, 신한 (old)
    {{4, 3, 6}, 3, {}},      // 우리
    {{3, 6, 5}, 3, {}},      // 하나
    {{3, 4, 4, 2}, 4, {}},   // 농협, 부산
    {{3, 6, 2, 3}, 4, {}},   // 기업
    {{3, 2, 6, 1}, 4, {}},   // 대구
    {{3, 6, 3}, 3, {}},      // 씨티
    {{4, 2, 7}, 3, "3333"},  // 카카오뱅크
    {{4, 4, 4}, 3, "1000"},  // 토스뱅크
};

// Region names a driver's licence number may begin with instead of its two-digit code.
constexpr std::string_view kRegions[] = {"서울", "부산", "경기", "강원", "충북", "충남",
                                         "전북", "전남", "경북", "경남", "제주", "대구",
                                         "인천", "광주", "대전", "울산", "세종"};

class Scanner {
 public:
  Scanner(std::string_view s, std::vector<Match>& out) : s_(s), out_(out) {}

  // The run starting at the digit at i; returns where scanning goes on.
  std::size_t Run(std::size_t i) {
    if (const std::size_t end = Passport(i)) return end;
    ParseRun(i);
    const std::size_t end = groups_.back().end;
    prevOk_ = EdgeOk(i, true);
    nextOk_ = EdgeOk(end, false);
    for (std::size_t k = 0; k < groups_.size();) {
      const std::size_t used = MatchAt(k);
      k += used ? used : 1;
    }
    return end;
  }

  // The address around the "@" at i; returns where scanning goes on.
  std::size_t Email(std::size_t at, std::size_t floor) {
    const auto local = [](char c) {
      return IsAsciiAlnum(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-';
    };
    std::size_t b = at;
    while (b > floor && local(s_[b - 1])) --b;
    while (b < at && (s_[b] == '.' || s_[b] == '-')) ++b;
    if (b == at) return at + 1;
    std::size_t e = at + 1, lastDot;
    while (e < s_.size() && (IsAsciiAlnum(s_[e]) || s_[e] == '-' || s_[e] == '.')) {
      if (s_[e] == '.' && (s_[e - 1] == '.' || e == at + 1)) break;
      ++e;
    }
    while (e > at + 1 && (s_[e - 1] == '.' || s_[e - 1] == '-')) --e;
    lastDot = s_.substr(0, e).rfind('.');
    if (lastDot == std::string_view::npos || lastDot <= at + 1) return at + 1;
    // A top-level domain: two letters or more.
    std::size_t tld = lastDot + 1;
    if (e - tld < 2) return at + 1;
    for (std::size_t j = tld; j < e; ++j)
      if (!IsAsciiLetter(s_[j])) return at + 1;
    Match m{Kind::Email, b, e - b, std::string(s_.substr(b, e - b)), true};
    const std::size_t localLen = at - b, keep = localLen > 2 ? 2 : 1;
    for (std::size_t j = keep; j < localLen; ++j) m.masked[j] = '*';
    out_.push_back(std::move(m));
    return e;
  }

 private:
  std::string_view D(std::size_t k) const {
    return {digits_.data() + groups_[k].digitBegin, groups_[k].count};
  }
  std::string_view Digits(std::size_t k, std::size_t n) const {
    return {digits_.data() + groups_[k].digitBegin,
            groups_[k + n - 1].digitBegin + groups_[k + n - 1].count - groups_[k].digitBegin};
  }

  void ParseRun(std::size_t i) {
    groups_.clear();
    digits_.clear();
    Sep before = Sep::None;
    for (;;) {
      Group g;
      g.begin = std::uint32_t(i);
      g.digitBegin = std::uint32_t(digits_.size());
      g.before = before;
      char v;
      while (i < s_.size()) {
        const int len = DigitAt(s_, i, v);
        if (!len) break;
        digits_ += v;
        i += std::size_t(len);
      }
      g.end = std::uint32_t(i);
      g.count = std::uint32_t(digits_.size()) - g.digitBegin;
      groups_.push_back(g);
      Sep kind;
      const int sepLen = i < s_.size() ? SepAt(s_, i, kind) : 0;
      if (!sepLen || i + std::size_t(sepLen) >= s_.size() || !DigitAt(s_, i + std::size_t(sepLen), v)) break;
      before = kind;
      i += std::size_t(sepLen);
    }
  }

  // Whether what touches a run's start (or end) lets it be a number of its own.
  bool EdgeOk(std::size_t at, bool start) const {
    if (start ? at == 0 : at >= s_.size()) return true;
    const char c = start ? s_[at - 1] : s_[at];
    if (IsAsciiLetter(c) || c == '_' || c == '@') return false;
    if (c == '-') {
      const std::size_t far = start ? at - 1 : at + 1;
      if (start ? far == 0 : far >= s_.size()) return true;
      return !IsAsciiAlnum(start ? s_[far - 1] : s_[far]);
    }
    return true;
  }

  // Groups k.. have these lengths, one kind of separator between them, and nothing joined to them on
  // either side; sep receives the separator (None for a single group).
  bool Layout(std::size_t k, std::initializer_list<std::uint8_t> lens, Sep& sep) const {
    const std::size_t n = lens.size();
    if (k + n > groups_.size()) return false;
    std::size_t j = k;
    for (std::uint8_t len : lens)
      if (groups_[j++].count != len) return false;
    sep = n > 1 ? groups_[k + 1].before : Sep::None;
    for (j = k + 2; j < k + n; ++j)
      if (groups_[j].before != sep) return false;
    return Free(k, n, sep);
  }
  bool Free(std::size_t k, std::size_t n, Sep sep) const {
    const auto joined = [sep](Sep s) { return s == Sep::Dash || s == Sep::Dot || s == sep; };
    if (k == 0 ? !prevOk_ : joined(groups_[k].before)) return false;
    if (k + n == groups_.size() ? !nextOk_ : joined(groups_[k + n].before)) return false;
    return true;
  }

  // The bytes of groups k..k+n-1 with the digits whose index is in [from, to) replaced by "*".
  std::string Masked(std::size_t k, std::size_t n, std::size_t from, std::size_t to,
                     std::size_t prefixBytes = 0) const {
    const std::size_t b = groups_[k].begin - prefixBytes, e = groups_[k + n - 1].end;
    std::string m;
    m.reserve(e - b);
    m.append(s_.substr(b, prefixBytes));
    std::size_t idx = 0;
    for (std::size_t i = b + prefixBytes; i < e;) {
      char v;
      const int len = DigitAt(s_, i, v);
      if (len) {
        if (idx >= from && idx < to)
          m += '*';
        else
          m.append(s_.substr(i, std::size_t(len)));
        ++idx;
        i += std::size_t(len);
      } else {
        m += s_[i++];
      }
    }
    return m;
  }

  void Emit(Kind kind, std::size_t k, std::size_t n, std::size_t from, std::size_t to, bool checkOk = true,
            std::size_t prefixBytes = 0) {
    const std::size_t b = groups_[k].begin - prefixBytes;
    out_.push_back({kind, b, groups_[k + n - 1].end - b, Masked(k, n, from, to, prefixBytes), checkOk});
  }

  // The kinds in order of preference at group k; the number of groups taken, 0 for none.
  std::size_t MatchAt(std::size_t k) {
    Sep sep;
    // Four groups.
    if (Layout(k, {4, 4, 4, 4}, sep) && Card(k, 4)) return 4;
    if (Layout(k, {2, 2, 6, 2}, sep)) {
      const int region = Num(D(k));
      if (region >= 11 && region <= 28) return Emit(Kind::DriverLicense, k, 4, 4, 10), 4;
    }
    if (const std::size_t n = Bank(k)) return n;
    // Three groups and two.
    if ((Layout(k, {4, 6, 5}, sep) || Layout(k, {4, 6, 4}, sep)) && Card(k, 3)) return 3;
    if (k == 0 && Layout(k, {2, 6, 2}, sep))
      if (const std::size_t region = RegionBefore(groups_[0].begin))
        return Emit(Kind::DriverLicense, k, 3, 2, 8, true, region), 3;
    if (Layout(k, {6, 7}, sep) && Registration(k, 2)) return 2;
    if (Layout(k, {3, 4, 4}, sep) || Layout(k, {3, 3, 4}, sep) || Layout(k, {2, 3, 4}, sep) ||
        Layout(k, {2, 4, 4}, sep)) {
      const std::string_view first = D(k), middle = D(k + 1);
      if (MobilePrefix(first) && middle[0] != '0' && (first != "010" || middle.size() == 4))
        return Emit(Kind::MobilePhone, k, 3, first.size(), first.size() + middle.size()), 3;
      if (AreaCode(first) && middle[0] != '0')
        return Emit(Kind::Phone, k, 3, first.size(), first.size() + middle.size()), 3;
    }
    if (Layout(k, {4, 4}, sep)) {
      const std::string_view first = D(k);
      if (first[0] == '1' && (first[1] == '5' || first[1] == '6' || first[1] == '8'))
        return Emit(Kind::Phone, k, 2, 4, 8), 2;
    }
    // One group without separators.
    const std::uint32_t count = groups_[k].count;
    if (count < 9 || count > 16 || !Free(k, 1, Sep::None)) return 0;
    const std::string_view d = D(k);
    if (count == 13 && Registration(k, 1)) return 1;
    if ((count == 16 || count == 15) && Card(k, 1)) return 1;
    if (count >= 10 && count <= 11 && MobilePrefix(d.substr(0, 3)) && d[3] != '0' &&
        (d[2] != '0' || count == 11))
      return Emit(Kind::MobilePhone, k, 1, 3, count - 4), 1;
    const std::size_t area = d[1] == '2' ? 2 : 3;
    if (count <= 11 && AreaCode(d.substr(0, area)) && d[area] != '0' && count - area >= 7 &&
        count - area <= 8)
      return Emit(Kind::Phone, k, 1, area, count - 4), 1;
    return 0;
  }

  bool Card(std::size_t k, std::size_t n) {
    const std::string_view d = Digits(k, n);
    if (!CardPrefix(d) || !Luhn(d)) return false;
    Emit(Kind::CreditCard, k, n, 6, d.size() - 4);
    return true;
  }

  bool Registration(std::size_t k, std::size_t n) {
    const std::string_view d = Digits(k, n);
    if (!ValidBirth(d)) return false;
    const bool foreigner = d[6] >= '5';
    const bool checkOk = RegistrationCheckDigitOk(d, foreigner);
    if (n == 1 && !checkOk && KoreanBarcode(d)) return false;
    Emit(foreigner ? Kind::ForeignerNumber : Kind::ResidentNumber, k, n, 7, 13, checkOk);
    return true;
  }

  std::size_t Bank(std::size_t k) {
    for (const BankLayout& b : kBankLayouts) {
      if (k + b.groups > groups_.size()) continue;
      bool same = true;
      for (std::size_t j = 0; j < b.groups && same; ++j) same = groups_[k + j].count == b.lens[j];
      if (!same) continue;
      const Sep sep = groups_[k + 1].before;
      for (std::size_t j = 2; j < b.groups && same; ++j) same = groups_[k + j].before == sep;
      if (!same || !Free(k, b.groups, sep)) continue;
      if (!b.firstGroup.empty() && D(k) != b.firstGroup) continue;
      const std::size_t total = Digits(k, b.groups).size();
      Emit(Kind::BankAccount, k, b.groups, b.lens[0], total - 2);
      return b.groups;
    }
    return 0;
  }

  // A region name (and an optional blank) right before byte at: its length in bytes, or 0.
  std::size_t RegionBefore(std::size_t at) const {
    std::size_t blank = at > 0 && s_[at - 1] == ' ' ? 1 : 0;
    for (std::string_view r : kRegions) {
      if (at < blank + r.size()) continue;
      if (s_.substr(at - blank - r.size(), r.size()) == r) return r.size() + blank;
    }
    return 0;
  }

  // A passport number whose digits start at i; the end of the match, or 0.
  std::size_t Passport(std::size_t i) {
    if (i == 0) return 0;
    const char letter = s_[i - 1];
    if (letter != 'M' && letter != 'S' && letter != 'R' && letter != 'G' && letter != 'D') return 0;
    if (i >= 2 && (IsAsciiAlnum(s_[i - 2]) || s_[i - 2] == '_' || s_[i - 2] == '-')) return 0;
    const auto digitsAt = [&](std::size_t from, std::size_t n) {
      if (from + n > s_.size()) return false;
      for (std::size_t j = from; j < from + n; ++j)
        if (!IsAsciiDigit(s_[j])) return false;
      return true;
    };
    const auto endOk = [&](std::size_t e) {
      return e >= s_.size() || !(IsAsciiAlnum(s_[e]) || s_[e] == '_' || s_[e] == '@' || s_[e] == '-');
    };
    std::size_t e = 0;
    if (digitsAt(i, 8) && endOk(i + 8))
      e = i + 8;
    else if (digitsAt(i, 3) && i + 3 < s_.size() && s_[i + 3] >= 'A' && s_[i + 3] <= 'Z' &&
             digitsAt(i + 4, 4) && endOk(i + 8))
      e = i + 8;
    if (!e) return 0;
    std::string masked(s_.substr(i - 1, e - i + 1));
    for (std::size_t j = masked.size() - 4; j < masked.size(); ++j) masked[j] = '*';
    out_.push_back({Kind::Passport, i - 1, e - i + 1, std::move(masked), true});
    return e;
  }

  std::string_view s_;
  std::vector<Match>& out_;
  std::vector<Group> groups_;
  std::string digits_;
  bool prevOk_ = true, nextOk_ = true;
};

constexpr std::string_view kKindNames[kKindCount] = {"주민등록번호", "외국인등록번호", "휴대폰번호",
                                                     "전화번호",     "계좌번호",       "여권번호",
                                                     "운전면허번호", "이메일",         "신용카드번호"};

}  // namespace

std::string_view KindName(Kind k) {
  return kKindNames[std::size_t(k)];
}

namespace {

std::vector<Match> DetectPiece(std::string_view s, std::stop_token stop) {
  std::vector<Match> out;
  Scanner scanner(s, out);
  constexpr std::size_t kStopEvery = std::size_t(1) << 18;
  std::size_t i = 0, nextStopCheck = kStopEvery;
  const std::size_t n = s.size();
  while (i < n) {
    i = SkipQuiet(s.data(), i, n);
    if (i >= n) break;
    if (i >= nextStopCheck) {
      if (stop.stop_requested()) break;
      nextStopCheck = i + kStopEvery;
    }
    const char c = s[i];
    if (c == '@') {
      const std::size_t floor = out.empty() ? 0 : out.back().offset + out.back().length;
      i = scanner.Email(i, floor);
      continue;
    }
    char v;
    if (!DigitAt(s, i, v)) {
      ++i;
      continue;
    }
    i = scanner.Run(i);
  }
  return out;
}

}  // namespace

std::vector<Match> Detect(std::string_view s, std::stop_token stop, int threads) {
  // No match and no separator holds a line break, and a line break next to a number reads as the start or
  // end of the text does: a long text is scanned in pieces cut after a line break, one thread each.
  const std::vector<std::size_t> cuts = LinePieces(s, threads);
  if (cuts.size() == 2) return DetectPiece(s, stop);
  std::vector<std::vector<Match>> pieces(cuts.size() - 1);
  {
    std::vector<std::jthread> workers;
    for (std::size_t k = 1; k < pieces.size(); ++k)
      workers.emplace_back(
          [&, k] { pieces[k] = DetectPiece(s.substr(cuts[k], cuts[k + 1] - cuts[k]), stop); });
    pieces[0] = DetectPiece(s.substr(0, cuts[1]), stop);
  }
  std::vector<Match> out = std::move(pieces[0]);
  for (std::size_t k = 1; k < pieces.size(); ++k) {
    // A stop leaves the pieces after the first unfinished one out, so that what is returned is a prefix.
    if (stop.stop_requested()) break;
    for (Match& m : pieces[k]) {
      m.offset += cuts[k];
      out.push_back(std::move(m));
    }
  }
  return out;
}

KindCounts CountByKind(std::span<const Match> matches) {
  KindCounts c{};
  for (const Match& m : matches) ++c[std::size_t(m.kind)];
  return c;
}

std::string SummaryLine(std::span<const Match> matches) {
  const KindCounts c = CountByKind(matches);
  std::string line = "찾은 개인정보: ";
  bool any = false;
  for (int k = 0; k < kKindCount; ++k) {
    if (c[std::size_t(k)] == 0) continue;
    if (any) line += ", ";
    line += kKindNames[k];
    line += ' ';
    line += std::to_string(c[std::size_t(k)]);
    line += "건";
    any = true;
  }
  if (!any) line += "없음";
  return line;
}

std::uint32_t KindsNamedIn(std::string_view t) {
  const auto has = [t](std::string_view w) { return t.find(w) != std::string_view::npos; };
  const auto bit = [](Kind k) { return std::uint32_t(1) << unsigned(k); };
  std::uint32_t kinds = 0;
  if (has("주민")) kinds |= bit(Kind::ResidentNumber);
  if (has("외국인")) kinds |= bit(Kind::ForeignerNumber);
  if (has("휴대") || has("핸드폰")) kinds |= bit(Kind::MobilePhone);
  if (has("전화")) kinds |= bit(Kind::MobilePhone) | bit(Kind::Phone);
  if (has("계좌")) kinds |= bit(Kind::BankAccount);
  if (has("여권")) kinds |= bit(Kind::Passport);
  if (has("면허")) kinds |= bit(Kind::DriverLicense);
  if (has("메일")) kinds |= bit(Kind::Email);
  if (has("카드")) kinds |= bit(Kind::CreditCard);
  return kinds;
}

int CountForScannerKind(std::span<const Match> matches, std::string_view scannerKind) {
  const std::uint32_t kinds = KindsNamedIn(scannerKind);
  if (kinds == 0) return int(matches.size());
  return int(std::count_if(matches.begin(), matches.end(), [kinds](const Match& m) {
    return kinds & (std::uint32_t(1) << unsigned(m.kind));
  }));
}

}  // namespace vek::inspect
