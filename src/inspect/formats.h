#pragma once
// The readers of each format, behind Extract (extract.cpp). Each fills an Extraction: its text through a
// sink bounded by the limits, and its status and sentence when the document cannot be read whole.
#include <stop_token>
#include <string>
#include <string_view>

#include "inspect/extract.h"
#include "inspect/xml_text.h"

class QIODevice;

namespace vek::inspect::detail {

// The sentences the user reads, each written once.
namespace say {
std::string Damaged(std::string_view format);
std::string DamagedAfter();  // part of the text was read before the damage
std::string TooLong(const Limits& l);
std::string PartTooLarge();
std::string Encrypted();
std::string Doctype();
}  // namespace say

// Sets the outcome unless one is set already (the first reason is the one told).
void SetOutcome(Extraction& x, Status s, std::string sentence);
// Marks the outcome of a sink that reached the limit.
void NoteFull(Extraction& x, const TextSink& sink, const Limits& l);

void ExtractPlain(std::string_view bytes, bool html, bool cut, Extraction& x, const Limits& l);
void ExtractZip(QIODevice& device, std::string_view format, Extraction& x, const Limits& l,
                std::stop_token stop);
void ExtractHwp(std::string_view bytes, Extraction& x, const Limits& l, std::stop_token stop);
void ExtractPdf(std::string_view bytes, Extraction& x, const Limits& l, std::stop_token stop);
// Whether an OLE compound file holds a stream of that name at its top (an encrypted Office Open XML
// document is such a file with "EncryptedPackage").
bool OleHasStream(std::string_view bytes, const char* name);

void ExtractLegacy(const std::string& hostPath, std::string_view format, Extraction& x, const Limits& l,
                   std::stop_token stop);

}  // namespace vek::inspect::detail
