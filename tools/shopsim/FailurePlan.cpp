#include "FailurePlan.h"

namespace kanvio::shopsim {

void FailurePlan::Set(const std::string& target, Failure failure) {
  std::lock_guard lock(mutex_);
  failures_.insert_or_assign(target, std::move(failure));
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

}  // namespace kanvio::shopsim
