#include "platform/paint/font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QStringList>
#include <QTextLayout>
#include <QThread>
#include <map>
#include <tuple>

namespace plat::paint {

struct TFont::Resolved {
  QFont font;
  QFontMetrics metrics;
  TTextMetric tm;
  /// Texts measured or shaped in this font: a grid paints the same texts again on every repaint and
  /// scroll. Cleared when full; touched on the GUI thread only.
  struct Shaped {
    int advance = -1;
    bool shaped = false;
    bool drawn = false;  // drawn once: shaped to be kept when it is drawn again
    QList<QGlyphRun> runs;
  };
  static constexpr qsizetype kKeptTexts = 4096;
  mutable QHash<QString, Shaped> shaped;
  Shaped& Slot(QStringView text) const {
    auto it = shaped.find(QString::fromRawData(text.data(), text.size()));
    if (it != shaped.end()) return *it;
    if (shaped.size() >= kKeptTexts) shaped.clear();
    return shaped[text.toString()];
  }
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

namespace {

bool OnGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

const QList<QGlyphRun>& NoRuns() {
  static const QList<QGlyphRun> none;
  return none;
}

// The glyphs QPainter::drawText(QPointF, text) draws, moved so that the baseline's left end is (0, 0).
QList<QGlyphRun> Shape(const QString& text, const QFont& font) {
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) return {};
  QList<QGlyphRun> runs = layout.glyphRuns();
  const QPointF shift(-line.x(), -line.ascent());
  for (QGlyphRun& run : runs) {
    QList<QPointF> positions = run.positions();
    for (QPointF& p : positions) p += shift;
    run.setPositions(positions);
  }
  return runs;
}

}  // namespace

int TFont::Advance(QStringView text) const {
  const Resolved& r = Resolve();
  const QString raw = QString::fromRawData(text.data(), text.size());
  if (!OnGuiThread()) return r.metrics.horizontalAdvance(raw);
  Resolved::Shaped& s = r.Slot(text);
  if (s.advance < 0) s.advance = r.metrics.horizontalAdvance(raw);
  return s.advance;
}

const QList<QGlyphRun>& TFont::GlyphRuns(QStringView text) const {
  const Resolved& r = Resolve();
  if (text.isEmpty() || r.font.underline() || r.font.strikeOut() || !OnGuiThread()) return NoRuns();
  Resolved::Shaped& s = r.Slot(text);
  if (!s.shaped) {
    // A text drawn only once (a row scrolled past) is not worth the layout that keeps its glyphs: the first
    // time it is drawn by QPainter::drawText, which shapes it anyway.
    if (!s.drawn) {
      s.drawn = true;
      return NoRuns();
    }
    s.runs = Shape(text.toString(), r.font);
    s.shaped = true;
  }
  return s.runs;
}

const TFont& DefaultFont() {
  static const TFont f("MS Sans Serif", -11);
  return f;
}

}  // namespace plat::paint
