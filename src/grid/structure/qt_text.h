#pragma once
// The grid's one crossing between its UTF-8 texts (std::string) and Qt's QString: every control, dialog and
// Qt call of the grid converts through these two, never with its own fromUtf8/toStdString.
#include <QString>
#include <string>
#include <string_view>

namespace tw {

inline QString ToQ(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

inline std::string FromQ(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace tw
