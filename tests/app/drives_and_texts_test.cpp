// The drive map as a new user meets it: a result file whose drive has no folder is named in the notice,
// the "드라이브 연결" dialog maps the letter and keeps it in the user's settings, the environment wins;
// Qt's own buttons speak Korean; --help answers even behind the window's own arguments.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <sstream>

#include "app/command_line.h"
#include "app/korean_texts.h"
#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "platform/os/os.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

using namespace apptest;

namespace {

TEST(DriveMap, AMissingDriveIsNamedAndTheDialogMapsItForTheNextStart) {
  QTemporaryDir dir;
  const std::string root = S(dir.path());
  EnvVar data{"XDG_DATA_HOME", root + "/data"};
  EnvVar driveC{"VEKSECURITY_DRIVE_C", root + "/C"};
  EnvVar driveD{"VEKSECURITY_DRIVE_D", std::nullopt};
  EnvVar driveDLower{"VEKSECURITY_DRIVE_d", std::nullopt};
  plat::os::ForceDirectories(root + "/C");
  plat::os::ForceDirectories(root + "/disk/자료");
  ASSERT_TRUE(MakeFile(root + "/disk/자료/a.txt"));
  ASSERT_TRUE(
      MakeFile(root + "/C/result.csv", plat::text::Utf8ToCp949("h\r\na.txt,주민등록번호,3,D:\\자료\r\n")));
  plat::ui::ScriptedDialogs dialogs;
  {
    TForm1 form;
    form.Context().ProgramDir = root + "/C";
    form.show();
    EXPECT_FALSE(TForm1::DriveFixedByEnvironment('D'));
    EXPECT_TRUE(TForm1::DriveFixedByEnvironment('C'));
    form.p_file->setText(Q(root + "/C/result.csv"));
    form.BitBtn5->click();
    EXPECT_EQ(form.Mgr_grid->RowCount(), 0);
    ASSERT_EQ(dialogs.History().size(), 1u);
    const std::string notice = dialogs.History()[0].Text;
    EXPECT_EQ(notice.rfind("목록의 파일을 하나도 찾지 못했습니다. 드라이브 D가 가리키는 폴더가 없습니다.", 0),
              0u)
        << notice;
    EXPECT_NE(notice.find("드라이브 연결"), std::string::npos);
    // "드라이브 연결": C is fixed by the environment; D is typed in.
    form.BeforeDriveDialog = [&](QDialog& dialog) {
      auto* c = dialog.findChild<QLineEdit*>("DriveC");
      auto* d = dialog.findChild<QLineEdit*>("DriveD");
      ASSERT_NE(c, nullptr);
      ASSERT_NE(d, nullptr);
      EXPECT_TRUE(c->isReadOnly());
      EXPECT_EQ(S(c->text()), root + "/C");
      d->setText(Q(root + "/disk"));
      QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
    };
    form.BtnDrives->click();
    form.BitBtn5->click();
    EXPECT_EQ(form.Mgr_grid->RowCount(), 1);
    EXPECT_EQ(dialogs.History().size(), 1u);  // nothing more to say
    form.close();
  }
  // The next start finds the saved letter; the environment still wins over it.
  EnvVar otherD{"VEKSECURITY_DRIVE_D", std::nullopt};
  TForm1::ApplySavedDriveMap();
  EXPECT_EQ(plat::os::ResolvePath("D:\\자료\\a.txt"), root + "/disk/자료/a.txt");
  EnvVar fixedD{"VEKSECURITY_DRIVE_D", root + "/elsewhere"};
  TForm1::ApplySavedDriveMap();
  EXPECT_TRUE(TForm1::DriveFixedByEnvironment('D'));
  EXPECT_EQ(plat::os::ResolvePath("D:\\x"), root + "/elsewhere/x");
}

TEST(KoreanTexts, MessageBoxButtonsSpeakKorean) {
  if (!vek::InstallKoreanQtTexts()) GTEST_SKIP() << "Qt's Korean translations are not installed";
  QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No);
  // Qt's Korean texts carry their access key behind the word: "예(&Y)".
  EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QString::fromUtf8("예")))
      << S(box.button(QMessageBox::Yes)->text());
  EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QString::fromUtf8("아니요")));
}

TEST(HelpText, HelpAnswersBehindTheWindowsOwnArgumentsAndNamesThem) {
  std::ostringstream out, err;
  EXPECT_EQ(vek::RunCommandLine({"--screenshot", "/tmp/x.png", "--help"}, out, err), 0);
  EXPECT_EQ(err.str(), "");
  const std::string help = out.str();
  EXPECT_NE(help.find("VekSecurity [RESULT.csv]"), std::string::npos);
  EXPECT_NE(help.find("--screenshot OUT.png"), std::string::npos);
  EXPECT_NE(help.find("raw"), std::string::npos);
  EXPECT_NE(help.find("CSV로 저장"), std::string::npos);
}

}  // namespace
