// The memo and picture dialogs: opening at the cell, the value in and out through OK, Cancel and Esc
// passing nothing, loading text in UTF-8 and CP949 and pictures in BMP and PNG, files that are not what they
// claim, Clear, and resizing by the border with the editing control following.
#include "grid/editors/cell_dialogs.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "editor_fixture.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

using namespace editortest;
using plat::paint::TRect;

namespace {

// A grid stand-in to open the dialogs from, and a file folder.
struct DialogHost {
  QWidget grid;
  QTemporaryDir dir;
  DialogHost() {
    grid.setGeometry(100, 80, 400, 300);
    grid.show();
    QApplication::processEvents();
  }
  std::string Write(const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path.toStdString();
  }
  std::string WriteImage(const char* name, const char* format, QRgb colour) {
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(colour);
    const QString path = dir.filePath(name);
    img.save(path, format);
    return path.toStdString();
  }
};

// Runs `inside` once the modal loop of the dialog is running.
void WhileOpen(QDialog* d, std::function<void()> inside) {
  QTimer::singleShot(0, d, [d, inside] {
    if (!d->isVisible()) ADD_FAILURE() << "the dialog is not shown";
    inside();
  });
}

void Click(QToolButton* b) {
  QTest::mouseClick(b, Qt::LeftButton);
}

}  // namespace

// --- memo
// ---------------------------------------------------------------------------------------------------

TEST(MemoDialog, OpensAtTheCellWithTheTextSelectedAndOkPassesTheEditedText) {
  DialogHost h;
  TwInDlgMemo d(&h.grid);
  std::vector<std::string> accepted;
  d.OnAccept = [&](const std::string& t) { accepted.push_back(t); };
  QPoint at;
  std::string selected;
  bool focused = false;
  WhileOpen(&d, [&] {
    at = d.pos();
    selected = d.memoMain->textCursor().selectedText().toStdString();
    focused = d.focusWidget() == d.memoMain;
    QTest::keyClicks(d.memoMain, "new");
    Click(d.cmOk);
  });
  const int r = d.ShowModalAt(TRect{30, 40, 90, 60}, plat::Variant("old text"));
  EXPECT_EQ(r, QDialog::Accepted);
  EXPECT_EQ(at, h.grid.mapToGlobal(QPoint(30, 40)));
  EXPECT_EQ(selected, "old text");
  EXPECT_TRUE(focused);
  EXPECT_EQ(accepted, std::vector<std::string>{"new"}) << "typing replaced the selected text";
}

TEST(MemoDialog, ANullValueOpensEmptyAndOkPassesAnEmptyString) {
  DialogHost h;
  TwInDlgMemo d(&h.grid);
  std::vector<std::string> accepted;
  d.OnAccept = [&](const std::string& t) { accepted.push_back(t); };
  WhileOpen(&d, [&] { Click(d.cmOk); });
  d.ShowModalAt(TRect{0, 0, 10, 10}, plat::Variant::Null());
  EXPECT_EQ(accepted, std::vector<std::string>{""});
}

TEST(MemoDialog, EscAndCancelPassNothing) {
  DialogHost h;
  TwInDlgMemo d(&h.grid);
  int calls = 0;
  d.OnAccept = [&](const std::string&) { ++calls; };
  WhileOpen(&d, [&] {
    QTest::keyClicks(d.memoMain, "typed");
    QTest::keyClick(d.memoMain, Qt::Key_Escape);
  });
  EXPECT_EQ(d.ShowModalAt(TRect{0, 0, 10, 10}, plat::Variant("x")), QDialog::Rejected);
  WhileOpen(&d, [&] { Click(d.cmCancel); });
  EXPECT_EQ(d.ShowModalAt(TRect{0, 0, 10, 10}, plat::Variant("x")), QDialog::Rejected);
  EXPECT_EQ(calls, 0);
}

TEST(MemoDialog, EnterMakesALineBreakInsteadOfClosing) {
  DialogHost h;
  TwInDlgMemo d(&h.grid);
  std::string accepted;
  d.OnAccept = [&](const std::string& t) { accepted = t; };
  bool stillOpen = false;
  WhileOpen(&d, [&] {
    QTest::keyClicks(d.memoMain, "a");
    QTest::keyClick(d.memoMain, Qt::Key_Return);
    QTest::keyClicks(d.memoMain, "b");
    stillOpen = d.isVisible();
    Click(d.cmOk);
  });
  d.ShowModalAt(TRect{0, 0, 10, 10}, plat::Variant::Null());
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(accepted, "a\nb");
}

TEST(MemoDialog, LoadsTextInUtf8AndCp949) {
  DialogHost h;
  plat::ui::ScriptedDialogs dialogs;
  const std::string utf8 =
      h.Write("u.txt", QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString("첫 줄\n둘째"));
  const std::string cp949 =
      h.Write("c.txt", QByteArray::fromStdString(plat::text::Utf8ToCp949("개인정보\r\n파일")));
  dialogs.QueueFile(utf8);
  dialogs.QueueFile(cp949);
  TwInDlgMemo d(&h.grid);
  std::string first, second;
  WhileOpen(&d, [&] {
    Click(d.cmLoad);
    first = d.Text();
    Click(d.cmLoad);
    second = d.Text();
    Click(d.cmCancel);
  });
  d.ShowModalAt(TRect{0, 0, 10, 10}, plat::Variant::Null());
  EXPECT_EQ(first, "첫 줄\n둘째");
  EXPECT_EQ(second, "개인정보\n파일") << "Windows line ends become the memo's line breaks";
  ASSERT_EQ(dialogs.OpenRequests().size(), 2u);
  EXPECT_EQ(dialogs.OpenRequests()[0].FilterPattern, "*.txt");
  EXPECT_TRUE(dialogs.History().size() == 2u) << "two open dialogs and no message";
}

TEST(MemoDialog, ABinaryFileGetsAMessageAndTheMemoStaysAsItWas) {
  DialogHost h;
  plat::ui::ScriptedDialogs dialogs;
  dialogs.QueueFile(h.Write("picture.txt", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)));
  dialogs.QueueFile(std::nullopt);  // the second Load is cancelled
  TwInDlgMemo d(&h.grid);
  std::string accepted = "(none)";
  d.OnAccept = [&](const std::string& t) { accepted = t; };
  bool openAfter = false;
  WhileOpen(&d, [&] {
    Click(d.cmLoad);
    openAfter = d.isVisible();
    Click(d.cmLoad);
    Click(d.cmOk);
  });
  d.ShowModalAt(TRect{0, 0, 10, 10}, plat::Variant("kept"));
  EXPECT_TRUE(openAfter);
  EXPECT_EQ(accepted, "kept");
  ASSERT_GE(dialogs.History().size(), 2u);
  EXPECT_EQ(dialogs.History()[1].Kind, "ShowMessage");
  EXPECT_NE(dialogs.History()[1].Text.find("picture.txt"), std::string::npos);
}

TEST(MemoDialog, TextReaderRefusesWhatIsNeitherUtf8NorCp949) {
  DialogHost h;
  EXPECT_FALSE(ReadTextFileAnyEncoding(h.Write("bad.txt", QByteArray("\xFF\xFF\xFF", 3))).has_value());
  EXPECT_FALSE(ReadTextFileAnyEncoding(h.dir.filePath("missing.txt").toStdString()).has_value());
  EXPECT_EQ(ReadTextFileAnyEncoding(h.Write("plain.txt", "abc\r\n")).value_or("?"), "abc\r\n");
}

// --- picture
// ------------------------------------------------------------------------------------------------

TEST(PictureDialog, ShowsACopyOfTheCellPictureAndOkPassesIt) {
  DialogHost h;
  TwInDlgImg d(&h.grid);
  QImage cell(5, 5, QImage::Format_RGB32);
  cell.fill(qRgb(10, 200, 30));
  std::vector<QImage> accepted;
  d.OnAccept = [&](const QImage& b) { accepted.push_back(b); };
  QPoint at;
  bool shown = false;
  WhileOpen(&d, [&] {
    at = d.pos();
    shown = !d.imgMain->pixmap().isNull();
    Click(d.cmOk);
  });
  d.ShowModalAt(TRect{50, 60, 70, 80}, &cell);
  EXPECT_EQ(at, h.grid.mapToGlobal(QPoint(50, 60)));
  EXPECT_TRUE(shown);
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0].size(), QSize(5, 5));
  EXPECT_EQ(accepted[0].pixel(2, 2), qRgb(10, 200, 30));
}

TEST(PictureDialog, OkAfterClearPassesAnEmptyBitmapAndCancelPassesNothing) {
  DialogHost h;
  TwInDlgImg d(&h.grid);
  QImage cell(5, 5, QImage::Format_RGB32);
  cell.fill(Qt::red);
  std::vector<QImage> accepted;
  d.OnAccept = [&](const QImage& b) { accepted.push_back(b); };
  WhileOpen(&d, [&] {
    Click(d.cmClear);
    Click(d.cmCancel);
  });
  EXPECT_EQ(d.ShowModalAt(TRect{0, 0, 1, 1}, &cell), QDialog::Rejected);
  EXPECT_TRUE(accepted.empty());
  WhileOpen(&d, [&] {
    Click(d.cmClear);
    Click(d.cmOk);
  });
  EXPECT_EQ(d.ShowModalAt(TRect{0, 0, 1, 1}, &cell), QDialog::Accepted);
  ASSERT_EQ(accepted.size(), 1u) << "the callback is called even for an empty picture";
  EXPECT_TRUE(accepted[0].isNull());
  EXPECT_FALSE(cell.isNull()) << "the cell's own picture is never touched";
}

TEST(PictureDialog, LoadsBmpAndPngAndRefusesAFileThatIsNotAPicture) {
  DialogHost h;
  plat::ui::ScriptedDialogs dialogs;
  dialogs.QueueFile(h.WriteImage("a.bmp", "BMP", qRgb(0, 0, 255)));
  dialogs.QueueFile(h.WriteImage("b.png", "PNG", qRgb(255, 0, 0)));
  dialogs.QueueFile(h.Write("fake.bmp", "this is text, not a bitmap"));
  TwInDlgImg d(&h.grid);
  QRgb afterBmp = 0, afterPng = 0, afterFake = 0;
  bool openAfter = false;
  std::vector<QImage> accepted;
  d.OnAccept = [&](const QImage& b) { accepted.push_back(b); };
  WhileOpen(&d, [&] {
    Click(d.cmLoad);
    afterBmp = d.Picture().pixel(1, 1);
    Click(d.cmLoad);
    afterPng = d.Picture().pixel(1, 1);
    Click(d.cmLoad);
    afterFake = d.Picture().isNull() ? 0 : d.Picture().pixel(1, 1);
    openAfter = d.isVisible();
    Click(d.cmOk);
  });
  d.ShowModalAt(TRect{0, 0, 1, 1}, nullptr);
  EXPECT_EQ(afterBmp & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(afterPng & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(afterFake & 0xFFFFFF, 0xFF0000u) << "the picture stays as it was";
  EXPECT_TRUE(openAfter);
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0].size(), QSize(6, 4));
  ASSERT_EQ(dialogs.History().size(), 4u);
  EXPECT_EQ(dialogs.History()[3].Kind, "ShowMessage");
  EXPECT_NE(dialogs.History()[3].Text.find("fake.bmp"), std::string::npos);
}

// --- border sizing
// ------------------------------------------------------------------------------------------

TEST(CellDialogBorder, TheRightAndBottomBordersAndTheCornerSize) {
  DialogHost h;
  TwInDlgMemo d(&h.grid);
  const int W = d.ClientWidth(), H = d.ClientHeight();
  using Hit = TwInDlgBase::Hit;
  EXPECT_EQ(W, 247);
  EXPECT_EQ(H, 127);
  EXPECT_EQ(d.BorderHit(W, 10), Hit::Right);
  EXPECT_EQ(d.BorderHit(W, H - 2), Hit::Right);
  EXPECT_EQ(d.BorderHit(W, H - 1), Hit::BottomRight);
  EXPECT_EQ(d.BorderHit(W - 1, H - 1), Hit::BottomRight);
  EXPECT_EQ(d.BorderHit(W - 1, H), Hit::BottomRight);
  EXPECT_EQ(d.BorderHit(W - 2, H), Hit::Bottom);
  EXPECT_EQ(d.BorderHit(10, H), Hit::Bottom);
  EXPECT_EQ(d.BorderHit(10, 10), Hit::None);
  EXPECT_EQ(d.BorderHit(W - 2, H - 1), Hit::None);
}

namespace {
void Drag(QWidget* w, QPoint from, QPoint by) {
  const QPoint g = w->mapToGlobal(from);
  QMouseEvent press(QEvent::MouseButtonPress, from, g, Qt::LeftButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(w, &press);
  QMouseEvent move(QEvent::MouseMove, from + by, g + by, Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(w, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, from + by, g + by, Qt::LeftButton, Qt::NoButton, {});
  QCoreApplication::sendEvent(w, &release);
}
}  // namespace

TEST(CellDialogBorder, DraggingTheCornerEnlargesTheDialogAndTheMemoFollowsTwoPixelsInside) {
  DialogHost h;
  TwInDlgMemo d(&h.grid);
  QSize before, after;
  QRect memo, main;
  WhileOpen(&d, [&] {
    before = d.size();
    Drag(&d, QPoint(d.width() - 1, d.height() - 1), QPoint(40, 25));
    after = d.size();
    memo = d.memoMain->geometry();
    main = d.panMain->geometry();
    Click(d.cmCancel);
  });
  d.ShowModalAt(TRect{0, 0, 1, 1}, plat::Variant::Null());
  EXPECT_EQ(after, before + QSize(40, 25));
  EXPECT_EQ(memo, QRect(2, 2, main.width() - 4, main.height() - 4));
  EXPECT_EQ(main.height(), after.height() - 2 - 20) << "the button strip keeps its 20 pixels";
  EXPECT_EQ(d.size(), after) << "the size is kept for the next opening";
}

TEST(CellDialogBorder, TheRightBorderWidensOnlyAndThePictureFollows) {
  DialogHost h;
  TwInDlgImg d(&h.grid);
  const QSize before = d.size();
  Drag(&d, QPoint(d.width() - 1, 20), QPoint(30, 50));
  EXPECT_EQ(d.size(), before + QSize(30, 0));
  EXPECT_EQ(d.imgMain->geometry(), QRect(2, 2, d.panMain->width() - 4, d.panMain->height() - 4));
  Drag(&d, QPoint(20, d.height() - 1), QPoint(30, 10));
  EXPECT_EQ(d.size(), before + QSize(30, 10));
  Drag(&d, QPoint(20, 20), QPoint(30, 10));
  EXPECT_EQ(d.size(), before + QSize(30, 10)) << "inside the window a drag sizes nothing";
}
