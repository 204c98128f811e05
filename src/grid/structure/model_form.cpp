#include "grid/structure/model_form.h"

#include <QBuffer>
#include <QImage>

#include "grid/structure/grid_model.h"
#include "platform/paint/color.h"

namespace twform {

using namespace plat::persist;

// --- converters -----------------------------------------------------------------------------------

const IdentIntConv& ColorConv() {
  static const IdentIntConv conv{{
      {"clBlack", clBlack},
      {"clMaroon", clMaroon},
      {"clGreen", clGreen},
      {"clOlive", clOlive},
      {"clNavy", clNavy},
      {"clPurple", clPurple},
      {"clTeal", clTeal},
      {"clGray", clGray},
      {"clSilver", clSilver},
      {"clRed", clRed},
      {"clLime", clLime},
      {"clYellow", clYellow},
      {"clBlue", clBlue},
      {"clFuchsia", clFuchsia},
      {"clAqua", clAqua},
      {"clWhite", clWhite},
      {"clMoneyGreen", clMoneyGreen},
      {"clSkyBlue", clSkyBlue},
      {"clCream", clCream},
      {"clMedGray", clMedGray},
      {"clNone", clNone},
      {"clDefault", clDefault},
      {"clScrollBar", clScrollBar},
      {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption},
      {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu},
      {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame},
      {"clMenuText", clMenuText},
      {"clWindowText", clWindowText},
      {"clCaptionText", clCaptionText},
      {"clActiveBorder", clActiveBorder},
      {"clInactiveBorder", clInactiveBorder},
      {"clAppWorkSpace", clAppWorkSpace},
      {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow},
      {"clGrayText", clGrayText},
      {"clBtnText", clBtnText},
      {"clInactiveCaptionText", clInactiveCaptionText},
      {"clBtnHighlight", clBtnHighlight},
      {"cl3DDkShadow", cl3DDkShadow},
      {"cl3DLight", cl3DLight},
      {"clInfoText", clInfoText},
      {"clInfoBk", clInfoBk},
  }};
  return conv;
}

EnumConv<TAlignment> AlignmentConv() {
  return {{"taLeftJustify", "taRightJustify", "taCenter"}};
}
EnumConv<TTextLayout> LayoutConv() {
  return {{"tlTop", "tlCenter", "tlBottom"}};
}
EnumConv<TwCellStyle> CellStyleConv() {
  return {{"wcsNormal", "wcsRaised", "wcsSunken", "wcsUp", "wcsDown"}};
}
EnumConv<TwFitStyle> FitStyleConv() {
  return {{"wfitNone", "wfitEnd", "wfitPath"}};
}
EnumConv<TwImageLayout> ImageLayoutConv() {
  return {{"wimgNone", "wimgAlone", "wimgLeft", "wimgRight", "wimgTop", "wimgBottom"}};
}
EnumConv<TPenStyle> PenStyleConv() {
  return {{"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
}
EnumConv<TImeMode> ImeModeConv() {
  return {{"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira", "imSKata",
           "imKata", "imChinese", "imSHanguel", "imHanguel"}};
}

namespace {

using IntC = IntConv<int>;
const IntC kInt{};
const IntConv<std::uint16_t> kWord{};
const IntC kByte{0, 255};
const BoolConv kBool{};
const TextConv kText{};
const StringsConv kStrings{};

// A picture is stored as the bytes of a PNG file.
struct PictureConv {
  FormValue Write(const QImage& image) const {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return FormValue::MakeBinary(std::vector<std::uint8_t>(data.begin(), data.end()));
  }
  QImage Read(const FormValue& v) const {
    ExpectKind(v, FormValue::Binary);
    QImage image;
    if (v.Bytes.empty()) return image;
    if (!image.loadFromData(v.Bytes.data(), int(v.Bytes.size()))) ValueError(v, "the picture cannot be read");
    return image;
  }
};

// A list of strings written as "Name.Strings = (...)", and only when it is not empty.
template <class Obj, class Get, class SetFn>
void AddStrings(PropertyList<Obj>& list, std::string name, Get get, SetFn set) {
  static const PropertyListPtr<TwStrings> items = [] {
    auto l = std::make_shared<PropertyList<TwStrings>>("TStrings");
    l->Prop(
        "Strings", kStrings, [](const TwStrings& s) { return s; },
        [](TwStrings& s, TwStrings v) { s = std::move(v); });
    return l;
  }();
  list.template ValueObject<TwStrings>(
      std::move(name), [get](const Obj& o) { return TwStrings(get(o)); },
      [set](Obj& o, const TwStrings& v) { set(o, v); }, items,
      [get](const Obj& o) { return !get(o).empty(); });
}

template <class L>
void AddLineProps(PropertyList<L>& l, const L& d) {
  l.PropDefault(
      "HorzColor", ColorConv(), [](const L& o) { return o.HorzColor(); },
      [](L& o, TColor v) { o.SetHorzColor(v); }, d.HorzColor());
  l.PropDefault(
      "HorzStyle", PenStyleConv(), [](const L& o) { return o.HorzStyle(); },
      [](L& o, TPenStyle v) { o.SetHorzStyle(v); }, d.HorzStyle());
  l.PropDefault(
      "HorzWidth", kWord, [](const L& o) { return o.HorzWidth(); },
      [](L& o, std::uint16_t v) { o.SetHorzWidth(v); }, d.HorzWidth());
  l.PropDefault(
      "VertColor", ColorConv(), [](const L& o) { return o.VertColor(); },
      [](L& o, TColor v) { o.SetVertColor(v); }, d.VertColor());
  l.PropDefault(
      "VertStyle", PenStyleConv(), [](const L& o) { return o.VertStyle(); },
      [](L& o, TPenStyle v) { o.SetVertStyle(v); }, d.VertStyle());
  l.PropDefault(
      "VertWidth", kWord, [](const L& o) { return o.VertWidth(); },
      [](L& o, std::uint16_t v) { o.SetVertWidth(v); }, d.VertWidth());
}

// A grid model as it is made: the values of its own objects are the defaults of their properties (the
// grid's lines are grey under the rows, the header's and the fixed area's black inside groups, ...).
const TwGridModel& NewModel() {
  static const TwGridModel model([](TwColumns*) { return std::unique_ptr<TwColumn>(); });
  return model;
}

template <class Obj>
StoredTest<Obj> Stored(TwDrawValue v) {
  return [v](const Obj& o) { return o.IsStored(v); };
}

}  // namespace

// --- fonts and lines ------------------------------------------------------------------------------

PropertyListPtr<TwFont> FontProps() {
  static const PropertyListPtr<TwFont> list = [] {
    auto l = std::make_shared<PropertyList<TwFont>>("TFont");
    l->Prop(
        "Color", ColorConv(), [](const TwFont& f) { return f.Color; },
        [](TwFont& f, TColor v) { f.Color = v; });
    l->Prop(
        "Name", kText, [](const TwFont& f) { return f.Name; },
        [](TwFont& f, std::string v) { f.Name = std::move(v); });
    l->Prop(
        "Size", IntC{1, 1638}, [](const TwFont& f) { return f.Size; }, [](TwFont& f, int v) { f.Size = v; });
    l->PropDefault(
        "Style", SetConv{{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}},
        [](const TwFont& f) { return std::uint32_t(f.Style); },
        [](TwFont& f, std::uint32_t v) { f.Style = std::uint8_t(v); }, std::uint32_t(0));
    return l;
  }();
  return list;
}

PropertyListPtr<TwGridLines> LinesProps(const TwGridLines& defaults) {
  auto l = std::make_shared<PropertyList<TwGridLines>>("TwGridLines");
  AddLineProps(*l, defaults);
  return l;
}

PropertyListPtr<TwGridLinesEx> LinesExProps(const TwGridLinesEx& d) {
  using L = TwGridLinesEx;
  auto l = std::make_shared<PropertyList<L>>("TwGridLinesEx");
  AddLineProps(*l, d);
  l->PropDefault(
      "CellColor", ColorConv(), [](const L& o) { return o.CellColor(); },
      [](L& o, TColor v) { o.SetCellColor(v); }, d.CellColor());
  l->PropDefault(
      "CellStyle", PenStyleConv(), [](const L& o) { return o.CellStyle(); },
      [](L& o, TPenStyle v) { o.SetCellStyle(v); }, d.CellStyle());
  l->PropDefault(
      "CellWidth", kWord, [](const L& o) { return o.CellWidth(); },
      [](L& o, std::uint16_t v) { o.SetCellWidth(v); }, d.CellWidth());
  l->PropDefault(
      "LevelColor", ColorConv(), [](const L& o) { return o.LevelColor(); },
      [](L& o, TColor v) { o.SetLevelColor(v); }, d.LevelColor());
  l->PropDefault(
      "LevelStyle", PenStyleConv(), [](const L& o) { return o.LevelStyle(); },
      [](L& o, TPenStyle v) { o.SetLevelStyle(v); }, d.LevelStyle());
  l->PropDefault(
      "LevelWidth", kWord, [](const L& o) { return o.LevelWidth(); },
      [](L& o, std::uint16_t v) { o.SetLevelWidth(v); }, d.LevelWidth());
  return l;
}

// --- draw objects and titles ----------------------------------------------------------------------

PropertyListPtr<TwDrawObject> DrawObjectProps() {
  static const PropertyListPtr<TwDrawObject> list = [] {
    using D = TwDrawObject;
    auto l = std::make_shared<PropertyList<D>>("TwDrawObject");
    l->Prop(
        "Alignment", AlignmentConv(), [](const D& o) { return o.Alignment(); },
        [](D& o, TAlignment v) { o.SetAlignment(v); }, Stored<D>(wdvAlignment));
    l->Prop(
        "CellStyle", CellStyleConv(), [](const D& o) { return o.CellStyle(); },
        [](D& o, TwCellStyle v) { o.SetCellStyle(v); }, [](const D& o) { return o.IsCellStyleStored(); });
    l->Prop(
        "Color", ColorConv(), [](const D& o) { return o.Color(); }, [](D& o, TColor v) { o.SetColor(v); },
        Stored<D>(wdvColor));
    l->Prop(
        "FitStyle", FitStyleConv(), [](const D& o) { return o.FitStyle(); },
        [](D& o, TwFitStyle v) { o.SetFitStyle(v); }, Stored<D>(wdvFitStyle));
    l->ValueObject<TwFont>(
        "Font", [](const D& o) { return o.Font(); }, [](D& o, const TwFont& f) { o.SetFont(f); }, FontProps(),
        Stored<D>(wdvFont));
    l->Prop(
        "Layout", LayoutConv(), [](const D& o) { return o.Layout(); },
        [](D& o, TTextLayout v) { o.SetLayout(v); }, Stored<D>(wdvLayout));
    l->Prop(
        "MarginLeft", kInt, [](const D& o) { return o.MarginLeft(); },
        [](D& o, int v) { o.SetMarginLeft(v); }, Stored<D>(wdvMarginLeft));
    l->Prop(
        "MarginTop", kInt, [](const D& o) { return o.MarginTop(); }, [](D& o, int v) { o.SetMarginTop(v); },
        Stored<D>(wdvMarginTop));
    l->Prop(
        "MarginRight", kInt, [](const D& o) { return o.MarginRight(); },
        [](D& o, int v) { o.SetMarginRight(v); }, Stored<D>(wdvMarginRight));
    l->Prop(
        "MarginBottom", kInt, [](const D& o) { return o.MarginBottom(); },
        [](D& o, int v) { o.SetMarginBottom(v); }, Stored<D>(wdvMarginBottom));
    l->Prop(
        "WordWrap", kBool, [](const D& o) { return o.WordWrap(); }, [](D& o, bool v) { o.SetWordWrap(v); },
        Stored<D>(wdvWordWrap));
    return l;
  }();
  return list;
}

PropertyListPtr<TwTitle> TitleProps() {
  static const PropertyListPtr<TwTitle> list = [] {
    using T = TwTitle;
    auto l = std::make_shared<PropertyList<T>>("TwTitle");
    l->Inherit(*DrawObjectProps());
    l->PropDefault(
        "Caption", kText, [](const T& o) { return o.Caption(); },
        [](T& o, const std::string& v) { o.SetCaption(v); }, std::string());
    l->PropDefault(
        "Clicking", kBool, [](const T& o) { return o.Clicking(); }, [](T& o, bool v) { o.SetClicking(v); },
        false);
    l->Prop(
        "Image", PictureConv{}, [](const T& o) { return o.Image(); },
        [](T& o, const QImage& v) { o.SetImage(v); }, [](const T& o) { return !o.Image().isNull(); });
    l->PropDefault(
        "ImageLayout", ImageLayoutConv(), [](const T& o) { return o.ImageLayout(); },
        [](T& o, TwImageLayout v) { o.SetImageLayout(v); }, wimgNone);
    return l;
  }();
  return list;
}

PropertyListPtr<TwColumnTitle> ColumnTitleProps() {
  static const PropertyListPtr<TwColumnTitle> list = [] {
    using T = TwColumnTitle;
    auto l = std::make_shared<PropertyList<T>>("TwColumnTitle");
    l->Inherit(*TitleProps());
    l->PropDefault(
        "SortMark", EnumConv<TwSortMark>{{"wsmNone", "wsmAsc", "wsmDesc"}},
        [](const T& o) { return o.SortMark(); }, [](T& o, TwSortMark v) { o.SetSortMark(v); }, wsmNone);
    return l;
  }();
  return list;
}

PropertyListPtr<TwColumnFooter> ColumnFooterProps() {
  static const PropertyListPtr<TwColumnFooter> list = [] {
    using F = TwColumnFooter;
    auto l = std::make_shared<PropertyList<F>>("TwColumnFooter");
    l->Inherit(*DrawObjectProps());
    // The texts are read before the grid knows its footer rows: they are taken as they are.
    l->Prop(
        "Values", kStrings, [](const F& o) { return o.Values(); },
        [](F& o, TwStrings v) { o.SetStoredValues(std::move(v)); },
        [](const F& o) {
          for (const std::string& s : o.Values())
            if (!s.empty()) return true;
          return false;
        });
    return l;
  }();
  return list;
}

PropertyListPtr<TwColumnListOption> ListOptionProps() {
  static const PropertyListPtr<TwColumnListOption> list = [] {
    using O = TwColumnListOption;
    auto l = std::make_shared<PropertyList<O>>("TwColumnListOption");
    l->PropDefault(
        "AutoDrop", kBool, [](const O& o) { return o.AutoDrop(); }, [](O& o, bool v) { o.SetAutoDrop(v); },
        true);
    l->PropDefault(
        "CaseSensitive", kBool, [](const O& o) { return o.CaseSensitive(); },
        [](O& o, bool v) { o.SetCaseSensitive(v); }, false);
    l->PropDefault(
        "CharWidth", kInt, [](const O& o) { return o.CharWidth(); }, [](O& o, int v) { o.SetCharWidth(v); },
        0);
    l->PropDefault(
        "ColLines", kBool, [](const O& o) { return o.ColLines(); }, [](O& o, bool v) { o.SetColLines(v); },
        false);
    l->PropDefault(
        "Color", ColorConv(), [](const O& o) { return o.Color(); }, [](O& o, TColor v) { o.SetColor(v); },
        clBtnFace);
    l->ValueObject<TwFont>(
        "Font", [](const O& o) { return o.Font(); }, [](O& o, const TwFont& f) { o.SetFont(f); }, FontProps(),
        [](const O& o) { return o.FontAssigned(); });
    l->PropDefault(
        "ItemCount", kInt, [](const O& o) { return o.ItemCount(); }, [](O& o, int v) { o.SetItemCount(v); },
        8);
    l->PropDefault(
        "LineColor", ColorConv(), [](const O& o) { return o.LineColor(); },
        [](O& o, TColor v) { o.SetLineColor(v); }, clGray);
    l->PropDefault(
        "RowLines", kBool, [](const O& o) { return o.RowLines(); }, [](O& o, bool v) { o.SetRowLines(v); },
        false);
    l->PropDefault(
        "ShowTitle", kBool, [](const O& o) { return o.ShowTitle(); }, [](O& o, bool v) { o.SetShowTitle(v); },
        false);
    l->PropDefault(
        "TitleColor", ColorConv(), [](const O& o) { return o.TitleColor(); },
        [](O& o, TColor v) { o.SetTitleColor(v); }, clGray);
    l->ValueObject<TwFont>(
        "TitleFont", [](const O& o) { return o.TitleFont(); },
        [](O& o, const TwFont& f) { o.SetTitleFont(f); }, FontProps(),
        [](const O& o) { return o.TitleFontAssigned(); });
    l->PropDefault(
        "Width", kInt, [](const O& o) { return o.Width(); }, [](O& o, int v) { o.SetWidth(v); }, 0);
    l->PropDefault(
        "Separator", kText, [](const O& o) { return std::string(1, o.Separator()); },
        [](O& o, const std::string& v) {
          if (v.size() != 1 || static_cast<unsigned char>(v[0]) <= ' ' ||
              static_cast<unsigned char>(v[0]) >= 0x80)
            throw plat::Exception("one visible ASCII character expected");
          o.SetSeparator(v[0]);
        },
        std::string(";"));
    l->PropDefault(
        "Titles", kText, [](const O& o) { return o.Titles(); },
        [](O& o, const std::string& v) { o.SetTitles(v); }, std::string());
    l->PropDefault(
        "ValuesIndex", kInt, [](const O& o) { return o.ValuesIndex(); },
        [](O& o, int v) { o.SetValuesIndex(v); }, -1);
    l->PropDefault(
        "ValuesOnly", kBool, [](const O& o) { return o.ValuesOnly(); },
        [](O& o, bool v) { o.SetValuesOnly(v); }, true);
    return l;
  }();
  return list;
}

// --- columns --------------------------------------------------------------------------------------

PropertyList<TwColumn> ColumnProps() {
  using C = TwColumn;
  PropertyList<C> l("TwColumn");
  l.Prop(
      "Alignment", AlignmentConv(), [](const C& c) { return c.Alignment(); },
      [](C& c, TAlignment v) { c.SetAlignment(v); }, [](const C& c) { return c.IsAlignmentStored(); });
  l.PropDefault(
      "AutoSize", kBool, [](const C& c) { return c.AutoSize(); }, [](C& c, bool v) { c.SetAutoSize(v); },
      true);
  l.PropDefault(
      "CharCase", EnumConv<TEditCharCase>{{"ecNormal", "ecUpperCase", "ecLowerCase"}},
      [](const C& c) { return c.CharCase(); }, [](C& c, TEditCharCase v) { c.SetCharCase(v); }, ecNormal);
  l.PropDefault(
      "Color", ColorConv(), [](const C& c) { return c.Color(); }, [](C& c, TColor v) { c.SetColor(v); },
      clWhite);
  l.PropDefault(
      "Ctl3D", kBool, [](const C& c) { return c.Ctl3D(); }, [](C& c, bool v) { c.SetCtl3D(v); }, true);
  l.PropDefault(
      "CustomKind", kText, [](const C& c) { return c.CustomKind(); },
      [](C& c, const std::string& v) { c.SetCustomKind(v); }, std::string());
  l.PropDefault(
      "EditBorder", EnumConv<TwEditBorderStyle>{{"webNone", "webSingle", "webSunken"}},
      [](const C& c) { return c.EditBorder(); }, [](C& c, TwEditBorderStyle v) { c.SetEditBorder(v); },
      webSingle);
  l.PropDefault(
      "EditButton", kBool, [](const C& c) { return c.EditButton(); },
      [](C& c, bool v) { c.SetEditButton(v); }, false);
  l.PropDefault(
      "EditColor", kBool, [](const C& c) { return c.EditColor(); }, [](C& c, bool v) { c.SetEditColor(v); },
      false);
  l.PropDefault(
      "EditFormat", kText, [](const C& c) { return c.EditFormat(); },
      [](C& c, const std::string& v) { c.SetEditFormat(v); }, std::string());
  l.PropDefault(
      "EditStyle",
      EnumConv<TwEditStyle>{{"wesDefault", "wesText", "wesMultiText", "wesMemo", "wesCheckBox", "wesBoolean",
                             "wesRadioGroup", "wesNumber", "wesSpinEdit", "wesDate", "wesTime", "wesPickList",
                             "wesDataList"}},
      [](const C& c) { return c.EditStyle(); }, [](C& c, TwEditStyle v) { c.SetEditStyle(v); }, wesDefault);
  l.PropDefault(
      "EqualBlank", kBool, [](const C& c) { return c.EqualBlank(); },
      [](C& c, bool v) { c.SetEqualBlank(v); }, false);
  l.PropDefault(
      "FitStyle", FitStyleConv(), [](const C& c) { return c.FitStyle(); },
      [](C& c, TwFitStyle v) { c.SetFitStyle(v); }, wfitNone);
  l.ValueObject<TwFont>(
      "Font", [](const C& c) { return c.Font(); }, [](C& c, const TwFont& f) { c.SetFont(f); }, FontProps(),
      [](const C& c) { return c.IsFontStored(); });
  l.Object<TwColumnFooter>(
      "Footer", [](C& c) -> TwColumnFooter& { return c.Footer(); }, ColumnFooterProps());
  l.PropDefault(
      "Group", kInt, [](const C& c) { return c.Group(); }, [](C& c, int v) { c.SetGroup(v); }, -1);
  l.PropDefault(
      "ImageLayout", ImageLayoutConv(), [](const C& c) { return c.ImageLayout(); },
      [](C& c, TwImageLayout v) { c.SetImageLayout(v); }, wimgNone);
  l.Prop(
      "ImeMode", ImeModeConv(), [](const C& c) { return c.ImeMode(); },
      [](C& c, TImeMode v) { c.SetImeMode(v); },
      [](const C& c) {
        return c.IsAssigned(C::cvImeMode) && (!c.Grid() || c.ImeMode() != c.Grid()->ImeMode());
      });
  l.Prop(
      "ImeName", kText, [](const C& c) { return c.ImeName(); },
      [](C& c, const std::string& v) { c.SetImeName(v); },
      [](const C& c) {
        return c.IsAssigned(C::cvImeName) && (!c.Grid() || c.ImeName() != c.Grid()->ImeName());
      });
  AddStrings(
      l, "Items", [](const C& c) -> const TwStrings& { return c.Items(); },
      [](C& c, const TwStrings& v) { c.SetItems(v); });
  l.PropDefault(
      "Layout", LayoutConv(), [](const C& c) { return c.Layout(); },
      [](C& c, TTextLayout v) { c.SetLayout(v); }, tlCenter);
  l.PropDefault(
      "Level", kInt, [](const C& c) { return c.Level(); }, [](C& c, int v) { c.SetLevel(v); }, 0);
  l.PropDefault(
      "LevelIndex", kInt, [](const C& c) { return c.LevelIndex(); }, [](C& c, int v) { c.SetLevelIndex(v); },
      0);
  l.Object<TwColumnListOption>(
      "ListOption", [](C& c) -> TwColumnListOption& { return c.ListOption(); }, ListOptionProps());
  static const char* const margins[] = {"MarginLeft", "MarginTop", "MarginRight", "MarginBottom"};
  for (int i = 0; i < 4; ++i)
    l.PropDefault(
        margins[i], kByte, [i](const C& c) { return c.Margin(i); }, [i](C& c, int v) { c.SetMargin(i, v); },
        1);
  l.PropDefault(
      "MaxLength", kInt, [](const C& c) { return c.MaxLength(); }, [](C& c, int v) { c.SetMaxLength(v); }, 0);
  l.PropDefault(
      "MaxValue", kText, [](const C& c) { return c.MaxValue(); },
      [](C& c, const std::string& v) { c.SetMaxValue(v); }, std::string());
  l.PropDefault(
      "MinValue", kText, [](const C& c) { return c.MinValue(); },
      [](C& c, const std::string& v) { c.SetMinValue(v); }, std::string());
  l.PropDefault(
      "RadioColumns", IntC{1, std::numeric_limits<int>::max()}, [](const C& c) { return c.RadioColumns(); },
      [](C& c, int v) { c.SetRadioColumns(v); }, 1);
  l.PropDefault(
      "ReadOnly", kBool, [](const C& c) { return c.ReadOnly(); }, [](C& c, bool v) { c.SetReadOnly(v); },
      false);
  l.Object<TwColumnTitle>(
      "Title", [](C& c) -> TwColumnTitle& { return c.Title(); }, ColumnTitleProps());
  l.PropDefault(
      "Transparent", kBool, [](const C& c) { return c.Transparent(); },
      [](C& c, bool v) { c.SetTransparent(v); }, false);
  AddStrings(
      l, "Values", [](const C& c) -> const TwStrings& { return c.Values(); },
      [](C& c, const TwStrings& v) { c.SetValues(v); });
  l.PropDefault(
      "Visible", kBool, [](const C& c) { return c.Visible(); }, [](C& c, bool v) { c.SetVisible(v); }, true);
  l.PropDefault(
      "WordWrap", kBool, [](const C& c) { return c.WordWrap(); }, [](C& c, bool v) { c.SetWordWrap(v); },
      false);
  return l;
}

PropertyList<TwColumn> ColumnStoredWidths() {
  using C = TwColumn;
  PropertyList<C> l("TwColumn");
  l.Prop(
      "ColWidth", IntC{C::kMinWidth, std::numeric_limits<int>::max()},
      [](const C& c) { return c.ColWidth(); }, [](C& c, int v) { c.SetColWidth(v); });
  l.Prop(
      "GrpWidth", IntC{C::kMinWidth, std::numeric_limits<int>::max()},
      [](const C& c) { return c.GrpWidth(); }, [](C& c, int v) { c.SetGrpWidth(v); });
  return l;
}

// --- groups ---------------------------------------------------------------------------------------

PropertyListPtr<TwGroupTitle> GroupTitleProps() {
  static const PropertyListPtr<TwGroupTitle> list = [] {
    using T = TwGroupTitle;
    auto l = std::make_shared<PropertyList<T>>("TwGroupTitle");
    l->Inherit(*TitleProps());
    l->PropDefault(
        "Height", IntC{0, std::numeric_limits<int>::max()}, [](const T& t) { return t.Height(); },
        [](T& t, int v) { t.SetHeight(v); }, int(TwGroupTitle::kDefaultHeight));
    l->PropDefault(
        "Visible", kBool, [](const T& t) { return t.Visible(); }, [](T& t, bool v) { t.SetVisible(v); },
        true);
    return l;
  }();
  return list;
}

PropertyListPtr<TwGroup> GroupProps() {
  static const PropertyListPtr<TwGroup> list = [] {
    using G = TwGroup;
    auto l = std::make_shared<PropertyList<G>>("TwGroup");
    l->PropDefault(
        "Levels", IntC{1, G::kMaxLevels}, [](const G& g) { return g.Levels(); },
        [](G& g, int v) { g.SetLevels(v); }, 1);
    l->PropDefault(
        "NoColTitles", kBool, [](const G& g) { return g.NoColTitles(); },
        [](G& g, bool v) { g.SetNoColTitles(v); }, false);
    l->Object<TwGroupTitle>(
        "Title", [](G& g) -> TwGroupTitle& { return g.Title(); }, GroupTitleProps());
    l->PropDefault(
        "Visible", kBool, [](const G& g) { return g.Visible(); }, [](G& g, bool v) { g.SetVisible(v); },
        true);
    l->PropDefault(
        "Weight", IntC{1, 255}, [](const G& g) { return g.Weight(); }, [](G& g, int v) { g.SetWeight(v); },
        1);
    l->PropDefault(
        "Width", IntC{1, std::numeric_limits<int>::max()}, [](const G& g) { return g.Width(); },
        [](G& g, int v) { g.SetWidth(v); }, int(G::kDefaultWidth));
    // The level weights, raw: 16 bytes, hexadecimal in the text.
    l->Prop(
        "Weights", BytesConv{G::kMaxLevels},
        [](const G& g) { return std::vector<std::uint8_t>(g.Weights().begin(), g.Weights().end()); },
        [](G& g, const std::vector<std::uint8_t>& v) {
          G::LevelWeightArray w{};
          std::copy(v.begin(), v.end(), w.begin());
          g.SetWeights(w);
        });
    return l;
  }();
  return list;
}

// --- headers, footers, fixed style, side columns -------------------------------------------------

PropertyListPtr<TwGridHeaders> HeadersProps() {
  static const PropertyListPtr<TwGridHeaders> list = [] {
    using H = TwGridHeaders;
    auto l = std::make_shared<PropertyList<H>>("TwGridHeaders");
    l->Object<TwGridLinesEx>(
        "Lines", [](H& h) -> TwGridLinesEx& { return h.Lines(); },
        LinesExProps(NewModel().Headers().Lines()));
    l->PropDefault(
        "Sizing", kBool, [](const H& h) { return h.Sizing(); }, [](H& h, bool v) { h.SetSizing(v); },
        NewModel().Headers().Sizing());
    l->Object<TwTitle>(
        "Title", [](H& h) -> TwTitle& { return h.Title(); }, TitleProps());
    l->PropDefault(
        "Visible", kBool, [](const H& h) { return h.Visible(); }, [](H& h, bool v) { h.SetVisible(v); },
        NewModel().Headers().Visible());
    l->Prop(
        "ColHeight", IntC{H::kMinColHeight, std::numeric_limits<int>::max()},
        [](const H& h) { return h.ColHeight(); }, [](H& h, int v) { h.SetStoredHeights(v, h.GrpHeight()); });
    l->Prop(
        "GrpHeight", IntC{H::kMinGrpHeight, std::numeric_limits<int>::max()},
        [](const H& h) { return h.GrpHeight(); }, [](H& h, int v) { h.SetStoredHeights(h.ColHeight(), v); });
    return l;
  }();
  return list;
}

PropertyListPtr<TwGridFooter> FooterProps() {
  static const PropertyListPtr<TwGridFooter> list = [] {
    using F = TwGridFooter;
    auto l = std::make_shared<PropertyList<F>>("TwGridFooter");
    l->PropDefault(
        "Color", ColorConv(), [](const F& f) { return f.Color(); }, [](F& f, TColor v) { f.SetColor(v); },
        clBtnFace);
    l->PropDefault(
        "Sizing", kBool, [](const F& f) { return f.Sizing(); }, [](F& f, bool v) { f.SetSizing(v); }, false);
    l->Object<TwTitle>(
        "Title", [](F& f) -> TwTitle& { return f.Title(); }, TitleProps());
    l->PropDefault(
        "Visible", kBool, [](const F& f) { return f.Visible(); }, [](F& f, bool v) { f.SetVisible(v); },
        true);
    l->Prop(
        "ColHeight", IntC{TwGridHeaders::kMinColHeight, std::numeric_limits<int>::max()},
        [](const F& f) { return f.ColHeight(); }, [](F& f, int v) { f.SetStoredHeights(v, f.GrpHeight()); });
    l->Prop(
        "GrpHeight", IntC{TwGridHeaders::kMinGrpHeight, std::numeric_limits<int>::max()},
        [](const F& f) { return f.GrpHeight(); }, [](F& f, int v) { f.SetStoredHeights(f.ColHeight(), v); });
    return l;
  }();
  return list;
}

PropertyListPtr<TwFixedStyle> FixedStyleProps() {
  static const PropertyListPtr<TwFixedStyle> list = [] {
    using S = TwFixedStyle;
    auto l = std::make_shared<PropertyList<S>>("TwFixedStyle");
    l->PropDefault(
        "CellStyle", CellStyleConv(), [](const S& s) { return s.CellStyle(); },
        [](S& s, TwCellStyle v) { s.SetCellStyle(v); }, NewModel().FixedStyle().CellStyle());
    l->PropDefault(
        "Color", ColorConv(), [](const S& s) { return s.Color(); }, [](S& s, TColor v) { s.SetColor(v); },
        NewModel().FixedStyle().Color());
    l->Object<TwGridLinesEx>(
        "Lines", [](S& s) -> TwGridLinesEx& { return s.Lines(); },
        LinesExProps(NewModel().FixedStyle().Lines()));
    l->PropDefault(
        "Options", SetConv{{"wfxColumnColor", "wfxEditing", "wfxMoving", "wfxSelecting", "wfxSizing"}},
        [](const S& s) { return std::uint32_t(s.Options().Bits()); },
        [](S& s, std::uint32_t v) { s.SetOptions(TwFixedOptions::FromBits(std::uint8_t(v))); },
        std::uint32_t(NewModel().FixedStyle().Options().Bits()));
    l->PropDefault(
        "SelBgColor", ColorConv(), [](const S& s) { return s.SelBgColor(); },
        [](S& s, TColor v) { s.SetSelBgColor(v); }, NewModel().FixedStyle().SelBgColor());
    l->PropDefault(
        "SelFgColor", ColorConv(), [](const S& s) { return s.SelFgColor(); },
        [](S& s, TColor v) { s.SetSelFgColor(v); }, NewModel().FixedStyle().SelFgColor());
    return l;
  }();
  return list;
}

PropertyListPtr<TwIndicators> IndicatorsProps() {
  static const PropertyListPtr<TwIndicators> list = [] {
    using I = TwIndicators;
    auto l = std::make_shared<PropertyList<I>>("TwIndicators");
    l->Inherit(*DrawObjectProps());
    l->Object<TwGridLines>(
        "Lines", [](I& i) -> TwGridLines& { return i.Lines(); }, LinesProps(NewModel().Indicators().Lines()));
    l->PropDefault(
        "SelBgColor", ColorConv(), [](const I& i) { return i.SelBgColor(); },
        [](I& i, TColor v) { i.SetSelBgColor(v); }, NewModel().Indicators().SelBgColor());
    l->PropDefault(
        "SelDown", kBool, [](const I& i) { return i.SelDown(); }, [](I& i, bool v) { i.SetSelDown(v); },
        NewModel().Indicators().SelDown());
    l->PropDefault(
        "SelFgColor", ColorConv(), [](const I& i) { return i.SelFgColor(); },
        [](I& i, TColor v) { i.SetSelFgColor(v); }, NewModel().Indicators().SelFgColor());
    l->PropDefault(
        "ShowRowNo", kBool, [](const I& i) { return i.ShowRowNo(); }, [](I& i, bool v) { i.SetShowRowNo(v); },
        NewModel().Indicators().ShowRowNo());
    l->PropDefault(
        "ShowState", kBool, [](const I& i) { return i.ShowState(); }, [](I& i, bool v) { i.SetShowState(v); },
        NewModel().Indicators().ShowState());
    l->PropDefault(
        "Sizing", kBool, [](const I& i) { return i.Sizing(); }, [](I& i, bool v) { i.SetSizing(v); },
        NewModel().Indicators().Sizing());
    l->PropDefault(
        "Visible", kBool, [](const I& i) { return i.Visible(); }, [](I& i, bool v) { i.SetVisible(v); },
        NewModel().Indicators().Visible());
    l->PropDefault(
        "Width", kInt, [](const I& i) { return i.Width(); }, [](I& i, int v) { i.SetWidth(v); },
        NewModel().Indicators().Width());
    return l;
  }();
  return list;
}

PropertyListPtr<TwMarkers> MarkersProps() {
  static const PropertyListPtr<TwMarkers> list = [] {
    using M = TwMarkers;
    auto l = std::make_shared<PropertyList<M>>("TwMarkers");
    l->Inherit(*DrawObjectProps());
    l->Object<TwGridLines>(
        "Lines", [](M& m) -> TwGridLines& { return m.Lines(); }, LinesProps(NewModel().Markers().Lines()));
    l->PropDefault(
        "Clicking", kBool, [](const M& m) { return m.Clicking(); }, [](M& m, bool v) { m.SetClicking(v); },
        NewModel().Markers().Clicking());
    l->PropDefault(
        "ImageLayout", ImageLayoutConv(), [](const M& m) { return m.ImageLayout(); },
        [](M& m, TwImageLayout v) { m.SetImageLayout(v); }, NewModel().Markers().ImageLayout());
    l->PropDefault(
        "Style", EnumConv<TwMarkerStyle>{{"wmsDefault", "wmsBoolean", "wmsCheckBox", "wmsFlatCheckBox"}},
        [](const M& m) { return m.Style(); }, [](M& m, TwMarkerStyle v) { m.SetStyle(v); },
        NewModel().Markers().Style());
    l->PropDefault(
        "Sizing", kBool, [](const M& m) { return m.Sizing(); }, [](M& m, bool v) { m.SetSizing(v); },
        NewModel().Markers().Sizing());
    l->PropDefault(
        "Visible", kBool, [](const M& m) { return m.Visible(); }, [](M& m, bool v) { m.SetVisible(v); },
        NewModel().Markers().Visible());
    l->PropDefault(
        "Width", kInt, [](const M& m) { return m.Width(); }, [](M& m, int v) { m.SetWidth(v); },
        NewModel().Markers().Width());
    return l;
  }();
  return list;
}

// --- the grid model -------------------------------------------------------------------------------

PropertyList<TwGridModel> ModelProps() {
  using G = TwGridModel;
  PropertyList<G> l("TwGridModel");
  l.PropDefault(
      "Color", ColorConv(), [](const G& g) { return g.Color(); }, [](G& g, TColor v) { g.SetColor(v); },
      NewModel().Color());
  l.ValueObject<TwFont>(
      "Font", [](const G& g) { return g.Font(); }, [](G& g, const TwFont& f) { g.SetFont(f); }, FontProps(),
      [](const G& g) { return !(g.Font() == NewModel().Font()); });
  l.PropDefault(
      "ImeMode", ImeModeConv(), [](const G& g) { return g.ImeMode(); },
      [](G& g, TImeMode v) { g.SetImeMode(v); }, NewModel().ImeMode());
  l.PropDefault(
      "ImeName", kText, [](const G& g) { return g.ImeName(); },
      [](G& g, const std::string& v) { g.SetImeName(v); }, NewModel().ImeName());
  l.PropDefault(
      "GroupMode", kBool, [](const G& g) { return g.GroupMode(); }, [](G& g, bool v) { g.SetGroupMode(v); },
      NewModel().GroupMode());
  l.Object<TwGridLinesEx>(
      "Lines", [](G& g) -> TwGridLinesEx& { return g.Lines(); }, LinesExProps(NewModel().Lines()));
  l.Object<TwGridLines>(
      "EndLines", [](G& g) -> TwGridLines& { return g.EndLines(); }, LinesProps(NewModel().EndLines()));
  l.Object<TwFixedStyle>(
      "FixedStyle", [](G& g) -> TwFixedStyle& { return g.FixedStyle(); }, FixedStyleProps());
  l.Object<TwIndicators>(
      "Indicators", [](G& g) -> TwIndicators& { return g.Indicators(); }, IndicatorsProps());
  l.Object<TwMarkers>(
      "Markers", [](G& g) -> TwMarkers& { return g.Markers(); }, MarkersProps());
  l.Object<TwGridHeaders>(
      "Headers", [](G& g) -> TwGridHeaders& { return g.Headers(); }, HeadersProps());
  l.Collection<TwGridFooter>(
      "Footers", [](const G& g) { return g.Footers().Count(); },
      [](const G& g, int i) -> const TwGridFooter& { return *g.Footers().Items(i); },
      [](G& g) { g.Footers().Clear(); }, [](G& g) -> TwGridFooter& { return *g.Footers().Add(); },
      FooterProps());
  l.Collection<TwGroup>(
      "Groups", [](const G& g) { return g.Groups().Count(); },
      [](const G& g, int i) -> const TwGroup& { return *g.Groups().Items(i); },
      [](G& g) { g.Groups().Clear(); }, [](G& g) -> TwGroup& { return *g.Groups().Add(); }, GroupProps());
  return l;
}

PropertyList<TwGridModel> ModelStoredSizes() {
  using G = TwGridModel;
  PropertyList<G> l("TwGridModel");
  const IntC height{1, std::numeric_limits<int>::max()};
  const IntC count{0, std::numeric_limits<int>::max()};
  l.Prop(
      "ColRowHeight", height, [](const G& g) { return g.ColRowHeight(); },
      [](G& g, int v) { g.SetColRowHeight(v); });
  l.Prop(
      "GrpRowHeight", height, [](const G& g) { return g.GrpRowHeight(); },
      [](G& g, int v) { g.SetGrpRowHeight(v); });
  l.Prop(
      "ColFixedCount", count, [](const G& g) { return g.ColFixedCount(); },
      [](G& g, int v) { g.SetColFixedCount(v); });
  l.Prop(
      "GrpFixedCount", count, [](const G& g) { return g.GrpFixedCount(); },
      [](G& g, int v) { g.SetGrpFixedCount(v); });
  return l;
}

}  // namespace twform
