// The window's drive map: which host folder each Windows drive letter of a result file stands for.
//
// The environment (VEKSECURITY_DRIVE_C, VEKSECURITY_DRIVE_D, ...) maps letters for good; the "드라이브 연결"
// dialog maps the others and keeps them in the window settings, section [Drives]. A saved letter is put
// into the program's own environment, so the loader, the batch interpreter and every path the program
// resolves see one map. After a load, drives whose folder is missing, or a list that found no file at
// all, are said plainly, naming the drives.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <cstdlib>
#include <map>
#include <set>

#include "app/batch_run.h"
#include "app/scan_result.h"
#include "app/veksecurity_01.h"
#include "platform/os/os.h"

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

constexpr const char* kDrivesSection = "Drives";

std::string VariableOf(char letter) {
  return std::string("VEKSECURITY_DRIVE_") + letter;
}

// The letters this program put into its environment from the saved map, with the folder it put there.
std::map<char, std::string>& AppliedBySettings() {
  static std::map<char, std::string> applied;
  return applied;
}

std::string EnvValue(char letter) {
  for (char l : {letter, char(letter - 'A' + 'a')})
    if (const char* v = std::getenv(VariableOf(l).c_str()); v && *v) return v;
  return {};
}

void SetDrive(char letter, const std::string& folder) {
  auto& applied = AppliedBySettings();
  if (folder.empty()) {
    if (applied.count(letter)) ::unsetenv(VariableOf(letter).c_str());
    applied.erase(letter);
    return;
  }
  ::setenv(VariableOf(letter).c_str(), folder.c_str(), 1);
  applied[letter] = folder;
}

// The drive letter of a result line's folder, read from its raw bytes without decoding the line: the
// fourth field, after three commas (CP949 never uses a comma or a colon as a trail byte). A folder
// starting with one backslash, or an empty one, is on drive C; a network path has no letter (0).
char LineDrive(std::string_view raw) {
  std::size_t pos = 0;
  for (int k = 0; k < 3; ++k) {
    pos = raw.find(',', pos);
    if (pos == std::string_view::npos) return 'C';  // no folder field: the root of drive C
    ++pos;
  }
  while (pos < raw.size() && static_cast<unsigned char>(raw[pos]) <= ' ') ++pos;
  const std::string_view folder = raw.substr(pos);
  if (folder.size() >= 2 && folder[1] == ':' &&
      ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z')))
    return char(folder[0] & ~0x20);
  if (folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\') return 0;
  if (folder.empty() || folder[0] == ',' || folder[0] == '\\') return 'C';
  return 0;
}

std::string LetterList(const std::set<char>& letters) {
  std::string s;
  for (char l : letters) {
    if (!s.empty()) s += ", ";
    s += l;
  }
  return s;
}

}  // namespace

bool TForm1::DriveFixedByEnvironment(char letter) {
  const std::string v = EnvValue(letter);
  if (v.empty()) return false;
  const auto& applied = AppliedBySettings();
  const auto it = applied.find(letter);
  return it == applied.end() || it->second != v;
}

void TForm1::ApplySavedDriveMap() {
  const plat::os::IniFile ini(WindowSettingsFile());
  for (char l = 'A'; l <= 'Z'; ++l) {
    if (DriveFixedByEnvironment(l)) continue;
    const std::string folder = ini.ReadString(kDrivesSection, std::string(1, l), "");
    if (!folder.empty() || AppliedBySettings().count(l)) SetDrive(l, folder);
  }
}

namespace {

// The letters worth showing: C and D, those mapped now, and those the loaded result file names.
std::set<char> LettersWorthShowing(std::string_view resultFile) {
  std::set<char> letters{'C', 'D'};
  for (char l = 'A'; l <= 'Z'; ++l)
    if (!EnvValue(l).empty()) letters.insert(l);
  vek::ForEachLine(resultFile, [&](std::size_t index, std::string_view raw) {
    if (index == 0) return;
    if (const char l = LineDrive(raw); l != 0) letters.insert(l);
  });
  return letters;
}

// The folders typed into the dialog, kept in the window settings and put in force (letters the environment
// fixes stay as they are).
void SaveDriveFields(const std::map<char, QLineEdit*>& fields) {
  plat::os::IniFile ini(TForm1::WindowSettingsFile());
  for (const auto& [l, edit] : fields) {
    if (TForm1::DriveFixedByEnvironment(l)) continue;
    const std::string folder = S(edit->text().trimmed());
    if (folder.empty() && ini.ReadString(kDrivesSection, std::string(1, l), "").empty() &&
        !AppliedBySettings().count(l))
      continue;
    ini.WriteString(kDrivesSection, std::string(1, l), folder);
    SetDrive(l, folder);
  }
}

}  // namespace

void TForm1::BtnDrivesClick(QObject*) {
  const std::set<char> letters = LettersWorthShowing(LineBuffer);

  QDialog dialog(this);
  dialog.setObjectName("DriveDialog");
  dialog.setWindowTitle(Q("드라이브 연결"));
  auto* column = new QVBoxLayout(&dialog);
  auto* intro =
      new QLabel(Q("검사 결과의 Windows 경로(예: D:\\자료)를 이 컴퓨터의 폴더로 읽습니다. "
                   "드라이브마다 폴더를 정하십시오. 비워 두면 사용자 데이터 폴더 아래의 기본 폴더입니다."),
                 &dialog);
  intro->setWordWrap(true);
  column->addWidget(intro);
  auto* grid = new QGridLayout;
  column->addLayout(grid);
  std::map<char, QLineEdit*> fields;
  const auto addRow = [&](char l) {
    if (fields.count(l)) return;
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(Q(std::string(1, l) + ":"), &dialog), row, 0);
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(Q(std::string("Drive") + l));
    edit->setMinimumWidth(360);
    const bool fixed = DriveFixedByEnvironment(l);
    edit->setText(Q(EnvValue(l)));
    edit->setPlaceholderText(Q(plat::os::DriveRoot(l)));
    edit->setReadOnly(fixed);
    grid->addWidget(edit, row, 1);
    if (fixed) {
      grid->addWidget(new QLabel(Q("환경 변수 " + VariableOf(l) + "로 고정"), &dialog), row, 2);
    } else {
      auto* browse = new QPushButton(Q("찾아보기..."), &dialog);
      QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, edit] {
        const QString dir = QFileDialog::getExistingDirectory(&dialog, QString(), edit->text());
        if (!dir.isEmpty()) edit->setText(dir);
      });
      grid->addWidget(browse, row, 2);
    }
    fields[l] = edit;
  };
  for (char l : letters) addRow(l);
  {
    auto* more = new QHBoxLayout;
    auto* pick = new QComboBox(&dialog);
    pick->setObjectName("DriveLetter");
    for (char l = 'A'; l <= 'Z'; ++l)
      if (!letters.count(l)) pick->addItem(QString(QChar(l)) + ':');
    auto* add = new QPushButton(Q("드라이브 추가"), &dialog);
    QObject::connect(add, &QPushButton::clicked, &dialog, [&, pick] {
      if (pick->count() == 0) return;
      addRow(char(pick->currentText().at(0).toLatin1()));
      pick->removeItem(pick->currentIndex());
    });
    more->addWidget(pick);
    more->addWidget(add);
    more->addStretch(1);
    column->addLayout(more);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  column->addWidget(buttons);
  if (BeforeDriveDialog) BeforeDriveDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return;

  SaveDriveFields(fields);
  // The open dialog follows drive C until the user has chosen a file.
  if (!fileChosen_) o_dialog.InitialDir = plat::os::ResolvePath("c:\\");
  RB1Click(this);
}

std::string TForm1::DriveNoticeText() {
  std::set<char> used;
  vek::ForEachLine(LineBuffer, [&](std::size_t index, std::string_view raw) {
    if (index == 0) return;
    if (const char l = LineDrive(raw); l != 0) used.insert(l);
  });
  std::set<char> missing;
  for (char l : used)
    if (!plat::os::DirectoryExists(plat::os::DriveRoot(l))) missing.insert(l);
  bool noneFound = false;
  if (Mgr_grid->RowCount() == 0 && LastLoad.LinesRead > 0) {
    // Were all the files missing, or did the conditions leave them out? One existing file answers it.
    noneFound = true;
    vek::ScanFilter probe(FilterSettings());
    vek::TItemFields fields;
    std::string line;
    vek::LineCursor lines(LineBuffer);
    std::string_view raw;
    while (noneFound && lines.Next(raw)) {
      if (lines.Index() == 1 || !vek::DecodeLine(raw, line)) continue;
      vek::DbItemDivide(line, fields);
      if (probe.FileExistsAt(fields[3], fields[0])) noneFound = false;
    }
  }
  if (!noneFound && missing.empty()) return {};
  std::string text;
  if (noneFound) text = "목록의 파일을 하나도 찾지 못했습니다. ";
  if (!missing.empty()) {
    text += "드라이브 " + LetterList(missing) + "가 가리키는 폴더가 없습니다.";
    if (!noneFound) text += " 그 드라이브의 파일은 목록에 오르지 않았습니다.";
    for (char l : missing) text += std::string("\n") + l + ": " + plat::os::DriveRoot(l);
  } else {
    text += "드라이브 " + LetterList(used) + "가 가리키는 폴더에 목록의 파일이 없습니다.";
    for (char l : used) text += std::string("\n") + l + ": " + plat::os::DriveRoot(l);
  }
  text += "\n\"드라이브 연결\"에서 드라이브마다 이 컴퓨터의 폴더를 정하십시오.";
  return text;
}
