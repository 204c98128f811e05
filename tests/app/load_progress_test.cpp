// The window's load as the user lives it: progress on the wait notice for a long load, Esc and Cancel
// keeping what was read, input held back meanwhile, the count line following ticks and removals, and
// files that are not result files at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <sstream>

#include "app/command_line.h"
#include "app/scan_load.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "grid/structure/extents.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

using namespace apptest;

namespace {

// A clock that moves on by a fixed step at every look, so a load of any size "takes" as long as the test
// wants; restored afterwards.
struct SteppingClock {
  std::int64_t now = 0;
  explicit SteppingClock(int stepMs) {
    plat::os::SetClockHandler([this, stepMs] { return now += stepMs; });
  }
  ~SteppingClock() { plat::os::SetClockHandler(nullptr); }
};

class WindowLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(box.dir.isValid());
    const std::string host = plat::os::ResolvePath("D:\\자료\\a.xls");
    plat::os::ForceDirectories(plat::os::ExtractFilePath(host));
    ASSERT_TRUE(MakeFile(host));
    form.Context().ProgramDir = box.c;
    form.show();
    QCoreApplication::processEvents();
  }
  // A result file of n lines that all name the one existing file (every one is listed).
  std::string WriteLines(int n, const std::string& extra = {}) {
    std::string text = plat::text::Utf8ToCp949("파일명,종류,건수,경로\r\n");
    const std::string line = plat::text::Utf8ToCp949("a.xls,주민등록번호,12,D:\\자료\r\n");
    text.reserve(text.size() + line.size() * std::size_t(n) + extra.size());
    for (int i = 0; i < n; ++i) text += line;
    text += extra;
    const std::string path = box.c + "/result.csv";
    EXPECT_TRUE(MakeFile(path, text));
    return path;
  }
  void Load(const std::string& path) {
    form.p_file->setText(Q(path));
    form.ReadAndInsert();
  }
  std::string CountLine() const { return S(form.CountLine->text()); }

  DriveSandbox box;
  plat::ui::ScriptedDialogs dialogs;
  TForm1 form;
};

TEST_F(WindowLoad, LongLoadReportsProgressWithTheRowsSoFarShown) {
  const int lines = 30000;
  const std::string path = WriteLines(lines);
  SteppingClock clock(TForm1::kProgressEveryMs);
  std::vector<vek::TLoadCounts> reports;
  std::vector<std::string> notices;
  form.OnLoadProgress = [&](const vek::TLoadCounts& c) {
    reports.push_back(c);
    EXPECT_TRUE(form.msg->isVisible());
    EXPECT_TRUE(form.msgCancel->isVisible());
    notices.push_back(S(form.msg->text()));
    EXPECT_EQ(CountLine(), "목록 " + vek::GroupedNumber(c.Listed) + "건 · 체크 0건");
    // The rows read so far are in the grid, and its scroll range already covers them.
    EXPECT_EQ(form.Mgr_grid->RowCount(), c.Listed);
    EXPECT_GT(form.Mgr_grid->verticalScrollBar()->maximum(), 0);
  };
  Load(path);
  ASSERT_GE(reports.size(), 2u);
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const vek::TLoadCounts& c = reports[i];
    EXPECT_GT(c.LinesRead, i == 0 ? 0u : reports[i - 1].LinesRead);
    EXPECT_LT(c.LinesRead, std::size_t(lines));
    EXPECT_EQ(c.BytesTotal, plat::os::ReadFileBytes(path).size());
    EXPECT_EQ(notices[i], "잠시만 기다려주세요 \n" + vek::ProgressText(c));
  }
  EXPECT_EQ(form.Mgr_grid->RowCount(), lines);
  EXPECT_FALSE(form.LastLoad.CutShort);
  EXPECT_FALSE(form.msg->isVisible());
  EXPECT_FALSE(form.msgCancel->isVisible());
  EXPECT_EQ(S(form.msg->text()), "잠시만 기다려주세요 ");  // the notice is plain again for the next wait
  EXPECT_TRUE(dialogs.History().empty());
  EXPECT_EQ(CountLine(), "목록 30,000건 · 체크 0건");
}

TEST_F(WindowLoad, QuickLoadShowsNoProgress) {
  const std::string path = WriteLines(5000);
  SteppingClock clock(0);
  int reports = 0;
  form.OnLoadProgress = [&](const vek::TLoadCounts&) { ++reports; };
  Load(path);
  EXPECT_EQ(reports, 0);
  EXPECT_EQ(form.Mgr_grid->RowCount(), 5000);
}

TEST_F(WindowLoad, EscStopsTheLoadKeepsTheRowsAndSaysSo) {
  const std::string path = WriteLines(30000);
  SteppingClock clock(TForm1::kProgressEveryMs);
  int reports = 0;
  vek::TLoadCounts atEsc;
  form.OnLoadProgress = [&](const vek::TLoadCounts& c) {
    if (++reports != 2) return;
    atEsc = c;
    // Pressed while the load runs: it arrives with the window's pending events.
    QCoreApplication::postEvent(form.Mgr_grid,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  };
  Load(path);
  EXPECT_EQ(reports, 2);
  ASSERT_GT(atEsc.Listed, 0);
  EXPECT_EQ(form.Mgr_grid->RowCount(), atEsc.Listed);
  EXPECT_TRUE(form.LastLoad.CutShort);
  EXPECT_EQ(form.LastLoad.LinesRead, atEsc.LinesRead);
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_EQ(dialogs.History()[0].Text, vek::LoadNoticeText(form.LastLoad));
  EXPECT_NE(dialogs.History()[0].Text.find(vek::GroupedNumber(atEsc.Listed) + "건"), std::string::npos);
  EXPECT_EQ(CountLine(), "목록 " + vek::GroupedNumber(atEsc.Listed) + "건 · 체크 0건 · 읽기 중단됨");
  EXPECT_FALSE(form.msg->isVisible());
  // The rows kept are whole rows of the file.
  EXPECT_EQ(form.Mgr_grid->Cells(4, atEsc.Listed - 1).AsString(), "D:\\자료");
  // A later load is whole again.
  form.OnLoadProgress = nullptr;
  Load(path);
  EXPECT_EQ(form.Mgr_grid->RowCount(), 30000);
  EXPECT_EQ(CountLine(), "목록 30,000건 · 체크 0건");
}

TEST_F(WindowLoad, CancelButtonStopsTheLoadAndOtherInputIsHeldBack) {
  const std::string path = WriteLines(30000);
  SteppingClock clock(TForm1::kProgressEveryMs);
  int reports = 0, rowsAtClick = 0;
  form.OnLoadProgress = [&](const vek::TLoadCounts& c) {
    ++reports;
    if (reports == 1) {
      // A click on "해당자료 화면제거" and a reload in the middle of the load do nothing.
      rowsAtClick = form.Mgr_grid->RowCount();
      QTest::mouseClick(form.BitBtn7, Qt::LeftButton);
      QTest::mouseClick(form.BitBtn5, Qt::LeftButton);
      EXPECT_EQ(form.Mgr_grid->RowCount(), rowsAtClick);
      EXPECT_EQ(reports, 1);  // no load inside the load
    }
    if (reports == 3) QTest::mouseClick(form.msgCancel, Qt::LeftButton);
  };
  Load(path);
  EXPECT_EQ(reports, 3);
  EXPECT_TRUE(form.LastLoad.CutShort);
  EXPECT_LT(form.Mgr_grid->RowCount(), 30000);
  EXPECT_GT(form.Mgr_grid->RowCount(), rowsAtClick);
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_EQ(dialogs.History()[0].Text.rfind("읽기를 중단했습니다.", 0), 0u);
}

TEST_F(WindowLoad, ClosingTheWindowStopsTheLoadWithoutAQuestionAfterwards) {
  const std::string path = WriteLines(30000);
  SteppingClock clock(TForm1::kProgressEveryMs);
  int reports = 0;
  form.OnLoadProgress = [&](const vek::TLoadCounts&) {
    if (++reports == 1) form.close();
  };
  Load(path);
  EXPECT_EQ(reports, 1);
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(form.LastLoad.CutShort);
  EXPECT_LT(form.Mgr_grid->RowCount(), 30000);
  EXPECT_TRUE(dialogs.History().empty());  // no notice for a window that is gone
}

TEST_F(WindowLoad, CountLineFollowsTicksAndRemovals) {
  Load(WriteLines(5));
  EXPECT_EQ(CountLine(), "목록 5건 · 체크 0건");
  EXPECT_EQ(form.StatusBar1->SimpleText(), "원하는 EXE 화일을 Drag 하세요");
  form.Mgr_grid->SetCol(0);
  form.Mgr_grid->SetRow(2);
  form.Mgr_gridClick(form.Mgr_grid);
  EXPECT_EQ(CountLine(), "목록 5건 · 체크 1건");
  form.cb_m->setChecked(true);
  form.cb_mClick(form.cb_m);
  EXPECT_EQ(CountLine(), "목록 5건 · 체크 5건");
  form.Mgr_gridClick(form.Mgr_grid);  // row 2 unticked again
  EXPECT_EQ(CountLine(), "목록 5건 · 체크 4건");
  // Row 2 (unticked) and then a ticked row leave the list; the count follows at the grid's next paint.
  form.BitBtn7Click(form.BitBtn7);
  form.Mgr_grid->viewport()->repaint();
  EXPECT_EQ(CountLine(), "목록 4건 · 체크 4건");
  form.Mgr_grid->SetRow(0);
  form.BitBtn7Click(form.BitBtn7);
  form.Mgr_grid->viewport()->repaint();
  EXPECT_EQ(CountLine(), "목록 3건 · 체크 3건");
}

// A reload lists the rows in the file's order again: the title's sort arrow goes, and the next click on that
// title sorts ascending, as a first click does.
TEST_F(WindowLoad, AReloadClearsTheSortArrow) {
  Load(WriteLines(3));
  const TRect hits = form.Mgr_grid->Model().Extents().HeaderCellRect(3);
  const QPoint at(hits.Left + hits.Width() / 2, hits.Top + hits.Height() / 2);
  QTest::mouseClick(form.Mgr_grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  ASSERT_EQ(form.Mgr_grid->Column(3)->Title().SortMark(), wsmAsc);
  QTest::mouseClick(form.BitBtn5, Qt::LeftButton);  // 재조회
  EXPECT_EQ(form.Mgr_grid->RowCount(), 3);
  EXPECT_EQ(form.Mgr_grid->Column(3)->Title().SortMark(), wsmNone);
  QTest::mouseClick(form.Mgr_grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(form.Mgr_grid->Column(3)->Title().SortMark(), wsmAsc);
}

TEST_F(WindowLoad, RowsAddedInBlocksMatchRowsAppendedOneByOne) {
  // Between two steps the grid holds exactly the kept rows; with a column default the rows still get it.
  std::string extra;
  for (int i = 0; i < 700; ++i)
    extra +=
        plat::text::Utf8ToCp949(i % 3 == 0 ? "gone.xls,주민,1,D:\\자료\r\n" : "a.xls,계좌,1,D:\\자료\r\n");
  const std::string bytes = plat::os::ReadFileBytes(WriteLines(0, extra));
  for (const bool withDefault : {false, true}) {
    form.Mgr_grid->ClearRows();
    form.Mgr_grid->Column(0)->SetDefaults(withDefault ? "True" : "");
    vek::TItemFields fields;
    vek::ScanFilterSettings settings;
    vek::TGridLoad load(*form.Mgr_grid, bytes, settings, fields);
    int expected = 0;
    std::size_t lines = 0;
    while (true) {
      const bool more = load.Step(100);
      lines = std::min<std::size_t>(lines + 100, 700);
      expected = int(lines - (lines + 2) / 3);  // every third line names a file that is gone
      ASSERT_EQ(form.Mgr_grid->RowCount(), expected);
      ASSERT_EQ(load.Counts().Listed, expected);
      if (!more) break;
    }
    EXPECT_EQ(expected, 466);
    EXPECT_EQ(form.Mgr_grid->Cells(2, expected - 1).AsString(), "계좌");
    EXPECT_EQ(form.Mgr_grid->Cells(0, expected - 1).IsNull(), !withDefault);
    EXPECT_TRUE(form.Mgr_grid->CheckConsistency());
  }
  form.Mgr_grid->Column(0)->SetDefaults("");
}

TEST_F(WindowLoad, FileOfRandomBytesSaysHowManyLinesWereUnreadable) {
  std::string junk = "\x8e\x4f\xff\x00\x12\r\n";
  std::string bytes;
  for (int i = 0; i < 40; ++i) bytes += junk + "\xff\xfe\xfd" + std::to_string(i) + "\n";
  MakeFile(box.c + "/random.bin", bytes);
  Load(box.c + "/random.bin");
  EXPECT_EQ(form.Mgr_grid->RowCount(), 0);
  ASSERT_GT(form.LastLoad.Unreadable, 0);
  const std::string n = vek::GroupedNumber(form.LastLoad.Unreadable);
  EXPECT_EQ(CountLine(), "목록 0건 · 체크 0건 · 읽을 수 없는 줄 " + n + "개 건너뜀");
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_NE(dialogs.History()[0].Text.find("읽을 수 없는 줄 " + n + "개"), std::string::npos);
  // A good file afterwards clears the word about the bad one.
  Load(WriteLines(2));
  EXPECT_EQ(CountLine(), "목록 2건 · 체크 0건");
  EXPECT_EQ(dialogs.History().size(), 1u);
}

TEST_F(WindowLoad, SomeUnreadableLinesAmongGoodOnesAreCountedWithoutAMessage) {
  Load(WriteLines(3, "\xff\xff,x\r\n\x80\r\n"));
  EXPECT_EQ(form.Mgr_grid->RowCount(), 3);
  EXPECT_EQ(form.LastLoad.Unreadable, 2);
  EXPECT_EQ(CountLine(), "목록 3건 · 체크 0건 · 읽을 수 없는 줄 2개 건너뜀");
  EXPECT_TRUE(dialogs.History().empty());
}

TEST_F(WindowLoad, PipeOrFolderAsResultFileIsRefusedWithAClearMessage) {
  const std::string fifo = box.c + "/pipe.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, box.c}) {
    form.p_file->setText(Q(path));
    try {
      form.ReadAndInsert();
      ADD_FAILURE() << "no error for " << path;
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + path + "\". It is ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(form.msg->isVisible());
  }
}

TEST(CommandLineLoad, RefusesNonRegularFilesAndCountsUnreadableLines) {
  DriveSandbox box;
  std::ostringstream out, err;
  EXPECT_EQ(vek::RunCommandLine({"--list", "/dev/zero"}, out, err), 1);
  EXPECT_EQ(
      err.str(),
      "VekSecurity: Cannot open file \"/dev/zero\". It is not a regular file (a device, pipe or socket).\n");
  EXPECT_TRUE(out.str().empty());

  const std::string host = plat::os::ResolvePath("D:\\x\\a");
  plat::os::ForceDirectories(plat::os::ExtractFilePath(host));
  ASSERT_TRUE(MakeFile(host));
  MakeFile(box.c + "/r.csv",
           "h\r\n\xff\xff\r\na," + plat::text::Utf8ToCp949("주민") + ",1,D:\\x\r\n\x80\r\n");
  std::ostringstream out2, err2;
  EXPECT_EQ(vek::RunCommandLine({"--list", box.c + "/r.csv"}, out2, err2), 0);
  EXPECT_EQ(out2.str(), "a,주민,1,D:\\x\n");
  EXPECT_EQ(err2.str(), "VekSecurity: 2 lines skipped as unreadable (not valid CP949 text)\n");
}

}  // namespace
