#pragma once
// The files the user marked "개인정보 아님으로 표시" (not personal information): remembered by their listed
// path with the size and modification time they had then, in UserDataDir()/exceptions.tsv, one file per
// line "SIZE<tab>MTIME_NS<tab>PATH" (UTF-8; PATH as the list shows it, folder + "\" + name).
//
// An exception stands while its file is unchanged: a load finds the entries whose file now has another size
// or time and drops them (the file changed, so it is looked at again); an entry whose file is missing is
// kept, since another result file may list it where it is. The window greys the rows that stand, and ticking
// many rows at once (the tick-all box, Space on a selection) passes over them.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace vek {

class TExceptionList {
 public:
  struct Entry {
    std::string Path;  // listed path (a Windows path text)
    std::int64_t Size = 0;
    std::int64_t MtimeNs = 0;
  };

  // The file that keeps the list (created when the first exception is saved).
  static std::string DefaultFile();
  explicit TExceptionList(std::string file = DefaultFile());

  // Reads the file and looks at each entry's file: a changed one ends its exception (and the file is
  // written without it). Costs one look per entry, nothing per listed row.
  void Load();
  // Remembers a listed file as it is now; false when it is not a readable regular file or its path cannot be
  // kept (a tab or a line break in it).
  bool Mark(const std::string& listedPath);
  // Forgets one, or all. Each of these writes the file; false when it could not be written.
  bool Unmark(const std::string& listedPath);
  bool Clear();
  bool Save() const;

  // Whether a listed path is an exception that stands.
  bool Holds(const std::string& listedPath) const { return standing_.count(listedPath) != 0; }
  bool Empty() const { return standing_.empty(); }
  // Every remembered entry (standing or with its file missing), in the order they were marked.
  const std::vector<Entry>& Entries() const { return entries_; }
  const std::string& File() const { return file_; }

 private:
  std::string file_;
  std::vector<Entry> entries_;
  std::unordered_set<std::string> standing_;
};

}  // namespace vek
