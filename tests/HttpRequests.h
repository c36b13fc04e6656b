#pragma once
// Requests as the HTTP client checks build them: the Linux tests and the
// WinHTTP probe, which runs under Wine without a test framework.

#include <string>
#include <utility>

#include "platform/HttpClient.h"

namespace kanvio::test {

inline platform::HttpRequest Get(std::string url) {
  platform::HttpRequest request;
  request.url = std::move(url);
  return request;
}

inline platform::HttpRequest Post(std::string url, std::string body, platform::HttpHeaders headers = {}) {
  platform::HttpRequest request;
  request.method = platform::HttpMethod::kPost;
  request.url = std::move(url);
  request.body = std::move(body);
  request.headers = std::move(headers);
  return request;
}

}  // namespace kanvio::test
