#include "platform/document_check.h"

namespace corvane::platform {
namespace {

struct Signature {
  std::string_view start;
  DocumentKind kind;
};

using namespace std::string_view_literals;

// Longer marks before the shorter ones they begin with.
constexpr Signature kSignatures[] = {
    {"\xFF\xFE\x00\x00"sv, DocumentKind::kUtf32},
    {"\x00\x00\xFE\xFF"sv, DocumentKind::kUtf32},
    {"\xFF\xFE"sv, DocumentKind::kUtf16},
    {"\xFE\xFF"sv, DocumentKind::kUtf16},
    {"PK\x03\x04"sv, DocumentKind::kZip},
    {"PK\x05\x06"sv, DocumentKind::kZip},  // an empty archive
    {"\x89PNG\r\n\x1A\n"sv, DocumentKind::kPng},
    {"GIF87a"sv, DocumentKind::kGif},
    {"GIF89a"sv, DocumentKind::kGif},
    {"\xFF\xD8\xFF"sv, DocumentKind::kJpeg},
    {"%PDF-"sv, DocumentKind::kPdf},
    {"\x7F" "ELF"sv, DocumentKind::kElf},
    {"\x1F\x8B"sv, DocumentKind::kGzip},
};

}  // namespace

DocumentKind CheckDocument(std::string_view data) {
  for (const Signature& s : kSignatures) {
    if (data.substr(0, s.start.size()) == s.start) return s.kind;
  }
  if (data.substr(0, kDocumentHeadBytes).find('\0') != std::string_view::npos) return DocumentKind::kNulBytes;
  return DocumentKind::kText;
}

std::string_view DocumentKindName(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::kText: return {};
    case DocumentKind::kUtf16: return "UTF-16 text";
    case DocumentKind::kUtf32: return "UTF-32 text";
    case DocumentKind::kZip: return "zip archive";
    case DocumentKind::kPng: return "PNG image";
    case DocumentKind::kGif: return "GIF image";
    case DocumentKind::kJpeg: return "JPEG image";
    case DocumentKind::kPdf: return "PDF document";
    case DocumentKind::kElf: return "ELF executable";
    case DocumentKind::kGzip: return "gzip data";
    case DocumentKind::kNulBytes: return "NUL bytes";
  }
  return {};
}

}  // namespace corvane::platform
