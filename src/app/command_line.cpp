#include "app/command_line.h"

#include <algorithm>
#include <ostream>

#include "app/action_log.h"
#include "app/batch_targets.h"
#include "app/batch_text.h"
#include "app/destruction_report.h"
#include "app/scan_result.h"
#include "inspect/report.h"
#include "platform/error.h"
#include "platform/os/os.h"

namespace vek {

namespace {

constexpr const char* kHelp =
    "usage: VekSecurity [RESULT.csv]\n"
    "Opens the window of the document manager; RESULT.csv, when given, is put into the file field and "
    "loaded.\n"
    "usage: VekSecurity --screenshot OUT.png [RESULT.csv]\n"
    "Renders the window to OUT.png and exits (no display needed; questions are answered No).\n"
    "usage: VekSecurity --list FILE [options]\n"
    "Loads a scanner result file as the window would and prints the listed rows as UTF-8 CSV\n"
    "(file name, kind, hits, folder), raw: fields are written as they are, for programs to read. (The\n"
    "window's \"CSV로 저장\" and Ctrl+C, made for spreadsheets, put a ' before a text that starts with\n"
    "=, +, -, @, a tab or a carriage return, so that it is not run as a formula.)\n"
    "  --keywords on|off   keep only kinds holding a personal-information keyword (개인정보; on)\n"
    "  --at-least-10       keep only lines with at least 10 hits (10건이상)\n"
    "  --at-least-100      keep only lines with at least 100 hits (100건이상)\n"
    "  --exclude WORD      drop lines whose kind or folder holds WORD (제외자료; up to six)\n"
    "  --backup C|D        backup folder C:\\보안예비자료 or D:\\보안예비자료 (C)\n"
    "  --move-batch OUT    write the move batch for every listed row to OUT (not run)\n"
    "  --delete-batch OUT  write the delete batch for every listed row to OUT (not run)\n"
    "  --recheck           read each listed file again and add the matches found now as a fifth field\n"
    "                      (of the kinds the row names; empty when the file cannot be read)\n"
    "usage: VekSecurity --inspect FILE\n"
    "Prints each personal-information match of FILE, masked, with its line and column, then the count\n"
    "per kind (exit 1 when FILE cannot be read).\n"
    "usage: VekSecurity --verify-log [LOG [HEAD.ini]]\n"
    "Checks the chained action log (default: the user's actions.csv against the head kept in records.ini) "
    "and\n"
    "names the first line changed, removed or inserted, or a cut tail; lines older than the chain are\n"
    "\"unchained\". Exit 0 intact, 1 broken or unreadable, 3 intact but no head kept.\n"
    "usage: VekSecurity --report FROM TO OUT.pdf [LOG [HEAD.ini]]\n"
    "Writes the 파기 확인서 of the runs between the dates FROM and TO (YYYY-MM-DD, both included) as "
    "OUT.pdf\n"
    "and OUT.html.\n"
    "Windows paths go through the drive map (VEKSECURITY_DRIVE_C, VEKSECURITY_DRIVE_D, ...).\n"
    "Lines that are not valid CP949 text are skipped; their number goes to the error output.\n"
    "Exit codes: 0 done, 1 a file could not be read or written, 2 bad arguments,\n"
    "3 done but some rows were left out of a batch (their names cannot be written safely).\n";

struct Options {
  std::string file;
  ScanFilterSettings filter;
  int excludes = 0;
  std::string backupDir = "C:\\보안예비자료";
  std::string moveBatch, deleteBatch;
  bool help = false;
  bool recheck = false;
};

struct Row {
  std::string name, kind, hits, folder;
};

// Every listed row, ticked, and kept when a batch takes it: each batch is built over the whole list.
class ListRows : public BatchRows {
 public:
  explicit ListRows(const std::vector<Row>& rows) : rows_(rows) {}
  int Count() override { return int(rows_.size()); }
  bool Ticked(int) override { return true; }
  std::string Folder(int r) override { return rows_[std::size_t(r)].folder; }
  std::string FileName(int r) override { return rows_[std::size_t(r)].name; }
  void Remove(int) override {}

 private:
  const std::vector<Row>& rows_;
};

// Parses the arguments; an error text when they are wrong.
std::string Parse(const std::vector<std::string>& args, Options& o) {
  // --help answers whatever else is given (./run adds the window's own arguments before it).
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      o.help = true;
      return {};
    }
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](std::string& to) -> std::string {
      if (i + 1 >= args.size()) return a + " needs a value";
      to = args[++i];
      return {};
    };
    std::string v, e;
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--list") {
      if (!(e = value(o.file)).empty()) return e;
    } else if (a == "--keywords") {
      if (!(e = value(v)).empty()) return e;
      if (v != "on" && v != "off") return "--keywords takes on or off, not '" + v + "'";
      o.filter.Keywords = v == "on";
    } else if (a == "--at-least-10") {
      o.filter.AtLeast10 = true;
    } else if (a == "--at-least-100") {
      o.filter.AtLeast100 = true;
    } else if (a == "--exclude") {
      if (!(e = value(v)).empty()) return e;
      if (o.excludes >= 6) return "--exclude may be given at most six times";
      o.filter.Exclude[std::size_t(o.excludes++)] = v;
    } else if (a == "--backup") {
      if (!(e = value(v)).empty()) return e;
      if (v != "C" && v != "D" && v != "c" && v != "d") return "--backup takes C or D, not '" + v + "'";
      o.backupDir = std::string(1, char(std::toupper(static_cast<unsigned char>(v[0])))) + ":\\보안예비자료";
    } else if (a == "--move-batch") {
      if (!(e = value(o.moveBatch)).empty()) return e;
    } else if (a == "--delete-batch") {
      if (!(e = value(o.deleteBatch)).empty()) return e;
    } else if (a == "--recheck") {
      o.recheck = true;
    } else {
      return "unknown option '" + a + "' (see --help)";
    }
  }
  if (!o.help && o.file.empty()) return "--list FILE is missing (see --help)";
  return {};
}

// Writes a batch to OUT (a host path, or a Windows path through the drive map).
void WriteBatch(const std::string& out, const BatchText& batch) {
  plat::os::WriteFileBytes(plat::os::ResolvePath(out), batch.Cp949Bytes());
}

}  // namespace

void AppendCsvField(std::string& to, std::string_view s) {
  AppendDelimitedField(to, s, ',');
}

void AppendDelimitedField(std::string& to, std::string_view s, char delimiter) {
  if (!NeedsQuotes(s, delimiter)) {
    to += s;
    return;
  }
  to += '"';
  for (char c : s) {
    to += c;
    if (c == '"') to += '"';
  }
  to += '"';
}

std::string CsvField(const std::string& s) {
  std::string q;
  AppendCsvField(q, s);
  return q;
}

bool IsCommandLineMode(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--list" || a == "--help" || a == "-h" || a == "--inspect" || a == "--verify-log" ||
        a == "--report")
      return true;
  return false;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--verify-log" || args[0] == "--report")) {
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    return args[0] == "--verify-log" ? VerifyLogCommand(rest, out, err) : ReportCommand(rest, out, err);
  }
  if (!args.empty() && args[0] == "--inspect") {
    if (args.size() != 2) {
      err << "VekSecurity: usage: VekSecurity --inspect FILE\n";
      return 2;
    }
    return inspect::PrintInspection(plat::os::ResolvePath(args[1]), out, err);
  }
  Options o;
  if (const std::string e = Parse(args, o); !e.empty()) {
    err << "VekSecurity: " << e << "\n";
    return 2;
  }
  if (o.help) {
    out << kHelp << "FILE must be a regular file of at most " << (plat::os::kMaxReadFileBytes >> 20)
        << " MB.\n";
    return 0;
  }
  std::vector<Row> rows;
  try {
    const std::string bytes = plat::os::ReadFileBytes(plat::os::ResolvePath(o.file));
    ScanFilter filter(o.filter);
    TItemFields fields;
    // The CSV goes out in large blocks: one stream call per row would cost as much as the row itself.
    constexpr std::size_t kBlock = 1 << 16;
    std::string block;
    block.reserve(kBlock + 4096);
    const bool keepRows = !o.moveBatch.empty() || !o.deleteBatch.empty();
    filter.Run(bytes, fields, [&](const TItemFields& f) {
      if (keepRows) rows.push_back({f[0], f[1], f[2], f[3]});
      for (int k = 0; k < 4; ++k) {
        AppendCsvField(block, f[std::size_t(k)]);
        block += k < 3 || o.recheck ? ',' : '\n';
      }
      if (o.recheck) {
        std::string why;
        const std::string path = f[3] + "\\" + f[0];
        if (const auto n = inspect::RecheckCount(plat::os::ResolvePath(path), f[1], &why))
          block += std::to_string(*n);
        else
          err << "VekSecurity: " << path << ": " << why << "\n";
        block += '\n';
      }
      if (block.size() >= kBlock) {
        out.write(block.data(), std::streamsize(block.size()));
        block.clear();
      }
    });
    out.write(block.data(), std::streamsize(block.size()));
    out.flush();
    // A wrong file must not pass for a clean one: say how much of it could not be read.
    if (filter.Unreadable() > 0)
      err << "VekSecurity: " << filter.Unreadable() << " line" << (filter.Unreadable() == 1 ? "" : "s")
          << " skipped as unreadable (not valid CP949 text)\n";
    bool refused = false;
    const auto report = [&](const BatchText& b) {
      if (b.Refusals().empty()) return;
      refused = true;
      for (const auto& r : b.Refusals())
        err << "VekSecurity: row " << r.Row + 1 << " (" << r.Path << ") left out of the batch: " << r.Reason
            << "\n";
    };
    ListRows list(rows);
    if (!o.moveBatch.empty()) {
      const BatchText b = BuildMoveBatch(list, o.backupDir, HostTargetProbe().get());
      WriteBatch(o.moveBatch, b);
      report(b);
    }
    if (!o.deleteBatch.empty()) {
      const BatchText b = BuildDeleteBatch(list);
      WriteBatch(o.deleteBatch, b);
      report(b);
    }
    return refused ? 3 : 0;
  } catch (const std::exception& e) {
    err << "VekSecurity: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vek
