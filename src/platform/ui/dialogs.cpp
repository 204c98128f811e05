// The dialogs service: Qt message boxes and file dialogs, and the scripted stand-in of the tests.
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTextEdit>
#include <QTimer>

#include "platform/os/os.h"

namespace plat::ui {
namespace {

Dialogs* g_installed = nullptr;

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QMessageBox::Icon IconOf(int flags) {
  switch (flags & 0xF0) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

struct ButtonSet {
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton;
  QMessageBox::StandardButton escapeButton;  // NoButton: the box cannot be dismissed without a choice
};

ButtonSet ButtonsOf(int flags) {
  switch (flags & 0x0F) {
    case MB_OKCANCEL:
      return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
    case MB_YESNOCANCEL:
      return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
              QMessageBox::Cancel};
    case MB_YESNO:
      return {QMessageBox::Yes | QMessageBox::No,
              (flags & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes, QMessageBox::NoButton};
    default:
      return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
  }
}

// The answer a box was closed with; closed without a button, the escape answer.
int AnswerOf(QMessageBox& box, const ButtonSet& set) {
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      break;
  }
  switch (set.escapeButton) {
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Ok:
      return IDOK;
    default:
      return IDNO;
  }
}

// A long path has no blank to wrap at: a zero-width space after each separator of a long word lets the box
// wrap it there instead of running off the screen.
QString Wrappable(const QString& text) {
  constexpr int kLongWord = 60;
  QString out;
  out.reserve(text.size() + text.size() / 8);
  int word = 0;
  for (const QChar c : text) {
    out += c;
    word = c.isSpace() ? 0 : word + 1;
    if ((c == u'\\' || c == u'/') && word >= kLongWord / 2) out += QChar(0x200B);
  }
  return out;
}

}  // namespace

Dialogs& CurrentDialogs() {
  static QtDialogs qt;
  return g_installed ? *g_installed : qt;
}

void SetDialogs(Dialogs* d) {
  g_installed = d;
}

std::string ApplicationTitle() {
  return plat::os::ExeTitle();
}

std::string OpenFileFilter(const OpenFileRequest& req) {
  std::string pattern;
  for (char c : req.FilterPattern) pattern += (c == ';' || c == ',') ? ' ' : c;
  // Blanks collapsed and trimmed.
  std::string cleaned;
  for (char c : pattern) {
    if (c == ' ' && (cleaned.empty() || cleaned.back() == ' ')) continue;
    cleaned += c;
  }
  while (!cleaned.empty() && cleaned.back() == ' ') cleaned.pop_back();
  if (cleaned.empty()) return req.FilterLabel;
  // A label that already ends with its pattern in parentheses ("CSV파일(*.csv)") is the whole filter.
  const std::string suffix = "(" + cleaned + ")";
  if (req.FilterLabel.size() >= suffix.size() &&
      req.FilterLabel.compare(req.FilterLabel.size() - suffix.size(), suffix.size(), suffix) == 0)
    return req.FilterLabel;
  const std::string label = req.FilterLabel.empty() ? cleaned : req.FilterLabel;
  return label + " (" + cleaned + ")";
}

// --- Qt dialogs -----------------------------------------------------------------------------------------

int QtDialogs::MessageBox(QWidget* parent, const std::string& text, const std::string& caption, int flags) {
  return MessageBoxWithDetails(parent, text, {}, caption, flags);
}

int QtDialogs::MessageBoxWithDetails(QWidget* parent, const std::string& text, const std::string& details,
                                     const std::string& caption, int flags) {
  const ButtonSet set = ButtonsOf(flags);
  QMessageBox box(IconOf(flags), Q(caption), Wrappable(Q(text)), set.buttons, parent);
  box.setDefaultButton(set.defaultButton);
  if (set.escapeButton != QMessageBox::NoButton) box.setEscapeButton(set.escapeButton);
  if (!details.empty()) {
    box.setDetailedText(Q(details));
    // The box's own button toggles the list; it is named in the program's words. The box names it again
    // when it shows and after each click, so the name is put back once the box has done so.
    for (QAbstractButton* b : box.buttons()) {
      if (box.buttonRole(b) != QMessageBox::ActionRole) continue;
      const auto rename = [&box, b] {
        const auto* list = box.findChild<QTextEdit*>();
        b->setText(QString::fromUtf8(list && list->isVisible() ? "자세히 닫기" : "자세히"));
      };
      QTimer::singleShot(0, b, rename);
      QObject::connect(b, &QAbstractButton::clicked, b, [b, rename] { QTimer::singleShot(0, b, rename); });
    }
  }
  box.exec();
  return AnswerOf(box, set);
}

int QtDialogs::MessageBoxWithCheck(QWidget* parent, const std::string& text, const std::string& caption,
                                   int flags, const std::string& checkText, bool& checked,
                                   const std::string& checkedNote) {
  const ButtonSet set = ButtonsOf(flags);
  QMessageBox box(IconOf(flags), Q(caption), Wrappable(Q(text)), set.buttons, parent);
  box.setDefaultButton(set.defaultButton);
  if (set.escapeButton != QMessageBox::NoButton) box.setEscapeButton(set.escapeButton);
  auto* check = new QCheckBox(Q(checkText), &box);
  check->setChecked(checked);
  box.setCheckBox(check);
  const auto note = [&box, check, checkedNote] {
    box.setInformativeText(check->isChecked() ? Wrappable(Q(checkedNote)) : QString());
  };
  note();
  QObject::connect(check, &QCheckBox::toggled, &box, note);
  box.exec();
  checked = check->isChecked();
  return AnswerOf(box, set);
}

int QtDialogs::MessageBoxWithAction(QWidget* parent, const std::string& text, const std::string& caption,
                                    int flags, const std::string& actionText) {
  const ButtonSet set = ButtonsOf(flags);
  QMessageBox box(IconOf(flags), Q(caption), Wrappable(Q(text)), set.buttons, parent);
  box.setDefaultButton(set.defaultButton);
  if (set.escapeButton != QMessageBox::NoButton) box.setEscapeButton(set.escapeButton);
  QPushButton* action = box.addButton(Q(actionText), QMessageBox::ActionRole);
  box.exec();
  if (box.clickedButton() == action) return IDACTION;
  return AnswerOf(box, set);
}

void QtDialogs::ShowMessage(QWidget* parent, const std::string& text) {
  MessageBox(parent, text, ApplicationTitle(), MB_OK);
}

std::optional<std::string> QtDialogs::OpenFile(QWidget* parent, const OpenFileRequest& req) {
  const QString chosen =
      QFileDialog::getOpenFileName(parent, Q(req.Title), Q(req.InitialDir), Q(OpenFileFilter(req)));
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

std::optional<SaveFileAnswer> QtDialogs::SaveFile(QWidget* parent, const SaveFileRequest& req) {
  QStringList filters;
  for (const std::string& f : req.Filters) filters << Q(f);
  QString selected = filters.isEmpty() ? QString() : filters.front();
  const QString chosen =
      QFileDialog::getSaveFileName(parent, Q(req.Title), Q(req.InitialPath), filters.join(";;"), &selected);
  if (chosen.isEmpty()) return std::nullopt;
  return SaveFileAnswer{chosen.toStdString(), int(std::max<qsizetype>(0, filters.indexOf(selected)))};
}

// --- scripted dialogs -----------------------------------------------------------------------------------

ScriptedDialogs::ScriptedDialogs() : previous_(g_installed) {
  SetDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
  // Restores the previous service only while this one is in force (objects may end out of order).
  if (g_installed == this) SetDialogs(previous_);
}

int ScriptedDialogs::MessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                                int flags) {
  return MessageBoxWithDetails(parent, text, {}, caption, flags);
}

int ScriptedDialogs::MessageBoxWithCheck(QWidget* parent, const std::string& text, const std::string& caption,
                                         int flags, const std::string& checkText, bool& checked,
                                         const std::string& checkedNote) {
  if (!checks_.empty()) {
    checked = checks_.front();
    checks_.pop_front();
  }
  const int id = MessageBoxWithDetails(parent, text, checkedNote, caption, flags);
  shown_.back().Extra = checkText;
  return id;
}

int ScriptedDialogs::MessageBoxWithAction(QWidget* parent, const std::string& text,
                                          const std::string& caption, int flags,
                                          const std::string& actionText) {
  const int id = MessageBoxWithDetails(parent, text, {}, caption, flags);
  shown_.back().Extra = actionText;
  return id;
}

int ScriptedDialogs::MessageBoxWithDetails(QWidget*, const std::string& text, const std::string& details,
                                           const std::string& caption, int flags) {
  shown_.push_back({"MessageBox", text, caption, flags, details, {}});
  if (!answers_.empty()) {
    const int id = answers_.front();
    answers_.pop_front();
    return id;
  }
  return (flags & 0x0F) == MB_OK ? IDOK : IDNO;
}

void ScriptedDialogs::ShowMessage(QWidget*, const std::string& text) {
  shown_.push_back({"ShowMessage", text, ApplicationTitle(), MB_OK, {}, {}});
}

std::optional<SaveFileAnswer> ScriptedDialogs::SaveFile(QWidget*, const SaveFileRequest& req) {
  shown_.push_back({"SaveFile", req.Title, req.Title, 0, {}, {}});
  if (saves_.empty()) return std::nullopt;
  std::optional<SaveFileAnswer> a = std::move(saves_.front());
  saves_.pop_front();
  return a;
}

std::optional<std::string> ScriptedDialogs::OpenFile(QWidget*, const OpenFileRequest& req) {
  shown_.push_back({"OpenFile", req.Title, req.Title, 0, {}, {}});
  requests_.push_back(req);
  if (files_.empty()) return std::nullopt;
  std::optional<std::string> f = std::move(files_.front());
  files_.pop_front();
  return f;
}

}  // namespace plat::ui
