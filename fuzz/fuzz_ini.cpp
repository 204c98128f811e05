// The ini reader and writer on a file of any bytes: a value written under a section and key reads back as
// written, and every other value read before the write reads the same after it.
#include <unistd.h>

#include "fuzz_check.h"
#include "platform/error.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace {

// Names and values are built from the input over an alphabet that the file format can hold in every place
// (no line ends, brackets, "=", ";" or surrounding blanks and quotes): Latin letters, digits, Hangul.
std::string Pick(std::string_view& in, std::size_t maxLen) {
  static const char* const kAlphabet[] = {"a", "B", "c",  "Z",  "0",  "9", "_",
                                          "-", ".", "가", "힣", "한", "글"};
  std::string out;
  std::size_t n = in.empty() ? 1 : std::size_t(static_cast<unsigned char>(in[0])) % maxLen + 1;
  if (!in.empty()) in.remove_prefix(1);
  while (n-- > 0) {
    const unsigned char c = in.empty() ? 0 : static_cast<unsigned char>(in[0]);
    if (!in.empty()) in.remove_prefix(1);
    out += kAlphabet[c % (sizeof kAlphabet / sizeof *kAlphabet)];
  }
  return out;
}

// The writer flushes every file it writes: a folder in memory keeps that cheap.
std::string TempFile() {
  std::string dir = "/tmp";
  if (const char* t = std::getenv("TMPDIR"); t && *t)
    dir = t;
  else if (::access("/dev/shm", W_OK) == 0)
    dir = "/dev/shm";
  return dir + "/fuzz_ini_" + std::to_string(::getpid()) + ".ini";
}

void WritePlain(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) fuzz::Fail("cannot write the fuzz input file", path);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = TempFile();
  auto [fileBytes, choice] = fuzz::TwoParts(fuzz::Text(data, size));
  WritePlain(path, fileBytes);
  plat::os::IniFile ini(path);

  const std::string section = Pick(choice, 6);
  const std::string key = Pick(choice, 6);
  const std::string value = Pick(choice, 12);
  const std::string otherSection = Pick(choice, 6);
  const std::string otherKey = Pick(choice, 6);
  const std::string otherBefore = ini.ReadString(otherSection, otherKey, "\x01none");

  try {
    ini.WriteString(section, key, value);
  } catch (const plat::Exception& e) {
    fuzz::Fail("a value of the safe alphabet can be written", value, e.what());
  }
  fuzz::Check(ini.ReadString(section, key, "\x01none") == value, "the value written reads back", value,
              ini.ReadString(section, key, "\x01none"));
  const bool same = plat::text::SameText(section, otherSection) && plat::text::SameText(key, otherKey);
  if (!same)
    fuzz::Check(ini.ReadString(otherSection, otherKey, "\x01none") == otherBefore, "another value is kept",
                otherBefore, ini.ReadString(otherSection, otherKey, "\x01none"));
  ::unlink(path.c_str());
  return 0;
}
