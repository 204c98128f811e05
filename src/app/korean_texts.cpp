// Qt's own texts in Korean: the Yes, No and OK buttons of message boxes, the file dialogs and the
// standard context menus, from Qt's translations (Debian's qt6-translations-l10n).
#include "app/korean_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vek {

bool InstallKoreanQtTexts() {
  static QTranslator* installed = nullptr;
  if (installed) return true;
  const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (!qt->load(korean, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete qt;
    return false;
  }
  QCoreApplication::installTranslator(qt);
  installed = qt;
  return true;
}

}  // namespace vek
