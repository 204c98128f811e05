// The grid's gallery: a window with a list of pages on the left, each a real TMemGrid to try.
//
//   grid_gallery [--form FILE] [--save FILE] [--report]
//   grid_gallery --screenshot DIR      every page rendered to DIR/<n>-<key>.png (on any platform, also
//                                      offscreen), then the program ends
//
// --form names the form description the 양식 파일 page reads (check_list.form beside the program by
// default); --save where its "다시 저장" writes (a file in the temporary folder by default).
// --report writes on standard output, one line each, flushed at once:
//   page N X Y               the centre of the list's entry N (window coordinates), at start
//   ready                    once the window shows
//   shown KEY                a page was shown; its points follow:
//   spot KEY NAME... X Y     a point of the page to click (a column's title, a button)
//   values KEY WORDS         whenever the values the shown page's grid stores change
// Ctrl+Q ends the program.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QListWidget>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <cstdio>
#include <map>
#include <vector>

#include "gallery_page.h"
#include "platform/format/format.h"

namespace {

void Print(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

struct Options {
  QString form, save, screenshots;
  bool report = false;
};

bool ParseOptions(const QStringList& args, Options& o) {
  o.form = QCoreApplication::applicationDirPath() + "/check_list.form";
  o.save = QDir::temp().filePath("grid_gallery_check_list.form");
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--report")
      o.report = true;
    else if (a == "--form" && hasValue)
      o.form = args[++i];
    else if (a == "--save" && hasValue)
      o.save = args[++i];
    else if (a == "--screenshot" && hasValue)
      o.screenshots = args[++i];
    else
      return false;
  }
  return true;
}

class GalleryWindow : public QWidget {
 public:
  explicit GalleryWindow(const Options& o) {
    setWindowTitle("TMemGrid 갤러리");
    resize(1180, 660);
    auto* layout = new QHBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setFixedWidth(140);
    stack_ = new QStackedWidget(this);
    layout->addWidget(list_);
    layout->addWidget(stack_, 1);
    for (GalleryPage* page : {MakeOrderPage(), MakeMillionRowsPage(), MakeFormFilePage(o.form, o.save),
                              MakeCustomKindPage(), MakeHangulPage()}) {
      pages_.push_back(page);
      list_->addItem(page->Name());
      stack_->addWidget(page);
    }
    // A click on an entry, or the arrows in the list, shows its page; the page's grid takes the focus.
    connect(list_, &QListWidget::currentRowChanged, this, [this](int i) { Show(i); });
    connect(list_, &QListWidget::itemClicked, this, [this] { Current()->Grid()->setFocus(); });
    list_->setCurrentRow(0);
  }

  // From now on the shown pages and their values are reported.
  void StartReport() { report_ = true; }
  int PageCount() const { return int(pages_.size()); }
  GalleryPage* Current() const { return pages_[std::size_t(stack_->currentIndex())]; }
  QListWidget* List() const { return list_; }
  void Show(int i) {
    if (i < 0 || i >= PageCount()) return;
    stack_->setCurrentIndex(i);
    if (list_->currentRow() != i) list_->setCurrentRow(i);
    if (!report_) return;
    QApplication::processEvents();  // the page laid out before its points are taken
    Print(Join({"shown ", Current()->Key()}));
    for (const std::string& spot : Current()->Spots(this))
      Print(Join({"spot ", Current()->Key(), " ", spot}));
  }
  // The values of the shown page, printed when they changed since last time.
  void ReportValues() {
    GalleryPage* page = Current();
    const std::string line = Join({"values ", page->Key(), " ", page->Values()});
    if (line == last_[page]) return;
    last_[page] = line;
    Print(line);
  }

 private:
  bool report_ = false;
  QListWidget* list_;
  QStackedWidget* stack_;
  std::vector<GalleryPage*> pages_;
  std::map<GalleryPage*, std::string> last_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
  Options o;
  if (!ParseOptions(QCoreApplication::arguments(), o)) {
    std::fprintf(stderr, "usage: grid_gallery [--form FILE] [--save FILE] [--report] | --screenshot DIR\n");
    return 2;
  }
  GalleryWindow window(o);

  if (!o.screenshots.isEmpty()) {
    QDir().mkpath(o.screenshots);
    window.show();
    for (int i = 0; i < window.PageCount(); ++i) {
      window.Show(i);
      window.Current()->Grid()->setFocus();
      QApplication::processEvents();
      const QString file =
          QDir(o.screenshots).filePath(QString("%1-%2.png").arg(i + 1).arg(window.Current()->Key()));
      if (!window.grab().save(file)) {
        std::fprintf(stderr, "grid_gallery: cannot write %s\n", qPrintable(file));
        return 1;
      }
      std::printf("%s\n", qPrintable(file));
    }
    return 0;
  }

  QShortcut quit(QKeySequence("Ctrl+Q"), &window);
  quit.setContext(Qt::ApplicationShortcut);
  QObject::connect(&quit, &QShortcut::activated, &app, &QApplication::quit);
  window.show();
  window.activateWindow();
  window.Current()->Grid()->setFocus();
  QTimer poll;
  if (o.report) {
    QApplication::processEvents();
    for (int i = 0; i < window.PageCount(); ++i) {
      const QRect r = window.List()->visualItemRect(window.List()->item(i));
      const QPoint p = window.List()->viewport()->mapTo(&window, r.center());
      Print(Join({"page ", std::to_string(i), " ", std::to_string(p.x()), " ", std::to_string(p.y())}));
    }
    Print("ready");
    window.StartReport();
    window.Show(window.List()->currentRow());
    QObject::connect(&poll, &QTimer::timeout, [&] { window.ReportValues(); });
    poll.start(50);
  }
  return app.exec();
}
