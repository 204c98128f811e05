// The chained action log: records written, read back and checked; every kind of tampering found and named by
// its line; lines written before the chain are unchained, never broken.
#include "app/action_log.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/sha256.h"
#include "platform/os/os.h"

namespace {

using vek::ActionLog;
using vek::ActionRecord;
using vek::LogCheck;
using State = vek::LogCheck::State;

ActionRecord Record(int i) {
  ActionRecord r;
  r.Time = "2024-05-0" + std::to_string(1 + i % 9) + " 10:00:00";
  r.User = "kim";
  r.Host = "pc-01";
  r.Batch = "c:\\batchdel.bat";
  r.Method = i % 3 == 0 ? "완전삭제" : i % 3 == 1 ? "삭제" : "이동";
  r.Source = "D:\\자료\\" + std::to_string(i) + ".hwp";
  r.Size = std::to_string(1000 + i);
  r.Kinds = "주민등록번호";
  r.Hits = std::to_string(i);
  r.Result = "성공";
  return r;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l + "\n");
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l;
  return s;
}

class ActionLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    log_ = dir_.path().toStdString() + "/actions.csv";
    head_ = dir_.path().toStdString() + "/records.ini";
  }
  // Writes `n` records through one writer, after the lines of the old form when `old` is given.
  void Write(int n, const std::string& old = {}) {
    if (!old.empty()) plat::os::WriteFileBytes(log_, old);
    ActionLog log(log_, head_);
    for (int i = 1; i <= n; ++i) log.Append(Record(i));
    ASSERT_TRUE(log.Flush()) << log.Problem();
  }
  LogCheck Check() { return vek::VerifyActionLog(log_, vek::ReadChainHead(head_)); }
  std::vector<std::string> Lines() { return SplitLines(plat::os::ReadFileBytes(log_)); }
  void Put(const std::vector<std::string>& lines) { plat::os::WriteFileBytes(log_, Join(lines)); }

  QTemporaryDir dir_;
  std::string log_, head_;
};

// Two lines of the form the program wrote before the chain: a BOM, a heading and two rows.
const std::string kOldLog =
    "\xEF\xBB\xBF시간,배치,작업,원본,대상,결과,사유\r\n"
    "2024-04-01 09:00:00,c:\\batchmove.bat,이동,D:\\a.hwp,C:\\보안예비자료\\a.hwp,성공,\r\n"
    "2024-04-01 09:00:00,c:\\batchmove.bat,이동,D:\\b.hwp,C:\\보안예비자료\\b.hwp,실패,target exists\r\n";

TEST_F(ActionLogTest, RecordsReadBackWithEveryFieldAndTheChainGoesOnAcrossWriters) {
  ActionRecord odd = Record(1);
  odd.Source = "D:\\쉼표, \"따옴표\"\n줄바꿈.hwp";
  odd.Medium = "덮어쓰기로 복구 불가를 보장할 수 없습니다: 가상 디스크(loop)";
  odd.Reason = "a,b";
  {
    ActionLog log(log_, head_);
    log.Append(odd);
    log.Append(Record(2));
    ASSERT_TRUE(log.Flush());
    EXPECT_EQ(vek::ReadChainHead(head_), log.Head());
    EXPECT_EQ(log.Head().Lines, 2);
  }
  {
    ActionLog log(log_, head_);
    log.Append(Record(3));
  }  // flushed when it ends
  const std::vector<vek::LoggedRecord> read = vek::ReadActionLog(log_);
  ASSERT_EQ(read.size(), 3u);
  ActionRecord expected = odd;
  expected.Source = "D:\\쉼표, \"따옴표\" 줄바꿈.hwp";  // one record, one line
  EXPECT_EQ(read[0].Record, expected);
  EXPECT_EQ(read[2].Record, Record(3));
  EXPECT_EQ(read[2].Number, 3);
  EXPECT_EQ(read[2].Line, 4);  // after the heading
  const LogCheck c = Check();
  EXPECT_EQ(c.Result, State::Intact) << c.Message;
  EXPECT_EQ(c.Chained, 3);
  EXPECT_EQ(Lines()[0],
            "\xEF\xBB\xBF번호,시간,사용자,호스트,배치,방법,원본,대상,크기,종류,검출수,매체,결과,사유,작업ID,"
            "해시\r\n");
}

// During a run the head is stored at most once a second (here: an hour): lines written after it read as
// intact, another writer goes on after them, and the run's last Flush stores the head unless another writer
// went on since.
TEST_F(ActionLogTest, ARunStoresItsHeadOnceASecondAndAtItsEnd) {
  ActionLog run(log_, head_);
  EXPECT_EQ(run.HeadEvery(), ActionLog::kHeadEvery);
  run.SetHeadEvery(std::chrono::hours(1));  // no second store by the clock, however slow the machine
  run.Append(Record(1));
  ASSERT_TRUE(run.FlushLines());  // the first store
  EXPECT_EQ(vek::ReadChainHead(head_), run.Head());
  run.Append(Record(2));
  run.Append(Record(3));
  ASSERT_TRUE(run.FlushLines());  // within the second: the lines only
  EXPECT_EQ(vek::ReadChainHead(head_)->Lines, 1);
  EXPECT_EQ(Check().Result, State::Intact) << Check().Message;
  ASSERT_TRUE(run.Flush());
  EXPECT_EQ(vek::ReadChainHead(head_), run.Head());
  EXPECT_EQ(run.Head().Lines, 3);

  run.Append(Record(4));
  ASSERT_TRUE(run.FlushLines());  // head left at 3
  {
    ActionLog other(log_, head_);
    other.Append(Record(5));
  }                          // goes on after line 4 and stores its head
  ASSERT_TRUE(run.Flush());  // nothing waits; the other writer's head stays
  EXPECT_EQ(vek::ReadChainHead(head_)->Lines, 5);
  const LogCheck c = Check();
  EXPECT_EQ(c.Result, State::Intact) << c.Message;
  EXPECT_EQ(c.Chained, 5);
}

TEST_F(ActionLogTest, TheHashIsSha256OfThePreviousHashAndTheLineUpToIt) {
  Write(2);
  const std::vector<std::string> lines = Lines();
  std::string prev(64, '0');
  for (int i = 1; i <= 2; ++i) {
    std::string line = lines[std::size_t(i)];
    line.resize(line.size() - 2);  // CR LF
    const std::string body = line.substr(0, line.size() - 64);
    const QByteArray h = QCryptographicHash::hash(
        QByteArray::fromHex(QByteArray::fromStdString(prev)) + QByteArray::fromStdString(body),
        QCryptographicHash::Sha256);
    EXPECT_EQ(line.substr(line.size() - 64), h.toHex().toStdString());
    EXPECT_EQ(body.substr(0, 2), std::to_string(i) + ",");
    prev = h.toHex().toStdString();
  }
}

TEST_F(ActionLogTest, ChangedRemovedInsertedLinesAndACutTailAreNamedByTheirLine) {
  Write(10, kOldLog);
  // Lines: 1-3 old heading and rows, 4 heading of the chain, 5.. records 1..10.
  const std::vector<std::string> clean = Lines();
  ASSERT_EQ(clean.size(), 14u);
  {
    const LogCheck c = Check();
    EXPECT_EQ(c.Result, State::Intact) << c.Message;
    EXPECT_EQ(c.Unchained, 2);
    EXPECT_EQ(c.Chained, 10);
  }
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    State state;
    std::int64_t line;
  };
  std::vector<Case> cases;
  {
    auto l = clean;
    l[7].replace(l[7].find("1004"), 4, "1005");  // record 4's size, one character
    cases.push_back({"one character of record 4", l, State::Changed, 8});
  }
  {
    auto l = clean;
    l[10][l[10].size() - 3] ^= 1;  // the last digit of record 7's hash
    cases.push_back({"record 7's hash", l, State::Changed, 11});
  }
  {
    auto l = clean;
    l.erase(l.begin() + 7);
    cases.push_back({"record 4 removed", l, State::Removed, 8});
  }
  {
    auto l = clean;
    l.erase(l.begin() + 4, l.begin() + 6);
    cases.push_back({"records 1 and 2 removed", l, State::Removed, 5});
  }
  {
    auto l = clean;
    l.insert(l.begin() + 10, l[5]);  // a copy of record 2 after record 6
    cases.push_back({"a copy inserted", l, State::Inserted, 11});
  }
  {
    auto l = clean;
    l.insert(l.begin() + 6, "2024-05-01 10:00:00,c:\\batchdel.bat,삭제,D:\\x.hwp,,성공,\r\n");
    cases.push_back({"an unchained line inside the chain", l, State::Inserted, 7});
  }
  {
    auto l = clean;
    l.push_back(l[13]);
    cases.push_back({"a line added after the last", l, State::Inserted, 15});
  }
  {
    auto l = clean;
    l.resize(11);
    cases.push_back({"the last four records cut", l, State::CutTail, 11});
  }
  for (const Case& c : cases) {
    Put(c.lines);
    const LogCheck r = Check();
    EXPECT_EQ(r.Result, c.state) << c.what << ": " << r.Message;
    EXPECT_EQ(r.Line, c.line) << c.what << ": " << r.Message;
    EXPECT_TRUE(r.Broken()) << c.what;
    EXPECT_NE(r.Message.find(std::to_string(c.line) + "행"), std::string::npos)
        << c.what << ": " << r.Message;
  }
  // The old lines may be anything: they are not part of the chain.
  auto l = clean;
  l[1] = "2024-04-01 09:00:00,c:\\batchmove.bat,이동,D:\\다른.hwp,,성공,\r\n";
  Put(l);
  EXPECT_EQ(Check().Result, State::Intact);
  // Without the head the chain itself is checked, and the cut cannot be seen.
  l = clean;
  l.resize(11);
  Put(l);
  EXPECT_EQ(vek::VerifyActionLog(log_, std::nullopt).Result, State::NoHead);
}

TEST_F(ActionLogTest, AChainRecomputedAfterAChangeNoLongerEndsAtTheHead) {
  Write(5);
  std::vector<std::string> lines = Lines();
  // Record 3 changed and every hash from there recomputed, as someone knowing the formula would.
  lines[3].replace(lines[3].find("1003"), 4, "9999");
  std::string prev = lines[2].substr(lines[2].size() - 66, 64);
  for (std::size_t i = 3; i < lines.size(); ++i) {
    const std::string body = lines[i].substr(0, lines[i].size() - 66);
    prev = QCryptographicHash::hash(
               QByteArray::fromHex(QByteArray::fromStdString(prev)) + QByteArray::fromStdString(body),
               QCryptographicHash::Sha256)
               .toHex()
               .toStdString();
    lines[i] = body + prev + "\r\n";
  }
  Put(lines);
  const LogCheck c = Check();
  EXPECT_EQ(c.Result, State::Rewritten) << c.Message;
  EXPECT_EQ(vek::VerifyActionLog(log_, std::nullopt).Result, State::NoHead);
}

TEST_F(ActionLogTest, ACutStaysVisibleAfterLaterRunsButLinesWrittenBeforeTheHeadWasStoredAreKept) {
  Write(6);
  std::vector<std::string> lines = Lines();
  lines.resize(5);  // records 5 and 6 cut
  Put(lines);
  Write(1);  // the next run continues from the head: record 7
  LogCheck c = Check();
  EXPECT_EQ(c.Result, State::Removed) << c.Message;
  EXPECT_EQ(c.Line, 6);

  // A run that ended between writing its lines and storing the head: the next run takes the file's lines.
  plat::os::WriteFileBytes(log_, "");
  ::unlink(head_.c_str());
  Write(3);
  const std::string storedHead = plat::os::ReadFileBytes(head_);
  {
    ActionLog log(log_, head_);
    log.Append(Record(4));
    log.Append(Record(5));
    ASSERT_TRUE(log.Flush());
  }
  plat::os::WriteFileBytes(head_, storedHead);  // as if the head of records 4 and 5 was never stored
  Write(1);
  c = Check();
  EXPECT_EQ(c.Result, State::Intact) << c.Message;
  EXPECT_EQ(c.Chained, 6);
}

// A chained line as the log held it before runs had an identity: 14 fields, then the hash.
std::string UnnamedRunLine(int number, const std::string& fields, std::string& prev) {
  const std::string body = std::to_string(number) + "," + fields + ",";
  prev = QCryptographicHash::hash(
             QByteArray::fromHex(QByteArray::fromStdString(prev)) + QByteArray::fromStdString(body),
             QCryptographicHash::Sha256)
             .toHex()
             .toStdString();
  return body + prev + "\r\n";
}

TEST_F(ActionLogTest, LinesWithoutARunIdentityReadAsBeforeAndTheChainGoesOnWithIt) {
  std::string prev(64, '0');
  std::string text =
      "\xEF\xBB\xBF번호,시간,사용자,호스트,배치,방법,원본,대상,크기,종류,검출수,매체,결과,사유,해시\r\n";
  text += UnnamedRunLine(
      1, "2024-05-01 10:00:00,kim,pc-01,c:\\batchdel.bat,삭제,D:\\a.hwp,,10,주민등록번호,1,,성공,", prev);
  text += UnnamedRunLine(
      2, "2024-05-01 10:00:00,kim,pc-01,c:\\batchdel.bat,삭제,D:\\b.hwp,,10,주민등록번호,2,,실패,없음", prev);
  plat::os::WriteFileBytes(log_, text);
  plat::os::WriteFileBytes(head_, "[ActionLog]\nHead=" + prev + "\nLines=2\n");
  ActionRecord named = Record(3);
  named.Run = vek::NewRunId();
  {
    ActionLog log(log_, head_);
    log.Append(named);
    ASSERT_TRUE(log.Flush()) << log.Problem();
  }
  const std::vector<vek::LoggedRecord> read = vek::ReadActionLog(log_);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[1].Record.Source, "D:\\b.hwp");
  EXPECT_EQ(read[1].Record.Reason, "없음");
  EXPECT_EQ(read[1].Record.Run, "");
  EXPECT_EQ(read[2].Record, named);
  EXPECT_EQ(named.Run.size(), 16u);
  EXPECT_NE(vek::NewRunId(), named.Run);
  const LogCheck c = Check();
  EXPECT_EQ(c.Result, State::Intact) << c.Message;
  EXPECT_EQ(c.Chained, 3);
}

TEST_F(ActionLogTest, TwoProcessesAppendingAtOnceLeaveOneWholeChain) {
  // Each writer flushes every record on its own, so that the two interleave as much as they can.
  constexpr int kEach = 300;
  const auto write = [this](const char* who) {
    ActionLog log(log_, head_);
    for (int i = 0; i < kEach; ++i) {
      ActionRecord r = Record(i);
      r.Source = std::string(who) + std::to_string(i);
      log.Append(r);
      if (!log.Flush()) return false;
    }
    return true;
  };
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(write("child-") ? 0 : 1);
  const bool parentWrote = write("parent-");
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(parentWrote);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  const LogCheck c = Check();
  EXPECT_EQ(c.Result, State::Intact) << c.Message;
  EXPECT_EQ(c.Chained, 2 * kEach);
  EXPECT_EQ(vek::ReadChainHead(head_)->Lines, 2 * kEach);
  // Every record of both is there once, each writer's in its own order.
  int parent = 0, child_ = 0;
  bool interleaved = false;
  std::string last;
  for (const vek::LoggedRecord& l : vek::ReadActionLog(log_)) {
    const std::string& src = l.Record.Source;
    const bool fromParent = src.starts_with("parent-");
    int& n = fromParent ? parent : child_;
    EXPECT_EQ(src, (fromParent ? "parent-" : "child-") + std::to_string(n)) << "line " << l.Line;
    ++n;
    interleaved = interleaved || (!last.empty() && last.substr(0, 5) != src.substr(0, 5));
    last = src;
  }
  EXPECT_EQ(parent, kEach);
  EXPECT_EQ(child_, kEach);
  if (!interleaved) std::printf("note: the two writers did not overlap in this run\n");
}

TEST_F(ActionLogTest, TheVerifyCommandSaysIntactOrNamesTheLineWithItsExitCode) {
  Write(3, kOldLog);
  std::ostringstream out, err;
  EXPECT_EQ(vek::VerifyLogCommand({log_, head_}, out, err), 0) << err.str();
  EXPECT_NE(out.str().find("unchained"), std::string::npos) << out.str();
  std::vector<std::string> lines = Lines();
  lines[5][lines[5].find("kim")] = 'K';
  Put(lines);
  std::ostringstream out2, err2;
  EXPECT_EQ(vek::VerifyLogCommand({log_, head_}, out2, err2), 1);
  EXPECT_NE(err2.str().find("6행이 바뀌었습니다"), std::string::npos) << err2.str();
  std::ostringstream out3, err3;
  EXPECT_EQ(vek::VerifyLogCommand({log_, dir_.path().toStdString() + "/none.ini"}, out3, err3), 1);
  Put(SplitLines(kOldLog));
  EXPECT_EQ(vek::VerifyLogCommand({log_, dir_.path().toStdString() + "/none.ini"}, out3, err3), 3);
}

}  // namespace

// The chain's hash, on the processor's SHA instructions and on portable code, gives the standard digest for
// every length around the block and padding boundaries, however the bytes are split between its two parts.
TEST(ChainDigest, MatchesTheStandardDigestOnBothCodes) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += char((i * 131 + 7) & 0xff);
  for (const vek::Sha256Code code : {vek::Sha256Code::Best, vek::Sha256Code::Portable}) {
    vek::UseSha256Code(code);
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
      const std::string_view text(bytes.data(), n);
      const QByteArray expected =
          QCryptographicHash::hash(QByteArrayView(text.data(), qsizetype(n)), QCryptographicHash::Sha256);
      for (const std::size_t split : {std::size_t(0), n / 3, n}) {
        const vek::Sha256Digest d = vek::Sha256(text.substr(0, split), text.substr(split));
        ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(d.data()), 32), expected)
            << "length " << n << ", split at " << split
            << (code == vek::Sha256Code::Portable ? " (portable)" : "");
      }
    }
  }
  vek::UseSha256Code(vek::Sha256Code::Best);
  // Where the processor has the instructions (as the system reports them), they are found and used.
  std::ifstream cpu("/proc/cpuinfo");
  const std::string info((std::istreambuf_iterator<char>(cpu)), std::istreambuf_iterator<char>());
  if (info.find(" sha_ni") != std::string::npos && info.find(" sse4_1") != std::string::npos) {
    EXPECT_TRUE(vek::Sha256InHardware());
  }
}

namespace {

TEST(CsvQuotes, AFieldNeedsThemWhereverItsDelimiterQuoteOrLineBreakLies) {
  // Korean text around every position, on both sides of the wide steps of the scan.
  for (std::size_t length = 0; length <= 40; ++length) {
    std::string field;
    while (field.size() < length) field += field.size() + 3 <= length ? "자" : "a";
    EXPECT_FALSE(vek::NeedsQuotes(field, ',')) << length;
    EXPECT_FALSE(vek::NeedsQuotes(field, '\t')) << length;
    for (std::size_t at = 0; at < length; ++at)
      for (const char special : {',', '"', '\r', '\n'}) {
        std::string marked = field;
        marked[at] = special;
        EXPECT_TRUE(vek::NeedsQuotes(marked, ',')) << length << " " << at << " " << int(special);
        EXPECT_EQ(vek::NeedsQuotes(marked, '\t'), special != ',') << length << " " << at;
      }
  }
}

}  // namespace
