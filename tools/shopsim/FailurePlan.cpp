#include "FailurePlan.h"

namespace kanvio::shopsim {

void FailurePlan::Set(const std::string& target, Failure failure) {
  std::lock_guard lock(mutex_);
  failures_.insert_or_assign(target, std::move(failure));
}

bool FailurePlan::SetFromSwitch(std::string_view text) {
  // The target ends at the first "=" after which a failure can be read, so
  // both the target and a failure's body may hold "=".
  for (auto equals = text.find('='); equals != std::string_view::npos; equals = text.find('=', equals + 1)) {
    auto failure = Failure::Parse(text.substr(equals + 1));
    if (!failure || equals == 0) continue;
    Set(std::string(text.substr(0, equals)), std::move(*failure));
    return true;
  }
  return false;
}

void FailurePlan::Clear(const std::string& target) {
  std::lock_guard lock(mutex_);
  failures_.erase(target);
}

void FailurePlan::ClearAll() {
  std::lock_guard lock(mutex_);
  failures_.clear();
}

std::optional<Failure> FailurePlan::Find(const std::vector<std::string>& targets) const {
  std::lock_guard lock(mutex_);
  for (const auto& target : targets) {
    auto it = failures_.find(target);
    if (it != failures_.end()) return it->second;
  }
  return std::nullopt;
}

std::optional<Failure> FailurePlan::Consume(const std::vector<std::string>& targets) {
  std::lock_guard lock(mutex_);
  for (const auto& target : targets) {
    auto it = failures_.find(target);
    if (it == failures_.end()) continue;
    Failure failure = it->second;
    if (it->second.times > 0 && --it->second.times == 0) failures_.erase(it);
    return failure;
  }
  return std::nullopt;
}

}  // namespace kanvio::shopsim
