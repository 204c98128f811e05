// The zip formats' reader on any bytes: the first byte picks docx, xlsx, pptx or hwpx, the rest is the
// file. Whatever it holds, the reading ends with a status, the text stays within the limit, and a
// document without text says why.
#include "fuzz_check.h"
#include "inspect/detect.h"
#include "inspect/extract.h"

// libgsf itself leaves a directory entry behind on some damaged compound files (inside gsf_infile_msole_new,
// before any object reaches us): a library's small leak per damaged file, not the reader's. Its allocations
// go through glib, where the fast unwinder's stack ends, so glib's allocator is what is named.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgsf-1.so\nleak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const kFormats[] = {"docx", "xlsx", "pptx", "hwpx"};
  vek::inspect::Limits limits;
  limits.maxPartBytes = 4 << 20;
  limits.maxUnpackedBytes = 8 << 20;
  limits.maxTextBytes = 1 << 20;
  const std::string_view file = fuzz::Text(data + 1, size - 1);
  const auto x = vek::inspect::ExtractBytes(file, kFormats[data[0] % 4], {}, limits);
  fuzz::Check(x.text.size() <= limits.maxTextBytes, "the text stays within its limit");
  fuzz::Check(x.status == vek::inspect::Status::Ok || !x.sentence.empty(),
              "a document not read whole says why");
  fuzz::Check(x.HasText() || x.text.empty(), "a document that could not be read has no text");
  for (const auto& m : vek::inspect::Detect(x.text))
    fuzz::Check(m.offset + m.length <= x.text.size(), "a match lies inside the text");
  return 0;
}
