// Loading a scanner's result file: splitting lines into fields, every filter rule, bad and hostile input,
// and the window's loading buttons. Files live in temporary drive-map folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <random>

#include "app/application.h"
#include "app/scan_result.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "grid/structure/extents.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

using namespace apptest;

namespace {

TEST(DbItemDivide, BlanksAndCommasAsTheLoaderSplitsThem) {
  vek::TItemFields f;
  vek::DbItemDivide(" a.xls ,  주민등록번호 , 12 ,D:\\자료", f);
  EXPECT_EQ(f[0], " a.xls ");        // field 0 keeps its blanks
  EXPECT_EQ(f[1], "주민등록번호 ");  // later fields lose leading blanks, keep trailing ones
  EXPECT_EQ(f[2], "12 ");
  EXPECT_EQ(f[3], "D:\\자료");
  EXPECT_EQ(f[4], "");
  vek::DbItemDivide("\"a,b\",x", f);  // quotes do not protect a comma
  EXPECT_EQ(f[0], "\"a");
  EXPECT_EQ(f[1], "b\"");
  EXPECT_EQ(f[2], "x");
}

TEST(DbItemDivide, FieldsPastFiftyAndPastFiveHundredCharacters) {
  vek::TItemFields f;
  std::string many;
  for (int i = 0; i < 60; ++i) many += std::to_string(i) + ",";
  vek::DbItemDivide(many, f);
  EXPECT_EQ(f[50], "50");
  // The rest after a comma is cut to 500 characters: a field beyond it loses its comma and is empty.
  const std::string longKind(600, 'k');
  vek::DbItemDivide("name," + longKind + ",7,D:\\x", f);
  EXPECT_EQ(f[1], "");
  EXPECT_EQ(f[2], "");
  std::string hangul;
  for (int i = 0; i < 498; ++i) hangul += "가";
  vek::DbItemDivide("name," + hangul + ",7,D:\\x", f);
  EXPECT_EQ(plat::text::Utf8Length(f[1]), 498u);  // counted in characters, not bytes
  EXPECT_EQ(f[2], "");                            // the comma after "7" lies past the 500th character
}

TEST(ResultLines, LineEndsAndLengthLimit) {
  std::vector<std::string> lines;
  vek::ForEachLine("h\r\na\rb\nc\r\n", [&](std::size_t, std::string_view l) { lines.emplace_back(l); });
  EXPECT_EQ(lines, (std::vector<std::string>{"h", "a", "b", "c"}));
  std::string out;
  ASSERT_TRUE(vek::DecodeLine(plat::text::Utf8ToCp949(std::string(5000, 'x')), out));
  EXPECT_EQ(out.size(), 4096u);
  const std::string hangul = plat::text::Utf8ToCp949(std::string("가") + std::string(4200, 'x'));
  ASSERT_TRUE(vek::DecodeLine(hangul, out));
  EXPECT_EQ(plat::text::Utf8Length(out), 4096u);
  EXPECT_FALSE(vek::DecodeLine("ok\xFF\xFF", out));
}

// The lines as read one byte at a time: the reference the vectorised cursor must agree with.
std::vector<std::string> ReferenceLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string cur;
  std::size_t i = 0;
  bool open = false;
  while (i < bytes.size()) {
    const char ch = bytes[i++];
    if (ch == '\r' || ch == '\n') {
      if (ch == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
      lines.push_back(cur);
      cur.clear();
      open = false;
    } else {
      cur += ch;
      open = true;
    }
  }
  if (open) lines.push_back(cur);
  return lines;
}

TEST(ResultLines, EveryMixOfLineEndsSplitsAsTheReferenceDoes) {
  std::mt19937 rng(12);
  const char alphabet[] = {'a', 'b', '\r', '\n', ',', '\r'};
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(rng() % 40, 'a');
    for (char& ch : bytes) ch = alphabet[rng() % sizeof alphabet];
    std::vector<std::string> lines;
    std::size_t expectIndex = 0;
    vek::ForEachLine(bytes, [&](std::size_t index, std::string_view l) {
      EXPECT_EQ(index, expectIndex++);
      lines.emplace_back(l);
    });
    ASSERT_EQ(lines, ReferenceLines(bytes)) << "round " << round;
  }
}

TEST(ResultLines, CursorPositionCoversTheLineEnds) {
  const std::string bytes = "h\r\nab\rc\n\r\nlast";
  vek::LineCursor cursor(bytes);
  std::string_view l;
  std::vector<std::size_t> positions;
  while (cursor.Next(l)) positions.push_back(cursor.Position());
  EXPECT_EQ(positions, (std::vector<std::size_t>{3, 6, 8, 10, 14}));
  EXPECT_EQ(cursor.Index(), 5u);
  EXPECT_FALSE(cursor.Next(l));
}

// Two drive folders with files, and a result file written as CP949.
class Sandbox : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(box.dir.isValid()); }
  // A file at a Windows path, through the drive map.
  void Touch(const std::string& windowsPath) {
    const std::string host = plat::os::ResolvePath(windowsPath);
    plat::os::ForceDirectories(plat::os::ExtractFilePath(host));
    ASSERT_TRUE(MakeFile(host));
  }
  std::string WriteResult(const std::vector<std::string>& lines) {
    std::string text = "파일명,종류,건수,경로\r\n";
    for (const auto& l : lines) text += l + "\r\n";
    const std::string path = c + "/result.csv";
    MakeFile(path, plat::text::Utf8ToCp949(text));
    return path;
  }
  std::vector<std::string> Listed(const vek::ScanFilterSettings& s, const std::string& file) {
    std::vector<std::string> names;
    vek::ScanFilter filter(s);
    vek::TItemFields f;
    filter.Run(plat::os::ReadFileBytes(file), f, [&](const vek::TItemFields& x) { names.push_back(x[0]); });
    return names;
  }

  DriveSandbox box;
  const std::string& c = box.c;
  const std::string& d = box.d;
};

TEST_F(Sandbox, KeywordFilterAndExistence) {
  for (const char* f : {"D:\\자료\\a.xls", "D:\\자료\\b.xls", "D:\\자료\\d.xls"}) Touch(f);
  const std::string file = WriteResult({"a.xls,주민등록번호,3,D:\\자료", "b.xls,이메일,3,D:\\자료",
                                        "c.xls,휴대폰번호,3,D:\\자료", "d.xls,계좌번호,3,D:\\자료"});
  EXPECT_EQ(Listed({}, file), (std::vector<std::string>{"a.xls", "d.xls"}));  // c.xls does not exist
  vek::ScanFilterSettings all;
  all.Keywords = false;
  EXPECT_EQ(Listed(all, file), (std::vector<std::string>{"a.xls", "b.xls", "d.xls"}));
}

TEST_F(Sandbox, ThresholdsUseTheRememberedHitCount) {
  for (const char* f : {"D:\\x\\a", "D:\\x\\b", "D:\\x\\c", "D:\\x\\e"}) Touch(f);
  // b's count has a blank before its comma: not an integer, so b is judged by a's count (150).
  const std::string file =
      WriteResult({"a,주민,150,D:\\x", "b,주민,5 ,D:\\x", "c,주민,99,D:\\x", "e,주민,100,D:\\x"});
  vek::ScanFilterSettings s;
  s.AtLeast10 = true;
  s.AtLeast100 = true;
  EXPECT_EQ(Listed(s, file), (std::vector<std::string>{"a", "b", "e"}));
  s.AtLeast100 = false;
  EXPECT_EQ(Listed(s, file), (std::vector<std::string>{"a", "b", "c", "e"}));
}

TEST_F(Sandbox, ExclusionWordsInKindOrFolder) {
  Touch("D:\\공유\\a");
  Touch("D:\\개인\\b");
  Touch("D:\\개인\\c");
  const std::string file = WriteResult(
      {"a,주민등록번호,1,D:\\공유", "b,주민등록번호,1,D:\\개인", "c,주민번호(테스트),1,D:\\개인"});
  vek::ScanFilterSettings s;
  s.Exclude[3] = "공유";  // ed4
  s.Exclude[5] = "테스트";
  EXPECT_EQ(Listed(s, file), (std::vector<std::string>{"b"}));
}

TEST_F(Sandbox, BlankNamesFewFieldsAndBadLines) {
  Touch("D:\\x\\ spaced.txt ");
  Touch("C:\\rootfile");
  std::string text = plat::text::Utf8ToCp949("파일명\r\n spaced.txt ,주민,1,D:\\x\r\nrootfile,주민\r\n");
  text += "broken\xFF\xFE,주민,1,D:\\x\r\n";  // not CP949: skipped
  text += std::string(100000, ',') + "\r\n";  // thousands of fields
  text += plat::text::Utf8ToCp949("rootfile,주민,1\r\n");
  MakeFile(c + "/r.csv", text);
  // The name keeps its blanks; a line without a folder looks at the root of drive C.
  EXPECT_EQ(Listed({}, c + "/r.csv"), (std::vector<std::string>{" spaced.txt ", "rootfile", "rootfile"}));
}

TEST_F(Sandbox, ExistenceTestAgreesWithTheDriveMapForEveryFormOfPath) {
  Touch("D:\\자료\\a.txt");
  Touch("C:\\top.txt");
  vek::ScanFilter filter({});
  const std::vector<std::pair<std::string, std::string>> cases = {{"D:\\자료", "a.txt"},
                                                                  {"D:\\자료\\", "a.txt"},
                                                                  {"d:/자료", "a.txt"},
                                                                  {"D:\\자료", "b.txt"},
                                                                  {"D:\\자료\\..\\자료", "a.txt"},
                                                                  {"D:\\x\\..", "자료\\a.txt"},
                                                                  {"", "top.txt"},
                                                                  {"\\\\srv\\s", "a.txt"},
                                                                  {"D:\\자료", ""},
                                                                  {"D:\\자료", ".."},
                                                                  {"D:\\자료", "a.txt"}};
  for (const auto& [folder, name] : cases) {
    const std::string host = plat::os::ResolvePath(folder + "\\" + name);
    EXPECT_EQ(filter.FileExistsAt(folder, name), !host.empty() && plat::os::FileExists(host))
        << folder << " | " << name;
  }
  EXPECT_TRUE(filter.FileExistsAt("D:\\자료", "a.txt"));
}

TEST_F(Sandbox, LinesInARowNamingOneFolderAnswerAsTheWholePathDoes) {
  using namespace std::string_literals;
  Touch("D:\\자료\\a.txt");
  const std::string folder = plat::os::ResolvePath("D:\\자료");
  plat::os::ForceDirectories(folder + "/sub");
  ASSERT_EQ(::symlink("a.txt", (folder + "/link").c_str()), 0);
  ASSERT_EQ(::symlink("none", (folder + "/dangling").c_str()), 0);
  ASSERT_EQ(::symlink("sub", (folder + "/sublink").c_str()), 0);
  vek::ScanFilter filter({});
  // After the first line the folder is held open: files made or removed meanwhile are seen as they are.
  const auto same = [&](const std::string& name) {
    EXPECT_EQ(filter.FileExistsAt("D:\\자료", name), plat::os::FileExists(folder + "/" + name)) << name;
  };
  for (const std::string& name : {"a.txt"s, "b.txt"s, "sub"s, "link"s, "dangling"s, "sublink"s, "a.txt\0"s,
                                  "."s, "sub/../a.txt"s, "a.txt"s})
    same(name);
  EXPECT_TRUE(filter.FileExistsAt("D:\\자료", "a.txt"));
  Touch("D:\\자료\\b.txt");
  EXPECT_TRUE(filter.FileExistsAt("D:\\자료", "b.txt"));
  ASSERT_EQ(::unlink((folder + "/a.txt").c_str()), 0);
  EXPECT_FALSE(filter.FileExistsAt("D:\\자료", "a.txt"));
  EXPECT_FALSE(filter.FileExistsAt("D:\\자료", "link"));
  // A folder that is not there, twice in a row.
  EXPECT_FALSE(filter.FileExistsAt("D:\\없음", "a.txt"));
  EXPECT_FALSE(filter.FileExistsAt("D:\\없음", "a.txt"));
}

TEST_F(Sandbox, HostileFileLoadsWhatItCanAndLeavesTheWindowUsable) {
  Touch("D:\\x\\ok.txt");
  std::string bytes = plat::text::Utf8ToCp949("헤더\r\n");
  bytes += "ok.txt," + plat::text::Utf8ToCp949("주민") + "," + std::string(20u << 20, 'z') + ",D:\\x\r\n";
  for (int b = 0; b < 256; ++b) bytes += char(b);  // every byte value, NUL and CR/LF included
  bytes += "\r\n" + std::string(10000, ',') + "\r\n";
  bytes += "ok.txt," + plat::text::Utf8ToCp949("주민") + ",1,D:\\x\r\n";
  MakeFile(c + "/hostile.csv", bytes);
  TForm1 form;
  form.p_file->setText(Q(c + "/hostile.csv"));
  form.ReadAndInsert();
  // The 20 MB line is cut to 4,096 characters, so its folder field is lost; the last line is whole.
  ASSERT_EQ(form.Mgr_grid->RowCount(), 1);
  EXPECT_EQ(form.Mgr_grid->Cells(4, 0).AsString(), "D:\\x");
  EXPECT_FALSE(form.msg->isVisible());
  form.Mgr_grid->Cells(0, 0).SetAsBoolean(true);
  EXPECT_TRUE(form.Mgr_grid->Cells(0, 0).AsBoolean());
}

TEST_F(Sandbox, CrOnlyCrLfAndLfFilesListTheSameRows) {
  std::vector<std::string> lines;
  for (int i = 0; i < 300; ++i) {
    Touch("D:\\x\\f" + std::to_string(i));
    lines.push_back("f" + std::to_string(i) + ",주민,1,D:\\x");
  }
  const std::string crlf = plat::os::ReadFileBytes(WriteResult(lines));
  for (const char* end : {"\r", "\n"}) {
    std::string other;
    for (char ch : crlf)
      if (ch == '\r')
        other += end;
      else if (ch != '\n')
        other += ch;
    MakeFile(c + "/other.csv", other);
    std::vector<std::string> listed = Listed({}, c + "/other.csv");
    ASSERT_EQ(listed.size(), 300u);
    EXPECT_EQ(listed.back(), "f299");
  }
}

TEST_F(Sandbox, UnreadableLinesAreCountedNotListed) {
  Touch("D:\\x\\ok.txt");
  std::string bytes = plat::text::Utf8ToCp949("헤더\r\nok.txt,주민,1,D:\\x\r\n");
  bytes += "bad\xFF\xFF,주민,1,D:\\x\r\n";
  bytes += "\x80\x80\x80\r\n";
  bytes += plat::text::Utf8ToCp949("ok.txt,주민,2,D:\\x\r\n");
  vek::ScanFilter filter({});
  vek::TItemFields f;
  EXPECT_EQ(filter.Run(bytes, f, [](const vek::TItemFields&) {}), 2);
  EXPECT_EQ(filter.Unreadable(), 2);
}

TEST_F(Sandbox, NameWithNulDoesNotPassForTheFileBeforeIt) {
  using namespace std::string_literals;
  Touch("D:\\x\\a.txt");
  const std::string kind = plat::text::Utf8ToCp949("주민");
  std::string bytes = plat::text::Utf8ToCp949("헤더\r\n");
  bytes += "a.txt\0.doc,"s + kind + ",1,D:\\x\r\n";  // cut at the NUL, the name is a.txt
  bytes += ","s + kind + ",1,D:\\x\\a.txt\0\r\n"s;   // cut at the NUL, the folder names a.txt
  bytes += "a.txt,"s + kind + ",1,D:\\x\r\n";        // the file itself
  MakeFile(c + "/nul.csv", bytes);
  EXPECT_EQ(Listed({}, c + "/nul.csv"), (std::vector<std::string>{"a.txt"}));
  vek::ScanFilter filter({});
  EXPECT_FALSE(filter.FileExistsAt("D:\\x", "a.txt\0"s));
  EXPECT_TRUE(filter.FileExistsAt("D:\\x", "a.txt"));
}

TEST_F(Sandbox, EmptyAndHeaderOnlyFilesListNothing) {
  MakeFile(c + "/empty.csv", "");
  MakeFile(c + "/header.csv", plat::text::Utf8ToCp949("파일명,종류\r\n"));
  EXPECT_TRUE(Listed({}, c + "/empty.csv").empty());
  EXPECT_TRUE(Listed({}, c + "/header.csv").empty());
}

TEST_F(Sandbox, WindowLoadsIntoTheGridAndKeepsTheTickColumnNull) {
  Touch("D:\\자료\\a.xls");
  Touch("D:\\자료\\b.xls");
  const std::string file = WriteResult({"a.xls,주민등록번호,12,D:\\자료", "b.xls, 계좌번호, 7 ,D:\\자료"});
  TForm1 form;
  form.p_file->setText(Q(file));
  form.ReadAndInsert();
  ASSERT_EQ(form.Mgr_grid->RowCount(), 2);
  EXPECT_EQ(form.Mgr_grid->Cells(1, 1).AsString(), "b.xls");
  EXPECT_EQ(form.Mgr_grid->Cells(2, 1).AsString(), "계좌번호");
  EXPECT_EQ(form.Mgr_grid->Cells(3, 1).AsString(), "7 ");
  EXPECT_EQ(form.Mgr_grid->Cells(4, 0).AsString(), "D:\\자료");
  EXPECT_TRUE(form.Mgr_grid->Cells(0, 0).IsNull());
  EXPECT_FALSE(form.msg->isVisible());
  // A later load replaces the rows; the filters are read afresh.
  form.ed1->setText(Q("계좌"));
  form.ReadAndInsert();
  EXPECT_EQ(form.Mgr_grid->RowCount(), 1);
}

TEST_F(Sandbox, MissingFileRaisesTheOpenErrorAndHidesTheNotice) {
  TForm1 form;
  form.Mgr_grid->AppendRow(false, false, false);
  form.p_file->setText(Q(c + "/none.csv"));
  try {
    form.ReadAndInsert();
    FAIL() << "no error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + c + "/none.csv\". ", 0), 0u) << e.what();
  }
  EXPECT_EQ(form.Mgr_grid->RowCount(), 0);
  EXPECT_FALSE(form.msg->isVisible());
}

TEST_F(Sandbox, ButtonsChooseAndReload) {
  Touch("D:\\자료\\a.xls");
  const std::string file = WriteResult({"a.xls,주민등록번호,12,D:\\자료"});
  TForm1 form;
  form.Context().ProgramDir = c;
  plat::ui::ScriptedDialogs dialogs;
  form.BitBtn5Click(&form);  // nothing chosen yet
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_EQ(dialogs.History()[0].Text, "화일이 선택되지 않았습니다.");
  dialogs.QueueFile(std::nullopt);
  form.BitBtn2Click(&form);  // cancelled: nothing changes
  EXPECT_TRUE(form.p_file->text().isEmpty());
  dialogs.QueueFile(file);
  form.BitBtn2Click(&form);
  EXPECT_EQ(S(form.p_file->text()), file);
  EXPECT_EQ(form.Mgr_grid->RowCount(), 1);
  ASSERT_FALSE(dialogs.OpenRequests().empty());
  EXPECT_EQ(dialogs.OpenRequests().back().FilterLabel, "CSV파일(*.csv)");
  EXPECT_EQ(dialogs.OpenRequests().back().FilterPattern, "*.csv");
  EXPECT_FALSE(Exists(c + "/Resort.ini"));  // a chosen file is not remembered
}

}  // namespace

namespace {

TEST_F(Sandbox, AServersScanNamingEachFileOnSeveralLinesListsEveryLineAndSortsByTitleClick) {
  for (const char* f : {"D:\\공유\\나.hwp", "D:\\공유\\가.hwp", "D:\\공유\\b.xls", "D:\\개인\\가.hwp"})
    Touch(f);
  // Three lines per file in a row, one file named again further down, a missing file among them, and a file
  // of the same name in another folder.
  std::vector<std::string> lines;
  for (const char* name : {"나.hwp", "가.hwp", "없음.hwp", "b.xls"})
    for (int k = 1; k <= 3; ++k)
      lines.push_back(std::string(name) + ",주민등록번호," + std::to_string(k) + ",D:\\공유");
  lines.push_back("가.hwp,계좌번호,4,D:\\공유");
  lines.push_back("가.hwp,계좌번호,5,D:\\개인");
  TForm1 form;
  form.resize(1156, 706);
  form.p_file->setText(Q(WriteResult(lines)));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.ReadAndInsert();
  ASSERT_EQ(form.Mgr_grid->RowCount(), 11);
  EXPECT_EQ(S(form.CountLine->text()), "목록 11건 · 체크 0건");
  const auto rows = [&] {
    std::vector<std::string> r;
    for (int i = 0; i < form.Mgr_grid->RowCount(); ++i)
      r.push_back(form.Mgr_grid->Cells(1, i).AsString() + form.Mgr_grid->Cells(3, i).AsString());
    return r;
  };
  // A click on the name's title: 가나다 order, then Latin; the lines of one name in the order of the file.
  const TRect title = form.Mgr_grid->Model().Extents().HeaderCellRect(TForm1::kNameColumn);
  const QPoint at(title.Left + title.Width() / 2, title.Top + title.Height() / 2);
  QTest::mouseClick(form.Mgr_grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(rows(),
            (std::vector<std::string>{"가.hwp1", "가.hwp2", "가.hwp3", "가.hwp4", "가.hwp5", "나.hwp1",
                                      "나.hwp2", "나.hwp3", "b.xls1", "b.xls2", "b.xls3"}));
  QTest::mouseClick(form.Mgr_grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(rows(), (std::vector<std::string>{"b.xls1", "b.xls2", "b.xls3", "나.hwp1", "나.hwp2", "나.hwp3",
                                              "가.hwp1", "가.hwp2", "가.hwp3", "가.hwp4", "가.hwp5"}));
  EXPECT_EQ(form.Mgr_grid->Cells(4, 10).AsString(), "D:\\개인");
  // The tick-all box ticks every line; the count line says so.
  form.cb_m->click();
  EXPECT_EQ(S(form.CountLine->text()), "목록 11건 · 체크 11건");
}

}  // namespace
