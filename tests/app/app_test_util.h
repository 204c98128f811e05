#pragma once
// Helpers of the document manager's tests: environment variables set for a scope, text conversions at
// the Qt boundary, small file helpers.
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdlib>
#include <optional>
#include <string>

namespace apptest {

// Sets (or unsets) an environment variable for the life of the object.
class EnvVar {
 public:
  EnvVar(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~EnvVar() {
    if (old_)
      ::setenv(name_.c_str(), old_->c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline std::string S(const QString& s) { return s.toUtf8().toStdString(); }

inline bool MakeFile(const std::string& path, const std::string& bytes = "x") {
  QFile f(Q(path));
  if (!f.open(QIODevice::WriteOnly)) return false;
  return f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

inline std::string ReadBytes(const std::string& path) {
  QFile f(Q(path));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}

inline bool Exists(const std::string& path) { return QFileInfo::exists(Q(path)); }

}  // namespace apptest
