// The drop-down value list and the pick-list editor: list modes and cell texts, measuring, painting, keys
// forwarded from the editor, mouse on the list (capture, drag-scrolling, scroll bar), search as you type by
// keys and by committed input-method text, value/text mapping, ValuesOnly, read-only close-ups, and the
// list opening above the editor near the screen's bottom.
#include "grid/editors/pick_list.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QScreen>
#include <QScrollBar>
#include <stdexcept>

#include "editor_fixture.h"
#include "grid/memory/mem_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_session.h"
#include "platform/ui/keys.h"

using namespace editortest;
using plat::paint::TRect;

namespace {

// The pick list of a string column of a real memory grid (one row, editing allowed, arrows not leaving the
// text), opened by the grid on its cell; the column holds a placeholder value until the test gives it its
// own values.
struct Picker {
  std::vector<bool> closeUps;
  int dropDowns = 0;
  QWidget window;
  TMemGrid* grid = new TMemGrid(&window);
  TwMemColumn* column = grid->AddColumn();
  TwMemColumn* next = grid->AddColumn();
  QWidget* other = new QWidget(&window);
  TwInPickList* e = nullptr;
  Picker() {
    window.resize(400, 220);
    grid->setGeometry(0, 0, 400, 180);
    column->SetDataType(wdtString);
    column->SetValues({"-"});
    column->SetColWidth(160);
    next->SetDataType(wdtString);
    grid->SetOptions(
        TwGridOptions(grid->Options()).Include(wgoEditing).Exclude(wgoArrowMove).Exclude(wgoEnterToTab));
    grid->AppendRow(false, false, false);
    grid->OnCloseUp = [this](QObject* sender, bool accept) {
      EXPECT_EQ(sender, grid);
      closeUps.push_back(accept);
    };
    grid->OnDropDown = [this](QObject*) { ++dropDowns; };
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(0, 190, 40, 20);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    grid->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    grid->ShowEditor();
    e = dynamic_cast<TwInPickList*>(grid->Editing().InplaceEditor());
    if (!e) throw std::runtime_error("the grid opened no pick list");
    QApplication::processEvents();
  }
  void Leave() {
    other->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
  }
  QImage Grab() { return e->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  TwItemList* list() const { return e->DropList(); }
  void Fruits(int valuesIndex = -1) {
    column->SetValues({"A", "B", "C"});
    column->SetItems({"Apple;red", "Banana;yellow", "Cherry;red"});
    column->ListOption().SetValuesIndex(valuesIndex);
  }
  void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(e, k, m); }
  // The centre of a list row in the list window's coordinates.
  QPoint RowPoint(int row) const {
    const QRect c = list()->ClientRect();
    return QPoint(c.left() + 5, c.top() + list()->RowTop() +
                                    (row - list()->TopIndex()) * list()->RowHeight() +
                                    list()->RowHeight() / 2);
  }
};

std::vector<std::string> Numbered(int n, const char* prefix) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back(prefix + std::to_string(i));
  return v;
}

}  // namespace

// --- list modes and texts ---------------------------------------------------------------------------------

TEST(ItemList, ItemsDescribeValuesInTwoColumnsAndChoosingARowShowsTheFirstFieldButStoresTheValue) {
  Picker p;
  p.Fruits();
  p.Key(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(p.e->DroppedDown());
  EXPECT_TRUE(p.list()->ItemsMode());
  EXPECT_EQ(p.list()->ColumnCount(), 2);
  EXPECT_EQ(p.list()->CellText(0, 1), "Banana");
  EXPECT_EQ(p.list()->CellText(1, 1), "yellow");
  p.Key(Qt::Key_Down);  // no selection yet: selects the last-index row 0
  p.Key(Qt::Key_Down);
  EXPECT_EQ(p.list()->ItemIndex(), 1);
  p.Key(Qt::Key_Return);
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Banana");
  EXPECT_EQ(p.e->GetValue().ToString(), "B");
  EXPECT_EQ(p.e->ValueIndex(), 1);
  EXPECT_EQ(p.closeUps, std::vector<bool>{true});
  EXPECT_EQ(p.dropDowns, 1);
}

TEST(ItemList, ValuesShownFirstMakeThreeColumnsAndTheEditorShowsTheValueItself) {
  Picker p;
  p.Fruits(0);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(p.list()->ColumnCount(), 3);
  EXPECT_EQ(p.list()->CellText(0, 2), "C");
  EXPECT_EQ(p.list()->CellText(1, 2), "Cherry");
  EXPECT_EQ(p.list()->CellText(2, 2), "red");
  p.Key(Qt::Key_End);
  p.Key(Qt::Key_Up);
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->Text(), "B");
  EXPECT_EQ(p.e->GetValue().ToString(), "B");
}

TEST(ItemList, ValuesInTheMiddleShiftTheLaterFields) {
  Picker p;
  p.Fruits(1);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(p.list()->CellText(0, 0), "Apple");
  EXPECT_EQ(p.list()->CellText(1, 0), "A");
  EXPECT_EQ(p.list()->CellText(2, 0), "red");
  p.Key(Qt::Key_Home);
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->Text(), "Apple") << "the value is not the first column, so the first field is shown";
}

TEST(ItemList, FewerItemLinesThanValuesListTheValuesAloneInOneColumn) {
  Picker p;
  p.column->SetValues({"A", "B", "C"});
  p.column->SetItems({"Apple;red", "Banana;yellow"});
  p.Key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_FALSE(p.list()->ItemsMode());
  EXPECT_EQ(p.list()->ColumnCount(), 1);
  EXPECT_EQ(p.list()->CellText(0, 2), "C");
  p.Key(Qt::Key_End);
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->Text(), "C");
}

TEST(ItemList, TitlesAreFieldsOfTheTitleText) {
  Picker p;
  p.Fruits();
  p.column->ListOption().SetTitles("Fruit;Colour");
  p.Key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(p.list()->TitleText(0), "Fruit");
  EXPECT_EQ(p.list()->TitleText(1), "Colour");
  EXPECT_EQ(p.list()->TitleText(2), "");
}

// --- value and text
// -----------------------------------------------------------------------------------------

TEST(PickListValue, AValueOutsideTheListIsShownAsTypedTextAndNullEmptiesTheEditor) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("Z"));
  EXPECT_EQ(p.e->Text(), "Z");
  EXPECT_EQ(p.e->ValueIndex(), -1);
  EXPECT_EQ(p.e->GetValue().ToString(), "Z");
  p.e->SetValue(plat::Variant("C"));
  EXPECT_EQ(p.e->Text(), "Cherry");
  EXPECT_EQ(p.e->ValueIndex(), 2);
  p.e->SetValue(plat::Variant::Null());
  EXPECT_EQ(p.e->Text(), "");
  EXPECT_EQ(p.e->ValueIndex(), -1);
  EXPECT_TRUE(p.e->GetValue().IsNull());
}

TEST(PickListValue, TheLinkedValueWinsOverTheShownText) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("A"));
  EXPECT_EQ(p.e->Text(), "Apple");
  EXPECT_EQ(p.e->GetValue().ToString(), "A");
}

// --- search as you type
// -------------------------------------------------------------------------------------

TEST(PickListSearch, TypingDropsTheListAndSelectsTheFirstRowBeginningWithTheTextInAnyCase) {
  Picker p;
  p.column->SetValues({"apple", "Banana", "blueberry", "Cherry"});
  p.e->SetValue(plat::Variant::Null());
  QTest::keyClicks(p.e, "b");
  ASSERT_TRUE(p.e->DroppedDown());
  EXPECT_TRUE(p.list()->HasCapture()) << "a typed character drops the list with capture";
  EXPECT_EQ(p.list()->ItemIndex(), 1);
  QTest::keyClicks(p.e, "l");
  EXPECT_EQ(p.list()->ItemIndex(), 2);
  QTest::keyClicks(p.e, "x");
  EXPECT_EQ(p.list()->ItemIndex(), -1) << "no row begins with blx";
  p.Key(Qt::Key_Backspace);
  EXPECT_EQ(p.list()->ItemIndex(), 2);
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->Text(), "blueberry");
  EXPECT_EQ(p.e->ValueIndex(), 2);
}

TEST(PickListSearch, CaseSensitiveSearchSkipsRowsOfTheOtherCase) {
  Picker p;
  p.column->SetValues({"Banana", "bean"});
  p.column->ListOption().SetCaseSensitive(true);
  QTest::keyClicks(p.e, "b");
  EXPECT_EQ(p.list()->ItemIndex(), 1);
  p.Key(Qt::Key_Escape);
  p.column->ListOption().SetCaseSensitive(false);
  QTest::keyClicks(p.e, "b");
  EXPECT_EQ(p.list()->ItemIndex(), 0);
}

TEST(PickListSearch, ItemsModeSearchesTheWholeDescriptionLine) {
  Picker p;
  p.Fruits();
  QTest::keyClicks(p.e, "Ch");
  EXPECT_EQ(p.list()->ItemIndex(), 2);
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->GetValue().ToString(), "C");
}

TEST(PickListSearch, CommittedHangulFromTheInputMethodDropsTheListAndSearches) {
  Picker p;
  p.column->SetValues({"가방", "나무", "나비", "다리"});
  p.e->SetText("");
  QInputMethodEvent compose("ㄴ", {});
  QCoreApplication::sendEvent(p.e, &compose);
  EXPECT_FALSE(p.e->DroppedDown()) << "a composition still in progress does not drop the list";
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("나"));
  QCoreApplication::sendEvent(p.e, &commit);
  ASSERT_TRUE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "나");
  EXPECT_EQ(p.list()->ItemIndex(), 1);
  QInputMethodEvent more;
  more.setCommitString(QString::fromUtf8("비"));
  QCoreApplication::sendEvent(p.e, &more);
  EXPECT_EQ(p.list()->ItemIndex(), 2);
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->GetValue().ToString(), "나비");
}

TEST(PickListSearch, WithoutAutoDropTypingLeavesTheListClosed) {
  Picker p;
  p.Fruits();
  p.column->ListOption().SetAutoDrop(false);
  QTest::keyClicks(p.e, "B");
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "B");
}

// --- closing
// ------------------------------------------------------------------------------------------------

TEST(PickListClose, WithValuesOnlyEnterOnUnmatchedTextRestoresTheTextFromBeforeTheDropDown) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("A"));
  p.e->selectAll();
  QTest::keyClicks(p.e, "zz");
  ASSERT_TRUE(p.e->DroppedDown());
  EXPECT_EQ(p.e->SavedText(), "Apple");
  EXPECT_EQ(p.e->Text(), "zz");
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->Text(), "Apple");
  EXPECT_EQ(p.e->GetValue().ToString(), "A");
}

TEST(PickListClose, WithoutValuesOnlyUnmatchedTextStaysAsFreeText) {
  Picker p;
  p.Fruits();
  p.column->ListOption().SetValuesOnly(false);
  p.e->SetValue(plat::Variant("A"));
  p.e->selectAll();
  QTest::keyClicks(p.e, "zz");
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->Text(), "zz");
  EXPECT_EQ(p.e->ValueIndex(), -1);
  EXPECT_EQ(p.e->GetValue().ToString(), "zz");
}

TEST(PickListClose, EscRestoresTheTextAndAltDownClosesWithAccept) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("C"));
  p.e->selectAll();
  QTest::keyClicks(p.e, "b");
  p.Key(Qt::Key_Escape);
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Cherry");
  EXPECT_EQ(p.closeUps, std::vector<bool>{false});
  p.Key(Qt::Key_Up, Qt::AltModifier);
  ASSERT_TRUE(p.e->DroppedDown());
  EXPECT_EQ(p.list()->ItemIndex(), 2) << "the list opens on the row the text names";
  p.Key(Qt::Key_Up);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Banana");
  EXPECT_EQ(p.closeUps, (std::vector<bool>{false, true}));
}

TEST(PickListClose, AReadOnlyColumnKeepsTextAndValueButTheCloseUpIsStillReported) {
  Picker p;
  BeepCounter beeps;
  p.Fruits();
  p.e->SetValue(plat::Variant("A"));
  p.column->SetReadOnly(true);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  p.Key(Qt::Key_End);
  p.Key(Qt::Key_Return);
  EXPECT_EQ(p.e->Text(), "Apple");
  EXPECT_EQ(p.e->ValueIndex(), 0);
  EXPECT_EQ(p.closeUps, std::vector<bool>{true});
  EXPECT_EQ(beeps.count, 1) << "the refused change sounds the beep";
}

TEST(PickListClose, LosingTheFocusClosesWithoutAccept) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("A"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  p.Key(Qt::Key_Down);
  p.Leave();
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_FALSE(p.list()->isVisible());
  EXPECT_EQ(p.e->Text(), "Apple");
  EXPECT_EQ(p.closeUps, std::vector<bool>{false});
}

TEST(PickListClose, ArrowMoveLeavesAtTheTextEdgeAcceptingTheRow) {
  Picker p;
  p.Fruits();
  p.grid->SetOptions(TwGridOptions(p.grid->Options()).Include(wgoArrowMove));
  p.e->SetText("");
  QTest::keyClicks(p.e, "Ba");
  ASSERT_TRUE(p.e->DroppedDown());
  p.e->setCursorPosition(1);
  p.Key(Qt::Key_Left);
  EXPECT_EQ(p.e->cursorPosition(), 0) << "inside the text Left moves the caret";
  EXPECT_TRUE(p.e->DroppedDown());
  EXPECT_EQ(p.grid->Col(), 0);
  p.e->setCursorPosition(2);
  p.Key(Qt::Key_Right);  // the caret is at the right edge
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Banana");
  EXPECT_EQ(p.closeUps, std::vector<bool>{true});
  EXPECT_EQ(p.grid->Col(), 1) << "the grid took the key and moved to the next column";
  EXPECT_EQ(p.grid->Cells(0, 0).AsString(), "B") << "leaving the cell stored the chosen row's value";
}

// --- keys in the list
// ---------------------------------------------------------------------------------------

TEST(ItemListKeys, PagesAndEndsScrollTheSelectionIntoView) {
  Picker p;
  p.column->SetValues(Numbered(20, "v"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  EXPECT_EQ(l->VisibleRows(), 8);
  p.Key(Qt::Key_PageDown);  // nothing chosen: the last-index row
  EXPECT_EQ(l->ItemIndex(), 0);
  p.Key(Qt::Key_PageDown);
  EXPECT_EQ(l->ItemIndex(), 8);
  EXPECT_EQ(l->TopIndex(), 1);
  p.Key(Qt::Key_End);
  EXPECT_EQ(l->ItemIndex(), 19);
  EXPECT_EQ(l->TopIndex(), 12);
  EXPECT_EQ(l->ScrollBar()->value(), 12);
  p.Key(Qt::Key_PageDown);
  EXPECT_EQ(l->ItemIndex(), 19) << "bounded at the last row";
  p.Key(Qt::Key_PageUp);
  EXPECT_EQ(l->ItemIndex(), 11);
  EXPECT_EQ(l->TopIndex(), 11);
  p.Key(Qt::Key_Home);
  EXPECT_EQ(l->ItemIndex(), 0);
  EXPECT_EQ(l->TopIndex(), 0);
  p.Key(Qt::Key_Up);
  EXPECT_EQ(l->ItemIndex(), 0);
  p.Key(Qt::Key_PageUp);
  EXPECT_EQ(l->ItemIndex(), 0);
}

TEST(ItemListKeys, TopIndexIsBoundedAndAClearedSelectionKeepsTheLastRow) {
  Picker p;
  p.column->SetValues(Numbered(20, "v"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  l->SetTopIndex(50);
  EXPECT_EQ(l->TopIndex(), 12);
  l->SetTopIndex(-3);
  EXPECT_EQ(l->TopIndex(), 0);
  l->SetItemIndex(100);
  EXPECT_EQ(l->ItemIndex(), 19);
  l->SetItemIndex(-7);
  EXPECT_EQ(l->ItemIndex(), -1) << "any negative index is no selection";
  EXPECT_EQ(l->LastIndex(), 19);
  p.Key(Qt::Key_Up);
  EXPECT_EQ(l->ItemIndex(), 19) << "with no selection Up goes back to the last row";
}

// --- measuring
// ----------------------------------------------------------------------------------------------

TEST(ItemListSize, TwentyValuesShowEightRowsAScrollBarAndTheNaturalWidthIncludesIt) {
  Picker p;
  p.column->SetValues(Numbered(20, "item"));  // longest: "item19", 6 characters
  p.column->ListOption().SetWidth(-1);
  p.column->ListOption().SetCharWidth(7);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  EXPECT_EQ(l->VisibleRows(), 8);
  EXPECT_TRUE(l->ScrollBar()->isVisible());
  EXPECT_EQ(l->ColumnWidths(), std::vector<int>{6});
  const int b = l->BorderSize();
  EXPECT_EQ(l->width(), 6 * 7 + 2 * 1 + b - 1 + ButtonWidth());
  const int fontHeight = GetFontHeight(ToPaintFont(p.column->ListOption().Font()));
  EXPECT_EQ(l->RowHeight(), fontHeight + 2);
  EXPECT_EQ(l->height(), b + 8 * l->RowHeight() + 1);
  EXPECT_EQ(l->ScrollBar()->maximum(), 12);
}

TEST(ItemListSize, WidthRulesEditorNaturalLargerAndFixed) {
  Picker p;
  p.column->SetValues({"a", "bb"});
  p.column->ListOption().SetCharWidth(5);
  auto widthWith = [&](int w) {
    p.column->ListOption().SetWidth(w);
    p.Key(Qt::Key_Down, Qt::AltModifier);
    const int r = p.list()->width();
    p.Key(Qt::Key_Escape);
    return r;
  };
  EXPECT_EQ(widthWith(0), p.e->width());
  const int nat = widthWith(-1);
  EXPECT_EQ(nat, 2 * 5 + 2 + p.list()->BorderSize() - 1) << "two rows fit: no scroll-bar room";
  EXPECT_EQ(widthWith(-2), std::max(p.e->width(), nat));
  EXPECT_EQ(widthWith(333), 333);
  EXPECT_EQ(p.list()->VisibleRows(), 2);
}

TEST(ItemListSize, TitlesLinesAndImagesEnlargeTheRows) {
  Picker p;
  p.Fruits();
  auto& o = p.column->ListOption();
  o.SetShowTitle(true);
  o.SetTitles("Fruit name;C");
  o.SetRowLines(true);
  o.SetCharWidth(6);
  TwImageList images(16, 30);
  QImage picture(16, 30, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  images.AddMasked(picture, 0xFFFFFF);
  o.SetImages(&images);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  EXPECT_EQ(l->RowHeight(), 30 + 2 + 1) << "image height + 2, plus 1 for row lines";
  EXPECT_EQ(l->RowTop(), l->TitleHeight());
  EXPECT_EQ(l->TitleHeight(), GetFontHeight(ToPaintFont(o.TitleFont())) + 4);
  EXPECT_EQ(l->ColumnWidths(), (std::vector<int>{10, 6}))
      << "the title is wider than the names, yellow than C";
  EXPECT_EQ(l->HitTest(3, 2), -1) << "the title band is no row";
  EXPECT_EQ(l->HitTest(3, l->RowTop() + l->RowHeight() + 1), 1);
  o.SetImages(nullptr);
}

TEST(ItemListSize, AnEmptyListTakesTheEditorWidthAndTwelvePixels) {
  Picker p;
  p.column->SetValues({});  // the open editor keeps its column
  p.Key(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(p.e->DroppedDown());
  EXPECT_EQ(p.list()->width(), p.e->width());
  EXPECT_EQ(p.list()->height(), 12);
  QTest::mouseRelease(p.list(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(p.e->DroppedDown()) << "a release inside an empty list does nothing";
}

// --- placement
// ----------------------------------------------------------------------------------------------

TEST(ItemListPlace, OpensUnderTheEditorOrAboveItNearTheScreensBottom) {
  Picker p;
  p.column->SetValues(Numbered(20, "v"));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  p.window.move(screen.left() + 20, screen.top() + 20);
  QApplication::processEvents();
  p.Key(Qt::Key_Down, Qt::AltModifier);
  const QPoint editorTop = p.e->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(p.list()->pos(), QPoint(editorTop.x(), editorTop.y() + p.e->height()));
  p.Key(Qt::Key_Escape);

  p.window.move(screen.left() + 20, screen.bottom() - 60);
  QApplication::processEvents();
  p.Key(Qt::Key_Down, Qt::AltModifier);
  const QPoint lowTop = p.e->mapToGlobal(QPoint(0, 0));
  ASSERT_GT(lowTop.y() + p.e->height() + p.list()->height(), screen.bottom() + 1);
  EXPECT_EQ(p.list()->pos(), QPoint(lowTop.x(), lowTop.y() - p.list()->height()));
}

// --- mouse
// --------------------------------------------------------------------------------------------------

TEST(ItemListMouse, DropButtonPressThenReleaseOnARowChoosesIt) {
  Picker p;
  p.Fruits();
  TRect b;
  p.e->GetButtonRect(b);
  const TRect c = p.e->ClientRect();
  const QPoint onButton(c.Left + b.Left + b.Width() / 2, c.Top + b.Height() / 2);
  QTest::mousePress(p.e, Qt::LeftButton, {}, onButton);
  ASSERT_TRUE(p.e->DroppedDown());
  EXPECT_TRUE(p.e->ButtonPressed());
  EXPECT_TRUE(p.e->Tracking());
  EXPECT_TRUE(p.e->hasFocus()) << "the editor keeps the keyboard";
  QTest::mouseRelease(p.e, Qt::LeftButton, {}, onButton);
  EXPECT_FALSE(p.e->Tracking());
  EXPECT_TRUE(p.list()->HasCapture()) << "the release hands the capture to the list";
  EXPECT_TRUE(p.e->DroppedDown());
  QTest::mousePress(p.list(), Qt::LeftButton, {}, p.RowPoint(2));
  EXPECT_EQ(p.list()->ItemIndex(), 2);
  QTest::mouseRelease(p.list(), Qt::LeftButton, {}, p.RowPoint(2));
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Cherry");
  EXPECT_EQ(p.e->GetValue().ToString(), "C");
}

TEST(ItemListMouse, APressOutsideTheListClosesWithoutAccept) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("A"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  p.Key(Qt::Key_End);
  QTest::mousePress(p.list(), Qt::LeftButton, {}, QPoint(-20, p.list()->height() + 30));
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Apple");
  EXPECT_EQ(p.closeUps, std::vector<bool>{false});
}

TEST(ItemListMouse, AReleaseOutsideTheClientAreaClosesWithoutAccept) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("A"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  QTest::mousePress(p.list(), Qt::LeftButton, {}, p.RowPoint(1));
  QTest::mouseRelease(p.list(), Qt::LeftButton, {}, QPoint(p.list()->width() + 10, 3));
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Apple");
}

TEST(ItemListMouse, MovingSelectsAndDraggingBelowOrAboveScrollsOneRowAtATime) {
  Picker p;
  p.column->SetValues(Numbered(20, "v"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  const QPoint over = p.RowPoint(3);
  QMouseEvent hover(QEvent::MouseMove, over, l->mapToGlobal(over), Qt::NoButton, Qt::NoButton, {});
  QCoreApplication::sendEvent(l, &hover);
  EXPECT_EQ(l->ItemIndex(), 3);
  QTest::mousePress(l, Qt::LeftButton, {}, p.RowPoint(7));
  EXPECT_EQ(l->ItemIndex(), 7);
  const QPoint below(10, l->height() + 15);
  for (int i = 0; i < 3; ++i) {
    QMouseEvent drag(QEvent::MouseMove, below, l->mapToGlobal(below), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(l, &drag);
  }
  EXPECT_EQ(l->ItemIndex(), 10);
  EXPECT_EQ(l->TopIndex(), 3);
  const QPoint above(10, -5);
  QMouseEvent up(QEvent::MouseMove, above, l->mapToGlobal(above), Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(l, &up);
  EXPECT_EQ(l->ItemIndex(), 9);
  QTest::mouseRelease(l, Qt::LeftButton, {}, p.RowPoint(l->ItemIndex()));
  EXPECT_EQ(p.e->Text(), "v9");
}

TEST(ItemListMouse, APressOnTheScrollBarScrollsWithoutClosing) {
  Picker p;
  p.column->SetValues(Numbered(40, "v"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  ASSERT_TRUE(l->HasCapture());
  QScrollBar* sb = l->ScrollBar();
  const QPoint nearBottom = sb->geometry().center() + QPoint(0, sb->height() / 2 - sb->width() - 3);
  QTest::mousePress(l, Qt::LeftButton, {}, nearBottom);
  EXPECT_TRUE(l->OnScrollBar());
  QTest::mouseRelease(l, Qt::LeftButton, {}, nearBottom);
  EXPECT_TRUE(p.e->DroppedDown()) << "the scroll bar's release is no choice";
  EXPECT_GT(l->TopIndex(), 0);
  EXPECT_EQ(l->TopIndex(), sb->value());
  EXPECT_TRUE(l->HasCapture()) << "the capture is taken again";
}

// --- painting
// -----------------------------------------------------------------------------------------------

TEST(ItemListPaint, TheSelectedRowIsBlackAcrossAndAnUnselectedListMarksTheLastRowWithAFocusFrame) {
  Picker p;
  p.column->SetValues({"one", "two", "three"});
  p.column->ListOption().SetColor(0x00FFFF);  // yellow
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  l->SetItemIndex(1);
  QImage img = l->PaintClient();
  const int w = img.width();
  const int row1 = l->RowTop() + l->RowHeight() + l->RowHeight() / 2;
  const int row0 = l->RowTop() + l->RowHeight() / 2;
  EXPECT_EQ(img.pixel(w - 2, row1) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(img.pixel(w - 2, row0) & 0xFFFFFF, 0xFFFF00u) << "other rows in the list colour";
  int white = 0;
  for (int x = 0; x < w; ++x) white += (img.pixel(x, row1) & 0xFFFFFF) == 0xFFFFFF;
  EXPECT_GT(white, 0) << "white text on the selected row";

  l->SetItemIndex(-1);
  img = l->PaintClient();
  const int top1 = l->RowTop() + l->RowHeight();
  int frame = 0;
  for (int x = 0; x < w; ++x) frame += (img.pixel(x, top1) & 0xFFFFFF) != 0xFFFF00;
  EXPECT_GT(frame, w / 3) << "a dotted frame along the last row's top";
}

TEST(ItemListPaint, TitleBandAndColumnLinesUseTheirColours) {
  Picker p;
  p.Fruits();
  auto& o = p.column->ListOption();
  o.SetShowTitle(true);
  o.SetTitleColor(0x0000FF);  // red
  o.SetColLines(true);
  o.SetLineColor(0x00FF00);
  o.SetCharWidth(7);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  TwItemList* l = p.list();
  const QImage img = l->PaintClient();
  EXPECT_EQ(img.pixel(img.width() - 2, 1) & 0xFFFFFF, 0xFF0000u) << "title band";
  EXPECT_EQ(img.pixel(img.width() - 2, l->RowTop() - 1) & 0xFFFFFF, 0x00FF00u) << "line under the title";
  const int lineX = 1 + l->ColumnWidths()[0] * 7 + 1;
  EXPECT_EQ(img.pixel(lineX, l->RowTop() + 2) & 0xFFFFFF, 0x00FF00u) << "line after the first column";
}

// --- the drop button
// ------------------------------------------------------------------------------------------

namespace {
QImage ComboButtonImage(int w, int h, bool pushed) {
  QImage img(w, h, QImage::Format_RGB32);
  TCanvas dc(&img);
  dc.Brush.Color = clBtnFace;
  DrawComboButton(dc, TRect{0, 0, w, h}, true, pushed, false);
  dc.End();
  return img;
}
}  // namespace

TEST(PickListButton, TheButtonFillsTheRightEdgeIsDrawnPushedWhilePressedAndEndsTheTextArea) {
  Picker p;
  p.Fruits();
  TRect b, edit;
  p.e->GetButtonRect(b);
  p.e->GetEditRect(edit);
  const TRect c = p.e->ClientRect();
  EXPECT_EQ(b.Width(), ButtonWidth());
  EXPECT_EQ(b.Right, c.Width());
  EXPECT_EQ(b.Height(), c.Height());
  EXPECT_LE(edit.Right, b.Left) << "the text ends where the button begins";
  const QRect onEditor(c.Left + b.Left, c.Top + b.Top, b.Width(), b.Height());
  EXPECT_EQ(p.Grab().copy(onEditor), ComboButtonImage(b.Width(), b.Height(), false));
  QTest::mousePress(p.e, Qt::LeftButton, {}, onEditor.center());
  EXPECT_EQ(p.Grab().copy(onEditor), ComboButtonImage(b.Width(), b.Height(), true));
  QTest::mouseRelease(p.e, Qt::LeftButton, {}, onEditor.center());
  EXPECT_EQ(p.Grab().copy(onEditor), ComboButtonImage(b.Width(), b.Height(), false));
}

TEST(PickListButton, PressOnTheButtonDragIntoTheListAndReleaseOnARowChoosesIt) {
  Picker p;
  p.Fruits();
  TRect b;
  p.e->GetButtonRect(b);
  const TRect c = p.e->ClientRect();
  const QPoint onButton(c.Left + b.Left + 3, c.Top + 3);
  QTest::mousePress(p.e, Qt::LeftButton, {}, onButton);
  ASSERT_TRUE(p.e->Tracking());
  // Off the button: no longer pushed, still tracking.
  const QPoint offButton(5, 5);
  QMouseEvent away(QEvent::MouseMove, offButton, p.e->mapToGlobal(offButton), Qt::NoButton, Qt::LeftButton,
                   {});
  QCoreApplication::sendEvent(p.e, &away);
  EXPECT_FALSE(p.e->ButtonPressed());
  EXPECT_TRUE(p.e->Tracking());
  // Into the list's row 1: the list takes over and selects the row under the pointer.
  const QPoint rowGlobal = p.list()->mapToGlobal(p.RowPoint(1));
  const QPoint rowOnEditor = p.e->mapFromGlobal(rowGlobal);
  QMouseEvent into(QEvent::MouseMove, rowOnEditor, rowGlobal, Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(p.e, &into);
  EXPECT_FALSE(p.e->Tracking());
  EXPECT_TRUE(p.list()->HasCapture());
  EXPECT_EQ(p.list()->ItemIndex(), 1);
  QTest::mouseRelease(p.list(), Qt::LeftButton, {}, p.RowPoint(1));
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->GetValue().ToString(), "B");
}

TEST(PickListButton, APressOnTheButtonWhileDownClosesWithoutAccept) {
  Picker p;
  p.Fruits();
  p.e->SetValue(plat::Variant("A"));
  p.Key(Qt::Key_Down, Qt::AltModifier);
  p.Key(Qt::Key_End);
  TRect b;
  p.e->GetButtonRect(b);
  const TRect c = p.e->ClientRect();
  QTest::mouseClick(p.e, Qt::LeftButton, {}, QPoint(c.Left + b.Left + 3, c.Top + 3));
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(p.e->Text(), "Apple");
}

// --- character width
// ------------------------------------------------------------------------------------------

TEST(ItemListSize, CharacterWidthFromTheFontsMeasures) {
  Picker p;
  p.Fruits();
  auto& o = p.column->ListOption();
  TwFont big = o.Font();
  big.Size = 20;
  o.SetTitleFont(big);
  auto charWidth = [&] {
    p.Key(Qt::Key_Down, Qt::AltModifier);
    const int w = p.list()->CharWidth();
    p.Key(Qt::Key_Escape);
    return w;
  };
  const plat::paint::TFont font = ToPaintFont(o.Font()), title = ToPaintFont(o.TitleFont());
  EXPECT_EQ(charWidth(), GetMinAveCharWidth(font)) << "the title font counts only when shown";
  o.SetShowTitle(true);
  EXPECT_EQ(charWidth(), std::max(GetMinAveCharWidth(font), GetMinAveCharWidth(title)) + 1);
  o.SetCharWidth(-1);
  EXPECT_EQ(charWidth(), std::max(GetMinMaxCharWidth(font), GetMinMaxCharWidth(title)));
  o.SetCharWidth(9);
  EXPECT_EQ(charWidth(), 9);
}

TEST(ItemListSize, AThreeDimensionalFrameIsWiderThanThePlainBorder) {
  Picker p;
  p.column->SetValues({"a", "b"});
  p.column->ListOption().SetWidth(-1);
  p.column->ListOption().SetCharWidth(5);
  p.column->SetCtl3D(false);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  const int flatWidth = p.list()->width(), flatHeight = p.list()->height();
  const int flatBorder = p.list()->BorderSize();
  p.Key(Qt::Key_Escape);
  p.column->SetCtl3D(true);
  p.Key(Qt::Key_Down, Qt::AltModifier);
  const int grow = p.list()->BorderSize() - flatBorder;
  EXPECT_GT(grow, 0);
  EXPECT_EQ(p.list()->width(), flatWidth + grow);
  EXPECT_EQ(p.list()->height(), flatHeight + grow);
}

// --- row pictures
// ---------------------------------------------------------------------------------------------

namespace {
// A list whose even rows show picture 0 and odd rows none.
class PictureList : public TwItemList {
 public:
  int GetImageIndex(int Row) const override { return Row % 2 == 0 ? 0 : -1; }
};
}  // namespace

TEST(ItemListPaint, RowPicturesSitAtTheLeftAndPushTheTextRight) {
  TwItemListOption option;
  option.SetColor(0xFFFFFF);
  const TwStrings values = {"first", "second"};
  TwImageList images(10, 8);
  QImage picture(10, 8, QImage::Format_RGB32);
  picture.fill(qRgb(0, 0, 255));
  images.AddMasked(picture, 0x00FF00);
  PictureList list;
  list.SetupList(&option, &values, false, &images, nullptr, 120);
  const QImage img = list.PaintClient();
  const int mid0 = list.RowTop() + list.RowHeight() / 2;
  const int mid1 = mid0 + list.RowHeight();
  EXPECT_EQ(img.pixel(1 + 5, mid0) & 0xFFFFFF, 0x0000FFu) << "row 0 shows the picture";
  EXPECT_NE(img.pixel(1 + 5, mid1) & 0xFFFFFF, 0x0000FFu) << "row 1 has none";
  // The text of both rows starts past the picture's room.
  auto firstInk = [&](int y0) {
    for (int x = 0; x < img.width(); ++x)
      for (int y = y0; y < y0 + list.RowHeight(); ++y)
        if (qGray(img.pixel(x, y)) < 100 && (img.pixel(x, y) & 0xFFFFFF) != 0x0000FF) return x;
    return -1;
  };
  EXPECT_GE(firstInk(list.RowTop() + list.RowHeight()), 1 + 10 + 2);
}
