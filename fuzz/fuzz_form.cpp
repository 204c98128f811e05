// The form-description reader and writer: any text that reads, written and read again, writes the same text.
#include "fuzz_check.h"
#include "platform/persist/form_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plat::persist;
  const std::string_view text = fuzz::Text(data, size);
  FormObject first;
  try {
    first = ParseForm(text);
  } catch (const plat::Exception&) {
    return 0;  // refused with a message: fine
  }
  const std::string written = WriteForm(first);
  FormObject second;
  try {
    second = ParseForm(written);
  } catch (const EFormError& e) {
    fuzz::Fail("the writer's text reads back", written, e.what());
  }
  const std::string again = WriteForm(second);
  fuzz::Check(again == written, "write, read, write gives the same text", written, again);
  return 0;
}
