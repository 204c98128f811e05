// TMemGrid in the form description: a whole grid written, read back and written again; the stored tests
// (defaults and inherited values are not written, assigned ones are, per-mode sizes always); DataWidth;
// the after-load rebuild; and bad descriptions that leave no grid behind.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "grid/memory/mem_grid_form.h"
#include "platform/format/format.h"
#include "platform/paint/color.h"

using plat::persist::EFormError;
using twform::ReadMemGridForm;
using twform::WriteMemGridForm;

namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::unique_ptr<TMemGrid> NewGrid() {
  auto g = std::make_unique<TMemGrid>();
  g->setObjectName("Grid1");
  return g;
}

// A grid with columns of several types, titles, two footer rows with aggregates, a hidden column, changed
// lines and fonts.
std::unique_ptr<TMemGrid> RichGrid() {
  auto g = NewGrid();
  TMemGrid& grid = *g;
  grid.Model().Footers().Add()->Title().SetCaption("합계");
  TwGridFooter* second = grid.Model().Footers().Add();
  second->SetColor(clInfoBk);
  second->SetVisible(false);
  second->SetHeight(30);

  TwMemColumn* name = grid.AddColumn();
  name->Title().SetCaption("이름");
  name->SetDataWidth(8);
  TwFont bold = name->Title().Font();
  bold.Style = fsBold;
  name->Title().SetFont(bold);
  name->Footer().SetStyle(0,
                          TwMemColumnFooter::MakeStyle(wfkCnt, TwMemColumnFooter::kThisColumn, wfoAll, ""));
  name->SetItems({"가", "나"});
  name->SetValues({"a", "b"});

  TwMemColumn* price = grid.AddColumn();
  price->SetDataType(wdtLong);
  price->Title().SetCaption("Price");
  price->SetReadOnly(true);
  price->SetAlignment(taCenter);
  price->Footer().SetAlignment(taLeftJustify);
  price->Footer().SetStyle(0,
                           TwMemColumnFooter::MakeStyle(wfkSum, TwMemColumnFooter::kThisColumn, wfoAll, ""));
  price->Footer().SetStyle(1, TwMemColumnFooter::MakeStyle(wfkMax, 0, wfoEqual, "it's"));
  price->Footer().SetValue(1, "fixed text");

  TwMemColumn* date = grid.AddColumn();
  date->SetDataType(wdtDate);
  date->SetDisplayFormat("yyyy-mm-dd");
  date->SetEditStyle(wesDate);
  date->SetVisible(false);

  TwMemColumn* tick = grid.AddColumn();
  tick->SetDataType(wdtBool);
  tick->SetEditStyle(wesCheckBox);
  tick->SetValues({"N", "Y"});
  tick->SetFont(TwFont{"Arial", 9, fsItalic, clNavy});
  tick->Title().SetSortMark(wsmAsc);

  TwMemColumn* code = grid.AddColumn();
  code->SetDataType(wdtChar);
  code->SetDataWidth(10);
  code->SetMaxLength(5);
  code->SetMarginLeft(3);
  code->SetDefaults("A-1");
  code->SetRequired(true);
  code->ListOption().SetShowTitle(true);
  code->ListOption().SetSeparator(',');
  code->ListOption().SetTitleFont(TwFont{"Arial", 10, 0, clBlack});
  code->SetColWidth(120);
  code->SetImeMode(imHanguel);
  code->SetCustomKind("진행률");

  grid.Model().Lines().SetHorzColor(clBlack);
  grid.Model().EndLines().SetVertWidth(2);
  grid.Model().Headers().Lines().SetCellColor(clSilver);
  grid.Model().Headers().Title().SetCaption("No");
  grid.Model().Headers().SetHeight(30);
  grid.Model().SetFont(TwFont{"Arial", 9, 0, clWindowText});
  grid.Model().SetColor(clInfoBk);
  grid.Model().Indicators().SetWidth(30);
  grid.Model().Markers().SetVisible(true);
  grid.Model().FixedStyle().SetOptions({wfxSizing});
  grid.SetOptions({wgoEditing, wgoInserting, wgoMultiSelect, wgoRowSelect});
  grid.SetChangeDelay(0);
  grid.Model().SetRowHeight(25);
  grid.Model().SetFixedCount(1);
  grid.SetAutoCalcFooters(false);
  return g;
}

EFormError ReadError(const std::string& text, QWidget* parent = nullptr) {
  try {
    ReadMemGridForm(text, parent);
  } catch (const EFormError& e) {
    return e;
  }
  ADD_FAILURE() << "read without error:\n" << text;
  return EFormError({}, "");
}

// A description of a grid with the given lines inside its one column item.
std::string OneColumn(const std::string& itemLines) {
  return "object G: TMemGrid\n  Columns = <\n    item\n" + itemLines + "    end>\nend\n";
}

}  // namespace

// --- round trip -----------------------------------------------------------------------------------

TEST(GridForm, AGridWrittenReadAndWrittenAgainGivesTheSameText) {
  const auto grid = RichGrid();
  const std::string first = WriteMemGridForm(*grid);
  // What makes the round trip worth checking is in the text.
  for (const char* part : {"object Grid1: TMemGrid\n",
                           "Title.Caption = '이름'",
                           "DataWidth = 8\n",
                           "Footer.Style = (\n        '299990'\n        '099990')",
                           "Footer.Style = (\n        '399990'\n        '500001it''s')",
                           "Footer.Values = (\n        ''\n        'fixed text')",
                           "Visible = False",
                           "Title.Font.Style = [fsBold]",
                           "Lines.HorzColor = clBlack",
                           "EndLines.VertWidth = 2",
                           "Headers.ColHeight = 30",
                           "Headers.GrpHeight = 42",
                           "ColHeight = 21",
                           "GrpHeight = 42",
                           "ListOption.Separator = ','",
                           "ImeMode = imHanguel",
                           "CustomKind = '진행률'",
                           "ColWidth = 120",
                           "Options = [wgoEditing, wgoInserting, wgoMultiSelect, wgoRowSelect]",
                           "Values.Strings = (\n        'N'\n        'Y')",
                           "Title.SortMark = wsmAsc"})
    EXPECT_TRUE(Has(first, part)) << part << "\n" << first;

  const auto read = ReadMemGridForm(first);
  EXPECT_EQ(WriteMemGridForm(*read), first);
  EXPECT_EQ(read->objectName(), "Grid1");
  EXPECT_EQ(read->CheckConsistency().Problem, "");
  EXPECT_EQ(read->Model().CheckConsistency(), "");
}

TEST(GridForm, AGroupModeGridWithLevelsAndWeightsRoundTrips) {
  const auto grid = RichGrid();  // two footer rows with aggregates, a hidden column
  TwGroup* a = grid->Model().Groups().Add();
  a->SetWidth(120);
  a->SetLevels(2);
  a->InsertColumn(0, 0, grid->Column(0));
  a->InsertColumn(1, 0, grid->Column(1));
  a->SetWeight(3);  // level weights 2, 1
  TwGroup* b = grid->Model().Groups().Add();
  b->SetLevels(3);
  b->InsertColumn(0, 0, grid->Column(2));  // the hidden column
  b->InsertColumn(2, 0, grid->Column(3));
  b->InsertColumn(2, 1, grid->Column(4));
  b->SetWeight(5);          // 3, 1, 1
  b->SetLevelWeight(1, 2);  // 2, 2, 1
  TwGroup* c = grid->Model().Groups().Add();
  c->Title().SetCaption("셋째");
  c->Title().SetHeight(25);
  c->SetNoColTitles(true);
  c->SetVisible(false);
  grid->Model().SetGroupMode(true);
  ASSERT_TRUE(grid->Model().GroupMode());
  grid->Model().SetRowHeight(40);
  grid->Model().SetFixedCount(1);
  ASSERT_EQ(grid->Model().CheckConsistency(), "");

  const std::string first = WriteMemGridForm(*grid);
  for (const char* part :
       {"GroupMode = True", "Groups = <", "Levels = 2", "Weight = 3", "Width = 120",
        "Weights = {\n        02010101010101010101010101010101}",
        "Weights = {\n        02020101010101010101010101010101}", "Title.Caption = '셋째'",
        "Title.Height = 25", "NoColTitles = True", "Group = 1", "Level = 2", "LevelIndex = 1",
        "GrpWidth = 32", "ColRowHeight = 25", "GrpRowHeight = 40", "ColFixedCount = 1", "GrpFixedCount = 1"})
    EXPECT_TRUE(Has(first, part)) << part << "\n" << first;

  const auto read = ReadMemGridForm(first);
  EXPECT_EQ(WriteMemGridForm(*read), first);
  EXPECT_EQ(read->Model().CheckConsistency(), "");
  EXPECT_TRUE(read->Model().GroupMode());
  ASSERT_EQ(read->Model().Groups().Count(), 3);
  EXPECT_EQ(read->Model().Groups().VisibleCount(), 2);
  const TwGroup& rb = *read->Model().Groups().Items(1);
  EXPECT_EQ(rb.Levels(), 3);
  EXPECT_EQ(rb.Weight(), 5);
  EXPECT_EQ(rb.LevelWeight(0), 2);
  EXPECT_EQ(rb.LevelWeight(1), 2);
  EXPECT_EQ(rb.LevelWeight(2), 1);
  EXPECT_EQ(rb.LevelColumn(2, 1), read->Column(4));
  EXPECT_EQ(read->Column(4)->GrpWidth() + read->Column(3)->GrpWidth(), rb.Width());
  EXPECT_EQ(read->Model().Groups().Items(0)->LevelColumn(1, 0), read->Column(1));
  EXPECT_EQ(read->Model().RowHeight(), 40);
  EXPECT_EQ(read->Model().FixedCount(), 1);
  EXPECT_EQ(read->Column(1)->Footer().Kind(1), wfkMax);
}

TEST(GridForm, WhatIsReadBackBehavesLikeTheOriginal) {
  const auto read = ReadMemGridForm(WriteMemGridForm(*RichGrid()));
  ASSERT_EQ(read->ColumnCount(), 5);
  EXPECT_EQ(read->Model().Columns().VisibleCount(), 4);  // the date column is hidden
  EXPECT_EQ(read->Column(2)->VisibleIndex(), -1);
  EXPECT_EQ(read->Column(0)->DataWidth(), 8);
  EXPECT_EQ(read->Column(4)->DataWidth(), 10);
  EXPECT_EQ(read->Column(0)->Title().Font().Style, fsBold);
  EXPECT_TRUE(read->Column(0)->Title().IsAssigned(wdvFont));
  EXPECT_FALSE(read->Column(1)->Title().IsAssigned(wdvFont));
  EXPECT_EQ(read->Column(1)->Title().Font(), read->Model().Font());  // follows the grid through its column
  EXPECT_EQ(read->Column(1)->Footer().Alignment(), taLeftJustify);
  EXPECT_EQ(read->Column(0)->Footer().Alignment(), taLeftJustify);  // inherited from a string column
  EXPECT_EQ(read->Column(1)->Footer().Kind(1), wfkMax);
  EXPECT_EQ(read->Column(1)->Footer().ConditionValue(1), "it's");
  EXPECT_EQ(read->Column(1)->Footer().GetValue(1), "fixed text");
  ASSERT_EQ(read->Model().Footers().Count(), 2);
  EXPECT_EQ(read->Model().Footers().VisibleCount(), 1);
  EXPECT_EQ(read->Model().Footers().Items(1)->ColHeight(), 30);
  EXPECT_EQ(read->Model().Footers().Items(0)->Title().Caption(), "합계");
  EXPECT_EQ(read->Model().Headers().Height(), 30);
  EXPECT_EQ(read->Model().Lines().HorzColor(), clBlack);
  EXPECT_EQ(read->Model().Indicators().Width(), 30);
  EXPECT_TRUE(read->Model().Markers().Visible());
  EXPECT_EQ(read->Model().RowHeight(), 25);
  EXPECT_EQ(read->Model().FixedCount(), 1);
  EXPECT_EQ(read->ChangeDelay(), 0);
  EXPECT_FALSE(read->AutoCalcFooters());
  EXPECT_EQ(read->Column(3)->Values(), (TwStrings{"N", "Y"}));
  EXPECT_EQ(read->Column(4)->ListOption().Separator(), ',');
  EXPECT_FALSE(read->Column(4)->ListOption().FontAssigned());
  EXPECT_TRUE(read->Column(4)->ListOption().TitleFontAssigned());
  EXPECT_EQ(read->Column(4)->CustomKind(), "진행률");
  EXPECT_EQ(read->Column(3)->CustomKind(), "");
  // Its footers compute like the original's.
  read->AppendRow(false, false, false);
  read->AppendRow(false, false, false);
  read->Cells(1, 0).SetAsString("3");
  read->Cells(1, 1).SetAsString("4");
  read->CalcFooters();
  EXPECT_EQ(read->Column(1)->Footer().GetValue(0), "7");
  EXPECT_EQ(read->Column(0)->Footer().GetValue(0), "2");
}

TEST(GridForm, TitlePicturesTravelAsPngBytes) {
  auto grid = NewGrid();
  TwMemColumn* c = grid->AddColumn();
  QImage picture(5, 3, QImage::Format_RGB32);
  picture.fill(qRgb(10, 200, 30));
  picture.setPixel(4, 2, qRgb(255, 0, 0));
  c->Title().SetImage(picture);  // switches the title's image layout to wimgLeft
  c->Title().SetImageLayout(wimgRight);
  const std::string text = WriteMemGridForm(*grid);
  EXPECT_TRUE(Has(text, "Title.Image = {\n        89504E47")) << text;  // a PNG file
  const auto read = ReadMemGridForm(text);
  const QImage& back = read->Column(0)->Title().Image();
  ASSERT_EQ(back.size(), picture.size());
  EXPECT_EQ(back.pixel(4, 2), qRgb(255, 0, 0));
  EXPECT_EQ(back.pixel(0, 0), qRgb(10, 200, 30));
  // Loading keeps the layout as stored instead of deriving it from the picture.
  EXPECT_EQ(read->Column(0)->Title().ImageLayout(), wimgRight);
  EXPECT_EQ(WriteMemGridForm(*read), text);
  EXPECT_TRUE(
      Has(ReadError(OneColumn("      Title.Image = {00112233}\n")).Message(), "picture cannot be read"));
}

// --- stored tests ---------------------------------------------------------------------------------

TEST(GridForm, ANewGridWritesOnlyItsPerModeSizesAndAssignedValues) {
  auto grid = NewGrid();
  grid->AddColumn();
  const std::string text = WriteMemGridForm(*grid);
  // Per-mode sizes always, under their own names; the published Width and Height never.
  for (const char* part :
       {"ColWidth = 64", "GrpWidth = 64", "Headers.ColHeight = 21", "Headers.GrpHeight = 42",
        "ColRowHeight = 18", "GrpRowHeight = 36", "ColFixedCount = 0", "GrpFixedCount = 0"})
    EXPECT_TRUE(Has(text, part)) << part << "\n" << text;
  for (const char* part :
       {" Width =", " Height =", "Lines.", "Alignment", "\n  Font.", "\n      Font.", "Title.Font", "Footer.",
        "  Color =", "DataWidth", "DataType", "Options", "Visible", "CustomKind"})
    EXPECT_FALSE(Has(text, part)) << part << "\n" << text;
  // The indicators' font is theirs from the start: always written.
  EXPECT_TRUE(Has(text, "Indicators.Font.Name = 'Arial'\n  Indicators.Font.Size = 8\n")) << text;
}

TEST(GridForm, InheritingValuesAreWrittenOnlyWhenAssignedAndDifferent) {
  auto grid = NewGrid();
  TwMemColumn* c = grid->AddColumn();
  TwMemColumn* n = grid->AddColumn();
  n->SetDataType(wdtLong);
  c->SetAlignment(taLeftJustify);            // a text column's own alignment
  n->SetAlignment(taRightJustify);           // a number column's own alignment
  c->Title().SetColor(clBtnFace);            // the title's default colour
  c->Footer().SetAlignment(c->Alignment());  // the column's alignment
  c->Title().SetFont(c->Font());             // assigned: a font is written whenever it is
  std::string text = WriteMemGridForm(*grid);
  EXPECT_FALSE(Has(text, "Alignment")) << text;
  EXPECT_FALSE(Has(text, "Title.Color")) << text;
  EXPECT_TRUE(Has(text, "Title.Font.Name = 'MS Sans Serif'")) << text;
  EXPECT_TRUE(c->Title().IsAssigned(wdvColor));

  c->SetAlignment(taCenter);  // now the footer's assigned left differs from its column
  c->Title().SetColor(clAqua);
  n->SetImeMode(imDontCare);  // the grid's
  c->SetImeMode(imHanguel);
  text = WriteMemGridForm(*grid);
  EXPECT_TRUE(Has(text, "      Alignment = taCenter\n")) << text;
  EXPECT_TRUE(Has(text, "Footer.Alignment = taLeftJustify")) << text;
  EXPECT_TRUE(Has(text, "Title.Color = clAqua")) << text;
  EXPECT_TRUE(Has(text, "ImeMode = imHanguel")) << text;
  EXPECT_EQ(text.find("ImeMode"), text.rfind("ImeMode")) << text;

  // The grid's own line defaults: grey under the rows, black inside the header's groups.
  grid->Model().Lines().SetHorzColor(clGray);
  grid->Model().Headers().Lines().SetLevelColor(clBlack);
  EXPECT_FALSE(Has(WriteMemGridForm(*grid), "Lines.")) << text;
  grid->Model().Headers().Lines().SetLevelColor(clSilver);
  EXPECT_TRUE(Has(WriteMemGridForm(*grid), "Headers.Lines.LevelColor = clSilver"));
}

TEST(GridForm, ReadingAnInheritingValueAssignsIt) {
  const auto read =
      ReadMemGridForm(OneColumn("      Title.Color = clBtnFace\n      Footer.Font.Size = 12\n"));
  TwMemColumn* c = read->Column(0);
  EXPECT_TRUE(c->Title().IsAssigned(wdvColor));
  EXPECT_TRUE(c->Footer().IsAssigned(wdvFont));
  EXPECT_EQ(c->Footer().Font().Size, 12);
  EXPECT_EQ(c->Footer().Font().Name, read->Model().Font().Name);  // the rest of the font as it was
  EXPECT_FALSE(c->IsAssigned(TwColumn::cvFont));
}

// --- DataWidth ------------------------------------------------------------------------------------

TEST(GridForm, AColumnSavedWithDataWidth8ReadsBackWith8) {
  auto grid = NewGrid();
  TwMemColumn* eight = grid->AddColumn();
  eight->SetDataWidth(8);
  TwMemColumn* sixteen = grid->AddColumn();
  TwMemColumn* unlimited = grid->AddColumn();
  unlimited->SetDataWidth(0);
  const std::string text = WriteMemGridForm(*grid);
  EXPECT_TRUE(Has(text, "DataWidth = 8\n")) << text;
  EXPECT_TRUE(Has(text, "DataWidth = 0\n")) << text;
  int written = 0;
  for (std::size_t at = text.find("DataWidth"); at != std::string::npos; at = text.find("DataWidth", at + 1))
    ++written;
  EXPECT_EQ(written, 2) << text;  // the 16 is not written
  const auto read = ReadMemGridForm(text);
  EXPECT_EQ(read->Column(0)->DataWidth(), 8);
  EXPECT_EQ(read->Column(1)->DataWidth(), sixteen->DataWidth());
  EXPECT_EQ(read->Column(2)->DataWidth(), 0);
}

TEST(GridForm, ADescriptionWithoutDataWidthReadsAsANewColumn) {
  const auto read = ReadMemGridForm(OneColumn("      Title.Caption = 'A'\n") + "");
  EXPECT_EQ(read->Column(0)->DataWidth(), twform::kNewColumnDataWidth);
  read->AppendRow(false, false, false);
  read->Cells(0, 0).SetAsString(std::string(40, 'x'));
  EXPECT_EQ(read->Cells(0, 0).AsString().size(), 16u);
}

// --- loading --------------------------------------------------------------------------------------

TEST(GridForm, PropertiesAreSetWhileLoadingAndTheGridIsRebuiltAfter) {
  const std::string text =
      "object G: TMemGrid\n"
      "  Columns = <\n"
      "    item\n"
      "      Footer.Style = ('299990' '399990' '499990')\n"
      "    end\n"
      "    item\n"
      "      Visible = False\n"
      "    end\n"
      "    item\n"
      "      Defaults = '5'\n"
      "      DataType = wdtLong\n"
      "    end>\n"
      "  RowCount = 4\n"
      "  ColFixedCount = 9\n"
      "  Footers = <\n"
      "    item\n"
      "    end\n"
      "    item\n"
      "    end>\n"
      "end\n";
  const auto g = ReadMemGridForm(text);
  EXPECT_FALSE(g->Model().GridState().Loading());
  // Columns made while loading get no automatic title; a DataType read after Defaults keeps them.
  EXPECT_EQ(g->Column(0)->Title().Caption(), "");
  EXPECT_EQ(g->Column(2)->Defaults(), "5");
  // The visible list, FixedCount and the footers follow after loading.
  EXPECT_EQ(g->Model().Columns().VisibleCount(), 2);
  EXPECT_LE(g->Model().FixedCount(), g->Model().Columns().VisibleCount());
  EXPECT_EQ(g->Column(0)->Footer().Kind(0), wfkCnt);
  EXPECT_EQ(g->Column(0)->Footer().Kind(1), wfkSum);
  EXPECT_EQ(g->Column(0)->Footer().Kind(2), wfkNone);  // beyond the grid's two footer rows
  EXPECT_EQ(g->Column(1)->Footer().StyleList(), (TwStrings{"099990", "099990"}));
  // The store is ready with the row count read.
  EXPECT_EQ(g->RowCount(), 4);
  g->Cells(2, 3).SetAsString("12");
  EXPECT_EQ(g->Cells(2, 3).AsString(), "12");
  EXPECT_EQ(g->CheckConsistency().Problem, "");
  EXPECT_EQ(g->Model().CheckConsistency(), "");
}

TEST(GridForm, TheLoadedGridWritesWhatItRead) {
  // A description in the writer's own form reads and writes back unchanged, Korean text included.
  const std::string text =
      "object 그리드: TMemGrid\n"
      "  Columns = <\n"
      "    item\n"
      "      Title.Caption = '파일''명'#13#10'둘째 줄'\n"
      "      ColWidth = 26\n"
      "      GrpWidth = 64\n"
      "    end>\n"
      "end\n";
  EXPECT_EQ(ReadError(text).Line(), 1);  // a component name is an identifier
  const std::string named = "object Grid: TMemGrid" + text.substr(text.find('\n'));
  const auto g = ReadMemGridForm(named);
  EXPECT_EQ(g->Column(0)->Title().Caption(), "파일'명\r\n둘째 줄");
  const std::string again = WriteMemGridForm(*g);
  EXPECT_TRUE(Has(again, "      Title.Caption = '파일''명'#13#10'둘째 줄'\n")) << again;
  EXPECT_EQ(WriteMemGridForm(*ReadMemGridForm(again)), again);
}

// --- bad descriptions -----------------------------------------------------------------------------

TEST(GridForm, BadDescriptionsRaiseWithTheirPlaceAndLeaveNoGrid) {
  QWidget parent;
  struct Case {
    std::string text;
    int line, column;
    const char* message;
  } cases[] = {
      {OneColumn("      Title.Captoin = 'x'\n"), 4, 7,
       "property 'Title.Captoin' does not exist in TwColumnTitle"},
      {OneColumn("      DataType = wdtText\n"), 4, 18, "'wdtText' is not a valid value"},
      {OneColumn("      DataWidth = 70000\n"), 4, 19, "out of range"},
      {OneColumn("      Footer.Style = ('299990' 3)\n"), 4, 32, "string expected"},
      {OneColumn("      ColWidth = 2\n"), 4, 18, "out of range"},
      {OneColumn("      ListOption.Separator = ''\n"), 4, 7, "error setting ListOption.Separator"},
      {"object G: TMemGrid\n  Options = [wgoEditing, wgoFlying]\nend\n", 2, 13,
       "'wgoFlying' is not a valid set"},
      {"object G: TMemGrid\n  Headers.Height = 30\nend\n", 2, 3, "property 'Headers.Height' does not exist"},
      {"object G: TMemGrid\n  Columns = <\n    item\n      Width = 30\n    end>\nend\n", 4, 7,
       "property 'Width' does not exist in TwMemColumn"},
      {"object G: TForm1\nend\n", 1, 1, "class TMemGrid expected but 'TForm1' found"},
      {"object G: TMemGrid\n  object B: TButton\n  end\nend\n", 2, 3, "holds no components"},
      {OneColumn("      Title.Caption = 'x\n"), 4, 23, "unterminated string"},
  };
  for (const Case& c : cases) {
    const EFormError e = ReadError(c.text, &parent);
    EXPECT_EQ(e.Line(), c.line) << c.text;
    EXPECT_EQ(e.Column(), c.column) << c.text;
    EXPECT_TRUE(Has(e.Message(), c.message)) << c.text << " -> " << e.Message();
    EXPECT_TRUE(parent.findChildren<TMemGrid*>().isEmpty()) << c.text;
  }
  // A good description gives the parent its grid.
  std::unique_ptr<TMemGrid> g = ReadMemGridForm(OneColumn(""), &parent);
  EXPECT_EQ(g->parentWidget(), &parent);
  EXPECT_EQ(parent.findChildren<TMemGrid*>().size(), 1);
}
