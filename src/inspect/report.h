#pragma once
// What the command line prints of a document: its masked matches with their line and column, a sentence
// when it could not be read whole, and the summary line; and the re-check count of a listed file.
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace vek::inspect {

// Prints, for a host file, one line per match ("LINE:COLUMN<tab>KIND<tab>MASKED", with "<tab>검증번호 불일치"
// when a registration number's check digit fails) and then the summary line
// ("찾은 개인정보: 주민등록번호 12건, 휴대폰번호 3건") on out; a sentence on err when the file could not be
// read whole. Returns 0 when the text was read (whole or in part), 1 when nothing could be read.
int PrintInspection(const std::string& hostPath, std::ostream& out, std::ostream& err);

// How many matches a listed file holds now, counted as the scanner's kind text names them
// (CountForScannerKind); empty, with the sentence in why, when the file cannot be read.
std::optional<int> RecheckCount(const std::string& hostPath, std::string_view scannerKind,
                                std::string* why = nullptr);

}  // namespace vek::inspect
