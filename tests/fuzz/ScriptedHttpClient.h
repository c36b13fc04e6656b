#pragma once
// An HTTP client that answers from a script instead of a server, so that a
// whole operation of a connector runs on fuzzed answers: each part of the
// input is one answer, its first byte picking the status.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/HttpClient.h"
#include "support/Error.h"

namespace kanvio::fuzz {

// Thrown when an operation asks for more answers than an input may give: it
// is no std::exception, so it leaves the operation through every handler and
// ends the run instead of letting a loop go on with failing requests.
struct RequestBudgetSpent {};

class ScriptedHttpClient : public platform::HttpClient {
 public:
  // The statuses an answer can come with; 200 twice, as most answers are.
  static constexpr int kStatuses[] = {200, 500, 501, 404, 200};
  static constexpr std::size_t kMaxRequests = 64;

  struct Script {
    std::deque<platform::HttpResponse> answers;
    std::size_t requests = 0;
  };

  static std::shared_ptr<Script> MakeScript(const std::vector<std::string>& parts) {
    auto script = std::make_shared<Script>();
    for (const auto& part : parts) {
      platform::HttpResponse answer;
      answer.status = part.empty() ? 200 : kStatuses[static_cast<std::uint8_t>(part[0]) % 5];
      if (!part.empty()) answer.body = part.substr(1);
      script->answers.push_back(std::move(answer));
    }
    return script;
  }

  explicit ScriptedHttpClient(std::shared_ptr<Script> script) : script_(std::move(script)) {}

  // Once the answers are spent, every request fails as a dropped connection.
  platform::HttpResponse Send(const platform::HttpRequest&) override {
    if (++script_->requests > kMaxRequests) throw RequestBudgetSpent{};
    if (script_->answers.empty()) throw TransportError("Die Verbindung wurde getrennt.");
    platform::HttpResponse answer = std::move(script_->answers.front());
    script_->answers.pop_front();
    return answer;
  }

  static platform::HttpClientFactory Factory(std::shared_ptr<Script> script) {
    return [script] { return std::make_unique<ScriptedHttpClient>(script); };
  }

 private:
  std::shared_ptr<Script> script_;
};

}  // namespace kanvio::fuzz
