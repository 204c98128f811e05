#pragma once
// Qt's own texts (message-box buttons, file dialogs, standard menus) in Korean.

namespace vek {

// Loads Qt's Korean translations into the application; false when they are not installed (Qt's English
// texts stay).
bool InstallKoreanQtTexts();

}  // namespace vek
