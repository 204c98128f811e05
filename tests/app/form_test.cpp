// The main window: controls and captions, grid columns, backup folder, settings file, dropped files,
// message boxes, the wait notice and the clean-up on close.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "grid/structure/extents.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

namespace ui = plat::ui;
using namespace apptest;

namespace {

// A window that records each load instead of loading.
class RecordingForm : public TForm1 {
 public:
  std::vector<std::string> loads;
  void ReadAndInsert() override { loads.push_back(S(p_file->text())); }
};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    root = S(tmp.path());
    ASSERT_TRUE(QDir().mkpath(Q(root + "/c")));
    ASSERT_TRUE(QDir().mkpath(Q(root + "/prog")));
    driveC.emplace("VEKSECURITY_DRIVE_C", root + "/c");
    driveD.emplace("VEKSECURITY_DRIVE_D", root + "/d");  // drive D's folder does not exist
    form = std::make_unique<RecordingForm>();
    form->Context().ProgramDir = root + "/prog";
  }
  void TearDown() override {
    if (form) form->hide();
    form.reset();
  }

  // Sends a drag of local files into the window and drops them, as the desktop would.
  void Drop(const std::vector<std::string>& files) {
    QList<QUrl> urls;
    for (const std::string& f : files) urls << QUrl::fromLocalFile(Q(f));
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(500, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(500, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
  }

  std::string IniBytes() { return ReadBytes(root + "/prog/Resort.ini"); }

  QTemporaryDir tmp;
  std::string root;
  std::optional<EnvVar> driveC, driveD;
  ui::ScriptedDialogs dialogs;
  std::unique_ptr<RecordingForm> form;
};

}  // namespace

// --- controls
// ------------------------------------------------------------------------------------------------

TEST_F(FormTest, EveryControlHasItsNameAndCaption) {
  EXPECT_EQ(S(form->windowTitle()), "정보보안문서 관리기 1.0");
  const struct {
    const char* name;
    const char* caption;
  } buttons[] = {{"BitBtn1", "1.보안점검"},
                 {"BitBtn2", "2.결과화일선택"},
                 {"BitBtn5", "재조회"},
                 {"BitBtn6", "해당자료 삭제"},
                 {"BitBtn7", "해당자료 화면제거"}};
  for (const auto& b : buttons) {
    auto* w = form->findChild<QPushButton*>(b.name);
    ASSERT_NE(w, nullptr) << b.name;
    EXPECT_EQ(S(w->text()), b.caption) << b.name;
  }
  ASSERT_NE(form->findChild<QPushButton*>("BitBtn4"), nullptr);

  const struct {
    const char* name;
    const char* caption;
  } labels[] = {{"Label3", "저장위치"},
                {"Label1", "조건(포함)"},
                {"Label2", "제외자료"},
                {"msg", "잠시만 기다려주세요 "}};
  for (const auto& l : labels) {
    auto* w = form->findChild<QLabel*>(l.name);
    ASSERT_NE(w, nullptr) << l.name;
    EXPECT_EQ(S(w->text()), l.caption) << l.name;
  }

  auto* rb1 = form->findChild<QRadioButton*>("RB1");
  auto* rb2 = form->findChild<QRadioButton*>("RB2");
  ASSERT_TRUE(rb1 && rb2);
  EXPECT_EQ(S(rb1->text()), "C:\\보안예비자료");
  EXPECT_EQ(S(rb2->text()), "D:\\보안예비자료");
  EXPECT_TRUE(rb1->isChecked());
  EXPECT_FALSE(rb2->isChecked());

  const struct {
    const char* name;
    const char* caption;
    bool checked;
  } boxes[] = {{"cb1", "개인정보", true},
               {"cb3", "10건이상", false},
               {"cb4", "100건이상", false},
               {"cb_m", "", false}};
  for (const auto& c : boxes) {
    auto* w = form->findChild<QCheckBox*>(c.name);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(S(w->text()), c.caption) << c.name;
    EXPECT_EQ(w->isChecked(), c.checked) << c.name;
  }

  for (const char* name : {"p_file", "ed1", "ed2", "ed3", "ed4", "ed5", "ed6"}) {
    auto* e = form->findChild<QLineEdit*>(name);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_TRUE(e->text().isEmpty()) << name;
    if (name[0] == 'e') {
      EXPECT_EQ(e->width(), 103) << name;
    }
  }
  for (const char* name : {"Panel1", "Panel4", "Panel3", "Panel2"})
    EXPECT_NE(form->findChild<QFrame*>(name), nullptr) << name;
  EXPECT_EQ(form->findChild<TMemGrid*>("Mgr_grid"), form->Mgr_grid);
  auto* memo = form->findChild<QPlainTextEdit*>("Memo1");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
  auto* status = form->findChild<TStatusBar*>("StatusBar1");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->SimpleText(), "원하는 EXE 화일을 Drag 하세요");

  // Which strip holds which control.
  EXPECT_EQ(form->BitBtn1->parentWidget(), form->Panel1);
  EXPECT_EQ(form->p_file->parentWidget(), form->Panel1);
  EXPECT_EQ(form->BitBtn5->parentWidget(), form->Panel1);
  EXPECT_EQ(form->RB2->parentWidget(), form->Panel4);
  EXPECT_EQ(form->ed6->parentWidget(), form->Panel4);
  EXPECT_TRUE(form->Panel3->isAncestorOf(form->Mgr_grid));  // with the preview pane's splitter between
  EXPECT_EQ(form->cb_m->parentWidget(), form->Panel3);
  EXPECT_EQ(form->msg->parentWidget(), form->Panel3);
  EXPECT_EQ(form->BitBtn4->parentWidget(), form->Panel2);
  EXPECT_EQ(form->BitBtn7->parentWidget(), form->Panel2);
}

TEST_F(FormTest, LayoutFontsAndHiddenControlsWhenShown) {
  form->show();
  QCoreApplication::processEvents();
  // Top to bottom: file row, settings, grid, buttons, status bar.
  const auto top = [&](QWidget* w) { return w->mapTo(form.get(), QPoint(0, 0)).y(); };
  EXPECT_LT(top(form->Panel1), top(form->Panel4));
  EXPECT_LT(top(form->Panel4), top(form->Panel3));
  EXPECT_LT(top(form->Panel3), top(form->Panel2));
  EXPECT_LT(top(form->Panel2), top(form->StatusBar1));
  EXPECT_EQ(form->Panel1->height(), 39);
  EXPECT_EQ(form->Panel4->height(), 72);
  EXPECT_EQ(form->Panel2->height(), 39);
  EXPECT_EQ(form->width(), 1156);
  EXPECT_EQ(form->height(), 706);
  // The upper row of the settings holds the backup choice, the lower the filters.
  EXPECT_LT(top(form->RB1), top(form->cb1));
  EXPECT_EQ(top(form->RB1), top(form->RB2));
  EXPECT_LT(form->ed1->x(), form->ed2->x());
  EXPECT_LT(form->ed5->x(), form->ed6->x());
  EXPECT_GT(form->BitBtn5->x(), form->p_file->x() + form->p_file->width() - 1);

  EXPECT_EQ(form->font().pointSize(), 8);
  EXPECT_EQ(form->Panel4->font().pointSize(), 9);
  EXPECT_EQ(form->BitBtn6->font().pointSize(), 9);
  EXPECT_TRUE(form->BitBtn6->font().bold());
  EXPECT_EQ(form->msg->font().pointSize(), 20);
  EXPECT_TRUE(form->msg->font().bold());
  EXPECT_EQ(form->msg->palette().color(QPalette::Window), QColor(0, 255, 255));
  EXPECT_EQ(form->msg->palette().color(QPalette::WindowText), QColor(255, 0, 255));
  EXPECT_EQ(form->msg->size(), QSize(425, 81));

  EXPECT_FALSE(form->msg->isVisible());
  EXPECT_FALSE(form->Memo1->isVisible());
  EXPECT_TRUE(form->cb_m->isVisible());
  // cb_m sits inside the title cell of the grid's first column, as the grid lays it out.
  const TRect title = form->Mgr_grid->Model().Extents().HeaderCellRect(0);
  const QRect cell(form->Mgr_grid->viewport()->mapTo(form->Panel3, QPoint(title.Left, title.Top)),
                   QSize(title.Width(), title.Height()));
  EXPECT_TRUE(cell.contains(form->cb_m->geometry())) << cell.x() << "," << cell.y();
}

TEST_F(FormTest, WaitNoticeIsCentredOverTheGrid) {
  form->show();
  QCoreApplication::processEvents();
  form->ShowWait();
  EXPECT_TRUE(form->msg->isVisible());
  const QRect grid(form->Mgr_grid->mapTo(form->Panel3, QPoint(0, 0)), form->Mgr_grid->size());
  const QPoint d = form->msg->geometry().center() - grid.center();
  EXPECT_LE(std::abs(d.x()), 1);
  EXPECT_LE(std::abs(d.y()), 1);
  form->HideWait();
  EXPECT_FALSE(form->msg->isVisible());
}

TEST_F(FormTest, GridHasItsFiveColumns) {
  TMemGrid* g = form->Mgr_grid;
  ASSERT_EQ(g->ColumnCount(), 5);
  const struct {
    const char* title;
    TwDataType type;
    int dataWidth;
    int width;
    TwAlignment alignment;
  } cols[] = {{"C", wdtBool, 1, 26, taCenter},
              {"파일명", wdtString, 255, 232, taLeftJustify},
              {"내용", wdtString, 255, 295, taLeftJustify},
              {"수량", wdtString, 255, 37, taCenter},
              {"경로", wdtString, 255, 1077, taLeftJustify}};
  for (int i = 0; i < 5; ++i) {
    TwMemColumn* c = g->Column(i);
    EXPECT_EQ(c->Title().Caption(), cols[i].title) << i;
    EXPECT_EQ(c->DataType(), cols[i].type) << i;
    EXPECT_EQ(c->DataWidthSetting(), cols[i].dataWidth) << i;
    EXPECT_EQ(c->ColWidth(), cols[i].width) << i;
    EXPECT_EQ(c->Alignment(), cols[i].alignment) << i;
    EXPECT_EQ(c->Color(), 0xC0DCC0u) << i;
  }
  // The stored form's options, and the window's own: several rows selected, columns sized by mouse.
  const TwGridOptions expected{wgoArrowMove, wgoConfirmDelete, wgoEnterToTab,  wgoFocusRect,
                               wgoRowSelect, wgoRowSizing,     wgoMultiSelect, wgoColSizing};
  EXPECT_EQ(g->Options(), expected);
  EXPECT_FALSE(g->HasOption(wgoEditing));
  EXPECT_EQ(g->Model().RowHeight(), 21);
  EXPECT_EQ(g->RowCount(), 0);
  // The tick column reads false for a new row; the text columns take 255 characters.
  g->AppendRow(true, false, false);
  EXPECT_FALSE(g->Cells(0, 0).AsBoolean());
  g->Cells(1, 0).SetAsString(std::string(300, 'a'));
  EXPECT_EQ(g->Cells(1, 0).AsString().size(), 255u);
}

// --- start-up and backup folder ---------------------------------------------------------------------------

TEST_F(FormTest, CreateSetsProgramDirAndDropTarget) {
  RecordingForm other;
  EXPECT_EQ(other.Context().ProgramDir, S(QCoreApplication::applicationDirPath()));
  EXPECT_TRUE(other.acceptDrops());
  EXPECT_TRUE(other.p_file->text().isEmpty());
  // The open dialog starts in drive C's folder.
  EXPECT_EQ(QFileInfo(Q(other.o_dialog.InitialDir)).canonicalFilePath(),
            QFileInfo(Q(root + "/c")).canonicalFilePath());
}

TEST_F(FormTest, ShowChoosesDriveCAndCreatesItsFolder) {
  EXPECT_FALSE(Exists(root + "/c/보안예비자료"));
  form->show();
  EXPECT_EQ(S(form->BitBtn4->text()), "\"C:\\보안예비자료\"로 이동");
  EXPECT_EQ(form->Context().BackupDir, "C:\\보안예비자료");
  EXPECT_TRUE(QFileInfo(Q(root + "/c/보안예비자료")).isDir());
}

TEST_F(FormTest, DriveDCaptionEvenWithoutItsFolder) {
  form->show();
  form->RB2->click();
  EXPECT_EQ(S(form->BitBtn4->text()), "\"D:\\보안예비자료\"로 이동");
  EXPECT_EQ(form->Context().BackupDir, "D:\\보안예비자료");
  EXPECT_FALSE(Exists(root + "/d"));  // one level only: the drive's folder is not made
  EXPECT_TRUE(dialogs.History().empty());

  form->RB1->click();
  EXPECT_EQ(S(form->BitBtn4->text()), "\"C:\\보안예비자료\"로 이동");
  EXPECT_EQ(form->Context().BackupDir, "C:\\보안예비자료");
}

TEST_F(FormTest, BackupFolderIsCreatedOneLevelOnly) {
  EnvVar missingC("VEKSECURITY_DRIVE_C", root + "/nodrive/c");
  form->RB1Click(form->RB1);
  EXPECT_EQ(S(form->BitBtn4->text()), "\"C:\\보안예비자료\"로 이동");
  EXPECT_FALSE(Exists(root + "/nodrive"));
  // An existing folder is no error either.
  EnvVar c("VEKSECURITY_DRIVE_C", root + "/c");
  form->RB1Click(form->RB1);
  form->RB1Click(form->RB1);
  EXPECT_TRUE(QFileInfo(Q(root + "/c/보안예비자료")).isDir());
  EXPECT_TRUE(dialogs.History().empty());
}

// --- settings file
// ------------------------------------------------------------------------------------------

TEST_F(FormTest, IniWriteAndReadUseResortIniBesideTheProgram) {
  EXPECT_EQ(form->IniRead("FileUpLoad", "Dir", "none"), "none");
  form->IniWrite("FileUpLoad", "Dir", "D:\\자료\\");
  EXPECT_EQ(form->IniRead("FileUpLoad", "Dir", "none"), "D:\\자료\\");
  EXPECT_EQ(IniBytes(), "[FileUpLoad]\r\n" + plat::text::Utf8ToCp949("Dir=D:\\자료\\") + "\r\n");
  form->IniWrite("FileUpLoad", "Dir", "x");
  EXPECT_EQ(IniBytes(), "[FileUpLoad]\r\nDir=x\r\n");
}

TEST_F(FormTest, IniWriteToAnUnwritableFolderRaises) {
  ASSERT_TRUE(MakeFile(root + "/plain.txt"));
  form->Context().ProgramDir = root + "/plain.txt";
  try {
    form->IniWrite("FileUpLoad", "Dir", "x");
    FAIL() << "no error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Unable to write to ", 0), 0u) << e.what();
    EXPECT_NE(std::string(e.what()).find("Resort.ini"), std::string::npos) << e.what();
  }
}

// --- dropped files
// --------------------------------------------------------------------------------------------

TEST_F(FormTest, DragOfFilesIsAcceptedAndOfTextIsNot) {
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(Q(root + "/a.csv"))});
  QDragEnterEvent withFiles(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  withFiles.setAccepted(false);
  QCoreApplication::sendEvent(form.get(), &withFiles);
  EXPECT_TRUE(withFiles.isAccepted());

  QMimeData text;
  text.setText("hello");
  QDragEnterEvent withText(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  withText.setAccepted(false);
  QCoreApplication::sendEvent(form.get(), &withText);
  EXPECT_FALSE(withText.isAccepted());
  // The file field leaves dropped files to the window.
  EXPECT_FALSE(form->p_file->acceptDrops());
}

TEST_F(FormTest, DropOfThreeFilesLoadsTheFirstAndRecordsItsFolder) {
  const std::string dir = root + "/결과 2023";
  ASSERT_TRUE(QDir().mkpath(Q(dir)));
  const std::vector<std::string> files = {dir + "/첫째.csv", root + "/c/second.csv", root + "/c/third.csv"};
  for (const std::string& f : files) ASSERT_TRUE(MakeFile(f));

  Drop(files);
  EXPECT_EQ(S(form->p_file->text()), files[0]);
  ASSERT_EQ(form->loads.size(), 1u);
  EXPECT_EQ(form->loads[0], files[0]);
  EXPECT_EQ(IniBytes(), "[FileUpLoad]\r\n" + plat::text::Utf8ToCp949("Dir=" + dir + "/") + "\r\n");
  EXPECT_TRUE(dialogs.History().empty());

  // A later drop replaces the entry.
  Drop({files[2]});
  EXPECT_EQ(S(form->p_file->text()), files[2]);
  EXPECT_EQ(form->loads.size(), 2u);
  EXPECT_EQ(IniBytes(), "[FileUpLoad]\r\nDir=" + root + "/c/\r\n");
}

TEST_F(FormTest, DroppedNameIsCutTo254Characters) {
  // 300 characters, many of them Hangul (three bytes each): the cut counts characters.
  std::string name = root + "/";
  while (plat::text::Utf8Length(name) < 200) name += "가나다/";
  while (plat::text::Utf8Length(name) < 300) name += "라";
  name = plat::text::Utf8Cut(name, 300);
  ASSERT_EQ(plat::text::Utf8Length(name), 300u);

  Drop({name});
  const std::string cut = S(form->p_file->text());
  EXPECT_EQ(plat::text::Utf8Length(cut), 254u);
  EXPECT_EQ(cut, plat::text::Utf8Cut(name, 254));
  ASSERT_EQ(form->loads.size(), 1u);
  EXPECT_EQ(form->loads[0], cut);
  const std::string folder = cut.substr(0, cut.rfind('/') + 1);
  EXPECT_EQ(IniBytes(), "[FileUpLoad]\r\n" + plat::text::Utf8ToCp949("Dir=" + folder) + "\r\n");
}

TEST_F(FormTest, UnwritableSettingsFileEndsInTheErrorBoxAndNothingIsLoaded) {
  ASSERT_TRUE(MakeFile(root + "/plain.txt"));
  form->Context().ProgramDir = root + "/plain.txt";  // a folder under a regular file cannot exist
  const std::string file = root + "/c/result.csv";
  ASSERT_TRUE(MakeFile(file));

  Drop({file});
  EXPECT_EQ(S(form->p_file->text()), file);
  EXPECT_TRUE(form->loads.empty());
  ASSERT_EQ(dialogs.History().size(), 1u);
  const auto& box = dialogs.History()[0];
  EXPECT_EQ(box.Kind, "MessageBox");
  EXPECT_EQ(box.Text.rfind("Unable to write to ", 0), 0u) << box.Text;
  EXPECT_NE(box.Text.find("plain.txt/Resort.ini"), std::string::npos) << box.Text;
  EXPECT_EQ(box.Caption, ui::ApplicationTitle());
  EXPECT_EQ(box.Flags, ui::MB_OK | ui::MB_ICONERROR);
}

// --- message boxes
// ------------------------------------------------------------------------------------------

TEST_F(FormTest, MsgBoxQuestionIsTrueOnlyForYes) {
  dialogs.QueueAnswer(ui::IDNO);
  dialogs.QueueAnswer(ui::IDYES);
  dialogs.QueueAnswer(ui::IDCANCEL);
  EXPECT_FALSE(form->MsgBoxQuestion("정말 이동하시겠습니까 ? "));
  EXPECT_TRUE(form->MsgBoxQuestion("영구 삭제됩니다. 정말 진행하시겠습니까 ? "));
  EXPECT_FALSE(form->MsgBoxQuestion("x"));
  ASSERT_EQ(dialogs.History().size(), 3u);
  const auto& first = dialogs.History()[0];
  EXPECT_EQ(first.Text, "정말 이동하시겠습니까 ? ");
  EXPECT_EQ(first.Caption, ui::ApplicationTitle());
  EXPECT_EQ(first.Flags, 36);
  EXPECT_EQ(dialogs.History()[1].Text, "영구 삭제됩니다. 정말 진행하시겠습니까 ? ");
}

TEST_F(FormTest, ShowMsgIsAnErrorBoxCaptionedFileDownload) {
  form->ShowMsg("다운로드 실패");
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_EQ(dialogs.History()[0].Text, "다운로드 실패");
  EXPECT_EQ(dialogs.History()[0].Caption, "파일받기");
  EXPECT_EQ(dialogs.History()[0].Flags, ui::MB_OK | ui::MB_ICONERROR);
}

TEST(DefaultErrorBox, AddsAPeriodLikeTheToolkit) {
  EXPECT_EQ(vek::ExceptionBoxText("Unable to write to /x/Resort.ini"), "Unable to write to /x/Resort.ini.");
  EXPECT_EQ(vek::ExceptionBoxText("Done."), "Done.");
  EXPECT_EQ(vek::ExceptionBoxText("이동 실패"), "이동 실패.");
  EXPECT_EQ(vek::ExceptionBoxText("a -"), "a -");
  EXPECT_EQ(vek::ExceptionBoxText(""), "");
}

TEST(DefaultErrorBox, GuardedShowsTheErrorAndGoesOn) {
  ui::ScriptedDialogs dialogs;
  EXPECT_FALSE(vek::Guarded(nullptr, [] { throw std::runtime_error("boom"); }));
  EXPECT_TRUE(vek::Guarded(nullptr, [] {}));
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_EQ(dialogs.History()[0].Text, "boom.");
  EXPECT_EQ(dialogs.History()[0].Caption, ui::ApplicationTitle());
  EXPECT_EQ(dialogs.History()[0].Flags, ui::MB_OK | ui::MB_ICONERROR);
}

// --- download address
// ------------------------------------------------------------------------------------------

TEST(DownloadAddress, HostFromTheEnvironmentOrTheDefault) {
  {
    EnvVar host("VEKSECURITY_DOWNLOAD_HOST", std::nullopt);
    EXPECT_EQ(TForm1::DownloadAddress(), "https://security.intranet.local/quellmar/ps.zip");
  }
  {
    EnvVar host("VEKSECURITY_DOWNLOAD_HOST", "intra.example.kr:8443");
    EXPECT_EQ(TForm1::DownloadAddress(), "https://intra.example.kr:8443/quellmar/ps.zip");
  }
}

// --- closing
// ----------------------------------------------------------------------------------------------------

TEST_F(FormTest, ClosingDeletesTwoBatchFilesAndKeepsTheMoveBatch) {
  for (const char* f : {"/c/batchdel.bat", "/c/crdir.bat", "/c/batchmove.bat"})
    ASSERT_TRUE(MakeFile(root + f));
  form->show();
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(Exists(root + "/c/batchdel.bat"));
  EXPECT_FALSE(Exists(root + "/c/crdir.bat"));
  EXPECT_TRUE(Exists(root + "/c/batchmove.bat"));
  EXPECT_FALSE(form->isVisible());

  // Nothing to delete is no error, and closing is never refused.
  bool canClose = false;
  form->FormCloseQuery(form.get(), canClose);
  EXPECT_TRUE(canClose);
  EXPECT_TRUE(dialogs.History().empty());
}
