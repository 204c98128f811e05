#pragma once
// A small pull reader of XML for the parts of office documents, and the sink that gathers their text.
//
// It knows elements, attributes, text, CDATA, comments and processing instructions. It never expands an
// entity other than the five predefined ones and character references, and it refuses a document type
// declaration outright, so no entity can grow a document (office formats have none). Malformed input ends
// the walk with Token::Error; nothing is read past the given bytes.
#include <cstddef>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace vek::inspect {

// Appends the UTF-8 of a code point (U+FFFD for one that is not a character).
void AppendCodePoint(std::string& out, char32_t cp);
// Appends text with the predefined entities and character references decoded; any other "&name;" is
// kept as it is written.
void AppendXmlDecoded(std::string& out, std::string_view raw);

class XmlReader {
 public:
  enum class Token { Start, End, Text, Eof, Error };
  explicit XmlReader(std::string_view xml) : xml_(xml) {}

  // The next token. An empty element gives Start and then End. Comments, processing instructions and
  // the XML declaration are skipped. A document type declaration is an Error with HasDoctype().
  Token Next();

  std::string_view Name() const { return name_; }  // qualified name of a Start or End
  std::string_view LocalName() const;              // without its prefix
  // The raw (undecoded) value of the attribute with that local name on the last Start, or empty.
  std::string_view Attr(std::string_view localName) const;
  // Appends the decoded text of the last Text token.
  void AppendText(std::string& out) const;
  bool HasDoctype() const { return doctype_; }
  std::size_t Position() const { return pos_; }

 private:
  std::string_view xml_;
  std::size_t pos_ = 0;
  std::string_view name_, attrs_, text_;
  bool cdata_ = false, pendingEnd_ = false, doctype_ = false;
};

// Text gathered up to a limit in bytes, cut at a character.
class TextSink {
 public:
  explicit TextSink(std::string& out, std::size_t limit) : out_(out), limit_(limit) {}
  // False once the limit is reached (the rest is dropped).
  bool Append(std::string_view s);
  bool Append(char c) { return Append(std::string_view(&c, 1)); }
  // A line break unless the text is empty or already ends with one.
  void EndLine();
  bool Full() const { return full_; }
  std::string& Text() { return out_; }
  // Bytes that can still be appended.
  std::size_t Room() const { return full_ || out_.size() >= limit_ ? 0 : limit_ - out_.size(); }
  // Drops the text after size (taken back from a walk that is done again), so more can be appended.
  void Truncate(std::size_t size) {
    out_.resize(size);
    full_ = false;
  }

 private:
  std::string& out_;
  std::size_t limit_;
  bool full_ = false;
};

// How the text of one kind of part is laid out: the local names of the elements whose text is kept, and
// of those that stand for a tab, a line break or the end of a paragraph.
using Names = std::span<const std::string_view>;
struct XmlTextRules {
  Names text;
  Names tab;
  Names lineBreak;
  Names paragraph;
  Names skip;  // elements whose whole content is left out
};

enum class XmlWalk { Done, Malformed, Doctype, Full, Cancelled };

// Walks one part and appends its text to the sink.
XmlWalk WalkXmlText(std::string_view xml, const XmlTextRules& rules, TextSink& sink, std::stop_token stop);

}  // namespace vek::inspect
