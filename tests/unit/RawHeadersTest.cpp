#include <gtest/gtest.h>

#include "platform/RawHeaders.h"

namespace kanvio::platform {
namespace {

TEST(RawHeadersTest, KeepsOrderTrimsAndJoinsFoldedLines) {
  struct Case {
    const char* name;
    const char* block;
    HttpHeaders expected;
  };
  const Case cases[] = {
      {"crlf",
       "HTTP/1.1 200 OK\r\nContent-Type:  text/xml \r\nX-A: 1\r\nX-A: 2\r\n\r\n",
       {{"Content-Type", "text/xml"}, {"X-A", "1"}, {"X-A", "2"}}},
      {"bare lf", "HTTP/1.1 500 Fehler\nX-B: zwei\n", {{"X-B", "zwei"}}},
      {"folded", "HTTP/1.1 200 OK\r\nX-Folded: a\r\n\tb\r\n  c\r\n", {{"X-Folded", "a b c"}}},
      {"value with colon",
       "HTTP/1.1 302 Found\r\nLocation: http://h:81/x\r\n",
       {{"Location", "http://h:81/x"}}},
      {"empty value and junk", "HTTP/1.1 200 OK\r\nX-Empty:\r\nno colon\r\n", {{"X-Empty", ""}}},
      {"continuation before any header", "HTTP/1.1 200 OK\r\n  lost\r\nX-C: 3\r\n", {{"X-C", "3"}}},
      {"nothing", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseRawHeaders(c.block), c.expected) << c.name;
}

}  // namespace
}  // namespace kanvio::platform
