#include "platform/BrowserSignIn.h"

namespace kanvio::platform {
namespace {

BrowserSignIn*& Installed() {
  static BrowserSignIn* installed = nullptr;
  return installed;
}

}  // namespace

BrowserSignIn& CurrentBrowserSignIn() {
  if (BrowserSignIn* installed = Installed()) return *installed;
  static const std::unique_ptr<BrowserSignIn> system = CreateSystemBrowserSignIn();
  return *system;
}

ScopedBrowserSignIn::ScopedBrowserSignIn(BrowserSignIn& sign_in) : previous_(Installed()) {
  Installed() = &sign_in;
}

ScopedBrowserSignIn::~ScopedBrowserSignIn() { Installed() = previous_; }

}  // namespace kanvio::platform
