#include "config/Logger.h"

// Placeholder until the error log lands: every call does nothing, as the
// real log does while the host ini file leaves it switched off.

namespace kanvio {

void Logger::LogError(const std::exception&) {}
void Logger::LogError(const std::string&) {}
void Logger::LogWarning(const std::string&) {}
void Logger::LogInfo(const std::string&) {}

}  // namespace kanvio
