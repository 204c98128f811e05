#include "platform/persist/form_text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/text/text.h"

namespace plat::persist {

// --- values and errors ----------------------------------------------------------------------------

FormValue FormValue::MakeInt(std::int64_t v) {
  FormValue r;
  r.What = Integer;
  r.Int = v;
  return r;
}

FormValue FormValue::MakeFloat(double v) {
  FormValue r;
  r.What = Float;
  r.Real = v;
  return r;
}

FormValue FormValue::MakeString(std::string_view v) {
  FormValue r;
  r.What = String;
  r.Text = std::string(v);
  return r;
}

FormValue FormValue::MakeIdent(std::string_view v) {
  FormValue r;
  r.What = Ident;
  r.Text = std::string(v);
  return r;
}

FormValue FormValue::MakeBool(bool v) {
  return MakeIdent(v ? "True" : "False");
}

FormValue FormValue::MakeSet(std::vector<std::string> names) {
  FormValue r;
  r.What = Set;
  r.Names = std::move(names);
  return r;
}

FormValue FormValue::MakeStrings(const std::vector<std::string>& list) {
  FormValue r;
  r.What = List;
  r.Items.reserve(list.size());
  for (const std::string& s : list) r.Items.push_back(MakeString(s));
  return r;
}

FormValue FormValue::MakeBinary(std::vector<std::uint8_t> bytes) {
  FormValue r;
  r.What = Binary;
  r.Bytes = std::move(bytes);
  return r;
}

const char* FormValue::KindName(Kind k) {
  switch (k) {
    case Integer:
      return "integer";
    case Float:
      return "number";
    case String:
      return "string";
    case Ident:
      return "identifier";
    case Set:
      return "set";
    case List:
      return "list";
    case Collection:
      return "collection";
    case Binary:
      return "binary value";
  }
  return "value";
}

EFormError::EFormError(FormPos pos, const std::string& message)
    : Exception("Line " + std::to_string(pos.Line) + ", column " + std::to_string(pos.Column) + ": " +
                message),
      pos_(pos),
      message_(message) {}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// --- reader ---------------------------------------------------------------------------------------

namespace {

// Deeper nesting than any real description; a guard against texts built to exhaust the stack.
constexpr int kMaxDepth = 64;

bool IsIdentStart(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(int c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}
bool IsDigit(int c) {
  return c >= '0' && c <= '9';
}
int HexDigit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {
    // A byte-order mark is not part of the text.
    if (s_.substr(0, 3) == "\xEF\xBB\xBF") s_.remove_prefix(3);
  }

  FormObject ReadRoot() {
    SkipBlanks();
    if (AtEnd()) Fail(Pos(), "'object' expected but the text is empty");
    FormObject root = ReadObject();
    SkipBlanks();
    if (!AtEnd()) Fail(Pos(), "end of text expected after the last 'end'");
    return root;
  }

 private:
  FormPos Pos() const { return {line_, col_}; }
  bool AtEnd() const { return i_ >= s_.size(); }
  int Peek(std::size_t ahead = 0) const {
    return i_ + ahead < s_.size() ? static_cast<unsigned char>(s_[i_ + ahead]) : -1;
  }
  void Advance() {
    const unsigned char c = static_cast<unsigned char>(s_[i_++]);
    if (c == '\n') {
      ++line_;
      col_ = 1;
    } else if ((c & 0xC0) != 0x80) {  // continuation bytes belong to the character before
      ++col_;
    }
  }
  [[noreturn]] static void Fail(FormPos p, const std::string& message) { throw EFormError(p, message); }

  void SkipBlanks() {
    while (!AtEnd()) {
      const int c = Peek();
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
        Advance();
      else
        break;
    }
  }

  // A readable description of the character at the reading position.
  std::string Here() const {
    if (AtEnd()) return "the end of the text";
    const int c = Peek();
    if (c >= 0x21 && c < 0x7F) return std::string("'") + char(c) + "'";
    if (c >= 0x80) return "a non-ASCII character";
    return "character #" + std::to_string(c);
  }

  void Expect(char c, const char* what) {
    SkipBlanks();
    if (Peek() != static_cast<unsigned char>(c))
      Fail(Pos(), std::string(what) + " expected but " + Here() + " found");
    Advance();
  }

  std::string ReadIdent(const char* what) {
    SkipBlanks();
    if (!IsIdentStart(Peek())) Fail(Pos(), std::string(what) + " expected but " + Here() + " found");
    const std::size_t start = i_;
    while (IsIdentChar(Peek())) Advance();
    return std::string(s_.substr(start, i_ - start));
  }

  // Ident ('.' Ident)*
  std::string ReadDottedName(const char* what) {
    std::string name = ReadIdent(what);
    while (Peek() == '.') {
      Advance();
      if (!IsIdentStart(Peek())) Fail(Pos(), "name expected after '.' but " + Here() + " found");
      name += '.';
      name += ReadIdent("name");
    }
    return name;
  }

  // The identifier at the reading position without consuming it (empty when none).
  std::string_view PeekIdent() const {
    std::size_t j = i_;
    if (j >= s_.size() || !IsIdentStart(static_cast<unsigned char>(s_[j]))) return {};
    while (j < s_.size() && IsIdentChar(static_cast<unsigned char>(s_[j]))) ++j;
    return s_.substr(i_, j - i_);
  }

  struct DepthGuard {
    DepthGuard(Reader& r, FormPos p) : reader(r) {
      if (++reader.depth_ > kMaxDepth)
        Fail(p, "nesting deeper than " + std::to_string(kMaxDepth) + " levels");
    }
    ~DepthGuard() { --reader.depth_; }
    Reader& reader;
  };

  FormObject ReadObject() {
    SkipBlanks();
    FormObject obj;
    obj.Pos = Pos();
    DepthGuard guard(*this, obj.Pos);
    const std::string keyword = ReadIdent("'object'");
    if (SameName(keyword, "inherited"))
      obj.Inherited = true;
    else if (!SameName(keyword, "object") && !SameName(keyword, "inline"))
      Fail(obj.Pos, "'object' expected but '" + keyword + "' found");
    std::string first = ReadIdent("object name or class name");
    SkipBlanks();
    if (Peek() == ':') {
      Advance();
      obj.Name = std::move(first);
      obj.ClassName = ReadIdent("class name");
    } else {
      obj.ClassName = std::move(first);
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd())
        Fail(Pos(), "'end' of object '" + (obj.Name.empty() ? obj.ClassName : obj.Name) + "' expected");
      const std::string_view word = PeekIdent();
      if (SameName(word, "end")) {
        ReadIdent("'end'");
        return obj;
      }
      if (SameName(word, "object") || SameName(word, "inherited") || SameName(word, "inline")) {
        obj.Children.push_back(ReadObject());
        continue;
      }
      obj.Properties.push_back(ReadProperty());
    }
  }

  FormProperty ReadProperty() {
    SkipBlanks();
    FormProperty p;
    p.Pos = Pos();
    p.Name = ReadDottedName("property name");
    Expect('=', "'='");
    p.Value = ReadValue();
    return p;
  }

  FormValue ReadValue() {
    SkipBlanks();
    const FormPos at = Pos();
    const int c = Peek();
    FormValue v;
    if (c == '\'' || c == '#') {
      v.What = FormValue::String;
      v.Text = ReadString();
    } else if (IsDigit(c) || c == '-' || c == '+' || c == '$') {
      v = ReadNumber();
    } else if (IsIdentStart(c)) {
      v.What = FormValue::Ident;
      v.Text = ReadDottedName("identifier");
    } else if (c == '[') {
      v = ReadSet();
    } else if (c == '(') {
      v = ReadList();
    } else if (c == '<') {
      v = ReadCollection();
    } else if (c == '{') {
      v = ReadBinary();
    } else {
      Fail(at, "value expected but " + Here() + " found");
    }
    v.Pos = at;
    return v;
  }

  // Quoted parts and #codes, joined directly or by '+' across lines.
  std::string ReadString() {
    std::string out;
    for (;;) {
      const int c = Peek();
      if (c == '\'') {
        ReadQuoted(out);
      } else if (c == '#') {
        ReadCharCode(out);
      } else {
        // A '+' continues the string on the next part.
        std::size_t save = i_;
        const int saveLine = line_, saveCol = col_;
        SkipBlanks();
        if (Peek() == '+') {
          Advance();
          SkipBlanks();
          if (Peek() != '\'' && Peek() != '#')
            Fail(Pos(), "string expected after '+' but " + Here() + " found");
          continue;
        }
        i_ = save;
        line_ = saveLine;
        col_ = saveCol;
        return out;
      }
    }
  }

  void ReadQuoted(std::string& out) {
    const FormPos start = Pos();
    Advance();  // opening quote
    const std::size_t from = out.size();
    for (;;) {
      if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail(start, "unterminated string");
      if (Peek() == '\'') {
        Advance();
        if (Peek() == '\'') {
          out += '\'';
          Advance();
          continue;
        }
        break;
      }
      out += char(Peek());
      Advance();
    }
    if (!plat::text::IsValidUtf8(std::string_view(out).substr(from)))
      Fail(start, "string is not valid UTF-8");
  }

  void ReadCharCode(std::string& out) {
    const FormPos start = Pos();
    Advance();  // '#'
    std::uint32_t cp = 0;
    bool any = false;
    if (Peek() == '$') {
      Advance();
      for (int d; (d = HexDigit(Peek())) >= 0; Advance()) {
        cp = cp * 16 + std::uint32_t(d);
        any = true;
        if (cp > 0x10FFFF) Fail(start, "character code out of range");
      }
    } else {
      for (; IsDigit(Peek()); Advance()) {
        cp = cp * 10 + std::uint32_t(Peek() - '0');
        any = true;
        if (cp > 0x10FFFF) Fail(start, "character code out of range");
      }
    }
    if (!any) Fail(start, "character code expected after '#'");
    if (cp >= 0xD800 && cp <= 0xDFFF) Fail(start, "character code out of range");
    AppendUtf8(out, cp);
  }

  FormValue ReadNumber() {
    const FormPos start = Pos();
    bool negative = false;
    if (Peek() == '-' || Peek() == '+') {
      negative = Peek() == '-';
      Advance();
    }
    if (Peek() == '$') {
      Advance();
      std::uint64_t v = 0;
      bool any = false;
      for (int d; (d = HexDigit(Peek())) >= 0; Advance()) {
        if (v > (std::numeric_limits<std::uint64_t>::max() >> 4)) Fail(start, "number out of range");
        v = v * 16 + std::uint64_t(d);
        any = true;
      }
      if (!any) Fail(start, "hexadecimal digits expected after '$'");
      if (v > std::uint64_t(std::numeric_limits<std::int64_t>::max())) Fail(start, "number out of range");
      return FormValue::MakeInt(negative ? -std::int64_t(v) : std::int64_t(v));
    }
    if (!IsDigit(Peek())) Fail(start, "digits expected but " + Here() + " found");
    const std::size_t from = i_;
    while (IsDigit(Peek())) Advance();
    bool isFloat = false;
    if (Peek() == '.' && IsDigit(Peek(1))) {
      isFloat = true;
      Advance();
      while (IsDigit(Peek())) Advance();
    }
    if (Peek() == 'e' || Peek() == 'E') {
      const int next = Peek(1);
      if (IsDigit(next) || ((next == '+' || next == '-') && IsDigit(Peek(2)))) {
        isFloat = true;
        Advance();
        if (Peek() == '+' || Peek() == '-') Advance();
        while (IsDigit(Peek())) Advance();
      }
    }
    if (IsIdentChar(Peek())) Fail(Pos(), "blank or end of value expected but " + Here() + " found");
    const std::string digits(s_.substr(from, i_ - from));
    if (isFloat) {
      double d = 0;
      auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
      if (ec != std::errc() || !std::isfinite(d)) Fail(start, "number out of range");
      return FormValue::MakeFloat(negative ? -d : d);
    }
    std::uint64_t v = 0;
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    const std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (ec != std::errc() || v > limit) Fail(start, "number out of range");
    return FormValue::MakeInt(negative ? std::int64_t(0 - v) : std::int64_t(v));
  }

  FormValue ReadSet() {
    FormValue v;
    v.What = FormValue::Set;
    Advance();  // '['
    SkipBlanks();
    if (Peek() == ']') {
      Advance();
      return v;
    }
    for (;;) {
      v.Names.push_back(ReadIdent("set element"));
      SkipBlanks();
      if (Peek() == ',') {
        Advance();
        continue;
      }
      if (Peek() == ']') {
        Advance();
        return v;
      }
      Fail(Pos(), "',' or ']' expected but " + Here() + " found");
    }
  }

  FormValue ReadList() {
    FormValue v;
    v.What = FormValue::List;
    DepthGuard guard(*this, Pos());
    Advance();  // '('
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(Pos(), "')' expected but the text ends");
      if (Peek() == ')') {
        Advance();
        return v;
      }
      v.Items.push_back(ReadValue());
    }
  }

  FormValue ReadCollection() {
    FormValue v;
    v.What = FormValue::Collection;
    DepthGuard guard(*this, Pos());
    Advance();  // '<'
    for (;;) {
      SkipBlanks();
      if (Peek() == '>') {
        Advance();
        return v;
      }
      const FormPos at = Pos();
      const std::string word = ReadIdent("'item' or '>'");
      if (!SameName(word, "item")) Fail(at, "'item' or '>' expected but '" + word + "' found");
      FormProperties props;
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Fail(Pos(), "'end' of item expected");
        if (SameName(PeekIdent(), "end")) {
          ReadIdent("'end'");
          break;
        }
        props.push_back(ReadProperty());
      }
      v.Entries.push_back(std::move(props));
    }
  }

  FormValue ReadBinary() {
    FormValue v;
    v.What = FormValue::Binary;
    const FormPos start = Pos();
    Advance();  // '{'
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(start, "'}' expected but the text ends");
      if (Peek() == '}') {
        if (high >= 0) Fail(Pos(), "odd number of hexadecimal digits");
        Advance();
        return v;
      }
      const int d = HexDigit(Peek());
      if (d < 0) Fail(Pos(), "hexadecimal digit expected but " + Here() + " found");
      if (high < 0) {
        high = d;
      } else {
        v.Bytes.push_back(std::uint8_t(high * 16 + d));
        high = -1;
      }
      Advance();
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
  int line_ = 1;
  int col_ = 1;
  int depth_ = 0;
};

// --- writer ---------------------------------------------------------------------------------------

void Indent(std::string& out, int n) {
  out.append(std::size_t(n), ' ');
}

std::string FloatText(double d) {
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, d);
  std::string s(buf, p);
  // Keep it a number with a fraction so that it reads back as one.
  if (s.find_first_of(".eE") == std::string::npos && s.find_first_of("0123456789") != std::string::npos)
    s += ".0";
  return s;
}

void WriteValue(std::string& out, const FormValue& v, int indent);

void WriteProperties(std::string& out, const FormProperties& props, int indent) {
  for (const FormProperty& p : props) {
    Indent(out, indent);
    out += p.Name;
    out += " = ";
    WriteValue(out, p.Value, indent);
    out += '\n';
  }
}

void WriteValue(std::string& out, const FormValue& v, int indent) {
  static const char* const hex = "0123456789ABCDEF";
  switch (v.What) {
    case FormValue::Integer:
      out += std::to_string(v.Int);
      break;
    case FormValue::Float:
      out += FloatText(v.Real);
      break;
    case FormValue::String:
      out += QuoteString(v.Text);
      break;
    case FormValue::Ident:
      out += v.Text;
      break;
    case FormValue::Set:
      out += '[';
      for (std::size_t i = 0; i < v.Names.size(); ++i) {
        if (i) out += ", ";
        out += v.Names[i];
      }
      out += ']';
      break;
    case FormValue::List:
      out += '(';
      for (const FormValue& item : v.Items) {
        out += '\n';
        Indent(out, indent + 2);
        WriteValue(out, item, indent + 2);
      }
      out += ')';
      break;
    case FormValue::Collection:
      out += '<';
      for (const FormProperties& entry : v.Entries) {
        out += '\n';
        Indent(out, indent + 2);
        out += "item\n";
        WriteProperties(out, entry, indent + 4);
        Indent(out, indent + 2);
        out += "end";
      }
      out += '>';
      break;
    case FormValue::Binary:
      out += '{';
      for (std::size_t i = 0; i < v.Bytes.size(); ++i) {
        if (i % 32 == 0) {
          out += '\n';
          Indent(out, indent + 2);
        }
        out += hex[v.Bytes[i] >> 4];
        out += hex[v.Bytes[i] & 15];
      }
      out += '}';
      break;
  }
}

void WriteObject(std::string& out, const FormObject& obj, int indent) {
  Indent(out, indent);
  out += obj.Inherited ? "inherited " : "object ";
  if (!obj.Name.empty()) {
    out += obj.Name;
    out += ": ";
  }
  out += obj.ClassName;
  out += '\n';
  WriteProperties(out, obj.Properties, indent + 2);
  for (const FormObject& child : obj.Children) WriteObject(out, child, indent + 2);
  Indent(out, indent);
  out += "end\n";
}

// Length of the valid UTF-8 sequence at s[i], 0 when the byte there starts none.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  if (n > 1 && !plat::text::IsValidUtf8(s.substr(i, n))) return 0;
  return n;
}

}  // namespace

FormObject ParseForm(std::string_view text) {
  return Reader(text).ReadRoot();
}

std::string WriteForm(const FormObject& root) {
  std::string out;
  WriteObject(out, root, 0);
  return out;
}

std::string QuoteString(std::string_view s) {
  if (s.empty()) return "''";
  std::string out;
  bool quoted = false;
  auto code = [&](unsigned v) {
    if (quoted) out += '\'';
    quoted = false;
    out += '#';
    out += std::to_string(v);
  };
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = SequenceLength(s, i);
    if (n == 0) {
      // A byte that starts no character: kept as the code of that byte, so the text stays readable.
      code(c);
      ++i;
      continue;
    }
    if (n == 1 && (c < 0x20 || c == 0x7F)) {
      code(c);
      ++i;
      continue;
    }
    if (!quoted) out += '\'';
    quoted = true;
    if (c == '\'') out += '\'';
    out.append(s.substr(i, n));
    i += n;
  }
  if (quoted) out += '\'';
  return out;
}

}  // namespace plat::persist
