#include "app/preview_pane.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <chrono>
#include <filesystem>

#include "platform/os/os.h"
#include "platform/text/text.h"

namespace vek {

namespace {

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// More marks than this are masked but not highlighted: each key press lays the marks out anew.
constexpr int kMaxMarks = 5000;
const QColor kMarkColour(0xFF, 0xF1, 0x76);
const QColor kCurrentColour(0xFF, 0xA7, 0x26);

// A text piece as the view holds it: every line break one "\n", as QPlainTextEdit counts them.
void AppendPlain(QString& to, std::string_view utf8) {
  QString piece = Q(utf8);
  piece.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  piece.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  to += piece;
}

}  // namespace

struct TPreviewPane::Result {
  inspect::Extraction x;
  std::vector<inspect::Match> matches;
  bool whole = false;
};

TPreviewPane::TPreviewPane(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  pool_.setMaxThreadCount(2);
  quiet_.setSingleShot(true);
  connect(&quiet_, &QTimer::timeout, this, [this] { Start(); });

  Title = new QLabel(this);
  Title->setObjectName("PreviewTitle");
  Title->setTextFormat(Qt::PlainText);
  {
    QFont f = Title->font();
    f.setBold(true);
    Title->setFont(f);
  }
  Counts = new QLabel(this);
  Counts->setObjectName("PreviewCounts");
  Counts->setTextFormat(Qt::PlainText);
  Counts->setMinimumWidth(280);
  Counts->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // The counts and the summary can be selected and copied (mouse, or Shift+Tab from the text and Ctrl+A,
  // Ctrl+C; the label's menu offers 복사 as well), for a report or a message about the file.
  constexpr Qt::TextInteractionFlags kCopyable = Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;
  Counts->setTextInteractionFlags(kCopyable);
  Counts->setFocusPolicy(Qt::StrongFocus);  // a selectable label takes the focus by click alone
  Position = new QLabel(this);
  Position->setObjectName("PreviewPosition");
  Summary = new QLabel(this);
  Summary->setObjectName("PreviewSummary");
  Summary->setTextFormat(Qt::PlainText);
  Summary->setTextInteractionFlags(kCopyable);
  Summary->setFocusPolicy(Qt::StrongFocus);
  Sentence = new QLabel(this);
  Sentence->setObjectName("PreviewSentence");
  Sentence->setTextFormat(Qt::PlainText);
  Sentence->setWordWrap(true);
  Sentence->setTextInteractionFlags(kCopyable);
  Sentence->setFocusPolicy(Qt::StrongFocus);
  {
    QPalette pal = Sentence->palette();
    pal.setColor(QPalette::WindowText, QColor(0xB0, 0x20, 0x20));
    Sentence->setPalette(pal);
  }
  Sentence->hide();
  TextView = new QPlainTextEdit(this);
  TextView->setObjectName("PreviewText");
  TextView->setReadOnly(true);
  TextView->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  TextView->setUndoRedoEnabled(false);
  TextView->installEventFilter(this);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(6, 4, 6, 4);
  column->setSpacing(3);
  auto* top = new QHBoxLayout;
  top->setSpacing(12);
  top->addWidget(Title, 1);
  top->addWidget(Counts);
  top->addWidget(Position);
  column->addLayout(top);
  column->addWidget(Summary);
  column->addWidget(Sentence);
  column->addWidget(TextView, 1);
  ShowNoRow();
}

TPreviewPane::~TPreviewPane() {
  // A read under way stops soon after it is asked to; its result never arrives.
  stop_.request_stop();
  pool_.waitForDone();
}

void TPreviewPane::ShowNoRow() {
  quiet_.stop();
  stop_.request_stop();
  stop_ = std::stop_source();
  ++generation_;
  hasTarget_ = false;
  target_ = {};
  reading_ = complete_ = false;
  spans_.clear();
  current_ = -1;
  Title->setText(QStringLiteral("미리보기"));
  Counts->clear();
  Position->clear();
  Summary->setText(QStringLiteral("목록에서 파일을 고르면 그 내용이 여기에 보입니다."));
  Sentence->hide();
  TextView->setExtraSelections({});
  TextView->clear();
}

void TPreviewPane::Follow(const TPreviewTarget& target) {
  if (hasTarget_ && target == target_) return;
  stop_.request_stop();  // the read of the row left behind
  stop_ = std::stop_source();
  ++generation_;
  target_ = target;
  hasTarget_ = true;
  reading_ = true;
  complete_ = firstShown_ = false;
  spans_.clear();
  current_ = -1;
  Title->setText(Q(plat::os::ExtractFileName(target.ListedPath)));
  Title->setToolTip(Q(target.ListedPath));
  Counts->setText(QStringLiteral("읽는 중..."));
  Position->clear();
  Summary->clear();
  Sentence->hide();
  TextView->setExtraSelections({});
  TextView->clear();
  if (!quiet_.isActive() && NowMs() - lastStart_ >= kQuietMs)
    Start();
  else
    quiet_.start(kQuietMs);
}

void TPreviewPane::Start() {
  lastStart_ = NowMs();
  const std::uint64_t generation = generation_;
  const std::string host = target_.HostPath;
  const std::stop_token stop = stop_.get_token();
  pool_.start([this, generation, host, stop] {
    const auto post = [this, generation](std::shared_ptr<Result> r) {
      QMetaObject::invokeMethod(
          this, [this, generation, r] { Present(generation, r); }, Qt::QueuedConnection);
    };
    std::error_code ec;
    const std::uint64_t size = host.empty() ? 0 : std::filesystem::file_size(host, ec);
    if (!ec && size >= kFirstPageFileBytes) {
      inspect::Limits first;
      first.maxTextBytes = kFirstPageBytes;
      auto r = std::make_shared<Result>();
      r->x = inspect::Extract(host, stop, first);
      if (stop.stop_requested()) return;
      if (r->x.HasText()) {
        r->matches = inspect::Detect(r->x.text, stop);
        if (stop.stop_requested()) return;
        post(r);
      }
    }
    auto r = std::make_shared<Result>();
    r->x = inspect::Extract(host, stop);
    if (stop.stop_requested()) return;
    if (r->x.HasText()) r->matches = inspect::Detect(r->x.text, stop);
    if (stop.stop_requested()) return;
    r->whole = true;
    post(r);
  });
}

void TPreviewPane::Present(std::uint64_t generation, const std::shared_ptr<Result>& r) {
  if (generation != generation_ || complete_) return;  // a row left behind, or a first page after the whole
  const inspect::Extraction& x = r->x;
  const int now = x.HasText() ? inspect::CountForScannerKind(r->matches, target_.ScannerKind) : 0;
  const std::string scanner = plat::text::Trim(target_.ScannerCount);
  QString counts = QStringLiteral("검사 결과 ") +
                   (scanner.empty() ? QStringLiteral("-") : Q(scanner) + QStringLiteral("건"));
  if (!x.HasText())
    counts += QStringLiteral(" · 지금 읽을 수 없음");
  else if (!r->whole)
    counts += QStringLiteral(" · 지금 %1건 이상 (읽는 중)").arg(now);
  else
    counts += QStringLiteral(" · 지금 %1건").arg(now) +
              (x.status == inspect::Status::Partial ? QStringLiteral(" (앞부분)") : QString());
  Counts->setText(counts);
  if (r->whole) {
    reading_ = false;
    complete_ = true;
  }
  const std::string sentence = r->whole ? x.sentence : std::string();
  Sentence->setText(Q(sentence));
  Sentence->setVisible(!sentence.empty());
  Summary->setText(x.HasText() ? Q(inspect::SummaryLine(r->matches)) : QString());

  // The shown text: the matches replaced by their masked forms, with their places in the view.
  const std::string_view text = x.text;
  const std::size_t shownBytes = x.HasText() ? std::min(text.size(), kShownBytes) : 0;
  QString shown;
  shown.reserve(qsizetype(shownBytes));
  std::vector<std::pair<int, int>> spans;
  std::size_t at = 0;
  for (const inspect::Match& m : r->matches) {
    if (m.offset + m.length > shownBytes) break;
    AppendPlain(shown, text.substr(at, m.offset - at));
    const QString masked = Q(m.masked);
    spans.emplace_back(int(shown.size()), int(masked.size()));
    shown += masked;
    at = m.offset + m.length;
  }
  if (shownBytes > at) AppendPlain(shown, plat::text::Utf8CutBytes(text.substr(at), shownBytes - at));
  if (shownBytes < text.size()) shown += QStringLiteral("\n\n(앞부분만 보입니다)");

  // The whole text after the first page keeps the place the reader reached.
  const int scroll = TextView->verticalScrollBar()->value();
  const int current = current_;
  spans_ = std::move(spans);
  // The old marks go first: each holds a cursor that every insertion of the new text would move.
  TextView->setExtraSelections({});
  TextView->setPlainText(shown);
  current_ = current < int(spans_.size()) ? current : -1;
  MarkMatches();
  if (current_ >= 0)
    GoToMatch(current_);
  else
    TextView->verticalScrollBar()->setValue(scroll);
  Position->setText(spans_.empty() ? QString() : QStringLiteral("%1곳 표시").arg(spans_.size()));

  if (!firstShown_) {
    firstShown_ = true;
    if (OnFirstPage) OnFirstPage();
  }
  if (r->whole && x.HasText() && OnCounted) OnCounted(target_.ListedPath, now);
}

void TPreviewPane::MarkMatches() {
  QList<QTextEdit::ExtraSelection> marks;
  const int n = std::min(int(spans_.size()), kMaxMarks);
  marks.reserve(n + 1);
  QTextCursor cursor(TextView->document());
  for (int i = 0; i < n; ++i) {
    QTextEdit::ExtraSelection s;
    s.cursor = cursor;
    s.cursor.setPosition(spans_[std::size_t(i)].first);
    s.cursor.setPosition(spans_[std::size_t(i)].first + spans_[std::size_t(i)].second,
                         QTextCursor::KeepAnchor);
    s.format.setBackground(i == current_ ? kCurrentColour : kMarkColour);
    if (i == current_) s.format.setFontWeight(QFont::Bold);
    marks.push_back(s);
  }
  TextView->setExtraSelections(marks);
}

void TPreviewPane::GoToMatch(int index) {
  if (spans_.empty()) return;
  current_ = index;
  QTextCursor c(TextView->document());
  c.setPosition(spans_[std::size_t(index)].first);
  TextView->setTextCursor(c);
  TextView->centerCursor();
  if (index < kMaxMarks) MarkMatches();
  Position->setText(QStringLiteral("%1 / %2").arg(index + 1).arg(spans_.size()));
}

void TPreviewPane::NextMatch() {
  if (!spans_.empty()) GoToMatch(current_ < 0 ? 0 : (current_ + 1) % int(spans_.size()));
}

void TPreviewPane::PreviousMatch() {
  if (!spans_.empty()) GoToMatch(current_ <= 0 ? int(spans_.size()) - 1 : current_ - 1);
}

QString TPreviewPane::ShownText() const {
  return TextView->toPlainText();
}
QString TPreviewPane::CountText() const {
  return Counts->text();
}
QString TPreviewPane::SummaryText() const {
  return Summary->text();
}
QString TPreviewPane::SentenceText() const {
  return Sentence->text();
}

bool TPreviewPane::eventFilter(QObject* watched, QEvent* e) {
  if (watched == TextView && e->type() == QEvent::KeyPress && !spans_.empty()) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier) {
      if (k->key() == Qt::Key_Down) {
        NextMatch();
        return true;
      }
      if (k->key() == Qt::Key_Up) {
        PreviousMatch();
        return true;
      }
    }
  }
  return QFrame::eventFilter(watched, e);
}

}  // namespace vek
