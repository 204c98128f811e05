#include "inspect/xml_text.h"

#include <algorithm>
#include <cstring>

namespace vek::inspect {

namespace {

bool IsNameEnd(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

bool In(Names names, std::string_view n) {
  return std::find(names.begin(), names.end(), n) != names.end();
}

std::string_view Local(std::string_view qname) {
  const std::size_t colon = qname.find(':');
  return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

}  // namespace

void AppendCodePoint(std::string& out, char32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
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

void AppendXmlDecoded(std::string& out, std::string_view raw) {
  for (std::size_t i = 0; i < raw.size();) {
    const std::size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.substr(i));
      return;
    }
    out.append(raw.substr(i, amp - i));
    const std::size_t semi = raw.find(';', amp + 1);
    if (semi == std::string_view::npos || semi - amp > 12) {
      out += '&';
      i = amp + 1;
      continue;
    }
    const std::string_view ent = raw.substr(amp + 1, semi - amp - 1);
    if (ent == "lt")
      out += '<';
    else if (ent == "gt")
      out += '>';
    else if (ent == "amp")
      out += '&';
    else if (ent == "quot")
      out += '"';
    else if (ent == "apos")
      out += '\'';
    else if (ent.size() >= 2 && ent[0] == '#') {
      const bool hex = ent[1] == 'x' || ent[1] == 'X';
      char32_t cp = 0;
      bool ok = ent.size() > (hex ? 2u : 1u);
      for (std::size_t j = hex ? 2 : 1; j < ent.size() && ok; ++j) {
        const char c = ent[j];
        int d = -1;
        if (c >= '0' && c <= '9')
          d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
          d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
          d = c - 'A' + 10;
        if (d < 0)
          ok = false;
        else if ((cp = cp * (hex ? 16 : 10) + char32_t(d)) > 0x10FFFF)
          cp = 0x110000;
      }
      if (ok)
        AppendCodePoint(out, cp);
      else
        out.append(raw.substr(amp, semi - amp + 1));
    } else {
      out.append(raw.substr(amp, semi - amp + 1));  // not expanded: no document type defines it
    }
    i = semi + 1;
  }
}

std::string_view XmlReader::LocalName() const {
  return Local(name_);
}

std::string_view XmlReader::Attr(std::string_view localName) const {
  std::string_view a = attrs_;
  while (!a.empty()) {
    const std::size_t eq = a.find('=');
    if (eq == std::string_view::npos) return {};
    std::string_view key = a.substr(0, eq);
    while (!key.empty() &&
           (key.front() == ' ' || key.front() == '\t' || key.front() == '\r' || key.front() == '\n'))
      key.remove_prefix(1);
    while (!key.empty() &&
           (key.back() == ' ' || key.back() == '\t' || key.back() == '\r' || key.back() == '\n'))
      key.remove_suffix(1);
    std::size_t q = eq + 1;
    while (q < a.size() && a[q] != '"' && a[q] != '\'') ++q;
    if (q >= a.size()) return {};
    const std::size_t close = a.find(a[q], q + 1);
    if (close == std::string_view::npos) return {};
    if (Local(key) == localName) return a.substr(q + 1, close - q - 1);
    a.remove_prefix(close + 1);
  }
  return {};
}

void XmlReader::AppendText(std::string& out) const {
  if (cdata_)
    out.append(text_);
  else
    AppendXmlDecoded(out, text_);
}

XmlReader::Token XmlReader::Next() {
  if (pendingEnd_) {
    pendingEnd_ = false;
    return Token::End;
  }
  for (;;) {
    if (pos_ >= xml_.size()) return Token::Eof;
    if (xml_[pos_] != '<') {
      const std::size_t lt = xml_.find('<', pos_);
      const std::size_t end = lt == std::string_view::npos ? xml_.size() : lt;
      text_ = xml_.substr(pos_, end - pos_);
      cdata_ = false;
      pos_ = end;
      return Token::Text;
    }
    const std::string_view rest = xml_.substr(pos_);
    if (rest.starts_with("<!--")) {
      const std::size_t e = xml_.find("-->", pos_ + 4);
      if (e == std::string_view::npos) return Token::Error;
      pos_ = e + 3;
      continue;
    }
    if (rest.starts_with("<![CDATA[")) {
      const std::size_t e = xml_.find("]]>", pos_ + 9);
      if (e == std::string_view::npos) return Token::Error;
      text_ = xml_.substr(pos_ + 9, e - pos_ - 9);
      cdata_ = true;
      pos_ = e + 3;
      return Token::Text;
    }
    if (rest.starts_with("<?")) {
      const std::size_t e = xml_.find("?>", pos_ + 2);
      if (e == std::string_view::npos) return Token::Error;
      pos_ = e + 2;
      continue;
    }
    if (rest.starts_with("<!")) {  // a document type declaration (or anything else of that family)
      doctype_ = true;
      return Token::Error;
    }
    // A tag: find its closing ">" outside quoted attribute values.
    std::size_t i = pos_ + 1;
    const bool end = i < xml_.size() && xml_[i] == '/';
    if (end) ++i;
    const std::size_t nameBegin = i;
    while (i < xml_.size() && !IsNameEnd(xml_[i])) ++i;
    if (i == nameBegin || i >= xml_.size()) return Token::Error;
    name_ = xml_.substr(nameBegin, i - nameBegin);
    const std::size_t attrBegin = i;
    char quote = 0;
    while (i < xml_.size()) {
      const char c = xml_[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      } else if (c == '<') {
        return Token::Error;
      }
      ++i;
    }
    if (i >= xml_.size()) return Token::Error;
    const bool empty = !end && xml_[i - 1] == '/' && i - 1 >= attrBegin;
    attrs_ = xml_.substr(attrBegin, i - attrBegin - (empty ? 1 : 0));
    pos_ = i + 1;
    if (end) return Token::End;
    pendingEnd_ = empty;
    return Token::Start;
  }
}

bool TextSink::Append(std::string_view s) {
  if (full_) return false;
  if (out_.size() + s.size() <= limit_) {
    out_.append(s);
    return true;
  }
  std::size_t room = limit_ - out_.size();
  while (room > 0 && (static_cast<unsigned char>(s[room]) & 0xC0) == 0x80) --room;  // not inside a character
  out_.append(s.substr(0, room));
  full_ = true;
  return false;
}

void TextSink::EndLine() {
  if (!out_.empty() && out_.back() != '\n') Append('\n');
}

XmlWalk WalkXmlText(std::string_view xml, const XmlTextRules& rules, TextSink& sink, std::stop_token stop) {
  XmlReader r(xml);
  int inText = 0, inSkip = 0;
  std::string piece;
  std::size_t nextStopCheck = 1 << 16;
  for (;;) {
    const XmlReader::Token t = r.Next();
    if (r.Position() >= nextStopCheck) {
      if (stop.stop_requested()) return XmlWalk::Cancelled;
      nextStopCheck = r.Position() + (1 << 16);
    }
    switch (t) {
      case XmlReader::Token::Eof:
        return XmlWalk::Done;
      case XmlReader::Token::Error:
        return r.HasDoctype() ? XmlWalk::Doctype : XmlWalk::Malformed;
      case XmlReader::Token::Start: {
        const std::string_view n = r.LocalName();
        if (inSkip || In(rules.skip, n)) {
          ++inSkip;
        } else if (In(rules.text, n)) {
          ++inText;
        } else if (In(rules.tab, n)) {
          sink.Append('\t');
        } else if (In(rules.lineBreak, n)) {
          sink.Append('\n');
        }
        break;
      }
      case XmlReader::Token::End: {
        const std::string_view n = r.LocalName();
        if (inSkip) {
          --inSkip;
        } else if (In(rules.text, n)) {
          if (inText > 0) --inText;
        } else if (In(rules.paragraph, n)) {
          sink.EndLine();
        }
        break;
      }
      case XmlReader::Token::Text:
        if (inText > 0 && !inSkip) {
          piece.clear();
          r.AppendText(piece);
          sink.Append(piece);
        }
        break;
    }
    if (sink.Full()) return XmlWalk::Full;
  }
}

}  // namespace vek::inspect
