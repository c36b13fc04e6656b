#pragma once
// What the eBay tests share: the deployment file that points the library at
// the simulator, and a sign-in that needs no person.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/BrowserSignIn.h"
#include "platform/HttpClient.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::test {

// The application settings that send the Trading API calls and the sign-in
// page to the simulator on this port.
inline std::string EbayDeploymentConfig(int port) {
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<settings>"
         "<setting name=\"ebay_apiServerUrl\">" +
         base +
         "/ws/api.dll</setting>"
         "<setting name=\"ebay_apiServerUrlSandbox\">" +
         base +
         "/ws/api.dll</setting>"
         "<setting name=\"ebay_signInUrl\">" +
         base +
         "/signin/{domain}/ws/eBayISAPI.dll</setting>"
         "<setting name=\"ebay_signInUrlSandbox\">" +
         base +
         "/signin-sandbox/{domain}/ws/eBayISAPI.dll</setting>"
         "</settings>\n";
}

// Instead of a person at a browser it loads the sign-in page, fills in the
// user name and sends the form, as the simulator expects; or it closes
// without signing in, or gives no answer. It records each page it was given
// and is in use for its lifetime.
class EbaySignInDouble : public platform::BrowserSignIn {
 public:
  enum class Behaviour { kSignIn, kCloseWithoutSignIn, kNoAnswer };

  explicit EbaySignInDouble(Behaviour behaviour = Behaviour::kSignIn)
      : behaviour_(behaviour), installed_(*this) {}

  platform::SignInOutcome Run(const platform::SignInPage& page, const platform::SignInProbe& probe) override {
    pages.push_back(page);
    if (behaviour_ == Behaviour::kNoAnswer) return platform::SignInOutcome::kNoResult;
    if (behaviour_ == Behaviour::kSignIn) SignIn(page);
    if (probe) probe_answers.push_back(probe());
    return platform::SignInOutcome::kClosed;
  }

  std::vector<platform::SignInPage> pages;
  std::vector<bool> probe_answers;

 private:
  static void SignIn(const platform::SignInPage& page) {
    auto http = platform::CreateHttpClient();
    platform::HttpRequest load;
    load.url = page.url;
    const auto form = http->Send(load);
    if (!text::Contains(form.body, "id=\"" + page.user_field_id + "\""))
      throw Error("Die Anmeldeseite hat kein Feld " + page.user_field_id + ".");
    platform::HttpRequest submit;
    submit.method = platform::HttpMethod::kPost;
    submit.url = page.url;
    submit.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    submit.body = "userid=" + page.user_name + "&pass=geheim";
    const auto done = http->Send(submit);
    if (!text::Contains(done.body, page.completion_text)) throw Error("Die Anmeldung wurde nicht bestätigt.");
  }

  Behaviour behaviour_;
  platform::ScopedBrowserSignIn installed_;
};

}  // namespace kanvio::test
