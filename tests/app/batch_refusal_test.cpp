// Rows whose batch line could reach a file the result file does not name are refused; the window's smaller
// faults a user meets (delete question, row numbers, open failures, settings file, Enter in the file field).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <sstream>

#include "app/batch_text.h"
#include "app/command_line.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "grid/structure/extents.h"
#include "platform/os/os.h"
#include "platform/paint/font.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"
#include "window_test.h"

using namespace apptest;

namespace {

TEST(UnsafePathReason, FoldersAndNamesThatNameTheListedFileAreAccepted) {
  const std::pair<std::string, std::string> ok[] = {
      {"D:\\자료\\2023", "a.xls"},
      {"d:/자료", "a.xls"},
      {"\\\\srv\\공유\\x", "b.txt"},
      {"/home/user/문서", "c.hwp"},
      {"\\자료", " lead blank.txt"},
      {"", "root.txt"},
      {"D:", "d.txt"},
      {"D:\\자료\\", "e.txt"},
      {"D:\\.hidden\\x.y", "con1.txt"},
      {"D:\\COM10", "LPT10.txt"},
      {"D:\\consoles", "nul_.txt"},
      {"D:\\a..b", "c..d.txt"},
  };
  for (const auto& [folder, name] : ok)
    EXPECT_EQ(vek::UnsafePathReason(folder, name), std::nullopt) << folder << "|" << name;
}

TEST(UnsafePathReason, EscapesRelativeFoldersWindowsNamesAndStreamsAreRefused) {
  const std::pair<std::string, std::string> refused[] = {
      {"D:\\자료\\..\\..\\비밀문서", "a.bat"},  // escapes the backup folder
      {"D:\\자료\\.", "a.txt"},
      {"..", "a.txt"},
      {"자료", "a.txt"},    // relative: checked here, acted on in the batch's folder
      {"D:자료", "a.txt"},  // relative to drive D's current folder
      {"1:\\x", "a.txt"},
      {"\\\\\\share", "a.txt"},   // UNC without a server
      {"D:\\자료", "뒤점.txt."},  // Windows drops the dot: names 뒤점.txt
      {"D:\\끝점.", "f.txt"},
      {"D:\\끝공백 ", "f.txt"},
      {"D:\\자료", "f.txt "},
      {"D:\\자료", "sub1\\같은.txt"},  // a separator inside the name
      {"D:\\자료", "sub/같은.txt"},
      {"D:\\자료", "CON"},
      {"D:\\자료", "con.txt"},
      {"D:\\자료", "LPT1.log"},
      {"D:\\Com9", "x.txt"},
      {"D:\\aux .x", "x.txt"},
      {"D:\\자료", "a.txt:secret"},  // an alternate data stream
      {"D:\\자료", "COM¹.txt"},      // Windows reads superscript digits as port numbers too
      {"D:\\자료", "LPT².txt"},
      {"D:\\자료", "lpt³"},
      {"D:\\COM0", "x.txt"},
      {"D:\\자료", "CONIN$"},
      {"D:\\자료", "conout$.txt"},
      {"D:\\CLOCK$", "x.txt"},
      {"D:\\자료", "clock$ .log"},
      {"D:\\자료", "LPT0.txt"},
      {"D:\\자료", ""},
      {"D:\\자료", "."},
  };
  for (const auto& [folder, name] : refused)
    EXPECT_NE(vek::UnsafePathReason(folder, name), std::nullopt) << folder << "|" << name;
}

TEST(DisplayPath, ControlCharactersAreShownEscaped) {
  EXPECT_EQ(vek::DisplayPath("a\tb\x07"
                             "c\r\n\x7F한"),
            "a\\tb\\x07c\\r\\n\\x7f한");
}

class Refusals : public WindowTest {
 protected:
  std::string Batch(const char* name) { return plat::text::Cp949ToUtf8(ReadBytes(c + "/" + name)); }
  // The first message that starts with a text, or empty.
  std::string Told(const std::string& start) {
    for (const auto& h : dialogs.History())
      if (h.Text.rfind(start, 0) == 0) return h.Text;
    return {};
  }
};

TEST_F(Refusals, TheWindowWritesNoLineForAFolderCutByItsCell) {
  // The folder cell holds 255 characters: a longer folder would be cut to another, existing folder.
  const std::string deep = "D:\\P\\" + std::string(300, 'x') + "\\sub";
  AddRow("f.txt", deep);
  AddRow("g.txt", "D:\\" + std::string(250, 'y'));  // fits its cell whole
  plat::os::ForceDirectories(d + "/" + std::string(250, 'y'));
  MakeFile(d + "/" + std::string(250, 'y') + "/g.txt");
  ASSERT_EQ(plat::text::Utf8Length(form.Mgr_grid->Cells(4, 0).AsString()), 255u);
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn6Click(&form);
  EXPECT_EQ(Batch("batchdel.bat"), "del \"D:\\" + std::string(250, 'y') + "\\g.txt\"\r\n");
  ASSERT_EQ(form.Mgr_grid->RowCount(), 1);
  EXPECT_EQ(form.Mgr_grid->Cells(1, 0).AsString(), "f.txt");
  EXPECT_NE(Told("1개 항목은").find("255자"), std::string::npos);
}

TEST_F(Refusals, TheWindowRefusesEscapesAndWindowsNamesAndNamesTheFiles) {
  AddRow("a.bat", "D:\\자료\\..\\..\\시작프로그램");
  AddRow("a.txt", "자료");
  AddRow("뒤점.txt.", "D:\\자료");
  AddRow("sub1\\같은.txt", "D:\\자료");
  AddRow("nul.txt", "D:\\자료");
  AddRow("tab\there.txt", "D:\\자료");
  AddRow("ok.txt", "D:\\자료");
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/ok.txt");
  dialogs.QueueAnswer(plat::ui::IDYES);
  form.BitBtn4Click(&form);
  EXPECT_EQ(Batch("batchmove.bat"),
            "md \"C:\\보안예비자료\\자료\"\r\nmove \"D:\\자료\\ok.txt\" \"C:\\보안예비자료\\자료\\.\"\r\n");
  EXPECT_EQ(form.Mgr_grid->RowCount(), 6);
  const std::string notice = Told("6개 항목은");
  // The notice names the files (control characters escaped), not row numbers that change as rows leave.
  EXPECT_NE(notice.find("D:\\자료\\..\\..\\시작프로그램\\a.bat"), std::string::npos) << notice;
  EXPECT_NE(notice.find("D:\\자료\\tab\\there.txt"), std::string::npos) << notice;
  EXPECT_EQ(notice.find('\t'), std::string::npos);
  EXPECT_EQ(notice.find("행:"), std::string::npos);
}

TEST_F(Refusals, TheCommandLineRefusesTheSameRowsAndACutBackupTarget) {
  const std::string longer = "D:\\" + std::string(254, 'L');  // mirrors to more than 255 characters
  for (const std::string& dir : {longer + "a", longer + "b", std::string("D:\\자료")})
    plat::os::ForceDirectories(plat::os::ResolvePath(dir));
  MakeFile(plat::os::ResolvePath(longer + "a\\x.txt"));
  MakeFile(plat::os::ResolvePath(longer + "b\\x.txt"));
  MakeFile(plat::os::ResolvePath("D:\\자료\\ok.txt"));
  MakeFile(plat::os::ResolvePath("D:\\자료\\a\x07.txt"));
  const std::string csv = "h\r\nx.txt,주민,1," + longer + "a\r\nx.txt,주민,1," + longer +
                          "b\r\nok.txt,주민,1,D:\\자료\r\n" + "a\x07.txt,주민,1,D:\\자료\r\n";
  MakeFile(c + "/r.csv", plat::text::Utf8ToCp949(csv));
  std::ostringstream out, err;
  EXPECT_EQ(vek::RunCommandLine({"--list", c + "/r.csv", "--move-batch", "c:\\m.bat"}, out, err), 3);
  EXPECT_EQ(plat::text::Cp949ToUtf8(ReadBytes(c + "/m.bat")),
            "md \"C:\\보안예비자료\\자료\"\r\nmove \"D:\\자료\\ok.txt\" \"C:\\보안예비자료\\자료\\.\"\r\n");
  EXPECT_NE(err.str().find("a\\x07.txt"), std::string::npos) << err.str();
  EXPECT_EQ(err.str().find('\x07'), std::string::npos);

  std::ostringstream o2, e2;
  MakeFile(c + "/up.csv", plat::text::Utf8ToCp949("h\r\nok.txt,주민,1,D:\\자료\\..\\자료\r\n"));
  EXPECT_EQ(vek::RunCommandLine({"--list", c + "/up.csv", "--delete-batch", "c:\\d.bat"}, o2, e2), 3);
  EXPECT_EQ(ReadBytes(c + "/d.bat"), "");
  EXPECT_NE(e2.str().find("left out of the batch"), std::string::npos);
}

TEST_F(Refusals, DeleteQuestionDefaultsToNoAndMoveQuestionStaysAsItWas) {
  AddRow("a.txt", "D:\\자료");
  form.BitBtn6Click(&form);  // the scripted box answers No
  ASSERT_FALSE(dialogs.History().empty());
  EXPECT_EQ(dialogs.History()[0].Flags,
            plat::ui::MB_YESNO | plat::ui::MB_ICONQUESTION | plat::ui::MB_DEFBUTTON2);
  form.BitBtn4Click(&form);
  EXPECT_EQ(dialogs.History()[1].Flags, plat::ui::MB_YESNO | plat::ui::MB_ICONQUESTION);
  EXPECT_EQ(form.Mgr_grid->RowCount(), 1);
}

TEST_F(Refusals, OpeningAMissingFileOrWithoutAProgramIsSaid) {
  std::vector<std::string> opened;
  bool desktopAnswers = false;
  plat::os::SetOpenHandler([&](const std::string& p) {
    opened.push_back(p);
    return desktopAnswers;
  });
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/a.txt");
  AddRow("gone.txt", "D:\\자료", false);
  AddRow("a.txt", "D:\\자료", false);
  form.Mgr_gridDblClick(&form);  // row 0: the file has gone
  EXPECT_TRUE(opened.empty());
  EXPECT_NE(Told("파일이 없습니다.").find("D:\\자료\\gone.txt"), std::string::npos);
  form.Mgr_grid->SetRow(1);
  form.Mgr_gridDblClick(&form);
  EXPECT_EQ(opened, std::vector<std::string>{d + "/자료/a.txt"});
  EXPECT_FALSE(Told("이 파일을 열 프로그램을 찾지 못했습니다.").empty());
  form.BitBtn1Click(&form);
  EXPECT_NE(Told("웹 브라우저를 열지 못했습니다.").find(TForm1::DownloadAddress()), std::string::npos);
  const std::size_t before = dialogs.History().size();
  desktopAnswers = true;
  form.Mgr_gridDblClick(&form);
  form.BitBtn1Click(&form);
  EXPECT_EQ(dialogs.History().size(), before);  // success says nothing
}

TEST_F(Refusals, ADroppedFileInAFolderTheSettingsFileCannotHoldIsStillLoaded) {
  const std::string folder = d + "/résumé";
  plat::os::ForceDirectories(folder);
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/a.txt");
  MakeFile(folder + "/r.csv", plat::text::Utf8ToCp949("h\r\na.txt,주민등록번호,3,D:\\자료\r\n"));
  form.IniWrite("FileUpLoad", "Dir", "C:\\before\\");
  form.WMDropFiles({folder + "/r.csv"});
  EXPECT_EQ(form.Mgr_grid->RowCount(), 1);
  EXPECT_EQ(form.IniRead("FileUpLoad", "Dir", ""), "C:\\before\\");  // still a valid CP949 file
  EXPECT_NE(Told("폴더 이름에 설정 파일(Resort.ini)").find("résumé"), std::string::npos);
}

TEST_F(Refusals, EnterInTheFileFieldLoadsIt) {
  plat::os::ForceDirectories(d + "/자료");
  MakeFile(d + "/자료/a.txt");
  MakeFile(c + "/r.csv", plat::text::Utf8ToCp949("h\r\na.txt,주민등록번호,3,D:\\자료\r\n"));
  form.p_file->setText(Q(c + "/r.csv"));
  QTest::keyClick(form.p_file, Qt::Key_Return);
  EXPECT_EQ(form.Mgr_grid->RowCount(), 1);
  form.p_file->clear();
  QTest::keyClick(form.p_file, Qt::Key_Enter);
  EXPECT_FALSE(Told("화일이 선택되지 않았습니다.").empty());
}

TEST_F(Refusals, TheIndicatorColumnWidensForLongRowNumbers) {
  const int start = form.Mgr_grid->Model().Indicators().Width();
  EXPECT_EQ(start, 21);
  for (int i = 0; i < 12000; ++i) form.Mgr_grid->AppendRow(true, false, false);
  form.FitIndicatorWidth();
  const int wide = form.Mgr_grid->Model().Indicators().Width();
  EXPECT_GT(wide, start);
  plat::paint::TFont font("Arial", 0);
  font.SetSize(8);
  EXPECT_GE(wide, font.QtMetrics().horizontalAdvance(QStringLiteral("12000")) + 4);
  // The tick-all box stays centred over column 0's title cell as the column moves.
  const auto boxCentredInTitle = [&] {
    const TRect title = form.Mgr_grid->Model().Extents().HeaderCellRect(0);
    const QPoint at = form.Mgr_grid->viewport()->mapTo(form.Panel3, QPoint(title.Left, title.Top));
    return std::abs(form.cb_m->geometry().center().x() - (at.x() + title.Width() / 2)) <= 1;
  };
  EXPECT_TRUE(boxCentredInTitle());
  form.Mgr_grid->ClearRows();
  form.FitIndicatorWidth();
  EXPECT_EQ(form.Mgr_grid->Model().Indicators().Width(), start);  // never narrower than the form's width
  EXPECT_TRUE(boxCentredInTitle());
}

}  // namespace
