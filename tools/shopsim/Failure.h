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
};

// A failure switched on for one target.
struct Failure {
  FailureKind kind = FailureKind::kStatus500;
  std::string body;                    // kStatus500, kStatus501
  std::chrono::milliseconds delay{0};  // kSlow; 0 waits for a release or the stop

  static Failure Status500(std::string body) { return {FailureKind::kStatus500, std::move(body), {}}; }
  static Failure RejectUtf8Header() { return {FailureKind::kRejectUtf8Header, {}, {}}; }
  static Failure Status501(std::string body) { return {FailureKind::kStatus501, std::move(body), {}}; }
  static Failure HtmlPage() { return {FailureKind::kHtmlPage, {}, {}}; }
  static Failure Slow(std::chrono::milliseconds delay = {}) { return {FailureKind::kSlow, {}, delay}; }
  static Failure Drop() { return {FailureKind::kDrop, {}, {}}; }

  // Reads the command line form: "500[:BODY]", "501-utf8", "501[:BODY]", "html",
  // "slow[:MILLISECONDS]" or "drop"; nullopt for anything else.
  static std::optional<Failure> Parse(std::string_view text);
};

}  // namespace kanvio::shopsim
