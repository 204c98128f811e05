#pragma once
// Text extraction from the documents a scanner lists, for a preview and a re-check. Read-only: a file is
// never changed. Every file that cannot be read whole gets a plain Korean sentence saying why; nothing a
// file holds makes this crash, hang or take unbounded memory (the limits below bound every read,
// decompression and text).
//
//   plain text  .txt .csv .log .xml .html .htm .json   UTF-8 (with or without a byte-order mark), UTF-16
//                                                     with a mark, else CP949; markup of .html removed
//   zip         .docx .xlsx .pptx .hwpx                QuaZip; the parts' XML read by our small reader
//   HWP 5.0     .hwp                                   libgsf; every BodyText/Section stream, by record
//   PDF         .pdf                                   Poppler (Qt 6)
//   legacy      .doc .xls .ppt                         catdoc, xls2csv, catppt when on PATH
//
// Extract is meant to run off the window's thread: it looks at the stop token regularly and returns
// Status::Cancelled soon after a stop is requested.
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

namespace vek::inspect {

enum class Status : std::uint8_t {
  Ok,           // the whole text
  Partial,      // part of the text; the sentence says why (too long, damaged after a point)
  Missing,      // no such file
  Unreadable,   // it exists but cannot be read (a folder, no permission, ...)
  Encrypted,    // protected by a password or distributed read-only
  Damaged,      // not a valid file of its format
  TooLarge,     // larger than the limits allow
  Unsupported,  // a format (or a legacy format without its tool) that cannot be previewed here
  Cancelled,    // the stop token was requested
};

struct Limits {
  std::uint64_t maxFileBytes = std::uint64_t(512) << 20;  // the file itself
  std::size_t maxPartBytes = std::size_t(128) << 20;      // one part of a zip or one HWP section, unpacked
  std::size_t maxUnpackedBytes = std::size_t(256) << 20;  // all parts of one document together, unpacked
  std::size_t maxTextBytes = std::size_t(32) << 20;       // the text kept (cut at a character)
  int maxZipEntries = 20000;
  int maxPdfPages = 10000;
  int toolTimeoutMs = 30000;  // a legacy-format tool
};

struct Extraction {
  Status status = Status::Ok;
  std::string text;      // UTF-8; paragraphs on lines of their own
  std::string sentence;  // empty when Ok: a Korean sentence for the user
  std::string format;    // "docx", "hwp", "pdf", "text", ... (from the name's extension)
  bool HasText() const { return status == Status::Ok || status == Status::Partial; }
};

// Reads the text of a host file; the format comes from the name's extension (case ignored).
Extraction Extract(const std::string& hostPath, std::stop_token stop = {}, const Limits& limits = {});

// The same for a document held in memory (zip formats, "hwp", "pdf" and the plain-text formats; format is
// the extension without its dot). The fuzz targets and tests read hostile documents this way.
Extraction ExtractBytes(std::string_view bytes, std::string_view format, std::stop_token stop = {},
                        const Limits& limits = {});

// Plain-text bytes as UTF-8: a byte-order mark (UTF-8, UTF-16 LE/BE) decides; without one, text with a NUL
// in every other byte is UTF-16, valid UTF-8 is UTF-8, anything else CP949 (a byte that is not valid CP949
// becomes U+FFFD).
std::string DecodeText(std::string_view bytes);

// Whether Extract knows the extension of this path (with or without its tool installed).
bool IsPreviewable(std::string_view path);

}  // namespace vek::inspect
