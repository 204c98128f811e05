#pragma once
// TFolder: a folder held open, so that many names in it are tested without walking the folder's path again
// for each name (the lines of a result file mostly name files of the folder of the line before).
#include <string>

namespace plat::os {

class TFolder {
 public:
  TFolder() = default;
  ~TFolder();
  TFolder(const TFolder&) = delete;
  TFolder& operator=(const TFolder&) = delete;

  // Holds hostFolder open in place of the folder held before; false (and no folder held) when it is not a
  // folder that can be opened.
  bool Open(const std::string& hostFolder);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Whether name, one component of a path (no "/", not "." or "..", no NUL), is a file (not a folder) in
  // the folder held, a symbolic link followed: FileExists(folder + "/" + name) without the walk.
  bool FileExists(const std::string& name) const;

 private:
  int fd_ = -1;
};

}  // namespace plat::os
