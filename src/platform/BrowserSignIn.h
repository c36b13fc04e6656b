#pragma once
// Signing a marketplace account in through the marketplace's own web page.
// Windows shows a dialog with an embedded browser (or, where none can be
// made, a link that opens the default browser); elsewhere the address is
// printed and handed to the desktop's opener. Either way the sign-in ends
// when the user confirms it, or when the probe sees that it is complete, or
// (without a user) after kSignInBound.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace kanvio::platform {

struct SignInPage {
  std::string url;
  bool sandbox = false;       // the address shows in italics
  std::string title;          // of the dialog
  std::string address_label;  // before the address
  std::string button_text;    // the button that ends the sign-in, enabled once the page is done
  std::string user_field_id;  // the page's element that gets user_name as its value
  std::string user_name;
  std::string completion_text;  // the page text that shows the sign-in is done
};

enum class SignInOutcome {
  kClosed,    // confirmed, cancelled, or seen to be complete
  kNoResult,  // nobody answered within the bound
};

// True once the sign-in is complete (the marketplace hands out the token).
// Called on the thread that runs the sign-in, never concurrently.
using SignInProbe = std::function<bool()>;

inline constexpr std::chrono::minutes kSignInBound{10};
inline constexpr std::chrono::seconds kSignInPollInterval{2};

class BrowserSignIn {
 public:
  virtual ~BrowserSignIn() = default;
  // Blocks the calling thread until the sign-in has ended; the probe runs
  // about every kSignInPollInterval (through the clock of Clock.h). Throws
  // Error when the sign-in cannot be shown at all.
  virtual SignInOutcome Run(const SignInPage& page, const SignInProbe& probe) = 0;
};

// This platform's sign-in.
std::unique_ptr<BrowserSignIn> CreateSystemBrowserSignIn();

// The sign-in in use: the system's unless a test installed another.
BrowserSignIn& CurrentBrowserSignIn();

// Installs a sign-in until the object goes (tests; not while a sign-in runs).
class ScopedBrowserSignIn {
 public:
  explicit ScopedBrowserSignIn(BrowserSignIn& sign_in);
  ~ScopedBrowserSignIn();
  ScopedBrowserSignIn(const ScopedBrowserSignIn&) = delete;
  ScopedBrowserSignIn& operator=(const ScopedBrowserSignIn&) = delete;

 private:
  BrowserSignIn* previous_;
};

}  // namespace kanvio::platform
