#pragma once
// Writers of small documents of each format the preview reads, for the demo sandbox and for the tests (which
// build every file they read). Each keeps its format's real structure (packages, parts, relationships,
// compound-file streams, records), written for the parts a text reader uses, not every part an office
// suite wants.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vek::samples {

// Zip parts: name inside the package, content.
using Parts = std::vector<std::pair<std::string, std::string>>;

// Writes a zip with every part deflated; false when the file cannot be written.
bool WriteZip(const std::string& path, const Parts& parts);

// A Word document: paragraphs of runs (a number may be split over runs), and the other stories.
struct WordDocument {
  std::vector<std::vector<std::string>> body;
  std::vector<std::string> headers, footers, footnotes, comments;
};
Parts DocxParts(const WordDocument& d);

// An Excel workbook: shared or inline strings, and numbers with an optional number format code.
struct XlsxCell {
  enum class Kind { Shared, Inline, Number };
  XlsxCell(Kind k, std::string t, std::string format = {})
      : kind(k), text(std::move(t)), numberFormat(std::move(format)) {}
  Kind kind;
  std::string text;          // the string, or the number as Excel stores it ("1012345678")
  std::string numberFormat;  // for numbers: a format code ("000-0000-0000"), empty for General
};
struct XlsxSheet {
  std::string name;
  std::vector<std::vector<XlsxCell>> rows;
};
Parts XlsxParts(const std::vector<XlsxSheet>& sheets);

// A presentation: slides of paragraphs with their notes.
struct Slide {
  std::vector<std::string> paragraphs, notes;
};
Parts PptxParts(const std::vector<Slide>& slides);

// A Hancom OWPML document: sections of paragraphs.
Parts HwpxParts(const std::vector<std::vector<std::string>>& sections);

// HWP 5.0: one record, and the records of a section's paragraphs (a paragraph header and its text; with
// withControl, a table control's eight units sit inside the first paragraph's text).
std::string HwpRecord(unsigned tag, unsigned level, const std::string& payload);
std::string HwpParagraphs(const std::vector<std::string>& paragraphs, bool withControl = false);
struct HwpOptions {
  bool compressed = true;
  bool password = false;
  bool distribution = false;
};
// Writes the compound file with FileHeader, DocInfo and BodyText/Section<n> (the given record streams,
// deflated when compressed); false when the file cannot be written.
bool WriteHwp(const std::string& path, const std::vector<std::string>& sections, const HwpOptions& o = {});

// A PDF with one page per text (lines split at "\n"), through Qt's PDF writer; needs a QGuiApplication.
bool WritePdf(const std::string& path, const std::vector<std::string>& pages);

}  // namespace vek::samples
