// 양식 파일: a grid described by a text file shipped with the gallery (check_list.form), read with
// twform::ReadMemGridForm. "다시 저장" writes the grid's description again (twform::WriteMemGridForm) and
// compares it with the file read, byte by byte: a grid read and written back gives the same text.
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "gallery_page.h"
#include "grid/memory/mem_grid_form.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The grid the file describes, or an empty grid when it cannot be read (problem says why).
TMemGrid* ReadGrid(const QByteArray& text, QString& problem) {
  if (text.isEmpty()) {
    problem = "양식 파일을 읽지 못했습니다.";
    return nullptr;
  }
  try {
    return twform::ReadMemGridForm(text.toStdString()).release();
  } catch (const std::exception& e) {
    problem = QString("양식 파일을 읽지 못했습니다: %1").arg(QString::fromUtf8(e.what()));
    return nullptr;
  }
}

class FormFilePage : public GalleryPage {
 public:
  FormFilePage(const QString& formFile, const QString& saveFile, const QByteArray& text, TMemGrid* grid,
               const QString& problem)
      : GalleryPage("양식 파일", "form",
                    QString("이 표의 열, 합계 줄, 글꼴과 선은 모두 양식 파일 %1에서 읽었습니다. "
                            "\"다시 저장\"을 누르면 표의 양식을 다시 써서 읽은 파일과 바이트 단위로 "
                            "비교합니다. 행 수와 합계 줄의 값도 양식에 들어가므로, 값을 입력하거나 열 너비를 "
                            "끌어 바꾼 뒤 저장하면 달라진 곳을 알려 줍니다.")
                        .arg(QFileInfo(formFile).fileName()),
                    grid),
        original_(text),
        saveFile_(saveFile) {
    auto* row = new QHBoxLayout;
    auto* save = new QPushButton("다시 저장", this);
    save->setObjectName("save");
    result_ = new QLabel(problem, this);
    row->addWidget(save);
    row->addWidget(result_, 1);
    Layout()->addLayout(row);
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    button_ = save;
  }

  std::string Values() override {
    return Join({"saves=", std::to_string(saves_), " identical=", identical_ ? "yes" : "no",
                 " bytes=", std::to_string(written_)});
  }

  std::vector<std::string> Spots(QWidget* window) override {
    const QPoint p = button_->mapTo(window, button_->rect().center());
    return {Join({"save ", std::to_string(p.x()), " ", std::to_string(p.y())})};
  }

 private:
  void Save() {
    const std::string text = twform::WriteMemGridForm(*Grid());
    QFile f(saveFile_);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.data(), qint64(text.size())) != qint64(text.size())) {
      result_->setText(QString("%1에 쓰지 못했습니다.").arg(saveFile_));
      return;
    }
    f.close();
    ++saves_;
    const QByteArray written = ReadAll(saveFile_);
    written_ = int(written.size());
    identical_ = written == original_;
    if (identical_) {
      result_->setText(QString("%1에 저장했습니다: 읽은 파일과 바이트 단위로 같습니다(%2바이트).")
                           .arg(saveFile_)
                           .arg(written.size()));
      return;
    }
    qsizetype at = 0;
    while (at < written.size() && at < original_.size() && written[at] == original_[at]) ++at;
    const int line = int(original_.left(at).count('\n')) + 1;
    result_->setText(QString("%1에 저장했습니다: 읽은 파일과 다릅니다(%2번째 줄, %3번째 바이트부터).")
                         .arg(saveFile_)
                         .arg(line)
                         .arg(at + 1));
  }

  QByteArray original_;
  QString saveFile_;
  QLabel* result_;
  QPushButton* button_;
  int saves_ = 0;
  int written_ = 0;
  bool identical_ = false;
};

}  // namespace

GalleryPage* MakeFormFilePage(const QString& formFile, const QString& saveFile) {
  const QByteArray text = ReadAll(formFile);
  QString problem;
  TMemGrid* grid = ReadGrid(text, problem);
  return new FormFilePage(formFile, saveFile, text, grid, problem);
}
