#include "worker/LogFailure.h"

#include "config/Logger.h"

namespace kanvio {

void LogFailure(const std::exception& failure) noexcept {
  try {
    Logger::LogError(failure);
  } catch (...) {
  }
}

void LogFailure(const std::string& message) noexcept {
  try {
    Logger::LogError(message);
  } catch (...) {
  }
}

void LogCaughtFailure() noexcept {
  try {
    throw;
  } catch (const std::exception& failure) {
    LogFailure(failure);
  } catch (...) {
    LogFailure("Unbekannter Fehler");
  }
}

}  // namespace kanvio
