#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Failure.h"

namespace kanvio::shopsim {

// The failures switched on, per target. A target names a script ("orders",
// "val", "sync", "del") or narrows one ("sync:lqx_to_shop",
// "val:daten_holen"). Every member may be called from any thread.
class FailurePlan {
 public:
  void Set(const std::string& target, Failure failure);
  void Clear(const std::string& target);
  void ClearAll();
  // The failure of the first target in `targets` that has one.
  std::optional<Failure> Find(const std::vector<std::string>& targets) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Failure> failures_;  // protected by mutex_
};

}  // namespace kanvio::shopsim
