#pragma once
// Published properties of a class and how they meet the form description: for each property its name,
// getter, setter and stored test. A PropertyList<Obj> writes the stored properties of an object into a
// list of FormProperty (nested objects by dotted names, collections as items in order) and sets an
// object's properties from such a list.
//
// Converters turn a property's value into a FormValue and back: IntConv, BoolConv, TextConv, EnumConv,
// SetConv, StringsConv, BytesConv, and IdentIntConv (integers that have names, like colours). A value of the
// wrong kind, out of range or unknown raises EFormError at the value's position; a property the class does
// not publish raises it at the property's position.
//
// Stored tests: Always, Never, Default(v) (stored when the value differs from v) or any predicate.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/persist/form_text.h"

namespace plat::persist {

// --- converters -----------------------------------------------------------------------------------

[[noreturn]] inline void ValueError(const FormValue& v, const std::string& message) {
  throw EFormError(v.Pos, message);
}

inline void ExpectKind(const FormValue& v, FormValue::Kind k) {
  if (v.What != k)
    ValueError(
        v, std::string(FormValue::KindName(k)) + " expected but " + FormValue::KindName(v.What) + " found");
}

/// An integer type; values outside [Min, Max] are refused.
template <class T>
struct IntConv {
  std::int64_t Min = std::numeric_limits<T>::min();
  std::int64_t Max = std::numeric_limits<T>::max();
  FormValue Write(T v) const { return FormValue::MakeInt(std::int64_t(v)); }
  T Read(const FormValue& v) const {
    ExpectKind(v, FormValue::Integer);
    if (v.Int < Min || v.Int > Max)
      ValueError(v, std::to_string(v.Int) + " is out of range (" + std::to_string(Min) + " to " +
                        std::to_string(Max) + ")");
    return T(v.Int);
  }
};

struct BoolConv {
  FormValue Write(bool v) const { return FormValue::MakeBool(v); }
  bool Read(const FormValue& v) const {
    ExpectKind(v, FormValue::Ident);
    if (SameName(v.Text, "True")) return true;
    if (SameName(v.Text, "False")) return false;
    ValueError(v, "True or False expected but '" + v.Text + "' found");
  }
};

struct TextConv {
  FormValue Write(const std::string& v) const { return FormValue::MakeString(v); }
  std::string Read(const FormValue& v) const {
    ExpectKind(v, FormValue::String);
    return v.Text;
  }
};

/// An enumeration stored by the names of its values in ordinal order.
template <class E>
struct EnumConv {
  std::vector<std::string_view> Names;
  FormValue Write(E v) const {
    const std::size_t i = std::size_t(v);
    return FormValue::MakeIdent(i < Names.size() ? Names[i] : std::string_view("?"));
  }
  E Read(const FormValue& v) const {
    ExpectKind(v, FormValue::Ident);
    for (std::size_t i = 0; i < Names.size(); ++i)
      if (SameName(Names[i], v.Text)) return E(i);
    ValueError(v, "'" + v.Text + "' is not a valid value here");
  }
};

/// A set of an enumeration as its bits (bit n = value n), stored as the names of its members.
struct SetConv {
  std::vector<std::string_view> Names;
  FormValue Write(std::uint32_t bits) const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < Names.size() && i < 32; ++i)
      if (bits & (std::uint32_t(1) << i)) names.emplace_back(Names[i]);
    return FormValue::MakeSet(std::move(names));
  }
  std::uint32_t Read(const FormValue& v) const {
    ExpectKind(v, FormValue::Set);
    std::uint32_t bits = 0;
    for (const std::string& n : v.Names) {
      std::size_t i = 0;
      while (i < Names.size() && !SameName(Names[i], n)) ++i;
      if (i == Names.size()) ValueError(v, "'" + n + "' is not a valid set element here");
      bits |= std::uint32_t(1) << i;
    }
    return bits;
  }
};

/// A list of strings.
struct StringsConv {
  FormValue Write(const std::vector<std::string>& v) const { return FormValue::MakeStrings(v); }
  std::vector<std::string> Read(const FormValue& v) const {
    ExpectKind(v, FormValue::List);
    std::vector<std::string> out;
    out.reserve(v.Items.size());
    for (const FormValue& item : v.Items) {
      ExpectKind(item, FormValue::String);
      out.push_back(item.Text);
    }
    return out;
  }
};

/// Raw bytes; Size > 0 asks for exactly that many.
struct BytesConv {
  std::size_t Size = 0;
  FormValue Write(const std::vector<std::uint8_t>& v) const { return FormValue::MakeBinary(v); }
  std::vector<std::uint8_t> Read(const FormValue& v) const {
    ExpectKind(v, FormValue::Binary);
    if (Size > 0 && v.Bytes.size() != Size)
      ValueError(v,
                 std::to_string(Size) + " bytes expected but " + std::to_string(v.Bytes.size()) + " found");
    return v.Bytes;
  }
};

/// A 32-bit value written by name when it has one (colours: clBtnFace), else as a signed integer; reads a
/// name, a signed or an unsigned 32-bit integer.
struct IdentIntConv {
  std::vector<std::pair<std::string_view, std::uint32_t>> Names;
  FormValue Write(std::uint32_t v) const {
    for (const auto& [name, value] : Names)
      if (value == v) return FormValue::MakeIdent(name);
    return FormValue::MakeInt(std::int32_t(v));
  }
  std::uint32_t Read(const FormValue& v) const {
    if (v.What == FormValue::Ident) {
      for (const auto& [name, value] : Names)
        if (SameName(name, v.Text)) return value;
      ValueError(v, "'" + v.Text + "' is not a valid value here");
    }
    ExpectKind(v, FormValue::Integer);
    if (v.Int < std::numeric_limits<std::int32_t>::min() ||
        v.Int > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
      ValueError(v, std::to_string(v.Int) + " is out of range");
    return std::uint32_t(v.Int);
  }
};

// --- stored tests ---------------------------------------------------------------------------------

template <class Obj>
using StoredTest = std::function<bool(const Obj&)>;

template <class Obj>
StoredTest<Obj> Always() {
  return [](const Obj&) { return true; };
}
template <class Obj>
StoredTest<Obj> Never() {
  return [](const Obj&) { return false; };
}

// --- property lists -------------------------------------------------------------------------------

template <class Obj>
class PropertyList {
 public:
  struct Entry {
    std::string Name;
    /// Appends the property (prefix + Name) or, for a nested object, its stored properties.
    std::function<void(const Obj&, const std::string& prefix, FormProperties& out)> Write;
    /// Sets the property from a value. rest is what follows "Name." in a dotted name ("" for the property
    /// itself); p is the property as read, for its name and position in messages.
    std::function<void(Obj&, std::string_view rest, const FormProperty& p)> Read;
  };

  explicit PropertyList(std::string className) : className_(std::move(className)) {}
  const std::string& ClassName() const { return className_; }
  const std::vector<Entry>& Entries() const { return entries_; }

  PropertyList& Add(Entry e) {
    entries_.push_back(std::move(e));
    return *this;
  }
  /// Replaces the entry of the same name in place (a descendant's own version of a property).
  PropertyList& Replace(Entry e) {
    for (Entry& x : entries_)
      if (SameName(x.Name, e.Name)) {
        x = std::move(e);
        return *this;
      }
    return Add(std::move(e));
  }
  /// Takes over every property of a base class's list.
  template <class Base>
  PropertyList& Inherit(const PropertyList<Base>& base) {
    for (const auto& b : base.Entries()) {
      Entry e;
      e.Name = b.Name;
      e.Write = [w = b.Write](const Obj& o, const std::string& prefix, FormProperties& out) {
        w(static_cast<const Base&>(o), prefix, out);
      };
      e.Read = [r = b.Read](Obj& o, std::string_view rest, const FormProperty& p) {
        r(static_cast<Base&>(o), rest, p);
      };
      entries_.push_back(std::move(e));
    }
    return *this;
  }
  /// Takes over every property of a part's list, as properties of the object itself; access(o) is the part
  /// (called on a const and on a mutable object).
  template <class Part, class Access>
  PropertyList& Inherit(const PropertyList<Part>& part, Access access) {
    for (const auto& b : part.Entries()) {
      Entry e;
      e.Name = b.Name;
      e.Write = [w = b.Write, access](const Obj& o, const std::string& prefix, FormProperties& out) {
        w(access(o), prefix, out);
      };
      e.Read = [r = b.Read, access](Obj& o, std::string_view rest, const FormProperty& p) {
        r(access(o), rest, p);
      };
      entries_.push_back(std::move(e));
    }
    return *this;
  }

  /// A plain property: conv turns the getter's value into a FormValue and back for the setter.
  template <class Conv, class Get, class SetFn>
  PropertyList& Prop(std::string name, Conv conv, Get get, SetFn set,
                     StoredTest<Obj> stored = Always<Obj>()) {
    Entry e;
    e.Name = name;
    e.Write = [name, conv, get, stored](const Obj& o, const std::string& prefix, FormProperties& out) {
      if (!stored(o)) return;
      out.push_back(FormProperty{prefix + name, conv.Write(get(o)), {}});
    };
    e.Read = [conv, set, cls = className_](Obj& o, std::string_view rest, const FormProperty& p) {
      if (!rest.empty()) UnknownProperty(p, cls);
      set(o, conv.Read(p.Value));
    };
    return Add(std::move(e));
  }
  /// A plain property stored when its value differs from def.
  template <class Conv, class Get, class SetFn, class T>
  PropertyList& PropDefault(std::string name, Conv conv, Get get, SetFn set, T def) {
    return Prop(std::move(name), std::move(conv), get, set,
                [get, def](const Obj& o) { return !(get(o) == def); });
  }
  /// A property the reader accepts and ignores, and the writer never writes.
  PropertyList& Ignored(std::string name) {
    Entry e;
    e.Name = std::move(name);
    e.Write = [](const Obj&, const std::string&, FormProperties&) {};
    e.Read = [](Obj&, std::string_view, const FormProperty&) {};
    return Add(std::move(e));
  }

  /// An owned object reached by reference; its properties are written as "Name.Property".
  template <class Sub, class Access>
  PropertyList& Object(std::string name, Access access, std::shared_ptr<const PropertyList<Sub>> sub,
                       StoredTest<Obj> stored = Always<Obj>()) {
    Entry e;
    e.Name = name;
    e.Write = [name, access, sub, stored](const Obj& o, const std::string& prefix, FormProperties& out) {
      if (!stored(o)) return;
      const Sub& s = access(const_cast<Obj&>(o));  // the access only hands out the owned object
      sub->Write(s, prefix + name + ".", out);
    };
    e.Read = [access, sub, cls = className_](Obj& o, std::string_view rest, const FormProperty& p) {
      if (rest.empty()) UnknownProperty(p, cls);
      Sub& s = access(o);
      sub->ReadPath(s, rest, p);
    };
    return Add(std::move(e));
  }
  /// An object held by value (a font): read, changed in a copy and set back as a whole.
  template <class Sub, class Get, class SetFn>
  PropertyList& ValueObject(std::string name, Get get, SetFn set,
                            std::shared_ptr<const PropertyList<Sub>> sub,
                            StoredTest<Obj> stored = Always<Obj>()) {
    Entry e;
    e.Name = name;
    e.Write = [name, get, sub, stored](const Obj& o, const std::string& prefix, FormProperties& out) {
      if (!stored(o)) return;
      const Sub s = get(o);
      sub->Write(s, prefix + name + ".", out);
    };
    e.Read = [get, set, sub, cls = className_](Obj& o, std::string_view rest, const FormProperty& p) {
      if (rest.empty()) UnknownProperty(p, cls);
      Sub s = get(o);
      sub->ReadPath(s, rest, p);
      set(o, s);
    };
    return Add(std::move(e));
  }
  /// A collection: count and item(i) for writing; clear and add for reading, which replaces the items.
  template <class Item, class Count, class ItemAt, class Clear, class AddItem>
  PropertyList& Collection(std::string name, Count count, ItemAt itemAt, Clear clear, AddItem add,
                           std::shared_ptr<const PropertyList<Item>> items,
                           StoredTest<Obj> stored = nullptr) {
    if (!stored) stored = [count](const Obj& o) { return count(o) > 0; };
    Entry e;
    e.Name = name;
    e.Write = [name, count, itemAt, items, stored](const Obj& o, const std::string& prefix,
                                                   FormProperties& out) {
      if (!stored(o)) return;
      FormValue v;
      v.What = FormValue::Collection;
      const int n = count(o);
      for (int i = 0; i < n; ++i) {
        FormProperties props;
        items->Write(itemAt(o, i), "", props);
        v.Entries.push_back(std::move(props));
      }
      out.push_back(FormProperty{prefix + name, std::move(v), {}});
    };
    e.Read = [clear, add, items, cls = className_](Obj& o, std::string_view rest, const FormProperty& p) {
      if (!rest.empty()) UnknownProperty(p, cls);
      ExpectKind(p.Value, FormValue::Collection);
      clear(o);
      for (const FormProperties& entry : p.Value.Entries) {
        Item& item = add(o);
        items->ReadAll(item, entry);
      }
    };
    return Add(std::move(e));
  }

  /// Appends the stored properties of o, each name preceded by prefix.
  void Write(const Obj& o, const std::string& prefix, FormProperties& out) const {
    for (const Entry& e : entries_) e.Write(o, prefix, out);
  }
  FormProperties Write(const Obj& o) const {
    FormProperties out;
    Write(o, "", out);
    return out;
  }

  /// Sets the properties in the order given. Errors other than EFormError that a setter raises are
  /// reported as EFormError at the property.
  void ReadAll(Obj& o, const FormProperties& props) const {
    for (const FormProperty& p : props) ReadPath(o, p.Name, p);
  }
  /// Sets one property; path is the (rest of the) dotted name.
  void ReadPath(Obj& o, std::string_view path, const FormProperty& p) const {
    const std::size_t dot = path.find('.');
    const std::string_view head = path.substr(0, dot);
    const std::string_view rest = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    for (const Entry& e : entries_) {
      if (!SameName(e.Name, head)) continue;
      try {
        e.Read(o, rest, p);
      } catch (const EFormError&) {
        throw;
      } catch (const std::exception& x) {
        throw EFormError(p.Pos, "error setting " + p.Name + ": " + x.what());
      }
      return;
    }
    UnknownProperty(p, className_);
  }

 private:
  [[noreturn]] static void UnknownProperty(const FormProperty& p, const std::string& cls) {
    throw EFormError(p.Pos, "property '" + p.Name + "' does not exist in " + cls);
  }

  std::string className_;
  std::vector<Entry> entries_;
};

template <class Obj>
using PropertyListPtr = std::shared_ptr<const PropertyList<Obj>>;

}  // namespace plat::persist
