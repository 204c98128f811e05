// FormatMaskText: edit masks of the masked-edit syntax ("!000-0000;0;_", ">LL<ll", "\(999\) 000").
#include <vector>

#include "platform/format/format.h"
#include "platform/text/text.h"

namespace plat::fmt {

namespace {

enum class CaseMode { Keep, Upper, Lower };

// One position of the mask: a literal the mask itself supplies, or a place for an entered character.
struct Slot {
  bool literal = false;
  std::string text;  // the literal (UTF-8), for literal slots
  CaseMode mode = CaseMode::Keep;
};

struct Mask {
  std::vector<Slot> slots;
  bool reverse = false;      // "!": optional places are filled from the right
  bool saveLiterals = true;  // the second field; the text holds the literals unless it is "0"
};

// One UTF-8 character of s at i (an invalid byte stands alone).
std::string_view CharAt(std::string_view s, std::size_t i) {
  const std::size_t next = text::Utf8Offset(s.substr(i), 1);
  return s.substr(i, next);
}

Mask ParseMask(std::string_view full) {
  const FormatSettings& loc = Locale();
  Mask m;
  // The field separators are the ';' that are not escaped; the mask is everything before the first one.
  std::vector<std::size_t> seps;
  for (std::size_t i = 0; i < full.size(); ++i) {
    if (full[i] == '\\')
      ++i;
    else if (full[i] == ';')
      seps.push_back(i);
  }
  std::string_view mask = full;
  if (!seps.empty()) {
    mask = full.substr(0, seps[0]);
    const std::string_view save =
        full.substr(seps[0] + 1, seps.size() > 1 ? seps[1] - seps[0] - 1 : std::string_view::npos);
    m.saveLiterals = !(save.size() == 1 && save[0] == '0');
  }
  CaseMode mode = CaseMode::Keep;
  for (std::size_t i = 0; i < mask.size();) {
    const char c = mask[i];
    Slot slot;
    std::size_t advance = 1;  // bytes of the mask this slot takes
    switch (c) {
      case '!':
        m.reverse = true;
        ++i;
        continue;
      case '>':
        ++i;
        mode = CaseMode::Upper;
        continue;
      case '<':
        ++i;
        if (i < mask.size() && mask[i] == '>') {  // "<>" switches case conversion off
          ++i;
          mode = CaseMode::Keep;
        } else {
          mode = CaseMode::Lower;
        }
        continue;
      case '\\':
        ++i;
        if (i >= mask.size()) continue;
        slot.literal = true;
        slot.text = CharAt(mask, i);
        advance = slot.text.size();
        break;
      case 'L':
      case 'l':
      case 'A':
      case 'a':
      case 'C':
      case 'c':
      case '0':
      case '9':
      case '#':
      case '&':
        slot.mode = mode;
        slot.text = std::string(1, c);
        break;
      case ':':
        slot.literal = true;
        slot.text = std::string(1, loc.TimeSeparator);
        break;
      case '/':
        slot.literal = true;
        slot.text = std::string(1, loc.DateSeparator);
        break;
      case '_':
        slot.literal = true;
        slot.text = " ";
        break;
      default:
        slot.literal = true;
        slot.text = CharAt(mask, i);
        advance = slot.text.size();
        break;
    }
    i += advance;
    m.slots.push_back(std::move(slot));
  }
  return m;
}

std::string Cased(std::string_view ch, CaseMode mode) {
  if (mode == CaseMode::Upper) return text::UpperCase(ch);
  if (mode == CaseMode::Lower) return text::LowerCase(ch);
  return std::string(ch);
}

std::vector<std::string_view> Chars(std::string_view s) {
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < s.size();) {
    out.push_back(CharAt(s, i));
    i += out.back().size();
  }
  return out;
}

}  // namespace

std::string FormatMaskText(std::string_view maskText, std::string_view value) {
  const Mask m = ParseMask(maskText);
  const std::vector<std::string_view> in = Chars(value);
  const std::size_t n = m.slots.size();
  std::vector<std::string> out(n);

  if (m.saveLiterals) {
    // The text already holds the literals at their places: keep it, filling what is missing.
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const Slot& s = m.slots[i];
      if (s.literal) {
        out[i] = s.text;
        if (k < in.size() && in[k] == s.text) ++k;
      } else {
        out[i] = k < in.size() ? Cased(in[k++], s.mode) : " ";
      }
    }
  } else if (!m.reverse) {
    // Entered characters fill the input places from the left; missing ones are blanks at the end.
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const Slot& s = m.slots[i];
      out[i] = s.literal ? s.text : (k < in.size() ? Cased(in[k++], s.mode) : " ");
    }
    std::string r;
    for (auto& o : out) r += o;
    for (; k < in.size(); ++k) r += in[k];  // characters beyond the mask are kept, not lost
    return r;
  } else {
    // "!": entered characters fill the input places from the right; missing ones are leading blanks.
    std::size_t k = in.size();
    for (std::size_t i = n; i-- > 0;) {
      const Slot& s = m.slots[i];
      out[i] = s.literal ? s.text : (k > 0 ? Cased(in[--k], s.mode) : " ");
    }
  }
  std::string r;
  for (auto& o : out) r += o;
  return r;
}

}  // namespace plat::fmt
