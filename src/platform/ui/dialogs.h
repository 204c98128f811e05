#pragma once
// The dialogs service: message boxes, the simple notice and the open-file dialog. The program uses Qt
// dialogs; tests install a ScriptedDialogs that answers from a queue and records what was asked.
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace plat::ui {

// Message-box flags and results with their Windows values.
enum : int {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_YESNOCANCEL = 0x03,
  MB_YESNO = 0x04,
  MB_ICONERROR = 0x10,  // hand
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,  // the second button is the default one
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7, IDACTION = 100 };

struct OpenFileRequest {
  std::string Title;
  std::string FilterLabel;    // e.g. "CSV파일(*.csv)"
  std::string FilterPattern;  // e.g. "*.csv"
  std::string InitialDir;     // host path
};

// A save dialog: the filters offered ("CSV UTF-8 (*.csv)"), the first one chosen at start.
struct SaveFileRequest {
  std::string Title;
  std::vector<std::string> Filters;
  std::string InitialPath;  // host path: folder and suggested name
};
struct SaveFileAnswer {
  std::string Path;  // host path
  int Filter = 0;    // index of the chosen filter
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal message box; flags = buttons | icon; returns the IDxxx of the chosen button.
  virtual int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, int flags) = 0;
  // The same with a longer text behind a "자세히" button (a list of files, say).
  virtual int MessageBoxWithDetails(QWidget* parent, const std::string& text, const std::string& details,
                                    const std::string& caption, int flags) {
    return MessageBox(parent, text, caption, flags);
  }
  // The same with a check box under the text (checked: its state before and after); while it is checked,
  // checkedNote shows under the text.
  virtual int MessageBoxWithCheck(QWidget* parent, const std::string& text, const std::string& caption,
                                  int flags, const std::string& checkText, bool& checked,
                                  const std::string& checkedNote) {
    return MessageBox(parent, text, caption, flags);
  }
  // A message with one more button beside its own (actionText); IDACTION when that one was pressed.
  virtual int MessageBoxWithAction(QWidget* parent, const std::string& text, const std::string& caption,
                                   int flags, const std::string& actionText) {
    return MessageBox(parent, text, caption, flags);
  }
  // The simple notice: the text, the application title as caption, one OK button.
  virtual void ShowMessage(QWidget* parent, const std::string& text) = 0;
  // The chosen file's host path, or nothing when cancelled.
  virtual std::optional<std::string> OpenFile(QWidget* parent, const OpenFileRequest& req) = 0;
  // The file to write and the chosen filter, or nothing when cancelled (a service without one cancels).
  virtual std::optional<SaveFileAnswer> SaveFile(QWidget* parent, const SaveFileRequest& req) {
    return std::nullopt;
  }
};

// The service in force: Qt dialogs unless a test installed another. SetDialogs(nullptr) restores Qt's.
Dialogs& CurrentDialogs();
void SetDialogs(Dialogs* d);

// The application title used as caption by ShowMessage (the executable's name without extension).
std::string ApplicationTitle();

// The open dialog's name filter for a request: "LABEL (PATTERN)", patterns separated by blanks
// ("*.csv;*.txt" gives "*.csv *.txt"); without a pattern the label alone, without a label the pattern
// as label; both empty: no filter (every file).
std::string OpenFileFilter(const OpenFileRequest& req);

class QtDialogs : public Dialogs {
 public:
  int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, int flags) override;
  int MessageBoxWithDetails(QWidget* parent, const std::string& text, const std::string& details,
                            const std::string& caption, int flags) override;
  int MessageBoxWithCheck(QWidget* parent, const std::string& text, const std::string& caption, int flags,
                          const std::string& checkText, bool& checked,
                          const std::string& checkedNote) override;
  int MessageBoxWithAction(QWidget* parent, const std::string& text, const std::string& caption, int flags,
                           const std::string& actionText) override;
  void ShowMessage(QWidget* parent, const std::string& text) override;
  std::optional<std::string> OpenFile(QWidget* parent, const OpenFileRequest& req) override;
  std::optional<SaveFileAnswer> SaveFile(QWidget* parent, const SaveFileRequest& req) override;
};

// Answers from queues; records every request. With an empty queue a message box answers IDOK for MB_OK
// boxes and IDNO for others, and the open dialog is cancelled. Installs itself while alive.
class ScriptedDialogs : public Dialogs {
 public:
  struct Shown {
    // For "OpenFile", Text and Caption are the dialog's title.
    std::string Kind;  // "MessageBox", "ShowMessage", "OpenFile"
    std::string Text;
    std::string Caption;
    int Flags = 0;
    std::string
        Details;  // behind the box's "자세히" button, or the note shown while its check box is checked
    std::string Extra;  // the check box's or the extra button's text
  };
  ScriptedDialogs();
  ~ScriptedDialogs() override;
  void QueueAnswer(int id) { answers_.push_back(id); }
  // The state a check box is left in (by default as it was).
  void QueueCheck(bool checked) { checks_.push_back(checked); }
  void QueueFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  void QueueSave(std::optional<SaveFileAnswer> answer) { saves_.push_back(std::move(answer)); }
  const std::vector<Shown>& History() const { return shown_; }
  const std::vector<OpenFileRequest>& OpenRequests() const { return requests_; }

  int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, int flags) override;
  int MessageBoxWithDetails(QWidget* parent, const std::string& text, const std::string& details,
                            const std::string& caption, int flags) override;
  int MessageBoxWithCheck(QWidget* parent, const std::string& text, const std::string& caption, int flags,
                          const std::string& checkText, bool& checked,
                          const std::string& checkedNote) override;
  int MessageBoxWithAction(QWidget* parent, const std::string& text, const std::string& caption, int flags,
                           const std::string& actionText) override;
  void ShowMessage(QWidget* parent, const std::string& text) override;
  std::optional<std::string> OpenFile(QWidget* parent, const OpenFileRequest& req) override;
  std::optional<SaveFileAnswer> SaveFile(QWidget* parent, const SaveFileRequest& req) override;

 private:
  Dialogs* previous_ = nullptr;
  std::deque<int> answers_;
  std::deque<bool> checks_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<SaveFileAnswer>> saves_;
  std::vector<Shown> shown_;
  std::vector<OpenFileRequest> requests_;
};

}  // namespace plat::ui
