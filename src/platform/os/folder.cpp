#include "platform/os/folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::os {

TFolder::~TFolder() {
  Close();
}

bool TFolder::Open(const std::string& hostFolder) {
  Close();
  if (hostFolder.empty() || hostFolder.find('\0') != std::string::npos) return false;
  fd_ = ::open(hostFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  return fd_ >= 0;
}

void TFolder::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool TFolder::FileExists(const std::string& name) const {
  if (fd_ < 0 || name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos)
    return false;
  struct stat st {};
  return ::fstatat(fd_, name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode);
}

}  // namespace plat::os
