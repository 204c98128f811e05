// The HWP 5.0 reader on any bytes (the seeds are uncompressed documents, so mutations reach the records):
// the reading ends with a status, the text stays within the limit, and a document without text says why.
#include "fuzz_check.h"
#include "inspect/extract.h"

// libgsf itself leaves a directory entry behind on some damaged compound files (inside gsf_infile_msole_new,
// before any object reaches us): a library's small leak per damaged file, not the reader's. Its allocations
// go through glib, where the fast unwinder's stack ends, so glib's allocator is what is named.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgsf-1.so\nleak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vek::inspect::Limits limits;
  limits.maxPartBytes = 4 << 20;
  limits.maxUnpackedBytes = 8 << 20;
  limits.maxTextBytes = 1 << 20;
  const auto x = vek::inspect::ExtractBytes(fuzz::Text(data, size), "hwp", {}, limits);
  fuzz::Check(x.text.size() <= limits.maxTextBytes, "the text stays within its limit");
  fuzz::Check(x.status == vek::inspect::Status::Ok || !x.sentence.empty(),
              "a document not read whole says why");
  fuzz::Check(x.HasText() || x.text.empty(), "a document that could not be read has no text");
  return 0;
}
