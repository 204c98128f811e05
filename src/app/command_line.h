#pragma once
// The command-line mode of the document manager: the same loading, filtering and batch building as the
// window, for scripting and checking.
//
//   VekSecurity --list FILE [--keywords on|off] [--at-least-10] [--at-least-100] [--exclude WORD]...
//               [--backup C|D] [--move-batch OUT] [--delete-batch OUT] [--recheck]
//   VekSecurity --inspect FILE
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// True when the arguments ask for the command-line mode (--list, --inspect or --help).
bool IsCommandLineMode(const std::vector<std::string>& args);

// Runs the mode: the listed rows as UTF-8 CSV (file name, kind, hits, folder) on out, messages on err.
// Exit codes: 0 done; 1 a file could not be read or written; 2 bad arguments; 3 done, but some rows
// were left out of a batch because their names cannot be written into a batch line safely.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// One CSV field: quoted (with doubled quotes) when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& s);
void AppendCsvField(std::string& to, std::string_view s);
// The same for any delimiter (a tab for text a spreadsheet takes from the clipboard).
void AppendDelimitedField(std::string& to, std::string_view s, char delimiter);

}  // namespace vek
