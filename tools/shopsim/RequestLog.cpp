#include "RequestLog.h"

#include <algorithm>

#include "support/Text.h"

namespace kanvio::shopsim {
namespace {

const std::pair<std::string, std::string>* FindHeader(const RecordedRequest& request, std::string_view name) {
  auto it = std::find_if(request.headers.begin(), request.headers.end(),
                         [&](const auto& header) { return text::EqualsIgnoreCase(header.first, name); });
  return it == request.headers.end() ? nullptr : &*it;
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
  const auto* header = FindHeader(*this, name);
  return header ? header->second : std::string();
}

bool RecordedRequest::HasHeader(std::string_view name) const { return FindHeader(*this, name) != nullptr; }

std::string RecordedRequest::Param(std::string_view name) const {
  auto it =
      std::find_if(params.begin(), params.end(), [&](const auto& param) { return param.first == name; });
  return it == params.end() ? std::string() : it->second;
}

void RequestLog::Add(RecordedRequest request, const std::vector<std::string>& targets) {
  std::lock_guard lock(mutex_);
  for (const auto& target : targets) ++counts_[target];
  requests_.push_back(std::move(request));
}

std::vector<RecordedRequest> RequestLog::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t RequestLog::Count(const std::string& target) const {
  std::lock_guard lock(mutex_);
  auto it = counts_.find(target);
  return it == counts_.end() ? 0 : it->second;
}

void RequestLog::Clear() {
  std::lock_guard lock(mutex_);
  requests_.clear();
  counts_.clear();
}

}  // namespace kanvio::shopsim
