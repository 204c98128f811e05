// The detectors: each kind in the ways people write it, the banks' account layouts, a corpus of near misses
// that must stay silent, the masks, the summary line and the scanner's kind words.
#include "inspect/detect.h"

#include <gtest/gtest.h>

#include <stop_token>
#include <string>
#include <vector>

using vek::inspect::CountByKind;
using vek::inspect::CountForScannerKind;
using vek::inspect::Detect;
using vek::inspect::Kind;
using vek::inspect::KindName;
using vek::inspect::Match;
using vek::inspect::SummaryLine;

namespace {

struct Case {
  const char* text;  // the number alone; the test also places it inside a Korean sentence
  Kind kind;
  const char* masked;
};

std::string Describe(const std::vector<Match>& ms, std::string_view text) {
  std::string d;
  for (const Match& m : ms)
    d += std::string(KindName(m.kind)) + " [" + std::string(text.substr(m.offset, m.length)) + "] -> " +
         m.masked + "\n";
  return d.empty() ? "(none)" : d;
}

void ExpectSingle(const std::string& text, std::string_view number, Kind kind, std::string_view masked) {
  const std::vector<Match> ms = Detect(text);
  ASSERT_EQ(ms.size(), 1u) << text << "\n" << Describe(ms, text);
  EXPECT_EQ(ms[0].kind, kind) << text;
  EXPECT_EQ(text.substr(ms[0].offset, ms[0].length), number) << text;
  EXPECT_EQ(ms[0].masked, masked) << text;
}

}  // namespace

TEST(Detect, FindsEachKindAloneAndInsideKoreanSentences) {
  const Case cases[] = {
      {"900101-1234568", Kind::ResidentNumber, "900101-1******"},
      {"900101 1234568", Kind::ResidentNumber, "900101 1******"},
      {"9001011234568", Kind::ResidentNumber, "9001011******"},
      {"051225-3456780", Kind::ResidentNumber, "051225-3******"},
      {"920704-5678901", Kind::ForeignerNumber, "920704-5******"},
      {"030303-7123453", Kind::ForeignerNumber, "030303-7******"},
      {"010-1234-5678", Kind::MobilePhone, "010-****-5678"},
      {"010.1234.5678", Kind::MobilePhone, "010.****.5678"},
      {"010 1234 5678", Kind::MobilePhone, "010 **** 5678"},
      {"01012345678", Kind::MobilePhone, "010****5678"},
      {"011-234-5678", Kind::MobilePhone, "011-***-5678"},
      {"02-123-4567", Kind::Phone, "02-***-4567"},
      {"031-8765-4321", Kind::Phone, "031-****-4321"},
      {"070-2345-6789", Kind::Phone, "070-****-6789"},
      {"1588-1234", Kind::Phone, "1588-****"},
      {"0212345678", Kind::Phone, "02****5678"},
      {"M12345678", Kind::Passport, "M1234****"},
      {"M123A4567", Kind::Passport, "M123A****"},
      {"11-12-345678-90", Kind::DriverLicense, "11-12-******-90"},
      {"서울 12-345678-90", Kind::DriverLicense, "서울 12-******-90"},
      {"hong.gildong@example.co.kr", Kind::Email, "ho**********@example.co.kr"},
      {"4532-0151-1283-0366", Kind::CreditCard, "4532-01**-****-0366"},
      {"5520 1234 5678 9015", Kind::CreditCard, "5520 12** **** 9015"},
      {"3782-822463-10005", Kind::CreditCard, "3782-82****-*0005"},
      {"9410123456789010", Kind::CreditCard, "941012******9010"},
  };
  for (const Case& c : cases) {
    ExpectSingle(c.text, c.text, c.kind, c.masked);
    ExpectSingle(std::string("고객 연락처는 ") + c.text + " 입니다.", c.text, c.kind, c.masked);
    ExpectSingle(std::string("번호:") + c.text + "로 연락", c.text, c.kind, c.masked);
  }
}

TEST(Detect, ReadsFullWidthDigitsAndSeparators) {
  // "９００１０１－１２３４５６８" and "０１０－１２３４－５６７８" as typed with a full-width input mode.
  const std::string rrn =
      "\xEF\xBC\x99\xEF\xBC\x90\xEF\xBC\x90\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x91\xEF\xBC\x8D"
      "\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x93\xEF\xBC\x94\xEF\xBC\x95\xEF\xBC\x96\xEF\xBC\x98";
  const std::string text = "주민번호 " + rrn + " 끝";
  const std::vector<Match> ms = Detect(text);
  ASSERT_EQ(ms.size(), 1u) << Describe(ms, text);
  EXPECT_EQ(ms[0].kind, Kind::ResidentNumber);
  EXPECT_EQ(text.substr(ms[0].offset, ms[0].length), rrn);
  EXPECT_TRUE(ms[0].checkDigitOk);
  EXPECT_EQ(ms[0].masked,
            "\xEF\xBC\x99\xEF\xBC\x90\xEF\xBC\x90\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x91\xEF\xBC\x8D"
            "\xEF\xBC\x91******");
  EXPECT_EQ(Detect("010-1234.5678").size(), 0u) << "one number takes one kind of separator";
  const std::string fwPhone =
      "\xEF\xBC\x90\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x8D"
      "1234\xEF\xBC\x8D"
      "5678";
  ASSERT_EQ(Detect(fwPhone).size(), 1u);
  EXPECT_EQ(Detect(fwPhone)[0].kind, Kind::MobilePhone);
}

TEST(Detect, RegistrationNumbersCheckDateAndGenderAndNoteTheCheckDigit) {
  const struct {
    const char* text;
    bool found;
    bool checkOk;
  } cases[] = {
      {"900101-1234568", true, true},
      {"900101-1234567", true, false},   // issued since October 2020 need not satisfy it: kept, noted
      {"920704-5678900", true, false},   // a foreigner's number, check digit off
      {"901301-1234567", false, false},  // month 13
      {"900230-1234567", false, false},  // 30 February
      {"000229-3234567", true, false},   // 29 February 2000 exists
      {"010229-3234567", false, false},  // 29 February 2001 does not
      {"900101-9234567", false, false},  // gender digit 9
      {"900101-0234567", false, false},  // gender digit 0
      {"990101-3234567", false, false},  // born in 2099: not yet
  };
  for (const auto& c : cases) {
    const std::vector<Match> ms = Detect(c.text);
    ASSERT_EQ(ms.size(), c.found ? 1u : 0u) << c.text << "\n" << Describe(ms, c.text);
    if (c.found) {
      EXPECT_EQ(ms[0].checkDigitOk, c.checkOk) << c.text;
    }
  }
}

// The layouts of the common banks' account numbers (made-up numbers in each layout).
TEST(Detect, FindsAccountNumbersInTheBanksLayouts) {
  const struct {
    const char* bank;
    const char* number;
    const char* masked;
  } accounts[] = {
      {"국민은행 (6-2-6)", "123456-78-901234", "123456-**-****34"},
      {"국민은행 옛 (3-2-4-3)", "123-45-6789-012", "123-**-****-*12"},
      {"신한은행 (3-3-6)", "110-123-456789", "110-***-****89"},
      {"SC제일은행 (3-2-6)", "123-45-678901", "123-**-****01"},
      {"우리은행 (4-3-6)", "1002-123-456789", "1002-***-****89"},
      {"하나은행 (3-6-5)", "123-456789-01234", "123-******-***34"},
      {"농협은행 (3-4-4-2)", "302-1234-5678-91", "302-****-****-91"},
      {"기업은행 (3-6-2-3)", "123-456789-01-234", "123-******-**-*34"},
      {"대구은행 (3-2-6-1)", "508-12-345678-9", "508-**-*****8-9"},
      {"씨티은행 (3-6-3)", "123-456789-012", "123-******-*12"},
      {"카카오뱅크 (3333-2-7)", "3333-12-3456789", "3333-**-*****89"},
      {"토스뱅크 (1000-4-4)", "1000-1234-5678", "1000-****-**78"},
      {"우체국 (6-2-6) 공백", "123456 78 901234", "123456 ** ****34"},
  };
  for (const auto& a : accounts) {
    SCOPED_TRACE(a.bank);
    ExpectSingle(std::string("입금 계좌: ") + a.number + " (예금주 홍길동)", a.number, Kind::BankAccount,
                 a.masked);
  }
}

TEST(Detect, StaysSilentOnNearMisses) {
  const char* corpus[] = {
      "작성일 2023-01-15, 수정 2023.01.15 10:30, 20230115",
      "1990-01-01 12:34:56 에 접수",
      "가격 12,000원, 합계 ₩1,500,000, 총액 1,234,567,890원, $1,299.99",
      "제품 일련번호 SN-2023-0001-5678, 모델 ABC-123-4567-8901, S/N 4512-3345-6677",
      "ISBN 978-89-5674-123-4, ISBN 9788956741234, 979-11-6224-187-5",
      "바코드 8801234567893",
      "12345678901234567890 와 9001011234568123 은 긴 숫자의 일부",
      "X9001011234568, 9001011234568Y, id_01012345678",
      "버전 10.1234.5678, 주소 192.168.0.1, 시각 12:30:45",
      "010-1234-567, 010-12345-678, 010-0123-4567",
      "4532-0151-1283-0367 은 검증숫자가 틀린 카드 번호",
      "주문번호 2023-010-1234-5678, 접수번호 010-1234-5678-1",
      "M1234567, AM12345678, M123456789",
      "우편번호 06236, 사업자등록번호 123-45-67890",
      "user@localhost, @mention, a@b.c",
  };
  for (const char* text : corpus) {
    const std::vector<Match> ms = Detect(text);
    EXPECT_TRUE(ms.empty()) << text << "\n" << Describe(ms, text);
  }
}

TEST(Detect, SeparatesNumbersThatOnlyABlankOrACommaJoins) {
  const std::string text = "010-1234-5678 010-2345-6789,010-3456-7890 2023 900101-1234568 02-123-4567";
  const std::vector<Match> ms = Detect(text);
  ASSERT_EQ(ms.size(), 5u) << Describe(ms, text);
  EXPECT_EQ(ms[0].masked, "010-****-5678");
  EXPECT_EQ(ms[1].masked, "010-****-6789");
  EXPECT_EQ(ms[2].masked, "010-****-7890");
  EXPECT_EQ(ms[3].kind, Kind::ResidentNumber);
  EXPECT_EQ(ms[4].kind, Kind::Phone);
  for (std::size_t i = 1; i < ms.size(); ++i) EXPECT_GE(ms[i].offset, ms[i - 1].offset + ms[i - 1].length);
}

TEST(Detect, FindsAddressesBesideNumbersAndKoreanText) {
  const std::string text =
      "담당자홍길동(hong_gd99@mail.example.com), 연락 01012345678@ 아님, 끝.a.b@x-y.org.";
  const std::vector<Match> ms = Detect(text);
  ASSERT_EQ(ms.size(), 2u) << Describe(ms, text);
  EXPECT_EQ(text.substr(ms[0].offset, ms[0].length), "hong_gd99@mail.example.com");
  EXPECT_EQ(ms[0].masked, "ho*******@mail.example.com");
  EXPECT_EQ(text.substr(ms[1].offset, ms[1].length), "a.b@x-y.org");
}

TEST(Detect, SummaryLineCountsEachKindInOrder) {
  const std::string text = "010-1111-2222, 900101-1234568, 010-3333-4444, 900101-1234567, a@example.com";
  const std::vector<Match> ms = Detect(text);
  EXPECT_EQ(SummaryLine(ms), "찾은 개인정보: 주민등록번호 2건, 휴대폰번호 2건, 이메일 1건");
  EXPECT_EQ(SummaryLine({}), "찾은 개인정보: 없음");
  const auto counts = CountByKind(ms);
  EXPECT_EQ(counts[std::size_t(Kind::ResidentNumber)], 2);
  EXPECT_EQ(counts[std::size_t(Kind::CreditCard)], 0);
}

TEST(Detect, CountsWhatAScannerKindNames) {
  const std::string text = "010-1111-2222 02-123-4567 900101-1234568 a@example.com 110-123-456789";
  const std::vector<Match> ms = Detect(text);
  ASSERT_EQ(ms.size(), 5u) << Describe(ms, text);
  EXPECT_EQ(CountForScannerKind(ms, "주민등록번호"), 1);
  EXPECT_EQ(CountForScannerKind(ms, "주민등록번호·전화번호"), 3);  // 전화 covers both telephone kinds
  EXPECT_EQ(CountForScannerKind(ms, "핸드폰번호·계좌번호"), 2);
  EXPECT_EQ(CountForScannerKind(ms, "이메일"), 1);
  EXPECT_EQ(CountForScannerKind(ms, "기타"), 5);  // no kind named: every match
}

TEST(Detect, StopsEarlyWhenAStopIsRequested) {
  std::string text;
  while (text.size() < (std::size_t(4) << 20)) text += "연락처 010-1234-5678 입니다. ";
  const std::size_t all = Detect(text).size();
  std::stop_source stop;
  stop.request_stop();
  EXPECT_LT(Detect(text, stop.get_token()).size(), all / 4);
}

// A long text is scanned in pieces on several threads: the matches, their places and masks are those of one
// scan, numbers at the start and end of lines (where the pieces are cut) included.
TEST(DetectLongText, PiecesOnThreadsFindWhatOneScanFinds) {
  const char* lines[] = {"900101-1234568 홍길동",    "연락처 010-1234-5678",
                         "kim.minjun@example.co.kr", "M12345678 여권",
                         "1234-5678-9012-3456",      "계좌 110-123-456789 끝 02-123-4567"};
  std::string text;
  for (int i = 0; text.size() < (std::size_t(9) << 20); ++i) {
    text += lines[i % 6];
    text += i % 7 == 0 ? "\r\n" : "\n";
  }
  const std::vector<Match> one = Detect(text, {}, 1);
  const std::vector<Match> four = Detect(text, {}, 4);
  ASSERT_GT(one.size(), 100000u);
  ASSERT_EQ(four.size(), one.size());
  for (std::size_t i = 0; i < one.size(); ++i) {
    ASSERT_EQ(four[i].offset, one[i].offset) << "match " << i;
    ASSERT_EQ(four[i].kind, one[i].kind) << "match " << i;
    ASSERT_EQ(four[i].masked, one[i].masked) << "match " << i;
  }
}
