#pragma once
// The error log. Writes only when the host ini file enables LOG_EXCEPTIONS in
// section "System Configuration"; otherwise every call does nothing. Secrets
// (passwords, tokens, keys) are masked before a line is written. A failure
// while writing reaches the caller.

#include <exception>
#include <string>

namespace kanvio {

class Logger {
 public:
  static void LogError(const std::exception& failure);
  static void LogError(const std::string& message);
  static void LogWarning(const std::string& message);
  static void LogInfo(const std::string& message);
};

}  // namespace kanvio
