// PDF through Poppler's Qt 6 binding: the text of each page, pages separated by a form feed.
#include <poppler-qt6.h>

#include <QByteArray>
#include <QRectF>
#include <mutex>

#include "inspect/formats.h"

namespace vek::inspect::detail {

namespace {

// Poppler reports the damage it works around on the error output; the sentence says what matters.
void Quiet(const QString&, const QVariant&) {}

}  // namespace

void ExtractPdf(std::string_view bytes, Extraction& x, const Limits& l, std::stop_token stop) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { Poppler::setDebugErrorFunction(Quiet, QVariant()); });
  const QByteArray data(bytes.data(), qsizetype(bytes.size()));
  std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(data);
  if (!doc) {
    SetOutcome(x, Status::Damaged, say::Damaged("PDF"));
    return;
  }
  if (doc->isLocked()) {
    SetOutcome(x, Status::Encrypted, "암호로 보호된 PDF라서 내용을 볼 수 없습니다.");
    return;
  }
  TextSink sink(x.text, l.maxTextBytes);
  const int pages = doc->numPages();
  if (pages <= 0) {
    SetOutcome(x, Status::Damaged, say::Damaged("PDF"));
    return;
  }
  for (int i = 0; i < pages && i < l.maxPdfPages; ++i) {
    if (stop.stop_requested() || sink.Full()) break;
    if (i > 0) sink.Append('\f');
    std::unique_ptr<Poppler::Page> page = doc->page(i);
    if (!page) {
      SetOutcome(x, Status::Partial, say::DamagedAfter());
      continue;
    }
    sink.Append(page->text(QRectF()).toStdString());
    sink.EndLine();
  }
  if (pages > l.maxPdfPages)
    SetOutcome(x, Status::Partial,
               "쪽이 너무 많아 앞의 " + std::to_string(l.maxPdfPages) + "쪽만 읽었습니다.");
  NoteFull(x, sink, l);
}

}  // namespace vek::inspect::detail
