#include "config/Logger.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "config/IniFile.h"
#include "config/KanvioPaths.h"
#include "config/Settings.h"
#include "platform/FileSystem.h"
#include "support/DateTime.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

// Set while this thread is inside the logger. Finding the host ini file and
// the log file asks the path library and opens a settings view; when those
// fail they log, which would bring the thread back here and, without a path
// library, never end. Such nested entries are dropped.
thread_local bool t_logging = false;

class ReentrancyGuard {
 public:
  ReentrancyGuard() { t_logging = true; }
  ~ReentrancyGuard() { t_logging = false; }
  ReentrancyGuard(const ReentrancyGuard&) = delete;
  ReentrancyGuard& operator=(const ReentrancyGuard&) = delete;
};

bool LoggingEnabled() {
  const auto ini = KanvioPaths::SoftwareIni();
  return ini &&
         text::EqualsIgnoreCase(IniFile(*ini).GetString("System Configuration", "LOG_EXCEPTIONS"), "true");
}

// Where the lines of this thread go, as far as it is known.
struct Target {
  bool enabled = false;
  std::filesystem::path file;  // its folder exists; only when enabled
};

// The target found by the Session of this thread, if it has one and has
// needed it already.
struct SessionTarget {
  bool active = false;
  std::optional<Target> target;
};
thread_local SessionTarget t_session;

Target FindTarget() {
  Target target;
  target.enabled = LoggingEnabled();
  if (target.enabled) {
    target.file = KanvioPaths::LogFileName();
    std::filesystem::create_directories(target.file.parent_path());
  }
  return target;
}

// Called inside the reentrancy guard.
Target CurrentTarget() {
  if (!t_session.active) return FindTarget();
  if (!t_session.target) t_session.target = FindTarget();
  return *t_session.target;
}

// Shorter secrets cannot be told from ordinary text: masking the password
// "e" would turn every line into "Dat***i". Request credentials are kept
// out of messages where they arise instead (addresses are redacted).
constexpr std::size_t kShortestMaskedSecret = 4;

// The current values of the secrets the settings store holds.
std::vector<std::string> Secrets() {
  const Settings settings;
  std::vector<std::string> secrets;
  for (auto value : {settings.WEBSERVICE_PASSWORD(), settings.ebay_token(),
                     settings.amazon_secrectAccessKey(), settings.SecurityTokenPart2()}) {
    if (value.size() >= kShortestMaskedSecret) secrets.push_back(std::move(value));
  }
  // A secret that contains another is masked first, so that no part of it survives.
  std::sort(secrets.begin(), secrets.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
  return secrets;
}

std::string Masked(std::string message) {
  for (const auto& secret : Secrets()) message = text::ReplaceAll(std::move(message), secret, "***");
  return message;
}

// The German short date and long time: "dd.MM.yyyy HH:mm:ss".
std::string Timestamp() {
  const auto now = LocalDateTime::Now();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", now.day, now.month, now.year, now.hour,
                now.minute, now.second);
  return buf;
}

void Append(const std::filesystem::path& file, const std::string& line) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  if (out) out.write(line.data(), static_cast<std::streamsize>(line.size()));
  if (out) out.flush();
  if (!out)
    throw Error("Die Protokolldatei " + platform::PathToUtf8(file) + " konnte nicht geschrieben werden.");
}

void Log(const char* level, const std::string& message) {
  if (t_logging) return;
  const ReentrancyGuard guard;
  const Target target = CurrentTarget();
  if (!target.enabled) return;
  Append(target.file, Timestamp() + ": " + level + " - " + Masked(message) + " \r\n");
}

}  // namespace

void Logger::LogError(const std::exception& failure) { Log("Error", failure.what()); }
void Logger::LogError(const std::string& message) { Log("Error", message); }
void Logger::LogWarning(const std::string& message) { Log("Warning", message); }
void Logger::LogInfo(const std::string& message) { Log("Info", message); }

bool Logger::IsEnabled() {
  if (t_logging) return false;
  const ReentrancyGuard guard;
  return CurrentTarget().enabled;
}

Logger::Session::Session() : outermost_(!t_session.active) {
  if (outermost_) t_session = SessionTarget{true, std::nullopt};
}

Logger::Session::~Session() {
  if (outermost_) t_session = SessionTarget{};
}

}  // namespace kanvio
