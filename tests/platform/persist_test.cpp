// The form description text: every kind of value read and written, strings with quotes, control
// characters and Korean text, errors with their line and column, hostile input, and property lists with
// their stored tests, nested objects and collections.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/persist/form_text.h"
#include "platform/persist/properties.h"

using namespace plat::persist;

namespace {

const FormProperty& Prop(const FormObject& o, std::string_view name) {
  for (const FormProperty& p : o.Properties)
    if (p.Name == name) return p;
  static const FormProperty none{"<none>", {}, {}};
  ADD_FAILURE() << "no property " << name;
  return none;
}

// The error a text raises, or a failure when it reads.
EFormError ErrorOf(std::string_view text) {
  try {
    ParseForm(text);
  } catch (const EFormError& e) {
    return e;
  }
  ADD_FAILURE() << "read without error: " << text;
  return EFormError({}, "");
}

const char* const kSample =
    "object Form1: TForm1\n"
    "  Caption = '정보보안문서 관리기 1.0'\n"
    "  Hint = 'it''s'#13#10'two lines'\n"
    "  Long = 'first part '+\n"
    "    'second part'\n"
    "  Left = -12\n"
    "  Mask = $FF00000F\n"
    "  Ratio = 1.5E3\n"
    "  Visible = True\n"
    "  Color = clMoneyGreen\n"
    "  Options = [wgoArrowMove, wgoRowSelect]\n"
    "  Empty = []\n"
    "  Items.Strings = (\n"
    "    'a'\n"
    "    '파일명')\n"
    "  Columns = <\n"
    "    item\n"
    "      Title.Caption = 'C'\n"
    "      Values.Strings = ()\n"
    "    end\n"
    "    item\n"
    "    end>\n"
    "  Weights = {\n"
    "    0201 0A ff}\n"
    "  object Grid: TMemGrid\n"
    "    Tag = 7\n"
    "  end\n"
    "end\n";

}  // namespace

// --- reading and writing ---------------------------------------------------------------------------

TEST(FormText, ReadsEveryKindOfValue) {
  const FormObject o = ParseForm(kSample);
  EXPECT_EQ(o.Name, "Form1");
  EXPECT_EQ(o.ClassName, "TForm1");
  EXPECT_EQ(Prop(o, "Caption").Value.Text, "정보보안문서 관리기 1.0");
  EXPECT_EQ(Prop(o, "Hint").Value.Text, "it's\r\ntwo lines");
  EXPECT_EQ(Prop(o, "Long").Value.Text, "first part second part");
  EXPECT_EQ(Prop(o, "Left").Value.Int, -12);
  EXPECT_EQ(Prop(o, "Mask").Value.Int, std::int64_t(0xFF00000F));
  EXPECT_EQ(Prop(o, "Ratio").Value.What, FormValue::Float);
  EXPECT_DOUBLE_EQ(Prop(o, "Ratio").Value.Real, 1500.0);
  EXPECT_EQ(Prop(o, "Visible").Value.What, FormValue::Ident);
  EXPECT_EQ(Prop(o, "Color").Value.Text, "clMoneyGreen");
  EXPECT_EQ(Prop(o, "Options").Value.Names, (std::vector<std::string>{"wgoArrowMove", "wgoRowSelect"}));
  EXPECT_TRUE(Prop(o, "Empty").Value.Names.empty());
  const FormValue& items = Prop(o, "Items.Strings").Value;
  ASSERT_EQ(items.Items.size(), 2u);
  EXPECT_EQ(items.Items[1].Text, "파일명");
  const FormValue& cols = Prop(o, "Columns").Value;
  ASSERT_EQ(cols.Entries.size(), 2u);
  EXPECT_EQ(cols.Entries[0][0].Name, "Title.Caption");
  EXPECT_EQ(cols.Entries[0][1].Value.What, FormValue::List);
  EXPECT_TRUE(cols.Entries[1].empty());
  EXPECT_EQ(Prop(o, "Weights").Value.Bytes, (std::vector<std::uint8_t>{0x02, 0x01, 0x0A, 0xFF}));
  ASSERT_EQ(o.Children.size(), 1u);
  EXPECT_EQ(o.Children[0].ClassName, "TMemGrid");
  EXPECT_EQ(o.Children[0].Properties[0].Value.Int, 7);
  // Positions are 1-based lines and character columns.
  EXPECT_EQ(Prop(o, "Left").Pos.Line, 6);
  EXPECT_EQ(Prop(o, "Left").Pos.Column, 3);
  EXPECT_EQ(Prop(o, "Left").Value.Pos.Column, 10);
}

TEST(FormText, WritingIsStableAndReadsBackTheSameTree) {
  const std::string first = WriteForm(ParseForm(kSample));
  EXPECT_EQ(WriteForm(ParseForm(first)), first);
  // The writer's own layout: items, lists and binary values close on their last line.
  EXPECT_NE(
      first.find("  Columns = <\n    item\n      Title.Caption = 'C'\n      Values.Strings = ()\n    end\n"
                 "    item\n    end>\n"),
      std::string::npos)
      << first;
  EXPECT_NE(first.find("  Items.Strings = (\n    'a'\n    '파일명')\n"), std::string::npos) << first;
  EXPECT_NE(first.find("  Weights = {\n    02010AFF}\n"), std::string::npos) << first;
  EXPECT_NE(first.find("  Hint = 'it''s'#13#10'two lines'\n"), std::string::npos) << first;
  EXPECT_NE(first.find("  Mask = 4278190095\n"), std::string::npos) << first;
  EXPECT_NE(first.find("  object Grid: TMemGrid\n    Tag = 7\n  end\nend\n"), std::string::npos) << first;
}

TEST(FormText, KeywordsIgnoreCaseAndAByteOrderMarkIsSkipped) {
  const FormObject o = ParseForm("\xEF\xBB\xBFOBJECT X: T\r\n  Items = <ITEM END>\r\nEnd");
  EXPECT_EQ(o.Name, "X");
  EXPECT_EQ(Prop(o, "Items").Value.Entries.size(), 1u);
  EXPECT_TRUE(ParseForm("inherited T end").Inherited);
  EXPECT_EQ(ParseForm("object TOnlyClass end").ClassName, "TOnlyClass");
}

TEST(FormText, QuotedStringsRoundTrip) {
  EXPECT_EQ(QuoteString(""), "''");
  EXPECT_EQ(QuoteString("it's"), "'it''s'");
  EXPECT_EQ(QuoteString("\tx\r\n"), "#9'x'#13#10");
  EXPECT_EQ(QuoteString("경로"), "'경로'");
  // Any text, valid UTF-8 or not, is written so that it reads back.
  std::mt19937 rnd(4);
  const std::vector<std::string> parts = {"a", "'", "''", "\n", "\x01", "한", "\xF0\x9F\x98\x80",
                                          "#", "+", " "};
  for (int n = 0; n < 300; ++n) {
    std::string s;
    for (int k = int(rnd() % 8); k > 0; --k) s += parts[rnd() % parts.size()];
    const FormObject o = ParseForm("object X: T\n  S = " + QuoteString(s) + "\nend\n");
    EXPECT_EQ(o.Properties[0].Value.Text, s);
  }
  // A stray byte is kept as its code: the text stays readable.
  const FormObject o = ParseForm("object X: T\n  S = " + QuoteString("a\xFF") + "\nend\n");
  EXPECT_EQ(o.Properties[0].Value.Text, "a\xC3\xBF");
}

TEST(FormText, CharacterCodes) {
  const FormObject o = ParseForm("object X: T\n  S = #54620#$AE00'!'\nend");
  EXPECT_EQ(o.Properties[0].Value.Text, "한글!");
}

// --- errors ----------------------------------------------------------------------------------------

TEST(FormText, ErrorsNameLineAndColumn) {
  struct Case {
    const char* text;
    int line, column;
    const char* message;
  } cases[] = {
      {"", 1, 1, "'object' expected"},
      {"   \n  ", 2, 3, "'object' expected"},
      {"thing X: T\nend", 1, 1, "'object' expected"},
      {"object X: T\n  A = 1\n", 3, 1, "'end' of object 'X' expected"},
      {"object X: T\n  A 1\nend", 2, 5, "'=' expected but '1' found"},
      {"object X: T\n  A = 'open\nend", 2, 7, "unterminated string"},
      {"object X: T\n  A = 'a\xC3'\nend", 2, 7, "not valid UTF-8"},
      {"object X: T\n  A = 99999999999999999999\nend", 2, 7, "out of range"},
      {"object X: T\n  A = {0A1}\nend", 2, 11, "odd number"},
      {"object X: T\n  A = {0G}\nend", 2, 9, "hexadecimal digit expected"},
      {"object X: T\n  A = [a b]\nend", 2, 10, "',' or ']' expected"},
      {"object X: T\n  A = <\n    thing\n  >\nend", 3, 5, "'item' or '>' expected"},
      {"object X: T\n  A = ?\nend", 2, 7, "value expected"},
      {"object X: T\n  A = #\nend", 2, 7, "character code expected"},
      {"object X: T\n  A = #1114112\nend", 2, 7, "character code out of range"},
      {"object X: T\n  A = 12ab\nend", 2, 9, "blank or end of value expected"},
      {"object X: T\n  A = 'a' +\nend", 3, 1, "string expected after '+'"},
      {"object X: T\n  A.= 1\nend", 2, 5, "name expected after '.'"},
      {"object X: T\nend\nend", 3, 1, "end of text expected"},
      {"object X: T\n  A = (1 2\n", 3, 1, "')' expected"},
      {"object 한: T\nend", 1, 8, "object name or class name expected"},
  };
  for (const Case& c : cases) {
    const EFormError e = ErrorOf(c.text);
    EXPECT_EQ(e.Line(), c.line) << c.text;
    EXPECT_EQ(e.Column(), c.column) << c.text;
    EXPECT_NE(e.Message().find(c.message), std::string::npos) << c.text << " -> " << e.Message();
    EXPECT_EQ(std::string(e.what()).rfind("Line " + std::to_string(c.line) + ", column ", 0), 0u) << e.what();
  }
}

TEST(FormText, HostileInputEndsInAnErrorNotACrash) {
  // Deep nesting is refused before the stack runs out.
  std::string deep = "object X: T\n  A = ";
  for (int i = 0; i < 100000; ++i) deep += '(';
  EXPECT_NE(ErrorOf(deep).Message().find("nesting deeper"), std::string::npos);
  std::string objects;
  for (int i = 0; i < 10000; ++i) objects += "object X: T\n";
  EXPECT_NE(ErrorOf(objects).Message().find("nesting deeper"), std::string::npos);
  // Every cut and every changed byte of a valid text either reads or raises EFormError.
  const std::string good(kSample);
  std::mt19937 rnd(11);
  int errors = 0;
  // No prefix of it is a whole object, up to the last newline.
  for (std::size_t cut = 0; cut + 1 < good.size(); ++cut) {
    try {
      ParseForm(std::string_view(good).substr(0, cut));
    } catch (const EFormError&) {
      ++errors;
    }
  }
  EXPECT_EQ(errors, int(good.size()) - 1);
  for (int n = 0; n < 3000; ++n) {
    std::string s = good;
    for (int k = 1 + int(rnd() % 3); k > 0; --k) s[rnd() % s.size()] = char(rnd() % 256);
    try {
      ParseForm(s);
    } catch (const EFormError& e) {
      EXPECT_GE(e.Line(), 1);
      EXPECT_GE(e.Column(), 1);
    }
  }
}

// --- property lists ---------------------------------------------------------------------------------

namespace {

enum Shape : std::uint8_t { shRound, shSquare, shStar };

struct Pen {
  int Width = 1;
  std::string Name = "pen";
};

struct Part {
  std::string Label;
  int Size = 0;
};

struct Widget {
  int Count = 0;
  bool Enabled = true;
  Shape Form = shRound;
  std::uint32_t Flags = 0;
  std::uint32_t Colour = 0xFF00000F;
  std::vector<std::string> Lines;
  std::vector<std::uint8_t> Weights = std::vector<std::uint8_t>(4, 1);
  Pen Outline;
  Pen Fill;
  bool FillAssigned = false;
  std::vector<Part> Parts;
  // An inheriting value: reported from the owner while not assigned.
  int OwnerSize = 10;
  int OwnSize = 0;
  bool SizeAssigned = false;
  int SizeValue() const { return SizeAssigned ? OwnSize : OwnerSize; }
};

PropertyListPtr<Pen> PenProps() {
  auto l = std::make_shared<PropertyList<Pen>>("TPen");
  l->PropDefault(
      "Width", IntConv<int>{1, 8}, [](const Pen& p) { return p.Width; }, [](Pen& p, int v) { p.Width = v; },
      1);
  l->Prop(
      "Name", TextConv{}, [](const Pen& p) { return p.Name; }, [](Pen& p, std::string v) { p.Name = v; });
  return l;
}

PropertyListPtr<Part> PartProps() {
  auto l = std::make_shared<PropertyList<Part>>("TPart");
  l->Prop(
      "Label", TextConv{}, [](const Part& p) { return p.Label; },
      [](Part& p, std::string v) { p.Label = v; });
  l->PropDefault(
      "Size", IntConv<int>{}, [](const Part& p) { return p.Size; }, [](Part& p, int v) { p.Size = v; }, 0);
  return l;
}

PropertyList<Widget> WidgetProps() {
  using W = Widget;
  PropertyList<W> l("TWidget");
  l.PropDefault(
      "Count", IntConv<std::int16_t>{}, [](const W& w) { return std::int16_t(w.Count); },
      [](W& w, std::int16_t v) { w.Count = v; }, std::int16_t(0));
  l.PropDefault(
      "Enabled", BoolConv{}, [](const W& w) { return w.Enabled; }, [](W& w, bool v) { w.Enabled = v; }, true);
  l.PropDefault(
      "Form", EnumConv<Shape>{{"shRound", "shSquare", "shStar"}}, [](const W& w) { return w.Form; },
      [](W& w, Shape v) { w.Form = v; }, shRound);
  l.PropDefault(
      "Flags", SetConv{{"fA", "fB", "fC"}}, [](const W& w) { return w.Flags; },
      [](W& w, std::uint32_t v) { w.Flags = v; }, 0u);
  l.PropDefault(
      "Colour", IdentIntConv{{{"clBtnFace", 0xFF00000F}, {"clGray", 0x808080}}},
      [](const W& w) { return w.Colour; }, [](W& w, std::uint32_t v) { w.Colour = v; }, 0xFF00000Fu);
  l.Prop(
      "Lines", StringsConv{}, [](const W& w) { return w.Lines; },
      [](W& w, std::vector<std::string> v) { w.Lines = v; }, [](const W& w) { return !w.Lines.empty(); });
  l.Prop(
      "Weights", BytesConv{4}, [](const W& w) { return w.Weights; },
      [](W& w, std::vector<std::uint8_t> v) { w.Weights = v; });
  l.Object<Pen>(
      "Outline", [](W& w) -> Pen& { return w.Outline; }, PenProps());
  l.ValueObject<Pen>(
      "Fill", [](const W& w) { return w.Fill; },
      [](W& w, const Pen& p) {
        w.Fill = p;
        w.FillAssigned = true;
      },
      PenProps(), [](const W& w) { return w.FillAssigned; });
  l.Prop(
      "Size", IntConv<int>{}, [](const W& w) { return w.SizeValue(); },
      [](W& w, int v) {
        w.OwnSize = v;
        w.SizeAssigned = true;
      },
      [](const W& w) { return w.SizeAssigned && w.OwnSize != w.OwnerSize; });
  l.Collection<Part>(
      "Parts", [](const W& w) { return int(w.Parts.size()); },
      [](const W& w, int i) -> const Part& { return w.Parts[i]; }, [](W& w) { w.Parts.clear(); },
      [](W& w) -> Part& { return w.Parts.emplace_back(); }, PartProps());
  return l;
}

std::string Write(const Widget& w) {
  FormObject o;
  o.Name = "W";
  o.ClassName = "TWidget";
  o.Properties = WidgetProps().Write(w);
  return WriteForm(o);
}

Widget Read(const std::string& text) {
  Widget w;
  WidgetProps().ReadAll(w, ParseForm(text).Properties);
  return w;
}

EFormError ReadError(const std::string& text) {
  try {
    Read(text);
  } catch (const EFormError& e) {
    return e;
  }
  ADD_FAILURE() << "read without error: " << text;
  return EFormError({}, "");
}

}  // namespace

TEST(PropertyLists, DefaultsAreNotWrittenAndChangedValuesAre) {
  Widget w;
  EXPECT_EQ(Write(w),
            "object W: TWidget\n"
            "  Weights = {\n    01010101}\n"  // stored always
            "  Outline.Name = 'pen'\n"        // the nested object's own stored test
            "end\n");
  w.Count = -3;
  w.Enabled = false;
  w.Form = shStar;
  w.Flags = 5;
  w.Colour = 0x808080;
  w.Lines = {"x", "y"};
  w.Outline.Width = 3;
  w.Parts = {{"a", 0}, {"b", 2}};
  const std::string text = Write(w);
  EXPECT_EQ(text,
            "object W: TWidget\n"
            "  Count = -3\n"
            "  Enabled = False\n"
            "  Form = shStar\n"
            "  Flags = [fA, fC]\n"
            "  Colour = clGray\n"
            "  Lines = (\n    'x'\n    'y')\n"
            "  Weights = {\n    01010101}\n"
            "  Outline.Width = 3\n"
            "  Outline.Name = 'pen'\n"
            "  Parts = <\n    item\n      Label = 'a'\n    end\n    item\n      Label = 'b'\n      Size = "
            "2\n    end>\n"
            "end\n");
  const Widget r = Read(text);
  EXPECT_EQ(Write(r), text);
  ASSERT_EQ(r.Parts.size(), 2u);
  EXPECT_EQ(r.Parts[1].Size, 2);
  // An unnamed colour is written as a signed 32-bit number and reads back.
  w.Colour = 0xFF000099;
  EXPECT_EQ(Read(Write(w)).Colour, 0xFF000099u);
}

TEST(PropertyLists, InheritedValuesAreWrittenOnlyWhenAssignedAndDifferent) {
  Widget w;
  w.SizeAssigned = true;
  w.OwnSize = 10;  // assigned, but the owner's value
  EXPECT_EQ(Write(w).find("Size ="), std::string::npos);
  w.OwnSize = 12;
  EXPECT_NE(Write(w).find("  Size = 12\n"), std::string::npos);
  // A value object is written as a whole when assigned, defaults included.
  w.FillAssigned = true;
  EXPECT_NE(Write(w).find("  Fill.Name = 'pen'\n"), std::string::npos);
  const Widget r = Read("object W: T\n  Fill.Width = 2\nend");
  EXPECT_TRUE(r.FillAssigned);
  EXPECT_EQ(r.Fill.Width, 2);
}

TEST(PropertyLists, ReadingReplacesACollectionAndIgnoresCase) {
  Widget w =
      Read("object W: T\n  parts = <item label = 'z' end>\n  OUTLINE.width = 2\n  form = SHSQUARE\nend");
  ASSERT_EQ(w.Parts.size(), 1u);
  EXPECT_EQ(w.Parts[0].Label, "z");
  EXPECT_EQ(w.Outline.Width, 2);
  EXPECT_EQ(w.Form, shSquare);
}

TEST(PropertyLists, BadPropertiesAndValuesNameTheirPlace) {
  struct Case {
    const char* text;
    int line, column;
    const char* message;
  } cases[] = {
      {"object W: T\n  Nope = 1\nend", 2, 3, "property 'Nope' does not exist in TWidget"},
      {"object W: T\n  Outline.Nope = 1\nend", 2, 3, "property 'Outline.Nope' does not exist in TPen"},
      {"object W: T\n  Outline = 1\nend", 2, 3, "property 'Outline' does not exist"},
      {"object W: T\n  Count.X = 1\nend", 2, 3, "property 'Count.X' does not exist"},
      {"object W: T\n  Count = 'one'\nend", 2, 11, "integer expected but string found"},
      {"object W: T\n  Count = 40000\nend", 2, 11, "40000 is out of range (-32768 to 32767)"},
      {"object W: T\n  Outline.Width = 9\nend", 2, 19, "out of range"},
      {"object W: T\n  Enabled = Yes\nend", 2, 13, "True or False expected"},
      {"object W: T\n  Form = shOval\nend", 2, 10, "'shOval' is not a valid value"},
      {"object W: T\n  Flags = [fA, fZ]\nend", 2, 11, "'fZ' is not a valid set element"},
      {"object W: T\n  Colour = clNothing\nend", 2, 12, "not a valid value"},
      {"object W: T\n  Colour = 4294967296\nend", 2, 12, "out of range"},
      {"object W: T\n  Lines = ('a' 2)\nend", 2, 16, "string expected but integer found"},
      {"object W: T\n  Weights = {0102}\nend", 2, 13, "4 bytes expected but 2 found"},
      {"object W: T\n  Parts = <\n    item\n      Size = x\n    end>\nend", 4, 14, "integer expected"},
  };
  for (const Case& c : cases) {
    const EFormError e = ReadError(c.text);
    EXPECT_EQ(e.Line(), c.line) << c.text;
    EXPECT_EQ(e.Column(), c.column) << c.text;
    EXPECT_NE(e.Message().find(c.message), std::string::npos) << c.text << " -> " << e.Message();
  }
}

TEST(PropertyLists, ASetterThatRaisesIsReportedAtItsProperty) {
  PropertyList<Widget> l("TWidget");
  l.Prop(
      "Count", IntConv<int>{}, [](const Widget& w) { return w.Count; },
      [](Widget&, int) { throw std::runtime_error("Level bounds error"); });
  Widget w;
  try {
    l.ReadAll(w, ParseForm("object W: T\n\n   Count = 1\nend").Properties);
    FAIL();
  } catch (const EFormError& e) {
    EXPECT_EQ(e.Line(), 3);
    EXPECT_EQ(e.Column(), 4);
    EXPECT_EQ(e.Message(), "error setting Count: Level bounds error");
  }
}

TEST(PropertyLists, DescendantsInheritAndReplaceEntries) {
  struct Special : Widget {
    int Extra = 0;
  };
  PropertyList<Special> l("TSpecial");
  l.Inherit(WidgetProps());
  l.PropDefault(
      "Extra", IntConv<int>{}, [](const Special& s) { return s.Extra; },
      [](Special& s, int v) { s.Extra = v; }, 0);
  // The descendant's own version of a base property keeps its place.
  PropertyList<Special> own("TSpecial");
  own.Prop(
      "Count", IntConv<int>{}, [](const Special& s) { return s.Count * 10; },
      [](Special& s, int v) { s.Count = v / 10; });
  l.Replace(own.Entries().front());
  Special s;
  s.Count = 2;
  s.Extra = 5;
  const FormProperties props = l.Write(s);
  ASSERT_GE(props.size(), 3u);
  EXPECT_EQ(props.front().Name, "Count");
  EXPECT_EQ(props.front().Value.Int, 20);
  EXPECT_EQ(props.back().Name, "Extra");
  Special r;
  l.ReadAll(r, props);
  EXPECT_EQ(r.Count, 2);
  EXPECT_EQ(r.Extra, 5);
}
