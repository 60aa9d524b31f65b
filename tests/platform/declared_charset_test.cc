#include "platform/declared_charset.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::platform {
namespace {

TEST(DeclaredCharsetTest, FromTheMarkTheXmlDeclarationOrTheFirstMeta) {
  struct Case {
    std::string page, label;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF<p>x", "utf-8"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><html>", "utf-8"},
      {"<head><META CharSet = ' Utf-8 '>", "utf-8"},
      {"<meta charset=utf8/>", "utf8/"},
      {"<meta name=x charset=windows-1254><meta charset=utf-8>", "windows-1254"},  // the first one counts
      {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-9\">", "iso-8859-9"},
      {"<meta content='text/html;charset=\"utf-8\"' http-equiv=content-type>", "utf-8"},
      {"<meta content=\"text/html; charset=utf-8\">", ""},  // no http-equiv
      {"<!-- <meta charset=utf-8> --><p>", ""},
      {"<metadata charset=utf-8>", ""},
      {"<p>utf-8</p>", ""},
      {"<meta charset=\"utf-8", "utf-8"},  // the window's end ends an open value
      {std::string(kDeclarationWindow, ' ') + "<meta charset=utf-8>", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DeclaredCharset(c.page), c.label) << c.page.substr(0, 80);
  EXPECT_TRUE(DeclaresUtf8("<meta charset=UTF-16LE>"));
  EXPECT_FALSE(DeclaresUtf8("<meta charset=utf8/>"));
}

}  // namespace
}  // namespace corvane::platform
