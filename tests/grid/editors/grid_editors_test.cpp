// The list, check, boolean and radio editors and the memo and picture dialogs as a memory grid makes and
// uses them, driven through the grid with simulated keys, clicks and input-method text: the stored values
// (the mapped value of a pick list, a Boolean for a check cell, the Values entry of a radio cell), the
// grid's OnDropDown and OnCloseUp, the toggle rules (Space, a click, not with wgoNoClickEdit, Delete, a
// read-only column) and the radio keys at the edges of its rows and columns.
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "editor_fixture.h"
#include "grid/editors/cell_dialogs.h"
#include "grid/editors/pick_list.h"
#include "grid/editors/special_edit.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_session.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

using namespace editortest;
using plat::paint::TRect;

namespace {

// Columns: 0 pick list (values A, B, C described by items), 1 check box (wdtBool), 2 radio group (six
// values in three columns), 3 memo, 4 boolean mark, 5 picture. Three rows, editing allowed, Enter does not
// move between cells.
class GridEditors : public ::testing::Test {
 protected:
  enum Col { kPick, kCheck, kRadio, kMemo, kBool, kPicture };

  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    window.resize(900, 300);
    grid = new TMemGrid(&window);
    grid->setGeometry(0, 0, 900, 260);
    TwMemColumn* pick = grid->AddColumn();
    pick->SetDataType(wdtString);
    pick->SetValues({"A", "B", "C"});
    pick->SetItems({"Apple;red", "Banana;yellow", "Cherry;red"});
    pick->SetColWidth(120);
    TwMemColumn* check = grid->AddColumn();
    check->SetDataType(wdtBool);
    check->SetColWidth(80);
    TwMemColumn* radio = grid->AddColumn();
    radio->SetDataType(wdtString);
    radio->SetEditStyle(wesRadioGroup);
    radio->SetValues({"v0", "v1", "v2", "v3", "v4", "v5"});
    radio->SetRadioColumns(3);
    radio->SetColWidth(240);
    TwMemColumn* memo = grid->AddColumn();
    memo->SetDataType(wdtString);
    memo->SetEditStyle(wesMemo);
    memo->SetColWidth(100);
    TwMemColumn* mark = grid->AddColumn();
    mark->SetDataType(wdtBool);
    mark->SetEditStyle(wesBoolean);
    mark->SetColWidth(40);
    TwMemColumn* picture = grid->AddColumn();
    picture->SetDataType(wdtGraphic);
    picture->SetColWidth(60);
    grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
    for (int r = 0; r < 3; ++r) grid->AppendRow(false, false, false);
    grid->OnDropDown = [this](QObject*) { events.push_back("DropDown"); };
    grid->OnCloseUp = [this](QObject*, bool accept) {
      events.push_back(accept ? "CloseUp accept" : "CloseUp");
    };
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    grid->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
  }

  QPoint Mid(int col, int row) {
    const TRect r = grid->Model().Extents().CellRect(grid->Column(col)->VisibleIndex(), row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Click(QPoint p) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, p); }
  void Click(int col, int row) { Click(Mid(col, row)); }
  // Makes the cell current (a click on a cell that is not current only moves there).
  void Go(int col, int row) {
    grid->SetColRow(col, row);
    QApplication::processEvents();
  }
  // Keys go to whatever has the focus: the open editor or the grid.
  void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), k, m);
  }
  void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), text); }
  template <class Editor>
  Editor* Open() {
    return grid->EditorShowing() ? dynamic_cast<Editor*>(grid->Editing().InplaceEditor()) : nullptr;
  }
  TwCells& Cell(int col, int row) { return grid->Cells(col, row); }

  QWidget window;
  TMemGrid* grid = nullptr;
  std::vector<std::string> events;
};

// --- pick list --------------------------------------------------------------------------------------------

TEST_F(GridEditors, APickListOpensWithTheDropButtonSearchesAsYouTypeAndStoresTheMappedValue) {
  Click(kPick, 0);  // the current cell: the editor opens
  auto* e = Open<TwInPickList>();
  ASSERT_NE(e, nullptr) << "a column with values edits in the pick list";
  EXPECT_TRUE(e->hasFocus());
  TRect b;
  e->GetButtonRect(b);
  const QPoint onButton(b.Left + b.Width() / 2, b.Top + b.Height() / 2);
  QTest::mousePress(e, Qt::LeftButton, Qt::NoModifier, onButton);
  QTest::mouseRelease(e, Qt::LeftButton, Qt::NoModifier, onButton);
  ASSERT_TRUE(e->DroppedDown());
  EXPECT_TRUE(e->DropList()->isVisible());
  EXPECT_TRUE(e->hasFocus()) << "the editor keeps the keyboard focus while the list is down";
  EXPECT_TRUE(grid->EditorShowing()) << "the list window is no leave of the grid";
  Type("ch");
  EXPECT_EQ(e->DropList()->ItemIndex(), 2) << "items mode searches the description lines";
  Key(Qt::Key_Return);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(e->Text(), "Cherry");
  Key(Qt::Key_Return);  // the grid commits and closes
  EXPECT_FALSE(grid->EditorShowing());
  EXPECT_EQ(Cell(kPick, 0).AsString(), "C") << "the stored value is the value, not the shown text";
  EXPECT_EQ(events, (std::vector<std::string>{"DropDown", "CloseUp accept"}));
}

TEST_F(GridEditors, AltDownOpensTheListOnTheCellsRowAndEscRestoresTheText) {
  Cell(kPick, 1).SetAsString("A");
  Go(kPick, 1);
  Key(Qt::Key_F2);
  auto* e = Open<TwInPickList>();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Text(), "Apple");
  Key(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(e->DroppedDown());
  EXPECT_EQ(e->DropList()->ItemIndex(), 0) << "the list opens on the row the text names";
  Key(Qt::Key_Down);
  Key(Qt::Key_Escape);
  EXPECT_EQ(e->Text(), "Apple");
  EXPECT_TRUE(grid->EditorShowing()) << "Esc closes the list, not the editor";
  Key(Qt::Key_Down, Qt::AltModifier);
  Key(Qt::Key_Down);
  Key(Qt::Key_Down, Qt::AltModifier);  // closes with accept
  EXPECT_EQ(e->Text(), "Banana");
  Key(Qt::Key_Up);  // leaving the cell commits
  EXPECT_EQ(grid->Row(), 0);
  EXPECT_EQ(Cell(kPick, 1).AsString(), "B");
  EXPECT_EQ(events, (std::vector<std::string>{"DropDown", "CloseUp", "DropDown", "CloseUp accept"}));
}

TEST_F(GridEditors, HangulCommittedIntoABrowsingCellOpensTheEditorAndSearchesTheList) {
  grid->Column(kPick)->SetItems({});
  grid->Column(kPick)->SetValues({"가방", "나무", "나비", "다리"});
  ASSERT_FALSE(grid->EditorShowing());
  QInputMethodEvent preedit(QString::fromUtf8("ㄴ"), {});
  QCoreApplication::sendEvent(grid, &preedit);
  auto* e = Open<TwInPickList>();
  ASSERT_NE(e, nullptr) << "the composition opens the editor";
  EXPECT_FALSE(e->DroppedDown()) << "a syllable still being composed searches nothing";
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("나"));
  QCoreApplication::sendEvent(QApplication::focusWidget(), &commit);
  ASSERT_TRUE(e->DroppedDown());
  EXPECT_EQ(e->Text(), "나");
  EXPECT_EQ(e->DropList()->ItemIndex(), 1);
  QInputMethodEvent more;
  more.setCommitString(QString::fromUtf8("비"));
  QCoreApplication::sendEvent(QApplication::focusWidget(), &more);
  EXPECT_EQ(e->DropList()->ItemIndex(), 2);
  Key(Qt::Key_Return);
  Key(Qt::Key_Return);
  EXPECT_EQ(Cell(kPick, 0).AsString(), "나비");
}

TEST_F(GridEditors, LeavingTheGridWhileTheListIsDownCommitsTheTextFromBeforeTheSearch) {
  Cell(kPick, 0).SetAsString("Q");  // free text, not one of the values
  Key(Qt::Key_F2);
  auto* e = Open<TwInPickList>();
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->ValueIndex(), -1);
  e->selectAll();
  Type("zz");  // drops the list, matches nothing
  ASSERT_TRUE(e->DroppedDown());
  QWidget other(&window);
  other.setFocusPolicy(Qt::StrongFocus);
  other.show();
  other.setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(e->DropList()->isVisible());
  EXPECT_FALSE(grid->EditorShowing());
  EXPECT_EQ(e->Text(), "Q");
  EXPECT_EQ(Cell(kPick, 0).AsString(), "Q") << "the half-typed search text is not stored";
  EXPECT_EQ(events, (std::vector<std::string>{"DropDown", "CloseUp"}));
}

TEST_F(GridEditors, DeleteOnAPickCellEmptiesItThoughItsTextNamedAValue) {
  Cell(kPick, 0).SetAsString("B");
  Key(Qt::Key_Delete);  // a browsing cell: the editor opens with its value emptied
  auto* e = Open<TwInPickList>();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Text(), "");
  EXPECT_EQ(e->ValueIndex(), -1);
  Key(Qt::Key_Return);
  EXPECT_TRUE(Cell(kPick, 0).IsNull());
}

TEST_F(GridEditors, TextTypedWithoutTheListIsStoredInsteadOfTheValueItReplaced) {
  grid->Column(kPick)->ListOption().SetAutoDrop(false);
  Cell(kPick, 0).SetAsString("A");
  Key(Qt::Key_F2);
  auto* e = Open<TwInPickList>();
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->ValueIndex(), 0);
  e->selectAll();
  Type("Kiwi");
  EXPECT_FALSE(e->DroppedDown());
  Key(Qt::Key_Return);
  EXPECT_EQ(Cell(kPick, 0).AsString(), "Kiwi");
}

// --- check and boolean cells ------------------------------------------------------------------------------

TEST_F(GridEditors, ANullCheckCellToggledBySpaceBecomesTrueThenFalseThenTrue) {
  Go(kCheck, 0);
  ASSERT_TRUE(Cell(kCheck, 0).IsNull());
  Key(Qt::Key_Space);  // a browsing cell: the editor opens and takes the space
  auto* e = Open<TwInCheckEdit>();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->hasFocus());
  EXPECT_EQ(e->GetValue(), plat::Variant(true));
  Key(Qt::Key_Space);
  EXPECT_EQ(e->GetValue(), plat::Variant(false));
  Key(Qt::Key_Space);
  EXPECT_EQ(e->GetValue(), plat::Variant(true));
  Key(Qt::Key_Down);  // the grid takes the arrow: commit and move
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_FALSE(Cell(kCheck, 0).IsNull());
  EXPECT_TRUE(Cell(kCheck, 0).AsBoolean());
}

TEST_F(GridEditors, AClickOnTheCurrentCheckCellTicksItAndAClickInTheOpenEditorUnticks) {
  Click(kCheck, 0);  // not current yet: only moves there
  EXPECT_FALSE(grid->EditorShowing());
  Click(kCheck, 0);
  auto* e = Open<TwInCheckEdit>();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->GetValue(), plat::Variant(true)) << "the click that opened the editor ticks";
  e->ClickTime = 0;  // no double click with the opening click
  QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(e->width() / 2, e->height() / 2));
  EXPECT_EQ(e->GetValue(), plat::Variant(false));
  Key(Qt::Key_Return);
  EXPECT_FALSE(grid->EditorShowing());
  EXPECT_FALSE(Cell(kCheck, 0).IsNull());
  EXPECT_FALSE(Cell(kCheck, 0).AsBoolean());
}

TEST_F(GridEditors, WithNoClickEditAClickOnTheCurrentCheckCellTicksNothing) {
  grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoNoClickEdit));
  Go(kCheck, 0);
  Click(kCheck, 0);
  if (auto* e = Open<TwInCheckEdit>()) {
    EXPECT_TRUE(e->GetValue().IsNull());
  }
  Key(Qt::Key_Down);
  EXPECT_TRUE(Cell(kCheck, 0).IsNull());
}

TEST_F(GridEditors, DeleteEmptiesACheckCellButNotInAReadOnlyColumn) {
  Cell(kCheck, 0).SetAsBoolean(true);
  Cell(kCheck, 1).SetAsBoolean(true);
  Go(kCheck, 0);
  Key(Qt::Key_F2);
  auto* e = Open<TwInCheckEdit>();
  ASSERT_NE(e, nullptr);
  Key(Qt::Key_Delete);
  EXPECT_TRUE(e->GetValue().IsNull());
  Key(Qt::Key_Space);
  EXPECT_EQ(e->GetValue(), plat::Variant(true)) << "from Null a toggle gives true";
  Key(Qt::Key_Delete);
  Key(Qt::Key_Down);
  EXPECT_TRUE(Cell(kCheck, 0).IsNull());
  grid->Column(kCheck)->SetReadOnly(true);
  Key(Qt::Key_F2);
  e = Open<TwInCheckEdit>();
  ASSERT_NE(e, nullptr) << "a read-only check column still opens its editor";
  Key(Qt::Key_Delete);
  Key(Qt::Key_Space);
  EXPECT_EQ(e->GetValue(), plat::Variant(true));
  Key(Qt::Key_Down);
  EXPECT_TRUE(Cell(kCheck, 1).AsBoolean());
}

TEST_F(GridEditors, CtrlDeleteInACheckEditorGoesToTheGridAndDeletesTheRow) {
  grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoDeleting).Exclude(wgoConfirmDelete));
  Cell(kCheck, 0).SetAsBoolean(true);
  Cell(kCheck, 1).SetAsBoolean(false);
  Go(kCheck, 0);
  Key(Qt::Key_F2);
  ASSERT_NE(Open<TwInCheckEdit>(), nullptr);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_FALSE(Cell(kCheck, 0).IsNull()) << "the row went, no cell was emptied";
  EXPECT_FALSE(Cell(kCheck, 0).AsBoolean()) << "the second row moved up";
}

TEST_F(GridEditors, TheBooleanMarkTogglesLikeTheCheckBoxAndDrawsTheMarkOnlyWhenTrue) {
  Go(kBool, 0);
  Key(Qt::Key_F2);
  auto* e = Open<TwInBoolEdit>();
  ASSERT_NE(e, nullptr);
  const QImage empty = e->grab().toImage();
  Key(Qt::Key_Space);
  EXPECT_EQ(e->GetValue(), plat::Variant(true));
  const QImage ticked = e->grab().toImage();
  EXPECT_NE(ticked, empty);
  Key(Qt::Key_Space);
  EXPECT_EQ(e->grab().toImage(), empty) << "false looks like an empty cell: no mark";
  Key(Qt::Key_Up);  // first row: the grid stays, the editor commits on Enter
  Key(Qt::Key_Return);
  EXPECT_FALSE(Cell(kBool, 0).AsBoolean());
  EXPECT_FALSE(Cell(kBool, 0).IsNull());
}

// --- radio cells ------------------------------------------------------------------------------------------

TEST_F(GridEditors, RadioArrowsMoveInsideTheBlockAndLeaveAtItsEdgesStoringTheValuesEntry) {
  ASSERT_TRUE(grid->HasOption(wgoArrowMove));
  Go(kRadio, 0);
  Key(Qt::Key_F2);
  auto* e = Open<TwInRadioGroup>();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->ItemIndex(), -1);
  Key(Qt::Key_Right);  // nothing chosen: item 0
  EXPECT_EQ(e->ItemIndex(), 0);
  Key(Qt::Key_Right);
  EXPECT_EQ(e->ItemIndex(), 1);
  Key(Qt::Key_Down);  // 1 -> 4
  EXPECT_EQ(e->ItemIndex(), 4);
  Key(Qt::Key_Up);
  Key(Qt::Key_Right);
  EXPECT_EQ(e->ItemIndex(), 2);
  Key(Qt::Key_Right);  // the end of the first row: the grid takes it
  EXPECT_EQ(grid->Col(), int(kMemo));
  EXPECT_EQ(Cell(kRadio, 0).AsString(), "v2") << "the Values entry of the chosen index";

  Go(kRadio, 1);
  Key(Qt::Key_F2);
  e = Open<TwInRadioGroup>();
  ASSERT_NE(e, nullptr);
  Key(Qt::Key_End);  // nothing chosen: any arrow chooses item 0 first
  EXPECT_EQ(e->ItemIndex(), 0);
  Key(Qt::Key_End);
  EXPECT_EQ(e->ItemIndex(), 5);
  Key(Qt::Key_Space);  // from the last item space cycles to item 0
  EXPECT_EQ(e->ItemIndex(), 0);
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);  // item 3 is on the last row: Down goes to the grid
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(Cell(kRadio, 1).AsString(), "v3");
}

TEST_F(GridEditors, WithoutArrowMoveRightAtTheRowsEndStaysAndDeleteEmptiesTheCell) {
  grid->SetOptions(TwGridOptions(grid->Options()).Exclude(wgoArrowMove));
  Cell(kRadio, 0).SetAsString("v2");
  Go(kRadio, 0);
  Key(Qt::Key_F2);
  auto* e = Open<TwInRadioGroup>();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->ItemIndex(), 2) << "the cell's value chooses its item";
  Key(Qt::Key_Right);
  EXPECT_EQ(grid->Col(), int(kRadio));
  EXPECT_EQ(e->ItemIndex(), 2);
  Key(Qt::Key_Delete);
  EXPECT_EQ(e->ItemIndex(), -1);
  Key(Qt::Key_Return);
  EXPECT_TRUE(Cell(kRadio, 0).IsNull());
}

TEST_F(GridEditors, AClickOnARadioItemOfTheCurrentCellChoosesIt) {
  Go(kRadio, 0);
  Key(Qt::Key_F2);
  auto* e = Open<TwInRadioGroup>();
  ASSERT_NE(e, nullptr);
  Key(Qt::Key_Escape);  // closed again: the next click on the cell opens it and chooses
  ASSERT_FALSE(grid->EditorShowing());
  // Item 1 sits in the second third of the first line of the block.
  QImage scratch(1, 1, QImage::Format_RGB32);
  plat::paint::TCanvas canvas(&scratch);
  TRect item;
  const TRect cell = grid->Model().Extents().CellInnerRect(grid->Column(kRadio)->VisibleIndex(), 0);
  GetRadioItemRect(canvas, TRect{0, 0, cell.Width(), cell.Height()}, {"v0", "v1", "v2", "v3", "v4", "v5"},
                   grid->Column(kRadio)->Layout(), 3, 1, item);
  Click(QPoint(cell.Left + item.Left + 4, cell.Top + item.Top + item.Height() / 2));
  e = Open<TwInRadioGroup>();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->ItemIndex(), 1);
  Key(Qt::Key_Return);
  EXPECT_EQ(Cell(kRadio, 0).AsString(), "v1");
}

TEST_F(GridEditors, ARadioEditorWithNothingChosenDrawsTheButtonsGreyedAndFocusesTheFirstItem) {
  Go(kRadio, 0);
  Key(Qt::Key_F2);
  auto* e = Open<TwInRadioGroup>();
  ASSERT_NE(e, nullptr);
  ASSERT_TRUE(e->hasFocus());
  const QImage shown = e->grab().toImage().convertToFormat(QImage::Format_RGB32);
  auto expected = [&](int index) {
    QImage img(e->size(), QImage::Format_RGB32);
    plat::paint::TCanvas c(&img);
    c.Brush.Color = e->Color();
    c.Font = plat::paint::TFont(grid->Column(kRadio)->Font().Name, 0, grid->Column(kRadio)->Font().Style,
                                grid->Column(kRadio)->Font().Color);
    c.Font.SetSize(grid->Column(kRadio)->Font().Size);
    DrawRadioItems(c, e->ContentRect(), e->Labels(), !grid->Column(kRadio)->Ctl3D(), true,
                   grid->Column(kRadio)->Layout(), 3, index);
    c.End();
    return img;
  };
  // Inside the column's edit border.
  const TRect in = e->ContentRect();
  const QRect content(in.Left, in.Top, in.Width(), in.Height());
  EXPECT_EQ(shown.copy(content), expected(-1).copy(content));
  EXPECT_NE(shown.copy(content), expected(0).copy(content))
      << "greyed buttons differ from a chosen first item";
}

// --- memo and picture dialogs -----------------------------------------------------------------------------

// Runs `inside` once the modal dialog is up.
void WhileModal(const char* when, std::function<void(QWidget*)> inside) {
  QTimer::singleShot(0, [when, inside] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) {
      ADD_FAILURE() << "no modal dialog " << when;
      return;
    }
    inside(w);
  });
}

TEST_F(GridEditors, TheMemoDialogOpensOnF2LoadsCp949AndUtf8FilesAndOkWritesTheCell) {
  QTemporaryDir dir;
  auto write = [&](const char* name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return dir.filePath(name).toStdString();
  };
  const std::string cp949 =
      write("c.txt", QByteArray::fromStdString(plat::text::Utf8ToCp949("개인정보 목록\r\n둘째 줄")));
  const std::string utf8 = write("u.txt", QByteArray::fromStdString("보안 문서 UTF-8"));
  plat::ui::ScriptedDialogs dialogs;
  dialogs.QueueFile(cp949);
  dialogs.QueueFile(utf8);
  Cell(kMemo, 0).SetAsString("처음");
  Go(kMemo, 0);
  std::string seen;
  WhileModal("1", [&](QWidget* w) {
    auto* d = dynamic_cast<TwInDlgMemo*>(w);
    ASSERT_NE(d, nullptr);
    seen = d->Text();
    QTest::mouseClick(d->cmLoad, Qt::LeftButton);
    QTest::mouseClick(d->cmOk, Qt::LeftButton);
  });
  Key(Qt::Key_F2);
  EXPECT_EQ(seen, "처음") << "the dialog shows the cell's value";
  EXPECT_EQ(Cell(kMemo, 0).AsString(), "개인정보 목록\n둘째 줄");
  EXPECT_FALSE(grid->EditorShowing());

  Go(kMemo, 1);
  WhileModal("2", [&](QWidget* w) {
    auto* d = dynamic_cast<TwInDlgMemo*>(w);
    ASSERT_NE(d, nullptr);
    QTest::mouseClick(d->cmLoad, Qt::LeftButton);
    QTest::mouseClick(d->cmOk, Qt::LeftButton);
  });
  Click(kMemo, 1);  // a click on the current memo cell opens the dialog too
  EXPECT_EQ(Cell(kMemo, 1).AsString(), "보안 문서 UTF-8");

  WhileModal("3", [&](QWidget* w) {
    auto* d = dynamic_cast<TwInDlgMemo*>(w);
    ASSERT_NE(d, nullptr);
    d->memoMain->setPlainText("버림");
    QTest::keyClick(d->memoMain, Qt::Key_Escape);
  });
  QTest::keyClick(grid, Qt::Key_F2);
  EXPECT_EQ(Cell(kMemo, 1).AsString(), "보안 문서 UTF-8") << "Esc passes nothing";
}

TEST_F(GridEditors, ThePictureDialogShowsTheCellsPictureAndOkAfterClearHandsBackAnEmptyBitmap) {
  QImage red(5, 5, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  grid->OnGetImage = [&](TwMemColumn*, int, QImage& image) { image = red; };
  std::vector<QImage> stored;
  grid->OnSetImage = [&](TwMemColumn* c, int row, QImage& image) {
    EXPECT_EQ(c, grid->Column(kPicture));
    EXPECT_EQ(row, 0);
    stored.push_back(image);
  };
  Go(kPicture, 0);
  QImage shown;
  WhileModal("4", [&](QWidget* w) {
    auto* d = dynamic_cast<TwInDlgImg*>(w);
    ASSERT_NE(d, nullptr);
    shown = d->Picture();
    QTest::mouseClick(d->cmClear, Qt::LeftButton);
    QTest::mouseClick(d->cmOk, Qt::LeftButton);
  });
  Key(Qt::Key_F2);
  EXPECT_EQ(shown.pixel(2, 2), red.pixel(2, 2));
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_TRUE(stored[0].isNull() || stored[0].width() == 0);
}

}  // namespace
