#include "platform/document_check.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::platform {
namespace {

using namespace std::string_literals;

TEST(DocumentCheckTest, KindsByTheirFirstBytes) {
  const std::string nul_late = std::string(kDocumentHeadBytes, 'a') + '\0';
  struct Case {
    std::string data;
    DocumentKind kind;
  };
  const Case cases[] = {
      {"<p>kitap</p>", DocumentKind::kText},
      {"", DocumentKind::kText},
      {"\xEF\xBB\xBF<p>", DocumentKind::kText},  // a UTF-8 mark is text
      {"PK is a word", DocumentKind::kText},
      {"\xFF\xFE<\0p\0"s, DocumentKind::kUtf16},
      {"\xFE\xFF\0<"s, DocumentKind::kUtf16},
      {"\xFF\xFE\0\0<\0\0\0"s, DocumentKind::kUtf32},
      {"\0\0\xFE\xFF"s, DocumentKind::kUtf32},
      {"PK\3\4mimetype"s, DocumentKind::kZip},
      {"\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, DocumentKind::kPng},
      {"GIF89a", DocumentKind::kGif},
      {"\xFF\xD8\xFF\xE0", DocumentKind::kJpeg},
      {"%PDF-1.7", DocumentKind::kPdf},
      {"\x7F" "ELF\2\1", DocumentKind::kElf},
      {"\x1F\x8B\x08", DocumentKind::kGzip},
      {"<p>a\0b</p>"s, DocumentKind::kNulBytes},
      // Past the bytes looked at, a NUL byte is the caller's business.
      {nul_late, DocumentKind::kText},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckDocument(c.data), c.kind) << c.data.substr(0, 16);
    EXPECT_EQ(DocumentKindName(c.kind).empty(), c.kind == DocumentKind::kText);
  }
}

}  // namespace
}  // namespace corvane::platform
