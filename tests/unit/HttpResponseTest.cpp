#include <gtest/gtest.h>

#include "platform/HttpClient.h"

namespace kanvio::platform {
namespace {

TEST(HttpResponseTest, TextHonoursByteOrderMarkThenCharset) {
  struct Case {
    std::string body;
    std::string content_type;
    std::string expected;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {"Grüße", "", "Grüße"},
      {"Grüße", "text/xml; charset=utf-8", "Grüße"},
      {"\xEF\xBB\xBFGrüße", "text/xml; charset=iso-8859-1", "Grüße"},  // the mark wins
      {"\xFF\xFE"
       "A\0\xE4\0"s,
       "text/xml", "Aä"},
      {"\xFE\xFF\0A\0\xE4"s, "", "Aä"},
      {"Gr\xF6\xDF"
       "e",
       "text/xml; charset=ISO-8859-1", "Größe"},
      {"Gr\xF6\xDF"
       "e",
       "text/xml; boundary=x; Charset=\"latin1\"", "Größe"},
      {"\x80 \x84\x93\x94", "text/plain;charset=windows-1252", "€ „“”"},
      {"\x81", "text/plain; charset=cp1252", "\xC2\x81"},
      {"A\0\xE4\0"s, "text/xml; charset=utf-16", "Aä"},
      {"\0A\0\xE4"s, "text/xml; charset=UTF-16BE", "Aä"},
      {"\xF6", "text/xml; charset=koi8-r", "\xF6"},  // unknown: bytes as they came
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content_type + " / " + c.expected);
    HttpResponse response;
    response.body = c.body;
    response.content_type = c.content_type;
    EXPECT_EQ(response.Text(), c.expected);
  }
}

TEST(HttpResponseTest, HeaderLookupIgnoresCaseAndTakesTheFirst) {
  HttpResponse response;
  response.headers = {{"X-Mws-Quota-Max", "6"}, {"x-mws-quota-max", "7"}};
  EXPECT_EQ(response.Header("X-MWS-QUOTA-MAX"), "6");
  EXPECT_FALSE(response.Header("Content-MD5"));
}

}  // namespace
}  // namespace kanvio::platform
