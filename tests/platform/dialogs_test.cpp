// The dialogs service: the scripted stand-in, the filter text and the Qt dialogs on the offscreen platform.
#include "platform/ui/dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/os/os.h"

using namespace plat::ui;

namespace {

// Runs f on the modal dialog as soon as one is shown (polled from the event loop of its exec()); a dialog
// that f leaves open (a failed assertion) is rejected so the test cannot hang.
void WhenModal(std::function<void(QWidget*)> f) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, f] {
    if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      f(w);
      if (w->isVisible()) w->reject();
    }
  });
  timer->start(1);
}

}  // namespace

TEST(ScriptedDialogs, InstallsItselfAndRestoresThePrevious) {
  Dialogs* const before = &CurrentDialogs();
  EXPECT_NE(dynamic_cast<QtDialogs*>(before), nullptr);
  {
    ScriptedDialogs outer;
    EXPECT_EQ(&CurrentDialogs(), &outer);
    {
      ScriptedDialogs inner;
      EXPECT_EQ(&CurrentDialogs(), &inner);
    }
    EXPECT_EQ(&CurrentDialogs(), &outer);
  }
  EXPECT_EQ(&CurrentDialogs(), before);
}

TEST(ScriptedDialogs, AnswersFromTheQueueThenDefaults) {
  ScriptedDialogs d;
  d.QueueAnswer(IDYES);
  d.QueueAnswer(IDCANCEL);
  Dialogs& s = CurrentDialogs();
  EXPECT_EQ(s.MessageBox(nullptr, "저장할까요?", "확인", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(s.MessageBox(nullptr, "b", "c", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(s.MessageBox(nullptr, "c", "c", MB_YESNO), IDNO);  // queue empty
  EXPECT_EQ(s.MessageBox(nullptr, "d", "c", MB_OKCANCEL), IDNO);
  EXPECT_EQ(s.MessageBox(nullptr, "e", "c", MB_OK | MB_ICONERROR), IDOK);
  s.ShowMessage(nullptr, "완료");

  const auto& h = d.History();
  ASSERT_EQ(h.size(), 6u);
  EXPECT_EQ(h[0].Kind, "MessageBox");
  EXPECT_EQ(h[0].Text, "저장할까요?");
  EXPECT_EQ(h[0].Caption, "확인");
  EXPECT_EQ(h[0].Flags, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(h[4].Flags, MB_ICONERROR);
  EXPECT_EQ(h[5].Kind, "ShowMessage");
  EXPECT_EQ(h[5].Text, "완료");
  EXPECT_EQ(h[5].Caption, ApplicationTitle());
  EXPECT_EQ(ApplicationTitle(), "test_platform");
}

TEST(ScriptedDialogs, OpenFileAnswersAndRecordsRequests) {
  ScriptedDialogs d;
  d.QueueFile(std::string("/data/a.csv"));
  d.QueueFile(std::nullopt);
  const OpenFileRequest req{"열기", "CSV파일(*.csv)", "*.csv", "/data"};
  EXPECT_EQ(CurrentDialogs().OpenFile(nullptr, req), std::optional<std::string>("/data/a.csv"));
  EXPECT_EQ(CurrentDialogs().OpenFile(nullptr, req), std::nullopt);
  EXPECT_EQ(CurrentDialogs().OpenFile(nullptr, {"t", "", "", ""}), std::nullopt);  // queue empty
  ASSERT_EQ(d.OpenRequests().size(), 3u);
  EXPECT_EQ(d.OpenRequests()[0].FilterLabel, "CSV파일(*.csv)");
  EXPECT_EQ(d.OpenRequests()[0].FilterPattern, "*.csv");
  EXPECT_EQ(d.OpenRequests()[0].InitialDir, "/data");
  EXPECT_EQ(d.OpenRequests()[2].Title, "t");
  ASSERT_EQ(d.History().size(), 3u);
  EXPECT_EQ(d.History()[0].Kind, "OpenFile");
  EXPECT_EQ(d.History()[0].Caption, "열기");
}

TEST(OpenFileFilter, LabelAndPatterns) {
  // A label that already names its pattern is shown once, not "CSV파일(*.csv) (*.csv)".
  EXPECT_EQ(OpenFileFilter({"", "CSV파일(*.csv)", "*.csv", ""}), "CSV파일(*.csv)");
  EXPECT_EQ(OpenFileFilter({"", "Text(*.txt)", "*.txt;*.log", ""}), "Text(*.txt) (*.txt *.log)");
  EXPECT_EQ(OpenFileFilter({"", "Text", "*.txt;*.log", ""}), "Text (*.txt *.log)");
  EXPECT_EQ(OpenFileFilter({"", "", "*.ini", ""}), "*.ini (*.ini)");
  EXPECT_EQ(OpenFileFilter({"", "All (*)", "", ""}), "All (*)");
}

TEST(QtDialogs, MessageBoxShowsCaptionIconButtonsAndMapsTheAnswer) {
  QtDialogs qt;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(qt.MessageBox(nullptr, "지울까요?", "삭제", MB_YESNOCANCEL | MB_ICONWARNING), IDNO);
  EXPECT_EQ(title, QString::fromUtf8("삭제"));
  EXPECT_EQ(text, QString::fromUtf8("지울까요?"));
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

  WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  EXPECT_EQ(qt.MessageBox(nullptr, "t", "c", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);

  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    icon = box->icon();
    buttons = box->standardButtons();
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(qt.MessageBox(nullptr, "t", "c", MB_YESNO | MB_ICONERROR), IDYES);
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
}

TEST(QtDialogs, ALongPathWrapsAndTheDetailsOpenBehindTheirButton) {
  QtDialogs qt;
  std::string path = "D:";
  for (int i = 0; i < 20; ++i) path += "\\업무자료폴더" + std::to_string(i);
  int width = 0;
  QString detailsButton, shownText;
  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    width = box->sizeHint().width();
    shownText = box->text();
    for (QAbstractButton* b : box->buttons())
      if (box->buttonRole(b) == QMessageBox::ActionRole) {
        ASSERT_TRUE(QTest::qWaitFor([b] { return b->text() == QString::fromUtf8("자세히"); }));
        QTest::mouseClick(b, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([b] { return b->text() == QString::fromUtf8("자세히 닫기"); }));
        detailsButton = b->text();
      }
    box->button(QMessageBox::Ok)->click();
  });
  qt.MessageBoxWithDetails(nullptr, "제외: " + path + "\\a.txt", "a.txt\nb.txt", "제목", MB_OK);
  EXPECT_LT(width, 900);  // a path of some 260 characters without a blank still fits beside its icon
  EXPECT_EQ(shownText.remove(QChar(0x200B)), QString::fromStdString("제외: " + path + "\\a.txt"));
  EXPECT_EQ(detailsButton, QString::fromUtf8("자세히 닫기"));
}

TEST(QtDialogs, ShowMessageUsesTheApplicationTitleAndOneOkButton) {
  QtDialogs qt;
  QString title;
  QMessageBox::StandardButtons buttons;
  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    buttons = box->standardButtons();
    box->button(QMessageBox::Ok)->click();
  });
  qt.ShowMessage(nullptr, "끝");
  EXPECT_EQ(title, QString::fromStdString(ApplicationTitle()));
  EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST(QtDialogs, OpenFileUsesFilterAndFolder) {
  QTemporaryDir tmp;
  const QString file = tmp.path() + "/a.csv";
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QtDialogs qt;
  QStringList filters;
  QString dir;
  WhenModal([&](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    filters = dlg->nameFilters();
    dir = dlg->directory().absolutePath();
    dlg->selectFile(file);
    static_cast<QDialog*>(dlg)->accept();  // QFileDialog::accept is protected
  });
  const auto chosen = qt.OpenFile(nullptr, {"열기", "CSV파일(*.csv)", "*.csv", tmp.path().toStdString()});
  EXPECT_EQ(filters, QStringList{QString::fromUtf8("CSV파일(*.csv)")});
  EXPECT_EQ(dir, tmp.path());
  EXPECT_EQ(chosen, std::optional<std::string>(file.toStdString()));

  WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  EXPECT_EQ(qt.OpenFile(nullptr, {"열기", "", "", tmp.path().toStdString()}), std::nullopt);
}
