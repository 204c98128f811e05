#include "platform/paint/font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>
#include <map>
#include <tuple>

namespace plat::paint {

struct TFont::Resolved {
  QFont font;
  QFontMetrics metrics;
  TTextMetric tm;
  explicit Resolved(const QFont& f) : font(f), metrics(f) {
    tm.tmAscent = metrics.ascent();
    tm.tmDescent = metrics.descent();
    tm.tmHeight = metrics.height();
    tm.tmInternalLeading = std::max(0, tm.tmHeight - font.pixelSize());
    tm.tmExternalLeading = std::max(0, metrics.leading());
    tm.tmAveCharWidth = metrics.averageCharWidth();
    tm.tmMaxCharWidth = metrics.maxWidth();
  }
};

namespace {

constexpr const char* kHangulFace = "NanumGothic";
constexpr const char* kSansFace = "DejaVu Sans";

bool FaceIs(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

QFont Build(const std::string& name, int height, std::uint8_t style) {
  QFont f;
  const QString face = QString::fromStdString(SubstituteFace(name));
  f.setFamilies(QStringList{face, QString::fromLatin1(kSansFace), QString::fromLatin1(kHangulFace)});
  f.setBold(style & kFontBold);
  f.setItalic(style & kFontItalic);
  f.setUnderline(style & kFontUnderline);
  f.setStrikeOut(style & kFontStrikeOut);
  f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferBitmap));
  f.setHintingPreference(QFont::PreferFullHinting);
  const int h = height == 0 ? 11 : height;
  if (h < 0) {
    f.setPixelSize(-h);
  } else {
    // A cell height: scale the em size so that ascent + descent comes out at h.
    f.setPixelSize(h);
    const int cell = QFontMetrics(f).height();
    if (cell > 0 && cell != h) f.setPixelSize(std::max(1, (h * h + cell / 2) / cell));
  }
  return f;
}

}  // namespace

std::string SubstituteFace(std::string_view face) {
  static const char* const kSans[] = {"MS Sans Serif",
                                      "Microsoft Sans Serif",
                                      "MS Shell Dlg",
                                      "MS Shell Dlg 2",
                                      "Arial",
                                      "Tahoma",
                                      "Verdana",
                                      "System",
                                      "Segoe UI",
                                      "Helvetica",
                                      ""};
  static const char* const kHangul[] = {"굴림",   "굴림체",    "돋움",    "돋움체",       "바탕",  "바탕체",
                                        "궁서",   "맑은 고딕", "Gulim",   "GulimChe",     "Dotum", "DotumChe",
                                        "Batang", "BatangChe", "Gungsuh", "Malgun Gothic"};
  static const char* const kMono[] = {"Courier New", "Courier",        "Fixedsys",
                                      "Terminal",    "Lucida Console", "Consolas"};
  static const char* const kSerif[] = {"Times New Roman", "Times", "Georgia", "MS Serif"};
  for (const char* s : kHangul)
    if (FaceIs(face, s)) return kHangulFace;
  for (const char* s : kMono)
    if (FaceIs(face, s)) return "DejaVu Sans Mono";
  for (const char* s : kSerif)
    if (FaceIs(face, s)) return "DejaVu Serif";
  for (const char* s : kSans)
    if (FaceIs(face, s)) return kSansFace;
  const QString q = QString::fromUtf8(face.data(), qsizetype(face.size()));
  if (QFontDatabase::hasFamily(q)) return std::string(face);
  return kSansFace;
}

TFont::TFont(std::string_view name, int height, std::uint8_t style, TColor color)
    : name_(name), height_(height), style_(style), color_(color) {}

int TFont::Size() const {
  return height_ < 0 ? (-height_ * 72 + 48) / 96 : (height_ * 72 + 48) / 96;
}

void TFont::SetName(std::string_view name) {
  if (name_ == name) return;
  name_ = name;
  resolved_.reset();
}
void TFont::SetHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  resolved_.reset();
}
void TFont::SetSize(int points) {
  SetHeight(-(points * 96 + 36) / 72);
}
void TFont::SetStyle(std::uint8_t style) {
  if (style_ == style) return;
  style_ = style;
  resolved_.reset();
}

void TFont::Assign(const TFont& other) {
  color_ = other.color_;
  if (SameFace(other)) {
    if (!resolved_) resolved_ = other.resolved_;
    return;
  }
  name_ = other.name_;
  height_ = other.height_;
  style_ = other.style_;
  resolved_ = other.resolved_;
}

const TFont::Resolved& TFont::Resolve() const {
  if (!resolved_) {
    // One resolved font per distinct face, height and style for the life of the process.
    static std::map<std::tuple<std::string, int, int>, std::shared_ptr<const Resolved>> cache;
    auto& slot = cache[{name_, height_, style_}];
    if (!slot) slot = std::make_shared<const Resolved>(Build(name_, height_, style_));
    resolved_ = slot;
  }
  return *resolved_;
}

const QFont& TFont::QtFont() const {
  return Resolve().font;
}
const QFontMetrics& TFont::QtMetrics() const {
  return Resolve().metrics;
}
const TTextMetric& TFont::Metrics() const {
  return Resolve().tm;
}

const TFont& DefaultFont() {
  static const TFont f("MS Sans Serif", -11);
  return f;
}

}  // namespace plat::paint
