// UTF-8 cuts, case mapping, comparison and the CP949 boundary.
#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <QString>
#include <functional>

#include "platform/error.h"

using namespace plat;
using namespace plat::text;

namespace {
const std::string kTitle = "정보보안문서 관리기";
const std::string kPath = "C:\\보안예비자료";
const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600, four bytes

std::string What(const std::function<void()>& f) {
  try {
    f();
  } catch (const EEncodingError& e) {
    return e.what();
  }
  return "(no error)";
}
}  // namespace

TEST(Utf8, LengthAndOffsetCountCodePoints) {
  EXPECT_EQ(Utf8Length(kTitle), 10u);
  EXPECT_EQ(Utf8Length("a" + kEmoji + "b"), 3u);
  EXPECT_EQ(Utf8Offset("가나다", 2), 6u);
  EXPECT_EQ(Utf8Offset("가나다", 3), 9u);
  EXPECT_EQ(Utf8Offset("가나다", 99), 9u);
  // Invalid bytes count one each and do not swallow what follows.
  EXPECT_EQ(Utf8Length("\xFF\xC3"
                       "a"),
            3u);
  EXPECT_EQ(Utf8Length("\xEA\xB0"), 2u);  // a truncated Hangul syllable
}

TEST(Utf8, CutsNeverSplitACharacter) {
  EXPECT_EQ(Utf8Cut(kTitle, 6), "정보보안문서");
  EXPECT_EQ(Utf8Cut("a" + kEmoji + "b", 2), "a" + kEmoji);
  // Byte cuts fall back to the last whole character.
  for (std::size_t n = 0; n <= 9; ++n) {
    const std::string cut = Utf8CutBytes("가나다", n);
    EXPECT_EQ(cut.size(), n / 3 * 3) << n;
    EXPECT_TRUE(IsValidUtf8(cut));
  }
  EXPECT_EQ(Utf8CutBytes("ab" + kEmoji, 5), "ab");
  EXPECT_EQ(Utf8CutBytes("ab" + kEmoji, 6), "ab" + kEmoji);
}

TEST(Utf8, Validity) {
  EXPECT_TRUE(IsValidUtf8(kTitle + kEmoji));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xF0\x9F\x98"));      // truncated
}

TEST(TextCase, UnicodeCaseLeavesHangulAlone) {
  EXPECT_EQ(UpperCase("abc 정보 äöü"), "ABC 정보 ÄÖÜ");
  EXPECT_EQ(LowerCase("ABC 정보 ÄÖÜ"), "abc 정보 äöü");
  EXPECT_TRUE(SameText("Ä", "ä"));
  EXPECT_TRUE(SameText("Vek 보안", "vEK 보안"));
  EXPECT_FALSE(SameText("보안", "보얀"));
  EXPECT_EQ(CompareText("apple", "BANANA"), -1);
  EXPECT_EQ(CompareText("Zeta", "alpha"), 1);
  EXPECT_EQ(CompareText("가", "가"), 0);
}

// The upper case of caseless scripts is taken without Qt: it must agree with Qt's tables for every one of
// their characters, also between Latin letters that do have a case.
TEST(TextCase, CaselessScriptsAgreeWithQtCaseTables) {
  const std::pair<char32_t, char32_t> ranges[] = {
      {0xAC00, 0xD7A3}, {0x1100, 0x11FF}, {0x3000, 0x30FF}, {0x3130, 0x318F}, {0x4E00, 0x9FFF}};
  for (const auto& [first, last] : ranges)
    for (char32_t c = first; c <= last; ++c) {
      const std::string s = "a" + QString::fromUcs4(&c, 1).toStdString() + "ß";
      ASSERT_EQ(UpperCase(s), QString::fromStdString(s).toUpper().toStdString()) << std::hex << unsigned(c);
      const std::string plain = "x" + QString::fromUcs4(&c, 1).toStdString() + "y";
      ASSERT_EQ(UpperCase(plain), QString::fromStdString(plain).toUpper().toStdString())
          << std::hex << unsigned(c);
    }
  EXPECT_EQ(UpperCase("보안 straße 文書"), "보안 STRASSE 文書");
  EXPECT_EQ(UpperCase("정보\\é.txt"), "정보\\É.TXT");
  EXPECT_EQ(UpperCase(std::string("a\xFF"
                                  "b")),
            QString::fromUtf8("a\xFF"
                              "b")
                .toUpper()
                .toStdString());
}

TEST(TextCase, LocaleCompareOrdersHangulAndIsCaseSensitive) {
  EXPECT_LT(CompareStrLocale("가나", "나가"), 0);
  EXPECT_GT(CompareStrLocale("하", "가"), 0);
  EXPECT_NE(CompareStrLocale("a", "A"), 0);
  EXPECT_EQ(CompareStrLocale("보안", "보안"), 0);
}

TEST(TextTrim, BlanksAndControls) {
  EXPECT_EQ(Trim(" \t 보안 문서 \r\n"), "보안 문서");
  EXPECT_EQ(TrimLeft("  x  "), "x  ");
  EXPECT_EQ(Trim("   "), "");
}

TEST(Cp949, KoreanTextRoundTrips) {
  for (const std::string& s :
       {kTitle, kPath, std::string("plain ascii"), std::string(""),
        std::string("똠방각하 뷁 햏")}) {  // the last three exist only in CP949, not EUC-KR
    const std::string enc = Utf8ToCp949(s);
    EXPECT_EQ(Cp949ToUtf8(enc), s);
  }
  // Known bytes: "정보" is C1A4 BAB8; the backslash stays 0x5C.
  EXPECT_EQ(Utf8ToCp949("정보"), "\xC1\xA4\xBA\xB8");
  EXPECT_EQ(Utf8ToCp949(kPath).substr(0, 3), "C:\\");
  EXPECT_EQ(Utf8ToCp949(kPath).size(), 3u + 2 * 6);
}

TEST(Cp949, InvalidBytesNameTheOffset) {
  const std::string bad = std::string("ab") + "\xC1\xA4" + "\xFF" + "cd";
  EXPECT_EQ(What([&] { Cp949ToUtf8(bad); }), "Invalid CP949 byte sequence at byte offset 4 (byte 0xFF)");
  EXPECT_EQ(What([&] { Cp949ToUtf8("x\xC1"); }),
            "Incomplete CP949 byte sequence at byte offset 1 (byte 0xC1)");
  EXPECT_FALSE(TryCp949ToUtf8(bad).has_value());
  // A failure does not disturb the next conversion on the same thread.
  EXPECT_EQ(TryCp949ToUtf8("\xC1\xA4"), std::optional<std::string>("정"));
}

TEST(Cp949, UnencodableCharacterIsNamed) {
  EXPECT_EQ(What([&] { Utf8ToCp949("ok " + kEmoji); }),
            "Character U+1F600 at byte offset 3 cannot be encoded in CP949");
  EXPECT_FALSE(TryUtf8ToCp949(kEmoji).has_value());
  EXPECT_EQ(What([&] { Utf8ToCp949("a\xFF"); }), "Invalid UTF-8 byte sequence at byte offset 1 (byte 0xFF)");
}

TEST(Cp949, FitsAgreesWithTheEncoder) {
  // Every modern Hangul syllable is taken without the encoder; the answer must be the encoder's.
  for (char32_t c = 0xAC00; c <= 0xD7A3; ++c) {
    const std::string s = "C:\\" + QString::fromUcs4(&c, 1).toStdString();
    ASSERT_TRUE(FitsCp949(s)) << std::hex << unsigned(c);
    ASSERT_TRUE(TryUtf8ToCp949(s).has_value()) << std::hex << unsigned(c);
  }
  for (const std::string& s : {kTitle, kPath, std::string("漢字 and ascii"), std::string("\xE0\xB8\x81"),
                               kEmoji, std::string("가\xE0\xB8\x81"), std::string("é")})
    EXPECT_EQ(FitsCp949(s), TryUtf8ToCp949(s).has_value()) << s;
  EXPECT_FALSE(FitsCp949(kEmoji));
  EXPECT_FALSE(FitsCp949("\xE0\xB8\x81"));           // Thai ko kai
  EXPECT_FALSE(FitsCp949(std::string("\xED\x95")));  // cut inside 한
  EXPECT_FALSE(FitsCp949(std::string("\xC0\xAF")));  // overlong "/"
  EXPECT_TRUE(FitsCp949(""));
}

// A batch line names a file by its CP949 bytes: a text that is taken must come back whole, or the line would
// name another file. The converter drops the Unicode tag characters without an error.
TEST(Cp949, EveryCharacterTakenComesBackWhole) {
  const std::string tag = "\xF3\xA0\x81\x81";  // U+E0041, TAG LATIN CAPITAL LETTER A
  EXPECT_FALSE(FitsCp949("보고서" + tag + ".hwp"));
  EXPECT_EQ(What([&] { Utf8ToCp949("a" + tag + "b"); }),
            "Character U+E0041 at byte offset 1 cannot be encoded in CP949");
  EXPECT_EQ(What([&] { Utf8ToCp949("ㄱ한" + tag); }),
            "Character U+E0041 at byte offset 6 cannot be encoded in CP949");
  int taken = 0;
  for (char32_t c = 1; c < 0x110000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    const std::string s = QString::fromUcs4(&c, 1).toStdString();
    const std::optional<std::string> bytes = TryUtf8ToCp949(s);
    ASSERT_EQ(FitsCp949(s), bytes.has_value()) << std::hex << unsigned(c);
    if (!bytes) continue;
    ++taken;
    ASSERT_EQ(TryCp949ToUtf8(*bytes), std::optional<std::string>(s)) << std::hex << unsigned(c);
  }
  EXPECT_GT(taken, 17000);  // ASCII, the Hangul syllables and jamo, the hanja, symbols
}

// Texts of ASCII and Hangul syllables are mapped directly; one other character sends the whole text through
// the converter. Both ways must give the same bytes for every syllable.
TEST(Cp949, HangulSyllablesMapAsTheConverterDoes) {
  std::string all = "a";
  for (char32_t c = 0xAC00; c <= 0xD7A3; ++c)
    all += QString::fromUcs4(&c, 1).toStdString() + (c % 7 == 0 ? " " : "");
  const std::string jamo = "ㄱ";  // in CP949, not a syllable
  const std::string direct = Utf8ToCp949(all);
  const std::string converted = Utf8ToCp949(all + jamo);
  ASSERT_EQ(converted.size(), direct.size() + 2);
  EXPECT_EQ(converted.substr(0, direct.size()), direct);
  EXPECT_EQ(Cp949ToUtf8(direct), all);
  EXPECT_EQ(Cp949ToUtf8(converted), all + jamo);
  std::string buffer;
  ASSERT_TRUE(TryCp949ToUtf8(direct, buffer));
  EXPECT_EQ(buffer, all);
  // A pair that is no syllable, and a lead byte at the end, are still judged by the converter.
  EXPECT_EQ(TryCp949ToUtf8(direct + "\xFF\xFF"), std::nullopt);
  EXPECT_EQ(TryCp949ToUtf8(direct.substr(0, direct.size() - 1)), std::nullopt);
  EXPECT_FALSE(TryCp949ToUtf8(direct.substr(0, direct.size() - 1), buffer));
  EXPECT_NE(
      What([&] { Cp949ToUtf8(direct.substr(0, 4)); }).find("Incomplete CP949 byte sequence at byte offset 3"),
      std::string::npos);
}

TEST(Cp949, RepeatedConversionsOnOneThreadStayCorrect) {
  // The converter is reused between calls; every line must still come out whole.
  const std::string line = Utf8ToCp949(kTitle + " 12345 " + kPath);
  std::size_t total = 0;
  for (int i = 0; i < 1000; ++i) total += Cp949ToUtf8(line).size();
  EXPECT_EQ(total, 1000u * (kTitle.size() + 7 + kPath.size()));
}
