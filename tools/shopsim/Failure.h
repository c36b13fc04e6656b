#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kanvio::shopsim {

enum class FailureKind {
  kStatus500,         // 500 with the given body
  kRejectUtf8Header,  // 501 to a request carrying "Content-Encoding: UTF-8"
  kStatus501,         // 501 with the given body to every request
  kHtmlPage,          // 200 with a web server's page
  kSlow,              // the answer waits for the delay, a release or the stop
  kDrop,              // the connection is closed without an answer
  kSoapFault,         // 500 with a SOAP Fault whose faultstring is the given body
  kUnauthorized,      // 401 with an empty body
  kItemError,         // ePages item targets: that item's answer carries Error/Message = body
  kStatus503,         // 503 with the given body (the marketplace's RequestThrottled without one)
  kWrongMd5,          // the normal answer with a Content-MD5 that does not match its body
  kNoMd5,             // the normal answer without Content-MD5
};

// A failure switched on for one target.
struct Failure {
  FailureKind kind = FailureKind::kStatus500;
  std::string body;                    // kStatus500, kStatus501, kSoapFault, kItemError
  std::chrono::milliseconds delay{0};  // kSlow; 0 waits for a release or the stop
  int times = 0;                       // how many requests it hits before it is gone; 0: all

  static Failure Status500(std::string body) { return {FailureKind::kStatus500, std::move(body), {}}; }
  static Failure RejectUtf8Header() { return {FailureKind::kRejectUtf8Header, {}, {}}; }
  static Failure Status501(std::string body) { return {FailureKind::kStatus501, std::move(body), {}}; }
  static Failure HtmlPage() { return {FailureKind::kHtmlPage, {}, {}}; }
  static Failure Slow(std::chrono::milliseconds delay = {}) { return {FailureKind::kSlow, {}, delay}; }
  static Failure Drop() { return {FailureKind::kDrop, {}, {}}; }
  static Failure SoapFault(std::string text) { return {FailureKind::kSoapFault, std::move(text), {}}; }
  static Failure Unauthorized() { return {FailureKind::kUnauthorized, {}, {}}; }
  static Failure ItemError(std::string message) { return {FailureKind::kItemError, std::move(message), {}}; }

  static Failure Status503(std::string body = {}) { return {FailureKind::kStatus503, std::move(body), {}}; }
  static Failure WrongMd5() { return {FailureKind::kWrongMd5, {}, {}}; }
  static Failure NoMd5() { return {FailureKind::kNoMd5, {}, {}}; }
  // The same failure for only the next `count` requests.
  Failure Times(int count) const {
    Failure limited = *this;
    limited.times = count;
    return limited;
  }

  // Reads the command line form: "500[:BODY]", "501-utf8", "501[:BODY]", "html",
  // "slow[:MILLISECONDS]", "drop", "fault[:TEXT]", "401", "error[:TEXT]",
  // "503[:BODY]", "md5-wrong" or "md5-missing", each optionally preceded by
  // "N*" (only the next N requests); nullopt for anything else.
  static std::optional<Failure> Parse(std::string_view text);
};

}  // namespace kanvio::shopsim
