// HWP 5.0 (.hwp): an OLE compound file read with libgsf. The text lives in the streams BodyText/Section0,
// Section1, ..., each a sequence of records (compressed with raw deflate when the file header says so).
//
//   FileHeader   256 bytes: "HWP Document File" signature, version, properties (bit 0 compressed,
//                bit 1 password, bit 2 distribution document)
//   record       32-bit header: tag (10 bits), level (10 bits), size (12 bits; 0xFFF: a 32-bit size follows)
//   PARA_TEXT    tag 0x43: UTF-16LE characters; codes below 32 are controls: 0, 10, 13 and 24-31 take one
//                unit, every other control takes eight (its code, six units of data, its code again)
//
// Every length is checked against what is left: a record whose size runs past its stream ends the walk,
// with the text read so far kept and the damage told.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "inspect/formats.h"

namespace vek::inspect::detail {

namespace {

struct Unref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};
using InputPtr = std::unique_ptr<GsfInput, Unref>;
using InfilePtr = std::unique_ptr<GsfInfile, Unref>;

constexpr unsigned kTagParaText = 0x10 + 51;
constexpr std::size_t kChunk = 1 << 16;

std::uint32_t Le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

// Reads a whole stream, at most max bytes; false when it is longer or unreadable.
bool ReadStream(GsfInput* in, std::size_t max, std::string& out) {
  const gsf_off_t size = gsf_input_size(in);
  if (size < 0 || std::uint64_t(size) > max) return false;
  out.resize(std::size_t(size));
  return size == 0 || gsf_input_read(in, std::size_t(size), reinterpret_cast<guint8*>(out.data())) != nullptr;
}

enum class Inflated { Ok, Cut, Damaged, Cancelled };

// Raw deflate into out, at most cap bytes.
Inflated Inflate(std::string_view in, std::size_t cap, std::string& out, std::stop_token stop) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return Inflated::Damaged;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(std::min<std::size_t>(in.size(), UINT32_MAX));
  Inflated result = Inflated::Ok;
  for (;;) {
    if (stop.stop_requested()) {
      result = Inflated::Cancelled;
      break;
    }
    if (out.size() >= cap) {
      result = Inflated::Cut;
      break;
    }
    const std::size_t at = out.size(), want = std::min(kChunk, cap - at);
    out.resize(at + want);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + at);
    z.avail_out = uInt(want);
    const int rc = inflate(&z, Z_NO_FLUSH);
    out.resize(at + want - z.avail_out);
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK || (z.avail_in == 0 && z.avail_out != 0)) {
      result = Inflated::Damaged;  // corrupt, or the data ended before the stream did
      break;
    }
  }
  inflateEnd(&z);
  return result;
}

// The text of one PARA_TEXT record.
void ParaText(const unsigned char* p, std::size_t size, TextSink& sink, std::string& buf) {
  buf.clear();
  const std::size_t units = size / 2;
  for (std::size_t i = 0; i < units; ++i) {
    char32_t c = char32_t(p[2 * i] | p[2 * i + 1] << 8);
    if (c < 32) {
      switch (c) {
        case 10:
        case 13:
          buf += '\n';
          break;
        case 24:
          buf += '-';
          break;
        case 30:
        case 31:
          buf += ' ';
          break;
        case 0:
        case 25:
        case 26:
        case 27:
        case 28:
        case 29:
          break;
        case 9:
          buf += '\t';
          i += 7;
          break;
        default:
          i += 7;
          break;  // a control with its data: eight units
      }
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
      const char32_t low = char32_t(p[2 * i + 2] | p[2 * i + 3] << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    AppendCodePoint(buf, c);
  }
  sink.Append(buf);
  if (!buf.empty() && buf.back() != '\n') sink.Append('\n');
}

// Walks the records of one section; false when a record's length runs past the data.
bool Records(std::string_view data, TextSink& sink, std::stop_token stop) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t n = data.size();
  std::string buf;
  std::size_t i = 0, nextStopCheck = 1 << 16;
  while (i < n && !sink.Full()) {
    if (i >= nextStopCheck) {
      if (stop.stop_requested()) return true;
      nextStopCheck = i + (1 << 16);
    }
    if (n - i < 4) return false;
    const std::uint32_t header = Le32(p + i);
    i += 4;
    const unsigned tag = header & 0x3FF;
    std::size_t size = header >> 20;
    if (size == 0xFFF) {
      if (n - i < 4) return false;
      size = Le32(p + i);
      i += 4;
    }
    if (size > n - i) return false;
    if (tag == kTagParaText) ParaText(p + i, size, sink, buf);
    i += size;
  }
  return true;
}

// The numbers of the streams "Section<n>" of a storage, in order.
std::vector<int> SectionNumbers(GsfInfile* body) {
  std::vector<int> out;
  const int count = gsf_infile_num_children(body);
  for (int i = 0; i < count; ++i) {
    const char* name = gsf_infile_name_by_index(body, i);
    if (!name || std::strncmp(name, "Section", 7) != 0) continue;
    const char* digits = name + 7;
    if (!*digits || std::strlen(digits) > 6 || std::strspn(digits, "0123456789") != std::strlen(digits))
      continue;
    out.push_back(std::atoi(digits));
  }
  std::sort(out.begin(), out.end());
  return out;
}

InfilePtr OpenOle(std::string_view bytes, InputPtr& source) {
  source.reset(
      gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()), gsf_off_t(bytes.size()), FALSE));
  if (!source) return nullptr;
  GError* err = nullptr;
  InfilePtr ole(gsf_infile_msole_new(source.get(), &err));
  if (err) g_error_free(err);
  return ole;
}

}  // namespace

bool OleHasStream(std::string_view bytes, const char* name) {
  InputPtr source;
  InfilePtr ole = OpenOle(bytes, source);
  if (!ole) return false;
  InputPtr child(gsf_infile_child_by_name(ole.get(), name));
  return child != nullptr;
}

void ExtractHwp(std::string_view bytes, Extraction& x, const Limits& l, std::stop_token stop) {
  if (bytes.starts_with("HWP Document File V3")) {
    SetOutcome(x, Status::Unsupported, "한글 97 이전 형식(HWP 3.0)은 미리 볼 수 없습니다.");
    return;
  }
  InputPtr source;
  InfilePtr ole = OpenOle(bytes, source);
  if (!ole) {
    SetOutcome(x, Status::Damaged, say::Damaged("hwp"));
    return;
  }
  std::string header;
  {
    InputPtr h(gsf_infile_child_by_name(ole.get(), "FileHeader"));
    if (!h || !ReadStream(h.get(), 4096, header) || header.size() < 40 ||
        std::memcmp(header.data(), "HWP Document File", 17) != 0) {
      SetOutcome(x, Status::Damaged, say::Damaged("hwp"));
      return;
    }
  }
  const std::uint32_t props = Le32(reinterpret_cast<const unsigned char*>(header.data()) + 36);
  if (props & 2) {
    SetOutcome(x, Status::Encrypted, say::Encrypted());
    return;
  }
  if (props & 4) {
    SetOutcome(x, Status::Encrypted, "배포용 문서라서 내용을 볼 수 없습니다. 한글에서 직접 열어 보십시오.");
    return;
  }
  const bool compressed = props & 1;
  InputPtr bodyInput(gsf_infile_child_by_name(ole.get(), "BodyText"));
  GsfInfile* body = bodyInput && GSF_IS_INFILE(bodyInput.get()) ? GSF_INFILE(bodyInput.get()) : nullptr;
  const std::vector<int> sections = body ? SectionNumbers(body) : std::vector<int>{};
  if (sections.empty()) {
    SetOutcome(x, Status::Damaged, say::Damaged("hwp"));
    return;
  }
  TextSink sink(x.text, l.maxTextBytes);
  std::string raw, data;
  std::size_t unpacked = 0;
  for (int n : sections) {
    if (stop.stop_requested() || sink.Full()) break;
    const std::string name = "Section" + std::to_string(n);
    InputPtr s(gsf_infile_child_by_name(body, name.c_str()));
    if (!s || !ReadStream(s.get(), std::size_t(l.maxFileBytes), raw)) {
      SetOutcome(x, Status::Partial, say::DamagedAfter());
      continue;
    }
    std::string_view records = raw;
    if (compressed) {
      data.clear();
      const std::size_t cap =
          std::min(l.maxPartBytes, l.maxUnpackedBytes - std::min(unpacked, l.maxUnpackedBytes));
      const Inflated r = Inflate(raw, cap, data, stop);
      unpacked += data.size();
      if (r == Inflated::Cancelled) break;
      if (r == Inflated::Cut) SetOutcome(x, Status::Partial, say::PartTooLarge());
      if (r == Inflated::Damaged) SetOutcome(x, Status::Partial, say::DamagedAfter());
      records = data;
    }
    if (!Records(records, sink, stop)) SetOutcome(x, Status::Partial, say::DamagedAfter());
  }
  NoteFull(x, sink, l);
  if (x.status == Status::Partial && x.text.empty()) {
    x.status = Status::Damaged;
    x.sentence = say::Damaged("hwp");
  }
}

}  // namespace vek::inspect::detail
