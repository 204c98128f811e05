// VekSecurity: the main program of the information-security document manager.
//
//   VekSecurity [FILE]                      start; FILE is put into the file field and loaded
//   VekSecurity --screenshot OUT.png [FILE] render the window to OUT.png and exit (no display needed)
//   VekSecurity --list FILE [options]       list, filter and write batches without a window
//   VekSecurity --help                      all of these (whatever else is given)
//   VekSecurity --inspect FILE              print the personal information found in FILE, masked
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/korean_texts.h"
#include "app/veksecurity_01.h"
#include "platform/batch/batch.h"
#include "platform/ui/dialogs.h"

namespace {

struct Arguments {
  bool screenshot = false;
  std::string screenshotPath;
  std::string file;
  std::string error;
};

Arguments ParseArguments(int argc, char** argv) {
  Arguments a;
  int i = 1;
  if (i < argc && std::string(argv[i]) == "--screenshot") {
    a.screenshot = true;
    if (i + 1 >= argc) {
      a.error = "--screenshot needs the name of the PNG file to write";
      return a;
    }
    a.screenshotPath = argv[i + 1];
    i += 2;
  }
  if (i < argc) a.file = argv[i++];
  if (i < argc) a.error = std::string("unexpected argument: ") + argv[i];
  return a;
}

// A screenshot run asks nobody anything: a message that would open a box goes to the error output, a
// question is answered No and no file is chosen, so the run always ends.
class UnattendedDialogs : public plat::ui::Dialogs {
 public:
  int MessageBox(QWidget*, const std::string& text, const std::string& caption, int flags) override {
    std::fprintf(stderr, "VekSecurity: %s: %s\n", caption.c_str(), text.c_str());
    return (flags & 0x0F) == plat::ui::MB_OK ? plat::ui::IDOK : plat::ui::IDNO;
  }
  void ShowMessage(QWidget*, const std::string& text) override {
    std::fprintf(stderr, "VekSecurity: %s\n", text.c_str());
  }
  std::optional<std::string> OpenFile(QWidget*, const plat::ui::OpenFileRequest&) override {
    return std::nullopt;
  }
};

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (w && *w);
}

// Puts FILE into the file field and loads it, as a dropped or chosen file would be.
void LoadFile(TForm1& form, const std::string& file) {
  if (file.empty()) return;
  form.p_file->setText(QString::fromStdString(file));
  vek::Guarded(&form, [&] { form.ReadAndInsert(); });
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all(argv + 1, argv + argc);
  if (vek::IsCommandLineMode(all)) {
    std::ios::sync_with_stdio(false);
    return vek::RunCommandLine(all, std::cout, std::cerr);
  }
  const Arguments args = ParseArguments(argc, argv);
  if (!args.error.empty()) {
    std::fprintf(stderr, "VekSecurity: %s\nusage: VekSecurity [--screenshot OUT.png] [FILE]\n",
                 args.error.c_str());
    return 2;
  }
  // A screenshot needs no display: without one, render off screen.
  if (args.screenshot && !HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  TApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
  vek::InstallKoreanQtTexts();
  // The window runs move batches itself: a session ending in the middle of a copy across devices must not
  // leave a partial copy behind.
  plat::batch::InstallInterruptCleanup();
  UnattendedDialogs unattended;
  if (args.screenshot) plat::ui::SetDialogs(&unattended);
  TForm1 form;
  form.show();
  LoadFile(form, args.file);

  if (args.screenshot) {
    QApplication::processEvents();
    const QPixmap shot = form.grab();
    if (shot.isNull() || !shot.save(QString::fromStdString(args.screenshotPath), "PNG")) {
      std::fprintf(stderr, "VekSecurity: cannot write the screenshot to %s\n", args.screenshotPath.c_str());
      return 1;
    }
    form.close();
    return 0;
  }
  return app.exec();
}
