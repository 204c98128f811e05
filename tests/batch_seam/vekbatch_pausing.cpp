// The batch interpreter with two changes for the interruption tests: every move takes the copy path (as
// across devices), and after the first block of a copy the process creates the file named by
// VEKBATCH_PAUSE_READY and waits there (at most a minute) to be killed.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/batch/batch.h"

int main(int argc, char** argv) {
  const char* ready = std::getenv("VEKBATCH_PAUSE_READY");
  plat::batch::MoveHooks hooks;
  hooks.rename = [](const std::string&, const std::string&) { return EXDEV; };
  hooks.copyProgress = [ready](const std::string&, std::int64_t) {
    if (!ready) return;
    const int fd = ::open(ready, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
    for (int i = 0; i < 600; ++i) ::usleep(100 * 1000);
    ::_exit(99);  // nobody came: the test reports the missing signal
  };
  plat::batch::SetMoveHooks(hooks);
  return plat::batch::VekbatchMain(argc, argv);
}
