// The sign-in without a window of our own: the address goes to the host
// program's terminal (standard error) and to the desktop's opener when there
// is a desktop; the user confirms with the Enter key on that terminal, or
// the probe notices the completed sign-in.
#include "platform/BrowserSignIn.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/Clock.h"

extern char** environ;

namespace kanvio::platform {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// KANVIO_BROWSER_OPENER names the opener (empty: none); otherwise xdg-open,
// but only on a desktop: without one it would start a text browser on the
// host program's terminal.
std::string Opener() {
  if (std::getenv("KANVIO_BROWSER_OPENER") != nullptr) return Variable("KANVIO_BROWSER_OPENER");
  if (Variable("DISPLAY").empty() && Variable("WAYLAND_DISPLAY").empty()) return "";
  return "xdg-open";
}

// The shell puts the opener in the background: some openers stay until the
// browser ends. A missing opener is no failure; the address is printed.
void Open(const std::string& url) {
  const std::string opener = Opener();
  if (opener.empty()) return;
  std::string script = R"(command -v "$0" >/dev/null 2>&1 || exit 0; "$0" "$1" </dev/null >/dev/null 2>&1 &)";
  char* argv[] = {const_cast<char*>("sh"),           const_cast<char*>("-c"),        script.data(),
                  const_cast<char*>(opener.c_str()), const_cast<char*>(url.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "sh", nullptr, nullptr, argv, environ) != 0) return;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

bool HasTerminal() { return isatty(STDIN_FILENO) == 1; }

// A line typed on the host program's terminal; never waits.
bool ConfirmedOnTerminal() {
  if (!HasTerminal()) return false;
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, 0) <= 0 || (input.revents & POLLIN) == 0) return false;
  char buffer[256];
  return read(STDIN_FILENO, buffer, sizeof buffer) > 0;
}

class TerminalSignIn final : public BrowserSignIn {
 public:
  SignInOutcome Run(const SignInPage& page, const SignInProbe& probe) override {
    std::cerr << page.title << ": Bitte melden Sie sich im Browser an.\n"
              << page.address_label << page.url << "\n"
              << (HasTerminal() ? "Danach hier die Eingabetaste drücken; " : "")
              << "die Anmeldung wird auch von selbst erkannt (höchstens 10 Minuten)." << std::endl;
    Open(page.url);
    Clock& clock = CurrentClock();
    const UtcTime deadline = clock.NowUtc() + kSignInBound;
    for (;;) {
      if (probe && probe()) return SignInOutcome::kClosed;
      if (ConfirmedOnTerminal()) return SignInOutcome::kClosed;
      if (clock.NowUtc() >= deadline) return SignInOutcome::kNoResult;
      clock.Sleep(kSignInPollInterval);
    }
  }
};

}  // namespace

std::unique_ptr<BrowserSignIn> CreateSystemBrowserSignIn() { return std::make_unique<TerminalSignIn>(); }

}  // namespace kanvio::platform
