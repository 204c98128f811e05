#pragma once
// The form description as text: a tree of objects with their published properties, and its reader and
// writer. The text is UTF-8 and reads like this:
//
//   object Mgr_grid: TMemGrid
//     Options = [wgoArrowMove, wgoRowSelect]      set of identifiers
//     RowCount = 0                                 integer (decimal, or $hex)
//     Columns = <                                  collection: items in order
//       item
//         Title.Caption = '파일명'                  string; a nested object's property by a dotted name
//         Values.Strings = (                       list of values
//           'a'
//           'it''s')                               quotes doubled inside a string
//       end>
//     Weights = {                                  binary value as hexadecimal digits
//       0201010101010101}
//     object Child: TSomething                     nested component
//     end
//   end
//
// Strings may join quoted parts and character codes: 'line 1'#13#10'line 2' (#n decimal, #$n hexadecimal;
// the code is a Unicode code point), and parts on several lines with '+'. Keywords and identifiers are
// compared without regard to case. Every error carries the line and column (1-based, counted in
// characters) where the reader stopped.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace plat::persist {

struct FormPos {
  int Line = 0;
  int Column = 0;
};

struct FormProperty;
using FormProperties = std::vector<FormProperty>;

struct FormValue {
  enum Kind : std::uint8_t { Integer, Float, String, Ident, Set, List, Collection, Binary };
  Kind What = Integer;
  std::int64_t Int = 0;
  double Real = 0;
  std::string Text;                     ///< String (UTF-8) or Ident
  std::vector<std::string> Names;       ///< Set
  std::vector<FormValue> Items;         ///< List
  std::vector<FormProperties> Entries;  ///< Collection: the properties of each item
  std::vector<std::uint8_t> Bytes;      ///< Binary
  FormPos Pos;                          ///< where the value starts (reader only)

  static FormValue MakeInt(std::int64_t v);
  static FormValue MakeFloat(double v);
  static FormValue MakeString(std::string_view v);
  static FormValue MakeIdent(std::string_view v);
  static FormValue MakeBool(bool v);
  static FormValue MakeSet(std::vector<std::string> names);
  static FormValue MakeStrings(const std::vector<std::string>& list);
  static FormValue MakeBinary(std::vector<std::uint8_t> bytes);
  /// A readable name of the kind, for messages ("integer", "string", ...).
  static const char* KindName(Kind k);
};

struct FormProperty {
  std::string Name;  ///< may be dotted: "Title.Caption"
  FormValue Value;
  FormPos Pos;
};

struct FormObject {
  std::string Name;  ///< may be empty
  std::string ClassName;
  bool Inherited = false;  ///< "inherited" instead of "object"
  FormProperties Properties;
  std::vector<FormObject> Children;
  FormPos Pos;
};

/// A form description that cannot be read: what went wrong and where.
class EFormError : public Exception {
 public:
  EFormError(FormPos pos, const std::string& message);
  int Line() const { return pos_.Line; }
  int Column() const { return pos_.Column; }
  FormPos Pos() const { return pos_; }
  /// The message without the position.
  const std::string& Message() const { return message_; }

 private:
  FormPos pos_;
  std::string message_;
};

/// Reads one object (with its nested objects) from the text; nothing but blanks may follow it.
FormObject ParseForm(std::string_view text);
/// Writes the object as text, two blanks of indentation per level, each line ending in "\n".
std::string WriteForm(const FormObject& root);
/// A string as the writer spells it: quoted parts and #n codes for control characters.
std::string QuoteString(std::string_view utf8);

/// Names (identifiers, keywords, property names) compare in ASCII without regard to case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace plat::persist
