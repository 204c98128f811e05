#include "grid/memory/mem_grid_form.h"

#include <limits>

#include "grid/structure/grid_model.h"
#include "grid/structure/model_form.h"
#include "grid/structure/qt_text.h"

namespace twform {

using namespace plat::persist;

namespace {

const BoolConv kBool{};
const TextConv kText{};

const char* const kGridOptionNames[] = {
    "wgoAlwaysShowEditor", "wgoAlwaysShowSelection", "wgoArrowMove", "wgoCancelOnExit",  "wgoCellMoving",
    "wgoCellSizing",       "wgoColMoving",           "wgoColSizing", "wgoConfirmDelete", "wgoDeleting",
    "wgoEditing",          "wgoEnterToTab",          "wgoFocusRect", "wgoInserting",     "wgoLevelSizing",
    "wgoMultiSelect",      "wgoNoClickEdit",         "wgoNoScroll",  "wgoNullMark",      "wgoRowSelect",
    "wgoRowSizing",        "wgoSkipReadOnly"};

SetConv GridOptionsConv() {
  SetConv c;
  for (const char* n : kGridOptionNames) c.Names.emplace_back(n);
  return c;
}

TwGridOptions OptionsFromBits(std::uint32_t bits) {
  TwGridOptions o;
  for (unsigned i = 0; i <= unsigned(wgoSkipReadOnly); ++i)
    if (bits & (std::uint32_t(1) << i)) o.Include(TwGridOption(i));
  return o;
}

// The grid's footer rows, for which a memory column's footer writes one style each.
int FooterRows(const TwMemColumnFooter& f) {
  const TwGridModel* g = f.GetGrid();
  return g ? g->Footers().Count() : 0;
}

}  // namespace

PropertyListPtr<TwMemColumnFooter> MemColumnFooterProps() {
  static const PropertyListPtr<TwMemColumnFooter> list = [] {
    using F = TwMemColumnFooter;
    auto l = std::make_shared<PropertyList<F>>("TwMemColumnFooter");
    l->Inherit(*ColumnFooterProps());
    // "Style": one style text per footer row of the grid; reading appends each one.
    l->Prop(
        "Style", StringsConv{},
        [](const F& f) {
          TwStrings styles;
          for (int i = 0, n = FooterRows(f); i < n; ++i) styles.push_back(f.Style(i));
          return styles;
        },
        [](F& f, const TwStrings& styles) {
          for (const std::string& s : styles) f.AppendStyle(s);
        },
        [](const F& f) { return FooterRows(f) > 0; });
    // The designer's entry point to the styles; nothing to keep.
    l->Ignored("Styles");
    return l;
  }();
  return list;
}

PropertyListPtr<TwMemColumn> MemColumnProps() {
  static const PropertyListPtr<TwMemColumn> list = [] {
    using C = TwMemColumn;
    auto l = std::make_shared<PropertyList<C>>("TwMemColumn");
    l->Inherit(ColumnProps());
    PropertyList<C> footer("TwMemColumn");
    footer.Object<TwMemColumnFooter>(
        "Footer", [](C& c) -> TwMemColumnFooter& { return c.Footer(); }, MemColumnFooterProps());
    l->Replace(footer.Entries().front());
    l->PropDefault(
        "Calculated", kBool, [](const C& c) { return c.Calculated(); },
        [](C& c, bool v) { c.SetCalculated(v); }, false);
    l->PropDefault(
        "DataType",
        EnumConv<TwDataType>{{"wdtString", "wdtChar", "wdtBool", "wdtShort", "wdtByte", "wdtSmall", "wdtWord",
                              "wdtLong", "wdtFloat", "wdtDate", "wdtTime", "wdtDateTime", "wdtGraphic"}},
        [](const C& c) { return c.DataType(); }, [](C& c, TwDataType v) { c.SetDataType(v); }, wdtString);
    // The width as set (what the type's rule reports is derived from it).
    l->PropDefault(
        "DataWidth", IntConv<int>{0, 0xFFFF}, [](const C& c) { return c.DataWidthSetting(); },
        [](C& c, int v) { c.SetDataWidth(v); }, kNewColumnDataWidth);
    l->PropDefault(
        "Defaults", kText, [](const C& c) { return c.Defaults(); },
        [](C& c, const std::string& v) { c.SetDefaults(v); }, std::string());
    l->PropDefault(
        "DisplayFormat", kText, [](const C& c) { return c.DisplayFormat(); },
        [](C& c, const std::string& v) { c.SetDisplayFormat(v); }, std::string());
    l->PropDefault(
        "Required", kBool, [](const C& c) { return c.Required(); }, [](C& c, bool v) { c.SetRequired(v); },
        false);
    l->Inherit(ColumnStoredWidths());
    return l;
  }();
  return list;
}

PropertyListPtr<TMemGrid> MemGridProps() {
  static const PropertyListPtr<TMemGrid> list = [] {
    using G = TMemGrid;
    auto l = std::make_shared<PropertyList<G>>("TMemGrid");
    l->Inherit(
        ModelProps(), [](auto& g) -> auto& { return g.Model(); });
    const TwGridOptions defaultOptions{wgoArrowMove, wgoConfirmDelete, wgoEnterToTab, wgoFocusRect};
    l->PropDefault(
        "Options", GridOptionsConv(), [](const G& g) { return g.Options().Bits(); },
        [](G& g, std::uint32_t v) { g.SetOptions(OptionsFromBits(v)); }, defaultOptions.Bits());
    l->PropDefault(
        "ChangeDelay", IntConv<int>{0, std::numeric_limits<int>::max()},
        [](const G& g) { return g.ChangeDelay(); }, [](G& g, int v) { g.SetChangeDelay(v); }, 200);
    l->PropDefault(
        "AutoCalcFooters", kBool, [](const G& g) { return g.AutoCalcFooters(); },
        [](G& g, bool v) { g.SetAutoCalcFooters(v); }, true);
    l->PropDefault(
        "CheckRowState", kBool, [](const G& g) { return g.CheckRowState(); },
        [](G& g, bool v) { g.SetCheckRowState(v); }, true);
    l->PropDefault(
        "SoftDeleting", kBool, [](const G& g) { return g.SoftDeleting(); },
        [](G& g, bool v) { g.SetSoftDeleting(v); }, false);
    l->PropDefault(
        "MaxRowCount", IntConv<int>{0, std::numeric_limits<int>::max()},
        [](const G& g) { return g.MaxRowCount(); }, [](G& g, int v) { g.SetMaxRowCount(v); }, 0);
    l->Collection<TwMemColumn>(
        "Columns", [](const G& g) { return g.ColumnCount(); },
        [](const G& g, int i) -> const TwMemColumn& { return *g.Column(i); },
        [](G& g) { g.Model().Columns().Clear(); }, [](G& g) -> TwMemColumn& { return *g.AddColumn(); },
        MemColumnProps());
    // After the columns: a grid without columns ignores its row count.
    l->PropDefault(
        "RowCount", IntConv<int>{0, std::numeric_limits<int>::max()}, [](const G& g) { return g.RowCount(); },
        [](G& g, int v) { g.SetRowCount(v); }, 0);
    l->Inherit(
        ModelStoredSizes(), [](auto& g) -> auto& { return g.Model(); });
    return l;
  }();
  return list;
}

void LoadMemGrid(TMemGrid& grid, const FormObject& object) {
  if (!SameName(object.ClassName, "TMemGrid"))
    throw EFormError(object.Pos, "class TMemGrid expected but '" + object.ClassName + "' found");
  if (!object.Children.empty())
    throw EFormError(object.Children.front().Pos, "a TMemGrid holds no components");
  grid.Model().State().Include(plat::ComponentStateFlag::Loading);
  MemGridProps()->ReadAll(grid, object.Properties);
  grid.setObjectName(tw::ToQ(object.Name));
  grid.Loaded();
}

std::unique_ptr<TMemGrid> ReadMemGridForm(std::string_view text, QWidget* parent) {
  // The whole text is read first, so that a syntax error never meets a grid.
  const FormObject object = ParseForm(text);
  auto grid = std::make_unique<TMemGrid>(parent);
  LoadMemGrid(*grid, object);
  return grid;
}

FormObject MemGridFormObject(const TMemGrid& grid) {
  FormObject object;
  object.Name = tw::FromQ(grid.objectName());
  object.ClassName = "TMemGrid";
  object.Properties = MemGridProps()->Write(grid);
  return object;
}

std::string WriteMemGridForm(const TMemGrid& grid) {
  return WriteForm(MemGridFormObject(grid));
}

}  // namespace twform
