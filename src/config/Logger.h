#pragma once
// The error log. Writes only when the host ini file enables LOG_EXCEPTIONS in
// section "System Configuration"; otherwise every call does nothing. Secrets
// of at least four characters (the current values of WEBSERVICE_PASSWORD,
// ebay_token, amazon_secrectAccessKey and SecurityTokenPart2) are masked as
// "***" before a line is written.
// A failure while writing (or while reading the secrets) reaches the caller.
//
// Each call finds the host ini file and the log file anew. A log call that a
// thread makes while it is already inside the logger (a failed path lookup or
// a settings warning on the logger's own behalf) is dropped, so a missing path
// library cannot make lookup and logger call each other without end.
// Any thread may log; each line is appended with one write.

#include <exception>
#include <string>

namespace kanvio {

class Logger {
 public:
  static void LogError(const std::exception& failure);
  static void LogError(const std::string& message);
  static void LogWarning(const std::string& message);
  static void LogInfo(const std::string& message);
  // Whether the host enables the log at this moment (inside a Session: at
  // the Session's first need). For callers that would write many lines in a
  // row: outside a Session asking costs as much as one dropped line.
  static bool IsEnabled();

  // While a Session lives, the log calls of its thread find the host ini
  // file and the log file once, at the first call that needs them, instead
  // of on every call (tens of microseconds each, even with the log off). The
  // worker opens one per operation: a switch the host flips meanwhile takes
  // effect with the next operation. Sessions nest; the inner one reuses the
  // outer one's findings.
  class Session {
   public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

   private:
    bool outermost_;
  };
};

}  // namespace kanvio
