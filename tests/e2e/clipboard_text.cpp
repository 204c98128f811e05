// Prints the text on the display's clipboard (UTF-8, no newline added) and exits: what a window copied
// with Ctrl+C, read back by the end-to-end scripts. Exit 1 when the clipboard holds no text.
#include <QApplication>
#include <QClipboard>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
  std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
  return text.isEmpty() ? 1 : 0;
}
